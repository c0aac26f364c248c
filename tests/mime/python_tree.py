#!/usr/bin/env python3
# Prints the part tree of each message file as Python's email package reads it, one JSON object a
# line in walk order: a multipart's child count, a leaf's decoded byte count and SHA-256. The
# embedded message of a message/rfc822 part is walked in place of the part.
import email
import email.policy
import hashlib
import json
import sys

for path in sys.argv[1:]:
    # From bytes: the file reader would translate the line ends and change every byte count.
    with open(path, "rb") as f:
        message = email.message_from_bytes(f.read(), policy=email.policy.compat32)
    print(json.dumps({"file": path}))
    for part in message.walk():
        if part.get_content_type() == "message/rfc822" or (part.is_multipart() and part.get_content_maintype() != "multipart"):
            continue
        if part.is_multipart():
            print(json.dumps({"children": len(part.get_payload())}))
        else:
            content = part.get_payload(decode=True) or b""
            print(json.dumps({"decoded": len(content), "sha256": hashlib.sha256(content).hexdigest()}))
