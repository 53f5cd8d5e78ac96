// Picture masks: matching, auto-fill, groups, repetitions and malformed masks.
#include "suite/base/picture_validator.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Outcome {
    TqzPictureResult result;
    std::string text;
};

Outcome Check(const std::string& mask, std::string text, bool autoFill = false) {
    TqzPictureValidator v(mask, autoFill);
    const TqzPictureResult r = v.Picture(text, autoFill);
    return {r, text};
}

TqzPictureResult Result(const std::string& mask, const std::string& text) { return Check(mask, text).result; }

}  // namespace

TEST(PictureValidator, DigitsCountExactly) {
    EXPECT_EQ(Result("###", "12"), pmrIncomplete);
    EXPECT_EQ(Result("###", "123"), pmrComplete);
    EXPECT_EQ(Result("###", "1234"), pmrError);
    EXPECT_EQ(Result("###", "12a"), pmrError);
    EXPECT_EQ(Result("###", ""), pmrEmpty);
}

TEST(PictureValidator, AutoFillAppendsLiteralsUpToTheNextInput) {
    const Outcome filled = Check("(###)###-####", "(555", true);
    EXPECT_EQ(filled.result, pmrIncomplete);
    EXPECT_EQ(filled.text, "(555)");
    EXPECT_EQ(Result("(###)###-####", "5"), pmrError);
    // Without auto-fill nothing is appended.
    EXPECT_EQ(Check("(###)###-####", "(555", false).text, "(555");
}

TEST(PictureValidator, CaseChangingCharacters) {
    EXPECT_EQ(Check("&&", "ab").text, "AB");
    EXPECT_EQ(Check("~~", "AB").text, "ab");
    EXPECT_EQ(Check("!!", "a1").text, "A1");
    EXPECT_EQ(Check("@@", "a1").text, "a1");
    EXPECT_EQ(Result("&&", "a1"), pmrError);
    // Characters above code 128 count as letters and change case too.
    const Outcome accented = Check("&&", "\xC3\xA9\xC3\xBC");  // "éü"
    EXPECT_EQ(accented.result, pmrComplete);
    EXPECT_EQ(accented.text, "\xC3\x89\xC3\x9C");  // "ÉÜ"
    EXPECT_EQ(Result("??", "\xC3\xA9x"), pmrComplete);
    EXPECT_EQ(Result("?", "1"), pmrError);
}

TEST(PictureValidator, LiteralsMatchIgnoringCaseAndKeepTheMaskCase) {
    const Outcome o = Check("abc", "ABC");
    EXPECT_EQ(o.result, pmrComplete);
    EXPECT_EQ(o.text, "abc");
    // A semicolon makes the next mask character a literal.
    EXPECT_EQ(Result(";#;*", "#*"), pmrComplete);
    EXPECT_EQ(Result(";#", "1"), pmrError);
}

TEST(PictureValidator, OptionalGroups) {
    EXPECT_EQ(Result("#[#]", "1"), pmrComplete);
    EXPECT_EQ(Result("#[#]", "12"), pmrComplete);
    EXPECT_EQ(Result("#[#]", "123"), pmrError);
    EXPECT_EQ(Result("[#]a", "a"), pmrComplete);
    EXPECT_EQ(Result("[#]a", "1a"), pmrComplete);
}

TEST(PictureValidator, AlternativesInAGroup) {
    EXPECT_EQ(Result("{Yes,No}", "N"), pmrIncomplete);
    EXPECT_EQ(Result("{Yes,No}", "No"), pmrComplete);
    EXPECT_EQ(Result("{Yes,No}", "x"), pmrError);
    const Outcome y = Check("{Yes,No}", "y");
    EXPECT_EQ(y.result, pmrIncomplete);
    EXPECT_EQ(y.text, "Y");
    // Auto-fill completes the alternative that was started.
    EXPECT_EQ(Check("{Yes,No}", "y", true).text, "Yes");
    EXPECT_EQ(Result("#,a", "a"), pmrComplete);
}

