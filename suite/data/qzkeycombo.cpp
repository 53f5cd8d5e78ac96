// The index combo's data link, its list of indexes with field labels, and the choice
// of an entry as the active index.
#include "suite/data/qzkeycombo.h"

#include "platform/core/properties.h"
#include "platform/core/sysutils.h"
#include "platform/db/dbtables.h"
#include "platform/db/fields.h"
#include "platform/ui/dialogs.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzframepublish.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzproputils.h"

namespace {

const char* const kDesc = " - Desc";

TIndexDefs* IndexDefsOf(TDataSet* DataSet) {
    if (auto* table = dynamic_cast<TTable*>(DataSet)) return table->IndexDefs();
    if (!IsPublishedProp(DataSet, "IndexDefs")) return nullptr;
    return dynamic_cast<TIndexDefs*>(GetObjectProp(DataSet, "IndexDefs"));
}

std::string StrProp(TDataSet* DataSet, const char* Name) {
    if (!IsPublishedProp(DataSet, Name) || PropType(DataSet, Name) != tkString) return std::string();
    return GetStrProp(DataSet, Name);
}

std::string FirstField(const TIndexDef* Def) { return Def->Fields.substr(0, Def->Fields.find(';')); }

bool IsDescending(const TIndexDef* Def) { return Def->Options.Contains(ixDescending); }

}  // namespace

void TqzKeyDataLink::ActiveChanged() {
    if (FCombo && Active()) FCombo->LoadIndexList();
}

void TqzKeyDataLink::DataSetChanged() {
    if (FCombo) FCombo->DataChanged();
}

TqzKeyCombo::TqzKeyCombo(TComponent* AOwner)
    : TqzDBCustomComboBox(AOwner), FKeyLink(std::make_unique<TqzKeyDataLink>(this)) {
    SetStyle(csDropDownList);
}

TqzKeyCombo::~TqzKeyCombo() { FKeyLink.reset(); }

void TqzKeyCombo::Publish(TPublisher<TqzKeyCombo>& p) {
    p.Property("DataSource", &TqzKeyCombo::DataSource, &TqzKeyCombo::SetDataSource);
    p.Property("ShowAllIndexes", &TqzKeyCombo::ShowAllIndexes, &TqzKeyCombo::SetShowAllIndexes);
    p.Property("PrimaryKeyName", &TqzKeyCombo::PrimaryKeyName, &TqzKeyCombo::SetPrimaryKeyName);
    // The combo box base's frame properties.
    qzPublishFrameLook(p);
}

bool TqzKeyCombo::IsIndexedDataSet(TDataSet* DataSet) {
    if (!DataSet) return false;
    if (qzClassInheritsFrom(DataSet, "TClientDataSet") || FAllFieldSorted) return true;
    return qzGetCursorLocation(DataSet) == 1 &&
           (qzClassInheritsFrom(DataSet, "TADOTable") || qzClassInheritsFrom(DataSet, "TADODataSet"));
}

bool TqzKeyCombo::IsFieldSorted(TDataSet* DataSet) {
    return !qzClassInheritsFrom(DataSet, "TTable") && IsIndexedDataSet(DataSet);
}

void TqzKeyCombo::SetDataSource(TDataSource* Value) {
    TDataSet* ds = Value ? Value->DataSet() : nullptr;
    if (ds && !qzClassInheritsFrom(ds, "TTable") && !IsIndexedDataSet(ds) &&
        !IsPublishedProp(ds, "IndexDefs")) {
        MessageDlg("DataSource must point to a dataset containing index information.", mtWarning,
                   TMsgDlgButtons{mbOK}, 0);
        return;
    }
    FKeyLink->SetDataSource(Value);
    if (Value) Value->FreeNotification(this);
    if (FKeyLink->Active()) LoadIndexList();
}

void TqzKeyCombo::SetShowAllIndexes(bool Value) {
    FShowAllIndexes = Value;
    if (DataSource()) LoadIndexList();
}

void TqzKeyCombo::Notification(TComponent* AComponent, TOperation Operation) {
    TqzDBCustomComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove && FKeyLink && AComponent == FKeyLink->DataSource())
        FKeyLink->SetDataSource(nullptr);
}

std::string TqzKeyCombo::FieldLabel(TDataSet* DataSet, const std::string& FieldName) {
    TField* f = DataSet->FindField(FieldName);
    std::string label = f ? f->DisplayLabel() : FieldName;
    for (char& c : label)
        if (c == '~') c = ' ';
    return label;
}

void TqzKeyCombo::SelectEntry(const std::string& Text) {
    int index = -1;
    for (int i = 0; i < Items()->Count(); ++i)
        if (Items()->Strings(i) == Text) index = i;  // the last equal entry wins
    if (index != ItemIndex()) SetItemIndex(index);
}

