// The masks of the suite's edits and the masked edit itself.
#include <algorithm>

#include "platform/core/strings.h"
#include "platform/core/text.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "suite/base/picture_validator.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/base/qzregex.h"
#include "suite/edit/qzdbedit.h"

// ---- TqzRegexMask ----------------------------------------------------------------------

bool TqzRegexMask::Matches(const std::string& Text) const {
    if (FMask.empty()) return true;
    return qzMatchRegex(FMask, !FCaseSensitive, Text);
}

void TqzRegexMask::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TqzRegexMask*>(Source)) {
        FMask = other->FMask;
        FCaseSensitive = other->FCaseSensitive;
        FErrorMessage = other->FErrorMessage;
        return;
    }
    inherited::Assign(Source);
}

void TqzRegexMask::Publish(TPublisher<TqzRegexMask>& p) {
    p.Property("Mask", &TqzRegexMask::Mask, &TqzRegexMask::SetMask);
    p.Property("CaseSensitive", &TqzRegexMask::CaseSensitive, &TqzRegexMask::SetCaseSensitive);
    p.Property("AllowInvalidExit", &TqzRegexMask::AllowInvalidExit, &TqzRegexMask::SetAllowInvalidExit);
    p.Property("ErrorMessage", &TqzRegexMask::ErrorMessage, &TqzRegexMask::SetErrorMessage);
}

// ---- TqzDBPicture ----------------------------------------------------------------------

TDataSet* TqzDBPicture::MaskDataSet() const {
    auto* edit = dynamic_cast<TqzDBCustomEdit*>(FOwner);
    if (!edit || !edit->DataSource() || edit->DataField().empty()) return nullptr;
    TDataSet* ds = edit->DataSource()->DataSet();
    if (!ds || !qzGetPictureMasks(ds)) return nullptr;
    return ds;
}

std::string TqzDBPicture::FieldName() const {
    auto* edit = dynamic_cast<TqzDBCustomEdit*>(FOwner);
    return edit ? edit->DataField() : std::string();
}

bool TqzDBPicture::FromDataSet() const { return FPictureMaskFromDataSet && MaskDataSet(); }

std::string TqzDBPicture::PictureMask() const {
    if (!FromDataSet()) return FPictureMask;
    bool found = false, autoFill = true;
    std::string mask;
    qzGetPictureMask(qzGetPictureMasks(MaskDataSet()), FieldName(), found, autoFill, mask);
    return found ? mask : std::string();
}

void TqzDBPicture::SetPictureMask(const std::string& Value) {
    if (FromDataSet()) {
        std::string tablePicture;
        qzGetTablePicture(MaskDataSet(), FieldName(), tablePicture);
        if (!tablePicture.empty()) {
            MessageDlg("Picture mask already defined in Paradox table. ", mtWarning, {mbOK}, 0);
            return;
        }
    }
    FPictureMask = Value;
    if (FromDataSet()) {
        qzSetPictureMask(MaskDataSet(), FieldName(), Value, false, false, true, false, FAutoFill);
        if (FOwner && qzIsDesigning(FOwner)) qzNotifyDesignerModified(FOwner);
    }
}

bool TqzDBPicture::AutoFill() const {
    if (FromDataSet()) {
        bool found = false, autoFill = true;
        std::string mask;
        qzGetPictureMask(qzGetPictureMasks(MaskDataSet()), FieldName(), found, autoFill, mask);
        if (found && !mask.empty()) return autoFill;
    }
    return FAutoFill;
}

void TqzDBPicture::SetAutoFill(bool Value) {
    FAutoFill = Value;
    if (FromDataSet() && !PictureMask().empty())
        qzSetPictureMask(MaskDataSet(), FieldName(), std::string(), false, true, false, false, Value);
}

bool TqzDBPicture::AllowInvalidExit() const { return FromDataSet() ? false : FAllowInvalidExit; }

void TqzDBPicture::SetAllowInvalidExit(bool Value) {
    if (!FromDataSet()) FAllowInvalidExit = Value;
}

