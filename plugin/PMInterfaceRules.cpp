// Version arithmetic, language codes, the restart command line and class-name lists.
#include "plugin/PMInterfaceRules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace PMInterfaceRules {
namespace {
char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string LowerText(std::string text)
{
    for (char& c : text)
        c = Lower(c);
    return text;
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) < 33;
}

// Position of a " -L" or " /L" option (any case) at the start or after a blank; npos when none.
size_t FindOption(const std::string& text, char letter)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if ((text[i] == '-' || text[i] == '/') && Lower(text[i + 1]) == Lower(letter)
            && (i == 0 || IsBlank(text[i - 1])))
            return i;
    }
    return std::string::npos;
}

// End of the option value that starts at from (after blanks): a quoted text or up to a blank.
size_t ValueEnd(const std::string& text, size_t from)
{
    while (from < text.size() && IsBlank(text[from]))
        ++from;
    if (from < text.size() && text[from] == '"') {
        const size_t close = text.find('"', from + 1);
        return close == std::string::npos ? text.size() : close + 1;
    }
    while (from < text.size() && !IsBlank(text[from]))
        ++from;
    return from;
}
} // namespace

uint32_t VersionFromFileVersion(uint32_t fileVersion)
{
    const uint32_t major = fileVersion >> 16, minor = (fileVersion & 0xFFFF) % 100;
    return (major << 8) | ((minor / 10) << 4) | (minor % 10);
}

std::string VersionText(uint32_t version)
{
    char text[32];
    std::snprintf(text, sizeof text, "PM %u.%02X", version >> 8, version & 0xFF);
    return text;
}

uint32_t BuildFromVersion(uint32_t v)
{
    return (v & 0xF) * 10 + ((v & 0xFF) >> 4) * 100 + ((v >> 8) & 0xF) * 1000;
}

std::string LanguageFromLibraryName(const std::string& fileName)
{
    const size_t from = fileName.size() > 12 ? 6 : 5;
    return fileName.size() < from + 2 ? std::string() : LowerText(fileName.substr(from, 2));
}

std::string LanguageFromCommandLine(const std::string& commandLine)
{
    const size_t option = FindOption(commandLine, 'X');
    if (option == std::string::npos)
        return {};
    size_t from = option + 2;
    // "-Xde", "-X de", "-X=de" and "-X:de" all name German: one separator that is not part of
    // the code is skipped, then blanks ("-Xde" has none, so its first letter is kept).
    if (from < commandLine.size() && !IsBlank(commandLine[from])
        && !std::isalnum(static_cast<unsigned char>(commandLine[from])))
        ++from;
    while (from < commandLine.size() && IsBlank(commandLine[from]))
        ++from;
    std::string code = commandLine.substr(from, 2);
    return code.size() == 2 && !IsBlank(code[0]) && !IsBlank(code[1]) ? LowerText(code) : std::string();
}

std::string RestartParameters(
    const std::string& hostCommandLine, size_t programPathLength, const std::string& identity)
{
    const size_t blank = hostCommandLine.find(' ', programPathLength);
    std::string parameters = blank == std::string::npos ? std::string() : hostCommandLine.substr(blank);
    const size_t option = FindOption(parameters, 'I');
    if (option != std::string::npos) {
        const size_t start = option > 0 ? option - 1 : option; // with its leading blank
        parameters.erase(start, ValueEnd(parameters, option + 2) - start);
    }
    if (!identity.empty()) {
        const bool quote = identity.find(' ') != std::string::npos;
        parameters += " -I " + (quote ? "\"" + identity + "\"" : identity);
    }
    return parameters;
}

bool IsClassInList(const std::string& className, const std::string& list)
{
    if (className.empty())
        return false;
    const std::string wanted = LowerText(className);
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        if (LowerText(list.substr(start, end - start)) == wanted)
            return true;
        start = end + 1;
    }
    return false;
}

uint32_t GrownCapacity(uint32_t capacity)
{
    return capacity + (capacity < 5 ? 4 : capacity <= 8 ? 8 : 16);
}

std::string PaddedIdentityKey(const std::string& name)
{
    constexpr size_t KEY_LENGTH = 42;
    return name.size() >= KEY_LENGTH ? name : name + std::string(KEY_LENGTH - name.size(), ' ');
}

std::string AddressBookSettings(
    const std::vector<std::string>& lines, const std::string& userName, bool hostV4)
{
    const std::string prefix = LowerText(userName) + ".";
    std::string settings;
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        const std::string lowerKey = LowerText(key);
        const bool ownBook = !userName.empty() && lowerKey.compare(0, prefix.size(), prefix) == 0
            && lowerKey.size() > prefix.size()
            && std::isdigit(static_cast<unsigned char>(lowerKey[prefix.size()]));
        if (ownBook != hostV4)
            continue;
        if (ownBook) {
            const size_t dot = key.find('.', prefix.size());
            key = dot == std::string::npos ? std::string() : key.substr(dot + 1);
        }
        const size_t open = line.find('"', equals + 1);
        const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        const std::string value
            = close == std::string::npos ? std::string() : line.substr(open + 1, close - open - 1);
        if (!settings.empty())
            settings += '\n';
        settings += key + "=" + value;
    }
    return settings;
}

std::string SignatureFileName(int number, int kind)
{
    if (number < 0 || kind < 1 || kind > 4)
        return {};
    std::string name = kind <= 2 ? "LocalSig" : "InetSig";
    if (number > 0)
        name += "0123456789ABCDEF"[(number + 1) & 0xF];
    return name;
}

