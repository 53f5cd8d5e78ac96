// The drop-down windows of the drop-down edit: value list, lookup list,
// calendar and tree.
#include "engine-controls/ostra_dbedit_panels.h"

#include <array>

#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"

namespace {

// Appends a typed character while the text has fewer than MaxChars characters.
void AppendSearchChar(std::string& Text, char32_t C, size_t MaxChars) {
    if (Utf8Length(Text) < MaxChars) Text += Utf8Of(C);
}

// Drops the last character (not just its last byte).
void DropLastChar(std::string& Text) {
    if (Text.empty()) return;
    size_t n = Text.size() - 1;
    while (n > 0 && (static_cast<unsigned char>(Text[n]) & 0xC0) == 0x80) --n;
    Text.resize(n);
}

// Sets Filtered so that the dataset filters again even when the flag stays.
void Refilter(TDataSet* DataSet, bool Value) {
    if (Value && DataSet->Filtered() && DataSet->Active()) DataSet->SetFiltered(false);
    DataSet->SetFiltered(Value);
}

// The edit a drop-down belongs to.
TOstraDBEdit* EditOf(const TComponent* Popup) { return dynamic_cast<TOstraDBEdit*>(Popup->Owner()); }

// A drop-down never keeps the keyboard or the activation: its edit takes
// them back and hands the keys on. False without an edit.
bool HandBackToEdit(TWinControl* Popup) {
    TOstraDBEdit* edit = EditOf(Popup);
    if (!edit) return false;
    edit->DropDownActivated();
    return true;
}

}  // namespace

void OstraPopupParams(TControl* Popup, TCreateParams& Params) {
    Params.Style = (Params.Style & ~(WS_CHILD | WS_TABSTOP)) | WS_POPUP | WS_BORDER;
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
    // Never activated by a click: the keyboard stays with the edit.
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    if (Popup->UseRightToLeftReading()) Params.ExStyle |= WS_EX_RTLREADING;
    Params.WindowClassStyle |= CS_SAVEBITS;
    // Floats above the edit's window (and stays usable over a modal one).
    Params.WndParent = dynamic_cast<TWinControl*>(Popup->Owner());
}

// ---- TOstraListbox -----------------------------------------------------------------------------

TOstraListbox::TOstraListbox(TComponent* AOwner) : TCustomListBox(AOwner) {
    SetControlStyle(ControlStyle() + csNoDesignVisible + csReplicatable);
    SetTabStop(false);
    SetVisible(false);
}

void TOstraListbox::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    OstraPopupParams(this, Params);
}

void TOstraListbox::KeyPress(char32_t& Key) {
    if (Key == 8 || Key == 27) {
        FSearchText.clear();
    } else if (Key >= 32) {
        AppendSearchChar(FSearchText, Key, SearchMaxLength);
        const int found = FindString(FSearchText, -1);
        if (found >= 0) SetItemIndex(found);
        Key = 0;
    }
    inherited::KeyPress(Key);
}

void TOstraListbox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        const int index = ItemAtPos(TPoint{X, Y}, true);
        if (index >= 0) SetItemIndex(index);
    }
    inherited::MouseDown(Button, Shift, X, Y);
}

void TOstraListbox::MouseMove(TShiftState Shift, int X, int Y) {
    if (Shift.Contains(ssLeft)) {
        const int index = ItemAtPos(TPoint{X, Y}, true);
        if (index >= 0 && index != ItemIndex()) SetItemIndex(index);
    }
    inherited::MouseMove(Shift, X, Y);
}

void TOstraListbox::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_ACTIVATE) HandBackToEdit(this);
    inherited::Dispatch(Message);
}

void TOstraListbox::WMSetFocus(TMessage& Message) {
    if (!HandBackToEdit(this)) inherited::WMSetFocus(Message);
}

// ---- TOstraPopupData ------------------------------------------------------------------------------

TOstraPopupData::TOstraPopupData(TComponent* AOwner) : TPopupDataList(AOwner) {
    SetControlStyle(ControlStyle() + csNoDesignVisible + csReplicatable);
    SetTabStop(false);
    SetVisible(false);
}

TOstraPopupData::~TOstraPopupData() { StopFilterSearch(); }

