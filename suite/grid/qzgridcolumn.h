// The grid's column model: the parts of a Selected line, one data column
// and the control information cached per column.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/strings.h"
#include "platform/ui/controls.h"

class TField;
class TqzCustomDBGrid;

// ---- Field-list lines
// Part (0 field name, 1 width, 2 title, 3 read-only, 4 group) of the field's
// line (found by its first part, ignoring case); an empty read-only part
// reads "F"; no line or a part of 5 or more reads empty.
void qzGetSelectedLinePart(TStrings* List, const std::string& FieldName, int Part, std::string& Value);
// Rewrites the line (LineIndex, or -1: found by name; none: nothing
// happens) as name, width, title and read-only flag with part 1 to 4
// replaced, the group appended only when not empty.
void qzSetSelectedLinePart(TStrings* List, const std::string& FieldName, const std::string& Value,
                           int LineIndex, int Part);
// A width part as characters: -1 when missing, not an integer, negative or
// above 4096.
int qzSelectedWidthChars(const std::string& Part);

// One data column: width, title, read-only flag, group and footer text, from
// the Selected lines or the dataset's fields.
class TqzColumn : public TObject {
    TASKMOOR_CLASS(TqzColumn, TObject)
public:
    TqzColumn(TqzCustomDBGrid* AGrid, const std::string& AFieldName) : FFieldName(AFieldName), FGrid(AGrid) {}

    const std::string& FieldName() const { return FFieldName; }
    TqzCustomDBGrid* Grid() const { return FGrid; }
    // Characters; a width part that is not an integer raises EConvertError.
    int DisplayWidth() const;
    void SetDisplayWidth(int Value);
    std::string DisplayLabel() const;
    bool ReadOnly() const;
    std::string GroupName() const;
    const std::string& FooterValue() const { return FFooterValue; }
    void SetFooterValue(const std::string& Value);
    // Bit 0 of a row's flag leaves out the line under that row (at most 256 rows).
    std::vector<uint8_t>& RowFlags() { return FRowFlags; }

private:
    friend class TqzCustomDBGrid;
    TField* Field() const;
    std::string Part(int Index) const;
    std::string FFieldName;
    TqzCustomDBGrid* FGrid;
    std::string FFooterValue;
    std::string FSecond;
    std::vector<uint8_t> FRowFlags;
};

// The per-column control information made by LoadControlTypes.
struct TqzCacheColInfoItem {
    TWinControl* Control = nullptr;
    std::string ControlType;
    std::string Parameters;
    bool CheckBoxStyle = false;
    bool Flag = true;
};
