// A database file from outside opened by the SQLite datasets: a table of
// hostile columns (any declared type, any stored type: text in an integer
// column, blobs in a date column, huge and empty values, NULLs, many
// columns, odd names) read through a table and a query as a program would,
// or any bytes taken as the database file itself. Every value reads, or
// the dataset refuses with an error; nothing crashes. In a file written
// here, Locate by the database finds the record the walk finds. Work that
// runs long (a view that never ends) is stopped as a user's Escape would
// stop it, once the work shows busy.
//
// Input: byte 0 even: the rest is the file. Byte 0 odd: byte 1 the column
// count, one byte per column for its declared type and name, then one value
// per column and row: a kind byte and its bytes; bits 1 and 2 of byte 0 pick
// the file's text encoding (UTF-8, UTF-16le, UTF-16be, UTF-8).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "support/environment.h"

namespace {

const char* const DeclTypes[] = {
    "INTEGER",   "SMALLINT", "BIGINT",      "AUTOINC",        "BOOLEAN",    "DATE",       "TIME",
    "DATETIME",  "MONEY",    "REAL",        "NUMERIC",        "VARCHAR(1)", "CHAR(8192)", "VARCHAR(0)",
    "TEXT",      "MEMO",     "BLOB",        "GRAPHIC",        "",           "WORD",       "CHAR(99999999999)",
    "TIMESTAMP", "FLOAT",    "VARCHAR(-4)", "DECIMAL(30,20)", "BINARY",     "CLOB",       "DOUBLE PRECISION",
};
constexpr int DeclCount = static_cast<int>(sizeof DeclTypes / sizeof DeclTypes[0]);

std::string Hex(const std::string& Bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : Bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Take(const uint8_t*& P, const uint8_t* End, std::size_t N) {
    std::string s;
    while (N-- > 0 && P < End) s += static_cast<char>(*P++);
    return s;
}

std::string ColumnName(int Index, uint8_t Byte) {
    switch (Byte >> 5) {
    case 0: return "\"c" + std::to_string(Index) + " x\"";
    case 1: return "\"C" + std::to_string(Index) + "\"";  // differs from another only in case
    case 2: return "\"[" + std::to_string(Index) + "]'\"";
    case 3: return "\"\xC3\xA9" + std::to_string(Index) + "\"";
    default: return "c" + std::to_string(Index);
    }
}

// One SQL value made from the input.
std::string Value(const uint8_t*& P, const uint8_t* End) {
    if (P >= End) return "NULL";
    const uint8_t kind = *P++;
    const std::size_t n = P < End ? *P++ % 24 : 0;
    const std::string bytes = Take(P, End, n);
    switch (kind % 12) {
    case 0: return "NULL";
    case 1: {
        uint64_t v = 0;
        for (unsigned char c : bytes) v = v * 256 + c;
        return std::to_string(static_cast<int64_t>(v));
    }
    case 2: return "9223372036854775807";
    case 3: return "-9223372036854775808";
    case 4: return kind & 16 ? "1e308" : "-1e999";
    case 5: return "CAST(X'" + Hex(bytes) + "' AS TEXT)";
    case 6: return "X'" + Hex(bytes) + "'";
    case 7: return "zeroblob(" + std::to_string(n * 4096) + ")";
    case 8: return "substr(hex(zeroblob(" + std::to_string(n * 3000) + ")), 1)";
    case 9: return "'2000-01-0" + std::to_string(n % 10) + (kind & 16 ? " 25:61:99.9999" : "T10:00") + "'";
    case 10: return "''";
    default: return std::to_string(static_cast<double>(kind) / 7.0 - n * 1e10);
    }
}

std::string Schema(const uint8_t*& P, const uint8_t* End, int& Columns) {
    Columns = P < End ? 1 + *P++ % 48 : 1;
    std::string sql = "CREATE TABLE t (";
    for (int i = 0; i < Columns; ++i) {
        const uint8_t b = P < End ? *P++ : 0;
        if (i) sql += ", ";
        sql += ColumnName(i, b) + " " + DeclTypes[b % DeclCount];
    }
    return sql + ");";
}

void Try(void (*Function)(TDBDataSet&), TDBDataSet& Ds) {
    try {
        Function(Ds);
    } catch (const Exception&) {}
}

// Reads every value every way a control or a program asks for it.
void ReadAll(TDBDataSet& Ds) {
    Ds.Open();
    int rows = 0;
    for (Ds.First(); !Ds.Eof() && rows < 16; Ds.Next(), ++rows)
        for (int i = 0; i < Ds.Fields()->Count(); ++i) {
            TField* f = Ds.Fields()->Fields(i);
            (void)f->DisplayText();
            (void)f->Text();
            (void)f->AsVariant();
            try {
                (void)f->AsFloat();
            } catch (const Exception&) {}
            try {
                (void)f->AsLargeInt();
            } catch (const Exception&) {}
            try {
                (void)f->AsDateTime();
            } catch (const Exception&) {}
            try {
                (void)f->AsBoolean();
            } catch (const Exception&) {}
        }
    Ds.Last();
    Ds.Prior();
    (void)Ds.RecordCount();
}

// Escape pressed as soon as the work shows busy.
class TImpatientWatch : public TDBWorkWatch {
public:
    void Begin() override { FBusy = true; }
    bool Poll() override { return FBusy; }
    void End() override { FBusy = false; }

private:
    bool FBusy = false;
};

// The file was written by SQLite here (a file of any bytes may be damaged:
// its scan and its read by key may then disagree, and so may the two roads).
bool WrittenHere = false;

// Locate by the database and by the walk over the records: the same record.
void LocateAsTheWalk(TDBDataSet& Ds, const std::string& Field, const Variant& Key, TLocateOptions Options) {
    int64_t found[2] = {-1, -1};
    for (const bool byDatabase : {false, true}) {
        Ds.SetLocateByDatabase(byDatabase);
        try {
            Ds.First();
            if (Ds.Locate(Field, Key, Options)) found[byDatabase] = Ds.CurrentKey();
        } catch (const Exception&) {
            return;
        }
    }
    Ds.SetLocateByDatabase(true);
    if (found[0] != found[1]) {
        std::fprintf(
            stderr, "Locate of %s (field type %d) (%s, type %d, options %d%d): walk %lld, database %lld\n",
            Field.c_str(), static_cast<int>(Ds.FieldByName(Field)->DataType()),
            Hex(Key.IsNull() ? std::string() : Key.AsString()).c_str(), static_cast<int>(Key.VarType()),
            Options.Contains(loCaseInsensitive), Options.Contains(loPartialKey),
            static_cast<long long>(found[0]), static_cast<long long>(found[1]));
        __builtin_trap();
    }
}

// Each field's value of the last record, and the text of the first field, as
// keys of every option.
void LocateEveryWay(TDBDataSet& Ds, TField* First) {
    try {
        Ds.Last();
        for (int i = 0; i < Ds.Fields()->Count() && i < 3; ++i) {
            TField* f = Ds.Fields()->Fields(i);
            const std::vector<Variant> keys = {f->AsVariant(), Variant(First->AsString())};
            for (const Variant& key : keys)
                for (const TLocateOptions& options :
                     {TLocateOptions{}, TLocateOptions{loCaseInsensitive}, TLocateOptions{loPartialKey},
                      TLocateOptions{loCaseInsensitive, loPartialKey}})
                    LocateAsTheWalk(Ds, f->FieldName(), key, options);
        }
    } catch (const Exception&) {}
}

// What a user does next: searches, sorts, edits a value as it reads.
void UseAll(TDBDataSet& Ds) {
    if (!Ds.Active() || Ds.Fields()->Count() == 0) return;
    TField* first = Ds.Fields()->Fields(0);
    Ds.First();
    const Variant v = first->AsVariant();
    try {
        (void)Ds.Locate(first->FieldName(), v, TLocateOptions{loCaseInsensitive, loPartialKey});
    } catch (const Exception&) {}
    if (WrittenHere) LocateEveryWay(Ds, first);
    if (auto* table = dynamic_cast<TTable*>(&Ds)) {
        try {
            table->SetIndexFieldNames(first->FieldName());
            ReadAll(Ds);
        } catch (const Exception&) {}
    }
    try {
        Ds.Edit();
        for (int i = 0; i < Ds.Fields()->Count(); ++i) {
            TField* f = Ds.Fields()->Fields(i);
            if (!f->ReadOnly()) f->SetText(f->Text());
        }
        Ds.Post();
    } catch (const Exception&) {
        Ds.Cancel();
    }
}

void Remove(const std::string& Path) {
    std::remove(Path.c_str());
    std::remove((Path + "-journal").c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 1) return 0;
    static const std::string path = TestRunPath("hostile.db");
    static TImpatientWatch watch;
    static TDBWorkWatch* const installed = SetDBWorkWatch(&watch);
    (void)installed;
    Remove(path);
    const uint8_t* p = Data + 1;
    const uint8_t* end = Data + Size;
    WrittenHere = (Data[0] & 1) != 0;
    if (!WrittenHere) {
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return 0;
        std::fwrite(p, 1, static_cast<std::size_t>(end - p), f);
        std::fclose(f);
    } else {
        int columns = 0;
        std::string sql = Schema(p, end, columns);
        for (int row = 0; row < 4 && p < end; ++row) {
            sql += "INSERT INTO t VALUES (";
            for (int i = 0; i < columns; ++i) sql += (i ? ", " : "") + Value(p, end);
            sql += ");";
        }
        static const char* const encodings[] = {"UTF-8", "UTF-16le", "UTF-16be", "UTF-8"};
        TDatabase db(nullptr);
        db.SetDatabaseName(path);
        db.Open();
        db.Execute(std::string("PRAGMA encoding = '") + encodings[(Data[0] >> 1) & 3] + "'");
        db.Execute(sql);
    }
    {
        TTable table(nullptr);
        table.SetDatabaseName(path);
        table.SetTableName("t");
        Try(ReadAll, table);
        Try(UseAll, table);
        TQuery query(nullptr);
        query.SetDatabaseName(path);
        query.SQL()->SetText("SELECT * FROM t");
        Try(ReadAll, query);
        Try(UseAll, query);
    }
    Remove(path);
    return 0;
}