void TOstraPopupData::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    OstraPopupParams(this, Params);
}

void TOstraPopupData::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_ACTIVATE) HandBackToEdit(this);
    inherited::Dispatch(Message);
}

void TOstraPopupData::WMSetFocus(TMessage& Message) {
    if (!HandBackToEdit(this)) inherited::WMSetFocus(Message);
}

void TOstraPopupData::StartFilterSearch(const std::string& SearchField) {
    FFilterText.clear();
    FUpperFilterText.clear();
    FSearchField = SearchField;
    if (FKindSearch != oksFilter || FFilterInstalled) return;
    TDataSource* source = ListSource();
    TDataSet* ds = source ? source->DataSet() : nullptr;
    if (!ds || !ds->Active()) return;
    const TFilterRecordEvent own(this, &TOstraPopupData::FilterRecord);
    if (ds->OnFilterRecord() == own) return;
    FSavedOnFilterRecord = ds->OnFilterRecord();
    FSavedFiltered = ds->Filtered();
    FFilterDataSet = ds;
    ds->FreeNotification(this);
    ds->SetOnFilterRecord(own);
    FFilterInstalled = true;
}

void TOstraPopupData::StopFilterSearch() {
    // Whatever state the dataset is in now, its own filter comes back.
    if (FFilterInstalled && FFilterDataSet && !FFilterDataSet->ComponentState().Contains(csDestroying)) {
        TDataSet* ds = FFilterDataSet;
        FFilterDataSet = nullptr;
        FFilterInstalled = false;
        ds->RemoveFreeNotification(this);
        const TFilterRecordEvent saved = FSavedOnFilterRecord;
        FSavedOnFilterRecord = TFilterRecordEvent();
        ds->SetOnFilterRecord(saved);
        Refilter(ds, FSavedFiltered);
    }
    FFilterInstalled = false;
    FFilterDataSet = nullptr;
    FFilterText.clear();
    FUpperFilterText.clear();
}

void TOstraPopupData::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFilterDataSet) {
        FFilterDataSet = nullptr;
        FFilterInstalled = false;
        FSavedOnFilterRecord = TFilterRecordEvent();
    }
}

void TOstraPopupData::ProcessSearchKey(char32_t Key) {
    if (FKindSearch != oksFilter) {
        inherited::ProcessSearchKey(Key);
        return;
    }
    if (Key == 8)
        DropLastChar(FFilterText);
    else if (Key == 27)
        FFilterText.clear();
    else if (Key >= 32)
        AppendSearchChar(FFilterText, Key, SearchMaxLength);
    ApplyFilter();
}

void TOstraPopupData::ApplyFilter() {
    FUpperFilterText = AnsiUpperCase(FFilterText);
    if (!FFilterInstalled || !FFilterDataSet || !FFilterDataSet->Active()) return;
    // The dataset's own filter stays in force while the search text is empty.
    Refilter(FFilterDataSet, !FFilterText.empty() || FSavedFiltered);
}

void TOstraPopupData::FilterRecord(TDataSet* DataSet, bool& Accept) {
    if (FSavedFiltered && FSavedOnFilterRecord.Assigned()) {
        FSavedOnFilterRecord(DataSet, Accept);
        if (!Accept) return;
    }
    if (FUpperFilterText.empty()) return;
    TField* f = DataSet->FindField(FSearchField);
    if (!f) return;
    Accept = AnsiUpperCase(f->AsString()).find(FUpperFilterText) != std::string::npos;
}

// ---- TOstraDlgCalendar -----------------------------------------------------------------------------

TOstraDlgCalendar::TOstraDlgCalendar(TComponent* AOwner) : TOstraCalendar(AOwner) {
    SetControlStyle(ControlStyle() + csNoDesignVisible + csReplicatable);
    SetVisible(false);
}

void TOstraDlgCalendar::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    OstraPopupParams(this, Params);
}

void TOstraDlgCalendar::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_ACTIVATE) HandBackToEdit(this);
    inherited::Dispatch(Message);
}

void TOstraDlgCalendar::WMSetFocus(TMessage& Message) {
    if (!HandBackToEdit(this)) inherited::WMSetFocus(Message);
}

