// The countdown caption's formatter (portable).
#include "download/DownloadCaption.h"

std::string FormatDownloadCaption(const std::string& format, const std::string& host, int secondsLeft)
{
    std::string caption;
    bool hostDone = false, secondsDone = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const char next = i + 1 < format.size() ? format[i + 1] : '\0';
        if (format[i] == '%' && next == '%') {
            caption += '%';
            ++i;
        } else if (format[i] == '%' && next == 's' && !hostDone) {
            caption += host;
            hostDone = true;
            ++i;
        } else if (format[i] == '%' && next == 'd' && !secondsDone) {
            caption += std::to_string(secondsLeft);
            secondsDone = true;
            ++i;
        } else {
            caption += format[i];
        }
    }
    return caption;
}
