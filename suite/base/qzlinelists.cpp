// Parsing the ControlType, PictureMasks, LookupFields and LookupLinks lines, finding
// each field's line, and the display fields applied to a dataset.
#include "suite/base/qzlinelists.h"

#include <memory>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/properties.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/controls.h"
#include "suite/base/picture_validator.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzproputils.h"

namespace {

TStrings* ListByName(TObject* component, const char* name) {
    if (!component) return nullptr;
    const TPropInfo* info = GetPropInfo(component, name, {tkClass});
    return info ? dynamic_cast<TStrings*>(GetObjectProp(component, info)) : nullptr;
}

// Every piece between separators (an empty text gives one empty piece).
std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = s.find(sep, start);
        if (at == std::string::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, at - start));
        start = at + 1;
    }
}

std::string Part(const std::vector<std::string>& parts, std::size_t i) {
    return i < parts.size() ? parts[i] : std::string();
}

// The three parts of a ControlType line: field, type, and all after the
// second ";" (at most 255 characters).
void SplitControlType(const std::string& line, std::string& field, std::string& type, std::string& params) {
    const std::size_t first = line.find(';');
    field = line.substr(0, first);
    type.clear();
    params.clear();
    if (first == std::string::npos) return;
    const std::size_t second = line.find(';', first + 1);
    type = line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (second != std::string::npos) params = line.substr(second + 1, 255);
}

bool IsSuiteTable(TObject* obj) { return qzClassInheritsFrom(obj, "TqzTable"); }

// Index of the first PictureMasks line of the field (ignoring case); -1 when none.
int MaskLine(TStrings* masks, const std::string& fieldName) {
    if (!masks) return -1;
    for (int i = 0; i < masks->Count(); ++i)
        if (AnsiSameText(Split(masks->Strings(i), '\t')[0], fieldName)) return i;
    return -1;
}

// Index of the first LookupFields line whose item 0 equals the field name.
int LookupLine(TStrings* fields, const std::string& fieldName) {
    if (!fields) return -1;
    for (int i = 0; i < fields->Count(); ++i)
        if (Split(fields->Strings(i), ';')[0] == fieldName) return i;
    return -1;
}

TObject* ListSource(TObject* control, TDataSet* dataSet, bool flag, const char* list) {
    if (!control) return nullptr;
    if (flag) {
        TDataSet* ds = dataSet;
        if (!ds)
            if (TDataSource* src = qzGetDataSource(control)) ds = src->DataSet();
        if (ds && ListByName(ds, list)) return ds;
    }
    return control;
}

}  // namespace

// ---- Finding the lists -----------------------------------------------------------------

TStrings* qzGetControlType(TObject* Component) { return ListByName(Component, "ControlType"); }
TStrings* qzGetPictureMasks(TObject* Component) { return ListByName(Component, "PictureMasks"); }
TStrings* qzGetLookupFields(TObject* Component) { return ListByName(Component, "LookupFields"); }
TStrings* qzGetLookupLinks(TObject* Component) { return ListByName(Component, "LookupLinks"); }

bool qzGetControlInfoInDataSet(TObject* Control) {
    if (!Control || !GetPropInfo(Control, "ControlInfoInDataSet", {tkBoolean})) return true;
    return qzGetOrdPropByName(Control, "ControlInfoInDataSet") != 0;
}

bool qzGetPictureMaskFromDataSet(TObject* Control) {
    if (!Control || !GetPropInfo(Control, "PictureMaskFromDataSet", {tkBoolean})) return true;
    return qzGetOrdPropByName(Control, "PictureMaskFromDataSet") != 0;
}

TObject* qzGetControlTypeSource(TObject* Control, TDataSet* DataSet) {
    return ListSource(Control, DataSet, qzGetControlInfoInDataSet(Control), "ControlType");
}

TObject* qzGetPictureMaskSource(TObject* Control, TDataSet* DataSet) {
    return ListSource(Control, DataSet, qzGetPictureMaskFromDataSet(Control), "PictureMasks");
}

// ---- Control types ---------------------------------------------------------------------

void qzGetControlTypeEntry(TObject* Component, const std::string& FieldName, std::string& ControlType,
                           std::string& Parameters) {
    ControlType.clear();
    Parameters.clear();
    TStrings* list = qzGetControlType(Component);
    if (!list) return;
    for (int i = 0; i < list->Count(); ++i) {
        std::string field, type, params;
        SplitControlType(list->Strings(i), field, type, params);
        if (field != FieldName) continue;
        ControlType = type;
        Parameters = params;
    }
}

bool qzIsEditControlType(const std::string& Word) {
    return AnsiSameText(Word, "CustomEdit") || AnsiSameText(Word, "LookupCombo") ||
           AnsiSameText(Word, "Combo") || AnsiSameText(Word, "RichEdit");
}

