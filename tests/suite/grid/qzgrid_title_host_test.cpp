// The title cells against a stand-in host: a plain platform grid and an
// engine table's fields, with the host's drawing operations recorded.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/ostra_table.h"
#include "platform/core/strings.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/testing.h"
#include "platform/ui/themes.h"
#include "suite/base/qzdraw.h"
#include "suite/grid/qzgridhost.h"
#include "suite/grid/qzgridtitle.h"

namespace {

struct TextCall {
    TRect Rect;
    int DX = 0;
    TAlignment Alignment = taLeftJustify;
    int Flags = 0;
    std::string Text;
};

struct FillCall {
    TRect Rect;
    int Col = 0, Row = 0;
};

// Data column c shows Fields[c]; the indicator column comes first.
class TStandInTitleHost final : public TqzGridTitleHost {
public:
    explicit TStandInTitleHost(TCustomGrid& Grid) : FGrid(Grid) { Font.SetColor(clNavy); }

    // The grid's themes and its mouse cells are the plain grid's.
    bool UseThemes() const override { return qzUseThemes(&FGrid); }
    TGridCoord MouseCoord(int X, int Y) const override { return FGrid.MouseCoord(X, Y); }
    int IndicatorOffset() const override { return 1; }
    int TitleOffset() const override { return 1; }
    TField* GetColField(int DataCol) const override {
        return DataCol >= 0 && DataCol < static_cast<int>(Fields.size())
                   ? Fields[static_cast<size_t>(DataCol)]
                   : nullptr;
    }
    TqzColumn* Columns(int) const override { return nullptr; }
    bool UseTFields() const override { return TFields; }
    TStrings* Selected() const override { return Lines.get(); }
    TFont* TitleFont() const override { return &Font; }
    TColor TitleColor() const override { return RGB(200, 200, 120); }
    TAlignment TitleAlignment() const override { return taCenter; }
    TImageList* TitleImageList() const override { return Images; }
    TqzDrawTitleCellEvent OnDrawTitleCell() const override { return DrawTitleEvent; }
    TqzGridLineColors* LineColors() const override { return &Colors; }
    bool DisableThemesInTitle() const override { return NoThemes; }
    TRect GroupHeaderRect(int ACol) const override { return ACol == HeaderCol ? Header : TRect{}; }
    void WriteCellText(TCanvas*, const TRect& ARect, int DX, int, TAlignment Alignment, int Flags,
                       const std::string& Text) override {
        Texts.push_back({ARect, DX, Alignment, Flags, Text});
    }
    void FillFixedCellBackground(TCanvas*, const TRect& ARect, int ACol, int ARow) override {
        Fills.push_back({ARect, ACol, ARow});
    }
    void DoCalcTitleAttributes(const std::string& FieldName, TFont*, TBrush* ABrush,
                               TAlignment& Alignment) override {
        Asked.push_back(FieldName);
        if (FieldName == BrushField) ABrush->SetColor(RGB(255, 255, 0));
        if (FieldName == RightField) Alignment = taRightJustify;
    }
    void DoDrawTitleCell(TCanvas*, TField* Field, const TRect&, bool& DefaultDrawing) override {
        if (Field && Field->FieldName() == OwnDrawnField) DefaultDrawing = false;
    }
    void DoCalcTitleImage(TField*, TqzTitleImageAttributes& Attributes) override { Attributes = Image; }

    std::vector<TField*> Fields;
    bool TFields = true;
    std::unique_ptr<TStringList> Lines = std::make_unique<TStringList>();
    mutable TFont Font;
    mutable TqzGridLineColors Colors;
    TImageList* Images = nullptr;
    TqzDrawTitleCellEvent DrawTitleEvent;
    bool NoThemes = true;
    int HeaderCol = -1;
    TRect Header;
    std::string BrushField, RightField, OwnDrawnField;
    TqzTitleImageAttributes Image;

    std::vector<TextCall> Texts;
    std::vector<FillCall> Fills;
    std::vector<std::string> Asked;

private:
    TCustomGrid& FGrid;
};

class QzTitleHost : public ::testing::Test {
protected:
    void SetUp() override {
        Form = CreateForm<TForm>(Application);
        Form->SetBounds(40, 40, 400, 200);
        Grid = new TDrawGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 360, 160);
        Grid->SetBorderStyle(bsNone);
        Grid->SetColCount(4);
        Grid->SetRowCount(3);
        Table = new TOstraTable(Form);
        Table->FieldDefs()->Add("Name", ftString, 20);
        Table->FieldDefs()->Add("Amount", ftFloat);
        Table->Open();
        Table->FieldByName("Amount")->SetDisplayLabel("Amount due");
        Host = std::make_unique<TStandInTitleHost>(*Grid);
        Host->Fields = {Table->FieldByName("Name"), Table->FieldByName("Amount")};
        Titles = std::make_unique<TqzGridTitles>(*Host);
        Shot.SetSize(200, 40);
    }
    void TearDown() override {
        SetThemeServicesEnabled(false);
        Titles.reset();
        Host.reset();
        delete Form;
        ProcessEvents();
    }
    // Draws the title of data column DataCol into R of the shot.
    void Draw(int DataCol) {
        Host->Texts.clear();
        Host->Fills.clear();
        Titles->Draw(Shot.Canvas(), R, DataCol);
    }

