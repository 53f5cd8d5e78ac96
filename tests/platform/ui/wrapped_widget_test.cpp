// Controls over ready-made toolkit widgets: what the control leaves of its
// mouse input reaches the widget, a scroll area's viewport is routed like
// the widget itself, and a control can draw over its widget.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QTextEdit>

#include <string>
#include <vector>

#include "platform/ui/bitmaps.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/stdctrls.h"
#include "support/ui/ui_probes.h"

namespace {

// A control that takes left presses for itself.
template <class T>
class TPressEating : public T {
public:
    using T::T;
    int Presses = 0;

protected:
    void WMLButtonDown(TMessage&) override { ++Presses; }
};
using TPressEatingEdit = TPressEating<TEdit>;
using TPressEatingListBox = TPressEating<TListBox>;

// A control over a text editor (a scroll area) that logs its mouse input.
class TScrollAreaProbe : public TWinControl {
public:
    explicit TScrollAreaProbe(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 200, 120); }
    std::vector<std::string> Log;
    QTextEdit* Editor() const { return static_cast<QTextEdit*>(Widget()); }

protected:
    void CreateWindowHandle(const TCreateParams& Params) override {
        auto* w = new TQtScrollHost<QTextEdit>(this, ParentWidgetFor(Params));
        w->setPlainText("one two three");
        AttachWidget(w, false);
    }
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override {
        Log.push_back("MouseDown " + std::to_string(X) + "," + std::to_string(Y));
    }
    void MouseMove(TShiftState, int X, int Y) override {
        Log.push_back("MouseMove " + std::to_string(X) + "," + std::to_string(Y));
    }
};

// An edit that draws a button over the right end of its widget.
class TButtonEdit : public TEdit {
public:
    using TEdit::TEdit;
    int Paints = 0;

protected:
    void PaintOverWidget(TCanvas* Canvas) override {
        ++Paints;
        Canvas->Brush()->SetColor(clRed);
        Canvas->FillRect(Rect(ClientWidth() - 16, 0, ClientWidth(), ClientHeight()));
    }
};

class WrappedWidgetTest : public ::testing::Test {
protected:
    template <class T>
    T* Make(int X, int Y, int W, int H) {
        auto* c = new T(f.Form);
        c->SetParent(f.Form);
        c->SetBounds(X, Y, W, H);
        return c;
    }
    // Sends a mouse event to a widget inside a control's window, as the
    // toolkit delivers the user's input there.
    static void SendTo(QWidget* W, QEvent::Type Type, QPoint Pos, Qt::MouseButton Button,
                       Qt::MouseButtons Buttons) {
        QMouseEvent ev(Type, QPointF(Pos), QPointF(W->mapToGlobal(Pos)), Button, Buttons, Qt::NoModifier);
        QApplication::sendEvent(W, &ev);
        ProcessEvents();
    }
    TShownForm f;
};

TEST_F(WrappedWidgetTest, APressTheControlKeepsNeverReachesItsWidget) {
    auto* plain = Make<TEdit>(10, 10, 150, 21);
    auto* eating = Make<TPressEatingEdit>(10, 40, 150, 21);
    plain->SetText("hello world");
    eating->SetText("hello world");
    f.Show();
    plain->SetSelStart(0);
    eating->SetSelStart(0);
    SendClick(plain, 140, 10);
    EXPECT_EQ(plain->SelStart(), 11);  // the widget moved the caret
    SendClick(eating, 140, 10);
    EXPECT_EQ(eating->Presses, 1);
    EXPECT_EQ(eating->SelStart(), 0);
}

