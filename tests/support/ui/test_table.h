// A small editable in-memory table for the data-aware control tests:
// integer, Boolean and string fields; rows keep their order; bookmarks are
// row ids.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"

class TTestTable : public TDataSet {
public:
    explicit TTestTable(TComponent* AOwner) : TDataSet(AOwner) {}
    ~TTestTable() override {
        Destroying();
        SetActive(false);
    }

    bool ReadOnly = false;

    // Adds a row of field texts ("" leaves a field null).
    void AddRow(const std::vector<std::string>& Texts) {
        Row row;
        row.Id = FNextId++;
        const int n = FieldDefs()->Count();
        row.Values.resize(static_cast<size_t>(n));
        row.Has.resize(static_cast<size_t>(n), 0);
        for (int i = 0; i < n && i < static_cast<int>(Texts.size()); ++i) {
            if (Texts[static_cast<size_t>(i)].empty()) continue;
            row.Values[static_cast<size_t>(i)] =
                Native(FieldDefs()->Items(i)->DataType(), Texts[static_cast<size_t>(i)]);
            row.Has[static_cast<size_t>(i)] = 1;
        }
        FRows.push_back(row);
    }
    int RowCount() const { return static_cast<int>(FRows.size()); }
    // The stored text of a field of row Index (by the field's type).
    std::string Stored(int Index, const std::string& FieldName) const {
        const int f = FieldDefs()->IndexOf(FieldName);
        const Row& r = FRows.at(static_cast<size_t>(Index));
        if (f < 0 || !r.Has[static_cast<size_t>(f)]) return "(null)";
        const std::string& v = r.Values[static_cast<size_t>(f)];
        switch (FieldDefs()->Items(f)->DataType()) {
        case ftInteger: {
            int32_t x = 0;
            std::memcpy(&x, v.data(), sizeof x);
            return std::to_string(x);
        }
        case ftBoolean: {
            int16_t x = 0;
            std::memcpy(&x, v.data(), sizeof x);
            return x ? "True" : "False";
        }
        default: return v;
        }
    }

    bool GetFieldData(TField* Field, void* Buffer) override {
        TBuf* b = ActiveBuffer() ? B(ActiveBuffer()) : nullptr;
        if (!b || (State() == dsBrowse && IsEmpty())) return false;
        const auto i = static_cast<size_t>(Field->FieldNo() - 1);
        if (i >= b->Has.size() || !b->Has[i]) return false;
        if (Buffer) {
            const std::string& v = b->Values[i];
            std::memcpy(Buffer, v.data(), v.size());
            if (Field->DataType() == ftString) static_cast<char*>(Buffer)[v.size()] = '\0';
        }
        return true;
    }
    void SetFieldData(TField* Field, const void* Buffer) override {
        Field->Validate(Buffer);
        TBuf* b = B(ActiveBuffer());
        const auto i = static_cast<size_t>(Field->FieldNo() - 1);
        if (!Buffer) {
            b->Values[i].clear();
            b->Has[i] = 0;
        } else if (Field->DataType() == ftString) {
            b->Values[i] = static_cast<const char*>(Buffer);
            b->Has[i] = 1;
        } else {
            b->Values[i].assign(static_cast<const char*>(Buffer), static_cast<size_t>(Field->DataSize()));
            b->Has[i] = 1;
        }
        DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
    }

protected:
    struct Row {
        int Id = 0;
        std::vector<std::string> Values;
        std::vector<char> Has;
    };
    struct TBuf {
        int Id = 0;
        TBookmarkFlag Flag = bfCurrent;
        std::vector<std::string> Values;
        std::vector<char> Has;
    };
    static TBuf* B(TRecordBuffer Buffer) { return reinterpret_cast<TBuf*>(Buffer); }

    static std::string Native(TFieldType Type, const std::string& Text) {
        auto bytes = [](auto v) { return std::string(reinterpret_cast<const char*>(&v), sizeof v); };
        switch (Type) {
        case ftInteger: return bytes(static_cast<int32_t>(StrToInt(Text)));
        case ftBoolean: return bytes(static_cast<int16_t>(SameText(Text, "True") ? -1 : 0));
        default: return Text;
        }
    }
    int IndexOfId(int Id) const {
        for (size_t i = 0; i < FRows.size(); ++i)
            if (FRows[i].Id == Id) return static_cast<int>(i);
        return -1;
    }

