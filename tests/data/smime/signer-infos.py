#!/usr/bin/env python3
"""Rewrites the signer infos of a DER SignedData: signer-infos.py IN OUT ACTION, where ACTION is
"bad-N" (the N-th signer's signature value gets its last byte changed) or "none" (no signer info
is left)."""
import sys


def parse(data, at=0, end=None):
    """The TLVs of data[at:end] as [tag, header length, body] with bodies parsed when constructed."""
    end = len(data) if end is None else end
    nodes = []
    while at < end:
        tag = data[at]
        length, size = data[at + 1], 2
        if length & 0x80:
            count = length & 0x7F
            length = int.from_bytes(data[at + 2:at + 2 + count], "big")
            size += count
        body = data[at + size:at + size + length]
        nodes.append([tag, parse(body) if tag & 0x20 else body])
        at += size + length
    return nodes


def encode(nodes):
    out = b""
    for tag, body in nodes:
        raw = encode(body) if isinstance(body, list) else body
        length = len(raw)
        count = (length.bit_length() + 7) // 8
        head = bytes([length]) if length < 0x80 else bytes([0x80 | count]) + length.to_bytes(count, "big")
        out += bytes([tag]) + head + raw
    return out


source, target, action = sys.argv[1:4]
tree = parse(open(source, "rb").read())
signed_data = tree[0][1][1][1][0][1]  # ContentInfo, [0], SignedData
signers = signed_data[-1][1]  # the SET of SignerInfo, last in SignedData
if action.startswith("bad-"):
    signer = signers[int(action[4:]) - 1][1]
    value = next(node for node in signer if node[0] == 0x04)  # the signature OCTET STRING
    value[1] = value[1][:-1] + bytes([value[1][-1] ^ 0x01])
elif action == "none":
    signers.clear()
open(target, "wb").write(encode(tree))
