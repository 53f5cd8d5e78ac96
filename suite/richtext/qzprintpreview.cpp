// The preview form's zoom, page geometry, pagination, page painting and keys.
#include "suite/richtext/qzprintpreview.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/application.h"
#include "platform/ui/drawing.h"
#include "platform/ui/metafile.h"
#include "platform/ui/printers.h"
#include "platform/ui/stdctrls.h"
#include "suite/base/qzdbutils.h"
#include "suite/edit/qzdbcombobox.h"
#include "suite/edit/qzspinedit.h"
#include "suite/richtext/qzrichprint.h"

namespace {

int Round(double V) { return static_cast<int>(std::lround(V)); }

}  // namespace

TqzRtfPreviewForm::TqzRtfPreviewForm(TComponent* AOwner)
    : TForm(AOwner), FMetafile(std::make_unique<TMetafile>()) {
    SetCaption("Print Preview");
    SetWidth(727);
    SetHeight(622);
    Font()->SetName("Tahoma");
    Font()->SetSize(8);
    SetKeyPreview(true);
    SetPosition(poScreenCenter);
    FToolBar = new TPanel(this);
    FToolBar->SetParent(this);
    FToolBar->SetAlign(alTop);
    FToolBar->SetHeight(30);
    FToolBar->SetBevelOuter(bvNone);
    FPrintButton = new TButton(this);
    FPrintButton->SetParent(FToolBar);
    FPrintButton->SetBounds(4, 3, 60, 24);
    FPrintButton->SetCaption("&Print");
    FPrintButton->SetOnClick(TNotifyEvent(this, &TqzRtfPreviewForm::PrintClick));
    FZoomCombo = new TqzDBComboBox(this);
    FZoomCombo->SetParent(FToolBar);
    FZoomCombo->SetBounds(72, 4, 110, 22);
    FZoomCombo->SetStyle(csDropDownList);
    FZoomCombo->SetMapList(true);
    FZoomCombo->SetAllowClearKey(false);
    FZoomCombo->SetDropDownCount(8);
    FZoomCombo->SetOnChange(TNotifyEvent(this, &TqzRtfPreviewForm::ZoomChange));
    FPageLabel = new TLabel(this);
    FPageLabel->SetParent(FToolBar);
    FPageLabel->SetCaption("Page");
    FPageLabel->SetBounds(ClientWidth() - 110, 8, 30, 16);
    FPageLabel->SetAnchors({akTop, akRight});
    FPageEdit = new TqzDBSpinEdit(this);
    FPageEdit->SetParent(FToolBar);
    FPageEdit->SetBounds(ClientWidth() - 74, 4, 64, 22);
    FPageEdit->SetAnchors({akTop, akRight});
    FPageEdit->SetIncrement(1);
    FPageEdit->SetMinValue(1);
    FPageEdit->SetMaxValue(1);
    FPageEdit->SetValue(1);
    FPageEdit->SetOnChange(TNotifyEvent(this, &TqzRtfPreviewForm::PageChange));
    FScrollBox = new TScrollBox(this);
    FScrollBox->SetParent(this);
    FScrollBox->SetAlign(alClient);
    FScrollBox->SetColor(clActiveBorder);
    FScrollBox->HorzScrollBar()->SetIncrement(10);
    FScrollBox->VertScrollBar()->SetIncrement(10);
    FScrollBox->HorzScrollBar()->SetTracking(true);
    FScrollBox->VertScrollBar()->SetTracking(true);
    FScrollBox->SetOnResize(TNotifyEvent(this, &TqzRtfPreviewForm::ScrollBoxResize));
    FPaintBox = new TPaintBox(this);
    FPaintBox->SetParent(FScrollBox);
    FPaintBox->SetColor(clCream);
    FPaintBox->SetOnPaint(TNotifyEvent(this, &TqzRtfPreviewForm::PaintBoxPaint));
    FPrintDialog = new TPrintDialog(this);
    FPrintDialog->SetOptions({poPageNums});
    SetOnShow(TNotifyEvent(this, &TqzRtfPreviewForm::FormShow));
}

TqzRtfPreviewForm::~TqzRtfPreviewForm() {
    FPaintBox->SetOnPaint(nullptr);
    FScrollBox->SetOnResize(nullptr);
}

void TqzRtfPreviewForm::FormShow(TObject*) {
    TStrings* items = FZoomCombo->Items();
    items->Clear();
    for (const char* line : {"500%\t500", "200%\t200", "100%\t100", "75%\t75", "50%\t50",
                             "Fit Width\tFitWidth", "Whole Page\tWholePage"})
        items->Add(line);
    FZoomCombo->SetItemIndex(5);
    SetZoom("FitWidth");
    if (FScrollBox->CanFocus()) FScrollBox->SetFocus();
    if (FRichEdit && !FRichEdit->PrintPreviewCaption().empty()) SetCaption(FRichEdit->PrintPreviewCaption());
}

