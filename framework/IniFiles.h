// `TIniFile`: reading and writing an ini file through the system's private-profile functions.
// Values are passed as the system stores them (it strips one pair of surrounding quotes on reading);
// callers that need other quoting rules apply them around these calls.
#pragma once

#include "framework/Exceptions.h"

#include <string>

class TStrings;

class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class TIniFile {
public:
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const noexcept { return fileName_; }

    // Values of any length (no fixed buffer cuts them).
    std::string ReadString(
        const std::string& section, const std::string& ident, const std::string& defaultValue) const;
    // Raises EIniFileException when the file cannot be written.
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    // Decimal, or hexadecimal with "0x"/"$"; anything else gives the default.
    int ReadInteger(const std::string& section, const std::string& ident, int defaultValue) const;
    void WriteInteger(const std::string& section, const std::string& ident, int value);
    // "0" is false, any other number true; a missing or non-numeric value gives the default.
    bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const;
    void WriteBool(const std::string& section, const std::string& ident, bool value);

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& ident) const;
    void ReadSections(TStrings& sections) const;
    // The names of the section's keys.
    void ReadSection(const std::string& section, TStrings& idents) const;
    // The section's lines as "name=value".
    void ReadSectionValues(const std::string& section, TStrings& values) const;
    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& ident);
    // Writes cached changes to the disk.
    void UpdateFile();

private:
    void Write(const char* section, const char* ident, const char* value);

    std::string fileName_;
};
