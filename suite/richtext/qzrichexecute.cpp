// The windows the rich edit opens: the editor window on a copy of the
// content (and the copy itself), the paragraph and tab dialogs, the print
// preview.
#include <memory>

#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/print_dialogs.h"
#include "platform/ui/printers.h"
#include "suite/base/qzcontroller.h"
#include "suite/richtext/qzdbrichedit.h"
#include "suite/richtext/qzparadlg.h"
#include "suite/richtext/qzprintpreview.h"
#include "suite/richtext/qzricheditform.h"
#include "suite/richtext/qzricheditorsetup.h"
#include "suite/richtext/qzruler.h"
#include "suite/richtext/qztabsdlg.h"

namespace {

// A bound control whose dataset browses while its source will not start an
// edit, or whose field cannot be reached (a closed dataset): the editor can
// only show the text.
bool EditsBlocked(TqzCustomRichEdit* Control) {
    auto* db = dynamic_cast<TqzDBRichEdit*>(Control);
    if (!db) return false;
    if (!db->Field()) return !db->DataField().empty();
    TDataSource* ds = db->DataSource();
    TDataSet* set = ds ? ds->DataSet() : nullptr;
    return set && set->State() == dsBrowse && !ds->AutoEdit();
}

bool FieldEditing(TField* Field) {
    TDataSet* set = Field ? Field->DataSet() : nullptr;
    return set && (set->State() == dsEdit || set->State() == dsInsert);
}

}  // namespace

void TqzCustomRichEdit::DoInitDialog(TForm* Form) { FEditor->OnInit(Form); }
void TqzCustomRichEdit::DoCloseDialog(TForm* Form) { FEditor->OnClose(Form); }
void TqzCustomRichEdit::DoCreateDialog(TForm* Form) { FEditor->OnCreate(Form); }

TqzOnRichEditDlgEvent TqzCustomRichEdit::OnInitDialog() const { return FEditor->OnInit; }
void TqzCustomRichEdit::SetOnInitDialog(TqzOnRichEditDlgEvent Value) { FEditor->OnInit = Value; }
TqzOnRichEditDlgEvent TqzCustomRichEdit::OnCloseDialog() const { return FEditor->OnClose; }
void TqzCustomRichEdit::SetOnCloseDialog(TqzOnRichEditDlgEvent Value) { FEditor->OnClose = Value; }
TqzOnRichEditDlgEvent TqzCustomRichEdit::OnCreateDialog() const { return FEditor->OnCreate; }
void TqzCustomRichEdit::SetOnCreateDialog(TqzOnRichEditDlgEvent Value) { FEditor->OnCreate = Value; }
TqzRTFNotifyEvent TqzCustomRichEdit::OnMenuLoadClick() const { return FEditor->OnMenuLoad; }
void TqzCustomRichEdit::SetOnMenuLoadClick(TqzRTFNotifyEvent Value) { FEditor->OnMenuLoad = Value; }
TqzRTFNotifyEvent TqzCustomRichEdit::OnMenuSaveAsClick() const { return FEditor->OnMenuSaveAs; }
void TqzCustomRichEdit::SetOnMenuSaveAsClick(TqzRTFNotifyEvent Value) { FEditor->OnMenuSaveAs = Value; }
TqzRTFNotifyEvent TqzCustomRichEdit::OnMenuPrintClick() const { return FEditor->OnMenuPrint; }
void TqzCustomRichEdit::SetOnMenuPrintClick(TqzRTFNotifyEvent Value) { FEditor->OnMenuPrint = Value; }
TqzRTFNotifyEvent TqzCustomRichEdit::OnMenuSaveAndExitClick() const { return FEditor->OnMenuSaveAndExit; }
void TqzCustomRichEdit::SetOnMenuSaveAndExitClick(TqzRTFNotifyEvent Value) {
    FEditor->OnMenuSaveAndExit = Value;
}

bool TqzCustomRichEdit::SpellCheck() {
    if (!FOnSpellCheck.Assigned()) return false;
    FOnSpellCheck(this);
    return true;
}

TqzFormPosition* TqzCustomRichEdit::EditorPosition() const { return FEditor->Position(); }
void TqzCustomRichEdit::SetEditorPosition(TqzFormPosition* Value) { FEditor->SetPosition(Value); }
TForm* TqzCustomRichEdit::EditorForm() const { return FEditor->Form(); }
TSpeedButton* TqzCustomRichEdit::UserSpeedButton1() const { return FEditor->UserButton(0); }
void TqzCustomRichEdit::SetUserSpeedButton1(TSpeedButton* Value) { FEditor->SetUserButton(0, Value); }
TSpeedButton* TqzCustomRichEdit::UserSpeedButton2() const { return FEditor->UserButton(1); }
void TqzCustomRichEdit::SetUserSpeedButton2(TSpeedButton* Value) { FEditor->SetUserButton(1, Value); }

void TqzCustomRichEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomRichEdit::Notification(AComponent, Operation);
    if (Operation == opRemove) FEditor->Removed(AComponent);
    if (Operation == opRemove && AComponent == FController) FController = nullptr;
}

