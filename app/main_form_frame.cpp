// The main window's frame: the menu, the tool bar, the quote of the day and
// the status bar along the bottom, the seven tabs, the panels of the Today
// tab and the edits of the Projects tab.
#include <algorithm>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/main_form_glyphs.h"
#include "app/main_form_parts.h"
#include "engine-controls/ostra_dbedit.h"
#include "engine-controls/ostra_dbgrid.h"
#include "engine/ostra_table.h"
#include "platform/core/strings.h"
#include "platform/db/datasource.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/drawing.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"

namespace {

// Height of the quote strip at the top of the Today tab.
constexpr int TodayQuoteHeight = 66;
constexpr int HeadingHeight = 20;
// The Projects edit panel as laid out: its first height, and the width its
// bottom row of edits needs.
constexpr int ProjectEditsHeight = 268;
constexpr int ProjectEditsWidth = 688;
// The Projects grid's height, and the least it gives up to on a small screen.
constexpr int ProjectGridHeight = 250;
constexpr int ProjectGridLeast = 96;

TMenuItem* AddItem(TfrmToDo* Form, TMenuItem* Parent, const char* Name, const char* Caption,
                   void (TfrmToDo::*Handler)(TObject*) = nullptr) {
    auto* item = MakeComponent<TMenuItem>(Form, nullptr, Name);
    item->SetCaption(Caption);
    if (Handler) item->SetOnClick(TNotifyEvent(Form, Handler));
    Parent->Add(item);
    return item;
}

TSpeedButton* AddButton(TfrmToDo* Form, TToolBar* Bar, int& Left, const char* Name, const char* Hint) {
    auto* button = MakeComponent<TSpeedButton>(Form, Bar, Name);
    button->SetBounds(Left, 0, Bar->ButtonWidth(), Bar->ButtonHeight());
    button->SetFlat(true);
    button->SetHint(Hint);
    button->SetShowHint(true);
    Left += Bar->ButtonWidth();
    return button;
}

void AddSeparator(TfrmToDo* Form, TToolBar* Bar, int& Left, const std::string& Name) {
    auto* gap = MakeComponent<TToolButton>(Form, Bar, Name);
    gap->SetStyle(tbsDivider);
    gap->SetBounds(Left, 0, 8, Bar->ButtonHeight());
    Left += 8;
}

// A panel's heading strip: a panel with the caption at its left.
TPanel* MakeHeading(TfrmToDo* Form, TWinControl* Parent, const char* Name, const char* Caption) {
    auto* heading = MakeComponent<TPanel>(Form, Parent, Name);
    heading->SetAlign(alTop);
    heading->SetHeight(HeadingHeight);
    heading->SetCaption(Caption);
    heading->SetAlignment(taLeftJustify);
    heading->SetBevelOuter(bvNone);
    heading->SetColor(0xE8D9C4);
    heading->Font()->SetStyle(TFontStyles{fsBold});
    heading->Font()->SetColor(0x6E3A12);
    return heading;
}

TLabel* MakeLabel(TfrmToDo* Form, TWinControl* Parent, const char* Name, const char* Caption, int Left,
                  int Top) {
    auto* label = MakeComponent<TLabel>(Form, Parent, Name);
    label->SetLeft(Left);
    label->SetTop(Top);
    label->SetCaption(Caption);
    return label;
}

TDBMemo* MakeMemo(TfrmToDo* Form, TWinControl* Parent, const char* Name, TDataSource* Source,
                  const char* Field, const TRect& Bounds) {
    auto* memo = MakeComponent<TDBMemo>(Form, Parent, Name);
    memo->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    memo->SetDataSource(Source);
    memo->SetDataField(Field);
    memo->SetScrollBars(ssVertical);
    return memo;
}

TOstraDBEdit* MakeEdit(TfrmToDo* Form, TWinControl* Parent, const char* Name, TDataSource* Source,
                       const char* Field, TOstraDialogStyle Style, const TRect& Bounds) {
    auto* edit = MakeComponent<TOstraDBEdit>(Form, Parent, Name);
    edit->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    edit->SetDataSource(Source);
    edit->SetDataField(Field);
    edit->SetDialogStyle(Style);
    return edit;
}

TDBCheckBox* MakeCheck(TfrmToDo* Form, TWinControl* Parent, const char* Name, const char* Caption,
                       TDataSource* Source, const char* Field, const TRect& Bounds) {
    auto* check = MakeComponent<TDBCheckBox>(Form, Parent, Name);
    check->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    check->SetCaption(Caption);
    check->SetDataSource(Source);
    check->SetDataField(Field);
    check->SetValueChecked("True");
    check->SetValueUnchecked("False");
    return check;
}

}  // namespace

