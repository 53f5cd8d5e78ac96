// What the rich edit's collaborators ask of their edit beyond its public
// side: printing's whole view of it, and the few steps the frame look and the
// default font take on it. The edit answers through an adapter of its own; a
// test can answer with a stand-in.
#pragma once

#include <string>

#include "platform/ui/geometry.h"

class TCanvas;

// Printing (qzrichprint.h) reaches its edit through this alone.
class TqzRichPrintHost {
public:
    virtual ~TqzRichPrintHost() = default;

    // The text's length in positions.
    virtual int TextLength() = 0;
    // The size of the edit's Font (points).
    virtual int FontSize() = 0;
    // Lays out (and with Render draws) the lines from From that fit whole
    // into TwipsRect; answers the first position that did not fit.
    virtual int FormatRange(TCanvas* Canvas, int Dpi, int From, const TRect& TwipsRect, bool Render) = 0;
    // Draws from From into TwipsRect every line that starts inside it, clipped.
    virtual void DrawRange(TCanvas* Canvas, int Dpi, int From, const TRect& TwipsRect) = 0;
    // A margin in the edit's measurement units as twips, as its unit text reads back.
    virtual int MarginTwips(double Value) = 0;
    virtual int GutterWidth() = 0;
    virtual int ScreenPixelsPerInch() = 0;
    // The lines wrap at the printer's page width.
    virtual bool UsesPrinterWidth() = 0;
    // Gives the printer the edit's paper size.
    virtual void ApplyPaperSize() = 0;
    // The page range of the next print run (0: open at that end).
    virtual int PrintFromPage() = 0;
    virtual int PrintToPage() = 0;
    virtual void SetPrintRange(int From, int To) = 0;
    // The edit's header and footer events for a page.
    virtual void DoPrintHeader(const TRect& Rect, int PageNumber, std::string& LeftText,
                               std::string& CenterText, std::string& RightText, bool& DoDefault) = 0;
    virtual void DoPrintFooter(const TRect& Rect, int PageNumber, std::string& LeftText,
                               std::string& CenterText, std::string& RightText, bool& DoDefault) = 0;
};

// Besides printing's: what the frame look (qzrichframelook.h) and the
// default font (qzrichdeffont.h) ask.
class TqzRichEditHost : public TqzRichPrintHost {
public:
    // The edit is drawn as a grid cell's copy.
    virtual bool IsPaintCopy() = 0;
    // Marks changes of the content as the program's, not the user's.
    virtual void SetLoading(bool Value) = 0;
};
