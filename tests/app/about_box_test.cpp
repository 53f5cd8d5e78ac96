// The about box: its parts, the version shown, and closing it (OK, Enter, Escape).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/about_box.h"
#include "app/version_info.h"
#include "platform/core/files.h"
#include "platform/ui/application.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/testing.h"
#include "support/environment.h"

namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override { Box = CreateForm<TAboutBox1>(Application); }
    void TearDown() override { delete Box; }
    TAboutBox1* Box = nullptr;
};

TEST_F(AboutBoxTest, ShowsTheProgramsFileVersion) {
    TZkVersionInfo own(nullptr);
    own.SetFileName(ApplicationExeName());
    ASSERT_TRUE(own.HaveInfo());
    ASSERT_FALSE(own.GetStringByIndex(3).empty());

    EXPECT_EQ(Box->ZkVersionInfo1()->FileName(), ApplicationExeName());
    EXPECT_EQ(Box->Version()->Caption(), own.GetStringByIndex(3));
    EXPECT_EQ(Box->ProductName()->Caption(), "Taskmoor  Free ");
}

TEST_F(AboutBoxTest, OkEnterAndEscapeCloseIt) {
    TTestModalForms script;
    script.Push([](TCustomForm* form) {
        auto* box = static_cast<TAboutBox1*>(form);
        SendClick(box->OKButton(), 10, 10);
    });
    EXPECT_EQ(Box->ShowModal(), mrOk);
    script.Push([](TCustomForm* form) {
        (void)form;
        SendKeyToFocus(VK_RETURN);
    });
    EXPECT_EQ(Box->ShowModal(), mrOk);
    script.Push([](TCustomForm* form) {
        auto* box = static_cast<TAboutBox1*>(form);
        SendKey(box->OKButton(), VK_ESCAPE);
    });
    EXPECT_EQ(Box->ShowModal(), mrOk);
    EXPECT_EQ(script.Pending(), 0);
}

TEST_F(AboutBoxTest, RendersIconAndTexts) {
    const std::string png = TestRunPath("about_box.png");
    ASSERT_TRUE(RenderControlToPng(Box, png));
    EXPECT_GT(std::filesystem::file_size(png), 500u);

    // The icon has a picture of several colours.
    TBitmap* icon = Box->ProgramIcon()->Picture()->Bitmap();
    ASSERT_EQ(icon->Width(), 48);
    std::set<TColor> colours;
    for (int y = 0; y < 48; y += 3)
        for (int x = 0; x < 48; x += 3) colours.insert(icon->Canvas()->Pixels(x, y));
    EXPECT_GE(colours.size(), 3u);
}

}  // namespace
