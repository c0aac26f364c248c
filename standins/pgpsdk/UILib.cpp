// The stand-in user-interface library (PGPsdkUI.dll): init and clean-up and the dialog options.
// The dialogs themselves come with their own unit; until then they refuse and consume options.
#include "standins/pgpsdk/CoreLink.h"
#include "standins/pgpsdk/Options.h"

PGP_UI_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

using standin::OptionKind;

namespace {

PGPOptionListRef UIOption(PGPContextRef context, OptionKind kind, int32_t value, PGPHandle handle, void* pointer,
                          const char* text)
{
    return standin::CoreOption(context, static_cast<int32_t>(kind), value, handle, pointer, text);
}

} // namespace

#define DIALOG_NOT_YET(name, params, last)      \
    PGPError PGP_CDECL name params              \
    {                                           \
        va_list args;                           \
        va_start(args, last);                   \
        standin::DiscardOptions(args);          \
        va_end(args);                           \
        return kPGPError_NotImplemented;        \
    }

extern "C" {

PGPError PGP_CDECL PGPsdkUILibInit(uint32_t) { return standin::NoteLibraryInit(kStandInUI, +1); }
PGPError PGP_CDECL PGPsdkUILibCleanup() { return standin::NoteLibraryInit(kStandInUI, -1); }

DIALOG_NOT_YET(PGPPassphraseDialog, (PGPContextRef context, ...), context)
DIALOG_NOT_YET(PGPConventionalEncryptionPassphraseDialog, (PGPContextRef context, ...), context)
DIALOG_NOT_YET(PGPConventionalDecryptionPassphraseDialog, (PGPContextRef context, ...), context)
DIALOG_NOT_YET(PGPSigningPassphraseDialog, (PGPContextRef, PGPHandle, PGPKeyDBObjRef* key, ...), key)
DIALOG_NOT_YET(PGPDecryptionPassphraseDialog,
               (PGPContextRef, PGPKeySetRef, uint32_t, const PGPKeyID*, PGPKeyDBObjRef* key, ...), key)
DIALOG_NOT_YET(PGPSearchKeyServerDialog,
               (PGPContextRef, uint32_t, const PGPKeyServerRef*, PGPtlsContextRef, PGPBoolean, PGPHandle* found, ...),
               found)

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
