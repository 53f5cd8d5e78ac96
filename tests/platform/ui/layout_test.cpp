// Layout and inherited appearance: alignment, anchors, parent font and
// colour, and the published properties.
#include <gtest/gtest.h>

#include "platform/core/properties.h"
#include "support/ui/ui_probes.h"

namespace {

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.Form->SetClientWidth(400);
        f.Form->SetClientHeight(300);
    }
    TProbe* Child(TAlign align, int w, int h) {
        auto* p = new TProbe(f.Form, f.Form);
        p->SetBounds(0, 0, w, h);
        p->SetAlign(align);
        return p;
    }
    TShownForm f;
};

TEST_F(LayoutTest, AlignedControlsShareTheClientArea) {
    auto* top = Child(alTop, 10, 30);
    auto* bottom = Child(alBottom, 10, 20);
    auto* left = Child(alLeft, 50, 10);
    auto* right = Child(alRight, 60, 10);
    auto* client = Child(alClient, 1, 1);
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 400, 30));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 280, 400, 300));
    EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 50, 280));
    EXPECT_EQ(right->BoundsRect(), Rect(340, 30, 400, 280));
    EXPECT_EQ(client->BoundsRect(), Rect(50, 30, 340, 280));
    // They follow the form's size, and a hidden one gives its room away.
    f.Form->SetClientWidth(500);
    EXPECT_EQ(right->Left(), 440);
    EXPECT_EQ(client->Width(), 390);
    top->SetVisible(false);
    EXPECT_EQ(client->Top(), 0);
}

TEST(LoadingTest, AlignmentWaitsForTheEndOfLoading) {
    auto* form = new TForm(Application);
    form->BeginLoading();
    auto* top = new TProbe(form, form);
    top->SetBounds(0, 0, 10, 40);
    top->SetAlign(alTop);
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    EXPECT_EQ(top->Width(), 10);  // nothing aligned while loading
    form->EndLoading();
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 40));
    delete form;
}

TEST_F(LayoutTest, TwoTopControlsKeepTheirOrder) {
    auto* first = Child(alTop, 10, 20);
    auto* second = Child(alTop, 10, 25);
    EXPECT_EQ(first->Top(), 0);
    EXPECT_EQ(second->Top(), 20);
    second->SetTop(-5);  // moved above the first
    EXPECT_EQ(second->Top(), 0);
    EXPECT_EQ(first->Top(), 25);
}

TEST_F(LayoutTest, AnchorsKeepDistancesWhenTheParentResizes) {
    auto* stretch = Child(alNone, 100, 20);
    stretch->SetBounds(10, 10, 100, 20);
    stretch->SetAnchors({akLeft, akTop, akRight});
    auto* corner = Child(alNone, 30, 30);
    corner->SetBounds(360, 260, 30, 30);
    corner->SetAnchors({akRight, akBottom});
    auto* fixed = Child(alNone, 30, 30);
    fixed->SetBounds(5, 200, 30, 30);
    f.Form->SetClientWidth(500);
    f.Form->SetClientHeight(350);
    EXPECT_EQ(stretch->BoundsRect(), Rect(10, 10, 210, 30));
    EXPECT_EQ(corner->BoundsRect(), Rect(460, 310, 490, 340));
    EXPECT_EQ(fixed->BoundsRect(), Rect(5, 200, 35, 230));
    f.Form->SetClientWidth(400);  // and back
    EXPECT_EQ(stretch->Width(), 100);
    EXPECT_EQ(corner->Left(), 360);
}

TEST_F(LayoutTest, ResizeFiresOnResize) {
    auto* p = Child(alNone, 10, 10);
    int resizes = 0;
    p->SetOnResize(TNotifyEvent([&](TObject*) { ++resizes; }));
    p->SetBounds(0, 0, 20, 10);
    p->SetBounds(5, 5, 20, 10);  // moved only
    EXPECT_EQ(resizes, 1);
}

TEST_F(LayoutTest, ParentFontAndColourFlowDown) {
    auto* p = Child(alNone, 10, 10);
    p->SetParentColor(true);
    f.Form->Font()->SetName("Arial");
    f.Form->Font()->SetSize(12);
    EXPECT_TRUE(p->ParentFont());
    EXPECT_EQ(p->Font()->Name(), "Arial");
    EXPECT_EQ(p->Font()->Size(), 12);
    f.Form->SetColor(clCream);
    EXPECT_EQ(p->Color(), clCream);
    // A font of its own stops the inheritance.
    p->Font()->SetSize(9);
    EXPECT_FALSE(p->ParentFont());
    f.Form->Font()->SetSize(14);
    EXPECT_EQ(p->Font()->Size(), 9);
    p->SetColor(clRed);
    EXPECT_FALSE(p->ParentColor());
    f.Form->SetColor(clWindow);
    EXPECT_EQ(p->Color(), clRed);
}

