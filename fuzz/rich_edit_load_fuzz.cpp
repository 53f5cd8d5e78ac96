// Any bytes loaded as RTF into a shown rich edit on the offscreen platform:
// the whole content, then the same bytes in place of a selection, and the
// content read back out. scripts/fuzz.sh gives each input a short time limit
// (fuzz/rich_edit_load.options), so a load that grows with the square of the
// input's runs is reported as a timeout.
#include <cstddef>
#include <cstdint>
#include <string>

#include "gui_fuzz_support.h"
#include "platform/ui/forms.h"
#include "platform/ui/richedit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TForm* form = [] {
        TForm* f = CreateForm<TForm>(Application);
        f->SetBounds(0, 0, 400, 300);
        f->Show();
        return f;
    }();
    static TRichEdit* edit = [] {
        auto* r = new TRichEdit(form);
        r->SetParent(form);
        r->SetBounds(4, 4, 380, 280);
        return r;
    }();
    const std::string in(reinterpret_cast<const char*>(data), size);
    if (edit->StreamIn(in, true, false)) {
        (void)edit->StreamOut(true, false);
        edit->SetSelStart(1);
        edit->SetSelLength(3);
        (void)edit->StreamIn(in, true, true);
    }
    Application->ProcessMessages();
    return 0;
}
