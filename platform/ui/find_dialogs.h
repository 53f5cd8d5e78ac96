// The find and replace dialogs: modeless windows that stay open while the
// user searches. Each button press copies the window's text and check boxes
// into FindText, ReplaceText and Options and fires OnFind (Find Next) or
// OnReplace (Replace, Replace All; Options then holds foReplace or
// foReplaceAll). Cancel, Escape and the close box hide the window and fire
// OnClose.
//
// The window is a plain form of the dialog (Form() while it exists), so
// tests drive it with real keys and clicks.
#pragma once

#include <string>

#include "platform/ui/forms.h"
#include "platform/ui/stddialogs.h"

class TButton;
class TCheckBox;
class TEdit;
class TLabel;

TASKMOOR_ENUM(TFindOption, foDown, foFindNext, foHideMatchCase, foHideWholeWord, foHideUpDown, foMatchCase,
              foWholeWord, foReplace, foReplaceAll)
using TFindOptions = TSet<TFindOption>;

class TFindDialog : public TCommonDialog {
    TASKMOOR_CLASS(TFindDialog, TCommonDialog)
public:
    explicit TFindDialog(TComponent* AOwner);
    ~TFindDialog() override;

    std::string FindText() const { return FFindText; }
    void SetFindText(const std::string& Value);
    TFindOptions Options() const { return FOptions; }
    void SetOptions(TFindOptions Value) { FOptions = Value; }
    // Shows the window (modeless) with the text and options; answers true.
    bool Execute() override;
    // Hides the window as Cancel does.
    void CloseDialog();
    bool Showing() const;

    // The window and its parts (created by the first Execute).
    TForm* Form() const { return FForm; }
    TEdit* FindEdit() const { return FFindEdit; }
    TCheckBox* MatchCaseCheck() const { return FMatchCase; }
    TCheckBox* WholeWordCheck() const { return FWholeWord; }
    TButton* FindNextButton() const { return FFindNext; }
    TButton* CancelButton() const { return FCancel; }

    TNotifyEvent OnFind() const { return FOnFind; }
    void SetOnFind(TNotifyEvent Value) { FOnFind = Value; }

protected:
    virtual bool IsReplace() const { return false; }
    virtual void BuildForm();
    // The window's state into FindText and Options.
    virtual void TakeInput();
    void FindClick(TObject* Sender);
    void CancelClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    TForm* FForm = nullptr;
    TEdit* FFindEdit = nullptr;
    TCheckBox* FMatchCase = nullptr;
    TCheckBox* FWholeWord = nullptr;
    TButton* FFindNext = nullptr;
    TButton* FCancel = nullptr;
    std::string FFindText;
    TFindOptions FOptions{foDown};

private:
    TNotifyEvent FOnFind;
};

class TReplaceDialog : public TFindDialog {
    TASKMOOR_CLASS(TReplaceDialog, TFindDialog)
public:
    explicit TReplaceDialog(TComponent* AOwner);

    std::string ReplaceText() const { return FReplaceText; }
    void SetReplaceText(const std::string& Value);
    TEdit* ReplaceEdit() const { return FReplaceEdit; }
    TButton* ReplaceButton() const { return FReplace; }
    TButton* ReplaceAllButton() const { return FReplaceAll; }

    TNotifyEvent OnReplace() const { return FOnReplace; }
    void SetOnReplace(TNotifyEvent Value) { FOnReplace = Value; }

protected:
    bool IsReplace() const override { return true; }
    void BuildForm() override;
    void TakeInput() override;
    void ReplaceClick(TObject* Sender);

private:
    TEdit* FReplaceEdit = nullptr;
    TButton* FReplace = nullptr;
    TButton* FReplaceAll = nullptr;
    std::string FReplaceText;
    TNotifyEvent FOnReplace;
};
