// Printing of the rich edit: the margins, header, footer and their events,
// the job name and preview caption, the page rectangle and the pages last
// counted, and the page layout shared by printing and the print preview.
// It lays the edit's text out through the edit's public side.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/geometry.h"
#include "suite/richtext/qzriched.h"
#include "suite/richtext/qzrichhost.h"

class TCanvas;

class TqzRichPrinting {
public:
    explicit TqzRichPrinting(TqzRichPrintHost* Host);
    ~TqzRichPrinting();
    TqzRichPrinting(const TqzRichPrinting&) = delete;
    TqzRichPrinting& operator=(const TqzRichPrinting&) = delete;

    TqzPrintMargins* Margins() const { return FMargins.get(); }
    TqzRTFHeaderFooter* Header() const { return FHeader.get(); }
    TqzRTFHeaderFooter* Footer() const { return FFooter.get(); }
    // The application's title until set.
    const std::string& JobName() const { return FJobName; }
    void SetJobName(const std::string& Value) { FJobName = Value; }
    const std::string& PreviewCaption() const { return FPreviewCaption; }
    void SetPreviewCaption(const std::string& Value) { FPreviewCaption = Value; }
    // In printer pixels (empty: from the margins).
    TRect PageRect() const { return FPageRect; }
    void SetPageRect(const TRect& Value) { FPageRect = Value; }
    // Pages of the last print or preview.
    int PageCount() const { return FPageCount; }
    void SetPageCount(int Value) { FPageCount = Value; }
    const TqzPrintHeaderFooterEvent& OnHeader() const { return FOnHeader; }
    void SetOnHeader(TqzPrintHeaderFooterEvent Value) { FOnHeader = Value; }
    const TqzPrintHeaderFooterEvent& OnFooter() const { return FOnFooter; }
    void SetOnFooter(TqzPrintHeaderFooterEvent Value) { FOnFooter = Value; }
    // The page range of the next print run (0: open at that end); a print
    // run clears it.
    int FromPage() const { return FHost->PrintFromPage(); }
    int ToPage() const { return FHost->PrintToPage(); }
    void SetPageRange(int From, int To) { FHost->SetPrintRange(From, To); }

    // The margins in printer twips, relative to the printable area.
    TRect MarginRect() const;
    // The page rectangle printing uses (twips).
    TRect PageTwips() const;
    // The text's rectangle at the printer's width (empty when the margins
    // leave no room on the page).
    TRect PrinterFormatRect() const;
    // The pages of the document in PageTwips as drawn on Canvas at Dpi.
    std::vector<TqzRichPage> Paginate(TCanvas* Canvas, int Dpi, const TRect& PageTwips) const;
    // Draws the page starting at First; a page whose one line is taller
    // than the page gets that line, clipped.
    void DrawPage(TCanvas* Canvas, int Dpi, int First, const TRect& PageTwips) const;
    // Draws the header and footer of a page on Canvas (pixels at Dpi, the
    // printable area's origin at (0, 0)), firing the edit's header and
    // footer events.
    void DrawHeaderFooter(TCanvas* Canvas, int Dpi, const TPoint& PhysicalSize, const TPoint& Offset,
                          const TRect& PageTwips, int PageNumber) const;
    // One print job titled Caption over the edit's page range, which is
    // cleared afterwards (also on failure). A failure drops the job.
    void Print(const std::string& Caption);

private:
    TqzRichPrintHost* FHost;
    std::unique_ptr<TqzPrintMargins> FMargins;
    std::unique_ptr<TqzRTFHeaderFooter> FHeader, FFooter;
    std::string FJobName;
    std::string FPreviewCaption;
    TRect FPageRect;
    int FPageCount = 0;
    TqzPrintHeaderFooterEvent FOnHeader, FOnFooter;
};
