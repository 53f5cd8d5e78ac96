// The string list operations: adding, moving and finding lines, name=value pairs,
// delimited and quoted text, the sorted list's rules and its change notices.
#include "platform/core/strings.h"

#include <algorithm>
#include <numeric>

#include "platform/core/exceptions.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/core/text.h"

namespace {

constexpr const char* kSortedListError = "Operation not allowed on sorted list";
constexpr const char* kDuplicateError = "String list does not allow duplicates";

// Keeps a list in update state for a scope, also when an exception leaves it.
class TUpdateScope {
public:
    explicit TUpdateScope(TStrings* list) : FList(list) { FList->BeginUpdate(); }
    ~TUpdateScope() { FList->EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TStrings* FList;
};

bool IsBlankOrControl(char ch) { return static_cast<unsigned char>(ch) <= ' '; }

bool NeedsQuotes(const std::string& s, char delimiter, char quote, bool strict) {
    for (const char ch : s) {
        if (ch == delimiter || ch == quote || ch == '\0') return true;
        if (!strict && IsBlankOrControl(ch)) return true;
    }
    return false;
}

std::string JoinDelimited(const TStrings& list, char delimiter, char quote, bool strict) {
    const int count = list.Count();
    // A lone empty item must still read back as one item.
    if (count == 1 && list.Strings(0).empty()) return std::string(2, quote);
    std::string out;
    for (int i = 0; i < count; ++i) {
        if (i > 0) out += delimiter;
        const std::string s = list.Strings(i);
        out += NeedsQuotes(s, delimiter, quote, strict) ? AnsiQuotedStr(s, quote) : s;
    }
    return out;
}

void SplitDelimited(TStrings& list, const std::string& text, char delimiter, char quote, bool strict) {
    TUpdateScope scope(&list);
    list.Clear();
    // A NUL ends the text, as it ends the platform's strings.
    const size_t n = std::min(text.size(), text.find('\0'));
    size_t p = 0;
    // Blanks between items separate them too unless the delimiter is strict.
    const auto skipBlanks = [&] {
        if (!strict)
            while (p < n && IsBlankOrControl(text[p])) ++p;
    };
    skipBlanks();
    while (p < n) {
        std::string item;
        if (text[p] == quote) {
            // Quoted item; a doubled quote stands for one. Without a closing
            // quote the item runs to the end of the text.
            ++p;
            while (p < n) {
                if (text[p] == quote) {
                    if (p + 1 < n && text[p + 1] == quote) {
                        item += quote;
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            const size_t start = p;
            while (p < n && text[p] != delimiter && (strict || !IsBlankOrControl(text[p]))) ++p;
            item = text.substr(start, p - start);
        }
        list.Add(item);
        skipBlanks();
        if (p < n && text[p] == delimiter) {
            ++p;
            if (p == n) list.Add(std::string());  // a trailing delimiter ends an empty item
            skipBlanks();
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// TStrings

void TStrings::IndexError(int Index) {
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::Put(int Index, const std::string& S) {
    TObject* object = GetObject(Index);
    TUpdateScope scope(this);
    Delete(Index);
    InsertObject(Index, S, object);
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
    return AnsiCompareText(S1, S2);
}

int TStrings::Add(const std::string& S) {
    const int index = GetCount();
    Insert(index, S);
    return index;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
    const int index = Add(S);
    PutObject(index, AObject);
    return index;
}

void TStrings::AddStrings(TStrings* Strings) {
    if (!Strings) return;
    TUpdateScope scope(this);
    // Counted first so that adding a list to itself ends.
    const int count = Strings->Count();
    for (int i = 0; i < count; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::Exchange(int Index1, int Index2) {
    TUpdateScope scope(this);
    const std::string s1 = Get(Index1);
    TObject* o1 = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, s1);
    PutObject(Index2, o1);
}

void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    TUpdateScope scope(this);
    const std::string s = Get(CurIndex);
    TObject* object = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, object);
}

void TStrings::Assign(TPersistent* Source) {
    auto* source = dynamic_cast<TStrings*>(Source);
    if (!source) {
        inherited::Assign(Source);
        return;
    }
    if (source == this) return;
    TUpdateScope scope(this);
    Clear();
    FNameValueSeparator = source->FNameValueSeparator;
    FDelimiter = source->FDelimiter;
    FQuoteChar = source->FQuoteChar;
    FStrictDelimiter = source->FStrictDelimiter;
    AddStrings(source);
}

bool TStrings::Equals(TStrings* Strings) const {
    if (!Strings) return false;
    const int count = GetCount();
    if (count != Strings->GetCount()) return false;
    for (int i = 0; i < count; ++i)
        if (Get(i) != Strings->Get(i)) return false;
    return true;
}

int TStrings::IndexOf(const std::string& S) const {
    const int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (CompareStrings(Get(i), S) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        const std::string line = Get(i);
        const size_t sep = line.find(FNameValueSeparator);
        if (sep != std::string::npos && CompareStrings(line.substr(0, sep), Name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
    const int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}

std::string TStrings::Names(int Index) const {
    const std::string line = Get(Index);
    const size_t sep = line.find(FNameValueSeparator);
    return sep == std::string::npos ? std::string() : line.substr(0, sep);
}

std::string TStrings::ValueFromIndex(int Index) const {
    const std::string line = Get(Index);
    const size_t sep = line.find(FNameValueSeparator);
    return sep == std::string::npos ? std::string() : line.substr(sep + 1);
}

void TStrings::SetValueFromIndex(int Index, const std::string& Value) {
    if (!Value.empty()) {
        if (Index < 0) Index = Add(std::string());
        Put(Index, Names(Index) + FNameValueSeparator + Value);
    } else if (Index >= 0) {
        Delete(Index);
    }
}

std::string TStrings::Values(const std::string& Name) const {
    const int index = IndexOfName(Name);
    return index >= 0 ? ValueFromIndex(index) : std::string();
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
    const int index = IndexOfName(Name);
    if (!Value.empty()) {
        const std::string line = Name + FNameValueSeparator + Value;
        // A new line goes through Add so that sorted lists take it too.
        if (index < 0)
            Add(line);
        else
            Put(index, line);
    } else if (index >= 0) {
        Delete(index);
    }
}

std::string TStrings::DelimitedText() const {
    return JoinDelimited(*this, FDelimiter, FQuoteChar, FStrictDelimiter);
}

void TStrings::SetDelimitedText(const std::string& Value) {
    SplitDelimited(*this, Value, FDelimiter, FQuoteChar, FStrictDelimiter);
}

std::string TStrings::CommaText() const { return JoinDelimited(*this, ',', '"', false); }

void TStrings::SetCommaText(const std::string& Value) { SplitDelimited(*this, Value, ',', '"', false); }

std::string TStrings::GetTextStr() const {
    std::string out;
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        out += Get(i);
        out += '\n';
    }
    return out;
}

void TStrings::SetTextStr(const std::string& Value) {
    TUpdateScope scope(this);
    Clear();
    const size_t n = Value.size();
    size_t start = 0;
    while (start < n) {
        size_t end = start;
        while (end < n && Value[end] != '\n' && Value[end] != '\r') ++end;
        Add(Value.substr(start, end - start));
        if (end < n && Value[end] == '\r' && end + 1 < n && Value[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

void TStrings::LoadFromFile(const std::string& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TStrings::LoadFromStream(TStream* Stream) {
    const int64_t size = Stream->Size() - Stream->Position();
    std::string data;
    if (size > 0) {
        data.resize(static_cast<size_t>(size));
        Stream->ReadBuffer(data.data(), size);
    }
    if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);
    TUpdateScope scope(this);
    SetTextStr(EnsureUtf8(data));
}

void TStrings::SaveToFile(const std::string& FileName) {
    // Written whole through a temporary file, so a failed save leaves the
    // old file as it was.
    TMemoryStream stream;
    SaveToStream(&stream);
    stream.SaveToFile(FileName);
}

void TStrings::SaveToStream(TStream* Stream) {
    const std::string text = GetTextStr();
    Stream->WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0) SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount == 0) return;
    --FUpdateCount;
    if (FUpdateCount == 0) SetUpdateState(false);
}

// ---------------------------------------------------------------------------
// TStringList

TStringList::~TStringList() {
    FOnChange = nullptr;
    FOnChanging = nullptr;
    ClearItems();
}

void TStringList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
}

void TStringList::ClearItems() {
    std::vector<TStringItem> items;
    items.swap(FItems);
    if (FOwnsObjects)
        for (auto& item : items) delete item.FObject;
}

void TStringList::Changed() {
    if (UpdateCount() == 0) FOnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0) FOnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
    if (Updating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
    return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

std::string TStringList::Get(int Index) const {
    CheckIndex(Index);
    return FItems[static_cast<size_t>(Index)].FString;
}

TObject* TStringList::GetObject(int Index) const {
    CheckIndex(Index);
    return FItems[static_cast<size_t>(Index)].FObject;
}

void TStringList::Put(int Index, const std::string& S) {
    if (FSorted) throw EStringListError(kSortedListError);
    CheckIndex(Index);
    Changing();
    FItems[static_cast<size_t>(Index)].FString = S;
    Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    Changing();
    FItems[static_cast<size_t>(Index)].FObject = AObject;
    Changed();
}

int TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const std::string& S, TObject* AObject) {
    int index = GetCount();
    if (FSorted) {
        if (Find(S, index)) {
            switch (FDuplicates) {
            case dupIgnore: return index;
            case dupError: throw EStringListError(kDuplicateError);
            case dupAccept:
                // After the equal lines, so equal lines keep their order.
                while (index < GetCount() &&
                       CompareStrings(FItems[static_cast<size_t>(index)].FString, S) == 0)
                    ++index;
                break;
            }
        }
    }
    InsertItem(index, S, AObject);
    return index;
}

void TStringList::Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
    if (FSorted) throw EStringListError(kSortedListError);
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
    Changing();
    FItems.insert(FItems.begin() + Index, TStringItem{S, AObject});
    Changed();
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    TObject* object = FItems[static_cast<size_t>(Index)].FObject;
    FItems.erase(FItems.begin() + Index);
    // Freed after the line is gone, so the object's destructor sees a
    // consistent list.
    if (FOwnsObjects) delete object;
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty()) return;
    Changing();
    ClearItems();
    Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    std::swap(FItems[static_cast<size_t>(Index1)], FItems[static_cast<size_t>(Index2)]);
    Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    if (FSorted) throw EStringListError(kSortedListError);
    Changing();
    const auto first = FItems.begin();
    if (CurIndex < NewIndex)
        std::rotate(first + CurIndex, first + CurIndex + 1, first + NewIndex + 1);
    else
        std::rotate(first + NewIndex, first + CurIndex, first + CurIndex + 1);
    Changed();
}

int TStringList::IndexOf(const std::string& S) const {
    if (!FSorted) return TStrings::IndexOf(S);
    int index;
    return Find(S, index) ? index : -1;
}

bool TStringList::Find(const std::string& S, int& Index) const {
    int low = 0;
    int high = GetCount();
    // First line not below S.
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (CompareStrings(FItems[static_cast<size_t>(mid)].FString, S) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    Index = low;
    return low < GetCount() && CompareStrings(FItems[static_cast<size_t>(low)].FString, S) == 0;
}

void TStringList::Sort() {
    CustomSort([](TStringList* list, int a, int b) {
        return list->CompareStrings(list->FItems[static_cast<size_t>(a)].FString,
                                    list->FItems[static_cast<size_t>(b)].FString);
    });
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
    if (GetCount() < 2 || !Compare) return;
    // Sort positions while the lines stay put, so Compare can read them by
    // index; then move the lines in one step.
    std::vector<int> order(FItems.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
    Changing();
    std::vector<TStringItem> sorted;
    sorted.reserve(FItems.size());
    for (const int i : order) sorted.push_back(std::move(FItems[static_cast<size_t>(i)]));
    FItems.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool Value) {
    if (Value == FSorted) return;
    if (Value) Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (Value == FCaseSensitive) return;
    FCaseSensitive = Value;
    if (FSorted) Sort();
}
