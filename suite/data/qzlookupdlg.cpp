// Building the lookup form and its grid, the index chooser and its search index, the
// form's size and status line, and following the grid's record.
#include "suite/data/qzlookupdlg.h"

#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timer.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/data/qzdbtables.h"
#include "suite/grid/qzgridlayout.h"

namespace {

const int kMargin = 8;
const int kGap = 6;
const int kEditHeight = 21;
const int kLabelHeight = 13;
const int kStatusHeight = 19;
const int kChooserWidth = 150;

template <class T>
T* Make(TComponent* Owner, TWinControl* Parent) {
    auto* c = new T(Owner);
    c->SetParent(Parent);
    return c;
}

std::string LineField(const std::string& Line) { return Line.substr(0, Line.find('\t')); }

std::vector<std::string> SplitFields(const std::string& Text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= Text.size()) {
        const size_t semi = Text.find(';', start);
        std::string part = Trim(Text.substr(start, semi == std::string::npos ? semi : semi - start));
        if (!part.empty()) out.push_back(part);
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    return out;
}

// The fields of the dataset's active index, in index order.
std::vector<std::string> ActiveIndexFields(TDataSet* DataSet) {
    std::vector<std::string> out;
    if (auto* table = dynamic_cast<TTable*>(DataSet)) {
        if (!table->Active()) return out;
        for (int i = 0; i < table->IndexFieldCount(); ++i)
            if (TField* f = table->IndexFields(i)) out.push_back(f->FieldName());
        return out;
    }
    if (!IsPublishedProp(DataSet, "IndexName") || !IsPublishedProp(DataSet, "IndexDefs")) return out;
    const std::string name = GetStrProp(DataSet, "IndexName");
    auto* defs = dynamic_cast<TIndexDefs*>(GetObjectProp(DataSet, "IndexDefs"));
    if (!defs) return out;
    for (int i = 0; i < defs->Count(); ++i)
        if (AnsiSameText(defs->Items(i)->Name, name)) return SplitFields(defs->Items(i)->Fields);
    return out;
}

bool TableWithIndex(TDataSet* DataSet) {
    auto* table = dynamic_cast<TTable*>(DataSet);
    return table && table->Active() && table->IndexFieldCount() > 0;
}

void Warn(const std::string& Text) { MessageDlg(Text, mtWarning, TMsgDlgButtons{mbOK}, 0); }

}  // namespace

TqzDBGridOptions qzDefaultLookupGridOptions() {
    return {dgTitles, dgIndicator, dgColumnResize,        dgColLines,      dgRowLines,
            dgTabs,   dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgPerfectRowFit};
}

// ---- TqzLookupDlg ---------------------------------------------------------------------------------

TqzLookupDlg::TqzLookupDlg(TComponent* AOwner, TDataSet* DataSet, const TqzLookupDlgSettings& Settings)
    : TForm(AOwner), FDataSet(DataSet), FSettings(Settings), FSelected(std::make_unique<TStringList>()) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetKeyPreview(true);
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);
    Font()->SetStyle(TFontStyles{fsBold});
    SetClientWidth(344);
    SetClientHeight(343);
    if (Settings.Selected) FSelected->Assign(Settings.Selected);
    BuildControls();
}

TqzLookupDlg::~TqzLookupDlg() {
    // The controls let go of the data source before it goes.
    if (FDataSource1) FDataSource1->SetOnDataChange(TDataChangeEvent());
    DestroyComponents();
}

