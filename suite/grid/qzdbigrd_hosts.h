// The adapter through which TqzCustomDBGrid answers its collaborators'
// interfaces (qzgridhost.h): each call goes to the grid's own operation or
// to its platform grid. Only the grid's own sources include this.
#pragma once

#include "suite/base/qzdraw.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzgridhost.h"

class TqzCustomDBGrid::THosts final : public TqzGridTitleHost,
                                      public TqzGridControlsHost,
                                      public TqzGridDragHost,
                                      public TqzGridHintHost,
                                      public TqzGridCellsHost,
                                      public TqzGridPainterHost {
public:
    explicit THosts(TqzCustomDBGrid& Grid) : G(Grid) {}

    // Columns and properties.
    int IndicatorOffset() const override { return G.IndicatorOffset(); }
    int TitleOffset() const override { return G.TitleOffset(); }
    TField* GetColField(int DataCol) const override { return G.GetColField(DataCol); }
    TqzColumn* Columns(int Index) const override { return G.Columns(Index); }
    std::string ColumnGroupName(int DataCol) const override {
        const TqzColumn* column = G.Columns(DataCol);
        return column ? column->GroupName() : std::string();
    }
    bool UseTFields() const override { return G.UseTFields(); }
    TStrings* Selected() const override { return G.Selected(); }
    TFont* TitleFont() const override { return G.TitleFont(); }
    TColor TitleColor() const override { return G.TitleColor(); }
    TAlignment TitleAlignment() const override { return G.TitleAlignment(); }
    TImageList* TitleImageList() const override { return G.TitleImageList(); }
    TqzDrawTitleCellEvent OnDrawTitleCell() const override { return G.OnDrawTitleCell(); }
    TqzGridLineColors* LineColors() const override { return G.LineColors(); }
    bool DisableThemesInTitle() const override { return G.DisableThemesInTitle(); }
    TqzEditControlOptions EditControlOptions() const override { return G.EditControlOptions(); }
    TqzDBGridOptions GridOptions() const override { return G.GridOptions(); }
    TqzGridDataLink* DataLink() const override { return G.DataLink(); }
    bool DataSetActive() const override { return G.DataSetActive(); }
    bool DataLinkActive() const override { return G.DataLink()->Active(); }
    int DataLinkRecordCount() const override { return G.DataLink()->RecordCount(); }
    int ActiveRecord() const override { return G.DataLink()->ActiveRecord(); }
    void SetActiveRecord(int Value) override { G.DataLink()->SetActiveRecord(Value); }
    TqzGridPaintOptions* PaintOptions() const override { return G.PaintOptions(); }
    TImageList* ImageList() const override { return G.ImageList(); }
    const std::vector<TqzCacheColInfoItem>& ColInfo() const override { return G.ColInfo(); }
    TColor IndicatorIconColor() const override { return G.IndicatorIconColor(); }
    TColor FooterColor() const override { return G.FooterColor(); }
    TColor FooterCellColor() const override { return G.FooterCellColor(); }
    TqzGridLineStyle LineStyle() const override { return G.LineStyle(); }
    bool HideAllLines() const override { return G.HideAllLines(); }
    const std::string& GroupFieldName() const override { return G.GroupFieldName(); }

    // The grid's drawing operations and events.
    TRect GroupHeaderRect(int ACol) const override { return G.GroupHeaderRect(ACol); }
    TRect FooterRect() override { return G.FooterRect(); }
    void WriteCellText(TCanvas* ACanvas, const TRect& ARect, int DX, int DY, TAlignment Alignment, int Flags,
                       const std::string& Text) override {
        G.WriteCellText(ACanvas, ARect, DX, DY, Alignment, Flags, Text);
    }
    void FillFixedCellBackground(TCanvas* ACanvas, const TRect& ARect, int ACol, int ARow) override {
        G.FillFixedCellBackground(ACanvas, ARect, ACol, ARow);
    }
    void FillDataCellBackground(TCanvas* ACanvas, const TRect& ARect, int ACol, int ARow) override {
        G.FillDataCellBackground(ACanvas, ARect, ACol, ARow);
    }
    void DoCalcTitleAttributes(const std::string& FieldName, TFont* AFont, TBrush* ABrush,
                               TAlignment& Alignment) override {
        G.DoCalcTitleAttributes(FieldName, AFont, ABrush, Alignment);
    }
    void DoDrawTitleCell(TCanvas* ACanvas, TField* Field, const TRect& ARect, bool& DefaultDrawing) override {
        G.DoDrawTitleCell(ACanvas, Field, ARect, DefaultDrawing);
    }
    void DoCalcTitleImage(TField* Field, TqzTitleImageAttributes& Attributes) override {
        G.DoCalcTitleImage(Field, Attributes);
    }
    TCanvas* DrawCanvas() override { return G.DrawCanvas(); }
    std::string CellText(TField* Field) override { return G.CellText(Field); }
    bool HighlightCell(int ACol, int ARow, TGridDrawState AState) override {
        return G.HighlightCell(ACol, ARow, AState);
    }
    bool IsRecordSelected() override { return G.IsRecordSelected(); }
    void CalcCellColors(TField* Field, TGridDrawState State, bool Highlight, TFont* AFont,
                        TBrush* ABrush) override {
        G.CalcCellColors(Field, State, Highlight, AFont, ABrush);
    }
    void DrawCheckBox(const TRect& ARect, int ACol, int ARow, bool Checked) override {
        G.DrawCheckBox(ARect, ACol, ARow, Checked);
    }
    bool GetCheckBoxValues(const std::string& FieldName, std::string& Checked,
                           std::string& Unchecked) override {
        return G.GetCheckBoxValues(FieldName, Checked, Unchecked);
    }
    void GetControlInfo(const std::string& FieldName, std::string& AControlType,
                        std::string& Parameters) override {
        G.GetControlInfo(FieldName, AControlType, Parameters);
    }
    bool GetCustomControlForCell(int ACol, int ARow, TWinControl*& Control) override {
        return G.GetCustomControlForCell(ACol, ARow, Control);
    }
    void SplitURLText(const std::string& Text, std::string& DisplayText,
                      std::string& Address) const override {
        G.SplitURLText(Text, DisplayText, Address);
    }
    void CalcGroupState() override { G.CalcGroupState(); }
    void DoAfterDrawCell(TqzCustomDrawGridCellInfo& Info) override { G.DoAfterDrawCell(Info); }
    void DoDrawGroupHeaderCell(TCanvas* ACanvas, const std::string& GroupHeaderName, const TRect& ARect,
                               bool& DefaultDrawing) override {
        G.DoDrawGroupHeaderCell(ACanvas, GroupHeaderName, ARect, DefaultDrawing);
    }
    void MoveColumn(int From, int To) override { G.MoveColumn(From, To); }

    // The platform grid's measures and window.
    int Col() const override { return G.Col(); }
    int Row() const override { return G.Row(); }
    int ColCount() const override { return G.ColCount(); }
    int RowCount() const override { return G.RowCount(); }
    int FixedCols() const override { return G.FixedCols(); }
    int FixedRows() const override { return G.FixedRows(); }
    int LeftCol() const override { return G.LeftCol(); }
    void SetLeftCol(int Value) override { G.SetLeftCol(Value); }
    int TopRow() const override { return G.TopRow(); }
    int ColWidths(int Index) const override { return G.ColWidths(Index); }
    int RowHeights(int Index) const override { return G.RowHeights(Index); }
    TRect CellRect(int ACol, int ARow) const override { return G.CellRect(ACol, ARow); }
    TGridCoord MouseCoord(int X, int Y) const override { return G.MouseCoord(X, Y); }
    int GridX(int X) const override { return G.GridX(X); }
    TRect GridToClientRect(const TRect& R) const override { return G.GridToClientRect(R); }
    void CalcDrawInfo(TGridDrawInfo& DrawInfo) const override {
        static_cast<const TCustomGrid&>(G).CalcDrawInfo(DrawInfo);
    }
    bool UseRightToLeftAlignment() const override { return G.UseRightToLeftAlignment(); }
    TRect ClientRect() const override { return G.ClientRect(); }
    int ClientWidth() const override { return G.ClientWidth(); }
    int Width() const override { return G.Width(); }
    TPoint ClientToScreen(const TPoint& Point) const override { return G.ClientToScreen(Point); }
    TCanvas* Canvas() const override { return G.Canvas(); }
    TFont* Font() const override { return G.Font(); }
    TColor Color() const override { return G.Color(); }
    bool DefaultDrawing() const override { return G.DefaultDrawing(); }
    bool EditorVisible() const override { return G.InplaceEditor() && G.InplaceEditor()->Visible(); }
    bool UseThemes() const override { return qzUseThemes(&G); }
    bool IsGridChild(const TWinControl* Control) const override { return Control->Parent() == &G; }
    void Update() override { G.Update(); }
    void Invalidate() override { G.Invalidate(); }
    void PaintTo(TCanvas* ACanvas, int X, int Y) override { G.PaintTo(ACanvas, X, Y); }
    TComponent* TimerOwner() override { return &G; }
    TWinControl* HintControl() override { return &G; }
    TObject* EventSender() override { return &G; }

private:
    TqzCustomDBGrid& G;
};
