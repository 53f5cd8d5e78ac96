// TPopupDataList: the data-aware lookup list.
#include "platform/ui/dblookup.h"
#include "platform/core/text.h"

#include <algorithm>

#include "platform/core/clock.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"

namespace {
// Characters typed further apart than this start a new search.
constexpr uint32_t SearchPauseMs = 2000;
constexpr size_t SearchMaxLength = 32;
}  // namespace

// The list's link to its list source: the window of records it shows.
class TListSourceLink : public TDataLink {
    TASKMOOR_CLASS(TListSourceLink, TDataLink)
public:
    explicit TListSourceLink(TPopupDataList* List) : FList(List) { SetVisualControl(true); }

protected:
    void ActiveChanged() override { FList->ListLinkActiveChanged(); }
    void DataSetChanged() override { FList->ListLinkDataChanged(); }
    void DataSetScrolled(int) override { FList->ListLinkDataChanged(); }
    void LayoutChanged() override { FList->ListLinkActiveChanged(); }
    void RecordChanged(TField*) override { FList->ListLinkDataChanged(); }

private:
    TPopupDataList* FList;
};

TPopupDataList::TPopupDataList(TComponent* AOwner)
    : TCustomControl(AOwner), FListLink(std::make_unique<TListSourceLink>(this)) {
    SetControlStyle(ControlStyle() + csOpaque + csReplicatable);
    SetColor(clWindow);
    SetTabStop(false);
    SetVisible(false);
    FListLink->SetBufferCount(FRowCount);
    RecreateWnd();  // the frame of the window's style
    SetBounds(Left(), Top(), 121, Height());
    AdjustHeight();
}

TPopupDataList::~TPopupDataList() {
    FListLink->SetDataSource(nullptr);
    Destroying();
    DestroyHandle();
}

TDataLink* TPopupDataList::ListLink() const { return FListLink.get(); }
TDataSource* TPopupDataList::ListSource() const { return FListLink->DataSource(); }

TDataSet* TPopupDataList::DataSet() const { return FListLink->DataSet(); }

bool TPopupDataList::ListActive() const { return FListLink->Active() && FKeyField != nullptr; }

void TPopupDataList::SetListSource(TDataSource* Value) {
    if (Value == ListSource()) return;
    if (ListSource()) ListSource()->RemoveFreeNotification(this);
    FListLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    if (FListLink->Active()) BindFields(true);
}

void TPopupDataList::SetKeyField(const std::string& Value) {
    if (Value == FKeyFieldName) return;
    FKeyFieldName = Value;
    if (FListLink->Active()) BindFields(true);
    ListLinkDataChanged();
}

void TPopupDataList::SetListField(const std::string& Value) {
    if (Value == FListFieldName) return;
    FListFieldName = Value;
    if (FListLink->Active()) BindFields(true);
    ListLinkDataChanged();
}

void TPopupDataList::SetListFieldIndex(int Value) {
    FListFieldIndex = std::max(0, Value);
    Invalidate();
}

bool TPopupDataList::BindFields(bool Raise) {
    FKeyField = nullptr;
    FListFields.clear();
    TDataSet* ds = DataSet();
    if (!ds || !FListLink->Active()) return false;
    try {
        TField* key = FKeyFieldName.empty() ? nullptr : ds->FieldByName(FKeyFieldName);
        std::vector<TField*> list;
        if (!FListFieldName.empty()) ds->GetFieldList(list, FListFieldName);
        if (list.empty() && key) list.push_back(key);
        if (!key) return false;
        FKeyField = key;
        FListFields = list;
    } catch (const Exception&) {
        Invalidate();
        if (Raise) throw;
        return false;
    }
    Invalidate();
    return true;
}

void TPopupDataList::ListLinkActiveChanged() {
    BindFields(false);
    if (ListActive() && !FLockPosition && !VarIsNull(FKeyValue) && !VarIsEmpty(FKeyValue)) {
        FLockPosition = true;
        try {
            DataSet()->Locate(FKeyFieldName, FKeyValue, {});
        } catch (const Exception&) {}
        FLockPosition = false;
    }
    ListLinkDataChanged();
}

void TPopupDataList::ListLinkDataChanged() {
    UpdateSelection();
    UpdateScrollBar();
    Invalidate();
}

