#!/usr/bin/env bash
# Makes the S/MIME fixtures with openssl into the folder given: a CA, certificates with their
# PKCS#12 files (password NAME-pass) for ann and bob, an expired one and a revoked one (with the
# CA's CRL, and a forged CRL naming ann), and messages openssl signs (detached and opaque) and
# encrypts (AES-128, AES-256, triple DES) for ann, one encrypted for bob alone, one whose signed
# text was changed, and signed ones encrypted (multipart/signed, opaque, and with an attachment;
# the last two also with bare LF line ends inside the envelope), a signature over a letter
# beside an enveloped part, and multipart/signed forgeries (signer-infos.py rewrites signers).
set -euo pipefail
out="$1"
rm -rf "$out"
mkdir -p "$out"
cd "$out"

cat > ca.cnf <<'CNF'
[ca]
default_ca = test
[test]
dir = .
database = index.txt
new_certs_dir = .
serial = serial
certificate = ca.pem
private_key = ca.key
crlnumber = crlnumber
default_md = sha256
default_crl_days = 3650
policy = anything
copy_extensions = copy
unique_subject = no
[anything]
commonName = supplied
[user]
basicConstraints = critical,CA:FALSE
keyUsage = digitalSignature,keyEncipherment
CNF
: > index.txt
echo 1000 > serial
echo 01 > crlnumber
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -subj "/CN=ZAVEK Test CA/O=ZAVEK" -days 3650 \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" -out ca.pem 2>/dev/null
openssl x509 -in ca.pem -outform DER -out ca.der

# user NAME START END: a certificate for NAME@example.org valid from START to END, with its PKCS#12.
user() {
    local name=$1 start=$2 end=$3
    openssl req -newkey rsa:2048 -nodes -keyout "$name.key" -subj "/CN=${name^} Test" \
        -addext "subjectAltName=email:$name@example.org" -out "$name.csr" 2>/dev/null
    openssl ca -batch -config ca.cnf -extensions user -startdate "$start" -enddate "$end" \
        -in "$name.csr" -out "$name.pem" 2>/dev/null
    openssl x509 -in "$name.pem" -outform DER -out "$name.der"
    openssl pkcs12 -export -in "$name.pem" -inkey "$name.key" -certfile ca.pem -name "$name" \
        -passout "pass:$name-pass" -out "$name.p12"
}
user ann 20240101000000Z 20440101000000Z
user bob 20240101000000Z 20440101000000Z
user old 20200101000000Z 20210101000000Z
user gone 20240101000000Z 20440101000000Z
openssl ca -config ca.cnf -revoke gone.pem 2>/dev/null
openssl ca -config ca.cnf -gencrl -out ca.crl 2>/dev/null
# A later list in the CA's name that another key signed, naming ann: not to be believed.
mkdir rogue
(cd rogue && cp ../ca.cnf . && : > index.txt && echo 1000 > serial && echo 01 > crlnumber \
    && openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -subj "/CN=ZAVEK Test CA/O=ZAVEK" -days 3650 \
        -out ca.pem 2>/dev/null \
    && openssl ca -config ca.cnf -revoke ../ann.pem 2>/dev/null && openssl ca -config ca.cnf -gencrl -out ../forged.crl 2>/dev/null)

printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nHello Bob,\r\nthe meeting moves to Friday.\r\n' > content.txt
sign() { # NAME OUT [openssl option...]
    local name=$1 file=$2
    shift 2
    openssl cms -sign -binary -crlfeol -md sha256 -in content.txt -signer "$name.pem" -inkey "$name.key" \
        -certfile ca.pem "$@" -out "$file"
}
sign ann signed-detached.eml
sign ann signed-opaque.eml -nodetach
sign old signed-expired.eml
sign gone signed-revoked.eml
sed 's/moves to Friday/moves to Monday/' signed-detached.eml > signed-tampered.eml
for cipher in aes128 aes256 des3; do
    openssl cms -encrypt -binary -crlfeol "-$cipher" -in content.txt -out "encrypted-$cipher.eml" ann.pem
