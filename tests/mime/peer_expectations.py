#!/usr/bin/env python3
# Writes tests/data/mime/peer-*.tsv: what Python's email package makes of sample headers,
# quoted-printable bodies and parameters, so the tests can compare our decoders with a peer on
# both builds. Each line: kind, input and expected output as hex, TAB-separated.
import datetime
import email
import email.utils
import email.header
import email.policy
import os
import quopri
import random
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "mime")
rows = []


def row(kind, data, expected):
    rows.append("%s\t%s\t%s" % (kind, data.hex(), expected.hex()))


headers = [
    "=?UTF-8?Q?Gr=C3=BC=C3=9Fe?= =?UTF-8?Q?_aus_Berlin?=",
    "=?ISO-8859-1?Q?Caf=E9?= au lait",
    "Re: =?utf-8?b?w6TDtsO8?=",
    "=?UTF-8?B?5pel5pys6Kqe?=",
    "plain subject",
    "=?iso-8859-1?q?a?=\r\n =?iso-8859-1?q?b?=",
    "=?UTF-8?Q?x=3Fy=5Fz?=",
]
for h in headers:
    decoded = str(email.header.make_header(email.header.decode_header(h)))
    row("words", h.encode(), decoded.encode("utf-8"))

random.seed(12)
bodies = [b"plain text\r\n", b"caf\xc3\xa9 = 1\r\n", b"x" * 200 + b"\r\n", b"trailing blank \r\nnext\r\n"]
for _ in range(20):
    bodies.append(bytes(random.choice(b"ab =?_\t\xe4\xff.") for _ in range(random.randint(1, 300))))
for body in bodies:
    encoded = quopri.encodestring(body)
    row("qp", encoded, quopri.decodestring(encoded))

params = [
    'attachment; filename="report.pdf"',
    "attachment; filename*=UTF-8''J%C3%B6rg%20M.txt",
    "attachment; filename*0*=UTF-8''a%C3%A4; filename*1=\"b c\"",
    'attachment; name="x"; filename="y;z.txt"',
]
for p in params:
    msg = email.message_from_string("Content-Disposition: " + p + "\n\nx", policy=email.policy.compat32)
    row("filename", p.encode(), (msg.get_filename() or "").encode("utf-8"))

dates = ["Tue, 8 Dec 2026 20:50:34 +0200", "8 Dec 2026 20:50:34 EST", "1 Jan 2049 00:00:00 GMT",
         "Sun, 29 Feb 2004 23:59:59 -0930 (comment)"]
for d in dates:
    t = email.utils.parsedate_tz(d)
    stamp = email.utils.mktime_tz(t)
    utc = datetime.datetime.fromtimestamp(stamp, datetime.timezone.utc)
    row("date", d.encode(), utc.strftime("%a, %-d %b %Y %H:%M:%S +0000").encode())

with open(os.path.join(out, "peer-python.tsv"), "w") as f:
    f.write("\n".join(rows) + "\n")
print(len(rows), "rows")
