// TOstraDataset: Locate and Lookup over the record view.
//
// Without options the search values are converted once into key buffer 1 and
// records are compared with the store's record comparison; on a view sorted
// by fields that begin with the key fields this is a binary search. With
// options (case-insensitive, partial key) each record's values are compared
// one by one.
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/messages.h"
#include "engine/ostra_dataset.h"
#include "engine/ostra_dataset_impl.h"
#include "engine/record_store.h"
#include "platform/core/case_fold.h"
#include "platform/core/exceptions.h"
#include "platform/core/sysutils.h"

namespace {

// The key value of field Index: the array's element, or the single value.
const Variant& KeyValueOf(const Variant& KeyValues, int Index) {
    static const Variant none;
    if (!KeyValues.IsArray()) return KeyValues;
    return Index < KeyValues.ArrayCount() ? KeyValues[Index] : none;
}

// Text equality or prefix, optionally without regard to case.
bool TextMatches(std::string_view Text, std::string_view Key, bool CaseInsensitive, bool Partial) {
    if (!CaseInsensitive) return Partial ? Text.substr(0, Key.size()) == Key : Text == Key;
    std::size_t i = 0, j = 0;
    while (j < Key.size()) {
        if (i >= Text.size()) return false;
        if (NextFoldedChar(Text, i) != NextFoldedChar(Key, j)) return false;
    }
    return Partial || i == Text.size();
}

// The equality of a record's values with a search key's, each field tested
// the cheapest way its type allows; the same answers as the record
// comparison's zero.
class TKeyMatch {
public:
    TKeyMatch(const std::vector<const TOstraField*>& Fields, const uint8_t* KeyData) {
        for (const TOstraField* f : Fields) {
            TTest t{f, KeyData + f->Offset, tkGeneral, 0, {}};
            switch (f->FieldType) {
            case oftInteger:
            case oftDate:
            case oftTime:
            case oftAutoInc:
                t.Kind = tkInt32;
                t.Number = OstGet<int32_t>(t.Key);
                break;
            case oftSmallStr:
                t.Kind = tkShortText;
                t.Text = FieldText(t.Key, *f);
                break;
            default: break;
            }
            FTests.push_back(t);
        }
    }
    bool operator()(const TOstraRecord* Record) const {
        const uint8_t* data = Record->Data();
        for (const TTest& t : FTests) {
            const uint8_t* place = data + t.Field->Offset;
            switch (t.Kind) {
            case tkInt32:
                if (OstGet<int32_t>(place) != t.Number) return false;
                break;
            case tkShortText: {
                // The text is the bytes up to the first zero within its place.
                const std::size_t n = t.Text.size();
                if (n < t.Field->Size - 1u && place[n] != 0) return false;
                if (std::memcmp(place, t.Text.data(), n) != 0) return false;
                break;
            }
            case tkGeneral:
                if (CompareValues(place, t.Key, *t.Field, false) != 0) return false;
                break;
            }
        }
        return true;
    }

private:
    enum TKind { tkGeneral, tkInt32, tkShortText };
    struct TTest {
        const TOstraField* Field;
        const uint8_t* Key;
        TKind Kind;
        int32_t Number;
        std::string_view Text;
    };
    std::vector<TTest> FTests;
};

}  // namespace

bool TOstraDataset::TImpl::KeyOrderFits() const {
    const auto& sort = FKeys[kiSort].Fields();
    const auto& key = FKeys[kiSearch].Fields();
    if (key.empty() || key.size() > sort.size()) return false;
    return std::equal(key.begin(), key.end(), sort.begin());
}

bool TOstraDataset::TImpl::MatchesWithOptions(const TOstraRecord* Record, const Variant& KeyValues,
                                              TLocateOptions Options) const {
    const bool caseInsensitive = Options.Contains(loCaseInsensitive);
    const bool partial = Options.Contains(loPartialKey);
    const auto& fields = FKeys[kiSearch].Fields();
    const uint8_t* data = Record->Data();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Variant& key = KeyValueOf(KeyValues, static_cast<int>(i));
        if (key.IsNull() || key.IsEmpty()) return false;
        const TOstraField& f = *fields[i];
        const uint8_t* place = data + f.Offset;
        if (!OstHasValue(place, f)) return false;
        try {
            if (key.VarType() == varString) {
                std::string scratch;
                std::string_view text;
                switch (f.FieldType) {
                case oftSmallStr:
                case oftString: text = FieldText(place, f); break;
                default:
                    scratch = OstValueVariant(place, f).AsString();
                    text = scratch;
                    break;
                }
                const std::string keyText = key.AsString();
                if (!TextMatches(text, keyText, caseInsensitive, partial)) return false;
            } else {
                const Variant value = VarAsType(OstValueVariant(place, f), key.VarType());
                if (VarCompare(value, key) != 0) return false;
            }
        } catch (const EVariantError&) {
            return false;
        } catch (const EConvertError&) {
            return false;
        }
    }
    return true;
}

