// The grid's cells (TqzGridCells) drawn on a shown form over an engine table:
// indicator images, control types, RichEdit cells, colours, the draw-cell
// events and the hot link under the mouse.
#include "platform/core/streams.h"
#include "platform/ui/imagelist.h"
#include "suite/base/qzproputils.h"
#include "suite/grid/qzgridimages.h"
#include "support/environment.h"
#include "support/suite/grid/rich_cell_control.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

class QzDraw : public QzGridTest {
protected:
    // Three rows whose Notes hold a red, a green and a blue document at the
    // given sizes ("\\fs16" or "" for the default), shown in a RichEdit column
    // 160 pixels wide; Picture gets the grid's picture, also written as Png.
    void ShowRichCells(const char* const (&Sizes)[3], const std::string& Png, TBitmap& Picture) {
        Table->FieldDefs()->Add("Notes", ftBlob);
        Table->Open();
        const int rgb[3][3] = {{220, 0, 0}, {0, 170, 0}, {0, 0, 220}};
        for (int i = 0; i < 3; ++i) {
            Table->Append();
            Table->FieldByName("Id")->SetAsInteger(i + 1);
            Table->FieldByName("Notes")->SetAsString("{\\rtf1{\\colortbl ;\\red" + std::to_string(rgb[i][0]) +
                                                     "\\green" + std::to_string(rgb[i][1]) + "\\blue" +
                                                     std::to_string(rgb[i][2]) + ";}\\pard" + Sizes[i] +
                                                     "\\cf1\\b WWWW MMMM WWWW\\par Second line\\par}");
            Table->Post();
        }
        Table->First();
        for (const char* hidden : {"Name", "Amount", "Due", "Code"})
            Table->FieldByName(hidden)->SetVisible(false);
        // The control lives on the form, taller than a row, with a border.
        TWinControl* rich = NewRichCellControl(Form, Form, "Rich", Source, "Notes");
        rich->SetBounds(420, 200, 200, 120);
        Grid->ControlType()->SetText("Notes;RichEdit;Rich\n");
        Show();
        Grid->SetColWidths(2, 160);
        Grid->LayoutChanged();
        RenderControl(Grid, &Picture);
        Picture.SaveToFile(Png);
    }
    // Adds Done (check box), Pic (bitmap), Img (image index) and Url fields.
    void OpenTypes() {
        TFieldDefs* defs = Table->FieldDefs();
        defs->Add("Done", ftString, 1);
        defs->Add("Pic", ftGraphic);
        defs->Add("Img", ftInteger);
        defs->Add("Url", ftString, 60);
        Table->Open();
        const char* done[] = {"Y", "N", "?"};
        const int img[] = {1, 0, 7};
        const char* url[] = {"Home#http://example.org", "mail", ""};
        for (int i = 0; i < 3; ++i) {
            Table->Append();
            Table->FieldByName("Id")->SetAsInteger(i + 1);
            Table->FieldByName("Name")->SetAsString("Name" + std::to_string(i + 1));
            Table->FieldByName("Done")->SetAsString(done[i]);
            Table->FieldByName("Img")->SetAsInteger(img[i]);
            Table->FieldByName("Url")->SetAsString(url[i]);
            if (i == 0) {
                TBitmap pic;
                pic.SetSize(6, 6);
                pic.Canvas()->Brush()->SetColor(RGB(200, 0, 0));
                pic.Canvas()->FillRect(Rect(0, 0, 6, 6));
                TStringStream s;
                pic.SaveToStream(&s);
                s.SetPosition(0);
                static_cast<TBlobField*>(Table->FieldByName("Pic"))->LoadFromStream(&s);
            }
            Table->Post();
        }
        Table->First();
        for (const char* hidden : {"Amount", "Due", "Code"}) Table->FieldByName(hidden)->SetVisible(false);
        Grid->ControlType()->SetText(
            "Done;CheckBox;Y;N\nPic;Bitmap;Stretch To Fit\nImg;ImageIndex\nUrl;URL-Link\n");
        Images = new TImageList(Form);
        Images->SetSize(8, 8);
        for (TColor c : {RGB(0, 160, 0), RGB(0, 0, 220)}) {
            TBitmap b;
            b.SetSize(8, 8);
            b.Canvas()->Brush()->SetColor(c);
            b.Canvas()->FillRect(Rect(0, 0, 8, 8));
            Images->Add(&b, nullptr);
        }
        Grid->SetImageList(Images);
    }
    TRect Cell(const char* FieldName, int DataRow) {
        const int col = Table->FieldByName(FieldName)->Index();
        int c = Grid->IndicatorOffset();
        for (int i = 0; i < Grid->ColCount() - Grid->IndicatorOffset(); ++i)
            if (Grid->GetColField(i) && Grid->GetColField(i)->Index() == col) c = i + Grid->IndicatorOffset();
        return Grid->CellRect(c, DataRow + Grid->TitleOffset());
    }
    int Count(TBitmap& Shot, const TRect& R, const std::function<bool(TColor)>& Test) {
        int n = 0;
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                if (Test(Shot.Canvas()->Pixels(x, y))) ++n;
        return n;
    }
    static bool Is(TColor c, int r, int g, int b) { return c == RGB(r, g, b); }
    static bool Dark(TColor c) {
        const int32_t v = ColorToRGB(c);
        return (v & 0xFF) < 80 && ((v >> 8) & 0xFF) < 80 && ((v >> 16) & 0xFF) < 80;
    }
    TImageList* Images = nullptr;
};

