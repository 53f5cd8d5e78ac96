// Printing of the rich edit (TqzRichPrinting): margins, header and footer,
// the paginator shared by printing, page counting and the preview, and the
// print run.
#include "suite/richtext/qzrichprint.h"

#include <algorithm>
#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/printers.h"
#include "suite/base/qzdbutils.h"

// ---- TqzPrintMargins and TqzRTFHeaderFooter ------------------------------------------------

void TqzPrintMargins::Assign(TPersistent* Source) {
    if (auto* m = dynamic_cast<TqzPrintMargins*>(Source)) {
        FTop = m->FTop;
        FBottom = m->FBottom;
        FLeft = m->FLeft;
        FRight = m->FRight;
        return;
    }
    TPersistent::Assign(Source);
}

void TqzPrintMargins::Publish(TPublisher<TqzPrintMargins>& p) {
    p.Property("Top", &TqzPrintMargins::Top, &TqzPrintMargins::SetTop);
    p.Property("Bottom", &TqzPrintMargins::Bottom, &TqzPrintMargins::SetBottom);
    p.Property("Left", &TqzPrintMargins::Left, &TqzPrintMargins::SetLeft);
    p.Property("Right", &TqzPrintMargins::Right, &TqzPrintMargins::SetRight);
}

TqzRTFHeaderFooter::TqzRTFHeaderFooter() : FFont(std::make_unique<TFont>()) {}
TqzRTFHeaderFooter::~TqzRTFHeaderFooter() = default;

void TqzRTFHeaderFooter::SetFont(TFont* Value) { FFont->Assign(Value); }

void TqzRTFHeaderFooter::Assign(TPersistent* Source) {
    if (auto* h = dynamic_cast<TqzRTFHeaderFooter*>(Source)) {
        FVertMargin = h->FVertMargin;
        FLeftText = h->FLeftText;
        FCenterText = h->FCenterText;
        FRightText = h->FRightText;
        FFont->Assign(h->FFont.get());
        FLineSeparator = h->FLineSeparator;
        return;
    }
    TPersistent::Assign(Source);
}

void TqzRTFHeaderFooter::Publish(TPublisher<TqzRTFHeaderFooter>& p) {
    p.Property("VertMargin", &TqzRTFHeaderFooter::VertMargin, &TqzRTFHeaderFooter::SetVertMargin);
    p.Property("LeftText", &TqzRTFHeaderFooter::LeftText, &TqzRTFHeaderFooter::SetLeftText);
    p.Property("CenterText", &TqzRTFHeaderFooter::CenterText, &TqzRTFHeaderFooter::SetCenterText);
    p.Property("RightText", &TqzRTFHeaderFooter::RightText, &TqzRTFHeaderFooter::SetRightText);
    p.Property("Font", &TqzRTFHeaderFooter::Font, &TqzRTFHeaderFooter::SetFont);
    p.Property("LineSeparator", &TqzRTFHeaderFooter::LineSeparator, &TqzRTFHeaderFooter::SetLineSeparator);
}

// ---- Page layout -----------------------------------------------------------------------------

TqzRichPrinting::TqzRichPrinting(TqzRichPrintHost* Host)
    : FHost(Host),
      FMargins(std::make_unique<TqzPrintMargins>()),
      FHeader(std::make_unique<TqzRTFHeaderFooter>()),
      FFooter(std::make_unique<TqzRTFHeaderFooter>()),
      FJobName(Application ? Application->Title() : std::string()) {}

TqzRichPrinting::~TqzRichPrinting() = default;

TRect TqzRichPrinting::MarginRect() const {
    TPrinter* p = Printer();
    const int dx = std::max(1, p->XResolution()), dy = std::max(1, p->YResolution());
    const TPoint phys = p->PhysicalPageSize(), off = p->PrintingOffset();
    const int physW = phys.X * 1440 / dx, physH = phys.Y * 1440 / dy;
    const int offX = off.X * 1440 / dx, offY = off.Y * 1440 / dy;
    const int printW = std::max(0, physW - 2 * offX), printH = std::max(0, physH - 2 * offY);
    const int l = FHost->MarginTwips(FMargins->Left()), t = FHost->MarginTwips(FMargins->Top()),
              r = FHost->MarginTwips(FMargins->Right()), b = FHost->MarginTwips(FMargins->Bottom());
    return Rect(std::clamp(l - offX, 0, printW), std::clamp(t - offY, 0, printH),
                std::clamp(physW - r - offX, 0, printW), std::clamp(physH - b - offY, 0, printH));
}

