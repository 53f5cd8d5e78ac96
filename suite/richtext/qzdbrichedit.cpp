// The field link: loading BLOB, memo and string fields, starting an edit on a change,
// writing the text back, and the grid cell copy painted from it.
#include "suite/richtext/qzdbrichedit.h"

#include <algorithm>

#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/actions.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_link.h"
#include "platform/ui/graphics.h"
#include "platform/ui/menus.h"
#include "suite/base/qzcontroller.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzproputils.h"
#include "suite/richtext/qzrichframelook.h"

TqzDBRichEdit::TqzDBRichEdit(TComponent* AOwner) : TqzCustomRichEdit(AOwner) {
    FDataLink = std::make_unique<TControlFieldLink>(this);
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TqzDBRichEdit::DataChange));
    FDataLink->SetOnEditingChange(TNotifyEvent(this, &TqzDBRichEdit::EditingChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TqzDBRichEdit::LinkUpdateData));
    FDataLink->FocusControlOnRequest();
    SetGutterWidth(3);
    SetMSVersion(3);
    SetOleOptions(TqzRichEditOleOptions{reoAdjustPopupMenu});
}

TqzDBRichEdit::~TqzDBRichEdit() {
    Destroying();
    FDataLink->Release();
    DestroyHandle();
}

TDataSource* TqzDBRichEdit::DataSource() const { return FDataLink->DataSource(); }

void TqzDBRichEdit::SetDataSource(TDataSource* Value) { FDataLink->AttachDataSource(Value); }

std::string TqzDBRichEdit::DataField() const { return FDataLink->FieldName(); }

void TqzDBRichEdit::SetDataField(const std::string& Value) {
    if (!Value.empty() && Value != FDataLink->FieldName()) {
        TCustomEdit::SetReadOnly(true);
        FHasDataField = true;
    } else if (Value.empty()) {
        FHasDataField = false;
    }
    FDataLink->SetFieldName(Value);
    if (Value.empty()) TCustomEdit::SetReadOnly(IsReadOnly());
}

TField* TqzDBRichEdit::Field() const { return FDataLink->Field(); }

bool TqzDBRichEdit::ReadOnly() const {
    return FDataLink->ReadOnly() || (!Field() && TCustomEdit::ReadOnly());
}

void TqzDBRichEdit::SetReadOnly(bool Value) {
    if (!Field()) TCustomEdit::SetReadOnly(Value);
    FDataLink->SetReadOnly(Value);
    if (Field()) EditingChange(this);
}

void TqzDBRichEdit::SetAutoDisplay(bool Value) {
    if (!Field() || Value == FAutoDisplay) {
        FAutoDisplay = Value;
        return;
    }
    FAutoDisplay = Value;
    if (Value) LoadMemo();
}

// ---- Loading

void TqzDBRichEdit::LoadFromBlobField(TField* Field) {
    TqzRichMemoryStream stream;
    const bool wasLoading = Loading();
    SetLoading(true);
    try {
        if (LoadLimit() > 0) {
            // Only the start shows: the stored text is read once, and the
            // control is given a start of it, twice as long each time, until
            // its load stops at the limit inside what it was given.
            const std::string s = Field->AsString();
            std::size_t n = std::max<std::size_t>(64 * 1024, 4 * LoadLimit());
            for (;;) {
                n = std::min(n, s.size());
                TqzRichMemoryStream part;
                if (n > 0) part.WriteBuffer(s.data(), static_cast<int64_t>(n));
                part.SetPosition(0);
                Clear();
                Lines()->LoadFromStream(&part);
                if (n == s.size() || LoadStoppedEarly()) break;
                n *= 2;
            }
            SetLoading(wasLoading);
            return;
        }
        if (auto* blob = dynamic_cast<TBlobField*>(Field)) {
            blob->SaveToStream(&stream);
        } else {
            const std::string s = Field->AsString();
            if (!s.empty()) stream.WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
        }
        stream.SetPosition(0);
        Clear();
        Lines()->LoadFromStream(&stream);
    } catch (...) {
        SetLoading(wasLoading);
        throw;
    }
    SetLoading(wasLoading);
}

