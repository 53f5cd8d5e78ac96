// A large document in the suite's rich edit as its text is laid out in
// steps: Ctrl+End brings the view to the caret's line, and a letter typed
// there goes in there.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzdbrichedit.h"

namespace {

// Plain lines of 40 bytes, Bytes in all.
std::string Lines(std::size_t Bytes) {
    std::string s;
    char line[48];
    for (std::size_t n = 0; s.size() < Bytes; ++n) {
        std::snprintf(line, sizeof line, "Line %08zu of the plain text, words\r\n", n);
        s += line;
    }
    return s;
}

class RichLayoutSteps : public ::testing::Test {
protected:
    TForm* form = CreateForm<TForm>(Application);
    TqzDBRichEdit* r = nullptr;

    void SetUp() override {
        form->SetBounds(20, 20, 740, 540);
        r = new TqzDBRichEdit(form);
        r->SetParent(form);
        r->SetBounds(8, 8, 700, 500);
        form->Show();
        ActivateForm(form);
        r->SetFocus();
    }
    ~RichLayoutSteps() override {
        Screen->SetCursor(crDefault);
        delete form;
    }
    // The caret's line lies in the view.
    bool CaretShows() {
        const int y = r->PosFromChar(r->SelStart()).Y;
        return y >= 0 && y + 10 <= r->ClientHeight();
    }
};

TEST_F(RichLayoutSteps, CtrlEndShowsTheLastLineAndALetterTypedThere) {
    ASSERT_TRUE(r->StreamIn(Lines(512 << 10), false, false));
    // the key the moment the layout's last step laid the last paragraph out,
    // while the scroll bar's range is that of the first steps
    ASSERT_TRUE(WaitUntil([&] { return r->LaidOut(); }, 600000));
    const int end = static_cast<int>(r->Text().size());
    PostKey(r, VK_END, TShiftState{ssCtrl});
    ASSERT_TRUE(WaitUntil([&] { return r->SelStart() == end; }, 600000));
    EXPECT_TRUE(CaretShows());
    // and after the layout's next reports
    ASSERT_TRUE(EventLoopRests());
    EXPECT_TRUE(CaretShows());
    PostKey(r, 'Z', TShiftState{ssShift});
    ASSERT_TRUE(WaitUntil([&] { return r->SelStart() == end + 1; }, 600000));
    EXPECT_EQ(r->Text().substr(static_cast<std::size_t>(end)), "Z");
    EXPECT_TRUE(CaretShows());
}

}  // namespace
