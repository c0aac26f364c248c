// The message-tree dialog's rules that need no window: which commands a part offers, the save
// button's glyph and the tooltip of a part, the name offered for saving, and the host flags of an
// embedded message saved as a host message file.
#pragma once

#include "mime/MimeMsgTree.h"

#include <functional>
#include <string>

// Bitmap resources of the save button.
constexpr int SaveGlyphPart = 104;
constexpr int SaveGlyphMessage = 105;
constexpr int SaveGlyphCertificate = 106;

struct TPartCommands {
    bool View = false;
    bool Save = false;
    int SaveGlyph = SaveGlyphPart;
};

using TPictureTest = std::function<bool(const std::string& extension)>;

// The extension of a file name with its point ("" when none).
std::string FileExtensionOf(const std::string& fileName);
bool IsMultipartNode(const TSectionNode& node);
// Host message files: ".CNM", ".CNR" and ".EML", in any case.
bool IsHostMessageFile(const std::string& fileName);
bool IsPictureAttachment(const TSectionNode& node, const TPictureTest& isPicture);

TPartCommands PartCommandsOf(const TMimeMsgTree& tree, int index, const TPictureTest& isPicture);

// The language text of a part's tooltip, 0 for none.
int TooltipTextOf(const TSectionNode& node);

// The name offered when saving a part: a message node gets 8 hex digits of a hash of its text with
// ".CNM", a host message file its name with ".CNM", both in the save folder; any other part its
// file name without a folder.
std::string SuggestedSaveName(const TMimeMsgTree& tree, int index);

// The mail address of an address header value ("Ann <ann@x>" gives "ann@x"), and the name to
// show for it (the address when it has no name).
std::string AddressPartOf(const std::string& value);
std::string ShownNameOf(const std::string& value);

// The sender line of the dialog's top: the recipient under the To caption when the message is from
// the user's own address, else the sender under the From caption; each with its local date.
struct TSentLine {
    std::string Caption;
    std::string Text;
};
TSentLine SentLineOf(const TSectionNode& message, const TMsgTreeData& data, const std::string& ownAddress);

// The whole message of a message node with a host flags line, by the node that follows it.
std::string MessageWithHostFlags(const TMimeMsgTree& tree, int index, const std::string& fileName);