void TqzDBRichEdit::LoadBlobPreview(TField* Field, int ChunkLimit) {
    std::unique_ptr<TStream> blob(Field->DataSet()->CreateBlobStream(Field, bmRead));
    const bool wasLoading = Loading();
    SetLoading(true);
    try {
        if (blob) {
            if (PlainText()) {
                LoadFromStream(blob.get(), false, ChunkLimit);
            } else {
                // the first chunks of the raw RTF as text, then that text parsed
                SetPlainText(true);
                LoadFromStream(blob.get(), false, ChunkLimit);
                const std::string cut = StreamOut(false, false);
                SetPlainText(false);
                Clear();
                TqzRichMemoryStream s;
                if (!cut.empty()) s.WriteBuffer(cut.data(), static_cast<int64_t>(cut.size()));
                s.SetPosition(0);
                LoadFromStream(&s, true, 0);
            }
        }
    } catch (...) {
        SetPlainText(false);
        SetLoading(wasLoading);
        throw;
    }
    SetLoading(wasLoading);
    FMemoLoaded = false;
}

void TqzDBRichEdit::SetShownText(const std::string& Text) {
    const bool wasLoading = Loading();
    SetLoading(true);
    SetText(Text);
    SetLoading(wasLoading);
}

void TqzDBRichEdit::DataChange(TObject*) {
    TField* f = Field();
    if (!f) {
        SetShownText(ComponentState().Contains(csDesigning) ? Name() : std::string());
        FMemoLoaded = false;
        return;
    }
    if (f->IsBlob()) {
        if (!FAutoDisplay && !(FDataLink->Editing() && FMemoLoaded)) {
            FMemoLoaded = false;
            SetShownText("(" + f->DisplayLabel() + ")");
            EditingChange(this);
            return;
        }
        // the switch into edit mode keeps what is shown
        if (FEditStarting && FEditStartText == f->AsString()) return;
        // what this edit stored comes back (a post): the document shows it already
        if (FMemoLoaded && FStoredText && *FStoredText == f->AsString()) {
            EditingChange(this);
            SetModified(false);
            return;
        }
        FMemoLoaded = false;
        if (Visible()) LoadMemo();
        return;
    }
    FMemoLoaded = false;
    SetShownText(FFocused && FDataLink->CanModify() ? f->Text() : f->DisplayText());
    FMemoLoaded = true;
    EditingChange(this);
}

void TqzDBRichEdit::LoadMemo() {
    TField* f = Field();
    if (!f || FMemoLoaded || !f->IsBlob()) return;
    const bool wasLoading = Loading();
    SetLoading(true);
    // handlers that run while the document loads may change the screen cursor
    const TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    auto restoreCursor = [cursor] {
        if (Screen && Screen->Cursor() != cursor) Screen->SetCursor(cursor);
    };
    try {
        FMemoLoaded = true;
        FStoredText.reset();
        LoadFromBlobField(f);
        if (!FPaintingCopy && f->AsString().empty()) {
            // an empty field starts without bullet, left aligned, in the font's colour
            TRtfParaFormat p;
            SetParagraph(p, pfmBullet | pfmAlignment);
            TRtfCharFormat c;
            SetSelAttributes(c, cfmColor);
        }
    } catch (...) {
        restoreCursor();
        SetLoading(wasLoading);
        throw;
    }
    restoreCursor();
    SetLoading(wasLoading);
    EditingChange(this);
    SetModified(false);
}

void TqzDBRichEdit::EditingChange(TObject*) {
    if (Field()) TCustomEdit::SetReadOnly(!(FDataLink->Editing() && FMemoLoaded));
}

