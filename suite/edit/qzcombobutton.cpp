// The glyph lists shared through a cache, the glyphs registered for each button kind,
// and the button's glyph, states, painting and mouse.
#include "suite/edit/qzcombobutton.h"

#include <algorithm>
#include <mutex>

#include "platform/ui/actions.h"
#include "platform/ui/bitmap_effects.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"
#include "platform/ui/menus.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/themes.h"
#include "suite/base/qzdraw.h"

// ---- Glyph resources ------------------------------------------------------------------

namespace {
// Olive is transparent.
const char* const kDropDown[] = {
    "7 4 2 1", ". c #808000", "# c #000000", "#######", ".#####.", "..###..", "...#...",
};
const char* const kSpinUp[] = {
    "7 4 2 1", ". c #808000", "# c #000000", "...#...", "..###..", ".#####.", "#######",
};
const char* const kSpinDown[] = {
    "7 4 2 1", ". c #808000", "# c #000000", "#######", ".#####.", "..###..", "...#...",
};
}  // namespace

void RegisterComboButtonGlyphs() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterXpmResource("QZDROPDOWN", kDropDown);
        RegisterXpmResource("qzSpinUp", kSpinUp);
        RegisterXpmResource("qzSpinDown", kSpinDown);
    });
}

void LoadComboButtonGlyph(TBitmap* Bitmap, const char* Name) {
    RegisterComboButtonGlyphs();
    Bitmap->LoadFromResourceName(Name);
    Bitmap->SetTransparentColor(clOlive);
}

// ---- Glyph lists ------------------------------------------------------------------------

TGlyphList::TGlyphList(int AWidth, int AHeight) : TImageList(nullptr) { SetSize(AWidth, AHeight); }

bool TGlyphList::Used(int Index) const {
    return Index >= 0 && Index < static_cast<int>(FUsed.size()) && FUsed[static_cast<size_t>(Index)];
}

int TGlyphList::AllocateIndex() {
    auto free = std::find(FUsed.begin(), FUsed.end(), false);
    int index = static_cast<int>(free - FUsed.begin());
    if (index >= TImageList::Count()) {
        TBitmap empty;
        empty.SetSize(Width(), Height());
        index = TImageList::AddMasked(&empty, clNone);
        FUsed.resize(static_cast<size_t>(TImageList::Count()), false);
    }
    FUsed[static_cast<size_t>(index)] = true;
    return index;
}

int TGlyphList::AddMasked(TBitmap* Image, TColor MaskColor) {
    const int index = AllocateIndex();
    // The mask is white where the image has the mask colour.
    TBitmap mask;
    BitmapColorMask(Image, MaskColor == clDefault ? Image->TransparentColor() : MaskColor, &mask);
    TBitmap inverted;
    inverted.SetSize(mask.Width(), mask.Height());
    inverted.Canvas()->Brush()->SetColor(clBlack);
    inverted.Canvas()->FillRect(Rect(0, 0, mask.Width(), mask.Height()));
    PaintThroughMask(&inverted, &mask, clWhite);
    Replace(index, Image, &inverted);
    ++FCount;
    return index;
}

void TGlyphList::Delete(int Index) {
    if (!Used(Index)) return;
    --FCount;
    FUsed[static_cast<size_t>(Index)] = false;
}

TGlyphList* TGlyphCache::GetList(int AWidth, int AHeight) {
    for (auto it = FGlyphLists.rbegin(); it != FGlyphLists.rend(); ++it)
        if ((*it)->Width() == AWidth && (*it)->Height() == AHeight) return it->get();
    FGlyphLists.push_back(std::make_unique<TGlyphList>(AWidth, AHeight));
    return FGlyphLists.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* List) {
    if (!List || List->Count() != 0) return;
    std::erase_if(FGlyphLists, [List](const std::unique_ptr<TGlyphList>& l) { return l.get() == List; });
}

namespace {
std::unique_ptr<TGlyphCache>& CacheSlot() {
    static std::unique_ptr<TGlyphCache> cache;
    return cache;
}
int& ButtonCount() {
    static int count = 0;
    return count;
}
}  // namespace

TGlyphCache* GlyphCache() { return CacheSlot().get(); }

// ---- Glyph ------------------------------------------------------------------------------

TqzComboButtonGlyph::TqzComboButtonGlyph(TControl* Owner) : FSourceBitmap(new TBitmap), FOwner(Owner) {
    FSourceBitmap->SetOnChange(TNotifyEvent(this, &TqzComboButtonGlyph::GlyphChanged));
    if (!CacheSlot()) CacheSlot() = std::make_unique<TGlyphCache>();
}

