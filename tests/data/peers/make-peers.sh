#!/usr/bin/env bash
# Makes keys and messages with two OpenPGP programs besides GnuPG, Sequoia's sq and RNP, for the
# end-to-end tests with those peers. The plug-in's user owns Sam's RSA key, made by sq (a
# certify-only primary key with signing and encryption sub-keys), and Cora's Ed25519/Cv25519 key,
# sq's default, which the SDK cannot use. The peers: Quinn (sq, RSA), Rita (rnp, RSA), Gail (GnuPG,
# RSA) and Nina (GnuPG, NIST P-256). OUTPUT/rings: the plug-in's key rings. OUTPUT/peers: what the
# peers need to read the plug-in's messages (sq key files, an rnp home), and Nina's key to import.
# OUTPUT/messages: texts
# clear-signed by Rita, Quinn and Gail that end in an empty line, messages to Sam signed by Rita and
# by Quinn (the second a PGP/MIME body), a message to Cora, and texts signed by Cora and by Nina.
# Usage: make-peers.sh OUTPUT
set -euo pipefail
out="$1"
rm -rf "$out"
mkdir -p "$out/rings" "$out/peers/rnp" "$out/messages"
source "$(dirname "${BASH_SOURCE[0]}")/../gpg-home.sh"
peers="$out/peers"
msgs="$out/messages"
export SQ_HOME="$home/sq" # no state of sq's own outside the throw-away home
sq() { command sq "$@" 2>/dev/null; }
rnp() { command rnp --homedir "$peers/rnp" --notty --password= "$@"; }
rnpkeys() { command rnpkeys --homedir "$peers/rnp" --notty "$@"; }

for who in "Sam Seq <sam@sq.example>" "Quinn Seq <quinn@sq.example>"; do
  name=$(echo "$who" | sed 's/ .*//; s/.*/\L&/')
  sq key generate --cipher-suite rsa3k --userid "$who" --export "$peers/$name.key"
done
sq key generate --userid "Cora Curve <cora@sq.example>" --export "$peers/cora.key"
for name in sam quinn cora; do sq key extract-cert --output "$peers/$name.asc" "$peers/$name.key"; done

gpg --passphrase '' --quick-gen-key "Gail Gpg <gail@gpg.example>" rsa2048 sign,cert never
gpg --passphrase '' --quick-gen-key "Nina Nist <nina@nist.example>" nistp256 sign,cert never
nina=$(gpg --list-keys --with-colons nina@nist.example | awk -F: '/^fpr/ {print $10; exit}')
gpg --passphrase '' --quick-add-key "$nina" nistp256 encr never
gpg --armor --export nina@nist.example > "$peers/nina.asc"

rnpkeys --generate-key --userid "Rita Rnp <rita@rnp.example>" --password= >/dev/null 2>&1
rnpkeys --export-key rita@rnp.example > "$peers/rita.asc"
rnpkeys --import "$peers/sam.asc" >/dev/null 2>&1

gpg --import "$peers/sam.key" "$peers/cora.key" "$peers/quinn.asc" "$peers/rita.asc"
gpg --export sam@sq.example cora@sq.example quinn@sq.example rita@rnp.example gail@gpg.example \
    nina@nist.example > "$out/rings/pubring.pkr"
gpg --export-secret-keys sam@sq.example cora@sq.example > "$out/rings/secring.skr"
for who in sam cora quinn rita nina; do
  gpg --list-keys --with-colons "$who@" | awk -F: -v who="$who" '/^pub/ {print who, $5; exit}'
done > "$out/keyids.txt"

# A text whose last line is empty: the line break before the signature belongs to the armour.
printf 'Hello Sam,\n\nthe report is attached.  \n\n' > "$home/blank.txt"
rnp -u rita@rnp.example --clearsign --output "$msgs/rita-clearsigned.asc" "$home/blank.txt"
sq sign --cleartext-signature --signer-key "$peers/quinn.key" --output "$msgs/quinn-clearsigned.asc" "$home/blank.txt"
gpg -u gail@gpg.example --output "$msgs/gail-clearsigned.asc" --clearsign "$home/blank.txt"

printf 'Hello Sam,\nthe figures are in.\n' > "$home/plain.txt"
rnp -u rita@rnp.example -r sam@sq.example --armor -e -s --output "$msgs/rita-to-sam.asc" "$home/plain.txt"
printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nHello Sam,\r\nthe parts are in the tree.\r\n' > "$home/entity.txt"
sq encrypt --recipient-cert "$peers/sam.asc" --signer-key "$peers/quinn.key" --output "$msgs/quinn-mime-to-sam.asc" \
    "$home/entity.txt"
sq encrypt --recipient-cert "$peers/cora.asc" --output "$msgs/to-cora.asc" "$home/plain.txt"
sq sign --cleartext-signature --signer-key "$peers/cora.key" --output "$msgs/cora-clearsigned.asc" "$home/plain.txt"
gpg -u nina@nist.example --output "$msgs/nina-clearsigned.asc" --clearsign "$home/plain.txt"
