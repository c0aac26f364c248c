// The Windows side of the language texts: the overlay language of the logged-on user and the
// icons of this module's resources.
#include "foundation/ZAVEKResources.h"

#include "foundation/ZAVEKCommon.h"

TZAVEKStrings::TZAVEKStrings(const std::string& pattern, const std::string& language)
    : TZAVEKStrings(pattern, language, GetUserLanguageCode())
{
}

HICON LoadIconResource(const std::string& name)
{
    // The resources are this module's: the plug-in library when it runs inside the host.
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&LoadIconResource), &module);
    return static_cast<HICON>(LoadImageA(module, name.c_str(), IMAGE_ICON, 0, 0, LR_SHARED));
}