TEST_F(QzDraw, EveryControlTypeDraws) {
    OpenTypes();
    Show();
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(TestRunPath("qzgrid_control_types.png"));
    // Check boxes: "Y" ticked, "N" and a text matching neither empty.
    auto black = [](TColor c) { return c == clBlack; };
    const int ticked = Count(shot, Cell("Done", 0), black);
    EXPECT_GT(ticked, 10);
    EXPECT_LT(Count(shot, Cell("Done", 1), black), ticked);
    EXPECT_EQ(Count(shot, Cell("Done", 1), black), Count(shot, Cell("Done", 2), black));
    // The picture stretched over its cell; the other rows hold none.
    auto red = [](TColor c) { return Is(c, 200, 0, 0); };
    const TRect pic = Cell("Pic", 0);
    EXPECT_GT(Count(shot, pic, red), pic.Width() * pic.Height() / 2);
    EXPECT_EQ(Count(shot, Cell("Pic", 1), red), 0);
    // Image 1 is blue, image 0 green; 7 lies beyond the list and draws nothing.
    auto blue = [](TColor c) { return Is(c, 0, 0, 220); };
    auto green = [](TColor c) { return Is(c, 0, 160, 0); };
    EXPECT_EQ(Count(shot, Cell("Img", 0), blue), 64);
    EXPECT_EQ(Count(shot, Cell("Img", 1), green), 64);
    EXPECT_EQ(Count(shot, Cell("Img", 2), blue) + Count(shot, Cell("Img", 2), green), 0);
    // A link is blue (only its shown part) and underlined.
    auto linkBlue = [](TColor c) { return c == static_cast<TColor>(ColorToRGB(clBlue)); };
    EXPECT_GT(Count(shot, Cell("Url", 0), linkBlue), 10);
    // The plain text cell writes dark text.
    EXPECT_GT(Count(shot, Cell("Name", 1), Dark), 5);
}

TEST_F(QzDraw, HotLinkTurnsRedUnderTheMouse) {
    OpenTypes();
    Show();
    const TRect r = Cell("Url", 1);
    auto red = [](TColor c) { return c == static_cast<TColor>(ColorToRGB(clRed)); };
    TBitmap before;
    RenderControl(Grid, &before);
    EXPECT_EQ(Count(before, r, red), 0);
    SendMouseMove(Grid, r.Left + 4, r.Top + 4);
    EXPECT_EQ(Grid->Cursor(), crHandPoint);
    TBitmap hot;
    RenderControl(Grid, &hot);
    hot.SaveToFile(TestRunPath("qzgrid_hot_link.png"));
    EXPECT_GT(Count(hot, r, red), 5);
    // Only the link under the mouse.
    EXPECT_EQ(Count(hot, Cell("Url", 0), red), 0);
    // Leaving the link column puts the cursor and the colour back.
    const TRect name = Cell("Name", 1);
    SendMouseMove(Grid, name.Left + 4, name.Top + 4);
    EXPECT_EQ(Grid->Cursor(), crDefault);
    TBitmap after;
    RenderControl(Grid, &after);
    EXPECT_EQ(Count(after, r, red), 0);
}