TqzComboButtonGlyph::~TqzComboButtonGlyph() {
    Invalidate();
    FSourceBitmap.reset();
    if (CacheSlot() && CacheSlot()->Empty()) CacheSlot().reset();
}

void TqzComboButtonGlyph::Invalidate() {
    for (int& index : FIndexes) {
        if (index != -1 && FGlyphList) FGlyphList->Delete(index);
        index = -1;
    }
    if (FGlyphList && CacheSlot()) CacheSlot()->ReturnList(FGlyphList);
    FGlyphList = nullptr;
}

void TqzComboButtonGlyph::GlyphChanged(TObject* Sender) {
    if (Sender != FSourceBitmap.get()) return;
    FTransparentColor = FSourceBitmap->TransparentColor();
    Invalidate();
    if (FOnChange.Assigned()) FOnChange(FSourceBitmap.get());
}

void TqzComboButtonGlyph::SetGlyph(TBitmap* Value) {
    Invalidate();
    FSourceBitmap->Assign(Value);
    if (Value && Value->Height() >= 1) {
        FTransparentColor = Value->TransparentColor();
        if (Value->Width() % Value->Height() == 0) {
            const int n = Value->Width() / Value->Height();
            SetNumGlyphs(n > 4 ? 1 : n);
        }
    }
}

void TqzComboButtonGlyph::SetNumGlyphs(int Value) {
    // A count below 1 is no count: nothing changes (no division by it later).
    if (Value == FNumGlyphs || Value < 1) return;
    Invalidate();
    FNumGlyphs = std::min(Value, 4);
    GlyphChanged(FSourceBitmap.get());
}

int TqzComboButtonGlyph::CreateButtonGlyph(TButtonState State) {
    if (State == bsDown && FNumGlyphs < 3) State = bsUp;
    int& slot = FIndexes[static_cast<size_t>(State)];
    if (slot != -1) return slot;
    if (FSourceBitmap->Width() == 0 || FSourceBitmap->Height() == 0) return -1;
    const int w = FSourceBitmap->Width() / FNumGlyphs, h = FSourceBitmap->Height();
    if (w <= 0) return -1;
    if (!FGlyphList) {
        if (!CacheSlot()) CacheSlot() = std::make_unique<TGlyphCache>();
        FGlyphList = CacheSlot()->GetList(w, h);
    }
    TBitmap tmp;
    tmp.SetSize(w, h);
    tmp.Canvas()->Brush()->SetColor(clBtnFace);
    tmp.Canvas()->FillRect(Rect(0, 0, w, h));
    const int image = static_cast<int>(State) < FNumGlyphs ? static_cast<int>(State) : 0;
    const TRect source = Rect(image * w, 0, (image + 1) * w, h);
    const TRect dest = Rect(0, 0, w, h);
    const TColor mask =
        FSourceBitmap->TransparentMode() == tmFixed ? FTransparentColor : FSourceBitmap->TransparentColor();
    switch (State) {
    case bsUp:
    case bsDown:
    case bsExclusive:
        tmp.Canvas()->CopyRect(dest, FSourceBitmap->Canvas(), source);
        slot = FGlyphList->AddMasked(&tmp, mask);
        break;
    case bsDisabled:
        if (FNumGlyphs > 1) {
            tmp.Canvas()->CopyRect(dest, FSourceBitmap->Canvas(), source);
            // White turns highlight, grey shadow, the transparent colour face.
            TBitmap white, grey, clear;
            BitmapColorMask(&tmp, clWhite, &white);
            BitmapColorMask(&tmp, clGray, &grey);
            BitmapColorMask(&tmp, FTransparentColor, &clear);
            PaintThroughMask(&tmp, &white, clBtnHighlight);
            PaintThroughMask(&tmp, &grey, clBtnShadow);
            PaintThroughMask(&tmp, &clear, clBtnFace);
            slot = FGlyphList->AddMasked(&tmp, clBtnFace);
        } else {
            TBitmap one, engraved;
            one.SetSize(w, h);
            one.Canvas()->CopyRect(dest, FSourceBitmap->Canvas(), source);
            EmbossBitmap(&one, FTransparentColor, &engraved, clBtnFace, clBtnHighlight, clBtnShadow);
            slot = FGlyphList->AddMasked(&engraved, clBtnFace);
        }
        break;
    }
    return slot;
}

