#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace testutil {

// The private folder of the test process; each test runs in a fresh
// subfolder of it.
const std::string& workDir();

// Writes a file (creating its folders); the path may use backslashes.
void writeText(const std::string& path, const std::string& text);
std::string readText(const std::string& path);

// Text of the process's log file.
std::string logText();
// Whether the log holds text after its first `from` characters, and how
// many times.
bool logHas(const std::string& text, size_t from = 0);
size_t logCount(const std::string& text, size_t from = 0);

// Copies a file or a whole folder of the build's game folder (generated
// and hand-written content) into the test's working folder. False when it
// is not there (the content was not built).
bool copyFromGame(const std::string& relativePath);

// The numbers after the first word of a line (a recording renderer's
// call), read in the C locale.
std::vector<float> numbers(const std::string& line);

// A game folder for the real game or editor: the content they load at
// start-up copied in, a "config.yml" for a window of that size and an empty
// "levels" folder. False, with the folder that is missing, when the content
// was not built.
bool makeGameFolder(int windowWidth, int windowHeight, std::string* missing);

// Makes a new folder of its own for a headless run, "<prefix>-XXXXXX" under
// $TMPDIR (else /tmp), and sets the environment so the run has no display,
// no sound card and no message box unless the caller chose a video or sound
// driver. Empty when the folder cannot be made.
std::string makeHeadlessRunFolder(const std::string& prefix);
// Removes such a folder and all it holds.
void removeRunFolder(const std::string& folder);

// Copies a picture a test made into $TARVELIN_SHOTS_DIR, when that is set,
// so a developer can look at it.
void keepShot(const std::string& path);

} // namespace testutil
