// Printing the rich edit: pages, headers and footers, ranges, failures,
// page setup and the preview.
#include <gtest/gtest.h>
#include "support/environment.h"
#include "support/suite/richtext/richprint_helpers.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/metafile.h"
#include "platform/ui/print_dialogs.h"
#include "platform/ui/printers.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/edit/qzspinedit.h"
#include "suite/richtext/qzpagesetup.h"
#include "suite/richtext/qzprintpreview.h"
#include "suite/richtext/qzriched.h"
#include "suite/richtext/qzrichprint.h"
#include "support/environment.h"

namespace {

using richtext_test::Lines;
using richtext_test::Shell;

class RichPrint : public ::testing::Test {
protected:
    TTestPrinters printers;
    TTestDialogs boxes;
    TForm* form = new TForm(nullptr);
    TqzCustomRichEdit* r = new TqzCustomRichEdit(form);
    std::string pdf =
        TestRunPath("print_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".pdf");
    RichPrint() {
        form->SetBounds(0, 0, 400, 300);
        r->SetParent(form);
        r->SetBounds(0, 0, 380, 260);
        r->PrintHeader()->SetCenterText("Header");
        r->PrintFooter()->SetRightText("Footer");
        r->PrintHeader()->SetLineSeparator(true);
        r->PrintFooter()->SetLineSeparator(true);
        // the page number into the header's left text
        r->SetOnPrintHeader([](TObject*, const TRect&, int Page, std::string& L, std::string&, std::string&,
                               bool&) { L = "Page " + IntToStr(Page); });
    }
    ~RichPrint() override { delete form; }
    void Load(int Count) { ASSERT_TRUE(r->StreamIn(Lines(Count), true, false)); }
    void UsePdf() {
        Printer()->SetPrinterIndex(Printer()->Printers()->IndexOf(PdfPrinterName));
        Printer()->SetFileName(pdf);
        std::remove(pdf.c_str());
    }
    int PdfPages() {
        const std::string info = Shell("pdfinfo " + pdf + " 2>/dev/null");
        const auto at = info.find("Pages:");
        return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
    }
    std::string PdfPage(int N) {
        return Shell("pdftotext -layout -f " + IntToStr(N) + " -l " + IntToStr(N) + " " + pdf +
                     " - 2>/dev/null");
    }
};

TEST_F(RichPrint, FivePagesWithHeadersAndFootersOnEach) {
    UsePdf();
    Load(90);
    r->Print("Five");
    EXPECT_EQ(PdfPages(), 5);
    EXPECT_EQ(r->PageCount(), 5);  // the true count
    for (int n = 1; n <= 5; ++n) {
        const std::string text = PdfPage(n);
        EXPECT_NE(text.find("Page " + IntToStr(n)), std::string::npos) << text;
        EXPECT_NE(text.find("Header"), std::string::npos);
        EXPECT_NE(text.find("Footer"), std::string::npos);
        EXPECT_NE(text.find("Line " + IntToStr((n - 1) * 18 + 1) + "\n"), std::string::npos) << n << text;
        EXPECT_NE(text.find("Line " + IntToStr(n * 18) + "\n"), std::string::npos) << n;
    }
}

// The printed text has no ligatures: "fi" and "ffi" are found as typed.
TEST_F(RichPrint, ThePrintedTextIsFoundAsTyped) {
    UsePdf();
    ASSERT_TRUE(
        r->StreamIn("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Refill the office files\\par "
                    "\\b fine print\\b0\\par }",
                    true, false));
    r->Print("Ligatures");
    const std::string text = PdfPage(1);
    EXPECT_NE(text.find("Refill the office files"), std::string::npos) << text;
    EXPECT_NE(text.find("fine print"), std::string::npos) << text;
}

// Each line of the document is in the printed file exactly once: the line
// that starts the next page is not also on the page before, hidden.
TEST_F(RichPrint, EveryLineIsPrintedOnceAcrossPageBreaks) {
    UsePdf();
    // short paragraphs, then one long paragraph wrapping across pages
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (int i = 1; i <= 60; ++i) rtf += "\\pard Line" + IntToStr(i) + "\\par ";
    rtf += "\\pard ";
    for (int i = 1; i <= 1500; ++i) rtf += "Word" + IntToStr(i) + " ";
    rtf += "\\par}";
    ASSERT_TRUE(r->StreamIn(rtf, true, false));
    r->Print("Once");
    ASSERT_GE(PdfPages(), 3);
    const std::string text = Shell("pdftotext " + pdf + " - 2>/dev/null");
    auto count = [&text](const std::string& Word) {
        int n = 0;
        for (std::size_t at = text.find(Word); at != std::string::npos; at = text.find(Word, at + 1)) {
            const char after = at + Word.size() < text.size() ? text[at + Word.size()] : ' ';
            if (!std::isdigit(static_cast<unsigned char>(after))) ++n;
        }
        return n;
    };
    std::vector<std::string> wrong;
    for (int i = 1; i <= 60; ++i)
        if (count("Line" + IntToStr(i)) != 1) wrong.push_back("Line" + IntToStr(i));
    for (int i = 1; i <= 1500; ++i)
        if (count("Word" + IntToStr(i)) != 1) wrong.push_back("Word" + IntToStr(i));
    std::string list;
    for (const std::string& w : wrong) list += w + "x" + IntToStr(count(w)) + " ";
    EXPECT_TRUE(wrong.empty()) << list;
}

TEST_F(RichPrint, NoBlankPageAtTheEndAndAnEmptyDocumentPrintsOnePage) {
    UsePdf();
    Load(36);  // exactly two pages
    r->Print("Two");
    EXPECT_EQ(PdfPages(), 2);
    EXPECT_EQ(r->PageCount(), 2);
    r->Clear();
    r->Print("Empty");
    EXPECT_EQ(PdfPages(), 1);
    EXPECT_NE(PdfPage(1).find("Header"), std::string::npos);
}

// A long print shows the busy cursor from its first page to its last, and
// gives the cursor back after it.
TEST_F(RichPrint, TheCursorIsBusyWhilePagesPrint) {
    UsePdf();
    Load(36);
    std::vector<TCursor> during;
    r->SetOnPrintHeader([&](TObject*, const TRect&, int, std::string&, std::string&, std::string&, bool&) {
        during.push_back(Screen->Cursor());
    });
    Screen->SetCursor(crHandPoint);
    r->Print("Busy");
    EXPECT_EQ(during, (std::vector<TCursor>{crHourGlass, crHourGlass}));
    EXPECT_EQ(Screen->Cursor(), crHandPoint);
    Screen->SetCursor(crDefault);
}

TEST_F(RichPrint, ARangePrintsOnlyItsPages) {
    UsePdf();
    Load(90);
    r->Printing()->SetPageRange(2, 3);
    r->Print("Range");
    EXPECT_EQ(PdfPages(), 2);
    EXPECT_NE(PdfPage(1).find("Page 2"), std::string::npos);
    EXPECT_NE(PdfPage(1).find("Line 19\n"), std::string::npos);
    EXPECT_NE(PdfPage(2).find("Page 3"), std::string::npos);
    EXPECT_EQ(r->Printing()->FromPage(), 0);  // cleared
    EXPECT_EQ(r->Printing()->ToPage(), 0);
    // the last page alone
    r->Printing()->SetPageRange(5, 0);
    r->Print("Last");
    EXPECT_EQ(PdfPages(), 1);
    EXPECT_NE(PdfPage(1).find("Line 90"), std::string::npos);
}

TEST_F(RichPrint, DoDefaultFalseSuppressesTheTextsOfThatPage) {
    UsePdf();
    Load(36);
    r->SetOnPrintFooter([](TObject*, const TRect&, int Page, std::string&, std::string&, std::string&,
                           bool& D) { D = Page != 2; });
    r->Print("Events");
    EXPECT_NE(PdfPage(1).find("Footer"), std::string::npos);
    EXPECT_EQ(PdfPage(2).find("Footer"), std::string::npos);
}

TEST_F(RichPrint, AFailureInThePageLoopDropsTheJobAndReachesTheCaller) {
    Load(90);
    r->Printing()->SetPageRange(1, 4);
    r->SetOnPrintFooter(
        [](TObject*, const TRect&, int Page, std::string&, std::string&, std::string&, bool&) {
            if (Page == 2) throw Exception("footer failed");
        });
    EXPECT_THROW(r->Print("Fails"), Exception);
    EXPECT_FALSE(Printer()->Printing());
    // dropped, not left open
    EXPECT_EQ(printers.Documents(), 0);
    EXPECT_EQ(printers.AbortedDocuments(), 1);
    EXPECT_EQ(r->Printing()->FromPage(), 0);
    EXPECT_EQ(r->Printing()->ToPage(), 0);
    r->SetOnPrintFooter(nullptr);
    r->Print("Again");  // the printer is usable again
    EXPECT_EQ(printers.Documents(), 1);
}

// A PDF that cannot be written whole raises with the reason and keeps the
// old file; the printer and the page range are free again.
TEST_F(RichPrint, AFullDiskRaisesTheReasonAndKeepsTheOldPdf) {
    UsePdf();
    Load(200);
    {
        std::FILE* f = std::fopen(pdf.c_str(), "wb");
        std::fputs("last week's notes", f);
        std::fclose(f);
    }
    r->Printing()->SetPageRange(1, 6);
    SimulateWriteFailure(10);
    try {
        r->Print("Full");
        ResetWriteFaults();
        FAIL() << "no error";
    } catch (const EPrinter& e) {
        ResetWriteFaults();
        EXPECT_EQ(e.Message(), "Cannot create file \"" + pdf + "\". No space left on device");
    }
    EXPECT_FALSE(Printer()->Printing());
    EXPECT_EQ(r->Printing()->FromPage(), 0);
    EXPECT_EQ(FileSize(pdf), 17);
    r->Print("Again");
    EXPECT_EQ(PdfPages(), r->PageCount());
}

// A failure half way through a PDF drops the document: the file printed
// before stays, not replaced by the pages done so far.
TEST_F(RichPrint, AFailureHalfWayKeepsTheOldPdf) {
    UsePdf();
    Load(90);
    r->Print("Whole");
    const int pages = PdfPages();
    ASSERT_GT(pages, 2);
    r->SetOnPrintFooter(
        [](TObject*, const TRect&, int Page, std::string&, std::string&, std::string&, bool&) {
            if (Page == 3) throw Exception("footer failed");
        });
    EXPECT_THROW(r->Print("Cut"), Exception);
    EXPECT_FALSE(Printer()->Printing());
    EXPECT_EQ(PdfPages(), pages);
}

TEST_F(RichPrint, MarginsArePlacedAndClamped) {
    // test printer: 100 dpi, a quarter inch (25 px) offset
    EXPECT_EQ(r->GetMarginRect(), Rect(1440 - 360, 1440 - 360, 8 * 1440 + 720 - 1440 - 360, 10 * 1440 - 360));
    r->PrintMargins()->SetLeft(0.1);  // inside the unprintable edge
    r->PrintMargins()->SetRight(20);  // wider than the sheet
    const TRect m = r->GetMarginRect();
    EXPECT_EQ(m.Left, 0);
    EXPECT_EQ(m.Right, 0);
    r->SetMeasurementUnits(muCentimeters);
    r->PrintMargins()->SetLeft(2.537);
    EXPECT_EQ(r->GetMarginRect().Left, 1440 - 360);
    // no room for text: a clear error, the printer free again
    Load(3);
    EXPECT_THROW(r->Print("None"), Exception);
    EXPECT_FALSE(Printer()->Printing());
}

// A page rectangle on the edit (printer pixels) takes the margins' place in
// the print run and in the preview; emptied, the margins count again.
TEST_F(RichPrint, APageRectReplacesTheMargins) {
    Load(18);                                  // one page inside the margins
    r->SetPageRect(Rect(100, 100, 750, 550));  // 4.5 inches high at 100 dpi
    EXPECT_EQ(r->PageRect(), Rect(100, 100, 750, 550));
    r->Print("Half");
    EXPECT_EQ(r->PageCount(), 2);
    EXPECT_EQ(printers.PageCount(), 2);
    TqzRtfPreviewForm p(nullptr);
    p.SetRichEdit(r);
    p.ShowPage(0);
    EXPECT_EQ(p.PageCount(), 2);
    r->SetPageRect({});
    r->Print("Whole");
    EXPECT_EQ(r->PageCount(), 1);
}

// A line taller than the page gets a page of its own, printed clipped, and
// the lines after it print on the pages that follow; the preview shows the
// same pages. A page shorter than a line of the edit's font is an error.
TEST_F(RichPrint, ALineTallerThanThePageIsClippedAndTheRestPrints) {
    UsePdf();
    const std::string head = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    const std::string huge = "\\fs1600 I\\par\\fs24 ";  // one tall line
    ASSERT_TRUE(r->StreamIn(
        head + "Before one\\par Before two\\par " + huge + "After one\\par After two\\par}", true, false));
    r->Print("Tall");
    ASSERT_EQ(PdfPages(), 3);
    EXPECT_EQ(r->PageCount(), 3);
    EXPECT_NE(PdfPage(1).find("Before two"), std::string::npos) << PdfPage(1);
    EXPECT_NE(PdfPage(2).find("Page 2"), std::string::npos);
    EXPECT_EQ(PdfPage(2).find("After"), std::string::npos);
    EXPECT_NE(PdfPage(3).find("After one"), std::string::npos) << PdfPage(3);
    EXPECT_NE(PdfPage(3).find("After two"), std::string::npos);

    // The preview's second page shows the clipped line.
    TqzRtfPreviewForm p(nullptr);
    p.SetRichEdit(r);
    p.SetBounds(0, 0, 727, 900);
    p.Show();
    p.ShowPage(1);
    EXPECT_EQ(p.PageCount(), 3);
    TBitmap b;
    b.SetSize(p.Metafile()->Width(), p.Metafile()->Height());
    b.Canvas()->StretchDraw(Rect(0, 0, b.Width(), b.Height()), p.Metafile());
    b.SaveToFile(TestRunPath("tall_line_preview.png"));
    int dark = 0;
    for (int x = 0; x < b.Width(); ++x)
        if ((b.Canvas()->Pixels(x, b.Height() / 2) & 0xFF) < 128) ++dark;
    EXPECT_GT(dark, 10);

    // The tall line first, then at the end.
    ASSERT_TRUE(r->StreamIn(head + huge + "After one\\par}", true, false));
    r->Print("First");
    ASSERT_EQ(PdfPages(), 2);
    EXPECT_NE(PdfPage(2).find("After one"), std::string::npos);
    ASSERT_TRUE(r->StreamIn(head + "Before one\\par " + huge + "}", true, false));
    r->Print("Last");
    ASSERT_EQ(PdfPages(), 2);
    EXPECT_NE(PdfPage(1).find("Before one"), std::string::npos);

    // A page shorter than a line of the edit's font (a tenth of an inch).
    r->Font()->SetSize(12);
    r->PrintMargins()->SetTop(5.4);
    r->PrintMargins()->SetBottom(5.5);
    EXPECT_THROW(r->Print("None"), Exception);
    EXPECT_FALSE(Printer()->Printing());
}

TEST_F(RichPrint, PrintWithWordIsNotAvailable) {
    EXPECT_FALSE(r->PrintWithWord(""));
    EXPECT_EQ(boxes.Last().Text, "Unable to start Microsoft Word's Spell Checker.");
}

TEST_F(RichPrint, PrintedPageWithHeaderAndFooterAsPng) {
    Load(20);
    r->Print("Png");
    ASSERT_EQ(printers.PageCount(), 2);
    printers.Page(0)->SaveToFile(TestRunPath("printed_page1.png"));
    // the header's separator: a dark line across the text width under the header
    TBitmap* page = printers.Page(0);
    bool line = false;
    for (int y = 25; y < 75 && !line; ++y) {
        int dark = 0;
        for (int x = 80; x < 700; ++x) dark += (page->Canvas()->Pixels(x, y) & 0xFF) < 100;
        line = dark > 550;
    }
    EXPECT_TRUE(line);
}

// ---- Page setup ------------------------------------------------------------------------------

TEST_F(RichPrint, PageSetupStoresMarginsAndPaperForTheNextPrint) {
    TTestModalForms script;
    r->SetEditWidth(rewPrinterSize);
    script.Push([](TCustomForm* f) {
        auto* d = dynamic_cast<TPageSetupDialogForm*>(f);
        ASSERT_TRUE(d);
        ASSERT_TRUE(d->PaperCombo->Enabled());
        EXPECT_EQ(d->LeftEdit->Text(), "1");
        d->PaperCombo->SetItemIndex(d->PaperCombo->Items()->IndexOf("A4"));
        d->LeftEdit->SetText("0.5");
        d->TopEdit->SetText("2");
        SendClick(d->OKButton, 5, 5);
    });
    TqzPageSetupDialog dlg(nullptr);
    dlg.SetRichEdit(r);
    ASSERT_TRUE(dlg.Execute());
    EXPECT_DOUBLE_EQ(r->PrintMargins()->Left(), 0.5);
    EXPECT_DOUBLE_EQ(r->PrintMargins()->Top(), 2.0);
    EXPECT_EQ(r->PrintPageSize(), 9);
    Load(1);
    r->Print("A4");
    ASSERT_EQ(printers.PageCount(), 1);
    // A4 at 100 dpi: 827 x 1169, less the 25 px offset all round
    EXPECT_EQ(printers.Page(0)->Width(), 827 - 50);
    EXPECT_EQ(printers.Page(0)->Height(), 1169 - 50);
}

TEST_F(RichPrint, PageSetupInCentimetresAndCancel) {
    TTestModalForms script;
    r->SetMeasurementUnits(muCentimeters);
    r->PrintMargins()->SetLeft(2.5);
    script.Push([](TCustomForm* f) {
        auto* d = dynamic_cast<TPageSetupDialogForm*>(f);
        EXPECT_FALSE(d->PaperCombo->Enabled());  // window width: no paper choice
        EXPECT_EQ(d->LeftEdit->Text(), "25");    // millimetres
        d->LeftEdit->SetText("30");
        SendClick(d->OKButton, 5, 5);
    });
    script.Push([](TCustomForm* f) {
        auto* d = dynamic_cast<TPageSetupDialogForm*>(f);
        d->LeftEdit->SetText("x");
        SendClick(d->OKButton, 5, 5);  // refused: stays open
        EXPECT_EQ(f->ModalResult(), mrNone);
        f->SetModalResult(mrCancel);
    });
    TqzPageSetupDialog dlg(nullptr);
    dlg.SetRichEdit(r);
    ASSERT_TRUE(dlg.Execute());
    EXPECT_DOUBLE_EQ(r->PrintMargins()->Left(), 3.0);
    EXPECT_FALSE(dlg.Execute());
    EXPECT_DOUBLE_EQ(r->PrintMargins()->Left(), 3.0);
    EXPECT_EQ(r->PrintPageSize(), 1);
}

// ---- Preview ---------------------------------------------------------------------------------

TEST_F(RichPrint, PreviewZoomPagesKeysAndPrintingARange) {
    Load(90);
    TTestModalForms script;
    TqzRtfPreviewForm* seen = nullptr;
    script.Push([&](TCustomForm* f) {
        auto* p = dynamic_cast<TqzRtfPreviewForm*>(f);
        ASSERT_TRUE(p);
        seen = p;
        EXPECT_EQ(p->PageCount(), 5);
        EXPECT_DOUBLE_EQ(p->ZoomFactor(), -1.0);  // fit width
        const int m = 10;                         // a tenth of an inch at 96 ppi
        EXPECT_EQ(p->PaintBox()->Left(), m);
        EXPECT_EQ(p->PaintBox()->Width(), p->ScrollBox()->ClientWidth() - (25 + 16 + 1));
        RenderControlToPng(p, TestRunPath("preview_fit.png"));
        p->SetZoom("100");
        EXPECT_EQ(p->PaintBox()->Width(), 850 * 96 / 100);
        EXPECT_EQ(p->PaintBox()->Height(), 1100 * 96 / 100);
        EXPECT_EQ(p->ScrollBox()->VertScrollBar()->Range(), 1056 + 14);
        p->SetZoom("50");
        EXPECT_EQ(p->PaintBox()->Width(), 408);
        p->SetZoom("WholePage");
        EXPECT_LE(p->PaintBox()->Height(), p->ScrollBox()->ClientHeight() - 20);
        RenderControlToPng(p, TestRunPath("preview_whole.png"));
        p->SetZoom("200");
        SendKeyToFocus(VK_NEXT);
        EXPECT_EQ(p->PageEdit()->Value(), 2);
        p->ScrollBox()->VertScrollBar()->SetPosition(5);
        ASSERT_EQ(p->ScrollBox()->VertScrollBar()->Position(), 5);
        SendKeyToFocus(VK_UP);
        EXPECT_EQ(p->ScrollBox()->VertScrollBar()->Position(), 0);  // the very top
        SendKeyToFocus(VK_PRIOR);
        SendKeyToFocus(VK_PRIOR);
        EXPECT_EQ(p->PageEdit()->Value(), 1);
        SendClick(p->PrintButton(), 5, 5);  // the print dialog comes next
        f->SetModalResult(mrOk);
    });
    script.Push([](TCustomForm* f) {
        auto* d = dynamic_cast<TPrintDialogForm*>(f);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->ToEdit->Text(), "5");
        d->PrinterCombo->SetItemIndex(0);
        d->PagesCheck->SetChecked(true);
        d->FromEdit->SetText("2");
        d->ToEdit->SetText("3");
        SendClick(d->OKButton, 5, 5);
    });
    r->PrintPreview();
    EXPECT_TRUE(seen);
    EXPECT_EQ(printers.PageCount(), 2);
    EXPECT_EQ(r->Printing()->FromPage(), 0);
}

// The print job is named after the application until PrintJobName is set.
TEST_F(RichPrint, TheJobIsNamedAfterTheApplicationUnlessNamed) {
    Load(3);
    EXPECT_EQ(r->PrintJobName(), "Suite Rich Text Tests");
    TTestModalForms script;
    auto printFromPreview = [&] {
        script.Push([](TCustomForm* f) {
            SendClick(static_cast<TqzRtfPreviewForm*>(f)->PrintButton(), 5, 5);
            f->SetModalResult(mrOk);
        });
        script.Push([](TCustomForm* f) {
            auto* d = dynamic_cast<TPrintDialogForm*>(f);
            ASSERT_TRUE(d);
            d->PrinterCombo->SetItemIndex(0);
            SendClick(d->OKButton, 5, 5);
        });
        r->PrintPreview();
    };
    printFromPreview();
    EXPECT_EQ(printers.Documents(), 1);
    EXPECT_EQ(printers.LastTitle(), "Suite Rich Text Tests");
    r->SetPrintJobName("Notes");
    printFromPreview();
    EXPECT_EQ(printers.Documents(), 2);
    EXPECT_EQ(printers.LastTitle(), "Notes");
    EXPECT_EQ(script.Pending(), 0);
}

TEST_F(RichPrint, PreviewPageBesidePrintedPage) {
    Load(20);
    r->PrintHeader()->Font()->SetSize(14);
    r->Print("Side");
    printers.Page(0)->SaveToFile(TestRunPath("side_printed.png"));
    TqzRtfPreviewForm p(nullptr);
    p.SetRichEdit(r);
    p.SetBounds(0, 0, 727, 900);
    p.Show();
    p.SetZoom("WholePage");
    p.ShowPage(0);
    EXPECT_EQ(p.PageCount(), 2);
    TBitmap b;
    b.SetSize(p.Metafile()->Width(), p.Metafile()->Height());
    b.Canvas()->StretchDraw(Rect(0, 0, b.Width(), b.Height()), p.Metafile());
    b.SaveToFile(TestRunPath("side_preview.png"));
    RenderControlToPng(&p, TestRunPath("preview_form.png"));
}

TEST(RichMetafile, RecordsAndReplaysScaled) {
    TMetafile m;
    EXPECT_TRUE(m.Empty());
    m.SetWidth(100);
    m.SetHeight(50);
    {
        TMetafileCanvas c(&m, 96);
        c.Brush()->SetColor(clRed);
        c.FillRect(Rect(0, 0, 50, 50));
    }
    ASSERT_FALSE(m.Empty());
    TBitmap b;
    b.SetSize(200, 100);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(Rect(0, 0, 200, 100));
    b.Canvas()->StretchDraw(Rect(0, 0, 200, 100), &m);
    EXPECT_EQ(b.Canvas()->Pixels(90, 50) & 0xFFFFFF, clRed);  // doubled
    EXPECT_EQ(b.Canvas()->Pixels(150, 50) & 0xFFFFFF, clWhite);
}

}  // namespace
