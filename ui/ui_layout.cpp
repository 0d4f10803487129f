#include "ui/ui_layout.h"

#include "core/error.h"
#include "core/log.h"
#include "core/md5.h"
#include "platform/sys/paths.h"
#include "render/shader.h"
#include "ui/ui_container.h"
#include "ui/ui_context.h"
#include "ui/ui_select.h"
#include "ui/ui_table.h"

#include <algorithm>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

UILayout::UILayout(UIEvent* eventListener) : UIControl(eventListener)
{
    addTag(makeTag("layout", {{"align", "center"}, {"valign", "top"}, {"alignment", "left"}, {"protect", ""}}));
    addTag(makeTag("div", {{"align", "left"}}));
    addTag(makeTag("font", {{"name", ""}, {"size", ""}, {"color", ""}}));
    addTag(makeTag("br"));
    addTag(makeTag("spacer", {{"width", "0"}, {"height", "0"}}));
    addTag(makeTag("table", {{"cellspacing", "0"}, {"width", "0"}, {"height", "0"}}));
    addTag(makeTag("tr", {{"height", "0"}}));
    addTag(makeTag("td", {{"colspan", "1"}, {"rowspan", "1"}, {"align", "left"}, {"valign", "top"}, {"width", "0"}}));
    addTag(makeTag("menuitem", {{"name", ""}, {"visible", "1"}, {"focus", "0"}, {"hotfont", ""}}));
    addTag(makeTag("img", {{"shader", ""}, {"width", "16"}, {"height", "16"}, {"name", ""}, {"hot_shader", ""}}));
    addTag(makeTag("a", {{"name", ""}, {"hotcolor", "ff0000"}}));
    addTag(makeTag("select", {{"name", ""},
                              {"width", "0"},
                              {"fcolor", "ffcc00"},
                              {"hotcolor", "ff7700"},
                              {"buttons", "1"},
                              {"focus", "0"}}));
    addTag(makeTag("option"));
    addTag(makeTag("tracker", {{"name", ""},
                               {"width", "50"},
                               {"height", ""},
                               {"color", ""},
                               {"fcolor", "ffcc00"},
                               {"hotcolor", "ff7700"}}));
    addTag(makeTag("edit", {{"name", ""},
                            {"width", "50"},
                            {"maxlength", "0"},
                            {"value", ""},
                            {"bg", "1"},
                            {"type", ""},
                            {"focus", "0"}}));
    addTag(makeTag("text", {{"name", ""}, {"width", ""}, {"align", "left"}}));
    addTag(makeTag("window", {{"name", ""}, {"caption", ""}, {"width", "0"}, {"height", "0"}, {"margin", "5"}}));
    addTag(makeTag("notebook", {{"name", ""}, {"width", "0"}, {"height", "0"}, {"hotcolor", "ffcc00"}}));
    addTag(makeTag("pages", {{"name", ""}, {"width", "0"}, {"height", "0"}}));
    addTag(makeTag("page", {{"name", ""}, {"caption", ""}}));
}

UILayout::~UILayout()
{
    // The blocks go first: they hold the controls and the containers'
    // content blocks, which the children below own.
    body.clear();
}

UIAlign UILayout::parseAlign(const std::string& word)
{
    static const char* const WORDS[] = {"left", "right", "center", "top", "bottom"};
    for (int i = 0; i < 5; ++i) {
        if (word == WORDS[i])
            return static_cast<UIAlign>(i);
    }
    throw YError("Unknown align: " + word);
}

// ---------------------------------------------------------------------------
// Loading

bool UILayout::load(const std::string& fileName, bool arrangeNow)
{
    YLog::writef("Parse layout %s", fileName.c_str());
    mFileName = fileName;
    mError.clear();
    pageWidth = gUIContext ? gUIContext->virtualWidth : 800.0f;
    pageHeight = gUIContext ? gUIContext->virtualHeight : 600.0f;

    // Whatever an earlier (perhaps malformed) file left open is forgotten.
    initialFocus = nullptr;
    mStyles.clear();
    mBlocks.clear();
    mTables.clear();
    mContainers.clear();
    mPages.clear();
    mSelect = nullptr;
    mLayoutSeen = false;
    mLayoutEnded = false;
    mContainers.push_back(this);
    mStyles.push_back(UIFontStyle::base());

    body.clear();
    deleteChildren();
    horizontalAlign = UIA_CENTER;
    verticalAlign = UIA_TOP;
    body.alignment = UIA_LEFT;
    mProtect.clear();
    mHash.clear();
    mHashing = false;

    mShaders.select = getShader("ui_select");
    mShaders.tracker1 = getShader("ui_tracker1");
    mShaders.tracker2 = getShader("ui_tracker2");
    mShaders.edit = getShader("ui_edit");
    mShaders.window = getShader("ui_window");

    if (sys::pathKind(mFileName) != sys::PathKind::File)
        YLog::writef("Layout %s cannot be read: the page is empty", mFileName.c_str());
    parse(mFileName.c_str());
    // A file cut short ends inside the page: what followed the cut is missing.
    if (mLayoutSeen && !mLayoutEnded)
        onError("the file ends before </layout>, it may be cut short");
    // An option list left open by the file takes no more options.
    mSelect = nullptr;
    mHashing = false;

    if (protectRequired && !digestMatches()) {
        mError = "Protect error.";
        return false;
    }
    if (arrangeNow)
        arrangeToPage();
    return true;
}