int TOstraDataset::TImpl::FindByKey(const std::string& KeyFields, const Variant& KeyValues, bool FromStart,
                                    TLocateOptions Options) {
    CheckOpen();
    D.CheckBrowseMode();
    if (FView.Empty() || KeyFields.find_first_not_of(" ;") == std::string::npos || KeyValues.IsNull() ||
        KeyValues.IsEmpty() || (KeyValues.IsArray() && KeyValues.ArrayCount() == 0))
        return -1;
    TOstraKeyBuffer& key = FKeys[kiSearch];
    // Repeated searches over the same fields keep the set-up.
    if (KeyFields == FSearchKeyNames && key.HasFields()) {
        key.ClearValues();
    } else {
        InitKeyBuffer(kiSearch, KeyFields);
        FSearchKeyNames = KeyFields;
    }
    const int count = FView.Count();
    int start = 0;
    if (!FromStart) {
        D.UpdateCursorPos();
        start = std::max(FPosition + 1, 0);
    }
    if (!Options.Empty()) {
        for (int i = start; i < count; ++i)
            if (MatchesWithOptions(FView.At(i), KeyValues, Options)) return i;
        return -1;
    }
    for (int i = 0; i < static_cast<int>(key.Fields().size()); ++i) {
        const Variant& value = KeyValueOf(KeyValues, i);
        if (!value.IsNull() && !value.IsEmpty()) key.SetValue(i, value);
        // No record holds a number its field cannot hold.
        if (key.Beyond(i) != 0) return -1;
    }
    const auto& fields = key.Fields();
    const uint8_t* keyData = key.Data();
    auto compare = [&](int index) { return CompareRecords(FView.At(index)->Data(), keyData, fields, -1); };
    const bool ordered = FInKeyOrder && KeyOrderFits() && !D.FSortOptions.Contains(osoCaseInsensitive);
    // Many searches over the same fields of an unchanged view: by hash.
    if (start == 0 && FKeyIndex.Ready(FView, fields, FCursor->Changes(), ordered))
        return FKeyIndex.Find(FView, keyData);
    if (ordered) {
        // The view's sort-key digests narrow the search down to the records
        // whose digest equals the key's; the first not before the key among
        // them is the answer when it matches.
        EnsureViewKeys();
        const bool descending = D.FSortOptions.Contains(osoDescendSort);
        bool exact = false;
        TOstraViewKey low = OstViewKey(keyData, fields, false, descending, &exact);
        TOstraViewKey high = low;
        if (fields.size() < 2 && !OstViewKeyFromFirstField(*fields[0])) {
            // The digest's second half belongs to a sort field not searched.
            low.Low = low.Extra = 0;
            high.Low = high.Extra = ~uint64_t{0};
        }
        int lo, hi;
        FView.EqualRange(low, high, lo, hi);
        lo = std::max(lo, start);
        const int end = hi;
        // A key that stands for the values: every record in the range matches.
        if (exact) return lo < end && compare(lo) == 0 ? lo : -1;
        const int sign = descending ? -1 : 1;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (sign * compare(mid) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo < end && compare(lo) == 0 ? lo : -1;
    }
    return FView.FindFrom(start, TKeyMatch(fields, keyData));
}

bool TOstraDataset::Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    FImpl->CheckOpen();
    CheckBrowseMode();
    DoBeforeScroll();
    const int index = FImpl->FindByKey(KeyFields, KeyValues, true, Options);
    if (index < 0) return false;
    FImpl->GotoPosition(index, true);
    DoAfterScroll();
    return true;
}

Variant TOstraDataset::Lookup(const std::string& KeyFields, const Variant& KeyValues,
                              const std::string& ResultFields) {
    FImpl->CheckOpen();
    GetFieldList(ResultFields);  // unknown names raise before anything happens
    const int index = FImpl->FindByKey(KeyFields, KeyValues, true, TLocateOptions());
    if (index < 0) return Null();
    // The found record goes into a buffer of its own; the cursor stays.
    TRecordBuffer buffer = AllocRecordBuffer();
    Variant result;
    try {
        FImpl->CopyRecordToBuffer(FImpl->FView.At(index), buffer);
        FImpl->SetBufferRecord(buffer, index);
        ClearCalcFields(buffer);
        GetCalcFields(buffer);
        FImpl->FReadBuffer = buffer;
        result = FieldValues(ResultFields);
    } catch (...) {
        FImpl->FReadBuffer = nullptr;
        FreeRecordBuffer(buffer);
        throw;
    }
    FImpl->FReadBuffer = nullptr;
    FreeRecordBuffer(buffer);
    return result;
}
