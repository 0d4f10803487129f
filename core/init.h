#pragma once
#include "core/file_list.h"
#include "core/math.h"
#include "core/xml_parser.h"

#include <functional>
#include <string>

// The values of the splash tag, handed to the splash screen.
struct InitSplash {
    std::string shader, bgShader;
    YVec4 bgColor;
    float width = 0, height = 0;
};

// The settings object: reads "config.yml" (and before it
// "splash\config.yml"), keeps the settings as typed values that the rest of
// the program reads and writes directly, and writes "config.yml" back.
class Init : public XMLParser {
public:
    // Tag indexes of the schema, in declaration order.
    enum Tag { TAG_CONFIG, TAG_VIDEO, TAG_WINDOW, TAG_SOUND, TAG_RENDER, TAG_SPLASH, TAG_INTERFACE };

    // Declares the schema, lists the interface folders, settings at defaults.
    Init();

    // Remembers the file name, parses the file (a missing one is skipped)
    // and copies the attributes into the typed settings.
    void load(const char* fileName);
    // Writes the typed settings to the remembered file (atomically: the old
    // file survives a failure). False, with a log line, when it fails.
    bool save();

    // "ui\" + the selected interface folder; "ui\" + the language text when
    // there is no such folder.
    std::string getInterface() const;

    // Lists the folders under "ui\" again, keeping the selected folder (or
    // the language text) selected when it is still there.
    void listInterfaces();
    const YFileList& interfaces() const { return mInterfaces; }
    // The language text as last read from a file.
    const std::string& language() const { return mLanguage; }

    // Receives the splash tag's values; without a handler they are ignored.
    void setSplashHandler(std::function<void(const InitSplash&)> handler);

    // Typed settings.
    bool fullscreen = true;
    bool maximize = false;
    bool fps = false;
    bool shadows = true;
    bool popuplosses = false;
    bool popupscores = true;
    std::string mode = "800x600:32";
    int width = 800;
    int height = 600;
    float volume = 1.0f;
    float music = 0.8f;
    int interface = 0;      // index into interfaces()
    std::string fileName;   // the name given to the last load

protected:
    void onTagOpen(int tagIndex) override;
    bool onError(const char* message) override;

private:
    void readSettings();
    // The selected folder's index, or -1 when it names no listed folder.
    int selectedFolder() const;

    YFileList mInterfaces;
    std::string mLanguage = "english";
    std::function<void(const InitSplash&)> mSplashHandler;
};

// The one settings object, built on first use.
Init& gInit();