void TfrmToDo::BuildMenu() {
    FMainMenu1 = MakeComponent<TMainMenu>(this, nullptr, "MainMenu1");
    TMenuItem* root = FMainMenu1->Items();
    FFile1 = AddItem(this, root, "File1", "File");
    FBackup1 = AddItem(this, FFile1, "Backup1", "&Backup");
    FRestore1 = AddItem(this, FFile1, "Restore1", "&Restore");
    FCalendar1 = AddItem(this, FFile1, "Calendar1", "&Calendar", &TfrmToDo::Calendar1Click);
    FExit1 = AddItem(this, FFile1, "Exit1", "E&xit", &TfrmToDo::Exit1Click);
    FEdit1 = AddItem(this, root, "Edit1", "Edit");
    FCategories1 = AddItem(this, FEdit1, "Categories1", "Categories &1", &TfrmToDo::Categories1Click);
    FCategories21 = AddItem(this, FEdit1, "Categories21", "Categories &2", &TfrmToDo::Categories21Click);
    FHelp1 = AddItem(this, root, "Help1", "Help");
    FHelp2 = AddItem(this, FHelp1, "Help2", "&Help", &TfrmToDo::SpeedButton13Click);
    FOption1 = AddItem(this, FHelp1, "Option1", "&Options");
    FAbout1 = AddItem(this, FHelp1, "About1", "&About", &TfrmToDo::About1Click);
}

