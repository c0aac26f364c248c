// Tests of the options file: every key's name and default, the exact write forms (quoted texts,
// bare time server, byte keys), round trips through a second instance, re-reading after another
// writer, the move of the earlier settings file, and the derived values.
#include "plugin/Options.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

class TTempFolder {
public:
    TTempFolder()
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        path_ = std::string(temp) + "zavek-options-" + std::to_string(GetCurrentProcessId()) + "-"
            + std::to_string(++serial) + "\\";
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TTempFolder()
    {
        DeleteFileA((path_ + TOptions::FILE_NAME).c_str());
        DeleteFileA((path_ + TOptions::EARLIER_FILE_NAME).c_str());
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& Path() const { return path_; }
    std::string Cfg() const { return path_ + TOptions::FILE_NAME; }

private:
    std::string path_;
};

// The value as it stands in the file, quotes and all (the system strips one pair; read the raw line).
std::string RawValue(const std::string& file, const std::string& section, const std::string& key)
{
    char buffer[4096] = {};
    GetPrivateProfileSectionA(section.c_str(), buffer, sizeof buffer, file.c_str());
    for (const char* line = buffer; *line; line += strlen(line) + 1) {
        const std::string text = line;
        if (text.compare(0, key.size() + 1, key + "=") == 0)
            return text.substr(key.size() + 1);
    }
    return "<missing>";
}

template <bool themes> class TThemeOptions : public TOptions {
protected:
    bool ThemesActive() const override { return themes; }
};
using TThemedOptions = TThemeOptions<true>;
using TUnthemedOptions = TThemeOptions<false>;

TEST(Options, MissingFileGivesEveryDefaultAndASaveWritesEveryKeyInItsForm)
{
    TTempFolder folder;
    TUnthemedOptions options;
    options.Open(folder.Path());
    EXPECT_TRUE(options.NewFile());
    EXPECT_EQ(options.FileName(), folder.Cfg());
    EXPECT_TRUE(options.Values() == TOptionValues {});
    options.SaveOptions();
    struct Key {
        const char *section, *key, *raw;
    } keys[] = {
        { "FilePaths", "SecRing", "\"\"" },
        { "FilePaths", "PubRing", "\"\"" },
        { "FilePaths", "PGPgroup", "\"\"" },
        { "DefaultUser", "Name", "\"\"" },
        { "DefaultUser", "Always", "0" },
        { "DefaultUser", "SignAlg", "0" },
        { "DefaultUser", "RipeMD", "0" },
        { "DefaultComment", "Comment", "\"\"" },
        { "Toolbar", "WipePass", "0" },
        { "Toolbar", "EncSign", "2" },
        { "Toolbar", "Decrypt", "1" },
        { "Toolbar", "Verify", "1" },
        { "Toolbar", "Manage", "1" },
        { "Toolbar", "PGPkeys", "1" },
        { "AutoPush", "Auto", "1" },
        { "HideKeyDialog", "Hide", "0" },
        { "EncryptToSelf", "Self", "1" },
        { "EncryptAttach", "Encrypt", "1" },
        { "ConfirmEncrypt", "Confirm", "0" },
        { "MixedOptions", "Warn", "1" },
        { "ADKWarning", "Warn", "1" },
        { "AIOWarning", "Warn", "1" },
        { "MMWarning", "Warn", "1" },
        { "CheckMessage", "CheckKey", "0" },
        { "CheckMessage", "Lookup", "0" },
        { "CheckMessage", "PreDecode", "0" },
        { "CheckMessage", "CheckSig", "0" },
        { "CheckMessage", "Include", "0" },
        { "StorePassphrase", "Store", "-1" },
        { "WipeCount", "Count", "3" },
        { "StandardColor", "Standard", "0" },
        { "ShowTime", "Show", "1" },
        { "ShowTime", "Server", "" },
        { "ShowTime", "Port", "123" },
        { "ShowTime", "AutoSync", "0" },
        { "MenuOptions", "PGPMime", "0" },
        { "MenuOptions", "PGPExt", "0" },
        { "FullAuto", "Checked", "0" },
        { "FullAuto", "Signed", "1" },
        { "SMime", "Default", "0" },
        { "Version", "No", "0" },
        { "PlainTextExtensions", "Single", "\".c/.h/.j\"" },
        { "PlainTextExtensions", "Double", "\".js/.rc/.vb\"" },
        { "PlainTextExtensions", "Triple",
            "\".asc/.txt/.css/.xml/.xsl/.inc/.ini/.inl/.asm/.bas/.cpp/.dpr/.jav/.hpp/.pas/.vbs\"" },
    };
    for (const Key& k : keys)
        EXPECT_EQ(RawValue(folder.Cfg(), k.section, k.key), k.raw) << k.section << "/" << k.key;
    // A second instance reads the saved defaults as defaults.
    TOptions second;
    second.Open(folder.Path());
    EXPECT_FALSE(second.NewFile());
    EXPECT_TRUE(second.SameAs(options));
}

TEST(Options, EverySetterWritesItsKeyAndASecondInstanceReadsItBack)
{
    TTempFolder folder;
    TUnthemedOptions options;
    options.Open(folder.Path());
    // Every value differs from its default; texts carry blanks at their ends and quotes.
    options.SetSecRing(" C:\\keys\\sec ring.skr ");
    options.SetPubRing("\"C:\\keys\\pub.pkr\"");
    options.SetPGPGroup("groups.grp");
    options.SetDefaultUser("Ann <ann@example.org>\\0x1234ABCD");
    options.SetAlwaysDefault(true);
    options.SetSignAlg(3);
    options.SetRipeMD(true);
    options.SetComment("  leading and trailing  ");
    options.SetWipePassButton(true);
    options.SetEncSignButtons(4);
    options.SetDecryptButton(false);
    options.SetVerifyButton(false);
    options.SetManageButton(false);
    options.SetPGPkeysButton(false);
    options.SetAutoPush(false);
    options.SetHideKeyDialog(true);
    options.SetEncryptToSelf(false);
    options.SetEncryptAttachments(false);
    options.SetConfirmEncrypt(true);
    options.SetMixedWarning(false);
    options.SetADKWarning(false);
    options.SetAIOWarning(false);
    options.SetMMWarning(false);
    options.SetCheckKey(true);
    options.SetLookup(true);
    options.SetPreDecode(true);
    options.SetCheckSig(true);
    options.SetIncludeInfo(2);
    options.SetStorePassphrase(900);
    options.SetWipeCount(49);
    options.SetStandardColor(true);
    options.SetShowTime(2);
    options.SetTimeServer("time.example.org");
    options.SetTimePort(1123);
    options.SetAutoSync(true);
    options.SetPGPMime(true);
    options.SetPGPExt(true);
    options.SetFullAuto(true);
    options.SetFullAutoSigned(false);
    options.SetSMimeDefault(true);
    options.SetVersionNo(4711);
    options.SetSingleExtensions(".x");
    options.SetDoubleExtensions(".yy");
    options.SetTripleExtensions(".zzz");

    TOptions second;
    second.Open(folder.Path());
    EXPECT_TRUE(second.Values() == options.Values());
    EXPECT_EQ(second.Values().Comment, "  leading and trailing  ");
    EXPECT_EQ(second.Values().PubRing, "\"C:\\keys\\pub.pkr\"");
    EXPECT_EQ(RawValue(folder.Cfg(), "ShowTime", "Server"), "time.example.org");

    // The same values through a whole save into a fresh file.
    TTempFolder other;
    TOptions copy;
    copy.Open(other.Path());
    copy.CopyFrom(options);
    copy.SaveOptions();
    TOptions third;
    third.Open(other.Path());
    EXPECT_TRUE(third.SameAs(options));
}

TEST(Options, ByteKeysAreWrittenAsTheLowBytesSignedValue)
{
    TTempFolder folder;
    TOptions options;
    options.Open(folder.Path());
    options.SetEncSignButtons(0x1FF);
    options.SetIncludeInfo(0x101);
    EXPECT_EQ(RawValue(folder.Cfg(), "Toolbar", "EncSign"), "-1");
    EXPECT_EQ(RawValue(folder.Cfg(), "CheckMessage", "Include"), "1");
}

TEST(Options, AFileChangedBehindTheObjectsBackIsReadAgain)
{
    TTempFolder folder;
    TOptions options;
    options.Open(folder.Path());
    options.SetWipeCount(5);
    options.LoadOptions();
    // Another writer (a second instance, the dialog) changes the file.
    WritePrivateProfileStringA("WipeCount", "Count", "7", folder.Cfg().c_str());
    WritePrivateProfileStringA("DefaultComment", "Comment", "\" other \"", folder.Cfg().c_str());
    options.LoadOptions();
    EXPECT_EQ(options.Values().WipeCount, 7);
    EXPECT_EQ(options.Values().Comment, " other ");
    // And again at once: a change right after a read is not hidden by the clock's resolution.
    WritePrivateProfileStringA("WipeCount", "Count", "11", folder.Cfg().c_str());
    options.LoadOptions();
    EXPECT_EQ(options.Values().WipeCount, 11);
}

TEST(Options, TheEarlierSettingsFileIsMovedAndRead)
{
    TTempFolder folder;
    const std::string earlier = folder.Path() + TOptions::EARLIER_FILE_NAME;
    WritePrivateProfileStringA("WipeCount", "Count", "9", earlier.c_str());
    TOptions options;
    options.Open(folder.Path());
    EXPECT_FALSE(options.NewFile());
    EXPECT_EQ(options.Values().WipeCount, 9);
    EXPECT_EQ(GetFileAttributesA(earlier.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Options, AFreshFileWithThemesStartsWithStandardColoursInMemoryOnly)
{
    TTempFolder folder;
    TThemedOptions options;
    options.Open(folder.Path());
    EXPECT_TRUE(options.Values().StandardColor);
    EXPECT_EQ(GetFileAttributesA(folder.Cfg().c_str()), INVALID_FILE_ATTRIBUTES);
    // The user's choice against them stays through the re-read after its write.
    options.SetStandardColor(false);
    options.LoadOptions();
    EXPECT_FALSE(options.Values().StandardColor);

    // An existing file keeps what it holds.
    TTempFolder existing;
    WritePrivateProfileStringA("WipeCount", "Count", "3", existing.Cfg().c_str());
    TThemedOptions old;
    old.Open(existing.Path());
    EXPECT_FALSE(old.Values().StandardColor);
}

TEST(Options, DerivedValues)
{
    TTempFolder folder;
    TOptions options;
    options.Open(folder.Path());
    struct PortCase {
        int32_t stored;
        uint16_t used;
    } ports[] = { { 0, 123 }, { -5, 123 }, { 1, 1 }, { 4123, 4123 } };
    for (const PortCase& c : ports) {
        options.SetTimePort(c.stored);
        EXPECT_EQ(options.GetShowTimePort(), c.used) << c.stored;
    }
    struct KeyCase {
        const char *name, *keyId;
    } keys[] = { { "Ann\\0x1234ABCD", "0x1234ABCD" }, { "Ann 0xdead\\0x1234", "0xdead\\0x1234" },
        { "NoKeyId", "NoKeyId" }, { "", "" } };
    for (const KeyCase& c : keys) {
        options.SetDefaultUser(c.name);
        EXPECT_EQ(options.GetDefaultKeyID(), c.keyId) << c.name;
    }
    options.SetTimeServer("");
    EXPECT_FALSE(options.GetShowTimeServer().empty());
    options.SetTimeServer("ntp.example.org");
    EXPECT_EQ(options.GetShowTimeServer(), "ntp.example.org");
}

TEST(Options, TogglesFlipAndWrite)
{
    TTempFolder folder;
    TOptions options;
    options.Open(folder.Path());
    options.TogglePGPMime();
    options.ToggleFullAuto(false);
    EXPECT_EQ(RawValue(folder.Cfg(), "MenuOptions", "PGPMime"), "1");
    EXPECT_EQ(RawValue(folder.Cfg(), "FullAuto", "Checked"), "1");
    EXPECT_EQ(RawValue(folder.Cfg(), "FullAuto", "Signed"), "0");
    // Turning it off keeps the signing choice.
    options.ToggleFullAuto(true);
    EXPECT_FALSE(options.Values().FullAuto);
    EXPECT_FALSE(options.Values().FullAutoSigned);
}

TEST(Options, AWorkingCopyWithoutAFolderWritesNothing)
{
    TOptions copy;
    copy.SetComment("x");
    copy.SaveOptions();
    copy.LoadOptions();
    EXPECT_TRUE(copy.FileName().empty());
    EXPECT_EQ(copy.Values().Comment, "x");
}

} // namespace
