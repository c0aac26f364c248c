// The gallery: every dialog of the plug-in opened as a user meets it, written as a PNG under the
// build tree and checked for what a user would see as unfinished — a control outside its parent's
// client area, a caption cut off by its control, or a placeholder where a text belongs. The same
// program runs at 96 and at 120 DPI (ZAVEK_GALLERY_DPI): Wine reads the screen DPI once, when a
// process starts, so the program sets it in the prefix and runs itself again as a child.
#include "engine/KeyDialog.h"
#include "engine/PGPDialogs.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/AutoListDialog.h"
#include "ui/dialogs/ConfigDialog.h"
#include "ui/dialogs/ImageViewer.h"
#include "ui/dialogs/MessageDialogs.h"
#include "ui/dialogs/MsgTreeDialog.h"
#include "ui/dialogs/PrintDlg.h"
#include "ui/dialogs/SearchDialog.h"
#include "ui/dialogs/TextViewer.h"

#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "framework/harness/WindowCapture.h"
#include "support/StandInSdk.h"
#include "ui/DialogTestSupport.h"
#include "ui/TestKeyRecord.h"
#include "ui/MsgTreeTestMessage.h"
#include "ui/ViewerTestSupport.h"
#include "ui/controls/CustBtnCtrl.h"
#include "ui/controls/CustRadio.h"
#include "ui/controls/FlatBtn.h"
#include "ui/controls/HotLabel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

int ScreenDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

