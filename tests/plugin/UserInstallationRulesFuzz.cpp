// Fuzz target of the users-list and form-file line rules: any lines register, prune, split into
// sections and rewrite without a fault; a rewritten form line always ends in a double quote.
#include "plugin/UserInstallationRules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace UserInstallationRules;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> lines;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    const std::string user = lines.empty() ? std::string("bob") : lines.front().substr(0, 8);
    for (const std::string& line : lines) {
        FolderOfUserLine(line);
        const std::string rewritten = RewriteFormDllLine("Form DLL = " + line, "C:\\P\\Z\\", "C:\\P\\");
        if (rewritten.back() != '"')
            std::abort();
    }
    SectionUserLines(lines, user);
    std::vector<std::string> section = lines;
    RegisterInSection(section, user, "C:\\M\\", true, [](const std::string& f) { return f.size() % 2 == 0; });
    RewriteFormDllLines(lines, "D:\\Z\\", "");
    return 0;
}
