// The property objects of the drop-down edit: value list, lookup and tree
// settings.
#include <algorithm>

#include "engine-controls/ostra_dbedit.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"

// ---- TOstraComboProperties ------------------------------------------------------------------

TOstraComboProperties::TOstraComboProperties(TComponent* AOwner)
    : FEdit(dynamic_cast<TOstraDBEdit*>(AOwner)) {}

TOstraComboProperties::~TOstraComboProperties() = default;

void TOstraComboProperties::Changed() {
    if (FEdit) FEdit->PropertiesChanged();
}

void TOstraComboProperties::ListChanged(TObject*) { Changed(); }

TStrings* TOstraComboProperties::ComboItems() {
    if (!FComboItems) {
        FComboItems = std::make_unique<TStringList>();
        FComboItems->SetOnChange(TNotifyEvent(this, &TOstraComboProperties::ListChanged));
    }
    return FComboItems.get();
}

void TOstraComboProperties::SetComboItems(TStrings* Value) {
    if (!Value) {
        FComboItems.reset();
        Changed();
        return;
    }
    if (Value != FComboItems.get()) ComboItems()->Assign(Value);
    Changed();
}

TStrings* TOstraComboProperties::ComboValues() {
    if (!FComboValues) {
        FComboValues = std::make_unique<TStringList>();
        FComboValues->SetOnChange(TNotifyEvent(this, &TOstraComboProperties::ListChanged));
    }
    return FComboValues.get();
}

void TOstraComboProperties::SetComboValues(TStrings* Value) {
    if (!Value) {
        FComboValues.reset();
        Changed();
        return;
    }
    if (Value != FComboValues.get()) ComboValues()->Assign(Value);
    Changed();
}

int TOstraComboProperties::ItemCount() const { return FComboItems ? FComboItems->Count() : 0; }

int TOstraComboProperties::ValueCount() const { return FComboValues ? FComboValues->Count() : 0; }

bool TOstraComboProperties::ValueMapped() const { return FComboValues && ValueCount() == ItemCount(); }

void TOstraComboProperties::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TOstraComboProperties*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    if (other == this) return;
    SetComboItems(other->FComboItems.get());
    SetComboValues(other->FComboValues.get());
}

void TOstraComboProperties::Publish(TPublisher<TOstraComboProperties>& p) {
    p.Property("ComboItems", &TOstraComboProperties::ComboItems, &TOstraComboProperties::SetComboItems);
    p.Property("ComboValues", &TOstraComboProperties::ComboValues, &TOstraComboProperties::SetComboValues);
}

// ---- TOstraLookupProperties -------------------------------------------------------------------

TOstraLookupProperties::TOstraLookupProperties(TComponent* AOwner)
    : FEdit(dynamic_cast<TOstraDBEdit*>(AOwner)) {}

void TOstraLookupProperties::Changed() {
    if (FEdit) FEdit->PropertiesChanged();
}

void TOstraLookupProperties::SetViewFieldIndex(int Value) {
    FViewFieldIndex = std::max(0, Value);
    Changed();
}

void TOstraLookupProperties::SetLookupKeyField(const std::string& Value) {
    FLookupKeyField = Value;
    Changed();
}

void TOstraLookupProperties::SetListFieldNames(const std::string& Value) {
    FListFieldNames = Value;
    FListFieldsBuilt = false;
    Changed();
}

const std::vector<std::string>& TOstraLookupProperties::ListFields() {
    if (!FListFieldsBuilt) {
        FListFields.clear();
        size_t start = 0;
        while (start <= FListFieldNames.size()) {
            size_t end = FListFieldNames.find(';', start);
            if (end == std::string::npos) end = FListFieldNames.size();
            const std::string name = Trim(FListFieldNames.substr(start, end - start));
            if (!name.empty()) FListFields.push_back(name);
            start = end + 1;
        }
        FListFieldsBuilt = true;
    }
    return FListFields;
}

