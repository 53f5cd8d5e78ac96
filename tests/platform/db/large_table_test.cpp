// A million records: every navigation step fetches a bounded number of
// records, however large the table.
#include "support/db/db_test_support.h"

using LargeTableTest = DataSetTest;

TEST_F(LargeTableTest, NavigationCostDoesNotGrowWithTheRecordCount) {
    constexpr int kRecords = 1000000;
    constexpr int kRows = 30;
    DataSet->FieldDefs()->Add("ID", ftInteger);
    DataSet->AddIntegerRows(kRecords);
    DataSet->Open();
    TLogLink* grid = AddLink("G", kRows);
    EXPECT_EQ(grid->RecordCount(), kRows);

    auto calls = [&](auto&& step) {
        const long before = DataSet->GetRecordCalls;
        step();
        return DataSet->GetRecordCalls - before;
    };
    EXPECT_LE(calls([&] { DataSet->Last(); }), kRows + 1);
    EXPECT_EQ(IdOf(), kRecords);
    EXPECT_LE(calls([&] { DataSet->First(); }), kRows + 1);
    EXPECT_EQ(IdOf(), 1);
    EXPECT_LE(calls([&] {
                  for (int i = 0; i < 1000; ++i) DataSet->Next();
              }),
              1000);
    EXPECT_EQ(IdOf(), 1001);
    EXPECT_LE(calls([&] { DataSet->MoveBy(-500); }), 500);
    EXPECT_EQ(IdOf(), 501);
    EXPECT_LE(calls([&] { DataSet->SetRecNo(kRecords / 2); }), 2 * kRows + 4);
    EXPECT_EQ(IdOf(), kRecords / 2);
    const TBookmark mark = DataSet->Bookmark();
    DataSet->Last();
    EXPECT_LE(calls([&] { DataSet->GotoBookmark(mark); }), 2 * kRows + 4);
    EXPECT_EQ(IdOf(), kRecords / 2);
    EXPECT_LE(calls([&] {
                  DataSet->Edit();
                  DataSet->FieldByName("ID")->SetAsInteger(-1);
                  DataSet->Post();
              }),
              2 * kRows + 4);
    EXPECT_LE(calls([&] {
                  DataSet->Insert();
                  DataSet->Cancel();
              }),
              2 * kRows + 4);
    EXPECT_LE(calls([&] { DataSet->Delete(); }), 2 * kRows + 4);
    EXPECT_EQ(DataSet->RecordCount(), kRecords - 1);
}
