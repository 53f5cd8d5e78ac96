// Component classes by name, the group box and the radio button.
#include <gtest/gtest.h>
#include "support/environment.h"

#include "platform/ui/class_registry.h"
#include "platform/ui/forms.h"
#include "platform/ui/groupbox.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"

namespace {

TEST(ClassRegistry, RegisteredClassesAreFoundAndMadeWithTheirOwner) {
    EXPECT_EQ(nullptr, FindComponentClass("TGroupBox"));
    RegisterComponentClass<TGroupBox>();
    EXPECT_EQ(TGroupBox::StaticClass(), FindComponentClass("tgroupbox"));
    TForm owner(nullptr);
    TComponent* made = CreateComponentOfClass("TGroupBox", &owner);
    ASSERT_NE(nullptr, dynamic_cast<TGroupBox*>(made));
    EXPECT_EQ(&owner, made->Owner());
    UnRegisterComponentClass("TGroupBox");
    try {
        CreateComponentOfClass("TGroupBox", &owner);
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_STREQ("Class TGroupBox not found", e.what());
    }
    EXPECT_THROW(GetComponentClass("TNoSuchThing"), EClassNotFound);
}

TEST(RadioButton, OneCheckedPerParentByClickKeysAndAccelerator) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* box = new TGroupBox(&form);
    box->SetParent(&form);
    box->SetCaption("&Kind");
    box->SetBounds(4, 4, 200, 100);
    TRadioButton* r[3];
    const char* captions[] = {"&Apple", "&Pear", "Plu&m"};
    for (int i = 0; i < 3; ++i) {
        r[i] = new TRadioButton(&form);
        r[i]->SetParent(box);
        r[i]->SetCaption(captions[i]);
        r[i]->SetBounds(8, 18 + 20 * i, 150, 17);
    }
    int clicks = 0;
    r[1]->SetOnClick(TNotifyEvent([&](TObject*) { ++clicks; }));
    r[0]->SetChecked(true);
    form.Show();
    ProcessEvents();
    SendClick(r[1], 5, 8);
    EXPECT_TRUE(r[1]->Checked());
    EXPECT_FALSE(r[0]->Checked());
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(r[1], FocusedControl());
    SendKey(r[1], VK_DOWN);
    EXPECT_TRUE(r[2]->Checked());
    EXPECT_FALSE(r[1]->Checked());
    SendKey(r[2], 'A', TShiftState{ssAlt});
    EXPECT_TRUE(r[0]->Checked());
    EXPECT_FALSE(r[2]->Checked());
    EXPECT_TRUE(RenderControlToPng(box, TestRunPath("radio_buttons.png")));
}

}  // namespace
