// The printer: a list of printers, the chosen one, and a canvas that draws
// on its pages.
//
// Printers come from a service. The real one lists the system's printers
// and, always, the PDF file printer (named PdfPrinterName), which writes the
// document to FileName (by default "<Title>.pdf" in the current folder). The
// test double TTestPrinters keeps each page as a bitmap.
//
// Sizes are in the printer's pixels: PageWidth and PageHeight are the
// printable area the canvas draws on; PhysicalPageSize is the whole sheet
// and PrintingOffset the printable area's top-left corner on it. The canvas
// font's PixelsPerInch is the printer's resolution, so point sizes come out
// right.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/strings.h"
#include "platform/ui/geometry.h"
#include "platform/ui/graphics.h"

class TBitmap;
class TPrinterDevice;

TASKMOOR_ENUM(TPrinterOrientation, poPortrait, poLandscape)

// "Printer is not currently printing", "Printing in progress",
// "Printer selected is not valid", "There is no default printer currently selected".
class EPrinter : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EPrinter"; }
};

// The name of the PDF file printer in the list.
extern const char* const PdfPrinterName;

class TPrinter : public TObject {
    TASKMOOR_CLASS(TPrinter, TObject)
public:
    TPrinter();
    ~TPrinter() override;

    // Printer names; the PDF printer is always among them.
    TStrings* Printers();
    // The chosen printer; -1 (or setting -1) picks the default one. Raises
    // EPrinter "Printer selected is not valid" outside the list, and
    // "Printing in progress" while printing.
    int PrinterIndex();
    void SetPrinterIndex(int Value);
    // The chosen printer's name.
    std::string PrinterName();
    // Re-reads the printer list (keeps the chosen printer when it is still there).
    void Refresh();

    // ---- Document
    std::string Title() const { return FTitle; }
    void SetTitle(const std::string& Value) { FTitle = Value; }
    // The PDF printer's output file (empty: "<Title>.pdf" in the current folder).
    std::string FileName() const { return FFileName; }
    void SetFileName(const std::string& Value) { FFileName = Value; }
    TPrinterOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrinterOrientation Value);
    int Copies() const { return FCopies; }
    void SetCopies(int Value);
    // The paper by the platform's paper codes (1 Letter, 5 Legal, 7
    // Executive, 8 A3, 9 A4, 11 A5, 13 B5, 20 Envelope #10, 27 Envelope DL);
    // a code the printer does not know is ignored. Raises "Printing in
    // progress" while printing.
    int PaperSize() const { return FPaperSize; }
    void SetPaperSize(int Value);
    // Starts a document on page 1; raises EPrinter "Printing in progress"
    // when one is open, or with the device's reason when it cannot start.
    void BeginDoc();
    // Ends the page and starts the next one.
    void NewPage();
    // Finishes and sends the document. A PDF file that cannot be written
    // whole (a full disk) raises EPrinter "Cannot create file "%s". <reason>"
    // and the old file stays as it was.
    void EndDoc();
    // Drops the document.
    void Abort();
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    int PageNumber() const { return FPageNumber; }

    // ---- Geometry of the chosen printer (pixels)
    TCanvas* Canvas();
    int PageWidth();
    int PageHeight();
    TPoint PhysicalPageSize();
    TPoint PrintingOffset();
    // Pixels per inch across and down.
    int XResolution();
    int YResolution();

private:
    TPrinterDevice* Device();
    void CheckPrinting(bool Value) const;
    void DeviceChanged();
    std::unique_ptr<TStringList> FPrinters;
    std::unique_ptr<TCanvas> FCanvas;
    std::unique_ptr<TPrinterDevice> FDevice;
    int FPrinterIndex = -1;
    std::string FTitle;
    std::string FFileName;
    TPrinterOrientation FOrientation = poPortrait;
    int FCopies = 1;
    int FPaperSize = 1;
    bool FPrinting = false;
    bool FAborted = false;
    int FPageNumber = 0;
};

// The process's printer (made on first use).
TPrinter* Printer();
// Replaces it (nullptr frees it; the next Printer() makes a new one).
// Answers the old one, which the caller then owns.
TPrinter* SetPrinter(TPrinter* NewPrinter);

// The paper codes the printers know, with their names ("Letter", "A4", ...).
std::vector<std::pair<int, std::string>> PaperSizes();
// The sheet of a paper code in thousandths of an inch, portrait ({0, 0} when unknown).
TPoint PaperSizeInMils(int Code);

// ---- Devices and the printer service ------------------------------------------------------------
// One printer as the TPrinter drives it.
class TPrinterDevice {
public:
    virtual ~TPrinterDevice() = default;
    // Resolution and page geometry in device pixels (for the orientation).
    virtual int Dpi() const = 0;
    virtual TPoint PhysicalSize(TPrinterOrientation Orientation) const = 0;
    virtual TRect PrintableRect(TPrinterOrientation Orientation) const = 0;
    // Chooses the paper by its code; false when the device does not know it.
    virtual bool SetPaper(int) { return false; }
    // A document: Begin answers an error text ("" when it started); the
    // canvas is bound to the current page between Begin and End.
    virtual std::string Begin(TCanvas* Canvas, const std::string& Title, const std::string& FileName,
                              TPrinterOrientation Orientation, int Copies) = 0;
    virtual void NewPage(TCanvas* Canvas) = 0;
    virtual void End(TCanvas* Canvas) = 0;
    virtual void Abort(TCanvas* Canvas) = 0;
};

class TPrinterService {
public:
    virtual ~TPrinterService() = default;
    // The printers' names; the default one's index.
    virtual std::vector<std::string> PrinterNames() = 0;
    virtual int DefaultPrinter() = 0;
    virtual std::unique_ptr<TPrinterDevice> CreateDevice(const std::string& Name) = 0;
};
TPrinterService& PrinterService();
// Installs a service (nullptr: the real one); answers the one it replaces.
TPrinterService* SetPrinterService(TPrinterService* Service);

// Printers for tests: "Test Printer" (the default) and the PDF printer. The
// test printer keeps every finished page as a bitmap (Letter, or the chosen paper, at Dpi pixels per
// inch, printable area inset by Margin pixels). Installs itself while it
// lives; Printer() is replaced meanwhile so the list is fresh.
class TTestPrinters : public TPrinterService {
public:
    explicit TTestPrinters(int Dpi = 100, int Margin = 25);
    ~TTestPrinters() override;

    // Pages of the documents ended so far.
    int PageCount() const { return static_cast<int>(FPages.size()); }
    TBitmap* Page(int Index) const;
    int Documents() const { return FDocuments; }
    int AbortedDocuments() const { return FAborted; }
    std::string LastTitle() const { return FLastTitle; }
    void Clear();

    std::vector<std::string> PrinterNames() override;
    int DefaultPrinter() override { return 0; }
    std::unique_ptr<TPrinterDevice> CreateDevice(const std::string& Name) override;

private:
    friend class TTestPrinterDevice;
    TPrinterService* FPrevious;
    TPrinter* FPreviousPrinter;
    int FDpi, FMargin;
    std::vector<std::unique_ptr<TBitmap>> FPages;
    int FDocuments = 0;
    int FAborted = 0;
    std::string FLastTitle;
};
