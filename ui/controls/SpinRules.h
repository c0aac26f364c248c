// The arithmetic of the spin edit, apart from any window: reading the typed number, the range
// rules (while typing only the maximum binds; the minimum binds when the field is left), the text
// length a range needs, and typing a digit over a selection.
#pragma once

#include <optional>
#include <string>

struct TSpinRange {
    int Min = 0;
    int Max = 100;
    // The minimum means "none" and shows as an empty field (an empty field reads as the minimum).
    bool BlankAtMinimum = false;
};

// The number in text (blanks around it allowed), or none for text that is not a whole number.
std::optional<int> ParseSpinNumber(const std::string& text);
// Within the range.
int ClampToRange(int value, const TSpinRange& range);
// The number as the field shows it.
std::string SpinText(int value, const TSpinRange& range);
// While typing: values above the maximum become the maximum; lower ones stay, so that a number
// can be typed digit by digit.
int ClampWhileTyping(int value, const TSpinRange& range);
// Characters of the longer of the range ends in decimal.
int RangeTextLength(const TSpinRange& range);
// A step by delta from value, kept within the range (no overflow).
int StepSpinValue(int value, int delta, const TSpinRange& range);

struct TOvertype {
    std::string Text;
    int SelStart = 0;
    int SelLength = 0;
};
// A digit typed over a selection (0-based start): it replaces the first selected character and the
// selection shrinks to the rest. Without a selection the text is unchanged.
TOvertype OvertypeDigit(const std::string& text, int selStart, int selLength, char digit);
