// The lookup combo's drop-down: its button, a drag handed on to the open
// grid, and opening (placement and size) and closing the grid.
#include "suite/grid/qzlookupcombo.h"

#include <algorithm>

#include "platform/core/sysutils.h"
#include "platform/db/dataset.h"
#include "platform/db/datasource.h"
#include "platform/db/fields.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/drawing.h"
#include "platform/ui/messages.h"
#include "platform/ui/timer.h"
#include "suite/base/qzdraw.h"
#include "suite/base/qzproputils.h"
#include "suite/grid/qzlookupcombo_impl.h"

// ---- TqzLookupComboButton ------------------------------------------------------------------

TqzLookupComboButton::TqzLookupComboButton(TComponent* AOwner, TqzDBCustomLookupCombo* Combo)
    : TqzComboButton(AOwner), FCombo(Combo) {
    TControlStyle style = ControlStyle();
    style.Include(csReplicatable);
    SetControlStyle(style);
}

bool TqzLookupComboButton::IsOwnerThemedInGrid() { return FCombo->IsThemedInGrid(); }

bool TqzLookupComboButton::IsThemedButton() {
    TqzEditFrame* frame = FCombo->Frame();
    return qzUseThemes(this) && !FCombo->IsThemedInGrid() && !(frame->Enabled() && frame->Transparent());
}

bool TqzLookupComboButton::IsMouseInOwner() { return FCombo->MouseOver(); }

bool TqzLookupComboButton::IsOwnerDroppedDown() {
    return FCombo->GridWindow() && FCombo->GridWindow()->Showing();
}

void TqzLookupComboButton::Paint() {
    if (FCombo->RepaintGuard()) return;
    FCombo->SetMouseOverButton(MouseInControl());
    const TqzComboButtonStyle style = FCombo->ButtonStyle();
    const bool hasGlyph = !Glyph()->Empty();
    const bool pressed = State() == bsDown || State() == bsExclusive;
    TqzComboButtonEffects* effects = FCombo->ButtonEffects();
    // In a grid cell a glyph is all the button shows.
    const bool inQzGrid = FCombo->Parent() && qzClassInheritsFrom(FCombo->Parent(), "TqzDBGrid");
    const bool face = (style == cbsEllipsis || style == cbsDownArrow) && !(hasGlyph && Flat()) &&
                      !(effects->Transparent() && style == cbsDownArrow) && !(inQzGrid && hasGlyph);
    SetEllipsis(style == cbsEllipsis);
    if (qzUseThemes(this)) {
        TqzComboButton::Paint();
        return;
    }
    if (face) FCombo->PaintButtonFace(Canvas(), ClientRect(), pressed);
    if (hasGlyph || !face) TqzComboButton::Paint();
    if (hasGlyph && !inQzGrid && !(Flat() && !pressed && !MouseInControl())) {
        TRect r = ClientRect();
        DrawEdge(Canvas(), r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
}

void TqzLookupComboButton::RepaintEffects() {
    TqzComboButtonEffects* effects = FCombo->ButtonEffects();
    if (effects->Transparent() || effects->Flat()) {
        Invalidate();
        if (Parent()) Parent()->Update();
    }
}

void TqzLookupComboButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const bool wasOpen = FCombo->IsDroppedDown();
    if (Button == mbLeft && !wasOpen && !FCombo->Focused()) {
        if (FCombo->CanFocus()) FCombo->SetFocus();
        // The in-place control of the focused grid works without the focus.
        TWinControl* host = FCombo->HostGrid();
        if (!FCombo->Focused() && !(host && host->Focused())) return;
    }
    TqzComboButton::MouseDown(Button, Shift, X, Y);
    RepaintEffects();
    if (Button != mbLeft || FCombo->ReadOnly()) return;
    if (!wasOpen && FCombo->IsDroppedDown()) return;  // the focus opened it
    if (FCombo->IsDroppedDown()) {
        if (FCombo->MatchFound()) FCombo->GridPick();
        FCombo->CloseUp(true);
        return;
    }
    FCombo->DropDown();
    FCombo->ForwardDragToGrid(this, WM_LBUTTONDOWN, X, Y);
}

void TqzLookupComboButton::MouseMove(TShiftState Shift, int X, int Y) {
    if (Shift.Contains(ssLeft) && FCombo->ForwardDragToGrid(this, WM_MOUSEMOVE, X, Y)) return;
    TqzComboButton::MouseMove(Shift, X, Y);
}

void TqzLookupComboButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TqzComboButton::MouseUp(Button, Shift, X, Y);
    RepaintEffects();
    if (Button == mbLeft) FCombo->ForwardDragToGrid(this, WM_LBUTTONUP, X, Y);
}

