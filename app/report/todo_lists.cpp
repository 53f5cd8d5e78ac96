// Building the task-list report: page header, one row per task with its priority and
// action texts.
#include "app/report/todo_lists.h"

#include <memory>

#include "platform/core/datetime.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"

namespace {

const char* const TabGroup1 = "Actions Group 1";
const char* const TabGroup2 = "Actions Group 2";
const char* const TabToday = "Today";

const TNorvReport::TByteArray ColumnWidths{10, 8, 68, 8, 10, 4};
const TNorvReport::TByteArray ColumnAlignments{raLeft, raLeft, raLeft, raLeft, raRight, raCentre};

constexpr std::size_t ActionChars = 65;

// The first Count characters (code points) of a UTF-8 text; Chars gets the
// number of characters the whole text has, counted up to Count + 1.
std::string LeftChars(const std::string& S, std::size_t Count, std::size_t& Chars) {
    std::size_t pos = 0, cut = S.size();
    Chars = 0;
    while (pos < S.size()) {
        if (Chars == Count) cut = pos;
        ++Chars;
        if (Chars > Count) break;
        ++pos;
        while (pos < S.size() && (static_cast<unsigned char>(S[pos]) & 0xC0) == 0x80) ++pos;
    }
    return S.substr(0, cut);
}

}  // namespace

TDataSet* ToDoListSource(const std::string& ActiveTab, const TToDoListTables& Tables) {
    if (ActiveTab == TabGroup1) return Tables.Group1;
    if (ActiveTab == TabGroup2) return Tables.Group2;
    if (ActiveTab == TabToday) return Tables.Today;
    return nullptr;
}

TToDoLists::TToDoLists(const TReportArgs& Args, TDataSet* Source, const std::string& ActiveTab)
    : TNorvReport(Args), FSource(Source), FActiveTab(ActiveTab) {
    SetTitle("Action Rivizoz List");
    SetLineWidth(static_cast<uint8_t>(TotalWidth(ColumnWidths)));
}

std::string TToDoLists::PriorityName(const std::string& Priority) {
    if (Priority == "0") return "Urgent";
    if (Priority == "1") return "High ";
    if (Priority == "2") return "Medium ";
    if (Priority == "3") return "Low ";
    if (Priority == "4") return "Uncompleted ";
    return std::string();
}

std::string TToDoLists::ActionCell(const std::string& Action) {
    std::size_t chars = 0;
    std::string cell = LeftChars(Action, ActionChars, chars);
    if (chars >= ActionChars) cell += "...";
    return cell;
}

void TToDoLists::PageHeader() {
    TNorvReport::PageHeader();
    if (FActiveTab == TabGroup1)
        AddTriple(std::string(), "Group 1", std::string());
    else if (FActiveTab == TabGroup2)
        AddTriple(std::string(), "Group 2", std::string());
    AddTriple(std::string(), "Action Rivizoz List", std::string());
    AddText("");
    AddColumns(ColumnWidths, true, {"Status", "Priority", "Action", "Category", "Date", "Flag"},
               ColumnAlignments);
    AddUnderline(ColumnWidths, "======");
}

void TToDoLists::AddTaskRow() {
    TField* dateField = FSource->FieldByName("Date");
    std::string date = FormatDateTime("mm/dd/yy", dateField->AsDateTime());
    const std::string action = ActionCell(FSource->FieldByName("Action")->AsString());
    const std::string name = PriorityName(FSource->FieldByName("Priority")->AsString());
    if (dateField->IsNull()) date = "  /  /  ";
    AddColumns(ColumnWidths, false,
               {FSource->FieldByName("Status")->AsString(), name, action,
                FSource->FieldByName("Category")->AsString(), date, FSource->FieldByName("Flag")->AsString()},
               ColumnAlignments);
}

bool TToDoLists::Build() {
    if (!FSource) return true;
    // A cell still in its editor is posted first: with the controls
    // disabled the move to the first row would drop it unseen.
    if (FSource->Active()) FSource->CheckBrowseMode();
    // The list stays on the task the user chose: the next command (Archive,
    // Delete) is meant for it, not for the last row read here.
    const TBookmark chosen = FSource->Active() && !FSource->IsEmpty() ? FSource->Bookmark() : TBookmark();
    const auto goBack = [this, &chosen] {
        if (!chosen.empty() && FSource->BookmarkValid(chosen)) FSource->GotoBookmark(chosen);
    };
    // The grids showing the table need not follow every row.
    FSource->DisableControls();
    try {
        FSource->First();
        while (!FSource->Eof()) {
            AddTaskRow();
            FSource->Next();
        }
        goBack();
    } catch (...) {
        FSource->EnableControls();
        throw;
    }
    FSource->EnableControls();
    PadLastPage();
    return true;
}

TfrmToDoLst::TfrmToDoLst(TComponent* AOwner) : TForm(AOwner) { SetCaption("Action Rivizoz"); }

void PrintToDoList(const std::string& ActiveTab, const TToDoListTables& Tables) {
    // Made for each print and never shown; freed again once the report is done.
    std::unique_ptr<TfrmToDoLst> form(CreateForm<TfrmToDoLst>(Application));
    TNorvReport::Run<TToDoLists>(TReportArgs{Variant()}, ToDoListSource(ActiveTab, Tables), ActiveTab);
}
