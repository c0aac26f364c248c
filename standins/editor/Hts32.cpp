// Stand-in for the editor library's HTML add-on HTS32.DLL: reads a small HTML subset into an
// editor control of the stand-in TER32 (paragraphs, emphasis, headings, quotes and lists, pictures
// through the notify window's two messages), reaching the control's state by private messages.
#include "foundation/TerApi.h"
#include "standins/editor/StandinEditor.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace StandinEditor;

namespace {

bool g_closeReturnsBlock = false;

void Log(HWND editor, const std::string& line) { SendMessageA(editor, MSG_LOG, 0, LPARAM(line.c_str())); }

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string Attribute(const std::string& tag, const std::string& name)
{
    const std::string lower = Lower(tag);
    size_t at = lower.find(name + "=");
    if (at == std::string::npos)
        return {};
    at += name.size() + 1;
    if (at < tag.size() && (tag[at] == '"' || tag[at] == '\'')) {
        const size_t end = tag.find(tag[at], at + 1);
        return tag.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    }
    const size_t end = tag.find_first_of(" \t\r\n>", at);
    return tag.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::string Entity(const std::string& name)
{
    if (name == "amp") return "&";
    if (name == "lt") return "<";
    if (name == "gt") return ">";
    if (name == "quot") return "\"";
    if (name == "nbsp") return " ";
    if (name.size() > 1 && name[0] == '#') {
        const long code = name[1] == 'x' || name[1] == 'X' ? strtol(name.c_str() + 2, nullptr, 16)
                                                           : strtol(name.c_str() + 1, nullptr, 10);
        return code > 0 && code < 256 ? std::string(1, char(code)) : "?";
    }
    return "&" + name + ";";
}

// Builds the RTF of an HTML text, one paragraph per line, noting the lines inside quotes or lists.
class THtmlReader {
public:
    THtmlReader(HWND editor, HWND notify) : editor_(editor), notify_(notify) {}

    void Read(const std::string& html)
    {
        for (size_t i = 0; i < html.size();) {
            if (html[i] == '<') {
                const size_t end = html.find('>', i);
                if (end == std::string::npos)
                    break;
                Tag(html.substr(i + 1, end - i - 1));
                i = end + 1;
                if (!skipUntil_.empty()) {
                    const size_t close = Lower(html).find(skipUntil_, i);
                    i = close == std::string::npos ? html.size() : close;
                    skipUntil_.clear();
                }
            } else if (html[i] == '&') {
                const size_t end = html.find(';', i);
                if (end == std::string::npos || end - i > 10) {
                    Text("&");
                    ++i;
                } else {
                    Text(Entity(html.substr(i + 1, end - i - 1)));
                    i = end + 1;
                }
            } else {
                Char(html[i++]);
            }
        }
    }

    std::string Rtf() const { return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 " + rtf_ + "}"; }
    const std::vector<int>& FlaggedLines() const { return flagged_; }

private:
    void Tag(const std::string& tag)
    {
        const bool closing = !tag.empty() && tag[0] == '/';
        std::string name = Lower(tag.substr(closing ? 1 : 0, tag.find_first_of(" \t\r\n/", closing ? 1 : 0) - (closing ? 1 : 0)));
        if (name == "script" || name == "style") {
            if (!closing)
                skipUntil_ = "</" + name;
        } else if (name == "p" || name == "div") {
            Paragraph();
        } else if (name == "br") {
            Break();
        } else if (name == "b" || name == "strong") {
            rtf_ += closing ? "\\b0 " : "\\b ";
        } else if (name == "i" || name == "em") {
            rtf_ += closing ? "\\i0 " : "\\i ";
        } else if (name == "u") {
            rtf_ += closing ? "\\ul0 " : "\\ul ";
        } else if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
            Paragraph();
            rtf_ += closing ? "\\b0 " : "\\b ";
        } else if (name == "pre") {
            Paragraph();
            pre_ = !closing;
        } else if (name == "blockquote" || name == "ul" || name == "ol") {
            Paragraph();
            depth_ = std::max(0, depth_ + (closing ? -1 : 1));
        } else if (name == "li" && !closing) {
            Paragraph();
            Text("\x95 ");
        } else if (name == "img" && !closing) {
            Picture(Attribute(tag, "src"));
        }
    }

    void Picture(const std::string& source)
    {
        char reference[TerApi::PICTURE_REFERENCE_SIZE] = {};
        lstrcpynA(reference, source.c_str(), sizeof reference);
        if (notify_)
            SendMessageA(notify_, TerApi::MSG_RESOLVE_PICTURE, WPARAM(editor_), LPARAM(reference));
        reference[sizeof reference - 1] = '\0';
        const int id = int(SendMessageA(editor_, MSG_NEW_PICTURE, 0, LPARAM(reference)));
        Log(editor_, "picture " + std::to_string(id) + " " + source + " -> " + reference);
        Text("[picture]");
        if (notify_)
            SendMessageA(notify_, TerApi::MSG_PICTURE_INSERTED, WPARAM(editor_), LPARAM(id));
    }

    void Paragraph()
    {
        if (lineHasText_)
            Break();
    }

    void Break()
    {
        rtf_ += "\\par\r\n";
        ++line_;
        lineHasText_ = false;
        space_ = false;
    }

    void Char(char c)
    {
        if (pre_ && c == '\n') {
            Break();
            return;
        }
        if (!pre_ && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            space_ = lineHasText_;
            return;
        }
        if (c == '\r')
            return;
        Text(std::string(1, c));
    }

    void Text(const std::string& text)
    {
        if (space_) {
            rtf_ += ' ';
            space_ = false;
        }
        for (unsigned char c : text) {
            if (c == '\\' || c == '{' || c == '}') {
                rtf_ += '\\';
                rtf_ += char(c);
            } else if (c >= 0x80) {
                char hex[8];
                snprintf(hex, sizeof hex, "\\'%02x", c);
                rtf_ += hex;
            } else {
                rtf_ += char(c);
            }
        }
        if (!lineHasText_ && depth_ > 0)
            flagged_.push_back(line_);
        lineHasText_ = true;
    }

    HWND editor_, notify_;
    std::string rtf_, skipUntil_;
    std::vector<int> flagged_;
    int line_ = 0, depth_ = 0;
    bool lineHasText_ = false, space_ = false, pre_ = false;
};

} // namespace

