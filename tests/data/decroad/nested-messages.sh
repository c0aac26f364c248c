# Sourced by make-messages.sh (its GnuPG home holds the key-function test rings, secret keys
# imported): the decrypt road's messages of nested protection in the forms mail clients send, from
# Bob to Ann (her key has a passphrase), into "$out":
# - nested-signed.eml: signed, then encrypted (a multipart/signed entity inside multipart/encrypted);
# - nested-signed-attachment.eml: the same over a text with a PDF attachment, its signed entity
#   opening with a field before its Content-Type (as some clients write it);
# - nested-forwarded.eml and nested-forwarded-signed.eml: a letter forwarded as an attachment
#   (message/rfc822) whose attachment is an encrypted PGP/MIME message, signed inside or not.

crlf() { sed 's/\r*$/\r/'; }

# The entities signed and encrypted: a text, and a text with an attachment.
printf 'Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\nHello Ann,\r\nthe signed letter is inside.\r\n' \
    > "$home/text.part"
printf '%%PDF-1.4\n\x00\x01\x02\xff binary report\n%%%%EOF\n' > "$home/report.pdf"
{
    printf 'Content-Type: multipart/mixed; boundary="------------mix7Q2"\r\n\r\n'
    printf 'This is a multi-part message in MIME format.\r\n--------------mix7Q2\r\n'
    printf 'Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\n'
    printf 'Hello Ann,\r\nthe report is attached.\r\n\r\n--------------mix7Q2\r\n'
    printf 'Content-Type: application/pdf; name="report.pdf"\r\nContent-Disposition: attachment; filename="report.pdf"\r\n'
    printf 'Content-Transfer-Encoding: base64\r\n\r\n'
    base64 -w 76 "$home/report.pdf" | crlf
    printf '\r\n--------------mix7Q2--\r\n'
} > "$home/mixed.part"

# signed PART [FIELD]: the multipart/signed entity over PART, signed by Bob (RFC 3156 section 5),
# with FIELD as its first header line.
signed() {
    gpg -u bob@example.net --digest-algo SHA256 --armor -o "$home/sig.asc" --detach-sign "$1"
    [ -z "${2:-}" ] || printf '%s\r\n' "$2"
    printf 'Content-Type: multipart/signed; micalg=pgp-sha256;\r\n protocol="application/pgp-signature";\r\n'
    printf ' boundary="------------sig3Fk"\r\n\r\nThis is an OpenPGP/MIME signed message (RFC 4880 and 3156)\r\n'
    printf -- '--------------sig3Fk\r\n'
    cat "$1"
    printf '\r\n--------------sig3Fk\r\nContent-Type: application/pgp-signature; name="OpenPGP_signature.asc"\r\n'
    printf 'Content-Description: OpenPGP digital signature\r\nContent-Disposition: attachment; filename="OpenPGP_signature.asc"\r\n\r\n'
    crlf < "$home/sig.asc"
    printf '\r\n--------------sig3Fk--\r\n'
}

# encrypted SUBJECT ENTITY: a whole message from Bob to Ann, ENTITY encrypted to Ann (RFC 3156 section 4).
encrypted() {
    gpg -r ann@example.org --armor -o "$home/enc.asc" -e "$2"
    printf 'From: Bob Stone <bob@example.net>\r\nTo: Ann Lee <ann@example.org>\r\nSubject: %s\r\n' "$1"
    printf 'Date: Fri, 04 Dec 2026 10:00:00 +0100\r\nMIME-Version: 1.0\r\n'
    printf 'Content-Type: multipart/encrypted;\r\n protocol="application/pgp-encrypted";\r\n boundary="------------encX9p"\r\n\r\n'
    printf 'This is an OpenPGP/MIME encrypted message (RFC 4880 and 3156)\r\n--------------encX9p\r\n'
    printf 'Content-Type: application/pgp-encrypted\r\nContent-Description: PGP/MIME version identification\r\n\r\nVersion: 1\r\n\r\n'
    printf -- '--------------encX9p\r\nContent-Type: application/octet-stream; name="encrypted.asc"\r\n'
    printf 'Content-Description: OpenPGP encrypted message\r\nContent-Disposition: inline; filename="encrypted.asc"\r\n\r\n'
    crlf < "$home/enc.asc"
    printf '\r\n--------------encX9p--\r\n'
}

# forwarded MESSAGE: Ann's colleague forwards MESSAGE to her as an attachment.
forwarded() {
    printf 'From: Carl Hill <carl@example.org>\r\nTo: Ann Lee <ann@example.org>\r\nSubject: Fwd: Letter\r\n'
    printf 'Date: Fri, 04 Dec 2026 11:00:00 +0100\r\nMIME-Version: 1.0\r\n'
    printf 'Content-Type: multipart/mixed; boundary="------------fwdK1"\r\n\r\n'
    printf 'This is a multi-part message in MIME format.\r\n--------------fwdK1\r\n'
    printf 'Content-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\n'
    printf 'Ann, Bob sent this to me by mistake.\r\n\r\n--------------fwdK1\r\n'
    printf 'Content-Type: message/rfc822; name="Letter.eml"\r\nContent-Disposition: attachment; filename="Letter.eml"\r\n\r\n'
    cat "$1"
    printf '\r\n--------------fwdK1--\r\n'
}

signed "$home/text.part" > "$home/signed-text.entity"
signed "$home/mixed.part" "Content-Transfer-Encoding: 7bit" > "$home/signed-mixed.entity"
encrypted "Letter" "$home/signed-text.entity" > "$out/nested-signed.eml"
encrypted "Report" "$home/signed-mixed.entity" > "$out/nested-signed-attachment.eml"
encrypted "Letter" "$home/text.part" > "$home/letter.eml"
forwarded "$home/letter.eml" > "$out/nested-forwarded.eml"
forwarded "$out/nested-signed.eml" > "$out/nested-forwarded-signed.eml"
