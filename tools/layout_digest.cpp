// Prints the digest that a protected layout page carries in its `protect`
// attribute, read with the game's own layout reader:
//   layout_digest <page.yml>
// The digest covers the characters above the blank between the end of the
// `layout` start tag and "</layout", so the attribute itself, line ends and
// indentation can change without changing it. Problems in the page are
// written to standard error.
#include "core/log.h"
#include "platform/sys/paths.h"
#include "render/font.h"
#include "render/shader.h"
#include "ui/ui_layout.h"

#include <cstdio>
#include <string>

namespace {

// The log's lines go to standard error instead of a file.
class StderrSink : public YLogSink {
public:
    void print(const char* text) override { std::fputs(text, stderr); }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: layout_digest <page.yml>\n");
        return 2;
    }
    if (sys::pathKind(sys::resolvePath(argv[1])) != sys::PathKind::File) {
        std::fprintf(stderr, "layout_digest: no such file: %s\n", argv[1]);
        return 1;
    }
    YLog::setFileName("/dev/null");
    YLog::open();
    StderrSink sink;
    YLog::setSink(&sink);

    std::string digest;
    {
        UILayout page;
        page.protectRequired = true;
        page.load(argv[1], false);
        digest = page.contentDigest();
    }
    YLog::setSink(nullptr);
    clearFonts();
    clearShaders();
    std::printf("%s\n", digest.c_str());
    return 0;
}