void TPopupDataList::UpdateSelection() {
    FSelectedRow = -1;
    if (!ListActive() || VarIsEmpty(FKeyValue) || VarIsNull(FKeyValue)) return;
    const int count = FListLink->RecordCount();
    const int active = FListLink->ActiveRecord();
    try {
        for (int i = 0; i < count; ++i) {
            FListLink->SetActiveRecord(i);
            if (!FKeyField->IsNull() && VarCompare(FKeyField->Value(), FKeyValue) == 0) {
                FSelectedRow = i;
                break;
            }
        }
    } catch (const Exception&) {
        FSelectedRow = -1;
    }
    FListLink->SetActiveRecord(active);
}

void TPopupDataList::SetKeyValue(const Variant& Value) {
    if (VarType(Value) == VarType(FKeyValue) && Value == FKeyValue) return;
    FKeyValue = Value;
    if (ListActive() && !FLockPosition && !VarIsNull(Value) && !VarIsEmpty(Value)) {
        FLockPosition = true;
        try {
            DataSet()->Locate(FKeyFieldName, Value, {});
        } catch (...) {
            FLockPosition = false;
            throw;
        }
        FLockPosition = false;
    }
    ListLinkDataChanged();
}

void TPopupDataList::SelectKeyValue(const Variant& Value) {
    FKeyValue = Value;
    ListLinkDataChanged();
}

std::string TPopupDataList::SelectedItem() const {
    if (!ListActive() || FListFields.empty()) return std::string();
    TField* f = FListFields[static_cast<size_t>(
        std::min<int>(FListFieldIndex, static_cast<int>(FListFields.size()) - 1))];
    if (FSelectedRow >= 0) {
        const int active = FListLink->ActiveRecord();
        FListLink->SetActiveRecord(FSelectedRow);
        std::string s = f->DisplayText();
        FListLink->SetActiveRecord(active);
        return s;
    }
    if (VarIsNull(FKeyValue) || VarIsEmpty(FKeyValue)) return std::string();
    try {
        const Variant v = DataSet()->Lookup(FKeyFieldName, FKeyValue, f->FieldName());
        return VarIsNull(v) || VarIsEmpty(v) ? std::string() : v.AsString();
    } catch (const Exception&) {
        return std::string();
    }
}

// ---- Choosing -------------------------------------------------------------------------------

void TPopupDataList::SelectRow(int Row) {
    if (!ListActive() || Row < 0 || Row >= FListLink->RecordCount()) return;
    FLockPosition = true;
    try {
        FListLink->MoveBy(Row - FListLink->ActiveRecord());
    } catch (...) {
        FLockPosition = false;
        throw;
    }
    FLockPosition = false;
    SelectKeyValue(FKeyField->Value());
}

void TPopupDataList::MoveAndSelect(int Distance) {
    if (!ListActive()) return;
    FLockPosition = true;
    try {
        // Without a chosen row the first key chooses the record the list is on.
        if (FSelectedRow >= 0 || Distance == 0) FListLink->MoveBy(Distance);
    } catch (...) {
        FLockPosition = false;
        throw;
    }
    FLockPosition = false;
    if (!DataSet()->IsEmpty()) SelectKeyValue(FKeyField->Value());
}

void TPopupDataList::ProcessSearchKey(char32_t Key) {
    if (!ListActive() || FListFields.empty()) return;
    TField* f = FListFields[static_cast<size_t>(
        std::min<int>(FListFieldIndex, static_cast<int>(FListFields.size()) - 1))];
    if (Key == 8 || Key == 27) {
        FSearchText.clear();
        return;
    }
    if (Key < 32) return;
    if (f->DataType() != ftString && f->DataType() != ftWideString && f->DataType() != ftFixedChar) return;
    const uint32_t now = GetTickCount();
    if (now - FSearchTickCount > SearchPauseMs) FSearchText.clear();
    FSearchTickCount = now;
    if (FSearchText.size() >= SearchMaxLength) return;
    const std::string ch = Utf8Of(Key);
    const std::string text = FSearchText + ch;
    bool found = false;
    FLockPosition = true;
    try {
        found = DataSet()->Locate(f->FieldName(), Variant(text), {loCaseInsensitive, loPartialKey});
    } catch (...) {
        FLockPosition = false;
        throw;
    }
    FLockPosition = false;
    if (found) {
        FSearchText = text;
        SelectKeyValue(FKeyField->Value());
    } else {
        MessageBeep(0);
    }
}

// ---- Size and look --------------------------------------------------------------------------

int TPopupDataList::ItemHeight() const { return Canvas()->TextHeight("Wg") + 2; }

void TPopupDataList::SetRowCount(int Value) {
    Value = std::clamp(Value, 1, 100);
    if (Value == FRowCount) return;
    FRowCount = Value;
    FListLink->SetBufferCount(Value);
    AdjustHeight();
    ListLinkDataChanged();
}

