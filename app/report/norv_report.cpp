// The report's lines and columns: adding text, columns and underlines, interning
// widths and alignments, and breaking the lines into pages.
#include "app/report/norv_report.h"

#include <algorithm>

#include "platform/core/clock.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/ui/graphics.h"

namespace {

constexpr std::size_t ShortStringMax = 255;

std::string Short(const std::string& S) {
    return S.size() <= ShortStringMax ? S : Utf8Truncate(S, ShortStringMax);
}

// A canvas as a report surface.
class TCanvasSurface : public TReportSurface {
public:
    explicit TCanvasSurface(TCanvas* Canvas) : FCanvas(Canvas) {}
    int TextWidth(const std::string& Text) override { return FCanvas->TextWidth(Text); }
    int TextHeight(const std::string& Text) override { return FCanvas->TextHeight(Text); }
    void TextOut(int X, int Y, const std::string& Text) override { FCanvas->TextOut(X, Y, Text); }
    void Line(int X1, int Y1, int X2, int Y2) override {
        FCanvas->MoveTo(X1, Y1);
        FCanvas->LineTo(X2, Y2);
    }

private:
    TCanvas* FCanvas;
};

const std::string& StringAt(const TNorvReport::TLine& Line, std::size_t Index) {
    static const std::string empty;
    return Index < Line.Strings.size() ? Line.Strings[Index] : empty;
}

}  // namespace

TNorvReport::TNorvReport(const TReportArgs& /*Args*/) {}

TNorvReport::~TNorvReport() { ClearLines(); }

void TNorvReport::SetTitle(const std::string& Value) { FTitle = Short(Value); }
void TNorvReport::SetSubTitle(const std::string& Value) { FSubTitle = Short(Value); }

void TNorvReport::ClearLines() {
    FLines.clear();
    FAlignments.clear();
    FWidths.clear();
}

const TNorvReport::TLine& TNorvReport::Lines(int Index) const {
    if (Index < 0 || Index >= LineCount()) throw EListError(Format("List index out of bounds (%d)", Index));
    return *FLines[static_cast<std::size_t>(Index)];
}

int TNorvReport::PageCount() const {
    if (FLinesPerPage < 1) return 0;
    return (LineCount() + FLinesPerPage - 1) / FLinesPerPage;
}

bool TNorvReport::Prepare(int ALinesPerPage, int ACharsPerLine) {
    // Paging divides by the page length: a page without room for one line
    // cannot be laid out.
    if (ALinesPerPage < 1) throw EInvalidOperation("The page is too short to hold one line of the report");
    if (ACharsPerLine < 1)
        throw EInvalidOperation("The page is too narrow to hold one character of the report");
    ClearLines();
    FReportDate = Now();
    FDateStamp = Short(DateToStr(FReportDate) + FormatDateTime(" - hh:mm", FReportDate));
    FPaging = true;
    FPageNo = 0;
    FCharsPerLine = ACharsPerLine;
    FLinesPerPage = ALinesPerPage;
    FMargin = std::max(0, (FCharsPerLine - FLineWidth) / 2);
    FFooterLines = FShowContinued ? 2 : 0;
    const bool result = Build();
    // The last page keeps its footer area blank (an empty report stays empty).
    if (result && FShowContinued && LineCount() > 0) {
        FPaging = false;
        AddText("");
        AddText("");
        FPaging = true;
    }
    return result;
}

int TNorvReport::AddLine(uint8_t Kind, const TByteArray* Alignments, const std::vector<std::string>& Strings,
                         const TByteArray* Widths) {
    if (FPaging && FLinesPerPage > 0) {
        const int count = LineCount();
        if (count % FLinesPerPage == 0 || (count + FFooterLines) % FLinesPerPage == 0) PageBreak();
    }
    auto line = std::make_unique<TLine>();
    line->Kind = Kind;
    line->Alignments = Alignments;
    line->Widths = Widths;
    line->Strings.reserve(Strings.size());
    for (const std::string& s : Strings) line->Strings.push_back(Short(s));
    FLines.push_back(std::move(line));
    return LineCount() - 1;
}

