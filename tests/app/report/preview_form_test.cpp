// The print preview: pages, the page number edit, painting, zoom and scrolling keys.
#include "app/report/preview_form.h"
#include "app/report/form_layout.h"
#include "app/report/print_form.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/mask.h"
#include "platform/ui/stdctrls.h"
#include "support/app/report_fixture.h"

namespace {

class PreviewTest : public ReportFormTest {
protected:
    void SetUp() override {
        ReportFormTest::SetUp();
        Printers = std::make_unique<TTestPrinters>(100, 25);
        ReportOf(300, "Actions Group 1");
        Print = CreateForm<TfrmPrint>(Owner.get());
        Print->SetReport(Report.get());
        Print->PrepareOnce();
    }
    void TearDown() override {
        delete Preview;
        Preview = nullptr;
        Owner.reset();
        Report.reset();
        Printers.reset();
        ReportFormTest::TearDown();
    }
    TfrmPrnPrev* Open() {
        Preview = CreateForm<TfrmPrnPrev>(nullptr, Report.get(), Print->LinesPerPage());
        Preview->Show();
        ProcessEvents();
        return Preview;
    }
    void TypePage(const std::string& Text) {
        Preview->medPageNo->SetFocus();
        Preview->medPageNo->SelectAll();
        SendText(Preview->medPageNo, Text);
        SendKey(Preview->medPageNo, VK_RETURN);
    }
    bool ButtonsAre(bool First, bool Prev, bool Next, bool Last) const {
        return Preview->bbnFirst->Enabled() == First && Preview->bbnPrev->Enabled() == Prev &&
               Preview->bbnNext->Enabled() == Next && Preview->bbnLast->Enabled() == Last;
    }