void TqzCustomRichEdit::CopyContentTo(TqzCustomRichEdit* Target) {
    if (!Target) return;
    TCursorScope busy(crHourGlass);
    const bool loading = FLoading;
    FLoading = true;
    struct TRestore {
        TqzCustomRichEdit* Self;
        bool Loading;
        ~TRestore() { Self->FLoading = Loading; }
    } restore{this, loading};
    TField* field = GetField();
    if (field && !IsMemoLoaded()) {
        if (auto* target = dynamic_cast<TqzDBRichEdit*>(Target)) {
            target->LoadFromBlobField(field);
            return;
        }
        LoadMemo();
    }
    TqzRichMemoryStream s;
    TCustomRichEdit::SaveToStream(&s);
    s.SetPosition(0);
    const int max = Target->MaxLength();
    if (MaxLength() > 0) Target->SetMaxLength(max + 1);
    Target->SetLoading(true);
    Target->TCustomRichEdit::LoadFromStream(&s);
    Target->SetLoading(false);
    Target->SetMaxLength(max);
}

bool TqzCustomRichEdit::Execute() {
    // the window is freed on every way out
    std::unique_ptr<TqzRichEditForm> form(new TqzRichEditForm(nullptr, this));
    FEditor->SetForm(form.get());
    struct TClear {
        TqzRichEditorSetup* Editor;
        ~TClear() { Editor->SetForm(nullptr); }
    } clear{FEditor.get()};
    TqzDBRichEdit* inner = form->RichEdit();
    inner->SetOleOptions(FOleOptions);
    inner->SetScrollBars(ssVertical);
    inner->SetWordWrap(WordWrap());
    inner->SetHideSelection(HideSelection());
    inner->SetTabOrder(3);
    inner->SetWantTabs(true);
    inner->SetPopupOptions(FPopupOptions);
    inner->SetEditorCaption(FEditorCaption);
    form->SetCaption(FEditorCaption);
    inner->Font()->Assign(Font());
    inner->PrintHeader()->Assign(PrintHeader());
    inner->PrintFooter()->Assign(PrintFooter());
    inner->SetOnPrintHeader(OnPrintHeader());
    inner->SetOnPrintFooter(OnPrintFooter());
    inner->SetMeasurementUnits(FMeasurementUnits);
    inner->SetOnSpellCheck(FOnSpellCheck);
    inner->PrintMargins()->Assign(PrintMargins());
    inner->SetEditWidth(FEditWidth);
    inner->SetPrintPageSize(FPrintPageSize);
    inner->SetHighlightColor(FHighlightColor);
    inner->SetPrintJobName(PrintJobName());
    inner->SetPrintPreviewCaption(PrintPreviewCaption());
    if (HasEditorOption(reoUseBackColor)) inner->SetColor(Color());
    if (FEditWidth == rewPrinterSize && Printer()->Printers()->Count() > 0 && inner->FontDialog()) {
        TFontDialogOptions o = inner->FontDialog()->Options();
        o.Include(fdWysiwyg);
        inner->FontDialog()->SetOptions(o);
    }
    inner->SetEditorOptions(FEditorOptions);
    inner->SetReadOnly(IsReadOnly() || EditsBlocked(this));
    inner->SetMaxLength(MaxLength());
    inner->SetAutoURLDetect(AutoURLDetect());
    inner->SetOnURLOpen(FOnURLOpen);
    const TqzFormPosition* pos = FEditor->Position();
    if (pos->Width() > 0) form->SetWidth(pos->Width());
    if (pos->Height() > 0) form->SetHeight(pos->Height());
    if (pos->Left() > 0 && pos->Top() > 0) {
        form->SetPosition(poDesigned);
        form->SetLeft(pos->Left());
        form->SetTop(pos->Top());
    }
    inner->HandleNeeded();
    const int selStart = SelStart();
    DoCreateDialog(form.get());
    form->SetInitialSelStart(selStart);
    const bool ok = form->ShowModal() == mrOk;
    if (!ok || !inner->Modified()) {
        DoCloseDialog(form.get());
    } else {
        BeginFieldEdit();
        TField* field = GetField();
        if (field) {
            if (!FieldEditing(field)) DatabaseError(SNotEditing);
            if (field->IsBlob()) {
                field->SetAsString(inner->StreamOut(!inner->PlainText(), false));
            } else {
                field->SetAsString(inner->Text());
            }
        } else {
            inner->CopyContentTo(this);
        }
        DoCloseDialog(form.get());
        SetModified(true);
    }
    if (ok) {
        PrintMargins()->Assign(inner->PrintMargins());
        FPrintPageSize = inner->PrintPageSize();
    }
    inner->Clear();
    return ok;
}

bool TqzCustomRichEdit::ShowParagraphDialog() {
    std::unique_ptr<TqzRichParagraphDialog> dlg(new TqzRichParagraphDialog(nullptr, this));
    if (HasEditorOption(reoShowHints)) dlg->SetShowHint(true);
    if (dlg->ShowModal() != mrOk) return false;
    dlg->Model().WriteBack();
    return true;
}

bool TqzCustomRichEdit::ShowTabsDialog() {
    std::unique_ptr<TqzRichTabDialog> dlg(new TqzRichTabDialog(nullptr, this));
    if (HasEditorOption(reoShowHints)) dlg->SetShowHint(true);
    if (dlg->ShowModal() != mrOk) return false;
    dlg->Model().WriteBack();
    return true;
}

void TqzCustomRichEdit::PrintPreview() {
    std::unique_ptr<TqzRtfPreviewForm> form(new TqzRtfPreviewForm(Application));
    form->SetRichEdit(this);
    form->LayoutPaintBox();
    form->ShowPage(0);
    form->ShowModal();
}
