// The combo's drop-down, which opens the lookup dialog and takes its chosen record.
#include "suite/data/qzlookupcombodlg.h"

#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "suite/base/qzcontroller.h"
#include "suite/base/qzeditframe.h"
#include "suite/base/qzframepublish.h"

namespace {

// The lookup kind of dialog, over the combo's lookup table.
class TqzComboLookupDialog : public TqzCustomLookupDialog {
    TASKMOOR_CLASS(TqzComboLookupDialog, TqzCustomLookupDialog)
public:
    TqzComboLookupDialog(TComponent* AOwner, TDataSet* Table)
        : TqzCustomLookupDialog(AOwner), FTable(Table) {}
    TDataSet* GetPrimaryDataSet() override { return FTable; }

private:
    TDataSet* FTable;
};

}  // namespace

TqzDBLookupComboDlg::TqzDBLookupComboDlg(TComponent* AOwner)
    : TqzDBCustomLookupCombo(AOwner),
      FGridOptions(qzDefaultLookupGridOptions()),
      FControlType(std::make_unique<TStringList>()),
      FPictureMasks(std::make_unique<TStringList>()) {
    SetButtonStyle(cbsEllipsis);
}

TqzDBLookupComboDlg::~TqzDBLookupComboDlg() = default;

void TqzDBLookupComboDlg::DropDown() {
    if (ReadOnly() || FRunning) return;
    if (OnDropDown().Assigned()) OnDropDown()(this);
    TDataSet* table = LookupTable();
    if (!table || !table->Active()) {
        MessageDlg("No lookup table specified!", mtWarning, TMsgDlgButtons{mbOK}, 0);
        return;
    }
    // A table opened after LookupField was set binds its keys now (a
    // missing first key field raises its error here).
    if (KeyFields().empty() && !LookupField().empty()) SetLookupField(LookupField());
    if (Selected()->Count() == 0 && !KeyFields().empty()) {
        TField* k = table->FieldByName(KeyFields()[0]);
        Selected()->Add(k->FieldName() + "\t" + std::to_string(k->DisplayWidth()) + "\t" + k->DisplayLabel());
    }
    PositionOnValue();

    TqzComboLookupDialog dialog(nullptr, table);
    dialog.SetSelected(Selected());
    dialog.SetUseTFields(FUseTFields);
    dialog.SetPictureMaskFromField(FPictureMaskFromField);
    dialog.SetControlType(FControlType.get());
    dialog.SetPictureMasks(FPictureMasks.get());
    dialog.SetControlInfoInDataset(FControlInfoInDataset);
    dialog.SetPictureMaskFromDataset(FPictureMaskFromDataset);
    dialog.SetGridOptions(FGridOptions);
    dialog.SetGridColor(FGridColor);
    dialog.SetGridTitleAlignment(FGridTitleAlignment);
    dialog.SetOptions(FOptions);
    dialog.SetCaption(FCaption);
    dialog.SetMaxWidth(FMaxWidth);
    dialog.SetMaxHeight(FMaxHeight);
    dialog.SetCharCase(CharCase());
    dialog.SetUserButton1Caption(FUserButton1Caption);
    dialog.SetUserButton2Caption(FUserButton2Caption);
    dialog.SetOnInitDialog(FOnInitDialog);
    dialog.SetOnCloseDialog(FOnCloseDialog);
    dialog.SetOnUserButton1Click(FOnUserButton1Click);
    dialog.SetOnUserButton2Click(FOnUserButton2Click);
    dialog.SetOnSortChange(FOnSortChange);

    TDataSet* bound = DataSource() ? DataSource()->DataSet() : nullptr;
    // The bound dataset's controls wait while the dialog shows.
    if (bound) bound->DisableControls();
    FRunning = true;
    bool ok = false;
    try {
        ok = dialog.Execute();
    } catch (...) {
        FRunning = false;
        if (bound) bound->EnableControls();
        throw;
    }
    FRunning = false;
    try {
        // The chosen record's keys go to the bound record and the text
        // follows, before the bound controls wake up (they would move the
        // lookup table back to the old value).
        if (ok && table->Active() && !table->IsEmpty()) {
            WriteKeys();
            GridPick();
        }
    } catch (...) {
        if (bound) bound->EnableControls();
        throw;
    }
    if (bound) bound->EnableControls();
    if (OnCloseUp().Assigned()) OnCloseUp()(this, table, bound, ok);
}

