# Sourced by make-shapes.sh (its GnuPG home, helpers and "$out"): messages whose protected parts
# nest as real mail clients nest them, signed by Ann and encrypted to Bob, into "$out/walk":
# - signed-then-encrypted-lf.eml and -crlf.eml: PGP/MIME whose decrypted entity is a
#   multipart/signed, with bare LF line ends inside the encrypted entity (as GnuPG gives back what
#   most clients encrypt) or CR LF;
# - signed-then-encrypted-attachment-lf.eml: the same over a text with a PDF attachment;
# - mixed-signed-then-encrypted-lf.eml: that message's body inside a multipart/mixed beside a picture;
# - mixed-encrypted-image.eml: a multipart/mixed of a text, a PGP/MIME part and a PNG picture;
# - mixed-two-encrypted.eml: a multipart/mixed of two PGP/MIME parts, the second signed inside;
# - signed-over-encrypted.eml: a multipart/signed whose content is a multipart/mixed of a text and
#   a PGP/MIME encrypted part (an outer signature over inner encryption);
# - forwarded-signed.eml: a signed message, not encrypted, forwarded as message/rfc822;
# - forwarded-signed-then-encrypted-lf.eml: the first message forwarded as message/rfc822;
# - signed-damaged.eml: a multipart/signed whose signature packet has one byte changed;
# - signed-other-text.eml: a multipart/signed whose text is not the text signed;
# - binary-text-pgp-alone.eml: a binary encrypted file as the whole message, typed text/PGP;
# - binary-rfc2231.eml and binary-rfc2047.eml: a binary ".pgp" file alone in a multipart/mixed,
#   its name "Plan\xe4.txt.pgp" in ISO-8859-15 as an RFC 2231 parameter or an RFC 2047 word;
# - ascii-label-latin1.eml and ascii-label-utf8.eml: PGP/MIME whose decrypted text part says
#   charset=us-ascii over 8-bit text in ISO-8859-1 or in UTF-8;
# - nbsp-latin1.eml, nbsp-utf8.eml and nbsp-qp.eml: an inline armour whose blank line after its
#   header holds a no-break space, as 0xA0, in UTF-8, and quoted-printable (=A0), and the first
#   beside a picture (nbsp-mixed.eml);
# - html-div.eml and html-pre.eml: an HTML body whose armour (signed and encrypted) stands in a
#   <div> with <br> line ends (a blank line as &nbsp;, "+" as an entity) or in a <pre>, as HTML
#   mail editors write them;
# - alternative-armoured.eml: a multipart/alternative of that armour as text and as HTML;
# - inline-between.eml and clearsigned-between.eml: an encrypted block, and a clear-signed one,
#   between plain text lines.

walk="$out/walk"
mkdir -p "$walk"
lf() { sed 's/\r$//'; }

# signedBy PART BOUNDARY: the multipart/signed entity over the file PART, signed by Ann (RFC 3156).
signedBy() {
  gpg --passphrase ann-pass -u ann@example.org --digest-algo SHA256 --armor -o "$home/walk-sig.asc" \
      --detach-sign "$1"
  printf 'Content-Type: multipart/signed; micalg=pgp-sha256;\r\n protocol="application/pgp-signature";\r\n'
  printf ' boundary="%s"\r\n\r\nThis is an OpenPGP/MIME signed message (RFC 4880 and 3156)\r\n--%s\r\n' "$2" "$2"
  cat "$1"
  printf '\r\n--%s\r\nContent-Type: application/pgp-signature; name="signature.asc"\r\n' "$2"
  printf 'Content-Description: OpenPGP digital signature\r\nContent-Disposition: attachment; filename="signature.asc"\r\n\r\n'
  crlf < "$home/walk-sig.asc"
  printf '\r\n--%s--\r\n' "$2"
}
letter() { head_ "$1"; cat; }

printf 'Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\nHello Bob,\r\nthe signed letter is inside.\r\n' \
  > "$home/walk-text.part"
printf '\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR picture bytes' > "$home/walk.png"
printf '%%PDF-1.4\n\x00\x01\xff report\n%%%%EOF\n' > "$home/walk.pdf"
{
  printf 'Content-Type: multipart/mixed; boundary="mixA"\r\n\r\n--mixA\r\n'
  printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nHello Bob,\r\nthe report is attached.\r\n--mixA\r\n'
  printf 'Content-Type: application/pdf; name="report.pdf"\r\nContent-Transfer-Encoding: base64\r\n'
  printf 'Content-Disposition: attachment; filename="report.pdf"\r\n\r\n'
  base64 -w 76 < "$home/walk.pdf" | crlf
  printf -- '--mixA--\r\n'
} > "$home/walk-mixed.part"
signedBy "$home/walk-text.part" sigA > "$home/walk-signed-text.entity"
signedBy "$home/walk-mixed.part" sigB > "$home/walk-signed-mixed.entity"
pngPart() {
  printf -- '--%s\r\nContent-Type: image/png; name="walk.png"\r\nContent-Transfer-Encoding: base64\r\n' "$1"
  printf 'Content-Disposition: attachment; filename="walk.png"\r\n\r\n'
  base64 -w 76 < "$home/walk.png" | crlf
}