void TqzRtfPreviewForm::ZoomChange(TObject*) { SetZoom(FZoomCombo->GetValue()); }

void TqzRtfPreviewForm::SetZoom(const std::string& Value) {
    FWholePage = false;
    if (Value == "500")
        FZoom = 5.0;
    else if (Value == "200")
        FZoom = 2.0;
    else if (Value == "100")
        FZoom = 1.0;
    else if (Value == "75")
        FZoom = 0.75;
    else if (Value == "50")
        FZoom = 0.5;
    else if (Value == "FitWidth")
        FZoom = -1.0;
    else if (Value == "WholePage")
        FWholePage = true;
    LayoutPaintBox();
}

void TqzRtfPreviewForm::Geometry(TPoint& Sheet, TRect& Page) {
    TPrinter* p = Printer();
    const int dx = std::max(1, p->XResolution()), dy = std::max(1, p->YResolution());
    const TPoint phys = p->PhysicalPageSize(), off = p->PrintingOffset();
    Sheet = {phys.X * 1440 / dx, phys.Y * 1440 / dy};
    const TRect r = FRichEdit ? FRichEdit->Printing()->PageTwips() : Rect(0, 0, Sheet.X, Sheet.Y);
    const int ox = off.X * 1440 / dx, oy = off.Y * 1440 / dy;
    Page = Rect(r.Left + ox, r.Top + oy, r.Right + ox, r.Bottom + oy);
}

void TqzRtfPreviewForm::LayoutPaintBox() {
    TPrinter* p = Printer();
    const TPoint phys = p->PhysicalPageSize();
    const int pw = std::max(1, phys.X), ph = std::max(1, phys.Y);
    const int ppi = Screen->PixelsPerInch();
    const int m = Round(ppi * 0.1), extra = Round(ppi * 0.15);
    const int sw = FScrollBox->ClientWidth(), sh = FScrollBox->ClientHeight();
    int w = 0, h = 0, hr = 0, vr = 0;
    if (FWholePage) {
        const int w1 = sw - 2 * m, h1 = Round(static_cast<double>(ph) * w1 / pw);
        const int h2 = sh - 2 * m, w2 = Round(static_cast<double>(pw) * h2 / ph);
        if (w2 < w1)
            w = w2, h = h2;
        else
            w = w1, h = h1;
        vr = extra + h + 4;
        hr = m + w;
    } else if (FZoom < 0) {
        w = sw - Round(2.5 * m + GetSystemMetrics(SM_CXHTHUMB) + 1);
        h = Round(static_cast<double>(ph) * w / pw);
        vr = extra + h + 4;
        hr = m + w;
    } else {
        w = Round(static_cast<double>(pw) * ppi / std::max(1, p->XResolution()) * FZoom);
        h = Round(static_cast<double>(ph) * ppi / std::max(1, p->YResolution()) * FZoom);
        hr = w + extra;
        vr = h + extra;
    }
    FScrollBox->HorzScrollBar()->SetPosition(0);
    FScrollBox->VertScrollBar()->SetPosition(0);
    FPaintBox->SetBounds(m, m, std::max(1, w), std::max(1, h));
    FScrollBox->HorzScrollBar()->SetRange(hr);
    FScrollBox->VertScrollBar()->SetRange(vr);
    FPaintBox->Invalidate();
}

void TqzRtfPreviewForm::ScrollBoxResize(TObject*) {
    if (FWholePage || FZoom < 0) LayoutPaintBox();
}

void TqzRtfPreviewForm::Paginate() {
    FPages.clear();
    FPaginated = true;
    if (!FRichEdit) return;
    TqzHourGlass busy;
    TPoint sheet;
    TRect page;
    Geometry(sheet, page);
    const int dpi = TMetafile::RecordingPixelsPerInch();
    TMetafile probe;
    probe.SetWidth(sheet.X * dpi / 1440);
    probe.SetHeight(sheet.Y * dpi / 1440);
    TMetafileCanvas canvas(&probe, dpi);
    TqzRichPrinting* printing = FRichEdit->Printing();
    if (!FRichEdit->Text().empty()) FPages = printing->Paginate(&canvas, dpi, page);
    printing->SetPageCount(static_cast<int>(FPages.size()));
    FPageEdit->SetMaxValue(std::max<int>(1, static_cast<int>(FPages.size())));
}

