#include "core/streams.h"

#include "platform/sys/paths.h"
#include "tests/common/test_util.h"

#include "tests/common/unsized_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

std::string stored(const std::string& text)
{
    OutMemStream out;
    out.writeString(text);
    return out.data();
}

bool logHas(const std::string& text) { return testutil::logText().find(text) != std::string::npos; }


} // namespace

TEST(Streams, StringsRoundTripAndStayAlignedWhenCut)
{
    EXPECT_EQ(std::string("\x03\x00" "abc", 5), stored("abc"));
    EXPECT_EQ(std::string("\x00\x00", 2), stored(""));

    InMemStream in(stored("ABCDEFGHIJKLMNOPQRST") + stored("") + stored(std::string(300, 'x')) +
                   std::string("\x2a\x00\x00\x00", 4));
    char buffer[16];
    std::memset(buffer, '#', sizeof(buffer));
    in.readString(buffer, sizeof(buffer));
    EXPECT_STREQ("ABCDEFGHIJKLMNO", buffer); // 15 bytes and the zero
    in.readString(buffer, sizeof(buffer));
    EXPECT_STREQ("", buffer);
    char one[1] = {'#'};
    in.readString(one, 1); // only the zero fits; the 300 bytes are passed over
    EXPECT_EQ(0, one[0]);
    int32_t value = 0;
    EXPECT_TRUE(in.readValue(value));
    EXPECT_EQ(42, value);
    EXPECT_EQ(0, in.remaining());
}

TEST(Streams, ShortReadsFillWhatTheyCanAndFail)
{
    InMemStream in(std::string("xyz"));
    char buffer[6] = {'1', '2', '3', '4', '5', '6'};
    EXPECT_EQ(3, in.read(buffer, 6));
    EXPECT_EQ("xyz456", std::string(buffer, 6));
    EXPECT_FALSE(in.good());

    InMemStream two(std::string("\x01\x02", 2));
    int32_t value = 77;
    EXPECT_FALSE(two.readValue(value));
    EXPECT_EQ(77, value);

    // A count promising more than the file holds: what arrived, terminated.
    InMemStream cut(std::string("\x0a\x00" "abcd", 6));
    char text[32];
    cut.readString(text, sizeof(text));
    EXPECT_STREQ("abcd", text);
    EXPECT_FALSE(cut.good());

    // The default skip reads through and fails at the end too.
    testutil::UnsizedStream unsized(stored(std::string(5000, 'z')) + stored("tail"));
    char small[3];
    unsized.readString(small, sizeof(small));
    unsized.readString(text, sizeof(text));
    EXPECT_STREQ("tail", text);
    EXPECT_TRUE(unsized.good());
    unsized.skip(1);
    EXPECT_FALSE(unsized.good());
}