bool TqzDBRichEdit::IsReadOnly() {
    if (!Field() && DataField().empty()) return TCustomEdit::ReadOnly();
    if (FDataLink->ReadOnly()) return true;
    if (ComponentState().Contains(csDesigning) || !Field() || !FDataLink->Active()) return false;
    TDataSet* ds = Field()->DataSet();
    if (ds && ds->CanModify() && !Field()->ReadOnly()) return false;
    return true;
}

void TqzDBRichEdit::BeginFieldEdit() {
    TField* f = Field();
    if (!f) return;
    if (!FDataLink->Editing()) {
        if (f->IsBlob()) {
            FEditStartText = f->AsString();
            FEditStarting = true;
        }
        TDataSource* ds = DataSource();
        try {
            if (ds && ds->AutoEdit() && ds->DataSet() && ds->DataSet()->State() == dsBrowse)
                FDataLink->Edit();
        } catch (...) {
            FEditStarting = false;
            FEditStartText.clear();
            throw;
        }
        FEditStarting = false;
        FEditStartText.clear();
    }
    if (qzIsInGrid(this) && !ReadOnly() && FDataLink->Editing()) FDataLink->Modified();
}

void TqzDBRichEdit::UpdateData() {
    TField* f = Field();
    if (!f || !FMemoLoaded) return;
    if (f->IsBlob()) {
        TqzRichMemoryStream s;
        Lines()->SaveToStream(&s);
        s.SetPosition(0);
        std::string stored(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
        if (auto* blob = dynamic_cast<TBlobField*>(f))
            blob->LoadFromStream(&s);
        else
            f->SetAsString(stored);
        FStoredText = std::move(stored);
    } else {
        f->SetAsString(Text());
    }
}

void TqzDBRichEdit::LinkUpdateData(TObject*) { UpdateData(); }

// ---- Typing

void TqzDBRichEdit::Change() {
    FStoredText.reset();
    if (!ComponentState().Contains(csDestroying) && Field() && FMemoLoaded && !Loading() && !FReparenting &&
        !TCustomEdit::ReadOnly()) {
        BeginFieldEdit();
        FDataLink->Modified();
    }
    TqzCustomRichEdit::Change();
}

bool TqzDBRichEdit::ReplaceSelText(const std::string& S) {
    if (!Field()) return TqzCustomRichEdit::ReplaceSelText(S);
    if (FMemoLoaded) BeginFieldEdit();
    // Still read-only: the dataset did not go into edit.
    if (TCustomEdit::ReadOnly()) return false;
    SetSelText(S);
    return true;
}

void TqzDBRichEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (Field() && FMemoLoaded) {
        const bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl);
        if (Key == VK_DELETE || Key == VK_BACK || (Key == VK_INSERT && shift) ||
            (ctrl && (Key == 'V' || Key == 'X')))
            BeginFieldEdit();
        if (Key == VK_RETURN) {
            if (WantReturns()) {
                BeginFieldEdit();
            } else {
                SetSelStart(0);
                SetSelLength(0);
                Key = 0;
                return;
            }
        }
    }
    TqzCustomRichEdit::KeyDown(Key, Shift);
}

void TqzDBRichEdit::KeyPress(char32_t& Key) {
    if (Key == 9 && !WantTabs()) {
        Key = 0;
        return;
    }
    if (!RunWhileAlive(this, [&] { TqzCustomRichEdit::KeyPress(Key); })) return;
    TField* f = Field();
    if (!f || Key == 0) return;
    if (!FMemoLoaded) {
        if (Key == 13) LoadMemo();
        Key = 0;
        return;
    }
    if (Key >= 32 && Key <= 255 && !f->IsValidChar(static_cast<char>(Key))) {
        MessageBeep(0);
        Key = 0;
        return;
    }
    if (Key == 27) {
        FDataLink->Reset();
        Key = 0;
        return;
    }
    if (Key == 8 || Key == 9 || Key == 10 || Key == 13 || Key == 22 || Key == 24 || Key >= 32)
        BeginFieldEdit();
}

void TqzDBRichEdit::DoEnter() {
    FFocused = true;
    if (Field() && !Field()->IsBlob()) FDataLink->Reset();
    TqzCustomRichEdit::DoEnter();
}

