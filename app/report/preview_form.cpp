// The preview's layout, page painting, page buttons and page-number edit, zoom and
// keys.
#include "app/report/preview_form.h"

#include "app/report/form_layout.h"
#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/mask.h"
#include "platform/ui/printers.h"
#include "platform/ui/stdctrls.h"

namespace {

constexpr int ButtonTop = 7;
constexpr int SmallButton = 28;
constexpr int WideButton = 75;
constexpr int ButtonHeight = 27;

TBitBtn* AddButton(TfrmPrnPrev* Form, TWinControl* Parent, const char* Name, const char* Caption, int& X,
                   int Width, void (TfrmPrnPrev::*Handler)(TObject*)) {
    auto* b = new TBitBtn(Form);
    b->SetName(Name);
    b->SetParent(Parent);
    b->SetCaption(Caption);
    b->SetBounds(X, ButtonTop, Width, ButtonHeight);
    if (Handler) b->SetOnClick(MakeEvent(Form, Handler));
    X += Width + 2;
    return b;
}

}  // namespace

TfrmPrnPrev::TfrmPrnPrev(TComponent* AOwner, TNorvReport* Report, int LinesPerPage)
    : TForm(AOwner), FReport(Report), FLinesPerPage(LinesPerPage) {
    SetName("frmPrnPrev");
    SetCaption("Print Preview");
    SetBorderIcons({biSystemMenu, biMaximize});
    SetKeyPreview(true);
    SetBounds(0, 0, 800, 600);

    BuildButtonBar();
    BuildSheet();
    SetActiveControl(bbnPrint);
    SetOnCreate(MakeEvent(this, &TfrmPrnPrev::FormCreate));
    SetOnKeyDown(MakeEvent(this, &TfrmPrnPrev::FormKeyDown));

    SetHelpContext(10004);
    ReadPrinterGeometry();

    pbPage->SetAlign(alNone);
    pbPage->Canvas()->SetFont(pbPage->Font());
    Layout();
    FPageCount = FReport && FLinesPerPage > 0 ? FReport->PageCount() : 0;
    lblTotPages->SetCaption("of " + IntToStr(FPageCount));

    bbnHelp->SetVisible(HelpContext() != 0);
    if (!bbnHelp->Visible()) pnlButtons->SetWidth(pnlButtons->Width() - (bbnHelp->Width() + 8));
    pnlBottomResize(pnlBottom);
    GotoPage(1);
}

// A bottom panel with the centred row of buttons.
void TfrmPrnPrev::BuildButtonBar() {
    pnlBottom = new TPanel(this);
    pnlBottom->SetName("pnlBottom");
    pnlBottom->SetParent(this);
    pnlBottom->SetCaption("");
    pnlBottom->SetAlign(alBottom);
    pnlBottom->SetHeight(41);

    pnlButtons = new TPanel(this);
    pnlButtons->SetName("pnlButtons");
    pnlButtons->SetParent(pnlBottom);
    pnlButtons->SetCaption("");
    pnlButtons->SetBevelOuter(bvNone);

    int x = 4;
    bbnFirst = AddButton(this, pnlButtons, "bbnFirst", "|<", x, SmallButton, &TfrmPrnPrev::bbnFirstClick);
    bbnPrev = AddButton(this, pnlButtons, "bbnPrev", "<", x, SmallButton, &TfrmPrnPrev::bbnPrevClick);
    medPageNo = new TMaskEdit(this);
    medPageNo->SetName("medPageNo");
    medPageNo->SetParent(pnlButtons);
    medPageNo->SetEditMask("999;0; ");
    medPageNo->SetMaxLength(3);
    medPageNo->SetBounds(x + 2, ButtonTop + 3, 36, 21);
    medPageNo->SetOnExit(MakeEvent(this, &TfrmPrnPrev::medPageNoExit));
    medPageNo->SetOnKeyPress(MakeEvent(this, &TfrmPrnPrev::medPageNoKeyPress));
    x += 42;
    lblTotPages = new TLabel(this);
    lblTotPages->SetName("lblTotPages");
    lblTotPages->SetParent(pnlButtons);
    lblTotPages->SetAutoSize(false);
    lblTotPages->SetBounds(x, ButtonTop + 6, 48, 16);
    x += 50;
    bbnNext = AddButton(this, pnlButtons, "bbnNext", ">", x, SmallButton, &TfrmPrnPrev::bbnNextClick);
    bbnLast = AddButton(this, pnlButtons, "bbnLast", ">|", x, SmallButton, &TfrmPrnPrev::bbnLastClick);
    x += 12;
    bbnZoomIn = AddButton(this, pnlButtons, "bbnZoomIn", "+", x, SmallButton, &TfrmPrnPrev::bbnZoomInClick);
    bbnZoomOut =
        AddButton(this, pnlButtons, "bbnZoomOut", "-", x, SmallButton, &TfrmPrnPrev::bbnZoomOutClick);
    x += 12;
    bbnPrint = AddButton(this, pnlButtons, "bbnPrint", "&Print", x, WideButton, nullptr);
    bbnPrint->SetModalResult(mrOk);
    bbnCancel = AddButton(this, pnlButtons, "bbnCancel", "&Cancel", x, WideButton, nullptr);
    bbnCancel->SetCancel(true);
    bbnCancel->SetModalResult(mrCancel);
    bbnHelp = AddButton(this, pnlButtons, "bbnHelp", "&Help", x, WideButton, &TfrmPrnPrev::bbnHelpClick);
    pnlButtons->SetBounds(0, 2, x + 6, 39);
    pnlBottom->SetOnResize(MakeEvent(this, &TfrmPrnPrev::pnlBottomResize));
}

