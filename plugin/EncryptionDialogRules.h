// What the editor's encryption dialog shows for a send state, and the encryption flags the user's
// choice in it leaves in the editor's record.
#pragma once

#include "plugin/EditorData.h"

#include <cstdint>
#include <string>

struct TEncryptionBoxes {
    bool Encrypt = false;
    bool Sign = false;
};

// The check boxes as the dialog opens: the plug-in's menu choice, the recipient list's mode bits
// (0x01 encrypt, 0x02 sign) when the list found recipients, else encrypt and the default signing.
TEncryptionBoxes EncryptionBoxesFor(uint32_t sendState, bool haveRecipients, uint32_t recipientMode, bool signByDefault);

struct TEncryptionChoice {
    bool Encrypt = false;
    bool Sign = false;
    std::string Encryptor; // the encryptor's text as chosen in the dialog
    bool HaveRecipients = false;
    uint32_t RecipientFlags = 0; // the recipient data's combined flags
    uint32_t FlagsBefore = 0; // the record's flags before the dialog
    bool PGPMime = false; // the "PGP/MIME" option
};

// The record's new flags: encrypt and sign as ticked, the MIME kind from the recipients or from
// the flags before, else S/MIME for an S/MIME encryptor, else PGP/MIME when the option says so.
uint32_t EncryptionFlagsChosen(const TEncryptionChoice& choice);
