// `TOptions`: the mail user's plug-in settings and their ini file "ZAVEK.cfg" in the mail folder.
// Each setter writes its key at once; a load reads the file again only when it changed since the
// last read, so requests can call it freely and still see what another writer stored.
#pragma once

#include "foundation/OptionValues.h"
#include "framework/IniFiles.h"

#include <cstdint>
#include <string>

class TOptions : public TIniFile {
public:
    static constexpr const char* FILE_NAME = "ZAVEK.cfg";
    // The settings file of the module this one replaced; moved to FILE_NAME on first use.
    static constexpr const char* EARLIER_FILE_NAME = "ZAVEKPGP.cfg";

    // Without a file: the configuration dialog's working copy, or the main object before Open.
    TOptions();
    TOptions(const TOptions&) = delete;
    TOptions& operator=(const TOptions&) = delete;

    // Binds the options to mailFolder + "ZAVEK.cfg" (moving the earlier file there when that is
    // missing) and loads them. An empty folder leaves the object without a file.
    void Open(const std::string& mailFolder);

    // Unbinds the file and forgets its values (a start-up that failed leaves no options behind).
    void Close();

    void LoadOptions();
    void SaveOptions();
    void CopyFrom(const TOptions& other);
    // Takes these values in place of its own without writing them (SaveOptions writes them all).
    void Assign(const TOptionValues& values, const TKeyServerRecord& keyServer, const TOptionHostSettings& hostSettings);
    bool SameAs(const TOptions& other) const;

    // Writes nothing without a file; a failing write leaves the file as it was.
    void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;

    const TOptionValues& Values() const { return values_; }
    const TKeyServerRecord& KeyServer() const { return keyServer_; }
    const TOptionHostSettings& HostSettings() const { return hostSettings_; }
    bool NewFile() const { return newFile_; }
    bool NoPGP() const { return noPGP_; }
    int32_t KeyRingState() const { return keyRingState_; }

    // The key id part of the default user: from the first "0x" on (all of it without one).
    std::string GetDefaultKeyID() const;
    // The time server, or the system's default one when none is set.
    std::string GetShowTimeServer() const;
    // The time server's port; 123 when the setting is not above 0.
    uint16_t GetShowTimePort() const;

