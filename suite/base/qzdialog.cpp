// The dialog base's abstract calls and the making of the OK, Cancel and Help buttons.
#include "suite/base/qzdialog.h"

#include "platform/core/abstract_error.h"
#include "platform/ui/application.h"
#include "platform/ui/buttons.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"

bool TqzCustomDialog::Execute() { AbstractError(); }

TDataSet* TqzCustomDialog::GetPrimaryDataSet() { AbstractError(); }

TButton* qzCreateDialogButton(TWinControl* Owner, int Kind) {
    TqzIntl* intl = qzIntl();
    const bool bitmapped = intl ? intl->OKCancelBitmapped() : true;
    const int ppi = Screen ? Screen->PixelsPerInch() : 96;
    TButton* button = nullptr;
    if (bitmapped) {
        auto* bit = new TBitBtn(Owner);
        button = bit;
        bit->SetParent(Owner);
        bit->SetVisible(false);
        bit->SetMargin(2);
        if (Kind >= bkCustom && Kind <= bkAll) bit->SetKind(static_cast<TBitBtnKind>(Kind));
        bit->SetLayout(blGlyphLeft);
        bit->SetNumGlyphs(2);
        bit->SetSpacing(-1);
        bit->SetBounds(bit->Left(), bit->Top(), qzScaleByPixelsPerInch(77, ppi),
                       qzScaleByPixelsPerInch(27, ppi));
        TFont* font = bit->Font();
        font->SetColor(clWindowText);
        font->SetHeight(-11);
        font->SetName("MS Sans Serif");
        if (intl) font->SetStyle(intl->DialogFontStyle());
    } else {
        button = new TButton(Owner);
        button->SetParent(Owner);
        button->SetVisible(false);
        button->SetBounds(button->Left(), button->Top(), qzScaleByPixelsPerInch(77, ppi),
                          qzScaleByPixelsPerInch(24, ppi));
    }
    switch (Kind) {
    case qzbkOK:
        button->SetCaption(intl ? intl->BtnOKCaption() : "&OK");
        button->SetModalResult(mrOk);
        break;
    case qzbkCancel:
        button->SetCaption(intl ? intl->BtnCancelCaption() : "Cancel");
        button->SetModalResult(mrCancel);
        button->SetCancel(true);
        break;
    case qzbkHelp: button->SetCaption("Help"); break;
    default: break;
    }
    return button;
}
