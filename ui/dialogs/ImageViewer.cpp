// The image viewer: layout and fitting to the picture, zoom and quarter turns within the screen and
// the minimum size, copy and save, the context menu over a temporary copy, and the free routines.
#include "ui/dialogs/ImageViewer.h"

#include "ui/dialogs/BitmapPrinter.h"
#include "ui/dialogs/KeyFileDialogs.h"
#include "foundation/BurnString.h"
#include "foundation/FileUtilsWin.h"
#include "foundation/StrUtilWin.h"
#include "mime/PartTexts.h"
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "ui/dialogs/MessageDialogs.h"
#include "ui/dialogs/PartContextMenu.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace {

constexpr int DesignWidth = 492;
constexpr int DesignHeight = 284;
constexpr int EdgeSize = 16;
constexpr uint16_t TextSaveAs = 338;
constexpr uint16_t TextWriteError = 345;
constexpr uint16_t TextOpenWith = 371;
constexpr uint16_t TextSaveError = 380;

std::string FilePart(const std::string& name)
{
    const size_t slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::unique_ptr<TGdipImage> NewImage()
{
    try {
        return std::make_unique<TGdipImage>();
    } catch (...) {
        return nullptr;
    }
}

void ErrorBeep()
{
    MessageBeep(MB_ICONHAND);
}

} // namespace

TImageViewer::TImageViewer(IDialogMainObject& mainObject, TPrinterData& printer)
    : TZAVEKForm(mainObject)
    , printer_(printer)
    , image_(NewImage())
{
    WindowClassName = "TImageViewer";
    BorderIcons = biSystemMenu;
    Position = poScreenCenter;
    KeyPreview = true;
    SetClientSize(DesignWidth, DesignHeight);

    pmImage = new TPopupMenu(this);
    pmImage->AutoPopup = false;
    miDecrease = MakeItem(Texts().GetEntry(375) + "\t-", [this] { ZoomOut(); });
    miIncrease = MakeItem(Texts().GetEntry(376) + "\t+", [this] { ZoomIn(); });
    miRotateLeft = MakeItem(Texts().GetEntry(377) + "\t<-", [this] { RotateLeft(); });
    miRotateRight = MakeItem(Texts().GetEntry(378) + "\t->", [this] { RotateRight(); });
    miSeparator1 = MakeItem("-", nullptr);
    miCopy = MakeItem(Texts().GetEntry(362), [this] { CopyPicture(); });
    miSave = MakeItem(Texts().GetEntry(363), [this] { SavePicture(); });
    miPrint = MakeItem(Texts().GetEntry(379), [this] { PrintPicture(); });
    miSeparator2 = MakeItem("-", nullptr);
    miClose = MakeItem(Texts().GetEntry(369), [this] { SetModalResult(mrCancel); });

    pnTop = MakePanel(alTop, DesignWidth, EdgeSize);
    pnTop->SetCaption(Texts().GetEntry(374));
    pnLeft = MakePanel(alLeft, EdgeSize, DesignHeight - 2 * EdgeSize);
    pnRight = MakePanel(alRight, EdgeSize, DesignHeight - 2 * EdgeSize);
    cgImageViewer = new TColoredGrip(this);
    cgImageViewer->SetParent(this);
    cgImageViewer->SetBounds(0, DesignHeight - EdgeSize, DesignWidth, EdgeSize);
    cgImageViewer->OnResize = [this](TControl&) {
        // The edges follow the grip's height.
        const int edge = cgImageViewer->Height();
        pnTop->SetBounds(pnTop->Left(), pnTop->Top(), pnTop->Width(), edge);
        pnLeft->SetBounds(pnLeft->Left(), pnLeft->Top(), edge, pnLeft->Height());
        pnRight->SetBounds(pnRight->Left(), pnRight->Top(), edge, pnRight->Height());
    };
    pnImage = new TColoredFramePanel(this);
    pnImage->SetParent(this);
    pnImage->SetBevelOuter(bvNone);
    pnImage->SetAlign(alClient);
    imgViewer = new TImage(this);
    imgViewer->SetParent(pnImage);
    imgViewer->SetAlign(alClient);
    imgViewer->Center = true;
    imgViewer->Stretch = true;

    for (TControl* control : std::initializer_list<TControl*> { this, pnTop, pnLeft, pnRight, cgImageViewer, pnImage, imgViewer })
        control->OnMouseDown = [this](TControl&, TMouseButton button, TShiftState, int, int) {
            if (button == mbRight)
                ShowContextMenu(true);
        };
    SetCaption(Texts().GetEntry(373));
}

TImageViewer::~TImageViewer()
{
    // The part's bytes are the decrypted picture.
    BurnString(bytes_);
}

TPanel* TImageViewer::MakePanel(TAlign align, int width, int height)
{
    auto* panel = new TPanel(this);
    panel->SetParent(this);
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(0, 0, width, height);
    panel->SetAlign(align);
    return panel;
}

TMenuItem* TImageViewer::MakeItem(const std::string& caption, std::function<void()> action)
{
    auto* item = new TMenuItem(this);
    item->Caption = caption;
    if (action)
        item->OnClick = [action](TMenuItem&) { action(); };
    pmImage->Items().Add(item);
    return item;
}

