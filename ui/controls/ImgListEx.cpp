// The blending and 32-bit image lists. AlphaBlend is taken from MsImg32 only when that library is
// already in the process; the plug-in never loads it for a few blended arrows.
#include "ui/controls/ImgListEx.h"

#include "framework/Exceptions.h"

namespace {

using AlphaBlendProc = decltype(&::AlphaBlend);

AlphaBlendProc BoundAlphaBlend() noexcept
{
    static const AlphaBlendProc proc = []() -> AlphaBlendProc {
        HMODULE library = GetModuleHandleA("msimg32.dll");
        return library ? reinterpret_cast<AlphaBlendProc>(GetProcAddress(library, "AlphaBlend")) : nullptr;
    }();
    return proc;
}

// Destroys an icon at scope end when asked to.
class IconDisposal {
public:
    IconDisposal(HICON icon, bool destroy) noexcept
        : icon_(destroy ? icon : nullptr)
    {
    }
    ~IconDisposal()
    {
        if (icon_)
            DestroyIcon(icon_);
    }
    IconDisposal(const IconDisposal&) = delete;
    IconDisposal& operator=(const IconDisposal&) = delete;

private:
    HICON icon_;
};

} // namespace

// ---- TBlendImages ----

TBlendImages::TBlendImages(TComponent* owner)
    : TImageList(owner)
    , canBlend_(BoundAlphaBlend() != nullptr)
{
    work_.SetSize(Width(), Height());
}

void TBlendImages::DrawBlended(TCanvas& canvas, int left, int top, int width, int height, int percent)
{
    const AlphaBlendProc alphaBlend = BoundAlphaBlend();
    if (!alphaBlend || work_.Empty())
        return;
    const BLENDFUNCTION blend { AC_SRC_OVER, 0, static_cast<BYTE>(percent * 255 / 100), 0 };
    alphaBlend(canvas.Handle(), left, top, width, height, work_.Canvas().Handle(), 0, 0, work_.Width(),
        work_.Height(), blend);
}

void TBlendImages::PrepareWork(int index, TColor background)
{
    if (work_.Width() != Width() || work_.Height() != Height())
        work_.SetSize(Width(), Height());
    TCanvas& canvas = work_.Canvas();
    canvas.Brush.Color = background;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(RECT { 0, 0, Width(), Height() });
    Draw(canvas, 0, 0, index);
}

// ---- T32BitImages ----

T32BitImages::T32BitImages(TComponent* owner)
    : TImageList(owner)
{
    image_.SetSize(Width(), Height());
    mask_.SetSize(Width(), Height());
}

void T32BitImages::InitList(int width, int height, int initialCount, HBRUSH brush, bool addDirectly)
{
    HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, initialCount, AllocBy);
    if (!list || !brush) {
        if (list)
            ImageList_Destroy(list);
        throw EInvalidOperation("Invalid ImageList");
    }
    SetMasked(true);
    AdoptHandle(list);
    brush_ = brush;
    image_.SetSize(width, height);
    mask_.SetSize(width, height);
    addDirectly_ = addDirectly;
}

int T32BitImages::AddDrawn(HICON icon, bool drawMask)
{
    DrawIconEx(image_.Canvas().Handle(), 0, 0, icon, image_.Width(), image_.Height(), 0, brush_, DI_NORMAL);
    if (drawMask)
        DrawIconEx(mask_.Canvas().Handle(), 0, 0, icon, mask_.Width(), mask_.Height(), 0, nullptr, DI_MASK);
    return Add(image_, &mask_);
}

int T32BitImages::AddIconImage(HICON icon, bool withSelected, bool freeIcon)
{
    if (!icon)
        return -1;
    const IconDisposal disposeIcon(icon, freeIcon);
    const int index = addDirectly_ ? ReplaceIcon(-1, icon) : AddDrawn(icon, true);
    if (withSelected && index >= 0) {
        HICON selected = ImageList_GetIcon(Handle(), index, ILD_SELECTED);
        if (selected) {
            const IconDisposal disposeSelected(selected, true);
            if (addDirectly_)
                ReplaceIcon(-1, selected);
            else
                AddDrawn(selected, false);
        }
    }
    return index;
}
