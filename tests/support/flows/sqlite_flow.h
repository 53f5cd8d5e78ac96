// The flows' table on an SQLite file, for a flow control over the engine's
// SQLite datasets: the post stores the record, and the reading back goes
// through a fresh connection to the file.
#pragma once

#include <memory>
#include <string>

#include "platform/db/dbtables.h"
#include "platform/ui/forms.h"
#include "suite/data/qzdbtables.h"
#include "support/flows/user_flow.h"

// TBase: the flow control over the suite table on the file.
template <class TBase>
class TSqliteFlowOf : public TBase {
public:
    using TBase::TBase;
    TDataSet* MakeTable(TForm* Form, const std::string& Folder) override {
        FPath = Folder + "/flow.db";
        TDatabase maker(nullptr);
        maker.SetDatabaseName(FPath);
        maker.Execute(
            "CREATE TABLE flow (Id INTEGER PRIMARY KEY, Name VARCHAR(20), Code VARCHAR(6), Amount FLOAT,"
            " Notes TEXT, Details MEMO, Start DATE, Due DATE);");
        maker.Close();
        auto* table = new TqzTable(Form);
        table->SetDatabaseName(FPath);
        table->SetTableName("flow");
        return table;
    }
    std::unique_ptr<TDataSet> Reopen() override {
        // the form's table still holds its connection: the fresh one is the
        // file's other name
        auto table = std::make_unique<TTable>(nullptr);
        table->SetDatabaseName(FPath.substr(0, FPath.rfind('/')) + "/./flow.db");
        table->SetTableName("flow");
        table->Open();
        return table;
    }

private:
    std::string FPath;
};
