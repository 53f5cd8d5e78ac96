// Shared set-up of the fuzz targets that drive controls on the offscreen platform.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"

// The windowing system's font and toolkit libraries keep caches to the end.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6\nleak:libglib\nleak:libdbus\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ChooseOffscreenPlatform();
    InitializeApplication(*argc, *argv);
    Application->Initialize();
    return 0;
}

// A message box shown by what a key did is a finding.
inline void FailOnMessage(const TTestDialogs& Dialogs) {
    if (Dialogs.Count() == 0) return;
    std::fprintf(stderr, "a key raised: %s\n", Dialogs.Last().Text.c_str());
    std::abort();
}

// So is a text beyond Most bytes (the control's MaxLength, or more).
inline void FailBeyond(const std::string& Text, int MaxLength, int Most) {
    if (MaxLength <= 0 || static_cast<int>(Text.size()) <= Most) return;
    std::fprintf(stderr, "text of %zu bytes beyond MaxLength %d\n", Text.size(), MaxLength);
    std::abort();
}

// Up to N bytes of the input as text; P moves past them.
inline std::string TakeFuzzText(const uint8_t*& P, const uint8_t* End, std::size_t N) {
    std::string s;
    while (N-- > 0 && P < End) s += static_cast<char>(*P++);
    return s;
}

// Up to 96 operations typed into Edit, one per byte: a key, Backspace,
// Delete, Space, a paste of the next bytes, a selection or caret move, a
// focus change to Other and back, Escape or Ctrl+Z. Check runs after each.
inline void TypeFuzzKeys(TCustomEdit* Edit, TWinControl* Other, const uint8_t*& P, const uint8_t* End,
                         const std::function<void()>& Check) {
    int ops = 0;
    while (P < End && ops++ < 96) {
        const uint8_t op = *P++;
        switch (op % 16) {
        case 0: SendKey(Edit, VK_BACK); break;
        case 1: SendKey(Edit, VK_DELETE); break;
        case 2: SendKey(Edit, VK_SPACE); break;
        case 3: {
            const std::size_t n = P < End ? *P++ % 12 : 0;
            Clipboard()->SetAsText(TakeFuzzText(P, End, n));
            SendKey(Edit, 'V', {ssCtrl});
            break;
        }
        case 4: Edit->SelectAll(); break;
        case 5: SendKey(Edit, VK_HOME); break;
        case 6: SendKey(Edit, VK_LEFT); break;
        case 7: SendKey(Edit, 'X', {ssCtrl}); break;
        case 8:
            Other->SetFocus();
            Edit->SetFocus();
            break;
        case 9:
            if (op & 0x10)
                SendKey(Edit, 'Z', {ssCtrl});
            else
                SendKey(Edit, VK_ESCAPE);
            break;
        default: {
            // A printable character: ASCII, or a two-byte letter.
            std::string ch(1, static_cast<char>(32 + (op / 16) * 6 + (op % 16) - 10));
            if (op >= 0xF0) ch = "\xC3\xA9";
            SendText(Edit, ch);
            break;
        }
        }
        Check();
    }
}
