// The hint window: a child of the form, raised above its controls.
#include "platform/ui/hint_window.h"

#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
    SetVisible(false);
    SetColor(clInfoBk);
    Font()->SetColor(clInfoText);
}

void THintWindow::ActivateHint(TControl* Control, const TRect& Rect, const std::string& Text) {
    TCustomForm* form = Control ? GetParentForm(Control) : nullptr;
    if (!form) return;
    FHintText = Text;
    if (Parent() != form) SetParent(form);
    const TPoint topLeft = form->ScreenToClient({Rect.Left, Rect.Top});
    SetBounds(topLeft.X, topLeft.Y, Rect.Width(), Rect.Height());
    SetVisible(true);
    BringToFront();
    Invalidate();
    FActive = true;
}

void THintWindow::ReleaseHandle() {
    SetVisible(false);
    FActive = false;
}

void THintWindow::Paint() {
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    c->Brush()->SetColor(clBlack);
    c->FrameRect(r);
    c->Font()->Assign(Font());
    TRect text = Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
    c->Brush()->SetStyle(bsClear);
    DrawText(c, FHintText, text, DT_NOPREFIX | DT_WORDBREAK);
    c->Brush()->SetStyle(bsSolid);
}
