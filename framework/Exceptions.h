// The exception classes of the class framework. Every error a framework routine reports is an
// `Exception`; export boundaries, window procedures and threads catch them and map them to failure values.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message);
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Cancels an operation without telling the user: handlers show no message for it.
class EAbort : public Exception {
public:
    EAbort();
};

class EListError : public Exception {
public:
    explicit EListError(int index); // "List index out of bounds (%d)"
    explicit EListError(std::string message);
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EIntOverflow : public Exception {
public:
    EIntOverflow();
};

class EFOpenError : public Exception {
public:
    explicit EFOpenError(const std::string& fileName);
};

class EFCreateError : public Exception {
public:
    explicit EFCreateError(const std::string& fileName);
};

class EReadError : public Exception {
public:
    EReadError();
};

class EWriteError : public Exception {
public:
    EWriteError();
};

// A failed operating-system call; the code is the Windows error code (GetLastError).
class EOSError : public Exception {
public:
    EOSError(std::uint32_t errorCode, const std::string& text = {});
    std::uint32_t ErrorCode() const noexcept { return errorCode_; }

private:
    std::uint32_t errorCode_;
};

// A failed COM/OLE call with its HRESULT.
class EOleSysError : public Exception {
public:
    EOleSysError(std::int32_t hresult, const std::string& text = {});
    std::int32_t ErrorCode() const noexcept { return errorCode_; }

private:
    std::int32_t errorCode_;
};

// An operation the object's state does not allow (showing a visible form modally, a control
// without a parent window).
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};