std::string WindowText(HWND window)
{
    char text[512] {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[128] {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// What a user would read as a text not filled in.
bool LooksLikePlaceholder(const std::string& text)
{
    static const std::regex placeholder(R"(^<\w+>$|-1\b|%[sdu]|^\?+$|^(Label|Button|CheckBox|Edit)\d*$)");
    return std::regex_search(text, placeholder);
}

SIZE TextExtent(const TControl& control, const std::string& text)
{
    SIZE size {};
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, control.Font().Handle());
    const std::string shown = StripAccelerator(text);
    GetTextExtentPoint32A(screen, shown.c_str(), static_cast<int>(shown.size()), &size);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return size;
}

// The room a control leaves for its caption, or -1 when its caption is not ours to check.
int CaptionRoom(TControl& control)
{
    if (!control.Showing())
        return -1;
    if (dynamic_cast<const TCustBtnCtrl*>(&control))
        return control.Width() - 13 - 8; // the glyph and the text insets
    if (const auto* label = dynamic_cast<const TLabel*>(&control))
        return label->WordWrap ? -1 : control.Width();
    if (dynamic_cast<const THotLabel*>(&control))
        return control.Width();
    if (auto* button = dynamic_cast<TFlatBtn*>(&control))
        return button->Glyph().Width() > 0 ? -1 : control.Width() - 8;
    return -1;
}

std::string ControlName(TControl& control)
{
    if (!control.Name().empty())
        return control.Name();
    std::string kind = typeid(control).name();
    kind.erase(0, kind.find_first_not_of("0123456789"));
    const std::string caption = control.Caption();
    return caption.empty() ? kind : kind + " \"" + caption.substr(0, 30) + "\"";
}

std::string ShownCaption(TControl& control)
{
    auto* windowed = dynamic_cast<TWinControl*>(&control);
    return windowed ? WindowText(windowed->Handle()) : control.Caption();
}

// Where a control draws: a left-aligned label, or a box before its text, ends with its text; a text
// keeps a few pixels from what follows it.
RECT InkRect(TControl& control)
{
    RECT ink = control.BoundsRect();
    const std::string caption = ShownCaption(control);
    if (caption.empty())
        return ink;
    constexpr int gap = 3;
    if (auto* label = dynamic_cast<TLabel*>(&control); label && !label->WordWrap && label->Alignment == taLeftJustify)
        ink.right = std::min(ink.right, ink.left + TextExtent(control, caption).cx + gap);
    else if (auto* box = dynamic_cast<TCustBtnCtrl*>(&control); box && box->Alignment() == taRightJustify)
        ink.right = std::min(ink.right, ink.left + 13 + 8 + TextExtent(control, caption).cx + gap);
    return ink;
}

// Two children of one parent that draw over each other.
void CheckOverlaps(TWinControl& parent, const std::string& where, std::vector<std::string>& faults)
{
    std::vector<TControl*> shown;
    for (int i = 0; i < parent.ControlCount(); ++i)
        if (parent.Controls(i)->Visible() && parent.Controls(i)->Align() == alNone)
            shown.push_back(parent.Controls(i));
    for (std::size_t a = 0; a < shown.size(); ++a)
        for (std::size_t b = a + 1; b < shown.size(); ++b) {
            const RECT first = InkRect(*shown[a]), second = InkRect(*shown[b]);
            RECT common {};
            if (IntersectRect(&common, &first, &second))
                faults.push_back(where + "/" + ControlName(*shown[a]) + " overlaps " + ControlName(*shown[b]));
        }
}

void CheckControls(TWinControl& parent, const std::string& where, std::vector<std::string>& faults)
{
    const RECT client = parent.ClientRect();
    for (int i = 0; i < parent.ControlCount(); ++i) {
        TControl& control = *parent.Controls(i);
        if (!control.Visible())
            continue;
        const std::string name = where + "/" + ControlName(control);
        const RECT bounds = control.BoundsRect();
        if (bounds.left < client.left || bounds.top < client.top || bounds.right > client.right
            || bounds.bottom > client.bottom)
            faults.push_back(name + " lies outside its parent (" + std::to_string(bounds.right) + "x"
                + std::to_string(bounds.bottom) + " in " + std::to_string(client.right) + "x"
                + std::to_string(client.bottom) + ")");
        const std::string caption = ShownCaption(control);
        const bool edit = dynamic_cast<TEdit*>(&control) || dynamic_cast<TComboBox*>(&control);
        if (!edit && LooksLikePlaceholder(caption))
            faults.push_back(name + " shows the placeholder \"" + caption + "\"");
        const int room = CaptionRoom(control);
        if (room >= 0 && !caption.empty() && TextExtent(control, caption).cx > room)
            faults.push_back(name + " cuts off \"" + caption + "\"");
        if (auto* edit = dynamic_cast<TEdit*>(&control); edit && edit->Showing()) {
            // The values pictured are short: each must show whole (a left and right margin of 2).
            const std::string shown = edit->GetText();
            RECT inner {};
            GetClientRect(edit->Handle(), &inner);
            if (TextExtent(*edit, shown).cx > inner.right - 4)
                faults.push_back(name + " cuts off \"" + shown + "\"");
        }
        if (auto* combo = dynamic_cast<TComboBox*>(&control); combo && combo->Showing()) {
            const std::string shown = combo->GetText();
            // The drop-down button takes about a scroll bar's width.
            if (TextExtent(*combo, shown).cx > combo->Width() - GetSystemMetrics(SM_CXVSCROLL) - 6)
                faults.push_back(name + " cuts off \"" + shown + "\"");
            if (combo->Style == csDropDownList && combo->Items().Count() > 0 && combo->ItemIndex() < 0)
                faults.push_back(name + " shows no choice");
        }
        if (auto* windowed = dynamic_cast<TWinControl*>(&control))
            CheckControls(*windowed, name, faults);
    }
    CheckOverlaps(parent, where, faults);
}

// Windows that are not ours (system parts of a control) must stay inside their parents too.
void CheckWindows(HWND top, std::vector<std::string>& faults)
{
    struct Context {
        std::vector<std::string>* faults;
    } context { &faults };
    EnumChildWindows(
        top,
        [](HWND child, LPARAM data) WINAPI -> BOOL {
            auto& c = *reinterpret_cast<Context*>(data);
            const HWND parent = GetParent(child);
            if (!IsWindowVisible(child) || !parent)
                return TRUE;
            RECT inner {}, outer {};
            GetWindowRect(child, &inner);
            GetClientRect(parent, &outer);
            MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&outer), 2);
            if (inner.left < outer.left || inner.top < outer.top || inner.right > outer.right
                || inner.bottom > outer.bottom)
                c.faults->push_back("window " + ClassOf(child) + " \"" + WindowText(child) + "\" lies outside its parent "
                    + ClassOf(parent));
            const std::string kind = ClassOf(child);
            if ((kind == "Static" || kind == "Button") && LooksLikePlaceholder(WindowText(child)))
                c.faults->push_back("window " + kind + " shows the placeholder \"" + WindowText(child) + "\"");
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&context));
}