void TqzComboButtonGlyph::DrawButtonGlyph(TCanvas* Canvas, const TPoint& Pos, TButtonState State,
                                          bool Transparent) {
    const int index = CreateButtonGlyph(State);
    if (index < 0 || !FGlyphList) return;
    if (!ThemeServicesEnabled() && !Transparent && State != bsExclusive) {
        Canvas->Brush()->SetColor(clBtnFace);
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->FillRect(Bounds(Pos.X, Pos.Y, FGlyphList->Width(), FGlyphList->Height()));
    }
    FGlyphList->Draw(Canvas, Pos.X, Pos.Y, index, true);
}

void TqzComboButtonGlyph::DrawButtonText(TCanvas* Canvas, const std::string& Caption, TRect Bounds,
                                         TButtonState State, unsigned BiDiFlags) {
    Canvas->Brush()->SetStyle(bsClear);
    const unsigned format = DT_CENTER | DT_VCENTER | BiDiFlags;
    if (State == bsDisabled) {
        TRect r = Bounds;
        OffsetRect(r, 1, 1);
        Canvas->Font()->SetColor(clBtnHighlight);
        DrawText(Canvas, Caption, r, format);
        r = Bounds;
        Canvas->Font()->SetColor(clBtnShadow);
        DrawText(Canvas, Caption, r, format);
    } else {
        DrawText(Canvas, Caption, Bounds, format);
    }
}

TRect TqzComboButtonGlyph::Draw(TCanvas* Canvas, const TRect& Client, const TPoint& Offset,
                                const std::string& Caption, TButtonLayout Layout, int Margin, int Spacing,
                                TButtonState State, bool Transparent, unsigned BiDiFlags) {
    TSize text{0, 0};
    if (!Caption.empty()) {
        TRect calc = Rect(0, 0, Client.Width(), 0);
        DrawText(Canvas, Caption, calc, DT_CALCRECT | BiDiFlags);
        text = {calc.Width(), calc.Height()};
    }
    TSize glyph{0, 0};
    if (FSourceBitmap->Width() > 0 && FSourceBitmap->Height() > 0) {
        glyph = {FSourceBitmap->Width() / FNumGlyphs, FSourceBitmap->Height()};
    }
    if (BiDiFlags & DT_RIGHT) {
        if (Layout == blGlyphLeft)
            Layout = blGlyphRight;
        else if (Layout == blGlyphRight)
            Layout = blGlyphLeft;
    }
    const TSize client{Client.Width(), Client.Height()};
    TPoint gp, tp;
    const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    if (horizontal) {
        gp.Y = (client.cy - glyph.cy + 1) / 2;
        tp.Y = (client.cy - text.cy + 1) / 2;
    } else {
        gp.X = (client.cx - glyph.cx + 1) / 2;
        tp.X = (client.cx - text.cx + 1) / 2;
    }
    if (Caption.empty() || glyph.cx == 0) Spacing = 0;
    const int space = horizontal ? client.cx : client.cy;
    const int g = horizontal ? glyph.cx : glyph.cy;
    const int t = horizontal ? text.cx : text.cy;
    if (Margin == -1) {
        if (Spacing == -1) {
            Margin = (space - g - t) / 3;
            Spacing = Margin;
        } else {
            Margin = (space - g - Spacing - t + 1) / 2;
        }
    } else if (Spacing == -1) {
        Spacing = (space - Margin - g - t) / 2;
    }
    switch (Layout) {
    case blGlyphLeft:
        gp.X = Margin;
        tp.X = gp.X + glyph.cx + Spacing;
        break;
    case blGlyphRight:
        gp.X = client.cx - Margin - glyph.cx;
        tp.X = gp.X - Spacing - text.cx;
        break;
    case blGlyphTop:
        gp.Y = Margin;
        tp.Y = gp.Y + glyph.cy + Spacing;
        break;
    case blGlyphBottom:
        gp.Y = client.cy - Margin - glyph.cy;
        tp.Y = gp.Y - Spacing - text.cy;
        break;
    }
    gp.X += Client.Left + Offset.X;
    gp.Y += Client.Top + Offset.Y;
    tp.X += Client.Left;
    tp.Y += Client.Top;
    if (!qzUseThemes(FOwner)) {
        tp.X += Offset.X;
        tp.Y += Offset.Y;
    }
    DrawButtonGlyph(Canvas, gp, State, Transparent);
    const TRect textRect = Bounds(tp.X, tp.Y, text.cx, text.cy);
    if (!Caption.empty()) DrawButtonText(Canvas, Caption, textRect, State, BiDiFlags);
    return textRect;
}

