// The main window's data model: the database component, the tables with
// their fields and settings, the data sources and the other non-visual
// components.
#include <initializer_list>
#include <string>

#include "app/ascii_file.h"
#include "app/main_form.h"
#include "app/main_form_parts.h"
#include "app/main_form_tables.h"
#include "engine/ostra_database.h"
#include "engine/ostra_table.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/stddialogs.h"

namespace {

TOstraTable* MakeTable(TfrmToDo* Form, const std::string& Name, TOstraDatabase* Db,
                       const std::string& FileName) {
    auto* table = MakeComponent<TOstraTable>(Form, nullptr, Name);
    table->SetDatabase(Db);
    table->SetTableName(FileName);
    table->SetLoadMode(lmFile);
    return table;
}

// A persistent field named as the platform names them: table name and field name.
TField* AddField(TfrmToDo* Form, TOstraTable* Table, const TToDoField& Def, TFieldKind Kind = fkData) {
    TField* field = CreateFieldOfType(Def.DataType, Form);
    field->SetFieldName(Def.Name);
    if (Def.Size > 0) field->SetSize(Def.Size);
    field->SetFieldKind(Kind);
    field->SetName(Table->Name() + Def.Name);
    field->SetDataSet(Table);
    return field;
}

// The fields of a table file, all of them or the named ones, in the file's order.
void AddFileFields(TfrmToDo* Form, TOstraTable* Table, std::initializer_list<const char*> Only = {}) {
    const TToDoTableFile* file = FindToDoTableFile(Table->TableName());
    if (!file) return;
    for (const TToDoField& field : file->Fields) {
        bool wanted = Only.size() == 0;
        for (const char* name : Only) wanted = wanted || field.Name == name;
        if (wanted) AddField(Form, Table, field);
    }
}

TDataSource* MakeSource(TfrmToDo* Form, const std::string& Name, TDataSet* DataSet) {
    auto* source = MakeComponent<TDataSource>(Form, nullptr, Name);
    source->SetDataSet(DataSet);
    return source;
}

}  // namespace

void TfrmToDo::BuildDataModel() {
    FOstraDb = MakeComponent<TOstraDatabase>(this, nullptr, "OstraDb");
    FOstraDb->SetDateFormat("mm/dd/yyyy");

    BuildTables();
    BuildDataSources();

    // ---- Other components
    FColorDialog1 = MakeComponent<TColorDialog>(this, nullptr, "ColorDialog1");
    FColorDialog1->CustomColors()->Add("ColorA=808022");
    BuildFilterDialog();
    FAsciiFile1 = MakeComponent<TAsciiFile>(this, nullptr, "AsciiFile1");
    FAsciiFile1->SetFileType(CSV);
    FAsciiFile1->SetHeaders(false);
    FAsciiFile1->SetQuoteAll(false);
}

