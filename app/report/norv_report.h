// The line-based report engine.
//
// A report is laid out as a list of text lines on a grid of fixed-width
// character cells: the page is CharsPerLine characters wide and
// LinesPerPage lines long, and every column has a width in characters. A
// concrete report derives from TNorvReport, sets Title and LineWidth in its
// constructor and adds its lines in Build; the engine inserts page headers
// and footers while lines are added, so the paging is settled before
// anything is drawn. RenderLine then draws any line on a canvas (the
// preview's paint box or the printer) any number of times; FitCells
// settles where cells too wide for their columns are cut, once for both.
//
// Strings are short strings: every text is cut to 255 bytes (never inside a
// UTF-8 character). Alignment and width arrays are interned: all lines that
// use the same values share one array.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/datetime.h"
#include "platform/core/object.h"
#include "platform/core/variant.h"

class TCanvas;

// Values handed to a report's constructor by Run.
using TReportArgs = std::vector<Variant>;

// Line kinds.
constexpr uint8_t rlText = 0;        // one text at the margin
constexpr uint8_t rlTriple = 1;      // left, centre, right within the report block
constexpr uint8_t rlPageTriple = 2;  // left, centre, right across the page
constexpr uint8_t rlColumns = 3;     // cells aligned by the line's alignments
constexpr uint8_t rlTitles = 4;      // cells, all centred
constexpr uint8_t rlUnderline = 5;   // one rule character per column

// Column alignments.
constexpr uint8_t raLeft = 0, raRight = 1, raCentre = 2;

// What a report draws on: measures and draws text and lines. A canvas is one
// (RenderLine and SetMetrics wrap it); tests use one with fixed metrics.
class TReportSurface {
public:
    virtual ~TReportSurface() = default;
    virtual int TextWidth(const std::string& Text) = 0;
    virtual int TextHeight(const std::string& Text) = 0;
    virtual void TextOut(int X, int Y, const std::string& Text) = 0;
    // A line from (X1, Y1) to (X2, Y2), the end point excluded.
    virtual void Line(int X1, int Y1, int X2, int Y2) = 0;
};

class TNorvReport;
// Shows the print dialog on a report; true when it closed with OK.
bool ShowPrintDialog(TNorvReport* Report);

class TNorvReport : public TObject {
    TASKMOOR_CLASS(TNorvReport, TObject)
public:
    // An interned array: alignments or widths, one byte per column.
    using TByteArray = std::vector<uint8_t>;

    struct TLine {
        uint8_t Kind = rlText;
        const TByteArray* Alignments = nullptr;
        const TByteArray* Widths = nullptr;
        std::vector<std::string> Strings;
        // Bytes drawn of each cell, as FitCells cut them; empty: the surface
        // the line is drawn on cuts them.
        std::vector<uint8_t> Cuts;
    };

    explicit TNorvReport(const TReportArgs& Args);
    ~TNorvReport() override;
    TNorvReport(const TNorvReport&) = delete;
    TNorvReport& operator=(const TNorvReport&) = delete;

    // Makes a report of class T, shows the print dialog on it and frees it;
    // true when the dialog closed with OK.
    template <class T, class... A>
    static bool Run(A&&... Args) {
        std::unique_ptr<T> report(new T(std::forward<A>(Args)...));
        return ShowPrintDialog(report.get());
    }

    // ---- Layout
    // Lays the whole report out for a page of LinesPerPage lines of
    // CharsPerLine characters; answers Build's answer. Raises
    // EInvalidOperation when the page cannot hold one line or one character.
    bool Prepare(int ALinesPerPage, int ACharsPerLine);
    void ClearLines();
    int LineCount() const { return static_cast<int>(FLines.size()); }
    // Pages of the laid-out report.
    int PageCount() const;
    const TLine& Lines(int Index) const;

