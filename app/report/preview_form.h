// The print preview: a laid-out report page by page on a white sheet scaled
// from the printer's page, with page buttons, a page-number edit, zoom and
// scrolling. Print closes it with mrOk.
#pragma once

#include "app/report/norv_report.h"
#include "platform/ui/forms.h"
#include "platform/ui/geometry.h"

class TBitBtn;
class TImage;
class TLabel;
class TMaskEdit;
class TPaintBox;
class TPanel;
class TScrollBox;

class TfrmPrnPrev : public TForm {
    TASKMOOR_CLASS(TfrmPrnPrev, TForm)
public:
    // Report: laid out for LinesPerPage lines per page on the printer chosen
    // now (its canvas font set for the report).
    TfrmPrnPrev(TComponent* AOwner, TNorvReport* Report, int LinesPerPage);

    TScrollBox* ScrollBox1;
    TPaintBox* pbPage;
    TImage* imgBackground;
    TPanel* pnlBottom;
    TPanel* pnlButtons;
    TBitBtn* bbnFirst;
    TBitBtn* bbnPrev;
    TMaskEdit* medPageNo;
    TLabel* lblTotPages;
    TBitBtn* bbnNext;
    TBitBtn* bbnLast;
    TBitBtn* bbnZoomIn;
    TBitBtn* bbnZoomOut;
    TBitBtn* bbnPrint;
    TBitBtn* bbnCancel;
    TBitBtn* bbnHelp;

    void FormCreate(TObject* Sender);
    void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void pbPagePaint(TObject* Sender);
    void pnlBottomResize(TObject* Sender);
    void bbnFirstClick(TObject* Sender);
    void bbnPrevClick(TObject* Sender);
    void bbnNextClick(TObject* Sender);
    void bbnLastClick(TObject* Sender);
    void bbnZoomInClick(TObject* Sender);
    void bbnZoomOutClick(TObject* Sender);
    void bbnHelpClick(TObject* Sender);
    void medPageNoExit(TObject* Sender);
    void medPageNoKeyPress(TObject* Sender, char32_t& Key);

    // Shows page N when it exists; otherwise the edit shows the current page again.
    void GotoPage(int N);
    // Sizes the sheet from the printer's page and the paint box's font.
    void Layout();

    int PageNo() const { return FPageNo; }
    int PageCount() const { return FPageCount; }
    int LinesPerPage() const { return FLinesPerPage; }
    // The sheet's drawn size and the text's offsets on the paint box.
    int DrawWidth() const { return FDrawWidth; }
    int DrawHeight() const { return FDrawHeight; }
    int TextLeft() const { return FScreenOffset.X; }
    int TextTop() const { return FScreenOffset.Y; }
    int ScreenCharHeight() const { return FScreenCharHeight; }

private:
    // Steps of the constructor: the bottom panel's row of buttons, the
    // scrolling sheet, the printer's page and character sizes.
    void BuildButtonBar();
    void BuildSheet();
    void ReadPrinterGeometry();
    void Zoom(int Step);
    void PageEditDone();

    TNorvReport* FReport;
    int FLinesPerPage;
    int FPageNo = 0;
    int FPageCount = 0;
    TPoint FPhysicalSize;
    TPoint FPrintingOffset;
    int FPrinterCharWidth = 1;
    int FPrinterCharHeight = 1;
    int FPrinterCharsPerLine = 0;
    int FScreenCharWidth = 0;
    int FScreenCharHeight = 0;
    TPoint FScreenPageSize;
    TPoint FScreenOffset;
    int FDrawWidth = 0;
    int FDrawHeight = 0;
};
