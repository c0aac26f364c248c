// The stand-in user-interface library (PGPsdkUI.dll): init and clean-up, the dialog options and the
// passphrase dialogs, interactive or answered from the file named by PGPSTANDIN_ANSWERS (the
// key-server search is in KeyServerSearch.cpp).
#include "standins/pgpsdk/AnswersFile.h"
#include "standins/pgpsdk/CoreLink.h"
#include "standins/pgpsdk/DialogAnswers.h"
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/Options.h"
#include "standins/pgpsdk/PassphraseDialog.h"
#include "standins/pgpsdk/StandInLog.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

PGP_UI_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

using standin::DialogKind;
using standin::OptionKind;

namespace {

PGPOptionListRef UIOption(PGPContextRef context, OptionKind kind, int32_t value, PGPHandle handle, void* pointer,
                          const char* text)
{
    return standin::CoreOption(context, static_cast<int32_t>(kind), value, handle, pointer, text);
}

HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

// Copies the passphrase into SDK secure memory, which the caller frees with PGPFreeData.
PGPError HandOver(const standin::SecretBytes& passphrase, char** out)
{
    auto manager = standin::CoreProc<decltype(&::PGPGetDefaultMemoryMgr)>("PGPGetDefaultMemoryMgr");
    auto allocate = standin::CoreProc<decltype(&::PGPNewSecureData)>("PGPNewSecureData");
    if (!manager || !allocate)
        return kPGPError_NotImplemented;
    std::string_view text = passphrase.View();
    auto* secure = static_cast<char*>(allocate(manager(), text.size() + 1, 0));
    if (!secure)
        return kPGPError_OutOfMemory;
    std::memcpy(secure, text.data(), text.size());
    secure[text.size()] = 0;
    *out = secure;
    return kPGPError_NoErr;
}

// Takes the dialog's option handles out of a variadic list; all are consumed, whatever the outcome.
PGPError TakeOptions(va_list args, StandInDialogOptions& options)
{
    PGPError status = standin::TakeOptions(standin::OptionHandles(args), options);
    if (status == kPGPError_NoErr && !options.outputPassphrase)
        status = kPGPError_BadParams;
    return status;
}

PGPError Ask(DialogKind kind, const StandInDialogOptions& options, const std::vector<std::string>& recipients = {})
{
    std::optional<standin::DialogAnswer> answer = standin::NextAnswer(kind);
    if (answer && !recipients.empty()) {
        std::string lines = std::string("Decryption dialog \"") + options.title + "\" for:";
        for (const std::string& recipient : recipients)
            lines += "\r\n  " + recipient;
        standin::AppendToLog(lines);
    }
    standin::SecretBytes passphrase;
    PGPError status = standin::RunPassphraseDialog(ThisModule(), options, answer ? &*answer : nullptr, passphrase,
                                                   recipients);
    return status == kPGPError_NoErr ? HandOver(passphrase, options.outputPassphrase) : status;
}

PGPError AskWithOptions(DialogKind kind, va_list args)
{
    StandInDialogOptions options {};
    PGPError status = TakeOptions(args, options);
    return status == kPGPError_NoErr ? Ask(kind, options) : status;
}

// The key a signing or decryption dialog offers: the caller's default, else the first with a secret part.
PGPError OfferedKey(PGPHandle dbOrSet, PGPKeyDBObjRef defaultKey, PGPKeyDBObjRef* key)
{
    if (defaultKey) {
        *key = defaultKey;
        return kPGPError_NoErr;
    }
    auto first = standin::CoreProc<decltype(&StandInFirstSecretKey)>("StandInFirstSecretKey");
    return first ? first(dbOrSet, key) : kPGPError_NotImplemented;
}

// One line per recipient key id: the key's user id and key id when it is on the key ring, else the key id.
std::vector<std::string> RecipientLines(PGPKeySetRef recipients, uint32_t count, const PGPKeyID* keyIDs)
{
    auto idText = standin::CoreProc<decltype(&::PGPGetKeyIDString)>("PGPGetKeyIDString");
    auto peekDB = standin::CoreProc<decltype(&::PGPPeekKeySetKeyDB)>("PGPPeekKeySetKeyDB");
    auto findKey = standin::CoreProc<PGPError(PGP_CDECL*)(PGPKeyDBRef, const PGPKeyID*, PGPKeyDBObjRef*)>(
        "PGPFindKeyByKeyID");
    auto userID = standin::CoreProc<PGPError(PGP_CDECL*)(PGPKeyDBObjRef, char*, PGPSize, PGPSize*)>(
        "PGPGetPrimaryUserIDName");
    std::vector<std::string> lines;
    if (!idText || !peekDB || !findKey || !userID || !keyIDs)
        return lines;
    const PGPKeyDBRef db = recipients ? peekDB(recipients) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        char id[64] = {};
        if (idText(&keyIDs[i], kPGPKeyIDString_Abbreviated, id) != kPGPError_NoErr)
            continue;
        PGPKeyDBObjRef key = 0;
        char name[256] = {};
        PGPSize length = 0;
        if (db && findKey(db, &keyIDs[i], &key) == kPGPError_NoErr && key
            && userID(key, name, sizeof name - 1, &length) == kPGPError_NoErr)
            lines.push_back(std::string(name, std::min<std::size_t>(length, sizeof name - 1)) + " (" + id + ")");
        else
            lines.push_back(std::string(id) + " (not on your key ring)");
    }
    return lines;
}

} // namespace

