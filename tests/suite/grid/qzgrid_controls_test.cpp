// Controls open in a cell, the tab-order routine, lookup pictures and the
// cell editor's window.
#include "platform/core/streams.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/themes.h"
#include "platform/ui/timer.h"
#include "platform/ui/window_services.h"
#include "suite/grid/qzgridcontrols.h"
#include "suite/grid/qzinplace.h"
#include "support/environment.h"
#include "support/suite/qzgrid_fixture.h"

namespace {

using QzTitles = QzGridTest;

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
    shot.SaveToFile(TestRunPath("qzgrid_lookup_picture.png"));
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
    TqzInplaceEdit* editor = dynamic_cast<TqzInplaceEdit*>(Grid->InplaceEditor());
    ASSERT_TRUE(editor && editor->Visible());
    uint32_t style = GetWindowLong(editor, GWL_STYLE);
    EXPECT_TRUE(editor->WordWrap());
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_FALSE(style & (ES_AUTOHSCROLL | ES_WANTRETURN));
    SendKey(Grid, VK_END);
    Grid->ShowEditor();
    editor = dynamic_cast<TqzInplaceEdit*>(Grid->InplaceEditor());
    ASSERT_EQ(Grid->SelectedField()->FieldName(), "Url");
    style = GetWindowLong(editor, GWL_STYLE);
    EXPECT_FALSE(editor->WordWrap());
    EXPECT_TRUE(style & ES_AUTOHSCROLL);
    EXPECT_FALSE(style & ES_AUTOVSCROLL);
}

}  // namespace

TEST(QzRadioRoutines, ValuesFallBackToCaptionsAndCaptionsAreFoundByValue) {
    TStringList items, values;
    items.SetText("Open\nDone\nWaiting\nLater\n");
    values.SetText("O\n\nW\n");  // "Done" has an empty value, "Later" none
    std::string v = "stale";
    const std::pair<int, const char*> expected[] = {{0, "O"},     {1, "Done"}, {2, "W"},
                                                    {3, "Later"}, {4, ""},     {-1, ""}};
    for (const auto& [index, value] : expected) {
        qzGetRadioItemValue(items, &values, index, v);
        EXPECT_EQ(v, value) << index;
    }
    qzGetRadioItemValue(items, nullptr, 2, v);
    EXPECT_EQ(v, "Waiting");

    std::string caption = "stale";
    const std::pair<const char*, const char*> captions[] = {
        {"W", "Waiting"}, {"Done", "Done"}, {"Open", ""}, {"o", ""}, {"Later", "Later"}};
    for (const auto& [value, c] : captions) {
        qzGetRadioCaptionByValue(items, &values, value, caption);
        EXPECT_EQ(caption, c) << value;
    }
    // the first button with the value wins
    items.SetText("A\nB\n");
    values.SetText("x\nx\n");
    qzGetRadioCaptionByValue(items, &values, "x", caption);
    EXPECT_EQ(caption, "A");
}
