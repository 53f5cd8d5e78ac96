// TqzDBCustomEdit: typing, keys handed to a grid or dialog, date filling and
// the clipboard.
#include <algorithm>
#include <cmath>

#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/field_chars.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/actions.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/field_link.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "suite/base/date_scan.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzproputils.h"
#include "suite/edit/qzdbedit.h"

namespace {

bool Editing(TDataSet* DataSet) {
    return DataSet && (DataSet->State() == dsEdit || DataSet->State() == dsInsert);
}

int CountOf(const std::string& S, char Ch) { return static_cast<int>(std::count(S.begin(), S.end(), Ch)); }

std::string TwoDigits(int Value) {
    std::string s = std::to_string(Value % 100);
    return s.size() < 2 ? "0" + s : s;
}

std::string Lower(const std::string& S) {
    std::string out = S;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

// ---- Date filling --------------------------------------------------------------------------

TqzEditDataType TqzDBCustomEdit::DateKind() {
    if (TField* f = Field()) {
        switch (f->DataType()) {
        case ftDate: return qzEdtDate;
        case ftTime: return qzEdtTime;
        case ftDateTime: return qzEdtDateTime;
        default: return qzDefault;
        }
    }
    return FUnboundDataType;
}

bool TqzDBCustomEdit::DateAutoFill() {
    const std::string now = TCustomEdit::GetText();
    const int len = static_cast<int>(now.size());
    const bool whole = len == 0 || (SelStart() == 0 && SelLength() >= len);
    const bool atEnd = SelLength() == 0 && SelStart() >= len;
    if (!whole && !atEnd) return false;
    if (TCustomEdit::ReadOnly()) {
        qzMessageBeep();
        return true;
    }
    const TFormatSettings& fs = FormatSettings();
    const TqzEditDataType kind = DateKind();
    const char ds = fs.DateSeparator, ts = fs.TimeSeparator;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    const TDateTime moment = Now();
    DecodeDate(moment, year, month, day);
    DecodeTime(moment, hour, minute, second, msec);
    std::string text = whole ? std::string() : now;
    const int caret = static_cast<int>(text.size());
    uint8_t part;
    if (kind == qzEdtTime) {
        part = qzTimePartAtPos(caret, text);
    } else if (text.empty()) {
        const int order = qzGetDateOrder(fs.ShortDateFormat);
        part = order == qzdoMDY ? qzdpMonth : order == qzdoDMY ? qzdpDay : qzdpYear;
    } else {
        const int seps = CountOf(text, ds);
        const bool complete = seps >= 2 && text.back() != ds;
        if (!complete) {
            if (text.back() != ds) {
                ReplaceTextAsUser(text + ds, caret + 1);
                SetModifiedState(true);
                return true;
            }
            part = qzDateTimePartAtPos(caret, text, false);
        } else {
            part = std::max<uint8_t>(qzDateTimePartAtPos(caret, text, false), qzdpHour);
        }
    }
    if (part <= qzdpYear) {
        const std::string fmt = Lower(fs.ShortDateFormat);
        if (part == qzdpDay)
            text += fmt.find("dd") != std::string::npos ? TwoDigits(day) : std::to_string(day);
        else if (part == qzdpMonth)
            text += fmt.find("mm") != std::string::npos ? TwoDigits(month) : std::to_string(month);
        else
            text +=
                fs.ShortDateFormat.find("yyyy") != std::string::npos ? std::to_string(year) : TwoDigits(year);
        if (text.back() != ds && CountOf(text, ds) < 2) text += ds;
    } else {
        if (kind == qzEdtDate) return false;
        const std::string& am = fs.TimeAMString;
        const std::string& pm = fs.TimePMString;
        const bool hasAmPm = (!am.empty() && text.find(am) != std::string::npos) ||
                             (!pm.empty() && text.find(pm) != std::string::npos);
        if (hasAmPm) return false;
        const int tseps = CountOf(text, ts);
        if (tseps >= 2 && !text.empty() && text.back() != ts) {
            if (am.empty()) return false;
            part = qzdpAmPm;
        }
        if (part == qzdpHour && kind == qzEdtDateTime && !text.empty() && text.back() != ' ') {
            text += ' ';
        } else if (part == qzdpMinute && !text.empty() && text.back() != ts) {
            text += ts;
        } else if (part == qzdpSecond && !text.empty() && text.back() != ts) {
            text += ts;
        } else {
            switch (part) {
            case qzdpHour: {
                int h = hour;
                if (!am.empty()) h = h % 12 == 0 ? 12 : h % 12;
                text += std::to_string(h) + ts;
                break;
            }
            case qzdpMinute: text += TwoDigits(minute) + ts; break;
            case qzdpSecond: text += TwoDigits(second); break;
            default:
                if (text.empty() || text.back() != ' ') text += ' ';
                text += hour < 12 ? am : pm;
                break;
            }
        }
    }
    if (!ReplaceTextAsUser(text, static_cast<int>(text.size()))) {
        qzMessageBeep();
        return true;
    }
    SetModifiedState(true);
    return true;
}

// ---- Keys ----------------------------------------------------------------------------------

bool TqzDBCustomEdit::HandToGrid(uint16_t Key, TShiftState Shift) {
    TWinControl* grid = HostGrid();
    if (!grid) return false;
    if (grid->Visible() && grid->CanFocus()) grid->SetFocus();
    grid->Perform(WM_KEYDOWN, Key, Shift.Contains(ssAlt) ? 0x20000000 : 0);
    return true;
}

void TqzDBCustomEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    TWinControl* grid = HostGrid();
    const int len = static_cast<int>(TCustomEdit::GetText().size());
    const bool allSelected = SelLength() >= len;
    if (grid && !(IsMemoField() && !allSelected)) {
        const bool alt = Shift.Contains(ssAlt), ctrl = Shift.Contains(ssCtrl),
                   shift = Shift.Contains(ssShift);
        const bool always = InQzDBGrid() && GridOption("dgAlwaysShowEditor");
        const bool atEnd = SelStart() + SelLength() >= len;
        const bool atStart = SelStart() == 0;
        const bool inspector = qzIsInInspector(this);
        bool hand = false;
        switch (Key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT: hand = !alt; break;
        case VK_ESCAPE: hand = !Modified(); break;
        case VK_INSERT: hand = !shift; break;
        case VK_DELETE: hand = ctrl; break;
        case VK_END: hand = always && (ctrl || atEnd); break;
        case VK_RIGHT: hand = always && !inspector && (ctrl || atEnd); break;
        case VK_HOME: hand = always && (ctrl || atStart); break;
        case VK_LEFT: hand = always && !inspector && (ctrl || atStart); break;
        default: break;
        }
        if (!IsEditPainted() && (Key == VK_END || Key == VK_HOME || Key == VK_LEFT || Key == VK_RIGHT))
            hand = true;
        if (hand) {
            const uint16_t k = Key;
            Key = 0;
            HandToGrid(k, Shift);
            return;
        }
        if (Key == VK_F2 && IsEditPainted()) {
            SetSelStart(SelStart() + SelLength());
            Key = 0;
            return;
        }
    }
    if (!RunWhileAlive(this, [&] { inherited::KeyDown(Key, Shift); }) || Key == 0) return;
    if (Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift))) {
        if (DataSource()) {
            if (IsReadOnlyState() || !FDataLink->Edit()) Key = 0;
        } else if (!FReadOnly) {
            TCustomEdit::SetReadOnly(false);
        }
    }
}

