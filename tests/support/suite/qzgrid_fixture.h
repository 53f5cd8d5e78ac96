// A shown form with the suite's grid bound through a data source to an
// engine table that publishes the suite's line lists and OnInvalidValue.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/ostra_table.h"
#include "platform/core/exceptions.h"
#include "platform/core/files.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/base/qzlinelists.h"
#include "suite/grid/qzdbigrd.h"
#include "support/core/expect_raises.h"

// The grid with its protected operations reachable.
class TTestQzGrid : public TqzCustomDBGrid {
public:
    explicit TTestQzGrid(TComponent* AOwner) : TqzCustomDBGrid(AOwner) {}
    using TCustomGrid::MoveColumn;
    using TCustomGrid::ShowEditor;
    using TqzCustomDBGrid::ColInfo;
    using TqzCustomDBGrid::SplitURLText;
    using TqzCustomDBGrid::UpdateData;
};

// The first component of type T that Owner owns (nullptr: none), as the
// grid's hint window or the timers it creates.
template <class T>
T* FirstOwned(TComponent* Owner) {
    for (int i = 0; i < Owner->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<T*>(Owner->Components(i))) return c;
    return nullptr;
}

// Pixels of R that differ between two pictures of the same control.
inline int PixelsDiffering(TBitmap& A, TBitmap& B, const TRect& R) {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
        for (int x = R.Left; x < R.Right; ++x)
            if (A.Canvas()->Pixels(x, y) != B.Canvas()->Pixels(x, y)) ++n;
    return n;
}

// Pixels of R that pass Test.
inline int Count(TBitmap& Shot, const TRect& R, const std::function<bool(TColor)>& Test) {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
        for (int x = R.Left; x < R.Right; ++x)
            if (Test(Shot.Canvas()->Pixels(x, y))) ++n;
    return n;
}

// An engine table publishing the suite's lists and OnInvalidValue; it may
// say that it knows no record numbers.
class TqzGridTable : public TOstraTable {
    TASKMOOR_CLASS(TqzGridTable, TOstraTable)
public:
    explicit TqzGridTable(TComponent* AOwner = nullptr) : TOstraTable(AOwner) {}
    TStrings* PictureMasks() const { return FPictureMasks.get(); }
    void SetPictureMasks(TStrings* Value) { FPictureMasks->Assign(Value); }
    const TqzInvalidValueEvent& OnInvalidValue() const { return FOnInvalidValue; }
    void SetOnInvalidValue(const TqzInvalidValueEvent& Value) { FOnInvalidValue = Value; }
    bool IsSequenced() override { return Sequenced; }
    bool Sequenced = true;

    static void Publish(TPublisher<TqzGridTable>& p) {
        p.Property("PictureMasks", &TqzGridTable::PictureMasks, &TqzGridTable::SetPictureMasks);
        p.Property("OnInvalidValue", &TqzGridTable::OnInvalidValue, &TqzGridTable::SetOnInvalidValue);
    }

private:
    std::unique_ptr<TStringList> FPictureMasks = std::make_unique<TStringList>();
    TqzInvalidValueEvent FOnInvalidValue;
};

class QzGridTest : public ::testing::Test {
protected:
    // The grid with the cell queries its collaborators use reachable.
    TTestQzGrid& Host() const { return *Grid; }

    void SetUp() override {
        ResetFormatSettings();
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 640, 420);
        Table = new TqzGridTable(Form);
        TFieldDefs* defs = Table->FieldDefs();
        defs->Add("Id", ftInteger);
        defs->Add("Name", ftString, 20);
        defs->Add("Amount", ftFloat);
        defs->Add("Due", ftDate);
        defs->Add("Code", ftString, 6);
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TTestQzGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 600, 360);
        Grid->SetBorderStyle(bsNone);
    }
    void TearDown() override {
        delete Form;
        ProcessEvents();
    }
    // Opens the table with records Id 1..Count named "Name<i>".
    void Open(int Count) {
        Table->Open();
        Table->DisableControls();
        for (int i = 1; i <= Count; ++i)
            Table->AppendRecord({Variant(i), Variant("Name" + std::to_string(i)), Variant(i * 1.5), Variant(),
                                 Variant("C" + std::to_string(i))});
        Table->First();
        Table->EnableControls();
    }
    void Show() {
        Grid->SetDataSource(Source);
        Form->Show();
        ProcessEvents();
    }
    int W0() {
        Grid->Canvas()->Font()->Assign(Grid->Font());
        return Grid->Canvas()->TextWidth("0");
    }
    int TitleTextWidth(const std::string& S) {
        Grid->Canvas()->Font()->Assign(Grid->TitleFont());
        const int w = Grid->Canvas()->TextWidth(S);
        Grid->Canvas()->Font()->Assign(Grid->Font());
        return w;
    }
    TScrollInfo VBar() {
        TScrollInfo si;
        Grid->GetScrollInfo(SB_VERT, si);
        return si;
    }
    int Id() { return Table->FieldByName("Id")->AsInteger(); }

    TForm* Form = nullptr;
    TqzGridTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TTestQzGrid* Grid = nullptr;
};
