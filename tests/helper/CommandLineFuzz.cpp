// Fuzz target of the helper's command-line rules: any raw line, split at blanks into arguments,
// resolves without a fault, and a text argument is always a part of the line.
#include "helper/HelperCommands.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments;
    std::istringstream words(line);
    for (std::string word; words >> word;)
        arguments.push_back(word);
    const THelperCommand command = ResolveHelperCommand(line, arguments);
    if (command.Argument == THelperArgument::RawTail && line.find(command.Text) == std::string::npos)
        std::abort();
    if (ArgsAfterProgramName(line).size() > line.size())
        std::abort();
    HelperMutexName(line);
    return 0;
}
