// Edit frames, button effects and the controller: defaults, Assign, text
// offsets, effects set on a button by name, every frame style painted on a
// form, and the references a controller keeps.
#include <gtest/gtest.h>

#include "platform/ui/buttons.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzcontroller.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzeditframe.h"
#include "support/suite/suite_ui_support.h"
#include "support/ui/ui_probes.h"

namespace {

// A self-painted control with a frame, a controller and button effects, as
// the suite's edits publish them; it paints its frame in its colour.
class TFramedBox : public TCustomControl {
    TASKMOOR_CLASS(TFramedBox, TCustomControl)
public:
    explicit TFramedBox(TComponent* AOwner)
        : TCustomControl(AOwner),
          FFrame(new TqzEditFrame(this)),
          FEffects(new TqzButtonEffects(this, nullptr)) {
        SetColor(clWhite);
    }
    ~TFramedBox() override {
        qzSetController(FController, nullptr, this);
        delete FEffects;
        delete FFrame;
    }
    TqzEditFrame* Frame() const { return FFrame; }
    void SetFrame(TqzEditFrame* Value) { FFrame->Assign(Value); }
    TqzButtonEffects* ButtonEffects() const { return FEffects; }
    void SetButtonEffects(TqzButtonEffects* Value) { FEffects->Assign(Value); }
    TqzController* Controller() const { return FController; }
    void SetController(TqzController* Value) { qzSetController(FController, Value, this); }
    bool Focus = false;

    static void Publish(TPublisher<TFramedBox>& p) {
        p.Property("Frame", &TFramedBox::Frame, &TFramedBox::SetFrame);
        p.Property("ButtonEffects", &TFramedBox::ButtonEffects, &TFramedBox::SetButtonEffects);
        p.Property("Controller", &TFramedBox::Controller, &TFramedBox::SetController);
    }

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
        qzDrawEditFrame(this, FFrame, Canvas(), Focus);
    }

private:
    TqzEditFrame* FFrame;
    TqzButtonEffects* FEffects;
    TqzController* FController = nullptr;
};

// A control that publishes only "EditFrame".
class TEditFrameOnly : public TWinControl {
    TASKMOOR_CLASS(TEditFrameOnly, TWinControl)
public:
    explicit TEditFrameOnly(TComponent* AOwner) : TWinControl(AOwner), FFrame(new TqzEditFrame(this)) {}
    ~TEditFrameOnly() override { delete FFrame; }
    TqzEditFrame* EditFrame() const { return FFrame; }
    static void Publish(TPublisher<TEditFrameOnly>& p) {
        p.Property("EditFrame", &TEditFrameOnly::EditFrame);
    }

private:
    TqzEditFrame* FFrame;
};

// An embedded button as the combo button is: Flat and Transparent, the
// latter True from the start; Refresh counted by the effects below.
class TEmbeddedButton : public TGraphicControl {
    TASKMOOR_CLASS(TEmbeddedButton, TGraphicControl)
public:
    explicit TEmbeddedButton(TComponent* AOwner, bool Transparent) : TGraphicControl(AOwner) {
        FTransparent = Transparent;
    }
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value) { FFlat = Value; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value) { FTransparent = Value; }
    static void Publish(TPublisher<TEmbeddedButton>& p) {
        p.Property("Flat", &TEmbeddedButton::Flat, &TEmbeddedButton::SetFlat);
        p.Property("Transparent", &TEmbeddedButton::Transparent, &TEmbeddedButton::SetTransparent);
    }

private:
    bool FFlat = false;
    bool FTransparent = false;
};