void TqzLookupDlg::BuildControls() {
    FDataSource1 = new TqzDataSource(this);
    FDataSource1->SetName("DataSource1");

    FSearchCharacterLabel = Make<TLabel>(this, this);
    FSearchCharacterLabel->SetCaption("&Search Characters");
    FSearch = Make<TqzIncrementalSearch>(this, this);
    FSearch->SetName("qzIncrementalSearch1");
    FSearch->SetText("");
    FSearch->SetHint("Enter characters for incremental search");
    FSearch->SetShowHint(true);
    FSearch->SetTabOrder(0);
    FSearchCharacterLabel->SetFocusControl(FSearch);

    FSortByLabel = Make<TLabel>(this, this);
    FSortByLabel->SetCaption("Search &By");
    FSortByLabel->SetVisible(false);
    FIndexCombo = Make<TqzTempKeyCombo>(this, this);
    FIndexCombo->SetName("IndexCombo");
    FIndexCombo->SetVisible(false);
    FIndexCombo->SetShowHint(true);
    FIndexCombo->SetTabOrder(1);
    FIndexCombo->SetOnChange(TNotifyEvent(this, &TqzLookupDlg::IndexChange));
    FSortByLabel->SetFocusControl(FIndexCombo);

    FGrid = Make<TqzDBGrid>(this, this);
    FGrid->SetName("qzDBGrid1");
    FGrid->IniAttributes()->SetSectionName("qzLookupDlgqzDBGrid1");
    FGrid->IniAttributes()->SetDelimiter(";;");
    FGrid->SetFixedCols(0);
    FGrid->SetShowHorzScrollBar(true);
    FGrid->SetTitleButtons(false);
    FGrid->SetReadOnly(true);
    FGrid->SetTabOrder(2);
    FGrid->SetOnColumnMoved(TqzColumnMovedEvent(this, &TqzLookupDlg::GridColumnMoved));
    FGrid->SetOnMouseDown(TMouseEvent(this, &TqzLookupDlg::GridMouseDown));
    FGrid->SetOnDblClick(TNotifyEvent(this, &TqzLookupDlg::GridDblClick));

    FStatusHeader = Make<TStatusBar>(this, this);
    FStatusHeader->SetAlign(alNone);
    FStatusHeader->SetSizeGrip(false);
    FStatusHeader->SetHint("Table Name and current record position");
    FStatusHeader->SetShowHint(true);
    for (int i = 0; i < 2; ++i) {
        TStatusPanel* p = FStatusHeader->Panels()->Add();
        p->SetText(" 8 ");
        p->SetWidth(120);
    }
    FStatusHeader->SetVisible(false);

    FUserButtonPanel = Make<TPanel>(this, this);
    FUserButtonPanel->SetCaption("");
    FUserButtonPanel->SetBevelOuter(bvNone);
    FUserButtonPanel->SetTabOrder(3);
    FUserButton1 = Make<TButton>(this, FUserButtonPanel);
    FUserButton1->SetVisible(false);
    FUserButton1->SetOnClick(TNotifyEvent(this, &TqzLookupDlg::UserButton1Click));
    FUserButton2 = Make<TButton>(this, FUserButtonPanel);
    FUserButton2->SetVisible(false);
    FUserButton2->SetOnClick(TNotifyEvent(this, &TqzLookupDlg::UserButton2Click));
    FUserButtonPanel->SetVisible(false);

    FOKButton = qzCreateDialogButton(this, qzbkOK);
    FOKButton->SetParent(this);
    FOKButton->SetTabOrder(4);
    FOKButton->SetDefault(true);
    FOKButton->SetModalResult(mrOk);
    FCancelButton = qzCreateDialogButton(this, qzbkCancel);
    FCancelButton->SetParent(this);
    FCancelButton->SetTabOrder(5);

    // The data source gets its dataset last: the controls are all there.
    FSearch->SetDataSource(FDataSource1);
    FGrid->SetDataSource(FDataSource1);
    FDataSource1->SetOnDataChange(TDataChangeEvent(this, &TqzLookupDlg::RecordChange));
    FIndexCombo->SetDataSource(FDataSource1);
    ApplyGridSettings();
    FDataSource1->SetDataSet(FDataSet);
    FSearch->SetCharCase(FSettings.CharCase);
    FSearch->SetPictureMaskFromField(FSettings.PictureMaskFromField);
    FSearch->SetOnPerformCustomSearch(FSettings.OnPerformCustomSearch);
    SetCaption(FSettings.Caption);
    FUserButton1->SetCaption(FSettings.UserButton1Caption);
    FUserButton2->SetCaption(FSettings.UserButton2Caption);
}