lf < "$home/walk-signed-text.entity" | toBob | pgpmime encA | letter "Signed then encrypted" \
  > "$walk/signed-then-encrypted-lf.eml"
toBob < "$home/walk-signed-text.entity" | pgpmime encA | letter "Signed then encrypted" \
  > "$walk/signed-then-encrypted-crlf.eml"
lf < "$home/walk-signed-mixed.entity" | toBob | pgpmime encB | letter "Report" \
  > "$walk/signed-then-encrypted-attachment-lf.eml"
{
  head_ "Mixed"
  printf 'Content-Type: multipart/mixed; boundary="outer"\r\n\r\n--outer\r\n'
  lf < "$home/walk-signed-text.entity" | toBob | pgpmime encC
  pngPart outer
  printf -- '--outer--\r\n'
} > "$walk/mixed-signed-then-encrypted-lf.eml"
{
  head_ "Picture"
  printf 'Content-Type: multipart/mixed; boundary="outer"\r\n\r\n--outer\r\n'
  printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nThe picture is below.\r\n--outer\r\n'
  entity "The secret is beside the picture." | toBob | pgpmime encD
  pngPart outer
  printf -- '--outer--\r\n'
} > "$walk/mixed-encrypted-image.eml"
{
  head_ "Two"
  printf 'Content-Type: multipart/mixed; boundary="outer"\r\n\r\n--outer\r\n'
  entity "First secret part." | toBob | pgpmime encE
  printf -- '--outer\r\n'
  lf < "$home/walk-signed-text.entity" | toBob | pgpmime encF
  printf -- '--outer--\r\n'
} > "$walk/mixed-two-encrypted.eml"
{
  printf 'Content-Type: multipart/mixed; boundary="mixG"\r\n\r\n--mixG\r\n'
  printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nThe outer text, signed.\r\n--mixG\r\n'
  entity "The inner secret, signed outside." | toBob | pgpmime encG
  printf -- '--mixG--\r\n'
} > "$home/walk-over.part"
signedBy "$home/walk-over.part" sigG | letter "Signed over encrypted" > "$walk/signed-over-encrypted.eml"
# forwardedAs SUBJECT MESSAGE: a letter with MESSAGE attached as message/rfc822.
forwardedAs() {
  head_ "$1"
  printf 'Content-Type: multipart/mixed; boundary="fwd"\r\n\r\n--fwd\r\n'
  printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nBob, see the message below.\r\n--fwd\r\n'
  printf 'Content-Type: message/rfc822; name="forwarded.eml"\r\nContent-Disposition: attachment; filename="forwarded.eml"\r\n\r\n'
  cat "$2"
  printf '\r\n--fwd--\r\n'
}
letter "Signed" < "$home/walk-signed-text.entity" > "$home/walk-signed.eml"
forwardedAs "Fwd: Signed" "$home/walk-signed.eml" > "$walk/forwarded-signed.eml"
forwardedAs "Fwd: Signed then encrypted" "$walk/signed-then-encrypted-lf.eml" \
  > "$walk/forwarded-signed-then-encrypted-lf.eml"
# A changed byte in the signature packet (inside its signature value, past the armour's first line),
# and a text changed after signing.
python3 - "$home/walk-signed-text.entity" "$home/walk-damaged.entity" <<'PY'
import base64, re, sys
text = open(sys.argv[1], 'rb').read()
begin = text.index(b'-----BEGIN PGP SIGNATURE-----')
end = text.index(b'-----END PGP SIGNATURE-----')
armour = text[begin:end].split(b'\r\n')
body = [l for l in armour[1:] if l and not l.startswith(b'=') and b':' not in l]
packet = bytearray(base64.b64decode(b''.join(body)))
packet[-10] ^= 0x20
lines = base64.b64encode(bytes(packet))
lines = [lines[i:i + 64] for i in range(0, len(lines), 64)]
out = text[:begin] + b'-----BEGIN PGP SIGNATURE-----\r\n\r\n' + b'\r\n'.join(lines) + b'\r\n' + text[end:]
open(sys.argv[2], 'wb').write(out)
PY
letter "Damaged" < "$home/walk-damaged.entity" > "$walk/signed-damaged.eml"
sed 's/the signed letter is inside/the letter was changed/' "$home/walk-signed-text.entity" | letter "Changed" \
  > "$walk/signed-other-text.eml"
{
  head_ "Binary text/PGP"
  printf 'Content-Type: text/PGP\r\nContent-Transfer-Encoding: base64\r\n\r\n'
  base64 -w 76 < "$home/plan.txt.pgp" | crlf
} > "$walk/binary-text-pgp-alone.eml"
# namedFile SUBJECT CONTENT_TYPE_LINE DISPOSITION_LINE: the encrypted plan alone in a multipart/mixed.
namedFile() {
  head_ "$1"
  printf 'Content-Type: multipart/mixed; boundary="outer"\r\n\r\n--outer\r\n%s\r\n' "$2"
  printf 'Content-Transfer-Encoding: base64\r\n%s\r\n\r\n' "$3"
  base64 -w 76 < "$home/plan.txt.pgp" | crlf
  printf -- '--outer--\r\n'
}
namedFile "RFC 2231" 'Content-Type: application/octet-stream' \
  "Content-Disposition: attachment; filename*=iso-8859-15''Plan%E4.txt.pgp" > "$walk/binary-rfc2231.eml"
