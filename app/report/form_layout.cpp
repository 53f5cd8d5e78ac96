// The arithmetic of placing forms and spreading buttons, and unique form names.
#include "app/report/form_layout.h"

#include <cstdint>

#include "platform/ui/application.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"

bool GetMainClientArea(int& Height, int& Width, int& TopOffset, int& LeftOffset) {
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main) return false;
    Height = main->ClientHeight();
    Width = main->ClientWidth();
    TopOffset = 0;
    LeftOffset = 0;
    for (int i = 0; i < main->ComponentCount(); ++i) {
        auto* control = dynamic_cast<TControl*>(main->Components(i));
        if (!control || !control->Visible()) continue;
        const auto* panel = dynamic_cast<TPanel*>(control);
        // Only bars and locked panels take room from the free area.
        const bool takesRoom = dynamic_cast<TToolBar*>(control) || dynamic_cast<TStatusBar*>(control) ||
                               (panel && panel->Locked());
        if (!takesRoom) continue;
        switch (control->Align()) {
        case alTop:
            Height -= control->Height();
            TopOffset += control->Height();
            break;
        case alBottom: Height -= control->Height(); break;
        case alLeft:
            Width -= control->Width();
            LeftOffset += control->Width();
            break;
        case alRight: Width -= control->Width(); break;
        default: break;
        }
    }
    Width -= 6;
    Height -= 4;
    return true;
}

void CentreOverMainForm(TCustomForm* Form) {
    int height = 0, width = 0, top = 0, left = 0;
    if (!Form || !GetMainClientArea(height, width, top, left)) return;
    TPoint p{(width - Form->Width()) / 2, (height - Form->Height()) / 2};
    if (Form->FormStyle() != fsMDIChild) {
        p.X += left;
        p.Y += top;
        p = Application->MainForm()->ClientToScreen(p);
    }
    if (p.X < 0) p.X = 0;
    if (p.Y < 0) p.Y = 0;
    Form->SetBounds(p.X, p.Y, Form->Width(), Form->Height());
}

void SpreadControls(const std::vector<TControl*>& Controls) {
    if (Controls.empty() || !Controls.front() || !Controls.front()->Parent()) return;
    int visible = 0;
    for (TControl* c : Controls)
        if (c && c->Visible()) ++visible;
    const int step = Controls.front()->Parent()->ClientWidth() / (visible + 1);
    int k = 0;
    for (TControl* c : Controls)
        if (c && c->Visible()) c->SetLeft(++k * step - c->Width() / 2);
}

void ShowHelpButtonIfContext(TControl* Button) {
    if (!Button) return;
    bool found = false;
    for (TControl* c = Button->Parent(); c && !found; c = c->Parent()) found = c->HelpContext() != 0;
    Button->SetVisible(found);
}

int MulDiv(int A, int B, int C) {
    if (C == 0) return -1;
    const int64_t product = static_cast<int64_t>(A) * B;
    const bool negative = (product < 0) != (C < 0);
    const int64_t n = product < 0 ? -product : product;
    const int64_t d = C < 0 ? -static_cast<int64_t>(C) : C;
    const int64_t q = (n + d / 2) / d;
    return static_cast<int>(negative ? -q : q);
}

std::string UniqueFormName(TComponent* Owner, const std::string& Base) {
    if (!Owner || !Owner->FindComponent(Base)) return Base;
    for (int i = 1;; ++i) {
        const std::string name = Base + "_" + std::to_string(i);
        if (!Owner->FindComponent(name)) return name;
    }
}
