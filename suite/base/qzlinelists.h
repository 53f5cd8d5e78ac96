// Per-field line lists: the string lists "ControlType", "PictureMasks",
// "LookupFields" and "LookupLinks" that the suite's datasets (and some
// controls) publish, and the display-field lines a caller holds. The lists
// are found on any component by property name and are never owned here; an
// absent property counts as no list.
//
//   ControlType   field;type;parameters            (type: CheckBox, Bitmap,
//                 ImageIndex, CustomEdit, LookupCombo, Combo, RichEdit, URL-Link)
//   PictureMasks  field TAB mask TAB autofill TAB flag2   ("T" is True)
//   LookupFields  field;database;table;result;index...    (parallel to
//   LookupLinks   own;lookup;own;lookup...                 LookupFields)
//   display line  field TAB width TAB label
#pragma once

#include <string>

#include "platform/core/events.h"

class TComponent;
class TDataSet;
class TField;
class TObject;
class TStrings;
class TWinControl;

// (Sender: the dataset, Field): told of a field that fails its picture mask.
using TqzInvalidValueEvent = TEvent<TDataSet*, TField*>;

// ---- Finding the lists -----------------------------------------------------------------
TStrings* qzGetControlType(TObject* Component);
TStrings* qzGetPictureMasks(TObject* Component);
TStrings* qzGetLookupFields(TObject* Component);
TStrings* qzGetLookupLinks(TObject* Component);
// The control's flags; True when it has no such property.
bool qzGetControlInfoInDataSet(TObject* Control);
bool qzGetPictureMaskFromDataSet(TObject* Control);
// The component whose list applies to Control: DataSet (nil: the dataset of
// the control's DataSource) when the control's flag is on and that dataset
// has the list, else the control itself.
TObject* qzGetControlTypeSource(TObject* Control, TDataSet* DataSet);
TObject* qzGetPictureMaskSource(TObject* Control, TDataSet* DataSet);

// ---- Control types ---------------------------------------------------------------------
// The last line whose field part equals FieldName exactly; both empty when none.
void qzGetControlTypeEntry(TObject* Component, const std::string& FieldName, std::string& ControlType,
                           std::string& Parameters);
// CustomEdit, LookupCombo, Combo or RichEdit, ignoring case.
bool qzIsEditControlType(const std::string& Word);
// A blob field named by a "<field>;RichEdit" line of its dataset's
// ControlType; with CheckContent also a blob beginning "{\rtf".
bool qzIsRichTextField(TField* Field, bool CheckContent);
// The windowed control of Form named by the first line for the field whose
// type is an edit type.
bool qzFindRichEditControlForField(TObject* Control, TComponent* Form, TField* Field, TWinControl*& Found);

// ---- Picture masks ----------------------------------------------------------------------
// The field's mask (field name ignoring case): empty with AutoFill and Flag2
// True when there is none. With AllowTablePicture the suite table's own
// picture wins.
void qzGetPictureMask(TObject* Component, const std::string& FieldName, bool AllowTablePicture, bool& Flag2,
                      bool& AutoFill, std::string& Mask);
// The same over a list itself; Found tells whether the field has a line.
void qzGetPictureMask(TStrings* Masks, const std::string& FieldName, bool& Found, bool& AutoFill,
                      std::string& Mask);
// Writes the field's line: the parts whose Set flag is clear keep their
// values; an empty mask deletes the line; a new field is appended.
void qzSetPictureMask(TObject* Component, const std::string& FieldName, std::string Mask, bool SetFlag2,
                      bool SetAutoFill, bool SetMask, bool Flag2, bool AutoFill);
// "T" or "F".
std::string qzFlagText(bool Value);
// The picture the suite's table's own validity checks give the field.
void qzGetTablePicture(TObject* DataSet, const std::string& FieldName, std::string& Picture);
// Before a post: the first field whose text is neither empty nor a complete
// match of its mask (and that is not read-only) gets the focus, is told to
// OnInvalidValue, and raises EDatabaseError with the suite's
// PictureValidateError text and the field's display name.
void qzValidatePictureMasks(TDataSet* DataSet, const TqzInvalidValueEvent& OnInvalidValue);

// ---- Lookup lines ---------------------------------------------------------------------------
// The LookupLinks line paired with the field's LookupFields line (empty when
// the links list is shorter); Line unchanged when the field has none.
void qzGetLookupLink(TObject* DataSet, const std::string& FieldName, std::string& Line);
// Item 3 of the field's LookupFields line.
void qzGetLookupResultFieldName(TObject* DataSet, const std::string& FieldName, std::string& Name);
// Drops the lines of fields DataSet does not have (LookupFields with their
// LookupLinks partner). A dataset without fields changes nothing.
void qzRemoveStaleFieldEntries(TDataSet* DataSet, TStrings* LookupFields, TStrings* LookupLinks,
                               TStrings* ControlType);

// ---- Display fields ---------------------------------------------------------------------------
// One line per visible field, in field order.
void qzGetDisplayFields(TDataSet* DataSet, TStrings* Lines);
// Shows the listed fields in the listed order with their widths and labels
// and hides the rest. All widths are read first: a bad width raises
// EConvertError with nothing changed. Index is limited to the field count.
void qzApplyDisplayFields(TDataSet* DataSet, TStrings* Lines);
// The field whose display label equals Text ignoring case ("~" read as a blank).
void qzFieldNameFromDisplayLabel(TDataSet* DataSet, const std::string& Text, std::string& FieldName);
// Tells a form designer of a changed list; there is none at run time.
void qzNotifyDesignerModified(TComponent* Component);
