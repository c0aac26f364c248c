// The address books found in the mail client's folders: only "*.PMR" files of existing folders,
// their sizes summed, their OEM texts shown in the ANSI character set.
#include "plugin/AddressBooks.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

namespace {

std::string Folder(const std::string& name)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void WriteBook(const std::string& path, const std::string& title, const std::string& name, const std::string& address)
{
    std::string bytes(128 + 458, '\0');
    bytes.replace(0, title.size(), title);
    bytes.replace(128 + 2, name.size(), name);
    bytes.replace(128 + 342, address.size(), address);
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(AddressBookFolders, BooksOfEveryListedFolderAreFoundAndTheirOemTextsConverted)
{
    const std::string first = Folder("pmr-a"), second = Folder("pmr-b");
    WriteBook(first + "\\ONE.PMR", "One", "J\x94rg", "joerg@example.net"); // 0x94 is o-umlaut in OEM 437
    WriteBook(first + "\\NOTABOOK.TXT", "Other", "X", "x@example.org");
    WriteBook(second + "\\TWO.PMR", "Two", "Ann", "ann@example.org");
    {
        TAddressBookList books(first + "\n  \n" + second + "\n" + first + "\\missing\n", [](const std::string& t) { return t; });
        ASSERT_EQ(books.Count(), 2);
        EXPECT_EQ(books.Total(), 2 * (128 + 458));
    }
    auto books = OpenHostAddressBooks(first + "\n" + second);
    ASSERT_NE(books, nullptr);
    const std::string text = books->GetRecipientText();
    EXPECT_NE(text.find("J\xF6rg <joerg@example.net>\\0x0000000000000000\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Ann <ann@example.org>"), std::string::npos);
    EXPECT_EQ(text.find("x@example.org"), std::string::npos);
    books.reset();
    // The books were closed: the files can go.
    EXPECT_TRUE(DeleteFileA((first + "\\ONE.PMR").c_str()));
    DeleteFileA((first + "\\NOTABOOK.TXT").c_str());
    DeleteFileA((second + "\\TWO.PMR").c_str());
    RemoveDirectoryA(first.c_str());
    RemoveDirectoryA(second.c_str());
    EXPECT_EQ(OpenHostAddressBooks(first), nullptr);
}

} // namespace
