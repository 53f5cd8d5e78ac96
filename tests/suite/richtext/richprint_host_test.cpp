// The rich edit's printing against a stand-in host: pages cut where the
// host's layout says, a line taller than the page on a page of its own, the
// header and footer events with their page numbers, and the page range kept
// by the host.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/ui/bitmaps.h"
#include "suite/richtext/qzrichhost.h"
#include "suite/richtext/qzrichprint.h"
#include "support/environment.h"

namespace {

// A text of Length positions in lines of ten, each 240 twips high but the
// ones that start at a position of TallLines (3000 twips).
class TStandInHost final : public TqzRichPrintHost {
public:
    int Length = 0;
    std::vector<int> TallLines;
    int From = -1, To = -1;
    std::vector<int> Rendered, Drawn;
    struct THeaderCall {
        bool Footer;
        int Page;
        std::string Left, Center, Right;
    };
    std::vector<THeaderCall> Headers;
    bool HeaderDefault = true;

    int LineHeight(int Start) const {
        for (int t : TallLines)
            if (t == Start) return 3000;
        return 240;
    }

    int TextLength() override { return Length; }
    int FontSize() override { return 10; }
    int FormatRange(TCanvas*, int, int Start, const TRect& TwipsRect, bool Render) override {
        if (Render) Rendered.push_back(Start);
        int pos = Start, used = 0;
        while (pos < Length && used + LineHeight(pos) <= TwipsRect.Bottom - TwipsRect.Top) {
            used += LineHeight(pos);
            pos = std::min(Length, pos + 10);
        }
        return pos;
    }
    void DrawRange(TCanvas*, int, int Start, const TRect&) override { Drawn.push_back(Start); }
    int MarginTwips(double Value) override { return static_cast<int>(Value * 1440); }
    int GutterWidth() override { return 0; }
    int ScreenPixelsPerInch() override { return 96; }
    bool UsesPrinterWidth() override { return false; }
    void ApplyPaperSize() override {}
    int PrintFromPage() override { return From; }
    int PrintToPage() override { return To; }
    void SetPrintRange(int AFrom, int ATo) override {
        From = AFrom;
        To = ATo;
    }
    void DoPrintHeader(const TRect&, int Page, std::string& L, std::string& C, std::string& R,
                       bool& DoDefault) override {
        Headers.push_back({false, Page, L, C, R});
        DoDefault = HeaderDefault;
    }
    void DoPrintFooter(const TRect&, int Page, std::string& L, std::string& C, std::string& R,
                       bool& DoDefault) override {
        Headers.push_back({true, Page, L, C, R});
        DoDefault = HeaderDefault;
    }
};

std::vector<std::pair<int, int>> Ranges(const std::vector<TqzRichPage>& Pages) {
    std::vector<std::pair<int, int>> out;
    for (const TqzRichPage& p : Pages) out.emplace_back(p.First, p.Last);
    return out;
}

using Pairs = std::vector<std::pair<int, int>>;

// A white sheet of W x H pixels.
void White(TBitmap& Sheet, int W, int H) {
    Sheet.SetSize(W, H);
    Sheet.Canvas()->Brush()->SetColor(clWhite);
    Sheet.Canvas()->FillRect(Rect(0, 0, W, H));
}

int Inked(TBitmap& Sheet) {
    int n = 0;
    for (int y = 0; y < Sheet.Height(); ++y)
        for (int x = 0; x < Sheet.Width(); ++x) n += Sheet.Canvas()->Pixels(x, y) != clWhite;
    return n;
}

TEST(RichPrintHost, PagesEndWhereTheHostsLayoutStops) {
    TStandInHost host;
    TqzRichPrinting printing(&host);
    host.Length = 95;
    // four lines of 240 twips fit a page of 1000
    EXPECT_EQ(Ranges(printing.Paginate(nullptr, 96, Rect(0, 0, 5000, 1000))),
              (Pairs{{0, 39}, {40, 79}, {80, 94}}));
    // an empty text is one empty page
    host.Length = 0;
    EXPECT_EQ(Ranges(printing.Paginate(nullptr, 96, Rect(0, 0, 5000, 1000))), (Pairs{{0, -1}}));
    // the layout only measures while paginating
    EXPECT_TRUE(host.Rendered.empty());
}

TEST(RichPrintHost, ALineTallerThanThePageGetsAPageOfItsOwnDrawnClipped) {
    TStandInHost host;
    TqzRichPrinting printing(&host);
    host.Length = 70;
    host.TallLines = {40};
    const TRect page = Rect(0, 0, 5000, 1000);
    const std::vector<TqzRichPage> pages = printing.Paginate(nullptr, 96, page);
    EXPECT_EQ(Ranges(pages), (Pairs{{0, 39}, {40, 49}, {50, 69}}));
    // a page the layout draws whole is not drawn again; the tall line's is
    printing.DrawPage(nullptr, 96, pages[0].First, page);
    EXPECT_TRUE(host.Drawn.empty());
    printing.DrawPage(nullptr, 96, pages[1].First, page);
    EXPECT_EQ(host.Rendered, (std::vector<int>{0, 40}));
    EXPECT_EQ(host.Drawn, (std::vector<int>{40}));
}

TEST(RichPrintHost, MarginsThatLeaveNoRoomAreRefusedWithTheReason) {
    TStandInHost host;
    TqzRichPrinting printing(&host);
    host.Length = 30;
    try {
        printing.Paginate(nullptr, 96, Rect(0, 0, 5000, 100));
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "The print margins leave no room on the page; make them smaller.");
    }
    // room for no line of the host's 10-point font
    try {
        printing.Paginate(nullptr, 96, Rect(0, 0, 5000, 150));
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "The print margins leave no room for a line of text; make them smaller.");
    }
}

TEST(RichPrintHost, HeaderAndFooterAskTheHostWithTheirTextsAndPage) {
    TStandInHost host;
    TqzRichPrinting printing(&host);
    printing.Header()->SetLeftText("Notes");
    printing.Header()->SetRightText("Draft");
    printing.Footer()->SetCenterText("Footer");
    TBitmap sheet;
    White(sheet, 300, 400);
    const TRect page = Rect(720, 720, 3600, 5040);
    printing.DrawHeaderFooter(sheet.Canvas(), 72, {300, 400}, {0, 0}, page, 3);
    ASSERT_EQ(host.Headers.size(), 2u);
    EXPECT_FALSE(host.Headers[0].Footer);
    EXPECT_EQ(host.Headers[0].Page, 3);
    EXPECT_EQ(host.Headers[0].Left, "Notes");
    EXPECT_EQ(host.Headers[0].Right, "Draft");
    EXPECT_TRUE(host.Headers[1].Footer);
    EXPECT_EQ(host.Headers[1].Center, "Footer");
    // drawn by default; the host's no leaves the sheet blank
    EXPECT_GT(Inked(sheet), 0);
    TBitmap blank;
    White(blank, 300, 400);
    host.HeaderDefault = false;
    printing.DrawHeaderFooter(blank.Canvas(), 72, {300, 400}, {0, 0}, page, 4);
    EXPECT_EQ(Inked(blank), 0);
}

TEST(RichPrintHost, ThePageRangeIsTheHosts) {
    TStandInHost host;
    TqzRichPrinting printing(&host);
    printing.SetPageRange(2, 5);
    EXPECT_EQ(host.From, 2);
    EXPECT_EQ(host.To, 5);
    host.From = 7;
    EXPECT_EQ(printing.FromPage(), 7);
    EXPECT_EQ(printing.ToPage(), 5);
}

}  // namespace
