// The line-based report engine: pages, headers and footers, padding, margins and line storage.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "support/app/report_test_support.h"

namespace {

class NorvReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFormatSettings();
        SetClockForTesting(EncodeDate(2024, 3, 7) + EncodeTime(14, 5, 0, 0));
    }
    void TearDown() override { ResetClock(); }

    // A report of Rows text lines "Row n".
    static std::function<bool(TScriptReport&)> Rows(int Count, bool Pad = false) {
        return [Count, Pad](TScriptReport& r) {
            for (int i = 1; i <= Count; ++i) r.AddText("Row " + std::to_string(i));
            if (Pad) r.PadLastPage();
            return true;
        };
    }
    static std::string Part(const TNorvReport& R, int Line, int Index) {
        return R.Lines(Line).Strings.at(static_cast<std::size_t>(Index));
    }
};

// ---- Paging ------------------------------------------------------------------------------

TEST_F(NorvReportTest, FirstLineBringsTheHeader) {
    TScriptReport r(Rows(1));
    ASSERT_TRUE(r.Prepare(60, 80));
    ASSERT_EQ(r.LineCount(), 5);
    EXPECT_EQ(r.PageNo(), 1);
    EXPECT_EQ(r.Lines(0).Kind, rlTriple);
    EXPECT_EQ(Part(r, 0, 0), "03/07/2024 - 14:05");
    EXPECT_EQ(Part(r, 0, 1), "");
    EXPECT_EQ(Part(r, 0, 2), "Page 1");
    EXPECT_EQ(r.Lines(1).Kind, rlText);
    EXPECT_EQ(r.Lines(2).Kind, rlTriple);  // the subtitle line
    EXPECT_EQ(Part(r, 3, 0), "");          // HeaderLines 1
    EXPECT_EQ(Part(r, 4, 0), "Row 1");
}

TEST_F(NorvReportTest, SixtyFirstLineStartsPageTwo) {
    TScriptReport r(Rows(57));
    r.Prepare(60, 80);
    // 4 header lines and 56 rows fill page 1; row 57 follows page 2's header.
    ASSERT_EQ(r.LineCount(), 65);
    EXPECT_EQ(r.PageNo(), 2);
    EXPECT_EQ(Part(r, 59, 0), "Row 56");
    EXPECT_EQ(Part(r, 60, 2), "Page 2");
    EXPECT_EQ(Part(r, 64, 0), "Row 57");
    EXPECT_EQ(r.Headers, 2);
    EXPECT_EQ(r.Footers, 0);
}

TEST_F(NorvReportTest, ContinuedFooterComesWhenTheFooterAreaIsReached) {
    TScriptReport r(Rows(55));
    r.SetShowContinued(true);
    r.Prepare(60, 80);
    EXPECT_EQ(r.FooterLines(), 2);
    // 4 header lines + 54 rows fill 58 lines; row 55 goes to page 2.
    EXPECT_EQ(Part(r, 57, 0), "Row 54");
    EXPECT_EQ(Part(r, 58, 0), "");
    EXPECT_EQ(Part(r, 59, 1), "Continued On Next Page");
    EXPECT_EQ(Part(r, 60, 2), "Page 2");
    EXPECT_EQ(Part(r, 64, 0), "Row 55");
    EXPECT_EQ(r.Footers, 1);
    // The last page ends without a footer: two blank lines close it.
    EXPECT_EQ(r.LineCount(), 67);
    EXPECT_EQ(Part(r, 65, 0), "");
    EXPECT_EQ(Part(r, 66, 0), "");
}

TEST_F(NorvReportTest, PaddedReportsFillWholePagesAndKeepTheFooterAreaBlank) {
    for (bool continued : {false, true}) {
        TScriptReport r(Rows(70, true));
        r.SetShowContinued(continued);
        r.Prepare(30, 80);
        EXPECT_EQ(r.LineCount() % 30, 0) << continued;
        EXPECT_EQ(r.PageCount(), r.LineCount() / 30);
        // Every page starts with its header.
        for (int p = 0; p < r.PageCount(); ++p)
            EXPECT_EQ(Part(r, p * 30, 2), "Page " + std::to_string(p + 1)) << continued;
        if (continued) {
            // The last two lines of the last page are blank, not a footer.
            EXPECT_EQ(Part(r, r.LineCount() - 1, 0), "");
            EXPECT_EQ(r.Lines(r.LineCount() - 1).Kind, rlText);
        }
    }
}

TEST_F(NorvReportTest, PadLastPageOnAFullPageAddsNothing) {
    TScriptReport r(Rows(56, true));
    r.Prepare(60, 80);
    EXPECT_EQ(r.LineCount(), 60);
}

