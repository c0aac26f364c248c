// The key-file dialogs over the plug-in's open and save dialogs: only the filters, extensions
// and start names differ from one to the next.
#include "ui/dialogs/KeyFileDialogs.h"

#include "foundation/FileUtils.h"
#include "foundation/FileUtilsWin.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "ui/dialogs/FileDialogs.h"

#include <cctype>

namespace {

constexpr char AllFiles[] = "*.*|*.*";
constexpr int DocumentsFolder = 12; // the shell's documents folder; the personal folder where absent

std::string Lower(std::string Text)
{
    for (char& c : Text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return Text;
}

// The extension of a file name without its dot ("" when the name has none).
std::string ExtensionOfName(const std::string& FileName)
{
    const std::string name = GetFileNamePart(FileName);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

void Prepare(TFileDialogEx& Dialog, const std::string& Title, const std::string& ClipCaption, HWND Parent,
    std::initializer_list<std::string> Filter)
{
    Dialog.Title = Title;
    Dialog.ParentHandle = Parent;
    Dialog.SetClipBtnText(ClipCaption);
    for (const std::string& line : Filter)
        Dialog.Filter().Add(line);
    Dialog.FilterIndex = 1;
}

std::string Run(TFileDialogEx& Dialog)
{
    return Dialog.Execute() ? Dialog.FileName : std::string();
}

std::string SaveKeyFile(const std::string& Title, const std::string& ClipCaption,
    const std::string& Suggested, HWND Parent, const std::string& FilterLine, const std::string& Extension)
{
    TSaveDialogEx dialog;
    Prepare(dialog, Title, ClipCaption, Parent, { FilterLine, AllFiles });
    dialog.SetDefaultExtension(Extension);
    dialog.FileName = MakeValidFileName(Suggested) + "." + Extension;
    return Run(dialog);
}

} // namespace

std::string OpenKeyFileDialog(const std::string& Title, const std::string& ClipCaption, HWND Parent)
{
    TOpenDialogEx dialog;
    Prepare(dialog, Title, ClipCaption, Parent,
        { "asc, gpg, pgp, pkr, pubkr, cer, der, pem, pfx, p7b, p12|"
          "*.asc;*.gpg;*.pgp;*.pkr;*.pubkr;*.cer;*.der;*.pem;*.pfx;*.p7b;*.p12",
            AllFiles });
    return Run(dialog);
}

std::string SaveArmoredFileDialog(
    const std::string& Title, const std::string& ClipCaption, const std::string& Suggested, HWND Parent)
{
    return SaveKeyFile(Title, ClipCaption, Suggested, Parent, "asc, gpg, pgp|*.asc;*.gpg;*.pgp", "asc");
}

std::string SaveCertificateFileDialog(
    const std::string& Title, const std::string& ClipCaption, const std::string& Suggested, HWND Parent)
{
    return SaveKeyFile(Title, ClipCaption, Suggested, Parent, "cer, pem|*.cer;*.pem", "cer");
}

std::string SaveFileAsDialog(
    const std::string& FileName, const std::string& Folder, const std::string& Title, HWND Parent)
{
    TSaveDialogEx dialog;
    Prepare(dialog, Title, {}, Parent, { AllFiles });
    dialog.SetDefaultExtension(ExtensionOfName(FileName));
    dialog.FileName = FileName;
    dialog.InitialDir = Folder.empty() ? GetSpecialFolderPath(DocumentsFolder, false) : Folder;
    return Run(dialog);
}

std::string SaveFileFilterDialog(
    const std::string& FileName, const std::string& Title, const std::string& Patterns, HWND Parent)
{
    const std::string patterns = Lower(Patterns);
    std::string description = patterns;
    for (char& c : description)
        if (c == ';')
            c = ',';
    TSaveDialogEx dialog;
    Prepare(dialog, Title, {}, Parent, { description + "|" + patterns });
    dialog.SetDefaultExtension(ExtensionOfName(FileName));
    dialog.FileName = FileName;
    return Run(dialog);
}

std::string OpenKeyringFileDialog(const std::string& Title, const std::string& DefaultFolder,
    const std::string& Current, TKeyringKind Kind, HWND Parent)
{
    static const char* const Filters[] = { "pgp, skr, prvkr, gpg|*.pgp;*.skr;*.prvkr;*.gpg",
        "pgp, pkr, pubkr, gpg|*.pgp;*.pkr;*.pubkr;*.gpg", "pgr|*.pgr" };
    if (Kind < krSecretKeyring || Kind > krGroups)
        return {};
    std::string filter = Filters[Kind];
    const std::string extension = ExtensionOfName(Current);
    // The current ring's own extension is offered first when the filter does not know it.
    if (!extension.empty() && PosText(extension, filter) == 0)
        filter.insert(filter.find('|') + 1, "*." + Lower(extension) + ";");
    TOpenDialogEx dialog;
    Prepare(dialog, Title, {}, Parent, { filter, AllFiles });
    dialog.SetDefaultExtension(extension);
    const std::string folder = GetFolderPart(Current);
    dialog.InitialDir = !folder.empty() && IsExistingFolder(folder) ? folder : DefaultFolder;
    return Run(dialog);
}
