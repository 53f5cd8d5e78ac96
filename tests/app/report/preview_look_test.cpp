// The preview on the PDF printer as the program opens it: the whole width of
// the page shows at the first zoom in a window of the main window's size,
// and the page stays out of the corner between the scroll bars (pictures
// report_preview_look_*.png).
#include "app/report/preview_form.h"
#include "app/report/print_form.h"
#include "platform/ui/buttons.h"
#include "platform/ui/extctrls.h"
#include "support/app/report_fixture.h"

namespace {

class PreviewLook : public ReportFormTest {
protected:
    void SetUp() override {
        ReportFormTest::SetUp();
        delete SetPrinter(nullptr);
        TPrinter* printer = Printer();
        const int pdf = printer->Printers()->IndexOf(PdfPrinterName);
        ASSERT_GE(pdf, 0);
        printer->SetPrinterIndex(pdf);
        AddTasks(120);
        Tasks->Open();
        Report = std::make_unique<TToDoLists>(TReportArgs{Variant()}, Tasks, "Actions Group 1");
        Print = CreateForm<TfrmPrint>(Owner.get());
        Print->SetReport(Report.get());
        Print->PrepareOnce();
        Preview = CreateForm<TfrmPrnPrev>(nullptr, Report.get(), Print->LinesPerPage());
        // The main window's default size, less 5 pixels on each side, once
        // shown (it opens fitted to the test's smaller screen).
        Preview->Show();
        Preview->SetBounds(5, 5, 884 - 10, 660 - 10);
        ProcessEvents();
    }
    void TearDown() override {
        delete Preview;
        Owner.reset();
        Report.reset();
        delete SetPrinter(nullptr);
        ReportFormTest::TearDown();
    }
    std::unique_ptr<TToDoLists> Report;
    TfrmPrint* Print = nullptr;
    TfrmPrnPrev* Preview = nullptr;
};

TEST_F(PreviewLook, TheWholePageWidthShowsAtTheFirstZoom) {
    TScrollBox* box = Preview->ScrollBox1;
    EXPECT_LE(Preview->pbPage->Width(), box->ClientWidth());
    EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
    TBitmap picture;
    RenderControl(box, &picture);
    picture.SaveToFile(PictureFile("report_preview_look_page.png"));
    // The page's frame: its right edge is drawn inside the box.
    const int frame = box->NonClientMargins().Left;
    const int right = frame + Preview->pbPage->Left() + Preview->pbPage->Width() - 11;
    ASSERT_LT(right, frame + box->ClientWidth());
    EXPECT_EQ(picture.Canvas()->Pixels(right, frame + 40), clBlack);
    EXPECT_EQ(picture.Canvas()->Pixels(right - 1, frame + 40), clWhite);
}

TEST_F(PreviewLook, ThePageStaysOutOfTheCornerBetweenTheScrollBars) {
    TScrollBox* box = Preview->ScrollBox1;
    for (int i = 0; i < 8 && !box->HorzScrollBar()->IsScrollBarVisible(); ++i) {
        Preview->bbnZoomIn->Click();
        ProcessEvents();
    }
    ASSERT_TRUE(box->HorzScrollBar()->IsScrollBarVisible());
    ASSERT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
    TBitmap picture;
    RenderControl(box, &picture);
    picture.SaveToFile(PictureFile("report_preview_look_zoomed.png"));
    const int frame = box->NonClientMargins().Left;
    int other = 0;
    for (int y = frame + box->ClientHeight(); y < box->Height() - frame; ++y)
        for (int x = frame + box->ClientWidth(); x < box->Width() - frame; ++x)
            if (picture.Canvas()->Pixels(x, y) != ColorToRGB(clBtnFace)) ++other;
    EXPECT_EQ(other, 0);
}

}  // namespace
