// Prints the rows of a high-score file, read with the game's own reader,
// one a line: the name, a tab, the score.
//   score_list <scores.dat>
// Ends with 1 when the file is missing or is no score file.
#include "core/log.h"
#include "core/streams.h"
#include "game/score_table.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: score_list <scores.dat>\n");
        return 2;
    }
    YLog::setFileName("/dev/null");
    InFStream in(argv[1]);
    YScoreTable table;
    if (!in.isOpen() || !table.read(in)) {
        std::fprintf(stderr, "score_list: %s is no score file\n", argv[1]);
        return 1;
    }
    for (int32_t row = 0; row < table.count(); ++row)
        std::printf("%s\t%u\n", table.entry(row).name.c_str(), table.entry(row).score);
    return 0;
}
