// The ".d" table image. One image holds a table whole: a header (length,
// marker, for protected tables the password block), the field descriptions
// as text, an optional notes text, and the records. All integers are
// little-endian. The reader and writer are members of TOstraCursor
// (record_store.h); this header holds the format's constants, the save
// options and the building of descriptor texts.
//
// Images are read and written in 1 MB chunks. A table whose image holds any
// non-UTF-8 text is a Windows-1252 table as a whole: it is decoded once after
// reading (DecodeWindows1252) and every text is encoded back when writing, so
// an unedited table is saved byte for byte. Declared lengths count bytes in
// the table's encoding.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/field_types.h"
#include "platform/core/enums.h"

TASKMOOR_ENUM(TOstraSaveOption, savAutoBackup, savSlowMode, savSortOnIndex)
using TOstraSaveOptions = TSet<TOstraSaveOption>;

// Markers at offset 4 (part of the file format).
constexpr char OstraPlainMarker = 'S';
constexpr char OstraProtectedMarker = 'P';
constexpr char OstraErrorMarker = 'E';
// Descriptor text: each item ends with 0x12, the text with 0x14.
constexpr char OstraItemEnd = 0x12;
constexpr char OstraDescriptorEnd = 0x14;
// The notes block starts with "*", then a 16-bit length.
constexpr char OstraNotesMarker = '*';
constexpr int OstraMaxNotes = 32767;
// Reader limits: longer descriptor texts and values mean a damaged image.
constexpr int OstraMaxDescriptor = 100000;
constexpr int OstraMaxStringValue = 8192;  // unless the field declares more
constexpr int OstraMaxBlobValue = 1 << 30;
// Offset of the record count in a plain and a protected image.
constexpr int OstraPlainHeaderSize = 17;      // length, marker, three counts
constexpr int OstraProtectedHeaderSize = 57;  // the same with the password block
// Extension of the backup copy made by savAutoBackup.
constexpr const char* OstraBackupExt = ".~d";

// One descriptor item: label "." name (blanks as "_") " " letter, the
// length of a String field, "~" default "~" extra when either is set, 0x12.
std::string DescriptorItem(const TOstraField& field);
// All items followed by 0x14.
std::string BuildDescriptor(std::span<const TOstraField> fields);
// A plain image of a table with these fields and no records.
std::string BuildEmptyImage(std::span<const TOstraField> fields);

// The field descriptions of the table image in FileName, from its header
// alone: no record is read, and a protected table needs no password (its
// descriptions are not ciphered). Names are decoded as the header alone
// shows them: a table whose records hold a text that is not UTF-8 is read in
// Windows-1252 by a load, names included. False with the reader's error when
// the file cannot be read or its header is damaged.
bool ReadTableFields(const std::string& FileName, std::vector<TOstraField>& Fields, std::string& Error);

// Test hook: runs after a saved image is complete and flushed in its new
// file, before that file replaces the old one; an exception thrown here
// abandons the save like a failed write.
void SetTableSaveHook(std::function<void(const std::string& newFileName)> hook);
// Test hook: the size of the chunks table files are written and read in
// (1 MB); answers the previous size.
std::size_t SetTableChunkSize(std::size_t bytes);
// Test hook: the threads a load parses records on (0, the default: one per
// core; 1: the loading thread alone); answers the previous setting.
int SetTableLoadThreads(int threads);
