// Reading and replacing the mail client's message files byte for byte: a whole-file read, and a
// commit that builds the new content beside the file before the old one is wiped and replaced,
// so that a failure at any step leaves a message file behind.
#pragma once

#include <functional>
#include <string>

// The whole file; false when it cannot be opened or read.
bool ReadMessageFile(const std::string& fileName, std::string& bytes);

// Removes a file securely; true when it is gone.
using TFileWiper = std::function<bool(const std::string& fileName)>;

// Writes bytes to a new file in the folder of fileName and flushes it; then the original is
// wiped and the new file takes its name. False when the new content could not be written (the
// original is then untouched) or could not take the original's place.
bool CommitMessageFile(const std::string& fileName, const std::string& bytes, const TFileWiper& wipe);
