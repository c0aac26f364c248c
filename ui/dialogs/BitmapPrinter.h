// Printing one picture: the print dialog, then the bitmap on one page within the margins, at its
// physical screen size or scaled down to fit, centred on the page.
#pragma once

#include "ui/dialogs/PrintDlg.h"

struct TBitmapPrinterData : TPrinterData {
    HBITMAP Bitmap = nullptr;
};

// Draws the bitmap on the page of a printing device context; false when the bitmap's bits cannot
// be had or the drawing failed.
bool DrawBitmapPage(HDC printer, HBITMAP bitmap, const TPrinterPrefs& prefs);

// Runs the print dialog and prints the bitmap on the chosen printer; false when cancelled. A
// printer that cannot be opened or a job that fails raises EPrintFailure (nothing partial is printed).
bool PrintBitmap(TBitmapPrinterData& data, const TPrintDialogEntries& entries = {});
