// Showing the page-setup form and writing its values back to the rich edit.
#include "suite/richtext/qzpagesetup.h"

#include <cmath>

#include "platform/ui/print_dialogs.h"
#include "platform/ui/printers.h"
#include "suite/richtext/qzriched.h"

TqzPageSetupDialog::TqzPageSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

bool TqzPageSetupDialog::Execute() {
    if (!FRichEdit) return false;
    TPageSetupDialog dlg(nullptr);
    TPageSetupOptions o{psoMargins};
    const bool paper = FRichEdit->UsesPrinterWidth();
    if (!paper) o.Include(psoDisablePaper);
    o.Include(FRichEdit->MeasurementUnits() == muCentimeters ? psoInHundredthsOfMillimeters
                                                             : psoInThousandthsOfInches);
    dlg.SetOptions(o);
    TqzPrintMargins* m = FRichEdit->PrintMargins();
    auto k = [](double v) { return static_cast<int>(std::lround(v * 1000)); };
    dlg.SetMargins(Rect(k(m->Left()), k(m->Top()), k(m->Right()), k(m->Bottom())));
    dlg.SetPaperSize(paper ? FRichEdit->PrintPageSize() : Printer()->PaperSize());
    dlg.SetOrientation(Printer()->Orientation());
    DoShow();
    const bool ok = dlg.Execute();
    DoClose();
    if (!ok) return false;
    const TRect r = dlg.Margins();
    m->SetLeft(r.Left / 1000.0);
    m->SetTop(r.Top / 1000.0);
    m->SetRight(r.Right / 1000.0);
    m->SetBottom(r.Bottom / 1000.0);
    // the chosen paper stays with the rich edit, which applies it when printing
    if (paper) FRichEdit->SetPrintPageSize(dlg.PaperSize());
    FRichEdit->UpdateFormatRect();
    return true;
}
