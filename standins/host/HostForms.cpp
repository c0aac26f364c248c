// Reading the mail folder's form files.
#include "standins/host/HostForms.h"

#include <windows.h>

#include <algorithm>
#include <fstream>

namespace {
constexpr const char* FORM_DLL_PREFIX = "Form DLL = ";
constexpr const char* BASE_FOLDER_MARK = "~a\\";

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\"");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\"") - first + 1);
}

std::vector<std::string> FormFileNames(const std::string& mailFolder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((mailFolder + "*.f??").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The library a "Form DLL = " line names; empty for a line of any other kind.
std::string FormLibraryOfLine(const std::string& line, const std::string& baseFolder)
{
    const std::string prefix = FORM_DLL_PREFIX;
    if (line.compare(0, prefix.size(), prefix) != 0)
        return {};
    const std::string library = Trimmed(line.substr(prefix.size()));
    const std::string mark = BASE_FOLDER_MARK;
    if (library.compare(0, mark.size(), mark) == 0)
        return baseFolder + library.substr(mark.size());
    return library;
}
} // namespace

std::vector<std::string> FormLibraries(const std::string& mailFolder, const std::string& baseFolder)
{
    std::vector<std::string> libraries;
    for (const std::string& name : FormFileNames(mailFolder)) {
        std::ifstream form(mailFolder + name);
        for (std::string line; std::getline(form, line);) {
            const std::string library = FormLibraryOfLine(line, baseFolder);
            if (!library.empty() && std::find(libraries.begin(), libraries.end(), library) == libraries.end())
                libraries.push_back(library);
        }
    }
    return libraries;
}