int TOstraLookupProperties::EffectiveViewFieldIndex() {
    const int count = static_cast<int>(ListFields().size());
    if (count == 0) return 0;
    return std::clamp(FViewFieldIndex, 0, count - 1);
}

void TOstraLookupProperties::SetSourceKeyField(const std::string& Value) {
    FSourceKeyField = Value;
    Changed();
}

void TOstraLookupProperties::SetKindSearch(TOstraKindSearch Value) {
    FKindSearch = Value;
    Changed();
}

void TOstraLookupProperties::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TOstraLookupProperties*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    if (other == this) return;
    FViewFieldIndex = other->FViewFieldIndex;
    FSourceKeyField = other->FSourceKeyField;
    FLookupKeyField = other->FLookupKeyField;
    FListFieldNames = other->FListFieldNames;
    FListFieldsBuilt = false;
    Changed();
}

void TOstraLookupProperties::Publish(TPublisher<TOstraLookupProperties>& p) {
    p.Property("ViewFieldIndex", &TOstraLookupProperties::ViewFieldIndex,
               &TOstraLookupProperties::SetViewFieldIndex);
    p.Property(
        "LookupKeyField", [](TOstraLookupProperties& o) { return o.LookupKeyField(); },
        [](TOstraLookupProperties& o, const std::string& v) { o.SetLookupKeyField(v); });
    p.Property(
        "ListFieldNames", [](TOstraLookupProperties& o) { return o.ListFieldNames(); },
        [](TOstraLookupProperties& o, const std::string& v) { o.SetListFieldNames(v); });
    p.Property(
        "SourceKeyField", [](TOstraLookupProperties& o) { return o.SourceKeyField(); },
        [](TOstraLookupProperties& o, const std::string& v) { o.SetSourceKeyField(v); });
    p.Property("KindSearch", &TOstraLookupProperties::KindSearch, &TOstraLookupProperties::SetKindSearch);
}

// ---- TOstraTreeProperties --------------------------------------------------------------------------

TOstraTreeProperties::TOstraTreeProperties(TComponent* AOwner) : FEdit(dynamic_cast<TOstraDBEdit*>(AOwner)) {}

void TOstraTreeProperties::Changed() {
    if (FEdit) FEdit->PropertiesChanged();
}

void TOstraTreeProperties::SetUniqueField(const std::string& Value) {
    FUniqueField = Value;
    Changed();
}

void TOstraTreeProperties::SetLevelField(const std::string& Value) {
    FLevelField = Value;
    Changed();
}

void TOstraTreeProperties::SetTextField(const std::string& Value) {
    FTextField = Value;
    Changed();
}

void TOstraTreeProperties::Assign(TPersistent* Source) {
    auto* other = dynamic_cast<TOstraTreeProperties*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    if (other == this) return;
    FUniqueField = other->FUniqueField;
    FTextField = other->FTextField;
    FLevelField = other->FLevelField;
    Changed();
}

void TOstraTreeProperties::Publish(TPublisher<TOstraTreeProperties>& p) {
    p.Property(
        "UniqueField", [](TOstraTreeProperties& o) { return o.UniqueField(); },
        [](TOstraTreeProperties& o, const std::string& v) { o.SetUniqueField(v); });
    p.Property(
        "LevelField", [](TOstraTreeProperties& o) { return o.LevelField(); },
        [](TOstraTreeProperties& o, const std::string& v) { o.SetLevelField(v); });
    p.Property(
        "TextField", [](TOstraTreeProperties& o) { return o.TextField(); },
        [](TOstraTreeProperties& o, const std::string& v) { o.SetTextField(v); });
    p.Property(
        "PathSeparator", [](TOstraTreeProperties& o) { return std::string(1, o.PathSeparator()); },
        [](TOstraTreeProperties& o, const std::string& v) {
            if (!v.empty()) o.SetPathSeparator(v[0]);
        });
}
