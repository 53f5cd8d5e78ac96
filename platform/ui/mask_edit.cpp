// TCustomMaskEdit: an edit typing through an edit mask.
#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/mask.h"
#include "platform/ui/mask_internal.h"
#include "platform/ui/stdctrls_qt.h"

using namespace mask_detail;

// ---- TCustomMaskEdit -----------------------------------------------------------------------

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

TCustomMaskEdit::~TCustomMaskEdit() = default;

std::u32string TCustomMaskEdit::RawText() const {
    std::u32string raw = Decode(TCustomEdit::GetText());
    if (static_cast<int>(raw.size()) != FMask.Length()) {
        // Keep the edit text the mask's shape, whatever put it there.
        std::u32string fixed = FMask.EmptyEditText();
        for (int i = 0; i < FMask.Length() && static_cast<size_t>(i) < raw.size(); ++i) {
            char32_t c = raw[static_cast<size_t>(i)];
            if (!FMask.IsLiteral(i) && FMask.Accepts(i, c)) fixed[static_cast<size_t>(i)] = c;
        }
        raw = fixed;
    }
    return raw;
}

std::string TCustomMaskEdit::EditText() const { return TCustomEdit::GetText(); }

void TCustomMaskEdit::SetEditText(const std::string& Value) {
    if (!IsMasked()) {
        TCustomEdit::SetTextValue(Value);
    } else {
        const std::u32string v = Decode(Value);
        std::u32string raw = FMask.EmptyEditText();
        for (int i = 0; i < FMask.Length() && static_cast<size_t>(i) < v.size(); ++i) {
            char32_t c = v[static_cast<size_t>(i)];
            if (!FMask.IsLiteral(i) && c != FMask.Blank() && FMask.Accepts(i, c))
                raw[static_cast<size_t>(i)] = c;
        }
        FSettingRaw = true;
        TCustomEdit::SetTextValue(Encode(raw));
        FSettingRaw = false;
    }
    FOldValue = EditText();
}

std::string TCustomMaskEdit::GetText() const {
    if (!IsMasked()) return TCustomEdit::GetText();
    return Encode(FMask.EditToText(RawText()));
}

void TCustomMaskEdit::SetTextValue(const std::string& Value) {
    const TControlWatch watch(this);  // OnChange may free the edit
    if (!IsMasked() || FSettingRaw) {
        TCustomEdit::SetTextValue(Value);
    } else {
        FSettingRaw = true;
        TCustomEdit::SetTextValue(Encode(FMask.FormatText(Decode(Value))));
        if (watch.Gone()) return;
        FSettingRaw = false;
    }
    if (watch.Gone()) return;
    FOldValue = EditText();
}

void TCustomMaskEdit::SetEditMask(const std::string& Value) {
    if (Value == FMask.MaskText()) return;
    // The typed characters stay, whatever literals either mask has.
    std::u32string chars;
    if (IsMasked()) {
        const std::u32string raw = RawText();
        for (int i = 0; i < FMask.Length(); ++i)
            if (!FMask.IsLiteral(i))
                chars.push_back(raw[static_cast<size_t>(i)] == FMask.Blank() ? U' '
                                                                             : raw[static_cast<size_t>(i)]);
    } else {
        chars = Decode(TCustomEdit::GetText());
    }
    const std::string text = Text();
    FMask = TEditMask(Value);
    if (!IsMasked()) {
        SetTextValue(text);
        return;
    }
    std::u32string raw = FMask.EmptyEditText();
    size_t k = 0;
    for (int i = 0; i < FMask.Length() && k < chars.size(); ++i) {
        if (FMask.IsLiteral(i)) continue;
        char32_t c = chars[k++];
        if (c != U' ' && FMask.Accepts(i, c)) raw[static_cast<size_t>(i)] = c;
    }
    FSettingRaw = true;
    TCustomEdit::SetTextValue(Encode(raw));
    FSettingRaw = false;
    FOldValue = EditText();
}

void TCustomMaskEdit::ValidateEdit() {
    if (!IsMasked()) return;
    const int bad = FMask.FirstInvalid(RawText());
    if (bad >= 0) ValidateError(bad);
}

