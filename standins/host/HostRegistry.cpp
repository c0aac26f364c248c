// The stand-in mail client's registry values under "Software\Pegasus Mail" of the current user:
// its command line, folders, user name and identity, written at start and after each change, so
// that a program outside the mail client finds them as it finds the real ones.
#include "standins/host/Host.h"
#include "standins/host/HostLog.h"

namespace {
void WriteValue(HKEY key, const char* name, const std::string& value)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
        static_cast<DWORD>(value.size() + 1));
}
} // namespace

void WriteHostRegistry()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(
            HKEY_CURRENT_USER, "Software\\Pegasus Mail", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
        != ERROR_SUCCESS) {
        g_log.Line("registry not written");
        return;
    }
    const THostSettings& s = g_host.Settings;
    WriteValue(key, "Command", GetCommandLineA());
    WriteValue(key, "Basedir", s.BaseFolder);
    WriteValue(key, "Mailbox", s.MailFolder);
    WriteValue(key, "Newmail", s.NewMailFolder);
    WriteValue(key, "Username", s.UserName);
    WriteValue(key, "Identity", s.Identity);
    RegCloseKey(key);
}
