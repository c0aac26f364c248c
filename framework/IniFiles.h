// `TIniFile`: reading and writing an ini file through the system's private-profile functions.
// Reading strips one pair of surrounding double quotes (the system does that), so a value written
// quoted keeps its leading and trailing blanks and any quotes inside it.
#pragma once

#include "framework/Exceptions.h"

#include <cstdint>
#include <string>

class TStrings;

// What tells whether a file changed: its last write time (100 ns) and its size; zero when missing.
struct TFileStamp {
    uint64_t WriteTime = 0;
    uint64_t Size = 0;

    bool IsZero() const noexcept { return WriteTime == 0 && Size == 0; }
    bool operator==(const TFileStamp&) const = default;
};

TFileStamp GetFileStamp(const std::string& fileName);

class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class TIniFile {
public:
    explicit TIniFile(std::string fileName);
    virtual ~TIniFile() = default;
    TIniFile(const TIniFile&) = default;
    TIniFile& operator=(const TIniFile&) = default;

    const std::string& FileName() const noexcept { return fileName_; }
    TFileStamp Stamp() const { return GetFileStamp(fileName_); }

    // The text enclosed in double quotes, as a value that reads back exactly.
    static std::string Quoted(const std::string& value);

    // Values of any length (no fixed buffer cuts them).
    std::string ReadString(
        const std::string& section, const std::string& ident, const std::string& defaultValue) const;
    // Raises EIniFileException when the file cannot be written.
    virtual void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    // Writes the value quoted, so that blanks at its ends and quotes around it survive the read.
    void WriteQuotedString(const std::string& section, const std::string& ident, const std::string& value);
    // Decimal, or hexadecimal with "0x"/"$"; anything else gives the default.
    int ReadInteger(const std::string& section, const std::string& ident, int defaultValue) const;
    virtual void WriteInteger(const std::string& section, const std::string& ident, int value);
    // "0" is false, any other number true; a missing or non-numeric value gives the default.
    bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const;
    virtual void WriteBool(const std::string& section, const std::string& ident, bool value);

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

protected:
    // For owners that learn the file name after construction.
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

private:
    void Write(const char* section, const char* ident, const char* value);

    std::string fileName_;
};
