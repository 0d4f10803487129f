#include "core/locale.h"

#include "core/log.h"
#include "core/text.h"

YLocale::YLocale()
{
    addTag(makeTag("locale"));
    addTag(makeTag("str", {{"name", ""}}));
    addTag(makeTag("map", {{"incoming", ""}}));
}

void YLocale::load(const char* fileName)
{
    mStrings.clear();
    mTranslations.clear();
    mFileName = fileName ? fileName : "";
    parse(mFileName.c_str());
}

void YLocale::onTagClose(int tagIndex)
{
    if (tagIndex == TAG_STR)
        mStrings[getTag(TAG_STR).attributes[0].value] = getText();
    else if (tagIndex == TAG_MAP)
        mTranslations[toLower(getTag(TAG_MAP).attributes[0].value)] = getText();
}

bool YLocale::onError(const char* message)
{
    YLog::writef("Locale parser error, %s, file: %s, line: %d", message, mFileName.c_str(), getLine());
    return true;
}

std::string YLocale::translate(const std::string& key) const
{
    auto it = mTranslations.find(toLower(key));
    return it == mTranslations.end() ? key : it->second;
}

std::string& YLocale::getString(const std::string& name)
{
    return mStrings[name];
}

YLocale& gLocale()
{
    static YLocale instance;
    return instance;
}
