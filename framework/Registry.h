// `TRegistry`: one open registry key at a time under a root key, with typed reads and writes and
// the lists of subkeys and values.
#pragma once

#include "framework/Exceptions.h"

#include <string>

#include <windows.h>

class TStrings;

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class TRegistry {
public:
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const noexcept { return root_; }
    // Closes the open key.
    void SetRootKey(HKEY root);
    HKEY CurrentKey() const noexcept { return current_; }
    const std::string& CurrentPath() const noexcept { return path_; }

    // Key paths are relative to the root ("Software\Maker\Product"); a leading '\' is allowed.
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey() noexcept;
    bool KeyExists(const std::string& key) const;
    bool DeleteKey(const std::string& key);

    bool ValueExists(const std::string& name) const;
    bool DeleteValue(const std::string& name);
    // REG_SZ or REG_EXPAND_SZ (unexpanded); a missing value reads as "".
    std::string ReadString(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    // REG_DWORD; a missing value or another type raises ERegistryException.
    int ReadInteger(const std::string& name) const;
    void WriteInteger(const std::string& name, int value);
    bool ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

    void GetKeyNames(TStrings& names) const;
    void GetValueNames(TStrings& names) const;

private:
    void WriteText(const std::string& name, const std::string& value, DWORD type);

    HKEY root_ = HKEY_CURRENT_USER;
    HKEY current_ = nullptr;
    REGSAM access_;
    std::string path_;
};