void TCustomMaskEdit::ValidateError(int Pos) {
    MessageBeep(0);
    if (CanFocus() && !Focused()) {
        try {
            SetFocus();
        } catch (const Exception&) {}
    }
    SetSelStart(ByteOfIndex(RawText(), Pos));
    throw EDBEditError(SMaskEditErr);
}

void TCustomMaskEdit::Reset() {
    if (!Modified()) return;
    FSettingRaw = true;
    TCustomEdit::SetTextValue(FOldValue);
    FSettingRaw = false;
    SetModified(false);
}

void TCustomMaskEdit::DoEnter() {
    FOldValue = EditText();
    inherited::DoEnter();
}

void TCustomMaskEdit::CMExit(TMessage& Message) {
    if (IsMasked() && !ComponentState().Contains(csDesigning)) ValidateEdit();
    inherited::CMExit(Message);
}

void TCustomMaskEdit::SetEditRect(const TRect& Rect) {
    FEditRect = Rect;
    FHasEditRect = true;
    ApplyEditRect();
}

void TCustomMaskEdit::ApplyEditRect() {
    if (!FHasEditRect || !Adapter()) return;
    SetEditTextRect(this, FEditRect);
}

void TCustomMaskEdit::CreateWindowHandle(const TCreateParams& Params) {
    inherited::CreateWindowHandle(Params);
    ApplyEditRect();
}

int TCustomMaskEdit::CaretPos() const { return IndexOfByte(TCustomEdit::GetText(), SelStart()); }

int TCustomMaskEdit::SelEndPos() const {
    return IndexOfByte(TCustomEdit::GetText(), SelStart() + SelLength());
}

void TCustomMaskEdit::ReplaceEditText(const std::u32string& Text) {
    // Through the selection, so the change counts as the user's (Modified,
    // OnChange, undo).
    const std::string now = TCustomEdit::GetText();
    const std::string next = Encode(Text);
    if (now == next) return;
    SetSelStart(0);
    SetSelLength(static_cast<int>(now.size()));
    SetSelText(next);
}

void TCustomMaskEdit::SetRawText(const std::u32string& Text, int Caret) {
    ReplaceEditText(Text);
    SetSelStart(ByteOfIndex(Text, Caret));
}

int TCustomMaskEdit::LiteralStep(int Caret, char32_t Ch) const {
    if (Caret > 0 && FMask.IsLiteral(Caret - 1) && FMask.Literal(Caret - 1) == Ch) return Caret;
    for (int q = std::max(Caret, 0); q < FMask.Length(); ++q)
        if (FMask.IsLiteral(q) && FMask.Literal(q) == Ch) return q + 1;
    return -1;
}

void TCustomMaskEdit::TypeChar(char32_t Ch) {
    std::u32string raw = RawText();
    int start = CaretPos(), end = SelEndPos();
    if (end < start) std::swap(start, end);
    const int p = FMask.NextInput(start);
    char32_t c = Ch;
    if (CharCase() == ecUpperCase)
        c = ToUpper(c);
    else if (CharCase() == ecLowerCase)
        c = ToLower(c);
    if (p < FMask.Length() && FMask.Accepts(p, c)) {
        for (int i = start; i < end; ++i)
            if (!FMask.IsLiteral(i)) raw[static_cast<size_t>(i)] = FMask.Blank();
        raw[static_cast<size_t>(p)] = c;
        SetRawText(raw, FMask.NextInput(p + 1));
        return;
    }
    // A literal of the mask typed steps to just after it.
    const int step = LiteralStep(start, Ch);
    if (step < 0) {
        MessageBeep(0);
        return;
    }
    for (int i = start; i < end; ++i)
        if (!FMask.IsLiteral(i)) raw[static_cast<size_t>(i)] = FMask.Blank();
    SetRawText(raw, step);
}