void TqzDBCustomEdit::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (!RunWhileAlive(this, [&] { inherited::KeyUp(Key, Shift); })) return;
    if (Key == VK_DELETE && (IsPictureMaskActive() || IsRegexMaskActive())) ValidateText();
}

void TqzDBCustomEdit::KeyPress(char32_t& Key) {
    TWinControl* parent = Parent();
    if (parent && qzClassInheritsFrom(parent, "TqzCustomDBGrid")) {
        parent->OnKeyPress()(parent, Key);
        if (Key == 0) return;
    }
    const bool typing = Key >= 32 || Key == 8 || (Key == 13 && WantReturns());
    if (typing) {
        TDataSource* src = DataSource();
        if (src) {
            TDataSet* ds = src->DataSet();
            if (!src->AutoEdit() && !Editing(ds)) {
                Key = 0;
                return;
            }
            if (IsReadOnlyState()) {
                Key = 0;
                return;
            }
            TField* f = Field();
            if (f && !ReadOnly() && (f->Calculated() || f->Lookup())) {
                // Inside the suite's grid only when it lets calculated fields be edited.
                const bool gridRefuses =
                    parent && qzClassInheritsFrom(parent, "TqzCustomDBGrid") && !qzGetEditCalculated(parent);
                if (gridRefuses || f->ReadOnly() || !ds || !ds->CanModify()) {
                    Key = 0;
                    return;
                }
                if (!Editing(ds)) ds->Edit();
                TCustomEdit::SetReadOnly(false);
            } else if (f && !FDataLink->Edit()) {
                Key = 0;
                return;
            }
        } else {
            if (FReadOnly) {
                Key = 0;
                return;
            }
            TCustomEdit::SetReadOnly(false);
        }
    }
    if (FAutoFillDate && Key == U' ' && !GetShiftState().Contains(ssCtrl) && DateKind() != qzDefault &&
        !(Picture()->AutoFill() && IsPictureMaskActive())) {
        if (DateAutoFill()) {
            Key = 0;
            return;
        }
    }
    if (!RunWhileAlive(this, [&] { inherited::KeyPress(Key); }) || Key == 0) return;
    TField* f = Field();
    if (Key >= 32 && f && FiltersFieldChars()) {
        const bool isFloat =
            f->DataType() == ftFloat || f->DataType() == ftCurrency || f->DataType() == ftBCD;
        const bool isInteger = dynamic_cast<TIntegerField*>(f) || dynamic_cast<TLargeintField*>(f);
        bool ok;
        if (!Switch(4) && (isFloat || isInteger) && !GetDisplayFormat().empty()) {
            const bool digit = Key >= U'0' && Key <= U'9';
            ok = digit || Key == U'+' || Key == U'-';
            if (isFloat)
                ok = ok || Key == U'E' || Key == U'e' ||
                     Key ==
                         static_cast<char32_t>(static_cast<unsigned char>(FormatSettings().DecimalSeparator));
        } else {
            ok = FieldAcceptsChar(f, Key);
        }
        if (!ok) {
            qzMessageBeep();
            Key = 0;
            return;
        }
    }
    if (Key == 13 && (!IsMultiLine() || !WantReturns())) {
        Key = 0;
        return;
    }
    if (Key == 27) {
        Reset();
        Key = 0;
        return;
    }
    if (Key >= 32) {
        // Room in bytes: a string field's size, MaxLength, counts UTF-8.
        const int room = RoomForSelection();
        if (room >= 0 && static_cast<int>(Utf8Of(Key).size()) > room) {
            qzMessageBeep();
            Key = 0;
        }
    }
}