void TqzRtfPreviewForm::ShowPage(int Index) {
    if (!FPaginated) Paginate();
    if (!FRichEdit) return;
    TPoint sheet;
    TRect page;
    Geometry(sheet, page);
    const int dpi = TMetafile::RecordingPixelsPerInch();
    FMetafile->SetWidth(sheet.X * dpi / 1440);
    FMetafile->SetHeight(sheet.Y * dpi / 1440);
    {
        TMetafileCanvas canvas(FMetafile.get(), dpi);
        canvas.Brush()->SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, FMetafile->Width(), FMetafile->Height()));
        const int first =
            Index >= 0 && Index < PageCount() ? FPages[static_cast<std::size_t>(Index)].First : -1;
        if (first >= 0) FRichEdit->Printing()->DrawPage(&canvas, dpi, first, page);
        FRichEdit->Printing()->DrawHeaderFooter(&canvas, dpi, {FMetafile->Width(), FMetafile->Height()},
                                                {0, 0}, page, Index + 1);
    }
    FShown = Index;
    FScrollBox->Invalidate();
    FPaintBox->Invalidate();
}

void TqzRtfPreviewForm::PageChange(TObject*) {
    const int index = static_cast<int>(std::lround(FPageEdit->Value())) - 1;
    if (index != FShown) ShowPage(index);
}

void TqzRtfPreviewForm::PaintBoxPaint(TObject*) {
    TCanvas* c = FPaintBox->Canvas();
    const TRect r = FPaintBox->ClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(FPaintBox->Color());
    c->FillRect(r);
    c->Brush()->SetColor(clBlack);
    c->FrameRect(Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1));
    if (FMetafile->Empty()) return;
    const TRect in = Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
    const double pageRatio = static_cast<double>(FMetafile->Width()) / FMetafile->Height();
    const int iw = in.Width(), ih = in.Height();
    TRect target = in;
    if (ih > 0 && static_cast<double>(iw) / ih > pageRatio) {
        const int w = Round(ih * pageRatio);
        target = Rect(in.Left + (iw - w) / 2, in.Top, in.Left + (iw - w) / 2 + w, in.Bottom);
    } else {
        const int h = Round(iw / pageRatio);
        target = Rect(in.Left, in.Top, in.Right, in.Top + h);
    }
    c->StretchDraw(target, FMetafile.get());
}

void TqzRtfPreviewForm::KeyDown(uint16_t& Key, TShiftState Shift) {
    TControlScrollBar* v = FScrollBox->VertScrollBar();
    switch (Key) {
    case VK_NEXT:
        FPageEdit->SetValue(FPageEdit->Value() + 1);
        Key = 0;
        break;
    case VK_PRIOR:
        FPageEdit->SetValue(FPageEdit->Value() - 1);
        Key = 0;
        break;
    case VK_UP:
        // up to the very top
        v->SetPosition(std::max(0, v->Position() - v->Increment()));
        Key = 0;
        break;
    case VK_DOWN:
        v->SetPosition(std::min(v->Range(), v->Position() + v->Increment()));
        Key = 0;
        break;
    default: break;
    }
    if (Key != 0) TForm::KeyDown(Key, Shift);
}

void TqzRtfPreviewForm::CMDialogKey(TMessage& Message) {
    if (Message.WParam == VK_UP || Message.WParam == VK_DOWN) {
        auto key = static_cast<uint16_t>(Message.WParam);
        KeyDown(key, {});
        Message.Result = 1;
        return;
    }
    TForm::CMDialogKey(Message);
}

void TqzRtfPreviewForm::PrintClick(TObject*) {
    if (!FRichEdit) return;
    if (!FPaginated) Paginate();
    const int count = std::max(1, PageCount());
    FPrintDialog->SetOptions({poPageNums});
    FPrintDialog->SetPrintRange(prPageNums);
    FPrintDialog->SetMinPage(1);
    FPrintDialog->SetMaxPage(count);
    FPrintDialog->SetFromPage(1);
    FPrintDialog->SetToPage(count);
    if (!FPrintDialog->Execute()) return;
    if (FPrintDialog->PrintRange() == prPageNums)
        FRichEdit->Printing()->SetPageRange(std::max(1, FPrintDialog->FromPage()),
                                            std::min(FPrintDialog->ToPage(), count));
    else
        FRichEdit->Printing()->SetPageRange(0, 0);
    try {
        FRichEdit->Print(FRichEdit->PrintJobName());
    } catch (...) {
        FRichEdit->Printing()->SetPageRange(0, 0);
        throw;
    }
    FRichEdit->Printing()->SetPageRange(0, 0);
}
