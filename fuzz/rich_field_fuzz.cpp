// Rich text from outside a rich edit: a memo field's stored bytes shown by
// the data-aware rich edit (whole, with a load limit, or as a preview of
// its first chunks), the clipboard's rich text and text pasted over a
// selection, and a drop of both from another program, into a control with
// or without MaxLength. Each is taken or refused; nothing crashes, and
// nothing goes past MaxLength. A search in what was taken finds or not.
//
// Input: byte 0 the options, byte 1 the limit, byte 2 MaxLength, then the
// bytes (the field's value, the clipboard's and the drop's).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/ostra_table.h"
#include "gui_fuzz_support.h"
#include "platform/core/exceptions.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/db/fields.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/forms.h"
#include "platform/ui/messages.h"
#include "platform/ui/richedit.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzdbrichedit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 3) return 0;
    const uint8_t options = Data[0];
    const int limit = Data[1];
    const int maxLength = Data[2] % 64;
    const std::string bytes(reinterpret_cast<const char*>(Data) + 3, Size - 3);

    TTestDialogs dialogs;
    TTestClipboard clipboard;
    TForm form(nullptr);
    form.SetBounds(0, 0, 320, 200);
    TOstraTable table(nullptr);
    table.FieldDefs()->Add("Note", (options & 8) ? ftFmtMemo : ftMemo);
    table.Open();
    table.AppendRecord({Variant(bytes)});
    TDataSource source(nullptr);
    source.SetDataSet(&table);
    auto* edit = new TqzDBRichEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(4, 4, 300, 150);
    edit->SetPlainText((options & 1) != 0);
    if (options & 2) edit->SetLoadLimit(static_cast<std::size_t>(limit) * 16 + 1);
    form.Show();
    try {
        edit->SetDataSource(&source);
        edit->SetDataField("Note");
        if (options & 4) edit->LoadBlobPreview(table.Fields()->Fields(0), limit + 1);
    } catch (const Exception&) {
        // refused with a message
    }
    ProcessEvents();
    edit->SetLoadLimit(0);
    edit->SetMaxLength(maxLength);
    const auto before = [&] { return edit->Text().size(); };
    const std::size_t had = before();

    // A paste over a selection, then a drop from another program.
    ClipboardService().SetData({{CF_RTF(), bytes}, {CF_TEXT, bytes}});
    edit->SetSelStart(1);
    edit->SetSelLength(2);
    edit->Perform(WM_PASTE, 0, 0);
    if (maxLength > 0 && before() > std::max<std::size_t>(had, static_cast<std::size_t>(maxLength)))
        std::abort();
    const std::size_t pasted = before();
    try {
        SendTextDrop(edit, 10, 10, (options & 16) ? TShiftState{ssCtrl} : TShiftState{}, nullptr, bytes,
                     bytes);
    } catch (const Exception&) {}
    if (maxLength > 0 && before() > std::max<std::size_t>(pasted, static_cast<std::size_t>(maxLength)))
        std::abort();
    // A search for the start of the bytes, as typed into the find dialog.
    const std::string what = bytes.substr(0, Data[1] % 12);
    TqzSearchTypes how;
    if (options & 32) how = how + stWholeWord;
    if (options & 64) how = how + stMatchCase;
    const int length = static_cast<int>(edit->Text().size());
    (void)edit->FindText(what, 0, -1, how);
    (void)edit->FindTextBackward(what, length, length, how);
    (void)edit->FindText(what, length / 2, (options & 128) ? -1 : length, how);
    (void)edit->StreamOut(true, false);
    if (table.State() != dsBrowse) table.Cancel();
    edit->SetDataSource(nullptr);
    return 0;
}