void TImageViewer::ShowPart(const std::string& fileName, const std::string& bytes)
{
    fileName_ = fileName;
    BurnString(bytes_);
    bytes_ = bytes;
    if (image_)
        image_->LoadFromData(bytes);
    SetCaption(FilePart(fileName));
}

void TImageViewer::DoShow()
{
    TZAVEKForm::DoShow();
    Render();
    Fit();
}

void TImageViewer::Render()
{
    // A picture GDI+ cannot read stays empty; the part's bytes still serve the other commands.
    if (image_ && image_->AssignToGraphic(imgViewer->Picture()))
        imgViewer->Invalidate();
}

void TImageViewer::Fit()
{
    Application().ProcessMessages();
    frame_ = { Width() - imgViewer->Width(), Height() - imgViewer->Height() };
    const TBitmap& picture = imgViewer->Picture();
    const int width = std::max<int>(frame_.cx + picture.Width(), minTrack_.cx);
    const int height = std::max<int>(frame_.cy + picture.Height(), minTrack_.cy);
    MoveAroundCentre(width, height);
    step_ = { width / 4, height / 4 };
    FillClientWithPicture();
}

void TImageViewer::FillClientWithPicture()
{
    // The form may be larger than the picture needs (its minimum size): the bitmap grows to the
    // image control's client size, the picture unscaled in its middle on the form's colour, so
    // that stretching it to the control distorts nothing.
    Application().ProcessMessages();
    TBitmap& picture = imgViewer->Picture();
    const int width = std::max(picture.Width(), imgViewer->ClientWidth());
    const int height = std::max(picture.Height(), imgViewer->ClientHeight());
    if (picture.Empty() || (width == picture.Width() && height == picture.Height()))
        return;
    TBitmap original(picture.Width(), picture.Height());
    original.Canvas().Draw(0, 0, picture);
    picture.SetSize(width, height);
    picture.Canvas().Brush.Color = Color();
    picture.Canvas().FillRect({ 0, 0, width, height });
    picture.Canvas().Draw((width - original.Width()) / 2, (height - original.Height()) / 2, original);
    imgViewer->Invalidate();
}

void TImageViewer::MoveAroundCentre(int width, int height)
{
    TZAVEKForm::SetBounds(Left() + (Width() - width) / 2, Top() + (Height() - height) / 2, width, height);
}

void TImageViewer::Zoom(bool out)
{
    // The larger step goes on the longer side.
    const bool landscape = step_.cx > step_.cy && Width() > Height();
    const int dx = landscape ? step_.cx : step_.cy;
    const int dy = landscape ? step_.cy : step_.cx;
    const int sign = out ? -1 : 1;
    const int left = Left() - sign * (dx / 2);
    const int top = Top() - sign * (dy / 2);
    const int width = Width() + sign * dx;
    const int height = Height() + sign * dy;
    const bool refused = out
        ? width < frame_.cx || width < minTrack_.cx || height < frame_.cy || height < minTrack_.cy
        : left <= 0 || top <= 0 || width >= GetSystemMetrics(SM_CXSCREEN) || height >= GetSystemMetrics(SM_CYSCREEN);
    if (refused) {
        ErrorBeep();
        return;
    }
    TZAVEKForm::SetBounds(left, top, width, height);
}

void TImageViewer::Rotate(bool left)
{
    const int width = imgViewer->Height() + frame_.cx;
    const int height = imgViewer->Width() + frame_.cy;
    if (width < minTrack_.cx || height < minTrack_.cy || !image_) {
        ErrorBeep();
        return;
    }
    image_->Rotate90(imgViewer->Picture(), left);
    imgViewer->Invalidate();
    MoveAroundCentre(width, height);
}

void TImageViewer::SetBounds(int left, int top, int width, int height)
{
    if (width < minTrack_.cx || height < minTrack_.cy) {
        ErrorBeep();
        return;
    }
    TZAVEKForm::SetBounds(left, top, width, height);
}

void TImageViewer::CopyPicture()
{
    PutClipboardData(imgViewer->Picture(), Handle());
}

void TImageViewer::PrintPicture()
{
    TBitmapPrinterData data;
    data.OwnerWindow = Handle();
    data.DocumentTitle = Caption();
    data.Bitmap = imgViewer->Picture().Handle();
    data.Prefs = printer_.Prefs;
    data.Captions = printer_.Captions;
    // A picture has no header, footer or further option: the dialog hides their boxes.
    data.Captions[PrintCaptionHeaderFooter].clear();
    data.Captions[PrintCaptionFurtherOption].clear();
    // The print runs under a key or menu message, whose handler only logs what escapes it: the
    // user is told here when the printer could not be opened or the page not printed.
    try {
        PrintBitmap(data);
    } catch (const EPrintFailure& failure) {
        ShowPrintFailure(MainObject(), failure);
    } catch (const Exception& error) {
        ShowError(MainObject(), error.Message());
    }
    printer_.Prefs = data.Prefs;
}

