// The datasets' shared filter and cursor extras, the table's open and fields, its
// indexes, ranges and key searches, mask checks before post, and the query and stored
// procedure.
#include "suite/data/qzdbtables.h"

#include "platform/core/case_fold.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/scope_exit.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbconsts.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzrecordsearch.h"
#include "suite/base/qztablesearch.h"
#include "suite/data/qzfilter.h"

// ---- Shared additions ----

namespace {
TField* CalcLookupResultField(TDataSet* DataSet, TField* Field, const Variant& KeyValue);

// The suite table's indexed searches for the lookup controls.
const TqzTableSearch TableSearch{
    [](TDataSet* T, const std::string& F) { return static_cast<TqzTable*>(T)->SelectIndexForField(F); },
    [](TDataSet* T, TStrings* L) { static_cast<TqzTable*>(T)->SelectIndexForSelected(L); },
    [](TDataSet* T, const std::vector<Variant>& V) { return static_cast<TqzTable*>(T)->FindKeyValues(V); },
    [](TDataSet* T, const std::string& S, int P) { return static_cast<TqzTable*>(T)->FindNearestText(S, P); },
    [](TDataSet* T, const std::string& S, const std::string& F, int M, bool C) {
        return static_cast<TqzTable*>(T)->FindFieldValue(S, F, M, C);
    }};
}  // namespace

TqzDataSetExtras::TqzDataSetExtras(TDBDataSet* Owner) : DataSet(Owner) {
    qzSetCalcLookupResolver(&CalcLookupResultField);
    qzSetTableSearch(&TableSearch);
}

TqzDataSetExtras::~TqzDataSetExtras() = default;

bool TqzDataSetExtras::FilterRecord() {
    if (DataSet->ComponentState().Contains(csLoading) || !OnFilter.Assigned() || Running ||
        !OnFilterOptions.Contains(ofoEnabled))
        return true;
    Running = true;
    bool accept = true;
    try {
        OnFilter(DataSet, accept);
    } catch (...) {
        // a raising handler must not leave filtering switched off
        Running = false;
        throw;
    }
    Running = false;
    if (OnFilterOptions.Contains(ofoShowHourGlass) && !accept && !HourGlassShown && Screen &&
        Screen->Cursor() != crHourGlass) {
        Screen->SetCursor(crHourGlass);
        HourGlassShown = true;
    }
    if (OnFilterOptions.Contains(ofoCancelOnEscape)) {
        EscapeCounter = (EscapeCounter + 1) % 32000;
        if (EscapeCounter % 100 == 0 && qzCancelFilterOnEscape(DataSet)) {
            SetOnFilterOptions(OnFilterOptions - TqzOnFilterOptions{ofoEnabled});
            OnFilterEscape(DataSet);
        }
    }
    return accept;
}

void TqzDataSetExtras::InstallCallback() {
    qzInstallFilterCallback(
        OnFilter.Assigned() ? TDBFilterCallback([this] { return FilterRecord(); }) : TDBFilterCallback(),
        DataSet, FilterHandle);
}

void TqzDataSetExtras::SetOnFilterOptions(TqzOnFilterOptions Value) {
    const bool removed = OnFilterOptions.Contains(ofoEnabled) && !Value.Contains(ofoEnabled);
    OnFilterOptions = Value;
    if (removed && DataSet->Active() && OnFilter.Assigned()) {
        DataSet->UpdateCursorPos();
        DataSet->RefreshCursor();
    }
}

void TqzDataSetExtras::RestoreCursor() {
    if (!HourGlassShown) return;
    HourGlassShown = false;
    if (Screen) Screen->SetCursor(crDefault);
}

#define TQZ_DATASET_EXTRAS_IMPL(Class, Base)                                                                \
    void Class::SetOnFilter(const TFilterRecordEvent& Value) {                                              \
        FExtras.OnFilter = Value;                                                                           \
        if (Active()) FExtras.InstallCallback();                                                            \
    }                                                                                                       \
    void Class::DataEvent(TDataEvent Event, intptr_t Info) {                                                \
        Base::DataEvent(Event, Info);                                                                       \
        FExtras.RestoreCursor();                                                                            \
    }                                                                                                       \
    void Class::DoOnCalcFields() {                                                                          \
        qzRemoveStaleFieldEntries(this, &FExtras.LookupFields, &FExtras.LookupLinks, &FExtras.ControlType); \
        qzOpenLookupTables(this, &FExtras.LookupFields, &FExtras.LookupLinks, FExtras.LookupTables);        \
        Base::DoOnCalcFields();                                                                             \
    }

