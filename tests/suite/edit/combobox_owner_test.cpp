// The combo box's published list reached by name (properties with their
// types and defaults, events set by name and fired by the control), and the
// edit part of the owner-draw styles drawn by OnDrawItem.
#include <vector>

#include "platform/core/properties.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/menus.h"
#include "suite/edit/qzdbcombobox.h"
#include "support/environment.h"
#include "support/suite/edit_fixture.h"

namespace {

class ComboBoxOwnerTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        Env.Set("TASKMOOR_CONFIG_DIR", Env.Folder().c_str());
    }
    TqzDBComboBox* Make(const std::vector<std::string>& Items) {
        auto* c = new TqzDBComboBox(&Form);
        c->SetParent(&Form);
        c->SetBounds(10, 10, 160, 24);
        for (const std::string& s : Items) c->Items()->Add(s);
        return c;
    }
    static int CountColour(TBitmap& B, TColor C) {
        int n = 0;
        for (int y = 0; y < B.Height(); ++y)
            for (int x = 0; x < B.Width(); ++x)
                if (B.Canvas()->Pixels(x, y) == ColorToRGB(C)) ++n;
        return n;
    }
    TTestEnvironment Env;
};

TEST_F(ComboBoxOwnerTest, ThePublishedListIsReachedByNameWithItsTypesAndDefaults) {
    TqzDBComboBox* c = Make({"Apple", "Banana"});
    struct Expected {
        const char* Name;
        const char* Type;
    };
    for (const Expected& e :
         {Expected{"ShowButton", "Boolean"}, Expected{"AutoFillDate", "Boolean"},
          Expected{"UsePictureMask", "Boolean"}, Expected{"PopupMenu", "TPopupMenu"},
          Expected{"OnAddHistoryItem", "TqzAddHistoryItemEvent"},
          Expected{"OnCheckValue", "TqzValidateEvent"}, Expected{"OnDrawItem", "TDrawItemEvent"},
          Expected{"OnMeasureItem", "TMeasureItemEvent"}}) {
        const TPropInfo* info = GetPropInfo(c, e.Name);
        ASSERT_NE(nullptr, info) << e.Name;
        EXPECT_EQ(e.Type, info->TypeName) << e.Name;
        EXPECT_TRUE(info->IsWritable()) << e.Name;
    }
    // The rest of the list's own properties are there too.
    for (const char* name : {"Controller", "DisableThemes", "LimitEditRect", "UnboundDataType",
                             "UnboundAlignment", "DataSource", "DataField", "Picture", "Frame"})
        EXPECT_NE(nullptr, GetPropInfo(c, name)) << name;
    EXPECT_EQ(0, GetOrdProp(c, "LimitEditRect"));
    EXPECT_EQ("taLeftJustify", GetEnumProp(c, "UnboundAlignment"));
    // Defaults as a new combo has them.
    EXPECT_EQ(1, GetOrdProp(c, "ShowButton"));
    EXPECT_EQ(1, GetOrdProp(c, "AutoFillDate"));
    EXPECT_EQ(1, GetOrdProp(c, "UsePictureMask"));
    EXPECT_EQ(nullptr, GetObjectProp(c, "PopupMenu"));
    for (const char* e : {"OnAddHistoryItem", "OnCheckValue", "OnDrawItem", "OnMeasureItem"})
        EXPECT_FALSE(GetMethodProp(c, e).Assigned()) << e;

    // Written by name, the control follows.
    SetOrdProp(c, "ShowButton", 0);
    EXPECT_FALSE(c->ButtonHost()->Visible());
    c->SetStyle(csDropDownList);
    SetEnumProp(c, "ShowButton", "True");
    EXPECT_TRUE(c->ButtonHost()->Visible());
    c->SetStyle(csSimple);
    EXPECT_EQ("False", GetEnumProp(c, "ShowButton"));
    SetOrdProp(c, "AutoFillDate", 0);
    EXPECT_FALSE(c->AutoFillDate());
    SetOrdProp(c, "UsePictureMask", 0);
    EXPECT_FALSE(c->UsePictureMask());
    TPopupMenu menu(&Form);
    SetObjectProp(c, "PopupMenu", &menu);
    EXPECT_EQ(&menu, c->PopupMenu());
    EXPECT_EQ(&menu, GetObjectProp(c, "PopupMenu"));
    EXPECT_THROW(SetObjectProp(c, "PopupMenu", &Form), EPropertyError);
    EXPECT_EQ(&menu, c->PopupMenu());
    SetObjectProp(c, "PopupMenu", nullptr);
    EXPECT_EQ(nullptr, c->PopupMenu());
    // An event of another type is refused.
    EXPECT_THROW(SetMethodProp(c, "OnDrawItem", TNotifyEvent([](TObject*) {})), EPropertyError);
}

