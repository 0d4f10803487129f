// The RIFF chunk reader: descending, reading within chunks, and sizes that
// claim more than the file holds.
#include "platform/snd/riff.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string le32(uint32_t v)
{
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

std::string chunk(const char* id, const std::string& body, int64_t declared = -1)
{
    return std::string(id, 4) + le32(declared < 0 ? static_cast<uint32_t>(body.size()) : static_cast<uint32_t>(declared)) +
           body + (body.size() % 2 ? std::string(1, '\0') : std::string());
}

} // namespace

TEST(SndRiff, DescendsPastOtherChunksAndPadBytes)
{
    std::string file = chunk("RIFF", "WAVE" + chunk("junk", "abc") + chunk("fmt ", "0123456789abcdef") + chunk("data", "xyzw"));
    snd::RiffReader r;
    r.openData(file);
    snd::RiffChunk riff, fmt, data;
    ASSERT_TRUE(r.descend(riff, nullptr, snd::fourCC("RIFF"), snd::fourCC("WAVE")));
    ASSERT_TRUE(r.descend(fmt, &riff, snd::fourCC("fmt ")));
    EXPECT_EQ(16u, fmt.size);
    char buf[32] = {};
    EXPECT_EQ(16u, r.read(fmt, buf, sizeof(buf))); // never past the chunk
    EXPECT_EQ("0123456789abcdef", std::string(buf, 16));
    r.ascend(fmt);
    ASSERT_TRUE(r.descend(data, &riff, snd::fourCC("data")));
    EXPECT_EQ(4u, r.read(data, buf, 10));
    EXPECT_EQ("xyzw", std::string(buf, 4));
    EXPECT_FALSE(r.descend(data, &riff, snd::fourCC("LIST")));
}

TEST(SndRiff, WrongFormTypeOrMissingChunkFails)
{
    snd::RiffReader r;
    r.openData(chunk("RIFF", "AVI " + chunk("data", "ab")));
    snd::RiffChunk riff;
    EXPECT_FALSE(r.descend(riff, nullptr, snd::fourCC("RIFF"), snd::fourCC("WAVE")));
    r.openData("RIF");
    EXPECT_FALSE(r.descend(riff, nullptr, snd::fourCC("RIFF")));
    EXPECT_FALSE(r.open("no such file.wav"));
}

TEST(SndRiff, SizesBeyondTheDataAreCut)
{
    // The data chunk claims 1,000,000 bytes but 6 follow; the RIFF chunk
    // claims less than its children need.
    std::string file = chunk("RIFF", "WAVE" + chunk("data", "abcdef", 1000000), 8);
    snd::RiffReader r;
    r.openData(file);
    snd::RiffChunk riff, data;
    ASSERT_TRUE(r.descend(riff, nullptr, snd::fourCC("RIFF"), snd::fourCC("WAVE")));
    EXPECT_EQ(4u, riff.size); // 8 declared, less the form type
    // The child lies outside what its parent claims: not found.
    EXPECT_FALSE(r.descend(data, &riff, snd::fourCC("data")));

    snd::RiffReader r2;
    r2.openData(chunk("RIFF", "WAVE" + chunk("data", "abcdef", 1000000)));
    ASSERT_TRUE(r2.descend(riff, nullptr, snd::fourCC("RIFF"), snd::fourCC("WAVE")));
    ASSERT_TRUE(r2.descend(data, &riff, snd::fourCC("data")));
    EXPECT_EQ(1000000u, data.declaredSize);
    EXPECT_EQ(6u, data.size);
    char buf[16];
    EXPECT_EQ(6u, r2.read(data, buf, sizeof(buf)));
    r2.ascend(data);
    EXPECT_EQ(0u, r2.read(data, buf, sizeof(buf)));
}
