// Types shared by the dataset framework: dataset states, field types and
// kinds, the results of record fetches, bookmark flags, data events and the
// option sets of locating and filtering.
//
// A record buffer is a block of bytes that the dataset descendant allocates
// and lays out (its AllocRecordBuffer); the framework only moves buffer
// pointers around. A bookmark is an opaque byte string of the descendant's
// BookmarkSize; an empty bookmark stands for "no bookmark".
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/enums.h"

TASKMOOR_ENUM(TDataSetState, dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter,
              dsNewValue, dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening)

TASKMOOR_ENUM(TFieldType, ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency,
              ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
              ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
              ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
              ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd)

TASKMOOR_ENUM(TFieldKind, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate)

TASKMOOR_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)

// Which record GetRecord fetches, and how it went.
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };

// Where a buffer's record stands: a fetched record, the crack before the
// first or after the last record (a record being appended), or a record
// being inserted before the one its bookmark names.
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

TASKMOOR_ENUM(TUpdateStatus, usUnmodified, usModified, usInserted, usDeleted)

TASKMOOR_ENUM(TLocateOption, loCaseInsensitive, loPartialKey)
using TLocateOptions = TSet<TLocateOption>;

TASKMOOR_ENUM(TFilterOption, foCaseInsensitive, foNoPartialCompare)
using TFilterOptions = TSet<TFilterOption>;

// What a dataset tells its data sources and links.
enum TDataEvent {
    deFieldChange,   // Info: the TField* that changed
    deRecordChange,  // Info: the TField* or 0 for the whole record
    deDataSetChange,
    deDataSetScroll,  // Info: how far buffer indexes moved (records shift)
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl,  // Info: a TField** the handling control clears
    deParentScroll,
};

enum TResyncModeElement { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeElement>;

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

using TRecordBuffer = char*;
using TBookmark = std::string;

inline constexpr TSet<TDataSetState> dsEditModes{dsEdit, dsInsert, dsSetKey};
inline constexpr TSet<TDataSetState> dsWriteModes{dsEdit,   dsInsert,   dsSetKey,      dsCalcFields,
                                                  dsFilter, dsNewValue, dsInternalCalc};

// "String", "Integer", "Memo", ... as the platform names the field types.
const char* FieldTypeName(TFieldType Type);