std::string Dpi()
{
    return std::to_string(ScreenDpi());
}

// Checks the dialog as it is now and writes its picture; the faults are reported by name.
void Inspect(HWND window, const std::string& name)
{
    EnsureForeground(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPending();
    std::vector<std::string> faults;
    if (auto* form = ControlOf<TWinControl>(window))
        CheckControls(*form, name, faults);
    CheckWindows(window, faults);
    if (LooksLikePlaceholder(WindowText(window)))
        faults.push_back(name + " has the title \"" + WindowText(window) + "\"");
    for (const std::string& fault : faults)
        ADD_FAILURE() << Dpi() << " DPI: " << fault;
    EXPECT_FALSE(SaveWindowPicture(window, Dpi() + "_" + name).empty()) << name;
}

void Close(HWND window, int result = mrCancel)
{
    if (auto* form = ControlOf<TCustomForm>(window))
        form->SetModalResult(result);
    else
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0); // a plain Windows dialog
}

// What to do with the dialog of a class once it is ready.
struct Visit {
    std::string windowClass;
    std::function<void(HWND)> act;
    std::function<bool(HWND)> ready;
    bool running = false;
    bool done = false;
};

Visit*& CurrentVisit()
{
    static Visit* visit = nullptr;
    return visit;
}

void CALLBACK VisitDialog(HWND, UINT, UINT_PTR, DWORD)
{
    Visit* visit = CurrentVisit();
    if (!visit || visit->running || visit->done)
        return;
    const HWND window = DialogAnswerer::FindWindowOfThread(visit->windowClass, "");
    if (!window || (visit->ready && !visit->ready(window)))
        return;
    visit->running = true;
    PumpPending();
    visit->act(window);
    Close(window);
    visit->done = true;
}

// Runs open, which shows one modal dialog of windowClass, acts on that dialog and closes it. A
// dialog may be found while its own first work still runs further down the stack (its pump
// dispatches timers), so the dialog is polled from a timer until it is ready, never waited for
// inside that work.
bool WithDialog(const std::string& windowClass, const std::function<void()>& open,
    const std::function<void(HWND)>& act, const std::function<bool(HWND)>& ready = nullptr)
{
    Visit visit { windowClass, act, ready };
    CurrentVisit() = &visit;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, VisitDialog);
    open();
    KillTimer(nullptr, timer);
    CurrentVisit() = nullptr;
    return visit.done;
}

// Pictures and checks the dialog that open shows, then does more with it.
void Shoot(const std::string& name, const std::string& windowClass, const std::function<void()>& open,
    const std::function<void(HWND)>& more = nullptr, const std::function<bool(HWND)>& ready = nullptr)
{
    const bool shown = WithDialog(
        windowClass, open,
        [&](HWND window) {
            Inspect(window, name);
            if (more)
                more(window);
        },
        ready);
    EXPECT_TRUE(shown) << name;
}

class GallerySources : public IConfigDialogSources {
public:
    GallerySources()
    {
        // As a user who has chosen a key server and a default key sees it.
        settings.KeyServer = { 1, "keys.example.org", "11371", 0 };
        settings.Values.DefaultUser = SigningKeys().front().StoredText;
        settings.Values.TimeServer = "time.example.org";
        settings.Values.TimePort = 123;
        settings.HostSettings = { 50, 76 };
        // The longest of the passphrase time's texts; keeping none is pictured after the pages.
        settings.Values.StorePassphrase = 0;
    }
    TConfigSettings LiveSettings() override { return settings; }
    void SaveSettings(const TConfigSettings& saved) override { settings = saved; }
    std::vector<TSigningKeyChoice> SigningKeys() override
    {
        return { { "Alice Example <alice@example.org> (2048)", "Alice Example <alice@example.org>\\0x1111AAAA2222BBBB",
                     "0x1111AAAA2222BBBB", "0x1111AAAA2222BBBB RSA" } };
    }
    bool OffersHashChoice() override { return true; }
    std::vector<std::string> SystemTimeServers() override { return { "time.example.org", "ntp.example.net" }; }
    bool ChooseKeyRingFile(const std::string&, int, std::string&) override { return false; }
    int MeasureHeaderLines() override { return 0; }

    TConfigSettings settings;
};

