// The help and manual pages and the opening of pages and addresses in the user's browser.
#include "plugin/ZAVEKHelp.h"

#include "foundation/FileUtilsWin.h"
#include "foundation/HtsTerConverter.h"
#include "foundation/Processes.h"
#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "foundation/ZAVEKResources.h"

#include <cstring>

namespace {

constexpr const char* FALLBACK_LANGUAGE = "En";
constexpr const char* REDIRECT_BROWSER = "IExplore.exe";
constexpr const char* ZONE_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\0";
// The zone's setting for active content: not 0 means the redirect may be held back, so the page
// also offers a link.
constexpr const char* ZONE_ACTIVE_CONTENT = "1608";
constexpr uint32_t BROWSER_IDLE_WAIT_SECONDS = 10;

// "en" -> "En": the files carry the code with a capital first letter.
std::string FileLanguage(const std::string& language)
{
    std::string code = language.empty() ? std::string(FALLBACK_LANGUAGE) : language;
    code[0] = static_cast<char>(toupper(static_cast<unsigned char>(code[0])));
    for (size_t i = 1; i < code.size(); ++i)
        code[i] = LowerAsciiChar(code[i]);
    return code;
}

std::string FirstExisting(std::initializer_list<std::string> candidates)
{
    std::string last;
    for (const std::string& candidate : candidates) {
        if (IsExistingFile(candidate))
            return candidate;
        last = candidate;
    }
    return last;
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(),
                                                 static_cast<int>(prefix.size()), prefix.c_str(),
                                                 static_cast<int>(prefix.size()))
        == CSTR_EQUAL;
}

std::string HtmlText(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// The address holds no double quote (BrowserArgument refused those), so it fits the attributes.
std::string RedirectPage(const std::string& address, const std::string& linkText, bool withLink)
{
    std::string page = "<html><head><meta http-equiv=\"refresh\" content=\"0; url=" + address + "\"></head><body>";
    if (withLink)
        page += "<a href=\"" + address + "\">" + HtmlText(linkText) + "</a>";
    return page + "</body></html>";
}

} // namespace

TZAVEKHelpFiles ChooseHelpFiles(const std::string& resourcesFolder, const std::string& language)
{
    const std::string own = FileLanguage(language);
    const std::string en = FALLBACK_LANGUAGE;
    const std::string& r = resourcesFolder;
    TZAVEKHelpFiles files;
    files.HelpPage = FirstExisting({ r + "ZAVEKHelp" + own + ".htm", r + "ZAVEKHelp" + en + ".htm" });
    files.ManualPage = FirstExisting({ r + "ZAVEKManual" + own + ".htm", r + "ZAVEKManual" + en + ".htm" });
    files.HelpFile = FirstExisting(
        { r + "ZAVEK" + own + ".chm", r + "ZAVEK" + en + ".chm", r + "ZAVEK" + own + ".hlp", r + "ZAVEK" + en + ".hlp" });
    files.PopupsFile = r + "POPUPS" + own + ".htm";
    return files;
}

std::string HtmlPageTarget(const std::string& argument, const std::string& resourcesFolder)
{
    for (const char* scheme : { "http", "ftp", "mailto" })
        if (StartsWithIgnoringCase(argument, scheme))
            return argument;
    // Only a page of the resources folder itself: no folder parts that could lead elsewhere.
    if (argument.find_first_of("\\/:") != std::string::npos || argument.find("..") != std::string::npos)
        return {};
    const std::string extension = GetFileExtension(argument);
    if (!StartsWithIgnoringCase(extension, ".htm"))
        return {};
    return "file:///" + resourcesFolder + argument;
}

std::string BrowserArgument(const std::string& address)
{
    for (char c : address)
        if (c == '"' || static_cast<unsigned char>(c) < ' ')
            return {};
    return address.empty() ? std::string() : "\"" + address + "\"";
}

TZAVEKHelp::TZAVEKHelp(
    HWND owner, const std::string& language, const std::string& resourcesFolder, THtsTerConverter* converter)
    : TZAVEKHelp(owner, resourcesFolder, ChooseHelpFiles(resourcesFolder, language), converter)
{
}

namespace {

// The editor library lays the popup out at the tip's width and measures it; without that library
// the plug-in reads the popup's few tags itself and the tip measures its text (height 0).
void ConvertPopup(void* data, const std::string& html, int width, std::string& text, int& height)
{
    auto* converter = static_cast<THtsTerConverter*>(data);
    if (converter && converter->Editor())
        converter->ConvertHtmlToRtf(html, width, text, height);
    if (text.empty()) {
        height = 0;
        text = PopupHtmlToRichText(html);
    }
}

void AppendRtfChar(std::string& rtf, char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '{' || c == '}') {
        rtf += '\\';
        rtf += c;
    } else if (byte >= 0x80) {
        static const char digits[] = "0123456789abcdef";
        rtf += "\\'";
        rtf += digits[byte >> 4];
        rtf += digits[byte & 15];
    } else if (c == '\r' || c == '\n' || c == '\t') {
        rtf += ' ';
    } else {
        rtf += c;
    }
}

} // namespace

