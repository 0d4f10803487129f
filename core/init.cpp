#include "core/init.h"

#include "core/log.h"
#include "platform/sys/files.h"

#include <sstream>

namespace {

// Attribute positions inside their tags (declaration order below).
enum { VIDEO_FULLSCREEN, VIDEO_MODE };
enum { WINDOW_WIDTH, WINDOW_HEIGHT, WINDOW_MAXIMIZE };
enum { SOUND_VOLUME, SOUND_MUSIC };
enum { RENDER_FPS, RENDER_SHADOWS };
enum { SPLASH_SHADER, SPLASH_BGSHADER, SPLASH_BGCOLOR, SPLASH_WIDTH, SPLASH_HEIGHT };
enum { INTERFACE_LANGUAGE, INTERFACE_POPUPSCORES, INTERFACE_POPUPLOSSES };

} // namespace

Init::Init()
{
    addTag(makeTag("config"));
    addTag(makeTag("video", {{"fullscreen", "1"}, {"mode", "800x600:32"}}));
    addTag(makeTag("window", {{"width", "800"}, {"height", "600"}, {"maximize", "0"}}));
    addTag(makeTag("sound", {{"volume", "1"}, {"music", "0.8"}}));
    addTag(makeTag("render", {{"fps", "0"}, {"shadows", "1"}}));
    addTag(makeTag("splash", {{"shader", ""},
                              {"bgshader", ""},
                              {"bgcolor", "000000"},
                              {"width", "500"},
                              {"height", "500"}}));
    addTag(makeTag("interface", {{"language", "english"}, {"popupscores", "1"}, {"popuplosses", "0"}}));
    mInterfaces = YFileList("ui\\*", true);
    readSettings();
}

void Init::setSplashHandler(std::function<void(const InitSplash&)> handler)
{
    mSplashHandler = std::move(handler);
}

void Init::load(const char* name)
{
    fileName = name ? name : "";
    parse(fileName.c_str());
    readSettings();
}

void Init::readSettings()
{
    const XMLTag& video = getTag(TAG_VIDEO);
    const XMLTag& window = getTag(TAG_WINDOW);
    const XMLTag& sound = getTag(TAG_SOUND);
    const XMLTag& render = getTag(TAG_RENDER);
    const XMLTag& face = getTag(TAG_INTERFACE);

    fullscreen = video.attributes[VIDEO_FULLSCREEN].toBool();
    mode = video.attributes[VIDEO_MODE].value;
    width = window.attributes[WINDOW_WIDTH].toInt();
    height = window.attributes[WINDOW_HEIGHT].toInt();
    maximize = window.attributes[WINDOW_MAXIMIZE].toBool();
    volume = clampUnit(sound.attributes[SOUND_VOLUME].toFloat());
    music = clampUnit(sound.attributes[SOUND_MUSIC].toFloat());
    fps = render.attributes[RENDER_FPS].toBool();
    shadows = render.attributes[RENDER_SHADOWS].toBool();
    mLanguage = face.attributes[INTERFACE_LANGUAGE].value;
    popupscores = face.attributes[INTERFACE_POPUPSCORES].toBool();
    popuplosses = face.attributes[INTERFACE_POPUPLOSSES].toBool();
    interface = mInterfaces.indexOf(mLanguage, 0);
}

int Init::selectedFolder() const
{
    return interface >= 0 && interface < mInterfaces.size() ? interface : -1;
}

std::string Init::getInterface() const
{
    int folder = selectedFolder();
    return folder < 0 ? "ui\\" + mLanguage : mInterfaces.getPath(folder);
}

void Init::listInterfaces()
{
    int folder = selectedFolder();
    std::string selected = folder < 0 ? mLanguage : mInterfaces.baseName(folder);
    mInterfaces = YFileList("ui\\*", true);
    interface = mInterfaces.indexOf(selected, 0);
}

bool Init::save()
{
    XMLTag& video = getTag(TAG_VIDEO);
    XMLTag& window = getTag(TAG_WINDOW);
    XMLTag& sound = getTag(TAG_SOUND);
    XMLTag& render = getTag(TAG_RENDER);
    XMLTag& face = getTag(TAG_INTERFACE);

    video.attributes[VIDEO_FULLSCREEN].setBool(fullscreen);
    video.attributes[VIDEO_MODE].value = mode;
    window.attributes[WINDOW_WIDTH].setInt(width);
    window.attributes[WINDOW_HEIGHT].setInt(height);
    window.attributes[WINDOW_MAXIMIZE].setBool(maximize);
    sound.attributes[SOUND_VOLUME].setFloat(volume);
    sound.attributes[SOUND_MUSIC].setFloat(music);
    render.attributes[RENDER_FPS].setBool(fps);
    render.attributes[RENDER_SHADOWS].setBool(shadows);
    int folder = selectedFolder();
    face.attributes[INTERFACE_LANGUAGE].value = folder < 0 ? mLanguage : mInterfaces.baseName(folder);
    face.attributes[INTERFACE_POPUPSCORES].setBool(popupscores);
    face.attributes[INTERFACE_POPUPLOSSES].setBool(popuplosses);

    std::ostringstream out;
    writeOpenTag(out, TAG_CONFIG);
    out << '\n';
    for (int tag : {TAG_VIDEO, TAG_WINDOW, TAG_SOUND, TAG_RENDER, TAG_INTERFACE}) {
        out << "  ";
        writeOpenTag(out, tag);
        out << '\n';
    }
    writeCloseTag(out, TAG_CONFIG);
    out << '\n';

    if (fileName.empty()) {
        YLog::write("Init: cannot save the settings: no configuration file was loaded");
        return false;
    }
    std::string reason;
    if (!sys::writeFileAtomic(fileName, out.str(), &reason)) {
        YLog::writef("Init: cannot save the settings to %s: %s", fileName.c_str(), reason.c_str());
        return false;
    }
    return true;
}

void Init::onTagOpen(int tagIndex)
{
    if (tagIndex != TAG_SPLASH || !mSplashHandler)
        return;
    const XMLTag& tag = getTag(TAG_SPLASH);
    InitSplash splash;
    splash.shader = tag.attributes[SPLASH_SHADER].value;
    splash.bgShader = tag.attributes[SPLASH_BGSHADER].value;
    splash.bgColor.parseColor(tag.attributes[SPLASH_BGCOLOR].value); // throws on a bad colour
    splash.width = tag.attributes[SPLASH_WIDTH].toFloat();
    splash.height = tag.attributes[SPLASH_HEIGHT].toFloat();
    mSplashHandler(splash);
}

bool Init::onError(const char* message)
{
    YLog::writef("Init parser error, %s, file: config.yml, line: %d", message, getLine());
    return true;
}

Init& gInit()
{
    static Init instance;
    return instance;
}
