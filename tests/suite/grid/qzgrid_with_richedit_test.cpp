// The suite grid and the data-aware rich edit in one file and on one form:
// their declarations agree, and one URL handler serves both.
#include "platform/ui/shell_open.h"
#include "suite/richtext/qzdbrichedit.h"
#include "support/environment.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

using QzGridWithRichEdit = QzGridTest;

TEST_F(QzGridWithRichEdit, OneURLOpenHandlerServesTheGridAndTheRichEdit) {
    Table->FieldDefs()->Add("Url", ftString, 60);
    Table->FieldDefs()->Add("Notes", ftMemo);
    Table->Open();
    const std::string rtf =
        "{\\rtf1\\ansi{\\field{\\*\\fldinst{HYPERLINK \"https://example.org/notes\"}}{\\fldrslt{see "
        "this}}}\\par}";
    Table->AppendRecord({Variant(1), Variant("One"), Variant(), Variant(), Variant(),
                         Variant("https://example.org/cell"), Variant(rtf)});
    Table->First();
    Grid->ControlType()->SetText("Url;URL-Link\n");
    Grid->SetBounds(8, 8, 600, 200);
    auto* notes = new TqzDBRichEdit(Form);
    notes->SetParent(Form);
    notes->SetBounds(8, 220, 400, 100);
    notes->SetDataSource(Source);
    notes->SetDataField("Notes");

    struct Heard {
        TObject* Sender;
        std::string Link;
        TField* Field;
    };
    std::vector<Heard> heard;
    // one handler, one type, for both controls; it may change the link
    TqzURLOpenEvent handler([&](TObject* Sender, std::string& Link, TField* Field, bool&) {
        heard.push_back({Sender, Link, Field});
        Link += "?seen";
    });
    Grid->SetOnURLOpen(handler);
    notes->SetOnURLOpen(handler);
    Show();
    TTestShell shell;

    const int col = Table->FieldByName("Url")->Index() + Grid->IndicatorOffset();
    const TRect cell = Grid->CellRect(col, 1);
    SendClick(Grid, cell.Left + 3, cell.Top + 3);
    ProcessEvents();
    ASSERT_TRUE(notes->MemoLoaded());
    const TPoint p = notes->PosFromChar(1);
    SendClick(notes, p.X + 1, p.Y + 5);
    ProcessEvents();

    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].Sender, Grid);
    EXPECT_EQ(heard[0].Link, "https://example.org/cell");
    EXPECT_EQ(heard[0].Field, Table->FieldByName("Url"));
    EXPECT_EQ(heard[1].Sender, notes);
    EXPECT_EQ(heard[1].Link, "https://example.org/notes");
    EXPECT_EQ(heard[1].Field, Table->FieldByName("Notes"));
    // both open the link as the handler left it
    EXPECT_EQ(shell.Opened(),
              (std::vector<std::string>{"https://example.org/cell?seen", "https://example.org/notes?seen"}));
    EXPECT_TRUE(RenderControlToPng(Form, TestRunPath("taskmoor_qzgrid_with_richedit.png")));
}

}  // namespace