void TfrmToDo::BuildToolBar() {
    FToolBar1 = MakeComponent<TToolBar>(this, this, "ToolBar1");
    FToolBar1->SetAlign(alTop);
    FToolBar1->SetButtonWidth(25);
    FToolBar1->SetButtonHeight(25);
    FToolBar1->SetHeight(31);
    FToolBar1->SetIndent(4);
    FToolBar1->SetFlat(true);
    FToolBar1->SetEdgeBorders(TEdgeBorders{ebTop, ebBottom});

    // The buttons line up in the order of their places, once all are there.
    FToolBar1->DisableAlign();
    int left = 0;
    FDBNavigator1 = MakeComponent<TDBNavigator>(this, FToolBar1, "DBNavigator1");
    FDBNavigator1->SetVisibleButtons(TButtonSet{nbFirst, nbPrior, nbNext, nbLast});
    FDBNavigator1->SetBounds(left, 0, 4 * FToolBar1->ButtonWidth(), FToolBar1->ButtonHeight());
    FDBNavigator1->SetFlat(true);
    FDBNavigator1->SetHint("Navigation Bar");
    FDBNavigator1->SetShowHint(true);
    FDBNavigator1->SetDataSource(FDataTask);
    FDBNavigator1->SetOnClick(ENavClick(this, &TfrmToDo::DBNavigator1Click));
    left += FDBNavigator1->Width();
    AddSeparator(this, FToolBar1, left, "ToolButton1");

    FSpeedButton1 = AddButton(this, FToolBar1, left, "SpeedButton1", "Undo");
    FspBtnAdd = AddButton(this, FToolBar1, left, "spBtnAdd", "Add");
    FspBtnDelete = AddButton(this, FToolBar1, left, "spBtnDelete", "Delete");
    AddSeparator(this, FToolBar1, left, "ToolButton2");
    FspbtnPrint = AddButton(this, FToolBar1, left, "spbtnPrint", "Print Selected List");
    FspbtnSave = AddButton(this, FToolBar1, left, "spbtnSave", "Save Changes");
    AddSeparator(this, FToolBar1, left, "ToolButton3");
    FspBtnMoveCmpl = AddButton(this, FToolBar1, left, "spBtnMoveCmpl", "Move selected to InBasket");
    FSpeedButton5 = AddButton(this, FToolBar1, left, "SpeedButton5", "Filter Records");
    FSpeedButton3 = AddButton(this, FToolBar1, left, "SpeedButton3", "Remove Filter");
    FsbtnArchive = AddButton(this, FToolBar1, left, "sbtnArchive", "Archive Selected Item");
    AddSeparator(this, FToolBar1, left, "ToolButton4");
    FspbtnRandQuote = AddButton(this, FToolBar1, left, "spbtnRandQuote", "Show Random Quote");
    FspbtnRandQuote->SetCaption("QR");
    FSpeedButton4 = AddButton(this, FToolBar1, left, "SpeedButton4", "Mark selected as Quote of the Day");
    FSpeedButton4->SetCaption("QD");
    AddSeparator(this, FToolBar1, left, "ToolButton5");
    FSpeedButton2 = AddButton(this, FToolBar1, left, "SpeedButton2", "Exit");
    FSpeedButton13 = AddButton(this, FToolBar1, left, "SpeedButton13", "Help");
    FToolBar1->EnableAlign();

    SetToDoGlyph(FSpeedButton1, tgUndo);
    SetToDoGlyph(FspBtnAdd, tgAdd);
    SetToDoGlyph(FspBtnDelete, tgDelete);
    SetToDoGlyph(FspbtnPrint, tgPrint);
    SetToDoGlyph(FspbtnSave, tgSave);
    SetToDoGlyph(FspBtnMoveCmpl, tgMoveToBasket);
    SetToDoGlyph(FSpeedButton5, tgFilter);
    SetToDoGlyph(FSpeedButton3, tgRemoveFilter);
    SetToDoGlyph(FsbtnArchive, tgArchive);
    SetToDoGlyph(FSpeedButton2, tgExit);
    SetToDoGlyph(FSpeedButton13, tgHelp);
    for (TSpeedButton* b : {FspbtnRandQuote, FSpeedButton4}) b->Font()->SetStyle(TFontStyles{fsBold});

    FSpeedButton1->SetOnClick(TNotifyEvent(this, &TfrmToDo::SpeedButton1Click));
    FspBtnAdd->SetOnClick(TNotifyEvent(this, &TfrmToDo::spBtnAddClick));
    FspBtnDelete->SetOnClick(TNotifyEvent(this, &TfrmToDo::spBtnDeleteClick));
    FspbtnPrint->SetOnClick(TNotifyEvent(this, &TfrmToDo::spbtnPrintClick));
    FspbtnSave->SetOnClick(TNotifyEvent(this, &TfrmToDo::spbtnSaveClick));
    FSpeedButton2->SetOnClick(TNotifyEvent(this, &TfrmToDo::SpeedButton1Click));
    FSpeedButton13->SetOnClick(TNotifyEvent(this, &TfrmToDo::SpeedButton13Click));
    FSpeedButton5->SetOnClick(TNotifyEvent(this, &TfrmToDo::SpeedButton5Click));
    FSpeedButton3->SetOnClick(TNotifyEvent(this, &TfrmToDo::SpeedButton3Click));
}

void TfrmToDo::BuildFrame() {
    FStatusBar1 = MakeComponent<TStatusBar>(this, this, "StatusBar1");
    FStatusBar1->SetTop(10000);
    FStatusBar1->SetHeight(20);
    FStatusBar1->SetAlign(alBottom);
    FStatusBar1->SetSimplePanel(true);
    FStatusBar1->SetColor(clCream);

    FPanel7 = MakeComponent<TPanel>(this, this, "Panel7");
    FPanel7->SetTop(9000);
    FPanel7->SetHeight(36);
    FPanel7->SetAlign(alBottom);
    FPanel7->SetLocked(true);
    FPanel7->SetBevelOuter(bvLowered);
    FPanel7->SetCaption("");
    FPanel7->SetColor(0xF4F8FA);
    FDBText1 = MakeComponent<TDBText>(this, FPanel7, "DBText1");
    FDBText1->SetAutoSize(false);
    FDBText1->SetAlign(alClient);
    FDBText1->SetAlignment(taCenter);
    FDBText1->SetLayout(tlCenter);
    FDBText1->SetWordWrap(true);
    FDBText1->SetTransparent(true);
    FDBText1->SetHint("QD Quote of the Day");
    FDBText1->SetShowHint(true);
    FDBText1->Font()->SetStyle(TFontStyles{fsItalic});
    FDBText1->Font()->SetColor(0x5A3A1E);
    FDBText1->SetDataSource(FdsSelQ);
    FDBText1->SetDataField("QandA");
}