void TqzDBRichEdit::DoExit() {
    FDataLink->UpdateRecord();
    FFocused = false;
    if (Field() && !Field()->IsBlob()) FDataLink->Reset();
    TqzCustomRichEdit::DoExit();
}

void TqzDBRichEdit::DblClick() {
    if (Field() && !FMemoLoaded)
        LoadMemo();
    else
        TqzCustomRichEdit::DblClick();
}

void TqzDBRichEdit::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_GETDATALINK) {
        // the link only while it has a field
        if (Field())
            Message.Result = reinterpret_cast<LRESULT>(static_cast<TFieldDataLink*>(FDataLink.get()));
        return;
    }
    if (Message.Msg == CM_ACTIONEXECUTE || Message.Msg == CM_ACTIONUPDATE) {
        // the control itself first, then its data link
        if (!OfferActionTo(Message, this)) OfferActionToDataLink(Message, FDataLink.get());
        return;
    }
    if ((Message.Msg == WM_CUT || Message.Msg == WM_PASTE) && Field()) BeginFieldEdit();
    // the grid's focus decides the highlight border
    if (Message.Msg == CM_FOCUSCHANGED && Parent() && qzClassInheritsFrom(Parent(), "TqzDBGrid") &&
        HandleAllocated())
        Invalidate();
    if (Message.Msg == WM_PAINT && !FPaintingCopy && FAutoDisplay && !FMemoLoaded && Field() &&
        Field()->IsBlob()) {
        TqzHourGlass busy;
        LoadMemo();
    }
    TqzCustomRichEdit::Dispatch(Message);
}

void TqzDBRichEdit::PaintOverWidget(TCanvas* Canvas) {
    TqzCustomRichEdit::PaintOverWidget(Canvas);
    if (FPaintingCopy) return;
    TWinControl* grid = Parent();
    if (!grid || !qzClassInheritsFrom(grid, "TqzDBGrid") || !grid->Focused()) return;
    const TRect r = ClientRect();
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(clHighlight);
    Canvas->FrameRect(r);
    Canvas->Font()->SetColor(clHighlightText);
    Canvas->DrawFocusRect(r);
}

void TqzDBRichEdit::SetParent(TWinControl* AParent) {
    if (AParent == Parent()) {
        TqzCustomRichEdit::SetParent(AParent);
        return;
    }
    // what was typed goes into the field first: the field is loaded again
    if (FMemoLoaded && Modified() && FDataLink->Editing()) FDataLink->UpdateRecord();
    FReparenting = true;
    try {
        TqzCustomRichEdit::SetParent(AParent);
    } catch (...) {
        FReparenting = false;
        throw;
    }
    FReparenting = false;
    FMemoLoaded = false;
    FrameLook()->Apply();
}

void TqzDBRichEdit::DestroyWnd() {
    FContentKept = HandleAllocated() && !ComponentState().Contains(csDestroying) && !FReparenting;
    TqzCustomRichEdit::DestroyWnd();
}

void TqzDBRichEdit::CreateWindowHandle(const TCreateParams& Params) {
    TqzCustomRichEdit::CreateWindowHandle(Params);
    const bool kept = FContentKept;
    FContentKept = false;
    // The record may have moved on while there was no window: the field is
    // shown again, unless what the user typed is not in the field yet.
    if (kept && Field() && !(FDataLink->Editing() && Modified())) DataChange(this);
}

void TqzDBRichEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TqzCustomRichEdit::Notification(AComponent, Operation);
    if (FDataLink) FDataLink->DataSourceRemoved(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPaintCopy) FPaintCopy = nullptr;
}

// ---- Painting as a cell

