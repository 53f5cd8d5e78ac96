// Keys typed into unbound date-time pickers of each kind on the offscreen
// platform, with random limits, epoch, display format and start value:
// digits, letters, separators, the stepping and moving keys, the calendar's
// keys, clicks on the text and the button, text set by program. No crash,
// no over-read, no hang, no exception out of a key (it would show a
// message box), and a value the keys change stays within the limits.
//
// Input: byte 0 the kind and options, bytes 1 and 2 the limits (days from
// a base day, 0: none), byte 3 the epoch, byte 4 the start value, byte 5
// the display format's length, the format, then one operation per byte.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui_fuzz_support.h"
#include "platform/core/clock.h"
#include "platform/core/datetime.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/edit/qzdatetimepicker.h"

namespace {

const uint16_t kKeys[] = {VK_UP,    VK_DOWN,     VK_LEFT,   VK_RIGHT,   VK_HOME,   VK_END,
                          VK_SPACE, VK_BACK,     VK_DELETE, VK_F4,      VK_ESCAPE, VK_RETURN,
                          VK_ADD,   VK_SUBTRACT, VK_DIVIDE, VK_NUMPAD7, VK_PRIOR,  VK_NEXT,
                          VK_TAB,   0xBB,        0xBD,      0xBF,       'A',       'P'};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 6) return 0;
    const uint8_t* p = Data;
    const uint8_t* end = Data + Size;
    const uint8_t options = *p++;
    const int lo = static_cast<int8_t>(*p++);
    const int hi = static_cast<int8_t>(*p++);
    const int epoch = (options & 64) ? 1900 + *p * 2 : 0;
    ++p;
    const int start = static_cast<int8_t>(*p++);
    const std::size_t formatLen = *p++ % 24;
    const std::string format = TakeFuzzText(p, end, formatLen);

    SetClockForTesting(EncodeDate(2026, 3, 9) + EncodeTime(14, 5, 7, 0));
    const TDateTime base = EncodeDate(2026, 3, 9);
    TTestDialogs dialogs;
    TBeepCounter beeps;
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 260);
    auto* picker = new TqzDBDateTimePicker(&form);
    picker->SetParent(&form);
    picker->SetBounds(8, 8, 220, 24);
    picker->SetUnboundDataType(static_cast<TqzDTEditDataType>(options % 3));
    picker->SetDateFormat((options & 4) ? dfLong : dfShort);
    if (options & 8) picker->SetDisplayFormat(format);
    picker->SetAutoFillDateAndTime((options & 16) != 0);
    picker->SetEpoch(epoch);
    // Limits as whole days or with a time of day; a pair the wrong way
    // round raises and is left out.
    const TDateTime frac = (options & 32) ? 0.75 : 0;
    try {
        if (hi) picker->SetMaxDate(base + hi * 3 + frac);
        if (lo) picker->SetMinDate(base + lo * 3 + frac);
    } catch (const Exception&) {}
    if (start) {
        try {
            picker->SetValue(base + start * 5 + (options & 128 ? 0.5 : 0));
        } catch (const Exception&) {}
    }
    form.Show();
    ActivateForm(&form);
    picker->SetFocus();

    const bool dateKind = picker->Kind() != TqzDTKind::Time;
    int ops = 0;
    while (p < end && ops++ < 64) {
        const TDateTime before = picker->Value();
        const uint8_t op = *p++;
        switch (op % 8) {
        case 0:
        case 1: SendKey(picker, kKeys[(op / 8) % (sizeof kKeys / sizeof kKeys[0])]); break;
        case 2: SendText(picker, std::string(1, static_cast<char>('0' + op / 8 % 10))); break;
        case 3: SendText(picker, std::string(1, static_cast<char>(32 + op % 95))); break;
        case 4: SendKey(picker, (op & 8) ? VK_UP : VK_DOWN, {ssAlt}); break;
        case 5: SendClick(picker, op / 8 * 8, 10); break;
        case 6:
            if (picker->Button()) SendClick(picker->Button(), 3, 3);
            break;
        default: {
            const std::size_t n = p < end ? *p++ % 20 : 0;
            try {
                picker->SetText(TakeFuzzText(p, end, n));
            } catch (const Exception&) {}
            break;
        }
        }
        ProcessEvents();
        FailOnMessage(dialogs);
        const TDateTime v = picker->Value();
        if (!std::isfinite(v)) {
            std::fprintf(stderr, "the value is not a number\n");
            std::abort();
        }
        if (dateKind && v != before && v != 0 &&
            (std::trunc(v) < picker->EffectiveMin() || std::trunc(v) > picker->EffectiveMax())) {
            std::fprintf(stderr, "the value %f left the limits %f..%f\n", v, picker->EffectiveMin(),
                         picker->EffectiveMax());
            std::abort();
        }
        if (!picker->Focused() && form.Visible()) picker->SetFocus();
    }
    return 0;
}
