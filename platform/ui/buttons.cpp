// Speed buttons and bitmap buttons.
#include <QPainter>
#include <QPushButton>

#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls_qt.h"

// ---- Glyph and caption ---------------------------------------------------------------------------

namespace {

// Image Index of a glyph strip, transparent where the strip's bottom-left
// pixel colour is.
std::unique_ptr<TBitmap> GlyphImage(TBitmap* Glyph, int NumGlyphs, int Index) {
    const int count = std::max(1, NumGlyphs);
    const int w = Glyph->Width() / count, h = Glyph->Height();
    auto image = std::make_unique<TBitmap>();
    image->SetSize(w, h);
    const TRect src = Bounds(Index * w, 0, w, h);
    image->Canvas()->CopyRect(Rect(0, 0, w, h), Glyph->Canvas(), src);
    image->SetTransparentColor(Glyph->Canvas()->Pixels(0, h - 1));
    image->SetTransparent(true);
    return image;
}

// The disabled look: the glyph's shape in the shadow colour over its shape
// in the highlight colour, one pixel right and down.
void DrawGreyedGlyph(TCanvas* Canvas, TBitmap* Image, int X, int Y) {
    const int w = Image->Width(), h = Image->Height();
    const TColor transparent = Image->TransparentColor();
    TBitmap light, dark;
    light.SetSize(w, h);
    dark.SetSize(w, h);
    const TColor key = transparent == clWhite ? clBlack : clWhite;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColor p = Image->Canvas()->Pixels(x, y);
            const bool ink = p != transparent && (GetRValue(p) + GetGValue(p) + GetBValue(p)) < 3 * 224;
            light.Canvas()->SetPixels(x, y, ink ? ColorToRGB(clBtnHighlight) : key);
            dark.Canvas()->SetPixels(x, y, ink ? ColorToRGB(clBtnShadow) : key);
        }
    light.SetTransparentColor(key);
    light.SetTransparent(true);
    dark.SetTransparentColor(key);
    dark.SetTransparent(true);
    Canvas->Draw(X + 1, Y + 1, &light);
    Canvas->Draw(X, Y, &dark);
}

}  // namespace

TButtonLayout BiDiButtonLayout(TButtonLayout Layout, bool RightToLeft) {
    if (!RightToLeft) return Layout;
    if (Layout == blGlyphLeft) return blGlyphRight;
    if (Layout == blGlyphRight) return blGlyphLeft;
    return Layout;
}

