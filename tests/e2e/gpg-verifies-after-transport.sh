#!/usr/bin/env bash
# GnuPG verifies a PGP/MIME message signed on the SIGN road after a transport that strips blanks
# and TABs at line ends and rewraps nothing. Usage: gpg-verifies-after-transport.sh KEY_FIXTURES OUT
set -euo pipefail
keys="$1"
out="$2"
home="$(mktemp -d)"
trap 'gpgconf --homedir "$home" --kill all 2>/dev/null || true; rm -rf "$home"' EXIT
gpg() { command gpg --homedir "$home" --batch --yes "$@"; }
gpg --import "$keys/pubring.pkr" 2>/dev/null

perl -pe 's/[ \t]+(\r?\n)$/$1/' "$out/signed.eml" > "$home/transported.eml"
# The signed part: the bytes between the first boundary line's CR LF and the CR LF before the
# second one (RFC 3156), and the signature of the last part.
perl -0777 -ne 'if (/boundary="([^"]+)"/) { my $b = quotemeta("--$1");
  if (/\r\n$b\r\n(.*?)\r\n$b\r\n.*?(-----BEGIN PGP SIGNATURE-----.*?-----END PGP SIGNATURE-----)/s) {
    open(my $d, ">", "'"$home"'/signed.part"); binmode $d; print $d $1;
    open(my $s, ">", "'"$home"'/signed.sig"); print $s $2; } }' "$home/transported.eml"
[ -s "$home/signed.part" ] || { echo "FAIL: no signed part in the transported message"; exit 1; }
status="$(mktemp)"
gpg --status-file "$status" --verify "$home/signed.sig" "$home/signed.part" 2>/dev/null || true
if grep -q '^\[GNUPG:\] GOODSIG' "$status" && grep -q '^\[GNUPG:\] VALIDSIG' "$status"; then
  echo "gpg verified the signature after the transport"; rm -f "$status"; exit 0
fi
echo "FAIL: gpg did not verify the transported signature:"; cat "$status"; rm -f "$status"; exit 1
