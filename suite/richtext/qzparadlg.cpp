// The paragraph model's fill from the text, the unit and rule words, checks of typed
// values and write-back, and the dialog's form over it.
#include "suite/richtext/qzparadlg.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/core/sysutils.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "suite/base/qzintl.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/richtext/qzriched.h"

namespace {

constexpr int kMaxTwips = 31680;

TqzRichEditParagraphDlg* ParaTexts() {
    static TqzRichEditParagraphDlg defaults;
    return qzIntl() ? qzIntl()->RichEdit()->ParagraphDialog() : &defaults;
}

// The number of a length text without its unit characters.
bool UnitNumber(const std::string& Text, double& Value) {
    std::string t = Text;
    while (!t.empty() && std::string(" '\"cmCM").find(t.back()) != std::string::npos) t.pop_back();
    t = Trim(t);
    return !t.empty() && TryStrToFloat(t, Value);
}

// The rule a paragraph reads back with: the control keeps 1.5 and double
// spacing as multiples of a line, so they come back as "Multiple".
int RuleOf(const TRtfParaFormat& p) {
    if (p.LineSpacingMultiple) return p.LineSpacing == 0 ? lsrSingle : lsrMultiple;
    if (p.LineSpacing == 0) return lsrSingle;
    return p.LineSpacing > 0 ? lsrAtLeast : lsrExactly;
}

}  // namespace

// ---- The model ---------------------------------------------------------------------------------

void TqzParagraphDialogModel::Fill() {
    int offset = 0, right = 0, start = 0;
    FRichEdit->GetParaIndents(offset, right, start);
    const TRtfParaFormat p = FRichEdit->Paragraph();
    auto unit = [this](int Twips) { return FRichEdit->UnitText(FRichEdit->TwipsToUnits(Twips)); };
    FOriginal[eLeft] = start + offset;
    FOriginal[eFirstLine] = -offset;
    FOriginal[eRight] = right;
    FText[eLeft] = unit(FOriginal[eLeft]);
    FText[eFirstLine] = unit(FOriginal[eFirstLine]);
    FText[eRight] = unit(FOriginal[eRight]);
    FSpacingEnabled = FRichEdit->RichEditVersion() >= 2;
    if (FSpacingEnabled) {
        FOriginal[eBefore] = p.SpaceBefore;
        FOriginal[eAfter] = p.SpaceAfter;
        FText[eBefore] = FRichEdit->SnappedUnitText(0, FRichEdit->TwipsToUnits(p.SpaceBefore));
        FText[eAfter] = FRichEdit->SnappedUnitText(0, FRichEdit->TwipsToUnits(p.SpaceAfter));
        FRule = RuleOf(p);
        if (FRule == lsrAtLeast || FRule == lsrExactly) {
            FOriginal[eAt] = std::abs(p.LineSpacing);
            FText[eAt] = unit(FOriginal[eAt]);
        } else if (FRule == lsrMultiple) {
            // twentieths of a line
            FOriginal[eAt] = p.LineSpacing / 12;
            FText[eAt] = FloatToStr(p.LineSpacing / 240.0);
        } else {
            FText[eAt].clear();
        }
    } else {
        FText[eBefore] = FText[eAfter] = "0";
        FText[eAt].clear();
        FRule = 0;
    }
    TqzRichEditParagraphDlg* t = ParaTexts();
    switch (p.Alignment) {
    case TRtfAlign::Right: FAlignment = t->AlignRight(); break;
    case TRtfAlign::Center: FAlignment = t->AlignCenter(); break;
    case TRtfAlign::Justify: FAlignment = t->AlignJustify(); break;
    default: FAlignment = t->AlignLeft(); break;
    }
    FOriginalText = FText;
    FOriginalRule = FRule;
    FOriginalAlignment = FAlignment;
}

std::vector<std::string> TqzParagraphDialogModel::AlignmentWords() const {
    TqzRichEditParagraphDlg* t = ParaTexts();
    std::vector<std::string> words{t->AlignLeft(), t->AlignCenter(), t->AlignRight()};
    if (FRichEdit->HasEditorOption(reoShowJustifyButton)) words.push_back(t->AlignJustify());
    return words;
}

