// Any Filter text on a table and a query of the database engine: taken as a
// condition on the record or refused with a database error, never a crash;
// a refused text leaves the filter and the records as they were. A taken
// text reads nothing outside its dataset: its records stay the same when
// the other table ("secret") changes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"

namespace {

TDatabase* Make() {
    static TDatabase* db = [] {
        auto* d = new TDatabase(nullptr);
        d->SetDatabaseName(":memory:");
        d->Open();
        d->Execute(
            "CREATE TABLE t (Name VARCHAR(10), Qty INTEGER, Price REAL, Born DATE, At TIME, Seen DATETIME, "
            "Notes TEXT);"
            "INSERT INTO t VALUES ('Smith', 3, 2.5, '2000-01-02', '10:00:00', '2000-01-02 10:00:00', 'n'),"
            " ('Jones', -1, 0, NULL, NULL, NULL, NULL);"
            "CREATE TABLE secret (v VARCHAR(10));"
            "INSERT INTO secret VALUES ('Smith');");
        return d;
    }();
    return db;
}

TDBDataSet* Open(TDBDataSet* Ds) {
    Make();
    Ds->SetDatabaseName(":memory:");
    Ds->Open();
    Ds->SetFilter("[Qty] > 0");
    Ds->SetFiltered(true);
    return Ds;
}

TDBDataSet* Table() {
    static TDBDataSet* table = [] {
        auto* t = new TTable(nullptr);
        t->SetTableName("t");
        return Open(t);
    }();
    return table;
}

TDBDataSet* Query() {
    static TDBDataSet* query = [] {
        auto* q = new TQuery(nullptr);
        q->SQL()->SetText("SELECT Name, Qty, Born FROM t");
        return Open(q);
    }();
    return query;
}

std::string Rows(TDBDataSet* Ds) {
    std::string out;
    for (Ds->First(); !Ds->Eof(); Ds->Next()) out += Ds->Fields()->Fields(0)->AsString() + "\n";
    return out;
}

// The records of a taken filter, with the other table as it is, changed, and
// back: the same while the filter reads only its own records.
void CheckReadsOnlyItsOwn(TDBDataSet* Ds) {
    std::string seen[3];
    for (int i = 0; i < 3; ++i) {
        Make()->Execute(i == 1 ? "UPDATE secret SET v = 'Jones'" : "UPDATE secret SET v = 'Smith'");
        try {
            Ds->RefreshCursor();
            seen[i] = Rows(Ds);
        } catch (const EDatabaseError& e) {
            seen[i] = std::string("error: ") + e.what();
        }
    }
    // (a text that reads the clock may change on its own: the first and last tell)
    if (seen[0] == seen[2] && seen[1] != seen[0]) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (TDBDataSet* ds : {Table(), Query()}) {
        try {
            ds->SetFilter(text);
            for (ds->First(); !ds->Eof(); ds->Next()) (void)ds->Fields()->Fields(0)->AsString();
            CheckReadsOnlyItsOwn(ds);
        } catch (const EDatabaseError&) {
            // refused: the filter before it still holds
            if (ds->Filter() != "[Qty] > 0" || ds->RecordCount() != 1) __builtin_trap();
        }
        ds->SetFilter("[Qty] > 0");
    }
    return 0;
}
