// The options' key table, their load with the change check, the full save and the per-key writes.
#include "plugin/Options.h"

#include "foundation/UxThemes.h"
#include "foundation/ZAVEKCommon.h"

#include <windows.h>

#include <array>
#include <stdexcept>
#include <type_traits>

namespace {

enum class TKeyKind {
    Text, // written quoted, so that blanks at its ends survive
    BareText,
    Flag,
    Number,
    Byte, // written as its low byte's signed value
};

struct TOptionKey {
    const char* Section;
    const char* Ident;
    TKeyKind Kind;
    std::string TOptionValues::*Text = nullptr;
    bool TOptionValues::*Flag = nullptr;
    int32_t TOptionValues::*Number = nullptr;
};

using V = TOptionValues;

constexpr TOptionKey TextKey(const char* s, const char* k, std::string V::*f, TKeyKind kind = TKeyKind::Text)
{
    return { s, k, kind, f, nullptr, nullptr };
}
constexpr TOptionKey FlagKey(const char* s, const char* k, bool V::*f)
{
    return { s, k, TKeyKind::Flag, nullptr, f, nullptr };
}
constexpr TOptionKey NumberKey(const char* s, const char* k, int32_t V::*f, TKeyKind kind = TKeyKind::Number)
{
    return { s, k, kind, nullptr, nullptr, f };
}

// Every key of the file, in the file's order.
const std::array<TOptionKey, 44> KEYS = {
    TextKey("FilePaths", "SecRing", &V::SecRing),
    TextKey("FilePaths", "PubRing", &V::PubRing),
    TextKey("FilePaths", "PGPgroup", &V::PGPGroup),
    TextKey("DefaultUser", "Name", &V::DefaultUser),
    FlagKey("DefaultUser", "Always", &V::AlwaysDefault),
    NumberKey("DefaultUser", "SignAlg", &V::SignAlg),
    FlagKey("DefaultUser", "RipeMD", &V::RipeMD),
    TextKey("DefaultComment", "Comment", &V::Comment),
    FlagKey("Toolbar", "WipePass", &V::WipePassButton),
    NumberKey("Toolbar", "EncSign", &V::EncSignButtons, TKeyKind::Byte),
    FlagKey("Toolbar", "Decrypt", &V::DecryptButton),
    FlagKey("Toolbar", "Verify", &V::VerifyButton),
    FlagKey("Toolbar", "Manage", &V::ManageButton),
    FlagKey("Toolbar", "PGPkeys", &V::PGPkeysButton),
    FlagKey("AutoPush", "Auto", &V::AutoPush),
    FlagKey("HideKeyDialog", "Hide", &V::HideKeyDialog),
    FlagKey("EncryptToSelf", "Self", &V::EncryptToSelf),
    FlagKey("EncryptAttach", "Encrypt", &V::EncryptAttachments),
    FlagKey("ConfirmEncrypt", "Confirm", &V::ConfirmEncrypt),
    FlagKey("MixedOptions", "Warn", &V::MixedWarning),
    FlagKey("ADKWarning", "Warn", &V::ADKWarning),
    FlagKey("AIOWarning", "Warn", &V::AIOWarning),
    FlagKey("MMWarning", "Warn", &V::MMWarning),
    FlagKey("CheckMessage", "CheckKey", &V::CheckKey),
    FlagKey("CheckMessage", "Lookup", &V::Lookup),
    FlagKey("CheckMessage", "PreDecode", &V::PreDecode),
    FlagKey("CheckMessage", "CheckSig", &V::CheckSig),
    NumberKey("CheckMessage", "Include", &V::IncludeInfo, TKeyKind::Byte),
    NumberKey("StorePassphrase", "Store", &V::StorePassphrase),
    NumberKey("WipeCount", "Count", &V::WipeCount),
    FlagKey("StandardColor", "Standard", &V::StandardColor),
    NumberKey("ShowTime", "Show", &V::ShowTime),
    TextKey("ShowTime", "Server", &V::TimeServer, TKeyKind::BareText),
    NumberKey("ShowTime", "Port", &V::TimePort),
    FlagKey("ShowTime", "AutoSync", &V::AutoSync),
    FlagKey("MenuOptions", "PGPMime", &V::PGPMime),
    FlagKey("MenuOptions", "PGPExt", &V::PGPExt),
    FlagKey("FullAuto", "Checked", &V::FullAuto),
    FlagKey("FullAuto", "Signed", &V::FullAutoSigned),
    FlagKey("SMime", "Default", &V::SMimeDefault),
    NumberKey("Version", "No", &V::VersionNo),
    TextKey("PlainTextExtensions", "Single", &V::SingleExtensions),
    TextKey("PlainTextExtensions", "Double", &V::DoubleExtensions),
    TextKey("PlainTextExtensions", "Triple", &V::TripleExtensions),
};

// A write that lands while the keys are read changes the stamp: read again, a few times at most.
constexpr int MAX_READ_PASSES = 3;
constexpr uint16_t DEFAULT_TIME_PORT = 123;

template <typename Field> const TOptionKey& KeyOf(Field field)
{
    for (const TOptionKey& key : KEYS) {
        if constexpr (std::is_same_v<Field, std::string V::*>) {
            if (key.Text == field)
                return key;
        } else if constexpr (std::is_same_v<Field, bool V::*>) {
            if (key.Flag == field)
                return key;
        } else {
            if (key.Number == field)
                return key;
        }
    }
    throw std::logic_error("option without a key");
}

void WriteKey(TIniFile& ini, const TOptionKey& key, const TOptionValues& values)
{
    switch (key.Kind) {
    case TKeyKind::Text:
        ini.WriteQuotedString(key.Section, key.Ident, values.*key.Text);
        break;
    case TKeyKind::BareText:
        ini.WriteString(key.Section, key.Ident, values.*key.Text);
        break;
    case TKeyKind::Flag:
        ini.WriteBool(key.Section, key.Ident, values.*key.Flag);
        break;
    case TKeyKind::Number:
        ini.WriteInteger(key.Section, key.Ident, values.*key.Number);
        break;
    case TKeyKind::Byte:
        ini.WriteInteger(key.Section, key.Ident, static_cast<int8_t>(values.*key.Number));
        break;
    }
}

std::string WithBackslash(const std::string& folder)
{
    return folder.empty() || folder.back() == '\\' ? folder : folder + '\\';
}

} // namespace