void TqzKeyCombo::LoadIndexList(TComponent* Grid) {
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!ds) return;
    TStrings* selected = nullptr;
    if (Grid && IsPublishedProp(Grid, "Selected"))
        selected = dynamic_cast<TStrings*>(GetObjectProp(Grid, "Selected"));
    auto visible = [&](TField* Field) {
        if (!selected) return Field->Visible();
        for (int i = 0; i < selected->Count(); ++i) {
            const std::string& line = selected->Strings(i);
            if (line.compare(0, Field->FieldName().size(), Field->FieldName()) == 0) return true;
        }
        return false;
    };
    if (IsFieldSorted(ds)) {
        if (!FRebuilding) Items()->Clear();
        for (int i = 0; i < ds->FieldCount(); ++i) {
            TField* f = ds->Fields()->Fields(i);
            if (!qzIsSearchableFieldType(f->DataType()) || f->Lookup() || f->Calculated()) continue;
            if (!FShowAllIndexes && !visible(f)) continue;
            const std::string label = FieldLabel(ds, f->FieldName());
            if (Items()->IndexOf(label) < 0) Items()->Add(label);
        }
        const std::string names = StrProp(ds, "IndexFieldNames");
        SelectEntry(names.empty() ? std::string() : FieldLabel(ds, names.substr(0, names.find(';'))));
        return;
    }
    TIndexDefs* defs = IndexDefsOf(ds);
    if (!defs) return;
    if (qzGetMasterSource(ds)) return;
    defs->Update();
    if (!FRebuilding) Items()->Clear();
    if (FShowAllIndexes) {
        for (int i = 0; i < defs->Count(); ++i) {
            const std::string name = defs->Items(i)->Name.empty() ? FPrimaryKeyName : defs->Items(i)->Name;
            if (Items()->IndexOf(name) < 0) Items()->Add(name);
        }
        const std::string active = StrProp(ds, "IndexName");
        SelectEntry(active.empty() ? FPrimaryKeyName : active);
        return;
    }
    const std::string fieldNames = StrProp(ds, "IndexFieldNames");
    const std::string indexName = StrProp(ds, "IndexName");
    std::string activeEntry;
    for (int i = 0; i < defs->Count(); ++i) {
        const TIndexDef* def = defs->Items(i);
        TField* f = ds->FindField(FirstField(def));
        if (!f || !visible(f)) continue;
        const std::string entry = FieldLabel(ds, f->FieldName()) + (IsDescending(def) ? kDesc : "");
        if (Items()->IndexOf(entry) < 0) Items()->Add(entry);
        const bool active =
            fieldNames.empty() ? AnsiSameText(def->Name, indexName) : AnsiSameText(def->Fields, fieldNames);
        if (active) activeEntry = entry;
    }
    SelectEntry(activeEntry);
}

void TqzKeyCombo::DataChanged() {
    if (FBusy || !DataSource() || !Showing() || DataSource()->State() != dsBrowse) return;
    FRebuilding = true;
    try {
        LoadIndexList();
    } catch (...) {
        FRebuilding = false;
        throw;
    }
    FRebuilding = false;
}

void TqzKeyCombo::DropDown() {
    FDroppedDown = true;
    TqzDBCustomComboBox::DropDown();
}

void TqzKeyCombo::CloseUp(bool Accept) {
    FDroppedDown = false;
    TqzDBCustomComboBox::CloseUp(Accept);
}

void TqzKeyCombo::Change() {
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!ds || !ds->Active()) return;
    const int index = ItemIndex();
    const std::string entry = index >= 0 ? Items()->Strings(index) : std::string();
    if (IsFieldSorted(ds)) {
        if (!entry.empty()) {
            std::string name;
            qzFieldNameFromDisplayLabel(ds, entry, name);
            FBusy = true;
            try {
                SetStrProp(ds, "IndexFieldNames", name);
            } catch (...) {
                FBusy = false;
                throw;
            }
            FBusy = false;
        }
        TqzDBCustomComboBox::Change();
        return;
    }
    TIndexDefs* defs = IndexDefsOf(ds);
    if (!defs) {
        MessageDlg("TqzKeyCombo: Virtual DataSet does not have index information available.", mtWarning,
                   TMsgDlgButtons{mbOK}, 0);
        return;
    }
    auto apply = [&](const std::string& Name) {
        FBusy = true;
        try {
            auto* table = dynamic_cast<TTable*>(ds);
            if (auto* db = dynamic_cast<TDBDataSet*>(ds); table && db) {
                // the current record stays current in the new order
                const int64_t key = db->CurrentKey();
                table->SetIndexName(Name);
                if (key) db->GotoKeyValue(key);
            } else {
                SetStrProp(ds, "IndexName", Name);
            }
        } catch (...) {
            FBusy = false;
            throw;
        }
        FBusy = false;
    };
    if (FShowAllIndexes) {
        apply(entry == FPrimaryKeyName ? std::string() : entry);
    } else if (!entry.empty()) {
        defs->Update();
        const TIndexDef* found = nullptr;
        for (int pass = 0; pass < 3 && !found; ++pass) {
            for (int i = 0; i < defs->Count() && !found; ++i) {
                const TIndexDef* def = defs->Items(i);
                TField* f = ds->FindField(FirstField(def));
                if (!f) continue;
                if (pass == 0 && !def->Options.Contains(ixCaseInsensitive)) continue;
                if (pass == 1 && !AnsiSameText(def->Fields, FirstField(def))) continue;
                const std::string label = FieldLabel(ds, f->FieldName());
                if (entry == label || (IsDescending(def) && entry == label + kDesc)) found = def;
            }
        }
        if (found) {
            apply(found->Name);
            SelectEntry(entry);
        }
    }
    TqzDBCustomComboBox::Change();
}
