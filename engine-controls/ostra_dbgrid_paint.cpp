// TOstraCustomDBGrid: drawing the indicator column, the titles with their
// sort markers, and the data cells with highlighting, check boxes and the
// colouring events. Each data row is drawn with its record made the
// dataset's active one, so everything read while drawing it is that row's.
#include <algorithm>

#include "engine-controls/ostra_dbgrid.h"
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/drawing.h"
#include "platform/ui/imagelist.h"

namespace {
TBitmap* gDrawBitmap = nullptr;
int gDrawBitmapUsers = 0;

// Puts the link's active record back however drawing a row ends.
class TActiveRecordKeeper {
public:
    TActiveRecordKeeper(TDataLink* Link, int Row) : FLink(Link), FSaved(Link->ActiveRecord()) {
        Link->SetActiveRecord(Row);
    }
    ~TActiveRecordKeeper() { FLink->SetActiveRecord(FSaved); }

private:
    TDataLink* FLink;
    int FSaved;
};
}  // namespace

void TOstraCustomDBGrid::AcquireDrawBitmap() {
    if (gDrawBitmapUsers++ == 0) gDrawBitmap = new TBitmap;
}

void TOstraCustomDBGrid::ReleaseDrawBitmap() {
    if (gDrawBitmapUsers > 0 && --gDrawBitmapUsers == 0) {
        delete gDrawBitmap;
        gDrawBitmap = nullptr;
    }
}

TBitmap* TOstraCustomDBGrid::DrawBitmap() { return gDrawBitmap; }

// ---- Cells ---------------------------------------------------------------------------------------------

void TOstraCustomDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TCanvas* canvas = Canvas();
    if (ComponentState().Contains(csLoading)) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ARect);
        return;
    }
    const int dataCol = ACol - FIndicatorOffset;
    const int dataRow = ARow - FTitleOffset;
    const bool lines = FOptions.Contains(dgColLines) && FOptions.Contains(dgRowLines);
    TRect rect = ARect;
    int frameOffs = 2;
    if (AState.Contains(gdFixed) && lines) {
        rect = Rect(ARect.Left + 1, ARect.Top + 1, ARect.Right - 1, ARect.Bottom - 1);
        frameOffs = 1;
    }
    bool multiSelected = false;
    if (FOptions.Contains(dgMultiSelect) && FDataLink->Active() && dataRow >= 0 &&
        dataRow < FDataLink->RecordCount()) {
        TActiveRecordKeeper keep(FDataLink.get(), dataRow);
        multiSelected = ActiveRowSelected();
    }

    if (AState.Contains(gdFixed) && dataCol < 0) {
        DrawIndicatorCell(rect, dataRow, multiSelected, frameOffs);
    } else if (dataRow < 0) {
        if (TOstraColumn* column = ColumnOf(ACol)) {
            DrawTitleCell(column, rect, frameOffs);
        } else {
            canvas->Brush()->SetColor(FixedColor());
            canvas->FillRect(rect);
        }
    } else {
        DrawDataCellContents(dataCol, dataRow, rect, AState, multiSelected);
    }

    // Without default drawing the generic grid leaves the fixed cells' edges.
    if (!DefaultDrawing() && AState.Contains(gdFixed) && lines && dataRow >= 0) {
        TRect edge = ARect;
        DrawEdge(canvas, edge, BDR_RAISEDINNER, BF_BOTTOMRIGHT);
        DrawEdge(canvas, edge, BDR_RAISEDINNER, BF_TOPLEFT);
    }
}

void TOstraCustomDBGrid::DrawIndicatorCell(const TRect& Rect, int DataRow, bool MultiSelected,
                                           int FrameOffs) {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(FixedColor());
    canvas->FillRect(Rect);
    if (!FDataLink->Active() || DataRow < 0) return;
    const bool current = DataRow == FDataLink->ActiveRecord();
    if (!current && !MultiSelected) return;
    // The edit and insert marks belong to the current row alone: another
    // selected row keeps its selection mark while one is edited or added.
    int glyph = current ? 0 : 3;
    if (TDataSet* ds = FDataLink->DataSet(); ds && current) {
        switch (ds->State()) {
        case dsEdit: glyph = 1; break;
        case dsInsert: glyph = 2; break;
        case dsBrowse:
            if (MultiSelected) glyph = 4;
            break;
        default: break;
        }
    }
    int x = Rect.Right - FIndicators->Width() - FrameOffs;
    const int y = (Rect.Top + Rect.Bottom - FIndicators->Height()) / 2;
    FIndicators->Draw(canvas, x, y, glyph);
    if (current) FSelRow = DataRow + FTitleOffset;
}