bool TqzDBPicture::IsValid(const std::string& Text) const {
    if (Text.empty()) return true;
    const std::string mask = PictureMask();
    if (mask.empty()) return true;
    TqzPictureValidator v(mask, AutoFill());
    std::string t = Text;
    const TqzPictureResult r = v.Picture(t, false);
    return r != pmrError && r != pmrSyntax && r != pmrIncomplete && r != pmrIncompleteNoFill;
}

std::string TqzDBPicture::ApplyAutoFill(const std::string& Text) const {
    const std::string mask = PictureMask();
    if (mask.empty()) return Text;
    const bool fill = AutoFill();
    TqzPictureValidator v(mask, fill);
    std::string t = Text;
    const TqzPictureResult r = v.Picture(t, fill);
    return r == pmrSyntax || r == pmrError ? Text : t;
}

void TqzDBPicture::Assign(TPersistent* Source) {
    if (auto* other = dynamic_cast<TqzDBPicture*>(Source)) {
        SetPictureMask(other->PictureMask());
        SetAutoFill(other->AutoFill());
        return;
    }
    inherited::Assign(Source);
}

void TqzDBPicture::Publish(TPublisher<TqzDBPicture>& p) {
    p.Property("PictureMaskFromDataSet", &TqzDBPicture::PictureMaskFromDataSet,
               &TqzDBPicture::SetPictureMaskFromDataSet);
    p.Property("PictureMask", &TqzDBPicture::PictureMask, &TqzDBPicture::SetPictureMask);
    p.Property("AutoFill", &TqzDBPicture::AutoFill, &TqzDBPicture::SetAutoFill);
    p.Property("AllowInvalidExit", &TqzDBPicture::AllowInvalidExit, &TqzDBPicture::SetAllowInvalidExit);
}

// ---- TqzCustomMaskEdit -----------------------------------------------------------------

TqzCustomMaskEdit::TqzCustomMaskEdit(TComponent* AOwner)
    : TCustomMaskEdit(AOwner),
      FPicture(std::make_unique<TqzDBPicture>(this)),
      FRegexMask(std::make_unique<TqzRegexMask>(this)),
      FFrame(std::make_unique<TqzEditFrame>(this)) {}

TqzCustomMaskEdit::~TqzCustomMaskEdit() {
    if (FController) FController->ControlList()->Remove(this);
}

TqzDBPicture* TqzCustomMaskEdit::Picture() const { return FPicture.get(); }

void TqzCustomMaskEdit::SetPicture(TqzDBPicture* Value) {
    FPicture->Assign(Value);
    if (IsPictureMaskActive()) {
        SetEditMask("");
    } else if (auto* edit = dynamic_cast<TqzDBCustomEdit*>(this)) {
        SetEditMask(edit->Field() ? edit->Field()->EditMask() : std::string());
    }
}

void TqzCustomMaskEdit::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    RecreateWnd();
}

void TqzCustomMaskEdit::SetWantReturns(bool Value) {
    if (Value == FWantReturns) return;
    FWantReturns = Value;
    RecreateWnd();
}

void TqzCustomMaskEdit::SetShowVertScrollBar(bool Value) {
    if (Value == FShowVertScrollBar) return;
    FShowVertScrollBar = Value;
    RecreateWnd();
}

void TqzCustomMaskEdit::SetController(TqzController* Value) {
    qzSetController(FController, Value, this);
    if (HandleAllocated()) RecreateWnd();
}

void TqzCustomMaskEdit::Notification(TComponent* AComponent, TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FController) FController = nullptr;
}

bool TqzCustomMaskEdit::IsPictureMaskActive() const {
    return FUsePictureMask && !FPicture->PictureMask().empty();
}

bool TqzCustomMaskEdit::IsMultiLine() const { return BorderStyle() == bsNone || FWordWrap; }

void TqzCustomMaskEdit::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    Params.Style &= ~(ES_AUTOVSCROLL | ES_WANTRETURN);
    if (IsMultiLine()) Params.Style |= ES_MULTILINE;
    if (FWordWrap) Params.Style = (Params.Style | ES_AUTOVSCROLL) & ~ES_AUTOHSCROLL;
    if (FWantReturns) Params.Style |= ES_WANTRETURN;
    if (FShowVertScrollBar) Params.Style |= WS_VSCROLL;
}

