// The pictures of the to-do program's tool buttons: 16 x 16 bitmaps drawn
// in code, on a background colour that the buttons show as transparent.
#pragma once

class TBitmap;
class TSpeedButton;

enum TToDoGlyph {
    tgUndo,
    tgAdd,
    tgDelete,
    tgPrint,
    tgSave,
    tgMoveToBasket,
    tgFilter,
    tgRemoveFilter,
    tgArchive,
    tgExit,
    tgHelp,
};

// Draws the picture into Bitmap (resized to 16 x 16).
void DrawToDoGlyph(TBitmap* Bitmap, TToDoGlyph Glyph);
// Gives Button the picture.
void SetToDoGlyph(TSpeedButton* Button, TToDoGlyph Glyph);