int TqzDBCustomEdit::TextLimit() {
    int limit = MaxLength();
    TField* f = Field();
    // (a field of a dataset that keeps texts of any length has no room of its own)
    if (const int room =
            f && (f->DataType() == ftString || f->DataType() == ftWideString) ? TextRoomOf(f) : 0)
        limit = limit > 0 ? std::min(limit, room) : room;
    return limit > 0 ? limit : -1;
}

int TqzDBCustomEdit::RoomForSelection() {
    const int limit = TextLimit();
    if (limit < 0) return -1;
    return std::max(0, limit - static_cast<int>(TCustomEdit::GetText().size()) + SelLength());
}

void TqzDBCustomEdit::CNKeyDown(TMessage& Message) {
    if (!qzIsDesigning(this)) {
        const auto key = static_cast<uint16_t>(Message.WParam);
        const TShiftState shift = KeyDataToShiftState(Message.LParam);
        if (key == VK_RETURN && !shift.Contains(ssCtrl) && WantReturns()) {
            Message.Result = 0;
            return;
        }
        TWinControl* grid = HostGrid();
        if (grid && (key == VK_RETURN || (key == VK_TAB && InQzDBGrid() && GridOption("dgTabs")))) {
            HandToGrid(key, shift);
            Message.Result = 1;
            return;
        }
        if (!Switch(3) && IsMultiLine() && (key == VK_RETURN || key == VK_ESCAPE) &&
            (!Modified() || (key == VK_RETURN && !WantReturns()))) {
            if (TCustomForm* form = GetParentForm(this)) {
                if (form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) {
                    Message.Result = 1;
                    return;
                }
            }
        }
    }
    inherited::CNKeyDown(Message);
}

void TqzDBCustomEdit::WMGetDlgCode(TMessage& Message) {
    inherited::WMGetDlgCode(Message);
    // A multi-line window decides itself which Enter and Escape its form gets.
    if (IsMultiLine()) Message.Result |= DLGC_WANTALLKEYS;
}

// ---- Clipboard --------------------------------------------------------------------------