TEST(PictureValidator, Repetitions) {
    EXPECT_EQ(Result("*#", ""), pmrEmpty);
    EXPECT_EQ(Result("*#", "123456"), pmrComplete);
    EXPECT_EQ(Result("*#", "12x"), pmrError);
    EXPECT_EQ(Result("*3#", "12"), pmrIncomplete);
    EXPECT_EQ(Result("*3#", "123"), pmrComplete);
    EXPECT_EQ(Result("*3#", "1234"), pmrError);
    // A repetition of an optional group that finds the text used up is complete.
    EXPECT_EQ(Result("*2[#]", "1"), pmrComplete);
    EXPECT_EQ(Result("*{#-}", "1-2-"), pmrComplete);
    EXPECT_EQ(Result("*{#-}", "1-2"), pmrIncomplete);
    EXPECT_EQ(Result("&*?", "abcd"), pmrComplete);
}

TEST(PictureValidator, BlankTypedLastStandsForALiteral) {
    const Outcome o = Check("a-b", "a ");
    EXPECT_EQ(o.result, pmrIncomplete);
    EXPECT_EQ(o.text, "a-");
    EXPECT_EQ(Result("a-b", "a b"), pmrError);
}

TEST(PictureValidator, MalformedMasksFailTheSyntaxCheck) {
    for (const char* mask : {"", "#;", "#*", "[#", "#]", "{#", "#}", "{#]", "[#}"}) {
        TqzPictureValidator v(mask, false);
        EXPECT_EQ(v.Status(), 1) << mask;
        std::string text = "1";
        EXPECT_EQ(v.Picture(text, false), pmrSyntax) << mask;
        EXPECT_EQ(text, "1") << mask;
        // A malformed mask accepts input but never counts as complete.
        EXPECT_TRUE(v.AcceptsInput(text, false)) << mask;
        EXPECT_FALSE(v.IsCompleteOrEmpty("1")) << mask;
    }
    for (const char* mask : {"#", ";*", ";;", "{}", "*{#}", "[#]"})
        EXPECT_EQ(TqzPictureValidator(mask, false).Status(), 0) << mask;
}

TEST(PictureValidator, MisnestedBracketsAndDanglingRepeatsAreMalformed) {
    // These balance by count but not by nesting, or end a group right after a
    // repeat count; they must be refused rather than read past the mask.
    for (const char* mask : {"}{", "][", "#}{#", "{[}]", "{#*}", "{#*3}", "[#*]", "#*3", "*,#", "{#,*}"}) {
        TqzPictureValidator v(mask, true);
        EXPECT_EQ(v.Status(), 1) << mask;
        for (const char* input : {"1", "12", "{", "}", "a1b2"}) {
            std::string text = input;
            EXPECT_EQ(v.Picture(text, true), pmrSyntax) << mask << " / " << input;
        }
    }
}

TEST(PictureValidator, DeepNestingIsRefusedNotOverflowed) {
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += '{';
    deep += '#';
    for (int i = 0; i < 5000; ++i) deep += '}';
    EXPECT_EQ(TqzPictureValidator(deep, false).Status(), 1);
    EXPECT_EQ(TqzPictureValidator(std::string(3000, '*') + "#", false).Status(), 1);
    EXPECT_EQ(TqzPictureValidator("{{{#}}}", false).Status(), 0);
}

TEST(PictureValidator, NestedRepetitionsOfEmptyPiecesEndQuickly) {
    // Repeats whose piece takes no text must not spin through every count.
    EXPECT_EQ(Result("*65535{*65535{*65535[a]}}b", "b"), pmrComplete);
    EXPECT_EQ(Result("*99999[x]#", "5"), pmrComplete);
}

TEST(PictureValidator, AutoFillThatBreaksTheMatchIsTakenBack) {
    // The fill appends "-a" after the first repetition, which the count of
    // three cannot take: the text comes back as it was.
    const Outcome o = Check("*3-a", "-", true);
    EXPECT_EQ(o.result, pmrIncomplete);
    EXPECT_EQ(o.text, "-");
}

TEST(PictureValidator, AcceptsInputAndCompleteness) {
    TqzPictureValidator v("##/##", true);
    EXPECT_EQ(v.Options(), TqzPictureValidator::AutoFillOption);
    std::string text = "12";
    EXPECT_TRUE(v.AcceptsInput(text, false));
    EXPECT_EQ(text, "12/");
    text = "12";
    EXPECT_TRUE(v.AcceptsInput(text, true));
    EXPECT_EQ(text, "12");
    text = "1x";
    EXPECT_FALSE(v.AcceptsInput(text, false));
    EXPECT_TRUE(v.IsCompleteOrEmpty(""));
    EXPECT_TRUE(v.IsCompleteOrEmpty("12/34"));
    EXPECT_FALSE(v.IsCompleteOrEmpty("12"));
}

