// The values of the mail user's plug-in settings, apart from their file: what the options keep and
// what the configuration dialog edits, so both can hold them without knowing each other.
#pragma once

#include <cstdint>
#include <string>

// Every setting of the file, with its default.
struct TOptionValues {
    std::string SecRing, PubRing, PGPGroup;
    std::string DefaultUser; // user id + "\" + key id
    bool AlwaysDefault = false;
    int32_t SignAlg = 0;
    bool RipeMD = false;
    std::string Comment;
    bool WipePassButton = false;
    int32_t EncSignButtons = 2;
    bool DecryptButton = true, VerifyButton = true, ManageButton = true, PGPkeysButton = true;
    bool AutoPush = true;
    bool HideKeyDialog = false;
    bool EncryptToSelf = true;
    bool EncryptAttachments = true;
    bool ConfirmEncrypt = false;
    bool MixedWarning = true, ADKWarning = true, AIOWarning = true, MMWarning = true;
    bool CheckKey = false, Lookup = false, PreDecode = false, CheckSig = false;
    int32_t IncludeInfo = 0;
    int32_t StorePassphrase = -1;
    int32_t WipeCount = 3;
    bool StandardColor = false;
    int32_t ShowTime = 1;
    std::string TimeServer;
    int32_t TimePort = 123;
    bool AutoSync = false;
    bool PGPMime = false, PGPExt = false;
    bool FullAuto = false, FullAutoSigned = true;
    bool SMimeDefault = false;
    int32_t VersionNo = 0;
    std::string SingleExtensions = ".c/.h/.j";
    std::string DoubleExtensions = ".js/.rc/.vb";
    std::string TripleExtensions
        = ".asc/.txt/.css/.xml/.xsl/.inc/.ini/.inl/.asm/.bas/.cpp/.dpr/.jav/.hpp/.pas/.vbs";

    bool operator==(const TOptionValues&) const = default;
};

// The key server, kept in the PGP preferences rather than in the options file.
struct TKeyServerRecord {
    int32_t Protocol = -1; // -1: not loaded yet
    std::string Host, Port;
    int32_t Flags = 0;

    bool operator==(const TKeyServerRecord&) const = default;
};

// Settings of the mail client that the configuration dialog shows beside the options.
struct TOptionHostSettings {
    int32_t HeaderScanLines = 0;
    int32_t EditMargin = 0;

    bool operator==(const TOptionHostSettings&) const = default;
};

// The key id part of a default user (user id + "\" + key id): from the first "0x" on, all of it
// without one.
inline std::string KeyIDOfDefaultUser(const std::string& defaultUser)
{
    const std::size_t at = defaultUser.find("0x");
    return at == std::string::npos ? defaultUser : defaultUser.substr(at);
}