TEST(Streams, FileStreamMeasuresAndTracksRemaining)
{
    std::string data;
    for (int i = 0; i < 100; ++i)
        data += static_cast<char>(i);
    testutil::writeText("Data/Hundred.BIN", data);

    InFStream in("data\\hundred.bin");
    ASSERT_TRUE(in.isOpen());
    EXPECT_EQ(100, in.remaining());
    unsigned char head[4];
    EXPECT_EQ(4, in.read(head, 4));
    EXPECT_EQ(96, in.remaining());
    in.skip(94);
    unsigned char tail[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(2, in.read(tail, 4));
    EXPECT_EQ(98, tail[0]);
    EXPECT_EQ(0xEE, tail[2]);
    EXPECT_FALSE(in.good());

    for (const char* name : {"no_such_file.dat", "Data"}) { // missing, and a folder
        InFStream none(name);
        EXPECT_FALSE(none.isOpen()) << name;
        EXPECT_EQ(-1, none.length());
        EXPECT_EQ(-1, none.remaining());
        char c = 'q';
        EXPECT_EQ(0, none.read(&c, 1));
        EXPECT_EQ('q', c);
        EXPECT_FALSE(none.good());
    }
}

TEST(Streams, OverlongTextIsRefusedAndNothingIsWritten)
{
    OutMemStream mem;
    mem.writeString(std::string(65535, 'a'));
    EXPECT_TRUE(mem.good());
    InMemStream in(mem.data());
    std::string back;
    in.readString(back);
    EXPECT_EQ(65535u, back.size());

    mem.writeString(std::string(65536, 'b'));
    EXPECT_FALSE(mem.good());
    EXPECT_EQ(65537, mem.length()); // nothing of the refused text
    EXPECT_TRUE(logHas("65536 bytes"));

    OutFStream file("refused.dat");
    file.writeString("fine");
    file.writeString(std::string(70000, 'c'));
    EXPECT_FALSE(file.close());
    EXPECT_EQ(sys::PathKind::Missing, sys::pathKind("refused.dat"));
    EXPECT_TRUE(logHas("Cannot write file refused.dat"));
}

TEST(Streams, OutFileAppearsWholeOnCloseOrNotAtAll)
{
    testutil::writeText("scores.dat", "old contents");
    {
        OutFStream out("new.dat");
        out.writeString("abc");
        out.writeValue<int32_t>(-2);
        EXPECT_EQ(9, out.length());
        EXPECT_EQ(sys::PathKind::Missing, sys::pathKind("new.dat"));
    } // the destructor closes
    EXPECT_EQ(std::string("\x03\x00" "abc" "\xfe\xff\xff\xff", 9), testutil::readText("new.dat"));

    {
        OutFStream out("SCORES.DAT");
        out.writeString("new contents");
        out.write(nullptr, -1);
        EXPECT_FALSE(out.close());
        EXPECT_FALSE(out.close());
    }
    EXPECT_EQ("old contents", testutil::readText("scores.dat"));

    OutFStream lost("no_folder/x.dat");
    lost.writeString("x");
    EXPECT_FALSE(lost.close());
    EXPECT_TRUE(logHas("Cannot write file no_folder/x.dat"));

    // Names use backslashes and any case; an existing file is replaced, not
    // joined by a second one under another case.
    ASSERT_TRUE(sys::makeDirectories("Levels/Thumb"));
    testutil::writeText("Levels/Thumb/Existing.bmp", "old");
    EXPECT_TRUE(OutFStream("levels\\THUMB\\fresh.bmp").close());
    OutFStream replace("LEVELS\\thumb\\EXISTING.BMP");
    replace.writeString("n");
    EXPECT_TRUE(replace.close());
    std::vector<sys::DirEntry> names = sys::listDirectory("Levels/Thumb/*");
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ("Existing.bmp", names[0].name);
    EXPECT_EQ("fresh.bmp", names[1].name);
    EXPECT_EQ(std::string("\x01\x00n", 3), testutil::readText("Levels/Thumb/Existing.bmp"));
}

TEST(Streams, FitsBoundsCountsByWhatIsLeft)
{
    const int64_t big = std::numeric_limits<int64_t>::max();
    InMemStream in(std::string(100, '\0'));
    EXPECT_TRUE(in.fits(25, 4));
    EXPECT_FALSE(in.fits(26, 4));
    EXPECT_TRUE(in.fits(1000000, 0));
    EXPECT_FALSE(in.fits(-1, 4));
    EXPECT_FALSE(in.fits(4, -1));
    EXPECT_FALSE(in.fits(big / 2 + 1, 2)); // would wrap to a negative product
    EXPECT_FALSE(in.fits(int64_t(1) << 62, 8)); // would wrap to zero
    in.skip(60);
    EXPECT_TRUE(in.fits(10, 4));
    EXPECT_FALSE(in.fits(11, 4));

    testutil::UnsizedStream unsized("abc");
    EXPECT_TRUE(unsized.fits(1000000, 16));
    EXPECT_FALSE(unsized.fits(-5, 1));
    EXPECT_FALSE(unsized.fits(big, 2));
}