void TfrmToDo::BuildTabs() {
    FPageControl1 = MakeComponent<TPageControl>(this, this, "PageControl1");
    FPageControl1->SetAlign(alClient);
    FPageControl1->SetOnChange(TNotifyEvent(this, &TfrmToDo::PageControl1Change));
    const std::vector<std::pair<TTabSheet**, std::pair<const char*, const char*>>> sheets{
        {&FTabSheet7, {"TabSheet7", "Today"}},           {&FTabSheet1, {"TabSheet1", "Actions Group 1"}},
        {&FTabSheet2, {"TabSheet2", "Actions Group 2"}}, {&FTabSheet3, {"TabSheet3", "Archived"}},
        {&FTabSheet4, {"TabSheet4", "Catch All"}},       {&FTabSheet5, {"TabSheet5", "Quotes"}},
        {&FTabSheet6, {"TabSheet6", "Projects"}}};
    for (const auto& [field, names] : sheets) {
        auto* sheet = MakeComponent<TTabSheet>(this, nullptr, names.first);
        sheet->SetPageControl(FPageControl1);
        sheet->SetCaption(names.second);
        *field = sheet;
    }
    FTabSheet7->SetOnExit(TNotifyEvent(this, &TfrmToDo::TabSheet7Exit));
    FTabSheet7->SetOnResize(TNotifyEvent(this, &TfrmToDo::TodaySheetResize));

    // ---- Today: the quote, then the two groups one above the other.
    FPanel1 = MakeComponent<TPanel>(this, FTabSheet7, "Panel1");
    FPanel1->SetAlign(alTop);
    FPanel1->SetHeight(TodayQuoteHeight);
    FPanel1->SetCaption("");
    FPanel1->SetBevelOuter(bvNone);
    FPanel1->SetBorderWidth(4);
    FPanel1->SetColor(clCream);
    FDBText3 = MakeComponent<TDBText>(this, FPanel1, "DBText3");
    FDBText3->SetAutoSize(false);
    FDBText3->SetHeight(18);
    FDBText3->SetAlign(alBottom);
    FDBText3->SetAlignment(taCenter);
    FDBText3->SetTransparent(true);
    FDBText3->Font()->SetColor(0x6E3A12);
    FDBText3->SetDataSource(FdsQuotes);
    FDBText3->SetDataField("Author");
    FDBText2 = MakeComponent<TDBText>(this, FPanel1, "DBText2");
    FDBText2->SetAutoSize(false);
    FDBText2->SetAlign(alClient);
    FDBText2->SetAlignment(taCenter);
    FDBText2->SetLayout(tlCenter);
    FDBText2->SetWordWrap(true);
    FDBText2->SetTransparent(true);
    FDBText2->Font()->SetSize(11);
    FDBText2->Font()->SetStyle(TFontStyles{fsItalic});
    FDBText2->SetDataSource(FdsQuotes);
    FDBText2->SetDataField("Quote");

    FPanel2 = MakeComponent<TPanel>(this, FTabSheet7, "Panel2");
    FPanel2->SetTop(TodayQuoteHeight);
    FPanel2->SetHeight(220);
    FPanel2->SetAlign(alTop);
    FPanel2->SetCaption("");
    FPanel2->SetBevelOuter(bvNone);
    FPanel4 = MakeHeading(this, FPanel2, "Panel4", "Actions Group 1");
    FPanel3 = MakeComponent<TPanel>(this, FTabSheet7, "Panel3");
    FPanel3->SetAlign(alClient);
    FPanel3->SetCaption("");
    FPanel3->SetBevelOuter(bvNone);
    FPanel5 = MakeHeading(this, FPanel3, "Panel5", "Actions Group 2");
}

