// The OpenPGP message grammar (RFC 4880 section 11.3, RFC 9580 section 10.3) over one level of
// packets: what an encrypted or compressed packet holds is a message of its own, checked when it
// is opened. A decoder that took any packet sequence would show a literal appended after an
// encrypted or signed message as if it were part of it.
#pragma once

#include "standins/pgpsdk/openpgp/Packets.h"

#include <vector>

namespace standin::openpgp {

constexpr int kTagPadding = 21;

// Exactly one message: an encrypted message (session-key packets, then one encrypted data packet),
// a compressed packet, one literal, or a signed message (a signature then a message, or a one-pass
// header, a message and its signature). Marker packets may stand anywhere, padding at the end.
bool IsOpenPGPMessage(const std::vector<Packet>& packets);

// Signature packets only, at least one: a detached or clear-text signature block.
bool IsSignatureBlock(const std::vector<Packet>& packets);

} // namespace standin::openpgp