// ---- TOstraPopupTree -------------------------------------------------------------------------------

TOstraPopupTree::TOstraPopupTree(TComponent* AOwner) : TCustomTreeView(AOwner) {
    SetControlStyle(ControlStyle() + csNoDesignVisible + csReplicatable);
    SetShowLines(true);
    SetReadOnly(true);
    SetTabStop(false);
    SetVisible(false);
}

TOstraPopupTree::~TOstraPopupTree() {
    Destroying();
    Items()->Clear();
}

void TOstraPopupTree::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    OstraPopupParams(this, Params);
}

void TOstraPopupTree::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_ACTIVATE) HandBackToEdit(this);
    inherited::Dispatch(Message);
}

void TOstraPopupTree::WMSetFocus(TMessage& Message) {
    if (!HandBackToEdit(this)) inherited::WMSetFocus(Message);
}

void TOstraPopupTree::Delete(TTreeNode* Node) {
    delete static_cast<std::string*>(Node->Data());
    Node->SetData(nullptr);
    inherited::Delete(Node);
}

void TOstraPopupTree::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    // Also for a press handed on by the edit (dragging into the tree).
    if (Button == mbLeft && GetHitTestInfoAt(X, Y).Contains(htOnItem))
        if (TTreeNode* node = GetNodeAt(X, Y); node && node != Selected()) SetSelected(node);
    inherited::MouseDown(Button, Shift, X, Y);
}

std::string TOstraPopupTree::NodeValue(const TTreeNode* Node) {
    if (!Node || !Node->Data()) return std::string();
    return *static_cast<const std::string*>(Node->Data());
}

void TOstraPopupTree::FillTree(TOstraTreeProperties* Props, TDataSet* DataSet) {
    if (!Props || !DataSet || Props->TextField().empty() || Props->UniqueField().empty() ||
        Props->LevelField().empty())
        return;
    if (!DataSet->Active()) DataSet->Open();
    TField* textField = DataSet->FieldByName(Props->TextField());
    TField* uniqueField = DataSet->FieldByName(Props->UniqueField());
    TField* levelField = DataSet->FieldByName(Props->LevelField());
    Items()->Clear();
    Items()->BeginUpdate();
    DataSet->DisableControls();
    TBookmark position;
    try {
        position = DataSet->Bookmark();
        std::array<TTreeNode*, MaxLevel + 1> last{};
        DataSet->First();
        while (!DataSet->Eof()) {
            int level = 0;
            if (!TryStrToInt(Trim(levelField->AsString()), level)) level = 0;
            TTreeNode* parent = nullptr;
            if (level >= 1 && level <= MaxLevel)
                parent = level == 1 ? nullptr : last[static_cast<size_t>(level - 1)];
            else
                parent = last[MaxLevel];
            auto* value = new std::string(uniqueField->AsString());
            TTreeNode* node = nullptr;
            try {
                node = Items()->AddChildObject(parent, textField->AsString(), value);
            } catch (...) {
                delete value;
                throw;
            }
            if (level >= 1 && level <= MaxLevel) last[static_cast<size_t>(level)] = node;
            DataSet->Next();
        }
    } catch (...) {
        if (!position.empty() && DataSet->BookmarkValid(position)) {
            try {
                DataSet->GotoBookmark(position);
            } catch (const Exception&) {}
        }
        DataSet->EnableControls();
        Items()->EndUpdate();
        throw;
    }
    if (!position.empty() && DataSet->BookmarkValid(position)) DataSet->GotoBookmark(position);
    DataSet->EnableControls();
    Items()->EndUpdate();
}

TTreeNode* TOstraPopupTree::FindNodeByValue(const std::string& ValueText) const {
    for (TTreeNode* node = Items()->GetFirstNode(); node; node = node->GetNext())
        if (NodeValue(node) == ValueText) return node;
    return nullptr;
}

std::string TOstraPopupTree::NodePath(const TTreeNode* Node, char Separator) {
    if (!Node) return std::string();
    std::string path = Node->Text();
    for (const TTreeNode* p = Node->Parent(); p; p = p->Parent()) path = p->Text() + Separator + path;
    return path;
}
