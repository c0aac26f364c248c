// Helpers of the recipient key list tests: a scratch folder, whole-file access and a key list
// built from (key id, user ids) rows.
#pragma once

#include "engine/KeyFuncsTypes.h"

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

class TScratchFolder {
public:
    TScratchFolder()
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() / ("zavek-autolist-" + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    ~TScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    size_t FileCount() const
    {
        return static_cast<size_t>(
            std::distance(std::filesystem::directory_iterator(path_), std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path path_;
};

inline void WriteFileBytes(const std::string& name, const std::string& bytes)
{
    std::ofstream(name, std::ios::binary) << bytes;
}

inline std::string ReadFileBytes(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct TFakeKey {
    std::string KeyID; // full id text
    std::vector<std::string> UserIDs;
};

inline std::unique_ptr<TKeyPropsList> MakeKeyList(std::initializer_list<TFakeKey> keys)
{
    auto list = std::make_unique<TKeyPropsList>(kKeyPropKeyID | kKeyPropUserID | kKeyPropUserIDs);
    for (const TFakeKey& key : keys) {
        TKeyPropsRec record;
        record.KeyID = "0x" + key.KeyID.substr(key.KeyID.size() - 8);
        record.UserID = key.UserIDs.empty() ? std::string() : key.UserIDs.front();
        record.UserIDs.emplace();
        for (const std::string& userID : key.UserIDs)
            record.UserIDs->Add(userID);
        list->AddObject(key.KeyID, &record);
    }
    return list;
}
