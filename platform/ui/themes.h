// Visual themes of the windowing system.
//
// Themes are off by default: the controls draw the classic look, which is
// what the windowing layer paints. Turning them on (a setting, or a test)
// makes ThemeServicesEnabled answer true, and themed elements are then
// drawn by the toolkit's style.
#pragma once

#include "platform/ui/geometry.h"

class TCanvas;

bool ThemeServicesEnabled();
void SetThemeServicesEnabled(bool Value);

enum TThemedButtonState { tbsNormal, tbsHot, tbsPressed, tbsDisabled };

// Draws the themed push-button element filling Rect; nothing for an empty
// rectangle or a canvas that cannot draw.
void DrawThemedPushButton(TCanvas* Canvas, const TRect& Rect, TThemedButtonState State);
// The themed tool-button element (a flat button): as the push button; the
// normal state of an auto-raised tool button may draw nothing.
void DrawThemedToolButton(TCanvas* Canvas, const TRect& Rect, TThemedButtonState State);