TEST_F(QzDraw, IndicatorImagesFollowStateAndColour) {
    Open(3);
    Show();
    const TRect ind0 = Grid->CellRect(0, 1), ind1 = Grid->CellRect(0, 2);
    auto black = [](TColor c) { return c == clBlack; };
    TBitmap shot;
    RenderControl(Grid, &shot);
    const int arrow = Count(shot, ind0, black);
    EXPECT_GT(arrow, 10);
    EXPECT_EQ(Count(shot, ind1, black), 0);
    // Red turns the black parts red.
    Grid->SetIndicatorIconColor(clRed);
    RenderControl(Grid, &shot);
    shot.SaveToFile(TestRunPath("qzgrid_indicator_red.png"));
    auto red = [](TColor c) { return c == static_cast<TColor>(ColorToRGB(clRed)); };
    EXPECT_EQ(Count(shot, ind0, black), 0);
    EXPECT_EQ(Count(shot, ind0, red), arrow);
    // Editing and inserting show other images.
    Grid->SetIndicatorIconColor(clBlack);
    Table->Edit();
    ProcessEvents();
    RenderControl(Grid, &shot);
    const int edit = Count(shot, ind0, black);
    EXPECT_GT(edit, 0);
    EXPECT_NE(edit, arrow);
    Table->Cancel();
    Table->Append();
    ProcessEvents();
    RenderControl(Grid, &shot);
    const int insert = Count(shot, Grid->CellRect(0, Grid->Row()), black);
    EXPECT_GT(insert, 0);
    EXPECT_NE(insert, arrow);
    EXPECT_NE(insert, edit);
    Table->Cancel();
}

TEST_F(QzDraw, SharedImagesLiveWhileAGridDoes) {
    const int users = qzGridImageUsers();
    ASSERT_GT(users, 0);
    ASSERT_NE(qzGridIndicatorImages(), nullptr);
    EXPECT_EQ(qzGridIndicatorImages()->Count(), 5);
    EXPECT_EQ(qzGridTitleArrowImages()->Count(), 2);
    for (const char* name :
         {"QZDBGARROW", "QZDBEDIT", "QZDBINSERT", "QZDBMULTISELECT", "QZDBMULTIARROW", "QZRIGHT", "QZLEFT"})
        EXPECT_TRUE(ResourceExists(name)) << name;
    auto* second = new TqzCustomDBGrid(nullptr);
    EXPECT_EQ(qzGridImageUsers(), users + 1);
    delete second;
    EXPECT_EQ(qzGridImageUsers(), users);
    EXPECT_NE(qzGridIndicatorImages(), nullptr);
}

TEST_F(QzDraw, TwoLineTitlesAndAlternatingRows) {
    Open(4);
    Grid->SetUseTFields(false);
    Grid->Selected()->SetText("Name\t12\tFirst~Second\nId\t6\tId\n");
    Grid->SetTitleLines(2);
    Grid->PaintOptions()->SetAlternatingRowColor(RGB(255, 255, 0));
    Show();
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(TestRunPath("qzgrid_titles_rows.png"));
    const TRect title = Grid->CellRect(1, 0);
    const int mid = (title.Top + title.Bottom) / 2;
    EXPECT_GT(Count(shot, Rect(title.Left, title.Top, title.Right, mid), Dark), 5);
    EXPECT_GT(Count(shot, Rect(title.Left, mid, title.Right, title.Bottom), Dark), 5);
    // Every second data row is yellow.
    auto yellow = [](TColor c) { return Is(c, 255, 255, 0); };
    const TRect r1 = Grid->CellRect(2, 2), r2 = Grid->CellRect(2, 3), r3 = Grid->CellRect(2, 4);
    EXPECT_EQ(Count(shot, r2, yellow), 0);
    EXPECT_GT(Count(shot, r1, yellow), r1.Width() * r1.Height() / 2);
    EXPECT_GT(Count(shot, r3, yellow), r3.Width() * r3.Height() / 2);
}

