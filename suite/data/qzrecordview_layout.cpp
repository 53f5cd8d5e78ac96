// The record view dialog: the fields it shows, their labels and controls, and both layouts.
#include "suite/data/qzrecordview.h"

#include <algorithm>

#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/class_registry.h"
#include "platform/ui/dbimage.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/graphics.h"
#include "platform/ui/messages.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"
#include "suite/data/qznavigator.h"
#include "suite/edit/qzdatetimepicker.h"
#include "suite/grid/qzlookupcombo.h"
#include "suite/richtext/qzdbrichedit.h"

namespace {

std::vector<std::string> SplitParts(const std::string& Line, char Sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t p = Line.find(Sep, start);
        parts.push_back(Line.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) break;
        start = p + 1;
    }
    return parts;
}

std::string LabelCaption(std::string Title) {
    std::replace(Title.begin(), Title.end(), '~', ' ');
    return Title;
}
// Sets "DataSource" and "DataField" by name; False when either is missing.
bool BindByName(TControl* C, TDataSource* Source, const std::string& FieldName) {
    auto bind = [&](auto* c) {
        c->SetDataSource(Source);
        c->SetDataField(FieldName);
        return true;
    };
    // The lookup combo refuses its lookup table as the bound dataset.
    if (auto* l = dynamic_cast<TqzDBCustomLookupCombo*>(C)) return bind(l);
    if (auto* e = dynamic_cast<TqzDBCustomEdit*>(C)) return bind(e);
    if (auto* r = dynamic_cast<TqzDBRichEdit*>(C)) return bind(r);
    if (auto* i = dynamic_cast<TDBImage*>(C)) return bind(i);
    const TPropInfo* src = GetPropInfo(C, "DataSource");
    const TPropInfo* fld = GetPropInfo(C, "DataField");
    if (!src || !fld || src->Kind != tkClass) return false;
    SetObjectProp(C, src, Source);
    SetStrProp(C, fld, FieldName);
    return true;
}

bool IsDateField(TField* F) {
    const TFieldType t = F->DataType();
    return t == ftDate || t == ftTime || t == ftDateTime;
}

}  // namespace

std::vector<TqzRecordViewDialog::TShownField> TqzRecordViewDialog::ShownFields() {
    TDataSet* ds = GetPrimaryDataSet();
    std::vector<TShownField> out;
    auto add = [&](TShownField f) {
        if (f.ReadOnly && FOptions.Contains(rvoHideReadOnly)) return;
        if (f.Field->Calculated() && FOptions.Contains(rvoHideCalculated)) return;
        out.push_back(std::move(f));
    };
    if (FSelected->Count() == 0) {
        for (int i = 0; i < ds->Fields()->Count(); ++i) {
            TField* f = ds->Fields()->Fields(i);
            add({f, f->DisplayWidth(), f->DisplayLabel(), f->ReadOnly()});
        }
        return out;
    }
    for (int i = 0; i < FSelected->Count(); ++i) {
        const std::vector<std::string> parts = SplitParts(FSelected->Strings(i), '\t');
        TField* f = ds->FindField(parts[0]);
        if (!f) continue;
        // A width that is not a number raises the conversion error.
        const int width = parts.size() > 1 ? StrToInt(parts[1]) : f->DisplayWidth();
        const std::string title = parts.size() > 2 ? parts[2] : f->DisplayLabel();
        const bool ro = (parts.size() > 3 && parts[3] == "T") || f->ReadOnly();
        add({f, width, title, ro});
    }
    return out;
}

bool TqzRecordViewDialog::IsCheckBoxField(TField* Field, std::string& Checked, std::string& Unchecked) {
    if (!FOptions.Contains(rvoUseCustomControls)) return false;
    TStrings* list = FControlType.get();
    if (FControlInfoInDataset)
        if (TStrings* own = qzGetControlType(GetPrimaryDataSet()); own && own->Count() > 0) list = own;
    for (int i = 0; i < list->Count(); ++i) {
        const std::vector<std::string> p = SplitParts(list->Strings(i), ';');
        if (p.size() >= 4 && p[0] == Field->FieldName() && p[1] == "CheckBox") {
            Checked = p[2];
            Unchecked = p[3];
            return true;
        }
    }
    return false;
}

