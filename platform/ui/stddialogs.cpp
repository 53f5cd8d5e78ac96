// The common dialogs and their service.
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/core/files.h"
#include "platform/core/sysutils.h"
#include "platform/ui/printers.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/qt_window_frame.h"
#include "platform/ui/stddialogs.h"

// ---- TCommonDialog -------------------------------------------------------------------------------

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

void TCommonDialog::DoShow() { FOnShow(this); }
void TCommonDialog::DoClose() { FOnClose(this); }

void TCommonDialog::Publish(TPublisher<TCommonDialog>& p) {
    p.Property("HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext);
    p.Property("OnShow", &TCommonDialog::OnShow, &TCommonDialog::SetOnShow);
    p.Property("OnClose", &TCommonDialog::OnClose, &TCommonDialog::SetOnClose);
}

// ---- TColorDialog ----------------------------------------------------------------------------------

TColorDialog::TColorDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FCustomColors(std::make_unique<TStringList>()) {}

TColorDialog::~TColorDialog() = default;

void TColorDialog::SetCustomColors(TStrings* Value) { FCustomColors->Assign(Value); }

std::vector<TColor> TColorDialog::CustomColorList() const {
    std::vector<TColor> colors(16, clWhite);
    for (int i = 0; i < 16; ++i) {
        const std::string name = std::string("Color") + static_cast<char>('A' + i);
        const std::string value = Trim(FCustomColors->Values(name));
        if (value.empty()) continue;
        int64_t n = 0;
        if (TryStrToInt64("$" + value, n) && n >= 0 && n <= 0xFFFFFF)
            colors[static_cast<std::size_t>(i)] = static_cast<TColor>(n);
    }
    return colors;
}

void TColorDialog::SetCustomColorList(const std::vector<TColor>& Colors) {
    for (std::size_t i = 0; i < Colors.size() && i < 16; ++i) {
        const std::string name = std::string("Color") + static_cast<char>('A' + i);
        FCustomColors->SetValues(name, IntToHex(ColorToRGB(Colors[i]), 6));
    }
}

bool TColorDialog::Execute() {
    DoShow();
    TColor color = FColor;
    std::vector<TColor> custom = CustomColorList();
    const bool ok =
        StdDialogService().ChooseColor(color, custom, FOptions.Contains(cdFullOpen), HelpContext());
    if (ok) {
        FColor = color;
        SetCustomColorList(custom);
    }
    DoClose();
    return ok;
}

void TColorDialog::Publish(TPublisher<TColorDialog>& p) {
    p.Property("Color", &TColorDialog::Color, &TColorDialog::SetColor);
    p.Property("CustomColors", &TColorDialog::CustomColors, &TColorDialog::SetCustomColors);
    p.Property("Options", &TColorDialog::Options, &TColorDialog::SetOptions);
}

// ---- TOpenDialog -----------------------------------------------------------------------------------

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FFiles(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

std::vector<std::pair<std::string, std::string>> TOpenDialog::FilterPairs() const {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = FFilter.find('|', start);
        parts.push_back(FFilter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::vector<std::pair<std::string, std::string>> pairs;
    if (FFilter.empty()) return pairs;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) pairs.push_back({parts[i], parts[i + 1]});
    // A lone description: its own text is the pattern.
    if (parts.size() % 2 == 1) pairs.push_back({parts.back(), parts.back()});
    return pairs;
}

bool TOpenDialog::Execute() {
    DoShow();
    TFileDialogRequest request;
    request.Save = IsSaveDialog();
    request.Title = FTitle;
    request.InitialDir = FInitialDir;
    request.FileName = FFileName;
    request.Filters = FilterPairs();
    request.FilterIndex = FFilterIndex;
    request.MultiSelect = FOptions.Contains(ofAllowMultiSelect);
    request.FileMustExist = FOptions.Contains(ofFileMustExist);
    request.OverwritePrompt = FOptions.Contains(ofOverwritePrompt);
    TFileDialogAnswer answer;
    bool ok = StdDialogService().ChooseFiles(request, answer) && !answer.Files.empty();
    if (ok) {
        FFiles->Clear();
        for (std::string f : answer.Files) {
            if (!FDefaultExt.empty() && ExtractFileExt(f).empty()) {
                const std::string ext = FDefaultExt[0] == '.' ? FDefaultExt : "." + FDefaultExt;
                f += ext;
            }
            FFiles->Add(f);
        }
        FFileName = FFiles->Strings(0);
        FFilterIndex = answer.FilterIndex;
        if (!FOptions.Contains(ofNoChangeDir)) FInitialDir = ExtractFileDir(FFileName);
    }
    DoClose();
    return ok;
}

void TOpenDialog::Publish(TPublisher<TOpenDialog>& p) {
    p.Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
    p.Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
    p.Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex);
    p.Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
    p.Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
    p.Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
    p.Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions);
}

