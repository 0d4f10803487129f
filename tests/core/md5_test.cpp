#include "core/md5.h"

#include "platform/sys/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string hexOf(const std::string& text)
{
    unsigned char d[16];
    CMD5Checksum::digest(reinterpret_cast<const unsigned char*>(text.data()),
                         static_cast<unsigned int>(text.size()), d);
    return md5ToHex(d);
}

} // namespace

TEST(Md5, Rfc1321TestSuite)
{
    EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", hexOf(""));
    EXPECT_EQ("0cc175b9c0f1b6a831c399e269772661", hexOf("a"));
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", hexOf("abc"));
    EXPECT_EQ("f96b697d7cb7938d525a2f31aaf161d0", hexOf("message digest"));
    EXPECT_EQ("c3fcd3d76192e4007dfb496cca67e13b", hexOf("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ("d174ab98d277d9f5a5611c2c9f419d9f",
              hexOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"));
    EXPECT_EQ("57edf4a22be3c955ac49da2e2107b67a",
              hexOf("1234567890123456789012345678901234567890"
                    "1234567890123456789012345678901234567890"));
    EXPECT_EQ("7707d6ae4e027c70eea2a935c2296f21", hexOf(std::string(1000000, 'a')));
}

TEST(Md5, AnyPiecesEqualOneUpdate)
{
    std::vector<unsigned char> data(1 << 20);
    sys::Random r(99);
    for (unsigned char& b : data)
        b = static_cast<unsigned char>(r.next());

    // Every cut of lengths around the block and padding edges.
    for (unsigned int total : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u}) {
        unsigned char whole[16], parts[16];
        CMD5Checksum::digest(data.data(), total, whole);
        for (unsigned int cut = 0; cut <= total; ++cut) {
            CMD5Checksum sum;
            sum.update(data.data(), cut);
            sum.update(data.data() + cut, total - cut);
            sum.final(parts);
            ASSERT_EQ(md5ToHex(whole), md5ToHex(parts)) << total << " cut at " << cut;
        }
    }

    // 1 MB in random pieces; then the same object starts a new message.
    unsigned char whole[16], parts[16];
    CMD5Checksum::digest(data.data(), static_cast<unsigned int>(data.size()), whole);
    CMD5Checksum sum;
    for (size_t pos = 0; pos < data.size();) {
        size_t piece = std::min<size_t>(static_cast<size_t>(r.next() % 300), data.size() - pos);
        sum.update(data.data() + pos, static_cast<unsigned int>(piece));
        pos += piece;
    }
    sum.final(parts);
    EXPECT_EQ(md5ToHex(whole), md5ToHex(parts));
    sum.update(reinterpret_cast<const unsigned char*>("abc"), 3);
    sum.final(parts);
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", md5ToHex(parts));
}
