#pragma once
// Containers group part of a page: a framed window with a caption, a stack
// of pages of which one shows, and a notebook whose pages are chosen by
// clickable tabs. Each owns a content block that the layout reader flows
// text and controls into; the block takes part in the enclosing flow and
// positions the container, while the container's own controls and text sit
// in its coordinates inside its margins.
#include "ui/ui_blocks.h"
#include "ui/ui_control.h"
#include "ui/ui_quad.h"

#include <string>
#include <vector>

class YShader;
class UIHotLink;

class UIContainer : public UIControl {
public:
    class UIContainerMultiBlock : public UIMultiBlock {
    public:
        explicit UIContainerMultiBlock(UIContainer* owner) : owner(owner) {}
        void measure(float& min, float& max) override;
        void layout(float width) override;
        void offset(float dx, float dy) override;
        void place(float x, float y) override;
        // The owner draws the text.
        void draw() override {}

        UIContainer* owner;
        // The container's whole size asked for by the page (0: as the
        // content needs), margins included.
        float requestedWidth = 0, requestedHeight = 0;
    };

    explicit UIContainer(UIEvent* listener = nullptr);
    ~UIContainer() override;

    // Draws the content's text.
    void draw() override;
    // The narrowest the container may be (a window's caption).
    virtual float minimumWidth() const { return 0; }

    float marginLeft = 0, marginRight = 0, marginTop = 0, marginBottom = 0;
    UIContainerMultiBlock* content; // owned
};

class UIWindow : public UIContainer {
public:
    UIWindow(YShader* shader, const UIFontStyle& style, const std::string& caption, float margin);
    void draw() override;
    float minimumWidth() const override { return captionWidth; }

    std::string caption;
    float captionWidth;
    YShader* windowShader;
    YShader* lineShader; // "ui_line"
};

// Pages of which one shows.
class UIPages : public UIContainer {
public:
    explicit UIPages(const UIFontStyle& style);

    // Hides the current page, shows page i (clamped) and focuses it;
    // nothing without pages.
    virtual void selectPage(int index);
    // A new page (every page but the first starts hidden).
    virtual UIContainer* addPage(const std::string& caption);

    int currentPage() const { return current; }

    std::vector<UIContainer*> pages; // children of the pages control
    int current = 0;
};

// Pages chosen by tabs above them.
class UINotebook : public UIPages, public UIEvent {
public:
    UINotebook(const UIFontStyle& style, const YVec4& hotColor);

    // A tab header, then the page.
    UIContainer* addPage(const std::string& caption) override;
    void draw() override;
    // A clicked tab shows its page.
    void onUIEvent(int kind, UIControl* control) override;

    std::vector<UIHotLink*> tabs;
    YVec4 tabHotColor;
    YShader* lineShader; // "ui_line"
};
