// The tab model's positions in twips, set, clear and write-back, and the tab dialog's
// list and buttons.
#include "suite/richtext/qztabsdlg.h"

#include <algorithm>
#include <memory>

#include "platform/core/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "suite/base/qzintl.h"
#include "suite/richtext/qzriched.h"

namespace {

constexpr int kMaxTabTwips = 31680;

TqzRichEditTabDlg* TabTexts() {
    static TqzRichEditTabDlg defaults;
    return qzIntl() ? qzIntl()->RichEdit()->TabDialog() : &defaults;
}

}  // namespace

// ---- The model ---------------------------------------------------------------------------------

void TqzTabDialogModel::Fill() {
    FStops.clear();
    FOriginal.clear();
    for (const TRtfTab& tab : FRichEdit->Paragraph().Tabs) {
        FStops.push_back({FRichEdit->UnitText(FRichEdit->TwipsToUnits(tab.Position)), tab.Position});
        FOriginal.push_back(tab.Position);
    }
}

bool TqzTabDialogModel::PositionTwips(const std::string& Text, int& Twips) const {
    std::string t = Text;
    while (!t.empty() && std::string(" '\"cmCM").find(t.back()) != std::string::npos) t.pop_back();
    double v = 0;
    if (Trim(t).empty() || !TryStrToFloat(Trim(t), v)) return false;
    Twips = FRichEdit->UnitTextToTwips(Text);
    return Twips >= 0 && Twips <= kMaxTabTwips;
}

TqzTabDialogModel::TSetResult TqzTabDialogModel::Set(const std::string& Text) {
    int twips = 0;
    if (!PositionTwips(Text, twips)) return srIgnored;
    // the same position written another way is the same stop
    const std::string shown = FRichEdit->UnitText(FRichEdit->TwipsToUnits(twips));
    for (const TStop& s : FStops)
        if (s.Twips == twips || FRichEdit->UnitTextToTwips(s.Text) == FRichEdit->UnitTextToTwips(shown))
            return srIgnored;
    if (static_cast<int>(FStops.size()) >= MaxStops) return srFull;
    auto at = std::find_if(FStops.begin(), FStops.end(), [twips](const TStop& s) { return s.Twips > twips; });
    FStops.insert(at, {shown, twips});
    return srAdded;
}

void TqzTabDialogModel::Clear(const std::vector<int>& Indexes) {
    std::vector<int> sorted = Indexes;
    std::sort(sorted.rbegin(), sorted.rend());
    for (int i : sorted)
        if (i >= 0 && i < static_cast<int>(FStops.size())) FStops.erase(FStops.begin() + i);
}

bool TqzTabDialogModel::Untouched() const {
    if (FStops.size() != FOriginal.size()) return false;
    for (std::size_t i = 0; i < FStops.size(); ++i)
        if (FStops[i].Twips != FOriginal[i]) return false;
    return true;
}

void TqzTabDialogModel::WriteBack() {
    if (Untouched()) return;
    std::vector<int> tabs;
    for (const TStop& s : FStops) tabs.push_back(s.Twips);
    FRichEdit->BeginFieldEdit();
    FRichEdit->SetParaFormat({ppTabStops}, std::string(), 0, 0, 0, 0, tabs.data(),
                             static_cast<int>(tabs.size()), 0, 0, 0, false);
}

// ---- The form ------------------------------------------------------------------------------------

