// Find and replace of the rich edit: the find and replace dialogs, the text
// last searched for and where the search opened. The dialogs are components
// of the edit; the search works on the edit's selection.
#pragma once

#include <string>

class TFindDialog;
class TObject;
class TReplaceDialog;
class TqzCustomRichEdit;

class TqzRichSearch {
public:
    // Creates the two dialogs, owned by RichEdit.
    explicit TqzRichSearch(TqzCustomRichEdit* RichEdit);
    TqzRichSearch(const TqzRichSearch&) = delete;
    TqzRichSearch& operator=(const TqzRichSearch&) = delete;

    const std::string& LastFindText() const { return FLastFindText; }
    void SetLastFindText(const std::string& Value) { FLastFindText = Value; }
    // Where the search opened (a wrapped search stops there) and whether it
    // went past the end to the start.
    int FindStartPos() const { return FFindStartPos; }
    bool FindWrapped() const { return FFindWrapped; }
    TFindDialog* FindDialog() const { return FFindDialog; }
    TReplaceDialog* ReplaceDialog() const { return FReplaceDialog; }

    // Opens the dialog with the selection (when on one line) or the last
    // text searched for.
    void ShowFind();
    void ShowReplace();
    // One search step with the find (or replace) dialog's text and options.
    void FindNext();
    void ReplaceNext();

private:
    void Open(TFindDialog* Dialog);
    void DialogFind(TObject* Sender);
    void DialogReplace(TObject* Sender);
    void DialogClose(TObject* Sender);
    // A search step: Dialog's options, replacing with the replace dialog's
    // text when Replace.
    void Search(TFindDialog* Dialog, bool Replace);
    // Keeps the text searched for; a new one begins a new round.
    void TakeFindText(const std::string& Text);

    TqzCustomRichEdit* FRichEdit;
    TFindDialog* FFindDialog = nullptr;
    TReplaceDialog* FReplaceDialog = nullptr;
    std::string FLastFindText;
    int FFindStartPos = 0;
    bool FFindWrapped = false;
    bool FSavedHideSelection = true;
    bool FSearchOpen = false;
};
