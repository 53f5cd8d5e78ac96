// TfrmToDo: the to-do program's main window.
//
// Seven tabs (Today, Actions Group 1, Actions Group 2, Archived, Catch All,
// Quotes, Projects) over tables of the engine, each table opened through a
// TOstraTable of this form and shown in the engine's grids through data
// sources; a tool bar with the navigator and the command buttons, a menu,
// the quote of the day along the bottom and a status bar. The form is built
// in code (main_form_build.cpp: tables and sources; main_form_frame.cpp:
// menu, tool bar, tabs and panels; main_form_grids.cpp: grids and columns);
// its handlers are in main_form.cpp. The work behind the handlers lives in
// collaborators of their own: TToDoTables (tables and views), TTitleSort
// and TRowColours (sorting and colours), TTaskMover (moving and
// archiving), backup.h (backup and restore), quotes.h (quotes) and
// TToDoSettings (the settings file).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/todo_tables.h"
#include "engine-controls/ostra_dbgrid_columns.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/form_min_size.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"

class TqzFilterDialog;

class TAsciiFile;
class TColorDialog;
class TDataSource;
class TDataSet;
class TDBCheckBox;
class TDBMemo;
class TDBNavigator;
class TDBText;
class TLabel;
class TMainMenu;
class TMenuItem;
class TOstraColumn;
class TOstraDatabase;
class TOstraDBEdit;
class TOstraDBGrid;
class TOstraTable;
class TPageControl;
class TPanel;
class TScrollBox;
class TRowColours;
class TSpeedButton;
class TStatusBar;
class TTabSheet;
class TTaskMover;
class TToDoSettings;
class TToolBar;

