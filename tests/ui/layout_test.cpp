// Layout files: the page with every tag, parser errors with their lines,
// the digest of protected pages, loading again after a malformed file, and
// notebooks.
#include "tests/ui/ui_fixture.h"

#include "core/md5.h"
#include "ui/ui_container.h"
#include "ui/ui_edit.h"
#include "ui/ui_layout.h"
#include "ui/ui_select.h"
#include "ui/ui_table.h"
#include "ui/ui_text_controls.h"
#include "ui/ui_tracker.h"

#include <cstdio>

namespace {

const std::string DATA = TARVELIN_UI_TEST_DATA;

class Layouts : public uitest::UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        for (const char* name : {"bold", "menu", "menu_hot"})
            uitest::stubFont(name);
        page = new UILayout(&recorder);
        root.reset(page);
        context.root = page;
    }

    // Writes the text as "page.yml" and loads it.
    bool loadText(const std::string& text, bool arrange = true)
    {
        testutil::writeText("page.yml", text);
        return page->load("page.yml", arrange);
    }

    // The "Layout parser error" lines of the log since the test began,
    // without the parser's "Expected '<'." for each character it skips up
    // to the next tag after an error.
    std::vector<std::string> errors() const
    {
        std::vector<std::string> out;
        const std::string log = newLog();
        const std::string prefix = "Layout parser error, file: page.yml, ";
        for (size_t p = log.find(prefix); p != std::string::npos; p = log.find(prefix, p + 1)) {
            const std::string line = log.substr(p + prefix.size(), log.find('\n', p) - p - prefix.size());
            if (line.find("Expected '<'.") == std::string::npos)
                out.push_back(line);
        }
        return out;
    }

    // Window pixels of a point inside a control (the viewport is the page).
    static void clickAt(UIContext& context, const UIControl* c, float dx = 2, float dy = 2)
    {
        float x = dx, y = dy;
        for (const UIControl* p = c; p; p = p->getParent()) {
            x += p->rect.x;
            y += p->rect.y;
        }
        context.mouseDown(1, static_cast<int>(x), static_cast<int>(y));
    }

    template <typename T>
    T* find(const std::string& name) const
    {
        return dynamic_cast<T*>(page->findDescendant(name));
    }

    UILayout* page = nullptr;
};

} // namespace

TEST_F(Layouts, ThePageWithEveryTagBuildsItsControlsAndFiresTheirEvents)
{
    ASSERT_TRUE(page->load(DATA + "/every_tag.yml", true));
    EXPECT_TRUE(errors().empty()) << newLog();
    UISelect* language = find<UISelect>("language");
    ASSERT_NE(nullptr, language);
    EXPECT_EQ(language, page->initialFocus);
    EXPECT_EQ((std::vector<std::string>{"English", "Deutsch", "Francais"}), language->options);
    ASSERT_NE(nullptr, find<UITracker>("musicVol"));
    ASSERT_NE(nullptr, find<UIEdit>("winnername"));
    EXPECT_EQ("Player", find<UIEdit>("winnername")->getText());
    EXPECT_NE(nullptr, find<UIDigitEdit>("level"));
    EXPECT_EQ("v1.12", find<UINamedText>("version")->getText());
    EXPECT_NE(nullptr, find<UIWindow>("settings"));
    EXPECT_NE(nullptr, find<UIHotLink>("more"));
    EXPECT_FALSE(find<UIMenuItem>("hiddenItem")->visible);
    UINotebook* book = find<UINotebook>("book");
    ASSERT_NE(nullptr, book);
    ASSERT_EQ(3u, book->pages.size());
    EXPECT_TRUE(book->pages[0]->visible);
    EXPECT_FALSE(book->pages[1]->visible);
    EXPECT_EQ(book->pages[0], find<UIContainer>("first"));
    EXPECT_EQ(1u, find<UIPages>("stack")->pages.size());
    // The page is centred on the screen.
    EXPECT_NEAR(400, page->rect.x + page->rect.width * 0.5f, 0.01);
    EXPECT_NEAR(300, page->rect.y + page->rect.height * 0.5f, 0.01);

    // Clicks and keys reach the controls by position and fire by name.
    recorder.events.clear();
    clickAt(context, find<UIMenuItem>("onMainMenu"));
    clickAt(context, find<UIHotLink>("more"));
    clickAt(context, find<UIControl>("logo"));
    clickAt(context, language, language->rect.width - 2);
    EXPECT_EQ("Deutsch", language->getSelectedText());
    find<UIEdit>("winnername")->setFocus();
    context.keyDown(13);
    context.keyDown(9); // on to the next text entry
    context.charInput('5');
    context.charInput('x');
    EXPECT_EQ("75", find<UIDigitEdit>("level")->getText());
    // The page set's only page held the focus since it was read.
    EXPECT_EQ((std::vector<std::string>{"2 single", "1 onMainMenu", "0 onMainMenu", "0 more", "0 logo", "2 onMainMenu",
                                        "1 language", "3 language", "2 language", "1 winnername", "0 winnername",
                                        "2 winnername", "1 level"}),
              recorder.events);

    // Arranged again, everything lands where it was.
    const UIRect before = book->rect;
    page->arrangeToPage();
    EXPECT_FLOAT_EQ(before.x, book->rect.x);
    EXPECT_FLOAT_EQ(before.y, book->rect.y);
}

