// Fuzz target of the interface's layout files: a page read, arranged,
// drawn and given the pointer and keys as a menu page would be.
#include "platform/wnd/keys.h"
#include "render/font.h"
#include "render/shader.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"
#include "ui/ui_context.h"
#include "ui/ui_layout.h"

#include <memory>

namespace {

class Listener : public UIEvent {
public:
    void onUIEvent(int, UIControl*) override {}
};

// The fonts a page names exist with fixed advances, as after the
// interface's font file was read.
void giveFontsWidths()
{
    for (YFont* font : gFonts())
        for (int c = 32; c < 256; ++c)
            font->widths[c] = 0.5f;
}

} // namespace

TARVELIN_FUZZ_TARGET(layout)
{
    const std::string name = fuzz::writeInput("fuzz.yml", data, size);
    Listener listener;
    UIContext context;
    context.init(800, 600, &listener, nullptr);
    context.resize(640, 480);
    getFont("default");
    giveFontsWidths();
    {
        auto page = std::make_unique<UILayout>(&listener);
        page->protectRequired = size % 2 == 1;
        context.root = page.get();
        page->load(name, false);
        giveFontsWidths();
        page->arrangeToPage();
        context.render(true);
        for (int x = 0; x < 800; x += 160) {
            context.mouseMove(x, x * 3 / 4);
            context.mouseDown(1, x, x * 3 / 4);
            context.mouseUp(1, x, x * 3 / 4);
        }
        for (int key : {vk::TAB, vk::DOWN, vk::RIGHT, vk::RETURN, vk::BACK, vk::UP, vk::LEFT, vk::ESCAPE})
            context.keyDown(key);
        context.charInput('7');
        context.render(true);
        page->arrange(1, 1);
        context.detach();
    }
    clearFonts();
    clearShaders();
}