TqzComboButton* TqzDBCustomLookupCombo::CreateButton() { return new TqzLookupComboButton(this, this); }

bool TqzDBCustomLookupCombo::IsThemedInGrid() {
    return qzUseThemes(this) && FStyle == csDropDownList && !FAutoDropDown;
}

void TqzDBCustomLookupCombo::PaintButtonFace(TCanvas* Canvas, const TRect& Rect, bool Pressed) {
    if (ButtonStyle() == cbsEllipsis || ButtonStyle() == cbsDownArrow) DrawButton(Canvas, Rect, Pressed, 0);
}

bool TqzDBCustomLookupCombo::ForwardDragToGrid(TControl* From, unsigned Msg, int X, int Y) {
    if (Msg == WM_LBUTTONDOWN) {
        FPressed = IsDroppedDown();
        FDragForwarded = false;
        return false;
    }
    if (!FPressed) return false;
    if (!IsDroppedDown() || !FGrid || !FGridWindow || !FGridWindow->Showing()) {
        FPressed = FDragForwarded = false;
        return false;
    }
    const TPoint p = FGrid->ScreenToClient(From->ClientToScreen({X, Y}));
    const LPARAM at = MakeLParam(p.X, p.Y);
    if (Msg == WM_LBUTTONUP) {
        const bool forwarded = FDragForwarded;
        FPressed = FDragForwarded = false;
        if (forwarded) {
            if (GetCaptureControl() == From) SetCaptureControl(nullptr);
            FGrid->Perform(WM_LBUTTONUP, 0, at);
        }
        return forwarded;
    }
    if (Msg != WM_MOUSEMOVE) return false;
    if (!FDragForwarded) {
        if (p.X < 0 || p.Y < 0 || p.X >= FGrid->ClientWidth() || p.Y >= FGrid->ClientHeight()) return false;
        // The press goes to the grid there; its drag selection takes over.
        FDragForwarded = true;
        if (GetCaptureControl()) SetCaptureControl(nullptr);
        FGrid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
        // The pressed control keeps receiving the drag and hands it on.
        if (IsDroppedDown()) SetCaptureControl(From);
        return true;
    }
    FGrid->Perform(WM_MOUSEMOVE, MK_LBUTTON, at);
    return true;
}

// ---- Opening and closing ------------------------------------------------------------------

// The grid reads as the combo does, open or not: mirrored, its scroll bar at the left right to
// left.
void TqzDBCustomLookupCombo::BiDiModeChanged() {
    inherited::BiDiModeChanged();
    if (FGridWindow) FGridWindow->SetBiDiMode(BiDiMode());
}

void TqzDBCustomLookupCombo::EnsureGrid() {
    if (FGrid) return;
    FGridWindow = new TPopupWindow(this);
    FGridWindow->SetOwnerControl(this);
    FGridWindow->SetBiDiMode(BiDiMode());
    FGrid = new TqzPopupGrid(FGridWindow, this);
    FGrid->SetParent(FGridWindow);
    FGrid->SetAlign(alClient);
    // The window's own line is the list's frame.
    FGrid->SetBorderStyle(bsNone);
}

