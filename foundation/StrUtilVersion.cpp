// StrUtil's version information: fixed info, translation and strings of a file's version resource,
// file version numbers, and the Windows version as a number and as a short text.
#include "foundation/StrUtil.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace {

const char* const VersionStringNames[VersionStringCount] = { "\\Comments", "\\CompanyName", "\\FileDescription",
    "\\FileVersion", "\\InternalName", "\\LegalCopyright", "\\LegalTrademarks", "\\OriginalFilename",
    "\\PrivateBuild", "\\ProductName", "\\ProductVersion", "\\SpecialBuild" };

// The whole version resource of a file; empty when it has none.
std::vector<uint8_t> ReadVersionBlock(const std::string& File)
{
    DWORD ignored = 0;
    DWORD size = File.empty() ? 0 : GetFileVersionInfoSizeA(File.c_str(), &ignored);
    std::vector<uint8_t> block(size);
    if (size == 0 || !GetFileVersionInfoA(File.c_str(), 0, size, block.data()))
        block.clear();
    return block;
}

bool QueryVersion(const void* Block, const std::string& SubBlock, void*& Value, UINT& Length)
{
    Value = nullptr;
    Length = 0;
    return Block && VerQueryValueA(Block, SubBlock.c_str(), &Value, &Length) && Value;
}

struct TWindowsVersion {
    OSVERSIONINFOEXA Info {};
    DWORD Major = 0, Minor = 0;
};

// GetVersionExA (extended record, else the plain one); on NT above 5 the numbers come from
// Kernel32.dll's file version, since GetVersionExA no longer tells the truth there.
TWindowsVersion ReadWindowsVersion()
{
    TWindowsVersion v;
    v.Info.dwOSVersionInfoSize = sizeof v.Info;
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v.Info))) {
        v.Info = {};
        v.Info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&v.Info));
    }
    v.Major = v.Info.dwMajorVersion;
    v.Minor = v.Info.dwMinorVersion;
    if (v.Info.dwPlatformId == VER_PLATFORM_WIN32_NT && v.Major > 5) {
        if (uint32_t kernel = GetKernel32Version()) {
            v.Major = kernel >> 16;
            v.Minor = kernel & 0xFFFF;
        }
    }
    return v;
}

std::string WindowsName(DWORD Platform, DWORD Major, DWORD Minor)
{
    if (Platform == VER_PLATFORM_WIN32s)
        return "32s";
    if (Platform == VER_PLATFORM_WIN32_WINDOWS)
        return Minor == 0 ? "95" : Minor == 10 ? "98" : Minor == 90 ? "ME" : "";
    if (Platform != VER_PLATFORM_WIN32_NT)
        return "";
    struct Row {
        DWORD major, minor;
        const char* name;
    };
    // Kernel32.dll of Windows 8 and 8.1 carries 6.2 and 6.3, so those name the two as well.
    static const Row Rows[] = { { 5, 0, "2K" }, { 5, 1, "XP" }, { 5, 2, "S3" }, { 6, 0, "VI/S8" }, { 6, 1, "7.0/S8R" },
        { 6, 2, "8.0/S12" }, { 6, 3, "8.1/S12R" }, { 8, 0, "8.0/S12" }, { 8, 1, "8.1/S12R" }, { 10, 0, "10.0/S16" } };
    for (const Row& r : Rows)
        if (r.major == Major && r.minor == Minor)
            return r.name;
    return (Major != 5 && Major != 6 && Major != 8 && Major != 10) ? "NT" : "";
}

std::string ArchitectureText(DWORD Major)
{
    SYSTEM_INFO info {};
    if (Major < 5)
        GetSystemInfo(&info);
    else
        GetNativeSystemInfo(&info);
    WORD arch = info.wProcessorArchitecture;
    if (arch <= 5)
        return " - 32bit";
    if (arch <= 7 || arch == 9 || arch == 10)
        return " - 64bit";
    return arch == 8 ? " - MSIL" : " - ????";
}

} // namespace

VS_FIXEDFILEINFO GetFixedFileInfo(const void* Block)
{
    VS_FIXEDFILEINFO fixed {};
    void* value;
    UINT length;
    if (QueryVersion(Block, "\\", value, length) && length >= sizeof fixed)
        std::memcpy(&fixed, value, sizeof fixed);
    return fixed;
}

std::string GetVersionTranslation(const void* Block)
{
    void* value;
    UINT length;
    if (!QueryVersion(Block, "\\VarFileInfo\\Translation", value, length) || length < 4)
        return {};
    const auto* words = static_cast<const WORD*>(value);
    return CardinalToHex8(static_cast<uint32_t>(words[0]) << 16 | words[1]);
}

std::string GetVersionString(const void* Block, const std::string& Translation, const std::string& Name)
{
    void* value;
    UINT length;
    if (!QueryVersion(Block, "\\StringFileInfo\\" + Translation + Name, value, length))
        return {};
    const char* text = static_cast<const char*>(value);
    return std::string(text, strnlen(text, length));
}

int ReadVersionStrings(TVersionRecord& Record)
{
    std::vector<uint8_t> block = ReadVersionBlock(Record.FileName);
    if (block.empty())
        return 0;
    if (Record.Translation.empty())
        Record.Translation = GetVersionTranslation(block.data());
    if (Record.Flags & VersionFixedInfo)
        Record.FixedInfo = GetFixedFileInfo(block.data());
    for (int i = 0; i < VersionStringCount; ++i)
        if (Record.Flags & (1u << (i + 1)))
            Record.Strings[i] = GetVersionString(block.data(), Record.Translation, VersionStringNames[i]);
    return 1;
}

uint32_t GetFileVersionNumber(const std::string& File, bool MajorOnly)
{
    std::vector<uint8_t> block = ReadVersionBlock(File);
    if (block.empty())
        return 0;
    std::string text = GetVersionString(block.data(), GetVersionTranslation(block.data()), "\\FileVersion");
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return 0;
    size_t i = 0;
    uint32_t major = 0, minor = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        major = major * 10 + static_cast<uint32_t>(text[i++] - '0');
    if (MajorOnly)
        return major;
    for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        minor = minor * 10 + static_cast<uint32_t>(text[i] - '0');
    return major << 16 | minor;
}

uint32_t GetKernel32Version() { return GetFileVersionNumber(GetSystemFolder() + "Kernel32.dll", false); }

int GetWindowsMajorVersion() { return static_cast<int>(ReadWindowsVersion().Major); }

std::string WindowsVersionText(bool NumbersOnly, bool WithNumbers, bool WithServicePack, bool WithArchitecture)
{
    TWindowsVersion v = ReadWindowsVersion();
    std::string numbers = std::to_string(v.Major) + "." + std::to_string(v.Minor);
    if (NumbersOnly)
        return numbers;
    std::string text = "Win" + WindowsName(v.Info.dwPlatformId, v.Major, v.Minor);
    if (WithNumbers)
        text += " (" + numbers + ")";
    if (WithServicePack)
        text += " SP " + std::to_string(v.Info.wServicePackMajor);
    if (WithArchitecture)
        text += ArchitectureText(v.Major);
    return text;
}