std::vector<std::string> TqzParagraphDialogModel::RuleWords() {
    TqzRichEditParagraphDlg* t = ParaTexts();
    const std::string given[6] = {t->SpacingSingle(),  t->Spacing1_5(),     t->SpacingDouble(),
                                  t->SpacingAtLeast(), t->SpacingExactly(), t->SpacingMultiple()};
    const char* defaults[6] = {"Single", "1.5 Lines", "Double", "At least", "Exactly", "Multiple"};
    std::vector<std::string> words;
    for (int i = 0; i < 6; ++i) words.push_back(given[i].empty() ? defaults[i] : given[i]);
    return words;
}

void TqzParagraphDialogModel::ChooseRule(int Rule) {
    FRule = std::clamp(Rule, 0, 5);
    FText[eAt].clear();
    if (FRule == lsrAtLeast || FRule == lsrExactly) {
        double v = 1.0 / 6.0;
        if (FRichEdit->MeasurementUnits() == muCentimeters) v *= qzCentimetersPerInch;
        FText[eAt] = FRichEdit->UnitText(std::round(v * 100) / 100);
    } else if (FRule == lsrMultiple) {
        FText[eAt] = "1";
    }
}

void TqzParagraphDialogModel::AtTyped() {
    if (FRule <= lsrDouble) FRule = lsrMultiple;
}

int TqzParagraphDialogModel::Validate() const {
    for (int i = 0; i < eCount; ++i) {
        const std::string& text = FText[i];
        if (i == eAt && text.empty()) {
            // the rules with a length or a number need one
            if (FSpacingEnabled && FRule >= lsrAtLeast) return i;
            continue;
        }
        double v = 0;
        if (!UnitNumber(text, v)) return i;
        if (i == eAt && FRule == lsrMultiple) {
            if (v <= 0) return i;
            continue;
        }
        const int twips = Twips(static_cast<TEditIndex>(i));
        if (twips < -kMaxTwips || twips > kMaxTwips) return i;
        if (i == eAt && (FRule == lsrAtLeast || FRule == lsrExactly) && twips <= 0) return i;
    }
    return -1;
}

int TqzParagraphDialogModel::Twips(TEditIndex Index) const {
    if (FText[Index] == FOriginalText[Index]) return FOriginal[Index];
    return FRichEdit->UnitTextToTwips(FText[Index]);
}

bool TqzParagraphDialogModel::Untouched() const {
    return FText == FOriginalText && FRule == FOriginalRule && FAlignment == FOriginalAlignment;
}

void TqzParagraphDialogModel::WriteBack() {
    if (Untouched()) return;
    const int left = Twips(eLeft), first = Twips(eFirstLine), right = Twips(eRight);
    int start = 0, offset = 0;
    if (first + left < 0) {
        // the first line stops at the margin; the left indent stays
        start = 0;
        offset = left;
    } else {
        offset = std::min(-first, left);
        start = first + left;
    }
    TqzParaParts parts{ppOffset, ppRightIndent, ppStartIndent};
    TqzRichEditParagraphDlg* t = ParaTexts();
    if (FAlignment == t->AlignLeft() || FAlignment == t->AlignRight() || FAlignment == t->AlignCenter() ||
        FAlignment == t->AlignJustify())
        parts.Include(ppAlignment);
    int spacing = 0;
    if (FSpacingEnabled) {
        parts.Include(ppSpaceBefore);
        parts.Include(ppSpaceAfter);
        parts.Include(ppLineSpacing);
        if (FRule == lsrMultiple) {
            double v = 0;
            if (FText[eAt] == FOriginalText[eAt] && FOriginalRule == lsrMultiple)
                spacing = FOriginal[eAt];
            else
                spacing = UnitNumber(FText[eAt], v) ? static_cast<int>(std::lround(v * 20)) : 20;
        } else if (!FText[eAt].empty()) {
            spacing = Twips(eAt);
        }
    }
    FRichEdit->BeginFieldEdit();
    FRichEdit->SetParaFormat(parts, FAlignment, FRule, spacing, FSpacingEnabled ? Twips(eAfter) : 0,
                             FSpacingEnabled ? Twips(eBefore) : 0, nullptr, 0, start, right, offset, false);
}

