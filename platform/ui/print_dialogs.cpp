// Building the font, print and page-setup forms and taking their values on OK, with
// numbers checked before they are taken.
#include "platform/ui/print_dialogs.h"

#include <QFontDatabase>

#include <cmath>

#include "platform/core/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/stdctrls.h"

namespace {

template <typename T>
T* Add(TForm* Form, int X, int Y, int W, int H, int TabOrder) {
    auto* c = new T(Form);
    c->SetParent(Form);
    c->SetBounds(X, Y, W, H);
    c->SetTabOrder(TabOrder);
    return c;
}

void AddPrintLabel(TForm* Form, const std::string& Caption, int X, int Y, TWinControl* Focus) {
    auto* l = new TLabel(Form);
    l->SetParent(Form);
    l->SetCaption(Caption);
    l->SetBounds(X, Y, 90, 16);
    l->SetFocusControl(Focus);
}

TButton* AddButtons(TForm* Form, int X, int Y, int TabOrder, TButton*& Cancel) {
    auto* ok = Add<TButton>(Form, X, Y, 80, 25, TabOrder);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    Cancel = Add<TButton>(Form, X + 88, Y, 80, 25, TabOrder + 1);
    Cancel->SetCaption("Cancel");
    Cancel->SetCancel(true);
    Cancel->SetModalResult(mrCancel);
    return ok;
}

TForm* DialogShape(TForm* Form, const std::string& Caption, int W, int H) {
    Form->SetCaption(Caption);
    Form->SetBorderStyle(bsDialog);
    Form->SetPosition(poScreenCenter);
    Form->SetClientWidth(W);
    Form->SetClientHeight(H);
    return Form;
}

void Refuse(TWinControl* Control, const std::string& Message) {
    MessageDlg(Message, mtError, {mbOK}, 0);
    if (Control->CanFocus()) Control->SetFocus();
}

std::string Number(double Value) {
    std::string s = FormatFloat("0.##", Value);
    return s;
}

}  // namespace

// ---- Font --------------------------------------------------------------------------------------------

const std::vector<std::pair<TColor, std::string>>& FontDialogColors() {
    static const std::vector<std::pair<TColor, std::string>> colors = {
        {clBlack, "Black"},   {clMaroon, "Maroon"},   {clGreen, "Green"}, {clOlive, "Olive"},
        {clNavy, "Navy"},     {clPurple, "Purple"},   {clTeal, "Teal"},   {clGray, "Gray"},
        {clSilver, "Silver"}, {clRed, "Red"},         {clLime, "Lime"},   {clYellow, "Yellow"},
        {clBlue, "Blue"},     {clFuchsia, "Fuchsia"}, {clAqua, "Aqua"},   {clWhite, "White"}};
    return colors;
}

