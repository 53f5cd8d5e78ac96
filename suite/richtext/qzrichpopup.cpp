// The popup entries' captions, and what each entry shows and does when the menu opens
// and an entry is clicked.
#include "suite/richtext/qzrichpopup.h"

#include "platform/ui/menus.h"
#include "suite/base/qzintl.h"
#include "suite/richtext/qzriched.h"

namespace {

TqzRichEditPopupMenuLabels* PopupLabels() {
    static TqzRichEditPopupMenuLabels defaults;
    return qzIntl() ? qzIntl()->RichEdit()->PopupMenuLabels() : &defaults;
}

bool Has(unsigned Options, TqzRichEditPopupOption O) { return (Options >> static_cast<int>(O)) & 1u; }

// Options from First on (in the enumeration's order).
bool AnyFrom(unsigned Options, TqzRichEditPopupOption First) {
    return (Options >> static_cast<int>(First)) != 0;
}

}  // namespace

TqzRichPopupMenu::TqzRichPopupMenu(TqzCustomRichEdit* RichEdit) : FRichEdit(RichEdit) {
    FMenu = new TPopupMenu(RichEdit);
    FMenu->SetOnPopup(TNotifyEvent(this, &TqzRichPopupMenu::MenuPopup));
    for (int n = 1; n <= 20; ++n) {
        auto* item = new TMenuItem(FMenu);
        item->SetTag(n);
        const bool separator = n == 2 || n == 6 || n == 10 || n == 15 || n == 18;
        item->SetCaption(separator ? "-" : "?");
        if (!separator) item->SetOnClick(TNotifyEvent(this, &TqzRichPopupMenu::EntryClick));
        FMenu->Items()->Add(item);
    }
    RichEdit->SetPopupMenu(FMenu);
}

TMenuItem* TqzRichPopupMenu::Entry(int Number) const {
    if (!FMenu || Number < 1 || Number > FMenu->Items()->Count()) return nullptr;
    return FMenu->Items()->Items(Number - 1);
}

void TqzRichPopupMenu::MenuPopup(TObject*) {
    TqzCustomRichEdit* r = FRichEdit;
    TqzRichEditPopupMenuLabels* l = PopupLabels();
    unsigned o = r->PopupOptions();
    if (!r->InheritsFrom("TqzDBRichEditMSWord")) o &= ~(1u << rpoPopupMSWordSpellCheck);
    const bool readOnly = r->IsReadOnly();
    if (readOnly)
        o &= (1u << rpoPopupEdit) | (1u << rpoPopupCut) | (1u << rpoPopupCopy) | (1u << rpoPopupPaste) |
             (1u << rpoPopupFind);
    // no embedded-object server: inserting objects is never offered
    const bool objects = false;
    const std::string edit = readOnly ? l->ViewCaption() : l->EditCaption();
    const std::string texts[21] = {"",
                                   edit,
                                   "-",
                                   l->CutCaption(),
                                   l->CopyCaption(),
                                   l->PasteCaption(),
                                   "-",
                                   l->BoldCaption(),
                                   l->ItalicCaption(),
                                   l->UnderlineCaption(),
                                   "-",
                                   l->FontCaption(),
                                   l->BulletStyleCaption(),
                                   l->ParagraphCaption(),
                                   l->TabsCaption(),
                                   "-",
                                   l->FindCaption(),
                                   l->ReplaceCaption(),
                                   "-",
                                   l->InsertObjectCaption(),
                                   l->SpellCheckCaption()};
    // spell checking through an outside checker does not exist here: its
    // entry stays hidden
    const TqzRichEditPopupOption optionOf[21] = {
        rpoPopupEdit,      rpoPopupEdit,         rpoPopupEdit,
        rpoPopupCut,       rpoPopupCopy,         rpoPopupPaste,
        rpoPopupEdit,      rpoPopupBold,         rpoPopupItalic,
        rpoPopupUnderline, rpoPopupEdit,         rpoPopupFont,
        rpoPopupBullet,    rpoPopupParagraph,    rpoPopupTabs,
        rpoPopupEdit,      rpoPopupFind,         rpoPopupReplace,
        rpoPopupEdit,      rpoPopupInsertObject, rpoPopupMSWordSpellCheck};
    const bool built[21] = {false, true, false, true, true,  true, false, true,  true, true, false,
                            true,  true, true,  true, false, true, true,  false, true, false};
    bool visible[21] = {};
    for (int n = 1; n <= 20; ++n) {
        if (texts[n] == "-") continue;
        visible[n] = built[n] && Has(o, optionOf[n]);
    }
    visible[19] = visible[19] && objects;
    const bool cutCopyPaste = Has(o, rpoPopupCut) || Has(o, rpoPopupCopy) || Has(o, rpoPopupPaste);
    const bool effects = Has(o, rpoPopupBold) || Has(o, rpoPopupItalic) || Has(o, rpoPopupUnderline);
    const bool formats =
        Has(o, rpoPopupFont) || Has(o, rpoPopupBullet) || Has(o, rpoPopupParagraph) || Has(o, rpoPopupTabs);
    const bool search = Has(o, rpoPopupFind) || Has(o, rpoPopupReplace);
    visible[2] = visible[1] && AnyFrom(o, rpoPopupCut);
    visible[6] = cutCopyPaste && AnyFrom(o, rpoPopupBold);
    visible[10] = effects && AnyFrom(o, rpoPopupFont);
    visible[15] = formats && (search || objects || Has(o, rpoPopupMSWordSpellCheck));
    visible[18] = search && objects;
    const bool selection = r->HasSelection();
    const TRtfCharFormat f = r->HandleAllocated() ? r->SelAttributes() : TRtfCharFormat();
    const bool bullet = r->HandleAllocated() && r->Paragraph().Bullet;
    for (int n = 1; n <= 20; ++n) {
        TMenuItem* item = Entry(n);
        item->SetCaption(texts[n]);
        item->SetVisible(visible[n]);
        item->SetEnabled(true);
        item->SetChecked(false);
    }
    Entry(3)->SetEnabled(selection && !readOnly);
    Entry(4)->SetEnabled(selection);
    Entry(5)->SetEnabled(r->CanPaste() && !readOnly);
    Entry(7)->SetChecked(f.Bold);
    Entry(8)->SetChecked(f.Italic);
    Entry(9)->SetChecked(f.Underline);
    Entry(12)->SetChecked(bullet);
}

void TqzRichPopupMenu::EntryClick(TObject* Sender) {
    TqzCustomRichEdit* r = FRichEdit;
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    switch (item->Tag()) {
    case 1: r->Execute(); break;
    case 3: r->CutToClipboard(); break;
    case 4: r->CopyToClipboard(); break;
    case 5: r->PasteFromClipboard(); break;
    case 7: r->ToggleEffect(0, !item->Checked()); break;
    case 8: r->ToggleEffect(1, !item->Checked()); break;
    case 9: r->ToggleEffect(2, !item->Checked()); break;
    case 11: r->ShowFontDialog(); break;
    case 12: r->ToggleBullet(!item->Checked()); break;
    case 13: r->ShowParagraphDialog(); break;
    case 14: r->ShowTabsDialog(); break;
    case 16: r->ShowFindDialog(); break;
    case 17: r->ShowReplaceDialog(); break;
    case 19: r->InsertObject(); break;
    default: break;
    }
}
