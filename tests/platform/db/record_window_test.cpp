// The record window: rows of a data link's window, scrolling, buffer counts.
#include "support/db/db_test_support.h"

using RecordWindowTest = DataSetTest;

TEST_F(RecordWindowTest, FieldReadsAndRecNoAnswerForTheLinksActiveRow) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 5);
    EXPECT_EQ(link->RecordCount(), 5);
    EXPECT_EQ(link->ActiveRecord(), 0);
    for (int row = 0; row < 5; ++row) {
        link->SetActiveRecord(row);
        EXPECT_EQ(IdOf(), row + 1);
        EXPECT_EQ(DataSet->FieldByName("Name")->AsString(), "Name " + std::to_string(row + 1));
        EXPECT_EQ(DataSet->RecNo(), row + 1);
    }
    link->SetActiveRecord(0);
    EXPECT_EQ(IdOf(), 1);
}

TEST_F(RecordWindowTest, MovingInsideTheWindowDoesNotScrollIt) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 5);
    for (int i = 0; i < 4; ++i) DataSet->Next();
    EXPECT_EQ(link->ActiveRecord(), 4);
    EXPECT_EQ(link->Scrolls, std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(RowsOf(link), Range(1, 5));

    DataSet->Next();  // past the window's last row
    EXPECT_EQ(IdOf(), 6);
    EXPECT_EQ(link->ActiveRecord(), 4);
    EXPECT_EQ(link->Scrolls.back(), 1);
    EXPECT_EQ(RowsOf(link), Range(2, 6));

    for (int i = 0; i < 4; ++i) DataSet->Prior();
    EXPECT_EQ(link->ActiveRecord(), 0);
    EXPECT_EQ(RowsOf(link), Range(2, 6));
    DataSet->Prior();
    EXPECT_EQ(IdOf(), 1);
    EXPECT_EQ(link->Scrolls.back(), -1);
    EXPECT_EQ(RowsOf(link), Range(1, 5));
}

TEST_F(RecordWindowTest, FirstLastBofAndEof) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 5);
    EXPECT_TRUE(DataSet->Bof());
    EXPECT_FALSE(DataSet->Eof());
    DataSet->Last();
    EXPECT_TRUE(DataSet->Eof());
    EXPECT_FALSE(DataSet->Bof());
    EXPECT_EQ(IdOf(), 20);
    EXPECT_EQ(link->ActiveRecord(), 4);
    EXPECT_EQ(RowsOf(link), Range(16, 20));
    EXPECT_EQ(DataSet->MoveBy(1), 0);
    EXPECT_EQ(IdOf(), 20);

    DataSet->Prior();
    EXPECT_FALSE(DataSet->Eof());
    DataSet->Next();
    DataSet->Next();  // tries past the end
    EXPECT_TRUE(DataSet->Eof());
    EXPECT_EQ(IdOf(), 20);

    DataSet->First();
    EXPECT_TRUE(DataSet->Bof());
    EXPECT_EQ(RowsOf(link), Range(1, 5));
    EXPECT_EQ(DataSet->MoveBy(-1), 0);
}

TEST_F(RecordWindowTest, ARecordThatStaysFirstOrLastKeepsBofAndEof) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 5);
    // read again where it stands: still at the start, and at the end
    DataSet->Refresh();
    EXPECT_TRUE(DataSet->Bof());
    EXPECT_EQ(IdOf(), 1);
    DataSet->Last();
    DataSet->Refresh();
    EXPECT_TRUE(DataSet->Eof());
    EXPECT_EQ(IdOf(), 20);
    EXPECT_EQ(RowsOf(link), Range(16, 20));
    // a record moved to by a step is no end: reading again does not make it one
    DataSet->Prior();
    DataSet->Refresh();
    EXPECT_FALSE(DataSet->Eof());
    DataSet->First();
    DataSet->Next();
    DataSet->Prior();
    DataSet->Refresh();
    EXPECT_FALSE(DataSet->Bof());
    EXPECT_EQ(IdOf(), 1);
}

