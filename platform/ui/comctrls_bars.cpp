// The tool bar with its buttons, and the status bar.
#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/drawing.h"
#include "platform/ui/menus.h"

// ---- TToolButton -----------------------------------------------------------------------------------

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse, csSetCaption});
    SetBounds(0, 0, 23, 22);
    SetColor(clBtnFace);
    SetParentColor(true);
}

TToolButton::~TToolButton() = default;

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetParent(TWinControl* AParent) {
    // A new button goes after the bar's last control.
    if (auto* bar = dynamic_cast<TToolBar*>(AParent); bar && AParent != Parent()) {
        int right = bar->Indent();
        for (int i = 0; i < bar->ControlCount(); ++i) {
            TControl* c = bar->Controls(i);
            if (c->Visible()) right = std::max(right, c->Left() + c->Width());
        }
        if (Left() < right) FLeft = right;
    }
    TGraphicControl::SetParent(AParent);
}

void TToolButton::LayoutChanged() {
    if (TToolBar* bar = ToolBar()) bar->Realign();
    Invalidate();
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    if ((Value == tbsSeparator || Value == tbsDivider) && Width() == 23) SetWidth(8);
    LayoutChanged();
}

void TToolButton::SetDown(bool Value) {
    if (Value == FDown) return;
    FDown = Value;
    if (Value && FGrouped && FStyle == tbsCheck) {
        // The other buttons of the group (next to it, grouped check buttons) come up.
        if (TToolBar* bar = ToolBar()) {
            const int index = Index();
            for (int dir : {-1, 1})
                for (int i = index + dir; i >= 0 && i < bar->ButtonCount(); i += dir) {
                    TToolButton* b = bar->Buttons(i);
                    if (!b->FGrouped || b->FStyle != tbsCheck) break;
                    if (b->FDown) {
                        b->FDown = false;
                        b->Invalidate();
                    }
                }
        }
    }
    Invalidate();
}

void TToolButton::SetImageIndex(int Value) {
    FImageIndex = Value;
    Invalidate();
}

void TToolButton::SetWrap(bool Value) {
    FWrap = Value;
    LayoutChanged();
}

void TToolButton::SetDropdownMenu(TPopupMenu* Value) {
    if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
    FDropdownMenu = Value;
    if (Value) Value->FreeNotification(this);
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDropdownMenu) FDropdownMenu = nullptr;
}

int TToolButton::Index() const {
    TToolBar* bar = ToolBar();
    if (!bar) return -1;
    for (int i = 0; i < bar->ButtonCount(); ++i)
        if (bar->Buttons(i) == this) return i;
    return -1;
}

void TToolButton::Click() {
    if (FStyle == tbsCheck) {
        if (FDown && FGrouped && !FAllowAllUp) {
            // The down button of a group stays down.
        } else {
            SetDown(!FDown);
        }
    }
    TGraphicControl::Click();
}