void TfrmPrnPrev::BuildSheet() {
    ScrollBox1 = new TScrollBox(this);
    ScrollBox1->SetName("ScrollBox1");
    ScrollBox1->SetParent(this);
    ScrollBox1->SetAlign(alClient);
    ScrollBox1->SetColor(clAppWorkSpace);
    ScrollBox1->VertScrollBar()->SetTracking(true);
    ScrollBox1->HorzScrollBar()->SetTracking(true);

    pbPage = new TPaintBox(this);
    pbPage->SetName("pbPage");
    pbPage->SetParent(ScrollBox1);
    pbPage->SetAlign(alClient);
    pbPage->SetColor(clWhite);
    pbPage->Font()->SetName("Arial");
    pbPage->Font()->SetSize(8);
    pbPage->SetOnPaint(MakeEvent(this, &TfrmPrnPrev::pbPagePaint));

    imgBackground = new TImage(this);
    imgBackground->SetName("imgBackground");
    imgBackground->SetParent(ScrollBox1);
    imgBackground->SetVisible(false);
}

void TfrmPrnPrev::ReadPrinterGeometry() {
    TPrinter* printer = Printer();
    FPhysicalSize = printer->PhysicalPageSize();
    FPrintingOffset = printer->PrintingOffset();
    TCanvas* prn = printer->Canvas();
    FPrinterCharWidth = prn->TextWidth("0");
    FPrinterCharHeight = prn->TextHeight("0");
    if (FPrinterCharWidth > 0) FPrinterCharsPerLine = printer->PageWidth() / FPrinterCharWidth;
}

void TfrmPrnPrev::FormCreate(TObject*) {
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main != this)
        SetBounds(main->Left() + 5, main->Top() + 5, main->Width() - 10, main->Height() - 10);
}

void TfrmPrnPrev::Layout() {
    TCanvas* canvas = pbPage->Canvas();
    canvas->SetFont(pbPage->Font());
    FScreenCharWidth = canvas->TextWidth("0");
    FScreenCharHeight = canvas->TextHeight("0");
    const int pcw = FPrinterCharWidth > 0 ? FPrinterCharWidth : 1;
    const int pch = FPrinterCharHeight > 0 ? FPrinterCharHeight : 1;
    FScreenPageSize.X = MulDiv(FPhysicalSize.X, FScreenCharWidth, pcw);
    FScreenPageSize.Y = MulDiv(FPhysicalSize.Y, FScreenCharHeight, pch);
    FScreenOffset.X = MulDiv(FPrintingOffset.X, FScreenCharWidth, pcw) + 1 + 11;
    FScreenOffset.Y = MulDiv(FPrintingOffset.Y, FScreenCharHeight, pch) + 1 + 11;
    pbPage->SetBounds(pbPage->Left(), pbPage->Top(), FScreenPageSize.X + 22, FScreenPageSize.Y + 22);
    FDrawWidth = FScreenPageSize.X + 12;
    FDrawHeight = FScreenPageSize.Y + 12;
}

