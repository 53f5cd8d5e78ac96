// The suite's datasets over the database engine: OnFilter, key searches by
// the index's case rule, QBE parameters, the filter expression compiler and
// the record find routine's index road.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/core/clock.h"
#include "platform/core/exceptions.h"
#include "platform/core/properties.h"
#include "platform/db/fields.h"
#include "platform/db/params.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/base/qzrecordsearch.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilter.h"

namespace {

class SuiteSqlite : public ::testing::Test {
protected:
    void SetUp() override {
        Db = std::make_unique<TDatabase>(nullptr);
        Db->SetDatabaseName(":memory:");
        Db->Open();
        Db->Execute(
            "CREATE TABLE cust (id INTEGER PRIMARY KEY, name VARCHAR(20), qty INTEGER, city VARCHAR(10));"
            "CREATE INDEX bynamecs ON cust (name);"
            "CREATE INDEX byname ON cust (name COLLATE FOLD);"
            "INSERT INTO cust (name, qty, city) VALUES ('bob', 5, 'Oslo'), ('Ann', 12, 'Rome'), ('carl', 7, "
            "'Oslo'),"
            " ('Ann', 3, 'Bern');");
        Table = std::make_unique<TqzTable>(nullptr);
        Table->SetName("Cust");
        Table->SetDatabaseName(":memory:");
        Table->SetTableName("cust");
    }
    std::string Names(TDataSet* ds) {
        std::string out;
        ds->First();
        while (!ds->Eof()) {
            out += (out.empty() ? "" : ",") + ds->FieldByName("name")->AsString();
            ds->Next();
        }
        return out;
    }
    std::unique_ptr<TDatabase> Db;
    std::unique_ptr<TqzTable> Table;
    TTestDialogs Dialogs;
};

TEST_F(SuiteSqlite, OnFilterRaisingKeepsFilteringOn) {
    Table->Open();
    bool raise = false;
    Table->SetOnFilter(TFilterRecordEvent([&](TDataSet* ds, bool& accept) {
        if (raise) throw EDatabaseError("handler failed");
        accept = ds->FieldByName("city")->AsString() == "Oslo";
    }));
    raise = true;
    EXPECT_THROW(Table->RefreshCursor(), EDatabaseError);
    raise = false;
    Table->RefreshCursor();
    EXPECT_EQ(Names(Table.get()), "bob,carl");  // the running mark was cleared
    Table->SetOnFilter(nullptr);
    EXPECT_EQ(Table->RecordCount(), 4);
}

TEST_F(SuiteSqlite, HourglassWhileRejectingAndEscapeStopsAlongFetch) {
    Db->Execute(
        "CREATE TABLE big (name VARCHAR(10));"
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 5000) "
        "INSERT INTO big SELECT 'r' || x FROM c;");
    TForm form(nullptr);
    form.Show();
    TqzTable big(nullptr);
    big.SetDatabaseName(":memory:");
    big.SetTableName("big");
    big.SetOnFilterOptions({ofoEnabled, ofoShowHourGlass, ofoCancelOnEscape});
    int escapes = 0, calls = 0;
    int cursorSeen = crDefault;
    big.SetOnFilterEscape(TDataSetNotifyEvent([&](TDataSet*) { ++escapes; }));
    big.SetOnFilter(TFilterRecordEvent([&](TDataSet*, bool& accept) {
        ++calls;
        accept = false;
        if (calls == 2) cursorSeen = Screen->Cursor();
        if (calls == 150) PostKey(&form, VK_ESCAPE);
    }));
    big.Open();
    EXPECT_EQ(cursorSeen, crHourGlass);
    EXPECT_EQ(escapes, 1);
    EXPECT_LE(calls, 300);               // stopped within a hundred records of the key
    EXPECT_EQ(big.RecordCount(), 5000);  // the hidden records came back
    EXPECT_FALSE(big.OnFilterOptions().Contains(ofoEnabled));
    EXPECT_NE(Screen->Cursor(), crHourGlass);
}