void TfrmToDo::BuildTables() {
    FdTask_ = MakeTable(this, "dTask_", FOstraDb, "Ttask.d");
    FdTask_->SetIndexFieldNames("priority");
    FdTask_->SetOnNewRecord(TDataSetNotifyEvent(this, &TfrmToDo::dTask_NewRecord));
    AddFileFields(this, FdTask_);

    Fdtask2_ = MakeTable(this, "dtask2_", FOstraDb, "Ttask2.d");
    Fdtask2_->SetIndexFieldNames("Priority");
    Fdtask2_->SetSortOptions(TOstraSortOptions{osoCaseInsensitive});
    Fdtask2_->SetOnNewRecord(TDataSetNotifyEvent(this, &TfrmToDo::dtask2_NewRecord));
    AddFileFields(this, Fdtask2_);
    Fdtask2_->FieldByName("Date")->SetDisplayWidth(10);

    FtblToDay1_ = MakeTable(this, "tblToDay1_", FOstraDb, "Ttask.d");
    // The Today views share their group table's store: one copy of each file.
    FtblToDay1_->SetCloneDS(FdTask_);
    FtblToDay1_->SetIndexFieldNames("priority");
    FtblToDay1_->SetFilter("Flag='True'");
    FtblToDay1_->SetFiltered(true);
    FtblToDay1_->SetOnNewRecord(TDataSetNotifyEvent(this, &TfrmToDo::tblToDay1_NewRecord));
    AddFileFields(this, FtblToDay1_);

    FtblToDay2_ = MakeTable(this, "tblToDay2_", FOstraDb, "Ttask2.d");
    FtblToDay2_->SetCloneDS(Fdtask2_);
    FtblToDay2_->SetIndexFieldNames("priority");
    FtblToDay2_->SetFilter("Flag='True'");
    FtblToDay2_->SetFiltered(true);
    FtblToDay2_->SetOnNewRecord(TDataSetNotifyEvent(this, &TfrmToDo::tblToDay2_NewRecord));
    AddFileFields(this, FtblToDay2_);

    FdList_ = MakeTable(this, "dList_", FOstraDb, "List.d");
    FdList_->SetOnNewRecord(TDataSetNotifyEvent(this, &TfrmToDo::dList_NewRecord));
    FdList_->SetAfterOpen(TDataSetNotifyEvent(this, &TfrmToDo::dList_AfterOpen));
    AddFileFields(this, FdList_);

    FdArchive_ = MakeTable(this, "dArchive_", FOstraDb, "archive.d");
    FdArchive_->SetSortOptions(TOstraSortOptions{osoCaseInsensitive});
    FdArchive_->SetAutoCalcFields(false);
    AddFileFields(this, FdArchive_);

    FdQuotes_ = MakeTable(this, "dQuotes_", FOstraDb, "quotes.d");
    FdQuotes_->SetSortOptions(TOstraSortOptions{osoCaseInsensitive});
    FdQuotes_->SetNotes("1");
    AddFileFields(this, FdQuotes_);

    FdSelQuotes_ = MakeTable(this, "dSelQuotes_", FOstraDb, "quotes.d");
    // One store with the quote table: a quote added or changed there can be
    // the quote of the day at once.
    FdSelQuotes_->SetCloneDS(FdQuotes_);
    FdSelQuotes_->SetOnCalcFields(TDataSetNotifyEvent(this, &TfrmToDo::dSelQuotes_CalcFields));
    AddFileFields(this, FdSelQuotes_, {"Quote", "Author", "Display", "Key"});
    AddField(this, FdSelQuotes_, {"QandA", ftString, 255}, fkCalculated)->SetDisplayWidth(255);

    FdGoals_ = MakeTable(this, "dGoals_", FOstraDb, "Goals.d");
    FdGoals_->SetIndexFieldNames("Priority");
    FdGoals_->SetSortOptions(TOstraSortOptions{osoCaseInsensitive});
    AddFileFields(this, FdGoals_);

    FdGoalGrp_ = MakeTable(this, "dGoalGrp_", FOstraDb, "GoalGrp.d");
    AddFileFields(this, FdGoalGrp_);

    FdCateg = MakeTable(this, "dCateg", FOstraDb, "catg.d");
    AddFileFields(this, FdCateg);
    FdCateg2 = MakeTable(this, "dCateg2", FOstraDb, "catg2.d");
    AddFileFields(this, FdCateg2);
    for (TOstraTable* t : {FdCateg, FdCateg2})
        if (auto* key = dynamic_cast<TNumericField*>(t->FieldByName("CKEY")))
            key->SetDisplayFormat("0.######");

    FdStatus1 = MakeTable(this, "dStatus1", FOstraDb, "status1.d");
    AddFileFields(this, FdStatus1);
    FvtblAppids_ = MakeTable(this, "vtblAppids_", FOstraDb, "appid.d");
    AddFileFields(this, FvtblAppids_);
}

void TfrmToDo::BuildDataSources() {
    FDataTask = MakeSource(this, "DataTask", FdTask_);
    FdsTask2 = MakeSource(this, "dsTask2", Fdtask2_);
    Fdstday = MakeSource(this, "dstday", FtblToDay1_);
    FdsTday2 = MakeSource(this, "dsTday2", FtblToDay2_);
    FdsList = MakeSource(this, "dsList", FdList_);
    FdsArchive = MakeSource(this, "dsArchive", FdArchive_);
    FdsQuotes = MakeSource(this, "dsQuotes", FdQuotes_);
    FdsSelQ = MakeSource(this, "dsSelQ", FdSelQuotes_);
    FdsGoals = MakeSource(this, "dsGoals", FdGoals_);
    FdsGoalGrp = MakeSource(this, "dsGoalGrp", FdGoalGrp_);
    FDataCatg = MakeSource(this, "DataCatg", FdCateg);
    FdsCateg = MakeSource(this, "dsCateg", FdCateg);
    FdsCateg2 = MakeSource(this, "dsCateg2", FdCateg2);
    FdsStatus1 = MakeSource(this, "dsStatus1", FdStatus1);
    FdsAppIds = MakeSource(this, "dsAppIds", FvtblAppids_);
    // The project groups follow the projects (no master fields).
    FdGoalGrp_->SetMasterSource(FdsGoals);
}
