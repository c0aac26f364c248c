// Registry access over the Reg* functions.
#include "framework/Registry.h"

#include "framework/StringLists.h"

#include <vector>

namespace {

std::string Relative(const std::string& key)
{
    return !key.empty() && key[0] == '\\' ? key.substr(1) : key;
}

} // namespace

TRegistry::TRegistry(REGSAM access)
    : access_(access)
{
}

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(HKEY root)
{
    CloseKey();
    root_ = root;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    HKEY opened = nullptr;
    const std::string path = Relative(key);
    LSTATUS status;
    if (canCreate)
        status = RegCreateKeyExA(
            root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr, &opened, nullptr);
    else
        status = RegOpenKeyExA(root_, path.c_str(), 0, access_, &opened);
    if (status != ERROR_SUCCESS)
        return false;
    CloseKey();
    current_ = opened;
    path_ = path;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key)
{
    HKEY opened = nullptr;
    const std::string path = Relative(key);
    if (RegOpenKeyExA(root_, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    CloseKey();
    current_ = opened;
    path_ = path;
    return true;
}

void TRegistry::CloseKey() noexcept
{
    if (current_)
        RegCloseKey(current_);
    current_ = nullptr;
    path_.clear();
}

bool TRegistry::KeyExists(const std::string& key) const
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root_, Relative(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

bool TRegistry::DeleteKey(const std::string& key)
{
    // Subkeys go first: RegDeleteKey removes only empty keys.
    HKEY opened = nullptr;
    const std::string path = Relative(key);
    if (RegOpenKeyExA(root_, path.c_str(), 0, KEY_READ | KEY_WRITE, &opened) != ERROR_SUCCESS)
        return false;
    std::vector<std::string> children;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(opened, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name, size);
    }
    RegCloseKey(opened);
    for (const auto& child : children)
        DeleteKey(path + "\\" + child);
    return RegDeleteKeyA(root_, path.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::string& name) const
{
    return current_
        && RegQueryValueExA(current_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& name)
{
    return current_ && RegDeleteValueA(current_, name.c_str()) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const
{
    DWORD type = 0;
    DWORD size = 0;
    if (!current_
        || RegQueryValueExA(current_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException("Invalid data type for '" + name + "'");
    std::string value(size, '\0');
    if (RegQueryValueExA(current_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size)
        != ERROR_SUCCESS)
        return {};
    value.resize(size);
    while (!value.empty() && value.back() == '\0')
        value.pop_back();
    return value;
}

void TRegistry::WriteText(const std::string& name, const std::string& value, DWORD type)
{
    if (!current_
        || RegSetValueExA(current_, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
               static_cast<DWORD>(value.size() + 1))
            != ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for '" + name + "'");
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    WriteText(name, value, REG_SZ);
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value)
{
    WriteText(name, value, REG_EXPAND_SZ);
}

int TRegistry::ReadInteger(const std::string& name) const
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!current_
        || RegQueryValueExA(current_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size)
            != ERROR_SUCCESS
        || type != REG_DWORD)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return static_cast<int>(value);
}

void TRegistry::WriteInteger(const std::string& name, int value)
{
    const auto data = static_cast<DWORD>(value);
    if (!current_
        || RegSetValueExA(
               current_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data)
            != ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for '" + name + "'");
}

void TRegistry::GetKeyNames(TStrings& names) const
{
    names.BeginUpdate();
    names.Clear();
    char name[256];
    for (DWORD i = 0; current_; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(current_, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.Add(std::string(name, size));
    }
    names.EndUpdate();
}

void TRegistry::GetValueNames(TStrings& names) const
{
    names.BeginUpdate();
    names.Clear();
    char name[16384];
    for (DWORD i = 0; current_; ++i) {
        DWORD size = sizeof name;
        if (RegEnumValueA(current_, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.Add(std::string(name, size));
    }
    names.EndUpdate();
}
