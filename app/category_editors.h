// The two category editors of the "Edit" menu: a grid and a navigator over
// the main window's category tables ("catg.d" and "catg2.d"). The first
// leaves saving to the main window; the second saves its table when it
// closes.
#pragma once

#include "platform/ui/forms.h"

class TDataSource;
class TDBNavigator;
class TMainMenu;
class TMenuItem;
class TOstraDBGrid;
class TSpeedButton;
class TToolBar;

class TfrmCateg1 : public TForm {
    TASKMOOR_CLASS(TfrmCateg1, TForm)
public:
    explicit TfrmCateg1(TComponent* AOwner);

    TDataSource* dsCateg() const { return FdsCateg; }
    TToolBar* ToolBar1() const { return FToolBar1; }
    TDBNavigator* DBNavigator1() const { return FDBNavigator1; }
    TOstraDBGrid* OstraDBGrid1() const { return FOstraDBGrid1; }
    TMainMenu* MainMenu1() const { return FMainMenu1; }

private:
    TDataSource* FdsCateg;
    TToolBar* FToolBar1;
    TDBNavigator* FDBNavigator1;
    TOstraDBGrid* FOstraDBGrid1;
    TMainMenu* FMainMenu1;
};

class TfrmCateg2 : public TForm {
    TASKMOOR_CLASS(TfrmCateg2, TForm)
public:
    explicit TfrmCateg2(TComponent* AOwner);

    // Saves the table (a pending edit is posted first).
    void FormClose(TObject* Sender, TCloseAction& Action);

    TDataSource* dscatg2() const { return Fdscatg2; }
    TToolBar* ToolBar1() const { return FToolBar1; }
    TSpeedButton* SpeedButton1() const { return FSpeedButton1; }
    TSpeedButton* SpeedButton2() const { return FSpeedButton2; }
    TSpeedButton* SpeedButton3() const { return FSpeedButton3; }
    TDBNavigator* DBNavigator1() const { return FDBNavigator1; }
    TOstraDBGrid* OstraDBGrid1() const { return FOstraDBGrid1; }
    TMainMenu* MainMenu1() const { return FMainMenu1; }

private:
    TDataSource* Fdscatg2;
    TToolBar* FToolBar1;
    TSpeedButton* FSpeedButton1;
    TSpeedButton* FSpeedButton2;
    TSpeedButton* FSpeedButton3;
    TDBNavigator* FDBNavigator1;
    TOstraDBGrid* FOstraDBGrid1;
    TMainMenu* FMainMenu1;
};
