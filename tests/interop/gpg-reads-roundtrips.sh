#!/usr/bin/env bash
# GnuPG reads what the plug-in wrote over message files in e2e_RoundTrip: every encrypted message
# decrypts, every signed one verifies with a good signature. Usage: gpg-reads-roundtrips.sh
# KEY_FIXTURES ROUNDTRIP_OUTPUT
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/gpg-test-home.sh"
checked=0

# The status lines of gpg on the arguments must hold the keyword.
expect() {
  local name="$1" keyword="$2"; shift 2
  local status
  status="$(mktemp)"
  gpg --status-file "$status" --output /dev/null "$@" 2>/dev/null || true
  if ! grep -q "^\[GNUPG:\] $keyword" "$status"; then
    echo "FAIL $name: no $keyword"; failures=$((failures + 1))
  fi
  checked=$((checked + 1))
  rm -f "$status"
}

# Each armoured message of a file on its own: gpg takes the blocks of one file as one stream.
blocks() {
  rm -f "$home"/block*.asc
  awk -v dir="$home" '/^-----BEGIN PGP MESSAGE-----/ { n++; f = dir "/block" n ".asc" }
                      f { print > f } /^-----END PGP MESSAGE-----/ { f = "" }' "$1"
  ls "$home"/block*.asc
}

for message in "$out"/*.eml; do
  name="$(basename "$message" .eml)"
  case "$name" in
    encrypt-*) for block in $(blocks "$message"); do expect "$name" DECRYPTION_OKAY --decrypt "$block"; done ;;
    signenc-*)
      for block in $(blocks "$message"); do
        expect "$name" DECRYPTION_OKAY --decrypt "$block"; expect "$name" GOODSIG --decrypt "$block"
      done ;;
    sign-mime-*) expect "$name" GOODSIG --verify "$out/$name.part.asc" "$out/$name.part" ;;
    sign-*) expect "$name" GOODSIG --verify "$message" ;;
  esac
done
echo "$checked messages checked, $failures failures"
[ "$checked" -ge 56 ] && [ "$failures" -eq 0 ]
