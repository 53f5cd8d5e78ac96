// Data-aware labels, edits, memos and check boxes.
#include <QCheckBox>
#include <QPainter>
#include <QStyleOptionButton>

#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_link.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_host.h"

namespace {

// Text (any case) equal to one of the ";"-separated values.
bool ValueMatch(const std::string& Values, const std::string& Text) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t semi = Values.find(';', start);
        const std::string part =
            Values.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
        if (AnsiSameText(Trim(part), Text)) return true;
        if (semi == std::string::npos) return false;
        start = semi + 1;
    }
}

std::string FirstValue(const std::string& Values) { return Trim(Values.substr(0, Values.find(';'))); }

}  // namespace

// ---- TDBText ---------------------------------------------------------------------------------------

TDBText::TDBText(TComponent* AOwner)
    : TCustomLabel(AOwner), FDataLink(std::make_unique<TControlFieldLink>(this)) {
    SetAutoSize(false);
    SetShowAccelChar(false);
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TDBText::DataChange));
}

TDBText::~TDBText() { FDataLink->Release(); }

TDataSource* TDBText::DataSource() const { return FDataLink->DataSource(); }
void TDBText::SetDataSource(TDataSource* Value) { FDataLink->AttachDataSource(Value); }
std::string TDBText::DataField() const { return FDataLink->FieldName(); }
void TDBText::SetDataField(const std::string& Value) { FDataLink->SetFieldName(Value); }
TField* TDBText::Field() const { return FDataLink->Field(); }

std::string TDBText::GetLabelText() const {
    if (TField* f = FDataLink->Field()) return f->DisplayText();
    return {};
}

void TDBText::DataChange(TObject*) {
    Invalidate();
    AdjustBounds();
}

void TDBText::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomLabel::Notification(AComponent, Operation);
    if (FDataLink) FDataLink->DataSourceRemoved(AComponent, Operation);
}

void TDBText::Publish(TPublisher<TDBText>& p) {
    p.Property("DataSource", &TDBText::DataSource, &TDBText::SetDataSource);
    p.Property("DataField", &TDBText::DataField, &TDBText::SetDataField);
}

// ---- TDBEdit ---------------------------------------------------------------------------------------

TDBEdit::TDBEdit(TComponent* AOwner)
    : TCustomEdit(AOwner), FDataLink(std::make_unique<TControlFieldLink>(this)) {
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TDBEdit::DataChange));
    FDataLink->SetOnEditingChange(TNotifyEvent(this, &TDBEdit::EditingChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TDBEdit::UpdateData));
    FDataLink->SetOnActiveChange(TNotifyEvent(this, &TDBEdit::ActiveChange));
    FDataLink->FocusControlOnRequest();
    TCustomEdit::SetReadOnly(true);
}

TDBEdit::~TDBEdit() {
    Destroying();
    FDataLink->Release();
    DestroyHandle();
}

TDataSource* TDBEdit::DataSource() const { return FDataLink->DataSource(); }
void TDBEdit::SetDataSource(TDataSource* Value) { FDataLink->AttachDataSource(Value); }
std::string TDBEdit::DataField() const { return FDataLink->FieldName(); }
void TDBEdit::SetDataField(const std::string& Value) {
    FDataLink->SetFieldName(Value);
    ResetMaxLength();
}
TField* TDBEdit::Field() const { return FDataLink->Field(); }
bool TDBEdit::ReadOnly() const { return FDataLink->ReadOnly(); }
void TDBEdit::SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }

void TDBEdit::ResetMaxLength() {
    if (const int room = TextRoomOf(FDataLink->Field())) SetMaxLength(room);
}

void TDBEdit::ActiveChange(TObject*) { ResetMaxLength(); }

void TDBEdit::DataChange(TObject*) {
    TField* f = FDataLink->Field();
    FLoading = true;
    try {
        if (f) {
            ResetMaxLength();
            SetText(FFocused && FDataLink->CanModify() ? f->Text() : f->DisplayText());
        } else {
            SetText("");
        }
    } catch (...) {
        FLoading = false;
        throw;
    }
    FLoading = false;
}

void TDBEdit::EditingChange(TObject*) {
    TCustomEdit::SetReadOnly(!FDataLink->Editing() || IsBinaryBlob(FDataLink->Field()));
}

