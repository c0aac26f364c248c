// Writing the stand-in mail client's log.
#include "standins/host/HostLog.h"

#include <algorithm>
#include <cstdarg>
#include <vector>

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
    va_list measure;
    va_copy(measure, args);
    std::vector<char> text(static_cast<size_t>(std::max(std::vsnprintf(nullptr, 0, format, measure), 0)) + 1);
    va_end(measure);
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    lines_.emplace_back(text.data());
    std::fputs(text.data(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
}

size_t THostLog::CountStartingWith(const std::string& prefix) const
{
    size_t count = 0;
    for (const std::string& line : lines_)
        count += line.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return count;
}