// ---- Action link --------------------------------------------------------------------------

TqzComboButtonActionLink::TqzComboButtonActionLink(TqzComboButton* Client)
    : TControlActionLink(Client), FButton(Client) {}

bool TqzComboButtonActionLink::IsCheckedLinked() {
    return TActionLink::IsCheckedLinked() && FButton->GroupIndex() != 0 && FButton->AllowAllUp() &&
           FButton->Down() == FAction->Checked();
}

bool TqzComboButtonActionLink::IsGroupIndexLinked() {
    return TActionLink::IsGroupIndexLinked() && FButton->GroupIndex() == FAction->GroupIndex();
}

void TqzComboButtonActionLink::SetChecked(bool Value) {
    if (IsCheckedLinked()) FButton->SetDown(Value);
}

void TqzComboButtonActionLink::SetGroupIndex(int Value) {
    if (IsGroupIndexLinked()) FButton->SetGroupIndex(Value);
}

// ---- Button ------------------------------------------------------------------------------

int qzComboButtonCount() { return ButtonCount(); }

TqzComboButton::TqzComboButton(TComponent* AOwner)
    : TGroupButton(AOwner), FGlyph(std::make_unique<TqzComboButtonGlyph>(this)) {
    RegisterComboButtonGlyphs();
    FGlyph->SetOnChange(TNotifyEvent([this](TObject*) { Invalidate(); }));
    SetBounds(0, 0, 22, 23);
    SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks});
    SetParentFont(true);
    SetColor(clBtnFace);
    ++ButtonCount();
}

TqzComboButton::~TqzComboButton() {
    FActionLink.reset();
    FGlyph.reset();
    --ButtonCount();
}

TCustomAction* TqzComboButton::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TqzComboButton::SetAction(TCustomAction* Value) {
    if (!Value) {
        FActionLink.reset();
        return;
    }
    if (!FActionLink) FActionLink = std::make_unique<TqzComboButtonActionLink>(this);
    FActionLink->SetAction(Value);
    ActionChange(Value, false);
}

void TqzComboButton::ActionChange(TObject* Sender, bool CheckDefaults) {
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action) return;
    if (!CheckDefaults || Caption().empty()) SetCaption(action->Caption());
    if (!CheckDefaults || Enabled()) SetEnabled(action->Enabled());
    if (!CheckDefaults || Hint().empty()) SetHint(action->Hint());
    if (!CheckDefaults || Visible()) SetVisible(action->Visible());
    if (!CheckDefaults || GroupIndex() == 0) SetGroupIndex(action->GroupIndex());
    TImageList* images = action->Images();
    if (Glyph()->Empty() && images && action->ImageIndex() >= 0 && action->ImageIndex() < images->Count()) {
        TBitmap b;
        b.SetSize(images->Width(), images->Height());
        b.Canvas()->Brush()->SetColor(clFuchsia);
        b.Canvas()->FillRect(Rect(0, 0, b.Width(), b.Height()));
        images->Draw(b.Canvas(), 0, 0, action->ImageIndex());
        SetGlyph(&b);
    }
}

void TqzComboButton::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    Invalidate();
}

void TqzComboButton::SetGlyph(TBitmap* Value) {
    FGlyph->SetGlyph(Value);
    Invalidate();
}

void TqzComboButton::SetLayout(TButtonLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    Invalidate();
}

void TqzComboButton::SetMargin(int Value) {
    if (Value == FMargin || Value < -1) return;
    FMargin = Value;
    Invalidate();
}

void TqzComboButton::SetNumGlyphs(int Value) {
    FGlyph->SetNumGlyphs(std::min(Value, 4));
    Invalidate();
}

void TqzComboButton::SetSpacing(int Value) {
    if (Value == FSpacing) return;
    FSpacing = Value;
    Invalidate();
}

void TqzComboButton::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    if (Value)
        SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
    else
        SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
    Invalidate();
}

void TqzComboButton::RaisedByGroup() {
    if (TCustomAction* a = Action()) a->SetChecked(false);
}

void TqzComboButton::Loaded() {
    inherited::Loaded();
    FGlyph->CreateButtonGlyph(Enabled() ? bsUp : bsDisabled);
}

