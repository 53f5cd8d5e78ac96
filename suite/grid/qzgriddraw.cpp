// The grid's cells: the indicator, the titles and the data cells by their
// control type, with the highlight, the cell colours and the text writing.
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
#include "suite/base/qzdraw.h"
#include "suite/base/qzintl.h"
#include "suite/base/qzlinelists.h"
#include "suite/base/qzstr.h"
#include "suite/grid/qzbitmap.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"
#include "suite/grid/qzgridimages.h"
#include "suite/grid/qzgridrichcell.h"

namespace {

// The ";"-separated pieces of a text.
std::vector<std::string> SemiParts(const std::string& Text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t semi = Text.find(';', start);
        parts.push_back(Text.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    return parts;
}

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

// Keeps the data link's active record and puts it back.
struct ActiveRecordKeeper {
    explicit ActiveRecordKeeper(TqzGridDataLink* ALink) : Link(ALink), Saved(ALink->ActiveRecord()) {}
    ~ActiveRecordKeeper() { Link->SetActiveRecord(Saved); }
    TqzGridDataLink* Link;
    int Saved;
};

}  // namespace

void TqzCustomDBGrid::SetImageList(TImageList* Value) {
    if (Value == FImpl->ImageList) return;
    if (FImpl->ImageList) FImpl->ImageList->RemoveFreeNotification(this);
    FImpl->ImageList = Value;
    if (Value) Value->FreeNotification(this);
    Invalidate();
}

void TqzCustomDBGrid::SetHotCell(int ACol, int ARow) {
    const TGridCoord next{ACol, ARow};
    if (next == FImpl->HotCell) return;
    if (FImpl->HotCell.X >= 0) InvalidateCell(FImpl->HotCell.X, FImpl->HotCell.Y);
    FImpl->HotCell = next;
    if (ACol >= 0) InvalidateCell(ACol, ARow);
}

// ---- Decisions ----------------------------------------------------------------------------

int TqzCustomDBGrid::IndicatorImageIndex(int DataRow) {
    TDataSet* ds = FImpl->DataLink->DataSet();
    if (!ds || !FImpl->DataLink->Active()) return -1;
    const bool current = DataRow == FImpl->DataLink->ActiveRecord();
    const bool multi = FImpl->Options.Contains(dgMultiSelect);
    bool selected = false;
    if (multi) {
        ActiveRecordKeeper keep(FImpl->DataLink.get());
        FImpl->DataLink->SetActiveRecord(DataRow);
        selected = IsRecordSelected();
    }
    if (current && ds->State() == dsEdit) return 1;
    if (current && ds->State() == dsInsert) return 2;
    if (current) return multi && selected ? 4 : 0;
    return multi && selected ? 3 : -1;
}

bool TqzCustomDBGrid::HighlightCell(int ACol, int ARow, TGridDrawState AState) {
    const bool currentRow = ARow == Row();
    bool candidate =
        AState.Contains(gdSelected) || (currentRow && FImpl->PaintOptions->ActiveRecordColor() != clNone);
    if (candidate && !FImpl->Options.Contains(dgAlwaysShowSelection)) {
        const bool focus = Focused() || (InplaceEditor() && InplaceEditor()->Focused()) || FImpl->HasFocus;
        candidate = focus;
    }
    if (FImpl->Options.Contains(dgMultiSelect) && !AState.Contains(gdFixed) &&
        ACol >= FImpl->IndicatorOffset && ARow >= FImpl->TitleOffset) {
        ActiveRecordKeeper keep(FImpl->DataLink.get());
        FImpl->DataLink->SetActiveRecord(ARow - FImpl->TitleOffset);
        return IsRecordSelected();
    }
    return candidate;
}

bool TqzCustomDBGrid::GetCheckBoxValues(const std::string& FieldName, std::string& Checked,
                                        std::string& Unchecked) {
    Checked.clear();
    Unchecked.clear();
    TDataSet* ds = FImpl->DataLink->DataSet();
    TObject* source = this;
    if (FImpl->ControlInfoInDataset && ds && qzGetControlType(ds)) source = ds;
    TStrings* lines = qzGetControlType(source);
    if (!lines) return false;
    for (int i = 0; i < lines->Count(); ++i) {
        const std::vector<std::string> parts = SemiParts(lines->Strings(i));
        if (parts.size() < 4 || parts[0] != FieldName || parts[1] != "CheckBox") continue;
        Checked = parts[2];
        Unchecked = parts[3];
        return true;
    }
    return false;
}

void TqzCustomDBGrid::CalcCellColors(TField* Field, TGridDrawState State, bool Highlight, TFont* AFont,
                                     TBrush* ABrush) {
    FImpl->OnCalcCellColors(this, Field, State, Highlight, AFont, ABrush);
}

// ---- Backgrounds ----------------------------------------------------------------------------

void TqzCustomDBGrid::FillDataCellBackground(TCanvas* C, const TRect& R, int ACol, int ARow) {
    const TqzAlternatingRowRegions regions = FImpl->PaintOptions->AlternatingRowRegions();
    const bool activeCol = ACol == Col();
    const bool altRegion =
        activeCol ? regions.Contains(arrActiveDataColumn) : regions.Contains(arrDataColumns);
    const bool alternate = ((ARow - FImpl->TitleOffset) % 2 == 1) != FImpl->AltPhase;
    const bool altRow = FImpl->PaintOptions->AlternatingRowColor() != clNone && altRegion && alternate;
    if (FImpl->PaintOptions->FillsDataCells()) {
        TqzBitmap* band = altRow ? FImpl->PaintOptions->AlternatingRowImage() : nullptr;
        if (band) {
            TRect src = Rect(R.Left, 0, R.Right, std::min(R.Height(), band->Height()));
            C->CopyRect(Rect(R.Left, R.Top, R.Right, R.Top + src.Height()), band->Canvas(), src);
        } else {
            C->CopyRect(R, FImpl->PaintOptions->BackgroundCanvas(), R);
        }
        return;
    }
    if (altRow) C->Brush()->SetColor(FImpl->PaintOptions->AlternatingRowColor());
    C->FillRect(R);
}

void TqzCustomDBGrid::FillFixedCellBackground(TCanvas* C, const TRect& R, int, int ARow) {
    const bool alternate =
        ARow >= FImpl->TitleOffset && ((ARow - FImpl->TitleOffset) % 2 == 1) != FImpl->AltPhase;
    if (FImpl->PaintOptions->FillsDataCells()) {
        C->CopyRect(R, FImpl->PaintOptions->BackgroundCanvas(), R);
        return;
    }
    if (alternate && FImpl->PaintOptions->AlternatingRowColor() != clNone &&
        FImpl->PaintOptions->AlternatingRowRegions().Contains(arrFixedColumns))
        C->Brush()->SetColor(FImpl->PaintOptions->AlternatingRowColor());
    C->FillRect(R);
}

// ---- Text -------------------------------------------------------------------------------------

void TqzCustomDBGrid::WriteCellText(TCanvas* C, const TRect& ARect, int DX, int DY, TAlignment Alignment,
                                    int Flags, const std::string& Text) {
    if (IsRectEmpty(ARect)) return;
    TCanvasClip clip(C, ARect);
    if (!(Flags & wctNoFill)) {
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(ARect);
    }
    unsigned fmt = DT_EXPANDTABS | DT_NOPREFIX;
    if (Alignment == taRightJustify) fmt |= DT_RIGHT;
    if (Alignment == taCenter) fmt |= DT_CENTER;
    if (Flags & wctPrefix) fmt &= ~DT_NOPREFIX;
    std::string text = Text;
    TRect r = ARect;
    r.Left += DX;
    r.Top += DY;
    if (Alignment == taRightJustify) r.Right -= DX + 1;
    if (Flags & wctTitle) {
        // "~" starts a new title line.
        std::replace(text.begin(), text.end(), '~', '\n');
    } else {
        if (Flags & wctWordBreak) fmt |= DT_WORDBREAK;
        const bool single = qzIsSingleLineRect(C, ARect, fmt);
        if ((fmt & DT_WORDBREAK) && (single || (Flags & wctEllipsis))) fmt &= ~DT_WORDBREAK;
        if (Flags & wctEllipsis) fmt |= DT_END_ELLIPSIS;
        if (!(fmt & DT_WORDBREAK)) fmt |= DT_SINGLELINE;
    }
    C->Brush()->SetStyle(bsClear);
    DrawText(C, text, r, fmt);
    C->Brush()->SetStyle(bsSolid);
}

void TqzCustomDBGrid::DrawCheckBox(const TRect& ARect, int ACol, int, bool Checked) {
    TCanvas* C = DrawCanvas();
    const TqzCheckBoxInGridStyle style = qzIntl() ? qzIntl()->CheckBoxInGridStyle() : cbStyleAuto;
    TqzColumn* column = Columns(ACol - FImpl->IndicatorOffset);
    const bool readOnly = column && column->ReadOnly();
    const bool themes = qzUseThemes(this);
    if (style == cbStyleCheckmark || style == cbStyleCheckmarkFlat || (style == cbStyleAuto && themes)) {
        TRect box = Rect(ARect.Left - 1, ARect.Top - 1, ARect.Right + 2, ARect.Bottom + 2);
        unsigned state = DFCS_BUTTONCHECK;
        if (Checked) state |= DFCS_CHECKED;
        if (readOnly) state |= DFCS_INACTIVE;
        if (style == cbStyleCheckmarkFlat) state |= DFCS_FLAT;
        DrawFrameControl(C, box, DFC_BUTTON, state);
        return;
    }
    TRect box = ARect;
    DrawFrameControl(C, box, DFC_BUTTON, DFCS_BUTTONCHECK | (readOnly ? DFCS_INACTIVE : 0));
    if (!Checked) return;
    // The X: two diagonal strokes two pixels wide, 2 pixels in from the frame.
    const int l = ARect.Left + 2, t = ARect.Top + 2, r = ARect.Right - 2, b = ARect.Bottom - 2;
    for (int i = 0; l + i < r && t + i < b; ++i)
        for (int w = 0; w < 2; ++w) {
            if (l + i + w < r) {
                C->SetPixels(l + i + w, t + i, clBlack);
                C->SetPixels(r - 1 - i - w, t + i, clBlack);
            }
        }
}

// ---- Cells --------------------------------------------------------------------------------------

void TqzCustomDBGrid::DrawIndicatorCell(TCanvas* C, const TRect& R, int DataRow) {
    if (FImpl->PaintOptions->FixedColumnImage()) {
        TqzBitmap* img = FImpl->PaintOptions->FixedColumnImage();
        C->CopyRect(R, img->Canvas(), Rect(0, R.Top, std::min(R.Width(), img->Width()), R.Bottom));
    } else {
        C->Brush()->SetColor(FImpl->TitleColor);
        C->FillRect(R);
    }
    const int index = IndicatorImageIndex(DataRow);
    TImageList* list = qzGridIndicatorImages();
    if (index < 0 || !list || index >= list->Count()) return;
    TBitmap image;
    list->GetBitmap(index, &image);
    if (FImpl->IndicatorIconColor != clBlack) {
        const TColor to = static_cast<TColor>(ColorToRGB(FImpl->IndicatorIconColor));
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

int TqzCustomDBGrid::GroupHeaderHeight() const {
    if (FImpl->TitleOffset == 0 || RowCount() == 0) return 0;
    return RowHeights(0) / std::max(2, FImpl->TitleLines);
}

TRect TqzCustomDBGrid::GroupHeaderRect(int ACol) const {
    TqzColumn* column = Columns(ACol - FImpl->IndicatorOffset);
    const std::string group = column ? column->GroupName() : std::string();
    if (group.empty() || FImpl->TitleOffset == 0) return {};
    auto sameGroup = [&](int c) {
        TqzColumn* other = c >= FImpl->IndicatorOffset ? Columns(c - FImpl->IndicatorOffset) : nullptr;
        return other && other->GroupName() == group && !IsRectEmpty(CellRect(c, 0));
    };
    int first = ACol, last = ACol;
    while (first - 1 >= FixedCols() && sameGroup(first - 1)) --first;
    while (last + 1 < ColCount() && sameGroup(last + 1)) ++last;
    const TRect a = CellRect(first, 0), b = CellRect(last, 0);
    return Rect(a.Left, a.Top, b.Right, a.Top + GroupHeaderHeight());
}

void TqzCustomDBGrid::SetCellColors(TCanvas* C, int ACol, int ARow, TField* Field, TGridDrawState State,
                                    bool& BrushSet) {
    const bool highlight = HighlightCell(ACol, ARow, State);
    if (highlight) {
        const TColor active = FImpl->PaintOptions->ActiveRecordColor();
        C->Brush()->SetColor(active != clNone ? active : clHighlight);
        if (!FImpl->Options.Contains(dgRowSelect) && ACol == Col() && ARow == Row())
            C->Brush()->SetColor(clHighlight);
        C->Font()->SetColor(clHighlightText);
    }
    const TColor before = C->Brush()->Color();
    CalcCellColors(Field, State, highlight, C->Font(), C->Brush());
    BrushSet = C->Brush()->Color() != before || highlight;
}

void TqzCustomDBGrid::DrawBitmapCell(TCanvas* C, const TRect& R, TField* Field,
                                     const std::string& Parameters) {
    TDataSet* ds = FImpl->DataLink->DataSet();
    // A new row's picture is not loaded.
    if (ds && ds->State() == dsInsert && FImpl->DataLink->ActiveRecord() == Row() - FImpl->TitleOffset)
        return;
    TBitmap picture;
    if (!FieldPicture(BitmapCellPictureField(Field), picture)) return;
    const std::vector<std::string> parts = SemiParts(Parameters);
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

void TqzCustomDBGrid::DrawImageIndexCell(TCanvas* C, const TRect& R, TField* Field,
                                         const std::string& Parameters) {
    if (!FImpl->ImageList || Field->IsNull()) return;
    const TFieldType t = Field->DataType();
    int index = -1;
    if (t == ftFloat || t == ftCurrency || t == ftBCD)
        index = static_cast<int>(std::lround(Field->AsFloat()));
    else if (t == ftInteger || t == ftSmallint || t == ftWord || t == ftLargeint || t == ftAutoInc)
        index = Field->AsInteger();
    else
        return;
    // Past the list's end draws nothing, as a negative index does.
    if (index < 0 || index >= FImpl->ImageList->Count()) return;
    TBitmap image;
    image.SetSize(FImpl->ImageList->Width(), FImpl->ImageList->Height());
    image.Canvas()->Brush()->SetColor(C->Brush()->Color());
    image.Canvas()->FillRect(Bounds(0, 0, image.Width(), image.Height()));
    FImpl->ImageList->Draw(image.Canvas(), 0, 0, index);
    TCanvasClip clip(C, R);
    if (SemiParts(Parameters)[0] == "Shrink To Fit") {
        C->StretchDraw(R, &image);
    } else {
        C->Draw(R.Left + (R.Width() - image.Width()) / 2, R.Top + (R.Height() - image.Height()) / 2, &image);
    }
}

bool TqzCustomDBGrid::DrawCustomControlCell(TCanvas* C, const TRect& R, int ACol, int ARow, TField* Field,
                                            TGridDrawState State) {
    TWinControl* control = nullptr;
    if (!GetCustomControlForCell(ACol, ARow, control) || !control) return false;
    // The cell being edited shows the control itself.
    if (control->Visible() && control->Parent() == this && ACol == Col() && ARow == Row()) return true;
    if (control->Width() != R.Width() || control->Height() != R.Height())
        control->SetBounds(control->Left(), control->Top(), R.Width(), R.Height());
    DrawDataCell(R, Field, State);
    TCanvasClip clip(C, R);
    // A rich edit draws the row's own document; other controls paint themselves.
    if (!qzPaintRichEditCell(control, C, R)) control->PaintTo(C, R.Left, R.Top);
    return true;
}

bool TqzCustomDBGrid::DrawControlTypeCell(TCanvas* C, const TRect& R, int ACol, int ARow,
                                          TGridDrawState State) {
    const size_t ci = static_cast<size_t>(ACol);
    TField* field = GetColField(ACol - FImpl->IndicatorOffset);
    if (!field) return false;
    std::string type, params;
    if (ci < FImpl->ColInfo.size() && !FImpl->ColInfo[ci].ControlType.empty()) {
        type = FImpl->ColInfo[ci].ControlType;
        params = FImpl->ColInfo[ci].Parameters;
    } else {
        GetControlInfo(field->FieldName(), type, params);
    }
    if (type.empty() || type == "URL-Link") return false;
    ActiveRecordKeeper keep(FImpl->DataLink.get());
    FImpl->DataLink->SetActiveRecord(ARow - FImpl->TitleOffset);
    if (type == "CheckBox") {
        std::string on, off;
        if (!GetCheckBoxValues(field->FieldName(), on, off)) return false;
        bool checked;
        if (LowerCase(field->FieldName()) == "selected" && field->Calculated())
            checked = IsRecordSelected();
        else
            checked = field->DisplayText() == on;
        bool brushSet = false;
        C->Font()->Assign(Font());
        C->Brush()->SetColor(Color());
        SetCellColors(C, ACol, ARow, field, State, brushSet);
        if (FImpl->CellInfo.DefaultBackground) {
            if (brushSet)
                C->FillRect(R);
            else
                FillDataCellBackground(C, R, ACol, ARow);
        }
        if (!FImpl->CellInfo.DefaultContent) return true;
        const TRect box = Bounds(R.Left + (R.Width() - 10) / 2, R.Top + (R.Height() - 10) / 2, 10, 10);
        DrawCheckBox(box, ACol, ARow, checked);
        return true;
    }
    if (type == "Bitmap" || type == "ImageIndex") {
        bool brushSet = false;
        C->Font()->Assign(Font());
        C->Brush()->SetColor(Color());
        SetCellColors(C, ACol, ARow, field, State, brushSet);
        if (FImpl->CellInfo.DefaultBackground) {
            if (brushSet)
                C->FillRect(R);
            else
                FillDataCellBackground(C, R, ACol, ARow);
        }
        if (!FImpl->CellInfo.DefaultContent) return true;
        if (type == "Bitmap") {
            DrawBitmapCell(C, R, field, params);
            if (HighlightCell(ACol, ARow, State)) qzDrawFocusRect(C, R);
        } else {
            DrawImageIndexCell(C, R, field, params);
        }
        return true;
    }
    if (SameText(type, "CustomEdit") || SameText(type, "RichEdit")) {
        C->Brush()->SetColor(Color());
        FillDataCellBackground(C, R, ACol, ARow);
        return DrawCustomControlCell(C, R, ACol, ARow, field, State);
    }
    return false;
}

void TqzCustomDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    FImpl->CellInfo = TqzCustomDrawGridCellInfo{};
    FImpl->CellInfo.Rect = ARect;
    FImpl->CellInfo.State = AState;
    FImpl->CellInfo.DataCol = ACol - FImpl->IndicatorOffset;
    FImpl->CellInfo.DataRow = ARow - FImpl->TitleOffset;
    FImpl->CellInfo.Field = GetColField(FImpl->CellInfo.DataCol);
    if ((!FImpl->GroupFieldName.empty() || FImpl->OnBeforeDrawCell) && FImpl->DataLink->Active()) {
        const bool dataRow =
            FImpl->CellInfo.DataRow >= 0 && FImpl->CellInfo.DataRow < FImpl->DataLink->RecordCount();
        const int saved = FImpl->DataLink->ActiveRecord();
        if (dataRow) FImpl->DataLink->SetActiveRecord(FImpl->CellInfo.DataRow);
        try {
            FImpl->OnBeforeDrawCell(this, FImpl->CellInfo);
        } catch (...) {
            FImpl->DataLink->SetActiveRecord(saved);
            throw;
        }
        FImpl->DataLink->SetActiveRecord(saved);
        // The two per-cell flags go to the column's row flags (data rows 0 to 255).
        if (dataRow && FImpl->CellInfo.DataRow < 256 && FImpl->CellInfo.DataCol >= 0) {
            std::vector<uint8_t>& flags = Columns(FImpl->CellInfo.DataCol)->RowFlags();
            if (static_cast<int>(flags.size()) <= FImpl->CellInfo.DataRow)
                flags.resize(static_cast<size_t>(FImpl->CellInfo.DataRow) + 1, 0);
            flags[static_cast<size_t>(FImpl->CellInfo.DataRow)] = static_cast<uint8_t>(
                (FImpl->CellInfo.ColumnFlag1 ? 0 : 1) | (FImpl->CellInfo.ColumnFlag2 ? 0 : 2));
        }
    }
    DrawCellParts(ACol, ARow, ARect, AState);
    FImpl->OnAfterDrawCell(this, FImpl->CellInfo);
}

void TqzCustomDBGrid::DrawCellParts(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TCanvas* C = DrawCanvas();
    const int dataCol = ACol - FImpl->IndicatorOffset, dataRow = ARow - FImpl->TitleOffset;
    const bool fixed = AState.Contains(gdFixed);
    C->Font()->Assign(fixed ? FImpl->TitleFont.get() : Font());
    C->Brush()->SetColor(fixed ? FImpl->TitleColor : Color());
    if (dataCol < 0) {
        if (dataRow >= 0)
            DrawIndicatorCell(C, ARect, dataRow);
        else
            FImpl->Titles.Draw(C, ARect, -1);
        return;
    }
    if (dataRow < 0) {
        FImpl->Titles.Draw(C, ARect, dataCol);
        return;
    }
    if (!FImpl->DataLink->Active()) {
        C->FillRect(ARect);
        return;
    }
    if (DrawControlTypeCell(C, ARect, ACol, ARow, AState)) return;
    TField* field = GetColField(dataCol);
    ActiveRecordKeeper keep(FImpl->DataLink.get());
    FImpl->DataLink->SetActiveRecord(dataRow);
    std::string text = field ? field->DisplayText() : std::string();
    const size_t ci = static_cast<size_t>(ACol);
    std::string type = ci < FImpl->ColInfo.size() ? FImpl->ColInfo[ci].ControlType : std::string();
    if (type.empty() && field) {
        std::string params;
        GetControlInfo(field->FieldName(), type, params);
    }
    C->Font()->Assign(Font());
    C->Brush()->SetColor(Color());
    if (type == "URL-Link") {
        std::string display, address;
        SplitURLText(text, display, address);
        text = display;
        const bool hot = FImpl->HotCell.X == ACol && FImpl->HotCell.Y == ARow;
        C->Font()->SetColor(hot ? clRed : clBlue);
        C->Font()->SetStyle(C->Font()->Style() + fsUnderline);
    }
    bool brushSet = false;
    SetCellColors(C, ACol, ARow, field, AState, brushSet);
    if (DefaultDrawing()) {
        if (FImpl->CellInfo.DefaultBackground) {
            if (brushSet)
                C->FillRect(ARect);
            else
                FillDataCellBackground(C, ARect, ACol, ARow);
        }
        TAlignment align = taLeftJustify;
        if (field && field->Alignment() != taLeftJustify) align = field->Alignment();
        int flags = wctNoFill;
        const bool oneLine = qzIsSingleLineRect(C, ARect, DT_SINGLELINE);
        if (FImpl->Options.Contains(dgTrailingEllipsis) && (!FImpl->Options.Contains(dgWordWrap) || oneLine))
            flags |= wctEllipsis;
        if (FImpl->Options.Contains(dgWordWrap)) flags |= wctWordBreak;
        if (FImpl->CellInfo.DefaultContent)
            WriteCellText(C, ARect, FImpl->Options.Contains(dgRowLines) ? 2 : 1, 2, align, flags, text);
    }
    DrawDataCell(ARect, field, AState);
}

// ---- Hot links ------------------------------------------------------------------------------

void TqzCustomDBGrid::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomGrid::MouseMove(Shift, X, Y);
    FImpl->Hints.MouseAt(X, Y);
    if (FImpl->Drag.MouseMove(X, Y)) return;
    const TGridCoord cell = MouseCoord(X, Y);
    FImpl->Titles.TrackHot(Shift, X, Y);
    FImpl->Hints.Update(cell);
    bool url = false;
    if (cell.X >= FImpl->IndicatorOffset && cell.Y >= FImpl->TitleOffset && FImpl->DataLink->Active())
        if (TField* f = GetColField(cell.X - FImpl->IndicatorOffset)) {
            std::string type, params;
            GetControlInfo(f->FieldName(), type, params);
            url = type == "URL-Link";
        }
    if (url) {
        if (Cursor() != crHandPoint) {
            FImpl->SavedCursor = Cursor();
            SetCursor(crHandPoint);
        }
        SetHotCell(cell.X, cell.Y);
    } else if (FImpl->HotCell.X >= 0) {
        SetCursor(FImpl->SavedCursor);
        SetHotCell(-1, -1);
    }
}

void TqzCustomDBGrid::CMMouseLeave(TMessage& Message) {
    TCustomGrid::CMMouseLeave(Message);
    FImpl->Hints.MouseAt(-1, -1);
    FImpl->Titles.ClearHot();
    if (FImpl->HotCell.X < 0) return;
    SetCursor(FImpl->SavedCursor);
    SetHotCell(-1, -1);
}
