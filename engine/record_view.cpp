// Key buffers for sort keys, searches and ranges; values as text and variants; and the
// filter's preparing, compiling and matching of records.
#include "engine/record_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/messages.h"
#include "engine/record_list.h"
#include "engine/record_store.h"
#include "platform/core/case_fold.h"
#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"

// ---------------------------------------------------------------------------
// Key buffers

void TOstraKeyBuffer::Setup(std::size_t DataSize, std::vector<const TOstraField*> Fields,
                            std::vector<TField*> DataFields) {
    Release();
    FData.assign(std::max<std::size_t>(DataSize, 1), 0);
    FFields = std::move(Fields);
    FDataFields = std::move(DataFields);
    FNames.clear();
    FSlots.clear();
    for (const TOstraField* f : FFields) {
        FNames.push_back(f->Name);
        FSlots.emplace_back(f->Offset, f->FieldType);
    }
    FBeyond.assign(FFields.size(), 0);
    FInUse = static_cast<int>(FFields.size());
}

void TOstraKeyBuffer::ClearValues() {
    // The slots, not the fields: these may belong to a store already gone.
    for (const auto& [offset, type] : FSlots)
        if (IsReferenceType(type)) OstReleaseValue(FData.data() + offset);
    std::fill(FData.begin(), FData.end(), 0);
    std::fill(FBeyond.begin(), FBeyond.end(), 0);
}

void TOstraKeyBuffer::Rebind(const TOstraCursor& Store) {
    for (std::size_t i = 0; i < FFields.size(); ++i)
        if (const TOstraField* same = Store.FindField(FNames[i])) FFields[i] = same;
}

void TOstraKeyBuffer::Release() {
    ClearValues();
    FData.clear();
    FFields.clear();
    FNames.clear();
    FSlots.clear();
    FDataFields.clear();
    FBeyond.clear();
    FInUse = 0;
}

void TOstraKeyBuffer::SetText(int Index, const std::string& Text) {
    const TOstraField& f = *FFields[static_cast<std::size_t>(Index)];
    SetValueFromText(FData.data() + f.Offset, Text, f);
    FBeyond[static_cast<std::size_t>(Index)] = static_cast<int8_t>(OstBeyondRange(f, Text));
}

int TOstraKeyBuffer::Beyond(int Index) const {
    return Index >= 0 && static_cast<std::size_t>(Index) < FBeyond.size()
               ? FBeyond[static_cast<std::size_t>(Index)]
               : 0;
}

int TOstraKeyBuffer::CompareData(const uint8_t* Data, int Count) const {
    const std::size_t n = std::min(FFields.size(), static_cast<std::size_t>(std::max(Count, 0)));
    for (std::size_t i = 0; i < n; ++i) {
        if (FBeyond[i] != 0) return -FBeyond[i];
        const TOstraField& f = *FFields[i];
        const int r = CompareValues(Data + f.Offset, FData.data() + f.Offset, f, false);
        if (r != 0) return r;
    }
    return 0;
}

void TOstraKeyBuffer::SetValue(int Index, const Variant& Value) {
    const TOstraField& f = *FFields[static_cast<std::size_t>(Index)];
    uint8_t* place = FData.data() + f.Offset;
    int8_t& beyond = FBeyond[static_cast<std::size_t>(Index)];
    if (Value.IsNull() || Value.IsEmpty() || Value.VarType() == varString) {
        const std::string text = Value.IsNull() ? std::string() : Value.AsString();
        SetValueFromText(place, text, f);
        beyond = static_cast<int8_t>(OstBeyondRange(f, text));
        return;
    }
    // Numbers, dates and Booleans go in without a trip through text, which
    // would round floats.
    if (IsReferenceType(f.FieldType)) OstReleaseValue(place);
    std::memset(place, 0, f.Size);
    // A number the field cannot hold is neither cut nor wrapped.
    const TVarType type = Value.VarType();
    if (type == varSmallint || type == varInteger || type == varInt64)
        beyond = static_cast<int8_t>(OstBeyondRange(f, Value.AsInt64()));
    else if (type == varDouble || type == varCurrency)
        beyond = static_cast<int8_t>(OstBeyondRange(f, Value.AsDouble()));
    else
        beyond = 0;
    if (beyond != 0) return;
    switch (f.FieldType) {
    case oftSmallInt: OstPut<int16_t>(place, static_cast<int16_t>(Value.AsInteger())); break;
    case oftInteger:
    case oftAutoInc: OstPut<int32_t>(place, Value.AsInteger()); break;
    case oftInt64: OstPut<int64_t>(place, Value.AsInt64()); break;
    case oftBoolean: OstPut<int16_t>(place, Value.AsBoolean() ? -1 : 0); break;
    case oftDouble:
    case oftCurrency: OstPut<double>(place, Value.AsDouble()); break;
    case oftDate: OstPut<int32_t>(place, DateTimeToTimeStamp(Value.AsDateTime()).Date); break;
    case oftTime: OstPut<int32_t>(place, DateTimeToTimeStamp(Value.AsDateTime()).Time); break;
    case oftDateTime: OstPut<double>(place, TimeStampToMSecs(DateTimeToTimeStamp(Value.AsDateTime()))); break;
    default: SetValueFromText(place, Value.AsString(), f); break;
    }
}

