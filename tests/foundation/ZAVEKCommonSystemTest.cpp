// The registry and window side of the product helpers: time servers from the Windows lists, the
// fatal error box and the default bitmap's place.
#include "foundation/StrUtilWin.h"
#include "foundation/ZAVEKCommon.h"
#include "foundation/ZAVEKResources.h"
#include "framework/StringLists.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

const char* const ServersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\DateTime\\Servers";
const char* const ServiceKey = "System\\CurrentControlSet\\Services\\W32Time\\Parameters";

void SetString(HKEY key, const char* name, const char* value)
{
    RegSetValueExA(
        key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
}

class TimeServers : public testing::Test {
protected:
    void SetUp() override
    {
        // The test prefix has neither key; a machine that has them is left alone.
        if (RegKeyExists(HKEY_LOCAL_MACHINE, ServersKey) || RegKeyExists(HKEY_LOCAL_MACHINE, ServiceKey))
            GTEST_SKIP() << "time server keys exist";
        owned = true;
    }
    void TearDown() override
    {
        if (!owned)
            return;
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, ServersKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, ServiceKey);
    }
    bool owned = false;
};

TEST_F(TimeServers, MissingKeysGiveNoListAndTheBuiltInServer)
{
    TStringList list;
    EXPECT_EQ(GetTimeServerList(list), 0);
    EXPECT_EQ(GetDefaultTimeServer(), "pool.ntp.org");
}

TEST_F(TimeServers, NumberedValuesAndDefaults)
{
    HKEY servers = nullptr;
    ASSERT_EQ(RegCreateKeyExA(
                  HKEY_LOCAL_MACHINE, ServersKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &servers, nullptr),
        ERROR_SUCCESS);
    SetString(servers, "", "2");
    SetString(servers, "1", "one.example");
    SetString(servers, "2", "two.example");
    SetString(servers, "x", "not numbered");
    SetString(servers, "10", "name too long");
    RegCloseKey(servers);

    TStringList list;
    EXPECT_EQ(GetTimeServerList(list), 2);
    EXPECT_EQ(list.Text(), "one.example\r\ntwo.example\r\n");
    EXPECT_EQ(GetDefaultTimeServer(), "two.example");

    HKEY service = nullptr;
    ASSERT_EQ(RegCreateKeyExA(
                  HKEY_LOCAL_MACHINE, ServiceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &service, nullptr),
        ERROR_SUCCESS);
    SetString(service, "NtpServer", "ntp.example,0x9 other.example");
    RegCloseKey(service);
    EXPECT_EQ(GetDefaultTimeServer(), "ntp.example");
}

// Closes the first message box captioned "Selvadrin" and returns its text; empty when none came.
std::string CloseErrorBox()
{
    for (int tries = 0; tries < 200; ++tries) {
        if (HWND box = FindWindowA("#32770", "Selvadrin")) {
            char text[512] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return text;
        }
        Sleep(50);
    }
    return {};
}

TEST(ShowSystemErrorBox, ShowsTheSystemTextOfTheCode)
{
    std::string text;
    std::thread closer([&text] { text = CloseErrorBox(); });
    ShowSystemErrorBox(ERROR_ACCESS_DENIED);
    closer.join();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text, SystemErrorText(ERROR_ACCESS_DENIED));
}

TEST(ShowSystemErrorBox, NothingForZero)
{
    const DWORD start = GetTickCount();
    ShowSystemErrorBox(0);
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST(ProductFiles, DefaultBitmapBesideTheHostProgram)
{
    const std::string name = DefaultBitmapFileName();
    const std::string program = GetModuleFileNameStr(nullptr);
    EXPECT_EQ(name, program.substr(0, program.rfind('\\') + 1) + "DEFAULT.BMP");
    EXPECT_EQ(LoadIconResource("NO_SUCH_ICON"), nullptr);
}

} // namespace