std::string PopupHtmlToRichText(const std::string& html)
{
    static const std::pair<const char*, char> entities[]
        = { { "&amp;", '&' }, { "&lt;", '<' }, { "&gt;", '>' }, { "&quot;", '"' }, { "&nbsp;", ' ' } };
    std::string rtf = "{\\rtf1\\ansi ";
    std::size_t i = 0;
    while (i < html.size()) {
        if (html[i] == '<') {
            const std::size_t end = html.find('>', i);
            if (end == std::string::npos)
                break;
            std::string tag = html.substr(i + 1, end - i - 1);
            for (char& c : tag)
                c = LowerAsciiChar(c);
            if (tag == "b" || tag == "strong")
                rtf += "\\b ";
            else if (tag == "/b" || tag == "/strong")
                rtf += "\\b0 ";
            else if (tag == "br" || tag == "br/" || tag == "br /")
                rtf += "\\line ";
            i = end + 1;
            continue;
        }
        if (html[i] == '&') {
            bool decoded = false;
            for (const auto& [name, c] : entities)
                if (html.compare(i, std::strlen(name), name) == 0) {
                    AppendRtfChar(rtf, c);
                    i += std::strlen(name);
                    decoded = true;
                    break;
                }
            if (decoded)
                continue;
        }
        AppendRtfChar(rtf, html[i++]);
    }
    while (rtf.size() > 1 && rtf.back() == ' ')
        rtf.pop_back();
    return rtf + "}";
}

TZAVEKHelp::TZAVEKHelp(
    HWND owner, const std::string& resourcesFolder, const TZAVEKHelpFiles& files, THtsTerConverter* converter)
    : THelpHandler(owner, files.HelpFile, files.PopupsFile, converter, &ConvertPopup, POPUP_WIDTH)
    , owner_(owner)
    , resourcesFolder_(resourcesFolder)
    , files_(files)
{
    SetWindowTitle(PRODUCT_NAME);
    RegisterHelpTopics(&Topics());
    WindowType = WINDOW_TYPE;
}

std::string TZAVEKHelp::GetBrowser() const
{
    return FindAssociatedExecutable(files_.HelpPage);
}

bool TZAVEKHelp::StartBrowser(const std::string& browser, const std::string& address)
{
    const std::string argument = BrowserArgument(address);
    if (browser.empty() || argument.empty())
        return false;
    return RunProgram(owner_, "", browser, argument, "", SW_SHOWNORMAL, BROWSER_IDLE_WAIT_SECONDS) > 32;
}

bool TZAVEKHelp::ShowManualPage(const std::string& topic)
{
    const std::string browser = GetBrowser();
    if (topic.empty())
        return StartBrowser(browser, "file:///" + files_.HelpPage);
    const std::string address = "file:///" + files_.ManualPage + topic;
    if (lstrcmpiA(GetFileNamePart(browser).c_str(), REDIRECT_BROWSER) == 0)
        return StartThroughRedirectPage(browser, address, files_.ManualPage + topic);
    return StartBrowser(browser, address);
}

bool TZAVEKHelp::StartThroughRedirectPage(
    const std::string& browser, const std::string& address, const std::string& linkText)
{
    if (BrowserArgument(address).empty())
        return false;
    const bool withLink = RegReadDWord(HKEY_CURRENT_USER, ZONE_KEY, ZONE_ACTIVE_CONTENT) != 0;
    const std::string page = MakeTempFileName("htm");
    if (!WriteWholeFile(page, RedirectPage(address, linkText, withLink)))
        return false;
    const bool started = StartBrowser(browser, page);
    // The browser reads the page after it started; give it that time before the page goes.
    if (started)
        Sleep(REDIRECT_PAGE_LIFE_MS);
    DeleteFileA(page.c_str());
    return started;
}

bool TZAVEKHelp::OpenHtmlPage(const std::string& argument)
{
    const std::string browser = GetBrowser();
    const std::string target = HtmlPageTarget(argument, resourcesFolder_);
    // The mail program gets the address in its command line as well: the same refusals apply.
    if (BrowserArgument(target).empty())
        return false;
    if (StartsWithIgnoringCase(target, "mailto")
        && RunProgram(owner_, "open", target, "", "", SW_SHOWNORMAL, BROWSER_IDLE_WAIT_SECONDS) > 32)
        return true;
    return StartBrowser(browser, target);
}
