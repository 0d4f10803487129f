#include "core/xml_parser.h"

#include "core/error.h"
#include "platform/sys/paths.h"

#include <cassert>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <sstream>

namespace {

bool isSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Names and bare values run up to white space or one of these.
bool isDelimiter(char c)
{
    return isSpace(c) || c == '&' || c == '/' || c == ';' || c == '<' || c == '=' || c == '>';
}

template <typename T>
std::string formatNumber(T value)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << value;
    return out.str();
}

} // namespace

// ---------------------------------------------------------------------------
// XMLAttribute / XMLTag

int XMLAttribute::toInt() const { return std::atoi(value.c_str()); }
float XMLAttribute::toFloat() const { return static_cast<float>(std::atof(value.c_str())); }
bool XMLAttribute::toBool() const { return std::atoi(value.c_str()) != 0; }
void XMLAttribute::setBool(bool v) { value = v ? "1" : "0"; }
void XMLAttribute::setInt(int v) { value = formatNumber(v); }
void XMLAttribute::setFloat(float v) { value = formatNumber(v); }

XMLAttribute* XMLTag::findAttribute(const std::string& attributeName)
{
    for (XMLAttribute& a : attributes) {
        if (a.name == attributeName)
            return &a;
    }
    return nullptr;
}

const XMLAttribute* XMLTag::findAttribute(const std::string& attributeName) const
{
    return const_cast<XMLTag*>(this)->findAttribute(attributeName);
}

void XMLTag::resetAttributes()
{
    for (XMLAttribute& a : attributes)
        a.value = a.defaultValue;
}

// ---------------------------------------------------------------------------
// Declaration and use

XMLTag XMLParser::makeTag(const char* name,
                          std::initializer_list<std::pair<const char*, const char*>> attributes)
{
    XMLTag tag;
    tag.name = name ? name : "";
    for (const auto& [attrName, def] : attributes) {
        XMLAttribute a;
        a.name = attrName ? attrName : "";
        a.defaultValue = def ? def : "";
        a.value = a.defaultValue;
        tag.attributes.push_back(std::move(a));
    }
    return tag;
}

int XMLParser::addTag(const XMLTag& tag)
{
    mTags.push_back(tag);
    mTags.back().index = static_cast<int>(mTags.size()) - 1;
    return mTags.back().index;
}

XMLTag* XMLParser::findTag(const std::string& name)
{
    for (XMLTag& t : mTags) {
        if (t.name == name) {
            mCurrentTag = t.index;
            return &t;
        }
    }
    return nullptr;
}

void XMLParser::parse(const char* fileName)
{
    if (!fileName || !*fileName)
        return;
    // Binary: the parser itself drops '\r' before '\n'.
    std::ifstream input(sys::resolvePath(fileName), std::ios::in | std::ios::binary);
    if (!input.is_open())
        return;
    parseStream(input);
}

void XMLParser::parseText(const std::string& text)
{
    std::istringstream input(text, std::ios::in | std::ios::binary);
    parseStream(input);
}

void XMLParser::parseStream(std::istream& input)
{
    struct Restore {
        std::istream*& slot;
        std::istream* old;
        ~Restore() { slot = old; }
    } restore{mInput, mInput};
    mInput = &input;
    runParser();
}

void XMLParser::onTagOpen(int) {}
void XMLParser::onTagClose(int) {}
bool XMLParser::onError(const char*) { return true; }

// ---------------------------------------------------------------------------
// Character input

char XMLParser::readChar()
{
    int c = mInput ? mInput->get() : std::char_traits<char>::eof();
    if (c == std::char_traits<char>::eof())
        endOfInput();
    return static_cast<char>(c);
}

void XMLParser::endOfInput()
{
    throw EndOfInput{};
}

void XMLParser::error(const std::string& message)
{
    throw YError(message);
}

// The next raw character, or -1 at the end of the input.
int XMLParser::readRaw()
{
    if (mHasLookahead) {
        mHasLookahead = false;
        return static_cast<unsigned char>(mLookahead);
    }
    if (mAtEnd)
        return -1;
    try {
        return static_cast<unsigned char>(readChar());
    } catch (const EndOfInput&) {
        mAtEnd = true;
        return -1;
    }
}

// The next character for the state machine: the put-back one first, a
// carriage return directly before '\n' dropped, each new '\n' counted.
char XMLParser::getChar()
{
    if (mHasPutBack) {
        mHasPutBack = false;
        return mPutBack;
    }
    int c = readRaw();
    if (c < 0)
        throw EndOfInput{};
    if (c == '\r') {
        int next = readRaw();
        if (next == '\n') {
            c = '\n';
        } else if (next >= 0) {
            mLookahead = static_cast<char>(next);
            mHasLookahead = true;
        }
    }
    if (c == '\n')
        ++mLine;
    return static_cast<char>(c);
}

void XMLParser::putBack(char c)
{
    assert(!mHasPutBack);
    mPutBack = c;
    mHasPutBack = true;
}

void XMLParser::skipSpace()
{
    char c;
    do {
        c = getChar();
    } while (isSpace(c));
    putBack(c);
}

std::string XMLParser::readName()
{
    std::string name;
    for (;;) {
        char c = getChar();
        if (isDelimiter(c)) {
            putBack(c);
            return name;
        }
        name += c;
    }
}

std::string XMLParser::readQuoted(char quote)
{
    std::string value;
    for (char c = getChar(); c != quote; c = getChar())
        value += c;
    return value;
}

