// The quote box: the current quote of the main window's quote table and its
// author, beside the program's icon, with an OK button.
#pragma once

#include "platform/ui/forms.h"

class TButton;
class TDataSource;
class TDBText;
class TImage;
class TPanel;

class TFrmQuoteBox : public TForm {
    TASKMOOR_CLASS(TFrmQuoteBox, TForm)
public:
    // Quotes: the main window's quote source.
    TFrmQuoteBox(TComponent* AOwner, TDataSource* Quotes);

    TPanel* Panel1() const { return FPanel1; }
    TImage* ProgramIcon() const { return FProgramIcon; }
    TDBText* DBText1() const { return FDBText1; }  // Quote
    TDBText* DBText2() const { return FDBText2; }  // Author
    TButton* OKButton() const { return FOKButton; }

private:
    void DrawIcon();
    TPanel* FPanel1;
    TImage* FProgramIcon;
    TDBText* FDBText1;
    TDBText* FDBText2;
    TButton* FOKButton;
};
