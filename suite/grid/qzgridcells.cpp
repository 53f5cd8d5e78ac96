// The grid's cells (see qzgridcells.h).
#include "suite/grid/qzgridcells.h"

#include <algorithm>
#include <cmath>

#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/db/fieldtypes.h"
#include "platform/ui/canvas_clip.h"
#include "platform/ui/drawing.h"
#include "platform/ui/imagelist.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzstr.h"
#include "suite/grid/qzbitmap.h"
#include "suite/grid/qzgridcolumn.h"
#include "suite/grid/qzgriddatalink.h"
#include "suite/grid/qzgridhost.h"
#include "suite/grid/qzgridimages.h"
#include "suite/grid/qzgridrichcell.h"
#include "suite/grid/qzgridtitle.h"
#include "suite/grid/qzpaintoptions.h"

namespace {

TCopyMode RasterOperation(const std::string& Name) {
    static const struct {
        const char* Name;
        TCopyMode Mode;
    } ops[] = {{"Source Paint", cmSrcPaint},      {"Source And", cmSrcAnd},
               {"Source Invert", cmSrcInvert},    {"Source Erase", cmSrcErase},
               {"Not Source Copy", cmNotSrcCopy}, {"Not Source Erase", cmNotSrcErase},
               {"Merge Paint", cmMergePaint}};
    for (const auto& op : ops)
        if (Name == op.Name) return op.Mode;
    return cmSrcCopy;
}

// The picture held by a blob field; False when it holds none.
bool FieldPicture(TField* Field, TBitmap& Picture) {
    auto* blob = dynamic_cast<TBlobField*>(Field);
    if (!blob || Field->IsNull()) return false;
    TStringStream stream;
    blob->SaveToStream(&stream);
    if (stream.Size() == 0) return false;
    stream.SetPosition(0);
    try {
        Picture.LoadFromStream(&stream);
    } catch (const Exception&) {
        return false;
    }
    return !Picture.Empty();
}

}  // namespace

TqzGridCells::TqzGridCells(TqzGridCellsHost& Host, TqzGridTitles& Titles, TDrawDataCell DrawDataCell)
    : H(Host), FTitles(Titles), FDrawDataCell(std::move(DrawDataCell)) {}

void TqzGridCells::Draw(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    FInfo = TqzCustomDrawGridCellInfo{};
    FInfo.Rect = ARect;
    FInfo.State = AState;
    FInfo.DataCol = ACol - H.IndicatorOffset();
    FInfo.DataRow = ARow - H.TitleOffset();
    FInfo.Field = H.GetColField(FInfo.DataCol);
    if ((!H.GroupFieldName().empty() || FOnBefore) && H.DataLink()->Active()) {
        const bool dataRow = FInfo.DataRow >= 0 && FInfo.DataRow < H.DataLink()->RecordCount();
        const int saved = H.DataLink()->ActiveRecord();
        FGroupState = {};
        if (dataRow) H.DataLink()->SetActiveRecord(FInfo.DataRow);
        try {
            if (dataRow) H.CalcGroupState();
            FOnBefore(H.EventSender(), FInfo);
        } catch (...) {
            H.DataLink()->SetActiveRecord(saved);
            throw;
        }
        H.DataLink()->SetActiveRecord(saved);
        // The two per-cell flags go to the column's row flags (data rows 0 to 255).
        if (dataRow && FInfo.DataRow < 256 && FInfo.DataCol >= 0) {
            std::vector<uint8_t>& flags = H.Columns(FInfo.DataCol)->RowFlags();
            if (static_cast<int>(flags.size()) <= FInfo.DataRow)
                flags.resize(static_cast<size_t>(FInfo.DataRow) + 1, 0);
            flags[static_cast<size_t>(FInfo.DataRow)] =
                static_cast<uint8_t>((FInfo.ColumnFlag1 ? 0 : 1) | (FInfo.ColumnFlag2 ? 0 : 2));
        }
    }
    DrawParts(ACol, ARow, ARect, AState);
    H.DoAfterDrawCell(FInfo);
}