    // ---- Drawing
    // Takes the character width from the canvas font.
    void SetMetrics(TCanvas* Canvas);
    void SetMetrics(TReportSurface& Surface);
    // Cuts every cell wider than its column once, at the column's end on a
    // character boundary, by Surface's measure (the printer's): the printout
    // and the preview then draw the same texts, whatever their own measure
    // and zoom. Lines added later are cut by the surface they are drawn on.
    void FitCells(TCanvas* Canvas);
    void FitCells(TReportSurface& Surface);
    // Draws line Index with its top at Y, the page's left edge at X0.
    void RenderLine(TCanvas* Canvas, int X0, int Index, int Y);
    void RenderLine(TReportSurface& Surface, int X0, int Index, int Y);

    // ---- Properties
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& Value);
    const std::string& SubTitle() const { return FSubTitle; }
    void SetSubTitle(const std::string& Value);
    const std::string& DateStamp() const { return FDateStamp; }
    TDateTime ReportDate() const { return FReportDate; }
    uint8_t LineWidth() const { return FLineWidth; }
    void SetLineWidth(uint8_t Value) { FLineWidth = Value; }
    int Margin() const { return FMargin; }
    int CharsPerLine() const { return FCharsPerLine; }
    int LinesPerPage() const { return FLinesPerPage; }
    int PageNo() const { return FPageNo; }
    bool Paging() const { return FPaging; }
    bool ShowContinued() const { return FShowContinued; }
    void SetShowContinued(bool Value) { FShowContinued = Value; }
    int FooterLines() const { return FFooterLines; }
    bool ShowDateStamp() const { return FShowDateStamp; }
    void SetShowDateStamp(bool Value) { FShowDateStamp = Value; }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }
    int HeaderLines() const { return FHeaderLines; }
    void SetHeaderLines(int Value) { FHeaderLines = Value; }
    int CharWidth() const { return FCharWidth; }
    int BlockWidth() const { return FBlockWidth; }
    int PageWidth() const { return FPageWidth; }
    // Interned arrays held now.
    int AlignmentArrays() const { return static_cast<int>(FAlignments.size()); }
    int WidthArrays() const { return static_cast<int>(FWidths.size()); }

    // ---- Adding lines (used by Build and the headers)
    // The paging test, then the line; answers its index.
    int AddLine(uint8_t Kind, const TByteArray* Alignments, const std::vector<std::string>& Strings,
                const TByteArray* Widths);
    void AddText(const std::string& Text);
    void AddTriple(const std::string& Left, const std::string& Centre, const std::string& Right);
    void AddColumns(const TByteArray& Widths, bool Centred, const std::vector<std::string>& Cells,
                    const TByteArray& Alignments);
    void AddUnderline(const TByteArray& Widths, const std::string& Pattern);
    const TByteArray* InternAlignments(const TByteArray& Bytes);
    const TByteArray* InternWidths(const TByteArray& Bytes);
    // Sum of (width + 1) over the columns, less 1.
    static int TotalWidth(const TByteArray& Widths);
    void PageBreak();
    // Fills the last page with empty lines up to its footer area.
    void PadLastPage();

protected:
    virtual void PageHeader();
    virtual void PageFooter();
    virtual bool Build() = 0;

private:
    using TArrayList = std::vector<std::unique_ptr<TByteArray>>;
    static const TByteArray* Intern(TArrayList& List, const TByteArray& Bytes);

    std::string FDateStamp;
    std::string FSubTitle;
    int FMargin = 0;
    int FCharsPerLine = 0;
    int FLinesPerPage = 0;
    int FPageNo = 0;
    TDateTime FReportDate = 0;
    bool FPaging = false;
    bool FShowContinued = false;
    int FFooterLines = 0;
    TArrayList FAlignments;
    TArrayList FWidths;
    std::vector<std::unique_ptr<TLine>> FLines;
    int FCharWidth = 0;
    int FBlockWidth = 0;
    int FPageWidth = 0;
    bool FShowDateStamp = true;
    int FHelpContext = 10003;
    std::string FTitle;
    uint8_t FLineWidth = 0;
    int FHeaderLines = 1;
};
