// The download library's countdown caption: the caller's format with its first "%s" replaced by
// the host being tried and its first "%d" by the seconds left ("%%" stands for "%"). Nothing else
// of the caller's text is interpreted, so a format from outside cannot reach a printf routine.
#pragma once

#include <string>

std::string FormatDownloadCaption(const std::string& format, const std::string& host, int secondsLeft);