// Two keys that can encrypt: Ann's RSA key with a certificate and Bob's DH/DSS key.
class GalleryKeys : public IAutoListDialogKeys {
public:
    GalleryKeys()
        : list_(kKeyPropKeyID | kKeyPropUserID | kKeyPropUserIDs | kKeyPropAlgorithm | kKeyPropKeySize)
    {
        Add("0x1111111111111111", "Ann <ann@example.org>", 1, 2);
        Add("0x2222222222222222", "Bob <bob@example.net>", 16, 0);
    }
    const TKeyPropsList& LoadKeys() override { return list_; }
    TKeyPropsList& List() { return list_; }
    std::string Description(int index) override { return list_.Count() > index ? list_[index] : ""; }
    std::string StatusText(const std::string&) override { return {}; }
    void Clear() override { }

private:
    void Add(const char* id, const char* user, int32_t algorithm, int32_t certState)
    {
        TKeyPropsRec record = TestKeyRecord(id, user, algorithm, certState);
        // Fully valid and trusted, as a user's own correspondents mostly are.
        record.Validity = 2;
        record.Trust = 2;
        list_.AddObject(id, &record);
    }

    TKeyPropsList list_;
};

// The mail client's frame window, by which the viewers size themselves.
struct HostFrame {
    HostFrame()
        : window(CreateWindowExA(0, "STATIC", "Mail client", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 720, nullptr, nullptr,
              GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~HostFrame() { DestroyWindow(window); }
    HWND window;
};

// Every dialog of the plug-in, opened as a user meets it, over the stand-ins it needs.
class GalleryDialogs {
public:
    GalleryDialogs()
    {
        main.hostWindow = host.window;
        viewerMain.hostWindow = host.window;
        const TZAVEKStringList& texts = main.Texts();
        treeData.DateCaption = texts.GetEntry(8) + ":";
        treeData.FromCaption = texts.GetEntry(9) + ":";
        treeData.ToCaption = texts.GetEntry(10) + ":";
        treeData.SubjectCaption = texts.GetEntry(11) + ":";
        treeData.UnknownValue = texts.GetEntry(13);
        treeData.MessageCaption = texts.GetEntry(14);
        treeData.TextPrefix = texts.GetEntry(15);
        treeData.DefaultTypeName = texts.GetEntry(16);
        viewerMain.captions = treeData;
        tree.TreeData = treeData;
        tree.LoadMessage(DatedMessage(), 1, lmDecode, 0);
        candidates.SetUnsorted(true);
        candidates.AddItem({ "ann@example.org", "0x1111111111111111", kALEncrypt, nullptr });
        candidates.AddItem({ "ann@example.org", "0x2222222222222222", kALEncrypt | kALSign, nullptr });
    }

    // The message of the tree tests, dated as every mail is.
    static std::string DatedMessage() { return "Date: Tue, 1 Dec 2026 09:30:00 +0100\r\n" + Message; }

    struct Dialog {
        std::string name;
        std::string windowClass;
        std::function<void()> open;
        std::function<bool(HWND)> ready = nullptr; // none: ready once shown
    };

    std::vector<Dialog> All()
    {
        return {
            { "message_error", "TMessageDialog",
                [this] { ShowError(main, "The message could not be encrypted.\r\nNo key was found for alice@example.org."); } },
            { "message_warning_check", "TMessageDialog",
                [this] { ShowWarningWithCheck(main, "The key expires in 3 days.", "&Do not warn again"); } },
            { "message_info", "TMessageDialog", [this] { ShowInfo(main, "The clock has been set from the time server."); } },
            { "signature_good", "TMessageDialog", [this] { ShowSignatureResult(2); } },
            { "signature_bad", "TMessageDialog", [this] { ShowSignatureResult(5); } },
            { "message_question", "TMessageDialog", [this] { AskYesNoCancel(main, main.Texts().GetEntry(143)); } },
            { "message_two_choices", "TMessageDialog",
                [this] { ConfirmLeftChoice(main, "Signature", "Sign with which key?", "&Private", "&Business"); } },
            { "encryption_failed", "TMessageDialog",
                [this] {
                    const auto& texts = main.Texts();
                    ConfirmLeftChoice(main, texts.GetEntry(433),
                        "The algorithm is not supported.\r\n\r\n" + texts.GetEntry(434), texts.GetEntry(436),
                        texts.GetEntry(437));
                } },
            { "about", "TAboutDialog", [this] { OpenAbout(); } },
            { "config", "TConfigDialog", [this] { ShowConfigDialog(main, sources, true); } },
            { "search", "TSearchDialog", [this] { OpenSearch(0); } },
            { "search_options", "TSearchDialog", [this] { OpenSearch(stShowOptions | stDown); } },
            { "message_tree", "TMsgTreeDialog", [this] { OpenMessageTree(); } },
            { "text_viewer", "TTextViewer", [this] { ShowPartText(viewerMain, TextPart(), nullptr, false); },
                [](HWND window) { return ControlOf<TTextViewer>(window)->deText->TextLength() > 0; } },
            { "image_viewer", "TImageViewer", [this] { OpenImageViewer(); } },
            { "recipient_choice", "TAutoListDialog", [this] { OpenRecipientChoice(); } },
            { "recipient_list", "TAutoListDialog", [this] { OpenRecipientList(); } },
            { "key_selection", "#32770", [this] { OpenKeySelection(); } },
            { "passphrase", "#32770", [this] { OpenPassphrase(); } },
        };
    }

    FakeMainObject main;
    GallerySources sources;

private:
    void OpenAbout()
    {
        TAboutProductInfo info;
        info.ProductName = "Selvadrin";
        info.ProductVersion = "1.0.0";
        info.LegalCopyright = "Copyright (C) The ZAVEK developers";
        std::string key;
        bool mail = false;
        ShowAboutDialog(main, info, false, key, mail);
    }
    void OpenSearch(TSearchTypes options)
    {
        std::string result;
        ExecuteSearchDialog(main, "alpha", "Arial", options, result);
    }
    // The verification box as the plug-in shows it: the result class's own picture.
    void ShowSignatureResult(int resultClass)
    {
        TIcon picture;
        ASSERT_TRUE(picture.LoadFromResourceName(
            FrameworkModule(), MAKEINTRESOURCEA(resultClass), GetSystemMetrics(SM_CXSMICON)));
        const std::string signer = " signature from Ann Lee <ann@example.org>, 0x11111111";
        if (resultClass == 2)
            ShowInfoWithIcon(main, picture.Handle(), "Good" + signer);
        else
            ShowWarningWithIcon(main, picture.Handle(), "Bad" + signer);
    }

    void OpenMessageTree()
    {
        TMsgTreeSettings settings;
        settings.TreeData = treeData;
        ShowMessageTree(main, DatedMessage(), settings);
    }
    TSectionNode& TextPart()
    {
        for (int i = 0; i < tree.SectionCount(); ++i)
            if (tree.GetSection(i)->NodeKind == nkTextPlain)
                return *tree.GetSection(i);
        throw std::runtime_error("the test message has no text part");
    }
    void OpenImageViewer()
    {
        TSectionNode node;
        node.NodeKind = nkAttachment;
        node.Caption = "File: photo.bmp";
        node.FileName = "photo.bmp";
        node.Text = BitmapBytes(240, 160);
        TPrinterData printer;
        ShowImagePart(main, printer, node, nullptr);
    }
    void OpenRecipientChoice()
    {
        int chosen = -1;
        ChooseAutoListEntry(main, keys, candidates, "ann@example.org", 1, chosen);
    }
    void OpenRecipientList()
    {
        char folder[MAX_PATH] {};
        GetTempPathA(MAX_PATH, folder);
        const std::string path = std::string(folder) + "gallery_recipients.txt";
        std::ofstream(path, std::ios::binary) << "ann@example.org\\1x1111111111111111+s\r\n"
                                                 "bob@example.net\\1x2222222222222222+s\r\n";
        TAutoList list(path);
        list.LoadFile();
        EditAutoList(main, keys, list, 1);
        DeleteFileA(path.c_str());
    }

    // As the encoder opens it for a typed recipient, with the texts it gives the dialog.
    void OpenKeySelection()
    {
        const TZAVEKStringList& texts = main.Texts();
        TSelKeyDialog dialog(host.window);
        dialog.Texts.Title = texts.GetEntry(281);
        dialog.Texts.SMimeTitle = texts.GetEntry(282);
        dialog.Texts.Hint = texts.GetEntry(283);
        dialog.Texts.Cancel = texts.GetEntry(104);
        dialog.Texts.SearchServer = texts.GetEntry(284);
        dialog.Texts.UseTypedKey = texts.GetEntry(285);
        dialog.Texts.MarkAll = texts.GetEntry(286);
        dialog.Texts.UnmarkAll = texts.GetEntry(287);
        dialog.Texts.CountSuffix = texts.GetEntry(288);
        dialog.Texts.Details = texts.GetEntry(301);
        dialog.Texts.TypedRecipients = "bob@example.net";
        dialog.Assist = &keyHelp;
        std::string recipients = "bob@example.net";
        bool remembered = false;
        dialog.Execute(recipients, keys.List(), remembered);
    }

    // The SDK's passphrase dialog (the stand-in's) with the prompt the encoder gives it; the "%s"
    // of the language text is where no key name goes.
    void OpenPassphrase()
    {
        static const bool loaded = [] {
            SetEnvironmentVariableA("PGPSTANDIN_ANSWERS", nullptr); // a dialog a user sees, not answered
            LoadStandInSdk();
            return SDKLoadError == 0;
        }();
        ASSERT_TRUE(loaded);
        std::string prompt = main.Texts().GetEntry(305);
        if (const std::size_t at = prompt.find("%s"); at != std::string::npos)
            prompt.erase(at, 2);
        AskPassphraseStandalone(host.window, "PGP", prompt, [](const char*, void*) { }, nullptr);
    }

    // The key selection's help goes where the plug-in's handler would show topic 29.
    class KeyHelp : public IKeyDialogAssist {
    public:
        explicit KeyHelp(FakeMainObject& main)
            : main_(main)
        {
        }
        void ShowDetails(HWND, POINT, const std::string&) override { }
        void HideDetails() override { }
        bool DetailsShown() const override { return false; }
        void ShowHelp(HWND window, int context) override { main_.ShowTopic(window, context); }

    private:
        FakeMainObject& main_;
    };

    HostFrame host;
    KeyHelp keyHelp { main };
    FakeViewerMain viewerMain;
    TMsgTreeData treeData;
    TMimeMsgTree tree;
    GalleryKeys keys;
    TAutoList candidates;
};

TEST(Gallery, EveryDialog)
{
    GalleryDialogs dialogs;
    for (const GalleryDialogs::Dialog& dialog : dialogs.All()) {
        std::function<void(HWND)> more;
        if (dialog.windowClass == "TConfigDialog")
            more = [](HWND window) {
                TConfigDialog& config = *ControlOf<TConfigDialog>(window);
                TTreeNodes& nodes = config.tvNavigation->Items();
                int page = 0;
                for (int i = 0; i < nodes.Count(); ++i) {
                    TTreeNode* node = nodes.Item(i);
                    if (!node->Parent())
                        continue;
                    config.tvNavigation->SetSelected(node);
                    PumpPending();
                    Inspect(window, "config_page" + std::to_string(++page));
                }
                EXPECT_EQ(page, 7);
                config.seSeconds->SetValue(-1);
                PumpPending();
                Inspect(window, "config_no_passphrase");
            };
        Shoot(dialog.name, dialog.windowClass, dialog.open, more, dialog.ready);
    }
}

// The plug-in's page of the print dialog, in a window of its own: Wine has no property-sheet print
// dialog to hold it.
TEST(Gallery, PrintPage)
{
    FakeMainObject main;
    TPrinterData data;
    for (std::size_t i = 0; i < data.Captions.size(); ++i)
        data.Captions[i] = main.Texts().GetEntry(static_cast<int>(347 + i));
    lstrcpyA(data.Prefs.FontName, "DejaVu Sans Mono");
    data.Prefs.FontSize = 11;
    data.Prefs.HeaderFooter = pfHeader;
    data.Prefs.MarginLeft = data.Prefs.MarginRight = 15;
    data.Prefs.MarginTop = data.Prefs.MarginBottom = 20;
    const HWND frame = CreateWindowExA(0, "#32770", data.Captions[0].c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU,
        100, 100, 200, 200, nullptr, nullptr, nullptr, nullptr);
    TPrintPage page(data, nullptr);
    page.PaperSize = [](const std::string&, SIZE& size) {
        size = { 210, 297 };
        return true;
    };
    const HWND window = page.CreateWindowIn(frame);
    ASSERT_TRUE(window);
    RECT inner {};
    GetWindowRect(window, &inner);
    RECT outer { 0, 0, inner.right - inner.left, inner.bottom - inner.top };
    AdjustWindowRectEx(&outer, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, 0);
    SetWindowPos(frame, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window, SW_SHOW);
    ShowWindow(frame, SW_SHOW);
    PumpPending();
    Inspect(frame, "print_page");
    DestroyWindow(frame);
}

bool PumpFor(const std::function<bool()>& condition, int milliseconds)
{
    for (int waited = 0; waited < milliseconds; waited += 20) {
        if (condition())
            return true;
        PumpPending();
        Sleep(20);
    }
    return condition();
}

int& HelpMessages()
{
    static int count = 0;
    return count;
}

// Counts the help requests any window of the thread is sent.
LRESULT CALLBACK CountHelpMessages(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_HELP)
        ++HelpMessages();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// What F1, pressed as a user presses it, reached: the popup the form showed, else the help calls.
std::string HelpReachedByF1(HWND window, FakeMainObject& main)
{
    main.calls.clear();
    // As a real key: help requests come from the keyboard input, not from a posted key message.
    EnsureForeground(window);
    const int before = HelpMessages();
    INPUT keys[2] {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    PumpFor([&] { return HelpMessages() > before; }, 2000);
    PumpPending();
    if (auto* form = ControlOf<TZAVEKForm>(window); form && form->IsToolTipActive()) {
        const std::string text = form->HelpToolTip()->GetText();
        form->HelpToolTip()->HideTip();
        return text;
    }
    std::string reached;
    for (const std::string& call : main.calls)
        reached += call;
    return reached;
}

// F1 in every dialog reaches the form's help handling. The configuration dialog shows the focused
// field's popup and its Help button the dialog's topic; the recipient list opens its topic by mode;
// the dialogs that have no help context stay open and ask for nothing.
TEST(Gallery, F1InEveryDialogReachesItsHelp)
{
    GalleryDialogs dialogs;
    const std::map<std::string, std::string> expected {
        { "config", "{\\rtf1\\ansi popup 1}" }, // the secret key ring's field, context 2
        { "recipient_choice", "topic 30" },
        { "recipient_list", "topic 28" },
        { "key_selection", "topic 29" },
    };
    const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountHelpMessages, nullptr, GetCurrentThreadId());
    for (const GalleryDialogs::Dialog& dialog : dialogs.All()) {
        std::string reached, helpButton;
        bool open = false;
        HelpMessages() = 0;
        const bool shown = WithDialog(
            dialog.windowClass, dialog.open,
            [&](HWND window) {
                auto* config = ControlOf<TConfigDialog>(window);
                if (config)
                    config->edSecring->SetFocus();
                reached = HelpReachedByF1(window, dialogs.main);
                open = IsWindowVisible(window);
                if (config) {
                    dialogs.main.calls.clear();
                    config->fbHelp->Click();
                    helpButton = dialogs.main.calls.empty() ? "" : dialogs.main.calls.front();
                }
            },
            dialog.ready);
        ASSERT_TRUE(shown) << dialog.name;
        const auto wanted = expected.find(dialog.name);
        EXPECT_EQ(reached, wanted == expected.end() ? "" : wanted->second) << dialog.name;
        EXPECT_GE(HelpMessages(), 1) << dialog.name << ": F1 sent no help request";
        EXPECT_TRUE(open) << dialog.name << " closed on F1";
        EXPECT_EQ(helpButton, dialog.name == "config" ? "topic 33" : "") << dialog.name;
    }
    UnhookWindowsHookEx(hook);
}

void CollectHintedButtons(TWinControl& parent, std::vector<TFlatBtn*>& buttons)
{
    for (int i = 0; i < parent.ControlCount(); ++i) {
        TControl* control = parent.Controls(i);
        if (auto* button = dynamic_cast<TFlatBtn*>(control);
            button && button->Showing() && button->Enabled() && !button->Hint.empty())
            buttons.push_back(button);
        if (auto* windowed = dynamic_cast<TWinControl*>(control); windowed && windowed->Showing())
            CollectHintedButtons(*windowed, buttons);
    }
}

// The pointer resting on a flat button shows its hint, the text it was given, and leaving hides it.
TEST(Gallery, HintsShowWhereThePointerRests)
{
    GalleryDialogs dialogs;
    std::vector<std::string> silent;
    std::vector<std::string> hinted;
    for (const GalleryDialogs::Dialog& dialog : dialogs.All()) {
        WithDialog(
            dialog.windowClass, dialog.open,
            [&](HWND window) {
                EnsureForeground(window);
                // The configuration dialog's hinted button is on its header-lines page.
                if (auto* config = ControlOf<TConfigDialog>(window)) {
                    config->pcConfiguration->SetActivePage(config->tsPMMiscellaneous);
                    PumpPending();
                }
                std::vector<TFlatBtn*> buttons;
                if (auto* form = ControlOf<TWinControl>(window))
                    CollectHintedButtons(*form, buttons);
                for (TFlatBtn* button : buttons) {
                    hinted.push_back(dialog.name + "/" + ControlName(*button));
                    SetCursorPos(0, 0);
                    PumpPending();
                    POINT centre = button->ClientToScreen({ button->Width() / 2, button->Height() / 2 });
                    SetCursorPos(centre.x, centre.y);
                    PumpPending();
                    SetCursorPos(centre.x + 1, centre.y);
                    TToolTip* tip = button->HintToolTip();
                    if (!tip || !PumpFor([&] { return tip->Showing(); }, 3000) || tip->GetText() != button->Hint)
                        silent.push_back(dialog.name + "/" + ControlName(*button) + " \"" + button->Hint + "\"");
                    SetCursorPos(0, 0);
                    if (tip)
                        PumpFor([&] { return !tip->Showing(); }, 3000);
                }
            },
            dialog.ready);
    }
    EXPECT_GE(hinted.size(), 13u);
    EXPECT_TRUE(std::any_of(hinted.begin(), hinted.end(), [](const std::string& button) {
        return button.rfind("config/", 0) == 0;
    })) << "the header-lines button";
    for (const std::string& button : hinted)
        std::printf("hinted %s\n", button.c_str());
    for (const std::string& button : silent)
        ADD_FAILURE() << "no hint on " << button;
}

// Puts the prefix's DPI back ("" = no value of its own); the running process keeps the one it
// started with, so a child that is stopped early leaves the prefix as it was.
void RestoreDpi(const char* old)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    if (*old) {
        const DWORD value = static_cast<DWORD>(std::atoi(old));
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    } else {
        RegDeleteValueA(key, "LogPixels");
    }
    RegCloseKey(key);
}

// Runs this program again as a child that starts at the wanted DPI; the prefix's own value is put
// back when the child has ended.
int RunAtDpi(int dpi)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
            &key, nullptr)
        != ERROR_SUCCESS)
        return 1;
    DWORD old = 0, size = sizeof old, type = 0;
    const bool hadValue = RegQueryValueExA(key, "LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&old), &size)
        == ERROR_SUCCESS;
    const DWORD wanted = static_cast<DWORD>(dpi);
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&wanted), sizeof wanted);
    RegCloseKey(key);
    SetEnvironmentVariableA("ZAVEK_GALLERY_RESTORE", hadValue ? std::to_string(old).c_str() : "");
    STARTUPINFOA start {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process {};
    DWORD code = 1;
    std::string commandLine = GetCommandLineA();
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        RestoreDpi(hadValue ? std::to_string(old).c_str() : "");
    }
    return static_cast<int>(code);
}

} // namespace

int main(int argc, char** argv)
{
    // Unbuffered and a first line at once, as every test program has it (tests/support/TestMain.cpp).
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::printf("Running %s\n", argc > 0 ? argv[0] : "gallery");
    // A system-aware program, as the mail client is: fonts follow the DPI, nothing is stretched.
    SetProcessDPIAware();
    const char* wanted = std::getenv("ZAVEK_GALLERY_DPI");
    if (const char* old = std::getenv("ZAVEK_GALLERY_RESTORE"))
        RestoreDpi(old);
    else if (wanted && std::atoi(wanted) != ScreenDpi())
        return RunAtDpi(std::atoi(wanted));
    testing::InitGoogleTest(&argc, argv);
    if (wanted && std::atoi(wanted) != ScreenDpi()) {
        std::fprintf(stderr, "the screen DPI is %d, not %s\n", ScreenDpi(), wanted);
        return 1;
    }
    return RUN_ALL_TESTS();
}