// ---- TPrinterSetupDialog -----------------------------------------------------------------------------

bool TPrinterSetupDialog::Execute() {
    DoShow();
    TPrinter* printer = Printer();
    std::vector<std::string> names;
    TStrings* list = printer->Printers();
    for (int i = 0; i < list->Count(); ++i) names.push_back(list->Strings(i));
    TPrinterSetupAnswer answer;
    answer.PrinterIndex = printer->PrinterIndex();
    answer.Orientation = printer->Orientation();
    answer.FileName = printer->FileName();
    const bool ok = StdDialogService().SetupPrinter(names, answer, HelpContext());
    if (ok) {
        printer->SetPrinterIndex(answer.PrinterIndex);
        printer->SetOrientation(answer.Orientation == poLandscape ? poLandscape : poPortrait);
        printer->SetFileName(answer.FileName);
    }
    DoClose();
    return ok;
}

// ---- The real service ----------------------------------------------------------------------------------

namespace {

QColor ToQtColor(TColor C) {
    const int32_t rgb = ColorToRGB(C);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
TColor FromQtColor(const QColor& C) { return RGB(C.red(), C.green(), C.blue()); }

class TQtStdDialogService : public TStdDialogService {
public:
    bool ChooseColor(TColor& Color, std::vector<TColor>& CustomColors, bool FullOpen, THelpContext) override {
        EnsureToolkit();
        for (int i = 0; i < QColorDialog::customCount() && i < static_cast<int>(CustomColors.size()); ++i)
            QColorDialog::setCustomColor(i, ToQtColor(CustomColors[static_cast<std::size_t>(i)]));
        QColorDialog dialog(ToQtColor(Color));
        dialog.setFont(InterfaceQFont());
        dialog.setOption(QColorDialog::DontUseNativeDialog, true);
        (void)FullOpen;
        FitOnceFramed(&dialog);
        if (dialog.exec() != QDialog::Accepted) return false;
        Color = FromQtColor(dialog.selectedColor());
        for (int i = 0; i < QColorDialog::customCount() && i < static_cast<int>(CustomColors.size()); ++i)
            CustomColors[static_cast<std::size_t>(i)] = FromQtColor(QColorDialog::customColor(i));
        return true;
    }

    bool ChooseFiles(const TFileDialogRequest& Request, TFileDialogAnswer& Answer) override {
        EnsureToolkit();
        QFileDialog dialog(nullptr, ToQString(Request.Title));
        dialog.setFont(InterfaceQFont());
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(Request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(Request.Save            ? QFileDialog::AnyFile
                           : Request.MultiSelect   ? QFileDialog::ExistingFiles
                           : Request.FileMustExist ? QFileDialog::ExistingFile
                                                   : QFileDialog::AnyFile);
        if (Request.Save && !Request.OverwritePrompt)
            dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (!Request.InitialDir.empty()) dialog.setDirectory(ToQString(Request.InitialDir));
        if (!Request.FileName.empty()) dialog.selectFile(ToQString(Request.FileName));
        QStringList filters;
        for (const auto& [desc, patterns] : Request.Filters) {
            QString p = ToQString(patterns);
            p.replace(';', ' ');
            // A description that already ends in its patterns is shown as it is.
            const QString d = ToQString(desc).trimmed();
            filters << (d.endsWith("(" + p + ")", Qt::CaseInsensitive) ? d : d + " (" + p + ")");
        }
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            const int index = std::clamp(Request.FilterIndex, 1, static_cast<int>(filters.size())) - 1;
            dialog.selectNameFilter(filters[index]);
        }
        FitOnceFramed(&dialog);
        if (dialog.exec() != QDialog::Accepted) return false;
        for (const QString& f : dialog.selectedFiles()) Answer.Files.push_back(FromQString(f));
        Answer.FilterIndex = std::max(1, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
        return true;
    }

    bool SetupPrinter(const std::vector<std::string>& Printers, TPrinterSetupAnswer& Answer,
                      THelpContext) override {
        EnsureToolkit();
        QDialog dialog;
        dialog.setFont(InterfaceQFont());
        dialog.setWindowTitle("Print Setup");
        auto* layout = new QVBoxLayout(&dialog);
        auto* form = new QFormLayout();
        auto* names = new QComboBox(&dialog);
        for (const std::string& n : Printers) names->addItem(ToQString(n));
        names->setCurrentIndex(Answer.PrinterIndex);
        form->addRow("&Name:", names);
        auto* portrait = new QRadioButton("P&ortrait", &dialog);
        auto* landscape = new QRadioButton("L&andscape", &dialog);
        (Answer.Orientation == poLandscape ? landscape : portrait)->setChecked(true);
        form->addRow("Orientation:", portrait);
        form->addRow("", landscape);
        auto* file = new QLineEdit(ToQString(Answer.FileName), &dialog);
        form->addRow("PDF &file:", file);
        auto update = [names, file] { file->setEnabled(names->currentText() == PdfPrinterName); };
        QObject::connect(names, qOverload<int>(&QComboBox::currentIndexChanged), update);
        update();
        layout->addLayout(form);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(buttons);
        FitOnceFramed(&dialog);
        if (dialog.exec() != QDialog::Accepted) return false;
        Answer.PrinterIndex = names->currentIndex();
        Answer.Orientation = landscape->isChecked() ? poLandscape : poPortrait;
        Answer.FileName = FromQString(file->text());
        return true;
    }
};

TQtStdDialogService& RealStdDialogService() {
    static TQtStdDialogService service;
    return service;
}
TStdDialogService* GStdDialogService = nullptr;

}  // namespace

TStdDialogService& StdDialogService() {
    return GStdDialogService ? *GStdDialogService : RealStdDialogService();
}

TStdDialogService* SetStdDialogService(TStdDialogService* Service) {
    TStdDialogService* old = GStdDialogService ? GStdDialogService : &RealStdDialogService();
    GStdDialogService = Service == &RealStdDialogService() ? nullptr : Service;
    return old;
}

// ---- TTestStdDialogs ----------------------------------------------------------------------------------------

TTestStdDialogs::TTestStdDialogs() : FPrevious(SetStdDialogService(this)) {}

TTestStdDialogs::~TTestStdDialogs() { SetStdDialogService(FPrevious); }

void TTestStdDialogs::AnswerFiles(bool Ok, std::vector<std::string> Files, int FilterIndex) {
    TFileDialogAnswer a;
    a.Files = std::move(Files);
    a.FilterIndex = FilterIndex;
    FFiles.push_back({Ok, a});
}

void TTestStdDialogs::AnswerPrinter(bool Ok, const std::string& PrinterName, int Orientation,
                                    const std::string& FileName) {
    FPrinters.push_back({Ok, PrinterName, Orientation, FileName});
}

bool TTestStdDialogs::ChooseColor(TColor& Color, std::vector<TColor>& CustomColors, bool,
                                  THelpContext HelpContext) {
    ++FColorRequests;
    FLastColor = Color;
    FLastCustom = CustomColors;
    FLastHelp = HelpContext;
    if (FColors.empty()) return false;
    const auto [ok, color] = FColors.front();
    FColors.pop_front();
    if (ok) Color = color;
    return ok;
}

bool TTestStdDialogs::ChooseFiles(const TFileDialogRequest& Request, TFileDialogAnswer& Answer) {
    FFileRequests.push_back(Request);
    if (FFiles.empty()) return false;
    const auto [ok, answer] = FFiles.front();
    FFiles.pop_front();
    if (ok) Answer = answer;
    return ok;
}

bool TTestStdDialogs::SetupPrinter(const std::vector<std::string>& Printers, TPrinterSetupAnswer& Answer,
                                   THelpContext HelpContext) {
    ++FPrinterRequests;
    FLastHelp = HelpContext;
    if (FPrinters.empty()) return false;
    const TPrinterAnswer a = FPrinters.front();
    FPrinters.pop_front();
    if (!a.Ok) return false;
    auto it = std::find(Printers.begin(), Printers.end(), a.Name);
    if (it == Printers.end()) throw EInvalidOperation("Printer \"" + a.Name + "\" is not in the list");
    Answer.PrinterIndex = static_cast<int>(it - Printers.begin());
    Answer.Orientation = a.Orientation;
    Answer.FileName = a.FileName;
    return true;
}