void TToolButton::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    TToolBar* bar = ToolBar();
    const bool flat = bar && bar->Flat();
    if (FStyle == tbsSeparator || FStyle == tbsDivider) {
        if (FStyle == tbsDivider) {
            TRect line = Rect(r.Width() / 2 - 1, r.Top, r.Width() / 2 + 1, r.Bottom);
            DrawEdge(c, line, EDGE_ETCHED, BF_LEFT);
        }
        return;
    }
    const bool pressed = FPressed || FDown;
    if (!flat) {
        unsigned state = DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u) | (!Enabled() ? DFCS_INACTIVE : 0u);
        TRect face = r;
        DrawFrameControl(c, face, DFC_BUTTON, state);
    } else if (Enabled() && (pressed || FMouseIn)) {
        TRect edge = r;
        DrawEdge(c, edge, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    const int shift = pressed ? 1 : 0;
    TImageList* images = bar ? bar->Images() : nullptr;
    const bool captions = bar && bar->ShowCaptions();
    int imageH = 0;
    if (images && FImageIndex >= 0 && FImageIndex < images->Count()) {
        imageH = images->Height();
        const int x = (r.Width() - images->Width()) / 2 + shift;
        const int y = (captions ? 3 : (r.Height() - images->Height()) / 2) + shift;
        images->Draw(c, x, y, FImageIndex, Enabled());
    }
    if (captions || imageH == 0) {
        c->SetFont(Font());
        c->Brush()->SetStyle(bsClear);
        TRect t = r;
        if (imageH > 0) t.Top = imageH + 4;
        OffsetRect(t, shift, shift);
        if (!Enabled()) c->Font()->SetColor(clGrayText);
        DrawText(c, Caption(), t, DT_CENTER | DT_SINGLELINE | (imageH > 0 ? 0u : DT_VCENTER));
    }
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled() || FStyle == tbsSeparator || FStyle == tbsDivider) return;
    FPressed = true;
    Invalidate();
    if (FStyle == tbsDropDown && FDropdownMenu) {
        const TPoint p = ClientToScreen({0, Height()});
        FDropdownMenu->SetPopupComponent(this);
        FPressed = false;
        SetMouseCapture(false);
        Invalidate();
        FDropdownMenu->Popup(p.X, p.Y);
    }
}

void TToolButton::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    if (MouseCapture()) {
        const bool inside = PtInRect(ClientRect(), {X, Y});
        if (inside != FPressed) {
            FPressed = inside;
            Invalidate();
        }
    }
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool wasPressed = FPressed;
    FPressed = false;
    Invalidate();
    if (!RunWhileAlive(this, [&] { TGraphicControl::MouseUp(Button, Shift, X, Y); })) return;
    if (Button == mbLeft && wasPressed && PtInRect(ClientRect(), {X, Y})) Click();
}

void TToolButton::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        FMouseIn = true;
        Invalidate();
        break;
    case CM_MOUSELEAVE:
        FMouseIn = false;
        Invalidate();
        break;
    case CM_TEXTCHANGED: Invalidate(); break;
    default: break;
    }
    TGraphicControl::Dispatch(Message);
}

