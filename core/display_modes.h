#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One full-screen display mode. The text form is width "x" height ":" bits,
// optionally followed by "@" and the refresh rate: "800x600:32",
// "1024x768:32@85".
struct YDisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bits = 0;    // bits per pixel
    uint32_t refresh = 0; // Hz; 0 = any
    int32_t index = -1;   // the renderer's mode number; -1 = none

    YDisplayMode() = default;
    YDisplayMode(uint32_t w, uint32_t h, uint32_t b, uint32_t r, int32_t i = -1)
        : width(w), height(h), bits(b), refresh(r), index(i)
    {
    }
    bool operator==(const YDisplayMode& o) const
    {
        return width == o.width && height == o.height && bits == o.bits && refresh == o.refresh &&
               index == o.index;
    }
    bool operator!=(const YDisplayMode& o) const { return !(*this == o); }
};

// The renderer's full-screen modes as the configuration and the options page
// see them: the selectable modes in the renderer's order (ascending width,
// height, refresh rate) and, kept apart, the desktop mode.
class YDisplayModeList {
public:
    // Takes the renderer's list: every record but the last is a selectable
    // mode; the last one is the desktop mode (index -1). An empty list leaves
    // no modes and a desktop of zeros.
    void assign(const std::vector<YDisplayMode>& modes);

    // Reads the text form; the index is -1. Parts are plain decimal digits
    // (no sign) up to MAX_NUMBER, each ended by its own separator or the end
    // of the text. Reading stops at the first part that is missing or
    // malformed, or that a later part's separator ends ("800x600@85" gives
    // 800x600 with bits and refresh 0): the parts not read stay 0. Blanks
    // around the whole text are ignored.
    static YDisplayMode parseMode(const std::string& text);
    // width "x" height ":" bits, then "@" refresh when the refresh is not 0.
    static std::string formatMode(const YDisplayMode& mode);

    // The position in the list of the mode that best matches the wanted one:
    // among the records of the wanted width and height, the one of the wanted
    // bits with the highest refresh rate not above the wanted rate (a wanted
    // rate of 0 means the desktop's); failing that, the first record of the
    // wanted bits; failing that, the first record of the resolution. A
    // resolution the list lacks gives 0 (the first record). An empty list
    // gives -1, which is no valid position: check for it before indexing.
    int findMode(const YDisplayMode& wanted) const;

    // The text of the record that the wanted text resolves to (findMode of
    // the parsed text); a mode the list lacks gives the first record's text.
    // With an empty list the wanted text comes back unchanged.
    std::string resolve(const std::string& wanted) const;

    // The choices of the options page, sorted by width, height, bits (and
    // refresh), with repeated records given once:
    // - width 0: every resolution, as (width, height, 0, 0, -1);
    // - width and height given, bits 0: the depths of that resolution, as
    //   (width, height, bits, 0, -1);
    // - all three given: the records of that resolution and depth, whole.
    std::vector<YDisplayMode> selectModes(uint32_t width, uint32_t height, uint32_t bits) const;

    const std::vector<YDisplayMode>& modes() const { return mModes; }
    int size() const { return static_cast<int>(mModes.size()); }
    bool empty() const { return mModes.empty(); }
    const YDisplayMode& mode(int position) const { return mModes[position]; }
    const YDisplayMode& desktop() const { return mDesktop; }

    // The largest number a part of the text form may hold; larger ones count
    // as malformed.
    static constexpr uint32_t MAX_NUMBER = 65535;

private:
    std::vector<YDisplayMode> mModes;
    YDisplayMode mDesktop;
};

// Builds the list that YDisplayModeList::assign expects from the platform's
// modes: the modes of at least 640x480, sorted by width, height and refresh
// rate (modes equal in those keep their order), numbered 0, 1, ... in that
// order, then the desktop mode with index -1. When no mode is that large
// (offscreen or virtual displays), the desktop mode itself is the one
// selectable mode (index 0). A desktop of 0 bits counts as 32 bits.
std::vector<YDisplayMode> buildModeList(const std::vector<YDisplayMode>& raw, const YDisplayMode& desktop);

// The one display-mode list, built on first use.
YDisplayModeList& gDisplayModes();
