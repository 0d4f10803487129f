#pragma once
#include "core/xml_parser.h"

#include <string>

class YNamedSound;

// Reads the sound list file: "sound" (name) opens a named sound that "file"
// (path) tags fill until "</sound>"; "sound_once" (name, path) defines a
// sound of one file. Errors are logged with the file name and line, and
// reading goes on at the next tag.
class YSoundLoader : public XMLParser {
public:
    enum Tag { TAG_SOUND, TAG_FILE, TAG_SOUND_ONCE };

    YSoundLoader();
    void load(const char* fileName);

protected:
    void onTagOpen(int tagIndex) override;
    void onTagClose(int tagIndex) override;
    bool onError(const char* message) override;

private:
    std::string mFileName;
    YNamedSound* mOpen = nullptr;
};

// Loads a sound list file (the game passes "data\sound_fx.yml").
void loadSoundList(const char* fileName);
