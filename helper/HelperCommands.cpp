// Keyword table and argument rules of the helper program.
#include "helper/HelperCommands.h"

#include <array>
#include <cstdio>

namespace {

struct TKeyword {
    const char* Name;
    int Ordinal;
    THelperArgument Argument;
};

// The order matters: the first keyword that the argument begins with wins.
constexpr std::array<TKeyword, 9> KEYWORDS{ {
    { "USERSETUP", 10, THelperArgument::EmptyText },
    { "USERUPDATE", 12, THelperArgument::JoinedArguments },
    { "USERUNINSTALL", 11, THelperArgument::NoArgument },
    { "PMRESTART", 13, THelperArgument::IdentityAndWindow },
    { "SYNCTIME", 14, THelperArgument::Flag },
    { "HTMLPAGE", 15, THelperArgument::RawTail },
    { "PGPHELP", 16, THelperArgument::RawTail },
    { "MANUAL", 17, THelperArgument::RawTail },
    { "CLEANUP", 18, THelperArgument::NoArgument },
} };

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        c = UpperAscii(c);
    return text;
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && UpperAscii(text.substr(0, prefix.size())) == prefix;
}

// The text after the keyword and one more character (the separating blank), searched in the
// arguments' part of the raw line; empty when the keyword is not there.
std::string TailAfterKeyword(const std::string& commandLine, const std::string& keyword)
{
    const std::string arguments = ArgsAfterProgramName(commandLine);
    const size_t at = UpperAscii(arguments).find(keyword);
    if (at == std::string::npos)
        return {};
    const size_t from = at + keyword.size() + 1;
    return from < arguments.size() ? arguments.substr(from) : std::string();
}

std::string JoinFrom(const std::vector<std::string>& arguments, size_t first)
{
    std::string joined;
    for (size_t i = first; i < arguments.size(); ++i) {
        if (i > first)
            joined += ',';
        joined += arguments[i];
    }
    return joined;
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trimmed(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// A decimal number; 0 when the text is not one.
uintptr_t DecimalValue(const std::string& text)
{
    if (text.empty())
        return 0;
    uintptr_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + static_cast<uintptr_t>(c - '0');
    }
    return value;
}

// PMRESTART's tail: the identity before the last blank, the window handle after it. A tail without
// a blank is all identity, and the restart then runs without a window.
void SplitIdentityAndWindow(const std::string& tail, THelperCommand& command)
{
    const size_t blank = tail.rfind(' ');
    if (blank == std::string::npos) {
        command.Text = tail;
        return;
    }
    command.Text = tail.substr(0, blank);
    command.Window = DecimalValue(Trimmed(tail.substr(blank + 1)));
}

} // namespace

std::string ArgsAfterProgramName(const std::string& commandLine)
{
    size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t closing = commandLine.find('"', 1);
        at = closing == std::string::npos ? commandLine.size() : closing + 1;
    } else {
        const size_t blank = commandLine.find(' ');
        at = blank == std::string::npos ? commandLine.size() : blank;
    }
    while (at < commandLine.size() && commandLine[at] == ' ')
        ++at;
    return commandLine.substr(at);
}

std::string ProgramFolderOf(const std::string& programPath)
{
    const size_t slash = programPath.rfind('\\');
    return slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
}

THelperCommand ResolveHelperCommand(const std::string& commandLine, const std::vector<std::string>& arguments)
{
    THelperCommand command;
    if (arguments.size() < 2 || arguments[1].empty())
        return command;
    for (const TKeyword& keyword : KEYWORDS) {
        if (!StartsWithIgnoringCase(arguments[1], keyword.Name))
            continue;
        command.Ordinal = keyword.Ordinal;
        command.Argument = keyword.Argument;
        switch (keyword.Argument) {
        case THelperArgument::JoinedArguments:
            command.Text = JoinFrom(arguments, 2);
            break;
        case THelperArgument::Flag:
            command.Flag = arguments.size() > 2 && !arguments[2].empty();
            break;
        case THelperArgument::RawTail:
            command.Text = TailAfterKeyword(commandLine, keyword.Name);
            break;
        case THelperArgument::IdentityAndWindow:
            SplitIdentityAndWindow(TailAfterKeyword(commandLine, keyword.Name), command);
            break;
        case THelperArgument::EmptyText:
        case THelperArgument::NoArgument:
            break;
        }
        return command;
    }
    return command;
}

std::string HelperMutexName(const std::string& fullPath)
{
    // 64-bit FNV-1a: short, stable and spreads similar paths well.
    uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : UpperAscii(fullPath)) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llX", static_cast<unsigned long long>(hash));
    return std::string("Local\\ZAVEKHelper-") + hex;
}