void TfrmToDo::TodaySheetResize(TObject*) {
    // The two groups share the room under the quote.
    const int room = FTabSheet7->ClientHeight() - FPanel1->Height();
    if (room > 2 * HeadingHeight) FPanel2->SetHeight(room / 2);
}

void TfrmToDo::BuildProjectEdits() {
    // Laid out at its first size; the anchors keep the distances of that
    // layout as the panel is sized to its box. The box scrolls on a screen
    // too small for the whole panel, so every field can still be reached
    // (the Tab key scrolls too).
    FProjectScroll = MakeComponent<TScrollBox>(this, FTabSheet6, "ProjectScroll");
    FProjectScroll->SetBorderStyle(bsNone);
    FProjectScroll->SetAlign(alClient);
    FProjectScroll->SetOnResize(TNotifyEvent(this, &TfrmToDo::ProjectScrollResize));
    FTabSheet6->SetOnResize(TNotifyEvent(this, &TfrmToDo::ProjectSheetResize));
    FPanel6 = MakeComponent<TPanel>(this, FProjectScroll, "Panel6");
    FPanel6->SetBounds(0, 0, 876, ProjectEditsHeight);
    FPanel6->SetCaption("");
    FPanel6->SetBevelOuter(bvNone);

    // Left column: the project, its description and importance; right: the steps.
    FLabel1 = MakeLabel(this, FPanel6, "Label1", "Project", 8, 6);
    FDBMemo1 = MakeMemo(this, FPanel6, "DBMemo1", FdsGoals, "Target", TRect{8, 22, 398, 62});
    FLabel2 = MakeLabel(this, FPanel6, "Label2", "Description", 8, 68);
    FDBMemo2 = MakeMemo(this, FPanel6, "DBMemo2", FdsGoals, "Definition", TRect{8, 84, 398, 138});
    FLabel3 = MakeLabel(this, FPanel6, "Label3", "Importance", 8, 144);
    FDBMemo3 = MakeMemo(this, FPanel6, "DBMemo3", FdsGoals, "Importance", TRect{8, 160, 398, 200});
    FLabel4 = MakeLabel(this, FPanel6, "Label4", "Steps ", 410, 6);
    FDBMemo4 = MakeMemo(this, FPanel6, "DBMemo4", FdsGoals, "Steps", TRect{410, 22, 860, 200});

    // Bottom row: flag, dates, group, priority and completion.
    constexpr int labelTop = 208, editTop = 224, editBottom = 245;
    FDBCheckBox1 = MakeCheck(this, FPanel6, "DBCheckBox1", "Flag", FdsGoals, "Flag",
                             TRect{8, editTop + 2, 64, editTop + 19});
    FLabel5 = MakeLabel(this, FPanel6, "Label5", "Date", 72, labelTop);
    FOstraDBEdit1 = MakeEdit(this, FPanel6, "OstraDBEdit1", FdsGoals, "Date", odsCalendar,
                             TRect{72, editTop, 182, editBottom});
    FLabel6 = MakeLabel(this, FPanel6, "Label6", "Target Date", 194, labelTop);
    FOstraDBEdit2 = MakeEdit(this, FPanel6, "OstraDBEdit2", FdsGoals, "TargetD", odsCalendar,
                             TRect{194, editTop, 304, editBottom});
    FLabel7 = MakeLabel(this, FPanel6, "Label7", "Group", 316, labelTop);
    FOstraDBEdit3 = MakeEdit(this, FPanel6, "OstraDBEdit3", FdsGoals, "Group", odsLookup,
                             TRect{316, editTop, 456, editBottom});
    FOstraDBEdit3->SetLookupDataSet(FdGoalGrp_);
    FOstraDBEdit3->LookupProps()->SetLookupKeyField("GoalGrp");
    FOstraDBEdit3->LookupProps()->SetListFieldNames("GoalGrp");
    FLabel8 = MakeLabel(this, FPanel6, "Label8", "Priority", 468, labelTop);
    FOstraDBEdit4 = MakeEdit(this, FPanel6, "OstraDBEdit4", FdsGoals, "Priority", odsCombo,
                             TRect{468, editTop, 578, editBottom});
    TStringList names, codes;
    for (const std::string& n : PriorityNames()) names.Add(n);
    for (const std::string& c : PriorityCodes()) codes.Add(c);
    FOstraDBEdit4->ComboProps()->SetComboItems(&names);
    FOstraDBEdit4->ComboProps()->SetComboValues(&codes);
    FOstraDBEdit4->SetStyle(ocsDropDownList);
    FOstraDBEdit4->SetAutoDropDown(true);
    FDBCheckBox2 = MakeCheck(this, FPanel6, "DBCheckBox2", "Complete", FdsGoals, "Completed",
                             TRect{592, editTop + 2, 680, editTop + 19});

    // The steps take the room a larger window gives, the importance its
    // height; the bottom row keeps to the bottom edge.
    FDBMemo3->SetAnchors(TAnchors{akLeft, akTop, akBottom});
    FDBMemo4->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
    for (TControl* c :
         std::initializer_list<TControl*>{FDBCheckBox1, FLabel5, FOstraDBEdit1, FLabel6, FOstraDBEdit2,
                                          FLabel7, FOstraDBEdit3, FLabel8, FOstraDBEdit4, FDBCheckBox2})
        c->SetAnchors(TAnchors{akLeft, akBottom});

    FLabel1->SetFocusControl(FDBMemo1);
    FLabel2->SetFocusControl(FDBMemo2);
    FLabel3->SetFocusControl(FDBMemo3);
    FLabel4->SetFocusControl(FDBMemo4);
    FLabel5->SetFocusControl(FOstraDBEdit1);
    FLabel6->SetFocusControl(FOstraDBEdit2);
    FLabel7->SetFocusControl(FOstraDBEdit3);
    FLabel8->SetFocusControl(FOstraDBEdit4);
}

