// The filter dialog's three roads (the record filter, the Filter text and the
// rewritten SQL) over an SQLite file, each one's rows set beside the rows the
// sqlite3 tool gives on the same file for the condition the record filter
// means, written here apart from the code under test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/datasource.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilterdialog.h"
#include "support/db/sqlite_cli.h"
#include "support/environment.h"
#include "support/suite/data/filter_criteria.h"

enum TRoadSource { rsTable, rsJoin, rsView };
enum TRoad { rdRecord, rdFilterText, rdSQL };

inline const char* RoadSourceText(TRoadSource Source) {
    switch (Source) {
    case rsTable: return "SELECT * FROM r";
    case rsJoin:
        return "SELECT r.id, r.name, r.city, r.qty, r.d, c.country FROM r LEFT JOIN c ON c.city = r.city";
    default: return "SELECT * FROM v";
    }
}

inline const char* RoadName(TRoad Road) {
    return Road == rdRecord ? "record" : Road == rdFilterText ? "filter text" : "SQL";
}

// The letters whose case the tests' own fold knows beyond ASCII.
inline const std::vector<std::pair<std::string, std::string>>& FoldPairs() {
    static const std::vector<std::pair<std::string, std::string>> pairs = {
        {"Ö", "ö"}, {"Ж", "ж"}, {"Ω", "ω"}, {"Σ", "σ"}};
    return pairs;
}

// A text in one case as the record filter takes these letters: to lower
// case (its fold) or to upper case (a case-blind range), ASCII and the pairs.
inline std::string TestCase(std::string Text, bool Upper) {
    const char from = Upper ? 'a' : 'A', to = Upper ? 'A' : 'a';
    for (char& c : Text)
        if (c >= from && c <= from + 25) c = static_cast<char>(c - from + to);
    for (const auto& [upper, lower] : FoldPairs()) {
        const std::string& a = Upper ? lower : upper;
        const std::string& b = Upper ? upper : lower;
        for (size_t at = Text.find(a); at != std::string::npos; at = Text.find(a, at))
            Text.replace(at, a.size(), b);
    }
    return Text;
}
inline std::string TestFold(const std::string& Text) { return TestCase(Text, false); }
inline std::string TestUpper(const std::string& Text) { return TestCase(Text, true); }

// The same in sqlite3's SQL (its lower() and upper() know only ASCII).
inline std::string CliCase(const std::string& Expression, bool Upper) {
    std::string out = (Upper ? "upper(" : "lower(") + Expression + ")";
    for (const auto& [upper, lower] : FoldPairs())
        out = "replace(" + out + ", '" + (Upper ? lower : upper) + "', '" + (Upper ? upper : lower) + "')";
    return out;
}
inline std::string CliFold(const std::string& Expression) { return CliCase(Expression, false); }
inline std::string CliUpper(const std::string& Expression) { return CliCase(Expression, true); }

