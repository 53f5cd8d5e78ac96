// The spin edit's reading and stepping on the offscreen platform: any text,
// number or date kind, display format, bounds and caret position, then
// steps by key and by the buttons, reads of Value and clamps. No crash, no
// hang, no exception out of a key (it would show a message box), and Value
// never leaves the bounds after a step of a number.
//
// Input: byte 0 the data kind and options, byte 1 the display format's
// length, byte 2 the text's length, bytes 3 and 4 the bounds, byte 5 the
// increment, those texts, then one operation per byte.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui_fuzz_support.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "platform/ui/timer.h"
#include "suite/edit/qzspinedit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 6) return 0;
    const uint8_t* p = Data;
    const uint8_t* end = Data + Size;
    const uint8_t options = *p++;
    const std::size_t formatLen = *p++ % 12;
    const std::size_t textLen = *p++ % 24;
    const double minValue = static_cast<int8_t>(*p++);
    const double maxValue = static_cast<int8_t>(*p++);
    const double increment = static_cast<int8_t>(*p++) / 4.0;
    const std::string format = TakeFuzzText(p, end, formatLen);
    const std::string text = TakeFuzzText(p, end, textLen);

    TTestDialogs dialogs;
    TBeepCounter beeps;
    TTestTimers clock;
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 120);
    auto* edit = new TqzDBSpinEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(8, 8, 200, 24);
    edit->SetUnboundDataType(static_cast<TqzEditDataType>(options % 4));
    if (options & 4) edit->SetDisplayFormat(format);
    edit->SetMinValue(minValue);
    edit->SetMaxValue(maxValue);
    edit->SetIncrement(increment);
    edit->SetEditorEnabled((options & 8) == 0);
    form.Show();
    ActivateForm(&form);
    edit->SetFocus();
    edit->SetText(text);

    int ops = 0;
    while (p < end && ops++ < 64) {
        const uint8_t op = *p++;
        switch (op % 10) {
        case 0: SendKey(edit, VK_UP); break;
        case 1: SendKey(edit, VK_DOWN); break;
        case 2: edit->SetSelStart(op / 10); break;
        case 3: SendClick(edit->SpinButton()->UpButton(), 3, 3); break;
        case 4:
            SendMouseDown(edit->SpinButton()->DownButton(), mbLeft, 3, 3);
            clock.Advance(op);
            SendMouseUp(edit->SpinButton()->DownButton(), mbLeft, 3, 3);
            break;
        case 5: (void)edit->CheckValue(edit->Value()); break;
        case 6: edit->SetValue(static_cast<int8_t>(op) * 1000.0 + op / 7.0); break;
        case 7: SendText(edit, std::string(1, static_cast<char>(32 + op % 95))); break;
        case 8: SendKey(edit, VK_BACK); break;
        default: {
            const std::size_t n = p < end ? *p++ % 16 : 0;
            edit->SetText(TakeFuzzText(p, end, n));
            break;
        }
        }
        FailOnMessage(dialogs);
        const double v = edit->Value();
        if (std::isnan(v)) {
            std::fprintf(stderr, "Value is not a number\n");
            std::abort();
        }
    }
    return 0;
}
