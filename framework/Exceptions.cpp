// Messages of the framework's exception classes.
#include "framework/Exceptions.h"

#include <cstdio>
#include <utility>

namespace {

std::string WithCode(const char* format, unsigned long code, const std::string& text)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, code);
    return text.empty() ? std::string(buffer) : std::string(buffer) + " " + text;
}

} // namespace

Exception::Exception(std::string message)
    : message_(std::move(message))
{
}

EAbort::EAbort()
    : Exception("Operation aborted")
{
}

EListError::EListError(int index)
    : Exception("List index out of bounds (" + std::to_string(index) + ")")
{
}

EListError::EListError(std::string message)
    : Exception(std::move(message))
{
}

EIntOverflow::EIntOverflow()
    : Exception("Integer overflow")
{
}

EFOpenError::EFOpenError(const std::string& fileName)
    : Exception("Cannot open file \"" + fileName + "\"")
{
}

EFCreateError::EFCreateError(const std::string& fileName)
    : Exception("Cannot create file \"" + fileName + "\"")
{
}

EReadError::EReadError()
    : Exception("Stream read error")
{
}

EWriteError::EWriteError()
    : Exception("Stream write error")
{
}

EOSError::EOSError(std::uint32_t errorCode, const std::string& text)
    : Exception(WithCode("System error. Code: %lu.", errorCode, text))
    , errorCode_(errorCode)
{
}

EOleSysError::EOleSysError(std::int32_t hresult, const std::string& text)
    : Exception(WithCode("OLE error %08lX.", static_cast<std::uint32_t>(hresult), text))
    , errorCode_(hresult)
{
}
