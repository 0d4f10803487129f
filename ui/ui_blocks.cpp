#include "ui/ui_blocks.h"

#include "render/font.h"

#include <algorithm>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void raise(float& value, float to) { value = std::max(value, to); }

} // namespace

UIBlockLayout::~UIBlockLayout()
{
    if (holder)
        holder->forget(this);
}

// ---------------------------------------------------------------------------
// Text, spacers, breaks

UIText::UIText(const std::string& text, const UIFontStyle& textStyle, UIAlign align)
    : alignment(align), style(textStyle)
{
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        size_t start = i;
        while (i < text.size() && !isBlank(text[i]))
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    for (const std::string& w : words) {
        const float width = style.textWidth(w);
        raise(minWidth, width);
        maxWidth += width;
    }
    if (!words.empty() && style.font)
        maxWidth += style.font->charWidth(' ') * static_cast<float>(words.size() - 1) * style.size + 1.0f;
}

void UIText::measure(float& min, float& max)
{
    raise(min, minWidth);
    raise(max, maxWidth);
}

void UIText::flow(UIMultiBlock& b)
{
    b.ensureLineHeight(style.size);
    const float blank = style.font ? style.font->charWidth(' ') * style.size : 0.0f;
    std::string run;
    float runWidth = 0;
    for (const std::string& word : words) {
        float w = style.textWidth(word);
        if (!run.empty() || b.lineX != 0)
            w += blank;
        if (b.lineX + runWidth + w > b.limit()) {
            // The pending run ends the line (an over-wide first word of an
            // empty line leaves an empty line before it); the word starts
            // the next line, keeping the blank in its width.
            b.addRun(style, run);
            b.lineX += runWidth;
            b.newLine();
            b.lineHeight = style.size;
            run = word;
            runWidth = w;
        } else {
            if (!run.empty() || b.lineX != 0)
                run += ' ';
            run += word;
            runWidth += w;
        }
    }
    b.addRun(style, run);
    b.lineX += runWidth;
}

void UISpacer::flow(UIMultiBlock& b)
{
    if (b.lineX + width > b.limit())
        b.newLine();
    b.ensureLineHeight(height);
    b.lineX += width;
}

void UISpacer::measure(float& min, float& max)
{
    raise(min, width);
    raise(max, width);
}

void UIBR::flow(UIMultiBlock& b)
{
    if (b.lineX <= 0)
        b.rect.height += height;
    else
        b.newLine();
}

// ---------------------------------------------------------------------------
// Multi-blocks

UIMultiBlock::~UIMultiBlock() { clear(); }

void UIMultiBlock::add(UIBlockLayout* item)
{
    if (!item)
        return;
    item->holder = this;
    item->ownedByHolder = true;
    items.push_back(item);
}

void UIMultiBlock::addHeld(UIBlockLayout* item)
{
    if (!item)
        return;
    if (item->holder)
        item->holder->forget(item);
    item->holder = this;
    item->ownedByHolder = false;
    items.push_back(item);
}

void UIMultiBlock::forget(UIBlockLayout* item)
{
    items.erase(std::remove(items.begin(), items.end(), item), items.end());
    for (std::vector<UIBlock*>* list : {&placedBlocks, &lineBlocks})
        list->erase(std::remove(list->begin(), list->end(), item), list->end());
    if (item->holder == this)
        item->holder = nullptr;
}

void UIMultiBlock::clear()
{
    std::vector<UIBlockLayout*> old;
    old.swap(items);
    runs.clear();
    lineRuns.clear();
    placedBlocks.clear();
    lineBlocks.clear();
    for (UIBlockLayout* item : old) {
        item->holder = nullptr;
        if (item->ownedByHolder)
            delete item;
    }
    rect = UIRect();
    lineX = lineHeight = 0;
}

void UIMultiBlock::addRun(const UIFontStyle& runStyle, const std::string& text)
{
    UITextRun run;
    run.x = lineX;
    run.y = lineHeight;
    run.style = runStyle;
    run.text = text;
    lineRuns.push_back(std::move(run));
}

void UIMultiBlock::ensureLineHeight(float h)
{
    if (h <= lineHeight)
        return;
    const float d = h - lineHeight;
    for (UITextRun& r : lineRuns)
        r.y += d;
    for (UIBlock* b : lineBlocks)
        b->offset(0, d);
    lineHeight = h;
}