TqzRichTabDialog::TqzRichTabDialog(TComponent* AOwner, TqzCustomRichEdit* RichEdit)
    : TForm(AOwner), FModel(RichEdit) {
    SetName("qzRichTabDialog");
    SetCaption("Tabs");
    SetBorderStyle(bsDialog);
    SetClientWidth(262);
    SetClientHeight(214);
    SetPosition(poScreenCenter);
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);
    TqzRichEditTabDlg* t = TabTexts();
    auto* frame = new TBevel(this);
    frame->SetParent(this);
    frame->SetShape(bsFrame);
    frame->SetBounds(8, 15, 152, 190);
    auto* group = new TLabel(this);
    group->SetParent(this);
    group->SetTransparent(false);
    group->SetCaption(t->TabGroupBoxCaption());
    group->SetLeft(16);
    group->SetTop(8);
    FEdit = new TEdit(this);
    FEdit->SetParent(this);
    FEdit->SetBounds(18, 30, 132, 21);
    FEdit->SetHint(t->TabPositionEditHint());
    FEdit->SetOnEnter(TNotifyEvent(this, &TqzRichTabDialog::EditEnter));
    FEdit->SetOnExit(TNotifyEvent(this, &TqzRichTabDialog::EditExit));
    FEdit->SetOnKeyDown(TKeyEvent(this, &TqzRichTabDialog::EditKeyDown));
    FList = new TListBox(this);
    FList->SetParent(this);
    FList->SetBounds(18, 56, 132, 140);
    FList->SetMultiSelect(true);
    FList->SetHint(t->ListBoxHint());
    auto button = [this](const std::string& Caption, int Y, void (TqzRichTabDialog::*Click)(TObject*)) {
        auto* b = new TButton(this);
        b->SetParent(this);
        b->SetCaption(Caption);
        b->SetBounds(172, Y, 80, 24);
        if (Click) b->SetOnClick(TNotifyEvent(this, Click));
        return b;
    };
    FOKButton = button("&OK", 15, &TqzRichTabDialog::OKClick);
    FOKButton->SetDefault(true);
    FCancelButton = button("Cancel", 45, nullptr);
    FCancelButton->SetCancel(true);
    FCancelButton->SetModalResult(mrCancel);
    FSetButton = button("&Set", 95, &TqzRichTabDialog::SetClick);
    FSetButton->SetHint(t->SetButtonHint());
    FClearButton = button("Cl&ear", 125, &TqzRichTabDialog::ClearClick);
    FClearButton->SetHint(t->ClearButtonHint());
    FClearAllButton = button("Clear A&ll", 155, &TqzRichTabDialog::ClearAllClick);
    FClearAllButton->SetHint(t->ClearAllButtonHint());
    FModel.Fill();
    SetOnShow(TNotifyEvent(this, &TqzRichTabDialog::FormShow));
}

TqzRichTabDialog::~TqzRichTabDialog() {
    FEdit->SetOnEnter(nullptr);
    FEdit->SetOnExit(nullptr);
}

void TqzRichTabDialog::FormShow(TObject*) {
    TqzRichEditTabDlg* t = TabTexts();
    SetCaption(t->TabDlgCaption());
    FSetButton->SetCaption(t->SetTabButtonCaption());
    FClearButton->SetCaption(t->ClearTabButtonCaption());
    FClearAllButton->SetCaption(t->ClearAllButtonCaption());
    ShowList();
    if (FEdit->CanFocus()) FEdit->SetFocus();
}

void TqzRichTabDialog::ShowList() {
    FList->Items()->Clear();
    for (const auto& s : FModel.Stops()) FList->Items()->Add(s.Text);
}

void TqzRichTabDialog::SetClick(TObject*) {
    const TqzTabDialogModel::TSetResult r = FModel.Set(FEdit->Text());
    if (r == TqzTabDialogModel::srFull) {
        MessageBeep(0);
        return;
    }
    ShowList();
    FEdit->SetText("");
}

void TqzRichTabDialog::ClearClick(TObject*) {
    std::vector<int> selected;
    for (int i = 0; i < FList->Items()->Count(); ++i)
        if (FList->Selected(i)) selected.push_back(i);
    FModel.Clear(selected);
    ShowList();
}

void TqzRichTabDialog::ClearAllClick(TObject*) {
    FModel.ClearAll();
    ShowList();
}

void TqzRichTabDialog::OKClick(TObject*) {
    if (!FEdit->Text().empty()) {
        int twips = 0;
        if (!FModel.PositionTwips(FEdit->Text(), twips) ||
            FModel.Set(FEdit->Text()) == TqzTabDialogModel::srFull) {
            MessageBeep(0);
            if (FEdit->CanFocus()) FEdit->SetFocus();
            FEdit->SelectAll();
            return;
        }
        ShowList();
        FEdit->SetText("");
    }
    SetModalResult(mrOk);
}

void TqzRichTabDialog::EditEnter(TObject*) { FOKButton->SetDefault(false); }
void TqzRichTabDialog::EditExit(TObject*) { FOKButton->SetDefault(true); }

void TqzRichTabDialog::EditKeyDown(TObject*, uint16_t& Key, TShiftState) {
    if (Key != VK_RETURN) return;
    Key = 0;
    if (FEdit->Text().empty())
        SetModalResult(mrOk);
    else
        SetClick(nullptr);
}