void TqzCustomMaskEdit::SetEditRect() {
    const TRect c = ClientRect();
    int left = 1, top = 1;
    if (BorderStyle() == bsSingle && !qzEditFrameIsActive(FFrame.get())) left = top = 0;
    if (qzEditFrameIsActive(FFrame.get())) {
        TqzFrameTextOffsets o;
        qzGetFrameTextOffsets(FFrame.get(), o);
        left = o.Left;
        top = o.Top;
    }
    TCustomMaskEdit::SetEditRect(Rect(left, top, c.Right - 1, c.Bottom + 1));
}

void TqzCustomMaskEdit::DoCheckValue(bool Valid) { FOnCheckValue(this, Valid); }

void TqzCustomMaskEdit::ShowValidationError(const std::string& Message) {
    if (TqzIntl* intl = qzIntl()) {
        intl->PictureValidationError(this, nullptr, Message);
        return;
    }
    qzMessageBeep();
    throw EInvalidOperation(Message.empty() ? qzDefaultValidationMessage : Message);
}

void TqzCustomMaskEdit::UpdateValidityColors(bool Valid) {
    if (qzIsDesigning(this) || !qzIntl()) return;
    TqzValidationFeedback* fb = qzIntl()->ValidationFeedback();
    if (fb->ErrorForeColor() != clNone) {
        if (!Valid) {
            if (FSavedFontColor == clNone) FSavedFontColor = Font()->Color();
            Font()->SetColor(fb->ErrorForeColor());
        } else if (FSavedFontColor != clNone) {
            Font()->SetColor(FSavedFontColor);
            FSavedFontColor = clNone;
        }
    }
    if (fb->ErrorBackColor() != clNone) {
        if (!Valid) {
            if (FSavedColor == clNone) FSavedColor = Color();
            SetColor(fb->ErrorBackColor());
        } else if (FSavedColor != clNone) {
            SetColor(FSavedColor);
            FSavedColor = clNone;
        }
    }
}

void TqzCustomMaskEdit::SetValidityColors(TColor Fore, TColor Back) {
    if (Fore != clNone) {
        Font()->SetColor(Fore);
        SetColor(Back);
    } else {
        if (FSavedFontColor != clNone) Font()->SetColor(FSavedFontColor);
        if (FSavedColor != clNone) SetColor(FSavedColor);
    }
    FSavedFontColor = clNone;
    FSavedColor = clNone;
}

void TqzCustomMaskEdit::SetValid(bool Valid) {
    DoCheckValue(Valid);
    UpdateValidityColors(Valid);
}

void TqzCustomMaskEdit::ValidateText(const std::string& Text) {
    const std::string t = Text.empty() ? this->Text() : Text;
    bool valid = !IsPictureMaskActive() || FPicture->IsValid(t);
    if (valid && IsRegexMaskActive()) valid = FRegexMask->Matches(t);
    DoCheckValue(valid);
    UpdateValidityColors(valid);
}

bool TqzCustomMaskEdit::ValidateOnExit() {
    FInvalidOnExit = false;
    if (!Modified()) return true;
    const std::string t = Text();
    if (IsRegexMaskActive() && !FRegexMask->Matches(t) && !FRegexMask->AllowInvalidExit()) {
        SelectAll();
        SetModified(true);
        FInvalidOnExit = true;
        ShowValidationError(FRegexMask->ErrorMessage());
        qzMessageBeep();
        return false;
    }
    if (IsPictureMaskActive() && !FPicture->IsValid(t) && !FPicture->AllowInvalidExit()) {
        SelectAll();
        SetModified(true);
        qzMessageBeep();
        FInvalidOnExit = true;
        return false;
    }
    return true;
}