TEST_F(Layouts, ErrorsAreReportedWithTheirLineAndNeverUnwindThePage)
{
    struct Case {
        const char* text;
        std::vector<std::string> errors;
    } cases[] = {
        {"<br/>\n<layout></layout>", {"line 0, Tag outside <layout>."}},
        {"<layout></layout>\n\n<br/>", {"line 2, Tag outside <layout>."}},
        {"<layout>\n<layout></layout>", {"line 1, Tag <layout> must be first in YML."}},
        {"<layout>\n<table>\n<td>a</td>\n</table></layout>",
         {"line 2, Expected <tr>.", "line 2, Error tag </div> or </td>."}},
        {"<layout><td></td></layout>", {"line 0, Expected <table>.", "line 0, Error tag </div> or </td>."}},
        {"<layout></font></table></layout>", {"line 0, Error tag </font>.", "line 0, Error tag </table>."}},
        {"<layout>\n</window></page></div></notebook></layout>",
         {"line 1, Error tag </window>.", "line 1, Error tag </page>.", "line 1, Error tag </div> or </td>.",
          "line 1, Error tag </notebook> or </pages>."}},
        {"<layout><option>x</option></select></layout>",
         {"line 0, Expected <select>.", "line 0, Expected <select>.", "line 0, Expected <select>."}},
        {"<layout><page>x</page></layout>", {"line 0, Expected <notebook>.", "line 0, Error tag </page>."}},
        {"<layout><notebook></notebook></layout>", {"line 0, Notebook or Pages is empty."}},
        {"<layout>\n\n<div align=\"middle\"></div></layout>",
         {"line 2, Unknown align: middle", "line 2, Error tag </div> or </td>."}},
        {"<layout><font color=\"12\">x</font></layout>",
         {"line 0, Error color format.", "line 0, Error tag </font>."}},
        {"<layout><div>\n</layout>", {"line 1, Do not closed blocks tag before </layout>."}},
        {"<layout><div>\ncut", {"line 1, the file ends before </layout>, it may be cut short"}},
        {"<layout><table><tr><td colspan=\"99999\" rowspan=\"-3\">x</td></tr></table></layout>", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        logStart = testutil::logText().size();
        loadText(c.text);
        EXPECT_EQ(c.errors, errors());
    }
    auto* table = dynamic_cast<UITable*>(page->body.items.at(0));
    ASSERT_NE(nullptr, table);
    EXPECT_EQ(UITable::MAX_SPAN, table->rows[0].cells[0].colSpan);
    EXPECT_EQ(1, table->rows[0].cells[0].rowSpan);
}

TEST_F(Layouts, TextIsFoldedAndDroppedWhereNoTagTakesIt)
{
    struct Case {
        const char* text;
        std::vector<std::string> runs; // "x,y text" of the body
        float width, height;
    } cases[] = {
        // Two blanks, a letter, a blank, a line feed, a tab, a blank, a
        // letter, two blanks: the two letters and one blank between.
        {"<layout alignment=\"left\">  a \n\t b  <br/></layout>", {"0,16 a b"}, 24 + 1, 16},
        // Text before </layout> (after the last tag) is not shown.
        {"<layout>ab<br/>cd</layout>", {"0,16 ab"}, 16 + 1, 16},
        // An empty page: size 0, placed by its alignment.
        {"<layout align=\"right\" valign=\"bottom\"></layout>", {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        loadText(c.text);
        std::vector<std::string> runs;
        for (const UITextRun& r : page->body.runs)
            runs.push_back(std::to_string(static_cast<int>(r.x)) + "," + std::to_string(static_cast<int>(r.y)) +
                           " " + r.text);
        EXPECT_EQ(c.runs, runs);
        EXPECT_FLOAT_EQ(c.width, page->rect.width);
        EXPECT_FLOAT_EQ(c.height, page->rect.height);
    }
    EXPECT_FLOAT_EQ(800, page->rect.x);
    EXPECT_FLOAT_EQ(600, page->rect.y);

    // Only "number" in lower case makes a digit entry.
    loadText("<layout><edit name=\"e\" type=\"Number\"/><edit name=\"d\" type=\"number\"/></layout>");
    EXPECT_EQ(nullptr, find<UIDigitEdit>("e"));
    EXPECT_NE(nullptr, find<UIEdit>("e"));
    EXPECT_NE(nullptr, find<UIDigitEdit>("d"));
}

TEST_F(Layouts, WindowsTakeTheirRequestedWidthOrAtLeastTheirCaption)
{
    loadText("<layout><window name=\"w\" caption=\"Box\" width=\"200\" margin=\"8\">x</window><br/>"
             "<window name=\"c\" caption=\"A long caption\" margin=\"4\">x</window></layout>");
    UIWindow* w = find<UIWindow>("w");
    UIWindow* c = find<UIWindow>("c");
    // The requested width is the whole window's: the page is as wide, and
    // centring it keeps the window inside it.
    EXPECT_FLOAT_EQ(200, w->rect.width);
    EXPECT_FLOAT_EQ(200, page->rect.width);
    EXPECT_FLOAT_EQ(300, page->rect.x);
    EXPECT_FLOAT_EQ(0, w->rect.x);
    // Text inside the margins: left 8, top 8 / 2 + 16 (room for the
    // caption), on a line of 16.
    ASSERT_EQ(1u, w->content->runs.size());
    EXPECT_FLOAT_EQ(8, w->content->runs[0].x);
    EXPECT_FLOAT_EQ(20 + 16, w->content->runs[0].y);
    EXPECT_FLOAT_EQ(14 * 8, c->captionWidth);
    EXPECT_GE(c->rect.width, c->captionWidth);
}

TEST_F(Layouts, AProtectedPageMatchesOnlyItsOwnDigest)
{
    page->protectRequired = true;
    const std::string body = "<layout align=\"left\" protect=\"%s\">\n  Hello  <font size=\"20\">world</font>\n</layout>\n";
    auto withDigest = [&](const std::string& digest, const std::string& text) {
        char buffer[256];
        std::snprintf(buffer, sizeof(buffer), text.c_str(), digest.c_str());
        return std::string(buffer);
    };
    // The digest covers the characters above the blank from after the start
    // tag to "</layout".
    const std::string covered = "Hello<fontsize=\"20\">world</font></layout";
    unsigned char d[16];
    CMD5Checksum::digest(reinterpret_cast<const unsigned char*>(covered.data()), static_cast<unsigned>(covered.size()),
                         d);
    const std::string digest = md5ToHex(d);
    std::string upper = digest;
    for (char& ch : upper)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));

    struct Case {
        const char* what;
        std::string text;
        bool passes;
    } cases[] = {
        {"own digest", withDigest(digest, body), true},
        {"upper case", withDigest(upper, body), true},
        {"longer than 32", withDigest(digest + "ff", body), true},
        {"blanks and lines moved", withDigest(digest, "<layout protect=\"%s\">Hello\n\n\t<font   size=\"20\" >world</font ></layout>"), true},
        {"one character changed", withDigest(digest, "<layout protect=\"%s\">Hellp<font size=\"20\">world</font></layout>"), false},
        {"blank", withDigest("", body), false},
        {"cut short", withDigest(digest.substr(0, 31), body), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.passes, loadText(c.text));
        EXPECT_EQ(c.passes ? "" : "Protect error.", page->loadError());
        if (c.passes) {
            EXPECT_EQ(digest, page->contentDigest());
        }
    }
    // Without the requirement nothing is checked.
    page->protectRequired = false;
    EXPECT_TRUE(loadText(withDigest("", body)));
}

TEST_F(Layouts, ALoadAfterAMalformedFileStartsFromNothing)
{
    // Everything left open: a notebook, its page, an option list.
    loadText("<layout><notebook name=\"nb\"><page><select name=\"s\"><option>One");
    ASSERT_NE(nullptr, find<UISelect>("s"));
    logStart = testutil::logText().size();
    loadText("<layout><option>Two</option></page></notebook><text name=\"t\">ok</text></layout>");
    EXPECT_EQ((std::vector<std::string>{"line 0, Expected <select>.", "line 0, Expected <select>.",
                                        "line 0, Error tag </page>.", "line 0, Error tag </notebook> or </pages>."}),
              errors());
    EXPECT_EQ(nullptr, find<UISelect>("s"));
    EXPECT_NE(nullptr, find<UINamedText>("t"));
    // The page shown while being loaded again, with the pointer over it.
    loadText("<layout><menuitem name=\"m\">Go</menuitem></layout>");
    context.mouseMove(400, 8);
    EXPECT_TRUE(find<UIMenuItem>("m")->isFocused());
    loadText("<layout><menuitem name=\"m\">Go</menuitem></layout>");
    context.mouseMove(401, 8);
    context.keyDown(13);
    EXPECT_EQ("0 m", recorder.events.back());
}

TEST_F(Layouts, NotebookTabsSwitchPagesByClickAndTabbingLeavesThePage)
{
    loadText("<layout><notebook name=\"nb\" width=\"300\" height=\"100\">"
             "<page name=\"p1\" caption=\"One\"><menuitem name=\"a\">A</menuitem></page>"
             "<page name=\"p2\" caption=\"Two\"><menuitem name=\"b\">B</menuitem></page>"
             "<page name=\"p3\" caption=\"Three\"><menuitem name=\"c\">C</menuitem></page>"
             "</notebook><menuitem name=\"after\">After</menuitem></layout>");
    UINotebook* nb = find<UINotebook>("nb");
    ASSERT_NE(nullptr, nb);
    // Children: tab, page, tab, page, tab, page.
    ASSERT_EQ(6u, nb->getChildren().size());
    EXPECT_EQ(nb->tabs[1], nb->getChildren()[2]);
    EXPECT_FLOAT_EQ(10, nb->tabs[0]->rect.x);
    EXPECT_FLOAT_EQ(10 + 24 + 12, nb->tabs[1]->rect.x); // "One" is 24 wide

    clickAt(context, nb->tabs[2]);
    EXPECT_FALSE(nb->pages[0]->visible);
    EXPECT_TRUE(nb->pages[2]->visible);
    EXPECT_TRUE(find<UIMenuItem>("c")->isFocused());
    EXPECT_EQ(2, nb->currentPage());

    // Tabbing back into the notebook (its first tab takes the focus) keeps
    // the third page.
    find<UIMenuItem>("after")->setFocus();
    keys.hold(16, true);
    context.keyDown(9);
    keys.hold(16, false);
    EXPECT_EQ(nb->tabs[0], nb->findFocused());
    EXPECT_EQ(2, nb->currentPage());
    EXPECT_TRUE(nb->pages[2]->visible);

    // Back to the first page: the hidden third page takes no keys.
    clickAt(context, nb->tabs[0]);
    EXPECT_FALSE(find<UIMenuItem>("c")->isFocused());
    recorder.events.clear();
    context.keyDown(13);
    EXPECT_EQ(std::vector<std::string>{"0 a"}, recorder.events);

    nb->selectPage(7);
    EXPECT_EQ(2, nb->currentPage());
    UIPages empty(UIFontStyle::base());
    empty.selectPage(1);
    UINotebook bare(UIFontStyle::base(), YVec4(1, 1, 1, 1));
    bare.draw(); // no tab to outline
    EXPECT_EQ(0, empty.currentPage());
}