TWinControl* TqzRecordViewDialog::CustomControlFor(TField* Field) {
    if (!FOptions.Contains(rvoUseCustomControls) || !Owner()) return nullptr;
    TStrings* list = FControlType.get();
    if (FControlInfoInDataset)
        if (TStrings* own = qzGetControlType(GetPrimaryDataSet()); own && own->Count() > 0) list = own;
    for (int i = 0; i < list->Count(); ++i) {
        const std::vector<std::string> p = SplitParts(list->Strings(i), ';');
        if (p.size() >= 3 && SameText(p[0], Field->FieldName()) && qzIsEditControlType(p[1]))
            return dynamic_cast<TWinControl*>(Owner()->FindComponent(p[2]));
    }
    return nullptr;
}

TLabel* TqzRecordViewDialog::MakeLabel(TField*, const std::string& Title, bool CheckBox) {
    TLabel* l = CheckBox && FOptions.Contains(rvoUseCustomControls) ? new TqzLabel(FForm) : new TLabel(FForm);
    l->SetParent(FForm->ScrollBox);
    l->Font()->Assign(FLabelFont.get());
    l->SetAutoSize(false);
    l->SetCaption(LabelCaption(Title));
    l->SetTransparent(FControlOptions.Contains(rvcTransparentLabels));
    FLastLabel = l;
    return l;
}

void TqzRecordViewDialog::ApplyPictureMask(TControl* Control, TField* Field) {
    auto* edit = dynamic_cast<TqzDBCustomEdit*>(Control);
    if (!edit) return;
    TObject* source = qzGetPictureMaskSource(this, GetPrimaryDataSet());
    bool flag2 = true, autoFill = true;
    std::string mask;
    qzGetPictureMask(source, Field->FieldName(), true, flag2, autoFill, mask);
    TqzDBPicture* picture = edit->Picture();
    // The edit holds the mask itself: reading the dataset's list on its own
    // would ignore the view's choice, and writing would change that list.
    picture->SetPictureMaskFromDataSet(false);
    picture->SetPictureMask(mask);
    picture->SetAutoFill(autoFill);
    picture->SetAllowInvalidExit(false);
}

TControl* TqzRecordViewDialog::MakeControl(const TShownField& F, TLabel* Label, int Left, int Top,
                                           int FormWidth, int MaxWidth, int LabelTextWidth) {
    std::string checked, unchecked;
    if (IsCheckBoxField(F.Field, checked, unchecked))
        return MakeCheckBox(F, Label, Left, Top, checked, unchecked);
    if (TWinControl* custom = CustomControlFor(F.Field))
        return BorrowControl(custom, F, Label, Left, Top, FormWidth, MaxWidth, LabelTextWidth);
    return MakeEditControl(F, Label, Left, Top, FormWidth, MaxWidth, LabelTextWidth);
}

void TqzRecordViewDialog::FitWidth(TControl* Control, int MaxWidth) {
    if (FOptions.Contains(rvoShortenEditBox) && Control->Width() > MaxWidth) Control->SetWidth(MaxWidth);
    if (FOptions.Contains(rvoConsistentEditWidth) && Control->Width() < MaxWidth) Control->SetWidth(MaxWidth);
}

TControl* TqzRecordViewDialog::MakeCheckBox(const TShownField& F, TLabel* Label, int Left, int Top,
                                            const std::string& Checked, const std::string& Unchecked) {
    TField* field = F.Field;
    auto* cb = new TqzDBCheckBox(FForm);
    cb->Label = dynamic_cast<TqzLabel*>(Label);
    Label->SetFocusControl(cb);
    cb->SetParent(FForm->ScrollBox);
    cb->SetDataSource(DataSource());
    cb->SetDataField(field->FieldName());
    cb->SetCaption("");
    cb->SetValueChecked(Checked);
    cb->SetValueUnchecked(Unchecked);
    cb->SetBounds(Left, Top, 17, cb->Height());
    if (F.ReadOnly || field->Calculated()) cb->SetTabStop(false);
    FControls.push_back(cb);
    DoAfterCreateControl(field, cb);
    return cb;
}

