// The tab dialog: the tab stops of the rich edit's current paragraph.
// TqzTabDialogModel keeps the listed positions as texts with their twips
// (fill, set, clear, validate, write back); the form shows one.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/forms.h"

class TButton;
class TEdit;
class TListBox;
class TqzCustomRichEdit;

class TqzTabDialogModel {
public:
    static constexpr int MaxStops = 32;
    struct TStop {
        std::string Text;
        int Twips = 0;
    };
    explicit TqzTabDialogModel(TqzCustomRichEdit* RichEdit) : FRichEdit(RichEdit) {}
    void Fill();
    const std::vector<TStop>& Stops() const { return FStops; }
    // The twips of a position text; false when it is no number within 0 .. 31680.
    bool PositionTwips(const std::string& Text, int& Twips) const;
    enum TSetResult { srAdded, srIgnored, srFull };
    // Adds a stop in order; an invalid text or a position already listed is
    // ignored, a stop beyond the 32nd refused.
    TSetResult Set(const std::string& Text);
    void Clear(const std::vector<int>& Indexes);
    void ClearAll() { FStops.clear(); }
    bool Untouched() const;
    // Replaces the paragraph's tab stops (nothing when untouched).
    void WriteBack();

private:
    TqzCustomRichEdit* FRichEdit;
    std::vector<TStop> FStops;
    std::vector<int> FOriginal;
};

class TqzRichTabDialog : public TForm {
    TASKMOOR_CLASS(TqzRichTabDialog, TForm)
public:
    TqzRichTabDialog(TComponent* AOwner, TqzCustomRichEdit* RichEdit);
    ~TqzRichTabDialog() override;

    TqzTabDialogModel& Model() { return FModel; }
    TEdit* Edit1() const { return FEdit; }
    TListBox* ListBox1() const { return FList; }
    TButton* SetButton() const { return FSetButton; }
    TButton* ClearButton() const { return FClearButton; }
    TButton* ClearAllButton() const { return FClearAllButton; }
    TButton* OKButton() const { return FOKButton; }
    TButton* CancelButton() const { return FCancelButton; }

private:
    void FormShow(TObject* Sender);
    void SetClick(TObject* Sender);
    void ClearClick(TObject* Sender);
    void ClearAllClick(TObject* Sender);
    void OKClick(TObject* Sender);
    void EditEnter(TObject* Sender);
    void EditExit(TObject* Sender);
    void EditKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void ShowList();
    TqzTabDialogModel FModel;
    TEdit* FEdit;
    TListBox* FList;
    TButton* FSetButton;
    TButton* FClearButton;
    TButton* FClearAllButton;
    TButton* FOKButton;
    TButton* FCancelButton;
};
