// The quote box's form: the quote and author labels, the icon and the OK button.
#include "app/quote_box.h"

#include "app/about_box.h"

#include "platform/ui/bitmaps.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

TFrmQuoteBox::TFrmQuoteBox(TComponent* AOwner, TDataSource* Quotes) : TForm(AOwner) {
    SetName("FrmQuoteBox");
    SetCaption("Quote");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(298);
    SetClientHeight(239);

    FPanel1 = new TPanel(this);
    FPanel1->SetName("Panel1");
    FPanel1->SetParent(this);
    FPanel1->SetBounds(8, 8, 282, 186);
    FPanel1->SetBevelInner(bvRaised);
    FPanel1->SetBevelOuter(bvLowered);
    FPanel1->SetCaption("");

    FProgramIcon = new TImage(this);
    FProgramIcon->SetName("ProgramIcon");
    FProgramIcon->SetParent(FPanel1);
    FProgramIcon->SetBounds(10, 10, 48, 48);
    DrawIcon();

    FDBText1 = new TDBText(this);
    FDBText1->SetName("DBText1");
    FDBText1->SetParent(FPanel1);
    FDBText1->SetAutoSize(false);
    FDBText1->SetWordWrap(true);
    FDBText1->SetBounds(68, 10, 204, 136);
    FDBText1->SetDataSource(Quotes);
    FDBText1->SetDataField("Quote");

    FDBText2 = new TDBText(this);
    FDBText2->SetName("DBText2");
    FDBText2->SetParent(FPanel1);
    FDBText2->SetAutoSize(false);
    FDBText2->SetBounds(68, 154, 204, 20);
    FDBText2->Font()->SetStyle(TFontStyles{fsItalic});
    FDBText2->SetDataSource(Quotes);
    FDBText2->SetDataField("Author");

    FOKButton = new TButton(this);
    FOKButton->SetName("OKButton");
    FOKButton->SetParent(this);
    FOKButton->SetBounds(111, 204, 75, 25);
    FOKButton->SetCaption("OK");
    FOKButton->SetDefault(true);
    FOKButton->SetModalResult(mrOk);
}

void TFrmQuoteBox::DrawIcon() { DrawProgramIcon(FProgramIcon->Picture()->Bitmap()); }