void TToolButton::Publish(TPublisher<TToolButton>& p) {
    p.Property("Style", &TToolButton::Style, &TToolButton::SetStyle);
    p.Property("Down", &TToolButton::Down, &TToolButton::SetDown);
    p.Property("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped);
    p.Property("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp);
    p.Property("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex);
    p.Property("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap);
    p.Property("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu);
}

// ---- TToolBar -------------------------------------------------------------------------------------

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
    SetColor(clBtnFace);
    SetParentColor(true);
}

TToolBar::~TToolBar() {
    Destroying();
    DestroyHandle();
}

int TToolBar::ButtonCount() const {
    int n = 0;
    for (int i = 0; i < ControlCount(); ++i)
        if (dynamic_cast<TToolButton*>(Controls(i))) ++n;
    return n;
}

TToolButton* TToolBar::Buttons(int Index) const {
    std::vector<TToolButton*> buttons;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(Controls(i))) buttons.push_back(b);
    std::stable_sort(buttons.begin(), buttons.end(), [](TToolButton* a, TToolButton* b) {
        return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    if (Index < 0 || Index >= static_cast<int>(buttons.size()))
        throw EListError(Format("List index out of bounds (%d)", Index));
    return buttons[static_cast<std::size_t>(Index)];
}

void TToolBar::SetButtonWidth(int Value) {
    FButtonWidth = std::max(1, Value);
    Realign();
}

void TToolBar::SetButtonHeight(int Value) {
    FButtonHeight = std::max(1, Value);
    Realign();
}

void TToolBar::SetFlat(bool Value) {
    FFlat = Value;
    Invalidate();
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->Invalidate();
}

void TToolBar::SetShowCaptions(bool Value) {
    FShowCaptions = Value;
    Realign();
    Invalidate();
}

void TToolBar::SetImages(TImageList* Value) {
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TToolBar::SetIndent(int Value) {
    FIndent = std::max(0, Value);
    Realign();
}

void TToolBar::SetWrapable(bool Value) {
    FWrapable = Value;
    Realign();
}

void TToolBar::SetEdgeBorders(TEdgeBorders Value) {
    FEdgeBorders = Value;
    Realign();
    Invalidate();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TToolBar::AdjustClientRect(TRect& Rect) {
    TCustomControl::AdjustClientRect(Rect);
    if (FEdgeBorders.Contains(ebLeft)) Rect.Left += 2;
    if (FEdgeBorders.Contains(ebTop)) Rect.Top += 2;
    if (FEdgeBorders.Contains(ebRight)) Rect.Right -= 2;
    if (FEdgeBorders.Contains(ebBottom)) Rect.Bottom -= 2;
}

void TToolBar::AlignControls(TControl* AControl, TRect& Rect) {
    if (FAligning) return;
    FAligning = true;
    std::vector<TControl*> list;
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i)->Visible()) list.push_back(Controls(i));
    std::stable_sort(list.begin(), list.end(), [](TControl* a, TControl* b) {
        return a->Top() / 4 != b->Top() / 4 ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    int x = Rect.Left + FIndent, y = Rect.Top, rowHeight = FButtonHeight;
    for (TControl* c : list) {
        auto* b = dynamic_cast<TToolButton*>(c);
        const bool separator = b && (b->Style() == tbsSeparator || b->Style() == tbsDivider);
        const int w = b && !separator ? FButtonWidth : c->Width();
        const int h = b ? FButtonHeight : c->Height();
        if (FWrapable && x > Rect.Left + FIndent && x + w > Rect.Right) {
            x = Rect.Left + FIndent;
            y += rowHeight;
            rowHeight = FButtonHeight;
        }
        c->SetBounds(x, y, w, h);
        rowHeight = std::max(rowHeight, h);
        x += w;
        if (b && b->Wrap()) {
            x = Rect.Left + FIndent;
            y += rowHeight;
            rowHeight = FButtonHeight;
        }
    }
    FAligning = false;
    (void)AControl;
}

void TToolBar::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    unsigned flags = 0;
    if (FEdgeBorders.Contains(ebLeft)) flags |= BF_LEFT;
    if (FEdgeBorders.Contains(ebTop)) flags |= BF_TOP;
    if (FEdgeBorders.Contains(ebRight)) flags |= BF_RIGHT;
    if (FEdgeBorders.Contains(ebBottom)) flags |= BF_BOTTOM;
    if (flags) DrawEdge(c, r, EDGE_ETCHED, flags);
}

void TToolBar::Publish(TPublisher<TToolBar>& p) {
    p.Property("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth);
    p.Property("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight);
    p.Property("Flat", &TToolBar::Flat, &TToolBar::SetFlat);
    p.Property("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions);
    p.Property("Images", &TToolBar::Images, &TToolBar::SetImages);
    p.Property("Indent", &TToolBar::Indent, &TToolBar::SetIndent);
    p.Property("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable);
    p.Property("EdgeBorders", &TToolBar::EdgeBorders, &TToolBar::SetEdgeBorders);
}

// ---- Status bar -----------------------------------------------------------------------------------

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

void TStatusPanel::SetText(const std::string& Value) {
    if (Value == FText) return;
    FText = Value;
    Changed(false);
}

void TStatusPanel::SetWidth(int Value) {
    FWidth = std::max(0, Value);
    Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
    FBevel = Value;
    Changed(false);
}

void TStatusPanel::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TStatusPanel*>(Source)) {
        FText = p->FText;
        FWidth = p->FWidth;
        FAlignment = p->FAlignment;
        FBevel = p->FBevel;
        Changed(true);
        return;
    }
    TCollectionItem::Assign(Source);
}

std::string TStatusPanel::GetDisplayName() const {
    return FText.empty() ? TCollectionItem::GetDisplayName() : FText;
}

void TStatusPanel::Publish(TPublisher<TStatusPanel>& p) {
    p.Property("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
    p.Property("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
    p.Property("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment);
    p.Property("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel);
}

TStatusPanels::TStatusPanels(TStatusBar* StatusBar)
    : TOwnedCollection(StatusBar, CollectionItemClass<TStatusPanel>()), FStatusBar(StatusBar) {}

void TStatusPanels::Update(TCollectionItem*) {
    if (FStatusBar) FStatusBar->Invalidate();
}

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
    SetBounds(0, 0, 150, 19);
    SetAlign(alBottom);
    SetColor(clBtnFace);
    FPanels = std::make_unique<TStatusPanels>(this);
}

TStatusBar::~TStatusBar() {
    Destroying();
    DestroyHandle();
    FPanels->Clear();
}

void TStatusBar::SetSimplePanel(bool Value) {
    if (Value == FSimplePanel) return;
    FSimplePanel = Value;
    Invalidate();
}

void TStatusBar::SetSimpleText(const std::string& Value) {
    if (Value == FSimpleText) return;
    FSimpleText = Value;
    if (FSimplePanel) Invalidate();
}

void TStatusBar::SetSizeGrip(bool Value) {
    FSizeGrip = Value;
    Invalidate();
}

TRect TStatusBar::PanelRect(int Index) const {
    const int count = FPanels->Count();
    if (Index < 0 || Index >= count) return {};
    int x = 0;
    for (int i = 0; i < count; ++i) {
        const int w = i == count - 1 ? std::max(0, Width() - x) : FPanels->Items(i)->Width();
        if (i == Index) return Rect(x, 2, x + w - 2, Height());
        x += w;
    }
    return {};
}

void TStatusBar::Paint() {
    TCanvas* c = Canvas();
    const TRect all = ClientRect();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(all);
    c->SetFont(Font());
    auto drawPanel = [c](TRect r, const std::string& text, TAlignment align, TStatusPanelBevel bevel) {
        if (bevel != pbNone) {
            TRect e = r;
            DrawEdge(c, e, bevel == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        }
        TRect t = r;
        InflateRect(t, -2, -1);
        c->Brush()->SetStyle(bsClear);
        const unsigned a = align == taRightJustify ? DT_RIGHT : align == taCenter ? DT_CENTER : DT_LEFT;
        DrawText(c, text, t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | a);
        c->Brush()->SetStyle(bsSolid);
    };
    if (FSimplePanel || FPanels->Count() == 0) {
        drawPanel(Rect(0, 2, all.Right, all.Bottom), FSimplePanel ? FSimpleText : std::string(),
                  taLeftJustify, FSimplePanel ? pbNone : pbLowered);
    } else {
        for (int i = 0; i < FPanels->Count(); ++i) {
            TStatusPanel* p = FPanels->Items(i);
            drawPanel(PanelRect(i), p->Text(), p->Alignment(), p->Bevel());
        }
    }
    if (FSizeGrip) {
        // Three pairs of diagonal lines in the bottom-right corner.
        const int x = all.Right, y = all.Bottom;
        for (int i = 0; i < 3; ++i) {
            const int d = 4 + i * 4;
            c->Pen()->SetColor(clBtnHighlight);
            c->MoveTo(x - d, y - 1);
            c->LineTo(x, y - d - 1);
            c->Pen()->SetColor(clBtnShadow);
            c->MoveTo(x - d + 1, y - 1);
            c->LineTo(x, y - d);
            c->MoveTo(x - d + 2, y - 1);
            c->LineTo(x, y - d + 1);
        }
    }
}

void TStatusBar::Publish(TPublisher<TStatusBar>& p) {
    p.Property("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel);
    p.Property("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
    p.Property("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip);
}
