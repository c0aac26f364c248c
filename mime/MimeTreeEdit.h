// MimeTreeEdit: edits of a loaded part tree for the encrypt road (encoded bodies, part headers).
#pragma once
#include "mime/MimeMsgTree.h"

// Stores an encoded part body in node Index and writes the part headers into the node before it
// (encrypt road). With Signature, a raw-text node with the signature part header and a node
// holding Body (the signature) follow the node. Returns the index of the last node handled, -1
// for a node that does not exist. Body is taken by value: a long one handed over is not copied.
int EncodeSectionBody(TMimeMsgTree& Tree, int Index, std::string Body, const std::string& TransferEncoding,
                      bool Signature, bool PgpExtension, uint32_t Flags);
// The same for an encoded body written as it stands (TransferEncoding says what it is already),
// held in pieces by Owner, which the node keeps: a long body handed over is not copied.
int EncodeSectionBody(TMimeMsgTree& Tree, int Index, std::shared_ptr<const void> Owner,
                      std::vector<std::string_view> Body, const std::string& TransferEncoding, bool PgpExtension,
                      uint32_t Flags);