TEST_F(WrappedWidgetTest, AListBoxThatKeepsThePressSelectsNothing) {
    auto* list = Make<TPressEatingListBox>(10, 10, 120, 100);
    for (const char* s : {"Goals", "Archive", "Catg"}) list->Items()->Add(s);
    f.Show();
    SendClick(list, 20, list->ItemRect(1).Top + 2);
    EXPECT_EQ(list->Presses, 1);
    EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(WrappedWidgetTest, WithoutDoubleClicksTheWidgetSeesTwoPresses) {
    auto* words = Make<TEdit>(10, 10, 150, 21);
    auto* presses = Make<TEdit>(10, 40, 150, 21);
    words->SetText("hello world");
    presses->SetText("hello world");
    presses->SetControlStyle(presses->ControlStyle() - csDoubleClicks);
    f.Show();
    SendDoubleClick(words, 8, 10);
    EXPECT_EQ(words->SelText(), "hello");  // the widget's double click selects a word
    SendDoubleClick(presses, 8, 10);
    EXPECT_EQ(presses->SelLength(), 0);
}

TEST_F(WrappedWidgetTest, ViewportInputReachesTheControlInClientCoordinates) {
    auto* probe = Make<TScrollAreaProbe>(10, 10, 200, 120);
    f.Show();
    QWidget* viewport = probe->Editor()->viewport();
    const QPoint at = viewport->pos();
    probe->Log.clear();
    // A move without buttons (hover) is input too.
    SendTo(viewport, QEvent::MouseMove, QPoint(12, 6), Qt::NoButton, Qt::NoButton);
    SendTo(viewport, QEvent::MouseButtonPress, QPoint(30, 8), Qt::LeftButton, Qt::LeftButton);
    SendTo(viewport, QEvent::MouseButtonRelease, QPoint(30, 8), Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(probe->Log.size(), 2u);
    EXPECT_EQ(probe->Log[0], "MouseMove " + std::to_string(at.x() + 12) + "," + std::to_string(at.y() + 6));
    EXPECT_EQ(probe->Log[1], "MouseDown " + std::to_string(at.x() + 30) + "," + std::to_string(at.y() + 8));
    // What the control left went on to the editor: the caret is where the press was.
    EXPECT_EQ(probe->Editor()->textCursor().position(),
              probe->Editor()->cursorForPosition(QPoint(30, 8)).position());
}

TEST_F(WrappedWidgetTest, ListBoxViewportPressesSelectAndReachOnMouseDown) {
    auto* list = Make<TListBox>(10, 10, 120, 100);
    for (const char* s : {"Goals", "Archive", "Catg"}) list->Items()->Add(s);
    std::vector<TPoint> downs;
    list->SetOnMouseDown(TMouseEvent([&](TObject*, TMouseButton, TShiftState, int X, int Y) {
        downs.push_back({X, Y});
    }));
    f.Show();
    auto* area = qobject_cast<QAbstractScrollArea*>(list->Widget());
    ASSERT_NE(area, nullptr);
    QWidget* viewport = area->viewport();
    const TRect row = list->ItemRect(2);
    // ItemRect is in client coordinates; the viewport lies inside the frame.
    const QPoint local(5, row.Top + 2 - (viewport->pos().y() - list->NonClientMargins().Top));
    SendTo(viewport, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
    SendTo(viewport, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(list->ItemIndex(), 2);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].Y, row.Top + 2);
}

TEST_F(WrappedWidgetTest, AControlDrawsOverItsWidgetAfterTheWidgetPaints) {
    auto* edit = Make<TButtonEdit>(10, 10, 150, 24);
    auto* plain = Make<TEdit>(10, 50, 150, 24);
    edit->SetText("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");  // text under the button too
    f.Show();
    TBitmap shot;
    RenderControl(f.Form, &shot);
    EXPECT_GT(edit->Paints, 0);
    const TPoint e = f.Form->ScreenToClient(edit->ClientOrigin());
    const TPoint p = f.Form->ScreenToClient(plain->ClientOrigin());
    const int right = edit->ClientWidth() - 8, middle = edit->ClientHeight() / 2;
    EXPECT_EQ(ColorToRGB(shot.Canvas()->Pixels(e.X + right, e.Y + middle)), ColorToRGB(clRed));
    EXPECT_NE(ColorToRGB(shot.Canvas()->Pixels(e.X + 20, e.Y + middle)), ColorToRGB(clRed));
    // A control without the hook shows only its widget.
    EXPECT_NE(ColorToRGB(shot.Canvas()->Pixels(p.X + right, p.Y + middle)), ColorToRGB(clRed));
}

}  // namespace