void TCustomMaskEdit::BlankSelection(bool Backward) {
    std::u32string raw = RawText();
    int start = CaretPos(), end = SelEndPos();
    if (end < start) std::swap(start, end);
    if (end > start) {
        for (int i = start; i < end && i < FMask.Length(); ++i)
            if (!FMask.IsLiteral(i)) raw[static_cast<size_t>(i)] = FMask.Blank();
        SetRawText(raw, start);
        return;
    }
    if (Backward) {
        const int p = FMask.PriorInput(start);
        if (p < 0) return;
        raw[static_cast<size_t>(p)] = FMask.Blank();
        SetRawText(raw, p);
    } else {
        const int p = FMask.NextInput(start);
        if (p >= FMask.Length()) return;
        raw[static_cast<size_t>(p)] = FMask.Blank();
        SetRawText(raw, start);
    }
}

void TCustomMaskEdit::PasteMasked(const std::string& Text) {
    std::u32string raw = RawText();
    int start = CaretPos(), end = SelEndPos();
    if (end < start) std::swap(start, end);
    for (int i = start; i < end && i < FMask.Length(); ++i)
        if (!FMask.IsLiteral(i)) raw[static_cast<size_t>(i)] = FMask.Blank();
    int caret = start;
    for (char32_t ch : Decode(Text)) {
        if (ch == U'\r' || ch == U'\n') break;
        const int p = FMask.NextInput(caret);
        char32_t c = ch;
        if (CharCase() == ecUpperCase)
            c = ToUpper(c);
        else if (CharCase() == ecLowerCase)
            c = ToLower(c);
        if (p < FMask.Length() && FMask.Accepts(p, c)) {
            raw[static_cast<size_t>(p)] = c;
            caret = FMask.NextInput(p + 1);
            continue;
        }
        const int step = LiteralStep(caret, ch);
        if (step < 0) {
            MessageBeep(0);
            break;
        }
        caret = step;
    }
    SetRawText(raw, caret);
}

void TCustomMaskEdit::CutMasked() {
    if (SelLength() <= 0) return;
    if (PasswordChar() == 0) Clipboard()->SetAsText(SelText());
    BlankSelection(false);
}

void TCustomMaskEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (!RunWhileAlive(this, [&] { inherited::KeyDown(Key, Shift); }) || Key == 0 || !IsMasked()) return;
    if (Key == VK_ESCAPE && Modified() && !Shift.Contains(ssAlt)) {
        Reset();
        SelectAll();
        Key = 0;
        return;
    }
    if (Key == VK_DELETE && !Shift.Contains(ssShift)) {
        if (!ReadOnly() && EditCanModify()) BlankSelection(false);
        Key = 0;
    }
}

void TCustomMaskEdit::KeyPress(char32_t& Key) {
    if (!RunWhileAlive(this, [&] { inherited::KeyPress(Key); }) || Key == 0 || !IsMasked() || ReadOnly())
        return;
    if (Key == 8) {
        if (EditCanModify()) BlankSelection(true);
        Key = 0;
        return;
    }
    if (Key < 32) return;  // controls and the clipboard's keys go on
    if (EditCanModify()) TypeChar(Key);
    Key = 0;
}

void TCustomMaskEdit::TypeKey(char32_t Ch) { Perform(WM_CHAR, static_cast<WPARAM>(Ch), 0); }

void TCustomMaskEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
        // Changes through the clipboard ask first, as typing does.
        if (!ReadOnly() && !EditCanModify()) return;
        break;
    default: break;
    }
    if (IsMasked()) {
        switch (Message.Msg) {
        case WM_PASTE:
            if (!ReadOnly() && EditCanModify()) PasteMasked(Clipboard()->AsText());
            return;
        case WM_CUT:
            if (!ReadOnly() && EditCanModify()) CutMasked();
            return;
        case WM_CLEAR:
            if (!ReadOnly() && EditCanModify() && SelLength() > 0) BlankSelection(false);
            return;
        case WM_COPY:
            if (PasswordChar() == 0 && SelLength() > 0) Clipboard()->SetAsText(SelText());
            return;
        default: break;
        }
    }
    inherited::Dispatch(Message);
}

void TMaskEdit::Publish(TPublisher<TMaskEdit>& p) {
    p.Property(
        "EditMask", [](TMaskEdit& e) { return e.EditMask(); },
        [](TMaskEdit& e, const std::string& v) { e.SetEditMask(v); });
}
