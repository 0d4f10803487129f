// The widgets: option lists, sliders, text entries, links, menu items and
// named texts, with the stub font (a character is half the size wide).
#include "tests/ui/ui_fixture.h"

#include "platform/wnd/window.h"
#include "ui/ui_edit.h"
#include "ui/ui_image.h"
#include "ui/ui_select.h"
#include "ui/ui_text_controls.h"
#include "ui/ui_tracker.h"

#include <cmath>

using uitest::Probe;

namespace {

class Widgets : public uitest::UITest {
protected:
    // The control as the only child of a shown root, which also records
    // the keys that bubble up to it.
    template <typename T>
    T* host(T* control)
    {
        root = std::make_unique<Probe>("root", UIRect(0, 0, 800, 600));
        root->addChild(control);
        context.root = root.get();
        return control;
    }

    UIFontStyle style(float size) const
    {
        UIFontStyle s = UIFontStyle::base();
        s.size = size;
        return s;
    }
};

const YVec4 ORANGE(1, 0.5f, 0, 1), RED(1, 0, 0, 1);

} // namespace

TEST_F(Widgets, OptionListStepsWrapsClampsAndSurvivesHavingNoOptions)
{
    UISelect* s = host(new UISelect(style(10), nullptr, ORANGE, RED, nullptr, 0));
    s->name = "list";
    // No options: keys and clicks change nothing, drawing shows nothing.
    s->setFocus();
    recorder.events.clear();
    EXPECT_TRUE(context.keyDown(39));
    EXPECT_TRUE(context.keyDown(37));
    context.mouseDown(1, 1, 1);
    s->draw();
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ("", s->getSelectedText());
    s->setSelectedIndex(4);
    EXPECT_EQ(-1, s->getSelectedIndex());
    s->selectByText("x");
    EXPECT_EQ(-1, s->getSelectedIndex());

    for (const char* o : {"low", "Medium", "high"})
        s->addOption(o);
    struct Step {
        const char* action;
        int index;
    } steps[] = {
        {"next", 0},   // from no selection: the first
        {"prev", 2},   // wraps from the first to the last
        {"next", 0},   // wraps from the last to the first
        {"set 7", 2},  // clamped, nothing fired
        {"set -3", 0},
        {"text MEDIUM", 1},
        {"text none", 0},
        {"clear", -1}, // no selection
        {"prev", 2},   // from no selection (after refilling): the last
    };
    int fired = 0;
    for (const Step& st : steps) {
        SCOPED_TRACE(st.action);
        const std::string a = st.action;
        recorder.events.clear();
        if (a == "next") {
            EXPECT_TRUE(context.keyDown(32));
            ++fired;
        } else if (a == "prev") {
            EXPECT_TRUE(context.keyDown(37));
            ++fired;
        } else if (a.rfind("set ", 0) == 0) {
            s->setSelectedIndex(std::stoi(a.substr(4)));
        } else if (a.rfind("text ", 0) == 0) {
            s->selectByText(a.substr(5));
        } else {
            s->clearOptions();
            EXPECT_EQ(-1, s->getSelectedIndex());
            for (const char* o : {"low", "Medium", "high"})
                s->addOption(o);
        }
        EXPECT_EQ(st.index, s->getSelectedIndex());
        const bool changes = a == "next" || a == "prev";
        EXPECT_EQ(changes ? std::vector<std::string>{"3 list"} : std::vector<std::string>{}, recorder.events);
    }
    EXPECT_EQ("high", s->getSelectedText());
    EXPECT_FALSE(context.keyDown(40)); // up and down are the parent's

    // Focused, the text is drawn in the list's colour after the left button.
    render->calls.clear();
    s->draw();
    EXPECT_EQ(std::vector<std::string>{"0 10 high"}, texts());
}

