// The column model of the engine grid: TOstraColumn with its title settings
// TOstraColumnTitle, and the collection TOstraDBGridColumns.
//
// A column shows one dataset field. Colour, width, font, alignment,
// read-only flag and the title's colour, caption, alignment and font follow
// the grid and the field until they are set ("assigned"); RestoreDefaults
// makes them follow again. Beyond that a column carries its editor style
// (pick list, lookup, calendar, check box, ellipsis), the stored values that
// go with a pick list, the check-box texts, the lookup settings and the sort
// marker that the program sets after sorting by the column.
//
// The grid makes "default" columns by itself from the dataset's fields
// (Stored false); columns added by code or read with a form are stored, and
// the first stored column makes the whole collection customised.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/collection.h"
#include "platform/core/enums.h"
#include "platform/core/properties.h"
#include "platform/db/dbtypes.h"
#include "platform/ui/controls.h"
#include "platform/ui/graphics.h"

class TDataSet;
class TField;
class TPopupMenu;
class TStrings;
class TStringList;
class TOstraColumn;
class TOstraCustomDBGrid;
class TOstraDBGridColumns;

TASKMOOR_ENUM(TOstraColumnButtonStyle, cbsCombo, cbsLookup, cbsCalendar, cbsCheck, cbsEllipsis, cbsNone)

// The values a column has been given instead of following its defaults.
TASKMOOR_ENUM(TOstraColumnValue, cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor,
              cvTitleCaption, cvTitleAlignment, cvTitleFont, cvImeMode, cvImeName)
using TOstraColumnValues = TSet<TOstraColumnValue>;

// Default: the grid builds its columns from the dataset; customised: the
// columns are the stored ones.
TASKMOOR_ENUM(TOstraColumnsState, ocsDefault, ocsCustomized)

// The field name that makes a check-box column show the row's selection.
inline constexpr const char* SelectionColumnName = "Selected";

class TOstraColumnTitle : public TPersistent {
    TASKMOOR_CLASS(TOstraColumnTitle, TPersistent)
public:
    explicit TOstraColumnTitle(TOstraColumn* Column);
    ~TOstraColumnTitle() override;

    TOstraColumn* Column() const { return FColumn; }
    // Centred unless assigned.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    // The field's label (else the column's field name) unless assigned.
    std::string Caption() const;
    virtual void SetCaption(const std::string& Value);
    // The grid's FixedColor (clBtnFace without grid) unless assigned.
    TColor Color() const;
    void SetColor(TColor Value);
    // Follows the grid's TitleFont (the column's font without grid) unless
    // assigned; changing it assigns it.
    TFont* Font() const;
    void SetFont(TFont* Value);

    TAlignment DefaultAlignment() const { return taCenter; }
    TColor DefaultColor() const;
    TFont* DefaultFont() const;
    std::string DefaultCaption() const;
    // Copies the default font into the title font while it is not assigned.
    void RefreshDefaultFont() const;

    // Clears the four title values: the title follows its defaults again.
    virtual void RestoreDefaults();
    void Assign(TPersistent* Source) override;

    static void Publish(TPublisher<TOstraColumnTitle>& p);

private:
    void FontChanged(TObject* Sender);
    bool IsAssigned(TOstraColumnValue V) const;
    void MarkAssigned(TOstraColumnValue V);

    TOstraColumn* FColumn;
    std::string FCaption;
    std::unique_ptr<TFont> FFont;
    TColor FColor = clBtnFace;
    TAlignment FAlignment = taCenter;
    mutable bool FRefreshing = false;
};

class TOstraColumn : public TCollectionItem {
    TASKMOOR_CLASS(TOstraColumn, TCollectionItem)
public:
    explicit TOstraColumn(TCollection* Collection);
    ~TOstraColumn() override;

    TOstraCustomDBGrid* Grid() const;