// The buttons drawn in edits, each state side by side in 18 x 18 cells.
class TButtonStrip : public TCustomControl {
    TASKMOOR_CLASS(TButtonStrip, TCustomControl)
public:
    using TCustomControl::TCustomControl;
    static constexpr int kCells = 13;
    static TRect Cell(int I) { return Bounds(2 + I * 22, 2, 18, 18); }

protected:
    void Paint() override {
        TCanvas* c = Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect(ClientRect());
        int i = 0;
        qzDrawEllipsisButton(c, Cell(i++), bsUp, TControlState(), false, false);
        qzDrawEllipsisButton(c, Cell(i++), bsDown, TControlState(), false, false);
        qzDrawEllipsisButton(c, Cell(i++), bsDown, TControlState{csPaintCopy}, false, false);
        qzDrawEllipsisButton(c, Cell(i++), bsUp, TControlState(), true, true);
        qzDrawEllipsisButton(c, Cell(i++), true, false, true, false, 0);    // flat
        qzDrawEllipsisButton(c, Cell(i++), true, false, true, true, 0);     // flat, hot
        qzDrawEllipsisButton(c, Cell(i++), true, true, false, false, 0);    // down
        qzDrawEllipsisButton(c, Cell(i++), false, false, false, false, 0);  // disabled
        qzDrawDropDownArrow(c, Cell(i++), bsUp, TControlState(), true);
        qzDrawDropDownArrow(c, Cell(i++), bsDown, TControlState(), true);
        qzDrawDropDownArrow(c, Cell(i++), bsUp, TControlState(), false);
        qzDrawDropDownArrow(c, Cell(i++), true, false, 7);
        qzDrawDropDownArrow(c, Cell(i++), true, true, 7);
    }
};

// Counts the refresh message a frame sends when its transparency changes.
class TRefreshCounter : public TFramedBox {
    TASKMOOR_CLASS(TRefreshCounter, TFramedBox)
public:
    using TFramedBox::TFramedBox;
    int Refreshes = 0;
    void Dispatch(TMessage& Message) override {
        if (Message.Msg == QZ_CM_REFRESH) ++Refreshes;
        TFramedBox::Dispatch(Message);
    }
};
class TqzCustomRichEdit : public TRefreshCounter {
    TASKMOOR_CLASS(TqzCustomRichEdit, TRefreshCounter)
public:
    using TRefreshCounter::TRefreshCounter;
};

class TCountingEffects : public TqzButtonEffects {
public:
    using TqzButtonEffects::TqzButtonEffects;
    int Refreshes = 0;
    void Refresh() override { ++Refreshes; }
};

class QzEditFrameTest : public SuiteUiTest {
protected:
    TShownForm f;
};

// ---- Frame settings ---------------------------------------------------------------------

TEST_F(QzEditFrameTest, DefaultsAndANonWindowedControl) {
    auto* paintBox = new TPaintBox(f.Form);
    TqzEditFrame frame(paintBox);
    EXPECT_EQ(frame.Control(), nullptr);  // kept only when windowed
    EXPECT_FALSE(frame.Enabled());
    EXPECT_EQ(frame.NonFocusBorders(), TqzEditFrameEnabledSet{efBottomBorder});
    EXPECT_EQ(frame.FocusBorders(),
              (TqzEditFrameEnabledSet{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder}));
    EXPECT_EQ(frame.FocusStyle(), efsFrameBox);
    EXPECT_EQ(frame.NonFocusStyle(), efsFrameBox);
    EXPECT_EQ(frame.NonFocusTextOffsetX(), 0);
    EXPECT_EQ(frame.NonFocusTextOffsetY(), 0);
    EXPECT_FALSE(frame.Transparent());
    EXPECT_FALSE(frame.EraseBackground());
    EXPECT_FALSE(frame.MouseEnterSameAsFocus());
    EXPECT_EQ(frame.AutoSizeHeightAdjust(), 0);
    EXPECT_EQ(frame.NonFocusTransparentFontColor(), clNone);
    EXPECT_EQ(frame.NonFocusColor(), clNone);
    EXPECT_EQ(frame.NonFocusFontColor(), clNone);
    // Without a control the setters only store.
    frame.SetEnabled(true);
    frame.SetTransparent(true);
    frame.SetNonFocusBorders({efTopBorder});
    EXPECT_TRUE(frame.Enabled());
    EXPECT_TRUE(frame.EraseBackground());
    EXPECT_FALSE(qzEditFrameIsActive(&frame));
    // Published for the form files.
    EXPECT_EQ(GetEnumProp(&frame, "FocusStyle"), "efsFrameBox");
    EXPECT_EQ(GetSetProp(&frame, "NonFocusBorders"), "[efTopBorder]");
}