void TqzGridCells::DrawParts(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TCanvas* C = H.DrawCanvas();
    const int dataCol = ACol - H.IndicatorOffset(), dataRow = ARow - H.TitleOffset();
    const bool fixed = AState.Contains(gdFixed);
    C->Font()->Assign(fixed ? H.TitleFont() : H.Font());
    C->Brush()->SetColor(fixed ? H.TitleColor() : H.Color());
    if (dataCol < 0) {
        if (dataRow >= 0)
            DrawIndicator(C, ARect, dataRow);
        else
            FTitles.Draw(C, ARect, -1);
        return;
    }
    if (dataRow < 0) {
        FTitles.Draw(C, ARect, dataCol);
        return;
    }
    if (!H.DataLink()->Active()) {
        C->FillRect(ARect);
        return;
    }
    if (DrawControlType(C, ARect, ACol, ARow, AState)) return;
    TField* field = H.GetColField(dataCol);
    TqzActiveRecordKeeper keep(H.DataLink());
    H.DataLink()->SetActiveRecord(dataRow);
    std::string text = H.CellText(field);
    const size_t ci = static_cast<size_t>(ACol);
    std::string type = ci < H.ColInfo().size() ? H.ColInfo()[ci].ControlType : std::string();
    if (type.empty() && field) {
        std::string params;
        H.GetControlInfo(field->FieldName(), type, params);
    }
    // A fixed data column keeps the fixed area's font and colour.
    C->Font()->Assign(fixed ? H.TitleFont() : H.Font());
    C->Brush()->SetColor(fixed ? H.TitleColor() : H.Color());
    if (type == "URL-Link") {
        std::string display, address;
        H.SplitURLText(text, display, address);
        text = display;
        const bool hot = FHotCell.X == ACol && FHotCell.Y == ARow;
        C->Font()->SetColor(hot ? clRed : clBlue);
        C->Font()->SetStyle(C->Font()->Style() + fsUnderline);
    }
    bool brushSet = false;
    SetColors(C, ACol, ARow, field, AState, brushSet);
    if (H.DefaultDrawing()) {
        if (FInfo.DefaultBackground) {
            if (brushSet)
                C->FillRect(ARect);
            else if (fixed)
                H.FillFixedCellBackground(C, ARect, ACol, ARow);
            else
                H.FillDataCellBackground(C, ARect, ACol, ARow);
        }
        TAlignment align = taLeftJustify;
        if (field && field->Alignment() != taLeftJustify) align = field->Alignment();
        int flags = TqzGridCellsHost::wctNoFill;
        const bool oneLine = qzIsSingleLineRect(C, ARect, DT_SINGLELINE);
        if (H.GridOptions().Contains(dgTrailingEllipsis) &&
            (!H.GridOptions().Contains(dgWordWrap) || oneLine))
            flags |= TqzGridCellsHost::wctEllipsis;
        if (H.GridOptions().Contains(dgWordWrap)) flags |= TqzGridCellsHost::wctWordBreak;
        if (FInfo.DefaultContent)
            H.WriteCellText(C, ARect, H.GridOptions().Contains(dgRowLines) ? 2 : 1, 2, align, flags, text);
    }
    FDrawDataCell(ARect, field, AState);
}

int TqzGridCells::IndicatorImageIndex(int DataRow) {
    TDataSet* ds = H.DataLink()->DataSet();
    if (!ds || !H.DataLink()->Active()) return -1;
    const bool current = DataRow == H.DataLink()->ActiveRecord();
    const bool multi = H.GridOptions().Contains(dgMultiSelect);
    bool selected = false;
    if (multi) {
        TqzActiveRecordKeeper keep(H.DataLink());
        H.DataLink()->SetActiveRecord(DataRow);
        selected = H.IsRecordSelected();
    }
    if (current && ds->State() == dsEdit) return 1;
    if (current && ds->State() == dsInsert) return 2;
    if (current) return multi && selected ? 4 : 0;
    return multi && selected ? 3 : -1;
}

void TqzGridCells::DrawIndicator(TCanvas* C, const TRect& R, int DataRow) {
    if (H.PaintOptions()->FixedColumnImage()) {
        TqzBitmap* img = H.PaintOptions()->FixedColumnImage();
        C->CopyRect(R, img->Canvas(), Rect(0, R.Top, std::min(R.Width(), img->Width()), R.Bottom));
    } else {
        C->Brush()->SetColor(H.TitleColor());
        C->FillRect(R);
    }
    const int index = IndicatorImageIndex(DataRow);
    TImageList* list = qzGridIndicatorImages();
    if (index < 0 || !list || index >= list->Count()) return;
    TBitmap image;
    list->GetBitmap(index, &image);
    if (H.IndicatorIconColor() != clBlack) {
        const TColor to = static_cast<TColor>(ColorToRGB(H.IndicatorIconColor()));
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                if (image.Canvas()->Pixels(x, y) == clBlack) image.Canvas()->SetPixels(x, y, to);
    }
    image.SetTransparentColor(clWhite);
    image.SetTransparent(true);
    const int x = R.Left + (R.Width() - image.Width()) / 2;
    const int y = R.Top + (R.Height() - image.Height()) / 2;
    TCanvasClip clip(C, R);
    C->Draw(x, y, &image);
}

