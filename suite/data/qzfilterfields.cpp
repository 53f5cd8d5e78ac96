// The filter dialog's field list for the SQL road: from the dataset's
// "FieldInfo" lines, or from the tables named after FROM in its SQL text.
#include <memory>

#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "suite/base/qzproputils.h"
#include "suite/data/qzfilterdialog.h"

namespace {

std::vector<std::string> SplitOn(const std::string& Text, char Separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = Text.find(Separator, start);
        parts.push_back(Text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

// The words of a FROM list item: blanks separate them; quotes and brackets
// hold their blanks.
std::vector<std::string> Words(const std::string& Text) {
    std::vector<std::string> words;
    std::string word;
    char close = 0;
    for (char c : Text) {
        if (close) {
            word += c;
            if (c == close) close = 0;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            if (c == '"' || c == '`') close = c;
            if (c == '[') close = ']';
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

bool IsClauseWord(const std::string& Word) {
    static const char* const words[] = {"WHERE",  "GROUP", "ORDER",  "HAVING", "UNION", "INTERSECT",
                                        "EXCEPT", "LIMIT", "WINDOW", "PLAN",   "FOR"};
    for (const char* w : words)
        if (AnsiSameText(Word, w)) return true;
    return false;
}

struct TFromTable {
    std::string Name;
    std::string Alias;
};

bool IsJoinWord(const std::string& Word) {
    static const char* const words[] = {"JOIN",  "LEFT",  "RIGHT", "FULL",
                                        "INNER", "OUTER", "CROSS", "NATURAL"};
    for (const char* w : words)
        if (AnsiSameText(Word, w)) return true;
    return false;
}

// The tables named after the first FROM, "," or a JOIN between them; a word
// after a table name is its alias; what follows ON or USING is the join's
// condition.
std::vector<TFromTable> FromTables(const std::string& Sql) {
    std::vector<TFromTable> tables;
    const std::vector<std::string> words = Words(Sql);
    size_t i = 0;
    while (i < words.size() && !AnsiSameText(words[i], "FROM")) ++i;
    std::string list;
    for (++i; i < words.size() && !IsClauseWord(words[i]); ++i) list += words[i] + " ";
    for (const std::string& item : SplitOn(list, ',')) {
        const std::vector<std::string> w = Words(item);
        size_t k = 0;
        while (k < w.size()) {
            while (k < w.size() && IsJoinWord(w[k])) ++k;
            if (k >= w.size()) break;
            if (w[k].find('(') == std::string::npos && !AnsiSameText(w[k], "ON") &&
                !AnsiSameText(w[k], "USING")) {
                TFromTable t{w[k], ""};
                size_t a = k + 1;
                if (a < w.size() && AnsiSameText(w[a], "AS")) ++a;
                if (a < w.size() && !IsJoinWord(w[a]) && !AnsiSameText(w[a], "ON") &&
                    !AnsiSameText(w[a], "USING"))
                    t.Alias = w[a];
                tables.push_back(t);
            }
            // on to the next JOIN
            while (k < w.size() && !IsJoinWord(w[k])) ++k;
        }
    }
    return tables;
}

}  // namespace

void TqzFilterDialog::DoInitTempDataSet(TDataSet* OrigDataSet, TDataSet* TempDataSet) {
    if (FOnInitTempDataSet) FOnInitTempDataSet(this, OrigDataSet, TempDataSet);
}

void TqzFilterDialog::GetFieldsBySQL() {
    FFieldList.clear();
    TDataSet* ds = GetDataSet();
    if (!ds) return;
    auto add = [this](TqzDBFieldInfo Info) {
        // a name already listed: "_1" until it is unique
        auto listed = [this](const std::string& Name) {
            for (const TqzDBFieldInfo& f : FFieldList)
                if (AnsiSameText(f.FieldName, Name)) return true;
            return false;
        };
        while (listed(Info.FieldName)) Info.FieldName += "_1";
        FFieldList.push_back(Info);
    };
    if (IsPublishedProp(ds, "FieldInfo")) {
        if (auto* lines = dynamic_cast<TStrings*>(GetObjectProp(ds, "FieldInfo"))) {
            for (int i = 0; i < lines->Count(); ++i) {
                const std::vector<std::string> p = SplitOn(lines->Strings(i), ';');
                if (p.size() < 6 || Trim(p[1]).empty()) continue;
                const int type = EnumInfoOf(ftUnknown).ValueOf(Trim(p[4]));
                int size = 0;
                TryStrToInt(Trim(p[5]), size);
                add({Trim(p[1]), Trim(p[0]), Trim(p[2]), type < 0 ? ftUnknown : static_cast<TFieldType>(type),
                     p[3], size, dynamic_cast<TDBDataSet*>(ds) != nullptr});
            }
            return;
        }
    }
    if (FFieldsFetchMethod == fmUseTFields) {
        GetFieldsFromDataSet();
        return;
    }
    std::string sql;
    {
        std::string name;
        GetSQLPropertyName(name);
        if (IsPublishedProp(ds, name)) {
            if (PropType(ds, name) == tkString)
                sql = GetStrProp(ds, name);
            else if (auto* lines = dynamic_cast<TStrings*>(GetObjectProp(ds, name)))
                sql = lines->Text();
        }
    }
    if (!FSavedSQL.empty()) sql = FSavedSQL;
    const std::vector<TFromTable> tables = FromTables(sql);
    for (const TFromTable& t : tables) {
        std::unique_ptr<TDBDataSet> temp;
        if (FFieldsFetchMethod == fmUseSQL) {
            auto* q = new TQuery(nullptr);
            q->SQL()->SetText("Select * from " + t.Name);
            temp.reset(q);
        } else {
            auto* table = new TTable(nullptr);
            table->SetTableName(t.Name);
            temp.reset(table);
        }
        temp->SetDatabaseName(qzGetDatabaseName(ds));
        DoInitTempDataSet(ds, temp.get());
        // with more than one table a name is qualified by its table
        const std::string qualifier = tables.size() > 1 ? (t.Alias.empty() ? t.Name : t.Alias) + "." : "";
        if (FFieldsFetchMethod == fmUseTTable && temp->FieldCount() == 0 && !temp->Active()) {
            // a table's fields are its field definitions: read without its rows
            temp->FieldDefs()->Update();
            for (int i = 0; i < temp->FieldDefs()->Count(); ++i) {
                const TFieldDef* d = temp->FieldDefs()->Items(i);
                // (the dataset keeps texts of any length)
                add({d->Name(), qualifier + d->Name(), t.Name, d->DataType(), d->Name(), d->Size(), true});
            }
            continue;
        }
        temp->Open();
        for (int i = 0; i < temp->FieldCount(); ++i) {
            TField* f = temp->Fields()->Fields(i);
            add({f->FieldName(), qualifier + f->FieldName(), t.Name, f->DataType(), f->DisplayLabel(),
                 f->Size(), temp->GetFieldText(f, nullptr)});
        }
    }
}
