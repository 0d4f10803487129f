#include "core/error.h"
#include "core/xml_parser.h"
#include "tests/common/test_util.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// Records every callback as one line: "open a x=1 y=dy", "close a [text]",
// "error 3 message" (3 = the parser's line count at the call).
class Recorder : public XMLParser {
public:
    std::vector<std::string> events;
    bool stopAtFirstError = false;

    Recorder()
    {
        addTag(makeTag("a", {{"x", "dx"}, {"y", "dy"}}));
        addTag(makeTag("t"));
        // onTagOpen / onTagClose throw the message kind named by "kind".
        addTag(makeTag("boom", {{"open", ""}, {"close", ""}}));
    }

protected:
    static void raise(const std::string& kind)
    {
        if (kind == "yerror")
            throw YError("thrown YError");
        if (kind == "cstr")
            throw "thrown text";
        if (kind == "string")
            throw std::string("thrown string");
    }

    void onTagOpen(int index) override
    {
        std::string e = "open " + getTag(index).name;
        for (const XMLAttribute& a : getTag(index).attributes)
            e += " " + a.name + "=" + a.value;
        events.push_back(e);
        if (index == 2)
            raise(getTag(2).attributes[0].value);
    }
    void onTagClose(int index) override
    {
        events.push_back("close " + getTag(index).name + " [" + getText() + "]");
        if (index == 2)
            raise(getTag(2).attributes[1].value);
    }
    bool onError(const char* message) override
    {
        events.push_back("error " + std::to_string(getLine()) + " " + message);
        return !stopAtFirstError;
    }
};

std::vector<std::string> run(const std::string& text)
{
    Recorder r;
    r.parseText(text);
    return r.events;
}

std::string joined(const std::vector<std::string>& events)
{
    std::string s;
    for (const std::string& e : events)
        s += e + "\n";
    return s;
}

std::vector<std::string> repeat(const std::string& event, int count)
{
    return std::vector<std::string>(count, event);
}

std::vector<std::string> concat(std::vector<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct Case {
    const char* what;
    std::string input;
    std::vector<std::string> expected;
};

const std::string EXPECTED_LT = "error 0 Expected '<'.";

} // namespace

