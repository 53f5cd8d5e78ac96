// The about box's labels and button, and the program's icon drawn on it.
#include "app/about_box.h"

#include "app/version_info.h"
#include "platform/core/files.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"

TAboutBox1::TAboutBox1(TComponent* AOwner) : TForm(AOwner) {
    SetName("AboutBox1");
    SetCaption("About");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(402);
    SetClientHeight(391);

    FPanel1 = new TPanel(this);
    FPanel1->SetName("Panel1");
    FPanel1->SetParent(this);
    FPanel1->SetBounds(8, 8, 386, 330);
    FPanel1->SetBevelInner(bvRaised);
    FPanel1->SetBevelOuter(bvLowered);
    FPanel1->SetCaption("");

    FProgramIcon = new TImage(this);
    FProgramIcon->SetName("ProgramIcon");
    FProgramIcon->SetParent(FPanel1);
    FProgramIcon->SetBounds(16, 16, 48, 48);
    DrawIcon();

    FProductName = new TLabel(this);
    FProductName->SetName("ProductName");
    FProductName->SetParent(FPanel1);
    FProductName->SetLeft(80);
    FProductName->SetTop(18);
    FProductName->Font()->SetSize(14);
    FProductName->Font()->SetStyle(TFontStyles{fsBold});
    FProductName->SetCaption("Taskmoor  Free ");

    FVersion = new TLabel(this);
    FVersion->SetName("Version");
    FVersion->SetParent(FPanel1);
    FVersion->SetLeft(80);
    FVersion->SetTop(50);
    FVersion->SetCaption("");

    FOKButton = new TButton(this);
    FOKButton->SetName("OKButton");
    FOKButton->SetParent(this);
    FOKButton->SetBounds(163, 352, 75, 25);
    FOKButton->SetCaption("OK");
    FOKButton->SetDefault(true);
    FOKButton->SetCancel(true);  // Escape closes the box too
    FOKButton->SetModalResult(mrOk);

    FZkVersionInfo1 = new TZkVersionInfo(this);
    FZkVersionInfo1->SetName("ZkVersionInfo1");

    SetOnCreate(MakeEvent(this, &TAboutBox1::FormCreate));
}

void TAboutBox1::FormCreate(TObject*) {
    // The running program's own file: its version is the one to show.
    FZkVersionInfo1->SetFileName(ApplicationExeName());
    FVersion->SetCaption(FZkVersionInfo1->GetStringByIndex(3));
}

void TAboutBox1::DrawIcon() { DrawProgramIcon(FProgramIcon->Picture()->Bitmap()); }

// A note pad with ticked lines.
void DrawProgramIcon(TBitmap* bmp) {
    bmp->SetSize(48, 48);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect{0, 0, 48, 48});
    c->Pen()->SetColor(clGray);
    c->Brush()->SetColor(RGB(255, 255, 236));
    c->Rectangle(8, 6, 42, 46);
    c->Brush()->SetColor(RGB(32, 64, 128));
    c->FillRect(TRect{8, 6, 42, 12});
    for (int i = 0; i < 4; ++i) {
        int y = 18 + i * 7;
        c->Pen()->SetColor(i < 2 ? RGB(0, 128, 0) : clSilver);
        c->Pen()->SetWidth(2);
        c->MoveTo(12, y);
        c->LineTo(14, y + 2);
        c->LineTo(18, y - 2);
        c->Pen()->SetWidth(1);
        c->Pen()->SetColor(clGray);
        c->MoveTo(21, y);
        c->LineTo(38, y);
    }
}
