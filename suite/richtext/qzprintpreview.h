// The print preview of a suite rich edit: one page at a time, laid out and
// drawn as Print draws it (margins, header and footer with their fonts),
// recorded into a metafile and scaled onto a paint box at the chosen zoom.
// The Print button prints a range of pages through a print dialog.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/print_dialogs.h"
#include "suite/richtext/qzriched.h"

class TButton;
class TLabel;
class TMetafile;
class TqzDBComboBox;
class TqzDBSpinEdit;

class TqzRtfPreviewForm : public TForm {
    TASKMOOR_CLASS(TqzRtfPreviewForm, TForm)
public:
    explicit TqzRtfPreviewForm(TComponent* AOwner);
    ~TqzRtfPreviewForm() override;

    TqzCustomRichEdit* RichEdit() const { return FRichEdit; }
    void SetRichEdit(TqzCustomRichEdit* Value) { FRichEdit = Value; }
    // 1.0 = 100 %; -1.0 fit width.
    double ZoomFactor() const { return FZoom; }
    bool WholePage() const { return FWholePage; }
    int PageCount() const { return static_cast<int>(FPages.size()); }
    const std::vector<TqzRichPage>& Pages() const { return FPages; }
    TMetafile* Metafile() const { return FMetafile.get(); }

    TButton* PrintButton() const { return FPrintButton; }
    TqzDBComboBox* ZoomCombo() const { return FZoomCombo; }
    TqzDBSpinEdit* PageEdit() const { return FPageEdit; }
    TScrollBox* ScrollBox() const { return FScrollBox; }
    TPaintBox* PaintBox() const { return FPaintBox; }
    TPrintDialog* PrintDialog() const { return FPrintDialog; }

    // Selects a zoom by its stored value ("500" .. "50", "FitWidth", "WholePage").
    void SetZoom(const std::string& Value);
    // Lays the paint box out for the zoom.
    void LayoutPaintBox();
    // Shows page Index (from 0), paginating first when needed.
    void ShowPage(int Index);
    void Paginate();

    void FormShow(TObject* Sender);
    void ZoomChange(TObject* Sender);
    void PageChange(TObject* Sender);
    void PrintClick(TObject* Sender);
    void PaintBoxPaint(TObject* Sender);
    void ScrollBoxResize(TObject* Sender);

protected:
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    // Up and Down scroll the page instead of moving the focus.
    void CMDialogKey(TMessage& Message) override;

private:
    // Sheet size (twips) and the page rectangle on the sheet (twips).
    void Geometry(TPoint& Sheet, TRect& Page);
    TqzCustomRichEdit* FRichEdit = nullptr;
    double FZoom = 1.0;
    bool FWholePage = false;
    std::vector<TqzRichPage> FPages;
    bool FPaginated = false;
    std::unique_ptr<TMetafile> FMetafile;
    TPanel* FToolBar;
    TButton* FPrintButton;
    TqzDBComboBox* FZoomCombo;
    TLabel* FPageLabel;
    TqzDBSpinEdit* FPageEdit;
    TScrollBox* FScrollBox;
    TPaintBox* FPaintBox;
    TPrintDialog* FPrintDialog;
    int FShown = -1;
};