bool TqzCustomMaskEdit::ReplaceTextAsUser(const std::string& Text, int Caret) {
    if (MaxLength() > 0 && static_cast<int>(Text.size()) > MaxLength()) return false;
    const std::string now = TCustomEdit::GetText();
    if (now != Text) {
        FSettingByTyping = true;
        try {
            TCustomEdit::SetSelStart(0);
            TCustomEdit::SetSelLength(static_cast<int>(now.size()));
            SetSelText(Text);
        } catch (...) {
            FSettingByTyping = false;
            throw;
        }
        FSettingByTyping = false;
    }
    SetSelStart(std::clamp(Caret, 0, static_cast<int>(Text.size())));
    return true;
}

namespace {

// Bytes of the character that ends at byte Pos of S (0 at the start).
int CharBefore(const std::string& S, int Pos) {
    if (Pos <= 0) return 0;
    int p = Pos - 1;
    while (p > 0 && (static_cast<unsigned char>(S[static_cast<size_t>(p)]) & 0xC0) == 0x80) --p;
    return Pos - p;
}

}  // namespace

void TqzCustomMaskEdit::PictureKeyPress(char32_t& Key) {
    const bool picture = IsPictureMaskActive();
    const bool regex = IsRegexMaskActive();
    if ((!picture && !regex) || Key == 0) return;
    const std::string text = TCustomEdit::GetText();
    const int size = static_cast<int>(text.size());
    int selStart = std::clamp(SelStart(), 0, size);
    int selLen = std::clamp(SelLength(), 0, size - selStart);
    std::string would = text;
    int insertAt = selStart;
    if (Key == 8) {
        if (selLen > 0) {
            would.erase(static_cast<size_t>(selStart), static_cast<size_t>(selLen));
        } else {
            const int n = CharBefore(text, selStart);
            would.erase(static_cast<size_t>(selStart - n), static_cast<size_t>(n));
            insertAt = selStart - n;
        }
    } else if (Key >= 32) {
        would.replace(static_cast<size_t>(selStart), static_cast<size_t>(selLen), Utf8Of(Key));
    }
    bool valid = true;
    bool beeped = false;
    if (regex) {
        if (MaxLength() > 0 && static_cast<int>(would.size()) > MaxLength()) return;
        valid = FRegexMask->Matches(would);
    }
    if (picture && valid) {
        if (Key == 8) {
            if (WindowWritable()) {
                ReplaceTextAsUser(would, insertAt);
                if (would.empty())
                    SetValid(true);
                else
                    ValidateText(would);
            }
            Key = 0;
            return;
        }
        if (Key < 32) {
            if (Key == 13 && !IsMultiLine()) Key = 0;
            return;
        }
        const std::string mask = FPicture->PictureMask();
        const bool fill = FPicture->AutoFill();
        std::string result = would;
        TqzPictureResult r;
        {
            TqzPictureValidator v(mask, fill);
            r = v.Picture(result, fill);
        }
        if (r == pmrError && !fill && !NoSpaceRetry()) {
            std::string spaced = text;
            spaced.replace(static_cast<size_t>(selStart), static_cast<size_t>(selLen), " " + Utf8Of(Key));
            TqzPictureValidator v(mask, fill);
            const TqzPictureResult r2 = v.Picture(spaced, fill);
            if (r2 != pmrError && r2 != pmrSyntax) {
                result = spaced;
                r = r2;
            }
        }
        if (r == pmrSyntax) return;  // an unusable mask takes no part in typing
        if (r == pmrError) {
            if (selStart + selLen >= size) {
                qzMessageBeep();
                Key = 0;
                beeped = true;
            }
            valid = false;
        } else {
            const int grown = static_cast<int>(result.size()) - (size - selLen);
            const int typed = static_cast<int>(Utf8Of(Key).size());
            const int caret = selStart + std::max(typed, grown);
            if (!WindowWritable() || !ReplaceTextAsUser(result, caret)) {
                qzMessageBeep();
                beeped = true;
            }
            Key = 0;
            if (r == pmrIncomplete || r == pmrIncompleteNoFill) valid = false;
        }
    }
    if (!beeped && WindowWritable()) SetValid(valid);
}

void TqzCustomMaskEdit::KeyPress(char32_t& Key) {
    PictureKeyPress(Key);
    if (Key == 0) return;
    inherited::KeyPress(Key);
}