namedFile "RFC 2047" 'Content-Type: application/octet-stream; name="=?ISO-8859-15?Q?Plan=E4.txt.pgp?="' \
  'Content-Disposition: attachment' > "$walk/binary-rfc2047.eml"
asciiLabel() {
  printf 'Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 8bit\r\n\r\n%s\r\n' "$1" |
    toBob | pgpmime encH | letter "Charset"
}
asciiLabel $'Gr\xfc\xdfe aus M\xfcnchen' > "$walk/ascii-label-latin1.eml"
asciiLabel $'Gr\xc3\xbc\xc3\x9fe aus M\xc3\xbcnchen' > "$walk/ascii-label-utf8.eml"
printf 'Hello Bob,\nthe no-break space is in the armour.\n' | toBob > "$home/walk-nbsp.asc"
# nbsp CHARSET ENCODING SPACE: the armour with SPACE on its blank line, in a text part.
nbsp() {
  head_ "No-break space"
  printf 'Content-Type: text/plain; charset=%s\r\nContent-Transfer-Encoding: %s\r\n\r\n' "$1" "$2"
  sed "2s/^\$/$3/" "$home/walk-nbsp.asc" | crlf | if [ "$2" = quoted-printable ]; then
    python3 -c 'import quopri, sys; sys.stdout.buffer.write(quopri.encodestring(sys.stdin.buffer.read()).replace(b"\n", b"\r\n").replace(b"\r\r", b"\r"))'
  else cat; fi
}
nbsp iso-8859-1 8bit $'\xa0' > "$walk/nbsp-latin1.eml"
nbsp utf-8 8bit $'\xc2\xa0' > "$walk/nbsp-utf8.eml"
nbsp iso-8859-1 quoted-printable $'\xa0' > "$walk/nbsp-qp.eml"
{
  head_ "No-break space beside a picture"
  printf 'Content-Type: multipart/mixed; boundary="outer"\r\n\r\n--outer\r\n'
  printf 'Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: 8bit\r\n\r\n'
  sed "2s/^\$/$(printf '\xa0')/" "$home/walk-nbsp.asc" | crlf
  pngPart outer
  printf -- '--outer--\r\n'
} > "$walk/nbsp-mixed.eml"
printf 'Hello Bob,\nthe armour came in HTML & <tags>.\n' |
  gpg --passphrase ann-pass -u ann@example.org -r bob@example.net --armor -s -e > "$home/walk-html.asc"
# htmlLines: the armour read as HTML lines: entities for "&", "<", ">" and "+", &nbsp; for a blank line.
htmlLines() {
  sed -e 's/&/\&amp;/g; s/</\&lt;/g; s/>/\&gt;/g; s/+/\&#43;/g; s/^$/\&nbsp;/' "$home/walk-html.asc"
}
htmlPart() {
  printf 'Content-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: %s\r\n\r\n' "$1"
  if [ "$2" = div ]; then
    printf '<html><body><div dir="ltr">'
    htmlLines | sed 's/$/<br>/' | tr -d '\n'
    printf '</div></body></html>\r\n'
  else
    printf '<html><body><p>Read it below.</p>\r\n<pre>'
    htmlLines | crlf
    printf '</pre></body></html>\r\n'
  fi
}
{ head_ "HTML div"; htmlPart 7bit div; } > "$walk/html-div.eml"
{ head_ "HTML pre"; htmlPart 7bit pre; } > "$walk/html-pre.eml"
{
  head_ "Alternative"
  printf 'Content-Type: multipart/alternative; boundary="alt"\r\n\r\n--alt\r\n'
  printf 'Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 7bit\r\n\r\n'
  crlf < "$home/walk-html.asc"
  printf -- '--alt\r\n'
  htmlPart 7bit div
  printf -- '--alt--\r\n'
} > "$walk/alternative-armoured.eml"
{
  head_ "Between"
  printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nPlain words before.\r\n\r\n'
  printf 'The encrypted words.\n' | toBob | crlf
  printf '\r\nPlain words after.\r\n'
} > "$walk/inline-between.eml"
{
  head_ "Between signed"
  printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nPlain words before.\r\n\r\n'
  printf 'The signed words.\n' | gpg --passphrase ann-pass -u ann@example.org --clearsign | crlf
  printf '\r\nPlain words after.\r\n'
} > "$walk/clearsigned-between.eml"