void TOstraCustomDBGrid::DrawTitleCell(TOstraColumn* Column, TRect Rect, int FrameOffs) {
    TCanvas* canvas = Canvas();
    TOstraColumnTitle* title = Column->Title();
    canvas->SetFont(title->Font());
    TColor color = title->Color();
    FOnDrawTitleAttr(this, Column, canvas->Font(), color);
    canvas->Brush()->SetColor(color);
    const bool pressed = Column->TitlePressed();
    const int offs = pressed ? FrameOffs + 1 : FrameOffs;
    const uint8_t marker = Column->SortMarker();
    const bool marked = !pressed && (marker == 1 || marker == 2);
    // A marked title whose caption would run into the marker writes it
    // beside the marker's room instead.
    TRect captionRect = Rect;
    const int markerX = Rect.Right - FIndicators->Width() - FrameOffs;
    const int textWidth = canvas->TextWidth(title->Caption());
    int captionEnd = Rect.Right - 1;
    if (title->Alignment() == taLeftJustify)
        captionEnd = Rect.Left + offs + textWidth;
    else if (title->Alignment() == taCenter)
        captionEnd = (Rect.Left + offs + Rect.Right - 1 + textWidth) / 2;
    if (marked && captionEnd >= markerX) {
        const int room = std::min(FIndicators->Width() + FrameOffs, Rect.Width());
        TRect markerRoom = Rect;
        markerRoom.Left = Rect.Right - room;
        captionRect.Right = markerRoom.Left;
        canvas->FillRect(markerRoom);
    }
    WriteText(captionRect, offs, offs, title->Caption(), title->Alignment(), true, UseRightToLeftAlignment());
    if (marked) {
        int x = Rect.Right - FIndicators->Width() - FrameOffs;
        const int y = (Rect.Top + Rect.Bottom - FIndicators->Height()) / 2;
        FIndicators->Draw(canvas, x, y, marker == 1 ? 5 : 6);
    }
    if (FOptions.Contains(dgColLines) && FOptions.Contains(dgRowLines)) {
        TRect edge = Rect;
        const unsigned kind = pressed ? BDR_SUNKENINNER : BDR_RAISEDINNER;
        DrawEdge(canvas, edge, kind, BF_BOTTOMRIGHT);
        DrawEdge(canvas, edge, kind, BF_TOPLEFT);
    }
}

void TOstraCustomDBGrid::DrawDataCellContents(int DataCol, int DataRow, const TRect& Rect,
                                              TGridDrawState State, bool MultiSelected) {
    TCanvas* canvas = Canvas();
    TOstraColumn* column =
        DataCol >= 0 && DataCol < FColumns->Count() ? FColumns->GetColumn(DataCol) : nullptr;
    if (!column) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(Rect);
        return;
    }
    if (!column->Showing()) return;
    canvas->SetFont(column->Font());
    canvas->Brush()->SetColor(State.Contains(gdFixed) ? FixedColor() : column->Color());
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds) {
        canvas->FillRect(Rect);
        return;
    }
    TActiveRecordKeeper keep(FDataLink.get(), DataRow);
    std::string value;
    if (!ds->IsEmpty() || ds->State() == dsInsert) value = column->DisplayText();
    if (HighlightCell(DataCol, DataRow, value, State)) {
        canvas->Brush()->SetColor(FHighlightColor);
        canvas->Font()->SetColor(FHighlightTextColor);
    }
    if (!Enabled()) canvas->Font()->SetColor(clGrayText);
    TColor color = canvas->Brush()->Color();
    FOnDrawCellAttr(this, column, canvas->Font(), color, State);
    canvas->Brush()->SetColor(color);
    if (DefaultDrawing()) {
        if (column->ButtonStyle() == cbsCheck) {
            // The blank row of an empty dataset holds no record to tick.
            if (!ds->IsEmpty() || ds->State() == dsInsert)
                DrawCheckBox(Rect, CellChecked(column, value, MultiSelected));
            else
                canvas->FillRect(Rect);
        } else {
            WriteText(Rect, 2, 2, value, column->Alignment(), column->WrapText(), UseRightToLeftAlignment());
        }
    }
    if (FColumns->State() == ocsDefault) DrawDataCell(Rect, column->Field(), State);
    DrawColumnCell(Rect, DataCol, column, State);
}

bool TOstraCustomDBGrid::CellChecked(TOstraColumn* Column, const std::string& Value,
                                     bool MultiSelected) const {
    // In a multi-select grid the "Selected" column shows the selection.
    if (Column->IsSelectionColumn() && FOptions.Contains(dgMultiSelect)) return MultiSelected;
    return Value == Column->ValueChecked();
}

void TOstraCustomDBGrid::DefaultDrawColumnCell(const TRect& Rect, int, TOstraColumn* Column, TGridDrawState) {
    if (!Column) return;
    const std::string value = Column->DisplayText();
    // Called while the row's record is the active one.
    if (Column->ButtonStyle() == cbsCheck)
        DrawCheckBox(Rect, CellChecked(Column, value, ActiveRowSelected()));
    else
        WriteText(Rect, 2, 2, value, Column->Alignment(), Column->WrapText(), UseRightToLeftAlignment());
}

