#!/usr/bin/env bash
# GnuPG reads what the encoder wrote under Wine: clear-signed and signed+encrypted inline texts,
# PGP/MIME encrypted and signed bodies (RFC 3156) and a detached signature must decrypt and verify
# with good signatures. Usage: gpg-reads-encoder.sh KEY_FIXTURES ENCODER_OUTPUT
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/gpg-test-home.sh"

# Runs gpg on the arguments; the status lines must hold every wanted keyword and the output the text.
check() {
  local name="$1" text="$2"; shift 2
  local wanted=("$@")
  local status plain
  status="$(mktemp)"; plain="$(mktemp)"
  rm -f "$plain"
  gpg --status-file "$status" --output "$plain" "${args[@]}" 2>/dev/null || true
  for keyword in "${wanted[@]}"; do
    if ! grep -q "^\[GNUPG:\] $keyword" "$status"; then
      echo "FAIL $name: no $keyword"; failures=$((failures + 1))
    fi
  done
  if [ -n "$text" ] && ! grep -q "$text" "$plain" 2>/dev/null; then
    echo "FAIL $name: plaintext lacks '$text'"; failures=$((failures + 1))
  fi
  rm -f "$status" "$plain"
}

# The armoured block of a MIME body, and the signed first part of a multipart/signed body: the
# bytes between the first boundary line's CR LF and the CR LF before the second boundary line.
perl -0777 -ne 'print $1 if /(-----BEGIN PGP MESSAGE-----.*?-----END PGP MESSAGE-----)/s' \
  "$out/pgpmime-encrypted.eml" > "$home/encrypted.asc"
perl -0777 -ne 'if (/boundary="([^"]+)"/) { my $b = quotemeta("--$1");
  if (/\r\n$b\r\n(.*?)\r\n$b\r\n.*?(-----BEGIN PGP SIGNATURE-----.*?-----END PGP SIGNATURE-----)/s) {
    open(my $d, ">", "'"$home"'/signed.part"); binmode $d; print $d $1;
    open(my $s, ">", "'"$home"'/signed.sig"); print $s $2; } }' "$out/pgpmime-signed.eml"

args=(--decrypt "$out/clearsigned.asc"); check "clear-signed inline" "garden" GOODSIG VALIDSIG
args=(--decrypt "$out/signed-encrypted.asc"); check "signed and encrypted inline" "garden" DECRYPTION_OKAY GOODSIG
args=(--decrypt "$home/encrypted.asc"); check "PGP/MIME encrypted" "hello ann" DECRYPTION_OKAY
args=(--verify "$home/signed.sig" "$home/signed.part"); check "PGP/MIME signed" "" GOODSIG VALIDSIG
args=(--verify "$out/detached.txt.asc" "$out/detached.txt"); check "detached signature" "" GOODSIG VALIDSIG
grep -q 'micalg=pgp-sha256;' "$out/pgpmime-signed.eml" || { echo "FAIL micalg"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "gpg read all encoder outputs"
exit "$failures"