TControl* TqzRecordViewDialog::BorrowControl(TWinControl* Custom, const TShownField& F, TLabel* Label,
                                             int Left, int Top, int FormWidth, int MaxWidth,
                                             int LabelTextWidth) {
    TField* field = F.Field;
    TqzCustomControlItem item;
    item.Control = Custom;
    item.Left = Custom->Left();
    item.Top = Custom->Top();
    item.Width = Custom->Width();
    item.Height = Custom->Height();
    item.Parent = Custom->Parent();
    item.Ctl3D = Custom->Ctl3D();
    if (TqzButtonEffects* effects = qzGetControlButtonEffects(Custom)) {
        item.ButtonsFlat = effects->Flat();
        item.ButtonsTransparent = effects->Transparent();
    }
    if (item.Parent) item.Parent->FreeNotification(this);
    Custom->FreeNotification(this);
    FBorrowed.push_back(item);
    Label->SetFocusControl(Custom);
    Custom->SetParent(FForm->ScrollBox);
    Custom->SetVisible(true);
    if (!BindByName(Custom, DataSource(), field->FieldName())) return nullptr;
    if (auto* lookup = dynamic_cast<TqzDBCustomLookupCombo*>(Custom); lookup && field->FieldKind() == fkData)
        lookup->RefreshDisplayText();
    Custom->SetCtl3D(true);
    {
        TqzEditFrame* frame = qzGetControlEditFrame(Custom);
        if (!(frame && frame->Enabled()))
            if (const TPropInfo* bs = GetPropInfo(Custom, "BorderStyle"); bs && bs->SetOrd)
                SetOrdProp(Custom, bs, bsSingle);
    }
    int w = StandardWidth(F.Width);
    if (dynamic_cast<TqzCustomRichEdit*>(Custom))
        w = FormWidth - FControlLeft - (FFrameAllowance + Margin.RightOffset);
    else if (FOptions.Contains(rvoSetControlMinWidth) && LabelTextWidth > w)
        w = LabelTextWidth + 1;
    Custom->SetBounds(Left, Top, w, Custom->Height());
    FitWidth(Custom, MaxWidth);
    FControls.push_back(Custom);
    DoAfterCreateControl(field, Custom);
    FitWidth(Custom, MaxWidth);
    return Custom;
}

TControl* TqzRecordViewDialog::MakeEditControl(const TShownField& F, TLabel* Label, int Left, int Top,
                                               int FormWidth, int MaxWidth, int LabelTextWidth) {
    TField* field = F.Field;
    const bool vertical = FStyle == rvsVertical;
    TControl* c;
    if (IsDateField(field) && FOptions.Contains(rvoUseDateTimePicker))
        c = new TqzDBDateTimePicker(FForm);
    else if (qzIsRichTextField(field, true))
        c = new TqzDBRichEdit(FForm);
    else if (field->DataType() == ftMemo)
        c = new TqzDBEditMemo(FForm);
    else if (field->DataType() == ftGraphic)
        c = new TDBImage(FForm);
    else
        c = CreateDefaultEditControl(FForm);
    if (auto* w = dynamic_cast<TWinControl*>(c)) Label->SetFocusControl(w);
    c->SetParent(FForm->ScrollBox);
    if (!BindByName(c, DataSource(), field->FieldName())) return nullptr;
    auto* win = dynamic_cast<TWinControl*>(c);
    if (F.ReadOnly) {
        c->SetColor(FReadOnlyColor);
        if (win) win->SetTabStop(false);
        c->SetEnabled(false);
    } else if (field->Calculated()) {
        c->SetColor(FReadOnlyColor);
        if (win) win->SetTabStop(false);
    }
    if (auto* e = dynamic_cast<TqzDBEdit*>(c);
        e && field->DataType() == ftString && field->EditMask().empty())
        e->SetMaxLength(TextRoomOf(field));
    ApplyPictureMask(c, field);
    int width = StandardWidth(F.Width);
    const bool single = IsSingleLineControl(c);
    if (!single && FOptions.Contains(rvoMaximizeMemoWidth)) {
        width = FormWidth - FControlLeft - (FFrameAllowance + Margin.RightOffset);
        if (!vertical) {
            Left = FControlLeft;
            width = std::max(width, MaxWidth);
        }
    }
    if (auto* p = dynamic_cast<TqzDBDateTimePicker*>(c)) width += p->ButtonWidth();
    if (!vertical && FOptions.Contains(rvoSetControlMinWidth) && width < LabelTextWidth)
        width = LabelTextWidth + 1;
    if (FOptions.Contains(rvoEnterToTab))
        if (auto* m = dynamic_cast<TqzDBEditMemo*>(c)) m->SetWantReturns(false);
    int height = c->Height();
    if (!single) {
        FForm->Canvas()->Font()->Assign(FFont.get());
        height = FForm->Canvas()->TextHeight("0") * FLinesPerMemoControl + 8;
    }
    c->SetBounds(Left, Top, width, height);
    FControls.push_back(c);
    DoAfterCreateControl(field, c);
    FitWidth(c, MaxWidth);
    return c;
}

int TqzRecordViewDialog::ShowMenu() {
    if (!FMenu || FMenu->Items()->Count() == 0) return 0;
    TCustomForm* before = FMenu->Form();
    if (before != FForm) {
        FMenuForm = before;
        if (FMenuForm) FMenuForm->FreeNotification(this);
    }
    FMenu->SetForm(FForm);
    FMenuShown = true;
    // The bar as this platform draws it, whatever the border.
    return FMenu->BarHeight();
}