extern "C" {

PGPError PGP_CDECL PGPsdkUILibInit(uint32_t) { return standin::NoteLibraryInit(kStandInUI, +1); }
PGPError PGP_CDECL PGPsdkUILibCleanup() { return standin::NoteLibraryInit(kStandInUI, -1); }

#define PLAIN_DIALOG(name, kind)                                       \
    PGPError PGP_CDECL name(PGPContextRef context, ...)                \
    {                                                                  \
        va_list args;                                                  \
        va_start(args, context);                                       \
        PGPError status = standin::Guarded([&]() -> PGPError { return AskWithOptions(kind, args); }); \
        va_end(args);                                                  \
        return status;                                                 \
    }

PLAIN_DIALOG(PGPPassphraseDialog, DialogKind::Passphrase)
PLAIN_DIALOG(PGPConventionalEncryptionPassphraseDialog, DialogKind::ConventionalEncryption)
PLAIN_DIALOG(PGPConventionalDecryptionPassphraseDialog, DialogKind::ConventionalDecryption)

PGPError PGP_CDECL PGPSigningPassphraseDialog(PGPContextRef, PGPHandle dbOrSet, PGPKeyDBObjRef* key, ...)
{
    va_list args;
    va_start(args, key);
    PGPError status = standin::Guarded([&]() -> PGPError {
        StandInDialogOptions options {};
        PGPError taken = TakeOptions(args, options);
        if (taken != kPGPError_NoErr || !key)
            return taken != kPGPError_NoErr ? taken : kPGPError_BadParams;
        PGPError offered = OfferedKey(dbOrSet, options.defaultKey, key);
        return offered == kPGPError_NoErr ? Ask(DialogKind::Signing, options) : offered;
    });
    va_end(args);
    return status;
}

PGPError PGP_CDECL PGPDecryptionPassphraseDialog(PGPContextRef, PGPKeySetRef recipients, uint32_t keyIDCount,
                                                 const PGPKeyID* keyIDs, PGPKeyDBObjRef* key, ...)
{
    va_list args;
    va_start(args, key);
    PGPError status = standin::Guarded([&]() -> PGPError {
        StandInDialogOptions options {};
        PGPError taken = TakeOptions(args, options);
        if (taken != kPGPError_NoErr || !key)
            return taken != kPGPError_NoErr ? taken : kPGPError_BadParams;
        *key = 0;
        if (recipients)
            OfferedKey(recipients, options.defaultKey, key); // none of ours: the passphrase may still be a conventional one
        // Verifying a decryption passphrase means trying it on the key, which the decode does (and
        // asks again when it fails); a second field is for choosing a new passphrase.
        options.verifyPassphrase = 0;
        return Ask(DialogKind::Decryption, options, RecipientLines(recipients, keyIDCount, keyIDs));
    });
    va_end(args);
    return status;
}

PGPOptionListRef PGP_CDECL PGPOUIWindowTitle(PGPContextRef c, const char* title)
{
    return title ? UIOption(c, OptionKind::UIWindowTitle, 0, 0, nullptr, title) : 0;
}
PGPOptionListRef PGP_CDECL PGPOUIDialogPrompt(PGPContextRef c, const char* prompt)
{
    return prompt ? UIOption(c, OptionKind::UIDialogPrompt, 0, 0, nullptr, prompt) : 0;
}
PGPOptionListRef PGP_CDECL PGPOUIOutputPassphrase(PGPContextRef c, char** passphrase)
{
    if (!passphrase)
        return 0;
    *passphrase = nullptr;
    return UIOption(c, OptionKind::UIOutputPassphrase, 0, 0, passphrase, nullptr);
}
PGPOptionListRef PGP_CDECL PGPOUIParentWindowHandle(PGPContextRef c, void* window)
{
    return UIOption(c, OptionKind::UIParentWindowHandle, 0, 0, window, nullptr);
}
PGPOptionListRef PGP_CDECL PGPOUIDefaultKey(PGPContextRef c, PGPKeyDBObjRef key)
{
    return key ? UIOption(c, OptionKind::UIDefaultKey, 0, key, nullptr, nullptr) : 0;
}
PGPOptionListRef PGP_CDECL PGPOUIFindMatchingKey(PGPContextRef c, PGPBoolean on)
{
    return UIOption(c, OptionKind::UIFindMatchingKey, on != 0, 0, nullptr, nullptr);
}
PGPOptionListRef PGP_CDECL PGPOUIVerifyPassphrase(PGPContextRef c, PGPBoolean on)
{
    return UIOption(c, OptionKind::UIVerifyPassphrase, on != 0, 0, nullptr, nullptr);
}

} // extern "C"
