// The common dialogs: colour, open file, save file and printer set-up.
//
// Execute shows the dialog modally and answers true when the user accepted;
// the dialog's properties then hold the choice. The dialogs go through a
// service: the real one shows the toolkit's dialogs, the test double
// (TTestStdDialogs) answers from a script and records each request.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/core/strings.h"
#include "platform/ui/controls.h"
#include "platform/ui/graphics.h"

class TCommonDialog : public TComponent {
    TASKMOOR_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* AOwner);

    virtual bool Execute() = 0;
    THelpContext HelpContext() const { return FHelpContext; }
    void SetHelpContext(THelpContext Value) { FHelpContext = Value; }
    TNotifyEvent OnShow() const { return FOnShow; }
    void SetOnShow(TNotifyEvent Value) { FOnShow = Value; }
    TNotifyEvent OnClose() const { return FOnClose; }
    void SetOnClose(TNotifyEvent Value) { FOnClose = Value; }

    static void Publish(TPublisher<TCommonDialog>& p);

protected:
    virtual void DoShow();
    virtual void DoClose();

private:
    THelpContext FHelpContext = 0;
    TNotifyEvent FOnShow, FOnClose;
};

// ---- Colour --------------------------------------------------------------------------------
TASKMOOR_ENUM(TColorDialogOption, cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor)
using TColorDialogOptions = TSet<TColorDialogOption>;

// Color is the colour shown first and, after Execute, the one chosen.
// CustomColors holds up to 16 lines "ColorA=BBGGRR" .. "ColorP=BBGGRR"
// (hexadecimal colour numbers) for the dialog's custom colour boxes; the
// user's changes come back into it.
class TColorDialog : public TCommonDialog {
    TASKMOOR_CLASS(TColorDialog, TCommonDialog)
public:
    explicit TColorDialog(TComponent* AOwner);
    ~TColorDialog() override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TStrings* CustomColors() const { return FCustomColors.get(); }
    void SetCustomColors(TStrings* Value);
    TColorDialogOptions Options() const { return FOptions; }
    void SetOptions(TColorDialogOptions Value) { FOptions = Value; }
    bool Execute() override;

    // The 16 custom colours of CustomColors (clWhite where a line is missing
    // or unreadable), and the way back.
    std::vector<TColor> CustomColorList() const;
    void SetCustomColorList(const std::vector<TColor>& Colors);

    static void Publish(TPublisher<TColorDialog>& p);

private:
    TColor FColor = clBlack;
    std::unique_ptr<TStringList> FCustomColors;
    TColorDialogOptions FOptions;
};

// ---- Files -----------------------------------------------------------------------------------
TASKMOOR_ENUM(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp,
              ofNoValidate, ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist,
              ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton,
              ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing,
              ofDontAddToRecent, ofForceShowHidden)
using TOpenOptions = TSet<TOpenOption>;

// Filter: "Text files (*.txt)|*.txt|All files|*.*" (description and
// patterns in pairs; patterns separated by ";"); FilterIndex counts from 1.
// After Execute, FileName holds the chosen file (with DefaultExt added when
// the name had no extension) and Files every chosen file.
class TOpenDialog : public TCommonDialog {
    TASKMOOR_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;

    std::string FileName() const { return FFileName; }
    void SetFileName(const std::string& Value) { FFileName = Value; }
    TStrings* Files() const { return FFiles.get(); }
    std::string Filter() const { return FFilter; }
    void SetFilter(const std::string& Value) { FFilter = Value; }
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int Value) { FFilterIndex = Value; }
    std::string InitialDir() const { return FInitialDir; }
    void SetInitialDir(const std::string& Value) { FInitialDir = Value; }
    std::string DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const std::string& Value) { FDefaultExt = Value; }
    std::string Title() const { return FTitle; }
    void SetTitle(const std::string& Value) { FTitle = Value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions Value) { FOptions = Value; }
    bool Execute() override;

    // The filter as (description, patterns) pairs.
    std::vector<std::pair<std::string, std::string>> FilterPairs() const;
    // True for a save dialog.
    virtual bool IsSaveDialog() const { return false; }

    static void Publish(TPublisher<TOpenDialog>& p);

private:
    std::string FFileName;
    std::unique_ptr<TStringList> FFiles;
    std::string FFilter;
    int FFilterIndex = 1;
    std::string FInitialDir;
    std::string FDefaultExt;
    std::string FTitle;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};