TFontDialogForm::TFontDialogForm(TComponent* AOwner) : TForm(AOwner) {
    DialogShape(this, "Font", 360, 190);
    NameCombo = Add<TComboBox>(this, 90, 10, 170, 22, 0);
    AddPrintLabel(this, "&Font:", 8, 14, NameCombo);
    SizeEdit = Add<TEdit>(this, 90, 40, 60, 22, 1);
    AddPrintLabel(this, "&Size:", 8, 44, SizeEdit);
    BoldCheck = Add<TCheckBox>(this, 8, 72, 110, 20, 2);
    BoldCheck->SetCaption("&Bold");
    ItalicCheck = Add<TCheckBox>(this, 130, 72, 110, 20, 3);
    ItalicCheck->SetCaption("&Italic");
    UnderlineCheck = Add<TCheckBox>(this, 8, 96, 110, 20, 4);
    UnderlineCheck->SetCaption("&Underline");
    StrikeOutCheck = Add<TCheckBox>(this, 130, 96, 110, 20, 5);
    StrikeOutCheck->SetCaption("Stri&keout");
    ColorCombo = Add<TComboBox>(this, 90, 124, 170, 22, 6);
    ColorCombo->SetStyle(csDropDownList);
    for (const auto& c : FontDialogColors()) ColorCombo->Items()->Add(c.second);
    AddPrintLabel(this, "&Color:", 8, 128, ColorCombo);
    OKButton = AddButtons(this, 184, 158, 7, CancelButton);
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(std::make_unique<TFont>()) {}
TFontDialog::~TFontDialog() = default;

void TFontDialog::SetFont(TFont* Value) { FFont->Assign(Value); }

bool TFontDialog::Execute() {
    EnsureToolkit();
    std::unique_ptr<TFontDialogForm> form(new TFontDialogForm(nullptr));
    FForm = form.get();
    for (const QString& f : QFontDatabase::families()) form->NameCombo->Items()->Add(FromQString(f));
    if (form->NameCombo->Items()->IndexOf(FFont->Name()) < 0) form->NameCombo->Items()->Add(FFont->Name());
    form->NameCombo->SetText(FFont->Name());
    form->SizeEdit->SetText(IntToStr(FFont->Size()));
    form->BoldCheck->SetChecked(FFont->Style().Contains(fsBold));
    form->ItalicCheck->SetChecked(FFont->Style().Contains(fsItalic));
    form->UnderlineCheck->SetChecked(FFont->Style().Contains(fsUnderline));
    form->StrikeOutCheck->SetChecked(FFont->Style().Contains(fsStrikeOut));
    const TColor rgb = ColorToRGB(FFont->Color());
    int colorIndex = 0;
    for (std::size_t i = 0; i < FontDialogColors().size(); ++i)
        if (FontDialogColors()[i].first == rgb) colorIndex = static_cast<int>(i);
    form->ColorCombo->SetItemIndex(colorIndex);
    form->UnderlineCheck->SetVisible(FOptions.Contains(fdEffects));
    form->StrikeOutCheck->SetVisible(FOptions.Contains(fdEffects));
    form->ColorCombo->SetEnabled(FOptions.Contains(fdEffects));
    form->OKButton->SetOnClick(TNotifyEvent(this, &TFontDialog::OKClick));
    DoShow();
    const bool ok = form->ShowModal() == mrOk;
    FForm = nullptr;
    DoClose();
    return ok;
}

void TFontDialog::OKClick(TObject*) {
    TFontDialogForm* f = FForm;
    int size = 0;
    if (!TryStrToInt(Trim(f->SizeEdit->Text()), size) || size <= 0 ||
        (FOptions.Contains(fdLimitSize) &&
         ((FMinFontSize > 0 && size < FMinFontSize) || (FMaxFontSize > 0 && size > FMaxFontSize)))) {
        Refuse(f->SizeEdit, "Size must be a number within the allowed range.");
        return;
    }
    const std::string name = Trim(f->NameCombo->Text());
    if (name.empty()) {
        Refuse(f->NameCombo, "Choose a font.");
        return;
    }
    FFont->SetName(name);
    FFont->SetSize(size);
    TFontStyles style;
    if (f->BoldCheck->Checked()) style.Include(fsBold);
    if (f->ItalicCheck->Checked()) style.Include(fsItalic);
    if (f->UnderlineCheck->Checked()) style.Include(fsUnderline);
    if (f->StrikeOutCheck->Checked()) style.Include(fsStrikeOut);
    FFont->SetStyle(style);
    const int c = f->ColorCombo->ItemIndex();
    if (c >= 0) FFont->SetColor(FontDialogColors()[static_cast<std::size_t>(c)].first);
    f->SetModalResult(mrOk);
}

// ---- Print -------------------------------------------------------------------------------------------

TPrintDialogForm::TPrintDialogForm(TComponent* AOwner) : TForm(AOwner) {
    DialogShape(this, "Print", 340, 150);
    PrinterCombo = Add<TComboBox>(this, 90, 10, 230, 22, 0);
    PrinterCombo->SetStyle(csDropDownList);
    AddPrintLabel(this, "&Printer:", 8, 14, PrinterCombo);
    PagesCheck = Add<TCheckBox>(this, 8, 44, 80, 20, 1);
    PagesCheck->SetCaption("Pa&ges");
    FromEdit = Add<TEdit>(this, 130, 42, 50, 22, 2);
    AddPrintLabel(this, "&from:", 92, 46, FromEdit);
    ToEdit = Add<TEdit>(this, 220, 42, 50, 22, 3);
    AddPrintLabel(this, "&to:", 192, 46, ToEdit);
    CopiesEdit = Add<TEdit>(this, 130, 74, 50, 22, 4);
    AddPrintLabel(this, "&Copies:", 8, 78, CopiesEdit);
    OKButton = AddButtons(this, 164, 116, 5, CancelButton);
}

TPrintDialog::TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

bool TPrintDialog::Execute() {
    std::unique_ptr<TPrintDialogForm> form(new TPrintDialogForm(nullptr));
    FForm = form.get();
    TStrings* printers = Printer()->Printers();
    form->PrinterCombo->Items()->Assign(printers);
    form->PrinterCombo->SetItemIndex(Printer()->PrinterIndex());
    const bool pages = FOptions.Contains(poPageNums);
    form->PagesCheck->SetEnabled(pages);
    form->FromEdit->SetEnabled(pages);
    form->ToEdit->SetEnabled(pages);
    form->PagesCheck->SetChecked(pages && FPrintRange == prPageNums);
    form->FromEdit->SetText(FFromPage > 0 ? IntToStr(FFromPage) : std::string());
    form->ToEdit->SetText(FToPage > 0 ? IntToStr(FToPage) : std::string());
    form->CopiesEdit->SetText(IntToStr(std::max(1, FCopies)));
    form->OKButton->SetOnClick(TNotifyEvent(this, &TPrintDialog::OKClick));
    DoShow();
    const bool ok = form->ShowModal() == mrOk;
    FForm = nullptr;
    DoClose();
    return ok;
}

void TPrintDialog::OKClick(TObject*) {
    TPrintDialogForm* f = FForm;
    int copies = 1;
    if (!TryStrToInt(Trim(f->CopiesEdit->Text()), copies) || copies < 1 || copies > 999) {
        Refuse(f->CopiesEdit, "Copies must be a number from 1 to 999.");
        return;
    }
    int from = FFromPage, to = FToPage;
    const bool pages = FOptions.Contains(poPageNums) && f->PagesCheck->Checked();
    if (pages) {
        const std::string range = Format("Pages must lie between %d and %d.", FMinPage, FMaxPage);
        if (!TryStrToInt(Trim(f->FromEdit->Text()), from) || from < FMinPage ||
            (FMaxPage > 0 && from > FMaxPage)) {
            Refuse(f->FromEdit, range);
            return;
        }
        if (!TryStrToInt(Trim(f->ToEdit->Text()), to) || to < from || (FMaxPage > 0 && to > FMaxPage)) {
            Refuse(f->ToEdit, range);
            return;
        }
    }
    if (f->PrinterCombo->ItemIndex() >= 0 && f->PrinterCombo->ItemIndex() != Printer()->PrinterIndex())
        Printer()->SetPrinterIndex(f->PrinterCombo->ItemIndex());
    FCopies = copies;
    Printer()->SetCopies(copies);
    FPrintRange = pages ? prPageNums : prAllPages;
    FFromPage = from;
    FToPage = to;
    f->SetModalResult(mrOk);
}

// ---- Page setup --------------------------------------------------------------------------------------

TPageSetupDialogForm::TPageSetupDialogForm(TComponent* AOwner) : TForm(AOwner) {
    DialogShape(this, "Page Setup", 330, 190);
    PaperCombo = Add<TComboBox>(this, 100, 10, 210, 22, 0);
    PaperCombo->SetStyle(csDropDownList);
    AddPrintLabel(this, "Si&ze:", 8, 14, PaperCombo);
    OrientationCombo = Add<TComboBox>(this, 100, 40, 210, 22, 1);
    OrientationCombo->SetStyle(csDropDownList);
    OrientationCombo->Items()->Add("Portrait");
    OrientationCombo->Items()->Add("Landscape");
    AddPrintLabel(this, "&Orientation:", 8, 44, OrientationCombo);
    LeftEdit = Add<TEdit>(this, 100, 76, 60, 22, 2);
    AddPrintLabel(this, "&Left:", 8, 80, LeftEdit);
    RightEdit = Add<TEdit>(this, 250, 76, 60, 22, 3);
    AddPrintLabel(this, "&Right:", 176, 80, RightEdit);
    TopEdit = Add<TEdit>(this, 100, 106, 60, 22, 4);
    AddPrintLabel(this, "&Top:", 8, 110, TopEdit);
    BottomEdit = Add<TEdit>(this, 250, 106, 60, 22, 5);
    AddPrintLabel(this, "&Bottom:", 176, 110, BottomEdit);
    OKButton = AddButtons(this, 144, 156, 6, CancelButton);
}

TPageSetupDialog::TPageSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

bool TPageSetupDialog::Execute() {
    std::unique_ptr<TPageSetupDialogForm> form(new TPageSetupDialogForm(nullptr));
    FForm = form.get();
    const bool mm = FOptions.Contains(psoInHundredthsOfMillimeters);
    const std::string unit = mm ? " (mm)" : " (in)";
    form->SetCaption("Page Setup" + unit);
    if (!FOptions.Contains(psoDisablePaper)) {
        int index = -1;
        for (const auto& p : PaperSizes()) {
            if (p.first == FPaperSize) index = form->PaperCombo->Items()->Count();
            form->PaperCombo->Items()->AddObject(p.second,
                                                 reinterpret_cast<TObject*>(static_cast<intptr_t>(p.first)));
        }
        form->PaperCombo->SetItemIndex(index);
    } else {
        form->PaperCombo->SetEnabled(false);
    }
    form->OrientationCombo->SetItemIndex(FOrientation == poLandscape ? 1 : 0);
    form->OrientationCombo->SetEnabled(!FOptions.Contains(psoDisableOrientation));
    // thousandths of an inch shown in inches, hundredths of a mm in mm
    const double scale = mm ? 100.0 : 1000.0;
    form->LeftEdit->SetText(Number(FMargins.Left / scale));
    form->TopEdit->SetText(Number(FMargins.Top / scale));
    form->RightEdit->SetText(Number(FMargins.Right / scale));
    form->BottomEdit->SetText(Number(FMargins.Bottom / scale));
    for (TEdit* e : {form->LeftEdit, form->TopEdit, form->RightEdit, form->BottomEdit})
        e->SetEnabled(FOptions.Contains(psoMargins));
    form->OKButton->SetOnClick(TNotifyEvent(this, &TPageSetupDialog::OKClick));
    DoShow();
    const bool ok = form->ShowModal() == mrOk;
    FForm = nullptr;
    DoClose();
    return ok;
}

void TPageSetupDialog::OKClick(TObject*) {
    TPageSetupDialogForm* f = FForm;
    const double scale = FOptions.Contains(psoInHundredthsOfMillimeters) ? 100.0 : 1000.0;
    int values[4];
    TEdit* edits[4] = {f->LeftEdit, f->TopEdit, f->RightEdit, f->BottomEdit};
    for (int i = 0; i < 4; ++i) {
        double v = 0;
        if (!TryStrToFloat(Trim(edits[i]->Text()), v) || v < 0 || v * scale > 1000000) {
            Refuse(edits[i], "Margins must be numbers not below 0.");
            return;
        }
        values[i] = static_cast<int>(std::lround(v * scale));
    }
    FMargins = Rect(values[0], values[1], values[2], values[3]);
    FOrientation = f->OrientationCombo->ItemIndex() == 1 ? poLandscape : poPortrait;
    if (!FOptions.Contains(psoDisablePaper) && f->PaperCombo->ItemIndex() >= 0)
        FPaperSize = static_cast<int>(
            reinterpret_cast<intptr_t>(f->PaperCombo->Items()->Objects(f->PaperCombo->ItemIndex())));
    Printer()->SetOrientation(FOrientation);
    if (!FOptions.Contains(psoDisablePaper)) Printer()->SetPaperSize(FPaperSize);
    f->SetModalResult(mrOk);
}