    TForm* Form = nullptr;
    TDrawGrid* Grid = nullptr;
    TOstraTable* Table = nullptr;
    std::unique_ptr<TStandInTitleHost> Host;
    std::unique_ptr<TqzGridTitles> Titles;
    TBitmap Shot;
    const TRect R = Rect(10, 5, 110, 29);
};

TEST_F(QzTitleHost, TitleTextComesFromTheFieldOrItsSelectedLine) {
    // With the dataset's fields: the label, left margin 2, no prefix handling.
    Draw(1);
    ASSERT_EQ(Host->Texts.size(), 1u);
    EXPECT_EQ(Host->Texts[0].Text, "Amount due");
    EXPECT_EQ(Host->Texts[0].Rect, R);
    EXPECT_EQ(Host->Texts[0].DX, 2);
    EXPECT_EQ(Host->Texts[0].Alignment, taCenter);
    EXPECT_EQ(Host->Texts[0].Flags, TqzGridTitleHost::wctTitle | TqzGridTitleHost::wctNoFill);
    // With Selected lines: their title part, else the label; "&" is a prefix then.
    Host->TFields = false;
    Host->Lines->SetText("Name\t10\tCustomer\nAmount\t8\n");
    Draw(0);
    ASSERT_EQ(Host->Texts.size(), 1u);
    EXPECT_EQ(Host->Texts[0].Text, "Customer");
    EXPECT_EQ(Host->Texts[0].Flags,
              TqzGridTitleHost::wctTitle | TqzGridTitleHost::wctNoFill | TqzGridTitleHost::wctPrefix);
    Draw(1);
    ASSERT_EQ(Host->Texts.size(), 1u);
    EXPECT_EQ(Host->Texts[0].Text, "Amount due");
    // An own-drawing handler asks for the ellipsis on the default text.
    Host->DrawTitleEvent = TqzDrawTitleCellEvent([](TObject*, TCanvas*, TField*, const TRect&, bool&) {});
    Draw(0);
    ASSERT_EQ(Host->Texts.size(), 1u);
    EXPECT_TRUE(Host->Texts[0].Flags & TqzGridTitleHost::wctEllipsis);
    // A column without a field gets an empty title, still asked about.
    Host->Asked.clear();
    Draw(2);
    ASSERT_EQ(Host->Texts.size(), 1u);
    EXPECT_EQ(Host->Texts[0].Text, "");
    EXPECT_EQ(Host->Asked, std::vector<std::string>{""});
}

TEST_F(QzTitleHost, TheIndicatorCornerIsOnlyFilled) {
    Draw(-1);
    EXPECT_TRUE(Host->Texts.empty());
    EXPECT_TRUE(Host->Asked.empty());
    ASSERT_EQ(Host->Fills.size(), 1u);
    EXPECT_EQ(Host->Fills[0].Col, 0);
    EXPECT_EQ(Host->Fills[0].Row, 0);
    EXPECT_EQ(Host->Fills[0].Rect, R);
    // The canvas is left in the title font and colour.
    EXPECT_EQ(Shot.Canvas()->Font()->Color(), clNavy);
    EXPECT_EQ(Shot.Canvas()->Brush()->Color(), RGB(200, 200, 120));
}

TEST_F(QzTitleHost, AnAttributeBrushFillsTheTitleInsteadOfTheFixedFill) {
    Host->BrushField = "Amount";
    Host->RightField = "Amount";
    Draw(0);
    ASSERT_EQ(Host->Fills.size(), 1u);
    EXPECT_EQ(Host->Fills[0].Col, 1);
    Draw(1);
    EXPECT_TRUE(Host->Fills.empty());
    ASSERT_EQ(Host->Texts.size(), 1u);
    EXPECT_EQ(Host->Texts[0].Alignment, taRightJustify);
    EXPECT_EQ(Shot.Canvas()->Pixels(R.Left + 1, R.Top + 1), RGB(255, 255, 0));
    EXPECT_EQ(Shot.Canvas()->Pixels(R.Right - 2, R.Bottom - 2), RGB(255, 255, 0));
    EXPECT_NE(Shot.Canvas()->Pixels(R.Right + 2, R.Top + 1), RGB(255, 255, 0));
}

TEST_F(QzTitleHost, OwnDrawingKeepsTheBackgroundAndDropsTheText) {
    Host->OwnDrawnField = "Name";
    Draw(0);
    EXPECT_TRUE(Host->Texts.empty());
    EXPECT_EQ(Host->Fills.size(), 1u);
    Draw(1);
    EXPECT_EQ(Host->Texts.size(), 1u);
}

