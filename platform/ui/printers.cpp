// The printer, its devices and the printer service.
#include <QIODevice>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/printers.h"
#include "platform/ui/qt_host.h"

const char* const PdfPrinterName = "PDF File";

namespace {

struct TPaperEntry {
    int Code;
    const char* Name;
    QPageSize::PageSizeId Id;
};
const TPaperEntry kPapers[] = {
    {1, "Letter", QPageSize::Letter},
    {5, "Legal", QPageSize::Legal},
    {7, "Executive", QPageSize::Executive},
    {8, "A3", QPageSize::A3},
    {9, "A4", QPageSize::A4},
    {11, "A5", QPageSize::A5},
    {13, "B5 (JIS)", QPageSize::JisB5},
    {20, "Envelope #10", QPageSize::Comm10E},
    {27, "Envelope DL", QPageSize::DLE},
};
const TPaperEntry* FindPaper(int Code) {
    for (const TPaperEntry& e : kPapers)
        if (e.Code == Code) return &e;
    return nullptr;
}

// ---- The PDF printer's output file ------------------------------------------------------------

// A file written through an atomic writer that keeps the first failure: the
// writes after it are refused, and Commit raises it instead of putting a cut
// document in place.
class TCheckedFile : public QIODevice {
public:
    explicit TCheckedFile(const std::string& FileName) : FWriter(FileName) { open(QIODevice::WriteOnly); }

    const std::string& Error() const { return FError; }
    bool isSequential() const override { return true; }

    void Commit() {
        close();
        if (FError.empty()) {
            try {
                FWriter.Commit();
                return;
            } catch (const Exception& e) {
                FError = e.Message();
            }
        }
        FWriter.Abandon();
        throw EPrinter(FError);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* Data, qint64 Size) override {
        if (!FError.empty()) return -1;
        try {
            FWriter.Write(Data, static_cast<std::size_t>(Size));
            return Size;
        } catch (const Exception& e) {
            FError = e.Message();
            setErrorString(ToQString(FError));
            return -1;
        }
    }

private:
    TAtomicFileWriter FWriter;
    std::string FError;
};

// The PDF document on that file. It passes for a printer, as text drawn for
// printing is (letters kept apart, so a search in the file finds words).
class TPdfDocument : public QPdfWriter {
public:
    using QPdfWriter::QPdfWriter;
    int devType() const override { return QInternal::Printer; }
};

// ---- A printer of the toolkit (a system printer or the PDF file) -------------------------------

class TQtPrinterDevice : public TPrinterDevice {
public:
    explicit TQtPrinterDevice(const std::string& Name) : FName(Name), FPdf(Name == PdfPrinterName) {
        EnsureToolkit();
        Setup(FPrinter);
    }