TEST_F(QzDraw, CalcCellColorsRecolours) {
    Open(2);
    struct Handler {
        int Calls = 0;
        void On(TObject*, TField* F, TGridDrawState, bool, TFont*, TBrush* B) {
            ++Calls;
            if (F && F->FieldName() == "Name") B->SetColor(RGB(10, 200, 30));
        }
    } h;
    Grid->SetOnCalcCellColors(TqzCalcCellColorsEvent(&h, &Handler::On));
    // The suite's edits find the handler by name.
    EXPECT_TRUE(static_cast<bool>(qzGetOnCalcCellColors(Grid)));
    Show();
    TBitmap shot;
    RenderControl(Grid, &shot);
    EXPECT_GT(h.Calls, 0);
    const TRect r = Grid->CellRect(2, 2);
    EXPECT_GT(Count(shot, r, [](TColor c) { return Is(c, 10, 200, 30); }), r.Width() * r.Height() / 2);
}

}  // namespace

namespace {

TEST_F(QzDraw, BeforeDrawCellSwitchesAndRowFlags) {
    Open(3);
    int after = 0;
    Grid->SetOnBeforeDrawCell(TqzCustomDrawCellEvent([&](TObject*, TqzCustomDrawGridCellInfo& Info) {
        if (!Info.Field || Info.DataRow < 0) return;
        // The record of the cell is current while the handler runs.
        EXPECT_EQ(Info.Field->DataSet()->FieldByName("Id")->AsInteger(), Info.DataRow + 1);
        if (Info.Field->FieldName() == "Name" && Info.DataRow == 1) Info.DefaultContent = false;
        if (Info.Field->FieldName() == "Amount" && Info.DataRow == 0) Info.ColumnFlag1 = false;
    }));
    Grid->SetOnAfterDrawCell(TqzCustomDrawCellEvent([&](TObject*, TqzCustomDrawGridCellInfo&) { ++after; }));
    Show();
    TBitmap shot;
    RenderControl(Grid, &shot);
    EXPECT_GE(after, 4 * 6);
    EXPECT_EQ(Id(), 1);
    EXPECT_GT(Count(shot, Grid->CellRect(2, 1), Dark), 5);
    EXPECT_EQ(Count(shot, Grid->CellRect(2, 2), Dark), 0);
    ASSERT_GE(Grid->Columns(2)->RowFlags().size(), 1u);
    EXPECT_EQ(Grid->Columns(2)->RowFlags()[0], 1);
    RenderControl(Grid, &shot);
    const TRect amount = Grid->CellRect(3, 1);
    EXPECT_EQ(shot.Canvas()->Pixels(amount.Left + 5, amount.Bottom),
              static_cast<TColor>(ColorToRGB(clWindow)));
}

}  // namespace

namespace {

// One tall narrow picture in each display mode, and a raster operation.
TEST_F(QzDraw, BitmapDisplayModes) {
    Table->FieldDefs()->Add("Pic", ftGraphic);
    Table->Open();
    TBitmap pic;
    pic.SetSize(4, 40);
    pic.Canvas()->Brush()->SetColor(RGB(0, 0, 200));
    pic.Canvas()->FillRect(Rect(0, 0, 4, 40));
    TStringStream s;
    pic.SaveToStream(&s);
    Table->Append();
    Table->FieldByName("Id")->SetAsInteger(1);
    s.SetPosition(0);
    static_cast<TBlobField*>(Table->FieldByName("Pic"))->LoadFromStream(&s);
    Table->Post();
    for (const char* hidden : {"Name", "Amount", "Due", "Code"})
        Table->FieldByName(hidden)->SetVisible(false);
    Show();
    Grid->SetColWidths(2, 40);
    auto blueIn = [&](const char* Params, std::function<bool(TColor)> Test) {
        Grid->ControlType()->SetText(std::string("Pic;Bitmap;") + Params + "\n");
        Grid->LayoutChanged();
        TBitmap shot;
        RenderControl(Grid, &shot);
        return Count(shot, Grid->CellRect(2, 1), Test);
    };
    auto blue = [](TColor c) { return Is(c, 0, 0, 200); };
    const TRect cell = Grid->CellRect(2, 1);
    // Original size: the top-left part, clipped to the cell.
    EXPECT_EQ(blueIn("Original Size", blue), 4 * cell.Height());
    // Stretched over the whole cell.
    EXPECT_EQ(blueIn("Stretch To Fit", blue), cell.Width() * cell.Height());
    // Fit Height keeps the aspect: far narrower than 3 pixels is not drawn.
    EXPECT_EQ(blueIn("Fit Height", blue), 0);
    // Fit Width: 40 wide would be 400 high, so it shrinks to the cell's height.
    EXPECT_EQ(blueIn("Fit Width", blue), 0);
    // "Not Source Copy" inverts the picture: blue becomes yellow.
    EXPECT_EQ(blueIn("Stretch To Fit;Not Source Copy", [](TColor c) { return Is(c, 255, 255, 55); }),
              cell.Width() * cell.Height());
}

}  // namespace