// The grid made and set up with the combo's options, columns and table.
void TqzDBCustomLookupCombo::PrepareGrid() {
    EnsureGrid();
    FGrid->SetColor(FGridOptions->Color());
    FGrid->SetTitleLines(std::max(1, FGridOptions->TitleLines()));
    FGrid->SetTitleAlignment(FGridOptions->TitleAlignment());
    if (FSelected->Count() == 0 && !FKeyFields.empty() && Width() > 20) {
        TField* k = FLookupTable->FieldByName(FKeyFields[0]);
        FSelected->Add(k->FieldName() + "\t" + std::to_string(k->DisplayWidth()) + "\t" + k->DisplayLabel());
    }
    FGrid->SetUseTFields(false);
    FGrid->Selected()->Assign(FSelected.get());
    FGrid->SetLookupTable(FLookupTable);
    FGrid->SetLookupField(FLookupField);
    FGrid->LayoutChanged();
}

// DropDownWidth, else the columns' characters, never narrower than the combo nor wider than the
// screen.
int TqzDBCustomLookupCombo::GridWindowWidth() {
    int width = FDropDownWidth;
    if (width <= 0) {
        const int zero = std::max(1, FGrid->Canvas()->TextWidth("0"));
        width = GetSystemMetrics(SM_CXVSCROLL) + 1;
        for (int i = 0; i < FSelected->Count(); ++i) {
            std::string name, chars, title;
            const std::string& line = FSelected->Strings(i);
            const size_t t1 = line.find('\t');
            const size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
            if (t1 != std::string::npos)
                chars = line.substr(t1 + 1, t2 == std::string::npos ? t2 : t2 - t1 - 1);
            if (t2 != std::string::npos) title = line.substr(t2 + 1);
            const int n = std::max(1, StrToIntDef(TrimSpaces(chars), 10));
            width += std::max(n * zero, FGrid->Canvas()->TextWidth(title)) + 5;
        }
    }
    return std::min(std::max(width, Width()), Screen->Width());
}

// Below the combo, above it when the work area ends first.
void TqzDBCustomLookupCombo::PlaceGridWindow(int WindowWidth, int WindowHeight) {
    const TPoint origin = Parent() ? Parent()->ClientToScreen({Left(), Top()}) : ClientToScreen({0, 0});
    const int below = origin.Y + this->Height() - (BorderStyle() == bsSingle ? 1 : 0);
    const TRect work = Screen->WorkAreaRect();
    const int bottom = work.Bottom > work.Top ? work.Bottom : Screen->Height();
    int top = below;
    if (top + WindowHeight > bottom) {
        top = origin.Y + 1 - WindowHeight;
        if (top < (work.Bottom > work.Top ? work.Top : 0)) top = below;
    }
    const int left = FDropDownAlignment == taRightJustify ? origin.X + Width() - WindowWidth : origin.X;
    FGridWindow->ShowAt(left, top, WindowWidth, WindowHeight);
    FGrid->LayoutChanged();
}

