// The suite's string routines: tokens, words, splitting, trimming, comparing and integers.
#include "suite/base/qzstr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/strings.h"

namespace {

// All tokens of S from position 1, and the position after each call.
std::vector<std::string> Tokens(const std::string& s, const std::string& delim,
                                std::vector<int>* positions = nullptr) {
    std::vector<std::string> tokens;
    int pos = 1;
    for (int guard = 0; pos > 0 && guard < 100; ++guard) {
        tokens.push_back(qzStrGetToken(s, delim, pos));
        if (positions) positions->push_back(pos);
    }
    return tokens;
}

std::vector<std::string> Lines(TStrings& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
    return lines;
}

}  // namespace

TEST(QzStrGetToken, SingleCharacterDelimiter) {
    std::vector<int> positions;
    EXPECT_EQ(Tokens("a;b", ";", &positions), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(positions, (std::vector<int>{3, -1}));
    EXPECT_EQ(Tokens("a;;c", ";"), (std::vector<std::string>{"a", "", "c"}));
    EXPECT_EQ(Tokens("", ";"), (std::vector<std::string>{""}));
    std::string token = "x";
    int pos = 1;
    qzStrGetToken("f1\tf2", "\t", pos, token);
    EXPECT_EQ(token, "f1");
    EXPECT_EQ(pos, 4);
}

TEST(QzStrGetToken, TextEndingWithItsDelimiterStops) {
    // After "a" the position points past the end: an empty token and -1,
    // never a second round from the start.
    std::vector<int> positions;
    EXPECT_EQ(Tokens("a;", ";", &positions), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(positions, (std::vector<int>{3, -1}));
    int pos = 99;
    EXPECT_EQ(qzStrGetToken("abc", ";", pos), "");
    EXPECT_EQ(pos, -1);
    pos = 0;
    EXPECT_EQ(qzStrGetToken("abc", ";", pos), "");
    EXPECT_EQ(pos, 0);
    pos = -1;
    EXPECT_EQ(qzStrGetToken("abc", ";", pos), "");
    EXPECT_EQ(pos, -1);
}

TEST(QzStrGetToken, WordDelimiterNeedsBlanksOnBothSides) {
    std::vector<int> positions;
    EXPECT_EQ(Tokens("a AND b and c", "and", &positions), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(positions, (std::vector<int>{7, 13, -1}));
    EXPECT_EQ(Tokens("sand andy", "and"), (std::vector<std::string>{"sand andy"}));
    EXPECT_EQ(Tokens("band and", "and"), (std::vector<std::string>{"band and"}));
}

TEST(QzStrGetWord, PlainWordsAndDelimiters) {
    const TqzCharSet delims(",=");
    std::string word;
    int pos = 1;
    const std::string s = "  name=value, x";
    qzStrGetWord(s, pos, qzgwSkipBlanks, word, delims);
    EXPECT_EQ(word, "name");
    EXPECT_EQ(pos, 7);
    qzStrGetWord(s, pos, qzgwSkipBlanks, word, delims);
    EXPECT_EQ(word, "=");
    qzStrGetWord(s, pos, qzgwSkipBlanks, word, delims);
    EXPECT_EQ(word, "value");
    qzStrGetWord(s, pos, qzgwSkipBlanks, word, delims);
    EXPECT_EQ(word, ",");
    qzStrGetWord(s, pos, qzgwSkipBlanks, word, delims);
    EXPECT_EQ(word, "x");
    EXPECT_EQ(pos, 16);
    // Out of range: word and position stay.
    qzStrGetWord(s, pos, qzgwSkipBlanks, word, delims);
    EXPECT_EQ(word, "x");
    EXPECT_EQ(pos, 16);
    // A one-letter word keeps the delimiter after it for the next call.
    pos = 1;
    qzStrGetWord("a,b", pos, 0, word, delims);
    EXPECT_EQ(word, "a");
    qzStrGetWord("a,b", pos, 0, word, delims);
    EXPECT_EQ(word, ",");
}

TEST(QzStrGetWord, BlanksInsideWords) {
    std::string word;
    int pos = 1;
    qzStrGetWord("first name,x", pos, qzgwKeepBlanks, word, TqzCharSet(","));
    EXPECT_EQ(word, "first name");
    pos = 1;
    qzStrGetWord("first name,x", pos, 0, word, TqzCharSet(","));
    EXPECT_EQ(word, "first");
}

TEST(QzStrGetWord, QuotedWords) {
    std::string word;
    int pos = 1;
    const std::string s = "\"a b\" c";
    qzStrGetWord(s, pos, qzgwQuoted, word, TqzCharSet());
    EXPECT_EQ(word, "\"a b\"");
    EXPECT_EQ(pos, 6);
    pos = 1;
    qzStrGetWord(s, pos, qzgwQuoted | qzgwStripQuotes, word, TqzCharSet());
    EXPECT_EQ(word, "a b");
    // Only an opening quote: the rest of the text.
    pos = 1;
    qzStrGetWord("\"open end", pos, qzgwQuoted, word, TqzCharSet());
    EXPECT_EQ(word, "\"open end");
    EXPECT_EQ(pos, 10);
    pos = 1;
    qzStrGetWord("\"", pos, qzgwQuoted | qzgwStripQuotes, word, TqzCharSet());
    EXPECT_EQ(word, "");
}

TEST(QzStrSplit, PiecesBetweenDelimiters) {
    TStringList list;
    qzStrSplit("", ";", &list);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{""}));
    qzStrSplit("a;b;", ";", &list);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", ""}));
    // A longer delimiter is removed whole.
    qzStrSplit("a::b", "::", &list);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b"}));
    qzStrSplit("abc", "", &list);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"abc"}));
}

