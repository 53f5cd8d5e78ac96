// The grid's cell editor with its picture-mask check on every keystroke.
#include "suite/grid/qzinplace.h"

#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "suite/base/picture_validator.h"
#include "suite/base/qzlinelists.h"
#include "suite/edit/qzdbedit.h"
#include "suite/grid/qzdbigrd.h"

TqzInplaceEdit::TqzInplaceEdit(TqzCustomDBGrid* AGrid)
    : TInplaceEdit(AGrid), FPicture(std::make_unique<TqzDBPicture>()), FQzGrid(AGrid) {
    FWordWrap = AGrid && AGrid->Options().Contains(dgWordWrap);
    if (AGrid) {
        SetImeMode(AGrid->ImeMode());
        SetImeName(AGrid->ImeName());
    }
}

TqzInplaceEdit::~TqzInplaceEdit() = default;

bool TqzInplaceEdit::HasPictureMask() const { return FHasMask && !FPicture->PictureMask().empty(); }

void TqzInplaceEdit::CheckValue(bool Passes) {
    if (FQzGrid) FQzGrid->OnCheckValue()(this, Passes);
}

bool TqzInplaceEdit::ValidateText(const std::string& Text) {
    bool passes = true;
    if (!Text.empty() && HasPictureMask()) {
        TqzPictureValidator v(FPicture->PictureMask(), FPicture->AutoFill());
        std::string t = Text;
        passes = v.Picture(t, false) == pmrComplete;
    }
    CheckValue(passes);
    return passes;
}

void TqzInplaceEdit::LoadMask() {
    FHasMask = false;
    if (!FQzGrid || !FQzGrid->DataLink()->DataSet()) return;
    TField* field = FQzGrid->SelectedField();
    if (!field) return;
    TObject* source = qzGetPictureMaskSource(FQzGrid, FQzGrid->DataLink()->DataSet());
    bool flag2 = false, autoFill = false;
    std::string mask;
    qzGetPictureMask(source, field->FieldName(), true, flag2, autoFill, mask);
    FHasMask = !mask.empty();
    FPicture->SetPictureMask(mask);
    FPicture->SetAutoFill(autoFill);
    FPicture->SetAllowInvalidExit(false);
}

void TqzInplaceEdit::DoEnter() {
    TInplaceEdit::DoEnter();
    LoadMask();
    if (FQzGrid && FQzGrid->SelectedField()) ValidateText(FQzGrid->SelectedField()->Text());
}

void TqzInplaceEdit::UpdateContents() {
    TInplaceEdit::UpdateContents();
    if (!FQzGrid) return;
    bool wrap = FQzGrid->Options().Contains(dgWordWrap);
    if (TField* f = FQzGrid->SelectedField()) {
        std::string type, params;
        FQzGrid->GetControlInfo(f->FieldName(), type, params);
        if (type == "URL-Link") wrap = false;
    }
    SetWordWrap(wrap);
    LoadMask();
}

void TqzInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (FQzGrid && ((Key == VK_RETURN && FQzGrid->KeyOptions().Contains(dgEnterToTab)) ||
                    (Key == VK_DELETE && Shift.Contains(ssCtrl)))) {
        FQzGrid->SetFocus();
        FQzGrid->KeyDown(Key, Shift);
        Key = 0;
        return;
    }
    TInplaceEdit::KeyDown(Key, Shift);
}

void TqzInplaceEdit::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (FQzGrid && Key == VK_RETURN && FQzGrid->KeyOptions().Contains(dgEnterToTab)) Key = VK_TAB;
    TInplaceEdit::KeyUp(Key, Shift);
    if (Key == VK_DELETE && FQzGrid && FQzGrid->OnCheckValue()) ValidateText(Text());
}

