// Tests of full-path library loading, binding by name, and the Windows file streams.
#include "framework/LibraryBinding.h"
#include "framework/Exceptions.h"
#include "framework/Streams.h"

#include <gtest/gtest.h>

#include <array>

#include <ocidl.h>

#include <commdlg.h>
#include <wincrypt.h>
#include <winspool.h>

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

TEST(LibraryBinding, FullPathRule)
{
    struct Case {
        const char* path;
        bool full;
    };
    for (const Case c :
        { Case { "C:\\x\\a.dll", true }, Case { "z:/a.dll", true }, Case { "\\\\srv\\s\\a.dll", true },
            Case { "a.dll", false }, Case { "C:a.dll", false }, Case { "\\a.dll", false },
            Case { "..\\a.dll", false }, Case { "\\\\\\a.dll", false }, Case { "", false } })
        EXPECT_EQ(IsFullPath(c.path), c.full) << c.path;
}

TEST(LibraryBinding, BindsPresentAndReportsAbsentFunctions)
{
    TLibrary library(ProgramFolder() + "framework_binding_test_library.dll");
    ASSERT_TRUE(library) << library.LastError();
    int(__stdcall * twiceOf)(int) = nullptr;
    void(__stdcall * absent)() = reinterpret_cast<void(__stdcall*)()>(1);
    const std::array table { BindProc("TwiceOf", twiceOf), BindProc("NotThere", absent) };
    EXPECT_EQ(BindProcs(library.Handle(), table), std::vector<std::string> { "NotThere" });
    ASSERT_NE(twiceOf, nullptr);
    EXPECT_EQ(twiceOf(21), 42);
    EXPECT_EQ(absent, nullptr);

    TLibrary moved = std::move(library);
    EXPECT_FALSE(library);
    EXPECT_TRUE(moved);
    moved.Free();
    EXPECT_EQ(BindProcs(moved.Handle(), table).size(), 2u);
    EXPECT_EQ(twiceOf, nullptr);
}

TEST(LibraryBinding, RefusesBareNamesAndReportsMissingFiles)
{
    TLibrary bare("kernel32.dll");
    EXPECT_FALSE(bare);
    EXPECT_EQ(bare.LastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    TLibrary missing(ProgramFolder() + "no_such_library.dll");
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.LastError(), 0u);
}

// The system libraries the plug-in binds at first use instead of linking: each call reaches the
// real function (a 32-bit call through an unbound slot jumps to address 0), the library is loaded
// once, and a name or library that is not there gives null instead of a crash.
TEST(LibraryBinding, SystemFunctionsBoundAtFirstUse)
{
    const auto decode = SYSTEM_PROC("Crypt32.dll", CryptStringToBinaryA);
    ASSERT_NE(decode, nullptr);
    BYTE bytes[8] = {};
    DWORD size = sizeof bytes;
    ASSERT_TRUE(decode("aGk=", 4, CRYPT_STRING_BASE64, bytes, &size, nullptr, nullptr));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), size), "hi");

    const auto enumPrinters = SYSTEM_PROC("WinSpool.drv", EnumPrintersA);
    ASSERT_NE(enumPrinters, nullptr);
    DWORD needed = 0, count = 0;
    enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    EXPECT_NE(SYSTEM_PROC("ComDlg32.dll", PrintDlgExA), nullptr);
    EXPECT_NE(SYSTEM_PROC("ComDlg32.dll", GetOpenFileNameA), nullptr);

    EXPECT_EQ(SystemLibrary("Crypt32.dll"), SystemLibrary("Crypt32.dll"));
    EXPECT_EQ(SystemLibrary("Crypt32.dll"), GetModuleHandleA("crypt32.dll"));
    EXPECT_EQ(BindSystemProc<decltype(&::CryptStringToBinaryA)>("Crypt32.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(SystemLibrary("NoSuchLibrary.dll"), nullptr);
    EXPECT_EQ(BindSystemProc<decltype(&::CryptStringToBinaryA)>("NoSuchLibrary.dll", "CryptStringToBinaryA"), nullptr);
}

TEST(FileStream, CreateWriteSeekTruncateAndReopen)
{
    const std::string name = ProgramFolder() + "framework_filestream_test.bin";
    {
        TFileStream stream(name, fmCreate);
        stream.WriteBuffer("0123456789", 10);
        EXPECT_EQ(stream.Size(), 10);
        EXPECT_EQ(stream.Seek(-3, soFromEnd), 7);
        char buffer[4] = {};
        EXPECT_EQ(stream.Read(buffer, 4), 3);
        EXPECT_EQ(std::string(buffer, 3), "789");
        stream.SetSize(5);
        EXPECT_EQ(stream.Position(), 5);
        EXPECT_EQ(stream.Size(), 5);
        EXPECT_EQ(stream.Seek(-1, soFromBeginning), -1);
    }
    {
        TFileStream stream(name, fmOpenRead | fmShareDenyWrite);
        char buffer[8] = {};
        EXPECT_EQ(stream.Read(buffer, 8), 5);
        EXPECT_EQ(std::string(buffer, 5), "01234");
        EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
        EXPECT_THROW(TFileStream(name, fmOpenWrite), EFOpenError); // shared for reading only
    }
    DeleteFileA(name.c_str());
    EXPECT_THROW(TFileStream(name, fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(ProgramFolder() + "no\\such\\dir\\x.bin", fmCreate), EFCreateError);
}

} // namespace
