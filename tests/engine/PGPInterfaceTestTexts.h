// Language and error text files for the PGP interface tests: entry N reads "T<N>" and the error
// line of code C reads "E<C>", so every expected text can be spelled out in a test.
#pragma once

#include "foundation/ZAVEKResources.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>

struct TTestTexts {
    explicit TTestTexts(const std::map<int, std::string>& overrides = {})
    {
        // The object's address alone repeats across processes that run at once (the native and
        // Windows runs, other checkouts): a random part keeps each folder to its own test.
        std::random_device random;
        folder = std::filesystem::temp_directory_path()
            / ("zavek-pgpiface-texts-" + std::to_string(random()) + "-"
                + std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::create_directories(folder);
        std::string content = "# test texts\r\n";
        for (int n = 0; n <= 460; ++n) {
            const auto it = overrides.find(n);
            content += (it != overrides.end() ? it->second : "T" + std::to_string(n)) + "\r\n";
        }
        std::ofstream(folder / "TextsEn.txt", std::ios::binary) << content;
        std::string errors;
        for (int line = 0; line <= 1100; ++line)
            errors += "E" + std::to_string(line - 12000) + "\r\n";
        std::ofstream(folder / "errors.txt", std::ios::binary) << errors;
        texts = std::make_unique<TZAVEKStrings>((folder / "Texts%s.txt").string(), "En", "");
        errorTexts = std::make_unique<TPGPErrorStrings>((folder / "errors.txt").string());
    }
    ~TTestTexts()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::filesystem::path folder;
    std::unique_ptr<TZAVEKStrings> texts;
    std::unique_ptr<TPGPErrorStrings> errorTexts;
};