// ---------------------------------------------------------------------------
// View keys

namespace {

// Eight bytes of a text (folded when asked) from Start, big-endian, zero-padded.
uint64_t TextWord(std::string_view text, std::size_t start, bool fold) {
    return TextSortWord(text, start, fold);
}

bool IsText(const TOstraField& f) {
    return (f.FieldType == oftSmallStr && !f.Numeric) || f.FieldType == oftString;
}

// The exact order-keeping key of a fixed value, or of a text's first bytes.
uint64_t ValueWord(const uint8_t* place, const TOstraField& f, bool fold) {
    constexpr uint64_t signBit = uint64_t{1} << 63;
    auto intKey = [](int64_t v) { return static_cast<uint64_t>(v) ^ signBit; };
    switch (f.FieldType) {
    case oftSmallInt: return intKey(OstGet<int16_t>(place));
    case oftInteger:
    case oftDate:
    case oftTime:
    case oftAutoInc: return intKey(OstGet<int32_t>(place));
    case oftInt64: return intKey(OstGet<int64_t>(place));
    case oftBoolean: return OstGet<int16_t>(place) != 0 ? 0 : 1;  // true sorts first
    case oftDouble:
    case oftCurrency:
    case oftDateTime: {
        double d = OstGet<double>(place);
        if (std::isnan(d)) return ~uint64_t{0};
        if (d == 0) d = 0.0;
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        return (bits & signBit) ? ~bits : (bits | signBit);
    }
    case oftSmallStr:
        if (f.Numeric) return FieldText(place, f).size();  // lengths decide first
        return TextWord(FieldText(place, f), 0, fold);
    case oftString: return TextWord(FieldText(place, f), 0, fold);
    default: return 0;
    }
}

}  // namespace

bool OstViewKeyFromFirstField(const TOstraField& Field) { return IsText(Field); }

TOstraViewKey OstViewKey(const uint8_t* Data, std::span<const TOstraField* const> Fields, bool Fold,
                         bool Descending, bool* Exact) {
    TOstraViewKey key;
    bool exact = Fields.size() <= 1;
    if (!Fields.empty() && Data) {
        const TOstraField& first = *Fields[0];
        const uint8_t* place = Data + first.Offset;
        if (IsText(first)) {
            const std::string_view text = FieldText(place, first);
            key.High = TextWord(text, 0, Fold);
            key.Low = TextWord(text, 8, Fold);
            key.Extra = TextWord(text, 16, Fold);
            exact = exact && text.size() < 24;
        } else if (first.FieldType == oftSmallStr) {
            // Lengths first; among equal lengths the text.
            const std::string_view text = FieldText(place, first);
            key.High = ValueWord(place, first, Fold);
            key.Low = TextWord(text, 0, Fold);
            exact = exact && text.size() < 8;
        } else {
            key.High = ValueWord(place, first, Fold);
            if (Fields.size() > 1) {
                const TOstraField& second = *Fields[1];
                key.Low = ValueWord(Data + second.Offset, second, Fold);
                exact =
                    Fields.size() == 2 && (IsText(second) ? FieldText(Data + second.Offset, second).size() < 8
                                                          : second.FieldType != oftSmallStr);
            }
        }
    }
    if (Descending) {
        key.High = ~key.High;
        key.Low = ~key.Low;
        key.Extra = ~key.Extra;
    }
    if (Exact) *Exact = exact;
    return key;
}

