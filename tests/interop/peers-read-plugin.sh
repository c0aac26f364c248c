#!/usr/bin/env bash
# sq and rnp read what the plug-in wrote in e2e_Peers with Sam's key made by sq: every encrypted
# message decrypts for Quinn (sq) and for Rita (rnp), every signature verifies with both, sign and
# encrypt included. Usage: peers-read-plugin.sh PEERS_DATA PEERS_OUTPUT
set -euo pipefail
data="$1"
out="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export SQ_HOME="$work/sq"
peers="$data/peers"
checked=0
rnp_decrypt() { rnp --homedir "$peers/rnp" --password= --notty -d --output - "$1"; }
failures=0

check() { # name, program, command...
  local name="$1" program="$2"; shift 2
  checked=$((checked + 1))
  if ! "$@" >"$work/out" 2>"$work/err"; then
    echo "FAIL $name ($program): $(tr '\n' ' ' <"$work/err")"
    failures=$((failures + 1))
  fi
}

# Each armoured block of a message, and the signed part and signature of a PGP/MIME signed one.
python3 - "$out" "$work" <<'PY'
import os, re, sys
out, work = sys.argv[1], sys.argv[2]
for name in sorted(os.listdir(out)):
    if not name.endswith(".eml"):
        continue
    text = open(os.path.join(out, name), "rb").read().decode("latin-1")
    stem = name[:-4]
    for i, match in enumerate(re.finditer(r"-----BEGIN PGP (?:MESSAGE|SIGNED MESSAGE)-----.*?-----END PGP (?:MESSAGE|SIGNATURE)-----", text, re.S)):
        open(os.path.join(work, f"{stem}.{i}.asc"), "w", newline="").write(match.group(0) + "\r\n")
    boundary = re.search(r'boundary="([^"]+)"', text)
    if "multipart/signed" in text and boundary:
        delimiter = "--" + boundary.group(1) + "\r\n"
        first = text.index(delimiter) + len(delimiter)
        second = text.index("\r\n" + delimiter, first)
        open(os.path.join(work, f"{stem}.part"), "w", newline="").write(text[first:second])
        sig = text[text.index("-----BEGIN PGP SIGNATURE-----", second):text.index("-----END PGP SIGNATURE-----") + 27]
        open(os.path.join(work, f"{stem}.sig"), "w", newline="").write(sig + "\r\n")
PY

for message in "$out"/*.eml; do
  name="$(basename "$message" .eml)"
  case "$name" in
    sign-mime)
      check "$name" sq sq verify --signer-cert "$peers/sam.asc" --detached "$work/$name.sig" "$work/$name.part"
      check "$name" rnp rnp --homedir "$peers/rnp" --notty -v --source "$work/$name.part" "$work/$name.sig" ;;
    sign-*)
      for block in "$work/$name".*.asc; do
        check "$name" sq sq verify --signer-cert "$peers/sam.asc" "$block"
        check "$name" rnp rnp --homedir "$peers/rnp" --notty -v "$block"
      done ;;
    encrypt-* | signenc-*)
      for block in "$work/$name".*.asc; do
        if [[ "$name" == signenc-* ]]; then
          check "$name" sq sq decrypt --recipient-key "$peers/quinn.key" --signer-cert "$peers/sam.asc" "$block"
        else
          check "$name" sq sq decrypt --recipient-key "$peers/quinn.key" "$block"
        fi
        check "$name" rnp rnp_decrypt "$block"
        # rnp exits 0 on a bad signature too: its report must say the signature is good.
        if [[ "$name" == signenc-* ]] && ! grep -q "Good signature" "$work/err"; then
          echo "FAIL $name (rnp): no good signature: $(tr '\n' ' ' <"$work/err")"; failures=$((failures + 1))
        fi
      done ;;
  esac
done
echo "$checked checks, $failures failures"
[ "$checked" -ge 12 ] && [ "$failures" -eq 0 ]
