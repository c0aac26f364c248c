#!/usr/bin/env bash
# openssl and gpgsm read what the plug-in's encoder wrote under Wine (SMimeStandInTest, and the
# editor's send of e2e_SMimeRoad): the signed entities verify against the test CA and the encrypted
# ones decrypt for ann to the exact text. Usage: smime-interop.sh SMIME_FIXTURES ENCODER_OUTPUT
set -euo pipefail
fixtures="$1"
out="$2"
work="$(mktemp -d)"
trap 'gpgconf --homedir "$work/gnupg" --kill all 2>/dev/null || true; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# Verifies a signed entity with openssl, and its detached signature with gpgsm. The encoder's
# entities sign the exact content; the editor's sign the message body the mail client prepared.
verify() {
    local name=$1 entity=$2
    if ! openssl cms -verify -in "$entity" -CAfile "$fixtures/ca.pem" -out "$work/content" 2>"$work/log"; then
        fail "$name: openssl cms -verify: $(cat "$work/log")"
    elif [[ $name != editor-* ]] && ! cmp -s "$work/content" "$fixtures/content.txt"; then
        fail "$name: openssl gives other content"
    elif ! grep -q "the meeting moves to Friday" "$work/content"; then
        fail "$name: openssl gives other text"
    fi
    openssl smime -pk7out -in "$entity" -outform DER -out "$work/signature" 2>/dev/null || { fail "$name: no signature part"; return; }
    if ! gpgsm "${gpgsm[@]}" --status-fd 1 --verify "$work/signature" "$work/content" 2>/dev/null | grep -q '^\[GNUPG:\] GOODSIG'; then
        fail "$name: gpgsm --verify"
    fi
}

mkdir -m 700 "$work/gnupg"
gpgsm=(--homedir "$work/gnupg" --batch --disable-crl-checks --disable-policy-checks)
gpgsm "${gpgsm[@]}" --import "$fixtures/ca.pem" 2>/dev/null
fingerprint="$(openssl x509 -in "$fixtures/ca.pem" -noout -fingerprint -sha1 | sed 's/.*=//')"
echo "$fingerprint S" > "$work/gnupg/trustlist.txt"

verify signed "$out/signed.eml"
verify signed-sha1 "$out/signed-sha1.eml"
for name in encrypted signed-encrypted editor-signed-encrypted; do
    if ! openssl cms -decrypt -in "$out/$name.eml" -recip "$fixtures/ann.pem" -inkey "$fixtures/ann.key" \
        -out "$work/$name" 2>"$work/log"; then
        fail "$name: openssl cms -decrypt: $(cat "$work/log")"
    fi
done
cmp -s "$work/encrypted" "$fixtures/content.txt" || fail "encrypted: openssl gives other bytes"
for name in signed-encrypted editor-signed-encrypted; do
    [ -s "$work/$name" ] && verify "$name" "$work/$name"
done
[ "$failures" = 0 ] && echo "openssl and gpgsm read every S/MIME entity the encoder wrote"
exit $((failures > 0))