TEST_F(NorvReportTest, EmptyReportStaysEmpty) {
    TScriptReport r(Rows(0, true));
    r.SetShowContinued(true);
    EXPECT_TRUE(r.Prepare(60, 80));
    EXPECT_EQ(r.LineCount(), 0);
    EXPECT_EQ(r.PageCount(), 0);
    EXPECT_EQ(r.PageNo(), 0);
}

TEST_F(NorvReportTest, PrepareStartsAgainAndAnswersBuild) {
    TScriptReport r(Rows(3));
    r.Prepare(60, 80);
    r.Prepare(60, 80);
    EXPECT_EQ(r.LineCount(), 7);
    EXPECT_EQ(r.PageNo(), 1);
    r.SetBuild([](TScriptReport&) { return false; });
    EXPECT_FALSE(r.Prepare(60, 80));
}

TEST_F(NorvReportTest, HeaderOptions) {
    TScriptReport r(Rows(1));
    r.SetShowDateStamp(false);
    r.SetSubTitle("Sub");
    r.SetHeaderLines(3);
    r.Prepare(60, 80);
    EXPECT_EQ(Part(r, 0, 0), "");
    EXPECT_EQ(Part(r, 2, 1), "Sub");
    EXPECT_EQ(r.LineCount(), 7);
}

TEST_F(NorvReportTest, PageTooShortOrNarrowIsRefused) {
    TScriptReport r(Rows(3));
    try {
        r.Prepare(0, 80);
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "The page is too short to hold one line of the report");
    }
    EXPECT_THROW(r.Prepare(-5, 80), EInvalidOperation);
    EXPECT_THROW(r.Prepare(60, 0), EInvalidOperation);
    EXPECT_EQ(r.LineCount(), 0);
}

// ---- Margin and strings ------------------------------------------------------------------

TEST_F(NorvReportTest, MarginCentresTheBlock) {
    TScriptReport r(Rows(1), 113);
    r.Prepare(60, 120);
    EXPECT_EQ(r.Margin(), 3);
    r.Prepare(60, 113);
    EXPECT_EQ(r.Margin(), 0);
    r.Prepare(60, 100);  // wider than the page
    EXPECT_EQ(r.Margin(), 0);
}

TEST_F(NorvReportTest, StringsAreCutTo255BytesOnCharacterBoundaries) {
    const std::string ascii(300, 'x');
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += "\xC3\xA9";  // 400 bytes
    TScriptReport r([&](TScriptReport& rep) {
        rep.AddText(ascii);
        rep.AddText(wide);
        return true;
    });
    r.SetTitle(ascii);
    r.Prepare(60, 80);
    EXPECT_EQ(Part(r, 4, 0).size(), 255u);
    EXPECT_EQ(Part(r, 5, 0).size(), 254u);
    EXPECT_TRUE(IsValidUtf8(Part(r, 5, 0)));
    EXPECT_EQ(r.Title().size(), 255u);
}

// ---- Interned arrays ----------------------------------------------------------------------

TEST_F(NorvReportTest, LinesShareInternedArrays) {
    const TNorvReport::TByteArray w1{5, 6}, w2{7}, a1{raLeft, raRight};
    TScriptReport r([&](TScriptReport& rep) {
        for (int i = 0; i < 20; ++i) rep.AddColumns(w1, false, {"a", "b"}, a1);
        rep.AddColumns(w2, true, {"t"}, {});
        rep.AddUnderline(w1, "--");
        return true;
    });
    r.Prepare(60, 80);
    EXPECT_EQ(r.WidthArrays(), 2);
    EXPECT_EQ(r.AlignmentArrays(), 1);
    EXPECT_EQ(r.Lines(4).Widths, r.Lines(23).Widths);
    EXPECT_EQ(r.Lines(4).Widths, r.Lines(25).Widths);
    EXPECT_EQ(r.Lines(24).Alignments, nullptr);  // centred titles have none
    EXPECT_EQ(*r.Lines(24).Widths, w2);
}

TEST_F(NorvReportTest, InternKeepsTheLatestFirstAndMatchesEmptyArrays) {
    TScriptReport r;
    const auto* a = r.InternWidths({1, 2});
    const auto* b = r.InternWidths({3});
    const auto* e1 = r.InternWidths({});
    EXPECT_EQ(r.InternWidths({1, 2}), a);
    EXPECT_EQ(r.InternWidths({3}), b);
    EXPECT_EQ(r.InternWidths({}), e1);
    EXPECT_NE(r.InternWidths({1}), a);  // same start, other count
    EXPECT_EQ(r.WidthArrays(), 4);
    EXPECT_EQ(r.AlignmentArrays(), 0);
    r.ClearLines();
    EXPECT_EQ(r.WidthArrays(), 0);
}