void DrawButtonGlyphAndCaption(TCanvas* Canvas, const TRect& Client, const TPoint& Offset,
                               const std::string& Caption, TBitmap* Glyph, int NumGlyphs, TButtonState State,
                               TButtonLayout Layout, int Margin, int Spacing, bool Transparent,
                               bool WordWrap) {
    (void)Transparent;
    const bool hasGlyph = Glyph && !Glyph->Empty();
    const TPoint glyphSize =
        hasGlyph ? TPoint{Glyph->Width() / std::max(1, NumGlyphs), Glyph->Height()} : TPoint{0, 0};
    TRect textBounds{};
    const unsigned textFlags = WordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    if (!Caption.empty()) {
        textBounds = Rect(0, 0, Client.Width(), 0);
        DrawText(Canvas, Caption, textBounds, DT_CALCRECT | textFlags);
    }
    const TPoint textSize{textBounds.Width(), textBounds.Height()};
    const int clientW = Client.Width(), clientH = Client.Height();
    const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    const int extent = horizontal ? clientW : clientH;
    const int glyphExtent = horizontal ? glyphSize.X : glyphSize.Y;
    const int textExtent = horizontal ? textSize.X : textSize.Y;
    if (!hasGlyph || Caption.empty()) Spacing = 0;
    if (Margin == -1) {
        if (Spacing == -1) {
            const int total = glyphExtent + textExtent;
            Spacing = (extent - total) / 3;
            Margin = Spacing;
        } else {
            const int total = glyphExtent + Spacing + textExtent;
            Margin = (extent - total) / 2;
        }
    } else if (Spacing == -1) {
        const int total = extent - (Margin + glyphExtent);
        Spacing = (total - textExtent) / 2;
    }
    TPoint glyphPos, textPos;
    switch (Layout) {
    case blGlyphLeft:
        glyphPos = {Margin, (clientH - glyphSize.Y + 1) / 2};
        textPos = {glyphPos.X + glyphSize.X + Spacing, (clientH - textSize.Y + 1) / 2};
        break;
    case blGlyphRight:
        glyphPos = {clientW - Margin - glyphSize.X, (clientH - glyphSize.Y + 1) / 2};
        textPos = {glyphPos.X - Spacing - textSize.X, (clientH - textSize.Y + 1) / 2};
        break;
    case blGlyphTop:
        glyphPos = {(clientW - glyphSize.X + 1) / 2, Margin};
        textPos = {(clientW - textSize.X + 1) / 2, glyphPos.Y + glyphSize.Y + Spacing};
        break;
    case blGlyphBottom:
        glyphPos = {(clientW - glyphSize.X + 1) / 2, clientH - Margin - glyphSize.Y};
        textPos = {(clientW - textSize.X + 1) / 2, glyphPos.Y - Spacing - textSize.Y};
        break;
    }
    const int ox = Client.Left + Offset.X, oy = Client.Top + Offset.Y;
    if (hasGlyph) {
        const int count = std::max(1, NumGlyphs);
        int index = 0;
        switch (State) {
        case bsDisabled: index = count > 1 ? 1 : -1; break;
        case bsDown: index = count > 2 ? 2 : 0; break;
        case bsExclusive: index = count > 3 ? 3 : 0; break;
        default: break;
        }
        auto image = GlyphImage(Glyph, count, std::max(0, index));
        if (index < 0)
            DrawGreyedGlyph(Canvas, image.get(), ox + glyphPos.X, oy + glyphPos.Y);
        else
            Canvas->Draw(ox + glyphPos.X, oy + glyphPos.Y, image.get());
    }
    if (!Caption.empty()) {
        TRect r = Bounds(ox + textPos.X, oy + textPos.Y, textSize.X, textSize.Y);
        Canvas->Brush()->SetStyle(bsClear);
        const unsigned flags = DT_CENTER | DT_VCENTER | textFlags;
        if (State == bsDisabled) {
            const TColor saved = Canvas->Font()->Color();
            TRect light = r;
            OffsetRect(light, 1, 1);
            Canvas->Font()->SetColor(clBtnHighlight);
            DrawText(Canvas, Caption, light, flags);
            Canvas->Font()->SetColor(clBtnShadow);
            DrawText(Canvas, Caption, r, flags);
            Canvas->Font()->SetColor(saved);
        } else {
            DrawText(Canvas, Caption, r, flags);
        }
    }
}

// ---- TGroupButton ------------------------------------------------------------------------------------

void TGroupButton::SetGroupIndex(int Value) {
    if (Value == FGroupIndex) return;
    FGroupIndex = Value;
    UpdateExclusive();
}

void TGroupButton::SetDown(bool Value) {
    if (FGroupIndex == 0) Value = false;
    if (Value == FDown) return;
    if (FDown && !FAllowAllUp) return;
    FDown = Value;
    FState = Value ? bsExclusive : bsUp;
    Invalidate();
    if (Value) UpdateExclusive();
}

void TGroupButton::SetAllowAllUp(bool Value) {
    if (Value == FAllowAllUp) return;
    FAllowAllUp = Value;
    UpdateExclusive();
}

void TGroupButton::UpdateExclusive() {
    if (FGroupIndex == 0 || !Parent()) return;
    TMessage m;
    m.Msg = CM_BUTTONPRESSED;
    m.WParam = static_cast<WPARAM>(FGroupIndex);
    m.LParam = reinterpret_cast<LPARAM>(static_cast<TControl*>(this));
    Parent()->Broadcast(m);
}

void TGroupButton::ButtonPressed(TGroupButton* Sender) {
    if (!Sender || Sender == this || Sender->FGroupIndex != FGroupIndex) return;
    if (Sender->FDown && FDown) {
        FDown = false;
        FState = bsUp;
        RaisedByGroup();
        Invalidate();
    }
    FAllowAllUp = Sender->FAllowAllUp;
}

void TGroupButton::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_BUTTONPRESSED) {
        if (static_cast<int>(Message.WParam) == FGroupIndex)
            ButtonPressed(dynamic_cast<TGroupButton*>(reinterpret_cast<TControl*>(Message.LParam)));
        return;
    }
    TGraphicControl::Dispatch(Message);
}

// ---- TSpeedButton -----------------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGroupButton(AOwner), FGlyph(std::make_unique<TBitmap>()) {
    SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks});
    SetBounds(0, 0, 23, 22);
    SetColor(clBtnFace);
    SetParentColor(false);
    FGlyph->SetOnChange(TNotifyEvent(this, &TSpeedButton::GlyphChanged));
}

