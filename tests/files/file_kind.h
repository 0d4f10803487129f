#pragma once
// The kinds of file the game saves, for the trials that kill a saving game
// and fill its disk. Each kind saves one of two contents with the game's own
// writer and tells with the game's own reader which one the file holds.
//
// A new kind is one small file in this folder:
//
//   static const FileKindRegistrar scores([] {
//       FileKind k;
//       k.name = "Scores";
//       k.path = "scores.dat";
//       k.save = [](int variant) { ...the game's writer, content by variant... };
//       k.read = [] { ...the game's reader: 0, 1, or -1 for neither... };
//       return k;
//   });
#include <functional>
#include <string>
#include <vector>

struct FileKind {
    std::string name; // in the test names: letters and digits only
    std::string path; // the saved file, in the test's folder
    // Fixtures the writer needs (folders, files it starts from); may be empty.
    std::function<void()> prepare;
    // Saves content 0 or 1 through the game's writer; false when it failed.
    std::function<bool(int variant)> save;
    // Reads the file through the game's reader: the content it holds, 0 or
    // 1, or -1 when the reader refuses it or it holds neither.
    std::function<int()> read;
    // What the game lists of the file's folder (the level list), which must
    // be the file alone; empty for a file the game only opens by name.
    std::function<std::vector<std::string>()> listed;
};

inline std::vector<FileKind>& fileKinds()
{
    static std::vector<FileKind> kinds;
    return kinds;
}

struct FileKindRegistrar {
    explicit FileKindRegistrar(const std::function<FileKind()>& make) { fileKinds().push_back(make()); }
};