void TqzDBCustomLookupCombo::DropDown() {
    if (IsDroppedDown() || FDropping) return;
    if (FOnBeforeDropDown.Assigned()) {
        FDropping = true;
        try {
            FOnBeforeDropDown(this);
        } catch (...) {
            FDropping = false;
            throw;
        }
        FDropping = false;
        if (IsDroppedDown()) return;
    }
    if (!FLookupTable) {
        MessageDlg("No lookup table specified!", mtWarning, {mbOK}, 0);
        return;
    }
    FDropping = true;
    try {
        if (FKeyFields.empty()) BindKeys(false);
        PrepareGrid();
        FTextAtDropDown = Text();
        // Positioned once the grid has its rows, so that the rows before
        // the value show when there is room.
        const bool autoDrop = FPendingAutoDrop;
        const bool reposition = !Modified() && !autoDrop && FLookupTable->Active();
        // A combo that shows its key opens on the record of a typed key; it
        // is written only when chosen.
        const bool typedKey = Modified() && !autoDrop && ShowsKey() && !Text().empty();
        if (reposition) FLookupTable->First();
        if (FOnDropDown.Assigned()) FOnDropDown(this);

        // Height: the title and DropDownCount rows, fewer for a short table.
        int rows = std::max(1, FDropDownCount);
        const int records = FLookupTable->Active() ? FLookupTable->RecordCount() : 0;
        const bool fewer = records >= 0 && records < rows;
        if (fewer) rows = std::max(1, records);
        FGrid->SetShowVertScrollBar(!fewer);
        const int titles = FGrid->TitleOffset() > 0 ? 1 : 0;
        // A row is followed by its line only with row lines.
        const int line = FGrid->GridOptions().Contains(dgRowLines) ? FGrid->GridLineWidth() : 0;
        const int rowHeight = FGrid->DefaultRowHeight() + line;
        const int width = GridWindowWidth();
        const bool hscroll = FGrid->GridWidth() > width;
        const int hscrollHeight = hscroll ? GetSystemMetrics(SM_CYHSCROLL) : 0;
        // The title and data rows plus the window's frame (2 pixels; measured
        // once shown).
        auto neededHeight = [&](int Around) {
            const int titleHeight = titles ? FGrid->RowHeights(0) + line : 0;
            return titleHeight + rows * rowHeight + Around + hscrollHeight;
        };
        PlaceGridWindow(width, neededHeight(2));
        const int exact = neededHeight(FGridWindow->Height() - FGrid->ClientHeight() - hscrollHeight);
        if (exact != FGridWindow->Height()) PlaceGridWindow(width, exact);
        if (reposition)
            FMatchFound = PositionOnValue();
        else if (typedKey)
            FMatchFound = PerformSearch(Text(), FKeyFields[0], false,
                                        FSeqSearchOptions.Contains(ssoCaseSensitive), true);

        SetDroppedDown(true);
        FSavedShowHint = Application->ShowHint();
        Application->SetShowHint(false);
        if (CanFocus() && !Focused()) SetFocus();
        // Dropped by typing, the caret stays where the typing goes on.
        if (!autoDrop && !(FShowMatchText && SelLength() > 0)) SelectAll();
        Invalidate();
        WatchDropDown({FGridWindow, FGrid});
    } catch (...) {
        FDropping = false;
        throw;
    }
    FDropping = false;
}

void TqzDBCustomLookupCombo::CloseUp(bool Accept) {
    if (!IsDroppedDown() || FClosing) return;
    FClosing = true;
    bool changed = false;
    try {
        // A pending search step runs first: Enter takes what was typed.
        if (Accept && FSearchTimer->Enabled()) SearchTimerTick(FSearchTimer);
        FSearchTimer->SetEnabled(false);
        const bool match = FMatchFound;
        if (GetCaptureControl()) SetCaptureControl(nullptr);
        FGridWindow->ClosePopup();
        StopWatchingDropDown();
        SetDroppedDown(false);
        Application->SetShowHint(FSavedShowHint);
        if (Accept) {
            if (FCleared || (FAllowClearKey && Text().empty() && !FTextAtDropDown.empty())) {
                changed = !FLookupValue.empty() || (Field() && !Field()->IsNull());
                ClearValue();
            } else if (!(match && !Modified() && Text() == FTextAtDropDown && !FGridMoved))
                changed = AcceptText(match);
            FMatchFound = true;
            SetModified(false);
        } else {
            // Escape drops what the grid showed; a text typed before the
            // drop-down stays, still to be looked up.
            FPictureSetText = true;
            SetText(FTextAtDropDown);
            FPictureSetText = false;
            FMatchFound = FTextAtDropDown == FShownText;
        }
        FGridMoved = false;
        FLastSearchText = Text();
        Invalidate();
        if (Focused() && IsEditableStyle()) SelectAll();
    } catch (...) {
        FClosing = false;
        throw;
    }
    FClosing = false;
    if (FOnCloseUp.Assigned())
        FOnCloseUp(this, FLookupTable, DataSource() ? DataSource()->DataSet() : nullptr, changed);
}
