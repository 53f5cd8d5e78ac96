// Building the locate form, its match type and field choice, and the first and next
// searches its buttons run.
#include "suite/data/qzlocate.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/groupbox.h"
#include "platform/ui/stdctrls.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzrecordsearch.h"

namespace {

std::string ListedLabel(const TField* Field) {
    std::string s = Field->DisplayLabel();
    std::replace(s.begin(), s.end(), '~', ' ');
    return s;
}

bool SkippedType(TFieldType T) { return T == ftBlob || T == ftGraphic || T == ftBytes || T == ftVarBytes; }

template <class T>
T* MakeControl(TComponent* Owner, TWinControl* Parent, int L, int Top, int W, int H) {
    auto* c = new T(Owner);
    c->SetParent(Parent);
    c->SetBounds(L, Top, W, H);
    return c;
}

}  // namespace

// ---- TqzLocateDlg --------------------------------------------------------------------------------

TqzLocateDlg::TqzLocateDlg(TComponent* AOwner, TqzLocateDialog* Dialog, TDataSet* DataSet)
    : TForm(AOwner), FDialog(Dialog), FDataSet(DataSet) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);
    Font()->SetStyle(TFontStyles{fsBold});
    SetClientWidth(212);
    SetClientHeight(238);
    BuildControls();
}

void TqzLocateDlg::BuildControls() {
    FFieldValueGroup = MakeControl<TGroupBox>(this, this, 4, 4, 204, 45);
    FFieldValueGroup->SetTabOrder(0);
    FSearchValue = MakeControl<TEdit>(this, FFieldValueGroup, 8, 16, 188, 21);
    FSearchValue->SetTabStop(true);

    FSearchTypeGroup = MakeControl<TGroupBox>(this, this, 4, 52, 204, 101);
    FSearchTypeGroup->SetTabOrder(1);
    FCaseSensitiveCheckBox = MakeControl<TCheckBox>(this, FSearchTypeGroup, 8, 16, 188, 17);
    FPanel1 = MakeControl<TPanel>(this, FSearchTypeGroup, 8, 36, 188, 2);
    FPanel1->SetBevelOuter(bvLowered);
    FPanel1->SetCaption("");
    FExactMatchBtn = MakeControl<TRadioButton>(this, FSearchTypeGroup, 8, 42, 188, 17);
    FPartialMatchStartBtn = MakeControl<TRadioButton>(this, FSearchTypeGroup, 8, 60, 188, 17);
    FPartialMatchAnyBtn = MakeControl<TRadioButton>(this, FSearchTypeGroup, 8, 78, 188, 17);
    FPartialMatchStartBtn->SetChecked(true);

    FFieldsGroup = MakeControl<TGroupBox>(this, this, 4, 156, 204, 48);
    FFieldsGroup->SetTabOrder(2);
    FFieldNameComboBox = MakeControl<TComboBox>(this, FFieldsGroup, 8, 18, 188, 21);
    FFieldNameComboBox->SetStyle(csDropDownList);
    FFieldNameComboBox->SetSorted(true);
    FFieldNameComboBox->SetOnChange(TNotifyEvent(this, &TqzLocateDlg::FieldNameChange));
    FFieldNameComboBox->SetOnEnter(TNotifyEvent(this, &TqzLocateDlg::FieldNameEnter));
    FFieldNameComboBox->SetOnExit(TNotifyEvent(this, &TqzLocateDlg::FieldNameExit));
    FFieldNameComboBox->SetOnKeyDown(TKeyEvent(this, &TqzLocateDlg::FieldNameKeyDown));

    FFirstButton = MakeControl<TButton>(this, this, 4, 209, 57, 27);
    FFirstButton->SetCaption("Fi&rst");
    FFirstButton->SetTabOrder(3);
    FFirstButton->SetOnClick(TNotifyEvent(this, &TqzLocateDlg::FirstButtonClick));
    FNextButton = MakeControl<TButton>(this, this, 64, 209, 57, 27);
    FNextButton->SetCaption("&Next");
    FNextButton->SetDefault(true);
    FNextButton->SetTabOrder(4);
    FNextButton->SetOnClick(TNotifyEvent(this, &TqzLocateDlg::NextButtonClick));

    const int ppi = Screen ? Screen->PixelsPerInch() : 96;
    FCancelButton = qzCreateDialogButton(this, qzbkCancel);
    FCancelButton->SetParent(this);
    FCancelButton->SetTabOrder(5);
    const int w = qzScaleByPixelsPerInch(72, ppi), h = qzScaleByPixelsPerInch(27, ppi);
    FCancelButton->SetBounds(FFieldsGroup->Left() + FFieldsGroup->Width() - w - 1, FNextButton->Top(), w, h);
    FCancelButton->SetModalResult(mrCancel);
    FCancelButton->SetCancel(true);
    FCancelButton->SetVisible(true);
}