void TqzComboButton::Click() {
    if (FActionLink && FActionLink->Execute()) return;
    inherited::Click();
}

void TqzComboButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
        FGlyph->CreateButtonGlyph(Enabled() ? bsUp : bsDisabled);
        if (!Enabled()) FMouseInControl = false;
        Invalidate();
        break;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED: Invalidate(); break;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char32_t>(Message.WParam), Caption()) && Enabled() && Visible() && Parent() &&
            Parent()->Showing()) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    case CM_MOUSEENTER:
        if (((FFlat && !FMouseInControl && Enabled() && !GetCaptureControl()) || qzUseThemes(this)) &&
            !qzIsDesigning(this)) {
            FMouseInControl = true;
            if (Enabled()) Repaint();
        }
        break;
    case CM_MOUSELEAVE:
        if ((FFlat && FMouseInControl && Enabled() && !FDragging) || qzUseThemes(this)) {
            FMouseInControl = false;
            if (Enabled()) Invalidate();
        }
        break;
    case WM_LBUTTONDBLCLK:
        inherited::Dispatch(Message);
        if (FDown) DblClick();
        return;
    default: break;
    }
    inherited::Dispatch(Message);
}

bool TqzComboButton::InsideForClick(int X, int Y) const {
    return X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
}

void TqzComboButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Enabled()) {
        if (!FDown) {
            FState = bsDown;
            Invalidate();
        }
        FDragging = true;
    }
}

void TqzComboButton::MouseMove(TShiftState Shift, int X, int Y) {
    inherited::MouseMove(Shift, X, Y);
    if (FDragging) {
        TButtonState now = FDown ? bsExclusive : bsUp;
        if (InsideForClick(X, Y)) now = FDown ? bsExclusive : bsDown;
        if (now != FState) {
            FState = now;
            Invalidate();
        }
    }
}

void TqzComboButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseUp(Button, Shift, X, Y);
    if (!FDragging) return;
    FDragging = false;
    const bool click = InsideForClick(X, Y);
    if (FGroupIndex == 0) {
        FState = bsUp;
        FMouseInControl = false;
        if (click) Invalidate();
    } else if (click) {
        SetDown(!FDown);
        if (FDown) Repaint();
    } else {
        if (FDown) FState = bsExclusive;
        Repaint();
    }
    if (click) Click();
}

void TqzComboButton::Paint() {
    if (!Enabled()) {
        FState = bsDisabled;
        FDragging = false;
    } else if (FState == bsDisabled) {
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    }
    TCanvas* c = Canvas();
    c->SetFont(Font());
    TRect r = ClientRect();
    if (qzUseThemes(this))
        PaintThemed(c, r);
    else
        PaintClassic(c, r);
}

void TqzComboButton::PaintClassic(TCanvas* C, TRect R) {
    const bool down = FState == bsDown || FState == bsExclusive;
    if (FFlat) {
        if (down || (FMouseInControl && Enabled()) || qzIsDesigning(this)) {
            TRect edge = R;
            DrawEdge(C, edge, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                     BF_RECT | (FTransparent ? 0 : BF_MIDDLE));
        } else if (!FTransparent) {
            C->Brush()->SetColor(Color());
            C->Brush()->SetStyle(bsSolid);
            C->FillRect(R);
        }
        InflateRect(R, -1, -1);
    } else {
        unsigned state = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (down) state |= DFCS_PUSHED;
        C->Brush()->SetColor(Color());
        DrawFrameControl(C, R, DFC_BUTTON, state);
    }
    TPoint offset{0, 0};
    if (down) offset = {1, 1};
    if (FState == bsExclusive && (!FFlat || !FMouseInControl)) {
        const int32_t face = ColorToRGB(clBtnFace), light = ColorToRGB(clBtnHighlight);
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x) C->SetPixels(x, y, ((x + y) & 1) ? face : light);
    }
    FGlyph->Draw(C, R, offset, Caption(), FLayout, FMargin, FSpacing, FState, FTransparent, BiDiTextFlags());
}

// Right-to-left reading, and the right side (the glyph swaps sides) when the
// button runs right to left.
unsigned TqzComboButton::BiDiTextFlags() const {
    return (UseRightToLeftReading() ? DT_RTLREADING : 0u) | (UseRightToLeftAlignment() ? DT_RIGHT : 0u);
}

