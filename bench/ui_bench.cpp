// How long the interface takes to lay out and draw a full menu page: a
// title, running text that fills the 800 x 600 screen and a table of
// twelve rows, through the null renderer (the toolkit's own cost: flowing
// words into lines, placing cells and controls, and making the glyph quads).
#include "core/log.h"
#include "render/font.h"
#include "render/recording_render.h"
#include "render/shader.h"
#include "ui/ui_context.h"
#include "ui/ui_layout.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

const char* const WORDS[] = {"the",    "ball",  "breaks", "a",     "block", "of",   "glass", "and", "stone",
                             "splits", "into",  "eight",  "bonus", "falls", "from", "table", "edge", "racket"};

std::string pageText()
{
    std::string page = "<layout align=\"center\" valign=\"top\">\n"
                       "<font name=\"title\" size=\"36\" color=\"ffd060\">Tarvelin</font><br/>\n";
    // About 30 lines of running text at size 16.
    unsigned seed = 1;
    for (int i = 0; i < 520; ++i) {
        seed = seed * 214013u + 2531011u;
        page += WORDS[(seed >> 16) % (sizeof(WORDS) / sizeof(WORDS[0]))];
        page += i % 90 == 89 ? "<br/>\n" : " ";
    }
    page += "<br/><table cellspacing=\"4\" width=\"600\">\n";
    for (int row = 0; row < 12; ++row) {
        page += "<tr><td align=\"right\">" + std::to_string(row + 1) + ".</td><td width=\"300\">Player " +
                std::to_string(row * 7) + "</td><td align=\"right\">" + std::to_string(100000 - row * 4321) +
                "</td><td><menuitem name=\"row" + std::to_string(row) + "\">Show</menuitem></td></tr>\n";
    }
    page += "</table>\n</layout>\n";
    return page;
}

// The page loaded once, with a font of fixed advances, a renderer that
// draws nothing and the context the game has.
struct Page {
    Page()
    {
        YLog::setFileName("/dev/null");
        for (const char* name : {"default", "title"}) {
            YFont* f = getFont(name);
            f->shader = getShader(std::string("font_") + name);
            for (int c = 32; c < 256; ++c)
                f->widths[c] = 0.55f;
        }
        context.init(800, 600, nullptr, nullptr);
        context.resize(1024, 768);
        char path[] = "/tmp/tarvelin-ui-bench-XXXXXX";
        const int fd = ::mkstemp(path);
        const std::string text = pageText();
        if (fd >= 0) {
            if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
                std::fprintf(stderr, "ui_bench: short write\n");
            ::close(fd);
        }
        layout.load(path, true);
        ::unlink(path);
        context.root = &layout;
    }
    ~Page()
    {
        context.detach();
    }

    YNullRender render{4};
    UIContext context;
    UILayout layout;
};

Page& page()
{
    static Page p;
    return p;
}

void BM_ArrangePage(benchmark::State& state)
{
    Page& p = page();
    for (auto _ : state)
        p.layout.arrangeToPage();
    state.counters["runs"] = static_cast<double>(p.layout.body.runs.size());
}

void BM_DrawPage(benchmark::State& state)
{
    Page& p = page();
    for (auto _ : state) {
        p.render.beginFrame(true);
        p.context.render(true);
        p.render.endFrame();
    }
}

void BM_ArrangeAndDrawPage(benchmark::State& state)
{
    Page& p = page();
    for (auto _ : state) {
        p.layout.arrangeToPage();
        p.render.beginFrame(true);
        p.context.render(true);
        p.render.endFrame();
    }
    state.counters["controls"] = static_cast<double>(p.layout.getChildren().size());
}

} // namespace

BENCHMARK(BM_ArrangePage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ArrangeAndDrawPage)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