#define TQZ_PUBLISH_EXTRAS(p, Class)                                                    \
    p.Property("ControlType", &Class::ControlType, &Class::SetControlType);             \
    p.Property("LookupFields", &Class::LookupFields, &Class::SetLookupFields);          \
    p.Property("LookupLinks", &Class::LookupLinks, &Class::SetLookupLinks);             \
    p.Property("PictureMasks", &Class::PictureMasks, &Class::SetPictureMasks);          \
    p.Property("OnInvalidValue", &Class::OnInvalidValue, &Class::SetOnInvalidValue);    \
    p.Property("OnFilter", &Class::OnFilter, &Class::SetOnFilter);                      \
    p.Property("OnFilterOptions", &Class::OnFilterOptions, &Class::SetOnFilterOptions); \
    p.Property("OnFilterEscape", &Class::OnFilterEscape, &Class::SetOnFilterEscape)

TQZ_DATASET_EXTRAS_IMPL(TqzTable, TTable)
TQZ_DATASET_EXTRAS_IMPL(TqzQuery, TQuery)
TQZ_DATASET_EXTRAS_IMPL(TqzStoredProc, TStoredProc)
TQZ_DATASET_EXTRAS_IMPL(TqzQBE, TDBDataSet)

// ---- TqzTable ----

// The query of the Query lines: a read-only TQuery whose fetch and rows the
// table uses as its own.
class TqzTable::TQueryRunner : public TQuery {
public:
    using TQuery::AcquireConnection;
    using TQuery::FetchKeys;
    using TQuery::OpenData;
    using TQuery::ReadRow;
    using TQuery::TQuery;
};

TqzTable::TqzTable(TComponent* AOwner) : TTable(AOwner), FqzFilter(new TStringList), FQuery(new TStringList) {
    static_cast<TStringList*>(FqzFilter)->SetOnChange(TNotifyEvent(this, &TqzTable::FilterLinesChanged));
}

TqzTable::~TqzTable() {
    Destroying();
    SetActive(false);
    delete FRunner;
    delete FqzFilter;
    delete FQuery;
}

void TqzTable::Publish(TPublisher<TqzTable>& p) {
    TQZ_PUBLISH_EXTRAS(p, TqzTable);
    p.Property("ValidateWithMask", &TqzTable::ValidateWithMask, &TqzTable::SetValidateWithMask);
    p.Property("qzFilter", &TqzTable::qzFilter, &TqzTable::SetqzFilter);
    p.Property("Query", &TqzTable::Query, &TqzTable::SetQuery);
    p.Property("SyncSQLByRange", &TqzTable::SyncSQLByRange, &TqzTable::SetSyncSQLByRange);
    p.Property("NarrowSearch", &TqzTable::NarrowSearch, &TqzTable::SetNarrowSearch);
    p.Property("NarrowSearchUpperChar", &TqzTable::NarrowSearchUpperChar,
               &TqzTable::SetNarrowSearchUpperChar);
}

std::string TqzTable::FilterExpression() const {
    std::string out;
    bool first = true;
    for (int i = 0; i < FqzFilter->Count(); ++i) {
        std::string line = FqzFilter->Strings(i);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
        if (line.empty()) continue;
        out += first ? line : " AND (" + line + ")";
        first = false;
    }
    return out;
}

void TqzTable::ApplyExpression() {
    if (!qzInstallFilterExpression(this, FilterExpression(), FExpressionHandle))
        MessageDlg("Fail to set filter", mtWarning, TMsgDlgButtons{mbOK}, 0);
}

void TqzTable::FilterLinesChanged(TObject*) {
    if (Active()) ApplyExpression();
}

void TqzTable::DoAfterOpen() {
    if (!FilterExpression().empty()) ApplyExpression();
    if (FExtras.OnFilter.Assigned()) FExtras.InstallCallback();
    TTable::DoAfterOpen();
}

void TqzTable::DoBeforePost() {
    TTable::DoBeforePost();
    if (FExtras.ValidateWithMask) qzValidatePictureMasks(this, FExtras.OnInvalidValue);
}

bool TqzTable::IsSequenced() {
    return !FExtras.OnFilter.Assigned() && FilterExpression().empty() && TTable::IsSequenced();
}

void TqzTable::SetQuery(TStrings* Value) {
    if (Active()) Close();
    if (Value && Value->Count() > 0) {
        TTable::SetTableName("");
        SetIndexFieldNames("");
        SetMasterSource(nullptr);
        SetMasterFields("");
    }
    FQuery->Assign(Value);
}