TOptions::TOptions()
    : TIniFile(std::string())
{
}

void TOptions::Open(const std::string& mailFolder)
{
    if (mailFolder.empty())
        return;
    const std::string folder = WithBackslash(mailFolder);
    const std::string fileName = folder + FILE_NAME;
    if (GetFileAttributesA(fileName.c_str()) == INVALID_FILE_ATTRIBUTES
        && !MoveFileA((folder + EARLIER_FILE_NAME).c_str(), fileName.c_str()))
        newFile_ = true;
    SetFileName(fileName);
    LoadOptions();
}

void TOptions::Close()
{
    SetFileName(std::string());
    lastRead_ = {};
    newFile_ = false;
    freshColoursSet_ = false;
    values_ = {};
}

void TOptions::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    if (!FileName().empty())
        WritePrivateProfileStringA(section.c_str(), ident.c_str(), value.c_str(), FileName().c_str());
}

void TOptions::ReadAllKeys()
{
    const TOptionValues defaults;
    for (const TOptionKey& key : KEYS) {
        if (key.Text)
            values_.*key.Text = ReadString(key.Section, key.Ident, defaults.*key.Text);
        else if (key.Flag)
            values_.*key.Flag = ReadBool(key.Section, key.Ident, defaults.*key.Flag);
        else
            values_.*key.Number = ReadInteger(key.Section, key.Ident, defaults.*key.Number);
    }
}

void TOptions::LoadOptions()
{
    LoadKeyServerPrefs();
    if (!FileName().empty()) {
        // The stamp is taken before the read: a write during the read shows as a change, and is
        // read in the next pass or the next load.
        TFileStamp stamp = Stamp();
        if (lastRead_.IsZero() || stamp != lastRead_) {
            for (int pass = 0; pass < MAX_READ_PASSES; ++pass) {
                ReadAllKeys();
                const TFileStamp after = Stamp();
                if (after == stamp)
                    break;
                stamp = after;
            }
            if (newFile_ && ThemesActive() && !freshColoursSet_)
                values_.StandardColor = true;
            freshColoursSet_ = freshColoursSet_ || newFile_;
            lastRead_ = stamp;
        }
    }
    LoadHostSettings();
}

void TOptions::SaveOptions()
{
    SaveKeyServerPrefs();
    if (!FileName().empty()) {
        for (const TOptionKey& key : KEYS)
            WriteKey(*this, key, values_);
        lastRead_ = Stamp();
    }
    ApplyPGPSettings();
    ShowTimeChanged();
    SaveHostSettings();
}

void TOptions::CopyFrom(const TOptions& other)
{
    Assign(other.values_, other.keyServer_, other.hostSettings_);
}

void TOptions::Assign(
    const TOptionValues& values, const TKeyServerRecord& keyServer, const TOptionHostSettings& hostSettings)
{
    values_ = values;
    keyServer_ = keyServer;
    hostSettings_ = hostSettings;
}

bool TOptions::SameAs(const TOptions& other) const
{
    return values_ == other.values_ && keyServer_ == other.keyServer_ && hostSettings_ == other.hostSettings_;
}

std::string TOptions::GetDefaultKeyID() const
{
    return KeyIDOfDefaultUser(values_.DefaultUser);
}

std::string TOptions::GetShowTimeServer() const
{
    return values_.TimeServer.empty() ? GetDefaultTimeServer() : values_.TimeServer;
}

uint16_t TOptions::GetShowTimePort() const
{
    return values_.TimePort > 0 ? static_cast<uint16_t>(values_.TimePort) : DEFAULT_TIME_PORT;
}

void TOptions::SetText(std::string TOptionValues::*field, const std::string& value)
{
    if (values_.*field == value)
        return;
    values_.*field = value;
    WriteKey(*this, KeyOf(field), values_);
}

void TOptions::SetFlag(bool TOptionValues::*field, bool value)
{
    if (values_.*field == value)
        return;
    values_.*field = value;
    WriteKey(*this, KeyOf(field), values_);
}

void TOptions::SetNumber(int32_t TOptionValues::*field, int32_t value)
{
    if (values_.*field == value)
        return;
    values_.*field = value;
    WriteKey(*this, KeyOf(field), values_);
}

void TOptions::TogglePGPMime()
{
    values_.PGPMime = !values_.PGPMime;
    WriteKey(*this, KeyOf(&TOptionValues::PGPMime), values_);
}

void TOptions::TogglePGPExt()
{
    values_.PGPExt = !values_.PGPExt;
    WriteKey(*this, KeyOf(&TOptionValues::PGPExt), values_);
}

void TOptions::ToggleFullAuto(bool sign)
{
    values_.FullAuto = !values_.FullAuto;
    if (values_.FullAuto)
        values_.FullAutoSigned = sign;
    WriteKey(*this, KeyOf(&TOptionValues::FullAuto), values_);
    WriteKey(*this, KeyOf(&TOptionValues::FullAutoSigned), values_);
}

bool TOptions::ThemesActive() const
{
    return ::ThemesActive();
}
