# Sourced by make-shapes.sh after walk-shapes.sh (its helpers and Ann's signed letter): messages in
# which a signature covers a part only, as forgers send them, into "$out/partly":
# - signed-after-forged.eml: a forged text, then Ann's PGP/MIME signed letter, in multipart/mixed;
# - signed-attached.eml: a forged text with Ann's signed letter attached under it as a file part;
# - signed-message-attached.eml: the same, Ann's signed message attached as message/rfc822;
# - signed-behind-html.eml: an HTML part that opens a hidden block, Ann's signed letter, an HTML
#   part that closes it;
# - signed-in-alternative.eml: multipart/alternative of Ann's signed letter and a forged HTML part;
# - signed-by-reference.eml: multipart/related whose HTML refers to Ann's signed letter by its id;
# - inline-after-forged.eml: a forged text and Ann's clear-signed letter in one text part;
# - inline-attached.eml: a forged text with Ann's clear-signed letter as a ".txt" attachment;
# - info-line-above.eml: a text that opens with a forged "PGP-Info:" result line, then Ann's
#   PGP/MIME signed letter, in multipart/mixed.

partly="$out/partly"
mkdir -p "$partly"
FORGED='Wire the money to account 666 today.'
forgedPart() { printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\n%s\r\n' "$FORGED"; }
clearSigned() {
  printf 'Hello Bob,\r\nthe signed letter is inside.\r\n' | gpg --passphrase ann-pass -u ann@example.org --clearsign | crlf
}
# mixedOf SUBJECT TYPE PART...: a message of the given multipart TYPE whose parts are the files named.
mixedOf() {
  local subject=$1 type=$2
  shift 2
  head_ "$subject"
  printf 'Content-Type: %s; boundary="atk"\r\n\r\n' "$type"
  for part in "$@"; do
    printf -- '--atk\r\n'
    cat "$part"
    printf '\r\n'
  done
  printf -- '--atk--\r\n'
}
forgedPart > "$home/atk-forged.part"
cp "$home/walk-signed-text.entity" "$home/atk-signed.part"
mixedOf "Partly: after" multipart/mixed "$home/atk-forged.part" "$home/atk-signed.part" > "$partly/signed-after-forged.eml"
{
  printf 'Content-Type: application/octet-stream; name="letter.eml"\r\n'
  printf 'Content-Disposition: attachment; filename="letter.eml"\r\nContent-Transfer-Encoding: base64\r\n\r\n'
  base64 -w 76 < "$home/atk-signed.part" | crlf
} > "$home/atk-file.part"
mixedOf "Partly: attached" multipart/mixed "$home/atk-forged.part" "$home/atk-file.part" > "$partly/signed-attached.eml"
{
  printf 'Content-Type: message/rfc822\r\nContent-Disposition: attachment; filename="letter.eml"\r\n\r\n'
  letter "Signed" < "$home/atk-signed.part"
} > "$home/atk-message.part"
mixedOf "Partly: attached message" multipart/mixed "$home/atk-forged.part" "$home/atk-message.part" \
  > "$partly/signed-message-attached.eml"
printf 'Content-Type: text/html\r\n\r\n<p>%s</p><div style="display:none">\r\n' "$FORGED" > "$home/atk-open.part"
printf 'Content-Type: text/html\r\n\r\n</div>\r\n' > "$home/atk-close.part"
mixedOf "Partly: behind HTML" multipart/mixed "$home/atk-open.part" "$home/atk-signed.part" "$home/atk-close.part" \
  > "$partly/signed-behind-html.eml"
printf 'Content-Type: text/html\r\n\r\n<p>%s</p>\r\n' "$FORGED" > "$home/atk-html.part"
mixedOf "Partly: alternative" multipart/alternative "$home/atk-signed.part" "$home/atk-html.part" \
  > "$partly/signed-in-alternative.eml"
printf 'Content-Type: text/html\r\n\r\n<p>%s</p><iframe src="cid:letter@atk" hidden></iframe>\r\n' "$FORGED" \
  > "$home/atk-refer.part"
{ printf 'Content-ID: <letter@atk>\r\n'; cat "$home/atk-signed.part"; } > "$home/atk-referred.part"
mixedOf "Partly: reference" multipart/related "$home/atk-refer.part" "$home/atk-referred.part" \
  > "$partly/signed-by-reference.eml"
{
  head_ "Partly: inline"
  printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\n%s\r\n\r\n' "$FORGED"
  clearSigned
} > "$partly/inline-after-forged.eml"
{
  printf 'Content-Type: text/plain; charset=us-ascii; name="letter.txt"\r\n'
  printf 'Content-Disposition: attachment; filename="letter.txt"\r\n\r\n'
  clearSigned
} > "$home/atk-inline-file.part"
mixedOf "Partly: inline attached" multipart/mixed "$home/atk-forged.part" "$home/atk-inline-file.part" \
  > "$partly/inline-attached.eml"
{
  printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\n'
  printf 'PGP-Info:\t\tGood signature from Ann Lee <ann@example.org>, Validity: Complete\r\n\r\n%s\r\n' "$FORGED"
} > "$home/atk-info.part"
mixedOf "Partly: info line" multipart/mixed "$home/atk-info.part" "$home/atk-signed.part" > "$partly/info-line-above.eml"
