// The users-list and form-file line rules of the per-user installation.
#include "plugin/UserInstallationRules.h"

#include <algorithm>

namespace UserInstallationRules {
namespace {

constexpr const char* FORM_DLL_PREFIX = "Form DLL = ";
constexpr const char* BASE_FOLDER_MARK = "~a\\";

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (UpperAscii(text[i]) != UpperAscii(prefix[i]))
            return false;
    return true;
}

// The library's file name of an old "Form DLL = " line: the text after its last backslash (after
// the prefix and an opening quote when it has none), with a closing quote.
std::string LibraryNameOf(const std::string& line)
{
    std::string value = line.substr(std::string(FORM_DLL_PREFIX).size());
    const size_t slash = value.rfind('\\');
    if (slash != std::string::npos)
        value = value.substr(slash + 1);
    else if (!value.empty() && value.front() == '"')
        value.erase(0, 1);
    if (value.empty() || value.back() != '"')
        value += '"';
    return value;
}

} // namespace

std::string UserLine(const std::string& mailUser, const std::string& mailFolder)
{
    return mailUser + "=\"" + mailFolder + "\"";
}

bool IsLineOfMailUser(const std::string& line, const std::string& mailUser)
{
    const std::string prefix = mailUser + "=\"";
    return StartsWith(line, prefix) && line.size() > prefix.size();
}

bool IsSectionLine(const std::string& line)
{
    return !line.empty() && line.front() == '[';
}

std::string FolderOfUserLine(const std::string& line)
{
    const size_t quote = line.find("=\"");
    if (quote == std::string::npos || quote + 2 >= line.size())
        return {};
    return line.substr(quote + 2, line.size() - (quote + 2) - 1);
}

TRegisterResult RegisterInSection(std::vector<std::string>& lines, const std::string& mailUser,
    const std::string& mailFolder, bool add, const std::function<bool(const std::string&)>& hasOptionsFile)
{
    const std::string own = UserLine(mailUser, mailFolder);
    const auto found = std::find(lines.begin(), lines.end(), own);
    if (found != lines.end()) {
        if (add)
            return TRegisterResult::Unchanged;
        lines.erase(found);
        return TRegisterResult::Changed;
    }
    // Lines of folders that no longer hold the user's settings are stale.
    std::erase_if(lines, [&](const std::string& line) {
        return IsLineOfMailUser(line, mailUser) && !hasOptionsFile(FolderOfUserLine(line));
    });
    if (!add)
        return TRegisterResult::NothingToRemove;
    lines.push_back(own);
    return TRegisterResult::Changed;
}

std::vector<std::string> SectionUserLines(const std::vector<std::string>& listLines, const std::string& windowsUser)
{
    const std::string header = "[" + windowsUser + "]";
    std::vector<std::string> section;
    bool inSection = false;
    for (const std::string& line : listLines) {
        if (IsSectionLine(line)) {
            inSection = line == header;
            continue;
        }
        if (inSection)
            section.push_back(line);
    }
    return section;
}

std::string RewriteFormDllLine(const std::string& line, const std::string& installFolder, const std::string& baseFolder)
{
    std::string folder = installFolder;
    if (!baseFolder.empty() && StartsWithIgnoringCase(installFolder, baseFolder))
        folder = BASE_FOLDER_MARK + installFolder.substr(baseFolder.size());
    return FORM_DLL_PREFIX + ("\"" + folder) + LibraryNameOf(line);
}

void RewriteFormDllLines(std::vector<std::string>& lines, const std::string& installFolder, const std::string& baseFolder)
{
    for (std::string& line : lines)
        if (!line.empty() && line.front() != ';' && StartsWith(line, FORM_DLL_PREFIX))
            line = RewriteFormDllLine(line, installFolder, baseFolder);
}

} // namespace UserInstallationRules
