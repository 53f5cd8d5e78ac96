// TqzDBCustomEdit: the field binding, write-back, entering and leaving, and
// the edit's own painting.
#include <algorithm>
#include <cmath>

#include "platform/core/clock.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/drawing.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/field_link.h"
#include "platform/ui/forms.h"
#include "suite/base/date_scan.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/edit/qzdbedit.h"

namespace {

bool IsDateTimeField(const TField* F) {
    return F && (F->DataType() == ftDate || F->DataType() == ftTime || F->DataType() == ftDateTime);
}

bool IsStringField(const TField* F) {
    return F && (F->DataType() == ftString || F->DataType() == ftWideString);
}

}  // namespace

TqzDBCustomEdit::TqzDBCustomEdit(TComponent* AOwner)
    : TqzCustomMaskEdit(AOwner), FDataLink(std::make_unique<TControlFieldLink>(this)) {
    TCustomEdit::SetReadOnly(true);
    SetAutoSize(false);
    SetControlStyle(ControlStyle() + csReplicatable);
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TqzDBCustomEdit::DataChange));
    FDataLink->SetOnEditingChange(TNotifyEvent(this, &TqzDBCustomEdit::EditingChange));
    FDataLink->SetOnUpdateData(TNotifyEvent(this, &TqzDBCustomEdit::UpdateData));
    SetUsePictureMask(true);
    FMargin = std::max(1, std::abs(Font()->Height()) / 4);
}

TqzDBCustomEdit::~TqzDBCustomEdit() {
    Destroying();
    FDataLink->Release();
    DestroyHandle();
}

// ---- Binding ---------------------------------------------------------------------------

TDataSource* TqzDBCustomEdit::DataSource() const { return FDataLink->DataSource(); }

void TqzDBCustomEdit::SetDataSource(TDataSource* Value) {
    TDataSource* old = FDataLink->DataSource();
    if (Value == old) return;
    if (Value) TCustomEdit::SetReadOnly(true);
    FDataLink->AttachDataSource(Value);
}

std::string TqzDBCustomEdit::DataField() const { return FDataLink->FieldName(); }

void TqzDBCustomEdit::SetDataField(const std::string& Value) {
    if (!qzIsDesigning(this)) ResetMaxLength();
    FDataLink->SetFieldName(Value);
}

TField* TqzDBCustomEdit::Field() const { return FDataLink->Field(); }

TFieldDataLink* TqzDBCustomEdit::DataLink() const { return FDataLink.get(); }

bool TqzDBCustomEdit::ReadOnly() const { return FDataLink->DataSet() ? FDataLink->ReadOnly() : FReadOnly; }

void TqzDBCustomEdit::SetReadOnly(bool Value) {
    FReadOnly = Value;
    FDataLink->SetReadOnly(Value);
    if (ComponentState().Contains(csLoading)) return;
    if (FDataLink->DataSet())
        TCustomEdit::SetReadOnly(Value || !FDataLink->Editing());
    else if (Value)
        TCustomEdit::SetReadOnly(true);
}

void TqzDBCustomEdit::SetUnboundAlignment(TAlignment Value) {
    FUnboundAlignment = Value;
    Invalidate();
}

void TqzDBCustomEdit::SetEditAlignment(TqzEditAlignment Value) {
    if (Value == FEditAlignment) return;
    FEditAlignment = Value;
    RecreateWnd();
}

void TqzDBCustomEdit::ResetMaxLength() {
    TField* f = Field();
    if (f && IsStringField(f) && MaxLength() == TextRoomOf(f)) SetMaxLength(0);
}

void TqzDBCustomEdit::Loaded() {
    inherited::Loaded();
    ResetMaxLength();
    if (!DataSource() && !FReadOnly) TCustomEdit::SetReadOnly(false);
}

void TqzDBCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (FDataLink) FDataLink->DataSourceRemoved(AComponent, Operation);
}

bool TqzDBCustomEdit::IsReadOnlyState() {
    TDataSource* ds = DataSource();
    if (ds && ds->DataSet() && !ds->AutoEdit() && ds->DataSet()->State() != dsEdit &&
        ds->DataSet()->State() != dsInsert)
        return true;
    if (IsBinaryBlobField()) return true;
    return Field() && ReadOnly();
}