TEST_F(QzEditFrameTest, EnablingOnAnEditTakesItsBorderAndRefitsItsHeight) {
    auto* edit = new TEdit(f.Form);
    edit->SetParent(f.Form);
    ASSERT_EQ(edit->BorderStyle(), bsSingle);
    TqzEditFrame frame(edit);
    frame.SetAutoSizeHeightAdjust(3);
    frame.SetEnabled(true);
    EXPECT_EQ(edit->BorderStyle(), bsNone);
    TCanvas measure;
    measure.Font()->Assign(edit->Font());
    // Without a border: the font's height, 6, and the frame's adjustment.
    EXPECT_EQ(edit->Height(), measure.TextHeight("Wg") + 6 + 3);

    auto* fixed = new TEdit(f.Form);
    fixed->SetParent(f.Form);
    fixed->SetAutoSize(false);
    fixed->SetHeight(40);
    TqzEditFrame other(fixed);
    other.SetEnabled(true);
    EXPECT_EQ(fixed->Height(), 40);
    EXPECT_EQ(fixed->BorderStyle(), bsNone);
    EXPECT_TRUE(qzGetAutoSize(edit));
    EXPECT_FALSE(qzGetAutoSize(fixed));
    EXPECT_FALSE(qzGetAutoSize(new TPanel(f.Form)));
}

TEST_F(QzEditFrameTest, AssignCopiesEverythingOnlyFromAnEnabledFrame) {
    TqzEditFrame source(nullptr);
    source.SetTransparent(true);
    source.SetFocusBorders({efLeftBorder});
    source.SetNonFocusBorders({efTopBorder});
    source.SetFocusStyle(efsFrameRaised);
    source.SetNonFocusStyle(efsFrameEtched);
    source.SetNonFocusTextOffsetX(4);
    source.SetNonFocusTextOffsetY(5);
    source.SetMouseEnterSameAsFocus(true);
    source.SetAutoSizeHeightAdjust(7);
    source.SetNonFocusColor(clYellow);
    source.SetNonFocusFontColor(clRed);
    source.SetNonFocusTransparentFontColor(clBlue);

    TqzEditFrame partial(nullptr);
    partial.Assign(&source);  // source not enabled
    EXPECT_FALSE(partial.Enabled());
    EXPECT_TRUE(partial.Transparent());
    EXPECT_EQ(partial.FocusStyle(), efsFrameBox);
    EXPECT_EQ(partial.NonFocusBorders(), TqzEditFrameEnabledSet{efBottomBorder});
    EXPECT_EQ(partial.NonFocusColor(), clNone);
    EXPECT_EQ(partial.AutoSizeHeightAdjust(), 0);

    source.SetEnabled(true);
    source.SetEraseBackground(false);
    TqzEditFrame full(nullptr);
    full.Assign(&source);
    EXPECT_TRUE(full.Enabled());
    EXPECT_TRUE(full.Transparent());
    EXPECT_FALSE(full.EraseBackground());
    EXPECT_EQ(full.FocusBorders(), TqzEditFrameEnabledSet{efLeftBorder});
    EXPECT_EQ(full.NonFocusBorders(), TqzEditFrameEnabledSet{efTopBorder});
    EXPECT_EQ(full.FocusStyle(), efsFrameRaised);
    EXPECT_EQ(full.NonFocusStyle(), efsFrameEtched);
    EXPECT_EQ(full.NonFocusTextOffsetX(), 4);
    EXPECT_EQ(full.NonFocusTextOffsetY(), 5);
    EXPECT_TRUE(full.MouseEnterSameAsFocus());
    EXPECT_EQ(full.AutoSizeHeightAdjust(), 7);
    EXPECT_EQ(full.NonFocusColor(), clYellow);
    EXPECT_EQ(full.NonFocusFontColor(), clRed);
    EXPECT_EQ(full.NonFocusTransparentFontColor(), clBlue);

    TFont font;
    EXPECT_THROW(full.Assign(&font), EConvertError);
}

