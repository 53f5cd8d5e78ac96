// Reaching properties and events of any component by name, recognising
// classes by name, and small shared utilities of the suite.
//
// The suite's controls and dialogs work with dataset and control classes they
// do not know at build time: they read "DataSource", "ControlType",
// "OnInvalidValue" and the like through the published-property registry.
// Every getter answers its default for a nil component or a component
// without the property; every setter answers True only when it set the
// property.
#pragma once

#include <string>

#include "platform/core/events.h"
#include "platform/core/object.h"
#include "suite/base/qztypes.h"

class TComponent;
class TControl;
class TCustomForm;
class TDataSet;
class TDataSource;
class TParams;
class TStrings;

// ---- Events -------------------------------------------------------------------
// An event read by name; unassigned when absent.
TMethod qzGetOnInvalidValue(TObject* Component);
TMethod qzGetOnPerformCustomSearch(TObject* Component);
TMethod qzGetOnCalcCellColors(TObject* Component);

// ---- Dataset properties ------------------------------------------------------------
int qzGetCursorLocation(TObject* DataSet);
bool qzSetCursorLocation(TObject* DataSet, int Value);
bool qzSetMaxRecords(TObject* DataSet, int Value);
std::string qzGetDatabaseName(TObject* DataSet);
bool qzSetDatabaseName(TObject* DataSet, const std::string& Value);
std::string qzGetTableName(TObject* DataSet);
std::string qzGetSessionName(TObject* DataSet);
bool qzSetSessionName(TObject* DataSet, const std::string& Value);
TObject* qzGetConnection(TObject* DataSet);
bool qzSetConnection(TObject* DataSet, TObject* Value);
std::string qzGetConnectionString(TObject* DataSet);
bool qzSetConnectionString(TObject* DataSet, const std::string& Value);
TObject* qzGetDataBase(TObject* DataSet);
// Only when "Database" is of class kind.
bool qzSetDatabase(TObject* DataSet, TObject* Value);
TDataSource* qzGetMasterSource(TObject* DataSet);
TDataSet* qzGetDataSet(TObject* Component);
TParams* qzGetParams(TObject* DataSet);
// Copies Params into the dataset's own "Params" list.
bool qzSetParams(TObject* DataSet, TParams* Params);

// ---- Control properties -----------------------------------------------------------
// "AlwaysTransparent", else "Transparent".
bool qzIsTransparent(TObject* Control);
TDataSource* qzGetDataSource(TObject* Component);
// Only for windowed controls with a "DataSource" of class kind.
bool qzSetDataSource(TObject* Control, TDataSource* Source);
// Only for windowed controls; the setter needs a string property.
std::string qzGetDataField(TObject* Control);
bool qzSetDataField(TObject* Control, const std::string& Value);
// "BorderStyle": bsNone reads False, any other True; the setter writes
// bsSingle for True and bsNone for False.
bool qzGetBorderStyle(TObject* Control);
bool qzSetBorderStyle(TObject* Control, bool Value);
bool qzGetWantReturns(TObject* Control);
bool qzGetEditCalculated(TObject* Control);
TObject* qzGetControlList(TObject* Controller);
// Any ordinal property; 0 when absent.
int64_t qzGetOrdPropByName(TObject* Component, const std::string& Name);
bool qzSetOrdPropByName(TObject* Component, const std::string& Name, int64_t Value);

// ---- Filter options ----------------------------------------------------------------
// "OnFilterOptions"; without it, [ofoEnabled] when the dataset is filtered,
// else the empty set.
TqzOnFilterOptions qzGetOnFilterOptions(TObject* DataSet);
// Adds or removes ofoEnabled and writes the set back when the property exists.
void qzSetOnFilterOptions(TObject* DataSet, bool Enable);

// ---- Classes -------------------------------------------------------------------------
// True when Class or one of its ancestors is named Name (any case).
bool qzClassInheritsFrom(const TClass* Class, const std::string& Name);
bool qzClassInheritsFrom(const TObject* Object, const std::string& Name);

// ---- String lists by name ---------------------------------------------------------------
// A TSimpleDataSet is replaced by its "DataSet" first. A property of class
// kind gets a copy of Lines (True); a string property gets the lines joined by
// CR LF (the answer stays False).
bool qzSetStringsPropByName(TObject* DataSet, TStrings* Lines, const std::string& PropName);
// All lines, separated by a blank when BlankSeparated, else by CR LF.
std::string qzStringsToPChar(TStrings* Lines, bool BlankSeparated);

// ---- Owners -----------------------------------------------------------------------------
// The first form in the owner chain, the component itself included.
TCustomForm* qzGetOwnerForm(TComponent* Component);
// The first owner that is a form (the suite's container class is empty here).
TComponent* qzGetOwnerContainer(TComponent* Component);

// ---- Trivia ----------------------------------------------------------------------------------
inline bool qzIsAssigned(const void* Reference) { return Reference != nullptr; }
inline bool qzReturnFalse() { return false; }