TqzTable::TQueryRunner* TqzTable::StartQuery() {
    const std::string text = FQuery->Text();
    const size_t from = text.find_first_not_of(" \t\r\n");
    const std::string first = from == std::string::npos
                                  ? std::string()
                                  : text.substr(from, text.find_first_of(" \t\r\n", from) - from);
    // QBE is a language this engine does not have
    if (AnsiLowerCase(first) == "query") throw EDBEngineError(SCapabilityNotSupported, DBIERR_NOTSUPPORTED);
    auto runner = std::make_unique<TQueryRunner>(nullptr);
    runner->SetDatabaseName(DatabaseName());
    runner->SQL()->Assign(FQuery);
    {
        TqzHourGlass hourGlass;
        runner->AcquireConnection();
        runner->OpenData();
    }
    FieldDefs()->Assign(runner->FieldDefs());
    return runner.release();
}

void TqzTable::OpenData() {
    if (FQuery->Count() == 0) {
        TTable::OpenData();
        return;
    }
    delete FRunner;
    FRunner = nullptr;
    FRunner = StartQuery();
}

void TqzTable::CloseData() {
    delete FRunner;
    FRunner = nullptr;
    TTable::CloseData();
}

void TqzTable::InternalInitFieldDefs() {
    if (FQuery->Count() == 0 || FRunner) {
        if (FQuery->Count() == 0) TTable::InternalInitFieldDefs();
        return;
    }
    delete StartQuery();
}

std::vector<int64_t> TqzTable::FetchKeys() {
    if (!FRunner) return TTable::FetchKeys();
    TqzHourGlass hourGlass;
    return FRunner->FetchKeys();
}

void TqzTable::ReadRow(int64_t Key, TRow& Row) {
    if (FRunner)
        FRunner->ReadRow(Key, Row);
    else
        TTable::ReadRow(Key, Row);
}

bool TqzTable::GetCanModify() { return FQuery->Count() == 0 && TTable::GetCanModify(); }

int TqzTable::AddFilterExpression(std::unique_ptr<TFilterNode> Tree, int Priority) {
    // the rows of a query are no table the expression can be run on
    if (FQuery->Count() > 0) return TDBDataSet::AddFilterExpression(std::move(Tree), Priority);
    return TTable::AddFilterExpression(std::move(Tree), Priority);
}

bool TqzTable::IsDBaseTable() const {
    return TableType() == ttDBase || AnsiSameText(ExtractFileExt(TableName()), ".DBF");
}

bool TqzTable::IsParadoxTable() const {
    if (TableType() == ttParadox) return true;
    const std::string name = AnsiLowerCase(TableName());
    return TableType() == ttDefault && name.find(".db") != std::string::npos && !name.empty() &&
           name.back() == 'b';
}

void TqzTable::SetTableName(const std::string& Value) {
    TTable::SetTableName(Value);
    if (!Value.empty()) FQuery->Clear();
}

std::string TqzTable::GetIndexFields(const std::string& Name) {
    if (IndexDefs()->Count() == 0 || !IndexDefs()->Updated()) IndexDefs()->Update();
    TIndexDef* def = IndexDefs()->FindIndex(Name.empty() ? "PrimaryKey" : Name);
    return def && (Name.empty() ? def->Name == "PrimaryKey"
                                : def->Name == Name || AnsiSameText(def->Name, Name))
               ? def->Fields
               : std::string();
}

void TqzTable::FindIndexForFields(const std::string& Fields, bool CaseInsensitive, std::string& Name) {
    if (IndexDefs()->Count() == 0 || !IndexDefs()->Updated()) IndexDefs()->Update();
    TIndexDef* def = IndexDefs()->GetIndexForFields(Fields, CaseInsensitive);
    Name = def ? def->Name : "?";
}

void TqzTable::FindIndexForFields(const std::string& Fields, std::string& Name) {
    FindIndexForFields(Fields, true, Name);
    if (Name != "?") return;
    FindIndexForFields(Fields, false, Name);
}

std::string TqzTable::FirstIndexFieldName() {
    std::string list = IndexFieldNames();
    if (list.empty() && !IndexName().empty()) list = GetIndexFields(IndexName());
    return Trim(list.substr(0, list.find(';')));
}

bool TqzTable::SelectIndexForField(const std::string& FieldName) {
    if (FieldName.empty() || FQuery->Count() > 0) return false;
    if (!MasterSource() && AnsiSameText(FirstIndexFieldName(), FieldName)) return false;
    ++FBusy;
    std::string name;
    FindIndexForFields(FieldName, name);
    --FBusy;
    if (name == "?") return false;
    if (!AnsiSameText(name, IndexName())) {
        if (MasterSource() && Active()) CancelRange();
        qzSwitchIndexKeepRecord(this, IndexDefs()->FindIndex(name));
    }
    return true;
}

