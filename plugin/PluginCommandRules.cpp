// The plug-in's command table and the texts of the menu commands' questions and reports.
#include "plugin/PluginCommandRules.h"

#include "foundation/FileUtils.h"

#include <array>
#include <utility>

namespace PluginCommandRules {
namespace {
constexpr uint16_t TEXT_EXPORTED = 238;
constexpr uint16_t TEXT_EXPORTED_TO = 240;
constexpr uint16_t TEXT_CLIPBOARD = 241;
constexpr uint16_t TEXT_LIST_FILE_NOT_OPENED = 276;
constexpr uint16_t TEXT_REMOVE_DELETED = 278;
constexpr uint16_t TEXT_LIST_UPDATED = 314;
constexpr uint16_t TEXT_FILE_NOT_WRITTEN = 345;
constexpr uint16_t TEXT_KEYS_DELETED = 315;
constexpr const char* CLIPBOARD_CHOICE = ":CLIP:";
constexpr const char* CRLF = "\r\n";

using TEntry = std::pair<uint32_t, TPluginAction>;

// Plug-in menu item numbers 4..23 and the product submenu's 24..26.
constexpr std::array MENU_ACTIONS = {
    TEntry { 4, TPluginAction::About },
    TEntry { 5, TPluginAction::WipePassphrase },
    TEntry { 6, TPluginAction::TogglePGPMime },
    TEntry { 7, TPluginAction::TogglePGPExt },
    TEntry { 8, TPluginAction::ToggleFullAuto },
    TEntry { 9, TPluginAction::SendEncrypted },
    TEntry { 10, TPluginAction::SendSigned },
    TEntry { 11, TPluginAction::SendEncryptedSigned },
    TEntry { 12, TPluginAction::DecryptFolder },
    TEntry { 13, TPluginAction::DecryptMessage },
    TEntry { 14, TPluginAction::FolderViewer },
    TEntry { 15, TPluginAction::VerifyFile },
    TEntry { 16, TPluginAction::KeyDescription },
    TEntry { 17, TPluginAction::ImportCertificates },
    TEntry { 18, TPluginAction::ManageKeys },
    TEntry { 19, TPluginAction::DeleteKeys },
    TEntry { 20, TPluginAction::ExportKeys },
    TEntry { 21, TPluginAction::RemoveCertificate },
    TEntry { 22, TPluginAction::ExportCertificate },
    TEntry { 23, TPluginAction::StartPGP },
    TEntry { 24, TPluginAction::Configuration },
    TEntry { 25, TPluginAction::Manual },
    TEntry { 26, TPluginAction::About },
};

// Toolbar buttons by command id; 1026 and 1027 open their menus before they get here.
constexpr std::array TOOLBAR_ACTIONS = {
    TEntry { 1025, TPluginAction::WipePassphrase },
    TEntry { 1026, TPluginAction::AutoListOn },
    TEntry { 1028, TPluginAction::DecryptMessage },
    TEntry { 1029, TPluginAction::VerifyFile },
    TEntry { 1030, TPluginAction::ManageKeys },
    TEntry { 1031, TPluginAction::StartPGP },
};

// Recipient-list submenu items 24603..24608 (0x6000 + 27..32).
constexpr std::array AUTO_LIST_ACTIONS = {
    TEntry { 27, TPluginAction::AutoListOn },
    TEntry { 28, TPluginAction::AutoListNewPairs },
    TEntry { 29, TPluginAction::AutoListFromKeyRing },
    TEntry { 30, TPluginAction::AutoListEdit },
    TEntry { 31, TPluginAction::AutoListPurge },
    TEntry { 32, TPluginAction::AutoListFile },
};

constexpr std::array KEY_MENU_ACTIONS = {
    TEntry { 1, TPluginAction::AddKeyToAutoList },
    TEntry { 2, TPluginAction::SearchKeyServer },
    TEntry { 3, TPluginAction::CopyKeyID },
};

template <size_t N> TPluginAction Lookup(const std::array<TEntry, N>& table, uint32_t number)
{
    for (const TEntry& entry : table)
        if (entry.first == number)
            return entry.second;
    return TPluginAction::None;
}
} // namespace

TPluginAction ActionOf(const TPluginCommand& command)
{
    switch (command.Kind) {
    case TPluginCommandKind::MenuCommand:
        return Lookup(MENU_ACTIONS, command.Number);
    case TPluginCommandKind::ToolbarButton:
        return Lookup(TOOLBAR_ACTIONS, command.Number);
    case TPluginCommandKind::AutoListItem:
        return Lookup(AUTO_LIST_ACTIONS, command.Number);
    case TPluginCommandKind::KeyMenuItem:
        return Lookup(KEY_MENU_ACTIONS, command.Number);
    case TPluginCommandKind::AddressBookItem:
        return TPluginAction::AddAddressBook;
    case TPluginCommandKind::None:
        break;
    }
    return TPluginAction::None;
}

bool IsAutoListAction(TPluginAction action)
{
    switch (action) {
    case TPluginAction::AutoListOn:
    case TPluginAction::AutoListNewPairs:
    case TPluginAction::AutoListFromKeyRing:
    case TPluginAction::AutoListEdit:
    case TPluginAction::AutoListPurge:
    case TPluginAction::AutoListFile:
    case TPluginAction::AddAddressBook:
        return true;
    default:
        return false;
    }
}

uint32_t SendStateOf(TPluginAction action)
{
    switch (action) {
    case TPluginAction::SendEncrypted:
        return 5;
    case TPluginAction::SendSigned:
        return 6;
    case TPluginAction::SendEncryptedSigned:
        return 7;
    default:
        return 0;
    }
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

std::string SuggestedExportName(const std::string& firstKeyLine, int32_t count)
{
    std::string name = MakeValidFileName(firstKeyLine);
    if (count > 1)
        name += " et al. (" + std::to_string(count) + ")";
    return name;
}

bool IsClipboardChoice(const std::string& choice)
{
    return choice == CLIPBOARD_CHOICE;
}

std::string ExportTargetName(const std::string& choice, const TTextLookup& texts)
{
    return IsClipboardChoice(choice) ? texts(TEXT_CLIPBOARD) : choice;
}

std::string ExportReport(
    const std::string& what, const std::string& targetName, bool certificate, const TTextLookup& texts)
{
    const std::string prefix = certificate ? std::string() : texts(TEXT_EXPORTED);
    return prefix + what + texts(TEXT_EXPORTED_TO) + "\"" + targetName + "\"";
}

std::string DeletedKeysQuestion(const std::string& names, const TTextLookup& texts)
{
    return texts(TEXT_REMOVE_DELETED) + CRLF + CRLF + names;
}

std::string DeletedKeysReport(bool listUpdated, int32_t deletedCount, const TTextLookup& texts)
{
    if (listUpdated)
        return texts(TEXT_LIST_UPDATED) + texts(TEXT_KEYS_DELETED);
    return std::to_string(deletedCount) + texts(TEXT_KEYS_DELETED);
}

std::string ListFileError(const std::string& fileName, const TTextLookup& texts)
{
    return fileName + CRLF + CRLF + texts(TEXT_LIST_FILE_NOT_OPENED);
}

std::string ListFileSaveError(const std::string& fileName, const TTextLookup& texts)
{
    return fileName + CRLF + CRLF + texts(TEXT_FILE_NOT_WRITTEN);
}

} // namespace PluginCommandRules