done
openssl cms -encrypt -binary -crlfeol -aes256 -in content.txt -out encrypted-for-bob.eml bob.pem
# Signed, then encrypted: the enveloped content is the whole multipart/signed entity.
openssl cms -encrypt -binary -crlfeol -aes256 -in signed-detached.eml -out signed-encrypted.eml ann.pem
# Signed, then encrypted, as other clients write it: opaque signed-data inside the envelope, and a
# signed letter with a PDF attachment (multipart/signed over multipart/mixed).
openssl cms -encrypt -binary -crlfeol -aes256 -in signed-opaque.eml -out signed-opaque-encrypted.eml ann.pem
printf '%%PDF-1.4\n\x00\x01\x02\xff binary report\n%%%%EOF\n' > report.pdf
{
    printf 'Content-Type: multipart/mixed; boundary="mixS5"\r\n\r\n--mixS5\r\n'
    printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nHello Bob,\r\nthe report is attached.\r\n\r\n--mixS5\r\n'
    printf 'Content-Type: application/pdf; name="report.pdf"\r\nContent-Disposition: attachment; filename="report.pdf"\r\n'
    printf 'Content-Transfer-Encoding: base64\r\n\r\n'
    base64 -w 76 report.pdf | sed 's/$/\r/'
    printf '\r\n--mixS5--\r\n'
} > mixed.txt
openssl cms -sign -binary -crlfeol -md sha256 -in mixed.txt -signer ann.pem -inkey ann.key -certfile ca.pem \
    -out signed-attachment.eml
openssl cms -encrypt -binary -crlfeol -aes256 -in signed-attachment.eml -out signed-attachment-encrypted.eml ann.pem
# The same two with bare LF line ends inside the envelope, as clients that encrypt LF text write them.
for name in signed-opaque signed-attachment; do
    sed 's/\r$//' "$name.eml" > "$name-lf.txt"
    openssl cms -encrypt -binary -aes256 -in "$name-lf.txt" -out "$name-encrypted-lf.eml" ann.pem
done
# An outer signature over inner encryption: a letter and an enveloped part for ann, signed by ann.
{
    printf 'Content-Type: multipart/mixed; boundary="mixS6"\r\n\r\n--mixS6\r\n'
    printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nThe outer text, signed.\r\n--mixS6\r\n'
    sed 's/\r*$/\r/' encrypted-aes128.eml
    printf -- '--mixS6--\r\n'
} > over.txt
openssl cms -sign -binary -crlfeol -md sha256 -in over.txt -signer ann.pem -inkey ann.key -certfile ca.pem \
    -out signed-over-encrypted.eml
# Signatures that must not read as good, in multipart/signed: one whose SignedData carries the
# letter while the first part holds another text; two signers, ann and bob, with the first or the
# second signature damaged; one without any signer; and a signed letter after a forged text.
here="$(dirname "$(readlink -f "$0")")"
printf 'Content-Type: text/plain; charset=us-ascii\r\n\r\nWire the money to account 666 today.\r\n' > forged.txt
# multipartSigned FIRST P7S OUT: a multipart/signed entity of the file FIRST and the DER signature P7S.
multipartSigned() {
    {
        printf 'MIME-Version: 1.0\r\nContent-Type: multipart/signed; protocol="application/pkcs7-signature"; '
        printf 'micalg=sha-256; boundary="sigS7"\r\n\r\n--sigS7\r\n'
        cat "$1"
        printf '\r\n--sigS7\r\nContent-Type: application/pkcs7-signature; name="smime.p7s"\r\n'
        printf 'Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename="smime.p7s"\r\n\r\n'
        base64 -w 76 "$2"
        printf '\r\n--sigS7--\r\n'
    } > "$3"
}
openssl cms -sign -binary -nodetach -md sha256 -in content.txt -signer ann.pem -inkey ann.key -certfile ca.pem \
    -outform DER -out embedded.p7s
multipartSigned forged.txt embedded.p7s signed-embedded-other.eml
openssl cms -sign -binary -md sha256 -in content.txt -signer ann.pem -inkey ann.key -signer bob.pem -inkey bob.key \
    -certfile ca.pem -outform DER -out two.p7s
for bad in 1 2; do
    python3 "$here/signer-infos.py" two.p7s "bad-$bad.p7s" "bad-$bad"
    multipartSigned content.txt "bad-$bad.p7s" "signed-two-signers-bad-$bad.eml"
done
python3 "$here/signer-infos.py" two.p7s none.p7s none
multipartSigned content.txt none.p7s signed-no-signer.eml
# A signed letter in a multipart/mixed after a forged text: partly signed.
{
    printf 'MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary="mixS8"\r\n\r\n--mixS8\r\n'
    cat forged.txt
    printf '\r\n--mixS8\r\n'
    sed '1{/^MIME-Version:/d}' signed-detached.eml
    printf '\r\n--mixS8--\r\n'
} > signed-beside-forged.eml
# Mail files end their lines in CR LF throughout.
perl -pi -e 's/\r?\n/\r\n/' ./*.eml
