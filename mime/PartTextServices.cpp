// The portable defaults of the part-text services: names in the system's temporary folder and
// plain file writes; no HTML clean-up and no picture conversion.
#include "mime/PartTexts.h"

#include "foundation/FileUtils.h"
#include "foundation/StrUtil.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

std::string TPartTextServices::TempFolder()
{
    std::error_code error;
    std::string folder = std::filesystem::temp_directory_path(error).string();
    if (error)
        folder = ".";
    if (folder.back() != '/' && folder.back() != '\\')
        folder += static_cast<char>(std::filesystem::path::preferred_separator);
    return folder;
}

std::string TPartTextServices::NewTempFileName(const std::string& Ext)
{
    static std::mt19937 generator{std::random_device{}()};
    const std::string folder = TempFolder();
    for (;;) {
        const std::string hex = CardinalToHex8(generator()).substr(2);
        const std::string name = TempFileNameOf(folder, hex, Ext);
        if (!FileExists(name))
            return name;
    }
}

bool TPartTextServices::FileExists(const std::string& FileName)
{
    std::error_code error;
    return std::filesystem::exists(FileName, error);
}

bool TPartTextServices::WriteFile(const std::string& FileName, const std::string& Bytes)
{
    std::ofstream file(FileName, std::ios::binary | std::ios::trunc);
    file.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    file.close();
    return !file.fail();
}