void TqzDBRichEdit::PaintGridCopy(TCanvas* Canvas, const TRect& Rect) {
    TqzCustomRichEdit* source = this;
    if (TField* f = Field()) {
        if (!FPaintCopy) {
            FPaintCopy = new TqzDBRichEdit(this);
            FPaintCopy->FPaintingCopy = true;
            // Without a parent its window would be a top-level one: shown,
            // it would take the activation from the form.
            FPaintCopy->SetVisible(false);
        }
        FPaintCopy->SetGutterWidth(GutterWidth());
        FPaintCopy->SetBounds(0, 0, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top);
        FPaintCopy->Font()->Assign(Font());
        FPaintCopy->SetWordWrap(WordWrap());
        // A character takes at least a pixel of width and a line one of height:
        // the text beyond that (with room to spare) cannot show in the cell.
        const std::size_t width = static_cast<std::size_t>(std::max(1, Rect.Right - Rect.Left));
        const std::size_t height = static_cast<std::size_t>(std::max(1, Rect.Bottom - Rect.Top));
        FPaintCopy->SetLoadLimit(4 * width * height + 4096);
        TqzHourGlass busy;
        FPaintCopy->LoadFromBlobField(f);
        source = FPaintCopy;
    }
    TRect twips;
    twips.Left = ScreenPixelsToTwips(Rect.Left + GutterWidth());
    twips.Top = ScreenPixelsToTwips(Rect.Top);
    twips.Right = WordWrap() ? ScreenPixelsToTwips(Rect.Right - 1) : ScreenPixelsToTwips(Rect.Right) + 50;
    twips.Bottom = ScreenPixelsToTwips(Rect.Bottom) + 25;
    Canvas->Brush()->SetColor(Color());
    Canvas->FillRect(Rect);
    // what fits of a line taller than the cell shows too
    source->DrawRange(Canvas, ScreenPixelsPerInch(), 0, twips);
}

