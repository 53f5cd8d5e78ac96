// Opening the find and replace dialogs, and the find-next and replace-next searches
// through the text.
#include "suite/richtext/qzrichsearch.h"

#include "platform/ui/dialogs.h"
#include "platform/ui/find_dialogs.h"
#include "suite/base/qzintl.h"
#include "suite/richtext/qzriched.h"

TqzRichSearch::TqzRichSearch(TqzCustomRichEdit* RichEdit) : FRichEdit(RichEdit) {
    FFindDialog = new TFindDialog(RichEdit);
    FFindDialog->SetOptions({foDown, foHideUpDown});
    FFindDialog->SetOnFind(TNotifyEvent(this, &TqzRichSearch::DialogFind));
    FFindDialog->SetOnClose(TNotifyEvent(this, &TqzRichSearch::DialogClose));
    FReplaceDialog = new TReplaceDialog(RichEdit);
    FReplaceDialog->SetOptions({foDown, foHideUpDown});
    FReplaceDialog->SetOnFind(TNotifyEvent(this, &TqzRichSearch::DialogFind));
    FReplaceDialog->SetOnReplace(TNotifyEvent(this, &TqzRichSearch::DialogReplace));
    FReplaceDialog->SetOnClose(TNotifyEvent(this, &TqzRichSearch::DialogClose));
}

void TqzRichSearch::Open(TFindDialog* Dialog) {
    const std::string sel = FRichEdit->SelText();
    const std::string text =
        !sel.empty() && sel.find_first_of("\r\n") == std::string::npos ? sel : FLastFindText;
    FFindWrapped = false;
    FFindStartPos = FRichEdit->SelStart();
    if (!FSearchOpen) FSavedHideSelection = FRichEdit->HideSelection();
    FSearchOpen = true;
    FRichEdit->SetHideSelection(false);
    Dialog->SetFindText(text);
    Dialog->Execute();
}

void TqzRichSearch::ShowFind() { Open(FFindDialog); }

void TqzRichSearch::ShowReplace() { Open(FReplaceDialog); }

// A changed find text starts a new round at the caret: the old round's
// end would hide its matches before the caret.
void TqzRichSearch::TakeFindText(const std::string& Text) {
    if (Text != FLastFindText) {
        FFindStartPos = FRichEdit->SelStart();
        FFindWrapped = false;
    }
    FLastFindText = Text;
}

void TqzRichSearch::DialogFind(TObject* Sender) {
    auto* dlg = dynamic_cast<TFindDialog*>(Sender);
    if (!dlg) return;
    TakeFindText(dlg->FindText());
    if (dlg != FFindDialog) FFindDialog->SetFindText(FLastFindText);
    Search(dlg, false);
}

void TqzRichSearch::DialogReplace(TObject*) {
    TakeFindText(FReplaceDialog->FindText());
    FFindDialog->SetFindText(FLastFindText);
    FRichEdit->ReplaceNext();
}

void TqzRichSearch::DialogClose(TObject* Sender) {
    if (!FSearchOpen) return;
    // the other dialog may still be open
    TFindDialog* other = Sender == FFindDialog ? static_cast<TFindDialog*>(FReplaceDialog) : FFindDialog;
    if (other && other->Showing()) return;
    FSearchOpen = false;
    FRichEdit->SetHideSelection(FSavedHideSelection);
}

void TqzRichSearch::FindNext() { Search(FFindDialog, false); }
void TqzRichSearch::ReplaceNext() { Search(FReplaceDialog, true); }

void TqzRichSearch::Search(TFindDialog* Dialog, bool Replace) {
    TqzCustomRichEdit* r = FRichEdit;
    const std::string text = Dialog->FindText();
    if (text.empty()) return;
    const int len = static_cast<int>(text.size());
    const bool all = Replace && Dialog->Options().Contains(foReplaceAll);
    const std::string replacement = Replace ? FReplaceDialog->ReplaceText() : std::string();
    const int rlen = static_cast<int>(replacement.size());
    for (int guard = 0;; ++guard) {
        TqzSearchTypes o;
        if (Dialog->Options().Contains(foMatchCase)) o.Include(stMatchCase);
        if (Dialog->Options().Contains(foWholeWord)) o.Include(stWholeWord);
        bool replaced = false;
        if (Replace && r->SelLength() == len && r->FindText(text, r->SelStart(), -1, o) == r->SelStart()) {
            const int at = r->SelStart();
            if (!r->ReplaceSelText(replacement)) {
                MessageBeep(0);
                return;
            }
            if (FFindWrapped) FFindStartPos += rlen - len;
            r->SetSelStart(at + rlen);
            r->SetSelLength(0);
            replaced = true;
        }
        // past a selected match; at the caret after a replacement or with
        // nothing selected
        const int start =
            !replaced && r->SelLength() == len && r->FindText(text, r->SelStart(), -1, o) == r->SelStart()
                ? r->SelStart() + 1
                : r->SelStart();
        int pos = r->FindText(text, start, -1, o);
        if (FFindWrapped && pos >= FFindStartPos) pos = -1;
        if (pos < 0 && !FFindWrapped && start > 0) {
            pos = r->FindText(text, 0, -1, o);
            if (pos >= FFindStartPos) pos = -1;
            FFindWrapped = true;
        }
        if (pos < 0) {
            const std::string msg = qzIntl() ? qzIntl()->UserMessages()->LocateNoMoreMatches()
                                             : std::string("No more matches found");
            MessageDlg(msg, mtInformation, {mbOK}, 0);
            FFindStartPos = r->SelStart();
            FFindWrapped = false;
            return;
        }
        r->SetSelStart(pos);
        r->SetSelLength(len);
        // a document that keeps matching (replacement holding the text) ends
        // at the opening point anyway; the guard only caps a runaway loop
        if (!all || guard > 1000000) return;
    }
}