TEST_F(NorvReportTest, TotalWidth) {
    EXPECT_EQ(TNorvReport::TotalWidth({10, 8, 68, 8, 10, 4}), 113);
    EXPECT_EQ(TNorvReport::TotalWidth({7}), 7);
    EXPECT_EQ(TNorvReport::TotalWidth({}), -1);
}

// ---- Rendering -----------------------------------------------------------------------------

class RenderTest : public NorvReportTest {
protected:
    static constexpr int C = TFixedSurface::CharW;
    // A 20-character block on a 40-character page: margin 10.
    TScriptReport Report{{}, 20};
    TFixedSurface S;

    int Render(const std::function<void(TScriptReport&)>& Add) {
        Report.SetBuild([Add](TScriptReport& r) {
            Add(r);
            return true;
        });
        Report.Prepare(60, 40);
        Report.SetMetrics(S);
        S.Clear();
        Report.RenderLine(S, 5, Report.LineCount() - 1, 100);
        return Report.LineCount() - 1;
    }
};

TEST_F(RenderTest, Metrics) {
    Render([](TScriptReport& r) { r.AddText("x"); });
    EXPECT_EQ(Report.CharWidth(), C);
    EXPECT_EQ(Report.BlockWidth(), 20 * C);
    EXPECT_EQ(Report.PageWidth(), 40 * C);
}

// Where each drawn text starts: the block starts at 5 + 10 characters.
TEST_F(RenderTest, TextsArePlacedByKindAndAlignment) {
    const int x0 = 5 + 10 * C;
    struct Case {
        const char* name;
        std::function<void(TScriptReport&)> add;
        std::vector<std::pair<std::string, int>> texts;  // in drawing order
    };
    const Case cases[] = {
        {"text at the margin", [](TScriptReport& r) { r.AddText("hello"); }, {{"hello", x0}}},
        {"triple within the block",
         [](TScriptReport& r) { r.AddTriple("L", "Mid", "Right"); },
         {{"L", x0}, {"Mid", x0 + (20 * C - 3 * C) / 2}, {"Right", x0 + 20 * C - 5 * C}}},
        {"triple across the page",
         [](TScriptReport& r) {
             r.AddLine(rlPageTriple, nullptr, {"L", "Mid", "Right"}, nullptr);
         },
         {{"L", 5}, {"Mid", 5 + (40 * C - 3 * C) / 2}, {"Right", 5 + 40 * C - 5 * C}}},
        // The bracketed number is shifted right by the width of ")".
        {"column alignments",
         [](TScriptReport& r) {
             r.AddColumns({4, 8, 8, 5}, false, {"ab", "12.50", "(12.50)", "xyz"},
                          {raLeft, raRight, raRight, raCentre});
         },
         {{"ab", x0},
          {"12.50", x0 + 5 * C + (8 * C - 5 * C)},
          {"(12.50)", x0 + 14 * C + (8 * C - 7 * C) + C},
          {"xyz", x0 + 23 * C + (5 * C - 3 * C) / 2}}},
        {"a single bracket is not shifted",
         [](TScriptReport& r) { r.AddColumns({4}, false, {"("}, {raRight}); },
         {{"(", x0 + 3 * C}}},
        {"titles are centred",
         [](TScriptReport& r) {
             r.AddColumns({10, 6}, true, {"Status", "Flag"}, {raLeft, raLeft});
         },
         {{"Status", x0 + (10 * C - 6 * C) / 2}, {"Flag", 5 + 21 * C + (6 * C - 4 * C) / 2}}},
        {"cells beyond the columns are not drawn",
         [](TScriptReport& r) {
             r.AddColumns({3}, false, {"a", "b", "c"}, {});
         },
         {{"a", x0}}},
    };
    for (const Case& c : cases) {
        Render(c.add);
        std::vector<std::pair<std::string, int>> drawn;
        for (const auto& t : S.Texts) {
            drawn.emplace_back(t.Text, t.X);
            EXPECT_EQ(t.Y, 100) << c.name;
        }
        EXPECT_EQ(drawn, c.texts) << c.name;
    }
}