// Around the screen's watch: the cursor while the work is long, and an
// Escape typed ahead before the busy show begins.
class TEscapeAhead : public TDBWorkWatch {
public:
    TEscapeAhead(TDBWorkWatch* Inner, TWinControl* Target) : FInner(Inner), FTarget(Target) {}
    void Begin() override { FInner->Begin(); }
    bool Poll() override {
        if (++Polls == 1 && FTarget) PostKey(FTarget, VK_ESCAPE);
        if (Screen->Cursor() == crHourGlass) BusySeen = true;
        return FInner->Poll();
    }
    void End() override { FInner->End(); }
    int Polls = 0;
    bool BusySeen = false;

private:
    TDBWorkWatch* FInner;
    TWinControl* FTarget;
};

TEST_F(SuiteSqlite, AFilterTextShowsBusyAndEscapeStopsIt) {
    Db->Execute(
        "CREATE TABLE big (name VARCHAR(10), qty INTEGER);"
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 50000) "
        "INSERT INTO big SELECT 'r' || x, x % 10 FROM c;");
    TForm form(nullptr);
    form.Show();
    TqzTable big(nullptr);
    big.SetDatabaseName(":memory:");
    big.SetTableName("big");
    big.Open();
    big.SetFilter("[qty] < 5");
    big.SetFiltered(true);
    ASSERT_EQ(big.RecordCount(), 25000);
    // the work is long by the clock: each look at it finds 10 ms gone
    uint32_t ticks = 0;
    SetTickCountSource([&ticks] { return ticks += 10; });
    struct TClockBack {
        ~TClockBack() { ResetClock(); }
    } clockBack;
    TDBWorkWatch* screen = SetDBWorkWatch(nullptr);
    ASSERT_NE(screen, nullptr);  // the screen watches the database's long work
    {
        // no key: the busy cursor while it runs, the cursor as it was after
        TEscapeAhead watch(screen, nullptr);
        SetDBWorkWatch(&watch);
        big.SetFilter("[qty] = 3");
        EXPECT_TRUE(watch.BusySeen);
        EXPECT_EQ(big.RecordCount(), 5000);
    }
    EXPECT_EQ(Screen->Cursor(), crDefault);
    {
        TEscapeAhead watch(screen, &form);
        SetDBWorkWatch(&watch);
        try {
            big.SetFilter("[qty] = 4");
            ADD_FAILURE() << "Escape did not stop the filter";
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(std::string(e.what()), SDBWorkStopped);
        }
        EXPECT_TRUE(watch.BusySeen);
    }
    SetDBWorkWatch(screen);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(big.Filter(), "[qty] = 3");
    EXPECT_EQ(big.RecordCount(), 5000);
}

TEST_F(SuiteSqlite, FindKeyValuesComparesByTheIndexCaseRule) {
    Table->SetIndexName("bynamecs");
    Table->Open();
    ASSERT_TRUE(Table->FindKeyValues({Variant("Ann")}));
    // "ann" is no key of a case-sensitive index, even on the record "Ann"
    EXPECT_FALSE(Table->FindKeyValues({Variant("ann")}));
    Table->SetIndexName("byname");
    ASSERT_TRUE(Table->FindKeyValues({Variant("Ann")}));
    EXPECT_TRUE(Table->FindKeyValues({Variant("ANN")}));
    Dialogs.Clear();
    EXPECT_FALSE(Table->FindKeyValues({Variant("a"), Variant("b")}));
    ASSERT_EQ(Dialogs.Count(), 1);
    EXPECT_EQ(Dialogs.Last().Text, "Table Cust: FindKey has too many lookup values for index byname");
}

TEST_F(SuiteSqlite, FindKeyValuesStaysOnTheRecordItsFoldedKeyEquals) {
    Db->Execute("INSERT INTO cust (name, qty, city) VALUES ('ԱԲԳ', 1, 'Yerevan'), ('աբգ', 2, 'Gyumri');");
    Table->SetIndexName("byname");
    Table->Open();
    Table->Last();
    ASSERT_EQ("աբգ", Table->FieldByName("name")->AsString());
    // the record's key equals the value without case: no move to the first equal key
    ASSERT_TRUE(Table->FindKeyValues({Variant("ԱԲԳ")}));
    EXPECT_EQ("Gyumri", Table->FieldByName("city")->AsString());
    Table->First();
    ASSERT_TRUE(Table->FindKeyValues({Variant("ԱԲԳ")}));
    EXPECT_EQ("Yerevan", Table->FieldByName("city")->AsString());
}

