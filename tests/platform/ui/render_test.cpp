// Painting: self-painted controls through TCanvas, graphic children on their
// parent's window, frames, and rendering to a PNG.
#include <gtest/gtest.h>

#include "platform/core/files.h"
#include "platform/ui/drawing.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/window_services.h"
#include "support/ui/ui_probes.h"

namespace {

// A small chart: a framed cell, a check box, a line, an ellipse and text.
class TChart : public TCustomControl {
public:
    explicit TChart(TComponent* AOwner) : TCustomControl(AOwner) { SetColor(clCream); }
    TRect LastClip;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    }
    void Paint() override {
        TCanvas* c = Canvas();
        LastClip = c->ClipRect();
        c->Pen()->SetColor(clNavy);
        c->Brush()->SetColor(clYellow);
        c->Rectangle(10, 10, 70, 40);
        TRect box = Bounds(80, 10, 13, 13);
        DrawFrameControl(c, box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
        c->Pen()->SetColor(clRed);
        c->Pen()->SetWidth(3);
        c->MoveTo(10, 60);
        c->LineTo(150, 60);
        c->Pen()->SetWidth(1);
        c->Brush()->SetColor(clLime);
        c->Ellipse(110, 8, 150, 48);
        c->Brush()->SetColor(clHighlight);
        c->Font()->SetColor(clHighlightText);
        c->Font()->SetStyle({fsBold});
        c->TextOut(12, 70, "Taskmoor");
        TRect edge = Rect(100, 70, 150, 90);
        DrawEdge(c, edge, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
};

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        chart = new TChart(f.Form);
        chart->SetParent(f.Form);
        chart->SetBounds(5, 5, 164, 104);
        f.Show();
    }
    TShownForm f;
    TChart* chart = nullptr;
};

TEST_F(RenderTest, CustomControlPaintsThroughItsCanvas) {
    TBitmap shot;
    RenderControl(chart, &shot);
    ASSERT_EQ(shot.Width(), 164);
    ASSERT_EQ(shot.Height(), 104);
    TCanvas* c = shot.Canvas();
    // The client edge is two pixels, so client (x, y) lies at (x + 2, y + 2).
    EXPECT_EQ(c->Pixels(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(c->Pixels(1, 1), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(chart->ClientWidth(), 160);
    EXPECT_EQ(c->Pixels(2 + 5, 2 + 5), ColorToRGB(clCream));   // background
    EXPECT_EQ(c->Pixels(2 + 10, 2 + 10), ColorToRGB(clNavy));  // rectangle outline
    EXPECT_EQ(c->Pixels(2 + 69, 2 + 39), ColorToRGB(clNavy));
    EXPECT_EQ(c->Pixels(2 + 70, 2 + 39), ColorToRGB(clCream));
    EXPECT_EQ(c->Pixels(2 + 40, 2 + 25), ColorToRGB(clYellow));     // inside
    EXPECT_EQ(c->Pixels(2 + 130, 2 + 28), ColorToRGB(clLime));      // ellipse centre
    EXPECT_EQ(c->Pixels(2 + 50, 2 + 60), ColorToRGB(clRed));        // thick line
    EXPECT_EQ(c->Pixels(2 + 12, 2 + 70), ColorToRGB(clHighlight));  // text background
    EXPECT_EQ(c->Pixels(2 + 101, 2 + 71), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(chart->LastClip, chart->ClientRect());
    EXPECT_TRUE(RenderControlToPng(chart, GetTempDir() + "taskmoor_chart.png"));
    EXPECT_TRUE(FileExists(GetTempDir() + "taskmoor_chart.png"));
}

TEST_F(RenderTest, GraphicChildPaintsOnItsParentsWindow) {
    auto* dot = new TGraphicProbe(f.Form, chart);
    dot->SetBounds(20, 80, 10, 10);
    dot->Fill = clFuchsia;
    TBitmap shot;
    RenderControl(chart, &shot);
    EXPECT_EQ(shot.Canvas()->Pixels(2 + 20, 2 + 80), ColorToRGB(clFuchsia));
    EXPECT_EQ(shot.Canvas()->Pixels(2 + 29, 2 + 89), ColorToRGB(clFuchsia));
    EXPECT_EQ(shot.Canvas()->Pixels(2 + 30, 2 + 89), ColorToRGB(clCream));
    // Rendering the child alone gives its own pixels.
    TBitmap alone;
    RenderControl(dot, &alone);
    EXPECT_EQ(alone.Width(), 10);
    EXPECT_EQ(alone.Canvas()->Pixels(0, 0), ColorToRGB(clFuchsia));
    dot->SetVisible(false);
    RenderControl(chart, &shot);
    EXPECT_EQ(shot.Canvas()->Pixels(2 + 25, 2 + 85), ColorToRGB(clCream));
}

TEST_F(RenderTest, WholeFormRendersWithItsChildren) {
    f.Form->SetColor(clSkyBlue);
    TBitmap shot;
    RenderControl(f.Form, &shot);
    EXPECT_EQ(shot.Width(), f.Form->ClientWidth());
    EXPECT_EQ(shot.Canvas()->Pixels(1, 1), ColorToRGB(clSkyBlue));
    EXPECT_EQ(shot.Canvas()->Pixels(5 + 2 + 40, 5 + 2 + 25), ColorToRGB(clYellow));
    EXPECT_TRUE(RenderControlToPng(f.Form, GetTempDir() + "taskmoor_form.png"));
}

TEST_F(RenderTest, CanvasOutsidePaintingMeasuresButDrawsNothing) {
    TCanvas* c = chart->Canvas();
    EXPECT_GT(c->TextWidth("Measure"), 10);
    c->Brush()->SetColor(clBlack);
    c->FillRect(chart->ClientRect());  // no effect outside a paint
    EXPECT_FALSE(c->HandleAllocated());
    TBitmap shot;
    RenderControl(chart, &shot);
    EXPECT_EQ(shot.Canvas()->Pixels(2 + 5, 2 + 5), ColorToRGB(clCream));
}

TEST_F(RenderTest, PaintToCopiesTheControlOntoACanvas) {
    TBitmap target;
    target.SetSize(200, 120);
    chart->PaintTo(target.Canvas(), 10, 10);
    EXPECT_EQ(target.Canvas()->Pixels(10 + 2 + 40, 10 + 2 + 25), ColorToRGB(clYellow));
    EXPECT_EQ(target.Canvas()->Pixels(5, 5), clWhite);
}

TEST_F(RenderTest, ColourChangeRepaintsWithTheNewColour) {
    chart->SetColor(clAqua);
    TBitmap shot;
    RenderControl(chart, &shot);
    EXPECT_EQ(shot.Canvas()->Pixels(2 + 5, 2 + 5), ColorToRGB(clAqua));
}

}  // namespace

namespace {

// A pane that paints only a frame, with the transparent window style when asked.
class TGlassPane : public TCustomControl {
public:
    TGlassPane(TComponent* AOwner, bool Transparent) : TCustomControl(AOwner), FTransparent(Transparent) {}

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        if (FTransparent) Params.ExStyle |= WS_EX_TRANSPARENT;
    }
    void Paint() override {
        Canvas()->Brush()->SetColor(clNavy);
        Canvas()->FrameRect(ClientRect());
    }

private:
    bool FTransparent;
};

TEST(TransparentWindowTest, WhatLiesUnderItIsPaintedFirst) {
    TShownForm f;
    auto* picture = new TPaintBox(f.Form);
    picture->SetParent(f.Form);
    picture->SetBounds(0, 0, 200, 100);
    int paints = 0;
    picture->SetOnPaint(TNotifyEvent([&](TObject*) { ++paints; }));
    auto* pane = new TGlassPane(f.Form, true);
    pane->SetParent(f.Form);
    pane->SetBounds(10, 10, 80, 40);
    f.Show();
    ProcessEvents();
    paints = 0;
    pane->Invalidate();
    ProcessEvents();
    EXPECT_GT(paints, 0);
    // Made opaque: the pane paints alone.
    SetWindowLong(pane, GWL_EXSTYLE, GetWindowLong(pane, GWL_EXSTYLE) & ~uint32_t(WS_EX_TRANSPARENT));
    ProcessEvents();
    paints = 0;
    pane->Invalidate();
    ProcessEvents();
    EXPECT_EQ(0, paints);
    // And back.
    SetWindowLong(pane, GWL_EXSTYLE, GetWindowLong(pane, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    ProcessEvents();
    paints = 0;
    pane->Invalidate();
    ProcessEvents();
    EXPECT_GT(paints, 0);
}

}  // namespace
