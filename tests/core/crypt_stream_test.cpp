#include "core/crypt_stream.h"

#include "core/error.h"
#include "platform/sys/paths.h"
#include "tests/common/test_util.h"

#include "tests/common/unsized_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

const std::string KEY = "KELDROVAN";


} // namespace

TEST(CryptStream, BytesAreXoredWithTheRepeatingKeyAcrossWrites)
{
    char plain[40];
    for (int i = 0; i < 40; ++i)
        plain[i] = static_cast<char>(i * 7 + 3);
    const std::string original(plain, 40);
    OutMemStream whole, split;
    OutCryptStream one(whole, KEY), two(split, KEY);
    one.write(plain, 40);
    two.write(plain, 3);
    two.write(plain + 3, 5);
    EXPECT_EQ(original, std::string(plain, 40)); // the caller's bytes untouched
    ASSERT_EQ(40u, whole.data().size());
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(static_cast<char>(plain[i] ^ KEY[i % KEY.size()]), whole.data()[i]) << i;
    EXPECT_EQ(whole.data().substr(0, 8), split.data());

    OutMemStream mem;
    InMemStream src(std::string("abc"));
    EXPECT_THROW(OutCryptStream(mem, ""), YError);
    EXPECT_THROW(InCryptStream(src, ""), YError);
}

TEST(CryptStream, RoundTripThroughAFileAfterAPlainHeader)
{
    {
        OutFStream file("table.dat");
        file.write("TBL1", 4);
        OutCryptStream out(file, KEY);
        out.writeString("Player One");
        out.writeValue<int32_t>(123456);
        EXPECT_TRUE(file.close());
    }
    std::string raw = testutil::readText("table.dat");
    EXPECT_EQ(20u, raw.size());
    EXPECT_EQ(std::string::npos, raw.find("Player"));

    for (const std::string& key : {KEY, std::string("KELDROVAM")}) {
        InFStream file("TABLE.DAT");
        file.skip(4);
        InCryptStream in(file, key);
        char name[32];
        int32_t score = 0;
        in.readString(name, sizeof(name));
        in.readValue(score);
        EXPECT_EQ(key == KEY, std::string(name) == "Player One" && score == 123456);
    }
}

TEST(CryptStream, SkipKeepsTheKeyInStep)
{
    OutMemStream mem;
    OutCryptStream out(mem, KEY);
    out.writeString(std::string(50, 'N')); // a long name cut by the reader
    out.writeValue<int32_t>(0x12345678);
    out.write("0123456789", 10);
    out.writeValue<int32_t>(-7);

    for (bool sized : {true, false}) {
        InMemStream memIn(mem.data());
        testutil::UnsizedStream unsizedIn(mem.data());
        InCryptStream in(sized ? static_cast<InStream&>(memIn) : unsizedIn, KEY);
        char small[8];
        in.readString(small, sizeof(small));
        EXPECT_STREQ("NNNNNNN", small);
        int32_t value = 0;
        EXPECT_TRUE(in.readValue(value));
        EXPECT_EQ(0x12345678, value);
        in.skip(10);
        EXPECT_TRUE(in.readValue(value));
        EXPECT_EQ(-7, value);
        EXPECT_TRUE(in.good()) << sized;
    }
}

TEST(CryptStream, StateIsTheInnerStreams)
{
    OutMemStream coded;
    OutCryptStream(coded, KEY).write("xy", 2);
    InMemStream mem(coded.data());
    InCryptStream in(mem, KEY);
    char buffer[4] = {'1', '2', '3', '4'};
    EXPECT_EQ(2, in.read(buffer, 4));
    EXPECT_EQ("xy34", std::string(buffer, 4)); // only what arrived is deciphered
    EXPECT_FALSE(mem.good());

    // A refused text fails the file underneath, which then writes nothing.
    {
        OutFStream file("crypt_refused.dat");
        OutCryptStream out(file, KEY);
        out.writeString(std::string(65536, 'x'));
        EXPECT_FALSE(file.good());
    }
    EXPECT_EQ(sys::PathKind::Missing, sys::pathKind("crypt_refused.dat"));
}
