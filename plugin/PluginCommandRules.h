// What the plug-in's menu items, toolbar buttons and key popup stand for, and the texts their
// actions build (export file names and reports, the deleted-keys question): rules without windows.
#pragma once

#include "plugin/PluginCommands.h"

#include <cstdint>
#include <functional>
#include <string>

enum class TPluginAction {
    None,
    About,
    WipePassphrase,
    TogglePGPMime,
    TogglePGPExt,
    ToggleFullAuto,
    SendEncrypted, // the active editor's send state 5, 6 or 7 and a send
    SendSigned,
    SendEncryptedSigned,
    DecryptFolder,
    DecryptMessage,
    FolderViewer,
    VerifyFile,
    KeyDescription,
    ImportCertificates,
    ManageKeys,
    DeleteKeys,
    ExportKeys,
    RemoveCertificate,
    ExportCertificate,
    StartPGP,
    Configuration,
    Manual,
    AutoListOn,
    AutoListNewPairs,
    AutoListFromKeyRing,
    AutoListEdit,
    AutoListPurge,
    AutoListFile,
    AddKeyToAutoList,
    SearchKeyServer,
    CopyKeyID,
    AddAddressBook
};

namespace PluginCommandRules {

using TTextLookup = std::function<std::string(uint16_t)>;

// The action of a decoded command; None for numbers no item has.
TPluginAction ActionOf(const TPluginCommand& command);
// The actions of the recipient-list submenu (they switch the list on while it is off).
bool IsAutoListAction(TPluginAction action);
// The send state a send item gives the active editor; 0 for other actions.
uint32_t SendStateOf(TPluginAction action);

// The first line of a text (without its line break).
std::string FirstLine(const std::string& text);
// The name offered for exported keys: the first key's name made a valid file name, with
// " et al. (count)" when there is more than one key.
std::string SuggestedExportName(const std::string& firstKeyLine, int32_t count);
// True for the save dialog's choice of the clipboard instead of a file.
bool IsClipboardChoice(const std::string& choice);
// The name an export target is reported by: the clipboard's text for ":CLIP:", else the file.
std::string ExportTargetName(const std::string& choice, const TTextLookup& texts);
// The report of a finished export: what went (key names, or the certificate record's two texts)
// and where to, in double quotes.
std::string ExportReport(
    const std::string& what, const std::string& targetName, bool certificate, const TTextLookup& texts);
// The question after keys were deleted: remove them from the recipient list as well?
std::string DeletedKeysQuestion(const std::string& names, const TTextLookup& texts);
// The report after that question: the list updated, or only how many keys were deleted.
std::string DeletedKeysReport(bool listUpdated, int32_t deletedCount, const TTextLookup& texts);
// The error shown when the recipient list's file did not open in the text editor.
std::string ListFileError(const std::string& fileName, const TTextLookup& texts);
// The recipient list's file could not be saved.
std::string ListFileSaveError(const std::string& fileName, const TTextLookup& texts);

} // namespace PluginCommandRules
