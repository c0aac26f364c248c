// Defaults and changes of the stand-in mail client's settings.
#include "standins/host/HostSettings.h"

#include <cstdlib>

int64_t ParseNumber(const std::string& text)
{
    return std::strtoll(text.c_str(), nullptr, 0);
}

namespace {
std::string WithBackslash(std::string folder)
{
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}
} // namespace

THostSettings::THostSettings()
{
    Integers = { { 1, 20 }, { 34, 72 }, { 32, 0 }, { 80, 0 }, { 39, 0 }, { 50, 10 }, { 51, 10 }, { 60, 1 },
        { 61, 64 }, { 62, 0 }, { 73, 0 }, { 77, 0 }, { 78, 0 }, { 86, 1 }, { 88, 0x1000 }, { 89, 0 } };
    Texts = { { 0, "Stand-in Printer Header" }, { 26, "" }, { 79, "" } };
}

bool THostSettings::Set(const std::string& name, const std::string& value)
{
    const std::string folder = value == "-" ? std::string() : WithBackslash(value);
    if (name == "version")
        Version = static_cast<uint32_t>(ParseNumber(value));
    else if (name == "formver")
        FormVersion = static_cast<uint32_t>(ParseNumber(value));
    else if (name == "user")
        UserName = value;
    else if (name == "signaturekind")
        SignatureKind = static_cast<uint8_t>(ParseNumber(value));
    else if (name == "identity")
        Identity = value;
    else if (name == "basefolder")
        BaseFolder = folder;
    else if (name == "mailfolder")
        MailFolder = folder;
    else if (name == "newmailfolder")
        NewMailFolder = folder;
    else if (name == "folderchoice")
        FolderChoice = value;
    else if (name == "to")
        To = value;
    else if (name == "cc")
        Cc = value;
    else if (name == "bcc")
        Bcc = value;
    else
        return false;
    return true;
}

int32_t THostSettings::Integer(int index) const
{
    auto it = Integers.find(index);
    return it == Integers.end() ? 0 : it->second;
}

std::string THostSettings::Text(int index) const
{
    auto it = Texts.find(index);
    return it == Texts.end() ? std::string() : it->second;
}