void TqzRecordViewDialog::LayoutVertical(const std::vector<TShownField>& Fields) {
    const TRect work = Screen->WorkAreaRect();
    const TqzVertEditSpacing& sp = EditSpacing.VerticalView;
    int top = Margin.TopOffset;
    const int navWidth = FForm->Navigator ? FForm->Navigator->Width() : 0;
    const int buttonsHeight = FForm->UserPanel ? FForm->UserPanel->Height() : 0;
    int labelWidth = 0, widestStandard = 0;
    FForm->Canvas()->Font()->Assign(FLabelFont.get());
    for (const TShownField& f : Fields)
        labelWidth = std::max(labelWidth, FForm->Canvas()->TextWidth(f.Title));
    for (const TShownField& f : Fields) widestStandard = std::max(widestStandard, StandardWidth(f.Width));
    FControlLeft = Margin.LeftOffset + labelWidth + sp.BetweenLabelEdit;
    const int panelLeft = FForm->RecordPanel->Left(), boxLeft = 6;
    int w = FormPosition.Width() < 1 ? panelLeft + boxLeft + FControlLeft + widestStandard +
                                           (FFrameAllowance - 6) + Margin.RightOffset
                                     : FormPosition.Width();
    w = std::max(w, (FFrameAllowance - 6) + navWidth + Margin.RightOffset);
    const int formWidth = std::min(w, work.Width() - (FFrameAllowance - 6 + Margin.RightOffset));
    FForm->SetWidth(formWidth);
    const int maxWidth = formWidth - (FFrameAllowance + Margin.RightOffset + FControlLeft);
    TControl* last = nullptr;
    for (const TShownField& f : Fields) {
        bool accept = true;
        DoBeforeCreateControl(f.Field, accept);
        if (!accept) continue;
        std::string on, off;
        const bool check = IsCheckBoxField(f.Field, on, off);
        TLabel* l = MakeLabel(f.Field, f.Title, check);
        l->SetBounds(Margin.LeftOffset, top + (check ? 1 : 4), labelWidth, l->Height());
        l->SetAlignment(taRightJustify);
        DoAfterCreateControl(f.Field, l);
        TControl* c = MakeControl(f, l, FControlLeft, top, formWidth, maxWidth, 0);
        if (!c) continue;
        top += c->Height() + sp.BetweenRow;
        last = c;
    }
    const int content = top + Margin.BottomOffset - sp.BetweenRow;
    FComputedHeight = GetSystemMetrics(SM_CYCAPTION) + FForm->RecordPanel->Top() + content + FFrameAllowance +
                      buttonsHeight + ShowMenu();
    int h = FComputedHeight;
    if (FormPosition.Height() > 0) h = std::min(h, FormPosition.Height());
    h = std::min(h, work.Height() - 12);
    FForm->SetHeight(h);
    const bool cut = h < FComputedHeight && h == work.Height() - 12;
    TScrollBox* box = FForm->ScrollBox;
    box->VertScrollBar()->SetIncrement((last ? last->Height() : 0) + sp.BetweenRow);
    box->VertScrollBar()->SetRange(content);
    // Room for the vertical bar when the content is taller than the panel.
    if (FForm->RecordPanel->Height() - 12 < content)
        FForm->SetWidth(FForm->Width() + GetSystemMetrics(SM_CXHTHUMB));
    int widest = 0;
    for (TControl* c : FControls) widest = std::max(widest, c->Width());
    const int needed =
        panelLeft + boxLeft + FControlLeft + widest + (FFrameAllowance - 6) + Margin.RightOffset;
    if (FForm->Width() > work.Width()) FForm->SetWidth(work.Width());
    if (needed > FForm->Width()) FForm->SetHeight(FForm->Height() + GetSystemMetrics(SM_CYVTHUMB));
    int range =
        FOptions.Contains(rvoConsistentEditWidth) ? widest : FControlLeft + widest + Margin.RightOffset;
    if (cut) range -= GetSystemMetrics(SM_CXHTHUMB);
    box->HorzScrollBar()->SetRange(range);
}

