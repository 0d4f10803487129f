// The control tree: focus moves, hover and routing, the viewport, and
// controls deleted or hidden while they are on the hover, focus or modal
// paths.
#include "tests/ui/ui_fixture.h"

#include <cmath>

using uitest::Probe;

namespace {

class ControlTree : public uitest::UITest {
protected:
    // A root of 800 x 600 holding the children in order.
    UIControl* makeRoot(std::initializer_list<UIControl*> children)
    {
        root = std::make_unique<UIControl>(UIRect(0, 0, 800, 600), nullptr);
        root->name = "root";
        for (UIControl* c : children)
            root->addChild(c);
        context.root = root.get();
        return root.get();
    }

    static Probe* focusable(const std::string& name, const UIRect& r)
    {
        Probe* p = new Probe(name, r);
        p->focusable = true;
        return p;
    }
};

} // namespace

TEST_F(ControlTree, TabAndShiftTabMoveAmongSiblingsAndFocusEventsComeInOrder)
{
    Probe* a = focusable("a", UIRect(0, 0, 10, 10));
    Probe* plain = new Probe("plain", UIRect(0, 20, 10, 10)); // not focusable
    Probe* b = focusable("b", UIRect(0, 40, 10, 10));
    Probe* off = focusable("off", UIRect(0, 60, 10, 10));
    off->setEnabled(false);
    makeRoot({a, plain, b, off});

    a->setFocus();
    EXPECT_TRUE(context.keyDown(9));
    EXPECT_TRUE(b->isFocused());
    EXPECT_TRUE(context.keyDown(9)); // past the disabled one, back to the first
    EXPECT_TRUE(a->isFocused());
    EXPECT_EQ((std::vector<std::string>{"1 a", "2 a", "1 b", "2 b", "1 a"}), recorder.events);

    keys.hold(16, true); // Shift+Tab on the first stays there, handled
    EXPECT_TRUE(context.keyDown(9));
    EXPECT_TRUE(a->isFocused());
    EXPECT_EQ(5u, recorder.events.size());
    keys.hold(16, false);

    // A leaf with no focusable sibling: Tab is not handled and goes on to
    // the ancestors.
    UIControl lone(UIRect(0, 0, 10, 10), nullptr);
    UIControl* leaf = new UIControl(UIRect(0, 0, 5, 5), nullptr);
    lone.addChild(leaf);
    leaf->setFocus();
    EXPECT_TRUE(leaf->isFocused());
    EXPECT_FALSE(lone.keyDown(9));

    // A container passes the focus to its first visible and enabled child,
    // focusable or not.
    UIControl* box = new UIControl(UIRect(100, 100, 50, 50), nullptr);
    Probe* inner = new Probe("inner", UIRect(0, 0, 5, 5));
    box->addChild(inner);
    root->addChild(box);
    box->setFocus();
    EXPECT_TRUE(inner->isFocused());
    EXPECT_TRUE(box->isFocused());
    EXPECT_FALSE(a->isFocused());
}

TEST_F(ControlTree, ArrowsFocusTheNearestChildBeyondHalfTheFocusedExtent)
{
    Probe* a = focusable("a", UIRect(0, 0, 100, 20));
    Probe* right = focusable("right", UIRect(200, 0, 100, 20));
    Probe* nearRight = focusable("nearRight", UIRect(40, 50, 100, 20)); // centre 40 to the right: not beyond 50
    Probe* below = focusable("below", UIRect(0, 100, 100, 20));
    UIControl* r = makeRoot({a, right, nearRight, below});
    r->arrowNavigation = true;

    struct Step {
        int key;
        const char* focused; // after the key
        bool handled;
    } steps[] = {
        {39, "right", true},   // right: d 200 beats nearRight's 40 (not beyond 50)
        {40, "nearRight", true}, // down from right: nearRight (d 50 > 10) before below (d 100)
        {40, "below", true},
        {37, "below", false},  // nothing to the left
        {38, "nearRight", true},
        {38, "a", true},       // a: d 50 at x offset -40; right: d 50 too, later in the list
    };
    a->setFocus();
    for (const Step& s : steps) {
        SCOPED_TRACE(s.key);
        EXPECT_EQ(s.handled, context.keyDown(s.key));
        EXPECT_EQ(s.focused, root->findFocused()->name);
    }
    r->arrowNavigation = false;
    EXPECT_FALSE(context.keyDown(39));
}

TEST_F(ControlTree, PointerHitsEdgesSkipsDisabledAndHiddenAndBubblesWithLocalPoints)
{
    Probe* panel = new Probe("panel", UIRect(100, 100, 200, 200), true);
    Probe* leaf = new Probe("leaf", UIRect(10, 10, 50, 50));
    panel->addChild(leaf);
    Probe* hidden = new Probe("hidden", UIRect(400, 0, 100, 100), true);
    hidden->visible = false;
    Probe* off = new Probe("off", UIRect(400, 200, 100, 100), true);
    off->setEnabled(false);
    makeRoot({panel, hidden, off});

    // The right and bottom edges belong to the control.
    EXPECT_TRUE(leaf->hitTest(60, 60));
    EXPECT_FALSE(leaf->hitTest(60.01f, 60));
    EXPECT_TRUE(leaf->hitTest(10, 10));

    // Down at (130, 140): the leaf sees (20, 30) and declines; its parent
    // gets the point in its own coordinates (30, 40) and handles it.
    context.mouseDown(1, 130, 140);
    EXPECT_EQ(leaf, root->getHoveredChild()->getHoveredChild());
    EXPECT_EQ((std::vector<std::string>{"panel enter", "leaf enter", "leaf move 20,30", "panel move 30,40",
                                        "leaf down 20,30", "panel down 30,40"}),
              Probe::log);

    Probe::log.clear();
    context.mouseMove(450, 50);  // hidden
    context.mouseMove(450, 250); // disabled
    EXPECT_EQ(nullptr, root->getHoveredChild());
    EXPECT_TRUE(Probe::log.empty());

    // A hovered control that becomes disabled loses the hover at the next move.
    context.mouseMove(150, 150);
    EXPECT_EQ(panel, root->getHoveredChild());
    panel->setEnabled(false);
    context.mouseMove(151, 150);
    EXPECT_EQ(nullptr, root->getHoveredChild());
    EXPECT_EQ(nullptr, panel->getHoveredChild());
}