void TqzTable::SelectIndexForSelected(TStrings* List) {
    if (!List || List->Count() == 0) return;
    const std::string line = List->Strings(0);
    SelectIndexForField(line.substr(0, line.find('\t')));
}

bool TqzTable::FindKeyValues(const std::vector<Variant>& Values) {
    if (IndexFieldCount() == 0 && IndexName().empty()) return false;
    ++FBusy;
    const TScopeExit done([this] { --FBusy; });
    const int count = IndexFieldCount();
    if (static_cast<int>(Values.size()) > count) {
        MessageDlg("Table " + Name() + ": FindKey has too many lookup values for index " + IndexName(),
                   mtWarning, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    if (count == 0) {
        MessageDlg("Table " + Name() + ": Table index not found", mtWarning, TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    if (FNarrowSearch && RangeActive()) CancelRange();
    // already there: compared by the index's case rule
    TIndexDef* index = ActiveIndex();
    const bool caseless = index && index->Options.Contains(ixCaseInsensitive);
    if (Active() && !IsEmpty()) {
        bool same = true;
        for (size_t i = 0; i < Values.size() && same; ++i) {
            const std::string have = IndexFields(static_cast<int>(i))->AsString();
            const std::string want = Values[i].IsNull() ? std::string() : Values[i].AsString();
            same = caseless ? SameFolded(have, want) : have == want;
        }
        if (same) return true;
    }
    return FindKey(Values);
}

void TqzTable::ApplyRangeFrom(const std::vector<Variant>& Values) {
    CheckBrowseMode();
    SetRange(Values, {});
}

void TqzTable::ApplyRangeFromDataSet(TDataSet* Other) {
    if (!Other || Other == this) return;
    TqzHourGlass hourGlass;
    TqzControlsDisabled disabled(this);
    SetRangeStart();
    for (int i = 0; i < IndexFieldCount(); ++i)
        if (TField* theirs = Other->FindField(IndexFields(i)->FieldName()))
            IndexFields(i)->SetAsString(theirs->AsString());
    SetRangeEnd();
    ApplyRange();
}

bool TqzTable::FindNearestText(const std::string& Text, int) {
    ++FBusy;
    bool found = false;
    try {
        found = qzFindIndexValue(this, Text);
    } catch (...) {
        --FBusy;
        throw;
    }
    --FBusy;
    return found;
}

bool TqzTable::FindFieldValue(const std::string& Value, const std::string& FieldName, int MatchType,
                              bool CaseSensitive) {
    ++FBusy;
    bool found = false;
    try {
        found = qzLocateFieldValue(this, Value, FieldName, CaseSensitive,
                                   static_cast<TqzLocateMatchType>(MatchType));
    } catch (...) {
        --FBusy;
        throw;
    }
    --FBusy;
    return found;
}

void TqzTable::ResetRange() {
    if (Active()) CancelRange();
}

void TqzTable::GetValidityPictureMask(const std::string&, std::string& Mask) { Mask.clear(); }

Variant TqzTable::GetFilterFieldValue(const std::string& FieldName) {
    TField* field = FindField(FieldName);
    if (!field) DatabaseErrorFmt("Field '%s' not found", FieldName);
    if (field->IsBlob()) return Variant(qzReadMemoForFilter(this, field));
    return field->AsVariant();
}

// ---- TqzQuery ----

TqzQuery::TqzQuery(TComponent* AOwner) : TQuery(AOwner) {}
TqzQuery::~TqzQuery() {
    Destroying();
    SetActive(false);
}

void TqzQuery::Publish(TPublisher<TqzQuery>& p) {
    TQZ_PUBLISH_EXTRAS(p, TqzQuery);
    p.Property("ValidateWithMask", &TqzQuery::ValidateWithMask, &TqzQuery::SetValidateWithMask);
}

void TqzQuery::DoAfterOpen() {
    if (FExtras.OnFilter.Assigned()) FExtras.InstallCallback();
    TQuery::DoAfterOpen();
}

void TqzQuery::DoBeforePost() {
    TQuery::DoBeforePost();
    if (FExtras.ValidateWithMask) qzValidatePictureMasks(this, FExtras.OnInvalidValue);
}

// ---- TqzStoredProc ----

TqzStoredProc::TqzStoredProc(TComponent* AOwner) : TStoredProc(AOwner) {}
TqzStoredProc::~TqzStoredProc() {
    Destroying();
    SetActive(false);
}

void TqzStoredProc::Publish(TPublisher<TqzStoredProc>& p) {
    TQZ_PUBLISH_EXTRAS(p, TqzStoredProc);
    p.Property("ValidateWithMask", &TqzStoredProc::ValidateWithMask, &TqzStoredProc::SetValidateWithMask);
}

// ---- TqzQBE ----

TqzQBE::TqzQBE(TComponent* AOwner) : TDBDataSet(AOwner), FQBE(new TStringList) {}
TqzQBE::~TqzQBE() {
    Destroying();
    SetActive(false);
    delete FQBE;
}

void TqzQBE::Publish(TPublisher<TqzQBE>& p) {
    TQZ_PUBLISH_EXTRAS(p, TqzQBE);
    p.Property("QBE", &TqzQBE::QBE, &TqzQBE::SetQBE);
    p.Property("AnswerTable", &TqzQBE::AnswerTable, &TqzQBE::SetAnswerTable);
    p.Property("AuxiliaryTables", &TqzQBE::AuxiliaryTables, &TqzQBE::SetAuxiliaryTables);
    p.Property("BlankAsZero", &TqzQBE::BlankAsZero, &TqzQBE::SetBlankAsZero);
    p.Property("OnError", &TqzQBE::OnError, &TqzQBE::SetOnError).SetTypeName("TqzQBEErrorEvent");
}

void TqzQBE::SetQBE(TStrings* Value) {
    const bool was = Active();
    FQBE->Assign(Value);
    if (was) {
        Close();
        Open();
    }
}

namespace {

bool QBENameChar(char c) { return c == '#' || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string TqzQBE::SubstitutedText() const {
    std::string out;
    for (int l = 0; l < FQBE->Count(); ++l) {
        const std::string line = FQBE->Strings(l);
        std::string result;
        if (line.find('~') == std::string::npos) {
            result = line;
        } else {
            const std::string lower = AnsiLowerCase(line);
            // one pass: each "~" with its whole name; an inserted value is never read again
            for (size_t i = 0; i < line.size();) {
                if (line[i] != '~') {
                    result += line[i++];
                    continue;
                }
                size_t j = i + 1;
                while (j < lower.size() && QBENameChar(lower[j])) ++j;
                const std::string name = lower.substr(i + 1, j - i - 1);
                int found = -1;
                for (int p = 0; p < ParamNames.Count() && found < 0; ++p)
                    if (!name.empty() && AnsiLowerCase(ParamNames.Strings(p)) == name) found = p;
                if (found >= 0)
                    result += found < ParamValues.Count() ? ParamValues.Strings(found).substr(0, 255)
                                                          : std::string();
                else
                    result += ' ';
                i = j;
            }
        }
        out += (l ? "\r\n" : "") + result;
    }
    return out;
}

int TqzQBE::RunQBE() {
    (void)SubstitutedText();
    const int code = DBIERR_NOTSUPPORTED;
    FOnError(this, code);
    return code;
}

void TqzQBE::OpenData() {
    if (FQBE->Count() == 0 || FQBE->Strings(0).empty())
        throw EDBEngineError(SCapabilityNotSupported, DBIERR_NOTSUPPORTED);
    int code = RunQBE();
    // a lock held by another user: tried again while the lock-retry check allows
    for (int attempt = 1; IsLockConflict(code) && LockRetryAllowed(attempt); ++attempt) code = RunQBE();
    if (IsLockConflict(code)) throw EDBEngineError(SDataLocked, code);
    throw EDBEngineError(SCapabilityNotSupported, code);
}

// ---- Index routines ----

bool qzFindIndexValue(TDataSet* DataSet, const std::string& Value) {
    auto* table = dynamic_cast<TTable*>(DataSet);
    if (!table) return false;
    if (table->IndexFieldCount() == 0)
        DatabaseError("Table " + table->TableName() + ": Table index not found");
    TField* field = table->IndexFields(0);
    const TFieldType type = field->DataType();
    const bool text = qzIsValidTextForFieldType(type, Value) || type == ftString;
    if (!Value.empty() && !text) return false;
    if (Value.empty() && type != ftString && type != ftMemo && !qzIsValidTextForFieldType(type, Value))
        return false;
    if (type == ftBoolean && !Value.empty()) {
        // a word that is no Boolean value (a part of "True" typed so far) is no key
        try {
            (void)Variant(Value).AsBoolean();
        } catch (const EVariantError&) {
            return false;
        }
    }
    auto* suite = dynamic_cast<TqzTable*>(table);
    if (suite && suite->NarrowSearch()) {
        TqzHourGlass hourGlass;
        TqzControlsDisabled disabled(table);
        if (Value.empty()) {
            table->CancelRange();
        } else if (type == ftString) {
            std::string upper = Value;
            const int room = field->Size() - static_cast<int>(Value.size());
            // the padding character as UTF-8 (at least as high as every text it bounds)
            const int pad = suite->NarrowSearchUpperChar();
            const std::string padding =
                pad < 0x80 ? std::string(1, static_cast<char>(pad)) : std::string("\xF4\x8F\xBF\xBF");
            for (int i = 0; i < std::max(room, 1); ++i) upper += padding;
            table->SetRange({Variant(Value)}, {Variant(upper)});
        } else {
            table->SetRange({Variant(Value)}, {});
        }
    } else {
        table->FindNearest({Value.empty() ? Variant(Null()) : Variant(Value)});
    }
    if (table->IsEmpty()) return false;
    if (type == ftFloat || type == ftCurrency) {
        double v = 0;
        if (Value.empty()) return field->AsString().empty();
        return TryStrToFloat(Value, v) && !field->IsNull() && field->AsFloat() == v;
    }
    if (qzIsNumericFieldType(type) || type == ftLargeint) return field->AsString() == Value;
    const std::string have = FoldCase(field->AsString());
    const std::string want = FoldCase(Value);
    return have.compare(0, want.size(), want) == 0;
}

void qzSetIndexForFields(TTable* Table, const std::string& Fields) {
    if (!Table) return;
    if (!Table->IndexDefs()->Updated()) Table->IndexDefs()->Update();
    TIndexDef* def = Table->IndexDefs()->GetIndexForFields(Fields, false);
    if (!def) def = Table->IndexDefs()->GetIndexForFields(Fields, true);
    if (def) Table->SetIndexName(def->Name);
}

std::vector<TDBDataSet*>* qzGetLookupTableList(TDataSet* DataSet) {
    if (auto* t = dynamic_cast<TqzTable*>(DataSet)) return &t->LookupTableList();
    if (auto* q = dynamic_cast<TqzQuery*>(DataSet)) return &q->LookupTableList();
    if (auto* s = dynamic_cast<TqzStoredProc*>(DataSet)) return &s->LookupTableList();
    if (auto* b = dynamic_cast<TqzQBE*>(DataSet)) return &b->LookupTableList();
    return nullptr;
}

void qzSwitchIndexKeepRecord(TTable* Table, TIndexDef* IndexDef) {
    if (!Table || !IndexDef) return;
    if (AnsiSameText(IndexDef->Name, Table->IndexName()) && Table->IndexFieldNames().empty()) return;
    auto* suite = dynamic_cast<TqzTable*>(Table);
    const bool server = Table->IsSQLBased() && (!suite || suite->SyncSQLByRange());
    if (!Table->Active() || Table->IsEmpty()) {
        Table->SetIndexName(IndexDef->Name);
        return;
    }
    TqzHourGlass hourGlass;
    if (!server) {
        const TBookmark mark = Table->Bookmark();
        Table->SetIndexName(IndexDef->Name);
        if (!mark.empty() && Table->BookmarkValid(mark)) Table->GotoBookmark(mark);
        return;
    }
    TqzControlsDisabled disabled(Table);
    std::vector<Variant> values;
    const std::string fields = IndexDef->Fields;
    size_t start = 0;
    while (!fields.empty()) {
        const size_t end = fields.find(';', start);
        const std::string name = Trim(fields.substr(start, end == std::string::npos ? end : end - start));
        if (TField* field = Table->FindField(name)) values.emplace_back(field->AsString());
        if (end == std::string::npos) break;
        start = end + 1;
    }
    Table->Close();
    Table->SetIndexName(IndexDef->Name);
    Table->Open();
    if (!values.empty()) Table->FindKey(values);
}

// ---- Lookup tables ----

namespace {

std::vector<std::string> SplitItems(const std::string& Line) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t end = Line.find(';', start);
        out.push_back(Line.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out;
}

std::string CutExtension(const std::string& Name) { return Name.substr(0, Name.find('.')); }

// One LookupFields line read with its LookupLinks partner.
struct TLookupLine {
    std::vector<std::string> Items;
    std::string Database, Table, IndexFields, Link;
    std::vector<std::string> LinkItems;
    bool CutName = false;
    const std::string& Field() const { return Items[0]; }
    const std::string& Result() const { return Items[3]; }
    std::string Index() const { return Items.size() > 4 ? Items[4] : std::string(); }
};

// False for a line too short to name a field, table and result.
bool ReadLookupLine(TDataSet* DataSet, TStrings* Fields, TStrings* Links, int Index, TLookupLine& Line) {
    Line.Items = SplitItems(Fields->Strings(Index));
    if (Line.Items.size() < 4 || Line.Items[0].empty() || Line.Items[2].empty()) return false;
    Line.Database = Line.Items[1];
    // no database named: the dataset's own
    if (Line.Database.empty())
        if (auto* db = dynamic_cast<TDBDataSet*>(DataSet)) Line.Database = db->DatabaseName();
    if (Line.Items.size() > 5) {
        Line.CutName = Line.Items.back() == "N";
        for (size_t i = 5; i + 1 < Line.Items.size(); ++i)
            Line.IndexFields += (Line.IndexFields.empty() ? "" : ";") + Line.Items[i];
    }
    Line.Table = Line.CutName ? CutExtension(Line.Items[2]) : Line.Items[2];
    Line.Link = Links && Index < Links->Count() ? Links->Strings(Index) : std::string();
    Line.LinkItems = Line.Link.empty() ? std::vector<std::string>() : SplitItems(Line.Link);
    return true;
}

TqzTable* MatchingTable(const std::vector<TDBDataSet*>& List, const TLookupLine& Line) {
    for (TDBDataSet* ds : List) {
        auto* t = dynamic_cast<TqzTable*>(ds);
        if (!t || t->DatabaseName() != Line.Database) continue;
        const std::string name = Line.CutName ? CutExtension(t->TableName()) : t->TableName();
        if (name == Line.Table && AnsiLowerCase(t->LookupState.Link) == AnsiLowerCase(Line.Link)) return t;
    }
    return nullptr;
}

// The line of the field (item 0 compared exactly); False when none.
bool LookupLineOfField(TDataSet* DataSet, const std::string& FieldName, TLookupLine& Line) {
    TStrings* fields = qzGetLookupFields(DataSet);
    if (!fields) return false;
    for (int i = 0; i < fields->Count(); ++i)
        if (ReadLookupLine(DataSet, fields, qzGetLookupLinks(DataSet), i, Line) && Line.Field() == FieldName)
            return true;
    return false;
}

bool OwnFieldsExist(TDataSet* DataSet, const std::vector<std::string>& LinkItems) {
    for (size_t i = 0; i < LinkItems.size(); i += 2)
        if (!DataSet->FindField(LinkItems[i])) return false;
    return true;
}

// The key search of one to six pairs; Value(k) gives pair k's own value.
template <class F>
bool SearchLinked(TTable* Table, const std::vector<std::string>& LinkItems, F Value) {
    if (!Table->Active()) return false;
    const size_t pairs = LinkItems.size() / 2;
    if (pairs == 0) return false;
    if (Table->IndexFieldCount() > 0) {
        if (pairs > 6 || static_cast<int>(pairs) > Table->IndexFieldCount()) return false;
        std::vector<Variant> keys;
        for (size_t k = 0; k < pairs; ++k) keys.push_back(Value(k));
        return Table->FindKey(keys);
    }
    const Variant first = Value(0);
    return qzFindRecordByValue(true, Table, LinkItems[1], first.IsNull() ? std::string() : first.AsString(),
                               mtExactMatch, true, false);
}

TField* CalcLookupResultField(TDataSet* DataSet, TField* Field, const Variant& KeyValue) {
    TLookupLine line;
    if (!LookupLineOfField(DataSet, Field->FieldName(), line)) return nullptr;
    std::vector<TDBDataSet*>* list = qzGetLookupTableList(DataSet);
    TqzTable* table = list ? MatchingTable(*list, line) : nullptr;
    if (!table) return nullptr;
    const size_t pairs = line.LinkItems.size() / 2;
    if (KeyValue.IsArray() ? KeyValue.ArrayItems().size() != pairs : pairs != 1) return nullptr;
    // the lookup table moves: its position no longer belongs to the record
    table->LookupState.Used = false;
    const bool found = SearchLinked(table, line.LinkItems, [&](size_t k) {
        return KeyValue.IsArray() ? KeyValue.ArrayItems()[k] : KeyValue;
    });
    return found ? table->FindField(line.Result()) : nullptr;
}

}  // namespace

bool qzFindLinkedRecord(TTable* Table, TDataSet* DataSet, const std::vector<std::string>& LinkItems) {
    if (!Table || !DataSet) return false;
    if (!OwnFieldsExist(DataSet, LinkItems)) return false;
    return SearchLinked(Table, LinkItems, [&](size_t k) {
        TField* own = DataSet->FindField(LinkItems[2 * k]);
        return own->IsNull() ? Variant(Null()) : Variant(own->AsString());
    });
}

void qzOpenLookupTables(TDataSet* DataSet, TStrings* LookupFields, TStrings* LookupLinks,
                        std::vector<TDBDataSet*>& TableList) {
    if (!DataSet || !LookupFields) return;
    for (TDBDataSet* ds : TableList)
        if (auto* t = dynamic_cast<TqzTable*>(ds)) t->LookupState.Used = false;
    for (int i = 0; i < LookupFields->Count(); ++i) {
        TLookupLine line;
        if (!ReadLookupLine(DataSet, LookupFields, LookupLinks, i, line)) continue;
        TqzTable* table = MatchingTable(TableList, line);
        if (!table) {
            table = new TqzTable(DataSet);
            table->SetDatabaseName(line.Database);
            table->SetTableName(line.Table);
            if (!line.IndexFields.empty()) {
                std::string name;
                table->FindIndexForFields(line.IndexFields, name);
                if (name != "?") table->SetIndexName(name);
            } else if (!line.Index().empty()) {
                table->SetIndexName(line.Index());
            }
            table->SetReadOnly(true);
            table->LookupState.Link = line.Link;
            TableList.push_back(table);
        }
        if (!table->Active()) table->Open();
        if (!OwnFieldsExist(DataSet, line.LinkItems)) return;
        if (!table->LookupState.Used) {
            table->LookupState.Found = qzFindLinkedRecord(table, DataSet, line.LinkItems);
            table->LookupState.Used = true;
        }
        TField* field = DataSet->FindField(line.Field());
        // only calculated fields are filled: a data field is never written here
        if (!field || field->FieldKind() != fkCalculated) continue;
        TField* result = table->LookupState.Found ? table->FindField(line.Result()) : nullptr;
        const std::string text =
            result ? (result->IsBlob() ? result->AsString() : result->Text()) : std::string();
        if (text.empty())
            field->Clear();
        else
            field->SetAsString(text);
    }
}

bool qzPrepareLookupTable(TDataSet* DataSet, TTable* Table, const std::string& FieldName,
                          std::string& FirstLinkField) {
    if (!DataSet || !Table) return false;
    qzRemoveStaleFieldEntries(DataSet, qzGetLookupFields(DataSet), qzGetLookupLinks(DataSet),
                              qzGetControlType(DataSet));
    TStrings* fields = qzGetLookupFields(DataSet);
    if (!fields) return false;
    TLookupLine line;
    bool have = false;
    for (int i = 0; i < fields->Count() && !have; ++i)
        have = ReadLookupLine(DataSet, fields, qzGetLookupLinks(DataSet), i, line) &&
               AnsiUpperCase(line.Field()) == AnsiUpperCase(FieldName);
    if (!have) return false;
    if (AnsiUpperCase(CutExtension(Table->TableName())) == AnsiUpperCase(CutExtension(line.Items[2]))) {
        if (line.Items.size() > 5)
            qzSetIndexForFields(Table, line.IndexFields);
        else if (!line.Index().empty() && line.Index() != Table->IndexName())
            Table->SetIndexName(line.Index());
    }
    if (!OwnFieldsExist(DataSet, line.LinkItems)) {
        if (TField* field = DataSet->FindField(line.Field())) field->SetVisible(false);
        return false;
    }
    FirstLinkField = line.LinkItems.empty() ? std::string() : line.LinkItems[0];
    return qzFindLinkedRecord(Table, DataSet, line.LinkItems);
}

bool qzFindLookupRecord(TField* Field, std::string& KeyValue, TField*& ResultField) {
    ResultField = Field;
    if (!Field || !Field->DataSet()) return false;
    TDataSet* ds = Field->DataSet();
    std::vector<TDBDataSet*>* list = qzGetLookupTableList(ds);
    if (!list || list->empty()) return false;
    TLookupLine line;
    if (!LookupLineOfField(ds, Field->FieldName(), line)) return false;
    TqzTable* table = MatchingTable(*list, line);
    if (!table) return false;
    if (TField* result = table->FindField(line.Result())) ResultField = result;
    TField* own = line.LinkItems.empty() ? nullptr : ds->FindField(line.LinkItems[0]);
    KeyValue = own ? own->AsString() : std::string();
    if (!own || !table->Active() || table->IndexFieldCount() == 0) return false;
    table->LookupState.Used = false;
    return table->FindKey({Variant(KeyValue)});
}
