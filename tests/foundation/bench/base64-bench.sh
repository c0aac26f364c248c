#!/usr/bin/env bash
# Base64 throughput on 100 MB of random data: our codec (optimised native build, whole process
# including file I/O) against coreutils base64 on the same data. Prints MB/s and the ratios, then
# the in-memory rate of our codec alone.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
clang++ -O2 -std=c++20 -I"$root" "$root/foundation/Base64.cpp" "$root/tests/foundation/bench/Base64Bench.cpp" \
        -o "$work/bench"
head -c $((100 * 1024 * 1024)) /dev/urandom > "$work/data"

seconds() { local t0 t1; t0=$(date +%s%N); "$@" 2>/dev/null; t1=$(date +%s%N); echo "scale=3; ($t1 - $t0) / 1000000000" | bc; }
best() { local b=999999 t; for _ in 1 2 3; do t=$(seconds "$@"); b=$(echo "if ($t < $b) $t else $b" | bc); done; echo "$b"; }

ours_enc=$(best "$work/bench" encode "$work/data" "$work/ours.b64")
ours_dec=$(best "$work/bench" decode "$work/ours.b64" "$work/ours.bin")
core_enc=$(best sh -c "base64 '$work/data' > '$work/core.b64'")
core_dec=$(best sh -c "base64 -d '$work/core.b64' > '$work/core.bin'")
cmp "$work/data" "$work/ours.bin"
cmp "$work/data" "$work/core.bin"
{ tr -d '\r' < "$work/ours.b64"; echo; } | cmp - "$work/core.b64" # same text apart from line ends

mbs() { echo "scale=1; 100 / $1" | bc; }
echo "encode: ours $(mbs "$ours_enc") MB/s, coreutils $(mbs "$core_enc") MB/s, ratio ours/coreutils $(echo "scale=2; $core_enc / $ours_enc" | bc)"
echo "decode: ours $(mbs "$ours_dec") MB/s, coreutils $(mbs "$core_dec") MB/s, ratio ours/coreutils $(echo "scale=2; $core_dec / $ours_dec" | bc)"
"$work/bench" encode "$work/data" /dev/null
"$work/bench" decode "$work/ours.b64" /dev/null