extern "C" {

ZAVEK_HTS_ENTRIES(ZAVEK_TER_DECLARE)

BOOL WINAPI HtsInitialize(HWND editor, HWND notify)
{
    if (!GetPropA(editor, STATE_PROPERTY))
        return FALSE;
    SetPropA(editor, NOTIFY_PROPERTY, notify);
    Log(editor, "HtsInitialize");
    return TRUE;
}

BOOL WINAPI HtsClearWindow(HWND editor)
{
    if (!GetPropA(editor, STATE_PROPERTY))
        return FALSE;
    Log(editor, "HtsClearWindow");
    SendMessageA(editor, MSG_CLEAR, 0, 0);
    return TRUE;
}

BOOL WINAPI HtsRead(HWND editor, int source, int, HGLOBAL block, LONG size, int)
{
    if (!GetPropA(editor, STATE_PROPERTY) || source != 1 || !block || size < 0)
        return FALSE;
    try {
        Log(editor, "HtsRead(" + std::to_string(size) + ")");
        // Sized before the lock, so that nothing between lock and unlock can throw.
        std::string html(std::min<size_t>(size_t(size), GlobalSize(block)), '\0');
        const char* data = static_cast<const char*>(GlobalLock(block));
        if (!data)
            return FALSE;
        memcpy(html.data(), data, html.size());
        GlobalUnlock(block);
        THtmlReader reader(editor, static_cast<HWND>(GetPropA(editor, NOTIFY_PROPERTY)));
        reader.Read(html);
        const std::string rtf = reader.Rtf();
        const TLoadRequest request { rtf.c_str(), reader.FlaggedLines().data(), int(reader.FlaggedLines().size()) };
        return BOOL(SendMessageA(editor, MSG_LOAD_RTF, 0, LPARAM(&request)));
    } catch (...) {
        return FALSE;
    }
}

// Gives nothing back by default, so that callers fall back to closing the editor themselves.
BOOL WINAPI HtsClose(HWND editor, int, int, HGLOBAL* block, LONG* size)
{
    if (!GetPropA(editor, STATE_PROPERTY))
        return FALSE;
    Log(editor, "HtsClose");
    RemovePropA(editor, NOTIFY_PROPERTY);
    if (block)
        *block = nullptr;
    if (size)
        *size = 0;
    if (g_closeReturnsBlock && block) {
        *block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
        if (size)
            *size = 16;
    }
    return TRUE;
}

void WINAPI StandinHtsCloseReturnsBlock(BOOL on) { g_closeReturnsBlock = on != FALSE; }

} // extern "C"
