#include "sound/sound_loader.h"

#include "core/log.h"
#include "sound/named_sound.h"

YSoundLoader::YSoundLoader()
{
    addTag(makeTag("sound", {{"name", ""}}));
    addTag(makeTag("file", {{"path", ""}}));
    addTag(makeTag("sound_once", {{"name", ""}, {"path", ""}}));
}

void YSoundLoader::load(const char* fileName)
{
    mFileName = fileName;
    mOpen = nullptr;
    YLog::writef("Parse sounds from file, %s", fileName);
    parse(fileName);
}

void YSoundLoader::onTagOpen(int tagIndex)
{
    XMLTag& tag = getTag(tagIndex);
    switch (tagIndex) {
    case TAG_SOUND:
        if (mOpen)
            onError("Expected </sound>.");
        mOpen = getNamedSound(tag.attributes[0].value);
        break;
    case TAG_FILE:
        if (!mOpen) {
            onError("Tag <file> outside <sound>.");
            break;
        }
        mOpen->addFile(tag.attributes[0].value.c_str());
        break;
    case TAG_SOUND_ONCE: {
        if (mOpen)
            onError("Expected </sound>.");
        mOpen = nullptr;
        // The parser calls onTagClose right after this for "<.../>"; the
        // sound is defined here.
        YNamedSound* sound = getNamedSound(tag.attributes[0].value);
        sound->addFile(tag.attributes[1].value.c_str());
        break;
    }
    default:
        break;
    }
}

void YSoundLoader::onTagClose(int tagIndex)
{
    if (tagIndex != TAG_SOUND)
        return;
    if (!mOpen)
        onError("Expected <sound>.");
    mOpen = nullptr;
}

bool YSoundLoader::onError(const char* message)
{
    YLog::writef("Sound init parser error, %s, file: %s, line: %d", message, mFileName.c_str(), getLine());
    return true;
}

void loadSoundList(const char* fileName)
{
    YSoundLoader loader;
    loader.load(fileName);
}