TSpeedButton::~TSpeedButton() { FGlyph->SetOnChange(nullptr); }

void TSpeedButton::GlyphChanged(TObject*) { Invalidate(); }

namespace {
// Copies a glyph strip; a strip of one to four square images sets the count.
void AssignGlyph(TBitmap* Glyph, TBitmap* Value, int& NumGlyphs) {
    if (Value)
        Glyph->Assign(Value);
    else
        Glyph->SetSize(0, 0);
    if (Value && !Value->Empty() && Value->Height() > 0 && Value->Width() % Value->Height() == 0) {
        const int n = Value->Width() / Value->Height();
        if (n >= 1 && n <= 4) NumGlyphs = n;
    }
}
}  // namespace

void TSpeedButton::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* Value) {
    AssignGlyph(FGlyph.get(), Value, FNumGlyphs);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int Value) {
    FNumGlyphs = std::clamp(Value, 1, 4);
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
    FLayout = Value;
    Invalidate();
}

void TSpeedButton::SetMargin(int Value) {
    FMargin = std::max(-1, Value);
    Invalidate();
}

void TSpeedButton::SetSpacing(int Value) {
    FSpacing = Value;
    Invalidate();
}

void TSpeedButton::SetTransparent(bool Value) {
    FTransparent = Value;
    Invalidate();
}

void TSpeedButton::Loaded() {
    TGroupButton::Loaded();
    if (FDown) UpdateExclusive();
}

void TSpeedButton::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (!Enabled()) {
        FState = bsDisabled;
        FDragging = false;
    } else if (FState == bsDisabled) {
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    }
    const bool pressed = FState == bsDown || FState == bsExclusive;
    if (FFlat) {
        if (!FTransparent || pressed) {
            c->Brush()->SetColor(pressed && FState == bsExclusive && !FMouseInControl ? cl3DLight : Color());
            c->Brush()->SetStyle(bsSolid);
            c->FillRect(r);
        }
        if (Enabled() && (pressed || FMouseInControl)) {
            TRect edge = r;
            DrawEdge(c, edge, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
    } else {
        unsigned state = DFCS_BUTTONPUSH;
        if (pressed) state |= DFCS_PUSHED;
        if (!Enabled()) state |= DFCS_INACTIVE;
        TRect face = r;
        c->Brush()->SetColor(Color());
        DrawFrameControl(c, face, DFC_BUTTON, state);
        if (FState == bsExclusive && !FMouseInControl) {
            TRect inner = r;
            InflateRect(inner, -2, -2);
            c->Brush()->SetColor(cl3DLight);
            c->FillRect(inner);
        }
    }
    const TPoint offset = pressed ? TPoint{1, 1} : TPoint{0, 0};
    c->SetFont(Font());
    DrawButtonGlyphAndCaption(c, r, offset, Caption(), FGlyph.get(), FNumGlyphs, FState,
                              BiDiButtonLayout(FLayout, UseRightToLeftAlignment()), FMargin, FSpacing,
                              FTransparent);
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGroupButton::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    if (!FDown) {
        FState = bsDown;
        Invalidate();
    }
    FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGroupButton::MouseMove(Shift, X, Y);
    if (!FDragging) return;
    TButtonState next = FDown ? bsExclusive : bsUp;
    if (PtInRect(ClientRect(), {X, Y})) next = FDown ? bsExclusive : bsDown;
    if (next != FState) {
        FState = next;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGroupButton::MouseUp(Button, Shift, X, Y);
    if (!FDragging) return;
    FDragging = false;
    const bool doClick = PtInRect(ClientRect(), {X, Y});
    if (FGroupIndex == 0) {
        FState = bsUp;
        FMouseInControl = FMouseInControl && doClick;
        Invalidate();
    } else if (doClick) {
        SetDown(!FDown);
        if (FDown)
            FState = bsExclusive;
        else
            FState = bsUp;
        Invalidate();
    } else {
        FState = FDown ? bsExclusive : bsUp;
        Invalidate();
    }
    if (doClick) Click();
}

void TSpeedButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        FMouseInControl = true;
        if (FFlat && Enabled()) Invalidate();
        break;
    case CM_MOUSELEAVE:
        FMouseInControl = false;
        if (FFlat && Enabled()) Invalidate();
        break;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char32_t>(Message.WParam), Caption()) && Enabled() && Visible() && Parent() &&
            Parent()->Showing()) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled()) FMouseInControl = false;
        break;
    case CM_TEXTCHANGED: Invalidate(); break;
    default: break;
    }
    TGroupButton::Dispatch(Message);
}