// A component of the form: a getter named as the component, the field F<name>.
#define MAINFORM_COMPONENT(Type, Name)     \
public:                                    \
    Type* Name() const { return F##Name; } \
                                           \
private:                                   \
    Type* F##Name = nullptr;

class TfrmToDo : public TMinSizeForm {
    TASKMOOR_CLASS(TfrmToDo, TMinSizeForm)
public:
    explicit TfrmToDo(TComponent* AOwner);
    ~TfrmToDo() override;

    // ---- Private state, readable for the program's other forms
    int QuoteSelected() const;
    TColor AltRowColour() const;

    // The settings file (TToDoSettings::FileName).
    static std::string SettingsFileName();
    // The eight grids, by number (1 to 8); nullptr outside.
    TOstraDBGrid* Grid(int Number) const;
    // The title-click sort state shared by all grids, as at the start of a run.
    static void ResetTitleSort();

    // ---- Life cycle and tabs
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void PageControl1Change(TObject* Sender);
    void TabSheet7Exit(TObject* Sender);

    // ---- Task commands
    void spBtnAddClick(TObject* Sender);
    void spBtnDeleteClick(TObject* Sender);
    void spbtnSaveClick(TObject* Sender);
    void SaveChgs();
    void DBNavigator1Click(TObject* Sender, TNavigateBtn Button);
    void SpeedButton1Click(TObject* Sender);
    void Exit1Click(TObject* Sender);
    void spbtnPrintClick(TObject* Sender);
    void SpeedButton13Click(TObject* Sender);
    void OstraDBGrid1EditButtonClick(TObject* Sender, TOstraColumn* Column);
    void OstraDBGrid8Enter(TObject* Sender);
    void OstraDBGrid8Exit(TObject* Sender);

    // ---- Dialogs
    void Categories1Click(TObject* Sender);
    void Categories21Click(TObject* Sender);
    void Calendar1Click(TObject* Sender);
    void About1Click(TObject* Sender);

    // ---- Table events
    void dTask_NewRecord(TDataSet* DataSet);
    void dtask2_NewRecord(TDataSet* DataSet);
    void tblToDay1_NewRecord(TDataSet* DataSet);
    void tblToDay2_NewRecord(TDataSet* DataSet);
    void dList_NewRecord(TDataSet* DataSet);
    void dList_AfterOpen(TDataSet* DataSet);
    void dSelQuotes_CalcFields(TDataSet* DataSet);

    // ---- Sorting and colours
    void OstraDBGrid1TitleClick(TObject* Sender, TOstraColumn* Column);
    void OstraDBGrid2TitleClick(TObject* Sender, TOstraColumn* Column);
    void OstraDBGrid3TitleClick(TObject* Sender, TOstraColumn* Column);
    void OstraDBGrid4TitleClick(TObject* Sender, TOstraColumn* Column);
    void OstraDBGrid5TitleClick(TObject* Sender, TOstraColumn* Column);
    void OstraDBGrid6TitleClick(TObject* Sender, TOstraColumn* Column);
    void OstraDBGrid7TitleClick(TObject* Sender, TOstraColumn* Column);
    void OstraDBGrid8TitleClick(TObject* Sender, TOstraColumn* Column);
    void OstraDBGrid1DrawCellAttr(TObject* Sender, TOstraColumn* Column, TFont* AFont, TColor& AColor,
                                  TGridDrawState State);
    void OstraDBGrid2DrawCellAttr(TObject* Sender, TOstraColumn* Column, TFont* AFont, TColor& AColor,
                                  TGridDrawState State);
    void OstraDBGrid3DrawCellAttr(TObject* Sender, TOstraColumn* Column, TFont* AFont, TColor& AColor,
                                  TGridDrawState State);
    void OstraDBGrid4DrawCellAttr(TObject* Sender, TOstraColumn* Column, TFont* AFont, TColor& AColor,
                                  TGridDrawState State);
    void OstraDBGrid5DrawCellAttr(TObject* Sender, TOstraColumn* Column, TFont* AFont, TColor& AColor,
                                  TGridDrawState State);
    void OstraDBGrid6DrawCellAttr(TObject* Sender, TOstraColumn* Column, TFont* AFont, TColor& AColor,
                                  TGridDrawState State);
    void OstraDBGrid7DrawCellAttr(TObject* Sender, TOstraColumn* Column, TFont* AFont, TColor& AColor,
                                  TGridDrawState State);
    void OstraDBGrid8DrawCellAttr(TObject* Sender, TOstraColumn* Column, TFont* AFont, TColor& AColor,
                                  TGridDrawState State);
    void Option1Click(TObject* Sender);

    // ---- Moving, archiving, backup and restore
    void spBtnMoveCmplClick(TObject* Sender);
    void sbtnArchiveClick(TObject* Sender);
    void Backup1Click(TObject* Sender);
    void Restore1Click(TObject* Sender);

    // ---- Quotes
    void spbtnRandQuoteClick(TObject* Sender);
    void SpeedButton4Click(TObject* Sender);
    void OstraDBGrid4DblClick(TObject* Sender);
    void dQuotes_NewRecord(TDataSet* DataSet);

    // ---- Filter (the filter dialog)
    void SpeedButton5Click(TObject* Sender);
    void SpeedButton3Click(TObject* Sender);
    // The data source the filter commands work on for the current tab.
    TDataSource* FilterSource() const;

    // ---- Data model
    MAINFORM_COMPONENT(TOstraDatabase, OstraDb)
    MAINFORM_COMPONENT(TOstraTable, dTask_)
    MAINFORM_COMPONENT(TOstraTable, dtask2_)
    MAINFORM_COMPONENT(TOstraTable, tblToDay1_)
    MAINFORM_COMPONENT(TOstraTable, tblToDay2_)
    MAINFORM_COMPONENT(TOstraTable, dList_)
    MAINFORM_COMPONENT(TOstraTable, dArchive_)
    MAINFORM_COMPONENT(TOstraTable, dQuotes_)
    MAINFORM_COMPONENT(TOstraTable, dSelQuotes_)
    MAINFORM_COMPONENT(TOstraTable, dGoals_)
    MAINFORM_COMPONENT(TOstraTable, dGoalGrp_)
    MAINFORM_COMPONENT(TOstraTable, dCateg)
    MAINFORM_COMPONENT(TOstraTable, dCateg2)
    MAINFORM_COMPONENT(TOstraTable, dStatus1)
    MAINFORM_COMPONENT(TOstraTable, vtblAppids_)
    MAINFORM_COMPONENT(TDataSource, DataTask)
    MAINFORM_COMPONENT(TDataSource, dsTask2)
    MAINFORM_COMPONENT(TDataSource, dstday)
    MAINFORM_COMPONENT(TDataSource, dsTday2)
    MAINFORM_COMPONENT(TDataSource, dsList)
    MAINFORM_COMPONENT(TDataSource, dsArchive)
    MAINFORM_COMPONENT(TDataSource, dsQuotes)
    MAINFORM_COMPONENT(TDataSource, dsSelQ)
    MAINFORM_COMPONENT(TDataSource, dsGoals)
    MAINFORM_COMPONENT(TDataSource, dsGoalGrp)
    MAINFORM_COMPONENT(TDataSource, DataCatg)
    MAINFORM_COMPONENT(TDataSource, dsCateg)
    MAINFORM_COMPONENT(TDataSource, dsCateg2)
    MAINFORM_COMPONENT(TDataSource, dsStatus1)
    MAINFORM_COMPONENT(TDataSource, dsAppIds)
    MAINFORM_COMPONENT(TColorDialog, ColorDialog1)
    MAINFORM_COMPONENT(TqzFilterDialog, qzfilterD1)
    MAINFORM_COMPONENT(TAsciiFile, AsciiFile1)

    // ---- Menu
    MAINFORM_COMPONENT(TMainMenu, MainMenu1)
    MAINFORM_COMPONENT(TMenuItem, File1)
    MAINFORM_COMPONENT(TMenuItem, Backup1)
    MAINFORM_COMPONENT(TMenuItem, Restore1)
    MAINFORM_COMPONENT(TMenuItem, Calendar1)
    MAINFORM_COMPONENT(TMenuItem, Exit1)
    MAINFORM_COMPONENT(TMenuItem, Edit1)
    MAINFORM_COMPONENT(TMenuItem, Categories1)
    MAINFORM_COMPONENT(TMenuItem, Categories21)
    MAINFORM_COMPONENT(TMenuItem, Help1)
    MAINFORM_COMPONENT(TMenuItem, Help2)
    MAINFORM_COMPONENT(TMenuItem, Option1)
    MAINFORM_COMPONENT(TMenuItem, About1)

    // ---- Tool bar
    MAINFORM_COMPONENT(TToolBar, ToolBar1)
    MAINFORM_COMPONENT(TDBNavigator, DBNavigator1)
    MAINFORM_COMPONENT(TSpeedButton, SpeedButton1)    // "Undo"
    MAINFORM_COMPONENT(TSpeedButton, spBtnAdd)        // "Add"
    MAINFORM_COMPONENT(TSpeedButton, spBtnDelete)     // "Delete"
    MAINFORM_COMPONENT(TSpeedButton, spbtnPrint)      // "Print Selected List"
    MAINFORM_COMPONENT(TSpeedButton, spbtnSave)       // "Save Changes"
    MAINFORM_COMPONENT(TSpeedButton, spBtnMoveCmpl)   // "Move selected to InBasket"
    MAINFORM_COMPONENT(TSpeedButton, SpeedButton5)    // "Filter Records"
    MAINFORM_COMPONENT(TSpeedButton, SpeedButton3)    // "Remove Filter"
    MAINFORM_COMPONENT(TSpeedButton, sbtnArchive)     // "Archive Selected Item"
    MAINFORM_COMPONENT(TSpeedButton, spbtnRandQuote)  // "QR"
    MAINFORM_COMPONENT(TSpeedButton, SpeedButton4)    // "QD"
    MAINFORM_COMPONENT(TSpeedButton, SpeedButton2)    // "Exit"
    MAINFORM_COMPONENT(TSpeedButton, SpeedButton13)   // "Help"

    // ---- Tabs
    MAINFORM_COMPONENT(TPageControl, PageControl1)
    MAINFORM_COMPONENT(TTabSheet, TabSheet7)  // "Today"
    MAINFORM_COMPONENT(TTabSheet, TabSheet1)  // "Actions Group 1"
    MAINFORM_COMPONENT(TTabSheet, TabSheet2)  // "Actions Group 2"
    MAINFORM_COMPONENT(TTabSheet, TabSheet3)  // "Archived"
    MAINFORM_COMPONENT(TTabSheet, TabSheet4)  // "Catch All"
    MAINFORM_COMPONENT(TTabSheet, TabSheet5)  // "Quotes"
    MAINFORM_COMPONENT(TTabSheet, TabSheet6)  // "Projects"

    // ---- Today tab
    MAINFORM_COMPONENT(TPanel, Panel1)  // the quote
    MAINFORM_COMPONENT(TDBText, DBText2)
    MAINFORM_COMPONENT(TDBText, DBText3)
    MAINFORM_COMPONENT(TPanel, Panel2)  // "Actions Group 1"
    MAINFORM_COMPONENT(TPanel, Panel4)  // its heading
    MAINFORM_COMPONENT(TPanel, Panel3)  // "Actions Group 2"
    MAINFORM_COMPONENT(TPanel, Panel5)  // its heading

    // ---- Grids
    MAINFORM_COMPONENT(TOstraDBGrid, OstraDBGrid1)
    MAINFORM_COMPONENT(TOstraDBGrid, OstraDBGrid2)
    MAINFORM_COMPONENT(TOstraDBGrid, OstraDBGrid3)
    MAINFORM_COMPONENT(TOstraDBGrid, OstraDBGrid4)
    MAINFORM_COMPONENT(TOstraDBGrid, OstraDBGrid5)
    MAINFORM_COMPONENT(TOstraDBGrid, OstraDBGrid6)
    MAINFORM_COMPONENT(TOstraDBGrid, OstraDBGrid7)
    MAINFORM_COMPONENT(TOstraDBGrid, OstraDBGrid8)

    // ---- Projects tab
    MAINFORM_COMPONENT(TScrollBox, ProjectScroll)  // holds Panel6
    MAINFORM_COMPONENT(TPanel, Panel6)             // the edits under the grid
    MAINFORM_COMPONENT(TLabel, Label1)             // "Project"
    MAINFORM_COMPONENT(TDBMemo, DBMemo1)
    MAINFORM_COMPONENT(TLabel, Label2)  // "Description"
    MAINFORM_COMPONENT(TDBMemo, DBMemo2)
    MAINFORM_COMPONENT(TLabel, Label3)  // "Importance"
    MAINFORM_COMPONENT(TDBMemo, DBMemo3)
    MAINFORM_COMPONENT(TLabel, Label4)  // "Steps "
    MAINFORM_COMPONENT(TDBMemo, DBMemo4)
    MAINFORM_COMPONENT(TDBCheckBox, DBCheckBox1)  // "Flag"
    MAINFORM_COMPONENT(TLabel, Label5)            // "Date"
    MAINFORM_COMPONENT(TOstraDBEdit, OstraDBEdit1)
    MAINFORM_COMPONENT(TLabel, Label6)  // "Target Date"
    MAINFORM_COMPONENT(TOstraDBEdit, OstraDBEdit2)
    MAINFORM_COMPONENT(TLabel, Label7)  // "Group"
    MAINFORM_COMPONENT(TOstraDBEdit, OstraDBEdit3)
    MAINFORM_COMPONENT(TLabel, Label8)  // "Priority"
    MAINFORM_COMPONENT(TOstraDBEdit, OstraDBEdit4)
    MAINFORM_COMPONENT(TDBCheckBox, DBCheckBox2)  // "Complete"

    // ---- Frame
    MAINFORM_COMPONENT(TPanel, Panel7)  // the quote of the day
    MAINFORM_COMPONENT(TDBText, DBText1)
    MAINFORM_COMPONENT(TStatusBar, StatusBar1)

private:
    // Empties the selections of the grids over Tables.
    void DropSelectionsOver(const std::vector<TOstraTable*>& Tables);
    // main_form_build.cpp
    void BuildDataModel();
    // Its steps: the tables over their files, a data source for each.
    void BuildTables();
    void BuildDataSources();
    // main_form_frame.cpp
    void BuildMenu();
    void BuildFilterDialog();
    void BuildToolBar();
    void BuildFrame();
    void BuildTabs();
    void BuildProjectEdits();
    void TodaySheetResize(TObject* Sender);
    void ProjectSheetResize(TObject* Sender);
    void ProjectScrollResize(TObject* Sender);
    // The window keeps the size its panels need (the Projects page whole).
    void KeepRoomForPanels();
    // main_form_grids.cpp
    void BuildGrids();
    // A fast second click on a cell is a double click, which the grid leaves
    // to its handler: on the editing grids it opens the editor on the cell
    // just clicked, as a slower second click does.
    void EditingGridMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void EditingGridDblClick(TObject* Sender);
    TOstraDBGrid* FClickedGrid = nullptr;
    TGridCoord FClickedCell{-1, -1};

    // The handlers not bound while building.
    void BindHandlers();
    // The task file of the active tab (the two group lists only); nullptr elsewhere.
    const TToDoTables::TTaskFile* ActiveTaskFile() const;

    // The collaborators behind the handlers.
    std::unique_ptr<TToDoTables> FTables;
    std::unique_ptr<TTaskMover> FMover;
    std::unique_ptr<TRowColours> FColours;
    std::unique_ptr<TToDoSettings> FSettings;
    // The close comes from the Undo button: its No undoes.
    bool FUndoing = false;
};

#undef MAINFORM_COMPONENT

// The main window while it exists (the program's other forms reach its
// tables through it).
extern TfrmToDo* frmToDo;
