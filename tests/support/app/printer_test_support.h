// Printer services for the print tests: one that calls back on every new
// page of the printer it wraps, and one whose only printer has a page of a
// given size (for geometry tests that never start a document).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/printers.h"

// Installs itself over the current service while it lives; each NewPage of
// a document calls OnNewPage with the number of the page just finished.
class THookedPrinters : public TPrinterService {
public:
    explicit THookedPrinters(std::function<void(int)> OnNewPage) : FOnNewPage(std::move(OnNewPage)) {
        FInner = SetPrinterService(this);
        delete SetPrinter(nullptr);
    }
    ~THookedPrinters() override {
        SetPrinterService(FInner);
        delete SetPrinter(nullptr);
    }
    std::vector<std::string> PrinterNames() override { return FInner->PrinterNames(); }
    int DefaultPrinter() override { return FInner->DefaultPrinter(); }
    std::unique_ptr<TPrinterDevice> CreateDevice(const std::string& Name) override {
        auto inner = FInner->CreateDevice(Name);
        if (!inner) return inner;
        return std::make_unique<TDevice>(std::move(inner), this);
    }

private:
    class TDevice : public TPrinterDevice {
    public:
        TDevice(std::unique_ptr<TPrinterDevice> Inner, THookedPrinters* Owner)
            : FInner(std::move(Inner)), FOwner(Owner) {}
        int Dpi() const override { return FInner->Dpi(); }
        TPoint PhysicalSize(TPrinterOrientation O) const override { return FInner->PhysicalSize(O); }
        TRect PrintableRect(TPrinterOrientation O) const override { return FInner->PrintableRect(O); }
        std::string Begin(TCanvas* Canvas, const std::string& Title, const std::string& FileName,
                          TPrinterOrientation O, int Copies) override {
            FPage = 1;
            return FInner->Begin(Canvas, Title, FileName, O, Copies);
        }
        void NewPage(TCanvas* Canvas) override {
            FInner->NewPage(Canvas);
            if (FOwner->FOnNewPage) FOwner->FOnNewPage(FPage);
            ++FPage;
        }
        void End(TCanvas* Canvas) override { FInner->End(Canvas); }
        void Abort(TCanvas* Canvas) override { FInner->Abort(Canvas); }

    private:
        std::unique_ptr<TPrinterDevice> FInner;
        THookedPrinters* FOwner;
        int FPage = 1;
    };

    TPrinterService* FInner;
    std::function<void(int)> FOnNewPage;
};

// One printer, "Strip", with a page of Width x Height pixels at Dpi; it
// cannot start documents. A broken one cannot even be reached.
class TStripPrinters : public TPrinterService {
public:
    TStripPrinters(int Width, int Height, int Dpi = 100, bool Broken = false)
        : FWidth(Width), FHeight(Height), FDpi(Dpi), FBroken(Broken) {
        FPrevious = SetPrinterService(this);
        delete SetPrinter(nullptr);
    }
    ~TStripPrinters() override {
        SetPrinterService(FPrevious);
        delete SetPrinter(nullptr);
    }
    std::vector<std::string> PrinterNames() override { return {"Strip"}; }
    int DefaultPrinter() override { return 0; }
    std::unique_ptr<TPrinterDevice> CreateDevice(const std::string&) override {
        if (FBroken) return nullptr;
        return std::make_unique<TDevice>(this);
    }

private:
    class TDevice : public TPrinterDevice {
    public:
        explicit TDevice(TStripPrinters* Owner) : FOwner(Owner) {}
        int Dpi() const override { return FOwner->FDpi; }
        TPoint PhysicalSize(TPrinterOrientation) const override { return {FOwner->FWidth, FOwner->FHeight}; }
        TRect PrintableRect(TPrinterOrientation) const override {
            return {0, 0, FOwner->FWidth, FOwner->FHeight};
        }
        std::string Begin(TCanvas*, const std::string&, const std::string&, TPrinterOrientation,
                          int) override {
            return "The strip printer prints nothing";
        }
        void NewPage(TCanvas*) override {}
        void End(TCanvas*) override {}
        void Abort(TCanvas*) override {}

    private:
        TStripPrinters* FOwner;
    };

    TPrinterService* FPrevious;
    int FWidth, FHeight, FDpi;
    bool FBroken;
};