void TqzDBRichEdit::Publish(TPublisher<TqzDBRichEdit>& p) {
    TWinControl::PublishBevel(p);
    TControl::PublishDrag(p);
    TControl::PublishStartDrag(p);
    TWinControl::PublishIme(p);
    p.Property("BorderWidth", &TqzDBRichEdit::BorderWidth, &TqzDBRichEdit::SetBorderWidth);
    p.Property("DataSource", &TqzDBRichEdit::DataSource, &TqzDBRichEdit::SetDataSource);
    p.Property("DataField", &TqzDBRichEdit::DataField, &TqzDBRichEdit::SetDataField);
    p.Property("ReadOnly", &TqzDBRichEdit::ReadOnly, &TqzDBRichEdit::SetReadOnly);
    p.Property("AutoDisplay", &TqzDBRichEdit::AutoDisplay, &TqzDBRichEdit::SetAutoDisplay);
    p.Property("HideScrollBars", &TqzDBRichEdit::HideScrollBars, &TqzDBRichEdit::SetHideScrollBars);
    p.Property("OnResizeRequest", &TqzDBRichEdit::OnResizeRequest, &TqzDBRichEdit::SetOnResizeRequest);
    p.Property("OnSaveClipboard", &TqzDBRichEdit::OnSaveClipboard, &TqzDBRichEdit::SetOnSaveClipboard);
    p.Property("OnProtectChange", &TqzDBRichEdit::OnProtectChange, &TqzDBRichEdit::SetOnProtectChange);
    using E = TqzDBRichEdit;
    p.Property("Controller", &E::Controller, &E::SetController);
    p.Property(
        "AutoURLDetect", [](E& e) { return e.AutoURLDetect(); }, [](E& e, bool v) { e.SetAutoURLDetect(v); });
    p.Property(
        "PopupMenu", [](E& e) { return e.PopupMenu(); }, [](E& e, TPopupMenu* v) { e.SetPopupMenu(v); });
    // The option words as sets; bits without an option are dropped.
    using TPopupOptions = TSet<TqzRichEditPopupOption>;
    using TEditorOptions = TSet<TqzRichEditOption>;
    p.Property(
         "PopupOptions", [](E& e) { return TPopupOptions::FromBits(e.PopupOptions()); },
         [](E& e, TPopupOptions v) {
             e.SetPopupOptions(
                 static_cast<unsigned>(v.Bits() & ((1u << (rpoPopupMSWordSpellCheck + 1)) - 1)));
         })
        .SetTypeName("TqzRichEditPopupOptions");
    p.Property(
         "EditorOptions", [](E& e) { return TEditorOptions::FromBits(e.EditorOptions()); },
         [](E& e, TEditorOptions v) {
             e.SetEditorOptions(static_cast<unsigned>(v.Bits() & ((1u << (reoNoConfirmation + 1)) - 1)));
         })
        .SetTypeName("TqzRichEditOptions");
    p.Property("EditorPosition", &E::EditorPosition, &E::SetEditorPosition);
    p.Property("UserSpeedButton1", &E::UserSpeedButton1, &E::SetUserSpeedButton1);
    p.Property("UserSpeedButton2", &E::UserSpeedButton2, &E::SetUserSpeedButton2);
    // Printing, through the edit's own accessors.
    p.Property(
        "PrintMargins", [](E& e) { return e.PrintMargins(); },
        [](E& e, TqzPrintMargins* v) { e.SetPrintMargins(v); });
    p.Property(
        "PrintHeader", [](E& e) { return e.PrintHeader(); },
        [](E& e, TqzRTFHeaderFooter* v) { e.SetPrintHeader(v); });
    p.Property(
        "PrintFooter", [](E& e) { return e.PrintFooter(); },
        [](E& e, TqzRTFHeaderFooter* v) { e.SetPrintFooter(v); });
    p.Property(
        "PrintJobName", [](E& e) { return std::string(e.PrintJobName()); },
        [](E& e, const std::string& v) { e.SetPrintJobName(v); });
    p.Property(
        "PrintPreviewCaption", [](E& e) { return std::string(e.PrintPreviewCaption()); },
        [](E& e, const std::string& v) { e.SetPrintPreviewCaption(v); });
    // Events.
    p.Property(
        "OnSelectionChange", [](E& e) { return e.OnSelectionChange(); },
        [](E& e, const TNotifyEvent& v) { e.SetOnSelectionChange(v); });
    p.Property("OnInitDialog", &E::OnInitDialog, &E::SetOnInitDialog).SetTypeName("TqzOnRichEditDlgEvent");
    p.Property("OnCloseDialog", &E::OnCloseDialog, &E::SetOnCloseDialog).SetTypeName("TqzOnRichEditDlgEvent");
    p.Property("OnCreateDialog", &E::OnCreateDialog, &E::SetOnCreateDialog)
        .SetTypeName("TqzOnRichEditDlgEvent");
    p.Property("OnMenuLoadClick", &E::OnMenuLoadClick, &E::SetOnMenuLoadClick)
        .SetTypeName("TqzRTFNotifyEvent");
    p.Property("OnMenuPrintClick", &E::OnMenuPrintClick, &E::SetOnMenuPrintClick)
        .SetTypeName("TqzRTFNotifyEvent");
    p.Property("OnMenuSaveAsClick", &E::OnMenuSaveAsClick, &E::SetOnMenuSaveAsClick)
        .SetTypeName("TqzRTFNotifyEvent");
    p.Property("OnMenuSaveAndExitClick", &E::OnMenuSaveAndExitClick, &E::SetOnMenuSaveAndExitClick)
        .SetTypeName("TqzRTFNotifyEvent");
    p.Property("OnSpellCheck", &E::OnSpellCheck, &E::SetOnSpellCheck);
    p.Property(
         "OnPrintHeader", [](E& e) { return e.OnPrintHeader(); },
         [](E& e, const TqzPrintHeaderFooterEvent& v) { e.SetOnPrintHeader(v); })
        .SetTypeName("TqzRTFDrawHeaderFooter");
    p.Property(
         "OnPrintFooter", [](E& e) { return e.OnPrintFooter(); },
         [](E& e, const TqzPrintHeaderFooterEvent& v) { e.SetOnPrintFooter(v); })
        .SetTypeName("TqzRTFDrawHeaderFooter");
}