void TqzLookupDlg::ApplyGridSettings() {
    TDataSet* ds = FDataSet;
    if (FSelected->Count() == 0) {
        if (ds && ds->Active()) {
            for (int i = 0; i < ds->FieldCount(); ++i) {
                TField* f = ds->Fields()->Fields(i);
                if (!f->Visible()) continue;
                FSelected->Add(f->FieldName() + "\t" + std::to_string(f->DisplayWidth()) + "\t" +
                               f->DisplayLabel() + "\tF");
            }
        } else {
            MessageDlg("DataSet for this component must be active.", mtInformation, TMsgDlgButtons{mbOK}, 0);
        }
    }
    if (FSettings.ControlType) FGrid->ControlType()->Assign(FSettings.ControlType);
    if (FSettings.PictureMasks) FGrid->PictureMasks()->Assign(FSettings.PictureMasks);
    FGrid->SetControlInfoInDataset(FSettings.ControlInfoInDataset);
    FGrid->SetPictureMaskFromDataSet(FSettings.PictureMaskFromDataset);
    TqzDBGridOptions options = FSettings.GridOptions;
    options.Exclude(dgEditing);
    FGrid->SetOptions(options);
    FGrid->SetColor(FSettings.GridColor);
    FGrid->SetTitleAlignment(FSettings.GridTitleAlignment);
    FGrid->SetUseTFields(FSettings.UseTFields);
    FGrid->Selected()->Assign(FSelected.get());
    if (FSettings.UseTFields && FSelected->Count() > 0 && ds && ds->Active()) {
        ds->DisableControls();
        try {
            qzApplyDisplayFields(ds, FSelected.get());
        } catch (...) {
            ds->EnableControls();
            throw;
        }
        ds->EnableControls();
    }
    FGrid->LayoutChanged();
}

bool TqzLookupDlg::HasIndexChooser() const {
    if (!FSettings.Options.Contains(opShowSearchBy) || !FDataSet) return false;
    return qzClassInheritsFrom(FDataSet, "TTable") || qzClassInheritsFrom(FDataSet, "TClientDataSet") ||
           IsPublishedProp(FDataSet, "IndexDefs") || FIndexCombo->IsIndexedDataSet(FDataSet);
}

void TqzLookupDlg::LoadTexts() {
    TqzSearchDialogIntl* t = qzIntl()->SearchDialog();
    FSearchCharacterLabel->SetCaption(t->SearchCharLabel());
    FSortByLabel->SetCaption(t->SearchByLabel());
    FSearch->SetHint(t->SearchCharHint());
    FIndexCombo->SetHint(t->SearchByHint());
    FOKButton->SetCaption(qzIntl()->BtnOKCaption());
    FCancelButton->SetCaption(qzIntl()->BtnCancelCaption());
    Font()->SetStyle(qzIntl()->DialogFontStyle());
    FGrid->TitleFont()->SetStyle(qzIntl()->DialogFontStyle());
}

void TqzLookupDlg::DoShow() {
    if (!HasIndexChooser()) FSettings.Options.Exclude(opShowSearchBy);
    const int screenW = Screen ? Screen->Width() : 1024, screenH = Screen ? Screen->Height() : 768;
    FSettings.MaxWidth = FSettings.MaxWidth <= 0 ? screenW - 40 : std::min(FSettings.MaxWidth, screenW - 40);
    FSettings.MaxHeight =
        FSettings.MaxHeight <= 0 ? screenH - 200 : std::min(FSettings.MaxHeight, screenH - 200);
    LoadTexts();
    if (FSettings.Options.Contains(opShowSearchBy)) FIndexCombo->LoadIndexList(FGrid);
    if (FDataSet && FDataSet->Active()) FIndexFields = ActiveIndexFields(FDataSet);
    SetActiveControl(FSearch);
    ApplySearchIndex(false);
    TForm::DoShow();
    if (FSettings.OnInitDialog.Assigned()) FSettings.OnInitDialog(FSettings.Sender, this);
    SizeForm();
}

void TqzLookupDlg::Activate() {
    if (!FActivated) {
        FActivated = true;
        if (FSearch->CanFocus()) FSearch->SetFocus();
        UpdateStatus();
        if (!FInitialSearchText.empty()) {
            FSearch->SetText(FInitialSearchText);
            FSearch->SetSelStart(static_cast<int>(FInitialSearchText.size()));
            FSearch->SetSelLength(0);
        }
    }
    TForm::Activate();
}

void TqzLookupDlg::FollowFirstGridField() {
    if (TableWithIndex(FDataSet)) {
        FSearch->SetSearchField("");
        return;
    }
    TField* first = FGrid->GetColField(0);
    FSearch->SetSearchField(first ? first->FieldName() : std::string());
}