    std::unique_ptr<TTestPrinters> Printers;
    TfrmPrint* Print = nullptr;
    TfrmPrnPrev* Preview = nullptr;
};

TEST_F(PreviewTest, OpensOnPageOneOfAll) {
    Open();
    ASSERT_GT(Report->PageCount(), 2);
    EXPECT_EQ(Preview->Caption(), "Print Preview");
    EXPECT_EQ(Preview->HelpContext(), 10004);
    EXPECT_TRUE(Preview->KeyPreview());
    EXPECT_EQ(Preview->PageCount(), Report->LineCount() / Print->LinesPerPage());
    EXPECT_EQ(Preview->lblTotPages->Caption(), "of " + std::to_string(Preview->PageCount()));
    EXPECT_EQ(Preview->PageNo(), 1);
    EXPECT_EQ(Preview->medPageNo->Text(), "1");
    EXPECT_TRUE(ButtonsAre(false, false, true, true));
    EXPECT_TRUE(Preview->bbnHelp->Visible());
    EXPECT_EQ(Preview->ActiveControl(), Preview->bbnPrint);
    EXPECT_EQ(Preview->bbnPrint->ModalResult(), mrOk);
    EXPECT_EQ(Preview->bbnCancel->ModalResult(), mrCancel);
    // The button row is centred in the bottom panel.
    EXPECT_NEAR(Preview->pnlButtons->Left() * 2 + Preview->pnlButtons->Width(),
                Preview->pnlBottom->ClientWidth(), 1);
    EXPECT_TRUE(RenderControlToPng(Preview, PictureFile("report_preview_page1.png")));
}

TEST_F(PreviewTest, SheetIsScaledFromThePrinterPage) {
    Open();
    TCanvas* prn = Printer()->Canvas();
    TCanvas* scr = Preview->pbPage->Canvas();
    scr->SetFont(Preview->pbPage->Font());
    const int sw = scr->TextWidth("0"), sh = scr->TextHeight("0");
    const TPoint phys = Printer()->PhysicalPageSize();
    const TPoint off = Printer()->PrintingOffset();
    const int pageW = MulDiv(phys.X, sw, prn->TextWidth("0"));
    const int pageH = MulDiv(phys.Y, sh, prn->TextHeight("0"));
    EXPECT_EQ(Preview->pbPage->Width(), pageW + 22);
    EXPECT_EQ(Preview->pbPage->Height(), pageH + 22);
    EXPECT_EQ(Preview->DrawWidth(), pageW + 12);
    EXPECT_EQ(Preview->DrawHeight(), pageH + 12);
    EXPECT_EQ(Preview->TextLeft(), MulDiv(off.X, sw, prn->TextWidth("0")) + 12);
    EXPECT_EQ(Preview->TextTop(), MulDiv(off.Y, sh, prn->TextHeight("0")) + 12);
    EXPECT_EQ(Preview->pbPage->Align(), alNone);
}

TEST_F(PreviewTest, PageButtons) {
    Open();
    const int last = Preview->PageCount();
    Click(Preview->bbnNext);
    EXPECT_EQ(Preview->PageNo(), 2);
    EXPECT_EQ(Preview->medPageNo->Text(), "2");
    EXPECT_TRUE(ButtonsAre(true, true, last > 2, last > 2));
    Click(Preview->bbnLast);
    EXPECT_EQ(Preview->PageNo(), last);
    EXPECT_TRUE(ButtonsAre(true, true, false, false));
    Click(Preview->bbnPrev);
    EXPECT_EQ(Preview->PageNo(), last - 1);
    Click(Preview->bbnFirst);
    EXPECT_EQ(Preview->PageNo(), 1);
    EXPECT_TRUE(ButtonsAre(false, false, true, true));
    // Disabled buttons do nothing.
    Click(Preview->bbnPrev);
    EXPECT_EQ(Preview->PageNo(), 1);
}

TEST_F(PreviewTest, PageNumberEdit) {
    Open();
    TypePage("3");
    EXPECT_EQ(Preview->PageNo(), 3);
    EXPECT_EQ(Preview->medPageNo->Text(), "3");
    // Out of range: the current page number comes back.
    TypePage("0");
    EXPECT_EQ(Preview->PageNo(), 3);
    EXPECT_EQ(Preview->medPageNo->Text(), "3");
    TypePage("99");
    EXPECT_EQ(Preview->PageNo(), 3);
    EXPECT_EQ(Preview->medPageNo->Text(), "3");
    // Letters do not go in; at most three digits.
    TypePage("x2");
    EXPECT_EQ(Preview->PageNo(), 2);
    Preview->medPageNo->SetFocus();
    Preview->medPageNo->SelectAll();
    SendText(Preview->medPageNo, "1234");
    EXPECT_EQ(Preview->medPageNo->Text(), "123");
    // Leaving the edit goes to its page too.
    Preview->medPageNo->SelectAll();
    SendText(Preview->medPageNo, "1");
    Preview->bbnPrint->SetFocus();
    ProcessEvents();
    EXPECT_EQ(Preview->PageNo(), 1);
}

TEST_F(PreviewTest, EnterIsSwallowed) {
    Open();
    int closes = 0;
    Preview->SetOnClose(TCloseEvent([&](TObject*, TCloseAction&) { ++closes; }));
    TypePage("2");
    EXPECT_EQ(Preview->PageNo(), 2);
    EXPECT_EQ(Preview->ModalResult(), mrNone);
    EXPECT_EQ(closes, 0);
}

TEST_F(PreviewTest, PagesPaintTheirOwnLines) {
    Open();
    TBitmap first, second;
    RenderControl(Preview->pbPage, &first);
    Click(Preview->bbnNext);
    RenderControl(Preview->pbPage, &second);
    ASSERT_EQ(first.Width(), Preview->pbPage->Width());
    // The sheet is white inside its frame and carries text.
    const TRect body = Rect(Preview->TextLeft(), Preview->TextTop(), Preview->DrawWidth() - 2,
                            Preview->TextTop() + 40 * Preview->ScreenCharHeight());
    EXPECT_GT(DarkPixels(&first, body), 200);
    EXPECT_EQ(first.Canvas()->Pixels(Preview->DrawWidth() - 5, Preview->DrawHeight() - 5), clWhite);
    // The rows differ from page to page, the header stays.
    int differences = 0;
    for (int y = body.Top; y < body.Bottom; ++y)
        for (int x = body.Left; x < body.Right; x += 2)
            if (first.Canvas()->Pixels(x, y) != second.Canvas()->Pixels(x, y)) ++differences;
    EXPECT_GT(differences, 50);
    second.SaveToFile(PictureFile("report_preview_sheet2.png"));
}

TEST_F(PreviewTest, ZoomInAndOut) {
    Open();
    const int size = Preview->pbPage->Font()->Size();
    const int width = Preview->pbPage->Width();
    Click(Preview->bbnZoomIn);
    EXPECT_GT(Preview->pbPage->Font()->Size(), size);
    EXPECT_GT(Preview->pbPage->Width(), width);
    Click(Preview->bbnZoomOut);
    Click(Preview->bbnZoomOut);
    EXPECT_LT(Preview->pbPage->Font()->Size(), size);
    EXPECT_LT(Preview->pbPage->Width(), width);
    EXPECT_TRUE(RenderControlToPng(Preview, PictureFile("report_preview_zoomed_out.png")));
}

TEST_F(PreviewTest, ZoomStopsAtTheLimits) {
    Open();
    Preview->pbPage->Font()->SetSize(100);
    Preview->Layout();
    const int width = Preview->pbPage->Width();
    Click(Preview->bbnZoomIn);
    EXPECT_EQ(Preview->pbPage->Font()->Size(), 100);
    EXPECT_EQ(Preview->pbPage->Width(), width);
    Preview->pbPage->Font()->SetSize(1);
    Preview->Layout();
    Click(Preview->bbnZoomOut);
    EXPECT_EQ(Preview->pbPage->Font()->Size(), 1);
}

TEST_F(PreviewTest, PageKeysScrollTheSheet) {
    Open();
    TControlScrollBar* v = Preview->ScrollBox1->VertScrollBar();
    TControlScrollBar* h = Preview->ScrollBox1->HorzScrollBar();
    ASSERT_GT(v->Range(), v->ControlSize());
    Preview->bbnPrint->SetFocus();
    SendKey(Preview->bbnPrint, VK_NEXT);
    EXPECT_GT(v->Position(), 0);
    SendKey(Preview->bbnPrint, VK_PRIOR);
    EXPECT_EQ(v->Position(), 0);
    // Zoomed in, the sheet is wider than the view: End and Home scroll across.
    for (int i = 0; i < 4; ++i) Click(Preview->bbnZoomIn);
    ASSERT_GT(h->Range(), h->ControlSize());
    SendKey(Preview->bbnPrint, VK_END);
    EXPECT_GT(h->Position(), 0);
    SendKey(Preview->bbnPrint, VK_HOME);
    EXPECT_EQ(h->Position(), 0);
    EXPECT_EQ(Preview->ModalResult(), mrNone);
    // another page shows from its top
    SendKey(Preview->bbnPrint, VK_NEXT);
    ASSERT_GT(v->Position(), 0);
    Click(Preview->bbnNext);
    EXPECT_EQ(v->Position(), 0);
}

// ---- From the print dialog ---------------------------------------------------------------

class PreviewFromDialogTest : public ReportFormTest {};

TEST_F(PreviewFromDialogTest, PrintFromThePreviewPrintsAndClosesTheDialog) {
    TTestPrinters printers(100, 25);
    TToDoLists& report = ReportOf(40, "Actions Group 1");
    Modal.Push([&](TCustomForm* Form) { Click(dynamic_cast<TfrmPrint*>(Form)->bbnView); });
    Modal.Push([&](TCustomForm* Form) {
        auto* p = dynamic_cast<TfrmPrnPrev*>(Form);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->PageCount(), report.PageCount());
        Click(p->bbnPrint);
    });
    EXPECT_TRUE(ShowPrintDialog(&report));
    EXPECT_EQ(Modal.Shown(), (std::vector<std::string>{"TfrmPrint", "TfrmPrnPrev"}));
    EXPECT_EQ(printers.Documents(), 1);
    EXPECT_EQ(printers.PageCount(), report.PageCount());
}

TEST_F(PreviewFromDialogTest, CancelledPreviewKeepsTheDialogOpen) {
    TTestPrinters printers(100, 25);
    TToDoLists& report = ReportOf(10, "Today");
    Modal.Push([&](TCustomForm* Form) {
        auto* f = dynamic_cast<TfrmPrint*>(Form);
        Click(f->bbnView);
        EXPECT_EQ(f->ModalResult(), mrNone);
        EXPECT_TRUE(f->Prepared());
        Click(f->bbnCancel);
    });
    Modal.Push([&](TCustomForm* Form) {
        ActivateForm(Form);
        SendKeyToFocus(VK_ESCAPE);
    });
    EXPECT_FALSE(ShowPrintDialog(&report));
    EXPECT_EQ(printers.Documents(), 0);
}

}  // namespace