void TPopupDataList::AdjustHeight() {
    Canvas()->SetFont(Font());
    const TRect b = BorderMargins();
    SetHeight(FRowCount * ItemHeight() + b.Top + b.Bottom);
}

void TPopupDataList::FontChanged(TObject* Sender) {
    inherited::FontChanged(Sender);
    AdjustHeight();
}

int TPopupDataList::RowAt(int Y) const {
    if (Y < 0) return -1;
    const int row = Y / std::max(1, ItemHeight());
    return std::min(row, FListLink->Active() ? FListLink->RecordCount() : 0);
}

void TPopupDataList::Paint() {
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    const TRect client = ClientRect();
    const int h = ItemHeight();
    int rows = 0;
    if (ListActive() && !FListFields.empty()) {
        rows = std::min(FListLink->RecordCount(), FRowCount);
        // Column widths by the fields' display widths; the last takes the rest.
        const int charWidth = std::max(1, canvas->TextWidth("0"));
        const int active = FListLink->ActiveRecord();
        for (int i = 0; i < rows; ++i) {
            FListLink->SetActiveRecord(i);
            const bool selected = i == FSelectedRow;
            canvas->Brush()->SetColor(selected ? clHighlight : Color());
            canvas->Font()->SetColor(selected ? clHighlightText : Font()->Color());
            const TRect rowRect = Rect(0, i * h, client.Right, (i + 1) * h);
            canvas->FillRect(rowRect);
            int x = 0;
            for (size_t k = 0; k < FListFields.size(); ++k) {
                TField* f = FListFields[k];
                const bool last = k + 1 == FListFields.size();
                const int w = last ? client.Right - x : f->DisplayWidth() * charWidth + 4;
                TRect cell = Rect(x, rowRect.Top, std::min(x + w, client.Right), rowRect.Bottom);
                std::string text;
                try {
                    text = f->DisplayText();
                } catch (const Exception&) {}
                TRect textRect = Rect(cell.Left + 2, cell.Top + 1, cell.Right - 2, cell.Bottom);
                unsigned flags = DT_SINGLELINE | DT_NOPREFIX;
                if (f->Alignment() == taRightJustify)
                    flags |= DT_RIGHT;
                else if (f->Alignment() == taCenter)
                    flags |= DT_CENTER;
                canvas->Brush()->SetStyle(bsClear);
                DrawText(canvas, text, textRect, flags);
                canvas->Brush()->SetStyle(bsSolid);
                if (!last) {
                    canvas->Pen()->SetColor(selected ? clHighlightText : clBtnShadow);
                    canvas->MoveTo(cell.Right - 1, cell.Top);
                    canvas->LineTo(cell.Right - 1, cell.Bottom);
                }
                x += w;
                if (x >= client.Right) break;
            }
        }
        FListLink->SetActiveRecord(active);
    }
    canvas->Brush()->SetColor(Color());
    if (rows * h < client.Bottom) canvas->FillRect(Rect(0, rows * h, client.Right, client.Bottom));
}

// ---- Keys and mouse -----------------------------------------------------------------------

void TPopupDataList::KeyDown(uint16_t& Key, TShiftState Shift) {
    inherited::KeyDown(Key, Shift);
    if (Key == 0 || !ListActive() || Shift.Contains(ssAlt)) return;
    switch (Key) {
    case VK_UP: MoveAndSelect(-1); break;
    case VK_DOWN: MoveAndSelect(1); break;
    case VK_PRIOR: MoveAndSelect(-FRowCount); break;
    case VK_NEXT: MoveAndSelect(FRowCount); break;
    case VK_HOME:
        DataSet()->First();
        MoveAndSelect(0);
        break;
    case VK_END:
        DataSet()->Last();
        MoveAndSelect(0);
        break;
    default: return;
    }
    FSearchText.clear();
    Key = 0;
}

void TPopupDataList::KeyPress(char32_t& Key) {
    inherited::KeyPress(Key);
    if (Key == 0) return;
    ProcessSearchKey(Key);
    if (Key >= 32) Key = 0;
}

void TPopupDataList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && ListActive()) {
        FSearchText.clear();
        FTracking = true;
        const int row = RowAt(Y);
        if (row >= 0 && row < FListLink->RecordCount()) SelectRow(row);
    }
    inherited::MouseDown(Button, Shift, X, Y);
}

void TPopupDataList::MouseMove(TShiftState Shift, int X, int Y) {
    if (FTracking && ListActive()) {
        if (Y < 0)
            MoveAndSelect(FSelectedRow >= 0 ? -1 : 0);
        else if (Y >= ClientHeight())
            MoveAndSelect(FSelectedRow >= 0 ? 1 : 0);
        else {
            const int row = RowAt(Y);
            if (row >= 0 && row < FListLink->RecordCount() && row != FSelectedRow) SelectRow(row);
        }
    }
    inherited::MouseMove(Shift, X, Y);
}

