#include "ui/ui_container.h"

#include "render/render.h"
#include "render/shader.h"
#include "ui/ui_text_controls.h"

#include <algorithm>

namespace {

void drawLine(float x0, float y0, float x1, float y1)
{
    const float points[6] = {x0, y0, 0, x1, y1, 0};
    gRender->drawLineStrip(points, 1);
}

// Frame lines are drawn in the style's colour, a little transparent.
void setLineColor(YShader* line, const UIFontStyle& style)
{
    YVec4 c = style.color;
    c.w *= 0.7f;
    gRender->setShaderColor(line, &c.x);
}

} // namespace

// ---------------------------------------------------------------------------
// Content block

void UIContainer::UIContainerMultiBlock::measure(float& min, float& max)
{
    UIContainer& o = *owner;
    o.rect.width = std::max(requestedWidth, o.minimumWidth());
    o.rect.height = requestedHeight;
    float low = 0, high = 0;
    UIMultiBlock::measure(low, high);
    const float margins = o.marginLeft + o.marginRight;
    low += margins;
    high += margins;
    if (requestedWidth != 0)
        low = high = std::max(low, requestedWidth);
    low = std::max(low, o.minimumWidth());
    high = std::max(high, o.minimumWidth());
    minWidth = low;
    maxWidth = high;
    min = std::max(min, low);
    max = std::max(max, high);
}

void UIContainer::UIContainerMultiBlock::layout(float width)
{
    UIContainer& o = *owner;
    // The container's position is built up again by the offsets and the
    // placing that follow, so a page arranged twice lands in the same place.
    o.rect.x = o.rect.y = 0;
    // The width given is the whole container's, margins included (as
    // measured): the content gets what lies between the margins, so the
    // container takes no more room than its line gave it.
    UIMultiBlock::layout(std::max(0.0f, width - o.marginLeft - o.marginRight));
    rect.width = std::max(o.rect.width, width);
    rect.height = std::max(o.rect.height, rect.height + o.marginTop + o.marginBottom);
}

void UIContainer::UIContainerMultiBlock::offset(float dx, float dy)
{
    UIMultiBlock::offset(dx, dy);
    owner->rect.x += dx;
    owner->rect.y += dy;
    rect.x = rect.y = 0;
}

void UIContainer::UIContainerMultiBlock::place(float x, float y)
{
    UIContainer& o = *owner;
    UIMultiBlock::place(o.marginLeft, o.marginTop);
    o.rect.x += x;
    o.rect.y += y;
    o.rect.width = std::max(o.rect.width, rect.width);
    o.rect.height = std::max(o.rect.height, rect.height);
}

// ---------------------------------------------------------------------------
// UIContainer

UIContainer::UIContainer(UIEvent* eventListener) : UIControl(eventListener), content(new UIContainerMultiBlock(this))
{
}

UIContainer::~UIContainer()
{
    // The content block leaves the block that flows it (its destructor).
    delete content;
}

void UIContainer::draw() { content->drawContent(); }

// ---------------------------------------------------------------------------
// UIWindow

UIWindow::UIWindow(YShader* shader, const UIFontStyle& textStyle, const std::string& text, float margin)
    : caption(text), windowShader(shader), lineShader(getShader("ui_line"))
{
    style = textStyle;
    marginLeft = marginRight = marginBottom = margin;
    marginTop = margin * 0.5f + style.size;
    captionWidth = style.textWidth(caption);
    rect.width = captionWidth;
    arrowNavigation = true;
}

void UIWindow::draw()
{
    const float w = rect.width, h = rect.height, size = style.size;
    if (gRender && windowShader) {
        UIQuad frame;
        frame.set(0, 0, w, h);
        gRender->setShader(windowShader, true);
        frame.draw();
    }
    const float captionX = (w - captionWidth) * 0.5f;
    drawStyledText(captionX, size, style, caption);
    if (gRender && lineShader) {
        setLineColor(lineShader, style);
        drawLine(4, size * 0.5f, captionX - 4, size * 0.5f);
        drawLine(captionX + captionWidth + 4, size * 0.5f, w - 4, size * 0.5f);
    }
    UIContainer::draw();
}

// ---------------------------------------------------------------------------
// UIPages

UIPages::UIPages(const UIFontStyle& textStyle)
{
    style = textStyle;
    focusable = true;
}

UIContainer* UIPages::addPage(const std::string&)
{
    UIContainer* page = new UIContainer();
    page->focusable = true;
    page->content->floating = true;
    page->content->requestedWidth = content->requestedWidth - marginLeft - marginRight;
    page->content->requestedHeight = content->requestedHeight - marginTop - marginBottom;
    page->rect.set(rect.x, rect.y, std::max(0.0f, rect.width - marginLeft - marginRight),
                   std::max(0.0f, rect.height - marginTop - marginBottom));
    if (!pages.empty())
        page->visible = false;
    addChild(page);
    pages.push_back(page);
    return page;
}

void UIPages::selectPage(int index)
{
    if (pages.empty())
        return;
    current = std::clamp(current, 0, static_cast<int>(pages.size()) - 1);
    if (pages[static_cast<size_t>(current)]->visible)
        pages[static_cast<size_t>(current)]->hide();
    current = std::clamp(index, 0, static_cast<int>(pages.size()) - 1);
    UIContainer* page = pages[static_cast<size_t>(current)];
    page->show();
    page->setFocus();
}

// ---------------------------------------------------------------------------
// UINotebook

UINotebook::UINotebook(const UIFontStyle& textStyle, const YVec4& hotColor)
    : UIPages(textStyle), tabHotColor(hotColor), lineShader(getShader("ui_line"))
{
    marginLeft = marginRight = marginBottom = 5.0f;
    marginTop = style.size + 9.0f;
}

UIContainer* UINotebook::addPage(const std::string& caption)
{
    UIHotLink* tab = new UIHotLink(style, this, caption, tabHotColor);
    const float x = tabs.empty() ? 10.0f : tabs.back()->rect.x + tabs.back()->rect.width + 12.0f;
    tab->setPosition(x, 3.0f);
    addChild(tab);
    tabs.push_back(tab);
    return UIPages::addPage(caption);
}

void UINotebook::onUIEvent(int kind, UIControl* control)
{
    // Only a click switches pages: a tab that takes the focus (tabbing into
    // the notebook) leaves the page shown.
    if (kind != UIE_ACTION)
        return;
    auto it = std::find(tabs.begin(), tabs.end(), control);
    if (it != tabs.end())
        selectPage(static_cast<int>(it - tabs.begin()));
}

void UINotebook::draw()
{
    if (gRender && lineShader && current >= 0 && current < static_cast<int>(tabs.size())) {
        const UIHotLink* t = tabs[static_cast<size_t>(current)];
        const float tx = t->rect.x, tw = t->rect.width, th = t->rect.height;
        const float w = rect.width, h = rect.height;
        // Around the tab's top, then around the page area below it.
        const float points[9 * 3] = {
            1,            th + 5, 0, //
            tx - 3,       th + 5, 0, //
            tx - 3,       1,      0, //
            tx + tw + 2,  1,      0, //
            tx + tw + 10, th + 5, 0, //
            w - 1,        th + 5, 0, //
            w - 1,        h - 1,  0, //
            1,            h - 1,  0, //
            1,            th + 5, 0,
        };
        setLineColor(lineShader, style);
        gRender->drawLineStrip(points, 8);
    }
    UIContainer::draw();
}
