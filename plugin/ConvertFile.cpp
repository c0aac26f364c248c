// ENCRYPT's pass-through to an output file: byte-exact copies and writes, never a partial file
// reported as written.
#include "plugin/ConvertFile.h"

#include "plugin/MessageFileIO.h"

#include <windows.h>

namespace {

bool IsQueueFile(const std::string& fileName)
{
    if (fileName.size() < 4)
        return false;
    std::string extension = fileName.substr(fileName.size() - 4);
    for (char& c : extension)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return extension == ".PM$";
}

bool CreateEmptyFile(const std::string& fileName)
{
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

} // namespace

bool HoldsControlCharacters(const std::string& text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
            return true;
    }
    return false;
}

int32_t ConvertFile(const std::string& inFile, const std::string& outFile)
{
    std::string text;
    if (IsQueueFile(inFile) || !ReadMessageFile(inFile, text))
        return CopyFileA(inFile.c_str(), outFile.c_str(), FALSE) ? CONVERT_COPIED : CONVERT_FAILED;
    if (text.empty())
        return CreateEmptyFile(outFile) ? CONVERT_COPIED : CONVERT_FAILED;
    if (!CommitMessageFile(outFile, text, nullptr))
        return CONVERT_FAILED;
    return HoldsControlCharacters(text) ? CONVERT_COPIED : CONVERT_TEXT;
}
