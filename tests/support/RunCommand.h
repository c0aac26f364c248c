// Runs a shell command on Linux and returns what it printed; used by the tests that check our
// output against GnuPG and other peers.
#pragma once

#include <cstdio>
#include <string>

inline std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, count);
    pclose(pipe);
    return output;
}