void TPopupDataList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FTracking = false;
    inherited::MouseUp(Button, Shift, X, Y);
}

bool TPopupDataList::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (!inherited::DoMouseWheelDown(Shift, MousePos)) MoveAndSelect(1);
    return true;
}

bool TPopupDataList::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (!inherited::DoMouseWheelUp(Shift, MousePos)) MoveAndSelect(-1);
    return true;
}

void TPopupDataList::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

// ---- Scroll bar ----------------------------------------------------------------------------

void TPopupDataList::UpdateScrollBar() {
    TScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    TDataSet* ds = DataSet();
    if (ListActive() && ds) {
        const int count = ds->IsSequenced() ? ds->RecordCount() : -1;
        if (count >= 0) {
            const int recNo = ds->State() == dsInsert ? -1 : ds->RecNo();
            si.nMin = 1;
            si.nMax = std::max(1, count);
            si.nPage = static_cast<unsigned>(FRowCount);
            si.nPos = recNo > 0 ? recNo - FListLink->ActiveRecord() : 1;
        } else {
            si.nMin = 0;
            si.nMax = 4;
            si.nPage = 0;
            si.nPos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
        }
    }
    SetScrollInfo(SB_VERT, si);
}

void TPopupDataList::WMVScroll(TMessage& Message) {
    Message.Result = 0;
    if (!ListActive()) return;
    TDataSet* ds = DataSet();
    const int active = FListLink->ActiveRecord();
    const int count = FListLink->RecordCount();
    FSearchText.clear();
    FLockPosition = true;
    try {
        switch (Message.WParamLo()) {
        case SB_LINEUP: FListLink->MoveBy(-active - 1); break;
        case SB_LINEDOWN: FListLink->MoveBy(count - active); break;
        case SB_PAGEUP: FListLink->MoveBy(-active - FRowCount); break;
        case SB_PAGEDOWN: FListLink->MoveBy(count - active + FRowCount - 1); break;
        case SB_TOP: ds->First(); break;
        case SB_BOTTOM: ds->Last(); break;
        case SB_THUMBPOSITION: {
            int pos = Message.WParamHi();
            TScrollInfo info;
            GetScrollInfo(SB_VERT, info);
            const int track = info.nTrackPos;
            if ((track & 0xFFFF) == pos) pos = track;
            if (ds->IsSequenced() && ds->RecordCount() >= 0) {
                if (pos <= 1)
                    ds->First();
                else if (pos >= ds->RecordCount())
                    ds->Last();
                else
                    ds->SetRecNo(pos);
            } else {
                switch (pos) {
                case 0: ds->First(); break;
                case 1: FListLink->MoveBy(-active - FRowCount); break;
                case 3: FListLink->MoveBy(count - active + FRowCount - 1); break;
                case 4: ds->Last(); break;
                default: break;
                }
            }
            break;
        }
        default: break;
        }
    } catch (...) {
        FLockPosition = false;
        throw;
    }
    FLockPosition = false;
    ListLinkDataChanged();
}

void TPopupDataList::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_VSCROLL)
        WMVScroll(Message);
    else
        inherited::Dispatch(Message);
}

// ---- Window --------------------------------------------------------------------------------

void TPopupDataList::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    Params.WindowClassStyle |= CS_SAVEBITS;
    Params.WndParent = nullptr;
}

void TPopupDataList::CreateWnd() {
    inherited::CreateWnd();
    UpdateScrollBar();
}

void TPopupDataList::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && FListLink && AComponent == ListSource()) SetListSource(nullptr);
}

void TPopupDataList::Publish(TPublisher<TPopupDataList>& p) {
    p.Property(
        "KeyField", [](TPopupDataList& l) { return l.KeyField(); },
        [](TPopupDataList& l, const std::string& v) { l.SetKeyField(v); });
    p.Property(
        "ListField", [](TPopupDataList& l) { return l.ListField(); },
        [](TPopupDataList& l, const std::string& v) { l.SetListField(v); });
    p.Property("ListFieldIndex", &TPopupDataList::ListFieldIndex, &TPopupDataList::SetListFieldIndex);
    p.Property("ListSource", &TPopupDataList::ListSource, &TPopupDataList::SetListSource);
    p.Property("RowCount", &TPopupDataList::RowCount, &TPopupDataList::SetRowCount);
}
