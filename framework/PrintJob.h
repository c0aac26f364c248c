// A print job on a printer device context: the document and its first page started at
// construction, further pages on request; a job not finished is aborted, so no partial job prints.
#pragma once

#include "framework/Exceptions.h"

#include <windows.h>

#include <string>

// Why a print did not happen. The message is the printer's name: the caller tells the user in the
// user's language.
enum class TPrintFailure { PrinterNotOpened, JobRefused, PageNotPrinted };

class EPrintFailure : public Exception {
public:
    EPrintFailure(TPrintFailure kind, const std::string& printer);
    TPrintFailure Kind() const noexcept { return kind_; }

private:
    TPrintFailure kind_;
};

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
    // Ends the page and starts the next; false when the printer refused either.
    bool NewPage();
    // Ends the last page and the document; false when the printer refused either.
    bool Finish();

private:
    HDC dc_;
    bool documentStarted_ = false;
    bool started_ = false;
    bool finished_ = false;
};
