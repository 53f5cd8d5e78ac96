// The font, print and page-setup dialogs. Each is a modal form of our own
// (TFontDialogForm, TPrintDialogForm, TPageSetupDialogForm) shown by
// Execute; tests answer them through TTestModalForms, which hands them the
// form to fill and confirm.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/forms.h"
#include "platform/ui/printers.h"
#include "platform/ui/stddialogs.h"

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;

// ---- Font (with its colour) --------------------------------------------------------------------
TASKMOOR_ENUM(TFontDialogOption, fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist,
              fdNoFaceSel, fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts,
              fdShowHelp, fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton)
using TFontDialogOptions = TSet<TFontDialogOption>;
TASKMOOR_ENUM(TFontDialogDevice, fdScreen, fdPrinter, fdBoth)

class TFontDialogForm : public TForm {
    TASKMOOR_CLASS(TFontDialogForm, TForm)
public:
    explicit TFontDialogForm(TComponent* AOwner);
    TComboBox* NameCombo;
    TEdit* SizeEdit;
    TCheckBox* BoldCheck;
    TCheckBox* ItalicCheck;
    TCheckBox* UnderlineCheck;
    TCheckBox* StrikeOutCheck;
    TComboBox* ColorCombo;
    TButton* OKButton;
    TButton* CancelButton;
};

// Font holds the font shown first and, after OK, the one chosen (name,
// size, style and colour). A size that does not read, or lies outside
// MinFontSize .. MaxFontSize with fdLimitSize, keeps the form open with a
// message.
class TFontDialog : public TCommonDialog {
    TASKMOOR_CLASS(TFontDialog, TCommonDialog)
public:
    explicit TFontDialog(TComponent* AOwner);
    ~TFontDialog() override;
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    TFontDialogOptions Options() const { return FOptions; }
    void SetOptions(TFontDialogOptions Value) { FOptions = Value; }
    TFontDialogDevice Device() const { return FDevice; }
    void SetDevice(TFontDialogDevice Value) { FDevice = Value; }
    int MinFontSize() const { return FMinFontSize; }
    void SetMinFontSize(int Value) { FMinFontSize = Value; }
    int MaxFontSize() const { return FMaxFontSize; }
    void SetMaxFontSize(int Value) { FMaxFontSize = Value; }
    bool Execute() override;

private:
    void OKClick(TObject* Sender);
    std::unique_ptr<TFont> FFont;
    TFontDialogOptions FOptions{fdEffects};
    TFontDialogDevice FDevice = fdScreen;
    int FMinFontSize = 0, FMaxFontSize = 0;
    TFontDialogForm* FForm = nullptr;
};

// The colours the font dialog offers, with their names.
const std::vector<std::pair<TColor, std::string>>& FontDialogColors();

// ---- Print ---------------------------------------------------------------------------------------
TASKMOOR_ENUM(TPrintDialogOption, poPrintToFile, poPageNums, poSelection, poWarning, poHelp,
              poDisablePrintToFile)
using TPrintDialogOptions = TSet<TPrintDialogOption>;
TASKMOOR_ENUM(TPrintRange, prAllPages, prSelection, prPageNums)

class TPrintDialogForm : public TForm {
    TASKMOOR_CLASS(TPrintDialogForm, TForm)
public:
    explicit TPrintDialogForm(TComponent* AOwner);
    TComboBox* PrinterCombo;
    TCheckBox* PagesCheck;  // "Pages": print From .. To instead of all
    TEdit* FromEdit;
    TEdit* ToEdit;
    TEdit* CopiesEdit;
    TButton* OKButton;
    TButton* CancelButton;
};

// The printer (Printer()->PrinterIndex), the copies and, with poPageNums,
// a page range within MinPage .. MaxPage. After OK, PrintRange is
// prPageNums when the user chose pages, FromPage and ToPage the range.
class TPrintDialog : public TCommonDialog {
    TASKMOOR_CLASS(TPrintDialog, TCommonDialog)
public:
    explicit TPrintDialog(TComponent* AOwner);
    TPrintDialogOptions Options() const { return FOptions; }
    void SetOptions(TPrintDialogOptions Value) { FOptions = Value; }
    TPrintRange PrintRange() const { return FPrintRange; }
    void SetPrintRange(TPrintRange Value) { FPrintRange = Value; }
    int MinPage() const { return FMinPage; }
    void SetMinPage(int Value) { FMinPage = Value; }
    int MaxPage() const { return FMaxPage; }
    void SetMaxPage(int Value) { FMaxPage = Value; }
    int FromPage() const { return FFromPage; }
    void SetFromPage(int Value) { FFromPage = Value; }
    int ToPage() const { return FToPage; }
    void SetToPage(int Value) { FToPage = Value; }
    int Copies() const { return FCopies; }
    void SetCopies(int Value) { FCopies = Value; }
    bool Execute() override;

private:
    void OKClick(TObject* Sender);
    TPrintDialogOptions FOptions;
    TPrintRange FPrintRange = prAllPages;
    int FMinPage = 0, FMaxPage = 0, FFromPage = 0, FToPage = 0, FCopies = 1;
    TPrintDialogForm* FForm = nullptr;
};

// ---- Page setup ----------------------------------------------------------------------------------
TASKMOOR_ENUM(TPageSetupOption, psoMargins, psoDisablePaper, psoDisableOrientation, psoInThousandthsOfInches,
              psoInHundredthsOfMillimeters)
using TPageSetupOptions = TSet<TPageSetupOption>;

class TPageSetupDialogForm : public TForm {
    TASKMOOR_CLASS(TPageSetupDialogForm, TForm)
public:
    explicit TPageSetupDialogForm(TComponent* AOwner);
    TComboBox* PaperCombo;  // filled only when the paper may be chosen
    TComboBox* OrientationCombo;
    TEdit* LeftEdit;
    TEdit* TopEdit;
    TEdit* RightEdit;
    TEdit* BottomEdit;
    TButton* OKButton;
    TButton* CancelButton;
};

// Paper, orientation and the four margins of Printer(). Margins are in
// thousandths of an inch (psoInThousandthsOfInches) or hundredths of a
// millimetre (psoInHundredthsOfMillimeters) and are shown in inches or
// millimetres. On OK the printer takes the orientation and (unless
// psoDisablePaper) the paper.
class TPageSetupDialog : public TCommonDialog {
    TASKMOOR_CLASS(TPageSetupDialog, TCommonDialog)
public:
    explicit TPageSetupDialog(TComponent* AOwner);
    TPageSetupOptions Options() const { return FOptions; }
    void SetOptions(TPageSetupOptions Value) { FOptions = Value; }
    TRect Margins() const { return FMargins; }
    void SetMargins(const TRect& Value) { FMargins = Value; }
    int PaperSize() const { return FPaperSize; }
    void SetPaperSize(int Value) { FPaperSize = Value; }
    TPrinterOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrinterOrientation Value) { FOrientation = Value; }
    bool Execute() override;

private:
    void OKClick(TObject* Sender);
    TPageSetupOptions FOptions{psoMargins, psoInThousandthsOfInches};
    TRect FMargins;
    int FPaperSize = 1;
    TPrinterOrientation FOrientation = poPortrait;
    TPageSetupDialogForm* FForm = nullptr;
};
