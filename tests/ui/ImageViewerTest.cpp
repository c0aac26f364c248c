// The image viewer under Wine: fitting to the picture, zoom steps on the longer side and their
// limits, quarter turns that exchange the steps, saving in another format, keys, and the picture
// extension test.
#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "ui/DialogTestSupport.h"
#include "ui/dialogs/BitmapPrinter.h"
#include "ui/dialogs/ImageViewer.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <dlgs.h>

#include <fstream>
#include <iterator>

namespace {

// A 24-bit BMP file of the given size, red on the left half and blue on the right.

TImageViewer* ViewerOf(HWND window)
{
    return ControlOf<TImageViewer>(window);
}

RECT BoundsOf(TImageViewer& viewer)
{
    return { viewer.Left(), viewer.Top(), viewer.Width(), viewer.Height() };
}

bool SameBounds(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void RunViewer(const std::string& fileName, const std::string& bytes, const DialogAnswerer::Action& action,
    const std::function<void(DialogAnswerer&)>& moreSteps = nullptr)
{
    FakeMainObject main;
    TSectionNode node;
    node.NodeKind = nkAttachment;
    node.Caption = "File: " + fileName;
    node.FileName = fileName;
    node.Text = bytes;
    DialogAnswerer answerer;
    answerer.Then("TImageViewer", "", action);
    if (moreSteps)
        moreSteps(answerer);
    TPrinterData printer;
    ShowImagePart(main, printer, node, nullptr);
    EXPECT_TRUE(answerer.Done());
}

TEST(ImageViewer, FitsThePictureAndZoomsTheLongerSideByTheLargerStep)
{
    SIZE image {}, step {}, frame {}, form {};
    RECT zoomedIn {}, zoomedOut {};
    std::string caption;
    RunViewer("wide.bmp", BitmapBytes(240, 120), [&](HWND w) {
        TImageViewer& viewer = *ViewerOf(w);
        caption = viewer.Caption();
        image = { viewer.imgViewer->Width(), viewer.imgViewer->Height() };
        step = viewer.ZoomStep();
        frame = viewer.FrameSize();
        form = { viewer.Width(), viewer.Height() };
        viewer.ZoomIn();
        zoomedIn = BoundsOf(viewer);
        viewer.ZoomOut();
        zoomedOut = BoundsOf(viewer);
        PressKey(w, VK_ESCAPE);
    });
    EXPECT_EQ(caption, "wide.bmp");
    EXPECT_EQ(image.cx, 240);
    EXPECT_EQ(image.cy, 120);
    EXPECT_EQ(form.cx, frame.cx + 240);
    EXPECT_EQ(step.cx, form.cx / 4);
    EXPECT_EQ(step.cy, form.cy / 4);
    EXPECT_EQ(zoomedIn.right, form.cx + step.cx);
    EXPECT_EQ(zoomedIn.bottom, form.cy + step.cy);
    EXPECT_EQ(zoomedOut.right, form.cx);
    EXPECT_EQ(zoomedOut.bottom, form.cy);
}

// A picture smaller than the smallest form is shown at its size in the middle, on the form's
// colour, not stretched over the image control.
TEST(ImageViewer, ASmallPictureIsShownUnscaledInTheMiddle)
{
    SIZE client {}, picture {};
    std::uint32_t corner = 0, middleLeft = 0, middleRight = 0, background = 0;
    RunViewer("small.bmp", BitmapBytes(20, 10), [&](HWND w) {
        TImageViewer& viewer = *ViewerOf(w);
        const TBitmap& shown = viewer.imgViewer->Picture();
        client = { viewer.imgViewer->ClientWidth(), viewer.imgViewer->ClientHeight() };
        picture = { shown.Width(), shown.Height() };
        const int left = (shown.Width() - 20) / 2, top = (shown.Height() - 10) / 2;
        const auto at = [&](int x, int y) { return shown.Bits()[y * shown.Width() + x] & 0xFFFFFFu; };
        corner = at(0, 0);
        middleLeft = at(left + 2, top + 5);
        middleRight = at(left + 17, top + 5);
        const COLORREF form = ColorToRGB(viewer.Color());
        background = (GetRValue(form) << 16) | (GetGValue(form) << 8) | GetBValue(form);
        PressKey(w, VK_ESCAPE);
    });
    EXPECT_GT(client.cx, 20);
    EXPECT_EQ(picture.cx, client.cx);
    EXPECT_EQ(picture.cy, client.cy);
    EXPECT_EQ(corner, background);
    EXPECT_EQ(middleLeft, 0xFF0000u);
    EXPECT_EQ(middleRight, 0x0000FFu);
}

TEST(ImageViewer, AQuarterTurnSwapsTheSidesAndTheSteps)
{
    SIZE before {}, after {}, frame {}, step {};
    int width = 0, height = 0, zoomedWidth = 0, zoomedHeight = 0;
    RunViewer("wide.bmp", BitmapBytes(240, 120), [&](HWND w) {
        TImageViewer& viewer = *ViewerOf(w);
        before = { viewer.imgViewer->Picture().Width(), viewer.imgViewer->Picture().Height() };
        frame = viewer.FrameSize();
        step = viewer.ZoomStep();
        PressKey(w, VK_RIGHT);
        after = { viewer.imgViewer->Picture().Width(), viewer.imgViewer->Picture().Height() };
        width = viewer.Width();
        height = viewer.Height();
        viewer.ZoomIn();
        zoomedWidth = viewer.Width();
        zoomedHeight = viewer.Height();
        PressKey(w, VK_ESCAPE);
    });
    EXPECT_EQ(before.cx, 240);
    EXPECT_EQ(after.cx, 120);
    EXPECT_EQ(after.cy, 240);
    EXPECT_EQ(width, 120 + frame.cx);
    EXPECT_EQ(height, 240 + frame.cy);
    // The form is now higher than wide: the larger step goes on the height.
    EXPECT_EQ(zoomedWidth, width + step.cy);
    EXPECT_EQ(zoomedHeight, height + step.cx);
}

TEST(ImageViewer, ZoomStopsAtTheScreenAndAtTheMinimumSize)
{
    RECT largest {}, smallest {};
    RECT refusedIn {}, refusedOut {};
    SIZE minimum {};
    RunViewer("wide.bmp", BitmapBytes(200, 100), [&](HWND w) {
        TImageViewer& viewer = *ViewerOf(w);
        for (int i = 0; i < 40; ++i)
            PressKey(w, VK_UP);
        largest = BoundsOf(viewer);
        viewer.ZoomIn();
        refusedIn = BoundsOf(viewer);
        for (int i = 0; i < 40; ++i)
            PressKey(w, VK_DOWN);
        smallest = BoundsOf(viewer);
        viewer.ZoomOut();
        refusedOut = BoundsOf(viewer);
        minimum = viewer.MinTrackSize();
        PressKey(w, VK_ESCAPE);
    });
    EXPECT_TRUE(SameBounds(largest, refusedIn));
    EXPECT_GT(largest.left, 0);
    EXPECT_GT(largest.top, 0);
    EXPECT_LT(largest.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LT(largest.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(SameBounds(smallest, refusedOut));
    EXPECT_GE(smallest.right, minimum.cx);
    EXPECT_GE(smallest.bottom, minimum.cy);
    EXPECT_GT(minimum.cx, 0);
}

TEST(ImageViewer, SavingAsPngConvertsAndLaterSavesUseTheNewName)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string target = std::string(folder) + "viewer_saved.png";
    DeleteFileA(target.c_str());
    std::string caption, fileName, offered;
    RunViewer(
        "photo.bmp", BitmapBytes(64, 32),
        [&](HWND w) {
            TImageViewer& viewer = *ViewerOf(w);
            viewer.SavePicture();
            caption = viewer.Caption();
            fileName = viewer.FileName();
            PressKey(w, VK_ESCAPE);
        },
        [&](DialogAnswerer& answerer) {
            answerer.Then("#32770", "Save as", [&](HWND dialog) {
                char name[MAX_PATH] = "";
                SendMessageA(dialog, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(name));
                offered = name;
                SendMessageA(dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(target.c_str()));
                SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(target.c_str()));
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
            });
        });
    EXPECT_EQ(offered, "photo.bmp");
    EXPECT_EQ(caption, "viewer_saved.png");
    EXPECT_EQ(fileName, target);
    std::ifstream saved(target, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 4), "\x89PNG");
    saved.close();
    DeleteFileA(target.c_str());
}

TEST(ImageViewer, APartGdiPlusCannotReadShowsAnEmptyPicture)
{
    bool empty = false;
    RunViewer("broken.png", "not a picture", [&](HWND w) {
        empty = ViewerOf(w)->imgViewer->Picture().Empty();
        PressKey(w, VK_ESCAPE);
    });
    EXPECT_TRUE(empty);
}

TEST(ImageViewer, KeysZoomAndCopyThePicture)
{
    int width = 0, widerByPlus = 0, backByMinus = 0;
    bool bitmapOnClipboard = false;
    RunViewer("wide.bmp", BitmapBytes(240, 120), [&](HWND w) {
        TImageViewer& viewer = *ViewerOf(w);
        width = viewer.Width();
        PostMessageA(w, WM_CHAR, '+', 0);
        PumpPending();
        widerByPlus = viewer.Width();
        PostMessageA(w, WM_CHAR, '-', 0);
        PumpPending();
        backByMinus = viewer.Width();
        if (OpenClipboard(w)) {
            EmptyClipboard();
            CloseClipboard();
        }
        PressKey(w, 'C', ssCtrl);
        bitmapOnClipboard = IsClipboardFormatAvailable(CF_BITMAP) != 0;
        PressKey(w, VK_ESCAPE);
    });
    EXPECT_GT(widerByPlus, width);
    EXPECT_EQ(backByMinus, width);
    EXPECT_TRUE(bitmapOnClipboard);
}

TEST(ImageViewer, PictureExtensions)
{
    struct Case {
        const char* extension;
        bool expected;
    };
    const Case cases[] = { { ".png", true }, { ".PNG", true }, { ".jpeg", true }, { ".bmp", true }, { ".txt", false },
        { ".bm", false }, { "", false }, { ".exe", false } };
    for (const Case& c : cases)
        EXPECT_EQ(IsPictureExtension(c.extension), c.expected) << c.extension;
}

} // namespace