void TqzDBLookupComboDlg::Publish(TPublisher<TqzDBLookupComboDlg>& p) {
    using Self = TqzDBLookupComboDlg;
    // The lookup combo's own list, published here.
    p.Property(
        "DataSource", [](Self& c) { return c.DataSource(); },
        [](Self& c, TDataSource* v) { c.SetDataSource(v); });
    p.Property(
        "DataField", [](Self& c) { return c.DataField(); },
        [](Self& c, const std::string& v) { c.SetDataField(v); });
    p.Property(
        "Style", [](Self& c) { return c.Style(); }, [](Self& c, TqzDBLookupComboStyle v) { c.SetStyle(v); });
    p.Property("DropDownCount", &Self::DropDownCount, &Self::SetDropDownCount);
    p.Property("DropDownWidth", &Self::DropDownWidth, &Self::SetDropDownWidth);
    p.Property("DropDownAlignment", &Self::DropDownAlignment, &Self::SetDropDownAlignment);
    p.Property("SearchDelay", &Self::SearchDelay, &Self::SetSearchDelay);
    p.Property("SeqSearchOptions", &Self::SeqSearchOptions, &Self::SetSeqSearchOptions);
    p.Property("OrderByDisplay", &Self::OrderByDisplay, &Self::SetOrderByDisplay);
    p.Property("AllowClearKey", &Self::AllowClearKey, &Self::SetAllowClearKey);
    p.Property("ShowMatchText", &Self::ShowMatchText, &Self::SetShowMatchText);
    p.Property(
        "AutoDropDown", [](Self& c) { return c.AutoDropDown(); },
        [](Self& c, bool v) { c.SetAutoDropDown(v); });
    p.Property(
        "ShowButton", [](Self& c) { return c.GetShowButton(); }, [](Self& c, bool v) { c.SetShowButton(v); });
    qzPublishFrameLook(p);
    p.Property(
        "Picture", [](Self& c) { return c.Picture(); }, [](Self& c, TqzDBPicture* v) { c.SetPicture(v); });
    p.Property("OnDropDown", &Self::OnDropDown, &Self::SetOnDropDown);
    p.Property("OnInitDialog", &Self::OnInitDialog, &Self::SetOnInitDialog)
        .SetTypeName("TqzOnInitDialogEvent");
    p.Property("OnCloseDialog", &Self::OnCloseDialog, &Self::SetOnCloseDialog)
        .SetTypeName("TqzOnInitDialogEvent");
    p.Property("OnUserButton1Click", &Self::OnUserButton1Click, &Self::SetOnUserButton1Click)
        .SetTypeName("TqzUserButtonEvent");
    p.Property("OnUserButton2Click", &Self::OnUserButton2Click, &Self::SetOnUserButton2Click)
        .SetTypeName("TqzUserButtonEvent");
    p.Property("OnSortChange", &Self::OnSortChange, &Self::SetOnSortChange);
    p.Property("OnCloseUp", &Self::OnCloseUp, &Self::SetOnCloseUp).SetTypeName("TNotifyCloseUpEvent");
    p.Property("OnPerformCustomSearch", &Self::OnPerformCustomSearch, &Self::SetOnPerformCustomSearch)
        .SetTypeName("TqzPerformSearchEvent");
    p.Property(
        "LookupTable", [](Self& c) { return c.LookupTable(); },
        [](Self& c, TDataSet* v) { c.SetLookupTable(v); });
    p.Property(
        "LookupField", [](Self& c) { return c.LookupField(); },
        [](Self& c, const std::string& v) { c.SetLookupField(v); });
    p.Property(
        "Selected", [](Self& c) { return c.Selected(); }, [](Self& c, TStrings* v) { c.SetSelected(v); });
    p.Property("GridOptions", &Self::GridOptions, &Self::SetGridOptions);
    p.Property("GridColor", &Self::GridColor, &Self::SetGridColor);
    p.Property("GridTitleAlignment", &Self::GridTitleAlignment, &Self::SetGridTitleAlignment);
    p.Property("Options", &Self::Options, &Self::SetOptions);
    p.Property("Caption", &Self::Caption, &Self::SetCaption);
    p.Property("MaxWidth", &Self::MaxWidth, &Self::SetMaxWidth);
    p.Property("MaxHeight", &Self::MaxHeight, &Self::SetMaxHeight);
    p.Property("UserButton1Caption", &Self::UserButton1Caption, &Self::SetUserButton1Caption);
    p.Property("UserButton2Caption", &Self::UserButton2Caption, &Self::SetUserButton2Caption);
    p.Property("ControlType", &Self::ControlType, &Self::SetControlType);
    p.Property("PictureMasks", &Self::PictureMasks, &Self::SetPictureMasks);
    p.Property("ControlInfoInDataset", &Self::ControlInfoInDataset, &Self::SetControlInfoInDataset);
    p.Property("PictureMaskFromDataset", &Self::PictureMaskFromDataset, &Self::SetPictureMaskFromDataset);
    p.Property("PictureMaskFromField", &Self::PictureMaskFromField, &Self::SetPictureMaskFromField);
    p.Property("UseTFields", &Self::UseTFields, &Self::SetUseTFields);
}