    int Dpi() const override { return FPrinter.resolution(); }
    TPoint PhysicalSize(TPrinterOrientation Orientation) const override {
        QPageLayout layout = FPrinter.pageLayout();
        layout.setOrientation(Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        const QRect full = layout.fullRectPixels(FPrinter.resolution());
        return {full.width(), full.height()};
    }
    TRect PrintableRect(TPrinterOrientation Orientation) const override {
        QPageLayout layout = FPrinter.pageLayout();
        layout.setOrientation(Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        const QRect r = layout.paintRectPixels(FPrinter.resolution());
        return Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    }

    bool SetPaper(int Code) override {
        const TPaperEntry* e = FindPaper(Code);
        if (!e) return false;
        return FPrinter.setPageSize(QPageSize(e->Id));
    }

    std::string Begin(TCanvas* Canvas, const std::string& Title, const std::string& FileName,
                      TPrinterOrientation Orientation, int Copies) override {
        FPrinter.setDocName(ToQString(Title));
        FPrinter.setPageOrientation(Orientation == poLandscape ? QPageLayout::Landscape
                                                               : QPageLayout::Portrait);
        FPrinter.setCopyCount(std::max(1, Copies));
        QPaintDevice* target = &FPrinter;
        if (FPdf) {
            // The document is written beside the file and replaces it only
            // when it is finished and on the disk whole: an aborted or failed
            // print keeps the old file, and a read-only file or a folder is
            // refused.
            try {
                FFile = std::make_unique<TCheckedFile>(FileName);
            } catch (const Exception& e) {
                return e.Message();
            }
            FPdfWriter = std::make_unique<TPdfDocument>(FFile.get());
            FPdfWriter->setTitle(ToQString(Title));
            FPdfWriter->setCreator(FPrinter.creator());
            FPdfWriter->setResolution(FPrinter.resolution());
            FPdfWriter->setPageLayout(FPrinter.pageLayout());
            target = FPdfWriter.get();
        }
        FPainter = std::make_unique<QPainter>();
        if (!FPainter->begin(target)) {
            FPainter.reset();
            const std::string reason = FFile ? FFile->Error() : std::string();
            FPdfWriter.reset();
            FFile.reset();
            if (FPdf) return reason.empty() ? Format("Cannot create file \"%s\".", FileName.c_str()) : reason;
            return "Printer selected is not valid";
        }
        Bind(Canvas, Orientation);
        return {};
    }
    void NewPage(TCanvas* Canvas) override {
        if (!FPainter) return;
        UnbindCanvas(Canvas);
        if (FPdfWriter)
            FPdfWriter->newPage();
        else
            FPrinter.newPage();
        Bind(Canvas, FOrientation);
    }
    void End(TCanvas* Canvas) override {
        UnbindCanvas(Canvas);
        if (FPainter) FPainter->end();
        FPainter.reset();
        FPdfWriter.reset();
        if (FFile) {
            // The painter answers success for a short write: the file's own
            // account decides.
            std::unique_ptr<TCheckedFile> file = std::move(FFile);
            file->Commit();
        }
    }
    void Abort(TCanvas* Canvas) override {
        UnbindCanvas(Canvas);
        if (!FPdfWriter) FPrinter.abort();
        if (FPainter && FPainter->isActive()) FPainter->end();
        FPainter.reset();
        // A dropped PDF document leaves no half file behind.
        FPdfWriter.reset();
        FFile.reset();
    }

private:
    void Setup(QPrinter& P) {
        if (FPdf) {
            P.setOutputFormat(QPrinter::PdfFormat);
            P.setResolution(600);
            P.setPageSize(QPageSize(QPageSize::Letter));
            // A printable area like a real printer's: a quarter inch all round.
            P.setPageMargins(QMarginsF(6.35, 6.35, 6.35, 6.35), QPageLayout::Millimeter);
        } else {
            P.setPrinterName(ToQString(FName));
        }
        P.setFullPage(false);
    }
    void Bind(TCanvas* Canvas, TPrinterOrientation Orientation) {
        FOrientation = Orientation;
        const TRect r = PrintableRect(Orientation);
        const QRect clip(0, 0, r.Width(), r.Height());
        BindCanvas(Canvas, FPainter.get(), QPoint(0, 0), &clip);
    }

    std::string FName;
    bool FPdf;
    QPrinter FPrinter{QPrinter::HighResolution};
    std::unique_ptr<TCheckedFile> FFile;
    std::unique_ptr<TPdfDocument> FPdfWriter;
    std::unique_ptr<QPainter> FPainter;
    TPrinterOrientation FOrientation = poPortrait;
};

class TQtPrinterService : public TPrinterService {
public:
    std::vector<std::string> PrinterNames() override {
        EnsureToolkit();
        std::vector<std::string> names;
        for (const QString& n : QPrinterInfo::availablePrinterNames()) names.push_back(FromQString(n));
        names.push_back(PdfPrinterName);
        return names;
    }
    int DefaultPrinter() override {
        const std::string def = FromQString(QPrinterInfo::defaultPrinterName());
        const auto names = PrinterNames();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (!def.empty() && names[i] == def) return static_cast<int>(i);
        return static_cast<int>(names.size()) - 1;  // the PDF printer
    }
    std::unique_ptr<TPrinterDevice> CreateDevice(const std::string& Name) override {
        return std::make_unique<TQtPrinterDevice>(Name);
    }
};

TQtPrinterService& RealPrinterService() {
    static TQtPrinterService service;
    return service;
}
TPrinterService* GPrinterService = nullptr;
TPrinter* GPrinter = nullptr;

}  // namespace

TPrinterService& PrinterService() { return GPrinterService ? *GPrinterService : RealPrinterService(); }

TPrinterService* SetPrinterService(TPrinterService* Service) {
    TPrinterService* old = GPrinterService ? GPrinterService : &RealPrinterService();
    GPrinterService = Service == &RealPrinterService() ? nullptr : Service;
    return old;
}

TPrinter* Printer() {
    if (!GPrinter) GPrinter = new TPrinter();
    return GPrinter;
}

TPrinter* SetPrinter(TPrinter* NewPrinter) {
    TPrinter* old = GPrinter;
    GPrinter = NewPrinter;
    return old;
}

std::vector<std::pair<int, std::string>> PaperSizes() {
    std::vector<std::pair<int, std::string>> out;
    for (const TPaperEntry& e : kPapers) out.emplace_back(e.Code, e.Name);
    return out;
}

TPoint PaperSizeInMils(int Code) {
    const TPaperEntry* e = FindPaper(Code);
    if (!e) return {0, 0};
    const QSizeF in = QPageSize(e->Id).size(QPageSize::Inch);
    return {static_cast<int>(std::lround(in.width() * 1000)),
            static_cast<int>(std::lround(in.height() * 1000))};
}

// ---- TPrinter ---------------------------------------------------------------------------------------

TPrinter::TPrinter() : FCanvas(std::make_unique<TCanvas>()) {}

TPrinter::~TPrinter() {
    if (FPrinting && FDevice) {
        try {
            FDevice->Abort(FCanvas.get());
        } catch (...) {}
    }
}

TStrings* TPrinter::Printers() {
    if (!FPrinters) {
        FPrinters = std::make_unique<TStringList>();
        for (const std::string& n : PrinterService().PrinterNames()) FPrinters->Add(n);
        if (FPrinters->IndexOf(PdfPrinterName) < 0) FPrinters->Add(PdfPrinterName);
    }
    return FPrinters.get();
}

void TPrinter::Refresh() {
    const std::string current =
        FPrinterIndex >= 0 && FPrinters ? FPrinters->Strings(FPrinterIndex) : std::string();
    CheckPrinting(false);
    FPrinters.reset();
    const int index = current.empty() ? -1 : Printers()->IndexOf(current);
    FPrinterIndex = index;
    DeviceChanged();
}

int TPrinter::PrinterIndex() {
    if (FPrinterIndex < 0) {
        const int count = Printers()->Count();
        int def = PrinterService().DefaultPrinter();
        if (def < 0 || def >= count) def = Printers()->IndexOf(PdfPrinterName);
        FPrinterIndex = def;
    }
    return FPrinterIndex;
}

void TPrinter::SetPrinterIndex(int Value) {
    CheckPrinting(false);
    if (Value == -1) {
        FPrinterIndex = -1;
        PrinterIndex();
    } else {
        if (Value < 0 || Value >= Printers()->Count()) throw EPrinter("Printer selected is not valid");
        FPrinterIndex = Value;
    }
    DeviceChanged();
}

std::string TPrinter::PrinterName() { return Printers()->Strings(PrinterIndex()); }

void TPrinter::DeviceChanged() {
    FDevice.reset();
    UnbindCanvas(FCanvas.get());
}

TPrinterDevice* TPrinter::Device() {
    if (!FDevice) {
        FDevice = PrinterService().CreateDevice(PrinterName());
        if (!FDevice) throw EPrinter("Printer selected is not valid");
        FCanvas->Font()->SetPixelsPerInch(FDevice->Dpi());
        if (FPaperSize != 1 && !FDevice->SetPaper(FPaperSize)) FPaperSize = 1;
    }
    return FDevice.get();
}

void TPrinter::CheckPrinting(bool Value) const {
    if (FPrinting == Value) return;
    throw EPrinter(Value ? "Printer is not currently printing" : "Printing in progress");
}

void TPrinter::SetOrientation(TPrinterOrientation Value) {
    CheckPrinting(false);
    FOrientation = Value;
}

void TPrinter::SetPaperSize(int Value) {
    CheckPrinting(false);
    if (!FindPaper(Value)) return;
    if (FDevice && !FDevice->SetPaper(Value)) return;
    FPaperSize = Value;
}

void TPrinter::SetCopies(int Value) {
    CheckPrinting(false);
    FCopies = std::max(1, Value);
}

TCanvas* TPrinter::Canvas() {
    Device();
    return FCanvas.get();
}

int TPrinter::PageWidth() { return Device()->PrintableRect(FOrientation).Width(); }
int TPrinter::PageHeight() { return Device()->PrintableRect(FOrientation).Height(); }
TPoint TPrinter::PhysicalPageSize() { return Device()->PhysicalSize(FOrientation); }
TPoint TPrinter::PrintingOffset() { return Device()->PrintableRect(FOrientation).TopLeft(); }
int TPrinter::XResolution() { return Device()->Dpi(); }
int TPrinter::YResolution() { return Device()->Dpi(); }

void TPrinter::BeginDoc() {
    CheckPrinting(false);
    TPrinterDevice* device = Device();
    std::string file = FFileName;
    if (file.empty()) {
        std::string name = FTitle.empty() ? "Document" : FTitle;
        for (char& ch : name)
            if (std::string("/\\:*?\"<>|").find(ch) != std::string::npos) ch = '_';
        file = IncludeTrailingPathDelimiter(GetCurrentDir()) + name + ".pdf";
    }
    const std::string error = device->Begin(FCanvas.get(), FTitle, file, FOrientation, FCopies);
    if (!error.empty()) throw EPrinter(error);
    FPrinting = true;
    FAborted = false;
    FPageNumber = 1;
}

void TPrinter::NewPage() {
    CheckPrinting(true);
    FDevice->NewPage(FCanvas.get());
    ++FPageNumber;
}

void TPrinter::EndDoc() {
    CheckPrinting(true);
    FPrinting = false;
    FPageNumber = 0;
    FDevice->End(FCanvas.get());
}

void TPrinter::Abort() {
    CheckPrinting(true);
    FPrinting = false;
    FAborted = true;
    FPageNumber = 0;
    FDevice->Abort(FCanvas.get());
}

// ---- Test printers ---------------------------------------------------------------------------------

class TTestPrinterDevice : public TPrinterDevice {
public:
    explicit TTestPrinterDevice(TTestPrinters* Owner) : FOwner(Owner) {}

