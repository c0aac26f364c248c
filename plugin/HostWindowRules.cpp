// Menu ids, hints, toolbar choices and caption cuts of the plug-in's additions to the host windows.
#include "plugin/HostWindowRules.h"

#include "foundation/ZAVEKResources.h"

#include <algorithm>

namespace HostWindowRules {

namespace {
constexpr uint16_t TEXT_HINT_ABOUT_ON_HOST_MENU = 58;
constexpr uint16_t TEXT_HINT_PRODUCT_FIRST = 59;
constexpr uint16_t TEXT_HINT_AUTO_LIST_FIRST = 62;
constexpr uint16_t TEXT_HINT_PLUGIN_FIRST = 68;
constexpr uint16_t TEXT_HINT_ALL_ADDRESS_BOOKS = 87;
constexpr uint16_t TEXT_HINT_ADDRESS_BOOK = 88;
constexpr uint32_t PLUGIN_HINTS_FIRST = ITEM_WIPE_PASSPHRASE;
constexpr uint32_t PLUGIN_HINTS_LAST = ITEM_START_PGP;
constexpr uint32_t PRODUCT_HINTS_LAST = ITEM_ABOUT;
constexpr uint32_t AUTO_LIST_HINTS_LAST = ITEM_AUTO_LIST_FILE;

constexpr uint16_t TEXT_HINT_WIPE = 19;
constexpr uint16_t TEXT_HINT_AUTO_LIST = 18;
constexpr uint16_t TEXT_HINT_ENCRYPT = 20;
constexpr uint16_t TEXT_HINT_DECRYPT = 21;
constexpr uint16_t TEXT_HINT_VERIFY = 22;
constexpr uint16_t TEXT_HINT_MANAGE = 23;
constexpr uint16_t TEXT_HINT_PGP = 24;

constexpr uint32_t DROPDOWN_ENCRYPT = 8201;
constexpr uint32_t DROPDOWN_SIGN = 8202;
constexpr uint32_t DROPDOWN_BOTH = 8203;

// The text before the blank that precedes its '(' (all of it without one).
std::string BeforeParenthesis(const std::string& text)
{
    const size_t open = text.find('(');
    if (open == std::string::npos)
        return text;
    size_t end = open;
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return text.substr(0, end);
}

std::string AfterSlash(const std::string& text)
{
    const size_t slash = text.find('/');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}
} // namespace

std::string WithoutAmpersands(const std::string& text)
{
    std::string result;
    for (char c : text)
        if (c != '&')
            result += c;
    return result;
}

bool CaptionBeginsWith(const std::string& caption, const std::string& prefix)
{
    const std::string plain = WithoutAmpersands(caption);
    return !prefix.empty() && plain.compare(0, prefix.size(), prefix) == 0;
}

std::string WithoutSlashPart(const std::string& text)
{
    const size_t slash = text.find('/');
    if (slash == std::string::npos)
        return text;
    const size_t blank = text.find(' ', slash);
    return text.substr(0, slash) + (blank == std::string::npos ? std::string() : text.substr(blank));
}

bool IsAcceleratorKey(unsigned key, const std::string& caption)
{
    const size_t amp = caption.find('&');
    if (amp == std::string::npos || amp + 1 >= caption.size() || key == 0)
        return false;
    const unsigned accelerator = static_cast<unsigned char>(caption[amp + 1]);
    const auto upper = [](unsigned c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    constexpr unsigned CONTROL_CHARACTERS = 27;
    const unsigned typed = key < CONTROL_CHARACTERS ? key - 1 + 'A' : upper(key);
    return typed == upper(accelerator);
}

std::string ManageKeysCaption(const std::string& text, int32_t keyRingState)
{
    return keyRingState == 0 ? WithoutSlashPart(text) : text;
}

std::string MenuHint(
    uint32_t id, const TTextLookup& texts, int32_t keyRingState, const std::vector<std::string>& addressBooks)
{
    if (id == ITEM_ABOUT_ON_HOST_MENU)
        return texts(TEXT_HINT_ABOUT_ON_HOST_MENU);
    if (id >= PLUGIN_HINTS_FIRST && id <= PLUGIN_HINTS_LAST) {
        const std::string hint = texts(static_cast<uint16_t>(TEXT_HINT_PLUGIN_FIRST + (id - PLUGIN_HINTS_FIRST)));
        return id == ITEM_DECRYPT_FOLDER ? RemoveSMimeMention(hint, keyRingState == 0) : hint;
    }
    if (id >= ITEM_CONFIGURATION && id <= PRODUCT_HINTS_LAST)
        return texts(static_cast<uint16_t>(TEXT_HINT_PRODUCT_FIRST + (id - ITEM_CONFIGURATION)));
    if (id >= ITEM_AUTO_LIST_ON && id <= AUTO_LIST_HINTS_LAST)
        return texts(static_cast<uint16_t>(TEXT_HINT_AUTO_LIST_FIRST + (id - ITEM_AUTO_LIST_ON)));
    if (id >= ADDRESS_BOOK_MENU_BASE) {
        const size_t n = id - ADDRESS_BOOK_MENU_BASE;
        if (n < addressBooks.size())
            return texts(TEXT_HINT_ADDRESS_BOOK) + "\"" + addressBooks[n] + "\"";
        if (n == addressBooks.size())
            return texts(TEXT_HINT_ALL_ADDRESS_BOOKS);
    }
    return " ";
}

TPluginCommand DecodeFrameCommand(uint32_t id, bool idIsMenu)
{
    if (idIsMenu)
        return {};
    // Item numbers of the plug-in menu (4..23) and of the product submenu (24..26) do not overlap.
    if (id > PLUGIN_MENU_BASE && id < AUTO_LIST_MENU_BASE)
        return { TPluginCommandKind::MenuCommand, id & 0x0FFF };
    if (id >= AUTO_LIST_MENU_BASE)
        return DecodePluginCommand(id, 0, false);
    return {};
}

TScreenRect PlacedInView(const TScreenRect& window, const TScreenRect* owner, const TScreenRect& workArea)
{
    if (window.Left >= workArea.Left && window.Top >= workArea.Top && window.Right <= workArea.Right
        && window.Bottom <= workArea.Bottom)
        return window;
    const TScreenRect& around = owner ? *owner : workArea;
    const int width = window.Right - window.Left;
    const int height = window.Bottom - window.Top;
    int left = around.Left + ((around.Right - around.Left) - width) / 2;
    int top = around.Top + ((around.Bottom - around.Top) - height) / 2;
    // Into the work area; a window larger than it keeps its top left corner in view.
    left = std::max(workArea.Left, std::min(left, workArea.Right - width));
    top = std::max(workArea.Top, std::min(top, workArea.Bottom - height));
    return { left, top, left + width, top + height };
}

std::string EncryptButtonHint(const std::string& text, int32_t encSign)
{
    switch (encSign) {
    case 1:
        return WithoutSlashPart(BeforeParenthesis(text));
    case 2:
        return AfterSlash(BeforeParenthesis(text));
    case 3:
        return BeforeParenthesis(text);
    default:
        return text;
    }
}

std::vector<TToolbarButton> ToolbarButtons(const TToolbarChoice& choice, const TTextLookup& texts)
{
    std::vector<TToolbarButton> buttons;
    buttons.push_back({ 1026, "EditAutoList.bmp", texts(TEXT_HINT_AUTO_LIST), 0 });
    if (choice.WipePass)
        buttons.push_back({ 1025, "WipePassphrase.bmp", texts(TEXT_HINT_WIPE), 0 });
    const std::string encrypt = EncryptButtonHint(texts(TEXT_HINT_ENCRYPT), choice.EncSign);
    switch (choice.EncSign) {
    case 1:
        buttons.push_back({ 1027, "EncryptOnly.bmp", encrypt, DROPDOWN_ENCRYPT });
        break;
    case 2:
        buttons.push_back({ 1027, "SignOnly.bmp", encrypt, DROPDOWN_SIGN });
        break;
    case 3:
        buttons.push_back({ 1027, "EncryptSign.bmp", encrypt, DROPDOWN_BOTH });
        break;
    case 4:
        buttons.push_back({ 1027, "EncryptSign.bmp", encrypt, 0 });
        break;
    default:
        break;
    }
    if (choice.Decrypt)
        buttons.push_back({ 1028, "DecryptMessage.bmp", texts(TEXT_HINT_DECRYPT), 0 });
    if (choice.Verify)
        buttons.push_back({ 1029, "VerifySignature.bmp", texts(TEXT_HINT_VERIFY), 0 });
    if (choice.Manage)
        buttons.push_back({ 1030, "ManageKeys.bmp", texts(TEXT_HINT_MANAGE), 0 });
    if (choice.PGPkeys)
        buttons.push_back({ 1031, "LaunchPGP.bmp", texts(TEXT_HINT_PGP), 0 });
    return buttons;
}

} // namespace HostWindowRules