    TRecordBuffer AllocRecordBuffer() override {
        auto* b = new TBuf;
        b->Values.resize(static_cast<size_t>(FieldDefs()->Count()));
        b->Has.resize(static_cast<size_t>(FieldDefs()->Count()), 0);
        return reinterpret_cast<TRecordBuffer>(b);
    }
    void FreeRecordBuffer(TRecordBuffer& Buffer) override {
        delete B(Buffer);
        Buffer = nullptr;
    }
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool) override {
        const int count = static_cast<int>(FRows.size());
        switch (GetMode) {
        case gmCurrent:
            if (FPos < 0 || FPos >= count) return grError;
            break;
        case gmNext:
            if (FPos >= count - 1) {
                FPos = count;
                return grEOF;
            }
            ++FPos;
            break;
        case gmPrior:
            if (FPos <= 0) {
                FPos = -1;
                return grBOF;
            }
            --FPos;
            break;
        }
        const Row& r = FRows[static_cast<size_t>(FPos)];
        B(Buffer)->Id = r.Id;
        B(Buffer)->Flag = bfCurrent;
        B(Buffer)->Values = r.Values;
        B(Buffer)->Has = r.Has;
        return grOK;
    }
    void GetBookmarkData(TRecordBuffer Buffer, void* Data) override {
        std::memcpy(Data, &B(Buffer)->Id, sizeof(int));
    }
    void SetBookmarkData(TRecordBuffer Buffer, const void* Data) override {
        std::memcpy(&B(Buffer)->Id, Data, sizeof(int));
    }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override { return B(Buffer)->Flag; }
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override { B(Buffer)->Flag = Value; }
    void InternalFirst() override { FPos = -1; }
    void InternalLast() override { FPos = static_cast<int>(FRows.size()); }
    void InternalGotoBookmark(const void* Bookmark) override {
        int id = 0;
        std::memcpy(&id, Bookmark, sizeof id);
        FPos = IndexOfId(id);
    }
    void InternalSetToRecord(TRecordBuffer Buffer) override { FPos = IndexOfId(B(Buffer)->Id); }
    void InternalInitRecord(TRecordBuffer Buffer) override {
        TBuf* b = B(Buffer);
        std::fill(b->Values.begin(), b->Values.end(), std::string());
        std::fill(b->Has.begin(), b->Has.end(), 0);
        b->Flag = bfInserted;
    }
    void InternalAddRecord(TRecordBuffer Buffer, bool Append) override {
        TBuf* b = B(Buffer);
        Row row;
        row.Id = FNextId++;
        row.Values = b->Values;
        row.Has = b->Has;
        int at = static_cast<int>(FRows.size());
        if (!Append) {
            if (b->Flag == bfBOF)
                at = 0;
            else if (b->Flag == bfInserted && IndexOfId(b->Id) >= 0)
                at = IndexOfId(b->Id);
        }
        FRows.insert(FRows.begin() + at, row);
        FPos = at;
    }
    void InternalPost() override {
        TDataSet::InternalPost();
        TBuf* b = B(ActiveBuffer());
        if (State() == dsEdit) {
            Row& r = FRows.at(static_cast<size_t>(IndexOfId(b->Id)));
            r.Values = b->Values;
            r.Has = b->Has;
            FPos = IndexOfId(b->Id);
            return;
        }
        InternalAddRecord(ActiveBuffer(), b->Flag == bfEOF);
    }
    void InternalDelete() override {
        if (FPos >= 0 && FPos < static_cast<int>(FRows.size())) FRows.erase(FRows.begin() + FPos);
    }
    void InternalOpen() override {
        if (DefaultFields()) CreateFields();
        BindFields(true);
        SetBookmarkSize(sizeof(int));
        FPos = -1;
        FOpen = true;
    }
    void InternalClose() override {
        FOpen = false;
        BindFields(false);
        if (DefaultFields()) DestroyFields();
    }
    void InternalInitFieldDefs() override {}
    bool IsCursorOpen() override { return FOpen; }
    int GetRecordCount() override { return static_cast<int>(FRows.size()); }
    int GetRecNo() override {
        TBuf* b = ActiveBuffer() ? B(ActiveBuffer()) : nullptr;
        return b ? IndexOfId(b->Id) + 1 : -1;
    }
    bool GetCanModify() override { return !ReadOnly; }

private:
    std::vector<Row> FRows;
    int FNextId = 1;
    int FPos = -1;
    bool FOpen = false;
};
