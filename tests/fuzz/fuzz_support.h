#pragma once
// What the fuzz targets share: one private working folder per process, the
// inputs written there as files (most readers of the game open a file by
// name), the game content some targets need copied in once.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace fuzz {

// Done once per process, before the first target runs: a private folder
// (on a memory file system when there is one, so the saves some readers
// make cost nothing) is made, where each run of a target works (runTarget
// goes there and back), message boxes go to stderr,
// a renderer that draws nothing is current, and a mesh over its per-vertex
// limits throws LimitReached instead of ending the program. quietLog sends
// the log nowhere: fuzzing writes millions of lines.
void setUp(bool quietLog);
// The private folder; empty before setUp.
const std::string& workDir();

// Writes the input under that name in the working folder (its folders are
// made) and returns the name, for the reader to open.
std::string writeInput(const std::string& name, const uint8_t* data, size_t size);

// Copies files or folders of the built game folder into the working folder,
// each once per process. Throws when the content was not built.
void needContent(std::initializer_list<const char*> paths);

// Thrown by the mesh-limit handler in place of the end of the program,
// which is what the game does with such a mesh.
struct LimitReached {};

} // namespace fuzz
