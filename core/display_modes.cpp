#include "core/display_modes.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Reads one part of the mode text at pos: a run of decimal digits that ends
// at the end of the text or at one of the separators that may follow it (its
// own first, then those of later parts, so "800x600@85" keeps its height).
// Digits are compared as bytes, so the result never depends on the locale.
// False for an empty part, a sign, any other character, or a value above the
// limit.
bool readPart(const std::string& text, size_t& pos, const char* ends, uint32_t& out)
{
    uint32_t value = 0;
    size_t start = pos;
    while (pos < text.size() && isDigit(static_cast<unsigned char>(text[pos]))) {
        value = value * 10 + static_cast<uint32_t>(text[pos] - '0');
        if (value > YDisplayModeList::MAX_NUMBER)
            return false;
        ++pos;
    }
    if (pos == start)
        return false;
    if (pos < text.size() && (text[pos] == '\0' || std::strchr(ends, text[pos]) == nullptr))
        return false;
    out = value;
    return true;
}

bool sameSize(const YDisplayMode& a, const YDisplayMode& b)
{
    return a.width == b.width && a.height == b.height;
}

bool byWidthHeightRefresh(const YDisplayMode& a, const YDisplayMode& b)
{
    return std::tie(a.width, a.height, a.refresh) < std::tie(b.width, b.height, b.refresh);
}

} // namespace

void YDisplayModeList::assign(const std::vector<YDisplayMode>& modes)
{
    mModes = modes;
    mDesktop = YDisplayMode();
    if (!mModes.empty()) {
        mDesktop = mModes.back();
        mModes.pop_back();
    }
}

YDisplayMode YDisplayModeList::parseMode(const std::string& text)
{
    YDisplayMode mode;
    size_t first = 0;
    size_t last = text.size();
    while (first < last && isBlank(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && isBlank(static_cast<unsigned char>(text[last - 1])))
        --last;
    const std::string body = text.substr(first, last - first);

    // The parts in order, each with the separators that may end it; reading
    // goes on only past the part's own separator (the first one), so the
    // refresh rate is read only after the bits.
    struct Part {
        uint32_t* field;
        const char* ends;
    };
    const Part parts[] = {
        {&mode.width, "x:@"}, {&mode.height, ":@"}, {&mode.bits, "@"}, {&mode.refresh, ""}};

    size_t pos = 0;
    for (const Part& part : parts) {
        if (!readPart(body, pos, part.ends, *part.field))
            break;
        if (pos >= body.size() || body[pos] != part.ends[0])
            break;
        ++pos;
    }
    return mode;
}

std::string YDisplayModeList::formatMode(const YDisplayMode& mode)
{
    std::string text = std::to_string(mode.width) + "x" + std::to_string(mode.height) + ":" +
                       std::to_string(mode.bits);
    if (mode.refresh != 0)
        text += "@" + std::to_string(mode.refresh);
    return text;
}

int YDisplayModeList::findMode(const YDisplayMode& wanted) const
{
    if (mModes.empty())
        return -1;
    const uint32_t wantedRefresh = wanted.refresh != 0 ? wanted.refresh : mDesktop.refresh;

    int firstOfSize = -1;
    int firstOfBits = -1;
    int best = -1; // wanted bits, highest refresh rate not above the wanted one
    for (size_t i = 0; i < mModes.size(); ++i) {
        const YDisplayMode& m = mModes[i];
        if (!sameSize(m, wanted))
            continue;
        const int position = static_cast<int>(i);
        if (firstOfSize < 0)
            firstOfSize = position;
        if (m.bits != wanted.bits)
            continue;
        if (firstOfBits < 0)
            firstOfBits = position;
        // Of equal rates the later record wins, as the list order decides.
        if (m.refresh <= wantedRefresh && (best < 0 || m.refresh >= mModes[best].refresh))
            best = position;
    }
    if (best >= 0)
        return best;
    if (firstOfBits >= 0)
        return firstOfBits;
    if (firstOfSize >= 0)
        return firstOfSize;
    return 0;
}

std::string YDisplayModeList::resolve(const std::string& wanted) const
{
    const int position = findMode(parseMode(wanted));
    if (position < 0)
        return wanted;
    return formatMode(mModes[position]);
}

std::vector<YDisplayMode> YDisplayModeList::selectModes(uint32_t width, uint32_t height,
                                                        uint32_t bits) const
{
    std::vector<YDisplayMode> out;
    for (const YDisplayMode& m : mModes) {
        if (width == 0) {
            out.emplace_back(m.width, m.height, 0, 0);
        } else if (m.width == width && m.height == height) {
            if (bits == 0)
                out.emplace_back(m.width, m.height, m.bits, 0);
            else if (m.bits == bits)
                out.push_back(m);
        }
    }
    auto key = [](const YDisplayMode& m) { return std::tie(m.width, m.height, m.bits, m.refresh); };
    // Stable, so of repeated records the first in the list order stays.
    std::stable_sort(out.begin(), out.end(),
                     [&](const YDisplayMode& a, const YDisplayMode& b) { return key(a) < key(b); });
    out.erase(std::unique(out.begin(), out.end(),
                          [&](const YDisplayMode& a, const YDisplayMode& b) { return key(a) == key(b); }),
              out.end());
    return out;
}

std::vector<YDisplayMode> buildModeList(const std::vector<YDisplayMode>& raw, const YDisplayMode& desktop)
{
    YDisplayMode desk = desktop;
    if (desk.bits == 0)
        desk.bits = 32;

    std::vector<YDisplayMode> list;
    for (const YDisplayMode& m : raw) {
        if (m.width >= 640 && m.height >= 480)
            list.push_back(m);
    }
    if (list.empty())
        list.push_back(desk); // nothing full-screen sized: offer the desktop itself
    std::stable_sort(list.begin(), list.end(), byWidthHeightRefresh);
    for (size_t i = 0; i < list.size(); ++i)
        list[i].index = static_cast<int32_t>(i);

    desk.index = -1;
    list.push_back(desk);
    return list;
}

YDisplayModeList& gDisplayModes()
{
    static YDisplayModeList instance;
    return instance;
}
