#!/usr/bin/env bash
# Encrypt and decrypt of 10 MB and 100 MB to a passphrase (AES-256, no compression): the stand-in
# SDK under Wine against gpg natively, same data, wall-clock times and ours/gpg ratios.
# Usage: tests/interop/bench/run-bench.sh [build-dir]   (after the Windows build; needs bc)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
build="${1:-$root/build}"
bench="$build/windows/pgpsdk/g13/SdkBench.exe"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}" WINEDEBUG=-all
[ -f "$bench" ] || { echo "build SdkBench first: cmake --build $build/windows --target SdkBench" >&2; exit 2; }
work="$(mktemp -d)"
trap 'gpgconf --homedir "$work/gnupg" --kill all 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -m 700 "$work/gnupg"
pass="bench passphrase"
gpg_run() { gpg --homedir "$work/gnupg" --batch --yes --pinentry-mode loopback --passphrase "$pass" "$@" 2>/dev/null; }
# Best of three wall-clock runs, in seconds (startup of Wine or gpg included, as a user sees it).
seconds() {
  local best="" start end took
  for _ in 1 2 3; do
    start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N)
    took=$(echo "$end - $start" | bc)
    if [ -z "$best" ] || [ "$(echo "$took < $best" | bc)" = 1 ]; then best=$took; fi
  done
  echo "$best"
}

# Start the Wine server and gpg's agent outside the timings.
wine "$bench" >/dev/null 2>&1 || true
echo warm-up >"$work/tiny"; gpg_run --symmetric --output "$work/tiny.pgp" "$work/tiny"
printf '%-6s %-8s %10s %10s %8s\n' size step ours_s gpg_s ratio
for mb in 10 100; do
  head -c $((mb << 20)) /dev/urandom >"$work/plain"
  ours_enc=$(seconds wine "$bench" encrypt "$pass" "$work/plain" "$work/ours.pgp")
  gpg_enc=$(seconds gpg_run --cipher-algo AES256 --compress-algo none --symmetric --output "$work/gpg.pgp" "$work/plain")
  ours_dec=$(seconds wine "$bench" decrypt "$pass" "$work/gpg.pgp" "$work/ours.out")
  gpg_dec=$(seconds gpg_run --decrypt --output "$work/gpg.out" "$work/ours.pgp")
  cmp -s "$work/plain" "$work/ours.out" && cmp -s "$work/plain" "$work/gpg.out" || { echo "round trip differs at ${mb} MB" >&2; exit 1; }
  printf '%-6s %-8s %10.2f %10.2f %8.2f\n' "${mb}MB" encrypt "$ours_enc" "$gpg_enc" "$(echo "$ours_enc / $gpg_enc" | bc -l)"
  printf '%-6s %-8s %10.2f %10.2f %8.2f\n' "${mb}MB" decrypt "$ours_dec" "$gpg_dec" "$(echo "$ours_dec / $gpg_dec" | bc -l)"
done
