// The print dialog's buttons, fitting the font to the page, printing pages to the
// printer or a file.
#include "app/report/print_form.h"

#include <algorithm>
#include <memory>

#include "app/report/cancel_form.h"
#include "app/report/form_layout.h"
#include "app/report/preview_form.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/printers.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/stddialogs.h"

namespace {

const char* const PrinterFontName = "Arial";

TBitBtn* MakeButton(TfrmPrint* Form, const char* Name, const char* Caption, int Top) {
    auto* b = new TBitBtn(Form);
    b->SetName(Name);
    b->SetParent(Form);
    b->SetCaption(Caption);
    b->SetBounds(0, Top, 80, 27);
    return b;
}

}  // namespace

TfrmPrint::TfrmPrint(TComponent* AOwner) : TForm(AOwner) {
    SetName("frmPrint");
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetHelpContext(2190);
    SetClientWidth(360);
    SetClientHeight(124);

    lblPrinter = new TLabel(this);
    lblPrinter->SetName("lblPrinter");
    lblPrinter->SetParent(this);
    lblPrinter->SetAutoSize(false);
    lblPrinter->SetAlignment(taCenter);
    lblPrinter->SetShowAccelChar(false);
    lblPrinter->SetBounds(8, 12, 344, 18);

    bbnView = MakeButton(this, "bbnView", "&View", 42);
    bbnPrint = MakeButton(this, "bbnPrint", "&Print", 42);
    bbnSetup = MakeButton(this, "bbnSetup", "&Setup", 42);
    bbnCancel = MakeButton(this, "bbnCancel", "&Cancel", 84);
    bbnCancel->SetCancel(true);
    bbnCancel->SetModalResult(mrCancel);
    bbnHelp = MakeButton(this, "bbnHelp", "&Help", 84);
    SpreadControls({bbnView, bbnPrint, bbnSetup});
    SpreadControls({bbnCancel, bbnHelp});

    PrinterSetupDialog1 = new TPrinterSetupDialog(this);
    PrinterSetupDialog1->SetName("PrinterSetupDialog1");
    PrinterSetupDialog1->SetHelpContext(2210);

    bbnView->SetOnClick(MakeEvent(this, &TfrmPrint::bbnViewClick));
    bbnPrint->SetOnClick(MakeEvent(this, &TfrmPrint::bbnPrintClick));
    bbnSetup->SetOnClick(MakeEvent(this, &TfrmPrint::bbnSetupClick));
    bbnHelp->SetOnClick(MakeEvent(this, &TfrmPrint::bbnHelpClick));
    SetOnCreate(MakeEvent(this, &TfrmPrint::FormCreate));

    lblPrinter->SetCaption(CurrentPrinterName());
}

std::string TfrmPrint::CurrentPrinterName() { return Printer()->PrinterName(); }

void TfrmPrint::FormCreate(TObject*) { CentreOverMainForm(this); }

void TfrmPrint::bbnSetupClick(TObject*) {
    if (FPrinting) return;
    PrinterSetupDialog1->Execute();
    lblPrinter->SetCaption(CurrentPrinterName());
    FitFont();
}

void TfrmPrint::bbnViewClick(TObject*) {
    if (FPrinting) return;
    PrepareOnce();
    bool print = false;
    {
        std::unique_ptr<TfrmPrnPrev> preview(CreateForm<TfrmPrnPrev>(this, FReport, FLinesPerPage));
        print = preview->ShowModal() == mrOk;
    }
    if (print && PrintPages()) SetModalResult(mrOk);
}

void TfrmPrint::bbnPrintClick(TObject*) {
    if (FPrinting) return;
    PrepareOnce();
    if (PrintPages()) SetModalResult(mrOk);
}

void TfrmPrint::bbnHelpClick(TObject*) {
    if (Application) Application->HelpContext(HelpContext());
}

void TfrmPrint::FitFont() {
    // A printer that cannot be reached raises EPrinter here, before any layout.
    TPrinter* printer = Printer();
    TCanvas* canvas = printer->Canvas();
    canvas->Font()->SetName(PrinterFontName);
    canvas->Font()->SetStyle({});
    const int pageWidth = printer->PageWidth();
    const int lineWidth = FReport ? FReport->LineWidth() : 0;
    int w = 0;
    for (int size = 10; size >= 7; --size) {
        FFontSize = size;
        canvas->Font()->SetSize(size);
        w = canvas->TextWidth("0");
        if (lineWidth * w <= pageWidth) break;
    }
    FLineHeight = canvas->TextHeight("0");
    const int chars = w > 0 ? pageWidth / w : 0;
    const int lines = FLineHeight > 0 ? printer->PageHeight() / FLineHeight : 0;
    // Another page width also moves the report's margin.
    if (lines != FLinesPerPage || chars != FCharsPerLine) {
        FLinesPerPage = lines;
        FCharsPerLine = chars;
        FPrepared = false;
    }
}