TEST(QzStr, TrimmingAndReplacing) {
    std::string s = " \t a b \t";
    qzStrTrim(s);
    EXPECT_EQ(s, "a b");
    s = "   ";
    qzStrTrim(s);
    EXPECT_EQ(s, "");
    EXPECT_EQ(qzStrTrimLeftSet("xxab", TqzCharSet("x")), "ab");
    EXPECT_EQ(qzStrTrimLeftSet("xxx", TqzCharSet("x")), "");
    s = "ab;;";
    qzStrTrimRightSet(s, TqzCharSet(";"));
    EXPECT_EQ(s, "ab");
    EXPECT_EQ(qzStrRemoveChar("a~b~", '~'), "ab");
    EXPECT_EQ(qzStrReplaceChar("a~b", '~', ' '), "a b");
    EXPECT_EQ(qzStrReplaceCharWithStr("a;b", ';', ";;"), "a;;b");
    EXPECT_EQ(qzStrReplaceCharWithStr("x~y~", '~', "<BR>"), "x<BR>y<BR>");
}

TEST(QzStr, ComparingAndCutting) {
    EXPECT_TRUE(qzStrEqualNoCase("Name", "NAME"));
    EXPECT_TRUE(qzStrEqualNoCase("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));  // été / ÉTÉ
    EXPECT_FALSE(qzStrEqualNoCase("Name", "Names"));
    EXPECT_EQ(qzStrCountChar("a.b.c", '.'), 2);
    EXPECT_EQ(qzStrAfterChar("Form1.Edit1", '.'), "Edit1");
    EXPECT_EQ(qzStrBeforeChar("Form1.Edit1", '.'), "Form1");
    EXPECT_EQ(qzStrAfterChar("Edit1", '.'), "");
    EXPECT_EQ(qzStrBeforeChar("Edit1", '.'), "");
    std::string rest;
    EXPECT_EQ(qzStrAfterChar("a.b.c", '.', rest), "b.c");
    EXPECT_EQ(rest, "b.c");
}

TEST(QzStr, FileStems) {
    EXPECT_EQ(qzExtractFileStem("/opt/app/todo.exe"), "todo");
    EXPECT_EQ(qzExtractFileStem("C:\\Prog\\my.app.exe"), "my");
    EXPECT_EQ(qzExtractFileStem(""), "");
    // A name without a point is kept whole, so "<stem>.ini" stays a name.
    EXPECT_EQ(qzExtractFileStem("/usr/bin/taskmoor"), "taskmoor");
}

TEST(QzStr, StringListLookups) {
    TStringList list;
    list.Add("Name\t20\tFull Name");
    list.Add("City\t10\tCity");
    EXPECT_EQ(qzIndexOfText(&list, "city\t10\tcity"), 1);
    EXPECT_EQ(qzIndexOfText(&list, "City"), -1);
    EXPECT_EQ(qzIndexOfText(nullptr, "City"), -1);
    int index = -1;
    EXPECT_TRUE(qzFindTabbedLine(&list, "CITY", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(qzFindTabbedLine(&list, "Cit", index));
}

TEST(QzStr, Integers) {
    EXPECT_EQ(qzMaxInt(3, -4), 3);
    EXPECT_EQ(qzMax(-3, -4), -3);
    EXPECT_EQ(qzMin(-3, -4), -4);
    EXPECT_EQ(qzClamp(5, 0, 3), 3);
    EXPECT_EQ(qzClamp(-5, 0, 3), 0);
    EXPECT_EQ(qzClamp(2, 0, 3), 2);
}