void TNorvReport::AddText(const std::string& Text) { AddLine(rlText, nullptr, {Text}, nullptr); }

void TNorvReport::AddTriple(const std::string& Left, const std::string& Centre, const std::string& Right) {
    AddLine(rlTriple, nullptr, {Left, Centre, Right}, nullptr);
}

void TNorvReport::AddColumns(const TByteArray& Widths, bool Centred, const std::vector<std::string>& Cells,
                             const TByteArray& Alignments) {
    if (Centred)
        AddLine(rlTitles, nullptr, Cells, InternWidths(Widths));
    else
        AddLine(rlColumns, InternAlignments(Alignments), Cells, InternWidths(Widths));
}

void TNorvReport::AddUnderline(const TByteArray& Widths, const std::string& Pattern) {
    AddLine(rlUnderline, nullptr, {Pattern}, InternWidths(Widths));
}

const TNorvReport::TByteArray* TNorvReport::Intern(TArrayList& List, const TByteArray& Bytes) {
    auto hit = std::find_if(List.begin(), List.end(),
                            [&](const std::unique_ptr<TByteArray>& a) { return *a == Bytes; });
    if (hit != List.end()) {
        // Most recently used first.
        std::rotate(List.begin(), hit, hit + 1);
        return List.front().get();
    }
    List.insert(List.begin(), std::make_unique<TByteArray>(Bytes));
    return List.front().get();
}

const TNorvReport::TByteArray* TNorvReport::InternAlignments(const TByteArray& Bytes) {
    return Intern(FAlignments, Bytes);
}

const TNorvReport::TByteArray* TNorvReport::InternWidths(const TByteArray& Bytes) {
    return Intern(FWidths, Bytes);
}

int TNorvReport::TotalWidth(const TByteArray& Widths) {
    int total = 0;
    for (uint8_t w : Widths) total += w + 1;
    return total - 1;
}

void TNorvReport::PageBreak() {
    FPaging = false;
    if (LineCount() >= 1 && FShowContinued) PageFooter();
    PageHeader();
    FPaging = true;
}

void TNorvReport::PageHeader() {
    ++FPageNo;
    AddTriple(FShowDateStamp ? FDateStamp : std::string(), std::string(), Format("Page %d", FPageNo));
    AddText("");
    AddTriple(std::string(), FSubTitle, std::string());
    for (int i = 0; i < FHeaderLines; ++i) AddText("");
}

void TNorvReport::PageFooter() {
    AddText("");
    AddTriple(std::string(), "Continued On Next Page", std::string());
}

void TNorvReport::PadLastPage() {
    if (LineCount() == 0 || FLinesPerPage < 1) return;
    const int r = LineCount() % FLinesPerPage;
    if (r == 0) return;
    FPaging = false;
    for (int i = FLinesPerPage - r - FFooterLines; i >= 1; --i) AddText("");
    FPaging = true;
}

void TNorvReport::SetMetrics(TCanvas* Canvas) {
    TCanvasSurface surface(Canvas);
    SetMetrics(surface);
}

void TNorvReport::SetMetrics(TReportSurface& Surface) {
    FCharWidth = Surface.TextWidth("0");
    FBlockWidth = FLineWidth * FCharWidth;
    FPageWidth = FCharWidth * FCharsPerLine;
}

void TNorvReport::RenderLine(TCanvas* Canvas, int X0, int Index, int Y) {
    TCanvasSurface surface(Canvas);
    RenderLine(surface, X0, Index, Y);
}

void TNorvReport::FitCells(TCanvas* Canvas) {
    TCanvasSurface surface(Canvas);
    FitCells(surface);
}