    // ---- The field
    // Bound on demand: looked up by FieldName in the grid's dataset.
    TField* Field() const;
    virtual void SetField(TField* Value);
    const std::string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::string& Value);

    // ---- Values with defaults
    TColor Color() const;
    void SetColor(TColor Value);
    // Pixels; -1 for a column that does not show.
    int Width() const;
    virtual void SetWidth(int Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    TAlignment Alignment() const;
    virtual void SetAlignment(TAlignment Value);
    bool ReadOnly() const;
    virtual void SetReadOnly(bool Value);
    // Kept and handed on, not published: imDontCare and the screen's input
    // method until assigned.
    TImeMode ImeMode() const;
    virtual void SetImeMode(TImeMode Value);
    std::string ImeName() const;
    virtual void SetImeName(const std::string& Value);
    TOstraColumnValues AssignedValues() const { return FAssignedValues; }

    TAlignment DefaultAlignment() const;
    TColor DefaultColor() const;
    TFont* DefaultFont() const;
    bool DefaultReadOnly() const;
    int DefaultWidth() const;

    TOstraColumnTitle* Title() const { return FTitle.get(); }
    void SetTitle(TOstraColumnTitle* Value);

    // ---- Editing and drop-downs
    TOstraColumnButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TOstraColumnButtonStyle Value);
    // Made on first read.
    TStrings* PickList() const;
    // Copies Value (nullptr frees the list).
    void SetPickList(TStrings* Value);
    TStrings* PickValues() const;
    void SetPickValues(TStrings* Value);
    // Whether the lists exist (without making them).
    bool HasPickList() const { return FPickList != nullptr; }
    bool HasPickValues() const { return FPickValues != nullptr; }
    uint32_t DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(uint32_t Value) { FDropDownRows = Value; }
    // 0: the column's width.
    uint32_t DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(uint32_t Value) { FDropDownWidth = Value; }
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
    const std::string& ValueChecked() const { return FValueChecked; }
    void SetValueChecked(const std::string& Value);
    const std::string& ValueUnChecked() const { return FValueUnChecked; }
    void SetValueUnChecked(const std::string& Value);

    // ---- Lookup column
    const std::string& LookupDropDownFields() const { return FLookupDropDownFields; }
    void SetLookupDropDownFields(const std::string& Value);
    const std::string& LookupKeyField() const { return FLookupKeyField; }
    void SetLookupKeyField(const std::string& Value);
    const std::string& LookupLinkField() const { return FLookupLinkField; }
    void SetLookupLinkField(const std::string& Value);
    TDataSet* LookupDataSet() const { return FLookupDataSet; }
    // Raises EDatabaseError "Lookup Dataset cannot be equal to Source
    // DataSet" for the column field's own dataset.
    void SetLookupDataSet(TDataSet* Value);
    // The text before the first ";" of LookupDropDownFields.
    const std::string& FirstDropDownField() const { return FFirstDropDownField; }
    // LookupDataSet is set, open and not the field's own dataset, and the
    // three field settings are given.
    bool LookupReady() const;

    // ---- Look and behaviour
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    bool CanClick() const { return FCanClick; }
    void SetCanClick(bool Value) { FCanClick = Value; }
    // Held down by the mouse (run time only).
    bool TitlePressed() const { return FTitlePressed; }
    void SetTitlePressed(bool Value) { FTitlePressed = Value; }
    bool WrapText() const { return FWrapText; }
    void SetWrapText(bool Value);
    bool LongTextAsHint() const { return FLongTextAsHint; }
    void SetLongTextAsHint(bool Value) { FLongTextAsHint = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    // False for a column the grid made from the dataset's fields.
    bool Stored() const { return FStored; }
    void SetStored(bool Value);
    // 0 none, 1 descending ("ODBSMDOWN"), 2 ascending ("ODBSMUP").
    uint8_t SortMarker() const { return FSortMarker; }
    void SetSortMarker(uint8_t Value);
    // Visible (the column has no parent columns to hide it).
    bool Showing() const { return FVisible; }
    // A check-box column named "Selected" shows the row's selection.
    bool IsSelectionColumn() const;

    // ---- Cell texts for the dataset's active record
    // What the cell shows: the field's display text (a memo's first line)
    // mapped through the pick values or the lookup.
    std::string DisplayText() const;
    // What the editor starts with: the field's text, mapped the same way.
    std::string EditText() const;
    // What typing Text stores: the pick value of the matching pick-list
    // line (empty when none matches), else Text itself.
    std::string StoredText(const std::string& Text) const;

    // Follows every default again: values, title, pick lists, style.
    virtual void RestoreDefaults();
    void Assign(TPersistent* Source) override;
    void SetIndex(int Value) override;

    static void Publish(TPublisher<TOstraColumn>& p);

protected:
    friend class TOstraColumnTitle;
    friend class TOstraDBGridColumns;
    friend class TOstraCustomDBGrid;

    virtual TOstraColumnTitle* CreateTitle();
    std::string GetDisplayName() const override;
    // Repaint (or relayout, AllItems) through the collection.
    void ColumnChanged(bool AllItems) { Changed(AllItems); }
    // Copies the default font into the column's font while not assigned.
    void RefreshDefaultFont() const;

private:
    void FontChanged(TObject* Sender);
    bool IsAssigned(TOstraColumnValue V) const { return FAssignedValues.Contains(V); }
    // The field's text mapped through the pick values and the lookup.
    std::string MappedText(const std::string& FieldText) const;
    bool PickMapping() const;
    // The field of the grid's dataset when the grid's link is active.
    TDataSet* GridDataSet() const;
    bool GridLinkActive() const;

    mutable TField* FField = nullptr;
    std::string FFieldName;
    TColor FColor = clWindow;
    int FWidth = 64;
    std::unique_ptr<TOstraColumnTitle> FTitle;
    std::unique_ptr<TFont> FFont;
    mutable std::unique_ptr<TStringList> FPickList;
    mutable std::unique_ptr<TStringList> FPickValues;
    TPopupMenu* FPopupMenu = nullptr;
    uint32_t FDropDownRows = 10;
    uint32_t FDropDownWidth = 0;
    bool FCanClick = false;
    bool FTitlePressed = false;
    bool FWrapText = false;
    TOstraColumnButtonStyle FButtonStyle = cbsNone;
    TAlignment FAlignment = taLeftJustify;
    bool FReadOnly = false;
    TImeMode FImeMode = imDontCare;
    std::string FImeName;
    TOstraColumnValues FAssignedValues;
    bool FVisible = true;
    bool FStored = true;
    std::string FValueUnChecked;
    std::string FValueChecked;
    std::string FLookupDropDownFields;
    std::string FLookupKeyField;
    std::string FLookupLinkField;
    TDataSet* FLookupDataSet = nullptr;
    std::string FFirstDropDownField;
    bool FAutoDropDown = false;
    bool FLongTextAsHint = false;
    uint8_t FSortMarker = 0;
    mutable bool FRefreshingFont = false;
};

class TOstraDBGridColumns : public TOwnedCollection {
    TASKMOOR_CLASS(TOstraDBGridColumns, TOwnedCollection)
public:
    explicit TOstraDBGridColumns(TOstraCustomDBGrid* Grid);
    ~TOstraDBGridColumns() override;

    TOstraCustomDBGrid* Grid() const { return FGrid; }
    // A new stored column at the end.
    TOstraColumn* Add();
    TOstraColumn* GetColumn(int Index) const;
    TOstraColumn* Items(int Index) const { return GetColumn(Index); }
    TOstraColumn* operator[](int Index) const { return GetColumn(Index); }

    // Customised when the first column is stored.
    TOstraColumnsState State() const;
    // Customised rebuilds the columns as stored ones from the dataset's
    // fields; default clears them (the grid makes its own).
    void SetState(TOstraColumnsState Value);
    // One stored column per field of the grid's dataset (only clears
    // without a dataset).
    void RebuildColumns();

protected:
    void Update(TCollectionItem* Item) override;

private:
    friend class TOstraCustomDBGrid;
    // A default (not stored) column.
    TOstraColumn* InternalAdd();

    TOstraCustomDBGrid* FGrid;
};