namespace {

// Where the page drawing put the picture: the destination of the metafile's one StretchDIBits.
int CALLBACK FindStretch(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM found)
{
    if (record->iType == EMR_STRETCHDIBITS) {
        const auto* stretch = reinterpret_cast<const EMRSTRETCHDIBITS*>(record);
        *reinterpret_cast<RECT*>(found) = { stretch->xDest, stretch->yDest, stretch->xDest + stretch->cxDest,
            stretch->yDest + stretch->cyDest };
    }
    return 1;
}

// Draws a bitmap of the size as a page on a metafile over the screen (Wine has no printer here)
// and gives back where it landed.
RECT PrintedRect(int width, int height, const TPrinterPrefs& prefs)
{
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(DrawBitmapPage(dc, bitmap, prefs));
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    RECT found {};
    EnumEnhMetaFile(nullptr, metafile, FindStretch, &found, nullptr);
    DeleteEnhMetaFile(metafile);
    DeleteObject(bitmap);
    return found;
}

} // namespace

TEST(ImageViewer, APrintedPictureKeepsItsSizeOrShrinksIntoTheMarginsCentredOnThePage)
{
    HDC reference = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    const int pageWidth = GetDeviceCaps(reference, HORZRES);
    const int pageHeight = GetDeviceCaps(reference, VERTRES);
    const int marginX = MulDiv(pageWidth, 20, GetDeviceCaps(reference, HORZSIZE));
    DeleteEnhMetaFile(CloseEnhMetaFile(reference));
    TPrinterPrefs prefs;
    prefs.MarginLeft = prefs.MarginRight = 20;
    prefs.MarginTop = prefs.MarginBottom = 10;

    // A small picture prints at its screen size, in the middle of the page.
    const RECT small = PrintedRect(40, 20, prefs);
    EXPECT_EQ(small.right - small.left, 40);
    EXPECT_EQ(small.bottom - small.top, 20);
    EXPECT_EQ(small.left, (pageWidth - 40) / 2);
    EXPECT_EQ(small.top, (pageHeight - 20) / 2);

    // A wide one shrinks to the width between the margins and keeps its shape.
    const int areaWidth = pageWidth - 2 * marginX;
    const RECT wide = PrintedRect(pageWidth * 2, 100, prefs);
    EXPECT_EQ(wide.right - wide.left, areaWidth);
    EXPECT_EQ(wide.bottom - wide.top, MulDiv(100, areaWidth, pageWidth * 2));
    EXPECT_EQ(wide.left, marginX);
}