namespace {

// The longest start of Text, whole characters, no wider than Width.
std::string FitToWidth(TReportSurface& Surface, const std::string& Text, int Width) {
    if (Surface.TextWidth(Text) <= Width) return Text;
    std::size_t fits = 0, over = Text.size();
    while (over - fits > 1) {
        const std::size_t mid = fits + (over - fits) / 2;
        if (Surface.TextWidth(Utf8Truncate(Text, mid)) <= Width)
            fits = mid;
        else
            over = mid;
    }
    return Utf8Truncate(Text, fits);
}

bool HasCells(const TNorvReport::TLine& Line) {
    return (Line.Kind == rlColumns || Line.Kind == rlTitles) && Line.Widths;
}

}  // namespace

void TNorvReport::FitCells(TReportSurface& Surface) {
    const int c = Surface.TextWidth("0");
    for (const std::unique_ptr<TLine>& line : FLines) {
        if (!HasCells(*line)) continue;
        const std::size_t n = std::min(line->Strings.size(), line->Widths->size());
        line->Cuts.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::string fitted = FitToWidth(Surface, line->Strings[i], (*line->Widths)[i] * c);
            line->Cuts[i] = static_cast<uint8_t>(std::min<std::size_t>(fitted.size(), ShortStringMax));
        }
    }
}

void TNorvReport::RenderLine(TReportSurface& Surface, int X0, int Index, int Y) {
    const TLine& line = Lines(Index);
    const int c = FCharWidth;
    switch (line.Kind) {
    case rlText: Surface.TextOut(X0 + FMargin * c, Y, StringAt(line, 0)); break;
    case rlTriple:
    case rlPageTriple: {
        const bool block = line.Kind == rlTriple;
        const int x0 = block ? X0 + FMargin * c : X0;
        const int w = block ? FBlockWidth : FPageWidth;
        const std::string& left = StringAt(line, 0);
        const std::string& centre = StringAt(line, 1);
        const std::string& right = StringAt(line, 2);
        Surface.TextOut(x0, Y, left);
        Surface.TextOut(x0 + (w - Surface.TextWidth(centre)) / 2, Y, centre);
        Surface.TextOut(x0 + w - Surface.TextWidth(right), Y, right);
        break;
    }
    case rlColumns:
    case rlTitles: {
        if (!HasCells(line)) break;
        const TByteArray& widths = *line.Widths;
        // A line never draws more cells than it has columns.
        const std::size_t n = std::min(line.Strings.size(), widths.size());
        int start = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const int wi = widths[i];
            uint8_t a = raCentre;
            if (line.Kind == rlColumns)
                a = line.Alignments && i < line.Alignments->size() ? (*line.Alignments)[i] : raLeft;
            // A cell wider than its column is cut there, not drawn over the next one.
            const std::string cell = i < line.Cuts.size() ? line.Strings[i].substr(0, line.Cuts[i])
                                                          : FitToWidth(Surface, line.Strings[i], wi * c);
            int offset = 0;
            if (a != raLeft) {
                offset = wi * c - Surface.TextWidth(cell);
                if (a == raCentre) offset /= 2;
                // A bracketed negative number lines up with the digits of plain ones.
                if (a == raRight && cell.size() >= 2 && cell[0] == '(') offset += Surface.TextWidth(")");
            }
            Surface.TextOut(X0 + (FMargin + start) * c + offset, Y, cell);
            start += wi + 1;
        }
        break;
    }
    case rlUnderline: {
        if (!line.Widths) break;
        const std::string& pattern = StringAt(line, 0);
        int start = 0;
        for (std::size_t i = 0; i < line.Widths->size(); ++i) {
            const int wi = (*line.Widths)[i];
            const char ch = i < pattern.size() ? pattern[i] : '\0';
            const int style = ch == '-' ? 1 : ch == '=' ? 2 : 0;
            if (style > 0) {
                const int x1 = X0 + (FMargin + start) * c;
                const int x2 = X0 + (FMargin + start + wi) * c;
                const int h = Surface.TextHeight("0") / (style + 1);
                Surface.Line(x1, Y + h, x2, Y + h);
                if (style == 2) Surface.Line(x1, Y + 2 * h, x2, Y + 2 * h);
            }
            start += wi + 1;
        }
        break;
    }
    default: break;
    }
}