void TqzRecordViewDialog::LayoutHorizontal(const std::vector<TShownField>& Fields) {
    const TRect work = Screen->WorkAreaRect();
    const TqzHorzEditSpacing& sp = EditSpacing.HorizontalView;
    int top = Margin.TopOffset;
    FControlLeft = Margin.LeftOffset;
    const int navWidth = FForm->Navigator ? FForm->Navigator->Width() : 0;
    const int buttonsHeight = FForm->UserPanel ? FForm->UserPanel->Height() : 0;
    int widestStandard = 0;
    for (const TShownField& f : Fields) widestStandard = std::max(widestStandard, StandardWidth(f.Width));
    const int panelLeft = FForm->RecordPanel->Left(), boxLeft = 6;
    int w;
    if (FormPosition.Width() < 1) {
        w = panelLeft + boxLeft + FControlLeft + widestStandard + (FFrameAllowance - 6) + Margin.RightOffset;
        w = std::max({w, (FFrameAllowance - 6) + navWidth + Margin.RightOffset, 400});
    } else {
        w = std::max(FormPosition.Width(), (FFrameAllowance - 6) + navWidth + Margin.RightOffset);
    }
    const int formWidth = std::min(w, work.Width() - (FFrameAllowance - 6 + Margin.RightOffset));
    FForm->SetWidth(formWidth);
    const int rowLimit = formWidth - boxLeft - (FFrameAllowance + Margin.RightOffset + FControlLeft);
    int x = 0, rowTallest = 0, widestRowEnd = 0, labelHeight = 0;
    for (const TShownField& f : Fields) {
        FForm->Canvas()->Font()->Assign(FLabelFont.get());
        const int labelText = FForm->Canvas()->TextWidth(f.Title);
        const bool wide = FOptions.Contains(rvoMaximizeMemoWidth) &&
                          (f.Field->IsBlob() || dynamic_cast<TqzCustomRichEdit*>(CustomControlFor(f.Field)));
        const int estimated = wide ? rowLimit : StandardWidth(f.Width);
        if (x > 0 && std::max(estimated, sp.LabelIndent + labelText) + sp.BetweenEditsInRow + x > rowLimit) {
            x = 0;
            top += sp.BetweenLabelEdit + sp.BetweenRow + rowTallest + labelHeight;
            rowTallest = 0;
        }
        bool accept = true;
        DoBeforeCreateControl(f.Field, accept);
        if (!accept) continue;
        std::string on, off;
        TLabel* l = MakeLabel(f.Field, f.Title, IsCheckBoxField(f.Field, on, off));
        l->SetBounds(Margin.LeftOffset + x + sp.LabelIndent, top, labelText, l->Height());
        l->SetAlignment(taLeftJustify);
        labelHeight = l->Height();
        DoAfterCreateControl(f.Field, l);
        const int span = l->Width() + sp.LabelIndent;
        TControl* c = MakeControl(f, l, FControlLeft + x, top + sp.BetweenLabelEdit + labelHeight, formWidth,
                                  rowLimit, labelText);
        if (!c) continue;
        if (dynamic_cast<TqzDBCheckBox*>(c) && rowTallest > 0) c->SetHeight(rowTallest);
        rowTallest = std::max(rowTallest, c->Height());
        x = std::max(c->Width(), span) + x + sp.BetweenEditsInRow;
        widestRowEnd = std::max(widestRowEnd, x);
    }
    const int content = sp.BetweenLabelEdit + top + rowTallest + labelHeight + Margin.BottomOffset;
    FComputedHeight = GetSystemMetrics(SM_CYCAPTION) + FForm->RecordPanel->Top() + content + FFrameAllowance +
                      buttonsHeight + ShowMenu();
    int h = FComputedHeight;
    if (FormPosition.Height() > 0) h = std::min(h, FormPosition.Height());
    h = std::min(h, work.Height() - 12);
    FForm->SetHeight(h);
    TScrollBox* box = FForm->ScrollBox;
    box->VertScrollBar()->SetIncrement(rowTallest + sp.BetweenRow);
    box->VertScrollBar()->SetRange(content);
    const int needed =
        panelLeft + boxLeft + FControlLeft + widestRowEnd + (FFrameAllowance - 6) + Margin.RightOffset;
    if (needed <= work.Width()) {
        // The rows' width, never below the 400 of a computed width.
        int fit = needed;
        if (FormPosition.Width() < 1) fit = std::max(fit, 400);
        if (FForm->RecordPanel->Height() - 12 < content) fit += GetSystemMetrics(SM_CXHTHUMB);
        FForm->SetWidth(fit);
    } else {
        FForm->SetHeight(FForm->Height() + GetSystemMetrics(SM_CYVTHUMB));
    }
    int widest = 0;
    for (TControl* c : FControls) widest = std::max(widest, c->Width());
    box->HorzScrollBar()->SetRange(FControlLeft + widest + Margin.RightOffset);
}