namespace {

// A check-box cell never opens the text editor: not on Space, F2, Enter or
// a click, and Down afterwards writes nothing.
TEST_F(QzDraw, CheckBoxCellOpensNoTextEditor) {
    OpenTypes();
    Show();
    Grid->SetFocus();
    ProcessEvents();
    const TRect box = Cell("Done", 0);
    SendClick(Grid, (box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2);
    ASSERT_EQ("Done", Grid->SelectedField()->FieldName());
    SendText(Grid, " ");
    SendKey(Grid, VK_F2);
    SendKey(Grid, VK_RETURN);
    SendClick(Grid, (box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2);
    EXPECT_FALSE(Grid->InplaceEditor() && Grid->InplaceEditor()->Visible());
    SendKey(Grid, VK_DOWN);
    if (Table->State() != dsBrowse) Table->Post();
    Table->First();
    EXPECT_EQ("Y", Table->FieldByName("Done")->AsString());
}

}  // namespace

namespace {

// The strongest colour channel of a text pixel tells its document.
std::function<bool(TColor)> Ink(int Channel) {
    return [Channel](TColor c) {
        const int32_t v = ColorToRGB(c);
        const int ch[3] = {v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF};
        return ch[Channel] > 120 && ch[(Channel + 1) % 3] < 90 && ch[(Channel + 2) % 3] < 90;
    };
}

// RichEdit cells: every row shows its own document through the rich edit's
// grid copy, fitted to the cell, with no border of the control in it.
TEST_F(QzDraw, RichEditCellsShowTheirOwnRowsDocument) {
    TBitmap shot;
    ShowRichCells({"\\fs16", "\\fs16", "\\fs16"}, TestRunPath("qzgrid_rich_cells.png"), shot);
    for (int row = 0; row < 3; ++row) {
        const TRect r = Cell("Notes", row);
        for (int other = 0; other < 3; ++other) {
            if (other == row)
                EXPECT_GT(Count(shot, r, Ink(other)), 20) << "row " << row;
            else
                EXPECT_EQ(Count(shot, r, Ink(other)), 0) << "row " << row << " shows document " << other;
        }
        // No border: the cell's outer pixels keep the grid's window colour.
        const TColor window = static_cast<TColor>(ColorToRGB(clWindow));
        auto notWindow = [window](TColor c) { return c != window; };
        EXPECT_EQ(Count(shot, Rect(r.Left, r.Top, r.Right, r.Top + 1), notWindow), 0) << "row " << row;
        EXPECT_EQ(Count(shot, Rect(r.Left, r.Top, r.Left + 1, r.Bottom), notWindow), 0) << "row " << row;
    }
    // Drawing the rows leaves the current record where it was.
    EXPECT_EQ(Id(), 1);
}

// Text taller than the row (12 pt is the default) shows as much as fits,
// clipped to its cell: every row's cell holds its own document's ink.
TEST_F(QzDraw, RichEditCellsShowALineTallerThanTheRow) {
    // 10 pt, the default size, 18 pt
    TBitmap shot;
    ShowRichCells({"\\fs20", "", "\\fs36"}, TestRunPath("qzgrid_rich_cells_tall.png"), shot);
    for (int row = 0; row < 3; ++row) {
        const TRect r = Cell("Notes", row);
        ASSERT_LT(r.Height(), 24) << "a row lower than the 18 pt line";
        for (int other = 0; other < 3; ++other) {
            if (other == row)
                EXPECT_GT(Count(shot, r, Ink(other)), 40) << "row " << row;
            else
                EXPECT_EQ(Count(shot, r, Ink(other)), 0) << "row " << row << " shows document " << other;
        }
    }
}

}  // namespace
