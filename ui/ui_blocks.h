#pragma once
// Layout blocks flow the content of a page into lines: words, spacers,
// breaks, hosted controls, nested blocks and tables are placed left to
// right, broken at the available width, bottom-aligned within a line and
// aligned per line. Blocks compute positions and draw text; the controls
// they host are drawn and driven by the control tree.
#include "ui/ui_control.h"

#include <string>
#include <vector>

enum UIAlign {
    UIA_LEFT = 0,
    UIA_RIGHT = 1,
    UIA_CENTER = 2,
    UIA_TOP = 3,
    UIA_BOTTOM = 4,
};

class UIMultiBlock;

// An item of the flow.
class UIBlockLayout {
public:
    UIBlockLayout() = default;
    // Leaves the block that lists it (when it is owned elsewhere).
    virtual ~UIBlockLayout();
    UIBlockLayout(const UIBlockLayout&) = delete;
    UIBlockLayout& operator=(const UIBlockLayout&) = delete;

    // Places the item into the line being built in the block.
    virtual void flow(UIMultiBlock& block) = 0;
    // Raises min and max to the item's narrowest and widest widths.
    virtual void measure(float& min, float& max) = 0;

    // The block whose item list holds this item, and whether that block
    // owns it (a container's content block is owned by its container).
    UIMultiBlock* holder = nullptr;
    bool ownedByHolder = true;
};

// Words in one style.
class UIText : public UIBlockLayout {
public:
    UIText(const std::string& text, const UIFontStyle& style, UIAlign alignment);
    void flow(UIMultiBlock& block) override;
    void measure(float& min, float& max) override;

    std::vector<std::string> words;
    float minWidth = 0; // the widest word
    float maxWidth = 0; // the whole text on one line
    UIAlign alignment;
    UIFontStyle style;
};

// Empty room of a fixed size.
class UISpacer : public UIBlockLayout {
public:
    UISpacer(float w, float h) : width(w), height(h) {}
    void flow(UIMultiBlock& block) override;
    void measure(float& min, float& max) override;
    float width, height;
};

// A line break; on an empty line it adds its height.
class UIBR : public UIBlockLayout {
public:
    explicit UIBR(float h) : height(h) {}
    void flow(UIMultiBlock& block) override;
    void measure(float&, float&) override {}
    float height;
};

// An item with a position.
class UIBlock : public UIBlockLayout {
public:
    virtual void offset(float dx, float dy) = 0;
    // Turns positions relative to the block into positions relative to an
    // outer origin; called once after each layout.
    virtual void place(float x, float y) = 0;
    virtual void draw() {}
};

// A stretch of text placed on a line; y is the bottom of its line.
struct UITextRun {
    float x = 0, y = 0;
    UIFontStyle style;
    std::string text;
};

// A block of items flowed into lines.
class UIMultiBlock : public UIBlock {
public:
    explicit UIMultiBlock(UIAlign alignment = UIA_LEFT) : alignment(alignment) {}
    ~UIMultiBlock() override;

    void flow(UIMultiBlock& block) override;
    void measure(float& min, float& max) override;
    void offset(float dx, float dy) override;
    void place(float x, float y) override;
    // Draws the runs and the placed blocks.
    void draw() override { drawContent(); }
    virtual void layout(float width);

    void drawContent();
    // Appends an item the block owns, or one owned elsewhere that only
    // takes part in the flow.
    void add(UIBlockLayout* item);
    void addHeld(UIBlockLayout* item);
    // Takes an item out of the lists without deleting it.
    void forget(UIBlockLayout* item);
    // Deletes the owned items and forgets everything placed.
    void clear();

    void newLine();
    void ensureLineHeight(float h);
    void shiftLine(float dx, float dy);
    // Ends the line's pending text as a run at the line's bottom.
    void addRun(const UIFontStyle& style, const std::string& text);
    float limit() const { return rect.width; }

    UIAlign alignment;
    UIRect rect;           // relative to the enclosing block; width = layout width
    bool floating = false; // laid out without taking room in the line
    std::vector<UITextRun> runs;
    std::vector<UIBlock*> placedBlocks;
    std::vector<UIBlockLayout*> items;
    float lineHeight = 0;
    float lineX = 0;
    float minWidth = 0, maxWidth = 0;
    std::vector<UITextRun> lineRuns;
    std::vector<UIBlock*> lineBlocks;
};

// A control placed by the flow (the control tree owns the control).
class UIControlBlock : public UIBlock {
public:
    explicit UIControlBlock(UIControl* control, float fixedWidth = 0, float fixedHeight = 0);
    ~UIControlBlock() override;
    void flow(UIMultiBlock& block) override;
    void measure(float& min, float& max) override;
    void offset(float dx, float dy) override;
    void place(float x, float y) override;

    float fixedWidth, fixedHeight;
    UIControl* control; // null once the control is deleted
};