void TqzLookupDlg::ApplySearchIndex(bool Changed) {
    if (!FDataSet || !FDataSet->Active()) return;
    if (!FSettings.Options.Contains(opDisableReorderColumns)) {
        const std::vector<std::string> keys = ActiveIndexFields(FDataSet);
        if (!keys.empty()) {
            // The index fields move to the front, in index order.
            auto lines = std::make_unique<TStringList>();
            lines->Assign(FSelected.get());
            int front = 0;
            for (const std::string& key : keys) {
                for (int i = front; i < lines->Count(); ++i) {
                    if (!AnsiSameText(Trim(LineField(lines->Strings(i))), key)) continue;
                    const std::string line = lines->Strings(i);
                    lines->Delete(i);
                    lines->Insert(front++, line);
                    break;
                }
            }
            if (lines->Text() != FSelected->Text()) {
                FSelected->Assign(lines.get());
                FGrid->Selected()->Assign(FSelected.get());
                if (FSettings.UseTFields) qzApplyDisplayFields(FDataSet, FSelected.get());
                FGrid->LayoutChanged();
            }
        }
    }
    FollowFirstGridField();
    if (Changed && FSettings.OnSortChange.Assigned()) FSettings.OnSortChange(FSettings.Sender);
}

void TqzLookupDlg::SizeForm() {
    if (FSizing) return;
    FSizing = true;
    const int ppi = Screen ? Screen->PixelsPerInch() : 96;
    const bool searchBy = FSettings.Options.Contains(opShowSearchBy);
    const bool grouped = FSettings.Options.Contains(opGroupControls);
    const bool status = FSettings.Options.Contains(opShowStatusBar);
    const bool okCancel = FSettings.Options.Contains(opShowOKCancel);
    const bool user1 = !FSettings.UserButton1Caption.empty(), user2 = !FSettings.UserButton2Caption.empty();
    const int btnW = FOKButton->Width(), btnH = FOKButton->Height();
    const int userW = qzScaleByPixelsPerInch(90, ppi);

    // Width: the grid's columns, at least what the controls above and below
    // need, at most MaxWidth.
    int need = FGrid->GridWidth() + GetSystemMetrics(SM_CXVSCROLL) + 4;
    int least = 2 * btnW + kGap;
    if (searchBy && !grouped) least = std::max(least, 2 * kChooserWidth + kGap);
    if (user1 || user2) least = std::max(least, 2 * userW + kGap);
    const int inner = std::max(std::min(need, FSettings.MaxWidth - 2 * kMargin), least);

    int y = kMargin;
    const int searchW = searchBy && !grouped ? (inner - kGap) / 2 : std::min(inner, 2 * kChooserWidth);
    FSearchCharacterLabel->SetBounds(kMargin, y, searchW, kLabelHeight);
    FSearch->SetBounds(kMargin, y + kLabelHeight + 2, searchW, kEditHeight);
    FSortByLabel->SetVisible(searchBy);
    FIndexCombo->SetVisible(searchBy);
    if (searchBy && !grouped) {
        FSortByLabel->SetBounds(kMargin + searchW + kGap, y, searchW, kLabelHeight);
        FIndexCombo->SetBounds(kMargin + searchW + kGap, y + kLabelHeight + 2, searchW, kEditHeight);
    }
    y += kLabelHeight + 2 + kEditHeight + kGap;
    if (searchBy && grouped) {
        FSortByLabel->SetBounds(kMargin, y, searchW, kLabelHeight);
        FIndexCombo->SetBounds(kMargin, y + kLabelHeight + 2, searchW, kEditHeight);
        y += kLabelHeight + 2 + kEditHeight + kGap;
    }
    FGrid->SetBounds(kMargin, y, inner, FSettings.MaxHeight);
    y += FSettings.MaxHeight;
    FStatusHeader->SetVisible(status);
    if (status) {
        FStatusHeader->SetBounds(kMargin, y, inner, kStatusHeight);
        FStatusHeader->Panels()->Items(0)->SetWidth(inner / 2);
        y += kStatusHeight;
    }
    y += kGap;
    FUserButtonPanel->SetVisible(user1 || user2);
    FUserButton1->SetVisible(user1);
    FUserButton2->SetVisible(user2);
    if (user1 || user2) {
        FUserButtonPanel->SetBounds(kMargin, y, inner, btnH);
        FUserButton1->SetBounds(0, 0, userW, btnH);
        FUserButton2->SetBounds(user1 ? userW + kGap : 0, 0, userW, btnH);
        y += btnH + kGap;
    }
    FOKButton->SetVisible(okCancel);
    FCancelButton->SetVisible(okCancel);
    if (okCancel) {
        FCancelButton->SetBounds(kMargin + inner - btnW, y, btnW, btnH);
        FOKButton->SetBounds(kMargin + inner - 2 * btnW - kGap, y, btnW, btnH);
        y += btnH + kGap;
    }
    SetClientWidth(inner + 2 * kMargin);
    SetClientHeight(y + kMargin - kGap);
    FSizing = false;
}

