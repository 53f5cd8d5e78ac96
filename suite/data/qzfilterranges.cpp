// The filter dialog's index ranges on the suite's tables: one criterion
// narrows the table through an index before the record filter tests every
// criterion.
#include "platform/core/sysutils.h"
#include "platform/db/fields.h"
#include "suite/data/qzdbtables.h"
#include "suite/data/qzfilterdialog.h"

namespace {

std::string FirstIndexField(const TIndexDef* Def) {
    const size_t end = Def->Fields.find(';');
    return Def->Fields.substr(0, end);
}

// The index serves the criterion: it leads with the field, ascending, with
// the criterion's case rule (strings).
bool IndexServes(const TIndexDef* Def, TField* Field, bool CaseInsensitive) {
    if (!Def || Def->Fields.empty() || !AnsiSameText(FirstIndexField(Def), Field->FieldName())) return false;
    if (Def->Options.Contains(ixDescending) || (!Def->Descending.empty() && Def->Descending[0])) return false;
    return !IsTextField(Field) || Def->Options.Contains(ixCaseInsensitive) == CaseInsensitive;
}

}  // namespace

void TqzFilterDialog::CancelTableRange() {
    TTable* table = FRangeTable;
    if (!table) return;
    FRangeTable = nullptr;
    if (table != FFilteredDataSet) table->RemoveFreeNotification(this);
    if (!table->Active()) return;
    table->CancelRange();
    if (table->IndexName() != FRangeIndexName) {
        if (FRangeIndexName.empty() && !FRangeIndexFieldNames.empty())
            table->SetIndexFieldNames(FRangeIndexFieldNames);
        else
            table->SetIndexName(FRangeIndexName);
    }
}

bool TqzFilterDialog::ApplyTableRanges(TDataSet* DataSet) {
    CancelTableRange();
    auto* table = dynamic_cast<TqzTable*>(DataSet);
    if (!table || FFilterOptimization == fdNone || !table->Active()) return false;
    table->IndexDefs()->Update();
    for (const TqzFieldInfo& c : FCriteria) {
        if (c.NonMatching) continue;
        if (c.MatchType != fdMatchExact && c.MatchType != fdMatchStart && c.MatchType != fdMatchRange)
            continue;
        TField* field = table->FindField(c.FieldName);
        if (!field) continue;
        // a case-blind index orders by the case fold, a case-blind text range
        // by upper-cased texts: its range could leave out what the range takes
        if (c.MatchType == fdMatchRange && !c.CaseSensitive && IsTextField(field)) continue;
        std::vector<Variant> start, end;
        if (c.MatchType == fdMatchRange) {
            if (!Trim(c.MinValue).empty()) start.push_back(Variant(c.MinValue));
            if (!Trim(c.MaxValue).empty()) end.push_back(Variant(c.MaxValue));
            if (start.empty() && end.empty()) continue;
        } else {
            bool isOr = false, isAnd = false;
            std::string separator, item;
            qzFindListOperator(c.FilterValue, FFieldOperators.get(), isOr, separator, isAnd);
            if (!separator.empty()) continue;
            int position = 1;
            qzNextListItem(c.FilterValue, separator, position, item);
            // the null word means no value: the record filter's to test
            if (item.empty() || AnsiSameText(item, FFieldOperators->NullChar())) continue;
            if (c.MatchType == fdMatchStart) {
                if (!IsTextField(field)) continue;
                start.push_back(Variant(item));
                end.push_back(Variant(qzPadRight(field->Size(), item, FUpperRangePadChar)));
            } else {
                start.push_back(Variant(item));
                end.push_back(Variant(item));
            }
        }
        const bool caseInsensitive = !c.CaseSensitive;
        TIndexDef* def = nullptr;
        if (FFilterOptimization == fdUseActiveIndex) {
            if (IndexServes(table->ActiveIndex(), field, caseInsensitive)) def = table->ActiveIndex();
        } else {
            for (int i = 0; i < table->IndexDefs()->Count() && !def; ++i)
                if (IndexServes(table->IndexDefs()->Items(i), field, caseInsensitive))
                    def = table->IndexDefs()->Items(i);
        }
        if (!def) continue;
        FRangeIndexName = table->IndexName();
        FRangeIndexFieldNames = table->IndexFieldNames();
        if (!AnsiSameText(table->IndexName(), def->Name)) table->SetIndexName(def->Name);
        FRangeTable = table;
        table->FreeNotification(this);
        try {
            table->SetRange(start, end);
        } catch (const Exception&) {
            // a bound the field does not take: no range, the record filter decides
            if (table->State() == dsSetKey) table->Cancel();
            CancelTableRange();
            continue;
        }
        return true;
    }
    return false;
}
