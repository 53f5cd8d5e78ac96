// The cell hint's window and the event that may shape it.
#pragma once

#include "platform/ui/grids.h"
#include "platform/ui/hint_window.h"

class TField;

// The window of a cell hint: the field's whole text, aligned as the field.
class TqzGridHintWindow : public THintWindow {
    TASKMOOR_CLASS(TqzGridHintWindow, THintWindow)
public:
    explicit TqzGridHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
    TField* Field = nullptr;
    bool WordWrap = true;
    TAlignment Alignment = taLeftJustify;

protected:
    void Paint() override;
};
// (Sender, HintWindow, Field, CellRect, WordWrap, MaxWidth, MaxHeight, DoDefault).
using TqzCreateHintWindowEvent =
    TEvent<TObject*, TqzGridHintWindow*, TField*, const TRect&, bool&, int&, int&, bool&>;