void TqzLocateDlg::DoShow() {
    TqzLocateDialogIntl* t = qzIntl()->LocateDialog();
    FFieldValueGroup->SetCaption(t->FieldValueLabel());
    FSearchTypeGroup->SetCaption(t->SearchTypeLabel());
    FCaseSensitiveCheckBox->SetCaption(t->CaseSensitiveLabel());
    FExactMatchBtn->SetCaption(t->MatchExactLabel());
    FPartialMatchStartBtn->SetCaption(t->MatchStartLabel());
    FPartialMatchAnyBtn->SetCaption(t->MatchAnyLabel());
    FFieldsGroup->SetCaption(t->FieldsLabel());
    FFirstButton->SetCaption(t->BtnFirst());
    FNextButton->SetCaption(t->BtnNext());
    const bool closeOnMatch = FDialog->Options().Contains(ldoCloseOnMatch);
    FCancelButton->SetCaption(closeOnMatch ? t->BtnCancel() : t->BtnClose());
    FSearchValue->SetHint(t->FieldValueHint());
    FCaseSensitiveCheckBox->SetHint(t->CaseSensitiveHint());
    FExactMatchBtn->SetHint(t->MatchExactHint());
    FPartialMatchStartBtn->SetHint(t->MatchStartHint());
    FPartialMatchAnyBtn->SetHint(t->MatchAnyHint());
    FFirstButton->SetHint(t->BtnFirstHint());
    FNextButton->SetHint(t->BtnNextHint());
    FFieldNameComboBox->SetHint(t->FieldNameHint());
    Font()->SetStyle(qzIntl()->DialogFontStyle());
    if (!closeOnMatch)
        if (auto* bit = dynamic_cast<TBitBtn*>(FCancelButton)) {
            bit->SetGlyph(nullptr);
            bit->SetMargin(-1);
        }
    FDialog->Form = this;
    if (FDialog->Options().Contains(ldoCaseSensitiveBelow)) {
        FExactMatchBtn->SetTop(16);
        FPartialMatchStartBtn->SetTop(34);
        FPartialMatchAnyBtn->SetTop(52);
        FPanel1->SetTop(72);
        FCaseSensitiveCheckBox->SetTop(75);
    }
    TForm::DoShow();
    FDialog->DoInitDialog();
}

TqzLocateMatchType TqzLocateDlg::MatchType() const {
    if (FExactMatchBtn->Checked()) return mtExactMatch;
    if (FPartialMatchAnyBtn->Checked()) return mtPartialMatchAny;
    return mtPartialMatchStart;
}

void TqzLocateDlg::SetMatchType(TqzLocateMatchType Value) {
    (Value == mtExactMatch        ? FExactMatchBtn
     : Value == mtPartialMatchAny ? FPartialMatchAnyBtn
                                  : FPartialMatchStartBtn)
        ->SetChecked(true);
}

std::string TqzLocateDlg::FieldOfEntry(const std::string& Entry) const {
    if (!FDataSet || Entry.empty()) return {};
    TFields* fields = FDataSet->Fields();
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < fields->Count(); ++i) {
            TField* f = fields->Fields(i);
            const bool calcOrLookup = f->Calculated() || f->Lookup();
            if (calcOrLookup != (pass == 1)) continue;
            if (ListedLabel(f) == Entry) return f->FieldName();
        }
    return {};
}

std::string TqzLocateDlg::SearchFieldName() const {
    const int i = FFieldNameComboBox->ItemIndex();
    if (i < 0) return {};
    return FieldOfEntry(FFieldNameComboBox->Items()->Strings(i));
}

