// The keyboard hook every grid shares: keys typed in a control embedded in
// a grid (a custom cell control, the cell editor) that the grid must see
// (Tab, Enter as Tab, the ditto short-cuts, record and column moves) are
// posted to the grid as key presses and kept from the control.
#include "suite/grid/qzgridhook.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "suite/base/qzproputils.h"
#include "suite/edit/qzdbedit.h"
#include "suite/grid/qzdbigrd.h"

namespace {

int gHookId = 0;
int gGrids = 0;

TqzCustomDBGrid* EnclosingGrid(TControl* C) {
    for (TControl* p = C; p; p = p->Parent())
        if (auto* g = dynamic_cast<TqzCustomDBGrid*>(p)) return g;
    return nullptr;
}

bool Inside(TControl* C, TControl* Ancestor) {
    for (TControl* p = C; p; p = p->Parent())
        if (p == Ancestor) return true;
    return false;
}

// Posts the key with the shift state it was typed with.
void PassToGrid(TqzCustomDBGrid* Grid, uint16_t Key, TShiftState Shift) {
    LPARAM bits = 0;
    if (Shift.Contains(ssShift)) bits |= 1;
    if (Shift.Contains(ssCtrl)) bits |= 2;
    if (Shift.Contains(ssAlt)) bits |= 4;
    PostMessage(Grid, CM_QZGRIDHOOKKEY, Key, bits);
}

}  // namespace

bool qzGridKeyboardHook(uint16_t Key, TShiftState Shift, bool KeyUp) {
    TWinControl* c = FocusedWinControl();
    if (!c || InputMethodOpen()) return false;
    TqzCustomDBGrid* grid = EnclosingGrid(c);
    if (!grid || c == grid) return false;
    const bool ctrl = Shift.Contains(ssCtrl), alt = Shift.Contains(ssAlt);
    auto* edit = dynamic_cast<TCustomEdit*>(c);
    if ((Key == VK_RETURN || Key == VK_TAB) && !ctrl && !alt) {
        if (KeyUp) return false;
        if (Key == VK_RETURN && !grid->KeyOptions().Contains(dgEnterToTab)) return false;
        PassToGrid(grid, Key, Shift);
        return true;
    }
    const TShortCut pressed = ShortCut(Key, Shift * TShiftState{ssShift, ssCtrl, ssAlt});
    const TqzDittoAttributes* ditto = grid->DittoAttributes();
    if (pressed != 0 && (pressed == ditto->ShortCutDittoField() || pressed == ditto->ShortCutDittoRecord())) {
        if (KeyUp) return false;
        PassToGrid(grid, Key, Shift);
        return true;
    }
    const bool nav = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME || Key == VK_LEFT ||
                     Key == VK_UP || Key == VK_RIGHT || Key == VK_DOWN;
    if (ctrl && !alt && (nav || Key == VK_DELETE)) {
        if (KeyUp) return false;
        // Word moves stay with an edit.
        if (edit && (Key == VK_END || Key == VK_HOME || Key == VK_LEFT || Key == VK_RIGHT)) return false;
        PassToGrid(grid, Key, Shift);
        return true;
    }
    // End alone stays with the control (an edit's caret to its end).
    if ((nav || Key == VK_INSERT) && Key != VK_END && !ctrl && !alt) {
        if (KeyUp) return false;
        if (!Inside(c, grid)) return false;
        // An open drop-down list is moved in by these keys.
        if (auto* dropDown = dynamic_cast<TqzDBCustomEdit*>(c); dropDown && dropDown->IsDroppedDown())
            return false;
        const bool arrow = Key == VK_LEFT || Key == VK_UP || Key == VK_RIGHT || Key == VK_DOWN;
        if (arrow && c->Parent() != grid) return false;
        if (edit) {
            const int start = edit->SelStart(), length = edit->SelLength();
            const int size = static_cast<int>(edit->Text().size());
            const bool all = start == 0 && length == size;
            if ((Key == VK_HOME || Key == VK_LEFT) && !((start == 0 && length == 0) || all)) return false;
            if ((Key == VK_UP || Key == VK_DOWN) && !all) return false;
            if (Key == VK_RIGHT &&
                !(all || (length == 0 && start == size && grid->Options().Contains(dgAlwaysShowEditor))))
                return false;
        }
        PassToGrid(grid, Key, Shift);
        return true;
    }
    return false;
}

bool qzFindFocusedGrid(TqzCustomDBGrid*& Grid) {
    Grid = EnclosingGrid(Screen ? Screen->ActiveControl() : nullptr);
    return Grid != nullptr;
}

bool qzFindHookGrid(TqzCustomDBGrid*& Grid) {
    // No cell of this system drops down an expanded row, so a focused grid
    // never has one open.
    if (!qzFindFocusedGrid(Grid)) return false;
    Grid = nullptr;
    for (TControl* p = Screen->ActiveControl(); p && !Grid; p = p->Parent())
        if (dynamic_cast<TCustomGrid*>(p) && qzClassInheritsFrom(p, "TqzCustomDBGrid"))
            Grid = dynamic_cast<TqzCustomDBGrid*>(p);
    return Grid != nullptr;
}

void qzInstallGridHook() {
    if (gHookId == 0) gHookId = AddKeyboardHook(&qzGridKeyboardHook);
}

void qzRemoveGridHook() {
    if (gHookId != 0) RemoveKeyboardHook(gHookId);
    gHookId = 0;
}

bool qzGridHookInstalled() { return gHookId != 0; }

void qzGridCreated() { ++gGrids; }

void qzGridDestroyed() {
    // The last grid takes the shared hook with it.
    if (--gGrids <= 0) {
        gGrids = 0;
        qzRemoveGridHook();
    }
}
