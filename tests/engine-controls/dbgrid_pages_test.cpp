// The engine grid on a page of a page control: whatever happens to its
// dataset while the page is hidden, showing the page again paints every
// record that fits.
#include "support/engine-controls/dbgrid_fixture.h"

#include "platform/ui/comctrls.h"

namespace {

struct HiddenCase;
void PrintTo(const HiddenCase& Case, std::ostream* Out);

class DBGridHiddenPageTest : public DBGridTest, public ::testing::WithParamInterface<HiddenCase> {
public:
    void SetUp() override {
        DBGridTest::SetUp();
        Pages = new TPageControl(Form);
        Pages->SetParent(Form);
        Pages->SetAlign(alClient);
        First = new TTabSheet(Form);
        First->SetCaption("Tasks");
        First->SetPageControl(Pages);
        Second = new TTabSheet(Form);
        Second->SetCaption("Other");
        Second->SetPageControl(Pages);
        Grid->SetParent(First);
        Grid->SetAlign(alClient);
        UseTaskColumns();
    }

    // A click on the page's tab.
    void ShowPage(TTabSheet* Page) {
        const TRect r = Pages->TabRect(Page->TabIndex());
        SendClick(Pages, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        ProcessEvents();
        ASSERT_EQ(Page, Pages->ActivePage());
    }

    // A second open table of Count tasks "Few 1"...
    TOstraTable* FewTasks(int Count) {
        auto* few = new TOstraTable(Form);
        AddTaskDefs(*few);
        few->Open();
        for (int i = 1; i <= Count; ++i) {
            PutText(few, "Action", "Few " + std::to_string(i), true);
        }
        few->First();
        return few;
    }
    TOstraTable* Tasks() const { return Table; }
    TDataSource* TaskSource() const { return Source; }
    TForm* TheForm() const { return Form; }

    TPageControl* Pages = nullptr;
    TTabSheet* First = nullptr;
    TTabSheet* Second = nullptr;
};

struct HiddenCase {
    const char* Name;
    // Done before the grid shows for the first time.
    void (*Before)(DBGridHiddenPageTest& T);
    // Done while the grid's page is hidden.
    void (*Hidden)(DBGridHiddenPageTest& T);
};

void PrintTo(const HiddenCase& Case, std::ostream* Out) { *Out << Case.Name; }

TEST_P(DBGridHiddenPageTest, EveryRecordIsPaintedWhenThePageShowsAgain) {
    OpenTasks(8);
    if (GetParam().Before) GetParam().Before(*this);
    ShowGrid();
    ASSERT_EQ(SourceActions(), PaintedActions());
    ShowPage(Second);
    GetParam().Hidden(*this);
    ShowPage(First);
    const std::set<std::string> all = SourceActions();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all, PaintedActions());
    EXPECT_EQ(static_cast<int>(all.size()) + Grid->TitleOffset(), Grid->RowCount());
    // The current record is the one the grid marks.
    EXPECT_EQ(Source->DataSet()->RecNo() - 1 + Grid->TitleOffset(), Grid->Row());
}

void MoveToSixth(DBGridHiddenPageTest& T) { T.Tasks()->MoveBy(5); }

const HiddenCase HiddenCases[] = {
    // The program's task pages share one source and swap its table.
    {"SourceSwapsToMoreRecords", [](DBGridHiddenPageTest& T) { T.TaskSource()->SetDataSet(T.FewTasks(3)); },
     [](DBGridHiddenPageTest& T) { T.TaskSource()->SetDataSet(T.Tasks()); }},
    {"SourceSwapsToFewerRecords", nullptr,
     [](DBGridHiddenPageTest& T) { T.TaskSource()->SetDataSet(T.FewTasks(3)); }},
    {"ViewRebuilt", MoveToSixth, [](DBGridHiddenPageTest& T) { T.Tasks()->RebuildView(true); }},
    {"RecordsAppended", nullptr,
     [](DBGridHiddenPageTest& T) {
         for (int i = 9; i <= 12; ++i) {
             PutText(T.Tasks(), "Action", "Task " + std::to_string(i), true);
         }
     }},
    {"Filtered", nullptr,
     [](DBGridHiddenPageTest& T) {
         T.Tasks()->SetFilter("Category = 'Home'");
         T.Tasks()->SetFiltered(true);
     }},
    {"FormShrunkAndGrown", nullptr,
     [](DBGridHiddenPageTest& T) {
         T.TheForm()->SetHeight(90);
         ProcessEvents();
         T.TheForm()->SetHeight(420);
         ProcessEvents();
     }},
};

INSTANTIATE_TEST_SUITE_P(Changes, DBGridHiddenPageTest, ::testing::ValuesIn(HiddenCases),
                         [](const ::testing::TestParamInfo<HiddenCase>& Info) {
                             return std::string(Info.param.Name);
                         });

}  // namespace