bool TqzDBCustomEdit::IsBinaryBlobField() {
    TField* f = Field();
    return f && f->IsBlob() && !IsMemoField();
}

bool TqzDBCustomEdit::IsMemoField() {
    TField* f = Field();
    return f && f->IsBlob() && (f->DataType() == ftMemo || f->DataType() == ftFmtMemo);
}

std::string TqzDBCustomEdit::GetDisplayFormat() {
    if (!FDisplayFormat.empty()) return FDisplayFormat;
    if (auto* n = dynamic_cast<TNumericField*>(Field())) return n->DisplayFormat();
    return {};
}

TAlignment TqzDBCustomEdit::EffectiveAlignment() {
    if (qzIsInInspector(this)) return taLeftJustify;
    return Field() ? FFieldAlignment : FUnboundAlignment;
}

TAlignment TqzDBCustomEdit::DrawnAlignment() {
    const TAlignment a = EffectiveAlignment();
    if (!UseRightToLeftAlignment() || a == taCenter) return a;
    return a == taLeftJustify ? taRightJustify : taLeftJustify;
}

bool TqzDBCustomEdit::DisplayTextFromValue(std::string& Text) {
    TField* f = Field();
    if (!f) return false;
    Text = IsMemoField() ? f->AsString() : f->DisplayText();
    return true;
}

void TqzDBCustomEdit::DataChange(TObject*) {
    TField* f = Field();
    std::string text;
    if (f) {
        if (FFieldAlignment != f->Alignment()) {
            FPictureSetText = true;
            SetText("");
            FPictureSetText = false;
            FFieldAlignment = f->Alignment();
        }
        if (!IsPictureMaskActive()) SetEditMask(f->EditMask());
        if (!qzIsDesigning(this) && IsStringField(f) && MaxLength() == 0) SetMaxLength(TextRoomOf(f));
        if ((FFocused || !IsEditPainted()) && FDataLink->CanModify())
            text = IsMemoField() ? f->AsString() : f->Text();
        else
            text = IsMemoField() ? f->AsString() : f->DisplayText();
    } else {
        FFieldAlignment = taLeftJustify;
        SetEditMask("");
        if (qzIsDesigning(this)) text = Name();
    }
    const TControlWatch watch(this);  // OnChange may free the edit
    FPictureSetText = true;
    try {
        SetText(text);
    } catch (...) {
        if (!watch.Gone()) FPictureSetText = false;
        throw;
    }
    if (watch.Gone()) return;
    FPictureSetText = false;
    Invalidate();
}

void TqzDBCustomEdit::EditingChange(TObject*) { TCustomEdit::SetReadOnly(!FDataLink->Editing()); }

void TqzDBCustomEdit::Change() {
    if (!ComponentState().Contains(csLoading) && !FPictureSetText) {
        TDataSet* ds = FDataLink->DataSet();
        if (!DataSource() || !Field())
            SetModifiedState(true);
        else if (FSettingByTyping)
            SetModifiedState(true);
        else if (ds && (ds->State() == dsEdit || ds->State() == dsInsert))
            SetModifiedState(true);
    }
    inherited::Change();
}

void TqzDBCustomEdit::SetModifiedState(bool Value) {
    TField* f = Field();
    if (Value && f && (FDataLink->ReadOnly() || f->ReadOnly())) return;
    if (Value && DataSource() && DataSource()->State() != dsBrowse) {
        FDataLink->Modified();
        SetSwitch(6, true);
    }
    TCustomEdit::SetModified(Value);
}

bool TqzDBCustomEdit::EditCanModify() {
    if (!DataSource()) return !FReadOnly;
    return FDataLink->Edit();
}

bool TqzDBCustomEdit::WindowWritable() { return !TCustomEdit::ReadOnly(); }

void TqzDBCustomEdit::Reset() {
    if (!DataSource()) {
        FPictureSetText = true;
        SetText(FUnboundText);
        FPictureSetText = false;
        TCustomEdit::SetModified(false);
    } else {
        FDataLink->Reset();
        TCustomEdit::SetModified(false);
    }
    SelectAll();
    SetValid(true);
}

