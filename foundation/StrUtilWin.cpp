// The text routines of StrUtil that need Windows: locale compares, HashData and Base64 through the
// system, case changes by the ANSI code page, global/local memory blocks and the x87 rounding mode.
#include "foundation/StrUtil.h"
#include "framework/LibraryBinding.h"

#include <shlwapi.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstring>

namespace {

int CompareLocale(DWORD Flags, const char* A, int LenA, const char* B, int LenB)
{
    return CompareStringA(LOCALE_USER_DEFAULT, Flags, A, LenA, B, LenB);
}

int Length(const std::string& S) { return static_cast<int>(S.size()); }

// Global and local memory differ only in their function names.
struct TMemApi {
    HANDLE (*Alloc)(UINT, SIZE_T);
    HANDLE (*ReAlloc)(HANDLE, SIZE_T, UINT);
    void* (*Lock)(HANDLE);
    BOOL (*Unlock)(HANDLE);
    HANDLE (*Free)(HANDLE);
    UINT Flags;
};

const TMemApi GlobalMem = {
    [](UINT f, SIZE_T n) -> HANDLE { return GlobalAlloc(f, n); },
    [](HANDLE h, SIZE_T n, UINT f) -> HANDLE { return GlobalReAlloc(h, n, f); },
    [](HANDLE h) -> void* { return GlobalLock(h); },
    [](HANDLE h) -> BOOL { return GlobalUnlock(h); },
    [](HANDLE h) -> HANDLE { return GlobalFree(h); },
    GMEM_MOVEABLE | GMEM_ZEROINIT,
};

const TMemApi LocalMem = {
    [](UINT f, SIZE_T n) -> HANDLE { return LocalAlloc(f, n); },
    [](HANDLE h, SIZE_T n, UINT f) -> HANDLE { return LocalReAlloc(h, n, f); },
    [](HANDLE h) -> void* { return LocalLock(h); },
    [](HANDLE h) -> BOOL { return LocalUnlock(h); },
    [](HANDLE h) -> HANDLE { return LocalFree(h); },
    LMEM_MOVEABLE | LMEM_ZEROINIT,
};

// Copies Size bytes of Data into a zero-initialised block of Size + Extra bytes (a new one, or
// Handle re-allocated); Extra zero bytes terminate the text.
HANDLE BytesToMemHandle(const char* Data, size_t Size, size_t Extra, HANDLE Handle, bool UseLocal)
{
    if (Size == 0)
        return nullptr;
    const TMemApi& mem = UseLocal ? LocalMem : GlobalMem;
    HANDLE block = Handle ? mem.ReAlloc(Handle, Size + Extra, mem.Flags) : mem.Alloc(mem.Flags, Size + Extra);
    if (!block)
        return nullptr;
    void* p = mem.Lock(block);
    if (!p) {
        if (!Handle)
            mem.Free(block);
        return nullptr;
    }
    std::memcpy(p, Data, Size);
    mem.Unlock(block);
    return block;
}

} // namespace

std::string HashDataHex(const std::string& Text, int HexLen)
{
    int digestLen = HexLen / 2;
    if (Text.empty() || digestLen < 1)
        return {};
    std::string digest(static_cast<size_t>(digestLen), '\0');
    HRESULT hr = HashData(reinterpret_cast<BYTE*>(const_cast<char*>(Text.data())), static_cast<DWORD>(Text.size()),
        reinterpret_cast<BYTE*>(digest.data()), static_cast<DWORD>(digestLen));
    return FAILED(hr) ? std::string() : BytesToHex(digest.data(), digestLen * 2);
}

std::string DecodeBase64Text(const std::string& Text)
{
    // Bound at its first use: the certificate library is slow to start and most runs never need it.
    static const auto cryptStringToBinary = SYSTEM_PROC("Crypt32.dll", CryptStringToBinaryA);
    DWORD size = 0;
    if (Text.empty() || !cryptStringToBinary
        || !cryptStringToBinary(Text.data(), static_cast<DWORD>(Text.size()), CRYPT_STRING_BASE64, nullptr, &size,
            nullptr, nullptr))
        return {};
    std::string bytes(size, '\0');
    if (!cryptStringToBinary(Text.data(), static_cast<DWORD>(Text.size()), CRYPT_STRING_BASE64,
            reinterpret_cast<BYTE*>(bytes.data()), &size, nullptr, nullptr))
        return {};
    bytes.resize(size);
    return bytes;
}

std::string LowerFirstChar(const std::string& Text)
{
    std::string s = Text;
    if (!s.empty())
        CharLowerBuffA(s.data(), 1);
    return s;
}

void UpperFirstChars(std::string& S, int N)
{
    if (N > 0 && static_cast<size_t>(N) <= S.size())
        CharUpperBuffA(S.data(), static_cast<DWORD>(N));
}

