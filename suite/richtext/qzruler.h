// The ruler of the editor window: a scale in inches or centimetres with
// three indent markers (left, first line, right) that the user drags to set
// the current paragraph's indents; moving the caret moves them.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/extctrls.h"

class TBitmap;
class TqzCustomRichEdit;

// A small marker dragged horizontally between MinValue and MaxValue (0: no
// limit on that side). Its glyph is a bitmap resource drawn transparent in
// the colour of its bottom-left pixel.
class TqzTrackIcon : public TGraphicControl {
    TASKMOOR_CLASS(TqzTrackIcon, TGraphicControl)
public:
    explicit TqzTrackIcon(TComponent* AOwner);
    ~TqzTrackIcon() override;

    const std::string& BitmapName() const { return FBitmapName; }
    void SetBitmapName(const std::string& Value);
    int MinValue() const { return FMinValue; }
    void SetMinValue(int Value) { FMinValue = Value; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value) { FMaxValue = Value; }
    bool Dragging() const { return FDragging; }
    // After each move of a drag.
    TNotifyEvent OnDrag() const { return FOnDrag; }
    void SetOnDrag(TNotifyEvent Value) { FOnDrag = Value; }
    // A drag that moved the marker ended.
    TNotifyEvent OnEndDrag() const { return FOnEndDragged; }
    void SetOnEndDrag(TNotifyEvent Value) { FOnEndDragged = Value; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    std::string FBitmapName;
    std::unique_ptr<TBitmap> FGlyph;
    int FMinValue = 0, FMaxValue = 0;
    bool FDragging = false, FMoved = false;
    int FPressX = 0;
    TNotifyEvent FOnDrag, FOnEndDragged;
};

class TqzRulerPanel : public TPanel {
    TASKMOOR_CLASS(TqzRulerPanel, TPanel)
public:
    explicit TqzRulerPanel(TComponent* AOwner);

    TqzCustomRichEdit* RichEdit() const { return FRichEdit; }
    void SetRichEdit(TqzCustomRichEdit* Value) { FRichEdit = Value; }
    TqzTrackIcon* LeftMarker() const { return FLeft; }
    TqzTrackIcon* FirstLineMarker() const { return FFirst; }
    TqzTrackIcon* RightMarker() const { return FRight; }
    // The scale's left edge: the base of every marker position.
    int Base() const { return FScale.Left; }
    const TRect& ScaleRect() const { return FScale; }
    double PixelsPerUnit() const;
    // The text's width in pixels at the ruler's scale.
    int TextWidth();
    // Sizes the ruler to the text's width and places the scale and limits.
    void Arrange();
    // Places the markers at the current paragraph's indents.
    void RefreshMarkers();
    // Snaps the markers and keeps them apart (during and after a drag).
    void ApplyDragLimits();

protected:
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void MarkerDrag(TObject* Sender);
    void MarkerEndDrag(TObject* Sender);
    int PixelsToTwips(int X) const;
    int TwipsToPixels(int X) const;
    TqzCustomRichEdit* FRichEdit = nullptr;
    TRect FScale;
    TqzTrackIcon* FLeft;
    TqzTrackIcon* FFirst;
    TqzTrackIcon* FRight;
};