TEST_F(ComboBoxOwnerTest, EventsSetByNameFireFromTheControl) {
    TqzDBComboBox* c = Make({"Apple", "Banana"});
    c->HistoryList()->SetEnabled(true);
    // The history asks OnAddHistoryItem; this one refuses "secret".
    std::vector<std::string> asked;
    SetMethodProp(c, "OnAddHistoryItem",
                  TqzAddHistoryItemEvent([&](TqzDBCustomComboBox*, const std::string& Value, bool& Accept) {
                      asked.push_back(Value);
                      Accept = Value != "secret";
                  }));
    EXPECT_TRUE(GetEventProp<TqzAddHistoryItemEvent>(c, "OnAddHistoryItem").Assigned());
    ShowAndFocus(c);
    SendText(c, "secret");
    SendKey(c, VK_RETURN);
    c->SelectAll();
    SendText(c, "plain");
    SendKey(c, VK_RETURN);
    EXPECT_EQ((std::vector<std::string>{"secret", "plain"}), asked);
    EXPECT_EQ(-1, c->HistoryList()->Entries()->IndexOf("secret"));
    EXPECT_NE(-1, c->HistoryList()->Entries()->IndexOf("plain"));

    // OnCheckValue hears each validation of the text against the picture.
    std::vector<bool> checks;
    SetMethodProp(c, "OnCheckValue",
                  TqzValidateEvent([&](TObject*, bool Passes) { checks.push_back(Passes); }));
    c->Picture()->SetPictureMask("###");
    c->ValidateText("12x");
    c->ValidateText("123");
    EXPECT_EQ((std::vector<bool>{false, true}), checks);

    // OnMeasureItem set by name measures the rows of a variable list.
    std::vector<int> measured;
    SetMethodProp(c, "OnMeasureItem", TMeasureItemEvent([&](TWinControl*, int Index, int& Height) {
                      measured.push_back(Index);
                      Height = 20 + Index;
                  }));
    c->SetStyle(csOwnerDrawVariable);
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    ProcessEvents();
    EXPECT_FALSE(measured.empty());
    SendKey(c, VK_ESCAPE);
    delete c;  // before the handlers' captures go
}

TEST_F(ComboBoxOwnerTest, TheOwnerDrawsTheEditPartOfTheOwnerDrawStyles) {
    TqzDBComboBox* c = Make({"Red", "Green", "Blue"});
    c->SetStyle(csOwnerDrawFixed);
    const TColor swatch[] = {clRed, clLime, clBlue};
    struct Call {
        int Index;
        TOwnerDrawState State;
        bool HasCanvas;
        bool ListCanvas;
    };
    std::vector<Call> calls;
    SetMethodProp(
        c, "OnDrawItem", TDrawItemEvent([&](TWinControl* Control, int Index, TRect R, TOwnerDrawState State) {
            auto* combo = static_cast<TqzDBComboBox*>(Control);
            TCanvas* cv = combo->Canvas();
            calls.push_back({Index, State, cv != nullptr, combo->List() && cv == combo->List()->Canvas()});
            if (!cv || Index < 0) return;
            // A swatch at the left, the item's name after it.
            cv->Brush()->SetStyle(bsSolid);
            cv->Brush()->SetColor(swatch[Index]);
            cv->FillRect(Rect(R.Left + 2, R.Top + 2, R.Left + 40, R.Bottom - 2));
            cv->Brush()->SetStyle(bsClear);
            cv->TextOut(R.Left + 46, R.Top + 2, combo->Items()->Strings(Index));
        }));
    c->SetItemIndex(1);
    ShowAndFocus(Other);
    TBitmap shot;
    RenderControl(c, &shot);
    ASSERT_TRUE(RenderControlToPng(c, TestRunPath("combo_ownerdraw_unfocused.png")));
    // The edit part holds the owner's green swatch, drawn for item 1 as focused.
    EXPECT_GT(CountColour(shot, clLime), 200);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(1, calls.back().Index);
    EXPECT_EQ(TOwnerDrawState{odFocused}, calls.back().State);
    EXPECT_TRUE(calls.back().HasCanvas);
    EXPECT_FALSE(calls.back().ListCanvas);
    EXPECT_EQ(nullptr, c->Canvas());  // only while the event runs

    // Down on the closed list steps to Blue; the owner draws it.
    ShowAndFocus(c);
    SendKey(c, VK_DOWN);
    EXPECT_EQ(2, c->ItemIndex());
    ProcessEvents();
    RenderControl(c, &shot);
    ASSERT_TRUE(RenderControlToPng(c, TestRunPath("combo_ownerdraw_focused.png")));
    EXPECT_GT(CountColour(shot, clBlue), 200);
    EXPECT_EQ(0, CountColour(shot, clLime));

    // Open: the rows and the edit part are the owner's; the edit part is
    // cleared in the combo's colours first.
    calls.clear();
    SendKey(c, VK_F4);
    ASSERT_TRUE(c->IsDroppedDown());
    ProcessEvents();
    RenderControl(c, &shot);
    ASSERT_TRUE(RenderControlToPng(c, TestRunPath("combo_ownerdraw_open.png")));
    EXPECT_GT(CountColour(shot, clBlue), 200);
    EXPECT_GT(CountColour(shot, c->Color()), 200);
    TBitmap list;
    RenderControl(c->ListWindow(), &list);
    ASSERT_TRUE(RenderControlToPng(c->ListWindow(), TestRunPath("combo_ownerdraw_list.png")));
    EXPECT_GT(CountColour(list, clRed), 100);
    EXPECT_GT(CountColour(list, clLime), 100);
    bool edit = false, rows = false;
    for (const Call& k : calls) (k.ListCanvas ? rows : edit) = true;
    EXPECT_TRUE(edit);
    EXPECT_TRUE(rows);
    SendKey(c, VK_ESCAPE);
    EXPECT_FALSE(c->IsDroppedDown());
    delete c;  // before the handler's captures go
}

TEST_F(ComboBoxOwnerTest, WithoutOnDrawItemTheOwnerDrawStyleShowsItsText) {
    TqzDBComboBox* c = Make({"Red", "Green"});
    c->SetStyle(csOwnerDrawFixed);
    c->SetItemIndex(0);
    ShowAndFocus(Other);
    TBitmap shot;
    RenderControl(c, &shot);
    int ink = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 4; x < shot.Width() / 2; ++x) {
            const TColor p = shot.Canvas()->Pixels(x, y);
            if (GetRValue(p) + GetGValue(p) + GetBValue(p) < 200) ++ink;
        }
    EXPECT_GT(ink, 10);
}

}  // namespace
