// The items of list boxes and combo boxes: the lines and objects are kept
// here, and the box's widget and item index follow them.
#pragma once

#include <QComboBox>
#include <QListWidget>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/ui/stdctrls_qt.h"

// ---- The items of a list box or combo box ----------------------------------------------------

// The lines and objects of a list or combo box, kept here; the box's widget and
// its item index follow through the hooks.
class TBoxStrings : public TStrings {
public:
    int Add(const std::string& S) override { return AddObject(S, nullptr); }
    int AddObject(const std::string& S, TObject* AObject) override {
        int index = static_cast<int>(FItems.size());
        if (Sorted()) {
            // after its equals, letter case ignored
            auto it = std::upper_bound(
                FItems.begin(), FItems.end(), S,
                [](const std::string& a, const auto& item) { return AnsiCompareText(a, item.first) < 0; });
            index = static_cast<int>(it - FItems.begin());
        }
        InsertItem(index, S, AObject);
        return index;
    }
    void Insert(int Index, const std::string& S) override { InsertObject(Index, S, nullptr); }
    void InsertObject(int Index, const std::string& S, TObject* AObject) override {
        if (Index < 0 || Index > static_cast<int>(FItems.size())) IndexError(Index);
        InsertItem(Index, S, AObject);
    }
    void Delete(int Index) override {
        CheckIndex(Index);
        FItems.erase(FItems.begin() + Index);
        int& ii = ItemIndex();
        if (ii == Index)
            ii = -1;
        else if (ii > Index)
            --ii;
        ItemDeleted(Index);
    }
    const std::vector<std::pair<std::string, TObject*>>& Items() const { return FItems; }

protected:
    std::string Get(int Index) const override {
        CheckIndex(Index);
        return FItems[static_cast<std::size_t>(Index)].first;
    }
    int GetCount() const override { return static_cast<int>(FItems.size()); }
    TObject* GetObject(int Index) const override {
        CheckIndex(Index);
        return FItems[static_cast<std::size_t>(Index)].second;
    }
    void Put(int Index, const std::string& S) override {
        CheckIndex(Index);
        FItems[static_cast<std::size_t>(Index)].first = S;
        ItemChanged(Index, S);
    }
    void PutObject(int Index, TObject* AObject) override {
        CheckIndex(Index);
        FItems[static_cast<std::size_t>(Index)].second = AObject;
    }
    void CheckIndex(int Index) const {
        if (Index < 0 || Index >= static_cast<int>(FItems.size())) IndexError(Index);
    }

    virtual bool Sorted() const = 0;
    virtual int& ItemIndex() = 0;
    // The line is in the list and the item index moved past it.
    virtual void ItemInserted(int Index, const std::string& S) = 0;
    virtual void ItemDeleted(int Index) = 0;
    virtual void ItemChanged(int Index, const std::string& S) = 0;

    std::vector<std::pair<std::string, TObject*>> FItems;

private:
    void InsertItem(int Index, const std::string& S, TObject* AObject) {
        FItems.insert(FItems.begin() + Index, {S, AObject});
        int& ii = ItemIndex();
        if (ii >= Index) ++ii;
        ItemInserted(Index, S);
    }
};

// ---- The list box's items ----------------------------------------------------------------------

class TListBoxStrings : public TBoxStrings {
public:
    explicit TListBoxStrings(TCustomListBox* ListBox) : FListBox(ListBox) {}