void TSpeedButton::Publish(TPublisher<TSpeedButton>& p) {
    p.Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex);
    p.Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown);
    p.Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp);
    p.Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat);
    p.Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
    p.Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs);
    p.Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout);
    p.Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin);
    p.Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing);
    p.Property("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent);
}

// ---- TBitBtn --------------------------------------------------------------------------------------

namespace {

struct TKindInfo {
    const char* Caption;
    TModalResult Result;
};

TKindInfo KindInfo(TBitBtnKind Kind) {
    switch (Kind) {
    case bkOK: return {"OK", mrOk};
    case bkCancel: return {"Cancel", mrCancel};
    case bkHelp: return {"&Help", mrNone};
    case bkYes: return {"&Yes", mrYes};
    case bkNo: return {"&No", mrNo};
    case bkClose: return {"&Close", mrNone};
    case bkAbort: return {"Abort", mrAbort};
    case bkRetry: return {"&Retry", mrRetry};
    case bkIgnore: return {"&Ignore", mrIgnore};
    case bkAll: return {"&All", mrAll};
    default: return {"", mrNone};
    }
}

// The image of a kind, 18 x 18 on an olive background (the transparent colour).
void DrawKindImage(TBitBtnKind Kind, TBitmap* Glyph) {
    Glyph->SetSize(18, 18);
    TCanvas* c = Glyph->Canvas();
    c->Brush()->SetColor(clOlive);
    c->FillRect(Rect(0, 0, 18, 18));
    c->Pen()->SetWidth(2);
    switch (Kind) {
    case bkOK:
    case bkYes:
        c->Pen()->SetColor(clGreen);
        c->Polyline({{3, 9}, {7, 13}, {15, 4}});
        break;
    case bkCancel:
    case bkAbort:
        c->Pen()->SetColor(clRed);
        c->MoveTo(4, 4);
        c->LineTo(14, 14);
        c->MoveTo(14, 4);
        c->LineTo(4, 14);
        break;
    case bkNo:
        c->Pen()->SetColor(clRed);
        c->Brush()->SetStyle(bsClear);
        c->Ellipse(3, 3, 15, 15);
        c->MoveTo(5, 13);
        c->LineTo(13, 5);
        break;
    case bkHelp:
        c->Font()->SetColor(clNavy);
        c->Font()->SetStyle({fsBold});
        c->Font()->SetHeight(-14);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(5, 1, "?");
        break;
    case bkClose:
        c->Pen()->SetColor(clTeal);
        c->Brush()->SetStyle(bsClear);
        c->Rectangle(3, 2, 12, 16);
        c->Pen()->SetColor(clMaroon);
        c->MoveTo(8, 9);
        c->LineTo(16, 9);
        break;
    case bkRetry:
        c->Pen()->SetColor(clGreen);
        c->Brush()->SetStyle(bsClear);
        c->Ellipse(3, 3, 15, 15);
        c->Polyline({{12, 2}, {14, 5}, {11, 6}});
        break;
    case bkIgnore:
        c->Pen()->SetColor(clNavy);
        c->MoveTo(3, 9);
        c->LineTo(15, 9);
        c->Polyline({{11, 5}, {15, 9}, {11, 13}});
        break;
    case bkAll:
        c->Pen()->SetColor(clGreen);
        c->Polyline({{2, 8}, {5, 11}, {10, 4}});
        c->Polyline({{7, 11}, {10, 14}, {16, 6}});
        break;
    default: break;
    }
    c->Pen()->SetWidth(1);
}

// The glyph strip of a kind: its image, then the image as a disabled button shows it.
void MakeKindGlyph(TBitBtnKind Kind, TBitmap* Glyph) {
    TBitmap single;
    DrawKindImage(Kind, &single);
    const int w = single.Width(), h = single.Height();
    Glyph->SetSize(2 * w, h);
    TCanvas* c = Glyph->Canvas();
    c->Brush()->SetColor(clOlive);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(Rect(0, 0, 2 * w, h));
    c->CopyRect(Rect(0, 0, w, h), single.Canvas(), Rect(0, 0, w, h));
    auto image = GlyphImage(&single, 1, 0);
    DrawGreyedGlyph(c, image.get(), w, 0);
}

// The push button whose face the TBitBtn paints.
class TBitBtnWidget : public TQtHost<QPushButton> {
public:
    TBitBtnWidget(TBitBtn* Button, QWidget* Parent) : TQtHost<QPushButton>(Button, Parent) {}
    std::function<void(TCanvas*, bool, bool)> PaintFace;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        TCanvas canvas;
        const QRect all = rect();
        BindCanvas(&canvas, &painter, QPoint(0, 0), &all);
        if (PaintFace) PaintFace(&canvas, isDown(), hasFocus());
        UnbindCanvas(&canvas);
    }
};

}  // namespace

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(std::make_unique<TBitmap>()) {
    FGlyph->SetOnChange(TNotifyEvent(this, &TBitBtn::GlyphChanged));
}

