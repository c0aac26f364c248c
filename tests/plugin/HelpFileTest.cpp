// The shipped help file as the HTML Help viewer reads it, through the system's reader of compiled
// help files: a page for every context the dialogs ask for, links that stay inside the file, and the
// window type and title by which the help handler finds the viewer's window.
#include "foundation/ZAVEKResources.h"
#include "plugin/ZAVEKHelp.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <cstring>
#include <regex>
#include <set>
#include <string>

// The reader's entry interface; the SDK headers of this tool chain do not declare it. It stays out of
// the unnamed namespace: a class only this file can see, with no implementation here, would let the
// compiler take every call on it for unreachable.
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(void*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(void*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};
namespace {

const CLSID CLSID_ITStorage = { 0x5d02926a, 0x212e, 0x11d0, { 0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec } };
const IID IID_IITStorage = { 0x88cc31de, 0x27ab, 0x11d0, { 0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec } };

// The window types of the file: a count, the size of an entry, then the entries, whose type name
// and caption are offsets into the string table.
constexpr size_t WINDOW_TYPES_HEADER = 8;
constexpr size_t TYPE_NAME_AT = 0x08;
constexpr size_t CAPTION_AT = 0x14;

std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
        wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

class TCompiledHelp {
public:
    explicit TCompiledHelp(const std::string& file)
    {
        CoInitialize(nullptr);
        IITStorage* reader = nullptr;
        if (FAILED(CoCreateInstance(CLSID_ITStorage, nullptr, CLSCTX_INPROC_SERVER, IID_IITStorage,
                reinterpret_cast<void**>(&reader))))
            return;
        reader->StgOpenStorage(Wide(file).c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &storage_);
        reader->Release();
    }
    ~TCompiledHelp()
    {
        if (storage_)
            storage_->Release();
        CoUninitialize();
    }
    TCompiledHelp(const TCompiledHelp&) = delete;
    TCompiledHelp& operator=(const TCompiledHelp&) = delete;

    bool Opened() const { return storage_ != nullptr; }
    bool Has(const std::string& name) const { return Read(name, nullptr); }
    std::string Stream(const std::string& name) const
    {
        std::string content;
        Read(name, &content);
        return content;
    }

private:
    bool Read(const std::string& name, std::string* content) const
    {
        IStream* stream = nullptr;
        if (!storage_ || FAILED(storage_->OpenStream(Wide(name).c_str(), nullptr, STGM_READ, 0, &stream)))
            return false;
        char buffer[4096];
        ULONG got = 0;
        while (content && SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0)
            content->append(buffer, got);
        stream->Release();
        return true;
    }
    IStorage* storage_ = nullptr;
};

uint32_t DWordAt(const std::string& data, size_t at)
{
    uint32_t value = 0;
    if (at + 4 <= data.size())
        std::memcpy(&value, data.data() + at, 4);
    return value;
}

std::string StringAt(const std::string& table, uint32_t offset)
{
    return offset < table.size() ? std::string(table.c_str() + offset) : std::string();
}

TEST(HelpFile, HoldsEveryTopicPageWithLinksInsideAndTheWindowTypeTheHandlerOpens)
{
    TCompiledHelp help(ZAVEK_HELP_FILE);
    ASSERT_TRUE(help.Opened()) << ZAVEK_HELP_FILE;

    TStringList topics;
    RegisterHelpTopics(&topics);
    ASSERT_GT(topics.Count(), 0);
    std::set<std::string> pages;
    for (int i = 0; i < topics.Count(); ++i) {
        const std::string page = topics[i];
        EXPECT_TRUE(help.Has(page)) << "context " << IntFromObject(topics.Objects(i)) << ": " << page;
        pages.insert(page);
    }
    pages.insert("Contents.htm");
    const std::regex link("href=\"([^\"#]*)");
    for (const std::string& page : pages) {
        const std::string html = help.Stream(page);
        EXPECT_NE(html.find("<h1>"), std::string::npos) << page << " has a heading";
        for (std::sregex_iterator it(html.begin(), html.end(), link), end; it != end; ++it)
            EXPECT_TRUE(help.Has((*it)[1])) << page << " links to " << (*it)[1];
    }

    const std::string types = help.Stream("#WINDOWS");
    const std::string strings = help.Stream("#STRINGS");
    ASSERT_EQ(DWordAt(types, 0), 1u);
    EXPECT_EQ(StringAt(strings, DWordAt(types, WINDOW_TYPES_HEADER + TYPE_NAME_AT)), TZAVEKHelp::WINDOW_TYPE);
    // The viewer's window takes this caption, and the handler looks for its window by it.
    EXPECT_EQ(StringAt(strings, DWordAt(types, WINDOW_TYPES_HEADER + CAPTION_AT)), TZAVEKHelp::PRODUCT_NAME);
}

} // namespace