// ---- Write-back -------------------------------------------------------------------------

namespace {

// Code points of a UTF-8 text (a stray byte stands for itself).
std::u32string CodePoints(const std::string& S) {
    std::u32string out;
    for (std::size_t i = 0; i < S.size();) {
        const auto b = static_cast<unsigned char>(S[i]);
        const int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
        char32_t c = n == 1 ? b : b & (0x3F >> (n - 1));
        int k = 1;
        for (; k < n && i + static_cast<std::size_t>(k) < S.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(S[i + static_cast<std::size_t>(k)]) & 0x3F);
        out.push_back(c);
        i += static_cast<std::size_t>(k);
    }
    return out;
}

// The edit mask's text without literals, blanks as spaces, trimmed.
bool MaskedTextEmpty(const TCustomMaskEdit* Edit, bool StoreLiteralTemplate, bool PictureActive) {
    if (StoreLiteralTemplate || PictureActive || !Edit->IsMasked()) return false;
    const TEditMask& m = Edit->Mask();
    const std::u32string raw = CodePoints(Edit->EditText());
    for (int i = 0; i < m.Length() && static_cast<size_t>(i) < raw.size(); ++i) {
        if (m.IsLiteral(i)) continue;
        const char32_t c = raw[static_cast<size_t>(i)];
        if (c != m.Blank() && c != U' ' && c != U'\t') return false;
    }
    return true;
}

}  // namespace

void TqzDBCustomEdit::UpdateData(TObject*) {
    // The text of a binary blob is only a placeholder.
    if (TCustomEdit::ReadOnly() || IsBinaryBlobField()) return;
    TField* f = Field();
    if (!f) return;
    const std::string text = Text();
    const bool maskedEmpty = MaskedTextEmpty(this, MaskStoreLiteralTemplate(), IsPictureMaskActive());
    if (IsRegexMaskActive()) {
        if (!RegexMask()->Matches(text)) ShowValidationError(RegexMask()->ErrorMessage());
    } else if (IsPictureMaskActive()) {
        if (!Picture()->IsValid(text)) {
            SetValid(false);
            TDataSet* ds = FDataLink->DataSet();
            const TMethod handler = qzGetOnInvalidValue(ds);
            if (handler.Assigned() && handler.Is<TqzInvalidValueEvent>())
                handler.As<TqzInvalidValueEvent>()(ds, f);
            else
                ShowValidationError("");
        } else {
            SetValid(true);
        }
    } else if (!maskedEmpty) {
        ValidateEdit();
    }
    if (!Modified() && !FDataLink->IsModified()) return;
    const std::string value = GetValueText();
    if (IsMemoField()) {
        f->SetAsString(value);
        return;
    }
    if (!FDataLink->CanModify() && (f->Calculated() || f->Lookup())) {
        // nothing is stored: the edit shows the field's value again, not the typing
        FDataLink->Reset();
        return;
    }
    if (value.empty()) {
        f->SetText("");
        return;
    }
    if (IsDateTimeField(f) && f->DataType() != ftTime) {
        int pos = 1;
        TDateTime date = 0;
        const int epoch = FEpoch != 0 ? FEpoch : (qzIntl() ? qzIntl()->DefaultEpochYear() : qzDefaultEpoch);
        TDateTime time = 0;
        bool haveTime = false;
        const bool scanned = qzScanDate(value, pos, date, epoch);
        if (scanned) {
            qzSkipBlanks(value, pos);
            if (pos <= static_cast<int>(value.size())) haveTime = qzScanTime(value, pos, time);
            qzSkipBlanks(value, pos);
        }
        // the whole text: a date followed by what is no time goes to the field's own reading
        if (scanned && pos > static_cast<int>(value.size())) {
            if (!haveTime && !f->IsNull()) {
                const double old = f->AsDateTime();
                time = old - std::floor(old);
            }
            f->SetAsDateTime(std::floor(date) + (time - std::floor(time)));
            return;
        }
    }
    if (maskedEmpty) {
        f->Clear();
        return;
    }
    const std::string format = GetDisplayFormat();
    if ((IsFractionField(f) || IsWholeNumberField(f)) && !format.empty()) {
        double number = 0;
        if (!qzParseFormattedFloat(value, number, format)) {
            // A text that does not read as a number is no value to store.
            SetValid(false);
            ShowValidationError("");
            return;
        }
        if (IsFractionField(f))
            f->SetAsFloat(number);
        else if (f->DataType() == ftLargeint)
            f->SetAsLargeInt(static_cast<int64_t>(std::llround(number)));
        else
            f->SetAsInteger(static_cast<int>(std::lround(number)));
        return;
    }
    f->SetText(value);
}

