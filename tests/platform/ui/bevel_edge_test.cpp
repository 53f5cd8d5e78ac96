// The bevelled edge of windowed controls: its lines on the chosen edges
// and the room it takes from the client area, on a self-painted control
// and on a wrapped edit. The pictures stay in the test's folder.
#include <gtest/gtest.h>
#include "support/environment.h"

#include <QWidget>
#include <string>

#include "platform/core/properties.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "support/ui/ui_probes.h"

namespace {

struct TShot {
    TBitmap Bitmap;
    TColor At(int X, int Y) { return Bitmap.Canvas()->Pixels(X, Y); }
};

void Render(TWinControl* Control, const std::string& Name, TShot& Shot) {
    ASSERT_TRUE(RenderControlToPng(Control, TestRunPath(Name)));
    RenderControl(Control, &Shot.Bitmap);
}

const TColor Shadow = ColorToRGB(clBtnShadow), Light = ColorToRGB(clBtnHighlight);

TEST(BevelEdgeTest, EachKindDrawsItsLinesAndInsetsTheClientArea) {
    TShownForm f;
    auto* p = new TProbe(f.Form, f.Form);
    p->Fill = clWhite;
    p->SetBounds(10, 10, 80, 40);
    f.Show();
    EXPECT_EQ(p->ClientRect(), Rect(0, 0, 80, 40));
    // Tile and soft: a lowered outer line and a raised inner one.
    for (const TBevelKind kind : {bkTile, bkSoft}) {
        p->SetBevelKind(kind);
        EXPECT_EQ(p->ClientRect(), Rect(0, 0, 76, 36));
        TShot s;
        Render(p, kind == bkTile ? "bevel_tile.png" : "bevel_soft.png", s);
        EXPECT_EQ(s.At(0, 20), Shadow);
        EXPECT_EQ(s.At(40, 0), Shadow);
        EXPECT_EQ(s.At(79, 20), Light);
        EXPECT_EQ(s.At(40, 39), Light);
        EXPECT_EQ(s.At(1, 20), Light);
        EXPECT_EQ(s.At(78, 20), Shadow);
        EXPECT_EQ(s.At(40, 38), Shadow);
        EXPECT_EQ(s.At(40, 20), clWhite);
    }
    // Flat: one dark line; the client area gives up one pixel a side.
    p->SetBevelKind(bkFlat);
    EXPECT_EQ(p->ClientRect(), Rect(0, 0, 78, 38));
    TShot flat;
    Render(p, "bevel_flat.png", flat);
    EXPECT_EQ(flat.At(0, 20), Shadow);
    EXPECT_EQ(flat.At(79, 20), Shadow);
    EXPECT_EQ(flat.At(40, 39), Shadow);
    EXPECT_EQ(flat.At(1, 20), clWhite);
    // None again: no edge, the whole client area back.
    p->SetBevelKind(bkNone);
    EXPECT_EQ(p->ClientRect(), Rect(0, 0, 80, 40));
    TShot none;
    Render(p, "bevel_none.png", none);
    EXPECT_EQ(none.At(0, 20), clWhite);
}

TEST(BevelEdgeTest, OnlyTheChosenEdgesAndCutsAreDrawn) {
    TShownForm f;
    auto* p = new TProbe(f.Form, f.Form);
    p->Fill = clWhite;
    p->SetBounds(10, 10, 80, 40);
    f.Show();
    p->SetBevelKind(bkTile);
    p->SetBevelEdges({beTop, beBottom});
    p->SetBevelInner(bvNone);
    p->SetBevelOuter(bvRaised);
    EXPECT_EQ(p->ClientRect(), Rect(0, 0, 80, 38));
    TShot s;
    Render(p, "bevel_top_bottom.png", s);
    EXPECT_EQ(s.At(40, 0), Light);
    EXPECT_EQ(s.At(40, 39), Shadow);
    EXPECT_EQ(s.At(40, 1), clWhite);
    EXPECT_EQ(s.At(0, 20), clWhite);
    EXPECT_EQ(s.At(79, 20), clWhite);
    // Both cuts off: nothing to draw, nothing taken.
    p->SetBevelOuter(bvNone);
    EXPECT_EQ(p->ClientRect(), Rect(0, 0, 80, 40));
    // The properties read and write by name where a control publishes them.
    EXPECT_EQ(GetObjectProp(p, "Constraints"), p->Constraints());
}

TEST(BevelEdgeTest, AWrappedEditKeepsItsTextInsideTheEdge) {
    TShownForm f;
    auto* e = new TEdit(f.Form);
    e->SetParent(f.Form);
    e->SetBounds(10, 10, 120, 24);
    e->SetColor(clWhite);
    e->SetBorderStyle(bsNone);
    e->SetText("WWWW");
    f.Show();
    const int h = e->Height();
    e->SetBevelKind(bkTile);
    EXPECT_EQ(e->ClientRect(), Rect(0, 0, 116, h - 4));
    TShot s;
    Render(e, "bevel_edit.png", s);
    for (int y = 2; y < h - 2; ++y) {
        EXPECT_EQ(s.At(0, y), Shadow) << y;
        EXPECT_EQ(s.At(1, y), Light) << y;
        EXPECT_EQ(s.At(119, y), Light) << y;
        EXPECT_EQ(s.At(118, y), Shadow) << y;
    }
    EXPECT_EQ(s.At(60, 0), Shadow);
    EXPECT_EQ(s.At(60, h - 1), Light);
    // The widget's text lies inside the edge, not under it.
    EXPECT_EQ(e->Widget()->contentsRect(), QRect(2, 2, 116, h - 4));
    EXPECT_NE(s.At(60, h / 2), Shadow);
    // Taking the edge off gives the widget its whole rectangle back.
    e->SetBevelKind(bkNone);
    EXPECT_EQ(e->Widget()->contentsRect(), QRect(0, 0, 120, h));
    EXPECT_EQ(e->Text(), "WWWW");
}

}  // namespace

