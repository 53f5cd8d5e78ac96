// Title attributes, images and own drawing, hot titles under themes, the
// focus-rectangle rule, column drags (threshold, groups, edge scrolling),
// controls open in a cell, the tab order routine and lookup pictures.
#include "platform/core/streams.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/themes.h"
#include "platform/ui/timer.h"
#include "platform/ui/window_services.h"
#include "qzgrid_fixture.h"
#include "suite/grid/qzgridcontrols.h"
#include "suite/grid/qzinplace.h"

namespace {

std::string Shot(const char* name) { return IncludeTrailingPathDelimiter(GetCurrentDir()) + name; }

int Count(TBitmap& Shot, const TRect& R, const std::function<bool(TColor)>& Test) {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
        for (int x = R.Left; x < R.Right; ++x)
            if (Test(Shot.Canvas()->Pixels(x, y))) ++n;
    return n;
}

bool Dark(TColor c) {
    const int32_t v = ColorToRGB(c);
    return (v & 0xFF) < 80 && ((v >> 8) & 0xFF) < 80 && ((v >> 16) & 0xFF) < 80;
}

std::vector<std::string> ColumnNames(TqzCustomDBGrid* Grid) {
    std::vector<std::string> names;
    for (int i = 0; i < Grid->ColCount() - Grid->IndicatorOffset(); ++i)
        names.push_back(Grid->GetColField(i) ? Grid->GetColField(i)->FieldName() : "?");
    return names;
}

using QzTitles = QzGridTest;

TEST_F(QzTitles, AttributesImagesAndOwnDrawing) {
    Open(2);
    auto* images = new TImageList(Form);
    images->SetSize(8, 8);
    TBitmap red;
    red.SetSize(8, 8);
    red.Canvas()->Brush()->SetColor(RGB(220, 0, 0));
    red.Canvas()->FillRect(Rect(0, 0, 8, 8));
    images->Add(&red, nullptr);
    Grid->SetTitleImageList(images);
    std::vector<std::string> asked;
    Grid->SetOnCalcTitleAttributes(TqzCalcTitleAttributesEvent(
        [&](TObject*, const std::string& Name, TFont*, TBrush* Brush, TAlignment& Align) {
            asked.push_back(Name);
            if (Name == "Name") {
                Brush->SetColor(RGB(255, 255, 0));
                Align = taRightJustify;
            }
        }));
    Grid->SetOnCalcTitleImage(TqzCalcTitleImageEvent([](TObject*, TField* F, TqzTitleImageAttributes& A) {
        if (F->FieldName() == "Name") A.ImageIndex = 0;
        if (F->FieldName() == "Due") A.ImageIndex = 5;  // beyond the list: nothing
    }));
    Grid->SetOnDrawTitleCell(
        TqzDrawTitleCellEvent([](TObject*, TCanvas*, TField* F, const TRect&, bool& Def) {
            if (F->FieldName() == "Amount") Def = false;
        }));
    Show();
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(Shot("qzgrid_title_images.png"));
    EXPECT_NE(std::find(asked.begin(), asked.end(), "Id"), asked.end());
    const TRect name = Grid->CellRect(2, 0), amount = Grid->CellRect(3, 0), id = Grid->CellRect(1, 0);
    auto yellow = [](TColor c) { return c == RGB(255, 255, 0); };
    auto isRed = [](TColor c) { return c == RGB(220, 0, 0); };
    EXPECT_GT(Count(shot, name, yellow), name.Width() * name.Height() / 3);
    EXPECT_EQ(Count(shot, name, isRed), 64);
    // The image sits at the left, the text is right-aligned.
    EXPECT_TRUE(isRed(shot.Canvas()->Pixels(name.Left + 4, name.Top + name.Height() / 2)));
    int rightmostDark = -1;
    for (int x = name.Left; x < name.Right; ++x)
        for (int y = name.Top; y < name.Bottom; ++y)
            if (Dark(shot.Canvas()->Pixels(x, y)) && x < name.Right - 1)
                rightmostDark = std::max(rightmostDark, x);
    EXPECT_GT(rightmostDark, name.Left + name.Width() / 2);
    // The handler took over the Amount title: no text; others keep theirs.
    EXPECT_EQ(Count(shot, Rect(amount.Left + 1, amount.Top + 1, amount.Right - 1, amount.Bottom - 1), Dark),
              0);
    EXPECT_GT(Count(shot, id, Dark), 5);
    EXPECT_EQ(Count(shot, Grid->CellRect(4, 0), isRed), 0);
}

TEST_F(QzTitles, HotTitleFollowsTheMouseOnlyWithThemes) {
    Open(2);
    Show();
    const TRect name = Grid->CellRect(2, 0), cell = Grid->CellRect(2, 1);
    SendMouseMove(Grid, name.Left + 5, name.Top + 4);
    EXPECT_EQ(Grid->HotTitleCol(), -1);
    SetThemeServicesEnabled(true);
    TBitmap plain;
    RenderControl(Grid, &plain);
    SendMouseMove(Grid, name.Left + 6, name.Top + 4);
    EXPECT_EQ(Grid->HotTitleCol(), 2);
    TBitmap hot;
    RenderControl(Grid, &hot);
    hot.SaveToFile(Shot("qzgrid_hot_title.png"));
    int differ = 0;
    for (int y = name.Top; y < name.Bottom; ++y)
        for (int x = name.Left; x < name.Right; ++x)
            if (plain.Canvas()->Pixels(x, y) != hot.Canvas()->Pixels(x, y)) ++differ;
    EXPECT_GT(differ, 0);
    // Held buttons leave the hot title alone; a data cell clears it.
    SendMouseMove(Grid, Grid->CellRect(3, 0).Left + 4, name.Top + 4, {ssLeft});
    EXPECT_EQ(Grid->HotTitleCol(), 2);
    SendMouseMove(Grid, cell.Left + 4, cell.Top + 4);
    EXPECT_EQ(Grid->HotTitleCol(), -1);
    SetThemeServicesEnabled(false);
}

TEST_F(QzTitles, FocusRectangleOnlyWhereTheRuleAllows) {
    Open(3);
    Grid->SetOptions(Grid->Options() - dgWordWrap);
    Show();
    Grid->SetFocus();
    ProcessEvents();
    auto edgeColours = [&](TBitmap& S, const TRect& R) {
        std::set<TColor> colours;
        for (int x = R.Left + 1; x < R.Right - 1; ++x) colours.insert(S.Canvas()->Pixels(x, R.Top));
        return colours.size();
    };
    TBitmap shot;
    RenderControl(Grid, &shot);
    const TRect cell = Grid->CellRect(Grid->Col(), Grid->Row());
    EXPECT_GT(edgeColours(shot, cell), 1u);  // the dotted focus rectangle
    for (TqzDBGridOption o : {dgRowSelect, dgAlwaysShowEditor}) {
        Grid->SetOptions(Grid->Options() + o);
        Grid->SetEditorMode(false);
        ProcessEvents();
        RenderControl(Grid, &shot);
        const TRect now = Grid->CellRect(Grid->Col(), Grid->Row());
        EXPECT_EQ(edgeColours(shot, now), 1u) << static_cast<int>(o);
        Grid->SetOptions(Grid->Options() - o);
    }
    shot.SaveToFile(Shot("qzgrid_no_focus_rect.png"));
}

// ---- Column drags -----------------------------------------------------------------------------

class QzDrag : public QzGridTest {
protected:
    // Name and Amount form group "G".
    void OpenGrouped() {
        Open(3);
        Grid->SetUseTFields(false);
        Grid->Selected()->SetText(
            "Id\t5\tId\tF\nName\t10\tName\tF\tG\nAmount\t8\tAmount\tF\tG\nDue\t8\tDue\tF\n"
            "Code\t6\tCode\tF\n");
        Show();
    }
    void Drag(int FromX, int FromY, int ToX, int ToY) {
        SendMouseDown(Grid, mbLeft, FromX, FromY);
        SendMouseMove(Grid, (FromX + ToX) / 2, FromY, {ssLeft});
        SendMouseMove(Grid, ToX, ToY, {ssLeft});
        SendMouseUp(Grid, mbLeft, ToX, ToY);
    }
};

TEST_F(QzDrag, StartsOnlyPastTwoPixels) {
    Open(2);
    Show();
    const TRect id = Grid->CellRect(1, 0);
    SendMouseDown(Grid, mbLeft, id.Left + 10, id.Top + 4);
    SendMouseMove(Grid, id.Left + 12, id.Top + 6, {ssLeft});
    EXPECT_FALSE(Grid->ColumnDragging());
    SendMouseMove(Grid, id.Left + 13, id.Top + 4, {ssLeft});
    EXPECT_TRUE(Grid->ColumnDragging());
    SendMouseUp(Grid, mbLeft, id.Left + 13, id.Top + 4);
    EXPECT_FALSE(Grid->ColumnDragging());
    EXPECT_EQ(ColumnNames(Grid)[0], "Id");
}

TEST_F(QzDrag, GroupsStayTogether) {
    OpenGrouped();
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(Shot("qzgrid_groups.png"));
    // A grouped column may not leave its group.
    TRect name = Grid->CellRect(2, 0), code = Grid->CellRect(5, 0);
    Drag(name.Left + 5, name.Bottom - 3, code.Left + 5, code.Bottom - 3);
    EXPECT_EQ(ColumnNames(Grid), (std::vector<std::string>{"Id", "Name", "Amount", "Due", "Code"}));
    // The group header drags both columns.
    name = Grid->CellRect(2, 0);
    const TRect due = Grid->CellRect(4, 0);
    Drag(name.Left + 5, name.Top + 3, due.Left + 5, due.Bottom - 3);
    EXPECT_EQ(ColumnNames(Grid), (std::vector<std::string>{"Id", "Due", "Name", "Amount", "Code"}));
    // An ungrouped column dropped onto the group lands before it (moving left).
    code = Grid->CellRect(5, 0);
    const TRect amount = Grid->CellRect(4, 0);
    Drag(code.Left + 5, code.Bottom - 3, amount.Left + 5, amount.Bottom - 3);
    EXPECT_EQ(ColumnNames(Grid), (std::vector<std::string>{"Id", "Due", "Code", "Name", "Amount"}));
    // A plain move between ungrouped columns.
    const TRect id = Grid->CellRect(1, 0), codeNow = Grid->CellRect(3, 0);
    Drag(id.Left + 5, id.Bottom - 3, codeNow.Left + 5, codeNow.Bottom - 3);
    EXPECT_EQ(ColumnNames(Grid), (std::vector<std::string>{"Due", "Code", "Id", "Name", "Amount"}));
}

TEST_F(QzDrag, ScrollsAtTheRightEdgeOnTheTimer) {
    Open(3);
    Grid->SetBounds(8, 8, 180, 200);
    Show();
    TTestTimers timers;
    ASSERT_EQ(Grid->LeftCol(), 1);
    const TRect id = Grid->CellRect(1, 0);
    SendMouseDown(Grid, mbLeft, id.Left + 5, id.Top + 4);
    SendMouseMove(Grid, id.Left + 40, id.Top + 4, {ssLeft});
    SendMouseMove(Grid, Grid->Width() - 3, id.Top + 4, {ssLeft});
    ASSERT_TRUE(Grid->ColumnDragging());
    EXPECT_EQ(Grid->LeftCol(), 1);
    timers.Advance(100);
    EXPECT_EQ(Grid->LeftCol(), 2);
    timers.Advance(100);
    EXPECT_EQ(Grid->LeftCol(), 3);
    // Moving left at the first scrolling column scrolls back.
    SendMouseMove(Grid, 14, id.Top + 4, {ssLeft});
    SendMouseMove(Grid, 12, id.Top + 4, {ssLeft});
    timers.Advance(100);
    EXPECT_EQ(Grid->LeftCol(), 2);
    SendMouseUp(Grid, mbLeft, 12, id.Top + 4);
    EXPECT_FALSE(Grid->ColumnDragTimer()->Enabled());
}

// ---- Controls in cells ----------------------------------------------------------------------------

class TProbePanel : public TPanel {
public:
    using TPanel::TPanel;
    std::vector<std::string> Heard;

protected:
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override {
        Heard.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
    }
    void MouseUp(TMouseButton, TShiftState, int X, int Y) override {
        Heard.push_back("up " + std::to_string(X) + "," + std::to_string(Y));
    }
};

TEST_F(QzTitles, ClickOperatesTheControlOpenInTheNewCellAndKeysMoveItAway) {
    Open(4);
    auto* probe = new TProbePanel(Form);
    probe->SetName("Probe");
    probe->SetVisible(false);
    probe->SetParent(Grid);
    Grid->ControlType()->SetText("Code;CustomEdit;Probe\n");
    // The published grid opens a cell's control on a cell change; so does this handler.
    bool open = true;
    Grid->SetOnCellChanged(TNotifyEvent([&](TObject*) {
        if (!open) return;
        if (Grid->SelectedField() && Grid->SelectedField()->FieldName() == "Code") {
            const TRect r = Grid->CellRect(Grid->Col(), Grid->Row());
            probe->SetBounds(r.Left, r.Top, r.Width(), r.Height());
            probe->SetVisible(true);
        } else {
            probe->SetVisible(false);
        }
    }));
    Show();
    const int codeCol = 5;
    const TRect r = Grid->CellRect(codeCol, 2);
    SendClick(Grid, r.Left + 7, r.Top + 3);
    ASSERT_TRUE(probe->Visible());
    EXPECT_EQ(probe->Heard, (std::vector<std::string>{"down 7,3", "up 7,3"}));
    // With Ctrl held the click only moves.
    probe->Heard.clear();
    const TRect r3 = Grid->CellRect(codeCol, 3);
    SendClick(Grid, r3.Left + 7, r3.Top + 3, mbLeft, {ssCtrl});
    EXPECT_TRUE(probe->Heard.empty());
    // A record move puts the open control out of sight.
    Grid->SetFocus();
    open = false;
    SendKey(Grid, VK_UP);
    EXPECT_EQ(probe->Left(), Grid->ClientWidth() + 10);
}

TEST(QzFindNextControl, FollowsTheTabOrderWithoutWrapping) {
    TForm* form = CreateForm<TForm>(Application);
    form->SetBounds(10, 10, 300, 200);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 300, 200);
    TEdit* edits[4];
    for (int i = 0; i < 4; ++i) {
        edits[i] = new TEdit(form);
        edits[i]->SetParent(panel);
        edits[i]->SetBounds(5, 5 + 30 * i, 100, 24);
    }
    edits[2]->SetTabStop(false);
    form->Show();
    ProcessEvents();
    EXPECT_EQ(qzFindNextControl(edits[0], true, true), edits[1]);
    EXPECT_EQ(qzFindNextControl(edits[1], true, true), edits[3]);
    EXPECT_EQ(qzFindNextControl(edits[1], true, false), edits[2]);
    EXPECT_EQ(qzFindNextControl(edits[3], true, true), nullptr);
    EXPECT_EQ(qzFindNextControl(edits[0], false, true), nullptr);
    EXPECT_EQ(qzFindNextControl(edits[3], false, true), edits[1]);
    edits[3]->SetEnabled(false);
    EXPECT_EQ(qzFindNextControl(edits[1], true, true), nullptr);
    EXPECT_EQ(qzFindNextControl(nullptr, true, true), nullptr);
    delete form;
    ProcessEvents();
}

