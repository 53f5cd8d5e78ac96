// Pixel operations on bitmaps used to draw disabled button images.
//
//   BitmapColorMask  a two-colour mask of the pixels of one colour.
//   PaintThroughMask paints a colour where a mask is black.
//   EmbossBitmap     the classic engraved look: the shape of a picture (its
//                    pixels that are neither the background nor white) drawn
//                    in a highlight colour offset by (1, 1) and in a shadow
//                    colour in place, on a face colour.
#pragma once

#include "platform/ui/bitmaps.h"

// Mask gets Source's size: black where Source has Color, white elsewhere.
void BitmapColorMask(TBitmap* Source, TColor Color, TBitmap* Mask);
// Paints Color on Dest at (X, Y) + each black pixel of Mask; pixels outside
// Dest are left out.
void PaintThroughMask(TBitmap* Dest, TBitmap* Mask, TColor Color, int X = 0, int Y = 0);
// Dest gets Source's size, filled with Face, with the shape of Source (every
// pixel that is neither Background nor white) drawn in Highlight at (1, 1)
// and then in Shadow at (0, 0).
void EmbossBitmap(TBitmap* Source, TColor Background, TBitmap* Dest, TColor Face, TColor Highlight,
                  TColor Shadow);