TEST_F(RecordWindowTest, MoveByCountsTheRecordsItMoved) {
    MakeRows(20);
    AddLink("L", 5);
    EXPECT_EQ(DataSet->MoveBy(12), 12);
    EXPECT_EQ(IdOf(), 13);
    EXPECT_EQ(DataSet->MoveBy(100), 7);
    EXPECT_TRUE(DataSet->Eof());
    EXPECT_EQ(DataSet->MoveBy(-100), -19);
    EXPECT_TRUE(DataSet->Bof());
    EXPECT_EQ(IdOf(), 1);
}

TEST_F(RecordWindowTest, EmptyDataSet) {
    MakeRows(0);
    TLogLink* link = AddLink("L", 5);
    EXPECT_TRUE(DataSet->IsEmpty());
    EXPECT_TRUE(DataSet->Bof());
    EXPECT_TRUE(DataSet->Eof());
    EXPECT_EQ(DataSet->RecordCount(), 0);
    EXPECT_EQ(link->RecordCount(), 0);
    EXPECT_TRUE(DataSet->FieldByName("ID")->IsNull());
    EXPECT_EQ(DataSet->FieldByName("Name")->AsString(), "");
    EXPECT_EQ(DataSet->MoveBy(1), 0);
    DataSet->First();
    DataSet->Last();
    EXPECT_TRUE(DataSet->IsEmpty());
}

TEST_F(RecordWindowTest, LinksWithDifferentWindowsShareTheBuffers) {
    MakeRows(20);
    TLogLink* grid = AddLink("A", 10);
    TLogLink* edit = AddLink("B", 3);
    EXPECT_EQ(RowsOf(grid), Range(1, 10));
    EXPECT_EQ(RowsOf(edit), Range(1, 3));
    DataSet->MoveBy(7);
    EXPECT_EQ(grid->ActiveRecord(), 7);
    EXPECT_EQ(RowsOf(grid), Range(1, 10));
    EXPECT_EQ(edit->ActiveRecord(), 2);
    EXPECT_EQ(RowsOf(edit), Range(6, 8));
    DataSet->MoveBy(5);  // the big window scrolls by 3
    EXPECT_EQ(IdOf(), 13);
    EXPECT_EQ(RowsOf(grid), Range(4, 13));
    EXPECT_EQ(RowsOf(edit), Range(11, 13));
}

TEST_F(RecordWindowTest, ShrinkingAndGrowingTheWindowKeepsTheActiveRecord) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 10);
    DataSet->MoveBy(8);
    link->SetBufferCount(5);
    EXPECT_EQ(IdOf(), 9);
    EXPECT_EQ(link->RecordCount(), 5);
    const std::vector<int> rows = RowsOf(link);
    EXPECT_NE(std::find(rows.begin(), rows.end(), 9), rows.end());
    EXPECT_EQ(rows[static_cast<size_t>(link->ActiveRecord())], 9);
    link->SetBufferCount(10);
    EXPECT_EQ(IdOf(), 9);
    EXPECT_EQ(link->RecordCount(), 10);
    EXPECT_EQ(RowsOf(link)[static_cast<size_t>(link->ActiveRecord())], 9);
}

TEST_F(RecordWindowTest, GrowingAtTheEndFillsFromAbove) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 1);
    DataSet->Last();
    link->SetBufferCount(5);
    EXPECT_EQ(RowsOf(link), Range(16, 20));
    EXPECT_EQ(link->ActiveRecord(), 4);
}

TEST_F(RecordWindowTest, DeleteKeepsTheActiveRowPlace) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 5);
    DataSet->MoveBy(2);
    DataSet->Delete();
    EXPECT_EQ(IdOf(), 4);
    EXPECT_EQ(link->ActiveRecord(), 2);
    EXPECT_EQ(RowsOf(link), std::vector<int>({1, 2, 4, 5, 6}));
    DataSet->Last();
    DataSet->Delete();
    EXPECT_EQ(IdOf(), 19);
    EXPECT_EQ(DataSet->RecordCount(), 18);
}

TEST_F(RecordWindowTest, RecNoMovesAndClamps) {
    MakeRows(20);
    TLogLink* link = AddLink("L", 5);
    DataSet->SetRecNo(15);
    EXPECT_EQ(IdOf(), 15);
    EXPECT_EQ(DataSet->RecNo(), 15);
    EXPECT_EQ(RowsOf(link)[static_cast<size_t>(link->ActiveRecord())], 15);
    DataSet->SetRecNo(0);
    EXPECT_EQ(IdOf(), 1);
    DataSet->SetRecNo(1000);
    EXPECT_EQ(IdOf(), 20);
}