    int Dpi() const override { return FOwner->FDpi; }
    TPoint PhysicalSize(TPrinterOrientation Orientation) const override {
        const TPoint mils = PaperSizeInMils(FPaper);
        const int w = static_cast<int>(std::lround(mils.X * FOwner->FDpi / 1000.0)),
                  h = static_cast<int>(std::lround(mils.Y * FOwner->FDpi / 1000.0));
        return Orientation == poLandscape ? TPoint{h, w} : TPoint{w, h};
    }
    bool SetPaper(int Code) override {
        if (!FindPaper(Code)) return false;
        FPaper = Code;
        return true;
    }
    TRect PrintableRect(TPrinterOrientation Orientation) const override {
        const TPoint s = PhysicalSize(Orientation);
        const int m = FOwner->FMargin;
        return Rect(m, m, s.X - m, s.Y - m);
    }
    std::string Begin(TCanvas* Canvas, const std::string& Title, const std::string&,
                      TPrinterOrientation Orientation, int) override {
        FOwner->FLastTitle = Title;
        FOrientation = Orientation;
        FDone.clear();
        StartPage(Canvas);
        return {};
    }
    void NewPage(TCanvas* Canvas) override {
        FinishPage(Canvas);
        StartPage(Canvas);
    }
    void End(TCanvas* Canvas) override {
        FinishPage(Canvas);
        for (auto& page : FDone) FOwner->FPages.push_back(std::move(page));
        FDone.clear();
        ++FOwner->FDocuments;
    }
    void Abort(TCanvas* Canvas) override {
        UnbindCanvas(Canvas);
        FPainter.reset();
        FDone.clear();
        ++FOwner->FAborted;
    }

private:
    void StartPage(TCanvas* Canvas) {
        const TRect r = PrintableRect(FOrientation);
        FImage = QImage(r.Width(), r.Height(), QImage::Format_RGB32);
        FImage.fill(Qt::white);
        FPainter = std::make_unique<QPainter>(&FImage);
        const QRect clip(0, 0, r.Width(), r.Height());
        BindCanvas(Canvas, FPainter.get(), QPoint(0, 0), &clip, &FImage);
    }
    void FinishPage(TCanvas* Canvas) {
        UnbindCanvas(Canvas);
        if (FPainter) FPainter->end();
        FPainter.reset();
        auto page = std::make_unique<TBitmap>();
        page->SetSize(FImage.width(), FImage.height());
        page->Data()->Image = FImage;
        FDone.push_back(std::move(page));
    }