void TImageViewer::ApplyColorScheme(bool standard)
{
    TZAVEKForm::ApplyColorScheme(standard);
    imgViewer->Picture().Canvas().Brush.Color = Color();
}

void TImageViewer::SavePicture()
{
    const std::string name = SaveFileFilterDialog(fileName_, Texts().GetEntry(TextSaveAs), GetGdipEncoderExtensions(), Handle());
    if (name.empty())
        return;
    if (!image_ || !image_->SaveToFile(name)) {
        ShowError(MainObject(), Texts().GetEntry(TextSaveError));
        return;
    }
    SetCaption(FilePart(name));
    image_->LoadFromFile(name);
    fileName_ = name;
    Render();
}

bool TImageViewer::WriteCopyForCommand(const std::string& file)
{
    std::string bytes;
    const TBurnOnExit burnBytes(bytes);
    if (!image_ || !image_->GetImageBytes(bytes))
        bytes = bytes_;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out)
        return true;
    ShowError(MainObject(), Texts().GetEntry(TextWriteError));
    return false;
}

void TImageViewer::ShowContextMenu(bool atCursor)
{
    // An empty placeholder stands for the picture until a shell command is chosen.
    const std::string& folder = decodedFiles_.Path();
    const std::string file = MakeUniqueFileName(folder + FilePart(fileName_.empty() ? "picture" : fileName_));
    const HANDLE created = folder.empty() ? INVALID_HANDLE_VALUE
        : CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) {
        ShowError(MainObject(), Texts().GetEntry(TextWriteError));
        return;
    }
    CloseHandle(created);
    TPartMenuRequest request;
    request.Window = Handle();
    request.Menu = pmImage;
    request.InsertBefore = miCopy;
    request.Caption = Texts().GetEntry(TextOpenWith);
    request.File = file;
    if (!atCursor) {
        RECT window {};
        GetWindowRect(Handle(), &window);
        request.At = { (window.left + window.right) / 2, (window.top + window.bottom) / 2 };
        request.Centred = true;
    }
    // Handled (so cancelled) when the copy could not be written.
    request.BeforeCommand = [this, file](HWND, UINT) { return !WriteCopyForCommand(file); };
    ShowPartContextMenu(request);
}

bool TImageViewer::DoKeyDown(WORD& key, TShiftState shift)
{
    if (TZAVEKForm::DoKeyDown(key, shift))
        return true;
    const bool ctrlOnly = (shift & (ssCtrl | ssShift | ssAlt)) == ssCtrl;
    switch (key) {
    case VK_ESCAPE: SetModalResult(mrCancel); return true;
    case VK_LEFT: RotateLeft(); return true;
    case VK_RIGHT: RotateRight(); return true;
    case VK_UP: ZoomIn(); return true;
    case VK_DOWN: ZoomOut(); return true;
    case VK_APPS: ShowContextMenu(false); return true;
    case VK_F10:
        if (!(shift & ssShift))
            return false;
        ShowContextMenu(false);
        return true;
    case 'C':
    case 'P':
    case 'S':
        if (!ctrlOnly)
            return false;
        if (key == 'C')
            CopyPicture();
        else if (key == 'P')
            PrintPicture();
        else
            SavePicture();
        DiscardKeyMessage();
        return true;
    default: return false;
    }
}

bool TImageViewer::DoKeyPress(char& key)
{
    if (key == '+')
        ZoomIn();
    else if (key == '-')
        ZoomOut();
    else
        return TZAVEKForm::DoKeyPress(key);
    return true;
}

void TImageViewer::WndProc(TMessage& message)
{
    // The viewer's own items inside the shell's menu arrive as commands of the window.
    if (message.Msg == WM_COMMAND && DispatchMenuCommand(*pmImage, message.WParam, message.LParam))
        return;
    TZAVEKForm::WndProc(message);
    if (message.Msg == WM_GETMINMAXINFO) {
        auto& info = *reinterpret_cast<MINMAXINFO*>(message.LParam);
        info.ptMinTrackSize.x = std::max<LONG>(info.ptMinTrackSize.x, frame_.cx);
        info.ptMinTrackSize.y = std::max<LONG>(info.ptMinTrackSize.y, frame_.cy);
        minTrack_ = { info.ptMinTrackSize.x, info.ptMinTrackSize.y };
    }
}

bool IsPictureExtension(const std::string& extension)
{
    return extension.size() >= 4 && Lower(GetGdipDecoderExtensions()).find(Lower(extension)) != std::string::npos;
}

void CopyImageToClipboard(const std::string& bytes)
{
    const std::unique_ptr<TGdipImage> image = NewImage();
    if (image && image->LoadFromData(bytes))
        image->CopyToClipboard();
}

void ShowImagePart(IDialogMainObject& main, TPrinterData& printer, const TSectionNode& node, HICON icon)
{
    auto* viewer = new TImageViewer(main, printer);
    try {
        viewer->ShowPart(GetFileName(node), node.Text);
        if (icon)
            SendMessageA(viewer->Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        viewer->ShowModal();
    } catch (...) {
        viewer->CloseDown();
        throw;
    }
    viewer->CloseDown();
}