TEST_F(RecordWindowTest, LinkAttachedLaterSeesTheCurrentRecord) {
    MakeRows(20);
    DataSet->MoveBy(9);
    TLogLink* link = AddLink("L", 4);
    EXPECT_TRUE(link->Active());
    EXPECT_EQ(RowsOf(link)[static_cast<size_t>(link->ActiveRecord())], 10);
    EXPECT_EQ(link->RecordCount(), 4);
}

TEST_F(RecordWindowTest, ActiveRecordOutsideTheWindowIsClampedToTheBuffers) {
    MakeRows(3);
    TLogLink* link = AddLink("L", 5);
    EXPECT_EQ(link->RecordCount(), 3);
    link->SetActiveRecord(4);  // an empty row of the grid
    EXPECT_TRUE(DataSet->IsEmpty());
    EXPECT_TRUE(DataSet->FieldByName("ID")->IsNull());
    link->SetActiveRecord(100);
    EXPECT_TRUE(DataSet->FieldByName("ID")->IsNull());
    link->SetActiveRecord(1);
    EXPECT_EQ(IdOf(), 2);
}

// The record after a full window is read without moving the window or the
// current record; a window that is not full, or the last records, have none
// after them.
TEST_F(RecordWindowTest, TheRecordAfterTheWindowIsReadInPlace) {
    MakeRows(12);
    TLogLink* link = AddLink("L", 5);
    DataSet->MoveBy(2);
    auto after = [&] {
        int id = 0;
        return link->ReadRecordAfterWindow([&] { id = IdOf(); }) ? id : -1;
    };
    EXPECT_EQ(after(), 6);
    EXPECT_EQ(after(), 6);  // read again, the same
    EXPECT_EQ(IdOf(), 3);
    EXPECT_EQ(RowsOf(link), Range(1, 5));
    // The dataset goes on from where the window says.
    DataSet->MoveBy(3);
    EXPECT_EQ(IdOf(), 6);
    EXPECT_EQ(RowsOf(link), Range(2, 6));
    EXPECT_EQ(after(), 7);
    // A wider window of another link holds it already.
    TLogLink* wide = AddLink("W", 8);
    EXPECT_EQ(after(), RowsOf(link).back() + 1);
    wide->SetDataSource(nullptr);
    DataSet->Last();
    EXPECT_EQ(RowsOf(link), Range(8, 12));
    EXPECT_EQ(after(), -1);
    EXPECT_EQ(IdOf(), 12);
    DataSet->MoveBy(-1);
    EXPECT_EQ(IdOf(), 11);
    link->SetBufferCount(20);
    EXPECT_EQ(after(), -1);
}

// The record shown at a row becomes current, also when leaving an insert
// first drops the empty new row or posts a filled one.
TEST_F(RecordWindowTest, MovingToTheRecordShownAtARow) {
    MakeRows(8);
    TLogLink* link = AddLink("L", 6);
    link->MoveToShownRecord(3);
    EXPECT_EQ(IdOf(), 4);
    EXPECT_FALSE(link->MoveToShownRecord(6));
    EXPECT_FALSE(link->MoveToShownRecord(-1));
    EXPECT_EQ(IdOf(), 4);
    // An empty new row before Id 4: Id 5 shows at row 5, and stays current
    // though dropping the row slides it up.
    DataSet->Insert();
    EXPECT_EQ(RowsOf(link)[4], 4);
    EXPECT_TRUE(link->MoveToShownRecord(5));
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_EQ(IdOf(), 5);
    EXPECT_EQ(DataSet->RecordCount(), 8);
    // A filled one is posted and the record shown is still the one taken.
    DataSet->Insert();
    DataSet->FieldByName("ID")->SetAsInteger(50);
    DataSet->FieldByName("Name")->SetAsString("New");
    const int active = link->ActiveRecord();
    const int shownAt = active + 1;
    link->SetActiveRecord(shownAt);
    const int wanted = IdOf();
    link->SetActiveRecord(active);
    EXPECT_TRUE(link->MoveToShownRecord(shownAt));
    EXPECT_EQ(DataSet->State(), dsBrowse);
    EXPECT_EQ(IdOf(), wanted);
    EXPECT_EQ(DataSet->RecordCount(), 9);
}
