// Owner-drawn list boxes: rows drawn by the list box on its canvas, of one
// height or each measured.
#include <QStyle>
#include <QStyleOptionViewItem>
#include <algorithm>

#include "platform/ui/stdctrls_qt.h"

void PaintOwnerDrawnRow(TCustomListBox* ListBox, QPainter* Painter, const QStyleOptionViewItem& Option,
                        int Row) {
    TOwnerDrawState state;
    if (Option.state & QStyle::State_Selected) state += odSelected;
    if (Option.state & QStyle::State_HasFocus) state += odFocused;
    if (!ListBox->Enabled()) state += odDisabled;
    TCanvas* canvas = ListBox->Canvas();
    Painter->save();
    const QRect clip = Option.rect;
    BindCanvas(canvas, Painter, QPoint(), &clip);
    canvas->Font()->Assign(ListBox->Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(state.Contains(odSelected) ? clHighlight : ListBox->Color());
    GuardedCall(ListBox, [&] { ListBox->DrawItem(Row, FromQRect(Option.rect), state); });
    UnbindCanvas(canvas);
    Painter->restore();
}

int MeasureOwnerDrawnRow(TCustomListBox* ListBox, int Row) {
    int height = ListBox->ItemHeight();
    GuardedCall(ListBox, [&] { ListBox->MeasureItem(Row, height); });
    return std::max(1, height);
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    if (FOnDrawItem.Assigned()) {
        FOnDrawItem(this, Index, Rect, State);
        return;
    }
    FCanvas->FillRect(Rect);
    if (State.Contains(odSelected)) FCanvas->Font()->SetColor(clHighlightText);
    if (Index >= 0 && Index < Count()) FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Strings(Index));
}

void TCustomListBox::MeasureItem(int Index, int& Height) {
    if (FOnMeasureItem.Assigned()) FOnMeasureItem(this, Index, Height);
}
