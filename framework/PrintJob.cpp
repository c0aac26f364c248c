// The print job shared by the picture and the rich-text printing.
#include "framework/PrintJob.h"

TPrintJob::TPrintJob(HDC dc, const std::string& title)
    : dc_(dc)
{
    DOCINFOA info {};
    info.cbSize = sizeof info;
    info.lpszDocName = title.c_str();
    started_ = StartDocA(dc_, &info) > 0 && StartPage(dc_) > 0;
}

TPrintJob::~TPrintJob()
{
    if (started_ && !finished_)
        AbortDoc(dc_);
    DeleteDC(dc_);
}

void TPrintJob::NewPage()
{
    EndPage(dc_);
    StartPage(dc_);
}

bool TPrintJob::Finish()
{
    finished_ = EndPage(dc_) > 0 && EndDoc(dc_) > 0;
    return finished_;
}
