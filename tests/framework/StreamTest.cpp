// Tests of the in-memory streams: seek origins and bounds, size changes, gaps, buffer reads and
// writes that must be complete, copying, and file round trips.
#include "framework/Exceptions.h"
#include "framework/Streams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

struct SeekCase {
    std::int64_t offset;
    TSeekOrigin origin;
    std::int64_t expected; // -1: refused, position stays 4
};

class MemorySeek : public testing::TestWithParam<SeekCase> { };

TEST_P(MemorySeek, FromEveryOrigin)
{
    TStringStream stream("0123456789");
    stream.SetPosition(4);
    const auto& c = GetParam();
    EXPECT_EQ(stream.Seek(c.offset, c.origin), c.expected);
    EXPECT_EQ(stream.Position(), c.expected < 0 ? 4 : c.expected);
    EXPECT_EQ(stream.Size(), 10);
}

INSTANTIATE_TEST_SUITE_P(All, MemorySeek,
    testing::Values(SeekCase { 0, soFromBeginning, 0 }, SeekCase { 3, soFromCurrent, 7 },
        SeekCase { -4, soFromCurrent, 0 }, SeekCase { -5, soFromCurrent, -1 }, SeekCase { 0, soFromEnd, 10 },
        SeekCase { -10, soFromEnd, 0 }, SeekCase { -11, soFromEnd, -1 }, SeekCase { 5, soFromEnd, 15 },
        SeekCase { -1, soFromBeginning, -1 }));

TEST(MemoryStream, ReadPastEndAndWriteAfterGap)
{
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    stream.SetPosition(1);
    EXPECT_EQ(stream.Read(buffer, 8), 2);
    EXPECT_EQ(std::string(buffer, 2), "bc");
    stream.Seek(2, soFromEnd);
    EXPECT_EQ(stream.Read(buffer, 1), 0);
    stream.WriteBuffer("z", 1);
    EXPECT_EQ(stream.Size(), 6);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 6), std::string("abc\0\0z", 6));
}

TEST(MemoryStream, SetSizeTruncatesPositionAndExtendsWithZeros)
{
    TMemoryStream stream;
    stream.WriteBuffer("abcdef", 6);
    stream.SetSize(2);
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_EQ(stream.Size(), 2);
    stream.SetPosition(1);
    stream.SetSize(4);
    EXPECT_EQ(stream.Position(), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 4), std::string("ab\0\0", 4));
    EXPECT_THROW(stream.SetSize(-1), EWriteError);
    stream.Clear();
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(Stream, BufferCallsAreAllOrNothing)
{
    TStringStream stream("abc");
    char buffer[4];
    EXPECT_THROW(stream.ReadBuffer(buffer, 4), EReadError);
    stream.SetPosition(0);
    EXPECT_NO_THROW(stream.ReadBuffer(buffer, 3));
    EXPECT_NO_THROW(stream.ReadBuffer(buffer, 0));
    EXPECT_THROW(stream.ReadBuffer(buffer, -1), EReadError);
    EXPECT_THROW(stream.WriteBuffer(buffer, -1), EWriteError);
}

TEST(StringStream, WritesOverwriteInsideAndExtendAtTheEnd)
{
    TStringStream stream("hello world");
    stream.SetPosition(6);
    stream.WriteString("there");
    EXPECT_EQ(stream.DataString(), "hello there");
    stream.SetPosition(6);
    stream.WriteString("W");
    EXPECT_EQ(stream.DataString(), "hello Where");
    stream.Seek(0, soFromEnd);
    stream.WriteString("!");
    EXPECT_EQ(stream.DataString(), "hello Where!");
    stream.SetPosition(0);
    EXPECT_EQ(stream.ReadString(5), "hello");
    EXPECT_EQ(stream.ReadString(100), " Where!");
    EXPECT_EQ(stream.ReadString(1), "");
}

TEST(Stream, CopyFrom)
{
    std::string big(200000, 'x');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    TStringStream source(big);
    source.SetPosition(5);
    TMemoryStream target;
    EXPECT_EQ(target.CopyFrom(source, 0), 200000); // 0 = all of it, from the start
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(target.Memory()), 200000), big);

    source.SetPosition(199990);
    TStringStream part;
    EXPECT_EQ(part.CopyFrom(source, 10), 10);
    EXPECT_EQ(part.DataString(), big.substr(199990));
    source.SetPosition(199995);
    EXPECT_THROW(part.CopyFrom(source, 10), EReadError);
}

TEST(MemoryStream, FileRoundTripAndErrors)
{
    const std::string name = testing::TempDir() + "zavek_memorystream_test.bin";
    TMemoryStream stream;
    stream.WriteBuffer(std::string("a\0\r\nb", 5).data(), 5);
    stream.SaveToFile(name);
    TMemoryStream loaded;
    loaded.LoadFromFile(name);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(loaded.Memory()), 5), std::string("a\0\r\nb", 5));
    EXPECT_EQ(loaded.Position(), 0);
    std::remove(name.c_str());
    EXPECT_THROW(loaded.LoadFromFile(name), EFOpenError);
    EXPECT_THROW(stream.SaveToFile(testing::TempDir() + "no/such/dir/x.bin"), EFCreateError);
}

} // namespace