// A cell wider than its column is cut at the column's end, on a character
// boundary, whatever its alignment; one that fits is drawn whole.
TEST_F(RenderTest, CellsWiderThanTheirColumnsAreCutThere) {
    Render([](TScriptReport& r) {
        r.AddColumns({8, 4, 3, 5}, false, {"Uncompleted ", "123456", "Öl über", "fits"},
                     {raLeft, raRight, raCentre, raLeft});
    });
    const int x0 = 5 + 10 * C;
    const std::vector<std::pair<std::string, int>> want = {
        {"Uncomple", x0}, {"1234", x0 + 9 * C}, {"Öl ", x0 + 14 * C}, {"fits", x0 + 18 * C}};
    std::vector<std::pair<std::string, int>> drawn;
    for (const auto& t : S.Texts) drawn.emplace_back(t.Text, t.X);
    EXPECT_EQ(drawn, want);
    Render([](TScriptReport& r) { r.AddColumns({3, 4}, true, {"Priority", "Flag"}, {}); });
    ASSERT_EQ(S.Texts.size(), 2u);
    EXPECT_EQ(S.Texts[0].Text, "Pri");
    EXPECT_EQ(S.Texts[0].X, x0);
}

// A surface whose "m" is twice as wide as other characters.
class TWideMSurface : public TFixedSurface {
public:
    int TextWidth(const std::string& Text) override {
        return TFixedSurface::TextWidth(Text) +
               CharW * static_cast<int>(std::count(Text.begin(), Text.end(), 'm'));
    }
};

// Cut once by one surface's measure, cells are drawn so on any other; a new
// layout is cut by the surface it is drawn on until it is fitted again.
TEST_F(RenderTest, FittedCellsAreDrawnAsFittedOnEverySurface) {
    const int line = Render([](TScriptReport& r) {
        r.AddColumns({8, 4, 3}, false, {"Uncompleted", "False", "Öl über"}, {raLeft, raCentre, raLeft});
    });
    TWideMSurface wide;
    auto drawn = [&](TFixedSurface& Surface) {
        Report.SetMetrics(Surface);
        Surface.Clear();
        Report.RenderLine(Surface, 5, line, 100);
        std::vector<std::string> texts;
        for (const auto& t : Surface.Texts) texts.push_back(t.Text);
        return texts;
    };
    EXPECT_EQ(drawn(wide), (std::vector<std::string>{"Uncompl", "Fals", "Öl "}));
    Report.FitCells(S);
    EXPECT_EQ(Report.Lines(line).Cuts, (std::vector<uint8_t>{8, 4, 4}));
    EXPECT_EQ(drawn(wide), (std::vector<std::string>{"Uncomple", "Fals", "Öl "}));
    EXPECT_EQ(drawn(S), (std::vector<std::string>{"Uncomple", "Fals", "Öl "}));
    // Fitted by the wide measure, the plain surface draws its cuts.
    Report.FitCells(wide);
    EXPECT_EQ(drawn(S), (std::vector<std::string>{"Uncompl", "Fals", "Öl "}));
    // Other kinds of line hold no cuts; a new layout holds none until fitted.
    EXPECT_TRUE(Report.Lines(0).Cuts.empty());
    Report.Prepare(60, 40);
    EXPECT_TRUE(Report.Lines(line).Cuts.empty());
    EXPECT_EQ(drawn(S), (std::vector<std::string>{"Uncomple", "Fals", "Öl "}));
}

TEST_F(RenderTest, Underlines) {
    Render([](TScriptReport& r) { r.AddUnderline({4, 6, 3}, "-=x"); });
    const int x0 = 5 + 10 * C;
    ASSERT_EQ(S.Rules.size(), 3u);
    // "-": one rule at half the text height.
    EXPECT_EQ(S.Rules[0].X1, x0);
    EXPECT_EQ(S.Rules[0].X2, x0 + 4 * C);
    EXPECT_EQ(S.Rules[0].Y1, 100 + 10);
    // "=": two rules at a third and two thirds.
    EXPECT_EQ(S.Rules[1].X1, x0 + 5 * C);
    EXPECT_EQ(S.Rules[1].X2, x0 + 11 * C);
    EXPECT_EQ(S.Rules[1].Y1, 100 + 6);
    EXPECT_EQ(S.Rules[2].Y1, 100 + 12);
    EXPECT_TRUE(S.Texts.empty());
}

TEST_F(RenderTest, ShortPatternLeavesTheRestWithoutRules) {
    Render([](TScriptReport& r) { r.AddUnderline({4, 6, 3}, "-"); });
    EXPECT_EQ(S.Rules.size(), 1u);
}

TEST_F(RenderTest, LineOutOfRangeIsAnError) {
    Render([](TScriptReport& r) { r.AddText("a"); });
    EXPECT_THROW(Report.RenderLine(S, 0, Report.LineCount(), 0), EListError);
    EXPECT_THROW(Report.RenderLine(S, 0, -1, 0), EListError);
}

}  // namespace
