// Text flow and tables, with numbers worked out by hand: with the stub font
// at size 10 every character and the blank are 5 units wide.
#include "tests/ui/ui_fixture.h"

#include "ui/ui_blocks.h"
#include "ui/ui_table.h"

#include <cmath>

namespace {

class Blocks : public uitest::UITest {
protected:
    UIFontStyle style10() const
    {
        UIFontStyle s = UIFontStyle::base();
        s.size = 10;
        return s;
    }
    UIText* text(const std::string& t) const { return new UIText(t, style10(), UIA_LEFT); }

    // "x,y text" of every placed run.
    static std::vector<std::string> runs(const UIMultiBlock& b)
    {
        std::vector<std::string> out;
        for (const UITextRun& r : b.runs) {
            char buffer[64];
            std::snprintf(buffer, sizeof(buffer), "%g,%g ", static_cast<double>(r.x), static_cast<double>(r.y));
            out.push_back(buffer + r.text);
        }
        return out;
    }

    static void arrange(UIMultiBlock& b, float width)
    {
        float mn = 0, mx = 0;
        b.measure(mn, mx);
        b.layout(width);
        b.place(0, 0);
    }
};

} // namespace

TEST_F(Blocks, TextBreaksIntoLinesKeepingTheBlankWithTheWordThatStartsALine)
{
    struct Case {
        const char* text;
        float width;
        std::vector<std::string> runs;
        float height;
    } cases[] = {
        {"aaaa bbbb cccc", 100, {"0,10 aaaa bbbb cccc"}, 10},
        // Overflow is strictly greater: 70 fits in 70.
        {"aaaa bbbb cccc", 70, {"0,10 aaaa bbbb cccc"}, 10},
        {"aaaa bbbb cccc", 50, {"0,10 aaaa bbbb", "0,20 cccc"}, 20},
        // An over-wide first word: an empty line first, then the word alone.
        {"aaaaaaaa b", 30, {"0,10 ", "0,20 aaaaaaaa", "0,30 b"}, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in " + std::to_string(c.width));
        UIMultiBlock b;
        b.add(text(c.text));
        b.layout(c.width);
        EXPECT_EQ(c.runs, runs(b));
        EXPECT_FLOAT_EQ(c.height, b.rect.height);
    }
    // Measured: the widest word, and the whole line plus one.
    UIText t("aaaa bb  c\td", style10(), UIA_LEFT);
    EXPECT_FLOAT_EQ(20, t.minWidth);
    EXPECT_FLOAT_EQ(20 + 10 + 5 + 5 + 3 * 5 + 1, t.maxWidth);
}

TEST_F(Blocks, BreaksSpacersControlsAndNestedBlocksShareLinesBottomAligned)
{
    // A break on an empty line adds its height; after text it ends the line.
    UIMultiBlock b;
    b.add(new UIBR(10));
    b.add(text("ab"));
    b.add(new UIBR(10));
    b.add(text("cd"));
    b.layout(100);
    EXPECT_EQ((std::vector<std::string>{"0,20 ab", "0,30 cd"}), runs(b));
    EXPECT_FLOAT_EQ(30, b.rect.height);

    // A 32-unit picture and 16-unit text: the text's run sits at the
    // picture's bottom, after a blank.
    UIControl picture(UIRect(0, 0, 40, 32), nullptr);
    UIMultiBlock line;
    line.add(new UIControlBlock(&picture));
    UIFontStyle s16 = style10();
    s16.size = 16;
    line.add(new UIText("x", s16, UIA_LEFT));
    arrange(line, 200);
    EXPECT_FLOAT_EQ(0, picture.rect.y);
    EXPECT_EQ(std::vector<std::string>{"40,32  x"}, runs(line));

    // Centred: a line of 300 in a block of 500 moves by 100; a spacer too
    // wide for the rest of the line starts the next one.
    UIControl wide(UIRect(0, 0, 300, 20), nullptr);
    UIMultiBlock centred(UIA_CENTER);
    centred.add(new UIControlBlock(&wide));
    centred.add(new UISpacer(250, 40));
    arrange(centred, 500);
    EXPECT_FLOAT_EQ(100, wide.rect.x);
    EXPECT_FLOAT_EQ(60, centred.rect.height);

    // A hidden control takes no room; a control deleted before the block
    // is simply skipped.
    UIControl* gone = new UIControl(UIRect(0, 0, 50, 50), nullptr);
    UIControl hidden(UIRect(0, 0, 50, 50), nullptr);
    hidden.visible = false;
    UIMultiBlock skip;
    skip.add(new UIControlBlock(&hidden));
    skip.add(new UIControlBlock(gone));
    delete gone;
    arrange(skip, 100);
    EXPECT_FLOAT_EQ(0, skip.rect.height);
}

TEST_F(Blocks, TableColumnsShareTheWidthAndKeepTheirMinimum)
{
    // Column 0: one word of 90 (minimum 90, maximum 91); column 1: four
    // words of 20 (minimum 20, maximum 4 x 20 + 3 x 5 + 1 = 96). Cell
    // spacing 4.
    UIMultiBlock page;
    UITable* t = new UITable(4, 0, 0);
    page.add(t);
    t->nextRow(0);
    t->nextCell().content.reset(new UIMultiBlock());
    t->cellAt(0, 0)->content->add(text(std::string(18, 'a')));
    t->spanCurrentCell(1, 1);
    t->nextCell().content.reset(new UIMultiBlock());
    t->cellAt(0, 1)->content->add(text("bbbb bbbb bbbb bbbb"));
    t->spanCurrentCell(1, 1);
    t->nextRow(0); // a short row: its cells stay empty
    float mn = 0, mx = 0;
    page.measure(mn, mx);
    EXPECT_FLOAT_EQ(90 + 20 + 4, mn);
    EXPECT_FLOAT_EQ(91 + 96 + 4, mx);

    // At 154: proportional widths 150 x 91/187 = 72.99 and 77.01; column 0
    // is raised to 90 and column 1 gives the 17.01 back.
    page.layout(154);
    EXPECT_FLOAT_EQ(90, t->columns[0].width);
    EXPECT_NEAR(60, t->columns[1].width, 1e-3);
    EXPECT_FLOAT_EQ(94, t->cellAt(0, 1)->content->rect.x);
    EXPECT_FLOAT_EQ(0, t->rows[1].height);
    EXPECT_FLOAT_EQ(20 + 4, t->rect.height); // two lines of text, then the empty row after the spacing

    // A requested width is both the minimum and the maximum.
    UITable fixed(0, 120, 0);
    fixed.nextRow(0);
    fixed.nextCell().content.reset(new UIMultiBlock());
    fixed.cellAt(0, 0)->content->add(text(std::string(60, 'x')));
    fixed.spanCurrentCell(1, 1);
    mn = mx = 0;
    fixed.measure(mn, mx);
    EXPECT_FLOAT_EQ(120, mn);
    EXPECT_FLOAT_EQ(120, mx);
}

TEST_F(Blocks, SpansCoverCellsAndWidenTheColumnsTheyCross)
{
    // Row 0: A (rowspan 2), B. Row 1: the first td lands in column 1.
    // Row 2: C spans both columns and needs 100 of minimum over columns
    // whose minimums are 20 and 30.
    UITable t(0, 0, 0);
    auto cell = [&](const std::string& words, int rows, int cols) {
        UITableCell& c = t.nextCell();
        c.content.reset(new UIMultiBlock());
        c.content->add(text(words));
        t.spanCurrentCell(rows, cols);
    };
    t.nextRow(0);
    cell("aaaa", 2, 1); // 20 wide
    cell("bbbbbb", 1, 1); // 30 wide
    t.nextRow(0);
    cell("dd", 1, 1);
    EXPECT_EQ(1, t.currentColumn);
    EXPECT_TRUE(t.cellAt(1, 0)->isCovered());
    t.nextRow(0);
    cell(std::string(20, 'c'), 1, 2);
    float mn = 0, mx = 0;
    t.measure(mn, mx);
    EXPECT_FLOAT_EQ(40, t.columns[0].minWidth);
    EXPECT_FLOAT_EQ(60, t.columns[1].minWidth);

    // Spans are capped: a huge one cannot build a huge grid.
    UITable big(0, 0, 0);
    big.nextRow(0);
    big.nextCell();
    big.spanCurrentCell(1000000, 1000000);
    EXPECT_EQ(UITable::MAX_SPAN, static_cast<int>(big.rows.size()));
    EXPECT_EQ(static_cast<size_t>(UITable::MAX_SPAN), big.rows[0].cells.size());
}

TEST_F(Blocks, EmptyCellsRowsWithoutHeightAndTablesWithoutRowsStayFinite)
{
    struct Case {
        const char* what;
        int rows, cols;
        float width, height;
    } cases[] = {{"no rows", 0, 0, 0, 0},
                 {"no rows, sized", 0, 0, 100, 50},
                 {"empty cells", 2, 2, 0, 0},
                 {"empty cells, sized", 2, 2, 100, 60}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UIMultiBlock page;
        UITable* t = new UITable(2, c.width, c.height);
        page.add(t);
        for (int r = 0; r < c.rows; ++r) {
            t->nextRow(0);
            for (int k = 0; k < c.cols; ++k) {
                t->nextCell().content.reset(new UIMultiBlock());
                t->spanCurrentCell(1, 1);
            }
        }
        arrange(page, 300);
        EXPECT_TRUE(std::isfinite(t->rect.width) && std::isfinite(t->rect.height));
        for (const UITableColumn& col : t->columns)
            EXPECT_TRUE(std::isfinite(col.width));
        for (const UITableRow& row : t->rows)
            EXPECT_TRUE(std::isfinite(row.height));
        if (c.rows && c.width > 0) {
            EXPECT_FLOAT_EQ(49, t->columns[0].width); // (100 - 2) / 2
            EXPECT_FLOAT_EQ(29, t->rows[1].height);   // (60 - 2) / 2
        }
    }
}
