// MailUtils dates: RFC 822 date headers to UTC date-times and back. The date is built from its
// numbers by calendar arithmetic, with every field range-checked; no locale state is touched.
#include "mime/MailServices.h"
#include "mime/MailUtils.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include "foundation/TimeUtils.h"
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const char* const dayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const monthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const int64_t dateTimeEpoch = DaysFromCivil(1899, 12, 30);

bool AllDigits(const std::string& Text)
{
    if (Text.empty())
        return false;
    for (char c : Text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int DigitsValue(const std::string& Text)
{
    int value = 0;
    for (char c : Text)
        value = value * 10 + (c - '0');
    return value;
}

std::vector<std::string> BlankSeparatedWords(const std::string& Text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : Text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

// Zone offset in minutes. A numeric zone ("+0200", "-05:30"); a known name of the table; any
// other text (such as "CEST" or "MEZ") is taken as UTC rather than failing the whole date.
int ZoneMinutes(const std::string& Zone)
{
    std::string digits;
    for (char c : Zone)
        if (c != ':')
            digits += c;
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-'))
        digits.erase(0, 1);
    if (Zone.size() >= 4 && AllDigits(digits) && digits.size() >= 4) {
        const int hours = DigitsValue(digits.substr(digits.size() - 4, 2));
        const int minutes = DigitsValue(digits.substr(digits.size() - 2));
        if (minutes >= 60)
            return 0;
        return (negative ? -1 : 1) * (hours * 60 + minutes);
    }
    static const struct {
        const char* Name;
        int Hours;
    } names[] = {{"UT", 0}, {"GMT", 0}, {"EDT", -4}, {"EST", -5}, {"CDT", -5},
                 {"CST", -6}, {"MDT", -6}, {"MST", -7}, {"PDT", -7}, {"PST", -8}};
    for (const auto& name : names)
        if (Zone.size() == std::string(name.Name).size() && StartsWithText(name.Name, Zone))
            return name.Hours * 60;
    return 0;
}

std::string DisplayText(TDateTime Utc)
{
    return MailServices().ShortNamedDateText(Utc) + ", " + MailServices().LongTimeText(Utc) + " (UTC)";
}

} // namespace

bool ParseRfc822Date(const std::string& Text, TDateTime& Utc, std::string& Display)
{
    Utc = 0;
    Display.clear();
    const std::vector<std::string> words = BlankSeparatedWords(Text);
    if (words.size() < 4)
        return false;
    const std::string& dayWord = words[0];
    if (!AllDigits(dayWord) || dayWord.size() > 2)
        return false;
    const int day = DigitsValue(dayWord);
    const int monthPosition = words[1].size() == 3 ? PosText(words[1], "jan/feb/mar/apr/may/jun/jul/aug/sep/oct/nov/dec") : 0;
    const int month = monthPosition > 0 ? (monthPosition - 1) / 4 + 1 : 1;
    const std::string& yearWord = words[2];
    if (!AllDigits(yearWord) || yearWord.size() < 2 || yearWord.size() > 4)
        return false;
    int year = DigitsValue(yearWord);
    if (yearWord.size() == 2)
        year += year < 50 ? 2000 : 1900;
    else if (yearWord.size() == 3)
        year += 1900;

    std::vector<std::string> timeParts;
    std::string part;
    for (char c : words[3]) {
        if (c == ':') {
            timeParts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    timeParts.push_back(part);
    if (timeParts.size() < 2 || timeParts.size() > 3)
        return false;
    for (const std::string& piece : timeParts)
        if (!AllDigits(piece) || piece.size() > 2)
            return false;
    const int hour = DigitsValue(timeParts[0]);
    const int minute = DigitsValue(timeParts[1]);
    int second = timeParts.size() == 3 ? DigitsValue(timeParts[2]) : 0;
    if (second == 60)
        second = 59; // a leap second
    if (day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 59)
        return false;

    // The zone is the one word after the time; what follows ("+0100 CET") only names it.
    const int offset = words.size() > 4 ? ZoneMinutes(words[4]) : 0;
    const double local = static_cast<double>(DaysFromCivil(year, month, day) - dateTimeEpoch) +
                         (hour * 3600 + minute * 60 + second) / 86400.0;
    Utc = local - offset / 1440.0;
    Display = DisplayText(Utc);
    return true;
}

bool ParseDateHeader(const std::string& Value, TDateTime& Utc, std::string& Display)
{
    std::string text = TrimBlanks(Value);
    if (!text.empty() && !(text[0] >= '0' && text[0] <= '9')) {
        const std::size_t comma = text.find(',');
        if (comma != std::string::npos)
            text.erase(0, comma + 1);
    }
    std::string cleaned;
    bool inComment = false;
    for (char c : text) {
        if (c == '(')
            inComment = true;
        else if (c == ')' && inComment)
            inComment = false;
        else if (!inComment)
            cleaned += c;
    }
    return ParseRfc822Date(TrimBlanks(cleaned), Utc, Display);
}

// The zone is written: a Date header without one is no valid date (RFC 5322), and a reader would
// take the time for one in its own zone.
std::string FormatRfc822Date(TDateTime Value, int ZoneMinutes)
{
    const double wholeSeconds = std::round(Value * 86400.0);
    const int64_t seconds = static_cast<int64_t>(wholeSeconds);
    int64_t days = seconds / 86400;
    int64_t secondOfDay = seconds % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    days += dateTimeEpoch;
    const TCivilDate date = CivilFromDays(days);
    const int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);
    const int zone = ZoneMinutes < 0 ? -ZoneMinutes : ZoneMinutes;
    char text[80];
    std::snprintf(text, sizeof text, "%s, %d %s %lld %02d:%02d:%02d %c%02d%02d", dayNames[weekday], date.Day,
                  monthNames[date.Month - 1], static_cast<long long>(date.Year),
                  static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
                  static_cast<int>(secondOfDay % 60), ZoneMinutes < 0 ? '-' : '+', zone / 60, zone % 60);
    return text;
}