void TqzGridCells::PaintCellBackground(TCanvas* C, const TRect& R, int ACol, int ARow, TField* Field,
                                       TGridDrawState State) {
    bool brushSet = false;
    C->Font()->Assign(H.Font());
    C->Brush()->SetColor(H.Color());
    SetColors(C, ACol, ARow, Field, State, brushSet);
    if (FInfo.DefaultBackground) {
        if (brushSet)
            C->FillRect(R);
        else
            H.FillDataCellBackground(C, R, ACol, ARow);
    }
}

bool TqzGridCells::DrawControlType(TCanvas* C, const TRect& R, int ACol, int ARow, TGridDrawState State) {
    const size_t ci = static_cast<size_t>(ACol);
    TField* field = H.GetColField(ACol - H.IndicatorOffset());
    if (!field) return false;
    std::string type, params;
    if (ci < H.ColInfo().size() && !H.ColInfo()[ci].ControlType.empty()) {
        type = H.ColInfo()[ci].ControlType;
        params = H.ColInfo()[ci].Parameters;
    } else {
        H.GetControlInfo(field->FieldName(), type, params);
    }
    if (type.empty() || type == "URL-Link") return false;
    TqzActiveRecordKeeper keep(H.DataLink());
    H.DataLink()->SetActiveRecord(ARow - H.TitleOffset());
    if (type == "CheckBox") {
        std::string on, off;
        if (!H.GetCheckBoxValues(field->FieldName(), on, off)) return false;
        bool checked;
        if (LowerCase(field->FieldName()) == "selected" && field->Calculated())
            checked = H.IsRecordSelected();
        else
            checked = field->DisplayText() == on;
        PaintCellBackground(C, R, ACol, ARow, field, State);
        if (!FInfo.DefaultContent) return true;
        const TRect box = Bounds(R.Left + (R.Width() - 10) / 2, R.Top + (R.Height() - 10) / 2, 10, 10);
        H.DrawCheckBox(box, ACol, ARow, checked);
        return true;
    }
    if (type == "Bitmap" || type == "ImageIndex") {
        PaintCellBackground(C, R, ACol, ARow, field, State);
        if (!FInfo.DefaultContent) return true;
        if (type == "Bitmap") {
            DrawBitmap(C, R, field, params);
            if (H.HighlightCell(ACol, ARow, State)) qzDrawFocusRect(C, R);
        } else {
            DrawImageIndex(C, R, field, params);
        }
        return true;
    }
    if (SameText(type, "CustomEdit") || SameText(type, "RichEdit")) {
        C->Brush()->SetColor(H.Color());
        H.FillDataCellBackground(C, R, ACol, ARow);
        return DrawCustomControl(C, R, ACol, ARow, field, State);
    }
    return false;
}

void TqzGridCells::SetColors(TCanvas* C, int ACol, int ARow, TField* Field, TGridDrawState State,
                             bool& BrushSet) {
    const bool highlight = H.HighlightCell(ACol, ARow, State);
    if (highlight) {
        const TColor active = H.PaintOptions()->ActiveRecordColor();
        C->Brush()->SetColor(active != clNone ? active : clHighlight);
        if (!H.GridOptions().Contains(dgRowSelect) && ACol == H.Col() && ARow == H.Row())
            C->Brush()->SetColor(clHighlight);
        C->Font()->SetColor(clHighlightText);
    }
    const TColor before = C->Brush()->Color();
    H.CalcCellColors(Field, State, highlight, C->Font(), C->Brush());
    BrushSet = C->Brush()->Color() != before || highlight;
}

