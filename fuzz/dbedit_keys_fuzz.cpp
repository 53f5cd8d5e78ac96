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

    int ops = 0;
    while (p < end && ops++ < 96) {
        const uint8_t op = *p++;
        switch (op % 16) {
        case 0: SendKey(edit, VK_BACK); break;
        case 1: SendKey(edit, VK_DELETE); break;
        case 2: SendKey(edit, VK_SPACE); break;
        case 3: {
            const std::size_t n = p < end ? *p++ % 12 : 0;
            Clipboard()->SetAsText(TakeFuzzText(p, end, n));
            SendKey(edit, 'V', {ssCtrl});
            break;
        }
        case 4: edit->SelectAll(); break;
        case 5: SendKey(edit, VK_HOME); break;
        case 6: SendKey(edit, VK_LEFT); break;
        case 7: SendKey(edit, 'X', {ssCtrl}); break;
        case 8:
            other->SetFocus();
            edit->SetFocus();
            break;
        case 9:
            if (op & 0x10)
                SendKey(edit, 'Z', {ssCtrl});
            else
                SendKey(edit, VK_ESCAPE);
            break;
        default: {
            // A printable character: ASCII, or a two-byte letter.
            std::string ch(1, static_cast<char>(32 + (op / 16) * 6 + (op % 16) - 10));
            if (op >= 0xF0) ch = "\xC3\xA9";
            SendText(edit, ch);
            break;
        }
        }
        const std::string text = edit->Text();
        if (maxLength > 0 && static_cast<int>(text.size()) > maxLength) {
            std::fprintf(stderr, "text of %zu bytes beyond MaxLength %d\n", text.size(), maxLength);
            std::abort();
        }
        if (dialogs.Count() > 0) {
            std::fprintf(stderr, "a key raised: %s\n", dialogs.Last().Text.c_str());
            std::abort();
        }
    }
    return 0;
}
