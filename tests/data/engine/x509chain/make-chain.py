#!/usr/bin/env python3
# Makes the chain-check test data: a CA and a leaf it issued, a copy of the leaf with a damaged
# signature, and a second CA of the same name whose key did not sign the leaf (all DER; the leaf
# begins a month after its CA, as issued certificates do).
import datetime
from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import rsa
from cryptography.x509.oid import NameOID

start = datetime.datetime(2024, 1, 1, tzinfo=datetime.timezone.utc)

def name(text):
    return x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, text)])

def issue(subject, subject_key, issuer, issuer_key, ca, days_later=0):
    begin = start + datetime.timedelta(days=days_later)
    return (x509.CertificateBuilder().subject_name(name(subject)).issuer_name(name(issuer))
            .public_key(subject_key.public_key()).serial_number(x509.random_serial_number())
            .not_valid_before(begin).not_valid_after(begin + datetime.timedelta(days=3650))
            .add_extension(x509.BasicConstraints(ca=ca, path_length=None), critical=True)
            .sign(issuer_key, hashes.SHA256()))

def save(file, certificate):
    with open(file, "wb") as f:
        f.write(certificate.public_bytes(serialization.Encoding.DER))

ca_key, other_key, leaf_key = (rsa.generate_private_key(public_exponent=65537, key_size=2048) for _ in range(3))
ca = issue("Chain Test CA", ca_key, "Chain Test CA", ca_key, True)
leaf = issue("Chain Test Leaf", leaf_key, "Chain Test CA", ca_key, False, days_later=31)
save("ca.der", ca)
save("leaf.der", leaf)
save("other-ca.der", issue("Chain Test CA", other_key, "Chain Test CA", other_key, True))
damaged = bytearray(leaf.public_bytes(serialization.Encoding.DER))
damaged[-5] ^= 0x01  # inside the signature value
with open("leaf-damaged.der", "wb") as f:
    f.write(bytes(damaged))
