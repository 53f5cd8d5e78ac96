// The toolkit's own dialogs and menus speak the forms' 8-point interface
// font, not the toolkit's larger default (pictures written to the test run's
// folder as toolkit_font_<name>.png).
#include <gtest/gtest.h>
#include "support/environment.h"
#include "support/ui/unanswered_boxes.h"

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

#include "platform/core/files.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/graphics.h"
#include "platform/ui/menus.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/stddialogs.h"

namespace {

// Runs Show; once its window is up, checks that it and every widget in it
// use the interface font, writes its picture and closes it.
void ExpectInterfaceFont(const std::string& Name, const std::function<void()>& Show) {
    const TFont interfaceFont;
    const QFont expected = ToQFont(&interfaceFont);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* window = QApplication::activePopupWidget();
        if (!window) window = QApplication::activeModalWidget();
        if (!window) return;
        seen = true;
        EXPECT_EQ(window->font().pixelSize(), expected.pixelSize()) << Name;
        EXPECT_EQ(window->font().family().toStdString(), expected.family().toStdString()) << Name;
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (child->font().bold()) continue;  // a default item or a title may stand out
            EXPECT_EQ(child->font().pixelSize(), expected.pixelSize())
                << Name << ": " << child->metaObject()->className();
        }
        window->grab().save(QString::fromStdString(TestRunPath("toolkit_font_" + Name + ".png")));
        window->close();
    });
    Show();
    EXPECT_TRUE(seen) << Name << ": nothing came up";
}

TEST(ToolkitFontTest, DialogsAndMenusUseTheInterfaceFont) {
    ExpectInterfaceFont("colour", [] {
        TColorDialog dlg(nullptr);
        dlg.SetColor(0xF8FFC6);
        dlg.Execute();
    });
    ExpectInterfaceFont("save_as", [] {
        TSaveDialog dlg(nullptr);
        dlg.SetTitle("Save As");
        dlg.SetFilter("Tables (*.d)|*.d");
        dlg.Execute();
    });
    ExpectInterfaceFont("input", [] {
        TToolkitBoxes real;
        std::string value = "text";
        InputQuery("Name", "Type a name:", value);
    });
    // A menu with a sub-menu: both in the interface font.
    TMainMenu bar(nullptr);
    auto* file = new TMenuItem(&bar);
    file->SetCaption("&File");
    bar.Items()->Add(file);
    auto* backup = new TMenuItem(&bar);
    backup->SetCaption("&Backup");
    file->Add(backup);
    auto* more = new TMenuItem(&bar);
    more->SetCaption("&More");
    file->Add(more);
    auto* deeper = new TMenuItem(&bar);
    deeper->SetCaption("&Deeper");
    more->Add(deeper);
    ExpectInterfaceFont("menu", [&] { MenuService().TrackMenu(file, TPoint{10, 10}); });
    bool subSeen = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* action : menu->actions())
            if (QMenu* sub = action->menu()) {
                subSeen = true;
                const TFont interfaceFont;
                EXPECT_EQ(sub->font().pixelSize(), ToQFont(&interfaceFont).pixelSize());
            }
        menu->close();
    });
    MenuService().TrackMenu(file, TPoint{10, 10});
    EXPECT_TRUE(subSeen);
}

}  // namespace