TEST_F(Widgets, OptionListButtonsStepBackAndForth)
{
    UISelect* s = host(new UISelect(style(10), nullptr, ORANGE, RED, getShader("ui_select"), 40));
    for (const char* o : {"a", "b", "c"})
        s->addOption(o);
    s->updateGeometry();
    // Text width 40 (wider than any option), plus two buttons of 7.
    EXPECT_FLOAT_EQ(54, s->rect.width);
    EXPECT_FLOAT_EQ(10, s->rect.height);
    context.mouseDown(1, 2, 5); // the left button
    EXPECT_EQ(2, s->getSelectedIndex());
    EXPECT_EQ(3, currentPointerKind());
    context.mouseDown(1, 30, 5); // the text: nothing
    EXPECT_EQ(2, s->getSelectedIndex());
    context.mouseDown(1, 50, 5); // the right button
    EXPECT_EQ(0, s->getSelectedIndex());
    EXPECT_TRUE(s->isFocused()); // hovering focused it
}

TEST_F(Widgets, SliderClampsFiresOnlyOnChangeAndFollowsTheDrag)
{
    UITracker* t = host(new UITracker(UIRect(0, 0, 50, 10), nullptr, nullptr, nullptr, ORANGE, ORANGE, RED));
    t->name = "vol";
    struct Case {
        float set;
        float value;
        bool fires;
    } cases[] = {
        {1.7f, 1.0f, true}, {1.0f, 1.0f, false}, {-2.0f, 0.0f, true}, {NAN, 0.0f, false}, {0.25f, 0.25f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        recorder.events.clear();
        t->setValue(c.set);
        EXPECT_FLOAT_EQ(c.value, t->getValue());
        EXPECT_EQ(c.fires ? 1u : 0u, recorder.events.size());
    }
    t->setFocus();
    EXPECT_TRUE(context.keyDown(39));
    EXPECT_NEAR(0.35f, t->getValue(), 1e-6);
    EXPECT_FALSE(context.keyDown(38));

    context.mouseDown(1, 20, 5);
    EXPECT_FLOAT_EQ(0.4f, t->getValue());
    context.mouseMove(40, 5);
    EXPECT_FLOAT_EQ(0.8f, t->getValue());
    context.mouseUp(1, 45, 5);
    EXPECT_FLOAT_EQ(0.9f, t->getValue());
    context.mouseMove(10, 5); // no drag any more
    EXPECT_FLOAT_EQ(0.9f, t->getValue());

    // No width: the pointer gives 0, never NaN.
    t->rect.width = 0;
    t->onMouseDown(1, 0, 5);
    EXPECT_EQ(0.0f, t->getValue());
}

TEST_F(Widgets, TextEntryKeepsItsLimitsPastesThroughThemAndLetsKeysItCannotUseGo)
{
    // Width: "W" x 3 + "|" at size 10 = 32.5.
    UIEdit* e = host(new UIEdit(style(10), nullptr, 0, nullptr, 3));
    e->name = "name";
    EXPECT_FLOAT_EQ(32.5f, e->rect.width);
    e->setFocus();
    for (int ch : {int('a'), 31, int('b'), int('c'), int('d')})
        context.charInput(ch);
    EXPECT_EQ("abc", e->getText()); // a control character and a fourth one refused

    // No length limit: the width stops it ("|" must stay inside).
    UIEdit wide(style(10), nullptr, 30, nullptr, 0);
    for (int ch : {'1', '2', '3', '4', '5', '6'})
        wide.onChar(ch);
    EXPECT_EQ("12345", wide.getText()); // 5 x 5 + 2.5 < 30; one more would reach 32.5

    // Backspace removes; on an empty entry it goes on to the parent.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(context.keyDown(8));
    Probe::log.clear();
    EXPECT_FALSE(context.keyDown(8));
    EXPECT_EQ(std::vector<std::string>{"root key 8"}, Probe::log);

    recorder.events.clear();
    context.keyDown(13);
    context.keyDown(27);
    EXPECT_EQ((std::vector<std::string>{"0 name", "4 name"}), recorder.events);

    // Pasting feeds the characters one by one: a digit entry of three keeps
    // the first three digits.
    UIDigitEdit* digits = new UIDigitEdit(style(10), nullptr, 0, nullptr, 3);
    root->addChild(digits);
    digits->setFocus();
    if (!wnd::setClipboardText("12345"))
        GTEST_SKIP() << "no clipboard here";
    EXPECT_FALSE(context.keyDown(86)); // V alone is not a paste
    keys.hold(17, true);
    EXPECT_TRUE(context.keyDown(86));
    keys.hold(17, false);
    EXPECT_EQ("123", digits->getText());
    wnd::setClipboardText("x9");
    digits->setText("");
    keys.hold(16, true);
    EXPECT_TRUE(context.keyDown(45)); // Shift+Insert
    keys.hold(16, false);
    EXPECT_EQ("9", digits->getText());
}

TEST_F(Widgets, LinksAndMenuItemsFireOnClickOnlyWhenEnabled)
{
    UIHotLink* link = host(new UIHotLink(style(10), nullptr, "more", RED));
    link->name = "link";
    EXPECT_FLOAT_EQ(20, link->rect.width);
    setPointerKind(0);
    link->setEnabled(false);
    EXPECT_TRUE(link->onMouseDown(1, 1, 1)); // swallowed
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(0, currentPointerKind());
    link->setEnabled(true);
    context.mouseDown(1, 5, 5);
    EXPECT_EQ(std::vector<std::string>{"0 link"}, recorder.events);
    EXPECT_EQ(3, currentPointerKind());

    UIFontStyle hot = style(10);
    hot.color = RED;
    UIMenuItem* item = new UIMenuItem(style(10), nullptr, hot, "Play");
    item->name = "play";
    item->setPosition(0, 100);
    root->addChild(item);
    context.mouseMove(5, 105); // hovering focuses it
    EXPECT_TRUE(item->isFocused());
    recorder.events.clear();
    EXPECT_TRUE(context.keyDown(13));
    EXPECT_FALSE(context.keyDown(32));
    EXPECT_EQ(std::vector<std::string>{"0 play"}, recorder.events);

    // The glow pulses a full cycle in two seconds while focused.
    for (float expected : {0.5f, 1.0f, 0.5f, 0.0f, 0.5f}) {
        item->update(0.5f);
        EXPECT_FLOAT_EQ(expected, item->pulse);
    }
    render->calls.clear();
    item->draw(); // text, shadow, three glowing copies
    EXPECT_EQ(5u, texts().size());
    item->killFocus();
    item->update(0.5f);
    EXPECT_FLOAT_EQ(0.5f, item->pulse);
    render->calls.clear();
    item->draw();
    EXPECT_EQ((std::vector<std::string>{"0 10 Play", "0.3 10.3 Play"}), texts());
}

TEST_F(Widgets, NamedTextAlignsInItsWidthAndImagesUseTheirHotShader)
{
    struct Case {
        UIAlign align;
        const char* drawn;
    } cases[] = {{UIA_LEFT, "0 10 abcd"}, {UIA_RIGHT, "30 10 abcd"}, {UIA_CENTER, "15 10 abcd"}};
    for (const Case& c : cases) {
        UINamedText t(0, 0, style(10), "abcd", 50, c.align);
        render->calls.clear();
        t.draw();
        EXPECT_EQ(std::vector<std::string>{c.drawn}, texts());
    }
    UINamedText wide(0, 0, style(10), "abcdef", 10, UIA_LEFT);
    EXPECT_FLOAT_EQ(30, wide.rect.width);
    wide.setText("ab");
    EXPECT_FLOAT_EQ(30, wide.rect.width); // keeps its width

    UIImage* image = host(new UIImage(UIRect(10, 10, 32, 32), nullptr, getShader("pic"), getShader("pic_hot")));
    image->name = "pic";
    render->calls.clear();
    image->draw();
    context.mouseMove(20, 20);
    image->draw();
    context.mouseDown(1, 20, 20);
    EXPECT_EQ((std::vector<std::string>{"shader pic", "shader pic_hot"}), render->callsStartingWith("shader"));
    EXPECT_EQ(std::vector<std::string>{"0 pic"}, recorder.events);
}
