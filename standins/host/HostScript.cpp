// Parsing the stand-in mail client's script.
#include "standins/host/HostScript.h"

THostStep SplitStepWords(const std::string& line)
{
    THostStep words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        std::string word;
        if (line[i] == '"') {
            const std::size_t end = line.find('"', i + 1);
            word = line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            i = end == std::string::npos ? line.size() : end + 1;
        } else {
            const std::size_t end = line.find_first_of(" \t", i);
            word = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? line.size() : end;
        }
        words.push_back(word);
    }
    return words;
}

std::vector<THostStep> ParseHostScript(const std::string& text)
{
    std::vector<THostStep> steps;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        THostStep step = SplitStepWords(line);
        if (!step.empty() && step[0][0] != '#')
            steps.push_back(step);
        start = end + 1;
    }
    return steps;
}
