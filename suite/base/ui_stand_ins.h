// Stand-ins for pieces of the windowing layer (colours, font styles, the
// beep) that the suite's base needs before platform/ui provides them. When
// the windowing layer declares them, these give way to it.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/core/enums.h"

#ifndef TASKMOOR_UI_GRAPHICS_TYPES
#define TASKMOOR_UI_GRAPHICS_TYPES
// A colour as the platform stores it: 0x00BBGGRR, or a system colour.
using TColor = int32_t;
constexpr TColor clNone = 0x1FFFFFFF;

TASKMOOR_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;
#endif

// The platform's beep (MessageBeep(0)). Routed through a replaceable hook so
// the application can sound it and tests can count it; silent until set.
void qzMessageBeep();
// Installs the beep; an empty function makes beeps silent again.
void qzSetMessageBeepHook(std::function<void()> hook);
