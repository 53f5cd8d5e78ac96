// Dataset services of the suite: tests on datasets and fields, checks of
// typed texts against field types, the field search entry point, reading
// memos for filtering, rich text as plain text, Escape during filtering,
// parameters from fields and the platform's lookup fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/variant.h"
#include "platform/db/dbtypes.h"
#include "platform/ui/application.h"

class TDataSet;
class TField;
class TObject;
class TParam;

// Match types of the record search: the whole text, its start, anywhere.
TASKMOOR_ENUM(TqzLocateMatchType, mtExactMatch, mtPartialMatchStart, mtPartialMatchAny)

// ---- Guards --------------------------------------------------------------------------
// Disables a dataset's controls while it lives (nil: nothing).
class TqzControlsDisabled {
public:
    explicit TqzControlsDisabled(TDataSet* DataSet);
    ~TqzControlsDisabled();
    TqzControlsDisabled(const TqzControlsDisabled&) = delete;
    TqzControlsDisabled& operator=(const TqzControlsDisabled&) = delete;

private:
    TDataSet* FDataSet;
};

// Shows the hourglass while it lives and then puts the cursor before it back.
class TqzHourGlass {
public:
    TqzHourGlass() = default;
    TqzHourGlass(const TqzHourGlass&) = delete;
    TqzHourGlass& operator=(const TqzHourGlass&) = delete;

private:
    TCursorScope FScope{crHourGlass};
};

// ---- Dataset and field tests ---------------------------------------------------------
bool qzIsCalcOrLookupField(const TField* Field);
// Calculated or lookup, or its dataset is not one of the platform's
// database-engine datasets (by class name).
bool qzIsCalcLookupOrNonBDEField(const TField* Field);
// The suite's table with at least one line of "Query".
bool qzTableUsesQuery(TObject* DataSet);
// The suite's table, open on its table (no Query text) with an active
// index of at least one field: key searches can use it.
bool qzIsIndexedTable(TObject* DataSet);
// False for bytes, var-bytes, blob and graphic.
bool qzIsSearchableFieldType(TFieldType FieldType);
// Small integer, integer, word, float, currency or auto-increment.
bool qzIsNumericFieldType(TFieldType FieldType);
// Float, currency, BCD, date, time or date-time: the types kept as a
// floating number (dates and times as days).
bool qzIsFloatOrDateFieldType(TFieldType FieldType);
// A dataset with a field of this name (compared upper-cased).
bool qzDataSetHasField(TObject* DataSet, const std::string& Name);
// The dataset's own field-data read in the native layout.
bool qzDataSetGetFieldData(TDataSet* DataSet, TField* Field, void* Buffer);
// The dataset's bookmark comparison: below 0, 0 for the same record, above 0.
int qzDataSetCompareBookmarks(TDataSet* DataSet, const TBookmark& Bookmark1, const TBookmark& Bookmark2);

// ---- Typed texts ----------------------------------------------------------------------
// Whether Text can be stored in a field of the type: integers within the
// type's range, numbers, dates, times, date-times or dates; any text for the
// other types.
bool qzIsValidTextForFieldType(TFieldType FieldType, const std::string& Text);
bool qzIsValidTextForField(const TField* Field, const std::string& Text);
// As a search text: an empty text is no number, date or time.
bool qzIsValidSearchTextForField(const TField* Field, const std::string& Text);
// Backspace, Space, Delete, codes 48 to 111 and codes above 145.
bool qzIsTextEditKey(uint16_t Key);

// ---- Field search ----------------------------------------------------------------------
// True at once when the current record's field text equals Value (exactly
// with CaseSensitive, else ignoring case); otherwise searches from the first
// record. A missing field raises the dataset's "Field '%s' not found".
bool qzLocateFieldValue(TDataSet* DataSet, const std::string& Value, const std::string& FieldName,
                        bool CaseSensitive, TqzLocateMatchType MatchType);

// ---- Filtering ------------------------------------------------------------------------
// Takes a waiting Escape press off the input (any other input stays queued);
// when there was one, clears ofoEnabled of the dataset's filter options and
// answers True.
bool qzCancelFilterOnEscape(TObject* DataSet);
// The memo's text in the record the dataset is showing or testing, at most
// Size bytes and never cut inside a character (Size < 0: the suite's
// FilterMemoSize).
std::string qzReadMemoForFilter(TDataSet* DataSet, TField* Field, int Size = -1);
// The plain text of rich text (any other text as it is).
void qzRichTextToPlainText(const std::string& RichText, std::string& Text);

// ---- Parameters ------------------------------------------------------------------------
// The field's value in the native form of its type: text with a closing zero
// (at most 32767 bytes), 2-byte small integers, words and Booleans (-1 True),
// 4-byte integers, dates (days of the time stamp) and times (milliseconds),
// 8-byte floats and date-times (time stamp milliseconds), and BCD values as a
// 64-bit integer of value x 10000. Other types leave Buffer empty.
void qzSetParamFromField(TField* Field, std::vector<uint8_t>& Buffer);
// The same with Param's data type (the field's when unknown); Param then
// takes the field's value.
void qzSetParamFromField(TField* Field, std::vector<uint8_t>& Buffer, TParam* Param);

// ---- Lookup fields ----------------------------------------------------------------------
// A platform lookup field: moves its lookup dataset to the record whose
// LookupKeyFields equal KeyValue (one value, or an array) and answers the
// LookupResultField there; nil when none matches or the field is no lookup
// field.
TField* qzFindLookupResultField(TDataSet* DataSet, TField* Field, const Variant& KeyValue);
// A calculated field with a LookupFields line of its dataset: the matching
// open lookup table of the dataset is searched for KeyValue (one value per
// link pair, an array for several) and its result field answered; nil when
// none matches or while a search of this kind runs.
// The same with the key of the current record (the field's KeyFields, or
// for a calculated field the own fields of its LookupLinks line).
TField* qzFindLookupResultField(TDataSet* DataSet, TField* Field);
// The search of calculated lookup fields, registered by the suite's datasets.
using TqzCalcLookupResolver = TField* (*)(TDataSet* DataSet, TField* Field, const Variant& KeyValue);
void qzSetCalcLookupResolver(TqzCalcLookupResolver Resolver);