// The same for saving: with ofOverwritePrompt an existing file is confirmed
// first.
class TSaveDialog : public TOpenDialog {
    TASKMOOR_CLASS(TSaveDialog, TOpenDialog)
public:
    using TOpenDialog::TOpenDialog;
    bool IsSaveDialog() const override { return true; }
};

// ---- Printer set-up ---------------------------------------------------------------------------
// Lets the user choose the printer (Printer()->PrinterIndex) and its
// orientation; for the PDF printer also the file name.
class TPrinterSetupDialog : public TCommonDialog {
    TASKMOOR_CLASS(TPrinterSetupDialog, TCommonDialog)
public:
    using TCommonDialog::TCommonDialog;
    bool Execute() override;
};

// ---- The dialog service ------------------------------------------------------------------------
struct TFileDialogRequest {
    bool Save = false;
    std::string Title;
    std::string InitialDir;
    std::string FileName;
    std::vector<std::pair<std::string, std::string>> Filters;
    int FilterIndex = 1;
    bool MultiSelect = false;
    bool FileMustExist = false;
    bool OverwritePrompt = false;
};
struct TFileDialogAnswer {
    std::vector<std::string> Files;
    int FilterIndex = 1;
};
struct TPrinterSetupAnswer {
    int PrinterIndex = -1;
    int Orientation = 0;  // TPrinterOrientation
    std::string FileName;
};

class TStdDialogService {
public:
    virtual ~TStdDialogService() = default;
    // Each answers true when the user accepted (and fills the answer).
    virtual bool ChooseColor(TColor& Color, std::vector<TColor>& CustomColors, bool FullOpen,
                             THelpContext HelpContext) = 0;
    virtual bool ChooseFiles(const TFileDialogRequest& Request, TFileDialogAnswer& Answer) = 0;
    // Answer arrives filled with the present settings.
    virtual bool SetupPrinter(const std::vector<std::string>& Printers, TPrinterSetupAnswer& Answer,
                              THelpContext HelpContext) = 0;
};
TStdDialogService& StdDialogService();
// Installs a service (nullptr: the real one); answers the one it replaces.
TStdDialogService* SetStdDialogService(TStdDialogService* Service);

// Answers the common dialogs from a script: each Execute takes the next
// answer of its kind; a dialog without one is cancelled. Installs itself
// while it lives.
class TTestStdDialogs : public TStdDialogService {
public:
    TTestStdDialogs();
    ~TTestStdDialogs() override;

    void AnswerColor(bool Ok, TColor Color = clBlack) { FColors.push_back({Ok, Color}); }
    // One file, or several (multi-select), or a cancel (Ok false).
    void AnswerFiles(bool Ok, std::vector<std::string> Files = {}, int FilterIndex = 1);
    // The printer by name (must be in the list) or cancel.
    void AnswerPrinter(bool Ok, const std::string& PrinterName = std::string(), int Orientation = 0,
                       const std::string& FileName = std::string());

    int ColorRequests() const { return FColorRequests; }
    // The colour and custom colours the last colour dialog started with.
    TColor LastColorShown() const { return FLastColor; }
    const std::vector<TColor>& LastCustomColors() const { return FLastCustom; }
    const std::vector<TFileDialogRequest>& FileRequests() const { return FFileRequests; }
    int PrinterRequests() const { return FPrinterRequests; }
    THelpContext LastHelpContext() const { return FLastHelp; }

    bool ChooseColor(TColor& Color, std::vector<TColor>& CustomColors, bool FullOpen,
                     THelpContext HelpContext) override;
    bool ChooseFiles(const TFileDialogRequest& Request, TFileDialogAnswer& Answer) override;
    bool SetupPrinter(const std::vector<std::string>& Printers, TPrinterSetupAnswer& Answer,
                      THelpContext HelpContext) override;

private:
    struct TPrinterAnswer {
        bool Ok;
        std::string Name;
        int Orientation;
        std::string FileName;
    };
    TStdDialogService* FPrevious;
    std::deque<std::pair<bool, TColor>> FColors;
    std::deque<std::pair<bool, TFileDialogAnswer>> FFiles;
    std::deque<TPrinterAnswer> FPrinters;
    int FColorRequests = 0;
    TColor FLastColor = clNone;
    std::vector<TColor> FLastCustom;
    std::vector<TFileDialogRequest> FFileRequests;
    int FPrinterRequests = 0;
    THelpContext FLastHelp = 0;
};
