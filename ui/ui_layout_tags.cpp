// The tags of layout files: what each start and end tag builds.
#include "core/error.h"
#include "render/font.h"
#include "render/shader.h"
#include "ui/ui_container.h"
#include "ui/ui_edit.h"
#include "ui/ui_image.h"
#include "ui/ui_layout.h"
#include "ui/ui_select.h"
#include "ui/ui_table.h"
#include "ui/ui_text_controls.h"
#include "ui/ui_tracker.h"

#include <algorithm>
#include <string>

namespace {

// Where the digest of a protected page ends.
const char* const LAYOUT_END_TAG = "</layout";

// Tag indexes, in the order the constructor declares them.
enum LayoutTag {
    TAG_LAYOUT,
    TAG_DIV,
    TAG_FONT,
    TAG_BR,
    TAG_SPACER,
    TAG_TABLE,
    TAG_TR,
    TAG_TD,
    TAG_MENUITEM,
    TAG_IMG,
    TAG_A,
    TAG_SELECT,
    TAG_OPTION,
    TAG_TRACKER,
    TAG_EDIT,
    TAG_TEXT,
    TAG_WINDOW,
    TAG_NOTEBOOK,
    TAG_PAGES,
    TAG_PAGE,
};

const std::string& text(const XMLTag& tag, const char* name) { return tag.findAttribute(name)->value; }
float number(const XMLTag& tag, const char* name) { return tag.findAttribute(name)->toFloat(); }
int integer(const XMLTag& tag, const char* name) { return tag.findAttribute(name)->toInt(); }
bool flag(const XMLTag& tag, const char* name) { return tag.findAttribute(name)->toBool(); }

YVec4 color(const XMLTag& tag, const char* name)
{
    YVec4 c;
    c.parseColor(text(tag, name)); // throws "Error color format."
    return c;
}

YShader* shaderOrNull(const std::string& name) { return name.empty() ? nullptr : getShader(name); }

} // namespace

