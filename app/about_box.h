// The about box: the program's icon, name and file version.
#pragma once

#include "platform/ui/forms.h"

class TPanel;
class TImage;
class TLabel;
class TButton;
class TZkVersionInfo;
class TBitmap;

// Draws the program's icon, a note pad with ticked lines, at 48 x 48.
void DrawProgramIcon(TBitmap* bmp);

class TAboutBox1 : public TForm {
    TASKMOOR_CLASS(TAboutBox1, TForm)
public:
    explicit TAboutBox1(TComponent* AOwner);

    TPanel* Panel1() const { return FPanel1; }
    TImage* ProgramIcon() const { return FProgramIcon; }
    TLabel* ProductName() const { return FProductName; }
    TLabel* Version() const { return FVersion; }
    TButton* OKButton() const { return FOKButton; }
    TZkVersionInfo* ZkVersionInfo1() const { return FZkVersionInfo1; }

    void FormCreate(TObject* Sender);

private:
    void DrawIcon();
    TPanel* FPanel1;
    TImage* FProgramIcon;
    TLabel* FProductName;
    TLabel* FVersion;
    TButton* FOKButton;
    TZkVersionInfo* FZkVersionInfo1;
};
