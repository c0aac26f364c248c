// What the editor's encryption dialog shows for a send state, and the encryption flags the user's
// choice in it leaves in the editor's record.
#pragma once

#include "plugin/EditorData.h"

#include <cstdint>
#include <string>
#include <vector>

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

// The mail client's encryptors the plug-in picks from or takes out of its encryptor list.
inline const std::string ENCRYPTOR_HIDDEN = "qro's X-ZA-VEK Handler";
inline const std::string ENCRYPTOR_PGP_MIME = "qro's PGP/MIME Handler";
inline const std::string ENCRYPTOR_S_MIME = "qro's S/MIME Handler";
inline const std::string ENCRYPTOR_S_MIME_WARNED = "***'s S/MIME Handler";
inline const std::string ENCRYPTOR_INLINE = "Selvadrin";

struct TEncryptorInput {
    int RecipientCount = 0;
    uint32_t FirstRecipientFlags = 0; // the flags of the recipient data's only entry
    uint32_t RequestFlags = 0; // the editor record's flags
    bool PGPMime = false; // "MenuOptions"/"PGPMime"
    bool SMimeDefault = false; // "SMime"/"Default"
    int KeyRingState = 0;
};

struct TEncryptorChoice {
    std::vector<std::string> Removed;
    std::string Selected;
    // The recipients decided the method: the list is not offered.
    bool Locked = false;
};

// Which encryptors the list loses (S/MIME ones without a certificate to sign with) and which one
// is selected: PGP/MIME or S/MIME as the options or the recipients want, else the inline one.
TEncryptorChoice ChooseEncryptor(const TEncryptorInput& input);

// The record's new flags: encrypt and sign as ticked, the MIME kind from the recipients or from
// the flags before, else S/MIME for an S/MIME encryptor, else PGP/MIME when the option says so.
uint32_t EncryptionFlagsChosen(const TEncryptionChoice& choice);
