// The print job shared by the picture and the rich-text printing.
#include "framework/PrintJob.h"

EPrintFailure::EPrintFailure(TPrintFailure kind, const std::string& printer)
    : Exception(printer)
    , kind_(kind)
{
}

TPrintJob::TPrintJob(HDC dc, const std::string& title)
    : dc_(dc)
{
    DOCINFOA info {};
    info.cbSize = sizeof info;
    info.lpszDocName = title.c_str();
    documentStarted_ = StartDocA(dc_, &info) > 0;
    started_ = documentStarted_ && StartPage(dc_) > 0;
}

TPrintJob::~TPrintJob()
{
    if (documentStarted_ && !finished_)
        AbortDoc(dc_);
    DeleteDC(dc_);
}

bool TPrintJob::NewPage()
{
    return EndPage(dc_) > 0 && StartPage(dc_) > 0;
}

bool TPrintJob::Finish()
{
    finished_ = EndPage(dc_) > 0 && EndDoc(dc_) > 0;
    return finished_;
}
