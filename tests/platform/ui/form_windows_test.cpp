// A form's window and the others: forms shown while a modal form runs take
// input, and a form keeps room for a menu bar installed through its hook.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <string>
#include <vector>

#include "platform/ui/drawing.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/window_services.h"
#include "support/ui/ui_probes.h"

namespace {

// Clicks a control the way the windowing system delivers a click: to the
// top-level window, which hands it to the widget under the point (unless a
// modal window blocks it).
void ClickThroughWindow(TWinControl* Control, int X, int Y) {
    QWidget* top = Control->Widget()->window();
    QWindow* window = top->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPointF at(Control->Widget()->mapTo(top, QPoint(X, Y)));
    const QPointF global(top->mapToGlobal(at.toPoint()));
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window, &release);
    ProcessEvents();
}

// A form at (100, 100) with one button that counts its clicks.
TButton* FormWithCountingButton(TForm*& Form, int& Clicks) {
    Form = CreateForm<TForm>(Application);
    Form->SetBounds(100, 100, 200, 120);
    auto* button = new TButton(Form);
    button->SetParent(Form);
    button->SetBounds(10, 10, 80, 25);
    button->SetOnClick(TNotifyEvent([&Clicks](TObject*) { ++Clicks; }));
    return button;
}

TEST(ModalWindowsTest, AFormShownWhileAModalFormRunsTakesInput) {
    TTestModalForms script;
    TForm* dialog = CreateForm<TForm>(Application);
    TForm* box = nullptr;
    int clicks = 0;
    TButton* button = FormWithCountingButton(box, clicks);
    QWindow* ownerSeen = nullptr;
    script.Push([&](TCustomForm* modal) {
        box->Show();
        ClickThroughWindow(button, 20, 10);
        ownerSeen = box->Widget()->windowHandle()->transientParent();
        modal->SetModalResult(mrOk);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ownerSeen, dialog->Widget()->windowHandle());
    // Once the modal form is done the box belongs to nobody.
    EXPECT_EQ(box->Widget()->windowHandle()->transientParent(), nullptr);
    ClickThroughWindow(button, 20, 10);
    EXPECT_EQ(clicks, 2);
    delete box;
    delete dialog;
}

TEST(ModalWindowsTest, AFormShownBeforeTheModalFormIsBlocked) {
    TTestModalForms script;
    TForm* dialog = CreateForm<TForm>(Application);
    TForm* before = nullptr;
    int clicks = 0;
    TButton* button = FormWithCountingButton(before, clicks);
    before->Show();
    script.Push([&](TCustomForm* modal) {
        ClickThroughWindow(button, 20, 10);
        modal->SetModalResult(mrOk);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(clicks, 0);
    delete before;
    delete dialog;
}

TEST(ModalWindowsTest, NestedModalFormsHandTheWindowDown) {
    TTestModalForms script;
    TForm* outer = CreateForm<TForm>(Application);
    TForm* inner = CreateForm<TForm>(Application);
    TForm* box = CreateForm<TForm>(Application);
    QWindow* during = nullptr;
    script.Push([&](TCustomForm* first) {
        script.Push([&](TCustomForm* second) {
            box->Show();
            during = box->Widget()->windowHandle()->transientParent();
            second->SetModalResult(mrOk);
        });
        inner->ShowModal();
        // The inner form ended while the outer one still runs.
        EXPECT_EQ(box->Widget()->windowHandle()->transientParent(), outer->Widget()->windowHandle());
        first->SetModalResult(mrOk);
    });
    EXPECT_EQ(outer->ShowModal(), mrOk);
    EXPECT_EQ(during, inner->Widget()->windowHandle());
    EXPECT_EQ(box->Widget()->windowHandle()->transientParent(), nullptr);
    delete box;
    delete inner;
    delete outer;
}

// ---- Menu bar hook -----------------------------------------------------------------------

// A bar that records where the form asked it to be.
class TTestMenuBar : public TFormMenuBar {
public:
    int Height = 20;
    int Placed = 0;
    int LastWidth = 0;
    int MenuBarHeight() const override { return Height; }
    void PlaceMenuBar(TCustomForm* Form) override {
        ++Placed;
        LastWidth = Form->Widget()->width();
    }
};

TEST(FormMenuBarTest, TheFormKeepsRoomAboveTheClientArea) {
    TShownForm f;
    const int clientHeight = f.Form->ClientHeight();
    const TPoint origin = f.Form->ClientOrigin();
    TTestMenuBar bar;
    f.Form->SetMenuBar(&bar);
    EXPECT_EQ(f.Form->MenuBar(), &bar);
    EXPECT_EQ(f.Form->ClientHeight(), clientHeight - 20);
    EXPECT_EQ(f.Form->NonClientMargins().Top, 20);
    f.Show();
    EXPECT_GE(bar.Placed, 1);  // placed on the window once it was made
    EXPECT_EQ(f.Form->ClientOrigin().Y, origin.Y + 20);
    // A resize places it again.
    const int placed = bar.Placed;
    f.Form->SetWidth(f.Form->Width() + 40);
    EXPECT_GT(bar.Placed, placed);
    EXPECT_EQ(bar.LastWidth, f.Form->Widget()->width());
    // A new height takes effect when the bar says so.
    bar.Height = 30;
    f.Form->MenuBarChanged();
    EXPECT_EQ(f.Form->ClientHeight(), clientHeight - 30);
    // Children align below it.
    auto* panel = new TEdit(f.Form);
    panel->SetParent(f.Form);
    panel->SetAlign(alTop);
    EXPECT_EQ(panel->Top(), 0);
    EXPECT_EQ(panel->Widget()->mapToGlobal(QPoint(0, 0)).y(), f.Form->ClientOrigin().Y);
    f.Form->SetMenuBar(nullptr);
    EXPECT_EQ(f.Form->ClientHeight(), clientHeight);
    EXPECT_EQ(f.Form->NonClientMargins().Top, 0);
}

TEST(FormMenuBarTest, AMainMenuUsesTheHookAndGivesTheRoomBack) {
    TShownForm f;
    const int clientHeight = f.Form->ClientHeight();
    auto* menu = new TMainMenu(f.Form);
    EXPECT_NE(f.Form->MenuBar(), nullptr);
    EXPECT_EQ(f.Form->ClientHeight(), clientHeight);  // no items: no bar
    auto* item = new TMenuItem(f.Form);
    item->SetCaption("&File");
    menu->Items()->Add(item);
    EXPECT_EQ(f.Form->ClientHeight(), clientHeight - menu->BarHeight());
    f.Show();
    // The window made anew keeps the bar.
    f.Form->RecreateWnd();
    EXPECT_EQ(f.Form->ClientHeight(), clientHeight - menu->BarHeight());
    delete menu;
    EXPECT_EQ(f.Form->MenuBar(), nullptr);
    EXPECT_EQ(f.Form->ClientHeight(), clientHeight);
}

// Another window stays active while a shown form is put above the others
// and back: the form is neither hidden nor moved meanwhile.
TEST(FormTopmostTest, TheWindowGoesOnTopAndBackWithoutHidingOrActivating) {
    TForm* form = CreateForm<TForm>(Application);
    form->SetBounds(40, 50, 200, 120);
    TForm* other = CreateForm<TForm>(Application);
    other->SetBounds(300, 50, 200, 120);
    form->Show();
    other->Show();
    ActivateForm(other);
    ASSERT_TRUE(other->Active());
    int hides = 0;
    form->SetOnHide(TNotifyEvent([&hides](TObject*) { ++hides; }));
    EXPECT_TRUE(SetWindowTopmost(form, true));
    ProcessEvents();
    EXPECT_TRUE(form->Widget()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form->Widget()->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_NE(0u, GetWindowLong(form, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(form->Widget()->isVisible());
    EXPECT_TRUE(other->Active());
    EXPECT_FALSE(form->Active());
    EXPECT_EQ(40, form->Left());
    EXPECT_TRUE(SetWindowTopmost(form, false));
    ProcessEvents();
    EXPECT_FALSE(form->Widget()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(form->Widget()->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(0u, GetWindowLong(form, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(form->Widget()->isVisible());
    EXPECT_EQ(0, hides);
    // A child control has no window order of its own.
    auto* button = new TButton(form);
    button->SetParent(form);
    button->HandleNeeded();
    EXPECT_FALSE(SetWindowTopmost(button, true));
    EXPECT_FALSE(SetWindowTopmost(nullptr, true));
    delete other;
    delete form;
}

// The buttons a window manager puts on a form's frame follow its border: a
// dialog border has a title, a system menu and a close button, never
// minimise or maximise, whatever the border icons say, shown or modal.
TEST(FormBorderTest, ADialogBorderHasNoMinimiseOrMaximiseButton) {
    const Qt::WindowFlags minMax = Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    const Qt::WindowFlags dialogHints =
        Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    auto check = [&](TForm* Form, const char* When) {
        for (const Qt::WindowFlags flags :
             {Form->Widget()->windowFlags(), Form->Widget()->windowHandle()->flags()}) {
            EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog) << When;
            EXPECT_EQ(flags & minMax, Qt::WindowFlags()) << When;
            EXPECT_EQ(flags & dialogHints, dialogHints) << When;
        }
    };
    // The user cannot resize it either: the window manager offers no sizing
    // for a size it is told is fixed; the program still can.
    auto fixed = [](TForm* Form) {
        const QWidget* w = Form->Widget();
        return w->minimumSize() == w->maximumSize() && w->minimumSize() == w->size();
    };
    TForm* dialog = CreateForm<TForm>(Application);
    dialog->SetBorderIcons({biSystemMenu, biMinimize, biMaximize});
    dialog->SetBorderStyle(bsDialog);
    dialog->Show();
    ProcessEvents();
    check(dialog, "shown");
    EXPECT_TRUE(fixed(dialog));
    dialog->SetBounds(dialog->Left(), dialog->Top(), dialog->Width() + 40, dialog->Height() + 30);
    ProcessEvents();
    EXPECT_TRUE(fixed(dialog));
    EXPECT_EQ(dialog->Widget()->width(), dialog->ClientWidth());
    dialog->Hide();
    TTestModalForms script;
    script.Push([&](TCustomForm* Modal) {
        check(dialog, "modal");
        Modal->SetModalResult(mrCancel);
    });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    // Another border brings the buttons its icons ask for.
    dialog->SetBorderStyle(bsSizeable);
    dialog->Show();
    ProcessEvents();
    EXPECT_EQ(dialog->Widget()->windowFlags() & minMax, minMax);
    EXPECT_FALSE(fixed(dialog));
    dialog->SetBorderStyle(bsDialog);
    check(dialog, "made a dialog again");
    EXPECT_TRUE(fixed(dialog));
    delete dialog;
}

}  // namespace