TEST_F(QzTitles, LookupFieldShowsThePictureOfTheRelatedRecord) {
    auto* pics = new TOstraTable(Form);
    pics->FieldDefs()->Add("Key", ftInteger);
    pics->FieldDefs()->Add("Pic", ftGraphic);
    pics->Open();
    for (int k = 1; k <= 2; ++k) {
        pics->Append();
        pics->FieldByName("Key")->SetAsInteger(k);
        TBitmap pic;
        pic.SetSize(6, 6);
        pic.Canvas()->Brush()->SetColor(k == 1 ? RGB(0, 170, 0) : RGB(0, 0, 200));
        pic.Canvas()->FillRect(Rect(0, 0, 6, 6));
        TStringStream s;
        pic.SaveToStream(&s);
        s.SetPosition(0);
        static_cast<TBlobField*>(pics->FieldByName("Pic"))->LoadFromStream(&s);
        pics->Post();
    }
    for (const char* name : {"Id", "Name"}) {
        TField* f = name[0] == 'I' ? static_cast<TField*>(new TIntegerField(Table))
                                   : static_cast<TField*>(new TStringField(Table));
        f->SetFieldName(name);
        f->SetDataSet(Table);
    }
    Table->FieldDefs()->Clear();
    Table->FieldDefs()->Add("Id", ftInteger);
    Table->FieldDefs()->Add("Name", ftString, 20);
    auto* look = new TStringField(Table);
    look->SetFieldName("Look");
    look->SetFieldKind(fkLookup);
    look->SetDataSet(Table);
    look->SetLookupDataSet(pics);
    look->SetKeyFields("Id");
    look->SetLookupKeyFields("Key");
    look->SetLookupResultField("Pic");
    Table->Open();
    for (int i = 1; i <= 3; ++i) Table->AppendRecord({Variant(i), Variant("N" + std::to_string(i))});
    Table->First();
    Grid->ControlType()->SetText("Look;Bitmap;Stretch To Fit\n");
    Show();
    TBitmap shot;
    RenderControl(Grid, &shot);
    shot.SaveToFile(Shot("qzgrid_lookup_picture.png"));
    auto green = [](TColor c) { return c == RGB(0, 170, 0); };
    auto blue = [](TColor c) { return c == RGB(0, 0, 200); };
    const TRect r1 = Grid->CellRect(3, 1), r2 = Grid->CellRect(3, 2), r3 = Grid->CellRect(3, 3);
    EXPECT_GT(Count(shot, r1, green), r1.Width() * r1.Height() / 2);
    EXPECT_GT(Count(shot, r2, blue), r2.Width() * r2.Height() / 2);
    // No related record: the background only.
    EXPECT_EQ(Count(shot, r3, green) + Count(shot, r3, blue), 0);
}

TEST_F(QzTitles, EditorWindowWrapsExceptForLinks) {
    Table->FieldDefs()->Add("Url", ftString, 40);
    Open(2);
    Grid->ControlType()->SetText("Url;URL-Link\n");
    Show();
    Grid->SetFocus();
    Grid->ShowEditor();
    TqzInplaceEdit* editor = Grid->QzEditor();
    ASSERT_TRUE(editor && editor->Visible());
    uint32_t style = GetWindowLong(editor, GWL_STYLE);
    EXPECT_TRUE(editor->WordWrap());
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_FALSE(style & (ES_AUTOHSCROLL | ES_WANTRETURN));
    SendKey(Grid, VK_END);
    Grid->ShowEditor();
    editor = Grid->QzEditor();
    ASSERT_EQ(Grid->SelectedField()->FieldName(), "Url");
    style = GetWindowLong(editor, GWL_STYLE);
    EXPECT_FALSE(editor->WordWrap());
    EXPECT_TRUE(style & ES_AUTOHSCROLL);
    EXPECT_FALSE(style & ES_AUTOVSCROLL);
}

}  // namespace
