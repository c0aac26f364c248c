// An in-memory stand-in for the platform under the preferences file: files in a map, a clock that
// ticks on every call, and Latin-1 as the "ANSI" code page so conversions show in the results.
#pragma once

#include "engine/PrefFuncs.h"

#include <map>

class TPrefsMemoryHost : public TPrefsHost {
public:
    struct File {
        std::string bytes;
        int64_t time = 0;
    };
    std::map<std::string, File> files;
    int64_t clock = 1000;
    bool failCommits = false;
    int reads = 0;
    int commits = 0;
    int notifications = 0;

    void Put(const std::string& path, const std::string& bytes) { files[path] = { bytes, ++clock }; }

    std::optional<int64_t> FileTime(const std::string& path) override
    {
        auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        return it->second.time;
    }
    int64_t Now() override { return ++clock; }
    bool ReadFile(const std::string& path, std::string& bytes) override
    {
        ++reads;
        auto it = files.find(path);
        if (it == files.end())
            return false;
        bytes = it->second.bytes;
        return true;
    }
    bool CommitFile(const std::string& path, const std::string& bytes) override
    {
        if (failCommits)
            return false;
        ++commits;
        Put(path, bytes);
        return true;
    }
    void NotifyPrefsChanged() override { ++notifications; }
    std::string Utf8ToLocale(const std::string& utf8) override
    {
        std::string out;
        for (size_t i = 0; i < utf8.size();) {
            unsigned char c = utf8[i];
            uint32_t cp = c;
            size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            if (len > 1) {
                cp = c & (0x3F >> (len - 1));
                for (size_t k = 1; k < len && i + k < utf8.size(); ++k)
                    cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            }
            out += cp <= 0xFF ? static_cast<char>(cp) : '?';
            i += len;
        }
        return out;
    }
    std::string LocaleToUtf8(const std::string& ansi) override
    {
        std::string out;
        for (unsigned char c : ansi) {
            if (c < 0x80) {
                out += static_cast<char>(c);
            } else {
                out += static_cast<char>(0xC0 | c >> 6);
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out;
    }
};
