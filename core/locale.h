#pragma once
#include "core/xml_parser.h"

#include <map>
#include <string>

// The interface's string table: named display strings (str
// elements) and translations of incoming texts (map elements), read from the
// selected interface folder's "locale.yml".
class YLocale : public XMLParser {
public:
    enum Tag { TAG_LOCALE, TAG_STR, TAG_MAP };

    YLocale();

    // Empties both tables, then parses the file (a missing file leaves them
    // empty).
    void load(const char* fileName);

    // The translation stored under the key's lower-case form, or the key
    // unchanged when there is none.
    std::string translate(const std::string& key) const;
    // The display string of that name; a missing name gets an empty entry,
    // which is returned.
    std::string& getString(const std::string& name);

protected:
    void onTagClose(int tagIndex) override;
    bool onError(const char* message) override;

private:
    std::map<std::string, std::string> mStrings;
    std::map<std::string, std::string> mTranslations; // lower-case incoming -> text
    std::string mFileName;
};

// The one string table, built on first use.
YLocale& gLocale();
