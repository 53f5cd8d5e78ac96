// The rich edit's Font as the text's default attributes: when the Font
// changes, what differs from the Font before goes to the text still in that
// former default and to what is typed next. Without a window the change
// waits for the window's creation.
#pragma once

#include "platform/core/rtf.h"

class TqzCustomRichEdit;
class TqzRichEditHost;

class TqzRichDefaultFont {
public:
    // Host: the edit's side for its collaborators (qzrichhost.h).
    TqzRichDefaultFont(TqzCustomRichEdit* RichEdit, TqzRichEditHost* Host);
    TqzRichDefaultFont(const TqzRichDefaultFont&) = delete;
    TqzRichDefaultFont& operator=(const TqzRichDefaultFont&) = delete;

    // The edit's Font changed.
    void FontChanged();
    // The edit's window was created: applies what waited for it.
    void WindowCreated();

private:
    void Apply(const TRtfCharFormat& Old, unsigned Mask);

    TqzCustomRichEdit* FRichEdit;
    TqzRichEditHost* FHost;
    TRtfCharFormat FDefAttributes;  // the Font as the text's default, last applied
    unsigned FDefPending = 0;       // attributes of it not applied for want of a window
    int FPlainSize = 0;             // the size text without formats gets (half-points)
};
