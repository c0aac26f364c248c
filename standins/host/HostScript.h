// The stand-in mail client's script: one step per line, words separated by blanks, a word in double
// quotes may hold blanks, '#' starts a comment line. Steps are listed in HostMain.cpp.
#pragma once

#include <string>
#include <vector>

using THostStep = std::vector<std::string>;

std::vector<THostStep> ParseHostScript(const std::string& text);
THostStep SplitStepWords(const std::string& line);