bool qzIsRichTextField(TField* Field, bool CheckContent) {
    if (!Field || !Field->IsBlob()) return false;
    if (TStrings* list = qzGetControlType(Field->DataSet())) {
        const std::string prefix = Field->FieldName() + ";RichEdit";
        for (int i = 0; i < list->Count(); ++i)
            if (list->Strings(i).compare(0, prefix.size(), prefix) == 0) return true;
    }
    if (!CheckContent || !Field->DataSet()) return false;
    std::unique_ptr<TStream> stream(Field->DataSet()->CreateBlobStream(Field, bmRead));
    if (!stream) return false;
    char head[5] = {};
    int64_t got = 0;
    while (got < 5) {
        const int64_t n = stream->Read(head + got, 5 - got);
        if (n <= 0) break;
        got += n;
    }
    return got == 5 && std::string(head, 5) == "{\\rtf";
}

bool qzFindRichEditControlForField(TObject* Control, TComponent* Form, TField* Field, TWinControl*& Found) {
    Found = nullptr;
    if (!Field || !Form) return false;
    TStrings* list = nullptr;
    if (qzGetControlInfoInDataSet(Control)) list = qzGetControlType(Field->DataSet());
    if (!list) list = qzGetControlType(Control);
    if (!list) return false;
    for (int i = 0; i < list->Count(); ++i) {
        const std::string& line = list->Strings(i);
        if (line.find(';') == std::string::npos) continue;
        std::string field, type, params;
        SplitControlType(line, field, type, params);
        if (!AnsiSameText(field, Field->FieldName()) || !qzIsEditControlType(type)) continue;
        Found = dynamic_cast<TWinControl*>(Form->FindComponent(params));
        return Found != nullptr;
    }
    return false;
}

// ---- Picture masks ----------------------------------------------------------------------

std::string qzFlagText(bool Value) { return Value ? "T" : "F"; }

void qzGetTablePicture(TObject* DataSet, const std::string& FieldName, std::string& Picture) {
    // The suite's table reads its validity pictures itself; no other dataset has any.
    (void)DataSet;
    (void)FieldName;
    Picture.clear();
}

void qzGetPictureMask(TStrings* Masks, const std::string& FieldName, bool& Found, bool& AutoFill,
                      std::string& Mask) {
    Mask.clear();
    AutoFill = true;
    const int i = MaskLine(Masks, FieldName);
    Found = i >= 0;
    if (!Found) return;
    const auto parts = Split(Masks->Strings(i), '\t');
    Mask = Part(parts, 1);
    AutoFill = Part(parts, 2) == "T";
}

void qzGetPictureMask(TObject* Component, const std::string& FieldName, bool AllowTablePicture, bool& Flag2,
                      bool& AutoFill, std::string& Mask) {
    Mask.clear();
    AutoFill = true;
    Flag2 = true;
    bool found = false;
    if (TStrings* masks = qzGetPictureMasks(Component)) {
        const int i = MaskLine(masks, FieldName);
        if (i >= 0) {
            const auto parts = Split(masks->Strings(i), '\t');
            Mask = Part(parts, 1);
            AutoFill = Part(parts, 2) == "T";
            Flag2 = Part(parts, 3) == "T";
            found = true;
        }
    }
    if (AllowTablePicture && IsSuiteTable(Component)) {
        std::string picture;
        qzGetTablePicture(Component, FieldName, picture);
        if (!picture.empty()) {
            if (found)
                qzSetPictureMask(Component, FieldName, std::string(), false, true, true, Flag2, AutoFill);
            Mask = picture;
        }
    }
}

void qzSetPictureMask(TObject* Component, const std::string& FieldName, std::string Mask, bool SetFlag2,
                      bool SetAutoFill, bool SetMask, bool Flag2, bool AutoFill) {
    TStrings* masks = qzGetPictureMasks(Component);
    if (!masks) return;
    if (IsSuiteTable(Component)) {
        std::string picture;
        qzGetTablePicture(Component, FieldName, picture);
        if (!picture.empty()) Mask = picture;
    }
    const int i = MaskLine(masks, FieldName);
    if (i >= 0) {
        const auto parts = Split(masks->Strings(i), '\t');
        if (!SetMask) Mask = Part(parts, 1);
        if (!SetAutoFill) AutoFill = Part(parts, 2) == "T";
        if (!SetFlag2) Flag2 = Part(parts, 3) == "T";
        if (Mask.empty())
            masks->Delete(i);
        else
            masks->SetStrings(
                i, FieldName + "\t" + Mask + "\t" + qzFlagText(AutoFill) + "\t" + qzFlagText(Flag2));
        return;
    }
    if (!Mask.empty())
        masks->Add(FieldName + "\t" + Mask + "\t" + qzFlagText(AutoFill) + "\t" + qzFlagText(Flag2));
}

