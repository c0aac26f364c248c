#!/usr/bin/env bash
# Makes the viewers' end-to-end message with GnuPG: a PGP/MIME message to Bob of the key-function
# test rings whose body holds an HTML letter, a German-named text file, a German-named PNG picture
# and a public key of its own (a key no ring holds, made here). Usage: make-message.sh KEY_FIXTURES OUT
set -euo pipefail
keys="$1"
out="$2"
mkdir -p "$out"
source "$(dirname "${BASH_SOURCE[0]}")/../gpg-home.sh"

gpg --passphrase '' --quick-gen-key "Vera Viewer <vera@example.org>" rsa2048 sign,encr never
gpg --armor --export vera@example.org > "$home/vera.asc"
gpg --import "$keys/pubring.pkr"

python3 - "$home/vera.asc" "$home/entity.txt" <<'PY'
import base64, struct, sys, zlib

def png(width, height):
    rows = b''.join(b'\0' + bytes(v for x in range(width) for v in (x * 255 // width, y * 255 // height, 160))
                    for y in range(height))
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))

picture = base64.encodebytes(png(160, 120)).decode().replace('\n', '\r\n')
key = open(sys.argv[1]).read().replace('\r\n', '\n').replace('\n', '\r\n')
entity = ('Content-Type: multipart/mixed; boundary="vb"\r\n\r\n'
          '--vb\r\nContent-Type: text/html; charset=utf-8\r\n\r\n'
          '<html><body><p>Hallo <b>Welt</b>,</p><p>der Bericht liegt bei.</p></body></html>\r\n'
          '--vb\r\nContent-Type: text/plain; charset=utf-8\r\n'
          "Content-Disposition: attachment; filename*=UTF-8''Gr%C3%BC%C3%9Fe.txt\r\n\r\n"
          'Viele Gr\u00fc\u00dfe aus K\u00f6ln\r\n'
          '--vb\r\nContent-Type: image/png; name="=?UTF-8?Q?Pr=C3=BCfbericht.png?="\r\n'
          'Content-Disposition: attachment; filename="=?UTF-8?Q?Pr=C3=BCfbericht.png?="\r\n'
          'Content-Transfer-Encoding: base64\r\n\r\n' + picture +
          '--vb\r\nContent-Type: application/pgp-keys; name="vera.asc"\r\n'
          'Content-Disposition: attachment; filename="vera.asc"\r\n\r\n' + key +
          '--vb--\r\n')
open(sys.argv[2], 'wb').write(entity.encode('utf-8'))
PY
gpg -r bob@example.net --armor -o "$home/body.asc" -e "$home/entity.txt"
{
  printf 'From: Ann Lee <ann@example.org>\r\nTo: Bob Stone <bob@example.net>\r\nSubject: Bericht\r\n'
  printf 'MIME-Version: 1.0\r\nContent-Type: multipart/encrypted; protocol="application/pgp-encrypted"; boundary="eb"\r\n\r\n'
  printf -- '--eb\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n'
  printf -- '--eb\r\nContent-Type: application/octet-stream\r\n\r\n'
  sed 's/$/\r/' "$home/body.asc"
  printf -- '\r\n--eb--\r\n'
} > "$out/message.cnm"
