#include "game/score_table.h"

#include "core/crypt_stream.h"
#include "core/streams.h"
#include "core/file_list.h"
#include "platform/sys/files.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Rows = std::vector<std::pair<std::string, uint32_t>>;

Rows rowsOf(const YScoreTable& table)
{
    Rows rows;
    for (int32_t i = 0; i < table.count(); ++i)
        rows.emplace_back(table.entry(i).name, table.entry(i).score);
    return rows;
}

// A score file written by hand: the plain header, then the body as given,
// enciphered.
std::string scoreFile(const std::string& body, const char* magic = "BBSC", uint32_t version = 1)
{
    OutMemStream out;
    out.write(magic, 4);
    out.writeValue(version);
    OutCryptStream crypt(out, YScoreTable::KEY);
    crypt.write(body.data(), static_cast<int>(body.size()));
    return out.data();
}

std::string body(uint32_t count, const Rows& rows)
{
    OutMemStream out;
    out.writeValue(count);
    for (const auto& r : rows) {
        out.writeString(r.first);
        out.writeValue(r.second);
    }
    return out.data();
}

class ScoreTable : public ::testing::Test {
protected:
    YScoreTable table;
};

} // namespace

TEST_F(ScoreTable, InsertKeepsTheBestFirstWithTiesBelow)
{
    struct Case {
        Rows before;
        uint32_t score;
        bool enters;
        int32_t row;
    };
    const Rows full = {{"a", 700}, {"b", 600}, {"c", 500}, {"d", 400}, {"e", 300}, {"f", 200}, {"g", 100}};
    const Case cases[] = {
        {{}, 5, true, 0},                         // an empty table
        {{{"a", 50}, {"b", 10}}, 50, true, 1},    // equal: below the earlier one
        {{{"a", 50}, {"b", 10}}, 10, true, 2},    // equal to the last: appended
        {{{"a", 50}, {"b", 10}}, 0, true, 2},     // room left: even 0 enters
        {full, 100, false, -1},                   // full, equal to the lowest
        {full, 101, true, 6},                     // the old lowest drops out
        {full, 800, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.score);
        YScoreTable t;
        for (const auto& r : c.before) {
            ASSERT_TRUE(t.insert(r.second));
            t.setPendingName(r.first); // no file: names without saving
        }
        EXPECT_EQ(c.enters, t.insert(c.score));
        EXPECT_EQ(c.row, t.pendingRow());
        EXPECT_LE(t.count(), YScoreTable::MAX_COUNT);
        if (c.enters) {
            EXPECT_EQ(c.score, t.entry(c.row).score);
            EXPECT_EQ("", t.entry(c.row).name);
        }
        for (int32_t i = 1; i < t.count(); ++i)
            EXPECT_GE(t.entry(i - 1).score, t.entry(i).score);
    }
}

TEST_F(ScoreTable, NamedRowsRoundTripThroughTheEncipheredFile)
{
    table.load("scores.dat"); // none yet
    EXPECT_EQ(0, table.count());
    const Rows rows = {{"Ann", 900}, {"", 900}, {"Bo b\xe9", 12}};
    for (const auto& r : rows) {
        ASSERT_TRUE(table.insert(r.second));
        table.setPendingName(r.first);
    }
    EXPECT_EQ(-1, table.pendingRow());

    const std::string bytes = testutil::readText("scores.dat");
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(std::string("BBSC\x01\x00\x00\x00", 8), bytes.substr(0, 8));
    EXPECT_EQ(std::string::npos, bytes.find("Ann")) << "the names are stored enciphered";
    EXPECT_EQ(scoreFile(body(3, {{"Ann", 900}, {"", 900}, {"Bo b\xe9", 12}})), bytes);

    YScoreTable back;
    back.load("SCORES.DAT");
    EXPECT_EQ(rowsOf(table), rowsOf(back));

    // Naming with no row waiting writes nothing.
    ASSERT_TRUE(sys::removeFile("scores.dat"));
    back.setPendingName("late");
    EXPECT_FALSE(fileExists("scores.dat", false));
}

TEST_F(ScoreTable, DamagedFilesKeepWhatIsWholeAndNothingElse)
{
    const Rows ten = {{"r0", 10}, {"r1", 9}, {"r2", 8}, {"r3", 7}, {"r4", 6},
                      {"r5", 5},  {"r6", 4}, {"r7", 3}, {"r8", 2}, {"r9", 1}};
    const Rows seven(ten.begin(), ten.begin() + 7);
    const std::string whole = body(3, {{"one", 3}, {"two", 2}, {"three", 1}});
    struct Case {
        const char* what;
        std::string file;
        Rows expected;
    };
    const Case cases[] = {
        {"a count of 1000 reads seven rows", scoreFile(body(1000, ten)), seven},
        {"more than seven rows are cut", scoreFile(body(10, ten)), seven},
        {"cut inside the third score", scoreFile(whole.substr(0, whole.size() - 2)), {{"one", 3}, {"two", 2}}},
        {"cut inside the second name", scoreFile(whole.substr(0, 4 + 2 + 3 + 4 + 2 + 1)), {{"one", 3}}},
        {"cut inside the count", scoreFile(whole.substr(0, 3)), {}},
        {"the header alone", scoreFile(""), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testutil::writeText("scores.dat", c.file);
        YScoreTable t;
        t.load("scores.dat");
        EXPECT_EQ(c.expected, rowsOf(t));
    }

    // Another magic or version, or a file too short for the header, is
    // ignored like a missing one: the table keeps its rows.
    for (const std::string& foreign : {scoreFile(whole, "BBSD"), scoreFile(whole, "BBSC", 2), std::string("BBSC\x01")}) {
        testutil::writeText("scores.dat", foreign);
        YScoreTable t;
        ASSERT_TRUE(t.insert(42));
        t.load("scores.dat");
        EXPECT_EQ((Rows{{"", 42}}), rowsOf(t));
    }
}

TEST_F(ScoreTable, ALongNameIsCutAndTheRowsAfterItStayInStep)
{
    table.load("scores.dat");
    ASSERT_TRUE(table.insert(500));
    table.setPendingName(std::string(300, 'x'));
    EXPECT_EQ(std::string(255, 'x'), table.entry(0).name);
    ASSERT_TRUE(table.insert(400));
    table.setPendingName("after");

    // A file from elsewhere holding a 300-byte name reads the same way.
    testutil::writeText("long.dat", scoreFile(body(2, {{std::string(300, 'y'), 5}, {"next", 4}})));
    for (const char* file : {"scores.dat", "long.dat"}) {
        SCOPED_TRACE(file);
        YScoreTable back;
        back.load(file);
        ASSERT_EQ(2, back.count());
        EXPECT_EQ(255u, back.entry(0).name.size());
        EXPECT_EQ(std::string(file) == "scores.dat" ? "after" : "next", back.entry(1).name);
    }
}

TEST_F(ScoreTable, AFailedSaveIsLoggedAndKeepsWhatWasThere)
{
    EXPECT_FALSE(table.save()) << "no file given yet";

    // A folder stands where the file would go: the new file cannot be
    // renamed into place.
    testutil::writeText("scores.dat/inside", "kept");
    table.load("scores.dat");
    ASSERT_TRUE(table.insert(20));
    const size_t mark = testutil::logText().size();
    table.setPendingName("lost");
    EXPECT_TRUE(testutil::logHas("The high scores could not be saved to scores.dat", mark));
    EXPECT_EQ("kept", testutil::readText("scores.dat/inside"));
    EXPECT_FALSE(table.save());
}