inline std::string CliText(const std::string& Text) {
    std::string out = "'";
    for (char c : Text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

inline size_t CharCount(const std::string& Text) {
    size_t n = 0;
    for (char c : Text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

class FilterRoadsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        Path = Env.Path("roads.db");
        TDatabase maker(nullptr);
        maker.SetDatabaseName(Path);
        maker.Execute(
            "CREATE TABLE r (id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(20), qty INTEGER, d "
            "DATE);"
            "CREATE TABLE c (city VARCHAR(20) PRIMARY KEY, country VARCHAR(20));"
            "CREATE VIEW v AS SELECT r.id, r.name, r.city, r.qty, r.d, c.country FROM r LEFT JOIN c ON "
            "c.city ="
            " r.city;");
        maker.Close();
    }
    void Fill(const std::string& Sql) {
        TDatabase maker(nullptr);
        maker.SetDatabaseName(Path);
        maker.Execute(Sql);
        maker.Close();
    }

    // One road over one source (or over the query Text), open.
    struct TRoadRun {
        TRoadSource Source;
        TRoad Road;
        std::unique_ptr<TDBDataSet> DataSet;
        std::unique_ptr<TDataSource> Src;
        std::unique_ptr<TqzFilterDialog> Dialog;
    };
    TRoadRun OpenRoad(TRoadSource Source, TRoad Road, const std::string& Text = std::string(),
                      TqzFilterFieldsFetchType Fetch = fmUseTTable) {
        TRoadRun run{Source, Road, nullptr, std::make_unique<TDataSource>(nullptr), nullptr};
        if (Source == rsTable && Text.empty()) {
            auto* t = new TqzTable(nullptr);
            t->SetTableName("r");
            run.DataSet.reset(t);
        } else {
            auto* q = new TqzQuery(nullptr);
            q->SQL()->SetText(Text.empty() ? RoadSourceText(Source) : Text);
            run.DataSet.reset(q);
        }
        run.DataSet->SetDatabaseName(Path);
        run.DataSet->Open();
        run.Src->SetDataSet(run.DataSet.get());
        run.Dialog = std::make_unique<TqzFilterDialog>(nullptr);
        run.Dialog->SetDataSource(run.Src.get());
        run.Dialog->SetFieldsFetchMethod(Fetch);
        if (Road == rdFilterText) {
            run.Dialog->FilterPropertyOptions()->DatasetFilterType = fdUseFilterProp;
            run.Dialog->FilterPropertyOptions()->UseLikeOperator = true;
            run.Dialog->FilterPropertyOptions()->LikeSupportsUpperKeyword = true;
        }
        if (Road == rdSQL) run.Dialog->SetFilterMethod(fdByQueryModify);
        return run;
    }
    // The ids the road shows for the criteria, ascending and joined by ",";
    // "refused: " and the box's text when the road refuses.
    std::string Apply(TRoadRun& Run, const TqzFieldInfoList& Criteria) {
        Run.Dialog->Criteria() = Criteria;
        Dialogs.Clear();
        if (!Run.Dialog->ApplyFilter())
            return "refused: " + (Dialogs.Count() ? Dialogs.Last().Text : std::string());
        std::vector<int> ids;
        TField* id = Run.DataSet->FieldByName("id");
        for (Run.DataSet->First(); !Run.DataSet->Eof(); Run.DataSet->Next()) ids.push_back(id->AsInteger());
        std::sort(ids.begin(), ids.end());
        std::string out;
        for (int i : ids) out += (out.empty() ? "" : ",") + std::to_string(i);
        return out;
    }
    std::string Shown(TRoadSource Source, TRoad Road, const TqzFieldInfoList& Criteria,
                      const std::string& Text = std::string(), TqzFilterFieldsFetchType Fetch = fmUseTTable) {
        TRoadRun run = OpenRoad(Source, Road, Text, Fetch);
        return Apply(run, Criteria);
    }

    // What sqlite3 gives for each WHERE over its source: one line of ids each.
    std::vector<std::string> CliIds(
        const std::vector<std::pair<std::string, std::string>>& SourcesAndWheres) {
        std::string script;
        for (const auto& [source, where] : SourcesAndWheres)
            script += "SELECT coalesce((SELECT group_concat(id, ',') FROM (SELECT id FROM (" + source +
                      ") WHERE " + where + " ORDER BY id)), '') || '.';\n";
        const std::string out = SqliteCli(Path, script);
        std::vector<std::string> lines;
        size_t start = 0;
        while (start <= out.size()) {
            const size_t end = std::min(out.find('\n', start), out.size());
            std::string line = out.substr(start, end - start);
            if (!line.empty() && line.back() == '.') line.pop_back();
            lines.push_back(line);
            start = end + 1;
        }
        return lines;
    }
    std::string CliIds(TRoadSource Source, const std::string& Where) {
        const std::vector<std::string> lines = CliIds({{RoadSourceText(Source), Where}});
        return lines.size() == 1 ? lines[0] : "sqlite3: " + lines[0];
    }

    // Every road over every source shows what sqlite3 gives for Where.
    void ExpectRoads(const TqzFieldInfoList& Criteria, const std::string& Where) {
        for (TRoadSource source : {rsTable, rsJoin, rsView}) {
            const std::string expected = CliIds(source, Where);
            for (TRoad road : {rdRecord, rdFilterText, rdSQL}) {
                if (road == rdSQL && source == rsTable) continue;
                EXPECT_EQ(expected, Shown(source, road, Criteria))
                    << RoadName(road) << " road over " << RoadSourceText(source) << "\nwhere " << Where;
            }
        }
    }

    TTestEnvironment Env;
    std::string Path;
    TForm Form{nullptr};
    TTestDialogs Dialogs;
};
