// The restore dialog: the tables with backups on the left, the tables to
// restore on the right, buttons to move names across, and OK to copy the
// chosen backups over the table files of the current folder. A backup whose
// fields are not those the program gives its table is not copied (the copy
// checks it): a sound table of another kind would leave the program unable
// to show it.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/forms.h"

class TButton;
class TLabel;
class TListBox;
class TSpeedButton;
class TStrings;

class TDualListDlg : public TForm {
    TASKMOOR_CLASS(TDualListDlg, TForm)
public:
    explicit TDualListDlg(TComponent* AOwner);

    TLabel* SrcLabel() const { return FSrcLabel; }
    TLabel* DstLabel() const { return FDstLabel; }
    TListBox* SrcList() const { return FSrcList; }
    TListBox* DstList() const { return FDstList; }
    TSpeedButton* IncludeBtn() const { return FIncludeBtn; }
    TSpeedButton* IncAllBtn() const { return FIncAllBtn; }
    TSpeedButton* ExcludeBtn() const { return FExcludeBtn; }
    TSpeedButton* ExAllBtn() const { return FExAllBtn; }
    TButton* OKBtn() const { return FOKBtn; }
    TButton* CancelBtn() const { return FCancelBtn; }
    TButton* HelpBtn() const { return FHelpBtn; }

    // The tables whose backups OK copied over their files (empty until then).
    const std::vector<std::string>& RestoredNames() const { return FRestoredNames; }

    void IncludeBtnClick(TObject* Sender);
    void ExcludeBtnClick(TObject* Sender);
    void IncAllBtnClick(TObject* Sender);
    void ExcAllBtnClick(TObject* Sender);
    void OKBtnClick(TObject* Sender);

    // Moves the selected items of List (text and object) to Items, last first.
    void MoveSelected(TListBox* List, TStrings* Items);
    // The first selected item of List, -1 when none.
    int GetFirstSelection(TListBox* List);
    // Focuses List and selects the item at Index (0 for -1, the last one past
    // the end), then updates the buttons.
    void SetItem(TListBox* List, int Index);
    // ">" and ">>" while the source list has items, "<" and "<<" while the
    // target list has.
    void SetButtons();

private:
    TLabel* FSrcLabel;
    TLabel* FDstLabel;
    TListBox* FSrcList;
    TListBox* FDstList;
    TSpeedButton* FIncludeBtn;
    TSpeedButton* FIncAllBtn;
    TSpeedButton* FExcludeBtn;
    TSpeedButton* FExAllBtn;
    TButton* FOKBtn;
    TButton* FCancelBtn;
    TButton* FHelpBtn;
    std::vector<std::string> FRestoredNames;
};