std::string ReplaceBannerCodes(
    const std::string& banner, const std::map<char, std::string>& values, const std::string& emptyText)
{
    std::string text;
    for (size_t i = 0; i < banner.size(); ++i) {
        if (banner[i] != '~' || i + 1 == banner.size()) {
            text += banner[i];
            continue;
        }
        const char code = static_cast<char>(std::toupper(static_cast<unsigned char>(banner[i + 1])));
        auto value = values.find(code);
        if (value == values.end()) {
            text += banner[i];
            continue;
        }
        text += value->second.empty() ? emptyText : value->second;
        ++i;
    }
    return text;
}

std::string AddressNamePart(const std::string& address)
{
    const size_t open = address.find('<');
    if (open == std::string::npos)
        return {};
    std::string name = address.substr(0, open);
    std::string unquoted;
    for (char c : name)
        if (c != '"')
            unquoted += c;
    const size_t first = unquoted.find_first_not_of(" \t");
    const size_t last = unquoted.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : unquoted.substr(first, last - first + 1);
}

std::vector<TMailboxEntry> ParseMailboxIds(
    const std::vector<std::string>& lines, const std::string& mailFolder)
{
    std::vector<TMailboxEntry> mailboxes;
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        const size_t quote = equals == std::string::npos ? equals : line.find('"', equals + 1);
        const size_t colon = quote == std::string::npos ? quote : line.find(':', quote + 1);
        if (colon == std::string::npos || colon == quote + 1)
            continue;
        TMailboxEntry entry;
        entry.Name = line.substr(0, equals);
        const std::string hex = line.substr(quote + 1, colon - quote - 1);
        char* end = nullptr;
        entry.Id = static_cast<uint32_t>(std::strtoul(hex.c_str(), &end, 16));
        if (*end != '\0')
            continue;
        const bool isDefault = LowerText(entry.Name) == "default";
        entry.Folder = isDefault ? mailFolder : entry.Name;
        if (!entry.Folder.empty() && entry.Folder.back() != '\\')
            entry.Folder += '\\';
        if (isDefault)
            mailboxes.insert(mailboxes.begin(), entry);
        else
            mailboxes.push_back(entry);
    }
    return mailboxes;
}

namespace {
// Start of the message that ends before position end (exclusive); npos when none is left.
size_t PreviousMessageStart(const std::string& text, size_t end, bool mailbox)
{
    if (end == 0)
        return std::string::npos;
    if (!mailbox) {
        const size_t separator = text.rfind('\x1A', end - 1);
        return separator == std::string::npos ? 0 : separator + 1;
    }
    const std::string marker = "From ???@???";
    for (size_t at = text.rfind(marker, end - 1); at != std::string::npos;
         at = at == 0 ? std::string::npos : text.rfind(marker, at - 1)) {
        if (at == 0 || (at >= 2 && text.compare(at - 2, 2, "\n\n") == 0)
            || (at >= 4 && text.compare(at - 4, 4, "\r\n\r\n") == 0))
            return at;
    }
    return std::string::npos;
}

int HeaderLines(const std::string& message)
{
    size_t end = message.find("\n\n");
    const size_t crlf = message.find("\r\n\r\n");
    if (crlf != std::string::npos && (end == std::string::npos || crlf < end))
        end = crlf;
    const std::string header = message.substr(0, end);
    int lines = 0;
    for (char c : header)
        lines += c == '\n';
    return lines + 2;
}
} // namespace

int MeasureHeaderLines(const std::string& text, bool mailbox)
{
    constexpr int MESSAGES_LOOKED_AT = 10;
    int result = 0;
    size_t end = text.size();
    for (int n = 0; n < MESSAGES_LOOKED_AT && end > 0; ++n) {
        const size_t start = PreviousMessageStart(text, end, mailbox);
        if (start == std::string::npos)
            break;
        const std::string message = text.substr(start, end - start);
        if (!message.empty() && message.find_first_not_of("\r\n\x1A") != std::string::npos)
            result = std::max(result, HeaderLines(message));
        end = mailbox || start == 0 ? start : start - 1;
        if (end < 2 * static_cast<size_t>(result))
            break;
    }
    return result;
}

std::string MailFolderSearchList(const std::string& programFiles)
{
    static constexpr const char* FOLDERS[] = { "Pegasus Mail", "Pegasus", "PMail", "PM", "WinPMail" };
    std::string root = programFiles;
    if (!root.empty() && root.back() != '\\')
        root += '\\';
    const size_t colon = root.find(':');
    const std::string drive
        = colon == std::string::npos ? std::string("\\") : root.substr(0, colon + 1) + "\\";
    std::string list;
    for (const std::string& base : { root, drive })
        for (const char* folder : FOLDERS)
            list += base + folder + ";";
    return list;
}

} // namespace PMInterfaceRules

bool IsQueuedPlaceholder(const std::string& content, const std::string& placeholderSubjectLine)
{
    constexpr size_t SHORT_FILE_BYTES = 400;
    constexpr long MAX_LINE_FEEDS = 6;
    return content.size() < SHORT_FILE_BYTES && std::count(content.begin(), content.end(), '\n') <= MAX_LINE_FEEDS
        && !placeholderSubjectLine.empty() && content.find(placeholderSubjectLine) != std::string::npos;
}

bool IsQueuedMessageName(const std::string& fileName)
{
    if (fileName.size() < 4)
        return false;
    std::string extension = fileName.substr(fileName.size() - 4);
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension == ".PMW" || extension == ".PMX";
}
