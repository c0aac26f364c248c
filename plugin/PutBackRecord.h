// What putting a decrypted or verified message back into a reader or editor needs: the mail
// client's settings for the window (filled by the mail-client interface) and the message's parts
// (filled by the decrypt road from its part tree).
#pragma once

#include "plugin/PMInterface.h"

#include <cstdint>
#include <string>
#include <vector>

// One text of the message; SectionKind is the part-tree kind of the protected section it lies in
// (0: outside any).
struct TPutBackPart {
    std::string Text;
    uint32_t SectionKind = 0;
};

struct TPutBackRecord {
    int Mode = 0; // 0 the message's own window, 1 a reply, 2 a forward
    bool HostV4 = false;
    THostFontDesc MessageFont;
    // Mode 0
    std::string GoodSignatureText, OtherSignatureText, LinkCaption, LinkHint, LinkData;
    std::string BeginMarkerFormat, EndMarkerFormat; // each with one "%s" for the section's kind name
    // Modes 1 and 2
    std::string FurtherText; // the signature text
    int TabWidth = 0;
    std::string LeadText;
    int Flags = 0; // bit 0 and bit 1: the mail client's reply placement
    int BlockNumber = 0;
    std::string ClosingText;
    // The message
    std::vector<TPutBackPart> Parts;
    bool HasSignature = false;
    bool HasKeyToShow = false;
};
