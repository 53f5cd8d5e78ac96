// Random key sequences typed into an unbound TqzDBEdit on the offscreen
// platform, with a random picture mask, regular expression, data type and
// MaxLength: no crash, no hang, no exception out of a key (it would show a
// message box), and never a text beyond MaxLength.
//
// Input: byte 0 the data type and options, byte 1 MaxLength, byte 2 the
// picture mask's length, byte 3 the expression's length, those texts, then
// one operation per byte (a key, Backspace, Delete, Space, a paste of the
// next bytes, a selection or caret move, a focus change, Escape or Ctrl+Z).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui_fuzz_support.h"
#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/edit/qzdbedit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 4) return 0;
    const uint8_t* p = Data;
    const uint8_t* end = Data + Size;
    const uint8_t options = *p++;
    const int maxLength = *p++ % 32;
    const std::size_t maskLen = *p++ % 16;
    const std::size_t regexLen = *p++ % 16;
    const std::string mask = TakeFuzzText(p, end, maskLen);
    const std::string regex = TakeFuzzText(p, end, regexLen);

    TTestDialogs dialogs;
    TBeepCounter beeps;
    TTestClipboard clipboard;
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 120);
    auto* edit = new TqzDBEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(8, 8, 200, 24);
    auto* other = new TEdit(&form);
    other->SetParent(&form);
    other->SetBounds(8, 60, 100, 24);
    edit->SetUnboundDataType(static_cast<TqzEditDataType>(options % 4));
    edit->SetMaxLength(maxLength);
    edit->Picture()->SetPictureMask(mask);
    edit->Picture()->SetAutoFill((options & 4) != 0);
    edit->Picture()->SetAllowInvalidExit(true);
    if (options & 8) edit->RegexMask()->SetMask(regex);
    edit->RegexMask()->SetAllowInvalidExit(true);
    if (options & 16) edit->SetBorderStyle(bsNone);
    form.Show();
    ActivateForm(&form);
    edit->SetFocus();

    TypeFuzzKeys(edit, other, p, end, [&] {
        FailBeyond(edit->Text(), maxLength, maxLength);
        FailOnMessage(dialogs);
    });
    return 0;
}