char UILayout::readChar()
{
    const char c = XMLParser::readChar();
    if (mHashing && static_cast<unsigned char>(c) > 32)
        mHash += c;
    return c;
}

bool UILayout::digestMatches() const
{
    std::string expected = mProtect;
    expected.resize(32, '\0');
    unsigned char digest[16];
    CMD5Checksum::digest(reinterpret_cast<const unsigned char*>(mHash.data()), static_cast<unsigned>(mHash.size()),
                         digest);
    for (size_t i = 0; i < 16; ++i) {
        // Two hex digits of either case; reading stops at the first other
        // character.
        int value = 0;
        for (size_t k = 0; k < 2; ++k) {
            const int d = hexDigit(expected[2 * i + k]);
            if (d < 0)
                break;
            value = value * 16 + d;
        }
        if (value != digest[i])
            return false;
    }
    return true;
}

std::string UILayout::contentDigest() const
{
    unsigned char digest[16];
    CMD5Checksum::digest(reinterpret_cast<const unsigned char*>(mHash.data()), static_cast<unsigned>(mHash.size()),
                         digest);
    return md5ToHex(digest);
}

bool UILayout::onError(const char* message)
{
    YLog::writef("Layout parser error, file: %s, line %d, %s", mFileName.c_str(), getLine(), message);
    return true;
}

// ---------------------------------------------------------------------------
// Arranging

void UILayout::arrange(float width, float height)
{
    float minWidth = 0, maxWidth = 0;
    body.measure(minWidth, maxWidth);
    body.layout(std::min(maxWidth, width));
    rect.width = body.rect.width;
    rect.height = body.rect.height;
    body.rect.x = body.rect.y = 0;
    if (horizontalAlign == UIA_LEFT)
        rect.x = 0;
    else if (horizontalAlign == UIA_RIGHT)
        rect.x = width - rect.width;
    else if (horizontalAlign == UIA_CENTER)
        rect.x = (width - rect.width) * 0.5f;
    if (verticalAlign == UIA_TOP)
        rect.y = 0;
    else if (verticalAlign == UIA_BOTTOM)
        rect.y = height - rect.height;
    else if (verticalAlign == UIA_CENTER)
        rect.y = (height - rect.height) * 0.5f;
    body.place(0, 0);
}

// ---------------------------------------------------------------------------
// Helpers of the tag handlers

void UILayout::flushText()
{
    const std::string text = elementText();
    if (!text.empty())
        currentBlock()->add(new UIText(text, currentStyle(), currentBlock()->alignment));
}

std::string UILayout::elementText() const
{
    std::string out;
    bool blank = false;
    for (char c : getText()) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            blank = true;
            continue;
        }
        if (blank && !out.empty())
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

void UILayout::addControl(UIControl* control, bool flows)
{
    currentContainer()->addChild(control);
    if (flows)
        currentBlock()->add(new UIControlBlock(control));
}

void UILayout::setInitialFocus(UIControl* control, const XMLTag& tag)
{
    if (tag.findAttribute("focus")->toInt() == 1)
        initialFocus = control;
}

void UILayout::openContainerBlock(UIMultiBlock* block)
{
    currentBlock()->addHeld(block);
    mBlocks.push_back(block);
}

void UILayout::popBlock(const char* message)
{
    if (mBlocks.size() <= 1)
        throw YError(message);
    mBlocks.pop_back();
}

void UILayout::onTagOpen(int tagIndex)
{
    const XMLTag& tag = getTag(tagIndex);
    if (tagIndex != 0 && mBlocks.empty())
        throw YError("Tag outside <layout>.");
    openTag(tagIndex, tag);
}

void UILayout::onTagClose(int tagIndex)
{
    const XMLTag& tag = getTag(tagIndex);
    if (tagIndex != 0 && mBlocks.empty())
        throw YError("Tag outside <layout>.");
    closeTag(tagIndex, tag);
}
