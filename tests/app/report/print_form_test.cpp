// The print dialog: printing every page, font fitting, the to-do list source, the cancel box, setup.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/report/cancel_form.h"
#include "app/report/preview_form.h"
#include "app/report/print_form.h"
#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "support/app/printer_test_support.h"
#include "support/app/report_fixture.h"

namespace {

TfrmPrint* AsPrint(TCustomForm* Form) {
    auto* f = dynamic_cast<TfrmPrint*>(Form);
    EXPECT_NE(f, nullptr);
    return f;
}

std::string ReadPdfText(const std::string& File) {
    const std::string out = File + ".txt";
    const std::string cmd = "pdftotext -layout '" + File + "' '" + out + "'";
    if (std::system(cmd.c_str()) != 0) return std::string();
    std::ifstream in(out);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Measures with a canvas and keeps the texts drawn.
class TRecordingSurface : public TReportSurface {
public:
    explicit TRecordingSurface(TCanvas* Canvas) : FCanvas(Canvas) {}
    int TextWidth(const std::string& Text) override { return FCanvas->TextWidth(Text); }
    int TextHeight(const std::string& Text) override { return FCanvas->TextHeight(Text); }
    void TextOut(int, int, const std::string& Text) override { Texts.push_back(Text); }
    void Line(int, int, int, int) override {}
    std::vector<std::string> Texts;

private:
    TCanvas* FCanvas;
};

// The words of Text, one blank apart.
std::string Words(const std::string& Text) {
    std::istringstream in(Text);
    std::string word, out;
    while (in >> word) out += (out.empty() ? "" : " ") + word;
    return out;
}

class PrintDialogTest : public ReportFormTest {};

TEST_F(PrintDialogTest, DialogShowsTitlePrinterAndHelp) {
    TTestPrinters printers;
    TToDoLists& report = ReportOf(3, "Actions Group 1");
    Modal.Push([&](TCustomForm* Form) {
        TfrmPrint* f = AsPrint(Form);
        EXPECT_EQ(f->Caption(), "Action Rivizoz List");
        EXPECT_EQ(f->HelpContext(), 10003);
        EXPECT_EQ(f->lblPrinter->Caption(), "Test Printer");
        EXPECT_TRUE(f->bbnHelp->Visible());
        EXPECT_EQ(f->PrinterSetupDialog1->HelpContext(), 2210);
        // Cancel and Help spread evenly across the form.
        const int w = f->ClientWidth();
        EXPECT_EQ(f->bbnCancel->Left() + f->bbnCancel->Width() / 2, w / 3);
        EXPECT_EQ(f->bbnHelp->Left() + f->bbnHelp->Width() / 2, 2 * (w / 3));
        EXPECT_TRUE(RenderControlToPng(f, PictureFile("report_print_dialog.png")));
        Click(f->bbnCancel);
    });
    EXPECT_FALSE(ShowPrintDialog(&report));
    EXPECT_EQ(Modal.Pending(), 0);
    EXPECT_EQ(printers.Documents(), 0);
}

TEST_F(PrintDialogTest, WithoutHelpContextCancelIsCentred) {
    TTestPrinters printers;
    TToDoLists& report = ReportOf(1, "Today");
    report.SetHelpContext(0);
    Modal.Push([&](TCustomForm* Form) {
        TfrmPrint* f = AsPrint(Form);
        EXPECT_FALSE(f->bbnHelp->Visible());
        EXPECT_EQ(f->bbnCancel->Left() + f->bbnCancel->Width() / 2, f->ClientWidth() / 2);
        f->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(ShowPrintDialog(&report));
}

TEST_F(PrintDialogTest, PrintSendsEveryPageAndClosesWithOk) {
    TTestPrinters printers(100, 25);
    TToDoLists& report = ReportOf(120, "Actions Group 1");
    Modal.Push([&](TCustomForm* Form) { Click(AsPrint(Form)->bbnPrint); });
    EXPECT_TRUE(ShowPrintDialog(&report));
    EXPECT_EQ(printers.Documents(), 1);
    EXPECT_EQ(printers.AbortedDocuments(), 0);
    ASSERT_GT(report.PageCount(), 1);
    EXPECT_EQ(printers.PageCount(), report.PageCount());
    EXPECT_EQ(printers.LastTitle(), "Action Rivizoz List");
    EXPECT_EQ(CancelBox(), nullptr);
    // Text on every page, starting at the top-left of the printable area.
    for (int p = 0; p < printers.PageCount(); ++p) {
        TBitmap* page = printers.Page(p);
        EXPECT_GT(DarkPixels(page, Rect(0, 0, page->Width(), 60)), 20) << p;
    }
    printers.Page(0)->SaveToFile(PictureFile("report_printed_page.png"));
}

TEST_F(PrintDialogTest, FitFontChoosesTheLargestSizeThatFits) {
    TTestPrinters printers(300, 25);
    TToDoLists& report = ReportOf(2, "Today");
    auto* f = CreateForm<TfrmPrint>(Owner.get());
    f->SetReport(&report);
    f->FitFont();
    TCanvas* c = Printer()->Canvas();
    const int w = c->TextWidth("0");
    EXPECT_LE(113 * w, Printer()->PageWidth());
    EXPECT_EQ(f->CharsPerLine(), Printer()->PageWidth() / w);
    EXPECT_EQ(f->LineHeight(), c->TextHeight("0"));
    EXPECT_EQ(f->LinesPerPage(), Printer()->PageHeight() / f->LineHeight());
    if (f->FontSize() < 10) {
        c->Font()->SetSize(f->FontSize() + 1);
        EXPECT_GT(113 * c->TextWidth("0"), Printer()->PageWidth());
    }
    EXPECT_FALSE(f->Prepared());
    f->PrepareOnce();
    EXPECT_TRUE(f->Prepared());
    EXPECT_EQ(report.LinesPerPage(), f->LinesPerPage());
    EXPECT_EQ(report.CharsPerLine(), f->CharsPerLine());
}

TEST_F(PrintDialogTest, NarrowPageFallsBackToSizeSeven) {
    TStripPrinters strip(150, 1000);
    TToDoLists& report = ReportOf(2, "Today");
    auto* f = CreateForm<TfrmPrint>(Owner.get());
    f->SetReport(&report);
    f->FitFont();
    EXPECT_EQ(f->FontSize(), 7);
    EXPECT_EQ(Printer()->Canvas()->Font()->Size(), 7);
    EXPECT_LT(f->CharsPerLine(), 113);
    f->PrepareOnce();
    EXPECT_EQ(report.Margin(), 0);
}

// Print and View both refuse with the same message; no job, no preview.
TEST_F(PrintDialogTest, PrintAndViewRefuseWhatCannotBePrinted) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<TPrinterService>()> printers;
        int tasks;
        std::string message;
        std::string printer;
    };
    const Case cases[] = {
        // the empty table first: the others add tasks
        {"empty table", [] { return std::make_unique<TTestPrinters>(); }, 0, "No data found!",
         "Test Printer"},
        {"page shorter than a line", [] { return std::make_unique<TStripPrinters>(2000, 5); }, 3,
         "The page is too short to hold one line of the report.", "Strip"},
        {"unreachable printer", [] { return std::make_unique<TStripPrinters>(800, 1000, 100, true); }, 3,
         "Printer selected is not valid.", "Strip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Report.reset();
        Tasks->Close();
        const auto printers = c.printers();
        const int shownBefore = static_cast<int>(Modal.Shown().size());
        Dialogs.Clear();
        TToDoLists& report = ReportOf(c.tasks, "Today");
        Modal.Push([&](TCustomForm* Form) {
            TfrmPrint* f = AsPrint(Form);
            EXPECT_EQ(f->lblPrinter->Caption(), c.printer);
            Click(f->bbnPrint);
            Click(f->bbnView);
            EXPECT_FALSE(f->Prepared());
            Click(f->bbnCancel);
        });
        EXPECT_FALSE(ShowPrintDialog(&report));
        ASSERT_EQ(Dialogs.Count(), 2);
        EXPECT_EQ(Dialogs.Messages()[0].Text, c.message);
        EXPECT_EQ(Dialogs.Messages()[1].Text, c.message);
        EXPECT_EQ(static_cast<int>(Modal.Shown().size()), shownBefore + 1);  // no preview
        if (auto* test = dynamic_cast<TTestPrinters*>(printers.get())) {
            EXPECT_EQ(test->Documents(), 0);
            EXPECT_EQ(test->AbortedDocuments(), 0);
        }
    }
}

TEST_F(PrintDialogTest, PrintToDoListOnAnotherTabFindsNoData) {
    TTestPrinters printers;
    AddTasks(3);
    Tasks->Open();
    const int before = Application->ComponentCount();
    Modal.Push([&](TCustomForm* Form) {
        // The report's form and the dialog.
        EXPECT_EQ(Application->ComponentCount(), before + 2);
        Click(AsPrint(Form)->bbnPrint);
        Click(AsPrint(Form)->bbnCancel);
    });
    PrintToDoList("Archived", {Tasks, Tasks, Tasks});
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "No data found!");
    EXPECT_EQ(Application->ComponentCount(), before);
}

TEST_F(PrintDialogTest, PrintToDoListPrintsTheActiveTabsTable) {
    TTestPrinters printers;
    AddTasks(5);
    Tasks->Open();
    TMemoryDataSet other(nullptr);
    Modal.Push([&](TCustomForm* Form) {
        TfrmPrint* f = AsPrint(Form);
        auto* report = dynamic_cast<TToDoLists*>(f->Report());
        ASSERT_NE(report, nullptr);
        EXPECT_EQ(report->Source(), Tasks);
        EXPECT_EQ(report->ActiveTab(), "Actions Group 2");
        Click(f->bbnPrint);
    });
    PrintToDoList("Actions Group 2", {&other, Tasks, &other});
    EXPECT_EQ(printers.Documents(), 1);
}

TEST_F(PrintDialogTest, CancelDropsTheJobAndFreesTheBoxOnce) {
    TTestPrinters printers(100, 25);
    int cancelAt = 2;
    std::vector<std::string> statuses;
    THookedPrinters hooked([&](int Page) {
        ASSERT_NE(CancelBox(), nullptr);
        statuses.push_back(CancelBox()->lblStatus->Caption());
        if (Page == cancelAt) Click(CancelBox()->bbnCancel);
    });
    TToDoLists& report = ReportOf(400, "Actions Group 1");
    Modal.Push([&](TCustomForm* Form) {
        TfrmPrint* f = AsPrint(Form);
        Click(f->bbnPrint);
        // The dialog stays open, usable again.
        EXPECT_EQ(f->ModalResult(), mrNone);
        EXPECT_FALSE(f->Printing());
        EXPECT_EQ(CancelBox(), nullptr);
        Click(f->bbnCancel);
    });
    EXPECT_FALSE(ShowPrintDialog(&report));
    const int pages = report.PageCount();
    ASSERT_GT(pages, 3);
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_EQ(statuses[0], "Printing Page 1 of " + std::to_string(pages));
    EXPECT_EQ(statuses[1], "Printing Page 2 of " + std::to_string(pages));
    EXPECT_EQ(printers.Documents(), 0);
    EXPECT_EQ(printers.AbortedDocuments(), 1);
    EXPECT_EQ(printers.PageCount(), 0);
    EXPECT_EQ(Dialogs.Count(), 0);
}

TEST_F(PrintDialogTest, DialogButtonsWaitWhilePrinting) {
    TTestPrinters printers(100, 25);
    TfrmPrint* dialog = nullptr;
    THookedPrinters hooked([&](int) {
        ASSERT_TRUE(dialog->Printing());
        Click(dialog->bbnPrint);
        Click(dialog->bbnView);
        Click(dialog->bbnSetup);
    });
    TToDoLists& report = ReportOf(200, "Actions Group 1");
    Modal.Push([&](TCustomForm* Form) {
        dialog = AsPrint(Form);
        Click(dialog->bbnPrint);
    });
    EXPECT_TRUE(ShowPrintDialog(&report));
    EXPECT_EQ(printers.Documents(), 1);
    EXPECT_EQ(printers.PageCount(), report.PageCount());
    EXPECT_EQ(Dialogs.Count(), 0);
    EXPECT_EQ(StdDialogs.PrinterRequests(), 0);
    EXPECT_EQ(Modal.Shown().size(), 1u);
}

TEST_F(PrintDialogTest, CancelBoxFunctions) {
    ShowCancelBox("Printing", "Starting");
    TfrmCancel* box = CancelBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->Caption(), "Printing");
    EXPECT_EQ(box->lblStatus->Caption(), "Starting");
    EXPECT_TRUE(box->Visible());
    UpdateCancelBox("Page 1");
    EXPECT_EQ(CancelBox(), box);
    EXPECT_EQ(box->lblStatus->Caption(), "Page 1");
    EXPECT_TRUE(RenderControlToPng(box, PictureFile("report_cancel_box.png")));
    EXPECT_FALSE(CheckCancel());
    Click(box->bbnCancel);
    EXPECT_TRUE(box->Cancelled);
    EXPECT_TRUE(CheckCancel());
    EXPECT_EQ(CancelBox(), nullptr);
    // Asking again, or closing, touches no freed box.
    EXPECT_TRUE(CheckCancel());
    CloseCancelBox();
    CloseCancelBox();
    // A new box starts uncancelled.
    UpdateCancelBox("Again");
    ASSERT_NE(CancelBox(), nullptr);
    EXPECT_FALSE(CheckCancel());
    CloseCancelBox();
    EXPECT_EQ(CancelBox(), nullptr);
}

TEST_F(PrintDialogTest, EscapeInTheBoxCancels) {
    ShowCancelBox("Printing", "Page 1");
    ActivateForm(CancelBox());
    SendKey(CancelBox()->bbnCancel, VK_ESCAPE);
    EXPECT_TRUE(CheckCancel());
    EXPECT_EQ(CancelBox(), nullptr);
}

TEST_F(PrintDialogTest, BoxFreedWithItsOwnerIsForgotten) {
    auto* owner = new TForm(nullptr);
    ShowCancelBox("Printing", "x");
    TfrmCancel* box = CancelBox();
    ASSERT_NE(box, nullptr);
    box->Owner()->RemoveComponent(box);
    owner->InsertComponent(box);
    delete owner;
    EXPECT_EQ(CancelBox(), nullptr);
    EXPECT_FALSE(CheckCancel());
    CloseCancelBox();
}

TEST_F(PrintDialogTest, SetupChangesPrinterAndLayout) {
    TTestPrinters printers(100, 25);
    const std::string pdf = ExpandFileName("report_setup_test.pdf");
    DeleteFile(pdf);
    StdDialogs.AnswerPrinter(true, PdfPrinterName, 1, pdf);
    StdDialogs.AnswerFiles(true, {pdf});
    TToDoLists& report = ReportOf(10, "Actions Group 1");
    Modal.Push([&](TCustomForm* Form) {
        TfrmPrint* f = AsPrint(Form);
        f->PrepareOnce();
        const int lines = f->LinesPerPage();
        Click(f->bbnSetup);
        EXPECT_EQ(f->lblPrinter->Caption(), PdfPrinterName);
        // Landscape: fewer lines, so the report is laid out again.
        EXPECT_LT(f->LinesPerPage(), lines);
        EXPECT_FALSE(f->Prepared());
        Click(f->bbnPrint);
    });
    EXPECT_TRUE(ShowPrintDialog(&report));
    EXPECT_EQ(StdDialogs.PrinterRequests(), 1);
    EXPECT_EQ(StdDialogs.LastHelpContext(), 2210);
    // The file chosen in the set-up is the one the save dialog offers.
    ASSERT_EQ(StdDialogs.FileRequests().size(), 1u);
    EXPECT_EQ(StdDialogs.FileRequests()[0].FileName, ExtractFileName(pdf));
    EXPECT_TRUE(FileExists(pdf));
    EXPECT_EQ(report.LinesPerPage(), Printer()->PageHeight() / Printer()->Canvas()->TextHeight("0"));
    DeleteFile(pdf);
}

// ---- The PDF file printer ----------------------------------------------------------------

class PdfPrintTest : public ReportFormTest {
protected:
    void SetUp() override {
        ReportFormTest::SetUp();
        delete SetPrinter(nullptr);
        Pdf = ExpandFileName("report_task_list.pdf");
        DeleteFile(Pdf);
    }
    void TearDown() override {
        Printer()->SetPrinterIndex(-1);
        ReportFormTest::TearDown();
    }
    void ChoosePdf() {
        TPrinter* p = Printer();
        p->SetPrinterIndex(p->Printers()->IndexOf(PdfPrinterName));
        p->SetFileName(Pdf);
        StdDialogs.AnswerFiles(true, {Pdf});
    }
    std::string Pdf;
};

TEST_F(PdfPrintTest, TaskListReadsBackFromThePdf) {
    ChoosePdf();
    Tasks->AddRow({"1", "True", "Call the plumber about the leak", "01/02/2024", "Home", "0", "Open"});
    Tasks->AddRow({"2", "False", "File the tax return", "", "Money", "4", "Done"});
    Tasks->AddRow({"3", "False", std::string(70, 'x'), "12/31/2023", "Work", "2", "Waiting"});
    Tasks->Open();
    Modal.Push([&](TCustomForm* Form) { Click(AsPrint(Form)->bbnPrint); });
    PrintToDoList("Actions Group 1", {Tasks, nullptr, nullptr});
    ASSERT_TRUE(FileExists(Pdf));
    const std::string text = ReadPdfText(Pdf);
    ASSERT_FALSE(text.empty()) << "pdftotext failed";
    for (const char* s : {"Action Rivizoz List", "Group 1", "Page 1", "03/07/2024 - 09:30", "Status",
                          "Priority", "Action", "Category", "Date", "Flag", "Call the plumber about the leak",
                          "Urgent", "01/02/24", "True", "File the tax return",
                          // wider than its column: cut there, not drawn over the action
                          "Uncomple File the tax return", "False", "Medium", "12/31/23", "Waiting"})
        EXPECT_NE(text.find(s), std::string::npos) << s << "\n" << text;
    EXPECT_NE(text.find(std::string(65, 'x') + "..."), std::string::npos);
    EXPECT_EQ(text.find(std::string(66, 'x')), std::string::npos);
    EXPECT_EQ(text.find("Group 2"), std::string::npos);
    DeleteFile(Pdf);
    DeleteFile(Pdf + ".txt");
}

// A long list printed to a full disk: the user is told why in a box, the
// dialog stays, and last week's PDF is left whole.
TEST_F(PdfPrintTest, AFullDiskIsToldAndKeepsTheOldPdf) {
    ChoosePdf();
    { std::ofstream(Pdf, std::ios::binary) << "last week's list"; }
    TToDoLists& report = ReportOf(400, "Today");
    const int shown = Dialogs.Count();
    Modal.Push([&](TCustomForm* Form) {
        SimulateWriteFailure(10);
        Click(AsPrint(Form)->bbnPrint);
        ResetWriteFaults();
        EXPECT_EQ(CancelBox(), nullptr);
        AsPrint(Form)->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(ShowPrintDialog(&report));
    ResetWriteFaults();
    EXPECT_GT(report.PageCount(), 5);
    ASSERT_EQ(Dialogs.Count(), shown + 1);
    EXPECT_EQ(Dialogs.Last().Text, "Cannot create file \"" + Pdf + "\". No space left on device.");
    std::ifstream in(Pdf, std::ios::binary);
    std::stringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(kept.str(), "last week's list");
    EXPECT_FALSE(Printer()->Printing());
    DeleteFile(Pdf);
}

// The preview draws each cell as the printout does, at every zoom: a cell
// wider than its column is cut once, by the printer's measure, for both.
TEST_F(PdfPrintTest, ThePreviewCutsCellsAsThePrintoutDoes) {
    ChoosePdf();
    Tasks->AddRow({"2", "False", "File the tax return", "12/31/2023", "Money", "4", "Uncompleted"});
    Tasks->Open();
    std::vector<std::string> shown;  // the task's cells at each zoom
    Modal.Push([&](TCustomForm* Form) { Click(AsPrint(Form)->bbnView); });
    Modal.Push([&](TCustomForm* Form) {
        auto* preview = dynamic_cast<TfrmPrnPrev*>(Form);
        ASSERT_NE(preview, nullptr);
        TNorvReport* report = AsPrint(dynamic_cast<TCustomForm*>(preview->Owner()))->Report();
        for (int zoom = 0; zoom < 3; ++zoom) {
            TCanvas* canvas = preview->pbPage->Canvas();
            canvas->SetFont(preview->pbPage->Font());
            TRecordingSurface screen(canvas);
            report->SetMetrics(screen);
            for (int i = 0; i < report->LineCount(); ++i)
                if (report->Lines(i).Kind == rlColumns) report->RenderLine(screen, 0, i, 0);
            std::string cells;
            for (const std::string& t : screen.Texts) cells += t + " ";
            shown.push_back(Words(cells));
            Click(preview->bbnZoomIn);
        }
        Click(preview->bbnPrint);
    });
    PrintToDoList("Actions Group 1", {Tasks, nullptr, nullptr});
    const std::string text = ReadPdfText(Pdf);
    ASSERT_FALSE(text.empty()) << "pdftotext failed";
    std::istringstream lines(text);
    std::string printed;
    for (std::string line; std::getline(lines, line);)
        if (line.find("File the tax return") != std::string::npos) printed = Words(line);
    ASSERT_EQ(shown.size(), 3u);
    for (const std::string& cells : shown) EXPECT_EQ(cells, printed);
    DeleteFile(Pdf);
    DeleteFile(Pdf + ".txt");
}

TEST_F(PdfPrintTest, CancelLeavesNoPdf) {
    ChoosePdf();
    THookedPrinters hooked([&](int) {
        if (CancelBox()) Click(CancelBox()->bbnCancel);
    });
    TToDoLists& report = ReportOf(150, "Today");
    Modal.Push([&](TCustomForm* Form) {
        Click(AsPrint(Form)->bbnPrint);
        Click(AsPrint(Form)->bbnCancel);
    });
    EXPECT_FALSE(ShowPrintDialog(&report));
    EXPECT_GT(report.PageCount(), 1);
    EXPECT_FALSE(FileExists(Pdf));
}

}  // namespace
