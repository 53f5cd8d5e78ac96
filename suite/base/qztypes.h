// Small types shared by the whole component suite: a dialog's remembered
// position, edit alignment, the filter options of the suite's datasets, the
// URL-open event of the grids and rich edits, and sets of 8-bit characters
// for the string routines.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/enums.h"
#include "platform/core/events.h"
#include "platform/core/object.h"
#include "platform/core/properties.h"

class TField;

// OnURLOpen of the grids and rich edits: (Sender, var URLLink, Field, var
// UseDefault). The link may be changed; Field is the field that held it
// (nullptr for a rich edit without one); UseDefault False opens nothing.
using TqzURLOpenEvent = TEvent<TObject*, std::string&, TField*, bool&>;

TASKMOOR_ENUM(TqzEditAlignment, eaLeftAlignEditing, eaRightAlignEditing)

TASKMOOR_ENUM(TqzOnFilterOption, ofoEnabled, ofoShowHourGlass, ofoCancelOnEscape)
using TqzOnFilterOptions = TSet<TqzOnFilterOption>;

// Where a dialog was last shown; 0 means "not set".
class TqzFormPosition : public TPersistent {
    TASKMOOR_CLASS(TqzFormPosition, TPersistent)
public:
    TqzFormPosition() = default;

    int Left() const { return FLeft; }
    void SetLeft(int Value) { FLeft = Value; }
    int Top() const { return FTop; }
    void SetTop(int Value) { FTop = Value; }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; }
    int Height() const { return FHeight; }
    void SetHeight(int Value) { FHeight = Value; }

    static void Publish(TPublisher<TqzFormPosition>& p);

private:
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
};

// A set of 8-bit characters.
class TqzCharSet {
public:
    TqzCharSet() = default;
    // The set of the bytes of `members`.
    TqzCharSet(std::string_view members) {
        for (const char ch : members) FBits.set(static_cast<unsigned char>(ch));
    }
    TqzCharSet(const char* members) : TqzCharSet(std::string_view(members)) {}

    bool Contains(char ch) const { return FBits.test(static_cast<unsigned char>(ch)); }
    TqzCharSet& Include(char ch) {
        FBits.set(static_cast<unsigned char>(ch));
        return *this;
    }
    bool Empty() const { return FBits.none(); }

private:
    std::bitset<256> FBits;
};

// Tab and space.
inline TqzCharSet qzBlankSet() { return TqzCharSet("\t "); }

// The global settings object's FilterMemoSize (bytes); 0 when the suite's
// settings object does not exist (after shutdown).
int qzGetFilterMemoSize();