void TqzDBCustomEdit::CommitEdit() {
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        SelectAll();
        // While the edit is being left, the refusal itself keeps the focus.
        if (!FExiting && CanFocus() && !Focused()) {
            try {
                SetFocus();
            } catch (const Exception&) {}
        }
        TCustomEdit::SetModified(true);
        throw;
    }
}

void TqzDBCustomEdit::ShowValidationError(const std::string& Message) {
    if (TqzIntl* intl = qzIntl()) {
        intl->PictureValidationError(this, Field(), Message);
        return;
    }
    inherited::ShowValidationError(Message);
}

// ---- Entering and leaving ------------------------------------------------------------------

void TqzDBCustomEdit::DoEnter() {
    if (InQzDBGrid() && GridOption("dgAlwaysShowEditor")) SelectAll();
    if (!DataSource()) TCustomEdit::SetModified(false);
    SetEditRect();
    FFocused = true;
    UpdateOwnerPaint();
    if (!DataSource())
        FUnboundText = Text();
    else if (!Modified())
        FDataLink->Reset();
    // The window is multi-line for its text rectangle: the edit selects itself.
    if (AutoSelect() && !ControlState().Contains(csLButtonDown) && !GetCaptureControl()) SelectAll();
    inherited::DoEnter();
}

void TqzDBCustomEdit::CMExit(TMessage& Message) {
    FExiting = true;
    try {
        CommitEdit();
    } catch (...) {
        FExiting = false;
        throw;
    }
    FExiting = false;
    if (!ValidateOnExit()) throw EAbort("");
    FFocused = false;
    SetSelStart(0);
    if (!DataSource()) {
        const std::string format = GetDisplayFormat();
        double number = 0;
        if (!format.empty() && !Text().empty() && qzParseFormattedFloat(Text(), number, format)) {
            FPictureSetText = true;
            SetText(FormatFloat(format, number));
            FPictureSetText = false;
        }
    } else if (!Modified()) {
        FDataLink->Reset();
    }
    // The edit mask's own check on leaving, except for a bare template; a
    // bound edit checked it when it wrote the text back.
    if (IsMasked() && !DataSource() && !qzIsDesigning(this) &&
        !MaskedTextEmpty(this, MaskStoreLiteralTemplate(), IsPictureMaskActive()))
        ValidateEdit();
    if (!RunWhileAlive(this, [&] { TCustomEdit::CMExit(Message); })) return;
    UpdateOwnerPaint();
    Invalidate();
}

// ---- Window -----------------------------------------------------------------------------

void TqzDBCustomEdit::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    const bool frameActive = qzEditFrameIsActive(Frame());
    // One text line high: a wrapped text scrolls sideways, and a password
    // (which a multi-line window cannot hide) keeps the window one-line.
    const int line = std::abs(Font()->Height()) + 3 + (BorderStyle() == bsSingle ? 4 : 0);
    if (Height() <= line + 6) {
        if (WordWrap()) Params.Style |= ES_AUTOHSCROLL;
        if (PasswordChar() != 0 && !(BorderStyle() == bsSingle && !frameActive))
            Params.Style &= ~ES_MULTILINE;
    }
    if (PasswordChar() != 0) Params.Style &= ~ES_MULTILINE;
    if (qzEditFrameIsActive(Frame())) {
        Params.ExStyle &= ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
        Params.Style &= ~WS_BORDER;
    }
    if (FEditAlignment == eaRightAlignEditing || UseRightToLeftAlignment())
        Params.ExStyle |= WS_EX_RIGHT;
    else
        Params.ExStyle &= ~WS_EX_RIGHT;
    if (Frame()->Enabled() && Frame()->Transparent()) Params.ExStyle |= WS_EX_TRANSPARENT;
}

