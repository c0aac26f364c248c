// The private-profile calls behind TIniFile, with buffers that grow to the value's size.
#include "framework/IniFiles.h"

#include "framework/StringLists.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

namespace {

// Runs a private-profile read into a growing buffer; reserve is how many bytes the call keeps back
// when the buffer is too small (1 for one string, 2 for a double-NUL list).
template <typename Read> std::string ReadGrowing(Read read, DWORD reserve)
{
    std::vector<char> buffer(1024);
    for (;;) {
        const DWORD n = read(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n + reserve < buffer.size())
            return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 4);
    }
}

void SplitNulList(const std::string& list, TStrings& target)
{
    target.BeginUpdate();
    target.Clear();
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t end = list.find('\0', start);
        const std::size_t stop = end == std::string::npos ? list.size() : end;
        if (stop > start)
            target.Add(list.substr(start, stop - start));
        start = stop + 1;
    }
    target.EndUpdate();
}

} // namespace

TFileStamp GetFileStamp(const std::string& fileName)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (fileName.empty() || !GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data))
        return {};
    return { (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime,
        (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow };
}

std::string TIniFile::Quoted(const std::string& value)
{
    return '"' + value + '"';
}

void TIniFile::WriteQuotedString(const std::string& section, const std::string& ident, const std::string& value)
{
    WriteString(section, ident, Quoted(value));
}

TIniFile::TIniFile(std::string fileName)
    : fileName_(std::move(fileName))
{
}

std::string TIniFile::ReadString(
    const std::string& section, const std::string& ident, const std::string& defaultValue) const
{
    return ReadGrowing(
        [&](char* buffer, DWORD size) {
            return GetPrivateProfileStringA(
                section.c_str(), ident.c_str(), defaultValue.c_str(), buffer, size, fileName_.c_str());
        },
        1);
}

void TIniFile::Write(const char* section, const char* ident, const char* value)
{
    if (!WritePrivateProfileStringA(section, ident, value, fileName_.c_str()))
        throw EIniFileException("Unable to write to " + fileName_);
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    Write(section.c_str(), ident.c_str(), value.c_str());
}

int TIniFile::ReadInteger(const std::string& section, const std::string& ident, int defaultValue) const
{
    const std::string text = ReadString(section, ident, "");
    if (text.empty())
        return defaultValue;
    const char* digits = text.c_str();
    int base = 10;
    if (text[0] == '$') {
        digits += 1;
        base = 16;
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        digits += 2;
        base = 16;
    }
    char* end = nullptr;
    const long long value = std::strtoll(digits, &end, base);
    if (end == digits || *end != '\0' || value < INT32_MIN || value > (base == 16 ? 0xFFFFFFFFLL : INT32_MAX))
        return defaultValue;
    return static_cast<int>(static_cast<std::uint32_t>(value));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int value)
{
    WriteString(section, ident, std::to_string(value));
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

bool TIniFile::SectionExists(const std::string& section) const
{
    TStringList keys;
    ReadSection(section, keys);
    return keys.Count() > 0;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const
{
    TStringList keys;
    ReadSection(section, keys);
    return keys.IndexOf(ident) >= 0;
}

void TIniFile::ReadSections(TStrings& sections) const
{
    SplitNulList(ReadGrowing(
                     [&](char* buffer, DWORD size) {
                         return GetPrivateProfileSectionNamesA(buffer, size, fileName_.c_str());
                     },
                     2),
        sections);
}

void TIniFile::ReadSection(const std::string& section, TStrings& idents) const
{
    SplitNulList(ReadGrowing(
                     [&](char* buffer, DWORD size) {
                         return GetPrivateProfileStringA(
                             section.c_str(), nullptr, "", buffer, size, fileName_.c_str());
                     },
                     2),
        idents);
}

void TIniFile::ReadSectionValues(const std::string& section, TStrings& values) const
{
    TStringList keys;
    ReadSection(section, keys);
    values.BeginUpdate();
    values.Clear();
    for (int i = 0; i < keys.Count(); ++i)
        values.Add(keys[i] + "=" + ReadString(section, keys[i], ""));
    values.EndUpdate();
}

void TIniFile::EraseSection(const std::string& section)
{
    Write(section.c_str(), nullptr, nullptr);
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident)
{
    WritePrivateProfileStringA(section.c_str(), ident.c_str(), nullptr, fileName_.c_str());
}

void TIniFile::UpdateFile()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName_.c_str());
}