bool TqzLocateDlg::FindMatch(bool FromFirst) {
    const std::string field = SearchFieldName();
    bool found = false;
    if (!field.empty())
        found =
            qzFindRecordByValue(FromFirst, FDataSet, field, FSearchValue->Text(), MatchType(),
                                FCaseSensitiveCheckBox->State() != cbUnchecked, FDialog->UseLocateMethod());
    if (!found) {
        TqzUserMessagesIntl* m = qzIntl()->UserMessages();
        MessageDlg(FromFirst ? m->LocateNoMatches() : m->LocateNoMoreMatches(), mtInformation,
                   TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    if (FDialog->Options().Contains(ldoCloseOnMatch)) SetModalResult(mrOk);
    return true;
}

void TqzLocateDlg::FirstButtonClick(TObject*) { FindMatch(true); }

void TqzLocateDlg::NextButtonClick(TObject*) { FindMatch(false); }

void TqzLocateDlg::FieldNameChange(TObject*) {
    if (!FDialog->Options().Contains(ldoPreserveSearchText)) FSearchValue->SetText("");
    if (!FFieldNameComboBox->DroppedDown() && FSearchValue->CanFocus()) FSearchValue->SetFocus();
    if (FDialog->OnSelectField().Assigned()) FDialog->OnSelectField()(this, FFieldNameComboBox->Text());
}

void TqzLocateDlg::FieldNameEnter(TObject*) { FNextButton->SetDefault(false); }

void TqzLocateDlg::FieldNameExit(TObject*) { FNextButton->SetDefault(true); }

void TqzLocateDlg::FieldNameKeyDown(TObject*, uint16_t& Key, TShiftState) {
    if (Key == VK_RETURN && FFieldNameComboBox->DroppedDown()) {
        FFieldNameComboBox->SetDroppedDown(false);
        if (FSearchValue->CanFocus()) FSearchValue->SetFocus();
        Key = 0;
    }
}

// ---- TqzLocateDialog -----------------------------------------------------------------------------

TqzLocateDialog::TqzLocateDialog(TComponent* AOwner)
    : TqzCustomDialog(AOwner), FDataLink(std::make_unique<TDataLink>()) {}

TqzLocateDialog::~TqzLocateDialog() { FDataLink.reset(); }

TDataSource* TqzLocateDialog::DataSource() const { return FDataLink->DataSource(); }

void TqzLocateDialog::SetDataSource(TDataSource* Value) {
    if (Value) Value->FreeNotification(this);
    FDataLink->SetDataSource(Value);
}

void TqzLocateDialog::Notification(TComponent* AComponent, TOperation Operation) {
    TqzCustomDialog::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == DataSource()) FDataLink->SetDataSource(nullptr);
}

TDataSet* TqzLocateDialog::GetPrimaryDataSet() { return DataSource() ? DataSource()->DataSet() : nullptr; }

void TqzLocateDialog::DoInitDialog() {
    if (FOnInitDialog.Assigned() && Form) FOnInitDialog(Form);
}

bool TqzLocateDialog::Execute() {
    TDataSet* ds = GetPrimaryDataSet();
    // Nothing to search: the message, and no form at all.
    if (!ds || !ds->Active()) {
        MessageDlg("DataSource does not reference an active DataSet", mtError, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    std::unique_ptr<TqzLocateDlg> form(new TqzLocateDlg(Application, this, ds));
    TComboBox* list = form->FieldNameComboBox();
    TField* searchField = FSearchField.empty() ? nullptr : ds->FindField(FSearchField);
    list->Items()->Clear();
    if (FSortFields == fsSortByFieldNo) list->SetSorted(false);
    form->NextButton()->SetDefault(FDefaultButton == dbFindNext);
    form->FirstButton()->SetDefault(FDefaultButton == dbFindFirst);
    TFields* fields = ds->Fields();
    for (int i = 0; i < fields->Count(); ++i) {
        TField* f = fields->Fields(i);
        if (SkippedType(f->DataType())) continue;
        if (FFieldSelection == fsVisibleFields && !f->Visible()) continue;
        list->Items()->Add(ListedLabel(f));
    }
    if (searchField && !SkippedType(searchField->DataType())) {
        form->SearchValue()->SetText(FieldValue);
        list->SetItemIndex(list->Items()->IndexOf(ListedLabel(searchField)));
    } else {
        form->SearchValue()->SetText("");
    }
    form->CaseSensitiveCheckBox()->SetChecked(FCaseSensitive);
    form->SetMatchType(FMatchType);
    form->SetCaption(FCaption);
    form->SetActiveControl(form->SearchValue());
    const int result = qzShowModal(form.get(), Form);
    FMatchType = form->MatchType();
    FCaseSensitive = form->CaseSensitiveCheckBox()->State() != cbUnchecked;
    FieldValue = form->SearchValue()->Text();
    FSearchField = form->SearchFieldName();
    return result == mrOk;
}

void TqzLocateDialog::Publish(TPublisher<TqzLocateDialog>& p) {
    p.Property("Caption", &TqzLocateDialog::Caption, &TqzLocateDialog::SetCaption);
    p.Property("DataSource", &TqzLocateDialog::DataSource, &TqzLocateDialog::SetDataSource);
    p.Property("SearchField", &TqzLocateDialog::SearchField, &TqzLocateDialog::SetSearchField);
    p.Property("MatchType", &TqzLocateDialog::MatchType, &TqzLocateDialog::SetMatchType);
    p.Property("CaseSensitive", &TqzLocateDialog::CaseSensitive, &TqzLocateDialog::SetCaseSensitive);
    p.Property("SortFields", &TqzLocateDialog::SortFields, &TqzLocateDialog::SetSortFields);
    p.Property("DefaultButton", &TqzLocateDialog::DefaultButton, &TqzLocateDialog::SetDefaultButton);
    p.Property("FieldSelection", &TqzLocateDialog::FieldSelection, &TqzLocateDialog::SetFieldSelection);
    p.Property("ShowMessages", &TqzLocateDialog::ShowMessages, &TqzLocateDialog::SetShowMessages);
    p.Property("UseLocateMethod", &TqzLocateDialog::UseLocateMethod, &TqzLocateDialog::SetUseLocateMethod);
    p.Property("Options", &TqzLocateDialog::Options, &TqzLocateDialog::SetOptions);
    p.Property("OnInitDialog", &TqzLocateDialog::OnInitDialog, &TqzLocateDialog::SetOnInitDialog)
        .SetTypeName("TqzOnInitLocateDlgEvent");
    p.Property("OnSelectField", &TqzLocateDialog::OnSelectField, &TqzLocateDialog::SetOnSelectField)
        .SetTypeName("TqzLocateSelectFieldEvent");
}