TEST_F(QzEditFrameTest, TextOffsetsPerStyleAndBorders) {
    const TqzEditFrameEnabledSet all{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder};
    const TqzEditFrameEnabledSet bottom{efBottomBorder};
    struct TCase {
        TqzEditFocusStyle Style;
        TqzEditFrameEnabledSet Borders;
        int X, Y;              // GetTextOffsets
        int Left, Top, Right;  // qzGetFrameTextOffsets
    } cases[] = {
        {efsFrameBox, all, 2, 2, 2, 2, -1},       {efsFrameSingle, all, 2, 2, 2, 2, 0},
        {efsFrameSunken, all, 3, 3, 3, 3, -2},    {efsFrameBump, all, 3, 3, 3, 3, -2},
        {efsFrameRaised, all, 3, 3, 2, 3, -2},    {efsFrameEtched, all, 3, 3, 2, 3, -2},
        {efsFrameBox, bottom, 1, 2, 2, 2, 0},     {efsFrameSunken, bottom, 1, 2, 1, 3, -2},
        {efsFrameEtched, bottom, 1, 2, 1, 3, -2},
    };
    for (const TCase& k : cases) {
        TqzEditFrame frame(nullptr);
        frame.SetFocusStyle(k.Style);
        frame.SetFocusBorders(k.Borders);
        frame.SetNonFocusStyle(k.Style);
        frame.SetNonFocusBorders(k.Borders);
        int x = -9, y = -9;
        frame.GetTextOffsets(x, y, true);
        EXPECT_EQ(x, k.X) << k.Style;
        EXPECT_EQ(y, k.Y) << k.Style;
        // The offsets are added focused and unfocused alike.
        frame.SetNonFocusTextOffsetX(10);
        frame.SetNonFocusTextOffsetY(20);
        frame.GetTextOffsets(x, y, false);
        EXPECT_EQ(x, k.X + 10);
        EXPECT_EQ(y, k.Y + 20);
        frame.GetTextOffsets(x, y, true);
        EXPECT_EQ(x, k.X + 10);

        TqzFrameTextOffsets o;
        qzGetFrameTextOffsets(&frame, o);
        EXPECT_EQ(o.Left, k.Left) << k.Style;
        EXPECT_EQ(o.Top, k.Top) << k.Style;
        EXPECT_EQ(o.Right, k.Right) << k.Style;
    }
    // By control: through its "Frame" property; zeros without one.
    auto* box = new TFramedBox(f.Form);
    box->Frame()->SetFocusStyle(efsFrameSunken);
    int x = -1, y = -1, right = -1;
    qzGetFrameTextOffsets(box, x, y, right);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 3);
    EXPECT_EQ(right, -2);
    qzGetFrameTextOffsets(new TPanel(f.Form), x, y, right);
    EXPECT_EQ(x + y + right, 0);
}

TEST_F(QzEditFrameTest, FlatStylesAndActiveFrames) {
    for (TqzEditFocusStyle s :
         {efsFrameBox, efsFrameSunken, efsFrameRaised, efsFrameEtched, efsFrameBump, efsFrameSingle})
        EXPECT_EQ(qzIsFlatFrameStyle(s), s == efsFrameBox || s == efsFrameSingle) << s;
    auto* box = new TFramedBox(f.Form);
    box->SetParent(f.Form);
    EXPECT_FALSE(qzEditFrameIsActive(box->Frame()));
    box->Frame()->SetEnabled(true);
    EXPECT_TRUE(qzEditFrameIsActive(box->Frame()));
    auto* grid = new TDrawGrid(f.Form);
    grid->SetParent(f.Form);
    box->SetParent(grid);
    EXPECT_FALSE(qzEditFrameIsActive(box->Frame()));
    EXPECT_FALSE(qzEditFrameIsActive(nullptr));
}

TEST_F(QzEditFrameTest, FramesAndEffectsAreFoundByPropertyName) {
    auto* box = new TFramedBox(f.Form);
    auto* editOnly = new TEditFrameOnly(f.Form);
    auto* panel = new TPanel(f.Form);
    EXPECT_EQ(qzGetControlEditFrame(box), box->Frame());
    EXPECT_EQ(qzGetControlEditFrame(editOnly), editOnly->EditFrame());
    EXPECT_EQ(qzGetControlEditFrame(panel), nullptr);
    EXPECT_EQ(qzGetControlEditFrame(nullptr), nullptr);
    EXPECT_EQ(qzGetControlButtonEffects(box), box->ButtonEffects());
    EXPECT_EQ(qzGetControlButtonEffects(editOnly), nullptr);
}

