// Random key sequences typed into a combo box with an edit part on the
// offscreen platform, with a random style, MaxLength and character case: no
// crash, no hang, no exception out of a key (it would show a message box),
// and never a text beyond MaxLength (or the longest item, which is chosen
// whole).
//
// Input: byte 0 the style and character case, byte 1 MaxLength, then one
// operation per byte (a key, Backspace, Delete, a paste of the next bytes,
// a cut, a selection or caret move, a focus change, Ctrl+Z, an item chosen
// by key or by the program, the text set, a new window).
#include <algorithm>
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 2) return 0;
    const uint8_t* p = Data;
    const uint8_t* end = Data + Size;
    const uint8_t options = *p++;
    const int maxLength = *p++ % 16;

    TTestDialogs dialogs;
    TBeepCounter beeps;
    TTestClipboard clipboard;
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 120);
    auto* combo = new TComboBox(&form);
    combo->SetParent(&form);
    combo->SetBounds(8, 8, 200, 24);
    combo->SetStyle((options & 1) ? csSimple : csDropDown);
    combo->SetCharCase(static_cast<TEditCharCase>(options / 2 % 3));
    combo->SetMaxLength(maxLength);
    combo->Items()->SetCommaText("Gamma,Delta");
    auto* other = new TEdit(&form);
    other->SetParent(&form);
    other->SetBounds(8, 60, 100, 24);
    form.Show();
    ActivateForm(&form);
    combo->SetFocus();

    int ops = 0;
    while (p < end && ops++ < 96) {
        const uint8_t op = *p++;
        switch (op % 16) {
        case 0: SendKey(combo, VK_BACK); break;
        case 1: SendKey(combo, VK_DELETE); break;
        case 2: SendKey(combo, (op & 0x10) ? VK_DOWN : VK_UP); break;
        case 3: {
            const std::size_t n = p < end ? *p++ % 12 : 0;
            Clipboard()->SetAsText(TakeFuzzText(p, end, n));
            if (op & 0x10)
                SendKey(combo, VK_INSERT, {ssShift});
            else
                SendKey(combo, 'V', {ssCtrl});
            break;
        }
        case 4: combo->SelectAll(); break;
        case 5: SendKey(combo, (op & 0x10) ? VK_HOME : VK_END); break;
        case 6: SendKey(combo, VK_LEFT, (op & 0x10) ? TShiftState{ssShift} : TShiftState{}); break;
        case 7: SendKey(combo, 'X', {ssCtrl}); break;
        case 8:
            other->SetFocus();
            combo->SetFocus();
            break;
        case 9: SendKey(combo, 'Z', {ssCtrl}); break;
        case 10:
            if (op & 0x10)
                combo->SetItemIndex(op / 32 % 3 - 1);
            else
                combo->SetText("");
            break;
        case 11:
            combo->SetStyle(combo->Style() == csDropDown ? csSimple : csDropDown);
            combo->SetFocus();
            break;
        default: {
            // A printable character: ASCII, or a two-byte letter.
            std::string ch(1, static_cast<char>(32 + (op / 16) * 4 + (op % 16) - 12));
            if (op >= 0xF0) ch = "\xC3\xA9";
            SendText(combo, ch);
            break;
        }
        }
        FailBeyond(combo->Text(), maxLength, std::max(maxLength, 5));
        FailOnMessage(dialogs);
    }
    return 0;
}