void TqzComboButton::PaintThemed(TCanvas* C, TRect R) {
    const bool down = FState == bsDown || FState == bsExclusive;
    const bool glyph = !FGlyph->Glyph()->Empty();
    const bool vista = IsVistaComboStyle();
    if (vista && Parent()) {
        C->Brush()->SetColor(Parent()->Color());
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(R);
    }
    if (FEllipsis || glyph) {
        TThemedButtonState s = tbsNormal;
        if (!Enabled())
            s = tbsDisabled;
        else if (down)
            s = tbsPressed;
        else if (FMouseInControl || (IsParentHot() && vista))
            s = tbsHot;
        DrawThemedPushButton(C, R, s);
        if (!glyph) {
            const int side = std::max(1, R.Width() / 8);
            const int x = R.Width() / 2 + R.Left - 1, y = R.Height() / 2 + R.Top - 1;
            C->Brush()->SetColor(clBlack);
            C->Brush()->SetStyle(bsSolid);
            for (int i = -1; i <= 1; ++i) C->FillRect(Bounds(x + i * 2 * side, y, side, side));
        }
    }
    if (FEllipsis && !glyph) return;
    TThemedButtonState s;
    if (!Enabled())
        s = tbsDisabled;
    else if (down || (IsParentDroppedDown() && vista))
        s = tbsPressed;
    else if (FMouseInControl)
        s = tbsHot;
    else if (!IsParentHot())
        s = tbsNormal;
    else if (vista)
        s = tbsHot;
    else
        s = tbsNormal;
    if (glyph) {
        if (!FEllipsis) DrawThemedPushButton(C, R, s);
        FGlyph->Draw(C, R, {0, 0}, Caption(), FLayout, FMargin, FSpacing, FState, FTransparent,
                     BiDiTextFlags());
        return;
    }
    // The combo-box drop-down element: a themed face with the arrow.
    DrawThemedPushButton(C, R, s);
    qzDrawDropDownArrow(C, R, Enabled(), s == tbsPressed, 0);
}

void TqzComboButton::Publish(TPublisher<TqzComboButton>& p) {
    p.Property("Action", &TqzComboButton::Action, &TqzComboButton::SetAction);
    p.Property("AllowAllUp", &TqzComboButton::AllowAllUp, &TqzComboButton::SetAllowAllUp);
    p.Property("Caption", &TqzComboButton::Caption, &TqzComboButton::SetCaption);
    p.Property("Glyph", &TqzComboButton::Glyph, &TqzComboButton::SetGlyph);
    p.Property(
        "PopupMenu", [](TqzComboButton& c) { return c.PopupMenu(); },
        [](TqzComboButton& c, TPopupMenu* v) { c.SetPopupMenu(v); });
    p.Property("GroupIndex", &TqzComboButton::GroupIndex, &TqzComboButton::SetGroupIndex);
    p.Property("Down", &TqzComboButton::Down, &TqzComboButton::SetDown);
    p.Property("Flat", &TqzComboButton::Flat, &TqzComboButton::SetFlat);
    p.Property("Layout", &TqzComboButton::Layout, &TqzComboButton::SetLayout);
    p.Property("Margin", &TqzComboButton::Margin, &TqzComboButton::SetMargin);
    p.Property("NumGlyphs", &TqzComboButton::NumGlyphs, &TqzComboButton::SetNumGlyphs);
    p.Property("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode);
    p.Property("Spacing", &TqzComboButton::Spacing, &TqzComboButton::SetSpacing);
    p.Property("Transparent", &TqzComboButton::Transparent, &TqzComboButton::SetTransparent);
}

void TqzSpinControlButton::PaintThemed(TCanvas* C, TRect R) {
    const bool down = FState == bsDown || FState == bsExclusive;
    if (Parent()) {
        C->Brush()->SetColor(Parent()->Color());
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(R);
    }
    TThemedButtonState s = tbsNormal;
    if (!Enabled())
        s = tbsDisabled;
    else if (down)
        s = tbsPressed;
    else if (FMouseInControl)
        s = tbsHot;
    DrawThemedPushButton(C, R, s);
    const bool up = FArrowDirection != 1;
    const int cx = (R.Left + R.Right) / 2 + (down ? 1 : 0), cy = (R.Top + R.Bottom) / 2 + (down ? 1 : 0);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Enabled() ? clBtnText : clBtnShadow);
    for (int i = 0; i < 3; ++i) {
        const int y = up ? cy - 1 + i : cy + 1 - i;
        C->FillRect(Rect(cx - i, y, cx + i + 1, y + 1));
    }
}
