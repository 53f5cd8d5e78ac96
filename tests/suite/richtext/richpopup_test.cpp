// The rich edit's built-in popup menu: entries, separators, checks and
// the commands it runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/clipboard.h"
#include "platform/ui/find_dialogs.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "suite/richtext/qzriched.h"
#include "suite/richtext/qzrichpopup.h"
#include "suite/richtext/qzrichsearch.h"
#include "support/environment.h"
#include "support/suite/richtext/richedit_fixture.h"

namespace {

// ---- Popup menu -------------------------------------------------------------------------------

class RichPopup : public richtext_test::RichEditFixture {
protected:
    TTestMenus menus;
    TTestClipboard clipboard;
    std::vector<std::string> Open(const std::string& answer = "") {
        menus.Answer(answer);
        r->RichPopup()->Menu()->Popup(20, 20);
        return menus.Opened().back();
    }
};

TEST_F(RichPopup, DefaultEntriesAndSeparators) {
    Set("some text");
    // the object entry is not built here (no embedded objects)
    EXPECT_EQ(Open(),
              (std::vector<std::string>{"&Edit", "-", "Cu&t", "&Copy", "&Paste", "-", "&Font",
                                        "&Bullet Style", "&Paragraph", "&Tabs", "-", "&Find", "R&eplace"}));
    r->SetPopupOptions(0xFFFF);
    EXPECT_EQ(Open(), (std::vector<std::string>{"&Edit", "-", "Cu&t", "&Copy", "&Paste", "-", "&Bold",
                                                "&Italic", "&Underline", "-", "&Font", "&Bullet Style",
                                                "&Paragraph", "&Tabs", "-", "&Find", "R&eplace"}));
}

TEST_F(RichPopup, ReadOnlyKeepsOnlyClipboardAndFind) {
    Set("some text");
    r->SetPopupOptions(0xFFFF);
    r->SetReadOnly(true);
    // the separator after Paste stands before Find, an option from Bold on
    EXPECT_EQ(Open(), (std::vector<std::string>{"&View", "-", "Cu&t", "&Copy", "&Paste", "-", "&Find"}));
    EXPECT_EQ(r->RichPopup()->Entry(1)->Caption(), "&View");
}

TEST_F(RichPopup, EnabledAndCheckedFollowTheSelection) {
    Set("some text");
    r->SetPopupOptions(0xFFFF);
    r->SetSelStart(0);
    r->SetSelLength(0);
    Open();
    EXPECT_FALSE(r->RichPopup()->Entry(3)->Enabled());  // nothing selected
    EXPECT_FALSE(r->RichPopup()->Entry(4)->Enabled());
    EXPECT_FALSE(r->RichPopup()->Entry(5)->Enabled());  // empty clipboard
    r->SetSelLength(4);
    Open("Bold");  // chosen: toggles bold
    EXPECT_TRUE(r->SelAttributes().Bold);
    ClipboardService().SetData({{CF_TEXT, "x"}});
    Open();
    EXPECT_TRUE(r->RichPopup()->Entry(7)->Checked());
    EXPECT_TRUE(r->RichPopup()->Entry(3)->Enabled());
    EXPECT_TRUE(r->RichPopup()->Entry(5)->Enabled());  // text on the clipboard
    r->SetReadOnly(true);
    Open();
    EXPECT_FALSE(r->RichPopup()->Entry(3)->Enabled());
    EXPECT_FALSE(r->RichPopup()->Entry(5)->Enabled());
    EXPECT_TRUE(r->RichPopup()->Entry(4)->Enabled());
    r->SetReadOnly(false);
    Open("Bullet Style");
    EXPECT_TRUE(r->Paragraph().Bullet);
    Open("Find");
    EXPECT_TRUE(r->Search()->FindDialog()->Showing());
    EXPECT_EQ(r->Search()->FindDialog()->FindEdit()->Text(), "some");
    r->Search()->FindDialog()->CloseDialog();
}

TEST_F(RichPopup, RendersToPng) {
    Set("some text");
    r->SelectAll();
    r->ShowReplaceDialog();
    EXPECT_TRUE(RenderControlToPng(r->Search()->ReplaceDialog()->Form(), TestRunPath("replace_dialog.png")));
    r->Search()->ReplaceDialog()->CloseDialog();
}

}  // namespace
