// Random key sequences typed into the platform's masked edit on the
// offscreen platform, with a random edit mask and MaxLength: no crash, no
// hang; the edit text always keeps the mask's shape, and the only message a
// key may bring is the mask's own when the focus leaves an incomplete text.
//
// Input: byte 0 MaxLength, byte 1 the mask's length, the mask, then the
// operations of TypeFuzzKeys (gui_fuzz_support.h).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui_fuzz_support.h"
#include "platform/core/text.h"
#include "platform/ui/forms.h"
#include "platform/ui/mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 2) return 0;
    const uint8_t* p = Data;
    const uint8_t* end = Data + Size;
    const int maxLength = *p++ % 24;
    const std::size_t maskLen = *p++ % 24;
    const std::string mask = TakeFuzzText(p, end, maskLen);

    TTestDialogs dialogs;
    TTestClipboard clipboard;
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 120);
    auto* edit = new TMaskEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(8, 8, 200, 24);
    auto* other = new TEdit(&form);
    other->SetParent(&form);
    other->SetBounds(8, 60, 100, 24);
    edit->SetMaxLength(maxLength);
    edit->SetEditMask(mask);
    form.Show();
    ActivateForm(&form);
    edit->SetFocus();

    const int length = TEditMask(mask).Length();
    TypeFuzzKeys(edit, other, p, end, [&] {
        if (edit->IsMasked() && static_cast<int>(Utf8Length(edit->EditText())) != length) {
            std::fprintf(stderr, "edit text \"%s\" out of the mask's shape\n", edit->EditText().c_str());
            std::abort();
        }
        if (dialogs.Count() > 0 && dialogs.Last().Text.rfind(SMaskEditErr, 0) != 0) {
            std::fprintf(stderr, "a key raised: %s\n", dialogs.Last().Text.c_str());
            std::abort();
        }
    });
    return 0;
}
