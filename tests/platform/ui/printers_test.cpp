// The printer: the list, geometry, documents on the test printer, and two
// pages printed to a PDF file and read back.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/printers.h"
#include "platform/ui/stddialogs.h"
#include "support/environment.h"
#include "support/ui/ui_probes.h"

namespace {

std::string TempPath(const std::string& Name) { return IncludeTrailingPathDelimiter(GetTempDir()) + Name; }

// The text of a PDF file as pdftotext gives it ("" when the tool is missing).
std::string PdfText(const std::string& File) {
    const std::string out = File + ".txt";
    const std::string cmd = "pdftotext -layout '" + File + "' '" + out + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return {};
    std::ifstream in(out);
    std::stringstream s;
    s << in.rdbuf();
    std::remove(out.c_str());
    return s.str();
}

int PdfPages(const std::string& Text) {
    int pages = 1;
    for (char c : Text)
        if (c == '\f') ++pages;
    return Text.empty() ? 0 : pages - (Text.back() == '\f' ? 1 : 0);
}

TEST(PrinterTest, ThePdfPrinterIsAlwaysListed) {
    TPrinter printer;
    EXPECT_GE(printer.Printers()->IndexOf(PdfPrinterName), 0);
    EXPECT_GE(printer.PrinterIndex(), 0);
    EXPECT_THROW(printer.SetPrinterIndex(printer.Printers()->Count()), EPrinter);
    EXPECT_THROW(printer.NewPage(), EPrinter);
    EXPECT_THROW(printer.EndDoc(), EPrinter);
}

TEST(PrinterTest, TestPrinterGeometryAndPages) {
    TTestPrinters printers(100, 25);
    TPrinter* p = Printer();
    EXPECT_EQ(p->PrinterName(), "Test Printer");
    EXPECT_EQ(p->PhysicalPageSize(), (TPoint{850, 1100}));
    EXPECT_EQ(p->PrintingOffset(), (TPoint{25, 25}));
    EXPECT_EQ(p->PageWidth(), 800);
    EXPECT_EQ(p->PageHeight(), 1050);
    EXPECT_EQ(p->XResolution(), 100);
    // Point sizes follow the printer's resolution.
    p->Canvas()->Font()->SetSize(9);
    EXPECT_EQ(p->Canvas()->Font()->Height(), -13);  // 9 * 100 / 72, rounded
    p->SetTitle("Report");
    p->BeginDoc();
    EXPECT_TRUE(p->Printing());
    EXPECT_THROW(p->BeginDoc(), EPrinter);
    EXPECT_THROW(p->SetPrinterIndex(1), EPrinter);
    p->Canvas()->Brush()->SetColor(clBlack);
    p->Canvas()->FillRect(Rect(0, 0, 10, 10));
    p->NewPage();
    EXPECT_EQ(p->PageNumber(), 2);
    p->Canvas()->Brush()->SetColor(clRed);
    p->Canvas()->FillRect(Rect(790, 1040, 800, 1050));
    p->EndDoc();
    EXPECT_FALSE(p->Printing());
    ASSERT_EQ(printers.PageCount(), 2);
    EXPECT_EQ(printers.LastTitle(), "Report");
    EXPECT_EQ(printers.Page(0)->Width(), 800);
    EXPECT_EQ(printers.Page(0)->Canvas()->Pixels(5, 5), clBlack);
    EXPECT_EQ(printers.Page(0)->Canvas()->Pixels(795, 1045), clWhite);
    EXPECT_EQ(printers.Page(1)->Canvas()->Pixels(795, 1045), clRed);
    // Landscape turns the sheet.
    p->SetOrientation(poLandscape);
    EXPECT_EQ(p->PhysicalPageSize(), (TPoint{1100, 850}));
    // An aborted document leaves no pages.
    p->BeginDoc();
    p->NewPage();
    p->Abort();
    EXPECT_TRUE(p->Aborted());
    EXPECT_EQ(printers.PageCount(), 2);
    EXPECT_EQ(printers.AbortedDocuments(), 1);
}

TEST(PrinterTest, TwoPagesToAPdfFile) {
    TTestPrinters printers;
    TPrinter* p = Printer();
    p->SetPrinterIndex(p->Printers()->IndexOf(PdfPrinterName));
    const std::string file = TempPath("taskmoor_printer_test.pdf");
    DeleteFile(file);
    p->SetFileName(file);
    p->SetTitle("Two pages");
    // A PDF page is a Letter sheet at 600 dots per inch with a quarter inch margin.
    EXPECT_EQ(p->XResolution(), 600);
    EXPECT_EQ(p->PhysicalPageSize(), (TPoint{5100, 6600}));
    EXPECT_EQ(p->PrintingOffset(), (TPoint{150, 150}));
    TCanvas* c = p->Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetSize(12);
    p->BeginDoc();
    c->TextOut(0, 0, "First page of the list");
    c->TextOut(0, c->TextHeight("0") * 2, "Urgent task");
    p->NewPage();
    c->TextOut(200, 300, "Second page here");
    // No ligatures: "fi" stays two letters a search finds.
    c->TextOut(200, 300 + c->TextHeight("0") * 2, "Refill the office files");
    p->EndDoc();
    ASSERT_TRUE(FileExists(file));
    const std::string text = PdfText(file);
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_EQ(PdfPages(text), 2);
    const auto first = text.find("First page of the list");
    const auto urgent = text.find("Urgent task");
    const auto second = text.find("Second page here");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(urgent, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, urgent);
    EXPECT_GT(second, text.find('\f'));
    EXPECT_NE(text.find("Refill the office files"), std::string::npos) << text;
    DeleteFile(file);
}

TEST(PrinterTest, AbortedPdfLeavesNoFileAndABadPathIsAnError) {
    TTestPrinters printers;
    TPrinter* p = Printer();
    p->SetPrinterIndex(p->Printers()->IndexOf(PdfPrinterName));
    const std::string file = TempPath("taskmoor_printer_abort.pdf");
    p->SetFileName(file);
    p->BeginDoc();
    p->Canvas()->TextOut(10, 10, "never printed");
    p->Abort();
    EXPECT_FALSE(FileExists(file));
    p->SetFileName("/nonexistent-folder/x/y.pdf");
    try {
        p->BeginDoc();
        FAIL() << "no error";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(),
                  "Cannot create file \"/nonexistent-folder/x/y.pdf\". No such file or directory");
    }
    EXPECT_FALSE(p->Printing());
}

