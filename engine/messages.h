// The table engine's message table. Every failure of the engine is raised as
// EDatabaseError (or reported by the table reader) with one of these texts,
// exactly as written here; the "%s"/"%d" ones go through Format.
#pragma once

// Record store
constexpr const char* SOstRecordNotFound = "Record is not found";
constexpr const char* SRecordDeleted = "Record has been deleted";
constexpr const char* STextTooLong = "Text of field '%s' is too long: %d bytes, the field holds %d";
constexpr const char* STextNotInEncoding =
    "Text of field '%s' has characters that the table's encoding (Windows-1252) cannot hold";

// Table file reader
constexpr const char* SBufferCorrupted = "Buffer structure corruption!";
constexpr const char* SUnexpectedEndOfBuffer = "Unexpected end of buffer";
constexpr const char* SNoFields = "Buffer structure corruption: the table has no fields";
constexpr const char* SFieldDescriptionError = "Error in buffer structure (field description section)";
constexpr const char* SFieldWrongLength = "Field '%s' has wrong length %d in record %d";
constexpr const char* SStringFieldWrongLength = "String field '%s' has wrong length %d in record %d";
constexpr const char* SBlobFieldWrongLength = "BLOB field '%s' has wrong length %d in record %d";
constexpr const char* SRecordCountMismatch =
    "Number of records read (%d) does not match declared record count (%d)";

// Password protection
constexpr const char* SInvalidPassword = "Invalid password. Table cannot be open";
constexpr const char* SPasswordTryAgain = "Password is invalid. Try again";
constexpr const char* SPasswordCaption = "Login password";
constexpr const char* SPasswordLabel = "Enter password:";

// Dataset
constexpr const char* SNoRecords = "Number of records is equal to 0";
constexpr const char* SOstNotEditing = "Table is not in edit or insert mode";
constexpr const char* SCannotEditCalcFields = "Cannot edit CalcFields";
constexpr const char* SOstFieldReadOnly = "Field '%s' is read only!";
constexpr const char* SReadOnlyDelete = "Read-only record cannot be deleted";
constexpr const char* SReadOnlyEdit = "Read-only record cannot be changed";
constexpr const char* SReadOnlyInsert = "You have read only access, you can not add records!";
constexpr const char* SErrorDeletingRecord = "Error deleting record: ";
constexpr const char* SErrorSavingNewRecord = "Error saving new record: ";
constexpr const char* SErrorSavingRecord = "Error saving record: ";
constexpr const char* SKeyViolation = "Key violation";
constexpr const char* SClosedDataset = "Cannot do this operation on closed dataset";
constexpr const char* SClonesNotClosed = "Cloned tables are not closed before source dataset is closed!";
constexpr const char* SEngineVersionPrefix = "OstraDB Engine v";
constexpr const char* SEngineVersionNumber = "5.10";

// Record view, keys and filter conditions
constexpr const char* SOstFieldNotFound = "Field %s is not found";
constexpr const char* SFieldTypesNotEqual = "Types of compared fields are not equal";
constexpr const char* SCalcOrBlobKeyFields = "There are calc or BLOB fields in list of key fields";

// Filter-condition parser and wildcard mask
constexpr const char* SComparisonError = "Error in comparison expression";
constexpr const char* SUnmatchedParentheses = "Unmatched parentheses";
constexpr const char* SUnmatchedQuote = "Unmatched quote";
constexpr const char* SInvalidNumberToken = "Token %s is invalid number";
constexpr const char* SInvalidSymbol = "Invalid symbol in parameter/identificator/reserved word";
constexpr const char* SUnsupportedFunction = "Unsupported function %s in query";
constexpr const char* SInvalidIdentifier = "Parameter %s is not valid identifier";
constexpr const char* SAggregateSymbol = "Symbol %s is not supported in aggregate function argument";
constexpr const char* SInvalidMask = "'%s' is an invalid mask at (%d)";

// Master-detail link
constexpr const char* SOstCircularDataLink = "Circular data link";
constexpr const char* SMasterNotOstra = "Use only TOstraDataset descendants for master-detail relationship";

// Table component, database and session
constexpr const char* SNoFieldDescriptions = "Error creating table (no field descriptions)";
constexpr const char* SErrorOpeningFile = "Error opening file %s";
constexpr const char* SCloneNotActive = "Cloned table is not active!";
constexpr const char* SNoLoadingStream = "Loading stream is not assigned";
constexpr const char* SErrorOpeningTable = "Error opening table: ";
constexpr const char* SDatasetNotInDatabase = "Dataset %s is not belong to this database";
