// A print job on a printer device context: the document and its first page started at
// construction, further pages on request; a job not finished is aborted, so no partial job prints.
#pragma once

#include <windows.h>

#include <string>

class TPrintJob {
public:
    // Takes the device context; it is deleted with the job.
    TPrintJob(HDC dc, const std::string& title);
    ~TPrintJob();
    TPrintJob(const TPrintJob&) = delete;
    TPrintJob& operator=(const TPrintJob&) = delete;

    // The printer took the document and its first page.
    bool Started() const noexcept { return started_; }
    HDC Dc() const noexcept { return dc_; }
    void NewPage();
    // Ends the last page and the document; false when the printer refused either.
    bool Finish();

private:
    HDC dc_;
    bool started_ = false;
    bool finished_ = false;
};