void qzValidatePictureMasks(TDataSet* DataSet, const TqzInvalidValueEvent& OnInvalidValue) {
    if (!DataSet) return;
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        TField* field = DataSet->Fields()->Fields(i);
        bool flag2 = true, autoFill = true;
        std::string mask;
        qzGetPictureMask(DataSet, field->FieldName(), true, flag2, autoFill, mask);
        if (mask.empty()) continue;
        const std::string text = field->AsString();
        if (text.empty() || qzTextMatchesPictureMask(mask, text) || field->ReadOnly()) continue;
        field->FocusControl();
        if (OnInvalidValue.Assigned()) OnInvalidValue(DataSet, field);
        const std::string prefix = qzIntl() ? qzIntl()->UserMessages()->PictureValidateError()
                                            : std::string("Invalid characters. Field : ");
        throw EDatabaseError(prefix + field->DisplayName());
    }
}

// ---- Lookup lines ---------------------------------------------------------------------------

void qzGetLookupLink(TObject* DataSet, const std::string& FieldName, std::string& Line) {
    const int i = LookupLine(qzGetLookupFields(DataSet), FieldName);
    if (i < 0) return;
    TStrings* links = qzGetLookupLinks(DataSet);
    Line = links && i < links->Count() ? links->Strings(i) : std::string();
}

void qzGetLookupResultFieldName(TObject* DataSet, const std::string& FieldName, std::string& Name) {
    TStrings* fields = qzGetLookupFields(DataSet);
    const int i = LookupLine(fields, FieldName);
    if (i < 0) return;
    Name = Part(Split(fields->Strings(i), ';'), 3);
}

void qzRemoveStaleFieldEntries(TDataSet* DataSet, TStrings* LookupFields, TStrings* LookupLinks,
                               TStrings* ControlType) {
    if (!DataSet || DataSet->FieldCount() == 0) return;
    if (LookupFields) {
        for (int i = LookupFields->Count() - 1; i >= 0; --i) {
            if (qzDataSetHasField(DataSet, Split(LookupFields->Strings(i), ';')[0])) continue;
            LookupFields->Delete(i);
            if (LookupLinks && i < LookupLinks->Count()) LookupLinks->Delete(i);
        }
    }
    if (ControlType) {
        for (int i = ControlType->Count() - 1; i >= 0; --i)
            if (!qzDataSetHasField(DataSet, Split(ControlType->Strings(i), ';')[0])) ControlType->Delete(i);
    }
}

// ---- Display fields ---------------------------------------------------------------------------

void qzGetDisplayFields(TDataSet* DataSet, TStrings* Lines) {
    if (!Lines) return;
    Lines->Clear();
    if (!DataSet) return;
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        TField* f = DataSet->Fields()->Fields(i);
        if (!f->Visible()) continue;
        Lines->Add(f->FieldName() + "\t" + IntToStr(f->DisplayWidth()) + "\t" + f->DisplayLabel());
    }
}

void qzApplyDisplayFields(TDataSet* DataSet, TStrings* Lines) {
    if (!DataSet || !Lines) return;
    struct TEntry {
        TField* Field;
        int Width;
        std::string Label;
        int Index;
    };
    std::vector<TEntry> entries;
    for (int i = 0; i < Lines->Count(); ++i) {
        const auto parts = Split(Lines->Strings(i), '\t');
        TField* field = DataSet->FindField(parts[0]);
        if (!field) continue;
        entries.push_back({field, StrToInt(Part(parts, 1)), Part(parts, 2), i});
    }
    TqzControlsDisabled disabled(DataSet);
    for (int i = 0; i < DataSet->FieldCount(); ++i) DataSet->Fields()->Fields(i)->SetVisible(false);
    const int last = DataSet->FieldCount() - 1;
    for (const TEntry& e : entries) {
        e.Field->SetDisplayWidth(e.Width);
        e.Field->SetDisplayLabel(e.Label);
        e.Field->SetIndex(e.Index < last ? e.Index : last);
        e.Field->SetVisible(true);
    }
}

void qzFieldNameFromDisplayLabel(TDataSet* DataSet, const std::string& Text, std::string& FieldName) {
    FieldName.clear();
    if (!DataSet) return;
    auto blanks = [](std::string s) {
        for (char& c : s)
            if (c == '~') c = ' ';
        return s;
    };
    const std::string wanted = blanks(Text);
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        TField* f = DataSet->Fields()->Fields(i);
        if (AnsiSameText(blanks(f->DisplayLabel()), wanted)) {
            FieldName = f->FieldName();
            return;
        }
    }
}

void qzNotifyDesignerModified(TComponent* Component) { (void)Component; }
