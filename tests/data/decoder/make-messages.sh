#!/usr/bin/env bash
# Makes the decoder tests' key rings and messages with GnuPG in a throw-away home: a recipient key
# with a passphrase, a signer the rings know, a stranger they do not, and messages in the forms
# mail programs send (inline, clear-signed, PGP/MIME) plus damaged ones. Usage: make-messages.sh OUT
set -euo pipefail
out="$1"
mkdir -p "$out"
home="$(mktemp -d)"
trap 'gpgconf --homedir "$home" --kill all 2>/dev/null || true; rm -rf "$home"' EXIT
gpg() { command gpg --homedir "$home" --batch --yes --pinentry-mode loopback "$@"; }

gpg --passphrase rita-pass --quick-gen-key "Rita Reader <rita@example.org>" rsa2048 sign,cert never
rita=$(gpg --list-keys --with-colons rita@example.org | awk -F: '/^fpr/ {print $10; exit}')
gpg --passphrase rita-pass --quick-add-key "$rita" rsa2048 encr never
gpg --passphrase '' --quick-gen-key "Sam Signer <sam@example.org>" rsa2048 sign never
gpg --export rita@example.org sam@example.org > "$out/pubring.pkr"
gpg --passphrase rita-pass --export-secret-keys rita@example.org > "$out/secring.skr"
gpg --armor --export sam@example.org > "$out/sam-key.asc"

printf 'Hello Rita,\nthe meeting moves to Friday.\n' > "$home/plain.txt"
gpg --armor -r rita@example.org -o "$out/encrypted.asc" -e "$home/plain.txt"
gpg --armor -u sam@example.org -r rita@example.org -o "$out/signed-encrypted.asc" -s -e "$home/plain.txt"
gpg -u sam@example.org -o "$out/clearsigned.asc" --clearsign "$home/plain.txt"
gpg --armor -u sam@example.org -o "$out/signed.asc" -s "$home/plain.txt"
gpg --armor -u sam@example.org -o "$out/detached.asc" -b "$home/plain.txt"
# Tampered: one changed letter in the signed text.
sed 's/Friday/Monday/' "$out/clearsigned.asc" > "$out/clearsigned-bad.asc"
# Unknown signer: a key the rings never see.
gpg --passphrase '' --quick-gen-key "Una Known <una@example.org>" rsa2048 sign never
gpg -u una@example.org -o "$out/clearsigned-unknown.asc" --clearsign "$home/plain.txt"
gpg --armor --export una@example.org > "$out/una-key.asc"
# Without integrity protection (an old cipher packet) and with a damaged one.
gpg --armor --rfc2440 --cipher-algo CAST5 -r rita@example.org -o "$out/no-mdc.asc" -e "$home/plain.txt" \
  || gpg --armor --allow-old-cipher-algos --rfc2440 --cipher-algo CAST5 -r rita@example.org -o "$out/no-mdc.asc" -e "$home/plain.txt"
gpg -r rita@example.org -o "$home/enc.bin" -e "$home/plain.txt"
cp "$home/enc.bin" "$out/encrypted.gpg"
python3 - "$home/enc.bin" "$home/tampered.bin" <<'PY'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
data[-30] ^= 0x01  # inside the encrypted data, before the integrity packet
open(sys.argv[2], 'wb').write(bytes(data))
PY
gpg --enarmor < "$home/tampered.bin" | sed 's/ARMORED FILE/MESSAGE/' > "$out/tampered.asc"
# PGP/MIME signed entity as the mail reader hands it over.
printf 'Content-Type: text/plain\r\n\r\nHello Rita,\r\nthe meeting moves to Friday.\r\n' > "$home/entity.txt"
gpg --armor -u sam@example.org -o "$home/entity.sig" -b "$home/entity.txt"
{
  printf 'Content-Type: multipart/signed; micalg=pgp-sha256;\r\n protocol="application/pgp-signature"; boundary="b1"\r\n\r\n'
  printf -- '--b1\r\n'
  cat "$home/entity.txt"
  printf -- '\r\n--b1\r\nContent-Type: application/pgp-signature\r\n\r\n'
  cat "$home/entity.sig"
  printf -- '\r\n--b1--\r\n'
} > "$out/pgpmime-signed.eml"
# For your eyes only, conventional, an armour charset, and PGP/MIME encrypted (holding the signed entity).
gpg --armor --for-your-eyes-only -r rita@example.org -o "$out/eyes-only.asc" -e "$home/plain.txt"
gpg --armor --for-your-eyes-only -u sam@example.org -r rita@example.org -o "$out/eyes-only-signed.asc" -s -e \
  "$home/plain.txt"
gpg --armor --passphrase shared-secret -o "$out/conventional.asc" -c "$home/plain.txt"
sed 's/^-----BEGIN PGP MESSAGE-----$/&\nCharset: ISO-8859-15/' "$out/encrypted.asc" > "$out/charset.asc"
gpg --armor -r rita@example.org -o "$home/entity.asc" -e "$out/pgpmime-signed.eml"
{
  printf 'Content-Type: multipart/encrypted; protocol="application/pgp-encrypted"; boundary="e1"\r\n\r\n'
  printf -- '--e1\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n'
  printf -- '--e1\r\nContent-Type: application/octet-stream\r\n\r\n'
  cat "$home/entity.asc"
  printf -- '\r\n--e1--\r\n'
} > "$out/pgpmime-encrypted.eml"
