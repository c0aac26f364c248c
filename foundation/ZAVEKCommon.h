// Product-wide helpers: language table, version numbers, key-id texts, stored selections, the
// font setting record; on Windows also the message pump, the fatal error box, time servers and
// the clock synchronisation.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// One row of the language table: Windows primary language id and 2-letter code.
struct TLangIDs {
    uint16_t ID;
    const char* Code;
};

inline constexpr std::array<TLangIDs, 4> LanguageTable { { { 7, "De" }, { 9, "En" }, { 12, "Fr" },
    { 16, "It" } } };
inline constexpr TLangIDs DefaultLanguage { 9, "En" };

// A font setting as the options keep it; the face name comes first.
struct TZAVEKFont {
    std::string FaceName;
    int PointSize = 0;
    int Style = 0; // bit 0 bold, 1 italic, 2 underline, 3 strike-out
};

// The code of a language id (reduced to its primary language); "En" when it has no row.
std::string LangIDToCode(uint32_t value);
// The id of a 2-letter code, compared ignoring case; 9 for any other text.
uint16_t LangCodeToID(const std::string& code);

// "1.2.3.4" gives 1234: major × 1000 plus the first digit of up to three further parts.
int VersionTextToNumber(const std::string& text);
// 1234 gives "1.2.3.4", 12345 "12.3.4.5", 12 "1.2"; empty for N <= 0.
std::string VersionNumberToText(int n);
int VersionMajor(int n);

// "0x" + 16 (or 8) upper-case hexadecimal digits taken from a loosely written key id; empty when
// fewer than 8 digits stand there.
std::string NormalizeKeyIDText(const std::string& text);

// Splits "user ids\key ids" (a stored key selection). Returns the number of key ids (commas + 1),
// else the number of user id lines (LF + 1), else 0.
int SplitUserIDsAndKeyIDs(const std::string& text, std::string& userIDs, std::string& keyIDs);

std::string EmailOfUserID(const std::string& userID);
std::string NameOfUserID(const std::string& userID);

#ifdef _WIN32
#include <windows.h>

#include <functional>

class TStrings;

// Dispatches queued messages until the queue is empty, a WM_QUIT is met, or (with a Window) a
// message for a window outside Window's family; that message stays queued. Returns whether a
// message stopped the loop.
bool PumpMessagesFor(HWND window);

// The fatal error box: the system text of a non-zero Windows error code.
void ShowSystemErrorBox(DWORD code);

// The time servers of the Windows list; their number (0 when the list is missing).
int GetTimeServerList(TStrings& list);
// The Windows time service's server, else the list's default, else a public pool.
std::string GetDefaultTimeServer();

// The code of the Windows user's default language through the language table.
std::string GetUserLanguageCode();

// Sets the clock (a local date-time); returns the Windows error code, 0 on success.
using TClockSetter = std::function<DWORD(double localTime)>;
// The real clock setter: enables the system-time privilege for the call of SetLocalTime.
DWORD SetLocalClock(double localTime);
// Sets the local clock from an SNTP server; the Windows or socket error code, 0 on success.
DWORD SyncSystemTime(const std::string& server, uint16_t port, const TClockSetter& setClock = SetLocalClock);

// The host program's folder + "DEFAULT.BMP".
std::string DefaultBitmapFileName();
#endif