void TqzDBCustomEdit::SetEditRect() {
    const TRect c = ClientRect();
    int left = 1, top = 1;
    if (BorderStyle() == bsNone && qzIsInInspector(this)) {
        left = top = 1;
    } else if (BorderStyle() == bsNone && qzIsInGrid(this)) {
        left = top = 2;
        if (InQzDBGrid() && (GridOption("dgRowLines") || !GridOption("dgRowLinesDisableFixed"))) top = 1;
    } else if (qzEditFrameIsActive(Frame())) {
        TqzFrameTextOffsets o;
        qzGetFrameTextOffsets(Frame(), o);
        left = o.Left;
        top = o.Top;
    } else if (BorderStyle() == bsSingle) {
        left = top = 0;
    }
    TCustomMaskEdit::SetEditRect(Rect(left, top, c.Right - 1, c.Bottom + 1));
}

TRect TqzDBCustomEdit::GetEditRect() {
    TRect r = ClientRect();
    // No button here; the drop-down edits take its width off.
    return r;
}

void TqzDBCustomEdit::DrawFrame(TCanvas* Canvas) {
    // The hover may show the focused frame.
    const bool hover = FMouseOver && Frame()->MouseEnterSameAsFocus();
    qzDrawEditFrame(this, Frame(), Canvas, Focused() || hover);
}

void TqzDBCustomEdit::DrawFocusRect(TCanvas* Canvas, const TRect& Rect) {
    Canvas->Font()->SetColor(clBlack);
    Canvas->Brush()->SetColor(clWhite);
    Canvas->DrawFocusRect(Rect);
}

void TqzDBCustomEdit::MouseEnter() {
    FOnMouseEnter(this);
    if (qzEditFrameIsActive(Frame()) && Frame()->MouseEnterSameAsFocus() && !Focused()) {
        FMouseOver = true;
        Invalidate();
        return;
    }
    FMouseOver = true;
    if (IsVistaComboStyle()) Invalidate();
}

void TqzDBCustomEdit::MouseLeave() {
    FOnMouseLeave(this);
    FMouseOver = false;
    if ((qzEditFrameIsActive(Frame()) && Frame()->MouseEnterSameAsFocus()) || IsVistaComboStyle())
        Invalidate();
}

// ---- Painting -----------------------------------------------------------------------------

bool TqzDBCustomEdit::NeedsOwnPaint() {
    if (ControlState().Contains(csPaintCopy) || IsOwnerDrawStyle()) return true;
    if (!Focused()) return true;
    return !IsEditPainted();
}

void TqzDBCustomEdit::PaintOverWidget(TCanvas* Canvas) {
    if (NeedsOwnPaint()) PaintEdit(Canvas);
}

void TqzDBCustomEdit::UpdateOwnerPaint() {
    if (HandleAllocated()) SetEditOwnerPaint(this, !Focused() || !IsEditPainted() || IsOwnerDrawStyle());
}

void TqzDBCustomEdit::CreateWindowHandle(const TCreateParams& Params) {
    inherited::CreateWindowHandle(Params);
    // A grid row's copy is the row's value, drawn unfocused.
    SetEditWholeCopy(this, true);
    if (BorderStyle() == bsNone && AutoSize() && !qzIsInGrid(this)) {
        qzAdjustFramedEditHeight(Frame());
        SetEditRect();
    }
    UpdateOwnerPaint();
}

bool TqzDBCustomEdit::IsVistaComboStyle() {
    return !FDisableThemes && qzUseThemes(this) && qzIsWinMajor6OrLater() &&
           qzClassInheritsFrom(this, "TqzDBCustomCombo") && !IsEditPainted() && !Frame()->Enabled();
}