TRect TqzRichPrinting::PageTwips() const {
    if (!IsRectEmpty(FPageRect)) {
        TPrinter* p = Printer();
        const int dx = std::max(1, p->XResolution()), dy = std::max(1, p->YResolution());
        return Rect(FPageRect.Left * 1440 / dx, FPageRect.Top * 1440 / dy, FPageRect.Right * 1440 / dx,
                    FPageRect.Bottom * 1440 / dy);
    }
    return MarginRect();
}

TRect TqzRichPrinting::PrinterFormatRect() const {
    TPrinter* p = Printer();
    const int dx = std::max(1, p->XResolution()), dy = std::max(1, p->YResolution());
    const double page = static_cast<double>(p->PhysicalPageSize().X) / dx;
    const double margins =
        (FHost->MarginTwips(FMargins->Left()) + FHost->MarginTwips(FMargins->Right())) / 1440.0;
    const int gutter = FHost->GutterWidth();
    const long right = std::lround((page - margins) * FHost->ScreenPixelsPerInch()) + gutter + 4;
    const int bottom = p->PageHeight() * Screen->PixelsPerInch() / dy;
    if (right <= gutter + 4 || right > 100000 || bottom <= 0) return {};
    return Rect(gutter, 0, static_cast<int>(right), bottom);
}

namespace {

// Where the line at From ends when it is taller than Page: at the least page
// height that takes it whole, it is the only line that fits. -1 when no
// height does.
int EndOfTallLine(TqzRichPrintHost* Host, TCanvas* Canvas, int Dpi, int From, const TRect& Page) {
    auto fits = [&](int Height, int& Next) {
        TRect r = Page;
        r.Bottom = r.Top + Height;
        Next = Host->FormatRange(Canvas, Dpi, From, r, false);
        return Next > From;
    };
    int low = Page.Bottom - Page.Top, high = low, end = From;
    do {
        if (high > (1 << 29)) return -1;
        high *= 2;
    } while (!fits(high, end));
    while (high - low > 1) {
        const int mid = low + (high - low) / 2;
        int next = From;
        if (fits(mid, next)) {
            high = mid;
            end = next;
        } else {
            low = mid;
        }
    }
    return end;
}

}  // namespace

std::vector<TqzRichPage> TqzRichPrinting::Paginate(TCanvas* Canvas, int Dpi, const TRect& PageTwips) const {
    if (PageTwips.Right - PageTwips.Left < 144 || PageTwips.Bottom - PageTwips.Top < 144)
        throw Exception("The print margins leave no room on the page; make them smaller.");
    std::vector<TqzRichPage> pages;
    const int length = FHost->TextLength();
    int start = 0;
    for (;;) {
        int next = FHost->FormatRange(Canvas, Dpi, start, PageTwips, false);
        if (next <= start && start < length) {
            // Nothing fits whole: a page shorter than a line of the edit's
            // font is the margins' fault; else the line is taller than any
            // page and gets one of its own, printed clipped.
            if (PageTwips.Bottom - PageTwips.Top < std::abs(FHost->FontSize()) * 20)
                throw Exception("The print margins leave no room for a line of text; make them smaller.");
            next = EndOfTallLine(FHost, Canvas, Dpi, start, PageTwips);
            if (next <= start) throw Exception("A line of the document is too tall to print.");
        }
        pages.push_back({start, std::max(start, next) - 1});
        if (next <= start || next >= length || next < 0) break;
        start = next;
    }
    return pages;
}

void TqzRichPrinting::DrawPage(TCanvas* Canvas, int Dpi, int First, const TRect& PageTwips) const {
    if (FHost->FormatRange(Canvas, Dpi, First, PageTwips, true) <= First)
        FHost->DrawRange(Canvas, Dpi, First, PageTwips);
}