// ---- The form ------------------------------------------------------------------------------------

TqzRichParagraphDialog::TqzRichParagraphDialog(TComponent* AOwner, TqzCustomRichEdit* RichEdit)
    : TForm(AOwner), FModel(RichEdit) {
    SetName("qzRichParagraphDialog");
    SetCaption("Paragraph");
    SetBorderStyle(bsDialog);
    SetClientWidth(344);
    SetClientHeight(236);
    SetPosition(poScreenCenter);
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);
    TqzRichEditParagraphDlg* t = ParaTexts();
    auto label = [this](const std::string& Caption, int X, int Y) {
        auto* l = new TLabel(this);
        l->SetParent(this);
        l->SetCaption(Caption);
        l->SetLeft(X);
        l->SetTop(Y);
        return l;
    };
    auto group = [this, &label](const std::string& Caption, int Y, int H) {
        auto* b = new TBevel(this);
        b->SetParent(this);
        b->SetShape(bsFrame);
        b->SetBounds(8, Y + 7, 328, H);
        TLabel* l = label(Caption, 16, Y);
        l->SetTransparent(false);
    };
    auto edit = [this](TqzParagraphDialogModel::TEditIndex Index, int X, int Y) {
        auto* e = new TEdit(this);
        e->SetParent(this);
        e->SetBounds(X, Y, 72, 21);
        FEdits[Index] = e;
        return e;
    };
    group(t->IndentationGroupBoxCaption(), 6, 92);
    label(t->LeftEditCaption(), 20, 30);
    edit(TqzParagraphDialogModel::eLeft, 84, 26)->SetHint(t->LeftEditHint());
    label(t->RightEditCaption(), 20, 56);
    edit(TqzParagraphDialogModel::eRight, 84, 52)->SetHint(t->RightEditHint());
    label(t->FirstLineEditCaption(), 20, 82);
    edit(TqzParagraphDialogModel::eFirstLine, 84, 78)->SetHint(t->FirstLineEditHint());
    label(t->AlignmentCaption(), 180, 30);
    FAlignmentCombo = new TqzDBComboBox(this);
    FAlignmentCombo->SetParent(this);
    FAlignmentCombo->SetBounds(180, 46, 140, 21);
    FAlignmentCombo->SetStyle(csDropDownList);
    FAlignmentCombo->SetHint(t->AlignmentHint());
    for (const char* w : {"Left", "Center", "Right"}) FAlignmentCombo->Items()->Add(w);
    group(t->SpacingGroupCaption(), 106, 88);
    label(t->BeforeParagraphCaption(), 20, 130);
    edit(TqzParagraphDialogModel::eBefore, 84, 126);
    label(t->AfterParagraphCaption(), 20, 156);
    edit(TqzParagraphDialogModel::eAfter, 84, 152);
    label(t->WithinParagraphCaption(), 180, 122);
    FLineSpacingCombo = new TqzDBComboBox(this);
    FLineSpacingCombo->SetParent(this);
    FLineSpacingCombo->SetBounds(180, 138, 90, 21);
    FLineSpacingCombo->SetStyle(csDropDownList);
    FLineSpacingCombo->SetOnChange(TNotifyEvent(this, &TqzRichParagraphDialog::RuleChange));
    label(t->WithinParagraphAtCaption(), 276, 122);
    edit(TqzParagraphDialogModel::eAt, 276, 138)->SetWidth(52);
    FEdits[TqzParagraphDialogModel::eAt]->SetOnChange(TNotifyEvent(this, &TqzRichParagraphDialog::AtChange));
    FOKBtn = new TButton(this);
    FOKBtn->SetParent(this);
    FOKBtn->SetCaption("&OK");
    FOKBtn->SetDefault(true);
    FOKBtn->SetBounds(176, 204, 77, 24);
    FOKBtn->SetOnClick(TNotifyEvent(this, &TqzRichParagraphDialog::OKClick));
    FCancelBtn = new TButton(this);
    FCancelBtn->SetParent(this);
    FCancelBtn->SetCaption("Cancel");
    FCancelBtn->SetCancel(true);
    FCancelBtn->SetModalResult(mrCancel);
    FCancelBtn->SetBounds(259, 204, 77, 24);
    FModel.Fill();
    SetOnShow(TNotifyEvent(this, &TqzRichParagraphDialog::FormShow));
}

