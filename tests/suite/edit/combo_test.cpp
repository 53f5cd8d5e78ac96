// The drop-down edit base: the button, its placement and looks, and opening
// and closing by button, keys and mouse.
#include "platform/db/dataset.h"
#include "platform/ui/drawing.h"
#include "platform/ui/popup_window.h"
#include "suite/edit/qzdbcombo.h"
#include "support/suite/edit_fixture.h"
#include "support/suite/glyph_pixels.h"

namespace {

// A descendant that shows a list window under itself.
class TTestDropEdit : public TqzDBCustomCombo {
public:
    explicit TTestDropEdit(TComponent* AOwner) : TqzDBCustomCombo(AOwner), List(AOwner) {}
    void DropDown() override {
        if (IsDroppedDown()) return;
        ++Opens;
        List.SetOwnerControl(this);
        const TPoint p = ClientToScreen({0, Height()});
        List.ShowAt(p.X, p.Y, Width(), 60);
        SetDroppedDown(true);
        WatchDropDown({&List});
    }
    void CloseUp(bool Accept) override {
        if (!IsDroppedDown()) return;
        Closes.push_back(Accept);
        List.ClosePopup();
        SetDroppedDown(false);
        StopWatchingDropDown();
        TqzDBCustomCombo::CloseUp(Accept);
    }
    using TqzDBCustomCombo::SetDropDownList;
    using TqzDBCustomCombo::SetOnDropDownEvent;
    TPopupWindow List;
    int Opens = 0;
    std::vector<bool> Closes;
};

class TEventCombo : public TqzDBCustomCombo {
public:
    using TqzDBCustomCombo::SetOnDropDownEvent;
    using TqzDBCustomCombo::TqzDBCustomCombo;
};

class ComboTest : public EditTest {
protected:
    TTestDropEdit* Make(int Top = 10) {
        auto* e = new TTestDropEdit(&Form);
        e->SetParent(&Form);
        e->SetBounds(10, Top, 160, 24);
        return e;
    }
    void Settle() { ProcessEvents(); }
};

TEST_F(ComboTest, ButtonWidthZeroIsTheScrollBarWidthAtLeast15AndTheButtonSitsAtTheRight) {
    auto* e = Make();
    ShowAndFocus(e);
    const int automatic = std::max(GetSystemMetrics(SM_CXVSCROLL), 15);
    EXPECT_EQ(e->Button()->Width(), automatic);
    EXPECT_EQ(e->ButtonHost()->Left() + e->ButtonHost()->Width(), e->ClientWidth());
    e->SetButtonWidth(30);
    EXPECT_EQ(e->Button()->Width(), 30);
    EXPECT_EQ(e->ButtonHost()->Left(), e->ClientWidth() - 30);
    EXPECT_EQ(e->GetEditRect().Right, e->ButtonHost()->Left());
    e->SetButtonWidth(0);
    EXPECT_EQ(e->Button()->Width(), automatic);
    e->SetShowButton(false);
    EXPECT_FALSE(e->GetShowButton());
    EXPECT_EQ(e->GetEditRect().Right, e->ClientWidth());
}

TEST_F(ComboTest, KeysOpenAndClose) {
    auto* e = Make();
    ShowAndFocus(e);
    SendKey(e, VK_F4);
    EXPECT_TRUE(e->IsDroppedDown());
    EXPECT_TRUE(e->List.Showing());
    EXPECT_TRUE(e->Focused());  // the list does not take the focus
    SendKey(e, VK_F4);
    EXPECT_FALSE(e->IsDroppedDown());
    EXPECT_FALSE(e->List.Showing());
    SendKey(e, VK_DOWN, {ssAlt});
    EXPECT_TRUE(e->IsDroppedDown());
    SendKey(e, VK_UP, {ssAlt});
    EXPECT_FALSE(e->IsDroppedDown());
    EXPECT_EQ(e->Closes, (std::vector<bool>{true, true}));

    e->SetModified(false);
    SendKey(e, VK_F4);
    SendKey(e, VK_ESCAPE);  // discards
    EXPECT_FALSE(e->IsDroppedDown());
    EXPECT_FALSE(e->Closes.back());
    EXPECT_FALSE(e->Modified());
    SendKey(e, VK_F4);
    SendKey(e, VK_RETURN);  // accepts and marks the edit modified
    EXPECT_FALSE(e->IsDroppedDown());
    EXPECT_TRUE(e->Closes.back());
    EXPECT_TRUE(e->Modified());
    EXPECT_EQ(e->Opens, 4);
}

TEST_F(ComboTest, TheButtonOpensAndClosesAndAClickElsewhereCloses) {
    auto* e = Make();
    ShowAndFocus(Other);
    TqzComboButton* b = e->Button();
    SendClick(b, 3, 3);  // takes the focus and opens
    EXPECT_TRUE(e->Focused());
    EXPECT_TRUE(e->IsDroppedDown());
    SendClick(b, 3, 3);
    EXPECT_FALSE(e->IsDroppedDown());
    SendClick(b, 3, 3);
    ASSERT_TRUE(e->IsDroppedDown());
    SendClick(&e->List, 5, 5);  // inside its own list: stays open
    Settle();
    EXPECT_TRUE(e->IsDroppedDown());
    SendClick(Other, 5, 5);
    Settle();
    EXPECT_FALSE(e->IsDroppedDown());
    EXPECT_TRUE(e->Closes.back());
}

TEST_F(ComboTest, OpeningASecondDropDownClosesTheFirst) {
    auto* a = Make(10);
    auto* b = Make(120);  // below a's list
    ShowAndFocus(a);
    SendKey(a, VK_F4);
    ASSERT_TRUE(a->IsDroppedDown());
    EXPECT_TRUE(WatchesOutsideClicks(a));
    SendClick(b->Button(), 3, 3);
    Settle();
    EXPECT_FALSE(a->IsDroppedDown());
    EXPECT_TRUE(b->IsDroppedDown());
    SendClick(Other, 3, 20);  // below b's list
    Settle();
    EXPECT_FALSE(b->IsDroppedDown());
    EXPECT_EQ(OutsideClickWatchCount(), 0);
}

TEST_F(ComboTest, AListOnlyEditOpensOnAnyClickInItsText) {
    auto* e = Make();
    e->SetDropDownList(true);
    ShowAndFocus(Other);
    EXPECT_FALSE(e->IsEditPainted());
    SendClick(e, 20, 8);
    EXPECT_TRUE(e->Focused());
    EXPECT_TRUE(e->IsDroppedDown());
    EXPECT_TRUE(e->IsEditPainted());
    SendClick(e, 40, 8);
    EXPECT_FALSE(e->IsDroppedDown());
}

TEST_F(ComboTest, TheBaseDropDownRunsTheEventDroppedDownAndEditsTheRecord) {
    auto* e = new TEventCombo(&Form);
    e->SetParent(&Form);
    e->SetBounds(10, 10, 160, 24);
    e->SetDataSource(&Src);
    e->SetDataField("Code");
    ShowAndFocus(e);
    // No event: nothing opens.
    SendKey(e, VK_F4);
    EXPECT_FALSE(e->IsDroppedDown());
    bool during = false;
    e->SetOnDropDownEvent(TNotifyEvent([&](TObject*) { during = e->IsDroppedDown(); }));
    SendKey(e, VK_F4);
    EXPECT_TRUE(during);
    EXPECT_FALSE(e->IsDroppedDown());
    EXPECT_NE(T.State(), dsBrowse);  // the empty table inserts
}

TEST_F(ComboTest, ButtonStylesDrawEllipsisArrowOrNothing) {
    auto* e = Make();
    ShowAndFocus(Other);
    auto blacks = [&] {
        TBitmap shot;
        RenderControl(e->Button(), &shot);
        int n = 0;
        for (int y = 0; y < shot.Height(); ++y)
            for (int x = 0; x < shot.Width(); ++x) n += shot.Canvas()->Pixels(x, y) == clBlack;
        return n;
    };
    EXPECT_GT(blacks(), 0);  // three dots
    EXPECT_TRUE(RenderControlToPng(e, PngPath("combo_ellipsis")));
    e->SetButtonStyle(cbsDownArrow);
    EXPECT_GT(blacks(), 0);
    EXPECT_TRUE(RenderControlToPng(e, PngPath("combo_arrow")));
    e->SetButtonStyle(cbsCustom);
    EXPECT_EQ(blacks(), 0);
    EXPECT_TRUE(RenderControlToPng(e, PngPath("combo_custom")));
    e->SetButtonStyle(cbsDownArrow);
    e->ButtonEffects()->SetFlat(true);
    e->ButtonEffects()->Refresh();
    EXPECT_FALSE(e->ButtonGlyph()->Empty());  // the arrow bitmap for flat effects
    EXPECT_TRUE(RenderControlToPng(e, PngPath("combo_flat_arrow")));
    SendKey(Other, VK_TAB);
    e->SetFocus();
    SendKey(e, VK_F4);
    EXPECT_TRUE(RenderControlToPng(e, PngPath("combo_dropped")));
    SendKey(e, VK_F4);
}

TEST_F(ComboTest, TheFlatDropDownArrowShowsItsShapeInEveryState) {
    auto* e = Make();
    ShowAndFocus(Other);
    e->SetButtonStyle(cbsDownArrow);
    e->ButtonEffects()->SetFlat(true);
    e->ButtonEffects()->Refresh();
    TqzComboButton* b = e->Button();
    ExpectArrowGlyph(b, false, "flat");
    EXPECT_TRUE(RenderControlToPng(b, PngPath("dropdown_glyph_flat")));
    b->Perform(CM_MOUSEENTER);
    ExpectArrowGlyph(b, false, "flat_hot");
    EXPECT_TRUE(RenderControlToPng(b, PngPath("dropdown_glyph_flat_hot")));
    SendMouseDown(b, mbLeft, 3, 3);
    ExpectArrowGlyph(b, false, "pressed");
    EXPECT_TRUE(RenderControlToPng(b, PngPath("dropdown_glyph_pressed")));
    SendMouseUp(b, mbLeft, 3, 3);
    if (e->IsDroppedDown()) e->CloseUp(false);
    b->Perform(CM_MOUSELEAVE);
    e->SetEnabled(false);
    b->SetEnabled(false);
    ExpectArrowGlyph(b, false, "disabled");
    EXPECT_TRUE(RenderControlToPng(b, PngPath("dropdown_glyph_disabled")));
}

}  // namespace

namespace {

// Escape or Enter closing the list is the list's key: the edit keeps the
// text typed before it opened and its modified state.
TEST_F(ComboTest, KeyClosingTheListKeepsTheTypedText) {
    for (uint16_t key : {VK_ESCAPE, VK_RETURN}) {
        SCOPED_TRACE(key);
        auto* e = Make();
        e->SetDataSource(&Src);
        e->SetDataField("Code");
        ShowAndFocus(e);
        SendText(e, "Xyz");
        SendKey(e, VK_F4);
        ASSERT_TRUE(e->IsDroppedDown());
        SendKey(e, key);
        ProcessEvents();
        EXPECT_FALSE(e->IsDroppedDown());
        EXPECT_EQ("Xyz", e->Text());
        EXPECT_TRUE(e->Modified());
        EXPECT_TRUE(e->Focused());
        T.Cancel();
        delete e;
    }
}

}  // namespace
