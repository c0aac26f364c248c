#!/usr/bin/env bash
# Makes the certificate fixtures of the parser test with openssl and writes facts.tsv: what openssl
# itself reports for each one (version, serial, signature algorithm, key usage, basic constraints,
# serialNumber attribute of the issuer name). Run from anywhere; rewrites the files beside it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/rsa.pem" 2>/dev/null
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$work/ec.pem" 2>/dev/null
openssl genpkey -genparam -algorithm DSA -pkeyopt dsa_paramgen_bits:2048 -out "$work/dsaparam.pem" 2>/dev/null
openssl genpkey -paramfile "$work/dsaparam.pem" -out "$work/dsa.pem"

# self-signed NAME KEY DIGEST SERIAL DAYS SUBJECT [extension...]
selfsigned() {
    local name=$1 key=$2 digest=$3 serial=$4 days=$5 subject=$6
    shift 6
    local ext=()
    for e in "$@"; do ext+=(-addext "$e"); done
    openssl req -x509 -new -key "$work/$key.pem" "-$digest" -set_serial "$serial" -days "$days" \
        -utf8 -subj "$subject" "${ext[@]}" -outform DER -out "$name.der"
}

selfsigned rsa-sha256-ku rsa sha256 0x7F0102030405060708090A0B0C0D0E0F10111213 12000 \
    "/CN=Zoë Überall/serialNumber=AB12" \
    "keyUsage=critical,digitalSignature,keyEncipherment" "subjectAltName=email:zoe@example.org" \
    "basicConstraints=critical,CA:FALSE"
selfsigned rsa-sha1-ca rsa sha1 1 3650 "/CN=Root CA/O=Example" "basicConstraints=critical,CA:TRUE"
selfsigned rsa-sha384-ca-noncritical rsa sha384 0x00FF 3650 "/CN=Loose CA" "basicConstraints=CA:TRUE"
selfsigned rsa-sha512-ee-critical rsa sha512 0x8000000000000001 3650 "/CN=Leaf" \
    "basicConstraints=critical,CA:FALSE" "subjectAltName=email:leaf@example.org"
selfsigned rsa-md5-all rsa md5 123456789 30 "/CN=Every Use" \
    "keyUsage=digitalSignature,nonRepudiation,keyEncipherment,dataEncipherment,keyAgreement,keyCertSign,cRLSign"
selfsigned ec-sha256-decipher ec sha256 0x0102 9000 "/CN=Curve/serialNumber=EC-9" \
    "keyUsage=critical,keyAgreement,decipherOnly" "basicConstraints=CA:FALSE"
selfsigned ec-sha384-encipher ec sha384 0x33 400 "/CN=Curve Two" "keyUsage=keyAgreement,encipherOnly"
selfsigned dsa-sha1 dsa sha1 0x44 365 "/CN=Old DSA" "keyUsage=critical,digitalSignature,nonRepudiation"
selfsigned dsa-sha256 dsa sha256 0x45 365 "/CN=New DSA" "keyUsage=keyCertSign"
# A BMPString name: the default string mask chooses it for characters beyond Latin-1.
printf '[req]\ndistinguished_name=dn\nstring_mask=default\n[dn]\n' > "$work/bmp.cnf"
openssl req -x509 -new -key "$work/rsa.pem" -sha256 -set_serial 0x55 -days 100 -config "$work/bmp.cnf" \
    -utf8 -subj "/CN=Žluťoučký kůň" -addext "keyUsage=dataEncipherment" -outform DER -out rsa-bmpname.der
# A version 1 certificate: signed from a request without any extension.
openssl req -new -key "$work/rsa.pem" -subj "/CN=Version One" -out "$work/v1.csr"
openssl x509 -req -in "$work/v1.csr" -key "$work/rsa.pem" -sha256 -set_serial 0x66 -days 100 \
    -outform DER -out rsa-v1.der 2>/dev/null

{
    printf 'file\tversion\tserial\tsignature\tkeyusage\tbasicconstraints\tissuerserial\n'
    for der in *.der; do
        text="$(openssl x509 -inform DER -in "$der" -noout -text)"
        version="$(sed -n 's/^ *Version: \([0-9]*\) .*/\1/p' <<<"$text")"
        serial="$(openssl x509 -inform DER -in "$der" -noout -serial | sed 's/^serial=//')"
        signature="$(sed -n 's/^ *Signature Algorithm: //p' <<<"$text" | head -1)"
        usage="$(openssl x509 -inform DER -in "$der" -noout -ext keyUsage 2>/dev/null | sed -n '2s/^ *//p')"
        constraints="$(openssl x509 -inform DER -in "$der" -noout -ext basicConstraints 2>/dev/null \
            | sed -n '2s/^ *//p')"
        issuerserial="$(openssl x509 -inform DER -in "$der" -noout -issuer -nameopt sname,sep_multiline,utf8 \
            | sed -n 's/^ *serialNumber=//p')"
        printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$der" "$version" "$serial" "$signature" "${usage:--}" \
            "${constraints:--}" "${issuerserial:--}"
    done
} > facts.tsv