void UILayout::openTag(int tagIndex, const XMLTag& tag)
{
    switch (tagIndex) {
    case TAG_LAYOUT: {
        if (!mBlocks.empty() || mLayoutSeen)
            throw YError("Tag <layout> must be first in YML.");
        const UIAlign h = parseAlign(text(tag, "align"));
        const UIAlign v = parseAlign(text(tag, "valign"));
        const UIAlign a = parseAlign(text(tag, "alignment"));
        horizontalAlign = h;
        verticalAlign = v;
        body.alignment = a;
        mProtect = text(tag, "protect");
        mHash.clear();
        mHashing = protectRequired;
        mLayoutSeen = true;
        mBlocks.push_back(&body);
        break;
    }
    case TAG_DIV: {
        const UIAlign a = parseAlign(text(tag, "align"));
        flushText();
        UIMultiBlock* div = new UIMultiBlock(a);
        currentBlock()->add(div);
        mBlocks.push_back(div);
        break;
    }
    case TAG_FONT: {
        UIFontStyle s = currentStyle();
        if (!text(tag, "name").empty())
            s.font = getFont(text(tag, "name"));
        if (!text(tag, "size").empty())
            s.size = number(tag, "size");
        if (!text(tag, "color").empty())
            s.color = color(tag, "color");
        flushText();
        mStyles.push_back(s);
        break;
    }
    case TAG_BR:
        flushText();
        currentBlock()->add(new UIBR(currentStyle().size));
        break;
    case TAG_SPACER:
        flushText();
        currentBlock()->add(new UISpacer(number(tag, "width"), number(tag, "height")));
        break;
    case TAG_TABLE: {
        flushText();
        UITable* table = new UITable(number(tag, "cellspacing"), number(tag, "width"), number(tag, "height"));
        mTables.push_back(table);
        currentBlock()->add(table);
        break;
    }
    case TAG_TR:
        if (mTables.empty())
            throw YError("Expected <table>.");
        mTables.back()->nextRow(number(tag, "height"));
        break;
    case TAG_TD: {
        if (mTables.empty())
            throw YError("Expected <table>.");
        UITable* table = mTables.back();
        if (table->currentRow < 0)
            throw YError("Expected <tr>.");
        const UIAlign align = parseAlign(text(tag, "align"));
        const UIAlign valign = parseAlign(text(tag, "valign"));
        UITableCell& cell = table->nextCell();
        cell.content.reset(new UIMultiBlock(align));
        cell.valign = valign;
        UIMultiBlock* block = cell.content.get();
        table->spanCurrentCell(integer(tag, "rowspan"), integer(tag, "colspan"));
        table->growColumns();
        UITableColumn& column = table->columns[static_cast<size_t>(table->currentColumn)];
        column.requestedWidth = std::max(column.requestedWidth, number(tag, "width"));
        mBlocks.push_back(block);
        break;
    }
    case TAG_MENUITEM:
    case TAG_A:
    case TAG_TEXT:
        flushText(); // built at the end tag from the element's text
        break;
    case TAG_IMG: {
        flushText();
        UIImage* image = new UIImage(UIRect(0, 0, number(tag, "width"), number(tag, "height")), nullptr,
                                     shaderOrNull(text(tag, "shader")), shaderOrNull(text(tag, "hot_shader")));
        image->name = text(tag, "name");
        addControl(image, true);
        break;
    }
    case TAG_SELECT: {
        const YVec4 fcolor = color(tag, "fcolor"), hot = color(tag, "hotcolor");
        flushText();
        UISelect* select = new UISelect(currentStyle(), listener, fcolor, hot,
                                        flag(tag, "buttons") ? mShaders.select : nullptr, number(tag, "width"));
        select->name = text(tag, "name");
        setInitialFocus(select, tag);
        addControl(select, true);
        mSelect = select;
        break;
    }
    case TAG_OPTION:
        if (!mSelect)
            throw YError("Expected <select>.");
        break;
    case TAG_TRACKER: {
        const UIFontStyle& s = currentStyle();
        const float height = text(tag, "height").empty() ? s.size : number(tag, "height");
        const YVec4 c = text(tag, "color").empty() ? s.color : color(tag, "color");
        const YVec4 fcolor = color(tag, "fcolor"), hot = color(tag, "hotcolor");
        flushText();
        UITracker* tracker = new UITracker(UIRect(0, 0, number(tag, "width"), height), listener, mShaders.tracker1,
                                           mShaders.tracker2, c, fcolor, hot);
        tracker->name = text(tag, "name");
        addControl(tracker, true);
        break;
    }
    case TAG_EDIT: {
        flushText();
        YShader* bg = flag(tag, "bg") ? mShaders.edit : nullptr;
        const float width = number(tag, "width");
        const int maxLength = integer(tag, "maxlength");
        UIEdit* edit = text(tag, "type") == "number" ? new UIDigitEdit(currentStyle(), listener, width, bg, maxLength)
                                                     : new UIEdit(currentStyle(), listener, width, bg, maxLength);
        edit->setText(text(tag, "value"));
        edit->name = text(tag, "name");
        setInitialFocus(edit, tag);
        addControl(edit, true);
        break;
    }
    case TAG_WINDOW: {
        flushText();
        UIWindow* window = new UIWindow(mShaders.window, currentStyle(), text(tag, "caption"), number(tag, "margin"));
        window->name = text(tag, "name");
        window->content->requestedWidth = number(tag, "width");
        window->content->requestedHeight = number(tag, "height");
        addControl(window, false);
        mContainers.push_back(window);
        openContainerBlock(window->content);
        break;
    }
    case TAG_NOTEBOOK:
    case TAG_PAGES: {
        const YVec4 hot = tagIndex == TAG_NOTEBOOK ? color(tag, "hotcolor") : YVec4();
        flushText();
        UIPages* pages =
            tagIndex == TAG_NOTEBOOK ? new UINotebook(currentStyle(), hot) : new UIPages(currentStyle());
        pages->name = text(tag, "name");
        pages->content->requestedWidth = number(tag, "width");
        pages->content->requestedHeight = number(tag, "height");
        addControl(pages, false);
        mPages.push_back(pages);
        openContainerBlock(pages->content);
        break;
    }
    case TAG_PAGE: {
        flushText();
        if (mPages.empty())
            throw YError("Expected <notebook>.");
        UIContainer* page = mPages.back()->addPage(text(tag, "caption"));
        page->name = text(tag, "name");
        mContainers.push_back(page);
        openContainerBlock(page->content);
        break;
    }
    default:
        break;
    }
}

