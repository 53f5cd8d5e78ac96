// Any filter expression text: the suite's compiler gives a tree or refuses
// it, never crashes or hangs; trees are installed on a small table of the
// database engine and run over its records.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "suite/data/qzfilter.h"

namespace {

TTable* Table() {
    static TDatabase* db = [] {
        auto* d = new TDatabase(nullptr);
        d->SetDatabaseName(":memory:");
        d->Open();
        d->Execute(
            "CREATE TABLE t (Name VARCHAR(10), Qty INTEGER, Price REAL, Born DATE, At TIME, Seen DATETIME, "
            "Ok BOOLEAN);"
            "INSERT INTO t VALUES ('Smith', 3, 2.5, '2000-01-02', '10:00:00', '2000-01-02 10:00:00', 1),"
            " ('Jones', -1, 0, NULL, NULL, NULL, 0);");
        return d;
    }();
    (void)db;
    static TTable* table = [] {
        auto* t = new TTable(nullptr);
        t->SetDatabaseName(":memory:");
        t->SetTableName("t");
        t->Open();
        return t;
    }();
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TTable* table = Table();
    TFieldDefs* defs = table->FieldDefs();
    const TqzFieldTypeLookup lookup = [defs](const std::string& name, TFieldType& type) {
        const int i = defs->IndexOf(name);
        if (i < 0) return false;
        type = defs->Items(i)->DataType();
        return true;
    };
    std::unique_ptr<TNode> root = qzParseFilterExpression(text, lookup);
    if (!root) return 0;
    std::unique_ptr<TFilterNode> tree = qzFilterTreeOf(root.get());
    if (!tree) return 0;
    try {
        const int handle = table->AddFilterExpression(std::move(tree), 1);
        try {
            table->ActivateFilter(handle, true);
        } catch (const Exception&) {}
        table->DropFilter(handle);
    } catch (const Exception&) {
        // refused by the engine: "Fail to set filter"
    }
    return 0;
}
