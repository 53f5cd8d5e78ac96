// The restore dialog's lists and buttons, and moving names between the lists.
#include "app/restore_dlg.h"

#include "app/backup.h"
#include "app/report/form_layout.h"
#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/ui/buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/stdctrls.h"

namespace {

TSpeedButton* MakeMoveButton(TDualListDlg* Form, const char* Name, const char* Caption, int Top,
                             void (TDualListDlg::*Handler)(TObject*)) {
    auto* button = new TSpeedButton(Form);
    button->SetName(Name);
    button->SetParent(Form);
    button->SetBounds(160, Top, 24, 24);
    button->SetCaption(Caption);
    button->SetOnClick(MakeEvent(Form, Handler));
    return button;
}

TButton* MakeButton(TDualListDlg* Form, const char* Name, const char* Caption, int Left) {
    auto* button = new TButton(Form);
    button->SetName(Name);
    button->SetParent(Form);
    button->SetBounds(Left, 222, 75, 25);
    button->SetCaption(Caption);
    return button;
}

TListBox* MakeList(TDualListDlg* Form, const char* Name, int Left) {
    auto* list = new TListBox(Form);
    list->SetName(Name);
    list->SetParent(Form);
    list->SetBounds(Left, 24, 144, 185);
    list->SetMultiSelect(true);
    return list;
}

}  // namespace

TDualListDlg::TDualListDlg(TComponent* AOwner) : TForm(AOwner) {
    // The dialog made at start and the one each Restore makes live side by side.
    SetName(UniqueFormName(AOwner, "DualListDlg"));
    SetCaption("Restore From Backup");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(345);
    SetClientHeight(255);

    FSrcLabel = new TLabel(this);
    FSrcLabel->SetName("SrcLabel");
    FSrcLabel->SetParent(this);
    FSrcLabel->SetLeft(8);
    FSrcLabel->SetTop(8);
    FSrcLabel->SetCaption("Backup List:");

    FDstLabel = new TLabel(this);
    FDstLabel->SetName("DstLabel");
    FDstLabel->SetParent(this);
    FDstLabel->SetLeft(192);
    FDstLabel->SetTop(8);
    FDstLabel->SetCaption("Restore List:");

    FSrcList = MakeList(this, "SrcList", 8);
    FSrcList->SetSorted(true);
    for (const std::string& name : BackupTableNames()) FSrcList->Items()->Add(name);
    FSrcLabel->SetFocusControl(FSrcList);

    FIncludeBtn = MakeMoveButton(this, "IncludeBtn", ">", 32, &TDualListDlg::IncludeBtnClick);
    FIncAllBtn = MakeMoveButton(this, "IncAllBtn", ">>", 64, &TDualListDlg::IncAllBtnClick);
    FExcludeBtn = MakeMoveButton(this, "ExcludeBtn", "<", 96, &TDualListDlg::ExcludeBtnClick);
    FExcludeBtn->SetEnabled(false);
    FExAllBtn = MakeMoveButton(this, "ExAllBtn", "<<", 128, &TDualListDlg::ExcAllBtnClick);
    FExAllBtn->SetEnabled(false);

    FDstList = MakeList(this, "DstList", 192);
    FDstLabel->SetFocusControl(FDstList);

    FOKBtn = MakeButton(this, "OKBtn", "OK", 101);
    FOKBtn->SetDefault(true);
    FOKBtn->SetModalResult(mrOk);
    FOKBtn->SetOnClick(MakeEvent(this, &TDualListDlg::OKBtnClick));

    FCancelBtn = MakeButton(this, "CancelBtn", "Cancel", 181);
    FCancelBtn->SetCancel(true);
    FCancelBtn->SetModalResult(mrCancel);

    FHelpBtn = MakeButton(this, "HelpBtn", "Help", 261);

    SetActiveControl(FSrcList);
}

void TDualListDlg::IncludeBtnClick(TObject*) {
    const int index = GetFirstSelection(FSrcList);
    MoveSelected(FSrcList, FDstList->Items());
    SetItem(FSrcList, index);
}

void TDualListDlg::ExcludeBtnClick(TObject*) {
    const int index = GetFirstSelection(FDstList);
    MoveSelected(FDstList, FSrcList->Items());
    SetItem(FDstList, index);
}

void TDualListDlg::IncAllBtnClick(TObject*) {
    for (int i = 0; i < FSrcList->Items()->Count(); ++i)
        FDstList->Items()->AddObject(FSrcList->Items()->Strings(i), FSrcList->Items()->Objects(i));
    FSrcList->Items()->Clear();
    SetItem(FSrcList, 0);
}

void TDualListDlg::ExcAllBtnClick(TObject*) {
    for (int i = 0; i < FDstList->Items()->Count(); ++i)
        FSrcList->Items()->AddObject(FDstList->Items()->Strings(i), FDstList->Items()->Objects(i));
    FDstList->Items()->Clear();
    SetItem(FDstList, 0);
}

void TDualListDlg::MoveSelected(TListBox* List, TStrings* Items) {
    for (int i = List->Items()->Count() - 1; i >= 0; --i) {
        if (!List->Selected(i)) continue;
        Items->AddObject(List->Items()->Strings(i), List->Items()->Objects(i));
        List->Items()->Delete(i);
    }
}

int TDualListDlg::GetFirstSelection(TListBox* List) {
    for (int i = 0; i < List->Items()->Count(); ++i)
        if (List->Selected(i)) return i;
    return -1;
}

void TDualListDlg::SetItem(TListBox* List, int Index) {
    if (List->CanFocus()) List->SetFocus();
    const int maxIndex = List->Items()->Count() - 1;
    if (Index == -1)
        Index = 0;
    else if (Index > maxIndex)
        Index = maxIndex;
    // An empty list has nothing to select.
    if (Index >= 0 && Index <= maxIndex) List->SetSelected(Index, true);
    SetButtons();
}

void TDualListDlg::SetButtons() {
    const bool srcEmpty = FSrcList->Items()->Count() == 0;
    const bool dstEmpty = FDstList->Items()->Count() == 0;
    FIncludeBtn->SetEnabled(!srcEmpty);
    FIncAllBtn->SetEnabled(!srcEmpty);
    FExcludeBtn->SetEnabled(!dstEmpty);
    FExAllBtn->SetEnabled(!dstEmpty);
}

void TDualListDlg::OKBtnClick(TObject*) {
    // The copy itself refuses a backup of another table's fields.
    std::vector<std::string> names;
    for (int i = 0; i < FDstList->Items()->Count(); ++i) names.push_back(FDstList->Items()->Strings(i));
    FRestoredNames.clear();
    RestoreTables(GetCurrentDir(), names, &FRestoredNames);
}
