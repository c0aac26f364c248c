// File access of the recipient key list: whole-file reads, time stamps, the exclusive open test
// and the safe commit that replaces the file only once the new text is on disk.
// One source per platform (AutoListFilePosix.cpp, AutoListFileWin.cpp); the callers stay portable.
#pragma once

#include <cstdint>
#include <string>

enum class TListFileRead { Ok, Missing, Failed };

// The whole file into `text`; `text` is left alone unless the result is Ok.
TListFileRead ReadListFile(const std::string& fileName, std::string& text);

// The file's last-write time in the platform's finest unit; -1 when the file is missing.
int64_t ListFileStamp(const std::string& fileName);

// The file's size in bytes; -1 when it cannot be read.
int64_t ListFileSize(const std::string& fileName);

enum class TListFileOpen { Existing, Created, Unavailable };

// Opens the file for reading and writing without sharing and closes it again; a missing file is
// created empty (never truncating one that exists). A file that exists but cannot be opened so
// (another program holds it) is Existing too. Unavailable: it is not there and cannot be made.
TListFileOpen EnsureListFile(const std::string& fileName);

// Writes `text` to a temporary file in the same folder, flushes it to disk and moves it over
// `fileName`. True only when the file now holds `text`; on failure the old file is untouched.
bool CommitListFile(const std::string& fileName, const std::string& text);