TEST(XMLParser, TableOfInputsAndCallbacks)
{
    const Case cases[] = {
        {"both quote kinds, blanks, '<' and the other quote inside values",
         "<a x='1 <2> \"q\"' y = \"it's\" />",
         {"open a x=1 <2> \"q\" y=it's", "close a []"}},
        {"bare values end at white space, '/' and '>'",
         "<a x=12 y=ab/><a\n x=7\ty=k>z</a>",
         {"open a x=12 y=ab", "close a []", "open a x=7 y=k", "close a [z]"}},
        {"no entities inside values", "<a x='&lt;'/>", {"open a x=&lt; y=dy", "close a []"}},
        {"entities in text", "<t>x &lt; y &rt; z</t>", {"open t", "close t [x < y > z]"}},
        {"white space and line breaks kept in text", "<t> a\n b </t>", {"open t", "close t [ a\n b ]"}},
        {"comments join text, '--->' ends one, '-->' alone does not end early",
         "<t>Hel<!-- a -> b --->l<!---->o</t><!-- top -->",
         {"open t", "close t [Hello]"}},
        {"defaults restored for each occurrence", "<a x='1' y='2'></a><a y='3'/>",
         {"open a x=1 y=2", "close a []", "open a x=dx y=3", "close a []"}},
        {"nesting is not checked", "<t><a></t></a>",
         {"open t", "open a x=dx y=dy", "close t []", "close a []"}},
        {"undeclared tag: one error per character up to the next '<'",
         "<b>xy<t/>",
         concat({{"error 0 Unknown tag: b"}, repeat(EXPECTED_LT, 3), {"open t", "close t []"}})},
        {"unknown entity, then resynchronising",
         "<t>a &gt; b</t>",
         concat({{"open t", "error 0 Unknown character &gt;"}, repeat(EXPECTED_LT, 2), {"close t [a ]"}})},
        {"entity without ';'", "<t>&lt x</t>",
         concat({{"open t", "error 0 Expected ';'"}, repeat(EXPECTED_LT, 1), {"close t []"}})},
        {"unknown attribute: tag never opened, its end tag still closes",
         "<a z='1'>text</a>",
         concat({{"error 0 Unknown attribute: z of tag: a"}, repeat(EXPECTED_LT, 9), {"close a []"}})},
        {"missing '='", "<a x '1'>q</a>",
         concat({{"error 0 Expected '='."}, repeat(EXPECTED_LT, 4), {"close a []"}})},
        {"'/' not followed by '>'", "<a x=1 / >q</a>",
         concat({{"error 0 Expected '>' after '/'."}, repeat(EXPECTED_LT, 2), {"close a []"}})},
        {"end tag without '>'", "<t></t x><t/>",
         concat({{"open t", "close t []", "error 0 Expected '>'."}, repeat(EXPECTED_LT, 1), {"open t", "close t []"}})},
        {"bad specials", "<!x><!-x><t/>",
         concat({{"error 0 Invalid special '!'."}, repeat(EXPECTED_LT, 1),
                 {"error 0 Expected '--'."}, repeat(EXPECTED_LT, 1), {"open t", "close t []"}})},
        {"text before the first '<'", "  x<t/>", {EXPECTED_LT, "open t", "close t []"}},
        {"line numbers count every '\\n', also one put back",
         "<\n\nt/>\n<t>\n&x;</t>\n\n<q>",
         concat({{"open t", "close t []", "open t", "error 4 Unknown character &x;", "close t [\n]",
                  "error 6 Unknown tag: q"}, repeat("error 6 Expected '<'.", 1)})},
        {"white space only", " \n\t \n", {}},
        {"empty", "", {}},
        {"cut off inside an element", "<t>abc", {"open t"}},
        {"cut off inside a start tag", "<a x='1", {}},
        {"cut off after '/'", "<a x='1'/", {}},
        {"cut off inside a comment", "<t/><!-- never closed -", {"open t", "close t []"}},
        {"cut off inside an end tag", "<t>a</t", {"open t"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(joined(c.expected), joined(run(c.input))) << c.what;
}

TEST(XMLParser, MessagesThrownByTheLoaderAreReportedAndParsingResumes)
{
    // Thrown out of onTagOpen of a start tag and of an empty-element tag:
    // the element's close is skipped, the next tag is read normally.
    for (const char* kind : {"yerror", "cstr", "string"}) {
        std::string k = kind;
        std::string message = k == "yerror" ? "thrown YError" : k == "cstr" ? "thrown text" : "thrown string";
        EXPECT_EQ(joined({"open boom open=" + k + " close=", "error 0 " + message, "open t", "close t []"}),
                  joined(run("<boom open='" + k + "'/><t/>")));
        EXPECT_EQ(joined({"open boom open=" + k + " close=", "error 0 " + message, EXPECTED_LT, "open t",
                          "close t []"}),
                  joined(run("<boom open='" + k + "'>x<t/>")));
    }
    // Out of onTagClose at an end tag: the '>' still pending is reported too.
    EXPECT_EQ(joined({"open boom open= close=string", "close boom [x]", "error 0 thrown string", EXPECTED_LT,
                      "open a x=dx y=dy", "close a []"}),
              joined(run("<boom close='string'>x</boom><a/>")));
}

TEST(XMLParser, OnErrorReturningFalseEndsTheParse)
{
    Recorder r;
    r.stopAtFirstError = true;
    r.parseText("<t>&bad;</t><t/>");
    EXPECT_EQ(joined({"open t", "error 0 Unknown character &bad;"}), joined(r.events));

    // Characters read ahead when the parse stopped do not leak into the next.
    r.events.clear();
    r.parseText("<q=>");   // '=' put back
    r.parseText("<t/>");
    r.parseText("<q\rx>"); // 'x' read past the '\r'
    r.parseText("<t/>");
    EXPECT_EQ(joined({"error 0 Unknown tag: q", "open t", "close t []", "error 0 Unknown tag: q", "open t", "close t []"}),
              joined(r.events));
}

TEST(XMLParser, CarriageReturnBeforeLineFeedIsDropped)
{
    const std::string lf = "<t>\n a\n</t>\n<a x='1\n2'>\n&zz;\n<t>b\n\n</t>\n\n<q/>\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::vector<std::string> expected = run(lf);
    EXPECT_EQ(joined(expected), joined(run(crlf)));
    EXPECT_NE(std::string::npos, joined(expected).find("error 5 Unknown character &zz;\nerror 6 Expected"));
    EXPECT_NE(std::string::npos, joined(expected).find("error 10 Unknown tag: q"));

    // A carriage return not before '\n' is text like any other.
    EXPECT_EQ(joined({"open t", "close t [a\r\r\nb\r]"}), joined(run("<t>a\r\r\r\nb\r</t>\r")));
}

TEST(XMLParser, LineCountStartsAtZeroForEachParse)
{
    Recorder r;
    r.parseText("\n\n<q>");
    r.parseText("\n<q>");
    EXPECT_EQ(joined({"error 2 Unknown tag: q", "error 2 Expected '<'.", "error 1 Unknown tag: q", "error 1 Expected '<'."}),
              joined(r.events));
}

TEST(XMLParser, ParseOpensFilesThroughPathResolutionAndSkipsMissingOnes)
{
    testutil::writeText("XmlData/Sub/Some File.YML", "<t>file</t>");
    Recorder r;
    r.parse("xmldata\\sub\\some file.yml");
    r.parse("xmldata\\sub\\missing.yml");
    r.parse(nullptr);
    EXPECT_EQ(joined({"open t", "close t [file]"}), joined(r.events));

    testutil::writeText("xmldata/blank.yml", "  \r\n\t\n");
    r.parse("xmldata\\blank.yml");
    EXPECT_EQ(2u, r.events.size());
}

namespace {

// A loader reading its own source, as the layout loader does.
class OwnSource : public Recorder {
public:
    std::string source;
    size_t at = 0;

    void run() { at = 0; runParser(); }

protected:
    char readChar() override
    {
        if (at >= source.size())
            endOfInput();
        return source[at++];
    }
};

} // namespace

TEST(XMLParser, AnOverriddenReadCharFeedsTheParser)
{
    OwnSource p;
    p.source = "<a x=\"5\">\r\n</a>\r\n<zz>";
    p.run();
    EXPECT_EQ(joined({"open a x=5 y=dy", "close a [\n]", "error 2 Unknown tag: zz", "error 2 Expected '<'."}), joined(p.events));
}

TEST(XMLParser, WriterOmitsDefaultsUnlessWriteAll)
{
    Recorder r;
    std::ostringstream out;
    r.writeOpenTag(out, 0);
    r.writeCloseTag(out, 0);
    r.writeTag(out, r.getTag(1), true);
    EXPECT_EQ("<a></a><t/>", out.str());

    XMLTag& a = r.getTag(0);
    a.findAttribute("y")->value = "it's <raw>";
    out.str("");
    r.writeOpenTag(out, 0);
    EXPECT_EQ("<a y=\"it's <raw>\">", out.str());

    r.setWriteAll(true);
    out.str("");
    r.writeTag(out, a, true);
    EXPECT_EQ("<a x=\"dx\" y=\"it's <raw>\"/>", out.str());

    // What the writer wrote reads back to the same values.
    r.parseText(out.str());
    EXPECT_EQ("open a x=dx y=it's <raw>", r.events.at(0));
}

TEST(XMLParser, DeclarationAndValueHelpers)
{
    Recorder r;
    EXPECT_EQ(3, r.addTag(XMLParser::makeTag("late", {{"n", "7"}})));
    EXPECT_EQ(3, r.getTag(3).index);
    EXPECT_EQ(nullptr, r.currentTag());
    EXPECT_EQ(nullptr, r.findTag("A")); // names are case-sensitive
    ASSERT_NE(nullptr, r.findTag("late"));
    EXPECT_EQ(3, r.currentTag()->index);
    EXPECT_EQ(nullptr, r.getTag(3).findAttribute("N"));

    XMLAttribute& n = *r.getTag(3).findAttribute("n");
    EXPECT_EQ("7", n.value);
    EXPECT_EQ(7, n.toInt());
    n.value = "2.5e1x";
    EXPECT_EQ(2, n.toInt());
    EXPECT_FLOAT_EQ(25.0f, n.toFloat());
    EXPECT_TRUE(n.toBool());
    n.value = "junk";
    EXPECT_EQ(0, n.toInt());
    EXPECT_FALSE(n.toBool());
    n.setBool(true);
    EXPECT_EQ("1", n.value);
    n.setInt(-42);
    EXPECT_EQ("-42", n.value);
    n.setFloat(0.8f);
    EXPECT_EQ("0.8", n.value);
    n.setFloat(1.0f / 3.0f);
    EXPECT_EQ("0.333333", n.value);
    n.setFloat(1234567.0f);
    EXPECT_EQ("1.23457e+06", n.value);
    r.getTag(3).resetAttributes();
    EXPECT_EQ("7", n.value);
}