// The PDF replaces a file of the name only when it is finished: an aborted
// print keeps the old file, a read-only one is refused and left alone, and
// no temporary file stays behind.
TEST(PrinterTest, APdfReplacesAFileOnlyWhenFinished) {
    TTestPrinters printers;
    TPrinter* p = Printer();
    p->SetPrinterIndex(p->Printers()->IndexOf(PdfPrinterName));
    const std::string folder = TestRunPath("pdf_replace");
    ForceDirectories(folder);
    const std::string file = folder + "/list.pdf";
    const auto contents = [&] {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    { std::ofstream(file) << "last week's list"; }
    p->SetFileName(file);
    p->BeginDoc();
    p->Canvas()->TextOut(10, 10, "never printed");
    p->Abort();
    EXPECT_EQ(contents(), "last week's list");

    ::chmod(file.c_str(), 0444);
    EXPECT_THROW(p->BeginDoc(), EPrinter);
    EXPECT_FALSE(p->Printing());
    EXPECT_EQ(contents(), "last week's list");

    ::chmod(file.c_str(), 0644);
    p->BeginDoc();
    p->Canvas()->TextOut(10, 10, "This week");
    p->EndDoc();
    EXPECT_EQ(contents().substr(0, 5), "%PDF-");
    const std::string text = PdfText(file);
    if (!text.empty()) {
        EXPECT_NE(text.find("This week"), std::string::npos);
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"list.pdf"});
}

// A PDF that cannot be written whole (a full disk) raises with the reason
// and keeps the old file, however early or late the disk fills.
TEST(PrinterTest, APdfOnAFullDiskKeepsTheOldFileAndSaysWhy) {
    TTestPrinters printers;
    TPrinter* p = Printer();
    p->SetPrinterIndex(p->Printers()->IndexOf(PdfPrinterName));
    const std::string folder = TestRunPath("pdf_full_disk");
    ForceDirectories(folder);
    const std::string file = folder + "/list.pdf";
    const auto contents = [&] {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    const auto print = [&](int Pages) {
        p->BeginDoc();
        for (int page = 0; page < Pages; ++page) {
            if (page > 0) p->NewPage();
            for (int line = 0; line < 60; ++line)
                p->Canvas()->TextOut(10, line * 100, Format("Page %d, task %d of the list", page + 1, line));
        }
        p->EndDoc();
    };
    { std::ofstream(file) << "last week's list"; }
    p->SetFileName(file);
    for (int allowed : {0, 3, 20}) {
        SimulateWriteFailure(allowed);
        try {
            print(12);
            FAIL() << "no error after " << allowed << " writes";
        } catch (const EPrinter& e) {
            EXPECT_EQ(e.Message(), "Cannot create file \"" + file + "\". No space left on device") << allowed;
        }
        ResetWriteFaults();
        EXPECT_FALSE(p->Printing());
        EXPECT_EQ(contents(), "last week's list") << allowed;
    }
    // With room again the whole document replaces the file.
    print(12);
    const std::string whole = contents();
    EXPECT_EQ(whole.substr(0, 5), "%PDF-");
    EXPECT_NE(whole.find("%%EOF"), std::string::npos);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"list.pdf"});
}

TEST(PrinterSetupDialogTest, ChoosesThePrinterAndOrientation) {
    TTestPrinters printers;
    TTestStdDialogs dialogs;
    TPrinterSetupDialog dlg(nullptr);
    dlg.SetHelpContext(2210);
    dialogs.AnswerPrinter(true, PdfPrinterName, poLandscape, TestRunPath("out.pdf"));
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(Printer()->PrinterName(), PdfPrinterName);
    EXPECT_EQ(Printer()->Orientation(), poLandscape);
    EXPECT_EQ(Printer()->FileName(), TestRunPath("out.pdf"));
    EXPECT_EQ(dialogs.LastHelpContext(), 2210);
    dialogs.AnswerPrinter(false);
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(Printer()->PrinterName(), PdfPrinterName);
    EXPECT_EQ(dialogs.PrinterRequests(), 2);
}

}  // namespace
