// The colour and file dialogs answered by the test script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include "platform/ui/stddialogs.h"
#include "support/ui/ui_probes.h"

namespace {

TEST(ColorDialogTest, CustomColoursGoInAndComeBack) {
    TTestStdDialogs dialogs;
    TColorDialog dlg(nullptr);
    dlg.CustomColors()->Add("ColorA=808022");
    dlg.CustomColors()->Add("ColorC=zzz");  // unreadable: white
    dlg.SetColor(0xF8FFC6);
    dialogs.AnswerColor(true, clRed);
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.Color(), clRed);
    EXPECT_EQ(dialogs.LastColorShown(), 0xF8FFC6);
    ASSERT_EQ(dialogs.LastCustomColors().size(), 16u);
    EXPECT_EQ(dialogs.LastCustomColors()[0], 0x808022);
    EXPECT_EQ(dialogs.LastCustomColors()[2], clWhite);
    EXPECT_EQ(dlg.CustomColors()->Values("ColorA"), "808022");
    // Cancel keeps the colour.
    dialogs.AnswerColor(false);
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(dlg.Color(), clRed);
    // No answer left: cancelled.
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(dialogs.ColorRequests(), 3);
}

TEST(FileDialogTest, FilterDefaultExtensionAndChoice) {
    TTestStdDialogs dialogs;
    TSaveDialog dlg(nullptr);
    dlg.SetFilter("Tables (*.d)|*.d|Text files|*.txt;*.csv|All");
    dlg.SetFilterIndex(2);
    dlg.SetDefaultExt("d");
    dlg.SetOptions(dlg.Options() + ofOverwritePrompt);
    const auto pairs = dlg.FilterPairs();
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[1].second, "*.txt;*.csv");
    EXPECT_EQ(pairs[2].first, "All");
    dialogs.AnswerFiles(true, {"/data/Ttask"}, 1);
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), "/data/Ttask.d");
    EXPECT_EQ(dlg.FilterIndex(), 1);
    EXPECT_EQ(dlg.InitialDir(), "/data");
    ASSERT_EQ(dialogs.FileRequests().size(), 1u);
    EXPECT_TRUE(dialogs.FileRequests()[0].Save);
    EXPECT_TRUE(dialogs.FileRequests()[0].OverwritePrompt);
    EXPECT_EQ(dialogs.FileRequests()[0].FilterIndex, 2);
    // A name with an extension keeps it; cancel changes nothing.
    dialogs.AnswerFiles(true, {"/data/list.csv"});
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), "/data/list.csv");
    dialogs.AnswerFiles(false);
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), "/data/list.csv");
}

// The real dialog names each filter's patterns once, whether or not the
// description already holds them.
TEST(FileDialogTest, TheRealDialogShowsEachFilterOnce) {
    TSaveDialog dlg(nullptr);
    dlg.SetFilter("PDF files (*.pdf)|*.pdf|Text files|*.txt;*.csv|Tables (*.d)|*.D");
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->nameFilters();
        dialog->reject();
    });
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(shown, QStringList({"PDF files (*.pdf)", "Text files (*.txt *.csv)", "Tables (*.d)"}));
}

TEST(FileDialogTest, MultiSelectFillsFiles) {
    TTestStdDialogs dialogs;
    TOpenDialog dlg(nullptr);
    dlg.SetOptions(dlg.Options() + ofAllowMultiSelect);
    dialogs.AnswerFiles(true, {"/a/one.d", "/a/two.d"});
    EXPECT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.Files()->Count(), 2);
    EXPECT_EQ(dlg.FileName(), "/a/one.d");
    EXPECT_FALSE(dialogs.FileRequests()[0].Save);
    EXPECT_TRUE(dialogs.FileRequests()[0].MultiSelect);
}

}  // namespace