// ---------------------------------------------------------------------------
// Values

bool OstHasValue(const uint8_t* Place, const TOstraField& Field) {
    switch (Field.FieldType) {
    case oftSmallInt:
    case oftInteger:
    case oftBoolean:
    case oftDouble:
    case oftCurrency:
    case oftTime:
    case oftAutoInc: return true;
    case oftString:
    case oftBLOB:
    case oftMemo:
    case oftFmtMemo:
    case oftGraphic: return OstValueLength(Place) > 0;
    case oftSmallStr: return Place[0] != 0;
    case oftUnknown: return false;
    default: return !OstIsZero(Place, Field.Size);
    }
}

namespace {

TDateTime DateOfDay(int32_t day) { return TimeStampToDateTime(TTimeStamp{0, day}); }

TDateTime DateTimeOfMSecs(double ms) {
    const TTimeStamp ts = MSecsToTimeStamp(ms);
    return TimeStampToDateTime(ts);
}

}  // namespace

std::string_view OstValueText(const uint8_t* Place, const TOstraField& Field, std::string& Scratch) {
    switch (Field.FieldType) {
    case oftSmallStr:
    case oftString:
    case oftMemo:
    case oftFmtMemo: return FieldText(Place, Field);
    case oftSmallInt: Scratch = IntToStr(OstGet<int16_t>(Place)); break;
    case oftInteger:
    case oftAutoInc: Scratch = IntToStr(OstGet<int32_t>(Place)); break;
    case oftInt64: Scratch = IntToStr(static_cast<long long>(OstGet<int64_t>(Place))); break;
    case oftBoolean: return OstGet<int16_t>(Place) != 0 ? "Yes" : "No";
    case oftDouble:
    case oftCurrency: Scratch = FormatFloat("0.######", OstGet<double>(Place)); break;
    case oftDate: {
        const int32_t day = OstGet<int32_t>(Place);
        if (day == 0) return {};
        Scratch = DateToStr(DateOfDay(day));
        break;
    }
    case oftTime: {
        const int32_t ms = OstGet<int32_t>(Place);
        if (ms == 0) return {};
        Scratch = TimeToStr(static_cast<double>(ms) / MSecsPerDay);
        break;
    }
    case oftDateTime: {
        const double ms = OstGet<double>(Place);
        if (ms == 0) return {};
        Scratch = DateTimeToStr(DateTimeOfMSecs(ms));
        break;
    }
    case oftBLOB:
    case oftGraphic: return "Not Found";
    default: return {};
    }
    return Scratch;
}

Variant OstValueVariant(const uint8_t* Place, const TOstraField& Field) {
    if (!OstHasValue(Place, Field)) return Null();
    switch (Field.FieldType) {
    case oftSmallInt: return Variant(static_cast<short>(OstGet<int16_t>(Place)));
    case oftInteger:
    case oftAutoInc: return Variant(static_cast<int>(OstGet<int32_t>(Place)));
    case oftInt64: return Variant(static_cast<long long>(OstGet<int64_t>(Place)));
    case oftBoolean: return Variant(OstGet<int16_t>(Place) != 0);
    case oftDouble: return Variant(OstGet<double>(Place));
    case oftCurrency: return Variant::FromCurrency(OstGet<double>(Place));
    case oftDate: return Variant::FromDateTime(DateOfDay(OstGet<int32_t>(Place)));
    case oftTime: return Variant::FromDateTime(static_cast<double>(OstGet<int32_t>(Place)) / MSecsPerDay);
    case oftDateTime: return Variant::FromDateTime(DateTimeOfMSecs(OstGet<double>(Place)));
    case oftSmallStr:
    case oftString:
    case oftMemo:
    case oftFmtMemo: return Variant(FieldText(Place, Field));
    case oftBLOB:
    case oftGraphic: {
        const char* p = OstValueData(Place);
        return Variant(std::string(p, OstValueLength(Place)));
    }
    default: return Null();
    }
}

