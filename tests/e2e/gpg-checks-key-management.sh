#!/usr/bin/env bash
# GnuPG checks what the key-management road wrote under Wine: the key ring after MANAGE holds Dave's
# key with the fingerprint GnuPG gives it, the exported text imports into GnuPG as that key, the
# description ends with that fingerprint, and after the deletion the export no longer holds it.
# Usage: gpg-checks-key-management.sh KEY_FIXTURES OUTPUT
set -euo pipefail
keys="$1"
out="$2"
homes=()
trap 'for h in "${homes[@]}"; do gpgconf --homedir "$h" --kill all 2>/dev/null || true; rm -rf "$h"; done' EXIT
failures=0

# The fingerprints GnuPG finds in a key file, one a line.
fingerprints() {
  local home
  home="$(mktemp -d)"; homes+=("$home")
  gpg --homedir "$home" --batch --import "$1" 2>/dev/null || true
  gpg --homedir "$home" --batch --with-colons --list-keys 2>/dev/null | awk -F: '/^fpr/ {print $10}' | sort -u
}
check() {
  if [ "$1" != ok ]; then echo "FAIL $2"; failures=$((failures + 1)); fi
}

dave="$(fingerprints "$keys/dave.asc" | head -1)"
[ -n "$dave" ] || { echo "FAIL no fingerprint for dave.asc"; exit 1; }

fingerprints "$out/ring-after-import.pkr" | grep -qx "$dave" && r=ok || r=no
check $r "the key ring after the import lacks $dave"

sed -n '/-----BEGIN PGP PUBLIC KEY BLOCK-----/,/-----END PGP PUBLIC KEY BLOCK-----/p' "$out/export.asc" > "$out/export-block.asc"
[ "$(fingerprints "$out/export-block.asc")" = "$dave" ] && r=ok || r=no
check $r "the exported text does not import as $dave alone"

last="$(tr -d '\r' < "$out/description.txt" | awk 'NF {line = $0} END {print line}' | tr -d ' ' | tr 'a-f' 'A-F')"
[ "$last" = "$dave" ] && r=ok || r=no
check $r "the description ends with '$last', not $dave"

sed -n '/-----BEGIN PGP PUBLIC KEY BLOCK-----/,/-----END PGP PUBLIC KEY BLOCK-----/p' "$out/export-after-delete.asc" > "$out/after-block.asc"
after="$(fingerprints "$out/after-block.asc")"
[ -n "$after" ] && ! grep -qx "$dave" <<<"$after" && r=ok || r=no
check $r "the export after the deletion still holds $dave or nothing"

[ "$failures" = 0 ] && echo "key management checked with gpg"
exit "$failures"
