// The main object's message-tree command: the dialog's captions from the language texts, the
// folder for saved messages from the mail client, and the user's own address for the sender line.
#include "plugin/MainClass.h"

#include "foundation/RichEd20.h"
#include "plugin/PMInterface.h"
#include "ui/dialogs/MsgTreeDialog.h"

namespace {
// Language texts of the tree's captions: Date, From, To, Subject, Reply-to, unknown value.
constexpr uint16_t TEXT_DATE_CAPTION = 8;
constexpr uint16_t TEXT_UNKNOWN_VALUE = 13;
constexpr uint16_t TEXT_MESSAGE_CAPTION = 14;
constexpr uint16_t TEXT_TEXT_PREFIX = 15;
constexpr uint16_t TEXT_DEFAULT_TYPE_NAME = 16;
constexpr uint16_t TEXT_SUBJECT_SUFFIX = 17;
} // namespace

void TMainClass::ShowMessageTree(const std::string& messageText, const TDecodeCallback& decode)
{
    TPMInterface& host = PMInterface();
    const TZAVEKStrings& texts = Texts();
    const auto utf8 = [&](uint16_t id) { return AnsiToUtf8Text(texts.GetEntry(id)); };
    TMsgTreeSettings settings;
    TMsgTreeData& data = settings.TreeData;
    data.FontFace = host.GetMessageFont().Name;
    data.SaveFolder = host.GetMailFolder();
    data.DateCaption = utf8(TEXT_DATE_CAPTION);
    data.FromCaption = utf8(TEXT_DATE_CAPTION + 1);
    data.ToCaption = utf8(TEXT_DATE_CAPTION + 2);
    data.SubjectCaption = utf8(TEXT_DATE_CAPTION + 3);
    data.ReplyToCaption = utf8(TEXT_DATE_CAPTION + 4);
    data.UnknownValue = utf8(TEXT_UNKNOWN_VALUE);
    data.SubjectSuffix = utf8(TEXT_SUBJECT_SUFFIX);
    data.MessageCaption = texts.GetEntry(TEXT_MESSAGE_CAPTION);
    data.TextPrefix = texts.GetEntry(TEXT_TEXT_PREFIX);
    data.DefaultTypeName = texts.GetEntry(TEXT_DEFAULT_TYPE_NAME);
    data.Decode = decode;
    settings.OwnAddress = host.GetIdentityAddress(host.GetIdentity());
    ::ShowMessageTree(*this, messageText, settings);
}
