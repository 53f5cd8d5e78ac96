// The shared user-flow suite: every data-aware grid and edit goes through
// the same flows a user goes through, on a real form over a real engine
// table with real key and mouse events; each flow ends by posting, saving
// the table file and reading every field back with a fresh table.
//
// A control joins by deriving a TFlowControl and registering it with
// TFlowRegistration; a flow that needs what the control lacks (its TFlowCaps)
// is skipped, never faked.
//
// A control that takes other characters maps the flows' letters (Typed,
// EndAndType); one that selects on entry says so (Entered). A control over
// another kind of dataset brings its own table and reads it back (MakeTable,
// Reopen; TSqliteFlowOf in sqlite_flow.h); one whose F2 opens a modal editor
// window states Window, and the window flows run on it. Controls whose value
// is chosen with a key join the choice flows instead (TChoiceFlowControl,
// choice_flow.h); controls that only show a value join the display flows
// (TDisplayFlowControl, display_flow.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"

// What a control offers the flows.
struct TFlowCaps {
    bool Grid = false;                // cells in columns over rows: a click on another cell, row moves
    bool EnterToTab = false;          // SetEnterToTab switches Enter to a Tab move
    bool ArrowsLeave = false;         // Up and Down leave the field (a grid's row move)
    bool EditorKeys = false;          // F2, Enter and a double-click open a cell editor
    bool DropDown = false;            // OpenDropDown and the keys F4, Alt+Down, Alt+Up, Enter, Escape
    bool DropDownEnterTakes = false;  // Enter in the list takes its value (else keeps the text)
    bool DropDownNoF4 = false;        // F4 is no drop-down key (Alt+Down and Alt+Up only)
    bool Undo = false;                // Ctrl+Z takes back one typing run or paste at a time
    bool ReadOnly = false;            // SetReadOnly
    bool Refuses = false;             // PrepareRefusal and RefusedText
    bool Window = false;              // F2 opens a modal editor window on the field (Tab types a tab there)
    bool DateParts = false;           // date fields typed part by part as shown (mm/dd/yyyy)
    bool Titles = false;     // ClickTitle clicks a column's title, reported to SetOnTitleClick's handler
    bool Turns = false;      // reads right to left; SetDirection turns it while its cell editor shows
    bool ScrollBar = false;  // ShowOneRow, and ClickScrollBar clicks its window's vertical scroll bar
};

// The table of every flow: Id (integer), Name (string 20), Code (string 6),
// Amount (float), Notes and Details (memo), Start and Due (date); two
// records, "Alpha"/"A1" and "Beta"/"B2".
class TFlowControl {
public:
    virtual ~TFlowControl() = default;
    virtual TFlowCaps Caps() const = 0;
    // The two fields typed into, in tab order; a grid shows them as its
    // first two columns, an edit gets one control for each.
    virtual std::vector<std::string> Fields() const { return {"Name", "Code"}; }
    // Makes the control(s) on Form (within 8..600 x 8..330) over Source.
    virtual void Build(TForm* Form, TDataSource* Source) = 0;
    // Focuses the field's control or cell on the current record, so that
    // typed text replaces the field's text.
    virtual void Focus(const std::string& Field) = 0;
    // What the control shows for the field on the current record (an open
    // cell editor's text).
    virtual std::string Shown(const std::string& Field) = 0;
    // Clicks the field's control or cell on a row of the view.
    virtual void Click(const std::string& Field, int Row = 0) = 0;
    virtual void DoubleClick(const std::string&) {}
    // Clicks the title of the field's column (Titles); the grid reports the
    // click to Handler with the field's name, as an application hears it.
    virtual void ClickTitle(const std::string&) {}
    virtual void SetOnTitleClick(std::function<void(const std::string&)> Handler) { (void)Handler; }
    // The control that has the field (a grid: the grid).
    virtual TWinControl* Control(const std::string& Field) = 0;
    // A cell editor (or drop-down) is open.
    virtual bool EditorOpen() { return false; }
    // Turns the control to read in Mode (Turns); the open cell editor lies
    // over the current cell where the window shows it.
    virtual void SetDirection(TBiDiMode) {}
    virtual bool EditorOverCell() { return false; }
    // Makes the window hold one row of records (ScrollBar): its vertical
    // scroll bar then scrolls.
    virtual void ShowOneRow() {}
    // A real click on the window's vertical scroll bar (ScrollBar) where the
    // window reading as the flow set it draws the bar (at the left edge right
    // to left): on its down arrow (Down) or its up arrow.
    virtual void ClickScrollBar(bool Down) { (void)Down; }
    virtual void SetEnterToTab(bool) {}
    virtual void SetReadOnly(bool) {}
    virtual bool DroppedDown() { return false; }
    // Makes the first field refuse RefusedText on leaving (a mask).
    virtual void PrepareRefusal() {}
    virtual std::string RefusedText() const { return std::string(); }
    // The focus came into the field by a key: what a user does before typing
    // over its text (a memo keeps its caret where it was: select all).
    virtual void Entered(const std::string&) {}
    // What the control takes for a flow's typed letters, as the field stores
    // it (a number edit: digits).
    virtual std::string Typed(const std::string& Text) const { return Text; }
    // What End and then Typed(Text) make of the shown text (a text edit
    // appends it).
    virtual std::string EndAndType(const std::string& Shown, const std::string& Text) const {
        return Shown + Typed(Text);
    }
    // The editor window's text while it is open (Window).
    virtual std::string WindowText() { return std::string(); }
    // Sets an option of the editor window the next F2 opens (Window): closing
    // without confirmation.
    virtual void SetNoConfirmation(bool) {}
    // A field's stored value as the flows compare it (rich text: its plain text).
    virtual std::string Stored(TField* Field) { return Field->AsString(); }
    // The flows' table with the fields above, closed and empty, made in
    // Folder; nullptr: the engine's table, saved to a ".d" file at the end.
    virtual TDataSet* MakeTable(TForm*, const std::string&) { return nullptr; }
    // A fresh dataset over what MakeTable's table stored (after its post).
    virtual std::unique_ptr<TDataSet> Reopen() { return nullptr; }
    // Fields the control adds to the engine's flow table, after the others;
    // empty in the two records, read back like the others.
    virtual std::vector<std::pair<std::string, TFieldType>> MoreFields() const { return {}; }
};

struct TFlowInstance {
    std::string Name;
    std::function<std::unique_ptr<TFlowControl>()> Make;
};

// Every control that joined.
std::vector<TFlowInstance>& FlowInstances();

// Joins a control: `static TFlowRegistration reg("Name", [] { return std::make_unique<T>(); });`
struct TFlowRegistration {
    TFlowRegistration(const std::string& Name, std::function<std::unique_ptr<TFlowControl>()> Make) {
        FlowInstances().push_back({Name, std::move(Make)});
    }
};
