// The mail-client interface's arithmetic and text rules that need no window system: version and
// build numbers, the language code in library names and command lines, the restart command line,
// window-class lists and the button list's growth. Portable, so they are tested in both builds.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace PMInterfaceRules {

// fileVersion: major in the high 16 bits, minor in the low. The minor number's decimal digits
// become hexadecimal digits (4.52 gives 0x452), as the mail client itself reports its version.
uint32_t VersionFromFileVersion(uint32_t fileVersion);
// "PM " + major + "." + two hexadecimal digits (0x452 gives "PM 4.52").
std::string VersionText(uint32_t version);
// 0x452 gives 4520; every build comparison of the plug-in uses this number.
uint32_t BuildFromVersion(uint32_t version);

// Language code of a language library's file name: characters 7-8 of names longer than 12
// characters, else 6-7, lower-cased ("WPM32DE.DLL" gives "de").
std::string LanguageFromLibraryName(const std::string& fileName);
// Language code given by a "-X" or "/X" option of the mail client's command line; empty without one.
std::string LanguageFromCommandLine(const std::string& commandLine);

// The parameters that restart the mail client: the program path (programPathLength characters up
// to the next blank) and any " -I"/" /I" option with its value are removed, and " -I " + identity
// is appended when an identity is given (quoted when it holds blanks).
std::string RestartParameters(
    const std::string& hostCommandLine, size_t programPathLength, const std::string& identity);

// True when className equals one of the comma-separated names of list, ignoring ASCII case.
// An empty class name (a window that is gone) never matches.
bool IsClassInList(const std::string& className, const std::string& list);

// The button list's next capacity: + 4 below 5, + 8 from 5 to 8, + 16 from 9.
uint32_t GrownCapacity(uint32_t capacity);

// A key of the mail client's identity settings: the name padded with blanks to 42 characters.
std::string PaddedIdentityKey(const std::string& name);

// The address-book lines of the "AddressBooks" section ("key=value" each) as LF-separated
// key=value lines, value being the text between the value's first two double quotes (empty without
// them). From build 4000 only the keys "<user>.<digit>..." with the part up to the next '.' after
// the user name removed; below 4000 only the other keys.
std::string AddressBookSettings(
    const std::vector<std::string>& lines, const std::string& userName, bool hostV4);

// The signature file name (without extension) for the selected signature number and the kind the
// mail client gives: "LocalSig" for kinds 1 and 2, "InetSig" for 3 and 4, then the hexadecimal
// digit of number + 1 when number > 0. Empty for a negative number or another kind.
std::string SignatureFileName(int number, int kind);

// The printing banner with its '~' codes (letter in any case) replaced by values (keyed by the
// upper-case letter); an empty value becomes emptyText; unknown codes and a '~' at the end stay.
std::string ReplaceBannerCodes(
    const std::string& banner, const std::map<char, std::string>& values, const std::string& emptyText);
// The name part of an address: "Alice Example <alice@example.org>" gives "Alice Example" (quotes
// removed); an address without angle brackets has none.
std::string AddressNamePart(const std::string& address);

// One mailbox of the "Mailbox_IDs" section: its name, hexadecimal id and folder.
struct TMailboxEntry {
    std::string Name;
    uint32_t Id = 0;
    std::string Folder; // with a trailing backslash
};
// The mailboxes of the section's "name=value" lines, the one named "DEFAULT" (any case) first and
// in the mail folder; the id is the hexadecimal number between the value's first double quote and
// the colon after it. Lines without them are skipped.
std::vector<TMailboxEntry> ParseMailboxIds(
    const std::vector<std::string>& lines, const std::string& mailFolder);

// The largest header of the last (up to ten) messages of a folder text, in lines + 2; 0 for none.
// Mailbox texts separate messages by "From ???@???" at the start or after a blank line; other
// folders by byte 26.
int MeasureHeaderLines(const std::string& text, bool mailbox);

// Where the mail folder is looked for when the registry names none: the mail client's usual
// program folders in the program-files folder, then the same in the root of its drive; each
// followed by ';'.
std::string MailFolderSearchList(const std::string& programFiles);

} // namespace PMInterfaceRules

// A queued message file the plug-in may delete when it cleans the queue folder: below 400 bytes,
// at most 6 LFs, and holding the placeholder's subject line that a cancelled send leaves behind.
// A genuine short message of the user's is kept.
bool IsQueuedPlaceholder(const std::string& content, const std::string& placeholderSubjectLine);
// True for the queued-message extensions the cleaning looks at (".PMW", ".PMX", any case).
bool IsQueuedMessageName(const std::string& fileName);