namespace {

void DrawTexts(TCanvas* Canvas, const TRect& R, int Y, const std::string& L, const std::string& C,
               const std::string& Rt) {
    Canvas->Brush()->SetStyle(bsClear);
    if (!L.empty()) Canvas->TextOut(R.Left, Y, L);
    if (!Rt.empty()) Canvas->TextOut(R.Right - Canvas->TextWidth(Rt), Y, Rt);
    if (!C.empty()) Canvas->TextOut(R.Left + (R.Right - R.Left - Canvas->TextWidth(C)) / 2, Y, C);
}

void DrawSeparator(TCanvas* Canvas, const TRect& R, int Y, int Width) {
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetColor(clBlack);
    Canvas->Pen()->SetWidth(std::max(1, Width));
    Canvas->MoveTo(R.Left, Y);
    Canvas->LineTo(R.Right, Y);
}

}  // namespace

void TqzRichPrinting::DrawHeaderFooter(TCanvas* Canvas, int Dpi, const TPoint& PhysicalSize,
                                       const TPoint& Offset, const TRect& PageTwips, int PageNumber) const {
    auto px = [Dpi](int Twips) { return Twips * Dpi / 1440; };
    // header
    TRect hr = Rect(px(PageTwips.Left), static_cast<int>(std::lround(Dpi * FHeader->VertMargin())) - Offset.Y,
                    px(PageTwips.Right), px(PageTwips.Top));
    Canvas->Font()->Assign(FHeader->Font());
    bool doDefault = true;
    std::string l = FHeader->LeftText(), c = FHeader->CenterText(), r = FHeader->RightText();
    FHost->DoPrintHeader(hr, PageNumber, l, c, r, doDefault);
    if (doDefault) {
        DrawTexts(Canvas, hr, hr.Top, l, c, r);
        if (FHeader->LineSeparator())
            DrawSeparator(Canvas, hr, hr.Top + Canvas->TextHeight("H") + px(28), px(6));
    }
    // footer
    const double bottom = PhysicalSize.Y - Dpi * FFooter->VertMargin();
    TRect fr = Rect(px(PageTwips.Left), static_cast<int>(std::lround(bottom - px(720))), px(PageTwips.Right),
                    static_cast<int>(std::lround(bottom)) - Offset.Y);
    Canvas->Font()->Assign(FFooter->Font());
    doDefault = true;
    l = FFooter->LeftText(), c = FFooter->CenterText(), r = FFooter->RightText();
    FHost->DoPrintFooter(fr, PageNumber, l, c, r, doDefault);
    if (doDefault) {
        const int h = Canvas->TextHeight("H");
        DrawTexts(Canvas, fr, fr.Bottom - h, l, c, r);
        if (FFooter->LineSeparator()) DrawSeparator(Canvas, fr, fr.Bottom - h - px(28), px(6));
    }
}

void TqzRichPrinting::Print(const std::string& Caption) {
    TqzHourGlass busy;
    TPrinter* printer = Printer();
    if (FHost->UsesPrinterWidth()) FHost->ApplyPaperSize();
    printer->SetTitle(Caption);
    const int from = FHost->PrintFromPage(), to = FHost->PrintToPage();
    printer->BeginDoc();
    try {
        TCanvas* canvas = printer->Canvas();
        const int dpi = printer->XResolution();
        const TRect page = PageTwips();
        const std::vector<TqzRichPage> pages = Paginate(canvas, dpi, page);
        FPageCount = static_cast<int>(pages.size());
        int printed = 0;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const int number = static_cast<int>(i) + 1;
            if ((from > 0 && number < from) || (to > 0 && number > to)) continue;
            // a new sheet only for a page that prints
            if (printed > 0) printer->NewPage();
            DrawHeaderFooter(canvas, dpi, printer->PhysicalPageSize(), printer->PrintingOffset(), page,
                             number);
            DrawPage(canvas, dpi, pages[i].First, page);
            ++printed;
        }
        if (printed == 0)
            printer->Abort();  // the range holds no page of the document
        else
            printer->EndDoc();
    } catch (...) {
        // The job is dropped, not ended: a document cut short never
        // replaces a file printed before.
        if (printer->Printing()) {
            try {
                printer->Abort();
            } catch (...) {}
        }
        FHost->SetPrintRange(0, 0);
        throw;
    }
    FHost->SetPrintRange(0, 0);
}