namespace {

TEST(BevelEdgeTest, AMemoKeepsItsFrameAndScrollBarsInsideTheEdge) {
    TShownForm f;
    auto* m = new TMemo(f.Form);
    m->SetParent(f.Form);
    m->SetBounds(10, 10, 120, 60);
    m->SetColor(clWhite);
    m->SetScrollBars(ssVertical);
    m->Lines()->SetText("one\ntwo\nthree\nfour\nfive\nsix\nseven");
    f.Show();
    m->SetBevelKind(bkFlat);
    TShot s;
    Render(m, "bevel_memo.png", s);
    EXPECT_EQ(s.At(0, 30), Shadow);
    EXPECT_EQ(s.At(119, 30), Shadow);
    EXPECT_EQ(s.At(60, 0), Shadow);
    EXPECT_EQ(s.At(60, 59), Shadow);
    EXPECT_EQ(m->Lines()->Count(), 7);
}

}  // namespace

namespace {

// BorderWidth keeps room in the control's colour inside the bevelled edge;
// the client area shrinks by it on every side.
TEST(BevelEdgeTest, BorderWidthKeepsRoomInsideTheEdgeInTheControlsColour) {
    TShownForm f;
    auto* p = new TProbe(f.Form, f.Form);
    p->Fill = clWhite;
    p->SetColor(clYellow);
    p->SetBounds(10, 10, 80, 40);
    f.Show();
    const TPoint origin = p->ClientOrigin();
    p->SetBorderWidth(5);
    EXPECT_EQ(p->ClientRect(), Rect(0, 0, 70, 30));
    EXPECT_EQ(p->ClientOrigin(), (TPoint{origin.X + 5, origin.Y + 5}));
    TShot s;
    Render(p, "border_width.png", s);
    for (const TPoint at : {TPoint{0, 20}, TPoint{4, 20}, TPoint{75, 20}, TPoint{79, 20}, TPoint{40, 0},
                            TPoint{40, 4}, TPoint{40, 35}, TPoint{40, 39}})
        EXPECT_EQ(s.At(at.X, at.Y), clYellow) << at.X << "," << at.Y;
    for (const TPoint at : {TPoint{5, 20}, TPoint{74, 20}, TPoint{40, 5}, TPoint{40, 34}})
        EXPECT_EQ(s.At(at.X, at.Y), clWhite) << at.X << "," << at.Y;
    // With a tiled edge the room lies inside it.
    p->SetBevelKind(bkTile);
    EXPECT_EQ(p->ClientRect(), Rect(0, 0, 66, 26));
    TShot tiled;
    Render(p, "border_width_tile.png", tiled);
    EXPECT_EQ(tiled.At(0, 20), Shadow);
    EXPECT_EQ(tiled.At(1, 20), Light);
    EXPECT_EQ(tiled.At(2, 20), clYellow);
    EXPECT_EQ(tiled.At(6, 20), clYellow);
    EXPECT_EQ(tiled.At(7, 20), clWhite);
    EXPECT_EQ(tiled.At(72, 20), clWhite);
    EXPECT_EQ(tiled.At(73, 20), clYellow);
    // A width below 0 is not taken; 0 gives the room back.
    p->SetBorderWidth(-3);
    EXPECT_EQ(p->BorderWidth(), 5);
    p->SetBevelKind(bkNone);
    p->SetBorderWidth(0);
    EXPECT_EQ(p->ClientRect(), Rect(0, 0, 80, 40));
    TShot none;
    Render(p, "border_width_none.png", none);
    EXPECT_EQ(none.At(0, 20), clWhite);
}

// A panel's BorderWidth stays its own: drawn between its bevels inside the
// client area, whichever type the caller holds it by.
TEST(BevelEdgeTest, APanelsBorderWidthStaysBetweenItsBevels) {
    TShownForm f;
    auto* panel = new TPanel(f.Form);
    panel->SetParent(f.Form);
    panel->SetBounds(10, 10, 100, 60);
    panel->SetCaption("");
    auto* child = new TProbe(f.Form, panel);
    child->SetAlign(alClient);
    f.Show();
    TWinControl* held = panel;
    held->SetBorderWidth(4);
    EXPECT_EQ(panel->BorderWidth(), 4);
    EXPECT_EQ(GetOrdProp(panel, "BorderWidth"), 4);
    EXPECT_EQ(panel->ClientRect(), Rect(0, 0, 100, 60));
    // the raised outer bevel (1) and the border (4) around the aligned child
    EXPECT_EQ(child->BoundsRect(), Rect(5, 5, 95, 55));
}

}  // namespace
