#!/usr/bin/env bash
# GnuPG reads the message the recipient-list test sent: it is encrypted to the sub-key of the key
# the user chose (first line of chosen.key) and not to the other one (second line), and it
# decrypts with the chosen key's secret key alone. Usage: gpg-reads-recipient-choice.sh KEY_FIXTURES OUTPUT
set -euo pipefail
keys="$1"
out="$2"
home="$(mktemp -d)"
trap 'gpgconf --homedir "$home" --kill all 2>/dev/null || true; rm -rf "$home"' EXIT
gpg() { command gpg --homedir "$home" --batch --yes --pinentry-mode loopback --passphrase ann-pass "$@"; }
gpg --import "$keys/pubring.pkr" "$keys/secring.skr" 2>/dev/null
chosen=$(sed -n 1p "$out/chosen.key")
other=$(sed -n 2p "$out/chosen.key")
# Only the chosen key's secret stays.
for fpr in $(gpg --list-secret-keys --with-colons | awk -F: '/^fpr/ {print $10}'); do
  if ! gpg --list-secret-keys --with-colons "$fpr" 2>/dev/null | grep -qi "$chosen"; then
    gpg --delete-secret-keys "$fpr" 2>/dev/null || true
  fi
done
# The armoured text of the message's body, as a mail reader decodes its transfer encoding.
perl -MMIME::QuotedPrint -0777 -ne 'my ($head, $body) = split /\r?\n\r?\n/, $_, 2;
  $body = decode_qp($body) if $head =~ /^Content-Transfer-Encoding:\s*quoted-printable/mi;
  print $1 if $body =~ /(-----BEGIN PGP MESSAGE-----.*?-----END PGP MESSAGE-----)/s' "$out/chosen.eml" > "$home/msg.asc"
status="$(mktemp)"
plain="$(gpg --status-file "$status" --decrypt "$home/msg.asc" 2>/dev/null || true)"
failures=0
grep -qi "^\[GNUPG:\] ENC_TO $chosen" "$status" || { echo "FAIL: not encrypted to $chosen"; failures=$((failures + 1)); }
if grep -qi "^\[GNUPG:\] ENC_TO $other" "$status"; then echo "FAIL: also encrypted to $other"; failures=$((failures + 1)); fi
grep -q "^\[GNUPG:\] DECRYPTION_OKAY" "$status" || { echo "FAIL: no decryption"; failures=$((failures + 1)); }
grep -q "Meet at noon." <<< "$plain" || { echo "FAIL: plaintext lacks the text"; failures=$((failures + 1)); }
rm -f "$status"
[ "$failures" -eq 0 ] && echo "gpg decrypted the message with the chosen key"
exit "$failures"
