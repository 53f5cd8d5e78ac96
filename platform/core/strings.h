// String lists. TStrings is the abstract list of lines, each with an optional
// object, plus everything built on that: name=value pairs, delimited and
// comma text, whole text with line breaks, streams and files. TStringList
// keeps the lines in memory and adds sorting, duplicate control, case
// sensitivity, owned objects and change events.
//
// Lines hold UTF-8. Index errors raise EStringListError
// "List index out of bounds (%d)".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/core/events.h"
#include "platform/core/object.h"

class TStream;
class TStringList;

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Compares lines Index1 and Index2 of List: below 0, 0 or above 0.
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStrings : public TPersistent {
    TASKMOOR_CLASS(TStrings, TPersistent)
public:
    TStrings() = default;
    ~TStrings() override = default;

    // --- Lines and objects
    int Count() const { return GetCount(); }
    std::string Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const std::string& S) { Put(Index, S); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

    virtual int Add(const std::string& S);  // answers the new line's index
    virtual int AddObject(const std::string& S, TObject* AObject);
    virtual void AddStrings(TStrings* Strings);
    virtual void Insert(int Index, const std::string& S) = 0;
    virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int Index1, int Index2);
    virtual void Move(int CurIndex, int NewIndex);
    // Copies the lines, objects and text settings of another TStrings;
    // anything else goes to TPersistent (EConvertError).
    void Assign(TPersistent* Source) override;
    // Same lines in the same order (objects not compared, case matters).
    bool Equals(TStrings* Strings) const;

    // --- Searching (letter case as CompareStrings decides)
    virtual int IndexOf(const std::string& S) const;
    virtual int IndexOfName(const std::string& Name) const;
    virtual int IndexOfObject(TObject* AObject) const;

    // --- name=value lines. A line without the separator has an empty name
    // and an empty value and is never found by name.
    std::string Names(int Index) const;
    std::string Values(const std::string& Name) const;
    // Replaces the line or adds one; an empty Value deletes it.
    void SetValues(const std::string& Name, const std::string& Value);
    std::string ValueFromIndex(int Index) const;
    void SetValueFromIndex(int Index, const std::string& Value);
    char NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(char Value) { FNameValueSeparator = Value; }

    // --- Delimited text. Items holding the delimiter, the quote character or
    // (unless StrictDelimiter) blanks and control characters are quoted, with
    // inner quotes doubled. A single empty item is written as two quotes.
    // Reading without StrictDelimiter also splits at blanks.
    char Delimiter() const { return FDelimiter; }
    void SetDelimiter(char Value) { FDelimiter = Value; }
    char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char Value) { FQuoteChar = Value; }
    bool StrictDelimiter() const { return FStrictDelimiter; }
    void SetStrictDelimiter(bool Value) { FStrictDelimiter = Value; }
    std::string DelimitedText() const;
    void SetDelimitedText(const std::string& Value);
    // Delimited text with ',' and '"' and blanks splitting, whatever the
    // delimiter settings are.
    std::string CommaText() const;
    void SetCommaText(const std::string& Value);

    // --- Whole text: every line followed by "\n"; reading accepts "\r\n",
    // "\n" and "\r".
    std::string Text() const { return GetTextStr(); }
    void SetText(const std::string& Value) { SetTextStr(Value); }
    virtual std::string GetTextStr() const;
    virtual void SetTextStr(const std::string& Value);

    // --- Files and streams. Loading replaces the lines with the text from
    // the stream's position to its end (a UTF-8 byte order mark is dropped;
    // text that is not UTF-8 is read as Windows-1252). Saving writes Text.
    virtual void LoadFromFile(const std::string& FileName);
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToFile(const std::string& FileName);
    virtual void SaveToStream(TStream* Stream);

    // --- Batching. Nested calls count; SetUpdateState(true) is called at
    // the outermost BeginUpdate and SetUpdateState(false) at its EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

protected:
    // The storage a descendant provides.
    virtual std::string Get(int Index) const = 0;
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int Index) const;          // nullptr here
    virtual void Put(int Index, const std::string& S);    // delete + insert
    virtual void PutObject(int Index, TObject* AObject);  // ignored here
    virtual void SetUpdateState(bool Updating);
    // Line comparison used by the searches; here without regard to case.
    virtual int CompareStrings(const std::string& S1, const std::string& S2) const;
    // Raises EStringListError "List index out of bounds (%d)".
    [[noreturn]] static void IndexError(int Index);

private:
    int FUpdateCount = 0;
    char FNameValueSeparator = '=';
    char FDelimiter = ',';
    char FQuoteChar = '"';
    bool FStrictDelimiter = false;
};

class TStringList : public TStrings {
    TASKMOOR_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    explicit TStringList(bool OwnsObjects) : FOwnsObjects(OwnsObjects) {}
    ~TStringList() override;

    // On a sorted list Add and AddObject put the line in its place: with
    // dupIgnore an equal line is not added (its index is answered), with
    // dupError EStringListError "String list does not allow duplicates".
    int Add(const std::string& S) override;
    int AddObject(const std::string& S, TObject* AObject) override;
    // Insert, Move and changing a line raise EStringListError
    // "Operation not allowed on sorted list" on a sorted list.
    void Insert(int Index, const std::string& S) override;
    void InsertObject(int Index, const std::string& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    void Exchange(int Index1, int Index2) override;
    void Move(int CurIndex, int NewIndex) override;
    int IndexOf(const std::string& S) const override;

    // Binary search of a sorted list: true and the first equal line's index,
    // or false and the index where S would go.
    virtual bool Find(const std::string& S, int& Index) const;
    virtual void Sort();
    // Stable sort by Compare (which sees the lines in their original places).
    virtual void CustomSort(TStringListSortCompare Compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);  // re-sorts a sorted list
    // Owned objects are freed when their line is deleted or the list is
    // cleared or destroyed; SetObjects(i, nullptr) hands one back unfreed.
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

    // OnChanging before and OnChange after every change; inside
    // BeginUpdate/EndUpdate only once each, at the outermost pair.
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
    const TNotifyEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(const TNotifyEvent& Value) { FOnChanging = Value; }

protected:
    std::string Get(int Index) const override;
    int GetCount() const override { return static_cast<int>(FItems.size()); }
    TObject* GetObject(int Index) const override;
    void Put(int Index, const std::string& S) override;
    void PutObject(int Index, TObject* AObject) override;
    void SetUpdateState(bool Updating) override;
    int CompareStrings(const std::string& S1, const std::string& S2) const override;

    virtual void Changed();
    virtual void Changing();
    // Inserts without the sorted-list check (Add uses it for the found place).
    virtual void InsertItem(int Index, const std::string& S, TObject* AObject);

private:
    struct TStringItem {
        std::string FString;
        TObject* FObject = nullptr;
    };
    void CheckIndex(int Index) const;
    void ClearItems();

    std::vector<TStringItem> FItems;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    bool FOwnsObjects = false;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnChanging;
};
