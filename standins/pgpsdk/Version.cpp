// The stand-in core's version: the PGP product version text comes from the core's own version
// resource, so a relink with another resource presents another SDK generation consistently.
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/TestHooks.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace {

std::string OwnVersionValue(const char* name)
{
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&OwnVersionValue), &self))
        return {};
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return {};
    std::vector<char> info(size);
    if (!GetFileVersionInfoA(path, 0, size, info.data()))
        return {};
    std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    char* value = nullptr;
    UINT valueLength = 0;
    if (!VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &valueLength) || !value)
        return {};
    return std::string(value, strnlen(value, valueLength));
}

} // namespace

extern "C" int32_t PGP_CDECL StandInGeneration()
{
    // Only the releases this stand-in is built as; see the variants of the build.
    static const struct {
        const char* version;
        int32_t generation;
    } kReleases[] = { { "4.2.0", 13 }, { "3.12.0", 11 }, { "3.9.0", 8 }, { "3.5.0", 5 }, { "3.2.0", 4 }, { "2.0.0", 2 } };
    std::string version = OwnVersionValue("ProductVersion");
    for (const auto& release : kReleases)
        if (version == release.version)
            return release.generation;
    return 0;
}

extern "C" PGPError PGP_CDECL PGPGetPGPsdkVersionString(char* text)
{
    if (!text)
        return kPGPError_BadParams;
    if (standin::FaultRequested("version"))
        return kPGPError_NotImplemented;
    std::string version = OwnVersionValue("PGPVersion");
    if (version.empty())
        return kPGPError_NotImplemented;
    version += " (stand-in SDK " + OwnVersionValue("ProductVersion") + ")";
    version.resize(std::min<size_t>(version.size(), 255));
    std::memcpy(text, version.c_str(), version.size() + 1);
    return kPGPError_NoErr;
}