    TTestPrinters* FOwner;
    int FPaper = 1;
    TPrinterOrientation FOrientation = poPortrait;
    QImage FImage;
    std::unique_ptr<QPainter> FPainter;
    std::vector<std::unique_ptr<TBitmap>> FDone;
};

TTestPrinters::TTestPrinters(int Dpi, int Margin)
    : FPrevious(SetPrinterService(this)),
      FPreviousPrinter(SetPrinter(nullptr)),
      FDpi(std::max(10, Dpi)),
      FMargin(std::max(0, Margin)) {}

TTestPrinters::~TTestPrinters() {
    delete SetPrinter(FPreviousPrinter);
    SetPrinterService(FPrevious);
}

TBitmap* TTestPrinters::Page(int Index) const {
    if (Index < 0 || Index >= PageCount()) throw EListError(Format("List index out of bounds (%d)", Index));
    return FPages[static_cast<std::size_t>(Index)].get();
}

void TTestPrinters::Clear() {
    FPages.clear();
    FDocuments = 0;
    FAborted = 0;
}

std::vector<std::string> TTestPrinters::PrinterNames() { return {"Test Printer", PdfPrinterName}; }

std::unique_ptr<TPrinterDevice> TTestPrinters::CreateDevice(const std::string& Name) {
    if (Name == PdfPrinterName) return std::make_unique<TQtPrinterDevice>(Name);
    if (Name == "Test Printer") return std::make_unique<TTestPrinterDevice>(this);
    return nullptr;
}