TEST_F(SuiteSqlite, QBEParametersMatchWholeNames) {
    TqzQBE qbe(nullptr);
    qbe.SetDatabaseName(":memory:");
    TStringList text;
    text.Add("cust.db | custno | name");
    text.Add("        | ~custno | ~CUST ~cust_x");
    qbe.SetQBE(&text);
    qbe.ParamNames.Add("cust");
    qbe.ParamValues.Add("1234");
    qbe.ParamNames.Add("custno");
    qbe.ParamValues.Add("~cust");
    EXPECT_EQ(qbe.SubstitutedText(), "cust.db | custno | name\r\n        | ~cust | 1234  ");
    int code = 0;
    qbe.SetOnError(TqzQBEErrorEvent([&](TDataSet*, int c) { code = c; }));
    try {
        qbe.Open();
        FAIL();
    } catch (const EDBEngineError& e) {
        EXPECT_STREQ(e.what(), "Capability not supported");
    }
    EXPECT_EQ(code, DBIERR_NOTSUPPORTED);
    EXPECT_FALSE(qbe.Active());
    // The same handler set by name, as a form definition sets it.
    int byName = 0;
    SetMethodProp(&qbe, "OnError", TqzQBEErrorEvent([&](TDataSet*, int c) { byName = c; }));
    EXPECT_THROW(qbe.Open(), EDBEngineError);
    EXPECT_EQ(byName, DBIERR_NOTSUPPORTED);
}

// A QBE run that meets a lock a given number of times before its answer.
class TLockedQBE : public TqzQBE {
public:
    explicit TLockedQBE(int Locks) : TqzQBE(nullptr), FLocks(Locks) {}
    int Runs = 0;
    int RunQBE() override {
        ++Runs;
        return Runs <= FLocks ? DBIERR_LOCKED + Runs % 3 : TqzQBE::RunQBE();
    }

private:
    int FLocks;
};

TEST_F(SuiteSqlite, QBERunIsTriedAgainWhileTheLockRetryCheckAllows) {
    TStringList text;
    text.Add("cust.db | name");
    std::vector<int> asked;
    SetLockRetryCheck([&](int Attempt) {
        asked.push_back(Attempt);
        return Attempt < 3;
    });
    // two locks, then the run's own answer
    TLockedQBE twice(2);
    twice.SetDatabaseName(":memory:");
    twice.SetQBE(&text);
    try {
        twice.Open();
        ADD_FAILURE();
    } catch (const EDBEngineError& e) {
        EXPECT_STREQ(e.what(), "Capability not supported");
    }
    EXPECT_EQ(twice.Runs, 3);
    EXPECT_EQ(asked, (std::vector<int>{1, 2}));
    // locked for good: the check refuses a fourth run, and the error says why
    asked.clear();
    TLockedQBE always(100);
    always.SetDatabaseName(":memory:");
    always.SetQBE(&text);
    try {
        always.Open();
        ADD_FAILURE();
    } catch (const EDBEngineError& e) {
        EXPECT_STREQ(e.what(), SDataLocked);
        EXPECT_TRUE(IsLockConflict(e.ErrorCode()));
    }
    EXPECT_EQ(always.Runs, 3);
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(always.Active());
    SetLockRetryCheck({});
}

TEST_F(SuiteSqlite, CompilerTreesAndRefusals) {
    const TqzFieldTypeLookup fields = [](const std::string& name, TFieldType& type) {
        if (AnsiSameText(name, "Name"))
            type = ftString;
        else if (AnsiSameText(name, "Qty"))
            type = ftInteger;
        else
            return false;
        return true;
    };
    auto root = qzParseFilterExpression("Name = Smith AND ((Qty) * 2 > 10)", fields);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->NodeKind, nkLogical);
    EXPECT_EQ(root->Left->Right->Token, "Smith");
    EXPECT_EQ(root->Left->Right->OperandKind, okString);
    EXPECT_EQ(root->Right->Left->NodeKind, nkArithmetic);
    EXPECT_EQ(root->Right->Right->OperandKind, okField);  // not compared with a field
    std::string missing;
    EXPECT_FALSE(qzParseFilterExpression("Nope = 1", fields, &missing));
    EXPECT_EQ(missing, "Nope");
    for (const char* bad : {"(Name = 1", "Name =", "= 1", "Name = 1)", "Name = \"open", ""})
        EXPECT_FALSE(qzParseFilterExpression(bad, fields)) << bad;
    EXPECT_FALSE(qzParseFilterExpression("Name = \"" + std::string(1001, 'x') + "\"", fields));
    EXPECT_FALSE(qzParseFilterExpression(std::string(200, '(') + "Qty = 1" + std::string(200, ')'), fields));
    EXPECT_TRUE(qzParseFilterExpression(std::string(20, '(') + "Qty = 1" + std::string(20, ')'), fields));
    auto number = qzParseFilterExpression("Qty = abc", fields);
    ASSERT_TRUE(number);
    EXPECT_FALSE(qzFilterTreeOf(number.get()));  // no integer
}

