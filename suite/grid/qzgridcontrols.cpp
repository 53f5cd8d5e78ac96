// Controls open in the grid's cells and the tab-order search (see qzgridcontrols.h).
#include <algorithm>

#include "platform/core/properties.h"
#include "platform/core/strings.h"
#include "platform/ui/messages.h"
#include "suite/grid/qzgridcolumn.h"
#include "suite/grid/qzgridcontrols.h"
#include "suite/grid/qzgridhost.h"
#include "suite/grid/qzpaintoptions.h"

TqzGridInCellControls::TqzGridInCellControls(TqzGridControlsHost& Host) : H(Host) {}

TWinControl* TqzGridInCellControls::Active() {
    TWinControl* control = nullptr;
    if (!H.GetCustomControlForCell(H.Col(), H.Row(), control) || !control) return nullptr;
    return control->Visible() && H.IsGridChild(control) ? control : nullptr;
}

void TqzGridInCellControls::MoveAway() {
    H.Update();
    if (TWinControl* control = Active())
        control->SetBounds(H.ClientWidth() + 10, control->Top(), control->Width(), control->Height());
}

void TqzGridInCellControls::EnterPressed(char32_t& Key) {
    // Only an open control that takes returns gets the Enter back.
    TWinControl* control = Active();
    if (!control) return;
    const TPropInfo* info = GetPropInfo(control, "WantReturns");
    if (info && IsOrdinalKind(info->Kind) && GetOrdProp(control, info) != 0) Key = 13;
}

void TqzGridInCellControls::ForwardClick(TShiftState Shift, int X, int Y, int LeftColAtPress) {
    if (Shift.Contains(ssCtrl) || H.LeftCol() != LeftColAtPress) return;
    if (H.EditControlOptions().Contains(ecoDisableCustomControls)) return;
    TWinControl* target = Active();
    if (!target || target->ClassNameIs("TqzDataInspector")) return;
    TPoint p{X - target->Left(), Y - target->Top()};
    if (p.X < 0 || p.Y < 0 || p.X >= target->Width() || p.Y >= target->Height()) return;
    // The innermost windowed control under the point takes the click.
    for (bool deeper = true; deeper;) {
        deeper = false;
        for (int i = target->ControlCount() - 1; i >= 0; --i) {
            auto* child = dynamic_cast<TWinControl*>(target->Controls(i));
            if (!child || !child->Visible()) continue;
            const TPoint q{p.X - child->Left(), p.Y - child->Top()};
            if (q.X < 0 || q.Y < 0 || q.X >= child->Width() || q.Y >= child->Height()) continue;
            target = child;
            p = q;
            deeper = true;
            break;
        }
    }
    SendMessage(target, WM_LBUTTONDOWN, 1, MakeLParam(p.X, p.Y));
    SendMessage(target, WM_LBUTTONUP, 0, MakeLParam(p.X, p.Y));
}

TWinControl* qzFindNextControl(TWinControl* Control, bool GoForward, bool CheckTabStop) {
    TWinControl* parent = Control ? Control->Parent() : nullptr;
    if (!parent) return nullptr;
    std::vector<TWinControl*> list;
    parent->GetTabOrderList(list);
    const int count = static_cast<int>(list.size());
    if (count == 0) return nullptr;
    const auto it = std::find(list.begin(), list.end(), Control);
    const int start = it == list.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - list.begin());
    for (int i = start;;) {
        i += GoForward ? 1 : -1;
        // No wrapping: either end, or the start again, finds nothing.
        if (i < 0 || i >= count || i == start) return nullptr;
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c->CanFocus() && (!CheckTabStop || c->TabStop())) return c;
    }
}

void qzGetRadioItemValue(const TStrings& Items, const TStrings* Values, int Index, std::string& Value) {
    Value.clear();
    if (Values && Index >= 0 && Index < Values->Count()) Value = Values->Strings(Index);
    if (Value.empty() && Index >= 0 && Index < Items.Count()) Value = Items.Strings(Index);
}

void qzGetRadioCaptionByValue(const TStrings& Items, const TStrings* Values, const std::string& Value,
                              std::string& Caption) {
    Caption.clear();
    for (int i = 0; i < Items.Count(); ++i) {
        std::string v;
        qzGetRadioItemValue(Items, Values, i, v);
        if (v == Value) {
            Caption = Items.Strings(i);
            return;
        }
    }
}