char XMLParser::readEntity()
{
    std::string name = readName();
    if (getChar() != ';')
        error("Expected ';'");
    if (name == "lt")
        return '<';
    if (name == "rt")
        return '>';
    error("Unknown character &" + name + ";");
}

// ---------------------------------------------------------------------------
// The state machine

void XMLParser::runParser()
{
    mLine = 0;
    mState = 0;
    for (XMLTag& t : mTags)
        t.resetAttributes();
    mClearText = true;
    mCurrentTag = -1;
    mHasPutBack = false;
    mHasLookahead = false;
    mAtEnd = false;

    char c;
    try {
        skipSpace();
        c = getChar();
    } catch (const EndOfInput&) {
        return;
    }

    for (;;) {
        // Before the first '<', and after an error up to the next '<', each
        // character is reported at once rather than thrown: a damaged file
        // can hold a great many of them.
        if ((mState == 0 || mState == 5) && c != '<') {
            mState = 5;
            if (!onError("Expected '<'."))
                return;
            try {
                c = getChar();
            } catch (const EndOfInput&) {
                return;
            }
            continue;
        }
        std::string message;
        try {
            step(c);
            continue;
        } catch (const EndOfInput&) {
            return;
        } catch (const YError& e) {
            message = e.what();
        } catch (const char* text) {
            message = text ? text : "";
        } catch (const std::string& text) {
            message = text;
        }
        // Report, then resynchronise: every character up to the next '<'
        // is reported as "Expected '<'." in state 5.
        mState = 5;
        if (!onError(message.c_str()))
            return;
        try {
            c = getChar();
        } catch (const EndOfInput&) {
            return;
        }
    }
}

// One pass of the state machine. States 0 and 5 use the character at hand;
// the others read their own input.
void XMLParser::step(char c)
{
    switch (mState) {
    case 0: // the first '<'
    case 5: // resynchronising after an error
        if (c != '<')
            error("Expected '<'.");
        mState = 1;
        break;
    case 1: { // after '<'
        char d = getChar();
        if (d == '!') {
            mState = 6;
        } else if (d == '/') {
            mState = 3;
        } else {
            putBack(d);
            readStartTag();
        }
        break;
    }
    case 2:
        readText();
        break;
    case 3:
        readEndTag();
        break;
    case 4:
        readComment();
        break;
    case 6:
        readSpecial();
        break;
    default:
        mState = 5;
        error("Invalid parser state.");
    }
}

void XMLParser::readStartTag()
{
    skipSpace();
    std::string name = readName();
    XMLTag* tag = findTag(name);
    if (!tag)
        error("Unknown tag: " + name);
    const int index = tag->index;
    tag->resetAttributes();

    for (;;) {
        skipSpace();
        char c = getChar();
        if (c == '/') {
            if (getChar() != '>')
                error("Expected '>' after '/'.");
            onTagOpen(index);
            mText.clear();
            onTagClose(index);
            mState = 2;
            return;
        }
        if (c == '>') {
            onTagOpen(index);
            mState = 2;
            return;
        }
        putBack(c);
        std::string attrName = readName();
        XMLAttribute* attr = mTags[index].findAttribute(attrName);
        if (!attr)
            error("Unknown attribute: " + attrName + " of tag: " + mTags[index].name);
        skipSpace();
        if (getChar() != '=')
            error("Expected '='.");
        skipSpace();
        char q = getChar();
        std::string value;
        if (q == '"' || q == '\'') {
            value = readQuoted(q);
        } else {
            putBack(q);
            value = readName();
        }
        attr->value = std::move(value);
    }
}

void XMLParser::readText()
{
    if (mClearText)
        mText.clear();
    for (;;) {
        char c = getChar();
        if (c == '&') {
            mText += readEntity();
        } else if (c == '<') {
            mState = 1;
            mClearText = true;
            return;
        } else {
            mText += c;
        }
    }
}

void XMLParser::readEndTag()
{
    skipSpace();
    std::string name = readName();
    XMLTag* tag = findTag(name);
    if (!tag)
        error("Unknown tag: " + name);
    onTagClose(tag->index);
    skipSpace();
    if (getChar() != '>')
        error("Expected '>'.");
    mState = 2;
}

void XMLParser::readComment()
{
    int dashes = 0;
    for (;;) {
        char c = getChar();
        if (c == '-') {
            if (dashes < 2)
                ++dashes;
        } else if (c == '>' && dashes == 2) {
            mState = 2;
            mClearText = false; // text before and after the comment joins
            return;
        } else {
            dashes = 0;
        }
    }
}

void XMLParser::readSpecial()
{
    if (getChar() != '-')
        error("Invalid special '!'.");
    if (getChar() != '-')
        error("Expected '--'.");
    mState = 4;
}

// ---------------------------------------------------------------------------
// Writer

void XMLParser::writeTag(std::ostream& out, const XMLTag& tag, bool selfClose) const
{
    out << '<' << tag.name;
    for (const XMLAttribute& a : tag.attributes) {
        if (!mWriteAll && a.value == a.defaultValue)
            continue;
        out << ' ' << a.name << "=\"" << a.value << '"';
    }
    out << (selfClose ? "/>" : ">");
}

void XMLParser::writeOpenTag(std::ostream& out, int tagIndex) const
{
    writeTag(out, mTags[tagIndex], false);
}

void XMLParser::writeCloseTag(std::ostream& out, int tagIndex) const
{
    out << "</" << mTags[tagIndex].name << '>';
}