TEST_F(QzEditFrameTest, TransparencyOfTheParentWindow) {
    auto* panel = new TPanel(f.Form);
    panel->SetParent(f.Form);
    auto* box = new TFramedBox(f.Form);
    box->SetParent(panel);
    f.Show();
    EXPECT_FALSE(qzIsParentTransparent(box));
    SetWindowLong(panel, GWL_EXSTYLE, GetWindowLong(panel, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    EXPECT_TRUE(qzIsParentTransparent(box));
    EXPECT_FALSE(qzIsParentTransparent(panel));
    EXPECT_FALSE(qzIsParentTransparent(nullptr));
    // Invalidating behind walks up through the transparent panel.
    EXPECT_NO_THROW(qzInvalidateBehindControl(box, true));
    EXPECT_NO_THROW(qzInvalidateBehindFramedControl(box));
    ProcessEvents();
}

TEST_F(QzEditFrameTest, TransparencySendsTheRefreshMessageWhereItMatters) {
    auto* box = new TRefreshCounter(f.Form);
    box->SetParent(f.Form);
    auto* rich = new TqzCustomRichEdit(f.Form);
    rich->SetParent(f.Form);
    f.Show();
    box->HandleNeeded();
    const uint32_t style = GetWindowLong(f.Form, GWL_STYLE);
    struct TCase {
        bool Enabled, ClipChildren;
        int Refreshes;
    } cases[] = {{true, true, 1}, {true, false, 0}, {false, true, 0}};
    for (const TCase& k : cases) {
        box->Frame()->SetTransparent(false);
        box->Frame()->SetEnabled(k.Enabled);
        SetWindowLong(f.Form, GWL_STYLE, k.ClipChildren ? style | WS_CLIPCHILDREN : style & ~WS_CLIPCHILDREN);
        box->Refreshes = 0;
        box->Frame()->SetTransparent(true);
        EXPECT_EQ(box->Refreshes, k.Refreshes) << k.Enabled << k.ClipChildren;
        EXPECT_TRUE(box->Frame()->EraseBackground());
        box->Frame()->SetTransparent(true);  // unchanged: nothing more
        EXPECT_EQ(box->Refreshes, k.Refreshes);
    }
    rich->Frame()->SetTransparent(true);  // a rich edit always repaints
    EXPECT_EQ(rich->Refreshes, 1);
    SetWindowLong(f.Form, GWL_STYLE, style);
}

TEST_F(QzEditFrameTest, InvalidatingBehindWalksUpWhileTheLevelIsTransparent) {
    auto* outer = new TPanel(f.Form);
    outer->SetParent(f.Form);
    outer->SetBounds(10, 10, 300, 200);
    auto* inner = new TPanel(f.Form);
    inner->SetParent(outer);
    inner->SetBounds(20, 30, 200, 100);
    auto* box = new TFramedBox(f.Form);
    box->SetParent(inner);
    box->SetBounds(5, 6, 50, 20);
    f.Show();
    struct TSeen {
        TWinControl* Control;
        TRect Rect;
        bool Erase;
    };
    std::vector<TSeen> seen;
    SetInvalidateRectObserver([&](TWinControl* c, const TRect& r, bool e) { seen.push_back({c, r, e}); });
    qzInvalidateBehindControl(box, true);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].Control, inner);
    EXPECT_EQ(seen[0].Rect, Bounds(5, 6, 50, 20));
    EXPECT_TRUE(seen[0].Erase);

    seen.clear();
    SetWindowLong(inner, GWL_EXSTYLE, WS_EX_TRANSPARENT);
    box->SetBounds(-4, 6, 50, 20);  // sticking out on the left
    qzInvalidateBehindControl(box, false);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Control, inner);
    EXPECT_EQ(seen[1].Control, outer);
    EXPECT_EQ(seen[1].Rect, Rect(20, 36, 66, 56));  // negative left cut, then moved by the panel
    EXPECT_FALSE(seen[1].Erase);

    seen.clear();
    box->Frame()->SetTransparent(true);  // EraseBackground follows
    qzInvalidateBehindFramedControl(box);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[1].Erase);
    SetInvalidateRectObserver({});
}