void TOstraCustomDBGrid::DrawColumnCell(const TRect& Rect, int DataCol, TOstraColumn* Column,
                                        TGridDrawState State) {
    FOnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TOstraCustomDBGrid::DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) {
    FOnDrawDataCell(this, Rect, Field, State);
}

bool TOstraCustomDBGrid::HighlightCell(int, int, const std::string&, TGridDrawState AState) {
    if (FOptions.Contains(dgMultiSelect) && FDataLink->Active() && ActiveRowSelected()) return true;
    return AState.Contains(gdSelected) && (FOptions.Contains(dgAlwaysShowSelection) || IsActiveControl()) &&
           (FUpdateLock == 0 || FOptions.Contains(dgRowSelect));
}

void TOstraCustomDBGrid::DrawCheckBox(const TRect& Rect, bool Checked) {
    TCanvas* canvas = Canvas();
    canvas->FillRect(Rect);
    const int w = Rect.Width(), h = Rect.Height();
    int side = h - 4;
    if (h - 4 > w - 2) side = w - 4;
    if (side <= 0) return;
    const int left = Rect.Left + (w - side) / 2, top = Rect.Top + (h - side) / 2;
    TRect box = ::Rect(left, top, left + side, top + side);
    DrawFrameControl(canvas, box, DFC_BUTTON, DFCS_BUTTONCHECK | (Checked ? DFCS_CHECKED : 0));
}

void TOstraCustomDBGrid::WriteText(const TRect& Rect, int DX, int DY, const std::string& Text,
                                   TAlignment Alignment, bool WordWrap, bool RightToLeft) {
    const int w = Rect.Width(), h = Rect.Height();
    if (w <= 0 || h <= 0) return;
    TCanvas* canvas = Canvas();
    // A mirrored canvas mirrors the text's place, and so its alignment.
    if (canvas->MirrorWidth() > 0) {
        WriteMirroredText(Rect, DX, DY, Text, Alignment, WordWrap);
        return;
    }
    TBitmap* bitmap = DrawBitmap();
    if (bitmap->Width() < w || bitmap->Height() < h)
        bitmap->SetSize(std::max(w, bitmap->Width()), std::max(h, bitmap->Height()));
    TCanvas* bc = bitmap->Canvas();
    bc->SetFont(canvas->Font());
    bc->Brush()->SetColor(canvas->Brush()->Color());
    bc->FillRect(::Rect(0, 0, w, h));
    bc->Brush()->SetStyle(bsClear);
    if (RightToLeft) {
        // The text reads from the right: the alignment is mirrored.
        if (Alignment == taLeftJustify)
            Alignment = taRightJustify;
        else if (Alignment == taRightJustify)
            Alignment = taLeftJustify;
    }
    unsigned flags = DT_NOPREFIX | DT_EXPANDTABS;
    if (Alignment == taRightJustify)
        flags |= DT_RIGHT;
    else if (Alignment == taCenter)
        flags |= DT_CENTER;
    if (WordWrap) flags |= DT_WORDBREAK;
    if (RightToLeft) flags |= DT_RTLREADING;
    // Right-aligned text keeps DX + 1 pixels from the right line, as the
    // left-aligned keeps DX from the left one.
    TRect textRect = ::Rect(DX, DY, Alignment == taRightJustify ? w - DX - 1 : w - 1, h - 1);
    DrawText(bc, Text, textRect, flags);
    bc->Brush()->SetStyle(bsSolid);
    canvas->CopyRect(Rect, bc, ::Rect(0, 0, w, h));
}

void TOstraCustomDBGrid::WriteMirroredText(const TRect& Rect, int DX, int DY, const std::string& Text,
                                           TAlignment Alignment, bool WordWrap) {
    // Straight onto the canvas: a copied bitmap would come out mirrored,
    // glyphs and all.
    TCanvas* canvas = Canvas();
    canvas->FillRect(Rect);
    unsigned flags = DT_NOPREFIX | DT_EXPANDTABS | DT_RTLREADING;
    if (Alignment == taRightJustify)
        flags |= DT_RIGHT;
    else if (Alignment == taCenter)
        flags |= DT_CENTER;
    if (WordWrap) flags |= DT_WORDBREAK;
    TRect textRect =
        ::Rect(Rect.Left + DX, Rect.Top + DY,
               Alignment == taRightJustify ? Rect.Right - DX - 1 : Rect.Right - 1, Rect.Bottom - 1);
    canvas->Brush()->SetStyle(bsClear);
    DrawText(canvas, Text, textRect, flags);
    canvas->Brush()->SetStyle(bsSolid);
}