bool OstTypesCompatible(TOstraFieldType A, TOstraFieldType B) {
    if (A == B) return true;
    auto intGroup = [](TOstraFieldType t) {
        return t == oftInteger || t == oftDate || t == oftTime || t == oftAutoInc;
    };
    auto floatGroup = [](TOstraFieldType t) {
        return t == oftDouble || t == oftCurrency || t == oftDateTime;
    };
    return (intGroup(A) && intGroup(B)) || (floatGroup(A) && floatGroup(B));
}

bool OstKeyExists(const TOstraCursor& Store, const uint8_t* Data, const TOstraRecord* OwnRecord,
                  const std::vector<const TOstraField*>& Fields) {
    if (Fields.empty()) return false;
    for (const TOstraRecord* r : Store.Records()) {
        if (r == OwnRecord || !r->IsLive()) continue;
        if (CompareRecords(r->Data(), Data, Fields, -1) == 0) return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Filter

TOstraFilter::~TOstraFilter() { Clear(); }

void TOstraFilter::Clear() {
    for (TItem& item : FItems)
        if (!item.Value.empty() && IsReferenceType(item.Left->FieldType)) OstReleaseValue(item.Value.data());
    FItems.clear();
}

void TOstraFilter::Prepare(const TOstraCursor& Store, const TOstraFilterConditions& Conditions) {
    Clear();
    try {
        for (const TOstraFilterCondition& cond : Conditions) {
            TItem item;
            item.Operator = cond.Operator;
            item.Left = Store.FindField(cond.LeftOperand);
            if (!item.Left) throw EDatabaseError(Format(SOstFieldNotFound, cond.LeftOperand));
            item.Compare = *item.Left;
            if (cond.Operator == ofoLike) {
                if (cond.RightKind != otkString)
                    throw EDatabaseError("The pattern of LIKE must be a quoted string: " + cond.Text());
                item.Mask = cond.Mask ? cond.Mask : std::make_shared<TOstraMask>(cond.ValueText);
            } else if (cond.Operator != ofoAny) {
                if (cond.RightKind == otkIdentifier) {
                    item.Right = Store.FindField(cond.RightOperand);
                    if (!item.Right) throw EDatabaseError(Format(SOstFieldNotFound, cond.RightOperand));
                    if (!OstTypesCompatible(item.Left->FieldType, item.Right->FieldType))
                        throw EDatabaseError(SFieldTypesNotEqual);
                    // Short texts of different lengths: read both sides whole.
                    if (item.Left->FieldType == oftSmallStr)
                        item.Compare.Size = std::max(item.Left->Size, item.Right->Size);
                } else {
                    item.Value.assign(std::max<std::size_t>(item.Left->Size, 1), 0);
                    FItems.push_back(std::move(item));  // owned from here on (released by Clear)
                    TItem& added = FItems.back();
                    SetValueFromText(added.Value.data(), cond.ValueText, *added.Left);
                    Compile(added);
                    // A whole number the field cannot hold: every record's value lies on one side of it.
                    if (const int beyond = OstBeyondRange(*added.Left, cond.ValueText)) {
                        added.Kind = fkBeyond;
                        added.Number = -beyond;
                    }
                    continue;
                }
            }
            Compile(item);
            FItems.push_back(std::move(item));
        }
    } catch (...) {
        Clear();
        throw;
    }
}

namespace {

bool OperatorHolds(TOstraFilterOperator Operator, int r) {
    switch (Operator) {
    case ofoEqual: return r == 0;
    case ofoGreater: return r > 0;
    case ofoLess: return r < 0;
    case ofoGreaterEqual: return r >= 0;
    case ofoLessEqual: return r <= 0;
    case ofoNotEqual: return r != 0;
    default: return false;
    }
}

}  // namespace

void TOstraFilter::Compile(TItem& Item) {
    const TOstraField& f = *Item.Left;
    switch (Item.Operator) {
    case ofoAny: Item.Kind = fkAny; return;
    case ofoLike:
        Item.Kind = f.FieldType == oftString && Item.Mask->IsAsciiContains() ? fkLikeContains : fkLike;
        return;
    default: break;
    }
    if (Item.Right) return;
    if (f.FieldType == oftSmallStr && (Item.Operator == ofoEqual || Item.Operator == ofoNotEqual)) {
        Item.Kind = fkShortText;
        Item.Text = std::string(FieldText(Item.Value.data(), f));
        bool ascii = true;
        for (const char c : Item.Text) {
            const auto u = static_cast<unsigned char>(c);
            ascii = ascii && u < 0x80;
            const bool letter = (u | 0x20) >= 'a' && (u | 0x20) <= 'z';
            Item.Folded += letter ? static_cast<char>(u | 0x20) : c;
            Item.FoldBits += letter ? '\x20' : '\0';
        }
        if (!ascii) Item.Folded.clear();
        return;
    }
    switch (f.FieldType) {
    case oftInteger:
    case oftDate:
    case oftTime:
    case oftAutoInc:
        Item.Kind = fkInt32;
        Item.Number = OstGet<int32_t>(Item.Value.data());
        return;
    case oftBoolean:
        if (Item.Operator != ofoEqual && Item.Operator != ofoNotEqual) return;
        Item.Kind = fkBoolean;
        Item.Number = OstGet<int16_t>(Item.Value.data()) != 0;
        return;
    default: return;
    }
}

bool TOstraFilter::Holds(const TItem& Item, const uint8_t* Data, bool CaseInsensitive, std::string& Scratch) {
    const uint8_t* left = Data + Item.Left->Offset;
    switch (Item.Kind) {
    case fkAny: return true;
    case fkBeyond: return OperatorHolds(Item.Operator, Item.Number);
    case fkLike: return Item.Mask->Matches(OstValueText(left, *Item.Left, Scratch));
    case fkLikeContains: {
        // The stored length bounds the search; a text never holds a zero
        // byte, which the check on a match keeps true.
        const char* p = OstValueData(left);
        if (!p) return Item.Mask->Matches({});
        const std::string_view stored(p, OstValueLength(left));
        if (!Item.Mask->Matches(stored)) return false;
        return std::memchr(p, 0, stored.size()) == nullptr || Item.Mask->Matches(FieldText(left, *Item.Left));
    }
    case fkShortText: {
        // The text is the bytes up to the first zero within its place.
        const std::size_t n = Item.Text.size();
        const std::size_t length = Item.Left->Size - 1u;
        bool equal = n <= length && (n == length || left[n] == 0);
        if (equal && CaseInsensitive && !Item.Folded.empty()) {
            for (std::size_t i = 0; equal && i < n; ++i)
                equal = static_cast<char>(left[i] | static_cast<uint8_t>(Item.FoldBits[i])) == Item.Folded[i];
        } else if (equal && CaseInsensitive) {
            equal = CompareFolded(FieldText(left, *Item.Left), Item.Text) == 0;
        } else if (equal) {
            equal = std::memcmp(left, Item.Text.data(), n) == 0;
        } else if (CaseInsensitive && Item.Folded.empty()) {
            // A text of another byte length may still fold alike.
            equal = CompareFolded(FieldText(left, *Item.Left), Item.Text) == 0;
        }
        return equal == (Item.Operator == ofoEqual);
    }
    case fkInt32: {
        const int32_t v = OstGet<int32_t>(left);
        return OperatorHolds(Item.Operator, (v > Item.Number) - (v < Item.Number));
    }
    case fkBoolean:
        return ((OstGet<int16_t>(left) != 0) == (Item.Number != 0)) == (Item.Operator == ofoEqual);
    case fkGeneral: break;
    }
    const uint8_t* right = Item.Right ? Data + Item.Right->Offset : Item.Value.data();
    return OperatorHolds(Item.Operator, CompareValues(left, right, Item.Compare, CaseInsensitive));
}

void TOstraFilter::Prefetch(const uint8_t* Data) const {
    for (const TItem& item : FItems)
        if (item.Kind == fkLikeContains || item.Kind == fkLike)
            if (const char* text = OstValueData(Data + item.Left->Offset)) __builtin_prefetch(text);
}

bool TOstraFilter::Match(const uint8_t* Data, bool CaseInsensitive) const {
    for (const TItem& item : FItems)
        if (!Holds(item, Data, CaseInsensitive, FScratch)) return false;
    return true;
}