// ---- Button effects ---------------------------------------------------------------------

TEST_F(QzEditFrameTest, ButtonEffectsSetTheButtonsPropertiesByName) {
    struct TCase {
        bool StartsTransparent;
        bool SetFlat, SetTransparent;  // what is set to True, in that order
        bool Flat, Transparent;        // the button afterwards
    } cases[] = {
        {true, true, false, true, true},    // a combo button stays transparent
        {false, true, false, true, false},  // Flat alone sets only Flat
        {false, false, true, true, true},   // Transparent alone sets both
        {false, true, true, true, true},
    };
    for (const TCase& k : cases) {
        TEmbeddedButton button(nullptr, k.StartsTransparent);
        TCountingEffects effects(nullptr, &button);
        if (k.SetFlat) effects.SetFlat(true);
        if (k.SetTransparent) effects.SetTransparent(true);
        EXPECT_EQ(button.Flat(), k.Flat);
        EXPECT_EQ(button.Transparent(), k.Transparent);
        EXPECT_EQ(effects.Refreshes, (k.SetFlat ? 1 : 0) + (k.SetTransparent ? 1 : 0));
    }
    // Setting back: the button is flat while either is set.
    TEmbeddedButton button(nullptr, false);
    TCountingEffects effects(nullptr, &button);
    effects.SetTransparent(true);
    effects.SetFlat(true);
    effects.SetTransparent(false);
    EXPECT_TRUE(button.Flat());
    EXPECT_TRUE(button.Transparent());  // only the Transparent setter writes it, with Flat or Transparent
    effects.SetFlat(false);
    EXPECT_FALSE(button.Flat());
    effects.SetFlat(false);  // unchanged: nothing happens
    EXPECT_EQ(effects.Refreshes, 4);
    // A speed button takes part by name too; no button is no error.
    TSpeedButton speed(nullptr);
    TqzButtonEffects onSpeed(nullptr, &speed);
    onSpeed.SetFlat(true);
    EXPECT_TRUE(speed.Flat());
    TqzButtonEffects none(nullptr, nullptr);
    EXPECT_NO_THROW(none.SetTransparent(true));
    // Assign: Flat, then Transparent.
    TqzButtonEffects copy(nullptr, &button);
    copy.Assign(&none);
    EXPECT_TRUE(copy.Transparent());
    EXPECT_FALSE(copy.Flat());
    EXPECT_TRUE(button.Transparent());
}

// ---- Frame styles painted ---------------------------------------------------------------