TEST_F(ControlTree, ViewportKeepsThePageCentredAndRefusesAWindowWithoutArea)
{
    struct Case {
        int w, h;
        UIRect viewport;
    } cases[] = {
        {800, 600, UIRect(0, 0, 800, 600)},
        {1024, 768, UIRect(0, 0, 800, 600)},
        {1600, 600, UIRect(-400, 0, 1600, 600)}, // wider: the page sits in the middle
        {800, 1200, UIRect(0, -300, 800, 1200)}, // taller
        {640, 0, UIRect(0, -300, 800, 1200)},    // refused: the last one stays
        {0, 480, UIRect(0, -300, 800, 1200)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        context.resize(c.w, c.h);
        EXPECT_NEAR(c.viewport.x, context.viewport.x, 1e-3);
        EXPECT_NEAR(c.viewport.y, context.viewport.y, 1e-3);
        EXPECT_NEAR(c.viewport.width, context.viewport.width, 1e-3);
        EXPECT_NEAR(c.viewport.height, context.viewport.height, 1e-3);
        EXPECT_TRUE(std::isfinite(context.viewport.height));
    }
    context.resize(1600, 600);
    float x = 800, y = 300;
    context.toVirtual(x, y);
    EXPECT_FLOAT_EQ(400, x);
    EXPECT_FLOAT_EQ(300, y);
    makeRoot({});
    context.render(true);
    EXPECT_EQ("ortho -400 0 1600 600", render->callsStartingWith("ortho").back());
}

TEST_F(ControlTree, DeletedOrHiddenControlsLeaveNoLinksBehind)
{
    Probe* hovered = focusable("hovered", UIRect(0, 0, 100, 100));
    Probe* focused = focusable("focused", UIRect(200, 0, 100, 100));
    Probe* modal = focusable("modal", UIRect(400, 0, 100, 100));
    Probe* hidden = focusable("hidden", UIRect(600, 0, 100, 100));
    makeRoot({hovered, focused, modal, hidden});

    context.mouseMove(50, 50);
    ASSERT_EQ(hovered, root->getHoveredChild());
    delete hovered;
    EXPECT_EQ(nullptr, root->getHoveredChild());
    context.mouseMove(60, 50);
    context.mouseDown(1, 60, 50);

    focused->setFocus();
    ASSERT_EQ(focused, root->getFocusedChild());
    delete focused;
    EXPECT_EQ(nullptr, root->getFocusedChild());
    context.keyDown(9);
    context.charInput('x');

    // Hiding kills the focus: the hidden control takes no keys.
    hidden->setFocus();
    hidden->hide();
    EXPECT_FALSE(hidden->isFocused());
    EXPECT_EQ(nullptr, root->getFocusedChild());
    Probe::log.clear();
    context.keyDown('A');
    EXPECT_TRUE(Probe::log.empty());
    Probe* inside = focusable("inside", UIRect(0, 0, 10, 10));
    hidden->addChild(inside);
    inside->setFocus();
    EXPECT_FALSE(inside->isFocused());

    // The modal control takes every input; once deleted, the root again.
    ASSERT_TRUE(modal->showModal());
    Probe other("other", UIRect());
    EXPECT_FALSE(other.showModal());
    EXPECT_EQ(modal, modalControl());
    context.mouseDown(1, 410, 10);
    EXPECT_EQ("modal down 10,10", Probe::log.back());
    delete modal;
    EXPECT_EQ(nullptr, modalControl());
    context.mouseDown(1, 10, 10);
    context.keyDown(9);

    // Taking a child out clears the links to it too.
    Probe* moved = focusable("moved", UIRect(0, 200, 100, 100));
    root->addChild(moved);
    context.mouseMove(50, 250);
    moved->setFocus();
    root->removeChild(moved);
    EXPECT_EQ(nullptr, root->getHoveredChild());
    EXPECT_EQ(nullptr, root->getFocusedChild());
    EXPECT_EQ(nullptr, moved->getParent());
    delete moved;
    context.mouseMove(50, 250);

    // The page shown is deleted: the context forgets it.
    root.reset();
    EXPECT_EQ(nullptr, context.root);
    context.mouseMove(1, 1);
    EXPECT_FALSE(context.keyDown(9));
}

TEST_F(ControlTree, EventsGoToTheListenerElseTheDefaultElseNowhere)
{
    uitest::Recorder own;
    UIControl withListener(UIRect(), &own);
    withListener.name = "w";
    UIControl plain(UIRect(), nullptr);
    plain.name = "p";
    withListener.fireEvent(0);
    plain.fireEvent(3);
    EXPECT_EQ(std::vector<std::string>{"0 w"}, own.events);
    EXPECT_EQ(std::vector<std::string>{"3 p"}, recorder.events);
    context.defaultListener = nullptr;
    plain.fireEvent(0);
    EXPECT_EQ(1u, recorder.events.size());
}