    void Clear() override {
        FItems.clear();
        FListBox->FSelected.clear();
        FListBox->FItemIndex = -1;
        FListBox->FTopIndex = 0;
        if (auto* a = FListBox->Adapter()) {
            a->Silent = true;
            a->Widget()->clear();
            a->Silent = false;
        }
    }
    void Exchange(int Index1, int Index2) override {
        CheckIndex(Index1);
        CheckIndex(Index2);
        std::swap(FItems[static_cast<std::size_t>(Index1)], FItems[static_cast<std::size_t>(Index2)]);
        auto& sel = FListBox->FSelected;
        std::swap(sel[static_cast<std::size_t>(Index1)], sel[static_cast<std::size_t>(Index2)]);
        Reload();
    }
    void Sort() {
        std::vector<std::size_t> order(FItems.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
            return AnsiCompareText(FItems[a].first, FItems[b].first) < 0;
        });
        std::vector<std::pair<std::string, TObject*>> items;
        std::vector<char> sel;
        int newIndex = -1;
        for (std::size_t i = 0; i < order.size(); ++i) {
            items.push_back(FItems[order[i]]);
            sel.push_back(FListBox->FSelected[order[i]]);
            if (static_cast<int>(order[i]) == FListBox->FItemIndex) newIndex = static_cast<int>(i);
        }
        FItems = std::move(items);
        FListBox->FSelected = std::move(sel);
        FListBox->FItemIndex = newIndex;
        Reload();
    }

protected:
    void SetUpdateState(bool Updating) override {
        FUpdating = Updating;
        if (!Updating && FDirty) Reload();
    }
    bool Sorted() const override { return FListBox->Sorted(); }
    int& ItemIndex() override { return FListBox->FItemIndex; }
    void ItemInserted(int Index, const std::string& S) override {
        auto& sel = FListBox->FSelected;
        sel.insert(sel.begin() + Index, 0);
        if (auto* a = FListBox->Adapter()) {
            if (FUpdating) {
                FDirty = true;
                return;
            }
            a->Silent = true;
            a->Widget()->insertItem(Index, ToQString(S));
            a->Silent = false;
        }
    }
    void ItemDeleted(int Index) override {
        auto& sel = FListBox->FSelected;
        sel.erase(sel.begin() + Index);
        if (auto* a = FListBox->Adapter()) {
            a->Silent = true;
            delete a->Widget()->takeItem(Index);
            a->Silent = false;
        }
    }
    void ItemChanged(int Index, const std::string& S) override {
        if (auto* a = FListBox->Adapter())
            if (QListWidgetItem* item = a->Widget()->item(Index)) item->setText(ToQString(S));
    }

private:
    void Reload() {
        FDirty = false;
        if (auto* a = FListBox->Adapter()) a->Reload();
    }

    TCustomListBox* FListBox;
    bool FUpdating = false;
    bool FDirty = false;
};

// ---- The combo box's items --------------------------------------------------------------------

class TComboBoxStrings : public TBoxStrings {
public:
    explicit TComboBoxStrings(TCustomComboBox* Combo) : FCombo(Combo) {}

    void Clear() override {
        FItems.clear();
        FCombo->FItemIndex = -1;
        if (auto* a = FCombo->Adapter()) {
            a->Silent = true;
            const QString text = a->Widget()->currentText();
            a->Widget()->clear();
            if (a->Widget()->isEditable()) a->Widget()->setEditText(text);
            a->Silent = false;
        }
    }
    void Sort() {
        std::stable_sort(FItems.begin(), FItems.end(),
                         [](const auto& a, const auto& b) { return AnsiCompareText(a.first, b.first) < 0; });
        FCombo->FItemIndex = -1;
        if (auto* a = FCombo->Adapter()) a->Reload();
    }

protected:
    bool Sorted() const override { return FCombo->Sorted(); }
    int& ItemIndex() override { return FCombo->FItemIndex; }
    void ItemInserted(int Index, const std::string& S) override {
        if (auto* a = FCombo->Adapter()) {
            a->Silent = true;
            const QString text = a->Widget()->currentText();
            a->Widget()->insertItem(Index, ToQString(S));
            if (a->Widget()->isEditable()) a->Widget()->setEditText(text);
            a->Silent = false;
        }
    }
    void ItemDeleted(int Index) override {
        if (auto* a = FCombo->Adapter()) {
            a->Silent = true;
            a->Widget()->removeItem(Index);
            a->Silent = false;
        }
    }
    void ItemChanged(int Index, const std::string& S) override {
        if (auto* a = FCombo->Adapter()) {
            a->Silent = true;
            a->Widget()->setItemText(Index, ToQString(S));
            a->Silent = false;
        }
    }

private:
    TCustomComboBox* FCombo;
};