TEST_F(QzEditFrameTest, EveryFrameStylePaintsItsEdge) {
    const TqzEditFrameEnabledSet all{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder};
    const TColor black = clBlack, white = clWhite;
    const TColor light = ColorToRGB(cl3DLight), hi = ColorToRGB(clBtnHighlight);
    const TColor shadow = ColorToRGB(clBtnShadow), dark = ColorToRGB(cl3DDkShadow);
    struct TCase {
        TqzEditFocusStyle Style;
        TColor OuterTop, InnerTop, OuterBottom, InnerBottom;
    } cases[] = {
        {efsFrameBox, black, white, black, white}, {efsFrameSunken, shadow, dark, hi, light},
        {efsFrameRaised, light, hi, dark, shadow}, {efsFrameEtched, shadow, hi, hi, shadow},
        {efsFrameBump, light, dark, dark, light},  {efsFrameSingle, black, white, black, white},
    };
    f.Form->SetColor(clSilver);
    std::vector<TFramedBox*> boxes;
    int i = 0;
    for (const TCase& k : cases) {
        auto* box = new TFramedBox(f.Form);
        box->SetParent(f.Form);
        box->SetBounds(10 + (i % 3) * 110, 10 + (i / 3) * 50, 100, 30);
        box->SetColor(clWhite);
        box->Frame()->SetNonFocusStyle(k.Style);
        box->Frame()->SetNonFocusBorders(all);
        boxes.push_back(box);
        ++i;
    }
    // Focused with the default focus settings, and unfocused with the
    // default borders (bottom only); transparent without a right border.
    auto* focused = new TFramedBox(f.Form);
    focused->SetParent(f.Form);
    focused->SetBounds(10, 110, 100, 30);
    focused->Focus = true;
    auto* underline = new TFramedBox(f.Form);
    underline->SetParent(f.Form);
    underline->SetBounds(120, 110, 100, 30);
    auto* clear = new TFramedBox(f.Form);
    clear->SetParent(f.Form);
    clear->SetBounds(230, 110, 100, 30);
    clear->Frame()->SetTransparent(true);
    auto* strip = new TButtonStrip(f.Form);
    strip->SetParent(f.Form);
    strip->SetBounds(10, 160, 2 + TButtonStrip::kCells * 22, 22);
    f.Show();
    ASSERT_TRUE(RenderControlToPng(f.Form, PngPath("frame_styles")));

    for (size_t n = 0; n < boxes.size(); ++n) {
        TBitmap shot;
        RenderControl(boxes[n], &shot);
        const TCase& k = cases[n];
        EXPECT_EQ(Px(shot, 50, 0), k.OuterTop) << k.Style;
        EXPECT_EQ(Px(shot, 50, 29), k.OuterBottom) << k.Style;
        EXPECT_EQ(Px(shot, 0, 15), k.OuterTop) << k.Style;
        EXPECT_EQ(Px(shot, 99, 15), k.OuterBottom) << k.Style;
        if (k.Style == efsFrameSingle) {
            EXPECT_EQ(Px(shot, 50, 1), clWhite);  // one ring only
        } else {
            EXPECT_EQ(Px(shot, 50, 1), k.InnerTop) << k.Style;
            EXPECT_EQ(Px(shot, 50, 28), k.InnerBottom) << k.Style;
        }
        EXPECT_EQ(Px(shot, 50, 15), clWhite);
    }
    TBitmap shot;
    RenderControl(focused, &shot);
    EXPECT_EQ(Px(shot, 50, 0), clBlack);
    EXPECT_EQ(Px(shot, 0, 15), clBlack);
    RenderControl(underline, &shot);
    EXPECT_EQ(Px(shot, 50, 0), clWhite);
    EXPECT_EQ(Px(shot, 0, 15), clWhite);
    EXPECT_EQ(Px(shot, 50, 29), clBlack);
    EXPECT_EQ(Px(shot, 99, 29), clBlack);
    RenderControl(clear, &shot);
    EXPECT_EQ(Px(shot, 97, 29), clBlack);
    EXPECT_EQ(Px(shot, 98, 29), clWhite);  // the edge stops 2 pixels short

    // Each button shows ink (dots or arrow) and nothing leaves its cell.
    RenderControl(strip, &shot);
    for (int n = 0; n < TButtonStrip::kCells; ++n) {
        const TRect cell = TButtonStrip::Cell(n);
        bool marked = false;
        for (int y = cell.Top + 2; y < cell.Bottom - 2; ++y)
            for (int x = cell.Left + 2; x < cell.Right - 2; ++x) {
                const TColor c = Px(shot, x, y);
                marked |= c != ColorToRGB(clBtnFace) && c != clWhite;
            }
        EXPECT_TRUE(marked) << "button " << n;
        EXPECT_EQ(Px(shot, cell.Right + 1, cell.Top + 9), clWhite) << "button " << n;
    }
}

TEST_F(QzEditFrameTest, RefreshPaintsTheMarginsInTheParentsColour) {
    f.Form->SetColor(clAqua);
    auto* box = new TFramedBox(f.Form);
    box->SetParent(f.Form);
    box->SetBounds(10, 10, 80, 24);
    box->Frame()->SetEnabled(true);
    f.Show();
    TBitmap bmp;
    WhiteBitmap(bmp, 80, 24);
    qzRefreshEditFrame(box->Frame(), true, bmp.Canvas());
    EXPECT_EQ(Px(bmp, 0, 0), ColorToRGB(clAqua));
    EXPECT_EQ(Px(bmp, 79, 23), ColorToRGB(clAqua));
    // Another control at the corner: the parent repaints instead.
    auto* cover = new TPanel(f.Form);
    cover->SetParent(f.Form);
    cover->SetBounds(5, 5, 20, 20);
    WhiteBitmap(bmp, 80, 24);
    qzRefreshEditFrame(box->Frame(), false, bmp.Canvas());
    EXPECT_EQ(Px(bmp, 0, 0), clWhite);
    EXPECT_NO_THROW(qzRefreshEditFrame(nullptr, false, nullptr));
}