void TfrmPrnPrev::pbPagePaint(TObject*) {
    TCanvas* canvas = pbPage->Canvas();
    canvas->SetFont(pbPage->Font());
    canvas->Pen()->SetColor(clBlack);
    canvas->Brush()->SetColor(clWhite);
    canvas->Rectangle(10, 10, FDrawWidth, FDrawHeight);
    if (FReport && FPageNo >= 1 && FLinesPerPage > 0) {
        FReport->SetMetrics(canvas);
        const int first = (FPageNo - 1) * FLinesPerPage;
        int y = FScreenOffset.Y;
        for (int i = first; i < first + FLinesPerPage && i < FReport->LineCount(); ++i) {
            FReport->RenderLine(canvas, FScreenOffset.X, i, y);
            y += FScreenCharHeight;
        }
    }
    if (imgBackground->Picture()->Graphic()) {
        canvas->SetCopyMode(SRCAND);
        canvas->StretchDraw(Rect(11, 11, FDrawWidth - 1, FDrawHeight - 1),
                            imgBackground->Picture()->Graphic());
        canvas->SetCopyMode(SRCCOPY);
    }
}

void TfrmPrnPrev::GotoPage(int N) {
    if (N == FPageNo) return;
    if (N >= 1 && N <= FPageCount) {
        FPageNo = N;
        bbnFirst->SetEnabled(N >= 2);
        bbnPrev->SetEnabled(N >= 2);
        bbnNext->SetEnabled(N < FPageCount);
        bbnLast->SetEnabled(N < FPageCount);
        medPageNo->SetText(IntToStr(N));
        // another page shows from its top
        ScrollBox1->VertScrollBar()->SetPosition(0);
        pbPage->Invalidate();
    } else {
        medPageNo->SetText(IntToStr(FPageNo));
    }
}

void TfrmPrnPrev::bbnFirstClick(TObject*) { GotoPage(1); }
void TfrmPrnPrev::bbnPrevClick(TObject*) { GotoPage(FPageNo - 1); }
void TfrmPrnPrev::bbnNextClick(TObject*) { GotoPage(FPageNo + 1); }
void TfrmPrnPrev::bbnLastClick(TObject*) { GotoPage(FPageCount); }

void TfrmPrnPrev::PageEditDone() {
    const std::string text = Trim(medPageNo->Text());
    if (text.empty()) return;
    GotoPage(StrToIntDef(text, 0));
}

void TfrmPrnPrev::medPageNoExit(TObject*) { PageEditDone(); }

void TfrmPrnPrev::medPageNoKeyPress(TObject*, char32_t& Key) {
    if (Key == U'\r') {
        Key = 0;
        PageEditDone();
    }
}

void TfrmPrnPrev::Zoom(int Step) {
    TCanvas* canvas = pbPage->Canvas();
    canvas->SetFont(pbPage->Font());
    const int w = canvas->TextWidth("0");
    const int old = pbPage->Font()->Size();
    int found = 0;
    for (int size = old + Step; size >= 1 && size <= 100; size += Step) {
        canvas->Font()->SetSize(size);
        const int width = canvas->TextWidth("0");
        if (Step > 0 ? width > w : width < w) {
            found = size;
            break;
        }
    }
    if (found) {
        pbPage->Font()->SetSize(found);
        Layout();
        pbPage->Invalidate();
    } else {
        canvas->Font()->SetSize(old);
    }
}

void TfrmPrnPrev::bbnZoomInClick(TObject*) { Zoom(1); }
void TfrmPrnPrev::bbnZoomOutClick(TObject*) { Zoom(-1); }

void TfrmPrnPrev::bbnHelpClick(TObject*) {
    if (Application) Application->HelpContext(HelpContext());
}

void TfrmPrnPrev::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
    switch (Key) {
    case VK_PRIOR: ScrollBox1->Perform(WM_VSCROLL, SB_PAGEUP, 0); break;
    case VK_NEXT: ScrollBox1->Perform(WM_VSCROLL, SB_PAGEDOWN, 0); break;
    case VK_HOME: ScrollBox1->Perform(WM_HSCROLL, SB_PAGELEFT, 0); break;
    case VK_END: ScrollBox1->Perform(WM_HSCROLL, SB_PAGERIGHT, 0); break;
    default: return;
    }
    Key = 0;
}

void TfrmPrnPrev::pnlBottomResize(TObject*) {
    pnlButtons->SetLeft((pnlBottom->ClientWidth() - pnlButtons->Width()) / 2);
}
