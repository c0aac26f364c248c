#!/usr/bin/env bash
# Makes the key-ring pair of the key-function tests with GnuPG in a throw-away home: an RSA key
# with an encryption sub-key and a passphrase, a DSA key with an ElGamal sub-key that expires
# and a second, non-ASCII user id,
# a key that expired long ago and a revoked key; and the pair again without
# the revoked key; Dave's key alone as armoured text and a text he signed; and the key ids of Ann and Bob (keyids.txt).
# Usage: make-keys.sh OUTPUT_FOLDER
set -euo pipefail
out="$1"
mkdir -p "$out"
home="$(mktemp -d)"
trap 'gpgconf --homedir "$home" --kill all 2>/dev/null || true; rm -rf "$home"' EXIT
gpg() { command gpg --homedir "$home" --batch --yes --pinentry-mode loopback "$@"; }

gpg --passphrase ann-pass --quick-gen-key "Ann Lee <ann@example.org>" rsa2048 sign,cert never
ann=$(gpg --list-keys --with-colons ann@example.org | awk -F: '/^fpr/ {print $10; exit}')
gpg --passphrase ann-pass --quick-add-key "$ann" rsa2048 encr never
gpg --passphrase ann-pass --quick-add-uid "$ann" "Ann at work <ann@work.example>"
gpg --passphrase ann-pass --quick-set-primary-uid "$ann" "Ann Lee <ann@example.org>"

gpg --passphrase '' --quick-gen-key "Bob Stone <bob@example.net>" dsa2048 sign,cert 1y
bob=$(gpg --list-keys --with-colons bob@example.net | awk -F: '/^fpr/ {print $10; exit}')
gpg --passphrase '' --quick-add-key "$bob" elg2048 encr 1y
gpg --passphrase '' --quick-add-uid "$bob" "J$(printf '\xc3\xb6')rg Stone <joerg@example.net>"
gpg --passphrase '' --quick-set-primary-uid "$bob" "Bob Stone <bob@example.net>"

gpg --faked-system-time 20200101T000000 --passphrase '' \
    --quick-gen-key "Carol Stone <carol@example.com>" rsa2048 sign,encr 1d

gpg --passphrase '' --quick-gen-key "Dave Gone <dave@example.com>" rsa2048 sign,encr never
dave=$(gpg --list-keys --with-colons dave@example.com | awk -F: '/^fpr/ {print $10; exit}')
# Signed by Dave while his key is still good: the key-server lookup finds his key for it.
printf 'Signed by Dave.\n' | gpg -u dave@example.com --clearsign > "$out/dave-signed.asc"
# GnuPG keeps a revocation certificate for every new key, guarded by a leading colon.
sed 's/^:-----/-----/' "$home/openpgp-revocs.d/$dave.rev" | gpg --import

# Each key's name, key id and encryption sub-key id, for tests that name keys by id.
for who in ann bob; do
  gpg --list-keys --with-colons "$who@example" | awk -F: -v who="$who" \
    '/^pub/ {pub=$5} /^sub/ && $12 ~ /e/ {print who, pub, $5; exit}'
done > "$out/keyids.txt"

gpg --export > "$out/pubring.pkr"
gpg --passphrase ann-pass --export-secret-keys > "$out/secring.skr"
# Dave's public key as armoured text, for imports.
gpg --armor --export dave@example.com > "$out/dave.asc"
# The same pair after another program deleted Dave's key.
gpg --delete-secret-and-public-keys "$dave"
gpg --export > "$out/pubring-nodave.pkr"
gpg --passphrase ann-pass --export-secret-keys > "$out/secring-nodave.skr"
