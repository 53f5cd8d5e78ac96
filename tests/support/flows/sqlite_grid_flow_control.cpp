// The suite grid over a suite table on an SQLite file in the user-flow
// suite: the post stores the record, and the reading back goes through a
// fresh connection to the file.
#include "platform/db/dbtables.h"
#include "suite/data/qzdbtables.h"
#include "support/flows/suite_grid_flow.h"
#include "support/flows/user_flow.h"

namespace {

class TSqliteGridFlow : public TSuiteGridFlow {
public:
    TDataSet* MakeTable(TForm* Form, const std::string& Folder) override {
        FPath = Folder + "/flow.db";
        TDatabase maker(nullptr);
        maker.SetDatabaseName(FPath);
        maker.Execute(
            "CREATE TABLE flow (Id INTEGER PRIMARY KEY, Name VARCHAR(20), Code VARCHAR(6), Amount FLOAT,"
            " Notes MEMO, Details MEMO, Start DATE, Due DATE);");
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

TFlowRegistration sqliteGrid("SqliteSuiteGrid", [] { return std::make_unique<TSqliteGridFlow>(); });

}  // namespace