std::string AnsiToWideBuffer(const std::string& Text)
{
    // Sized by what the conversion produces: with a double-byte code page that is fewer units
    // than bytes, and the last two bytes must be the terminating zero.
    int units = MultiByteToWideChar(CP_ACP, 0, Text.c_str(), Length(Text) + 1, nullptr, 0);
    if (units < 1)
        return std::string(2, '\0');
    std::string wide(static_cast<size_t>(units) * 2, '\0');
    MultiByteToWideChar(CP_ACP, 0, Text.c_str(), Length(Text) + 1, reinterpret_cast<wchar_t*>(wide.data()), units);
    return wide;
}

bool IsBrowserUrl(const std::string& Url, bool SkipLead)
{
    static const char* const Schemes[] = { "https:", "http:", "ftps:", "ftp:", "javascript:", "vbscript:" };
    int from = (SkipLead && !Url.empty() && std::strchr("\t\n\r \"'<", Url[0])) ? 2 : 1;
    std::string scheme = UrlScheme(Url, from);
    // The symbol-blind compare would also accept a quote or blank in front of the scheme (then
    // SkipLead would make no difference); every listed scheme begins with a letter.
    if (scheme.empty() || !IsCharAlphaA(scheme[0]))
        return false;
    return std::any_of(
        std::begin(Schemes), std::end(Schemes), [&](const char* s) { return SameTextIgnoreSymbols(scheme, s); });
}

bool SameTextLocale(const std::string& A, const std::string& B)
{
    return CompareLocale(NORM_IGNORECASE, A.data(), Length(A), B.data(), Length(B)) == CSTR_EQUAL;
}

bool SameTextLocaleN(const std::string& A, const std::string& B, int N)
{
    int n = std::max(N, 0);
    return CompareLocale(NORM_IGNORECASE, A.data(), std::min(n, Length(A)), B.data(), std::min(n, Length(B)))
        == CSTR_EQUAL;
}

int CompareTextIgnoreSymbols(const std::string& A, const std::string& B)
{
    int r = CompareLocale(
        NORM_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS, A.data(), Length(A), B.data(), Length(B));
    return r - 2; // 0 (failure) gives -2
}

bool SameTextIgnoreSymbols(const std::string& A, const std::string& B) { return CompareTextIgnoreSymbols(A, B) == 0; }

int IndexOfTextInList(const std::string& Text, std::span<const std::string> List, int HighIndex)
{
    int last = std::min(HighIndex, static_cast<int>(List.size()) - 1);
    for (int i = 0; i <= last; ++i)
        if (SameTextIgnoreSymbols(Text, List[static_cast<size_t>(i)]))
            return i;
    return 0;
}

bool SameTextPCharN(const char* A, const char* B, int N)
{
    if (N < 1)
        return true;
    const char* a = A ? A : "";
    const char* b = B ? B : "";
    // Never reads past a terminating zero that comes before N.
    int lenA = static_cast<int>(strnlen(a, static_cast<size_t>(N)));
    int lenB = static_cast<int>(strnlen(b, static_cast<size_t>(N)));
    return CompareLocale(NORM_IGNORECASE, a, lenA, b, lenB) == CSTR_EQUAL;
}

HANDLE TextToMemHandle(const std::string& Text, HANDLE Handle, bool UseLocal)
{
    return BytesToMemHandle(Text.data(), Text.size(), 1, Handle, UseLocal);
}

HANDLE WideTextToMemHandle(const std::string& Text, HANDLE Handle, bool UseLocal)
{
    return BytesToMemHandle(Text.data(), Text.size(), 2, Handle, UseLocal);
}

std::string TextFromMemHandle(HANDLE Handle, int Count, bool FreeIt)
{
    if (!Handle)
        return {};
    std::string text;
    size_t size = GlobalSize(Handle);
    if (const char* p = static_cast<const char*>(GlobalLock(Handle))) {
        size_t n = size;
        if (Count < 0) {
            n = strnlen(p, size);
        } else {
            if (Count > 0)
                n = std::min(size, static_cast<size_t>(Count));
            else if (n > 0 && p[n - 1] == '\0')
                --n;
            while (Count > 0 && n > 0 && p[n - 1] == '\0')
                --n;
        }
        text.assign(p, n);
        GlobalUnlock(Handle);
    }
    if (FreeIt)
        GlobalFree(Handle);
    return text;
}

int SetFpuRoundingMode(int Mode)
{
    unsigned short cw = 0;
    asm volatile("fnstcw %0" : "=m"(cw));
    int previous = (cw >> 10) & 3;
    cw = static_cast<unsigned short>((cw & ~0x0C00) | ((Mode & 3) << 10));
    asm volatile("fldcw %0" : : "m"(cw));
    return previous;
}