void TqzInplaceEdit::KeyPress(char32_t& Key) {
    if (FQzGrid && Key == 13 && FQzGrid->KeyOptions().Contains(dgEnterToTab)) Key = 9;
    TInplaceEdit::KeyPress(Key);
    TField* field = FQzGrid ? FQzGrid->SelectedField() : nullptr;
    if (Key == 10 && field && field->DataType() == ftFloat) Key = 0;
    if (Key == 0 || !HasPictureMask()) return;
    const std::string text = Text();
    const int selStart = SelStart(), selLength = SelLength();
    if (Key == 8) {
        if (!FQzGrid->OnCheckValue()) return;
        std::string after = text;
        if (selLength > 0)
            after.erase(static_cast<size_t>(selStart), static_cast<size_t>(selLength));
        else if (selStart > 0)
            after.erase(static_cast<size_t>(selStart - 1), 1);
        ValidateText(after);
        return;
    }
    if (Key < 32 || Key > 126) return;
    const std::string key(1, static_cast<char>(Key));
    std::string next = text.substr(0, static_cast<size_t>(selStart)) + key +
                       text.substr(static_cast<size_t>(selStart + selLength));
    if (MaxLength() > 0 && static_cast<int>(next.size()) > MaxLength() && next.size() > text.size()) return;
    const bool autoFill = FPicture->AutoFill();
    TqzPictureValidator v(FPicture->PictureMask(), autoFill);
    const int oldLength = static_cast<int>(text.size());
    TqzPictureResult r = v.Picture(next, autoFill);
    bool passes = true;
    switch (r) {
    case pmrComplete:
    case pmrIncomplete: {
        if (r == pmrIncomplete) passes = false;
        if (!EditCanModify()) {
            Key = 0;
            return;
        }
        SetText(next);
        SetModified(true);
        FQzGrid->SetLastEditText(next);
        const int newLength = static_cast<int>(next.size());
        if (selLength == oldLength)
            SetSelStart(newLength);
        else if (newLength > oldLength)
            SetSelStart(selStart + (newLength - oldLength));
        else
            SetSelStart(selStart + 1);
        SetSelLength(0);
        Key = 0;
        // The grid hears of the new text as of any edit.
        Change();
        break;
    }
    case pmrError:
        if (selStart + selLength >= oldLength) {
            Key = 0;
            Beep();
            return;
        }
        passes = false;
        break;
    default: break;
    }
    CheckValue(passes);
}

// ---- Window ------------------------------------------------------------------------------------

void TqzInplaceEdit::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TqzInplaceEdit::CreateParams(TCreateParams& Params) {
    TInplaceEdit::CreateParams(Params);
    Params.Style &= ~(ES_WANTRETURN | ES_AUTOVSCROLL);
    // A bordered editor without word wrap keeps one line.
    if (BorderStyle() != bsNone && !FWordWrap) return;
    Params.Style |= ES_MULTILINE;
    if (FWordWrap)
        Params.Style = (Params.Style | ES_AUTOVSCROLL) & ~ES_AUTOHSCROLL;
    else
        Params.Style |= ES_AUTOHSCROLL;
}

void TqzInplaceEdit::BoundsChanged() {
    TInplaceEdit::BoundsChanged();
    if (!FQzGrid || FPlacing) return;
    const TqzDBGridOptions options = FQzGrid->Options();
    int left = Left(), width = Width();
    // A fixed column being edited (left of the scrolling columns) keeps
    // clear of the fixed column's line.
    if (FQzGrid->Col() < FQzGrid->LeftCol() && !options.Contains(dgColLinesDisableFixed)) {
        left += 1;
        width -= options.Contains(dgColLines) ? 1 : 2;
    }
    if (left != Left() || width != Width()) {
        FPlacing = true;
        try {
            SetBounds(left, Top(), std::max(0, width), Height());
        } catch (...) {
            FPlacing = false;
            throw;
        }
        FPlacing = false;
    }
    SetEditRect(Rect(1, options.Contains(dgRowLinesDisableFixed) ? 1 : 2, Width() - 2, Height()));
}

void TqzInplaceEdit::CMFontChanged(TMessage& Message) {
    TInplaceEdit::CMFontChanged(Message);
    const int margin = BorderStyle() != bsNone ? 0 : 2;
    SetEditRect(Rect(margin, margin, ClientWidth() - 1, ClientHeight()));
}

void TqzInplaceEdit::NotifyGridOfText() {
    if (FQzGrid && Modified() && Visible()) FQzGrid->SetEditText(FQzGrid->Col(), FQzGrid->Row(), Text());
}

void TqzInplaceEdit::Dispatch(TMessage& Message) {
    TInplaceEdit::Dispatch(Message);
    if (Message.Msg == WM_PASTE) NotifyGridOfText();
}
