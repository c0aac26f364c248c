#!/usr/bin/env python3
# Writes the protected-message fixtures of tests/data/mime with real tools: gpg (inline message,
# clear-signed text, key block, PGP/MIME) and openssl smime/cms (S/MIME). Run by hand when the
# fixtures need renewing; the tests only read the files it leaves.
import email.utils
import os
import subprocess
import sys
import tempfile

out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "mime")
work = tempfile.mkdtemp(prefix="mimefix")
gnupghome = os.path.join(work, "gnupg")
os.makedirs(gnupghome, mode=0o700)
env = dict(os.environ, GNUPGHOME=gnupghome)


def run(args, data=None):
    return subprocess.run(args, input=data, capture_output=True, check=True, env=env).stdout


def crlf(text):
    return text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def save(name, data):
    with open(os.path.join(out_dir, name), "wb") as f:
        f.write(crlf(data))


head = (b"From: Alice Example <alice@example.org>\n"
        b"To: Bob Example <bob@example.org>\n"
        b"Subject: Fixture\n"
        b"Date: Tue, 08 Dec 2026 20:50:34 +0100\n"
        b"Message-ID: <fixture@example.org>\n")

run(["gpg", "--batch", "--pinentry-mode", "loopback", "--passphrase", "",
     "--quick-gen-key", "Test Key <test@example.org>", "ed25519", "sign", "never"])
fpr = run(["gpg", "--batch", "--with-colons", "--list-keys"]).decode().split("fpr:::::::::")[1].split(":")[0]
run(["gpg", "--batch", "--pinentry-mode", "loopback", "--passphrase", "",
     "--quick-add-key", fpr, "cv25519", "encr", "never"])

plain = b"Hello Bob,\n\nthe meeting moves to Friday.\n- Alice\n"
armored = run(["gpg", "--batch", "--armor", "--trust-model", "always", "-r", "test@example.org", "--encrypt"], plain)
save("inline-message.eml", head + b"\nHello,\n\n" + armored + b"\nBye\n")
clear = run(["gpg", "--batch", "--pinentry-mode", "loopback", "--passphrase", "", "--clearsign"],
            b"Signed line one\n- dash line\n-- double dash\n")
save("clearsigned.eml", head + b"\n" + clear)
save("keyblock.txt", b"Here is my key:\n\n" + run(["gpg", "--batch", "--armor", "--export", fpr]))
save("detached-first.txt", run(["gpg", "--batch", "--pinentry-mode", "loopback", "--passphrase", "",
                                "--armor", "--detach-sign"], plain) + b"\n" + armored)

save("pgpmime-encrypted.eml", head +
     b"MIME-Version: 1.0\n"
     b"Content-Type: multipart/encrypted;\n\tprotocol=\"application/pgp-encrypted\";\n boundary=\"enc-b\"\n\n"
     b"This is an OpenPGP/MIME encrypted message (RFC 4880 and 3156)\n"
     b"--enc-b\nContent-Type: application/pgp-encrypted\n\nVersion: 1\n\n"
     b"--enc-b\nContent-Type: application/octet-stream; name=\"encrypted.asc\"\n\n" + armored +
     b"\n--enc-b--\n")
signed_part = b"Content-Type: text/plain; charset=us-ascii\r\n\r\nSigned body.\r\n"
signature = run(["gpg", "--batch", "--pinentry-mode", "loopback", "--passphrase", "", "--armor", "--detach-sign"],
                signed_part)
save("pgpmime-signed.eml", head +
     b"MIME-Version: 1.0\n"
     b"Content-Type: multipart/signed; micalg=pgp-sha256;\n\tprotocol=\"application/pgp-signature\";\n"
     b" boundary=\"sig-b\"\n\n"
     b"--sig-b\n" + signed_part + b"--sig-b\n"
     b"Content-Type: application/pgp-signature; name=\"signature.asc\"\n\n" + signature + b"--sig-b--\n")
save("pgpmime-in-mixed.eml", head +
     b"MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=\"outer\"\n\n"
     b"--outer\nContent-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\"; boundary=\"inner\"\n\n"
     b"--inner\nContent-Type: application/pgp-encrypted\n\nVersion: 1\n\n"
     b"--inner\nContent-Type: application/octet-stream\n\n" + armored + b"\n--inner--\n"
     b"\n--outer\nContent-Type: text/plain\n\nFooter text with -----BEGIN PGP MESSAGE----- inside\n--outer--\n")

subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "3650",
                "-subj", "/CN=Test S-MIME/emailAddress=test@example.org",
                "-keyout", os.path.join(work, "key.pem"), "-out", os.path.join(work, "cert.pem")],
               check=True, capture_output=True)
cert = os.path.join(work, "cert.pem")
key = os.path.join(work, "key.pem")
with open(cert, "rb") as f:
    save("certificate.txt", b"Stray line\n-----END CERTIFICATE-----\nMy certificate:\n" + f.read())
body = b"Content-Type: text/plain\r\n\r\nS/MIME body text.\r\n"
smime_head = head.replace(b"\n", b"\r\n")
enveloped = run(["openssl", "smime", "-encrypt", "-aes256", cert], body)
save("smime-enveloped.eml", smime_head + enveloped)
save("smime-enveloped-no-type.eml", smime_head +
     enveloped.replace(b"; smime-type=enveloped-data", b""))
save("cms-enveloped.eml", smime_head + run(["openssl", "cms", "-encrypt", "-aes256", cert], body))
save("smime-multipart-signed.eml", smime_head + run(["openssl", "smime", "-sign", "-signer", cert, "-inkey", key], body))
save("smime-opaque-signed.eml", smime_head +
     run(["openssl", "smime", "-sign", "-nodetach", "-signer", cert, "-inkey", key], body))

# gpgsm as a second S/MIME peer: enveloped data for the same certificate.
smhome = os.path.join(work, "gpgsm")
os.makedirs(smhome, mode=0o700)
smenv = dict(os.environ, GNUPGHOME=smhome)
with open(os.path.join(smhome, "gpgsm.conf"), "w") as f:
    f.write("disable-crl-checks\n")
subprocess.run(["gpgsm", "--batch", "--import", cert], env=smenv, check=True, capture_output=True)
listing = subprocess.run(["gpgsm", "--with-colons", "--list-keys"], env=smenv, check=True,
                         capture_output=True).stdout.decode()
fingerprint = [l for l in listing.splitlines() if l.startswith("fpr")][0].split(":")[9]
with open(os.path.join(smhome, "trustlist.txt"), "w") as f:
    f.write(fingerprint + " S relax\n")
gpgsm_body = subprocess.run(["gpgsm", "--batch", "--disable-policy-checks", "--base64", "-r", "test@example.org",
                             "--encrypt"], input=body, env=smenv, check=True, capture_output=True).stdout
save("gpgsm-enveloped.eml", smime_head +
     b"MIME-Version: 1.0\nContent-Type: application/pkcs7-mime; smime-type=enveloped-data; name=\"smime.p7m\"\n"
     b"Content-Transfer-Encoding: base64\nContent-Disposition: attachment; filename=\"smime.p7m\"\n\n" + gpgsm_body)
print("fixtures written to", out_dir)