TEST_F(SuiteSqlite, qzFilterLinesAgainstRowsFilteredByHand) {
    Table->Open();
    TStringList lines;
    lines.Add("city = Oslo   ");
    lines.Add("");
    lines.Add("qty > 5");
    Table->SetqzFilter(&lines);
    EXPECT_EQ(Table->FilterExpression(), "city = Oslo AND (qty > 5)");
    std::string byHand;
    TTable plain(nullptr);
    plain.SetDatabaseName(":memory:");
    plain.SetTableName("cust");
    plain.Open();
    for (plain.First(); !plain.Eof(); plain.Next())
        if (plain.FieldByName("city")->AsString() == "Oslo" && plain.FieldByName("qty")->AsInteger() > 5)
            byHand += (byHand.empty() ? "" : ",") + plain.FieldByName("name")->AsString();
    EXPECT_EQ(Names(Table.get()), byHand);
    EXPECT_FALSE(Table->IsSequenced());
    Dialogs.Clear();
    lines.Clear();
    lines.Add("nope = 1");
    Table->SetqzFilter(&lines);
    ASSERT_EQ(Dialogs.Count(), 2);
    EXPECT_EQ(Dialogs.Messages()[0].Text, "nope\nField not found in Table. ");
    EXPECT_EQ(Dialogs.Messages()[1].Text, "Fail to set filter");
    EXPECT_EQ(Names(Table.get()), byHand);  // the old filter stays
    Table->qzFilter()->Clear();
    EXPECT_EQ(Table->RecordCount(), 4);
}

TEST_F(SuiteSqlite, FindRoutineOnAnIndexNeverGoesBack) {
    Table->SetIndexName("byname");
    Table->Open();
    ASSERT_TRUE(Table->FindKey({Variant("carl")}));
    // "Ann" sorts before the current record: searching on finds nothing
    EXPECT_FALSE(qzFindRecordByValue(false, Table.get(), "name", "Ann", mtExactMatch, false, false));
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "carl");
    EXPECT_TRUE(qzFindRecordByValue(true, Table.get(), "name", "ann", mtExactMatch, false, false));
    EXPECT_EQ(Table->FieldByName("qty")->AsInteger(), 12);
    // the next duplicate in index order
    EXPECT_TRUE(qzFindRecordByValue(false, Table.get(), "name", "ann", mtExactMatch, false, false));
    EXPECT_EQ(Table->FieldByName("qty")->AsInteger(), 3);
    EXPECT_TRUE(qzFindRecordByValue(true, Table.get(), "name", "ca", mtPartialMatchStart, false, false));
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "carl");
}

TEST_F(SuiteSqlite, StoredProcAndQueriesOfTheSuite) {
    TqzStoredProc proc(nullptr);
    proc.SetDatabaseName(":memory:");
    EXPECT_THROW(proc.Open(), EDBEngineError);
    TqzQuery q(nullptr);
    q.SetDatabaseName(":memory:");
    q.SQL()->SetText("SELECT name, qty FROM cust WHERE qty > :q");
    q.ParamByName("q")->SetAsInteger(4);
    q.SetRequestLive(true);
    TStringList masks;
    masks.Add("qty\t##");
    q.SetPictureMasks(&masks);
    q.Open();
    EXPECT_EQ(q.RecordCount(), 3);
    q.Edit();
    q.FieldByName("qty")->SetAsInteger(123);
    EXPECT_THROW(q.Post(), EDatabaseError);  // the mask allows two digits
    q.Cancel();
    q.SetValidateWithMask(false);
    q.Edit();
    q.FieldByName("qty")->SetAsInteger(123);
    q.Post();
    EXPECT_EQ(q.FieldByName("qty")->AsInteger(), 123);
}

}  // namespace
