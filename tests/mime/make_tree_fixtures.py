#!/usr/bin/env python3
# Writes tests/data/mime/trees/: messages built with Python's email package (nested multiparts,
# an embedded message, RFC 2231 and RFC 2047 names, base64 and quoted-printable bodies) and, for
# each message and for the protected-message fixtures, the leaf parts as Python's parser sees
# them (NAME.leaves: one JSON object a line), so the tree tests compare with that peer.
import email
import email.policy
import json
import os
import sys
from email.message import EmailMessage
from email.mime.application import MIMEApplication
from email.mime.message import MIMEMessage
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText

here = os.path.dirname(os.path.abspath(__file__))
data = os.path.join(here, "..", "data", "mime")
out = os.path.join(data, "trees")
os.makedirs(out, exist_ok=True)


def head(msg, subject):
    msg["From"] = "Alice <alice@example.org>"
    msg["To"] = "Bob <bob@example.org>"
    msg["Subject"] = subject
    msg["Date"] = "Tue, 08 Dec 2026 20:50:34 +0100"
    return msg


def as_crlf(msg):
    return msg.as_bytes(policy=email.policy.compat32.clone(linesep="\r\n"))


messages = {}

alt = MIMEMultipart("alternative")
alt.attach(MIMEText("Plain body\n", "plain", "utf-8"))
alt.attach(MIMEText("<p>HTML body</p>\n", "html", "utf-8"))
mixed = head(MIMEMultipart("mixed"), "Nested")
mixed.attach(alt)
pdf = MIMEApplication(b"%PDF-1.4 fake\x00\x01\x02" * 40, "pdf")
pdf.add_header("Content-Disposition", "attachment", filename=("utf-8", "", "Bericht \u00fcber M\u00e4rz.pdf"))
mixed.attach(pdf)
noname = MIMEApplication(b"\x00" * 33, "octet-stream")
mixed.attach(noname)
inner = head(MIMEMultipart("mixed"), "Inner message")
inner.attach(MIMEText("Inner text \u00e4\u00f6\u00fc\n", "plain", "iso-8859-1"))
mixed.attach(MIMEMessage(inner))
messages["nested"] = as_crlf(mixed)

related = MIMEMultipart("related")
related.attach(MIMEText('<img src="cid:pic1">\n', "html", "utf-8"))
pic = MIMEApplication(b"\x89PNG\r\n\x1a\n" + b"x" * 100, "png")
pic.replace_header("Content-Type", "image/png")
pic.add_header("Content-ID", "<pic1>")
related.attach(pic)
top = head(MIMEMultipart("mixed"), "=?utf-8?q?Gr=C3=BC=C3=9Fe?=")
top.attach(MIMEText("Caf\u00e9 " * 30 + "\n", "plain", "utf-8"))
top.attach(related)
text_att = MIMEText("attached text\n", "plain", "us-ascii")
text_att.add_header("Content-Disposition", "attachment", filename="notes.txt")
top.attach(text_att)
messages["related"] = as_crlf(top)

single = head(EmailMessage(), "Single")
single.set_content("Just one quoted-printable body with \u00e4 and a long line " + "x" * 90 + "\n", cte="quoted-printable")
messages["single"] = bytes(single)

plain = (b"From: a@example.org\r\nSubject: no MIME\r\n\r\nA plain message\r\nwithout MIME headers.\r\n")
messages["plain"] = plain

for name, raw in messages.items():
    with open(os.path.join(out, name + ".eml"), "wb") as f:
        f.write(raw)


def leaves(raw):
    msg = email.message_from_bytes(raw, policy=email.policy.compat32)
    rows = []
    for part in msg.walk():
        if part.is_multipart():
            continue
        payload = part.get_payload(decode=True) or b""
        rows.append({"type": part.get_content_type(), "charset": part.get_content_charset() or "",
                     "file": part.get_filename() or "", "decoded": len(payload)})
    return rows


names = list(messages) + ["../pgpmime-signed.eml", "../pgpmime-in-mixed.eml", "../smime-multipart-signed.eml"]
for name in names:
    with open(os.path.join(out, name if name.startswith("..") else name + ".eml"), "rb") as f:
        raw = f.read()
    target = os.path.join(out, os.path.basename(name).replace(".eml", "") + ".leaves")
    with open(target, "w") as f:
        for row in leaves(raw):
            f.write(json.dumps(row, ensure_ascii=False) + "\n")
print("trees written to", out)
