// The stand-in mail client's registry values under "Software\Pegasus Mail" of the current user:
// its command line, folders, user name and identity, so that a program outside the mail client
// finds them as it finds the real ones. Run by a person, it takes the folders, user name and
// identity a user set there and adds only what is missing; a scripted run writes its own values
// for the run and puts back what it found when it ends.
#include "standins/host/Host.h"
#include "standins/host/HostLog.h"

#include <optional>

namespace {
constexpr const char* KEY = "Software\\Pegasus Mail";

struct TFoundValue {
    const char* Name;
    std::optional<std::string> Value;
};
// The values of a scripted run's start, in the order WriteHostRegistry writes them.
std::vector<TFoundValue> g_found;

// The user's values and the setting each stands for (its name for "set", its field).
struct TUserValue {
    const char* Name;
    const char* SettingName;
    std::string THostSettings::* Setting;
};
const TUserValue USER_VALUES[] = { { "Mailbox", "mailfolder", &THostSettings::MailFolder },
    { "Newmail", "newmailfolder", &THostSettings::NewMailFolder }, { "Username", "user", &THostSettings::UserName },
    { "Identity", "identity", &THostSettings::Identity } };

std::optional<std::string> ReadValue(HKEY key, const char* name)
{
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS
        || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    return std::string(value);
}

void WriteValue(HKEY key, const char* name, const std::string& value)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
        static_cast<DWORD>(value.size() + 1));
}

// The values this program stands for, by name.
std::vector<std::pair<const char*, std::string>> HostValues()
{
    const THostSettings& s = g_host.Settings;
    std::vector<std::pair<const char*, std::string>> values
        = { { "Command", GetCommandLineA() }, { "Basedir", s.BaseFolder } };
    for (const TUserValue& user : USER_VALUES)
        values.emplace_back(user.Name, s.*user.Setting);
    return values;
}

class TKey {
public:
    TKey()
    {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, KEY, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                &key_, nullptr)
            != ERROR_SUCCESS)
            g_log.Line("registry not written");
    }
    ~TKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    TKey(const TKey&) = delete;
    TKey& operator=(const TKey&) = delete;
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};
} // namespace

void WriteHostRegistry()
{
    TKey key;
    if (!key.Get())
        return;
    for (const auto& [name, value] : HostValues())
        WriteValue(key.Get(), name, value);
}

void StartScriptedRegistry()
{
    TKey key;
    if (!key.Get())
        return;
    for (const auto& value : HostValues())
        g_found.push_back({ value.first, ReadValue(key.Get(), value.first) });
    WriteHostRegistry();
}

void RestoreScriptedRegistry()
{
    TKey key;
    if (!key.Get())
        return;
    for (const TFoundValue& found : g_found) {
        if (found.Value)
            WriteValue(key.Get(), found.Name, *found.Value);
        else
            RegDeleteValueA(key.Get(), found.Name);
    }
}

void AdoptUserRegistry(bool identityGiven)
{
    TKey key;
    if (!key.Get())
        return;
    THostSettings& s = g_host.Settings;
    for (const TUserValue& user : USER_VALUES) {
        const std::optional<std::string> value = ReadValue(key.Get(), user.Name);
        const bool given = user.Setting == &THostSettings::Identity && identityGiven;
        if (value && !given) {
            s.Set(user.SettingName, *value);
            continue;
        }
        // New mail arrives in the mail folder unless the user named another.
        if (user.Setting == &THostSettings::NewMailFolder)
            s.NewMailFolder = s.MailFolder;
        WriteValue(key.Get(), user.Name, s.*user.Setting);
    }
    WriteValue(key.Get(), "Command", GetCommandLineA());
    WriteValue(key.Get(), "Basedir", s.BaseFolder);
}
