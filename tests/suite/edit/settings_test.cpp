// The edit's settings at work: a dialog's Escape, edit masks of the field,
// the field switch and its length, display formats of unbound edits, mouse
// hover events and a controller's frame.
#include "platform/db/dataset.h"
#include "platform/ui/window_services.h"
#include "suite/base/qzcontroller.h"
#include "support/suite/edit_fixture.h"

namespace {

using SettingsTest = EditTest;

TEST_F(SettingsTest, MultiLineEditInADialogLetsEscapeCloseItUnlessModified) {
    auto* cancel = new TButton(&Form);
    cancel->SetParent(&Form);
    cancel->SetBounds(200, 200, 80, 24);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    TqzDBEdit* e = MakeEdit("");
    e->SetWordWrap(true);
    ASSERT_TRUE(e->IsMultiLine());
    ShowAndFocus(e);
    SendText(e, "typed");
    SendKey(e, VK_ESCAPE);  // modified: the edit takes it back first
    EXPECT_EQ(Form.ModalResult(), mrNone);
    EXPECT_EQ(e->Text(), "");
    SendKey(e, VK_ESCAPE);
    EXPECT_EQ(Form.ModalResult(), mrCancel);
}

TEST_F(SettingsTest, EnterStaysInAWantReturnsEditAndIsDroppedElsewhere) {
    TqzDBEdit* wants = MakeEdit("");
    wants->SetWordWrap(true);
    wants->SetWantReturns(true);
    wants->SetHeight(60);
    TqzDBEdit* single = MakeEdit("");
    ShowAndFocus(wants);
    SendText(wants, "a");
    SendKey(wants, VK_RETURN);
    SendText(wants, "b");
    EXPECT_EQ(wants->Text(), "a\nb");
    single->SetFocus();
    SendText(single, "a");
    SendKey(single, VK_RETURN);
    EXPECT_EQ(single->Text(), "a");
}

TEST_F(SettingsTest, FieldEditMaskValidatesAndAnEmptyTemplateClears) {
    T.FieldByName("Code")->SetEditMask("000-000;1;_");
    T.Append();
    TqzDBEdit* e = MakeEdit("Code");
    ShowAndFocus(e);
    EXPECT_EQ(e->EditMask(), "000-000;1;_");
    SendText(e, "12");
    TabAway(e);
    EXPECT_EQ(FocusedControl(), e);  // the edit mask refuses the short value
    EXPECT_EQ(Dialogs.Count(), 1);
    e->SelectAll();
    SendKey(e, VK_DELETE);
    TabAway(e);
    EXPECT_EQ(FocusedControl(), Other);
    EXPECT_TRUE(T.FieldByName("Code")->IsNull());  // the bare template is no value
    e->SetMaskStoreLiteralTemplate(true);
    e->SetFocus();
    SendText(e, "123456");
    TabAway(e);
    EXPECT_EQ(T.FieldByName("Code")->AsString(), "123-456");
}

TEST_F(SettingsTest, SwitchingTheFieldTakesTheNewFieldsLength) {
    TqzDBEdit* e = MakeEdit("Code");
    EXPECT_EQ(e->MaxLength(), 10);
    e->SetDataField("Name");
    EXPECT_EQ(e->MaxLength(), 4);
    e->SetDataField("Amount");
    EXPECT_EQ(e->MaxLength(), 0);
    TqzDBEdit* own = MakeEdit("");
    own->SetMaxLength(7);
    own->SetDataSource(&Src);
    own->SetDataField("Code");
    EXPECT_EQ(own->MaxLength(), 7);  // a length of its own stays
}

TEST_F(SettingsTest, UnboundDisplayFormatReformatsOnExit) {
    TqzDBEdit* e = MakeEdit("");
    e->SetDisplayFormat("#,##0.00");
    ShowAndFocus(e);
    SendText(e, "1234.5");
    TabAway(e);
    EXPECT_EQ(e->Text(), "1,234.50");
}

TEST_F(SettingsTest, HoverEventsAndAControllersFrame) {
    TqzDBEdit* e = MakeEdit("");
    int enters = 0, leaves = 0;
    e->SetOnMouseEnter(TNotifyEvent([&](TObject*) { ++enters; }));
    e->SetOnMouseLeave(TNotifyEvent([&](TObject*) { ++leaves; }));
    ShowAndFocus(Other);
    // What the window's enter and leave events become.
    e->Perform(CM_MOUSEENTER, 0, 0);
    e->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(e->Perform(CM_GETDATALINK, 0, 0), reinterpret_cast<LRESULT>(e->DataLink()));
    // A see-through framed edit takes the focus before it scrolls.
    e->Frame()->SetEnabled(true);
    e->Frame()->SetTransparent(true);
    e->Perform(WM_VSCROLL, 0, 0);
    EXPECT_EQ(FocusedControl(), e);
    e->Frame()->SetTransparent(false);
    e->Frame()->SetEnabled(false);
    TqzController controller(&Form);
    controller.Frame()->SetEnabled(true);
    controller.Frame()->SetNonFocusColor(clAqua);
    e->SetController(&controller);
    EXPECT_TRUE(e->Frame()->Enabled());
    EXPECT_EQ(e->Frame()->NonFocusColor(), clAqua);
    EXPECT_EQ(controller.ControlList()->IndexOf(e), 0);
}

TEST_F(SettingsTest, WindowStyleFollowsBorderWrapReturnsAndAlignment) {
    TqzDBEdit* e = MakeEdit("");
    ShowAndFocus(e);
    const auto style = [&] { return GetWindowLong(e, GWL_STYLE); };
    EXPECT_EQ(style() & ES_MULTILINE, 0u);
    e->SetBorderStyle(bsNone);  // a borderless edit is a multi-line window
    e->HandleNeeded();
    EXPECT_NE(style() & ES_MULTILINE, 0u);
    e->SetBorderStyle(bsSingle);
    e->SetWordWrap(true);
    e->SetWantReturns(true);
    e->SetShowVertScrollBar(true);
    e->HandleNeeded();
    EXPECT_NE(style() & ES_MULTILINE, 0u);
    EXPECT_NE(style() & ES_WANTRETURN, 0u);
    EXPECT_NE(style() & WS_VSCROLL, 0u);
    e->SetPasswordChar(U'*');
    e->RecreateWnd();
    e->HandleNeeded();
    EXPECT_EQ(style() & ES_MULTILINE, 0u);  // a password stays one line
    EXPECT_EQ(GetWindowLong(e, GWL_EXSTYLE) & WS_EX_RIGHT, 0u);
    e->SetEditAlignment(eaRightAlignEditing);
    e->HandleNeeded();
    EXPECT_NE(GetWindowLong(e, GWL_EXSTYLE) & WS_EX_RIGHT, 0u);
}

TEST_F(SettingsTest, CommitEditPassesAFailureOnAndKeepsTheEdit) {
    T.Append();
    TqzDBEdit* count = MakeEdit("Count");
    ShowAndFocus(count);
    Clipboard()->SetAsText("abc");  // typing would refuse the letters
    count->PasteFromClipboard();
    Other->SetFocus();  // the focus stays: the refusal comes back here
    EXPECT_EQ(FocusedControl(), count);
    EXPECT_THROW(count->CommitEdit(), Exception);
    EXPECT_TRUE(count->Modified());
    EXPECT_EQ(count->SelLength(), 3);
    EXPECT_EQ(FocusedControl(), count);
    count->SelectAll();
    SendText(count, "42");
    count->CommitEdit();
    EXPECT_EQ(T.FieldByName("Count")->AsInteger(), 42);
}

TEST_F(SettingsTest, EscapeAfterARefusedExitPutsBackTheTextOfEntering) {
    TqzDBEdit* e = MakeEdit("");
    e->SetText("123");
    e->Picture()->SetPictureMask("###");
    ShowAndFocus(e);
    e->SelectAll();
    SendText(e, "4");
    TabAway(e);
    EXPECT_EQ(FocusedControl(), e);
    EXPECT_EQ(Beeps.Count(), 1);
    SendKey(e, VK_ESCAPE);
    EXPECT_EQ(e->Text(), "123");
    TabAway(e);
    EXPECT_EQ(FocusedControl(), Other);
}

}  // namespace
