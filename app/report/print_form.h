// The print dialog shown on a laid-out report: it names the printer, fits
// the report's character grid to the page by choosing a font size, and
// offers View (the preview), Print, Setup, Cancel and Help.
#pragma once

#include "app/report/norv_report.h"
#include "platform/ui/forms.h"

class TLabel;
class TBitBtn;
class TPrinterSetupDialog;

class TfrmPrint : public TForm {
    TASKMOOR_CLASS(TfrmPrint, TForm)
public:
    explicit TfrmPrint(TComponent* AOwner);

    TLabel* lblPrinter;
    TBitBtn* bbnView;
    TBitBtn* bbnPrint;
    TBitBtn* bbnSetup;
    TBitBtn* bbnCancel;
    TBitBtn* bbnHelp;
    TPrinterSetupDialog* PrinterSetupDialog1;

    void FormCreate(TObject* Sender);
    void bbnSetupClick(TObject* Sender);
    void bbnViewClick(TObject* Sender);
    void bbnPrintClick(TObject* Sender);
    void bbnHelpClick(TObject* Sender);

    TNorvReport* Report() const { return FReport; }
    void SetReport(TNorvReport* Value) { FReport = Value; }
    bool Prepared() const { return FPrepared; }
    int CharsPerLine() const { return FCharsPerLine; }
    int LineHeight() const { return FLineHeight; }
    int LinesPerPage() const { return FLinesPerPage; }
    // True while PrintPages runs.
    bool Printing() const { return FPrinting; }
    // The point size FitFont chose.
    int FontSize() const { return FFontSize; }

    // Chooses the printer font for the report's line width and measures the
    // page in lines and characters.
    void FitFont();
    // Lays the report out unless it is laid out for this page already;
    // raises Exception "No data found!" for a report without lines.
    void PrepareOnce();
    // Prints every page with the cancel box showing; true when all pages
    // went out. A cancelled job is dropped, not finished.
    bool PrintPages();
    // For the PDF printer: asks where the document goes (the save dialog);
    // false when the user cancels. True at once for other printers.
    bool ChooseOutputFile();

private:
    void ApplyPrinterFont();
    std::string CurrentPrinterName();

    bool FPrepared = false;
    int FCharsPerLine = 0;
    int FLineHeight = 0;
    int FLinesPerPage = 0;
    TNorvReport* FReport = nullptr;
    int FFontSize = 0;
    bool FPrinting = false;
};
