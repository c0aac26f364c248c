// Writing the stand-in mail client's log.
#include "standins/host/HostLog.h"

#include <cstdarg>

THostLog g_log;

THostLog::~THostLog()
{
    if (file_)
        std::fclose(file_);
}

bool THostLog::Open(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
}

void THostLog::Line(const char* format, ...)
{
    if (!file_)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(file_, format, args);
    va_end(args);
    std::fputc('\n', file_);
    std::fflush(file_);
}
