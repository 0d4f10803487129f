#pragma once
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

// One declared attribute of a markup tag.
struct XMLAttribute {
    std::string name;         // compared byte for byte
    std::string value;        // reset to the default before each occurrence
    std::string defaultValue; // given at declaration

    int toInt() const;     // atoi of the value
    float toFloat() const; // atof of the value
    bool toBool() const;   // atoi of the value is not 0
    void setBool(bool v);  // "1" or "0"
    void setInt(int v);    // decimal text
    void setFloat(float v); // stream formatting, six significant digits
};

// One declared tag: its attributes in declaration order and its index, the
// number of tags declared before it.
struct XMLTag {
    std::vector<XMLAttribute> attributes;
    std::string name;
    int index = 0;

    XMLAttribute* findAttribute(const std::string& attributeName);
    const XMLAttribute* findAttribute(const std::string& attributeName) const;
    void resetAttributes();
};

// Reader and writer of the ".yml" markup files. A loader derives from it,
// declares its tags in its constructor and receives onTagOpen / onTagClose.
// Messages thrown while parsing (YError, const char*, std::string), also by a
// loader's tag handlers, reach onError; parsing goes on at the next '<'.
class XMLParser {
public:
    XMLParser() = default;
    virtual ~XMLParser() = default;

    // A tag with (attribute name, default value) pairs, values at defaults.
    static XMLTag makeTag(const char* name,
                          std::initializer_list<std::pair<const char*, const char*>> attributes = {});
    // Appends a copy; returns its index (the number of tags already declared).
    int addTag(const XMLTag& tag);

    // Opens the file through path resolution (backslashes, any case) and
    // parses it; a file that does not open is skipped silently.
    void parse(const char* fileName);
    // Parses text held in memory.
    void parseText(const std::string& text);
    // Parses a stream; the parser reads it through readChar.
    void parseStream(std::istream& input);

    // The tag with exactly that name, which also becomes the current tag;
    // null when there is none.
    XMLTag* findTag(const std::string& name);
    XMLTag& getTag(int index) { return mTags[index]; }
    const XMLTag& getTag(int index) const { return mTags[index]; }
    int tagCount() const { return static_cast<int>(mTags.size()); }
    // The tag found last by name; null before the first.
    XMLTag* currentTag() { return mCurrentTag < 0 ? nullptr : &mTags[mCurrentTag]; }

    // Number of '\n' read so far in the current (or last) parse.
    int getLine() const { return mLine; }
    int getState() const { return mState; }
    // Character data collected since the last start or end tag.
    const std::string& getText() const { return mText; }

    // Writer. Attributes equal to their default are left out unless
    // write-all is set. No line break is written; values are not escaped.
    void setWriteAll(bool writeAll) { mWriteAll = writeAll; }
    bool getWriteAll() const { return mWriteAll; }
    void writeTag(std::ostream& out, const XMLTag& tag, bool selfClose) const;
    void writeOpenTag(std::ostream& out, int tagIndex) const;
    void writeCloseTag(std::ostream& out, int tagIndex) const;

protected:
    // Delivers the next raw character of the input, or calls endOfInput().
    // The base reads the stream given to parseStream. An override (the
    // layout loader) reads its own source and is driven by runParser().
    // Carriage returns before '\n', line counting and put-back are handled
    // by the parser above this function, so an override needs none of them.
    virtual char readChar();
    // A start tag with its attributes has been read (values in the tag).
    virtual void onTagOpen(int tagIndex);
    // An end tag, or right after onTagOpen for "<name/>"; the element's text
    // is getText().
    virtual void onTagClose(int tagIndex);
    // Every syntax error and thrown message; true goes on, false ends.
    virtual bool onError(const char* message);

    // Ends the parse from inside readChar (end of the input).
    [[noreturn]] static void endOfInput();
    // Runs the state machine over whatever readChar delivers.
    void runParser();

private:
    struct EndOfInput {}; // private: no loader can throw it by accident

    char getChar();
    int readRaw();
    void putBack(char c);
    void skipSpace();
    std::string readName();
    std::string readQuoted(char quote);
    char readEntity();
    [[noreturn]] static void error(const std::string& message);

    void step(char c);
    void readStartTag();
    void readText();
    void readEndTag();
    void readComment();
    void readSpecial();

    std::vector<XMLTag> mTags;
    int mLine = 0;
    int mState = 0;
    std::istream* mInput = nullptr;
    int mCurrentTag = -1;
    bool mClearText = true;
    bool mWriteAll = false;
    std::string mText;

    // One character put back by the parser, and one raw character read past
    // a carriage return that was not followed by '\n'.
    bool mHasPutBack = false;
    char mPutBack = 0;
    bool mHasLookahead = false;
    char mLookahead = 0;
    bool mAtEnd = false;
};