void UILayout::closeTag(int tagIndex, const XMLTag& tag)
{
    switch (tagIndex) {
    case TAG_LAYOUT: {
        mLayoutEnded = true;
        if (mBlocks.size() != 1 || mBlocks.back() != &body)
            throw YError("Do not closed blocks tag before </layout>.");
        mBlocks.pop_back();
        // The digest runs to "</layout": the delimiter read after the name
        // is not part of it.
        if (mHashing) {
            const size_t end = mHash.rfind(LAYOUT_END_TAG);
            if (end != std::string::npos)
                mHash.resize(end + std::char_traits<char>::length(LAYOUT_END_TAG));
        }
        mHashing = false;
        break;
    }
    case TAG_DIV:
    case TAG_TD:
        flushText();
        popBlock("Error tag </div> or </td>.");
        break;
    case TAG_FONT:
        flushText();
        if (mStyles.size() <= 1)
            throw YError("Error tag </font>.");
        mStyles.pop_back();
        break;
    case TAG_TABLE:
        if (mTables.empty())
            throw YError("Error tag </table>.");
        mTables.pop_back();
        break;
    case TAG_MENUITEM: {
        UIFontStyle hot = currentStyle();
        if (!text(tag, "hotfont").empty()) {
            hot.font = getFont(text(tag, "hotfont"));
            if (hot.font->shader)
                hot.color = hot.font->shader->material.emissive;
        }
        UIMenuItem* item = new UIMenuItem(currentStyle(), listener, hot, elementText());
        item->name = text(tag, "name");
        item->visible = flag(tag, "visible");
        setInitialFocus(item, tag);
        addControl(item, true);
        break;
    }
    case TAG_A: {
        const YVec4 hot = color(tag, "hotcolor");
        UIHotLink* link = new UIHotLink(currentStyle(), listener, elementText(), hot);
        link->name = text(tag, "name");
        addControl(link, true);
        break;
    }
    case TAG_SELECT:
        if (!mSelect)
            throw YError("Expected <select>.");
        mSelect = nullptr;
        break;
    case TAG_OPTION:
        if (!mSelect)
            throw YError("Expected <select>.");
        mSelect->addOption(elementText());
        break;
    case TAG_TEXT: {
        const UIAlign align = parseAlign(text(tag, "align"));
        UINamedText* named = new UINamedText(0, 0, currentStyle(), elementText(), number(tag, "width"), align);
        named->name = text(tag, "name");
        addControl(named, true);
        break;
    }
    case TAG_WINDOW:
    case TAG_PAGE: {
        const char* message = tagIndex == TAG_WINDOW ? "Error tag </window>." : "Error tag </page>.";
        flushText();
        if (mContainers.size() <= 1)
            throw YError(message);
        popBlock(message);
        mContainers.pop_back();
        break;
    }
    case TAG_NOTEBOOK:
    case TAG_PAGES: {
        flushText();
        if (mPages.empty())
            throw YError("Error tag </notebook> or </pages>.");
        popBlock("Error tag </notebook> or </pages>.");
        UIPages* pages = mPages.back();
        mPages.pop_back();
        if (pages->pages.empty())
            throw YError("Notebook or Pages is empty.");
        pages->selectPage(0);
        break;
    }
    default: // br, spacer, tr, img, tracker, edit
        break;
    }
}