void TqzDBCustomEdit::DoPaste() {
    if (IsReadOnlyState()) return;
    if (DataSource()) {
        if (!FDataLink->Edit()) return;
    } else {
        if (FReadOnly) return;
        TCustomEdit::SetReadOnly(false);
    }
    if (TCustomEdit::ReadOnly()) return;
    // Stray bytes would each grow to a replacement character in the window.
    std::string text = EnsureUtf8(Clipboard()->AsText());
    // Only the first line goes in; the clipboard itself is left alone.
    const auto br = text.find_first_of("\r\n");
    if (br != std::string::npos) text.resize(br);
    if (CharCase() == ecUpperCase)
        text = AnsiUpperCase(text);
    else if (CharCase() == ecLowerCase)
        text = AnsiLowerCase(text);
    const int room = RoomForSelection();
    if (room >= 0) text = Utf8Truncate(text, static_cast<std::size_t>(room));
    const int start = SelStart();
    FSettingByTyping = true;
    try {
        SetSelText(text);
    } catch (...) {
        FSettingByTyping = false;
        throw;
    }
    FSettingByTyping = false;
    SetModifiedState(true);
    int caret = start + static_cast<int>(text.size());
    if (IsPictureMaskActive()) {
        const std::string before = TCustomEdit::GetText();
        const std::string filled = Picture()->ApplyAutoFill(before);
        if (filled != before && ReplaceTextAsUser(filled, caret))
            caret += static_cast<int>(filled.size()) - static_cast<int>(before.size());
    }
    SetSelStart(caret);
    ValidateText();
}

void TqzDBCustomEdit::DoCutOrClear(bool Cut) {
    if (IsReadOnlyState()) return;
    if (DataSource() && !FDataLink->Edit()) return;
    if (!DataSource()) {
        if (FReadOnly) return;
        TCustomEdit::SetReadOnly(false);
    }
    TMessage m;
    m.Msg = Cut ? WM_CUT : WM_CLEAR;
    inherited::Dispatch(m);
    SetModifiedState(true);
    if (Cut) ValidateText();
}

void TqzDBCustomEdit::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PASTE:
        if (IsMasked()) break;
        DoPaste();
        return;
    case WM_CUT:
        if (IsMasked()) break;
        DoCutOrClear(true);
        return;
    case WM_CLEAR:
        if (IsMasked()) break;
        DoCutOrClear(false);
        return;
    case CM_GETDATALINK: Message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); return;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE:
        // the edit itself first, then its data link
        if (!OfferActionTo(Message, this)) OfferActionToDataLink(Message, FDataLink.get());
        return;
    case WM_VSCROLL:
        // A see-through framed edit scrolls only with the focus.
        if (!Focused() && qzEditFrameIsActive(Frame()) && Frame()->Transparent() && CanFocus()) SetFocus();
        break;
    case CM_MOUSEENTER:
        inherited::Dispatch(Message);
        MouseEnter();
        return;
    case CM_MOUSELEAVE:
        inherited::Dispatch(Message);
        MouseLeave();
        return;
    case CM_FONTCHANGED:
        inherited::Dispatch(Message);
        if (ComponentState().Contains(csLoading)) return;
        FMargin = std::max(1, std::abs(Font()->Height()) / 4);
        if (Frame()->Enabled()) SetEditMargins(this, 0, 0);
        SetEditRect();
        return;
    case WM_SETFOCUS:
        inherited::Dispatch(Message);
        SetEditCaretHidden(this, !IsEditPainted());
        UpdateOwnerPaint();
        return;
    case WM_KILLFOCUS:
        inherited::Dispatch(Message);
        UpdateOwnerPaint();
        return;
    case WM_SIZE:
        inherited::Dispatch(Message);
        SetEditRect();
        return;
    default: break;
    }
    inherited::Dispatch(Message);
}

// ---- TqzDBEdit ---------------------------------------------------------------------------