void TqzDBCustomEdit::PaintEdit(TCanvas* Canvas) {
    const bool copy = ControlState().Contains(csPaintCopy);
    const bool focused = Focused() && !copy;
    TWinControl* grid = HostGrid();
    TRect r = ClientRect();
    Canvas->SetFont(Font());
    if (!Enabled() && Font()->Color() != clGrayText) Canvas->Font()->SetColor(clGrayText);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(clWhite);
    Canvas->FillRect(r);
    TColor back = Color();
    if (qzEditFrameIsActive(Frame()) && !focused && Frame()->NonFocusColor() != clNone)
        back = Frame()->NonFocusColor();
    if (qzEditFrameIsActive(Frame()) && !focused && Frame()->NonFocusFontColor() != clNone)
        Canvas->Font()->SetColor(Frame()->NonFocusFontColor());
    Canvas->Brush()->SetColor(back);
    std::string text;
    if (focused || !DisplayTextFromValue(text)) text = Text();
    if (PasswordChar() != 0) {
        std::string masked;
        for (std::size_t i = 0, n = Utf8Length(text); i < n; ++i) AppendUtf8(masked, PasswordChar());
        text = masked;
    }
    const bool highlight = !copy && ((!IsEditPainted() && focused && !IsDroppedDown()) ||
                                     (!focused && InQzDBGrid() && grid && grid->Focused()));
    if (highlight) {
        Canvas->Brush()->SetColor(clHighlight);
        Canvas->Font()->SetColor(clHighlightText);
        if (InQzDBGrid() && Field()) {
            const TMethod m = qzGetOnCalcCellColors(grid);
            if (m.Assigned() && m.Is<TqzCalcCellColorsEvent>())
                m.As<TqzCalcCellColorsEvent>()(grid, Field(), TGridDrawState{}, true, Canvas->Font(),
                                               Canvas->Brush());
        }
    }
    TRect area = GetEditRect();
    Canvas->FillRect(area);
    int offX = 0, offY = 0;
    if (qzEditFrameIsActive(Frame()) && !focused) Frame()->GetTextOffsets(offX, offY, false);
    const int margin = (BorderStyle() == bsSingle ? 2 : 1) + offX;
    Canvas->Brush()->SetStyle(bsClear);
    DrawText(Canvas, area, margin, (BorderStyle() == bsSingle ? 1 : 0) + offY, text);
    Canvas->Brush()->SetStyle(bsSolid);
    if (qzEditFrameIsActive(Frame())) DrawFrame(Canvas);
    if (highlight) {
        Canvas->Brush()->SetColor(clHighlight);
        Canvas->FrameRect(area);
        TRect inner = area;
        InflateRect(inner, -1, -1);
        DrawFocusRect(Canvas, inner);
    }
}

void TqzDBCustomEdit::DrawText(TCanvas* Canvas, const TRect& Rect, int X, int Y, const std::string& Text) {
    int options = (WordWrap() ? qzdtWordWrap : qzdtSingleLineVC) | qzdtNoFill;
    if (UseRightToLeftReading()) options |= qzdtRtlReading;
    qzDrawTextRect(Canvas, Rect, X, options, DrawnAlignment(), Text, Y);
}

// ---- Grid hosts -----------------------------------------------------------------------------

TWinControl* TqzDBCustomEdit::HostGrid() const {
    TWinControl* p = Parent();
    return p && qzClassInheritsFrom(p, "TCustomGrid") ? p : nullptr;
}

bool TqzDBCustomEdit::InQzDBGrid() const { return Parent() && qzClassInheritsFrom(Parent(), "TqzDBGrid"); }

bool TqzDBCustomEdit::GridOption(const std::string& Name) const {
    TWinControl* p = Parent();
    if (!p || !GetPropInfo(p, "Options")) return false;
    std::string set;
    try {
        set = GetSetProp(p, "Options", false);
    } catch (const Exception&) {
        return false;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = set.find(',', start);
        if (SameText(Trim(set.substr(start, comma == std::string::npos ? std::string::npos : comma - start)),
                     Name))
            return true;
        if (comma == std::string::npos) return false;
        start = comma + 1;
    }
}