// ---- Controller ---------------------------------------------------------------------------

class QzControllerTest : public QzEditFrameTest {};

TEST_F(QzControllerTest, SettingAControllerMovesTheControlAndCopiesTheFrame) {
    auto* first = new TqzController(f.Form);
    auto* second = new TqzController(f.Form);
    second->Frame()->SetEnabled(true);
    second->Frame()->SetFocusStyle(efsFrameBump);
    second->Frame()->SetNonFocusColor(clYellow);
    auto* box = new TFramedBox(f.Form);

    box->SetController(first);
    EXPECT_EQ(box->Controller(), first);
    EXPECT_EQ(first->ControlList()->IndexOf(box), 0);
    EXPECT_FALSE(box->Frame()->Enabled());
    box->SetController(first);  // again: listed once
    EXPECT_EQ(first->ControlList()->Count(), 1);

    box->SetController(second);
    EXPECT_EQ(first->ControlList()->Count(), 0);
    EXPECT_EQ(second->ControlList()->Count(), 1);
    EXPECT_TRUE(box->Frame()->Enabled());
    EXPECT_EQ(box->Frame()->FocusStyle(), efsFrameBump);
    EXPECT_EQ(box->Frame()->NonFocusColor(), clYellow);

    // By name, as forms set it.
    SetObjectProp(box, "Controller", first);
    EXPECT_EQ(box->Controller(), first);
    EXPECT_EQ(second->ControlList()->Count(), 0);
    box->SetController(nullptr);
    EXPECT_EQ(box->Controller(), nullptr);
    EXPECT_EQ(first->ControlList()->Count(), 0);
    EXPECT_THROW(first->ControlList()->Items(0), EListError);
    EXPECT_EQ(GetObjectProp(first, "ControlList"), first->ControlList());
    EXPECT_EQ(GetObjectProp(first, "Frame"), first->Frame());
}

TEST_F(QzControllerTest, FreeingAControllerInUseClearsTheControlsReference) {
    auto* controller = new TqzController(nullptr);
    auto* a = new TFramedBox(f.Form);
    auto* b = new TFramedBox(f.Form);
    a->SetController(controller);
    b->SetController(controller);
    delete controller;
    EXPECT_EQ(a->Controller(), nullptr);
    EXPECT_EQ(b->Controller(), nullptr);
    // Setting another one later touches nothing freed.
    auto* next = new TqzController(nullptr);
    a->SetController(next);
    EXPECT_EQ(next->ControlList()->Count(), 1);
    delete next;
    EXPECT_EQ(a->Controller(), nullptr);
}

TEST_F(QzControllerTest, FreeingAListedControlTakesItOffTheList) {
    auto* controller = new TqzController(nullptr);
    auto* a = new TFramedBox(f.Form);
    auto* b = new TFramedBox(f.Form);
    auto* panel = new TPanel(f.Form);
    a->SetController(controller);
    b->SetController(controller);
    controller->ControlList()->Add(panel);  // listed without qzSetController
    controller->ControlList()->Add(panel);
    EXPECT_EQ(controller->ControlList()->Count(), 3);
    delete a;
    delete panel;
    ASSERT_EQ(controller->ControlList()->Count(), 1);
    EXPECT_EQ(controller->ControlList()->Items(0), b);
    delete controller;
    EXPECT_EQ(b->Controller(), nullptr);
}

TEST_F(QzControllerTest, AFormFreeingControllerAndControlsInEitherOrder) {
    for (bool controllerFirst : {true, false}) {
        auto* form = CreateForm<TForm>(Application);
        TqzController* controller = controllerFirst ? new TqzController(form) : nullptr;
        auto* a = new TFramedBox(form);
        a->SetParent(form);
        if (!controllerFirst) controller = new TqzController(form);
        a->SetController(controller);
        auto* b = new TFramedBox(form);
        b->SetParent(form);
        b->SetController(controller);
        EXPECT_NO_THROW(delete form);  // the sanitizer sees any use after free
    }
}

}  // namespace