TEST(PictureValidator, TextMatchesMask) {
    EXPECT_TRUE(qzTextMatchesPictureMask("###", ""));
    EXPECT_TRUE(qzTextMatchesPictureMask("###", "123"));
    EXPECT_FALSE(qzTextMatchesPictureMask("###", "12"));
    EXPECT_FALSE(qzTextMatchesPictureMask("}{", "12"));
}

// ---------------------------------------------------------------------------
// Typing into an edit through a mask

namespace {

struct FakeEdit {
    std::string text;
    int selStart = 0;
    int selLength = 0;
    const std::string& Text() const { return text; }
    void SetText(const std::string& v) { text = v; }
    int SelStart() const { return selStart; }
    void SetSelStart(int v) { selStart = v; }
    int SelLength() const { return selLength; }
    void SetSelLength(int v) { selLength = v; }
};

// Types each character at the caret, as an edit would.
int TypeInto(FakeEdit& edit, const std::string& mask, const std::string& keys) {
    int beeps = 0;
    for (const char ch : keys) {
        char key = ch;
        EXPECT_TRUE(qzProcessPictureMaskKey(&edit, mask, true, key, [&] { ++beeps; }));
        EXPECT_EQ(key, 0);
    }
    return beeps;
}

}  // namespace

TEST(PictureMaskKey, TypingAPhoneNumberCharacterByCharacter) {
    const std::string mask = "(###)###-####";
    FakeEdit edit;
    EXPECT_EQ(TypeInto(edit, mask, "5"), 1);  // the opening parenthesis is needed first
    EXPECT_EQ(edit.text, "");
    EXPECT_EQ(TypeInto(edit, mask, "(555"), 0);
    EXPECT_EQ(edit.text, "(555)");
    EXPECT_EQ(edit.selStart, 5);
    EXPECT_EQ(TypeInto(edit, mask, "123"), 0);
    EXPECT_EQ(edit.text, "(555)123-");
    EXPECT_EQ(TypeInto(edit, mask, "4567"), 0);
    EXPECT_EQ(edit.text, "(555)123-4567");
    EXPECT_EQ(edit.selStart, 13);
    EXPECT_EQ(TypeInto(edit, mask, "8"), 1);  // full: refused with a beep
    EXPECT_EQ(edit.text, "(555)123-4567");
}

TEST(PictureMaskKey, ReplacingTheWholeSelection) {
    FakeEdit edit{"abc", 0, 3};
    EXPECT_EQ(TypeInto(edit, "###", "7"), 0);
    EXPECT_EQ(edit.text, "7");
    EXPECT_EQ(edit.selStart, 1);
    EXPECT_EQ(edit.selLength, 0);
}

TEST(PictureMaskKey, KeysTheMaskDoesNotHandle) {
    FakeEdit edit{"12", 0, 0};  // caret not at the end
    char key = '3';
    EXPECT_FALSE(qzProcessPictureMaskKey(&edit, "###", false, key, [] {}));
    EXPECT_EQ(key, '3');
    edit.selStart = 2;
    for (const char32_t code : {U'\b', U'\x1F', U'\xFF'}) {
        const TqzPictureKeyOutcome o = qzPictureMaskKeyOutcome("12", 2, 0, "###", false, code);
        EXPECT_FALSE(o.Consumed);
    }
    // A malformed mask swallows the key and changes nothing.
    const TqzPictureKeyOutcome bad = qzPictureMaskKeyOutcome("12", 2, 0, "}{", false, U'3');
    EXPECT_TRUE(bad.Consumed);
    EXPECT_FALSE(bad.SetText);
    EXPECT_FALSE(bad.Beep);
}

TEST(PictureMaskKey, TextWithKeyAtSelection) {
    EXPECT_EQ(qzTextWithKeyAtSelection("abcd", 1, 2, U'X'), "aXd");
    EXPECT_EQ(qzTextWithKeyAtSelection("abcd", 4, 0, U'X'), "abcdX");
    EXPECT_EQ(qzTextWithKeyAtSelection("abcd", 9, 9, U'X'), "abcdX");
    EXPECT_EQ(qzTextWithKeyAtSelection("\xC3\xA9t\xC3\xA9", 1, 1, U'\u00E9'), "\xC3\xA9\xC3\xA9\xC3\xA9");
}