void TqzGridCells::DrawBitmap(TCanvas* C, const TRect& R, TField* Field, const std::string& Parameters) {
    TDataSet* ds = H.DataLink()->DataSet();
    // A new row's picture is not loaded.
    if (ds && ds->State() == dsInsert && H.DataLink()->ActiveRecord() == H.Row() - H.TitleOffset()) return;
    TBitmap picture;
    if (!FieldPicture(PictureField(Field), picture)) return;
    const std::vector<std::string> parts = qzSemiParts(Parameters);
    const std::string mode = parts.empty() ? std::string() : parts[0];
    const TCopyMode rop = RasterOperation(parts.size() > 1 ? parts[1] : std::string());
    const int pw = picture.Width(), ph = picture.Height();
    const int cw = R.Width(), ch = R.Height();
    TCanvasClip clip(C, R);
    const TCopyMode saved = C->CopyMode();
    C->SetCopyMode(rop);
    if (mode == "Stretch To Fit") {
        C->StretchDraw(R, &picture);
    } else if (mode == "Fit Height" || mode == "Fit Width") {
        // A picture with no height or width has nothing to scale.
        if (pw > 0 && ph > 0) {
            int w, h;
            if (mode == "Fit Height") {
                h = ch;
                w = static_cast<int>(static_cast<int64_t>(pw) * h / ph);
                if (w > cw) {
                    w = cw;
                    h = static_cast<int>(static_cast<int64_t>(ph) * w / pw);
                }
            } else {
                w = cw;
                h = static_cast<int>(static_cast<int64_t>(ph) * w / pw);
                if (h > ch) {
                    h = ch;
                    w = static_cast<int>(static_cast<int64_t>(pw) * h / ph);
                }
            }
            if (w >= 3 && h >= 3) C->StretchDraw(Bounds(R.Left, R.Top, w, h), &picture);
        }
    } else {
        C->CopyRect(Bounds(R.Left, R.Top, std::min(pw, cw), std::min(ph, ch)), picture.Canvas(),
                    Rect(0, 0, std::min(pw, cw), std::min(ph, ch)));
    }
    C->SetCopyMode(saved);
}

void TqzGridCells::DrawImageIndex(TCanvas* C, const TRect& R, TField* Field, const std::string& Parameters) {
    if (!H.ImageList() || Field->IsNull()) return;
    const TFieldType t = Field->DataType();
    int index = -1;
    if (t == ftFloat || t == ftCurrency || t == ftBCD)
        index = static_cast<int>(std::lround(Field->AsFloat()));
    else if (t == ftInteger || t == ftSmallint || t == ftWord || t == ftLargeint || t == ftAutoInc)
        index = Field->AsInteger();
    else
        return;
    // Past the list's end draws nothing, as a negative index does.
    if (index < 0 || index >= H.ImageList()->Count()) return;
    TBitmap image;
    image.SetSize(H.ImageList()->Width(), H.ImageList()->Height());
    image.Canvas()->Brush()->SetColor(C->Brush()->Color());
    image.Canvas()->FillRect(Bounds(0, 0, image.Width(), image.Height()));
    H.ImageList()->Draw(image.Canvas(), 0, 0, index);
    TCanvasClip clip(C, R);
    if (qzSemiParts(Parameters)[0] == "Shrink To Fit") {
        C->StretchDraw(R, &image);
    } else {
        C->Draw(R.Left + (R.Width() - image.Width()) / 2, R.Top + (R.Height() - image.Height()) / 2, &image);
    }
}

bool TqzGridCells::DrawCustomControl(TCanvas* C, const TRect& R, int ACol, int ARow, TField* Field,
                                     TGridDrawState State) {
    TWinControl* control = nullptr;
    if (!H.GetCustomControlForCell(ACol, ARow, control) || !control) return false;
    // The cell being edited shows the control itself.
    if (control->Visible() && H.IsGridChild(control) && ACol == H.Col() && ARow == H.Row()) return true;
    if (control->Width() != R.Width() || control->Height() != R.Height())
        control->SetBounds(control->Left(), control->Top(), R.Width(), R.Height());
    FDrawDataCell(R, Field, State);
    // On a mirrored canvas the control paints itself as it reads, over the
    // mirrored cell.
    struct TUnmirror {
        TCanvas* C;
        int Width;
        ~TUnmirror() { C->SetMirrorWidth(Width); }
    } unmirror{C, C->MirrorWidth()};
    const TRect at =
        unmirror.Width > 0 ? Rect(unmirror.Width - R.Right, R.Top, unmirror.Width - R.Left, R.Bottom) : R;
    C->SetMirrorWidth(0);
    TCanvasClip clip(C, at);
    // A rich edit draws the row's own document; other controls paint a copy
    // of themselves for the row.
    if (!qzPaintRichEditCell(control, C, at)) {
        const TControlState state = control->ControlState();
        control->SetControlState(state + csPaintCopy);
        try {
            control->PaintTo(C, at.Left, at.Top);
        } catch (...) {
            control->SetControlState(state);
            throw;
        }
        control->SetControlState(state);
    }
    return true;
}

// The field holding a Bitmap cell's picture: calculated and lookup fields
// show the picture of the related record (the lookup dataset is put on the
// record's key and its result field read).
TField* TqzGridCells::PictureField(TField* Field) {
    if (!Field) return nullptr;
    if (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup)
        return qzFindLookupResultField(H.DataLink()->DataSet(), Field);
    return Field;
}