void TDBEdit::UpdateData(TObject*) {
    TField* f = FDataLink->Field();
    if (f && !IsBinaryBlob(f)) f->SetText(Text());
}

bool TDBEdit::EditCanModify() { return FDataLink->Edit(); }

void TDBEdit::Change() {
    if (!FLoading) FDataLink->Modified();
    TCustomEdit::Change();
}

void TDBEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (!RunWhileAlive(this, [&] { TCustomEdit::KeyDown(Key, Shift); })) return;
    if ((Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift))) &&
        !IsBinaryBlob(FDataLink->Field()))
        FDataLink->Edit();
}

void TDBEdit::KeyPress(char32_t& Key) {
    if (!RunWhileAlive(this, [&] { TCustomEdit::KeyPress(Key); })) return;
    TField* f = FDataLink->Field();
    if (IsBinaryBlob(f) && Key != 27) {
        Key = 0;  // nothing to type into
        return;
    }
    if (Key >= 32 && f && Key < 256 && !f->IsValidChar(static_cast<char>(Key))) {
        MessageBeep(0);
        Key = 0;
    }
    switch (Key) {
    case 8:
    case 22:
    case 24: FDataLink->Edit(); break;
    case 27:
        if (FDataLink->Editing() || Modified()) {
            FDataLink->Reset();
            SelectAll();
            Key = 0;
        }
        break;
    default:
        if (Key >= 32) FDataLink->Edit();
        break;
    }
}

void TDBEdit::DoEnter() {
    if (!FFocused) {
        FFocused = true;
        FDataLink->Reset();
    }
    TCustomEdit::DoEnter();
}

void TDBEdit::DoExit() {
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        SelectAll();
        throw;
    }
    if (FFocused) {
        FFocused = false;
        FDataLink->Reset();
    }
    TCustomEdit::DoExit();
}

void TDBEdit::WMPaste(TMessage&) { FDataLink->Edit(); }
void TDBEdit::WMCut(TMessage&) { FDataLink->Edit(); }

void TDBEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PASTE)
        WMPaste(Message);
    else if (Message.Msg == WM_CUT)
        WMCut(Message);
    else if (Message.Msg == WM_UNDO)
        FDataLink->Edit();
    TCustomEdit::Dispatch(Message);
}

void TDBEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomEdit::Notification(AComponent, Operation);
    if (FDataLink) FDataLink->DataSourceRemoved(AComponent, Operation);
}

void TDBEdit::Publish(TPublisher<TDBEdit>& p) {
    p.Property("DataSource", &TDBEdit::DataSource, &TDBEdit::SetDataSource);
    p.Property("DataField", &TDBEdit::DataField, &TDBEdit::SetDataField);
    p.Property("ReadOnly", &TDBEdit::ReadOnly, &TDBEdit::SetReadOnly);
}

// ---- TDBMemo ---------------------------------------------------------------------------------------

TDBMemo::TDBMemo(TComponent* AOwner)
    : TCustomMemo(AOwner), FDataLink(std::make_unique<TControlFieldLink>(this)) {
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TDBMemo::DataChange));
    FDataLink->SetOnEditingChange(TNotifyEvent(this, &TDBMemo::EditingChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TDBMemo::UpdateData));
    FDataLink->FocusControlOnRequest();
    TCustomEdit::SetReadOnly(true);
}

TDBMemo::~TDBMemo() {
    Destroying();
    FDataLink->Release();
    DestroyHandle();
}

TDataSource* TDBMemo::DataSource() const { return FDataLink->DataSource(); }
void TDBMemo::SetDataSource(TDataSource* Value) { FDataLink->AttachDataSource(Value); }
std::string TDBMemo::DataField() const { return FDataLink->FieldName(); }
void TDBMemo::SetDataField(const std::string& Value) { FDataLink->SetFieldName(Value); }
TField* TDBMemo::Field() const { return FDataLink->Field(); }
bool TDBMemo::ReadOnly() const { return FDataLink->ReadOnly(); }
void TDBMemo::SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }

void TDBMemo::SetAutoDisplay(bool Value) {
    if (Value == FAutoDisplay) return;
    FAutoDisplay = Value;
    if (Value) LoadMemo();
}