    // One setter per key: stores a changed value and writes that key at once.
    void SetSecRing(const std::string& v) { SetText(&TOptionValues::SecRing, v); }
    void SetPubRing(const std::string& v) { SetText(&TOptionValues::PubRing, v); }
    void SetPGPGroup(const std::string& v) { SetText(&TOptionValues::PGPGroup, v); }
    void SetDefaultUser(const std::string& v) { SetText(&TOptionValues::DefaultUser, v); }
    void SetAlwaysDefault(bool v) { SetFlag(&TOptionValues::AlwaysDefault, v); }
    void SetSignAlg(int32_t v) { SetNumber(&TOptionValues::SignAlg, v); }
    void SetRipeMD(bool v) { SetFlag(&TOptionValues::RipeMD, v); }
    void SetComment(const std::string& v) { SetText(&TOptionValues::Comment, v); }
    void SetWipePassButton(bool v) { SetFlag(&TOptionValues::WipePassButton, v); }
    void SetEncSignButtons(int32_t v) { SetNumber(&TOptionValues::EncSignButtons, v); }
    void SetDecryptButton(bool v) { SetFlag(&TOptionValues::DecryptButton, v); }
    void SetVerifyButton(bool v) { SetFlag(&TOptionValues::VerifyButton, v); }
    void SetManageButton(bool v) { SetFlag(&TOptionValues::ManageButton, v); }
    void SetPGPkeysButton(bool v) { SetFlag(&TOptionValues::PGPkeysButton, v); }
    void SetAutoPush(bool v) { SetFlag(&TOptionValues::AutoPush, v); }
    void SetHideKeyDialog(bool v) { SetFlag(&TOptionValues::HideKeyDialog, v); }
    void SetEncryptToSelf(bool v) { SetFlag(&TOptionValues::EncryptToSelf, v); }
    void SetEncryptAttachments(bool v) { SetFlag(&TOptionValues::EncryptAttachments, v); }
    void SetConfirmEncrypt(bool v) { SetFlag(&TOptionValues::ConfirmEncrypt, v); }
    void SetMixedWarning(bool v) { SetFlag(&TOptionValues::MixedWarning, v); }
    void SetADKWarning(bool v) { SetFlag(&TOptionValues::ADKWarning, v); }
    void SetAIOWarning(bool v) { SetFlag(&TOptionValues::AIOWarning, v); }
    void SetMMWarning(bool v) { SetFlag(&TOptionValues::MMWarning, v); }
    void SetCheckKey(bool v) { SetFlag(&TOptionValues::CheckKey, v); }
    void SetLookup(bool v) { SetFlag(&TOptionValues::Lookup, v); }
    void SetPreDecode(bool v) { SetFlag(&TOptionValues::PreDecode, v); }
    void SetCheckSig(bool v) { SetFlag(&TOptionValues::CheckSig, v); }
    void SetIncludeInfo(int32_t v) { SetNumber(&TOptionValues::IncludeInfo, v); }
    void SetStorePassphrase(int32_t v) { SetNumber(&TOptionValues::StorePassphrase, v); }
    void SetWipeCount(int32_t v) { SetNumber(&TOptionValues::WipeCount, v); }
    void SetStandardColor(bool v) { SetFlag(&TOptionValues::StandardColor, v); }
    void SetShowTime(int32_t v) { SetNumber(&TOptionValues::ShowTime, v); }
    void SetTimeServer(const std::string& v) { SetText(&TOptionValues::TimeServer, v); }
    void SetTimePort(int32_t v) { SetNumber(&TOptionValues::TimePort, v); }
    void SetAutoSync(bool v) { SetFlag(&TOptionValues::AutoSync, v); }
    void SetPGPMime(bool v) { SetFlag(&TOptionValues::PGPMime, v); }
    void SetPGPExt(bool v) { SetFlag(&TOptionValues::PGPExt, v); }
    void SetFullAuto(bool v) { SetFlag(&TOptionValues::FullAuto, v); }
    void SetFullAutoSigned(bool v) { SetFlag(&TOptionValues::FullAutoSigned, v); }
    void SetSMimeDefault(bool v) { SetFlag(&TOptionValues::SMimeDefault, v); }
    void SetVersionNo(int32_t v) { SetNumber(&TOptionValues::VersionNo, v); }
    void SetSingleExtensions(const std::string& v) { SetText(&TOptionValues::SingleExtensions, v); }
    void SetDoubleExtensions(const std::string& v) { SetText(&TOptionValues::DoubleExtensions, v); }
    void SetTripleExtensions(const std::string& v) { SetText(&TOptionValues::TripleExtensions, v); }

    // Kept outside the options file: saving hands them to PGP's preferences and the mail client.
    void SetKeyServer(const TKeyServerRecord& v) { keyServer_ = v; }
    void SetHostSettings(const TOptionHostSettings& v) { hostSettings_ = v; }
    void SetNoPGP(bool v) { noPGP_ = v; }
    void ClearNewFile() { newFile_ = false; }

    // Filled by the configuration and the main object; nothing here.
    virtual void ApplyPGPSettings() { }
    virtual void ShowTimeChanged() { }
    virtual void LoadKeyServerPrefs() { }
    virtual void SaveKeyServerPrefs() { }
    virtual void LoadHostSettings() { }
    virtual void SaveHostSettings() { }
    virtual void TogglePGPMime();
    virtual void TogglePGPExt();
    // Flips fully automatic mode; turning it on takes signed for its signing choice.
    virtual void ToggleFullAuto(bool sign);

protected:
    // Whether visual themes are active; a fresh file then starts with the standard colours.
    virtual bool ThemesActive() const;

    TKeyServerRecord keyServer_;
    TOptionHostSettings hostSettings_;
    int32_t keyRingState_ = 0;

private:
    void ReadAllKeys();
    void SetText(std::string TOptionValues::*field, const std::string& value);
    void SetFlag(bool TOptionValues::*field, bool value);
    void SetNumber(int32_t TOptionValues::*field, int32_t value);

    TFileStamp lastRead_;
    bool newFile_ = false;
    // A fresh file's standard colours were set at its first read: a later read keeps the user's choice.
    bool freshColoursSet_ = false;
    bool noPGP_ = false;
    TOptionValues values_;
};