TEST_F(LayoutTest, ChildrenMoveBetweenParents) {
    auto* panel = Child(alNone, 100, 100);
    auto* p = new TProbe(f.Form, f.Form);
    EXPECT_EQ(f.Form->ControlCount(), 2);
    p->SetParent(panel);
    EXPECT_EQ(f.Form->ControlCount(), 1);
    EXPECT_EQ(panel->Controls(0), p);
    EXPECT_TRUE(f.Form->ContainsControl(p));
    EXPECT_THROW(panel->SetParent(p), EInvalidOperation);  // no cycles
    EXPECT_THROW(panel->Controls(5), EListError);
    delete p;
    EXPECT_EQ(panel->ControlCount(), 0);
}

TEST_F(LayoutTest, ControlAtPosFindsTheTopmostVisibleChild) {
    auto* g1 = new TGraphicProbe(f.Form, f.Form);
    g1->SetBounds(0, 0, 50, 50);
    auto* g2 = new TGraphicProbe(f.Form, f.Form);
    g2->SetBounds(25, 25, 50, 50);
    EXPECT_EQ(f.Form->ControlAtPos({30, 30}, false), g2);
    g1->BringToFront();
    EXPECT_EQ(f.Form->ControlAtPos({30, 30}, false), g1);
    g1->SetEnabled(false);
    EXPECT_EQ(f.Form->ControlAtPos({30, 30}, false), g2);
    EXPECT_EQ(f.Form->ControlAtPos({30, 30}, true), g1);
    EXPECT_EQ(f.Form->ControlAtPos({300, 200}, true), nullptr);
}

TEST_F(LayoutTest, PublishedPropertiesReadAndWriteByName) {
    auto* p = Child(alNone, 10, 10);
    SetOrdProp(p, "Left", 33);
    EXPECT_EQ(p->Left(), 33);
    SetEnumProp(p, "Align", "alBottom");
    EXPECT_EQ(p->Align(), alBottom);
    EXPECT_EQ(GetSetProp(p, "Anchors"), "[akLeft,akTop]");
    EXPECT_EQ(GetObjectProp(p, "Font"), p->Font());
    EXPECT_EQ(GetOrdProp(p, "TabStop"), 1);
    EXPECT_EQ(GetPropInfo(p, "Color")->TypeName, "TColor");
    EXPECT_TRUE(IsPublishedProp(f.Form, "KeyPreview"));
    SetStrProp(f.Form, "Caption", "Brindlecote Taskmoor");
    EXPECT_EQ(f.Form->Caption(), "Brindlecote Taskmoor");
    EXPECT_EQ(GetStrProp(p->Font(), "Name"), "MS Sans Serif");
}

// A control that reserves a strip along its top, as a menu bar would.
class TStrip : public TProbe {
public:
    using TProbe::TProbe;
    void Reserve(int h) { SetNonClientMargins(Rect(0, h, 0, 0)); }
};

TEST_F(LayoutTest, NonClientMarginsShrinkTheClientAreaAndShiftChildren) {
    auto* host = new TStrip(f.Form, f.Form);
    host->SetBounds(10, 10, 200, 100);
    auto* inner = new TProbe(f.Form, host);
    inner->SetAlign(alClient);
    f.Show();
    const TPoint before = inner->ClientToScreen({0, 0});
    host->Reserve(20);
    EXPECT_EQ(host->ClientHeight(), 80);
    EXPECT_EQ(inner->BoundsRect(), Rect(0, 0, 200, 80));
    EXPECT_EQ(inner->ClientToScreen({0, 0}), (TPoint{before.X, before.Y + 20}));
    // Painting keeps off the reserved strip.
    inner->Fill = clBlue;
    TBitmap shot;
    RenderControl(host, &shot);
    EXPECT_EQ(shot.Canvas()->Pixels(5, 25), clBlue);
    EXPECT_NE(shot.Canvas()->Pixels(5, 5), clBlue);
}

TEST_F(LayoutTest, ScrollByMovesTheChildrenWithoutAligningThem) {
    auto* p = Child(alNone, 20, 20);
    p->SetBounds(50, 60, 20, 20);
    auto* top = Child(alTop, 10, 30);
    f.Form->ScrollBy(-5, 10);
    EXPECT_EQ(p->BoundsRect(), Rect(45, 70, 65, 90));
    EXPECT_EQ(top->Top(), 10);
}

TEST_F(LayoutTest, RecreatingTheWindowKeepsChildrenAndState) {
    auto* p = Child(alNone, 20, 20);
    auto* inner = new TProbe(f.Form, p);
    inner->SetBounds(2, 3, 10, 10);
    f.Show();
    p->SetFocus();
    p->RecreateWnd();
    EXPECT_TRUE(p->HandleAllocated());
    EXPECT_TRUE(inner->HandleAllocated());
    EXPECT_TRUE(p->Showing());
    EXPECT_TRUE(inner->Showing());
    EXPECT_TRUE(p->Focused());
    EXPECT_EQ(inner->ClientToScreen({0, 0}), p->ClientToScreen({2, 3}));
}

TEST_F(LayoutTest, CursorOfTheScreenOverridesAndRestores) {
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    Screen->SetCursor(crSQLWait);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

}  // namespace
