// Message texts of the table engine's controls, exactly as they are shown
// or raised. The grid raises EInvalidGridOperation or EDatabaseError with
// them and asks its confirmations with them.
#pragma once

// Engine grid: confirmations
constexpr const char* SDeleteRecordQuestion = "Delete record ?";
constexpr const char* SDeleteMultipleRecordsQuestion = "Delete selected records ?";

// Engine grid: errors
constexpr const char* SLookupDataSetEqualsSource = "Lookup Dataset cannot be equal to Source DataSet";
constexpr const char* STooManyColumns = "Grid requested to display more than 256 columns";
