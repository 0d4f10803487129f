#pragma once
// A menu page read from a layout file: a ".yml" markup file whose tags
// describe flowing text, fonts, tables, spacers and interactive controls,
// like a small hypertext page. Loading turns the tags into a tree of layout
// blocks that places text and controls, and into child controls that take
// input. A page may carry a digest (`protect`) of its content, checked when
// the owner asks for it.
#include "core/xml_parser.h"
#include "ui/ui_blocks.h"
#include "ui/ui_control.h"

#include <string>
#include <vector>

class UIPages;
class UISelect;
class UITable;
class YShader;

class UILayout : public UIControl, public XMLParser {
public:
    // listener: receives the events of the page's option lists, sliders,
    // text entries, menu items and links.
    explicit UILayout(UIEvent* listener = nullptr);
    ~UILayout() override;

    // Reads a page, discarding what the layout held; arranges it at the
    // page size when asked. False when the page requires protection and its
    // content does not match its digest (loadError() is then "Protect
    // error."); a missing file gives an empty page.
    bool load(const std::string& fileName, bool arrangeNow);
    const std::string& loadError() const { return mError; }

    // Flows the page into the area and places it by its alignment.
    void arrange(float width, float height);
    void arrangeToPage() { arrange(pageWidth, pageHeight); }

    // "left", "right", "center", "top", "bottom"; anything else throws
    // "Unknown align: " and the word.
    static UIAlign parseAlign(const std::string& word);

    // The MD5 digest (32 lower-case hex digits) of the content read by the
    // last load that required protection: the characters above the blank
    // between the `layout` start tag and "</layout".
    std::string contentDigest() const;

    void draw() override { body.draw(); }

    bool protectRequired = false;        // set by the owner before load
    UIControl* initialFocus = nullptr;   // the last control read with focus="1"
    UIAlign horizontalAlign = UIA_CENTER;
    UIAlign verticalAlign = UIA_TOP;
    UIMultiBlock body;
    float pageWidth = 800.0f, pageHeight = 600.0f;

protected:
    char readChar() override;
    void onTagOpen(int tagIndex) override;
    void onTagClose(int tagIndex) override;
    bool onError(const char* message) override;

private:
    // The widgets' shaders, looked up by name at each load.
    struct Shaders {
        YShader* select = nullptr;
        YShader* tracker1 = nullptr;
        YShader* tracker2 = nullptr;
        YShader* edit = nullptr;
        YShader* window = nullptr;
    };

    const UIFontStyle& currentStyle() const { return mStyles.back(); }
    UIMultiBlock* currentBlock() const { return mBlocks.back(); }
    UIControl* currentContainer() const { return mContainers.back(); }
    // Turns the pending text into a text item of the current block.
    void flushText();
    // The element's text with blanks folded.
    std::string elementText() const;
    // A new control: a child of the current container and, when `flows`,
    // an item of the current block.
    void addControl(UIControl* control, bool flows);
    void setInitialFocus(UIControl* control, const XMLTag& tag);
    void openContainerBlock(UIMultiBlock* block);
    // Pops the current block; the page's own body is never popped.
    void popBlock(const char* message);
    void openTag(int tagIndex, const XMLTag& tag);
    void closeTag(int tagIndex, const XMLTag& tag);
    bool digestMatches() const;

    std::vector<UIFontStyle> mStyles;
    std::vector<UIMultiBlock*> mBlocks;
    std::vector<UITable*> mTables;
    std::vector<UIControl*> mContainers;
    std::vector<UIPages*> mPages;
    UISelect* mSelect = nullptr; // the option list whose options are read
    bool mLayoutSeen = false;
    bool mLayoutEnded = false; // </layout> was read, closing the page or not
    bool mHashing = false;
    std::string mFileName;
    std::string mProtect;
    std::string mHash;
    std::string mError;
    Shaders mShaders;
};