void TDBMemo::LoadMemo() {
    TField* f = FDataLink->Field();
    if (FMemoLoaded || !f) return;
    FLoading = true;
    try {
        SetText(f->IsBlob() ? f->AsString() : f->DisplayText());
    } catch (...) {
        FLoading = false;
        throw;
    }
    FLoading = false;
    FMemoLoaded = true;
    EditingChange(this);
}

void TDBMemo::DataChange(TObject*) {
    TField* f = FDataLink->Field();
    // A memo on a text field stops where the field does: nothing typed is
    // cut off unseen when the record is posted.
    if (const int room = TextRoomOf(f)) SetMaxLength(room);
    if (f && FAutoDisplay) {
        FMemoLoaded = false;
        LoadMemo();
        return;
    }
    FLoading = true;
    SetText(f ? "(" + f->DisplayLabel() + ")" : std::string());
    FLoading = false;
    FMemoLoaded = false;
    EditingChange(this);
}

void TDBMemo::EditingChange(TObject*) { TCustomEdit::SetReadOnly(!(FDataLink->Editing() && FMemoLoaded)); }

void TDBMemo::UpdateData(TObject*) {
    if (TField* f = FDataLink->Field()) f->SetAsString(Text());
}

void TDBMemo::Change() {
    if (!FLoading && FMemoLoaded) FDataLink->Modified();
    TCustomMemo::Change();
}

void TDBMemo::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (!RunWhileAlive(this, [&] { TCustomMemo::KeyDown(Key, Shift); })) return;
    if (FMemoLoaded && (Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift)))) FDataLink->Edit();
}

void TDBMemo::KeyPress(char32_t& Key) {
    if (!RunWhileAlive(this, [&] { TCustomMemo::KeyPress(Key); })) return;
    if (!FMemoLoaded) {
        if (Key == 13) {
            LoadMemo();
            Key = 0;
        }
        return;
    }
    switch (Key) {
    case 27:
        FDataLink->Reset();
        Key = 0;
        break;
    case 8:
    case 9:
    case 10:
    case 13:
    case 22:
    case 24: FDataLink->Edit(); break;
    default:
        if (Key >= 32) FDataLink->Edit();
        break;
    }
}

void TDBMemo::DblClick() {
    if (!FMemoLoaded)
        LoadMemo();
    else
        TCustomMemo::DblClick();
}

void TDBMemo::DoExit() {
    FDataLink->UpdateRecord();
    TCustomMemo::DoExit();
}

void TDBMemo::Dispatch(TMessage& Message) {
    if ((Message.Msg == WM_PASTE || Message.Msg == WM_CUT || Message.Msg == WM_UNDO) && FMemoLoaded)
        FDataLink->Edit();
    TCustomMemo::Dispatch(Message);
}

void TDBMemo::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomMemo::Notification(AComponent, Operation);
    if (FDataLink) FDataLink->DataSourceRemoved(AComponent, Operation);
}

void TDBMemo::Publish(TPublisher<TDBMemo>& p) {
    p.Property("DataSource", &TDBMemo::DataSource, &TDBMemo::SetDataSource);
    p.Property("DataField", &TDBMemo::DataField, &TDBMemo::SetDataField);
    p.Property("ReadOnly", &TDBMemo::ReadOnly, &TDBMemo::SetReadOnly);
    p.Property("AutoDisplay", &TDBMemo::AutoDisplay, &TDBMemo::SetAutoDisplay);
}

// ---- TDBCheckBox -------------------------------------------------------------------------------------

TDBCheckBox::TDBCheckBox(TComponent* AOwner)
    : TCustomCheckBox(AOwner), FDataLink(std::make_unique<TControlFieldLink>(this)) {
    SetState(cbUnchecked);
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TDBCheckBox::DataChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TDBCheckBox::UpdateData));
    FDataLink->FocusControlOnRequest();
}

TDBCheckBox::~TDBCheckBox() {
    Destroying();
    FDataLink->Release();
    DestroyHandle();
}

TDataSource* TDBCheckBox::DataSource() const { return FDataLink->DataSource(); }
void TDBCheckBox::SetDataSource(TDataSource* Value) { FDataLink->AttachDataSource(Value); }
std::string TDBCheckBox::DataField() const { return FDataLink->FieldName(); }
void TDBCheckBox::SetDataField(const std::string& Value) { FDataLink->SetFieldName(Value); }
TField* TDBCheckBox::Field() const { return FDataLink->Field(); }
bool TDBCheckBox::ReadOnly() const { return FDataLink->ReadOnly(); }
void TDBCheckBox::SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }

void TDBCheckBox::SetValueChecked(const std::string& Value) {
    FValueCheck = Value;
    DataChange(this);
}

void TDBCheckBox::SetValueUnchecked(const std::string& Value) {
    FValueUncheck = Value;
    DataChange(this);
}

TCheckBoxState TDBCheckBox::GetFieldState() const {
    TField* f = FDataLink->Field();
    if (!f) return cbUnchecked;
    if (f->IsNull()) return cbGrayed;
    if (f->DataType() == ftBoolean) return f->AsBoolean() ? cbChecked : cbUnchecked;
    const std::string text = f->Text();
    if (ValueMatch(FValueCheck, text)) return cbChecked;
    if (ValueMatch(FValueUncheck, text)) return cbUnchecked;
    return cbGrayed;
}

void TDBCheckBox::DataChange(TObject*) {
    // Showing the record is no click.
    const bool disabled = ClicksDisabled();
    SetClicksDisabled(true);
    SetState(GetFieldState());
    SetClicksDisabled(disabled);
}

void TDBCheckBox::UpdateData(TObject*) {
    TField* f = FDataLink->Field();
    if (!f) return;
    if (State() == cbGrayed) {
        f->Clear();
    } else if (f->DataType() == ftBoolean) {
        f->SetAsBoolean(Checked());
    } else {
        const std::string value = FirstValue(Checked() ? FValueCheck : FValueUncheck);
        if (value.empty())
            f->Clear();
        else
            f->SetText(value);
    }
}

void TDBCheckBox::Toggle() {
    if (!FDataLink->Edit()) return;
    if (RunWhileAlive(this, [this] { TCustomCheckBox::Toggle(); })) FDataLink->Modified();
}

void TDBCheckBox::KeyPress(char32_t& Key) {
    if (!RunWhileAlive(this, [&] { TCustomCheckBox::KeyPress(Key); })) return;
    if (Key == 8 || Key == U' ')
        FDataLink->Edit();
    else if (Key == 27)
        FDataLink->Reset();
}

void TDBCheckBox::DoExit() {
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        SetFocus();
        throw;
    }
    TCustomCheckBox::DoExit();
}

void TDBCheckBox::PaintOverWidget(TCanvas* Canvas) {
    TCustomCheckBox::PaintOverWidget(Canvas);
    if (!ControlState().Contains(csPaintCopy)) return;
    auto* w = qobject_cast<QCheckBox*>(Widget());
    QPainter* p = w ? PrepareCanvas(Canvas) : nullptr;
    if (!p) return;
    // The window drew the current record's box: drawn again, unfocused, with
    // the state of the record being painted.
    QStyleOptionButton option;
    option.initFrom(w);
    option.text = w->text();
    option.icon = w->icon();
    option.iconSize = w->iconSize();
    option.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange | QStyle::State_HasFocus |
                      QStyle::State_MouseOver | QStyle::State_Sunken);
    const TCheckBoxState state = GetFieldState();
    option.state |= state == cbChecked  ? QStyle::State_On
                    : state == cbGrayed ? QStyle::State_NoChange
                                        : QStyle::State_Off;
    p->fillRect(w->rect(), ToQColor(Color()));
    w->style()->drawControl(QStyle::CE_CheckBox, &option, p, w);
}

void TDBCheckBox::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomCheckBox::Notification(AComponent, Operation);
    if (FDataLink) FDataLink->DataSourceRemoved(AComponent, Operation);
}

void TDBCheckBox::Publish(TPublisher<TDBCheckBox>& p) {
    p.Property("DataSource", &TDBCheckBox::DataSource, &TDBCheckBox::SetDataSource);
    p.Property("DataField", &TDBCheckBox::DataField, &TDBCheckBox::SetDataField);
    p.Property("ReadOnly", &TDBCheckBox::ReadOnly, &TDBCheckBox::SetReadOnly);
    p.Property("ValueChecked", &TDBCheckBox::ValueChecked, &TDBCheckBox::SetValueChecked);
    p.Property("ValueUnchecked", &TDBCheckBox::ValueUnchecked, &TDBCheckBox::SetValueUnchecked);
}