void TqzLookupDlg::UpdateStatus() {
    if (!FStatusHeader->Visible() && FActivated) return;
    auto* table = dynamic_cast<TTable*>(FDataSet);
    if (!table || !table->Active() || !table->IsSequenced()) return;
    const int rec = table->RecNo(), count = table->RecordCount();
    if (rec < 0 || count < 0) return;
    TqzSearchDialogIntl* t = qzIntl()->SearchDialog();
    FStatusHeader->Panels()->Items(0)->SetText(table->TableName());
    FStatusHeader->Panels()->Items(1)->SetText(t->StatusRecLabel() + " " + std::to_string(rec) + " " +
                                               t->StatusOfLabel() + " " + std::to_string(count));
}

void TqzLookupDlg::RecordChange(TObject*, TField*) {
    if (FStatusHeader && FStatusHeader->Visible()) UpdateStatus();
}

void TqzLookupDlg::IndexChange(TObject*) {
    // Only a pick that changes the index counts, not the list's own
    // selection as it loads or follows the dataset.
    if (!FActivated || !FDataSet || !FDataSet->Active()) return;
    const std::vector<std::string> index = ActiveIndexFields(FDataSet);
    if (index == FIndexFields) return;
    FIndexFields = index;
    FSearch->Clear();
    ApplySearchIndex(true);
    SizeForm();
    if (!FIndexCombo->IsDroppedDown() && FSearch->CanFocus()) FSearch->SetFocus();
}

void TqzLookupDlg::GridColumnMoved(TObject*, int, int) {
    if (!TableWithIndex(FDataSet)) FollowFirstGridField();
}

void TqzLookupDlg::GridMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) { FGridMouse = {X, Y}; }

void TqzLookupDlg::GridDblClick(TObject*) {
    int col = -1, row = -1;
    FGrid->MouseToCell(FGridMouse.X, FGridMouse.Y, col, row);
    if (row < FGrid->TitleOffset() || col < FGrid->IndicatorOffset()) return;
    if (!FDataSet || !FDataSet->Active() || FDataSet->IsEmpty()) return;
    SetModalResult(mrOk);
}

void TqzLookupDlg::UserButton1Click(TObject*) {
    if (FSettings.OnUserButton1Click.Assigned()) FSettings.OnUserButton1Click(FSettings.Sender, FDataSet);
}

void TqzLookupDlg::UserButton2Click(TObject*) {
    if (FSettings.OnUserButton2Click.Assigned()) FSettings.OnUserButton2Click(FSettings.Sender, FDataSet);
}

void TqzLookupDlg::KeyDown(uint16_t& Key, TShiftState Shift) {
    TWinControl* focused = FocusedControl();
    const bool inChooser = focused == FIndexCombo;
    if (inChooser) {
        if (Key == VK_DOWN && !Shift.Contains(ssAlt) && !FIndexCombo->IsDroppedDown()) {
            Key = 0;
            FIndexCombo->DropDown();
            return;
        }
        if (Key == VK_RETURN || Key == VK_ESCAPE) {
            if (FIndexCombo->IsDroppedDown()) FIndexCombo->CloseUp(Key == VK_RETURN);
            Key = 0;
            if (FSearch->CanFocus()) FSearch->SetFocus();
            return;
        }
    } else if (Key == VK_RETURN && Shift.Empty()) {
        Key = 0;
        SetModalResult(mrOk);
        return;
    }
    if (focused == FSearch && Shift.Empty() &&
        (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN)) {
        // The keys go on to the grid, which moves the dataset.
        if (FGrid->CanFocus()) FGrid->SetFocus();
        FGrid->Perform(WM_KEYDOWN, Key, 0);
        Key = 0;
        return;
    }
    TForm::KeyDown(Key, Shift);
}