TBitBtn::~TBitBtn() {
    Destroying();
    DestroyHandle();
    FGlyph->SetOnChange(nullptr);
}

void TBitBtn::GlyphChanged(TObject*) {
    if (!FModifyingKind) FKind = bkCustom;
    Invalidate();
}

void TBitBtn::CreateWindowHandle(const TCreateParams& Params) {
    auto* w = new TBitBtnWidget(this, ParentWidgetFor(Params));
    w->setAutoDefault(false);
    w->PaintFace = [this](TCanvas* Canvas, bool Down, bool Focus) {
        Canvas->SetFont(Font());
        TRect r = Rect(0, 0, Width(), Height());
        unsigned state = DFCS_BUTTONPUSH;
        if (Down) state |= DFCS_PUSHED;
        if (!Enabled()) state |= DFCS_INACTIVE;
        if (Default() || Focus) {
            Canvas->Brush()->SetColor(clWindowFrame);
            Canvas->FrameRect(r);
            InflateRect(r, -1, -1);
        }
        Canvas->Brush()->SetColor(Color());
        DrawFrameControl(Canvas, r, DFC_BUTTON, state);
        const TButtonState bs = !Enabled() ? bsDisabled : Down ? bsDown : bsUp;
        TRect client = Rect(0, 0, Width(), Height());
        InflateRect(client, -2, -2);
        DrawButtonGlyphAndCaption(Canvas, client, Down ? TPoint{1, 1} : TPoint{0, 0}, Caption(), FGlyph.get(),
                                  FNumGlyphs, bs, BiDiButtonLayout(FLayout, UseRightToLeftAlignment()),
                                  FMargin, FSpacing, true, WordWrap());
        if (Focus) {
            TRect f = Rect(0, 0, Width(), Height());
            InflateRect(f, -4, -4);
            Canvas->Brush()->SetColor(Color());
            Canvas->DrawFocusRect(f);
        }
    };
    QObject::connect(w, &QPushButton::clicked, [this] { GuardedCall(this, [this] { WidgetClicked(); }); });
    AttachWidget(w, false);
}

void TBitBtn::SetKind(TBitBtnKind Value) {
    if (Value == FKind) return;
    FModifyingKind = true;
    if (Value != bkCustom) {
        const TKindInfo info = KindInfo(Value);
        SetCaption(info.Caption);
        SetModalResult(info.Result);
        if (Value == bkOK || Value == bkYes) SetDefault(true);
        if (Value == bkCancel || Value == bkNo) SetCancel(true);
        MakeKindGlyph(Value, FGlyph.get());
        FNumGlyphs = 2;
    }
    FModifyingKind = false;
    FKind = Value;
    Invalidate();
}

void TBitBtn::SetGlyph(TBitmap* Value) {
    AssignGlyph(FGlyph.get(), Value, FNumGlyphs);
    Invalidate();
}

void TBitBtn::SetNumGlyphs(int Value) {
    FNumGlyphs = std::clamp(Value, 1, 4);
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout Value) {
    FLayout = Value;
    Invalidate();
}

void TBitBtn::SetMargin(int Value) {
    FMargin = std::max(-1, Value);
    Invalidate();
}

void TBitBtn::SetSpacing(int Value) {
    FSpacing = Value;
    Invalidate();
}

void TBitBtn::Click() {
    if (FKind == bkClose) {
        if (TCustomForm* form = GetParentForm(this)) {
            form->Close();
            TButtonControl::Click();
            return;
        }
    }
    if (FKind == bkHelp) {
        for (const TControl* c = this; c; c = c->Parent())
            if (c->HelpContext() != 0) {
                if (Application) Application->HelpContext(c->HelpContext());
                break;
            }
    }
    TButton::Click();
}

void TBitBtn::Publish(TPublisher<TBitBtn>& p) {
    p.Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind);
    p.Property("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph);
    p.Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs);
    p.Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout);
    p.Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin);
    p.Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing);
}
