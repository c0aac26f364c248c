#!/usr/bin/env bash
# Makes the decrypt road's end-to-end messages with GnuPG from the key-function test rings: a
# letter encrypted to Bob (his secret key has no passphrase) and to Ann (hers has one), the letter
# to Bob with one bit of the encrypted data flipped, one clear-signed by Ann, and one to Ann signed
# by Bob, inline and as the body of a PGP/MIME message, and an HTML letter to Bob as a PGP/MIME body;
# then the nested ones of nested-messages.sh. Usage: make-messages.sh KEY_FIXTURES OUTPUT_FOLDER
set -euo pipefail
keys="$1"
out="$2"
mkdir -p "$out"
source "$(dirname "${BASH_SOURCE[0]}")/../gpg-home.sh"

gpg --import "$keys/pubring.pkr"
printf 'Hello Bob,\nthe meeting moves to Friday.\n' > "$home/plain.txt"
gpg --armor -r bob@example.net -o "$out/to-bob.asc" -e "$home/plain.txt"
gpg --armor -r ann@example.org -o "$out/to-ann.asc" -e "$home/plain.txt"
gpg -r bob@example.net -o "$home/enc.bin" -e "$home/plain.txt"
python3 - "$home/enc.bin" "$home/tampered.bin" <<'PY'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
data[-30] ^= 0x01  # inside the encrypted data, before the integrity packet
open(sys.argv[2], 'wb').write(bytes(data))
PY
gpg --enarmor < "$home/tampered.bin" | sed 's/ARMORED FILE/MESSAGE/' > "$out/to-bob-tampered.asc"
gpg --passphrase ann-pass --import "$keys/secring.skr"
gpg --passphrase ann-pass -u ann@example.org -o "$out/signed-by-ann.asc" --clearsign "$home/plain.txt"
gpg --passphrase ann-pass -u ann@example.org -r bob@example.net --armor -o "$out/signed-to-bob.asc" -s -e "$home/plain.txt"
gpg -u bob@example.net -r ann@example.org --armor -o "$out/to-ann-signed-by-bob.asc" -s -e "$home/plain.txt"
gpg -u bob@example.net -r ann@example.org --armor --for-your-eyes-only -o "$out/eyes-only-to-ann.asc" -s -e \
  "$home/plain.txt"
printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nHello Ann,\r\nthe parts are in the tree.\r\n' > "$home/entity.txt"
gpg -u bob@example.net -r ann@example.org --armor -o "$out/mime-to-ann-signed-by-bob.asc" -s -e "$home/entity.txt"
printf 'Content-Type: text/html; charset=us-ascii\r\n\r\n<html><body><p>Hello <b>Bob</b>,</p><p>the styled letter.</p></body></html>\r\n' > "$home/html.txt"
gpg -r bob@example.net --armor -o "$out/mime-html-to-bob.asc" -e "$home/html.txt"
source "$(dirname "${BASH_SOURCE[0]}")/nested-messages.sh"