void TfrmPrint::PrepareOnce() {
    TCursorScope cursor(crHourGlass);
    if (FLinesPerPage == 0) FitFont();
    if (!FPrepared) {
        if (!FReport) throw Exception("No data found!");
        FReport->Prepare(FLinesPerPage, FCharsPerLine);
        if (FReport->LineCount() == 0) throw Exception("No data found!");
        FPrepared = true;
    }
    // Cut by the printer's font as it is now (another printer may have been
    // set up), so that the preview shows the printout's texts.
    if (!FReport) return;
    ApplyPrinterFont();
    FReport->FitCells(Printer()->Canvas());
}

void TfrmPrint::ApplyPrinterFont() {
    TFont* font = Printer()->Canvas()->Font();
    font->SetName(PrinterFontName);
    font->SetStyle({});
    font->SetSize(FFontSize);
}

bool TfrmPrint::ChooseOutputFile() {
    TPrinter* printer = Printer();
    if (printer->PrinterName() != PdfPrinterName) return true;
    // The document title in the data folder unless a file was chosen before.
    std::string file = printer->FileName();
    if (file.empty()) file = IncludeTrailingPathDelimiter(GetCurrentDir()) + FReport->Title() + ".pdf";
    std::unique_ptr<TSaveDialog> dialog(new TSaveDialog(this));
    dialog->SetInitialDir(ExtractFileDir(file));
    dialog->SetFileName(ExtractFileName(file));
    dialog->SetDefaultExt("pdf");
    dialog->SetFilter("PDF files (*.pdf)|*.pdf|All files|*");
    dialog->SetOptions(TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofPathMustExist, ofNoChangeDir});
    if (!dialog->Execute()) return false;
    printer->SetFileName(dialog->FileName());
    return true;
}

bool TfrmPrint::PrintPages() {
    if (!FReport || !FPrepared || FLinesPerPage < 1 || FPrinting) return false;
    if (!ChooseOutputFile()) return false;
    TPrinter* printer = Printer();
    const int pages = FReport->PageCount();
    bool finished = false;
    // Events run between lines: the dialog's own buttons wait meanwhile.
    FPrinting = true;
    try {
        ShowCancelBox(Caption(), std::string());
        printer->SetTitle(FReport->Title());
        printer->BeginDoc();
        ApplyPrinterFont();
        bool cancelled = false;
        for (int p = 1; p <= pages && !cancelled; ++p) {
            UpdateCancelBox(Format("Printing Page %d of %d", p, pages));
            TCanvas* canvas = printer->Canvas();
            FReport->SetMetrics(canvas);
            int y = 0;
            const int first = (p - 1) * FLinesPerPage;
            const int last = std::min(first + FLinesPerPage, FReport->LineCount());
            for (int i = first; i < last; ++i) {
                FReport->RenderLine(canvas, 0, i, y);
                y += FLineHeight;
                if (CheckCancel()) {
                    cancelled = true;
                    break;
                }
            }
            if (cancelled) break;
            if (p < pages)
                printer->NewPage();
            else
                finished = true;
        }
        // A cancelled job is dropped: no partial document counts as printed.
        if (printer->Printing()) {
            if (finished)
                printer->EndDoc();
            else
                printer->Abort();
        }
    } catch (...) {
        if (printer->Printing()) printer->Abort();
        CloseCancelBox();
        FPrinting = false;
        throw;
    }
    CloseCancelBox();
    FPrinting = false;
    return finished;
}

bool ShowPrintDialog(TNorvReport* Report) {
    TComponent* owner = Screen && Screen->ActiveForm() ? static_cast<TComponent*>(Screen->ActiveForm())
                                                       : static_cast<TComponent*>(Application);
    std::unique_ptr<TfrmPrint> form(CreateForm<TfrmPrint>(owner));
    form->SetReport(Report);
    form->SetHelpContext(Report->HelpContext());
    ShowHelpButtonIfContext(form->bbnHelp);
    SpreadControls({form->bbnCancel, form->bbnHelp});
    form->SetCaption(Report->Title());
    return form->ShowModal() == mrOk;
}
