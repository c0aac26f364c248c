// The text rules of the per-user installation, apart from any file or window: the lines of the
// installed-users list "ZAVEKUsers.cfg" and the "Form DLL = " lines of the form files. Portable.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace UserInstallationRules {

// The list line of a mail user: name, "=", the mail folder in double quotes.
std::string UserLine(const std::string& mailUser, const std::string& mailFolder);
// True for a line of the mail user: it begins with the name, "=" and a double quote and is longer.
bool IsLineOfMailUser(const std::string& line, const std::string& mailUser);
// True for a section header line ("[" first).
bool IsSectionLine(const std::string& line);
// The folder of a user line: the text between its first "=" + double quote and its last
// character; empty when the line has no such quote.
std::string FolderOfUserLine(const std::string& line);

enum class TRegisterResult {
    Unchanged, // the list stays as it is
    Changed, // the section's lines changed and are to be written
    NothingToRemove, // removal asked, but the user's line was not there
};

// Adds (add) or removes the mail user's line in a section's lines. When the exact line is
// missing, the user's other lines whose folder holds no options file (hasOptionsFile false) go
// first; a removal then finds nothing to remove and writes nothing.
TRegisterResult RegisterInSection(std::vector<std::string>& lines, const std::string& mailUser,
    const std::string& mailFolder, bool add, const std::function<bool(const std::string&)>& hasOptionsFile);

// The user lines of one Windows user's section in the whole list text (lines without the section
// header, up to the next "[" line).
std::vector<std::string> SectionUserLines(const std::vector<std::string>& listLines, const std::string& windowsUser);

// A "Form DLL = " line pointed at the install folder: under the mail client's base folder (letter
// case ignored) with the "~a\" prefix and the path below the base folder, else the full folder;
// followed by the library's file name from the old line, always closed by a double quote.
std::string RewriteFormDllLine(const std::string& line, const std::string& installFolder, const std::string& baseFolder);
// Every "Form DLL = " line of a form file's lines rewritten; comments (";") and others kept.
void RewriteFormDllLines(std::vector<std::string>& lines, const std::string& installFolder, const std::string& baseFolder);

} // namespace UserInstallationRules
