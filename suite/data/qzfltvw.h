// The search summary view: one row per criterion (field, search type, value)
// in a read-only string grid.
#pragma once

#include "platform/ui/forms.h"
#include "platform/ui/grids.h"
#include "suite/data/qzfilterinfo.h"

class TButton;
class TStringGrid;

class TqzFilterDialogView : public TForm {
    TASKMOOR_CLASS(TqzFilterDialogView, TForm)
public:
    explicit TqzFilterDialogView(TComponent* AOwner);
    void Fill(const TqzFieldInfoList& Criteria, const TqzFieldOperators* Operators);

    TStringGrid* StringGrid1() const { return FStringGrid1; }
    TButton* OKButton() const { return FOKButton; }

protected:
    void DoShow() override;

private:
    void DrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);

    TStringGrid* FStringGrid1 = nullptr;
    TButton* FOKButton = nullptr;
    TButton* FCancelButton = nullptr;
};

// Shows the view modally over the criteria and frees it.
void qzShowFilterDialogView(const TqzFieldInfoList& Criteria, const TqzFieldOperators* Operators);