TqzRichParagraphDialog::~TqzRichParagraphDialog() {
    FLineSpacingCombo->SetOnChange(nullptr);
    FEdits[TqzParagraphDialogModel::eAt]->SetOnChange(nullptr);
}

void TqzRichParagraphDialog::FormShow(TObject*) {
    TqzRichEditParagraphDlg* t = ParaTexts();
    SetCaption(t->ParagraphDlgCaption());
    FFilling = true;
    FAlignmentCombo->Items()->Clear();
    int index = -1;
    for (const std::string& w : FModel.AlignmentWords()) {
        if (w == FModel.Alignment()) index = FAlignmentCombo->Items()->Count();
        FAlignmentCombo->Items()->Add(w);
    }
    FAlignmentCombo->SetItemIndex(index);
    FLineSpacingCombo->Items()->Clear();
    for (const std::string& w : TqzParagraphDialogModel::RuleWords()) FLineSpacingCombo->Items()->Add(w);
    FLineSpacingCombo->SetItemIndex(FModel.Rule());
    for (int i = 0; i < TqzParagraphDialogModel::eCount; ++i)
        FEdits[i]->SetText(FModel.Text(static_cast<TqzParagraphDialogModel::TEditIndex>(i)));
    const bool spacing = FModel.SpacingEnabled();
    FEdits[TqzParagraphDialogModel::eBefore]->SetEnabled(spacing);
    FEdits[TqzParagraphDialogModel::eAfter]->SetEnabled(spacing);
    FEdits[TqzParagraphDialogModel::eAt]->SetEnabled(spacing);
    FLineSpacingCombo->SetEnabled(spacing);
    FFilling = false;
    if (FEdits[TqzParagraphDialogModel::eLeft]->CanFocus())
        FEdits[TqzParagraphDialogModel::eLeft]->SetFocus();
}

void TqzRichParagraphDialog::ReadEdits() {
    for (int i = 0; i < TqzParagraphDialogModel::eCount; ++i)
        FModel.Text(static_cast<TqzParagraphDialogModel::TEditIndex>(i)) = FEdits[i]->Text();
    // a justified paragraph shown without the justify word keeps its alignment
    FModel.Alignment() = FAlignmentCombo->ItemIndex() >= 0 ? FAlignmentCombo->Text() : std::string();
}

void TqzRichParagraphDialog::OKClick(TObject*) {
    ReadEdits();
    const int bad = FModel.Validate();
    if (bad >= 0) {
        TEdit* e = FEdits[bad];
        if (e->CanFocus()) e->SetFocus();
        e->SelectAll();
        return;
    }
    SetModalResult(mrOk);
}

void TqzRichParagraphDialog::RuleChange(TObject*) {
    if (FFilling) return;
    FModel.ChooseRule(FLineSpacingCombo->ItemIndex());
    FFilling = true;
    FEdits[TqzParagraphDialogModel::eAt]->SetText(FModel.Text(TqzParagraphDialogModel::eAt));
    FFilling = false;
}

void TqzRichParagraphDialog::AtChange(TObject*) {
    if (FFilling) return;
    FModel.AtTyped();
    FFilling = true;
    if (FLineSpacingCombo->ItemIndex() != FModel.Rule()) FLineSpacingCombo->SetItemIndex(FModel.Rule());
    FFilling = false;
}
