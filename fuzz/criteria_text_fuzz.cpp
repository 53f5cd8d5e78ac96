// Any criteria (values, match types, flags, the value-list words and the
// road's options) give a text that the database engine takes as a Filter
// condition on a table of every field kind, or a refusal. A written text
// that the engine does not parse is a fault, and so is one whose records
// change with another table ("secret").
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "suite/data/qzfilterdialog.h"
#include "suite/data/qzfiltertext.h"

namespace {

TDatabase* Db() {
    static TDatabase* db = [] {
        auto* d = new TDatabase(nullptr);
        d->SetDatabaseName(":memory:");
        d->Open();
        d->Execute(
            "CREATE TABLE t (Name VARCHAR(10), Qty INTEGER, Price REAL, Born DATE, At TIME, Seen DATETIME);"
            "INSERT INTO t VALUES ('Smith', 3, 2.5, '2000-01-02', '10:00:00', '2000-01-02 10:00:00'),"
            " ('O''Neil', -1, 0, NULL, NULL, NULL);"
            "CREATE TABLE secret (v VARCHAR(10));"
            "INSERT INTO secret VALUES ('Smith');");
        return d;
    }();
    return db;
}

TTable* Table() {
    Db();
    static TTable* table = [] {
        auto* t = new TTable(nullptr);
        t->SetDatabaseName(":memory:");
        t->SetTableName("t");
        t->Open();
        return t;
    }();
    return table;
}

// The names of the records shown, with the other table as it is, changed,
// and back.
void CheckReadsOnlyItsOwn(TTable* Table) {
    std::string seen[3];
    for (int i = 0; i < 3; ++i) {
        Db()->Execute(i == 1 ? "UPDATE secret SET v = 'O''Neil'" : "UPDATE secret SET v = 'Smith'");
        Table->RefreshCursor();
        for (Table->First(); !Table->Eof(); Table->Next())
            seen[i] += Table->FieldByName("Name")->AsString() + "\n";
    }
    if (seen[0] == seen[2] && seen[1] != seen[0]) __builtin_trap();
}

const std::vector<TqzDBFieldInfo>& Fields() {
    static const std::vector<TqzDBFieldInfo> fields = {
        {"Name", "Name", "t", ftString, "Name", 10},  {"Qty", "Qty", "t", ftInteger, "Qty", 0},
        {"Price", "Price", "t", ftFloat, "Price", 0}, {"Born", "Born", "t", ftDate, "Born", 0},
        {"At", "At", "t", ftTime, "At", 0},           {"Seen", "Seen", "t", ftDateTime, "Seen", 0},
    };
    return fields;
}

// Reads the input as: option byte, words, then per criterion two bytes and
// three texts; texts end at a byte 1.
class TReader {
public:
    TReader(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
    bool More() const { return FPos < FSize; }
    uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
    std::string Text() {
        std::string out;
        while (FPos < FSize && FData[FPos] != 1) out += static_cast<char>(FData[FPos++]);
        if (FPos < FSize) ++FPos;
        return out;
    }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TReader in(data, size);
    const uint8_t o = in.Byte();
    TqzCriteriaTextOptions options;
    options.SQLRoad = o & 1;
    options.UseLikeOperator = o & 2;
    options.LikeSupportsUpperKeyword = o & 4;
    options.UseBracketsAroundFields = !(o & 8);
    options.LikeWildcardChar = (o & 16) ? "*" : "%";
    options.DateMode = (o >> 5) % 3;
    options.UpperRangePadChar = (o & 128) ? 0 : 'z';
    // the value-list words: any three the setters take without their warning box
    TqzFieldOperators operators;
    if (o & 64) {
        const std::string w[3] = {Trim(in.Text()), Trim(in.Text()), Trim(in.Text())};
        const std::string u[3] = {AnsiUpperCase(w[0]), AnsiUpperCase(w[1]), AnsiUpperCase(w[2])};
        const std::string now[3] = {"OR", "AND", "NULL"};
        bool clash = u[0] == u[1] || u[0] == u[2] || u[1] == u[2];
        // no step may pass through equal words either
        for (int i = 0; i < 3 && !clash; ++i)
            for (int j = i + 1; j < 3; ++j) clash = clash || u[i] == now[j];
        if (!clash) {
            operators.SetOrChar(w[0]);
            operators.SetAndChar(w[1]);
            operators.SetNullChar(w[2]);
        }
    }
    TqzFieldInfoList criteria;
    while (in.More() && criteria.size() < 6) {
        const uint8_t a = in.Byte(), b = in.Byte();
        TqzFieldInfo c;
        c.FieldName = a % 8 < Fields().size() ? Fields()[a % 8].FieldName : std::string("Nope");
        c.MatchType = static_cast<TqzFilterMatchType>(b % 6);
        c.CaseSensitive = b & 8;
        c.NonMatching = b & 16;
        c.FilterValue = in.Text();
        c.MinValue = in.Text();
        c.MaxValue = in.Text();
        criteria.push_back(c);
    }
    std::string text;
    try {
        text = qzCriteriaText(criteria, Fields(), &operators, options);
    } catch (const EqzFilterText&) {
        return 0;  // refused
    }
    TTable* table = Table();
    try {
        table->SetFiltered(false);
        table->SetFilter(text);
        table->SetFiltered(true);
        CheckReadsOnlyItsOwn(table);
    } catch (const Exception&) {
        __builtin_trap();  // written, yet not a condition the engine takes
    }
    return 0;
}