bool TqzLookupDlg::CloseQuery() {
    if (FIndexCombo->IsDroppedDown()) return false;
    if (!TForm::CloseQuery()) return false;
    if (FSearch->SearchTimer()->Enabled()) {
        FSearch->SearchTimer()->SetEnabled(false);
        FSearch->DoSearch();
    }
    if (FSettings.OnCloseDialog.Assigned()) FSettings.OnCloseDialog(FSettings.Sender, this);
    return true;
}

// ---- TqzCustomLookupDialog ---------------------------------------------------------------------------

TqzCustomLookupDialog::TqzCustomLookupDialog(TComponent* AOwner)
    : TqzCustomDialog(AOwner),
      FCaption("Lookup"),
      FSelected(std::make_unique<TStringList>()),
      FGridOptions(qzDefaultLookupGridOptions()),
      FControlType(std::make_unique<TStringList>()),
      FPictureMasks(std::make_unique<TStringList>()) {}

TqzCustomLookupDialog::~TqzCustomLookupDialog() = default;

TDataSet* TqzCustomLookupDialog::GetPrimaryDataSet() {
    throw EInvalidOperation(
        "Derived classes of \"TqzCustomLookupDialog\" must implement function \"GetPrimaryDataSet\"");
}

void TqzCustomLookupDialog::DoSyncDataSets(TDataSet* Move, TDataSet* Follow) {
    if (FOnSyncDataSets.Assigned()) FOnSyncDataSets(this, Move, Follow);
}

void TqzCustomLookupDialog::SetShadowSearchTable(TDataSet* Value) {
    if (Value == FShadowSearchTable) return;
    if (FShadowSearchTable) FShadowSearchTable->RemoveFreeNotification(this);
    FShadowSearchTable = Value;
    if (Value) Value->FreeNotification(this);
}

void TqzCustomLookupDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TqzCustomDialog::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FShadowSearchTable) FShadowSearchTable = nullptr;
}

bool TqzCustomLookupDialog::RunForm(TDataSet* DataSet) {
    TqzLookupDlgSettings s;
    s.Selected = FSelected.get();
    s.ControlType = FControlType.get();
    s.PictureMasks = FPictureMasks.get();
    s.ControlInfoInDataset = FControlInfoInDataset;
    s.PictureMaskFromDataset = FPictureMaskFromDataset;
    s.UseTFields = FUseTFields;
    s.PictureMaskFromField = FPictureMaskFromField;
    s.GridOptions = FGridOptions;
    s.GridColor = FGridColor;
    s.GridTitleAlignment = FGridTitleAlignment;
    s.Options = FOptions;
    s.Caption = FCaption;
    s.MaxWidth = FMaxWidth;
    s.MaxHeight = FMaxHeight;
    s.CharCase = FCharCase;
    s.UserButton1Caption = FUserButton1Caption;
    s.UserButton2Caption = FUserButton2Caption;
    s.Sender = this;
    s.OnInitDialog = FOnInitDialog;
    s.OnCloseDialog = FOnCloseDialog;
    s.OnUserButton1Click = FOnUserButton1Click;
    s.OnUserButton2Click = FOnUserButton2Click;
    s.OnSortChange = FOnSortChange;
    s.OnPerformCustomSearch = FOnPerformCustomSearch;
    std::unique_ptr<TqzLookupDlg> form(new TqzLookupDlg(Application, DataSet, s));
    return qzShowModal(form.get(), Form) == mrOk;
}

