// The loader's state and its portable pieces: fatal texts, version parsing, the generation table.
#include "engine/sdk/pgpBase.h"

#include <cctype>

uint8_t SDKGeneration = 0;
int32_t SDKLoadError = 0;
uint32_t SDKInitFlags = 0;
char SDKVersionText[256] = "";
std::string PGPInstallPath;
std::string ClientLibVersion;
std::string SDKLibraryNames[kSDKLibraryCount];

const char* SDKFatalErrorText(int32_t code)
{
    switch (code) {
    case 1:
        return "PGP Software Development Kit Core Library not found";
    case 2:
        return "PGP Software Development Kit Networking Library not found";
    case 3:
        return "PGP Software Development Kit User Interface Library not found";
    case 4:
        return "PGP Client Library not found";
    case 5:
        return "PGP Cryptographic Support Library not found";
    case 7:
        return "Cannot initialize PGP SDK (e.g. PGP(sdk)Serv.exe)";
    case 8:
        return "Wrong PGP version: 6.5.x, 7.x, 8.x, 9.x or 10.x required";
    default:
        return "";
    }
}

uint32_t ParseMajorMinor(const std::string& text)
{
    auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    size_t at = 0;
    while (at < text.size() && !isDigit(text[at]))
        ++at;
    if (at == text.size())
        return 0;
    auto readNumber = [&]() {
        uint32_t value = 0;
        while (at < text.size() && isDigit(text[at])) {
            value = value * 10 + static_cast<uint32_t>(text[at] - '0');
            if (value > 0xFFFF) // a version part never gets this large; keep the result meaningful
                value = 0xFFFF;
            ++at;
        }
        return value;
    };
    uint32_t major = readNumber();
    if (at < text.size())
        ++at; // the one character that ends the major number
    uint32_t minor = readNumber();
    return major * 256 + minor;
}

uint8_t GenerationOfVersion(uint32_t majorMinor)
{
    static const struct {
        uint32_t version;
        uint8_t generation;
    } kGenerations[] = {
        { 0x107, 1 }, { 0x200, 2 }, { 0x300, 3 }, { 0x302, 4 }, { 0x305, 5 }, { 0x307, 6 }, { 0x308, 7 },
        { 0x309, 8 }, { 0x30A, 9 }, { 0x30B, 10 }, { 0x30C, 11 }, { 0x400, 12 }, { 0x402, 13 },
    };
    for (const auto& row : kGenerations)
        if (row.version == majorMinor)
            return row.generation;
    return 0;
}