TEST_F(QzTitleHost, AHeldTitleButtonMovesOnlyItsOwnTextOnePixel) {
    Titles->Press(2, false);
    Draw(1);
    ASSERT_EQ(Host->Texts.size(), 1u);
    EXPECT_EQ(Host->Texts[0].DX, 3);
    Draw(0);
    ASSERT_EQ(Host->Texts.size(), 1u);
    EXPECT_EQ(Host->Texts[0].DX, 2);
    // A press on the group header above it leaves the title text in place.
    Titles->Press(2, true);
    Draw(1);
    EXPECT_EQ(Host->Texts[0].DX, 2);
    Titles->Press(2, false);
    Titles->ReleaseCol();
    EXPECT_EQ(Titles->PressedCol(), -1);
    Draw(1);
    EXPECT_EQ(Host->Texts[0].DX, 2);
}

TEST_F(QzTitleHost, TitleImagesNarrowTheTextByTheirPlacement) {
    auto* images = new TImageList(Form);
    images->SetSize(8, 8);
    TBitmap red;
    red.SetSize(8, 8);
    red.Canvas()->Brush()->SetColor(RGB(220, 0, 0));
    red.Canvas()->FillRect(Rect(0, 0, 8, 8));
    images->Add(&red, nullptr);
    Host->Images = images;
    auto redPixels = [&] {
        int n = 0;
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                if (Shot.Canvas()->Pixels(x, y) == RGB(220, 0, 0)) ++n;
        return n;
    };
    struct Case {
        TqzTitleImagePlacement Placement;
        int ImageIndex;
        TRect Text;
        int Red;
    } cases[] = {
        {tipLeft, 0, Rect(R.Left + 2 + 8, R.Top, R.Right, R.Bottom), 64},
        {tipRight, 0, Rect(R.Left, R.Top, R.Right - 8 - 2, R.Bottom), 64},
        {tipCenter, 0, R, 64},
        {tipLeft, 1, R, 0},  // beyond the list: no image, the whole rectangle
        {tipLeft, -1, R, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Placement) * 10 + c.ImageIndex);
        Shot.Canvas()->Brush()->SetColor(clWhite);
        Shot.Canvas()->FillRect(Rect(0, 0, 200, 40));
        Host->Image = {c.ImageIndex, c.Placement};
        Draw(0);
        ASSERT_EQ(Host->Texts.size(), 1u);
        EXPECT_EQ(Host->Texts[0].Rect, c.Text);
        EXPECT_EQ(redPixels(), c.Red);
    }
    // Without an image list no image is drawn and the text keeps the whole cell.
    Host->Images = nullptr;
    Host->Image = {0, tipLeft};
    Draw(0);
    EXPECT_EQ(Host->Texts[0].Rect, R);
}

TEST_F(QzTitleHost, HotTitleFollowsTheMouseOverTitlesAndTheirHeaders) {
    Form->Show();
    ProcessEvents();
    const TRect name = Grid->CellRect(1, 0), amount = Grid->CellRect(2, 0), cell = Grid->CellRect(1, 1);
    // Without themes nothing is ever hot.
    EXPECT_FALSE(Titles->TrackHot({}, name.Left + 4, name.Top + 4));
    SetThemeServicesEnabled(true);
    EXPECT_TRUE(Titles->TrackHot({}, name.Left + 4, name.Top + 4));
    EXPECT_FALSE(Titles->TrackHot({}, name.Left + 6, name.Top + 5));
    // A held button leaves the hot title where it is.
    EXPECT_FALSE(Titles->TrackHot({ssLeft}, amount.Left + 4, amount.Top + 4));
    EXPECT_TRUE(Titles->TrackHot({}, amount.Left + 4, amount.Top + 4));
    // The header half of a grouped title is a hot place of its own.
    Host->HeaderCol = 2;
    Host->Header = Rect(amount.Left, amount.Top, amount.Right, amount.Top + amount.Height() / 2);
    EXPECT_TRUE(Titles->TrackHot({}, amount.Left + 4, amount.Top + 1));
    EXPECT_FALSE(Titles->TrackHot({}, amount.Left + 8, amount.Top + 2));
    EXPECT_TRUE(Titles->TrackHot({}, amount.Left + 4, amount.Bottom - 2));
    // The hot title is drawn otherwise than a plain one; a data cell clears it.
    Host->NoThemes = false;
    TBitmap hot, plain;
    hot.SetSize(60, 20);
    plain.SetSize(60, 20);
    Titles->DrawBackground(hot.Canvas(), Rect(0, 0, 60, 20), 2, false, false);
    EXPECT_TRUE(Titles->TrackHot({}, cell.Left + 4, cell.Top + 4));
    EXPECT_FALSE(Titles->ClearHot());
    Titles->DrawBackground(plain.Canvas(), Rect(0, 0, 60, 20), 2, false, false);
    int differing = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if (hot.Canvas()->Pixels(x, y) != plain.Canvas()->Pixels(x, y)) ++differing;
    EXPECT_GT(differing, 0);
    EXPECT_TRUE(Host->Fills.empty());  // themed backgrounds need no fixed fill
    EXPECT_TRUE(Titles->TrackHot({}, name.Left + 4, name.Top + 4));
    EXPECT_TRUE(Titles->ClearHot());
}

}  // namespace
