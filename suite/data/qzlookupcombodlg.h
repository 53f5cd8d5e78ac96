// TqzDBLookupComboDlg: the published lookup combo whose button (or F4,
// Alt+Up, Alt+Down) opens the modal lookup dialog over the lookup table
// instead of the drop-down grid. OK takes the dialog's record: its keys go
// to the bound record and its display text to the edit; Cancel leaves the
// value as it was.
//
// It lives in suite/data because it needs the lookup dialog; its base
// TqzDBCustomLookupCombo is in suite/grid.
#pragma once

#include <memory>
#include <string>

#include "suite/data/qzlookupdlg.h"
#include "suite/grid/qzlookupcombo.h"

class TqzDBLookupComboDlg : public TqzDBCustomLookupCombo {
    TASKMOOR_CLASS(TqzDBLookupComboDlg, TqzDBCustomLookupCombo)
public:
    explicit TqzDBLookupComboDlg(TComponent* AOwner);
    ~TqzDBLookupComboDlg() override;

    // Runs the lookup dialog (nothing when ReadOnly).
    void DropDown() override;
    // Keys 2 and 3 always come from the dialog's record.
    bool IsDialogStyle() override { return true; }

    // ---- Dialog settings
    TqzDBGridOptions GridOptions() const { return FGridOptions; }
    void SetGridOptions(TqzDBGridOptions Value) { FGridOptions = Value; }
    TColor GridColor() const { return FGridColor; }
    void SetGridColor(TColor Value) { FGridColor = Value; }
    TAlignment GridTitleAlignment() const { return FGridTitleAlignment; }
    void SetGridTitleAlignment(TAlignment Value) { FGridTitleAlignment = Value; }
    TqzDBLookupDlgOptions Options() const { return FOptions; }
    void SetOptions(TqzDBLookupDlgOptions Value) { FOptions = Value; }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& Value) { FCaption = Value; }
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value) { FMaxWidth = Value; }
    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value) { FMaxHeight = Value; }
    const std::string& UserButton1Caption() const { return FUserButton1Caption; }
    void SetUserButton1Caption(const std::string& Value) { FUserButton1Caption = Value; }
    const std::string& UserButton2Caption() const { return FUserButton2Caption; }
    void SetUserButton2Caption(const std::string& Value) { FUserButton2Caption = Value; }
    TStrings* ControlType() const { return FControlType.get(); }
    void SetControlType(TStrings* Value) { FControlType->Assign(Value); }
    TStrings* PictureMasks() const { return FPictureMasks.get(); }
    void SetPictureMasks(TStrings* Value) { FPictureMasks->Assign(Value); }
    bool ControlInfoInDataset() const { return FControlInfoInDataset; }
    void SetControlInfoInDataset(bool Value) { FControlInfoInDataset = Value; }
    bool PictureMaskFromDataset() const { return FPictureMaskFromDataset; }
    void SetPictureMaskFromDataset(bool Value) { FPictureMaskFromDataset = Value; }
    bool PictureMaskFromField() const { return FPictureMaskFromField; }
    void SetPictureMaskFromField(bool Value) { FPictureMaskFromField = Value; }
    // The dialog's grid takes its columns from the lookup table's fields,
    // the Selected lines applied to them.
    bool UseTFields() const { return FUseTFields; }
    void SetUseTFields(bool Value) { FUseTFields = Value; }

    // ---- Dialog events
    TqzOnInitDialogEvent OnInitDialog() const { return FOnInitDialog; }
    void SetOnInitDialog(TqzOnInitDialogEvent Value) { FOnInitDialog = Value; }
    TqzOnInitDialogEvent OnCloseDialog() const { return FOnCloseDialog; }
    void SetOnCloseDialog(TqzOnInitDialogEvent Value) { FOnCloseDialog = Value; }
    TqzUserButtonEvent OnUserButton1Click() const { return FOnUserButton1Click; }
    void SetOnUserButton1Click(TqzUserButtonEvent Value) { FOnUserButton1Click = Value; }
    TqzUserButtonEvent OnUserButton2Click() const { return FOnUserButton2Click; }
    void SetOnUserButton2Click(TqzUserButtonEvent Value) { FOnUserButton2Click = Value; }
    TNotifyEvent OnSortChange() const { return FOnSortChange; }
    void SetOnSortChange(TNotifyEvent Value) { FOnSortChange = Value; }

    static void Publish(TPublisher<TqzDBLookupComboDlg>& p);

private:
    TqzDBGridOptions FGridOptions;
    TColor FGridColor = clWhite;
    TAlignment FGridTitleAlignment = taLeftJustify;
    TqzDBLookupDlgOptions FOptions{opShowOKCancel, opShowSearchBy};
    std::string FCaption = "Lookup";
    int FMaxWidth = 0;
    int FMaxHeight = 209;
    std::string FUserButton1Caption, FUserButton2Caption;
    std::unique_ptr<TStringList> FControlType;
    std::unique_ptr<TStringList> FPictureMasks;
    bool FControlInfoInDataset = true;
    bool FPictureMaskFromDataset = true;
    bool FPictureMaskFromField = false;
    bool FUseTFields = true;
    bool FRunning = false;
    TqzOnInitDialogEvent FOnInitDialog, FOnCloseDialog;
    TqzUserButtonEvent FOnUserButton1Click, FOnUserButton2Click;
    TNotifyEvent FOnSortChange;
};