void UIMultiBlock::shiftLine(float dx, float dy)
{
    for (UITextRun& r : lineRuns) {
        r.x += dx;
        r.y += dy;
    }
    for (UIBlock* b : lineBlocks)
        b->offset(dx, dy);
}

void UIMultiBlock::newLine()
{
    float dx = 0;
    if (alignment == UIA_RIGHT)
        dx = limit() - lineX;
    else if (alignment == UIA_CENTER)
        dx = (limit() - lineX) * 0.5f;
    shiftLine(dx, rect.height);
    runs.insert(runs.end(), lineRuns.begin(), lineRuns.end());
    placedBlocks.insert(placedBlocks.end(), lineBlocks.begin(), lineBlocks.end());
    lineRuns.clear();
    lineBlocks.clear();
    rect.height += lineHeight;
    lineX = 0;
    lineHeight = 0;
}

void UIMultiBlock::layout(float width)
{
    runs.clear();
    placedBlocks.clear();
    lineRuns.clear();
    lineBlocks.clear();
    rect.x = rect.y = rect.height = 0;
    minWidth = maxWidth = 0;
    rect.width = width;
    lineX = lineHeight = 0;
    for (size_t i = 0; i < items.size(); ++i)
        items[i]->flow(*this);
    newLine();
}

void UIMultiBlock::flow(UIMultiBlock& b)
{
    if (floating) {
        layout(std::min(maxWidth, b.limit()));
        b.lineBlocks.push_back(this);
        return;
    }
    if (b.lineX + maxWidth > b.limit())
        b.newLine();
    layout(std::min(maxWidth, b.limit()));
    b.ensureLineHeight(rect.height);
    b.lineX += rect.width;
    b.lineBlocks.push_back(this);
}

void UIMultiBlock::measure(float& min, float& max)
{
    rect.width = rect.height = 0;
    minWidth = maxWidth = 0;
    for (UIBlockLayout* item : items)
        item->measure(minWidth, maxWidth);
    raise(min, minWidth);
    raise(max, maxWidth);
}

void UIMultiBlock::offset(float dx, float dy)
{
    rect.x += dx;
    rect.y += dy;
}

void UIMultiBlock::place(float x, float y)
{
    const float ox = x + rect.x, oy = y + rect.y;
    for (UITextRun& r : runs) {
        r.x += ox;
        r.y += oy;
    }
    for (UIBlock* b : placedBlocks)
        b->place(ox, oy);
}

void UIMultiBlock::drawContent()
{
    for (const UITextRun& r : runs)
        drawStyledText(r.x, r.y, r.style, r.text);
    for (UIBlock* b : placedBlocks)
        b->draw();
}

// ---------------------------------------------------------------------------
// Hosted controls

UIControlBlock::UIControlBlock(UIControl* c, float w, float h) : fixedWidth(w), fixedHeight(h), control(c)
{
    if (!control)
        return;
    if (control->mHost)
        control->mHost->control = nullptr;
    control->mHost = this;
}

UIControlBlock::~UIControlBlock()
{
    if (control && control->mHost == this)
        control->mHost = nullptr;
}

void UIControlBlock::measure(float& min, float& max)
{
    if (!control)
        return;
    if (fixedWidth > 0)
        control->rect.width = fixedWidth;
    if (fixedHeight > 0)
        control->rect.height = fixedHeight;
    control->updateGeometry();
    raise(min, control->getWidth());
    raise(max, control->getWidth());
}

void UIControlBlock::flow(UIMultiBlock& b)
{
    if (!control || !control->visible)
        return;
    const float w = control->getWidth(), h = control->getHeight();
    if (b.lineX + w > b.limit())
        b.newLine();
    b.ensureLineHeight(h);
    control->rect.x = b.lineX;
    control->rect.y = b.lineHeight - h;
    b.lineX += w;
    b.lineBlocks.push_back(this);
}

void UIControlBlock::offset(float dx, float dy)
{
    if (control) {
        control->rect.x += dx;
        control->rect.y += dy;
    }
}

void UIControlBlock::place(float x, float y) { offset(x, y); }