bool TqzCustomLookupDialog::Execute() {
    TDataSet* search = GetPrimaryDataSet();
    TDataSet* shadow = FShadowSearchTable;
    if (!shadow) {
        if (!search) {
            Warn(IsLookupKind() ? "You must define a lookupTable." : "You must define a searchTable.");
            return false;
        }
        return RunForm(search);
    }
    if (shadow == search) {
        Warn(
            "Your SearchTable and ShadowSearchTable must reference two distinct TDataSet objects, but each "
            "must reference the same physical table.");
        return false;
    }
    if (!search || !AnsiSameText(qzGetDatabaseName(search), qzGetDatabaseName(shadow)) ||
        !AnsiSameText(qzGetTableName(search), qzGetTableName(shadow))) {
        Warn(
            "Your SearchTable and ShadowSearchTable must reference two distinct TDataSet objects, and each "
            "must reference the same physical table.");
        return false;
    }
    auto* searchTable = dynamic_cast<TTable*>(search);
    auto* shadowTable = dynamic_cast<TTable*>(shadow);
    // A closed search table is refused before the shadow opens: a refusal
    // leaves both datasets as they were.
    if (!search->Active()) {
        Warn("Search Table is not active.");
        return false;
    }
    if (shadowTable && !shadowTable->Active()) {
        try {
            shadowTable->Open();
        } catch (const Exception&) {
            Warn("Unable to open search or lookup table.");
            return false;
        }
    }
    if (!shadow->Active() || !search->Active()) {
        Warn("Search Table is not active.");
        return false;
    }
    // The shadow starts on the search table's record.
    if (auto* qzShadow = dynamic_cast<TqzTable*>(shadow); qzShadow && qzShadow->NarrowSearch())
        qzShadow->CancelRange();
    if (searchTable && shadowTable)
        shadowTable->GotoCurrent(searchTable);
    else
        DoSyncDataSets(shadow, search);
    if (!RunForm(shadow)) return false;
    if (!shadow->IsEmpty()) {
        if (searchTable && shadowTable)
            searchTable->GotoCurrent(shadowTable);
        else
            DoSyncDataSets(search, shadow);
    }
    return true;
}

// ---- TqzSearchDialog ---------------------------------------------------------------------------------

TqzSearchDialog::TqzSearchDialog(TComponent* AOwner) : TqzCustomLookupDialog(AOwner) { FCaption = "Search"; }

void TqzSearchDialog::SetSearchTable(TDataSet* Value) {
    if (Value == FSearchTable) return;
    if (FSearchTable) FSearchTable->RemoveFreeNotification(this);
    FSearchTable = Value;
    if (Value) Value->FreeNotification(this);
}

void TqzSearchDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TqzCustomLookupDialog::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSearchTable) FSearchTable = nullptr;
}

void TqzSearchDialog::Publish(TPublisher<TqzSearchDialog>& p) {
    using Self = TqzSearchDialog;
    p.Property("SearchTable", &Self::SearchTable, &Self::SetSearchTable);
    p.Property("ShadowSearchTable", &Self::ShadowSearchTable, &Self::SetShadowSearchTable);
    p.Property("Selected", &Self::Selected, &Self::SetSelected);
    p.Property("Options", &Self::Options, &Self::SetOptions);
    p.Property("GridOptions", &Self::GridOptions, &Self::SetGridOptions);
    p.Property("GridColor", &Self::GridColor, &Self::SetGridColor);
    p.Property("GridTitleAlignment", &Self::GridTitleAlignment, &Self::SetGridTitleAlignment);
    p.Property("Caption", &Self::Caption, &Self::SetCaption);
    p.Property("MaxWidth", &Self::MaxWidth, &Self::SetMaxWidth);
    p.Property("MaxHeight", &Self::MaxHeight, &Self::SetMaxHeight);
    p.Property("CharCase", &Self::CharCase, &Self::SetCharCase);
    p.Property("UseTFields", &Self::UseTFields, &Self::SetUseTFields);
    p.Property("PictureMaskFromField", &Self::PictureMaskFromField, &Self::SetPictureMaskFromField);
    p.Property("ControlType", &Self::ControlType, &Self::SetControlType);
    p.Property("PictureMasks", &Self::PictureMasks, &Self::SetPictureMasks);
    p.Property("ControlInfoInDataset", &Self::ControlInfoInDataset, &Self::SetControlInfoInDataset);
    p.Property("PictureMaskFromDataset", &Self::PictureMaskFromDataset, &Self::SetPictureMaskFromDataset);
    p.Property("UserButton1Caption", &Self::UserButton1Caption, &Self::SetUserButton1Caption);
    p.Property("UserButton2Caption", &Self::UserButton2Caption, &Self::SetUserButton2Caption);
}
