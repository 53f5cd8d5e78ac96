// The paragraph dialog: alignment, indents, spacing and line spacing of the
// rich edit's current paragraph. TqzParagraphDialogModel holds the values
// as texts in the rich edit's units (fill, validate, write back) so that it
// works apart from its form; the form shows one.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/ui/forms.h"

class TButton;
class TEdit;
class TLabel;
class TqzCustomRichEdit;
class TqzDBComboBox;

// Line-spacing rules, as the list orders them.
enum TqzLineSpacingRule { lsrSingle, lsrOneAndHalf, lsrDouble, lsrAtLeast, lsrExactly, lsrMultiple };

class TqzParagraphDialogModel {
public:
    // The edits, in the order the OK button checks them.
    enum TEditIndex { eLeft, eFirstLine, eRight, eBefore, eAfter, eAt, eCount };

    explicit TqzParagraphDialogModel(TqzCustomRichEdit* RichEdit) : FRichEdit(RichEdit) {}
    // Reads the current paragraph.
    void Fill();
    std::string& Text(TEditIndex Index) { return FText[Index]; }
    const std::string& Text(TEditIndex Index) const { return FText[Index]; }
    int Rule() const { return FRule; }
    // Choosing a line-spacing entry: the At text follows it.
    void ChooseRule(int Rule);
    // Typing into At while a fixed rule (0-2) is chosen switches to Multiple.
    void AtTyped();
    std::string& Alignment() { return FAlignment; }
    // Before, After and line spacing can be edited (rich edit version 2).
    bool SpacingEnabled() const { return FSpacingEnabled; }
    // The alignment words the list offers (Justify only with the justify button).
    std::vector<std::string> AlignmentWords() const;
    static std::vector<std::string> RuleWords();
    // The first edit that does not hold a valid value; -1 when all do.
    int Validate() const;
    // Twips of an edit: its original value while its text is unchanged.
    int Twips(TEditIndex Index) const;
    // Nothing changed since Fill.
    bool Untouched() const;
    // Writes the values back to the paragraph (nothing when untouched).
    void WriteBack();

private:
    TqzCustomRichEdit* FRichEdit;
    std::array<std::string, eCount> FText, FOriginalText;
    std::array<int, eCount> FOriginal{};
    int FRule = 0, FOriginalRule = 0;
    std::string FAlignment, FOriginalAlignment;
    bool FSpacingEnabled = true;
};

class TqzRichParagraphDialog : public TForm {
    TASKMOOR_CLASS(TqzRichParagraphDialog, TForm)
public:
    TqzRichParagraphDialog(TComponent* AOwner, TqzCustomRichEdit* RichEdit);
    ~TqzRichParagraphDialog() override;

    TqzParagraphDialogModel& Model() { return FModel; }
    TqzDBComboBox* AlignmentCombo() const { return FAlignmentCombo; }
    TqzDBComboBox* LineSpacingComboBox() const { return FLineSpacingCombo; }
    TEdit* Edit(TqzParagraphDialogModel::TEditIndex Index) const { return FEdits[Index]; }
    TButton* OKBtn() const { return FOKBtn; }
    TButton* CancelBtn() const { return FCancelBtn; }

private:
    void FormShow(TObject* Sender);
    void OKClick(TObject* Sender);
    void RuleChange(TObject* Sender);
    void AtChange(TObject* Sender);
    // The form's edits into the model.
    void ReadEdits();
    TqzParagraphDialogModel FModel;
    std::array<TEdit*, TqzParagraphDialogModel::eCount> FEdits{};
    TqzDBComboBox* FAlignmentCombo;
    TqzDBComboBox* FLineSpacingCombo;
    TButton* FOKBtn;
    TButton* FCancelBtn;
    bool FFilling = false;
};
