#!/usr/bin/env python3
# Makes the certificate-store test data: three self-signed certificates of different not-before
# times as one PKCS#7 bundle (given in an order that is not the time order), one of them alone as
# DER, and PKCS#12 files with a private key (password "test"): one in the older encryption every
# Windows version reads, one as older Windows versions write it (certificates under 40-bit RC2, made
# with OpenSSL's legacy provider) and one in AES with another certificate beside it.
import datetime
import os
import subprocess
import tempfile
from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.hazmat.primitives.serialization import pkcs7, pkcs12
from cryptography.x509.oid import NameOID

def certificate(name, not_before, key):
    subject = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, name)])
    return (x509.CertificateBuilder().subject_name(subject).issuer_name(subject)
            .public_key(key.public_key()).serial_number(x509.random_serial_number())
            .not_valid_before(not_before).not_valid_after(not_before + datetime.timedelta(days=3650))
            .sign(key, hashes.SHA256()))

key = rsa.generate_private_key(public_exponent=65537, key_size=2048)
day = lambda y, m: datetime.datetime(y, m, 1, tzinfo=datetime.timezone.utc)
early, latest, middle = (certificate("Early", day(2020, 1), key), certificate("Latest", day(2024, 6), key),
                         certificate("Middle", day(2022, 3), key))
with open("three.p7b", "wb") as f:
    f.write(pkcs7.serialize_certificates([early, latest, middle], serialization.Encoding.DER))
with open("single.der", "wb") as f:
    f.write(middle.public_bytes(serialization.Encoding.DER))
stored = certificate("ZAVEK Store Test", day(2023, 1), key)
with open("withkey-aes.pfx", "wb") as f:
    f.write(pkcs12.serialize_key_and_certificates(b"ZAVEK test", key, stored, [early],
                                                  serialization.BestAvailableEncryption(b"test")))
with open("withkey.pfx", "wb") as f:
    f.write(pkcs12.serialize_key_and_certificates(
        b"ZAVEK test", key, stored, None,
        serialization.PrivateFormat.PKCS12.encryption_builder()
        .key_cert_algorithm(pkcs12.PBES.PBESv1SHA1And3KeyTripleDESCBC).hmac_hash(hashes.SHA1()).build(b"test")))

with tempfile.TemporaryDirectory() as folder:
    key_file, cert_file = os.path.join(folder, "key.pem"), os.path.join(folder, "cert.pem")
    with open(key_file, "wb") as f:
        f.write(key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                  serialization.NoEncryption()))
    with open(cert_file, "wb") as f:
        f.write(stored.public_bytes(serialization.Encoding.PEM))
    subprocess.run(["openssl", "pkcs12", "-export", "-legacy", "-in", cert_file, "-inkey", key_file,
                    "-passout", "pass:test", "-out", "withkey-rc2.pfx"], check=True)