void TfrmToDo::ProjectSheetResize(TObject*) {
    // The grid gives up rows before the edits need scrolling, down to a few.
    const int room = FTabSheet6->ClientHeight() - ProjectEditsHeight;
    FOstraDBGrid6->SetHeight(std::clamp(room, ProjectGridLeast, ProjectGridHeight));
}

void TfrmToDo::ProjectScrollResize(TObject*) {
    // The edit panel fills the box, never smaller than its fields need; the
    // box scrolls over what does not fit.
    const int w = FProjectScroll->Width(), h = FProjectScroll->Height();
    const int barW = GetSystemMetrics(SM_CXVSCROLL), barH = GetSystemMetrics(SM_CYHSCROLL);
    bool vert = ProjectEditsHeight > h;
    const bool horz = ProjectEditsWidth > w - (vert ? barW : 0);
    if (horz && !vert) vert = ProjectEditsHeight > h - barH;
    FPanel6->SetBounds(FPanel6->Left(), FPanel6->Top(), std::max(ProjectEditsWidth, w - (vert ? barW : 0)),
                       std::max(ProjectEditsHeight, h - (horz ? barH : 0)));
}

void TfrmToDo::KeepRoomForPanels() {
    // What lies around the pages (bars, tabs, the quote panel), then the
    // room the Projects page needs: its grid and its edit panel whole, and
    // the tool bar's buttons side by side.
    TTabSheet* sheet = FPageControl1->ActivePage();
    int toolBarWidth = 0;
    for (int i = 0; i < FToolBar1->ControlCount(); ++i) {
        TControl* c = FToolBar1->Controls(i);
        toolBarWidth = std::max(toolBarWidth, c->Left() + c->Width());
    }
    const int clientWidth = std::max(ClientWidth() - sheet->Width() + ProjectEditsWidth, toolBarWidth + 4);
    const int clientHeight = ClientHeight() - sheet->Height() + ProjectGridHeight + ProjectEditsHeight;
    SetMinimumClientSize(clientWidth, clientHeight);
}