void TqzDBEdit::Publish(TPublisher<TqzDBEdit>& p) {
    TWinControl::PublishBevel(p);
    TControl::PublishDrag(p);
    TWinControl::PublishIme(p);
    p.Property("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode);
    p.Property(
        "Text", [](TqzDBEdit& e) { return e.Text(); },
        [](TqzDBEdit& e, const std::string& v) { e.SetText(v); });
    p.Property(
        "DataSource", [](TqzDBEdit& e) { return e.DataSource(); },
        [](TqzDBEdit& e, TDataSource* v) { e.SetDataSource(v); });
    p.Property(
        "DataField", [](TqzDBEdit& e) { return e.DataField(); },
        [](TqzDBEdit& e, const std::string& v) { e.SetDataField(v); });
    p.Property(
        "ReadOnly", [](TqzDBEdit& e) { return e.ReadOnly(); },
        [](TqzDBEdit& e, bool v) { e.SetReadOnly(v); });
    p.Property(
        "MaxLength", [](TqzDBEdit& e) { return e.MaxLength(); },
        [](TqzDBEdit& e, int v) { e.SetMaxLength(v); });
    p.Property(
        "PasswordChar", [](TqzDBEdit& e) { return e.PasswordChar(); },
        [](TqzDBEdit& e, char32_t v) { e.SetPasswordChar(v); });
    p.Property(
        "PopupMenu", [](TqzDBEdit& e) { return e.PopupMenu(); },
        [](TqzDBEdit& e, TPopupMenu* v) { e.SetPopupMenu(v); });
    p.Property(
        "Picture", [](TqzDBEdit& e) { return e.Picture(); },
        [](TqzDBEdit& e, TqzDBPicture* v) { e.SetPicture(v); });
    p.Property(
        "RegexMask", [](TqzDBEdit& e) { return e.RegexMask(); },
        [](TqzDBEdit& e, TqzRegexMask* v) { e.SetRegexMask(v); });
    p.Property(
        "Frame", [](TqzDBEdit& e) { return e.Frame(); },
        [](TqzDBEdit& e, TqzEditFrame* v) { e.SetFrame(v); });
    p.Property(
        "Controller", [](TqzDBEdit& e) { return e.Controller(); },
        [](TqzDBEdit& e, TqzController* v) { e.SetController(v); });
    p.Property(
        "UsePictureMask", [](TqzDBEdit& e) { return e.UsePictureMask(); },
        [](TqzDBEdit& e, bool v) { e.SetUsePictureMask(v); });
    p.Property(
        "WantReturns", [](TqzDBEdit& e) { return e.WantReturns(); },
        [](TqzDBEdit& e, bool v) { e.SetWantReturns(v); });
    p.Property(
        "WordWrap", [](TqzDBEdit& e) { return e.WordWrap(); },
        [](TqzDBEdit& e, bool v) { e.SetWordWrap(v); });
    p.Property(
        "ShowVertScrollBar", [](TqzDBEdit& e) { return e.ShowVertScrollBar(); },
        [](TqzDBEdit& e, bool v) { e.SetShowVertScrollBar(v); });
    p.Property(
        "AutoFillDate", [](TqzDBEdit& e) { return e.AutoFillDate(); },
        [](TqzDBEdit& e, bool v) { e.SetAutoFillDate(v); });
    p.Property(
        "UnboundDataType", [](TqzDBEdit& e) { return e.UnboundDataType(); },
        [](TqzDBEdit& e, TqzEditDataType v) { e.SetUnboundDataType(v); });
    p.Property(
        "UnboundAlignment", [](TqzDBEdit& e) { return e.UnboundAlignment(); },
        [](TqzDBEdit& e, TAlignment v) { e.SetUnboundAlignment(v); });
    p.Property(
        "EditAlignment", [](TqzDBEdit& e) { return e.EditAlignment(); },
        [](TqzDBEdit& e, TqzEditAlignment v) { e.SetEditAlignment(v); });
    p.Property(
        "MaskStoreLiteralTemplate", [](TqzDBEdit& e) { return e.MaskStoreLiteralTemplate(); },
        [](TqzDBEdit& e, bool v) { e.SetMaskStoreLiteralTemplate(v); });
    p.Property(
        "DisableThemes", [](TqzDBEdit& e) { return e.DisableThemes(); },
        [](TqzDBEdit& e, bool v) { e.SetDisableThemes(v); });
    p.Property(
        "OnCheckValue", [](TqzDBEdit& e) { return e.OnCheckValue(); },
        [](TqzDBEdit& e, const TqzValidateEvent& v) { e.SetOnCheckValue(v); });
    p.Property(
        "OnMouseEnter", [](TqzDBEdit& e) { return e.OnMouseEnter(); },
        [](TqzDBEdit& e, const TNotifyEvent& v) { e.SetOnMouseEnter(v); });
    p.Property(
        "OnMouseLeave", [](TqzDBEdit& e) { return e.OnMouseLeave(); },
        [](TqzDBEdit& e, const TNotifyEvent& v) { e.SetOnMouseLeave(v); });
}
