// The toolkit's message box as the user meets it: sized to its text, long
// lines wrapped at blanks only, buttons centred, answered by letters and keys
// (pictures written to the test run's folder as msgbox_<name>.png).
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include "support/environment.h"
#include "support/ui/unanswered_boxes.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/files.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/window_frame.h"

namespace {

struct TShownBox {
    QDialog* Dialog = nullptr;
    QLabel* Message = nullptr;
    QLabel* Icon = nullptr;
    std::vector<QPushButton*> Buttons;  // left to right
};

// Shows a box with Show; once it is up, Look sees it and Key (with Text) is
// pressed in it. Answers what Show answered. A box still up after the key is
// closed, and the test fails.
int RunBox(const std::function<int()>& Show, const std::function<void(const TShownBox&)>& Look, int Key,
           const QString& Text = QString()) {
    TToolkitBoxes real;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen = true;
        TShownBox box;
        box.Dialog = dialog;
        box.Message = dialog->findChild<QLabel*>("message");
        box.Icon = dialog->findChild<QLabel*>("icon");
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) box.Buttons.push_back(b);
        std::sort(box.Buttons.begin(), box.Buttons.end(),
                  [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
        Look(box);
        QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        QKeyEvent press(QEvent::KeyPress, Key, Qt::NoModifier, Text);
        QApplication::sendEvent(target, &press);
        if (QApplication::activeModalWidget() == dialog) {
            ADD_FAILURE() << "the key left the box open";
            dialog->reject();
        }
    });
    const int result = Show();
    EXPECT_TRUE(seen) << "no box came up";
    return result;
}

std::string MsgBoxPicturePath(const std::string& Name) { return TestRunPath("msgbox_" + Name + ".png"); }

int ScreenWidth() { return QGuiApplication::primaryScreen()->availableGeometry().width(); }

// Columns of the picture that hold text ink (dark pixels) inside Area.
std::vector<int> InkColumns(const QImage& Picture, const QRect& Area) {
    std::vector<int> columns;
    for (int x = Area.left(); x <= Area.right(); ++x)
        for (int y = Area.top(); y <= Area.bottom(); ++y)
            if (qGray(Picture.pixel(x, y)) < 100) {
                columns.push_back(x);
                break;
            }
    return columns;
}

TEST(MessageBoxLook, AShortQuestionIsOneLineInABoxSizedToItAndNAnswersNo) {
    const std::string question = "Save changes to the task list before closing?";
    const int result =
        RunBox([&] { return MessageDlg(question, mtConfirmation, mbYesNoCancel, 0); },
               [&](const TShownBox& box) {
                   ASSERT_NE(box.Message, nullptr);
                   EXPECT_EQ(box.Message->text().toStdString(), question) << "not wrapped";
                   const QFontMetrics fm(box.Message->font());
                   EXPECT_GE(box.Message->width(), fm.horizontalAdvance(box.Message->text()));
                   EXPECT_LE(box.Message->height(), fm.height() + 1);
                   // Wider than the text needs only by the margins and the icon.
                   ASSERT_NE(box.Icon, nullptr);
                   EXPECT_LT(box.Icon->geometry().right(), box.Message->x());
                   EXPECT_LE(box.Dialog->width(), box.Message->geometry().right() + 1 + 24);
                   EXPECT_LE(box.Dialog->width(), ScreenWidth() * 2 / 3);
                   // The title "Confirm" has room; the buttons sit centred in a row under the text.
                   QFont bold(box.Dialog->font());
                   bold.setBold(true);
                   EXPECT_GE(box.Dialog->width(), QFontMetrics(bold).horizontalAdvance("Confirm") + 60);
                   ASSERT_EQ(box.Buttons.size(), 3u);
                   EXPECT_EQ(box.Buttons[0]->text(), "&Yes");
                   EXPECT_EQ(box.Buttons[2]->text(), "Cancel");
                   const int left = box.Buttons.front()->x();
                   const int right = box.Dialog->width() - box.Buttons.back()->geometry().right() - 1;
                   EXPECT_NEAR(left, right, 1);
                   for (QPushButton* b : box.Buttons) {
                       EXPECT_EQ(b->y(), box.Buttons[0]->y());
                       EXPECT_GT(b->y(), box.Message->geometry().bottom());
                       EXPECT_GT(b->y(), box.Icon->geometry().bottom());
                       EXPECT_LE(b->geometry().bottom(), box.Dialog->height() - 8);
                   }
                   EXPECT_TRUE(box.Buttons[0]->isDefault());
                   // Every word of the text is drawn, none cut at the label's right edge.
                   const QImage picture = box.Dialog->grab().toImage();
                   picture.save(QString::fromStdString(MsgBoxPicturePath("question")));
                   const std::vector<int> ink = InkColumns(picture, box.Message->geometry());
                   ASSERT_FALSE(ink.empty());
                   EXPECT_LT(ink.back(), box.Message->geometry().right());
                   EXPECT_GE(ink.back() - ink.front() + 2, fm.horizontalAdvance(box.Message->text()) - 4);
               },
               Qt::Key_N, "n");
    EXPECT_EQ(result, mrNo);
}

// A box has a dialog's frame: a title, a system menu and a close button,
// never minimise or maximise, with or without a window to belong to.
TEST(MessageBoxLook, TheFrameHasNoMinimiseOrMaximiseButton) {
    const Qt::WindowFlags minMax = Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    const Qt::WindowFlags dialogHints =
        Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    auto look = [&](const TShownBox& box) {
        ASSERT_NE(box.Dialog->windowHandle(), nullptr);
        for (const Qt::WindowFlags flags : {box.Dialog->windowFlags(), box.Dialog->windowHandle()->flags()}) {
            EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
            EXPECT_EQ(flags & minMax, Qt::WindowFlags());
            EXPECT_EQ(flags & dialogHints, dialogHints);
        }
    };
    RunBox([] { return MessageDlg("Alone.", mtError, TMsgDlgButtons{mbOK}, 0); }, look, Qt::Key_Escape);
    QWidget owner;
    owner.show();
    QApplication::setActiveWindow(&owner);
    RunBox([] { return MessageDlg("Over a window.", mtInformation, TMsgDlgButtons{mbOK}, 0); }, look,
           Qt::Key_Escape);
}

TEST(MessageBoxLook, APathStaysOnOneLineAndTheTitleIsNotElided) {
    const std::string text = "Error opening table /home/someone/Documents/Taskmoor data/Ttask2.d";
    RunBox([&] { return MessageDlg(text, mtError, {mbOK}, 0); },
           [&](const TShownBox& box) {
               ASSERT_NE(box.Message, nullptr);
               EXPECT_EQ(box.Message->text().toStdString(), text);
               EXPECT_GT(box.Dialog->width(), 200);
               const QImage picture = box.Dialog->grab().toImage();
               picture.save(QString::fromStdString(MsgBoxPicturePath("path")));
               ASSERT_EQ(box.Buttons.size(), 1u);
               EXPECT_NEAR(box.Buttons[0]->x() * 2 + box.Buttons[0]->width(), box.Dialog->width(), 1);
           },
           Qt::Key_Return, "\r");
    // A short text under a long title: the box takes the title's width.
    const std::string title(60, 'W');
    const std::string saved = Application->Title();
    Application->SetTitle(title);
    RunBox([&] { return MessageDlg("Done.", mtCustom, {mbOK}, 0); },
           [&](const TShownBox& box) {
               QFont bold(box.Dialog->font());
               bold.setBold(true);
               const int need = QFontMetrics(bold).horizontalAdvance(QString::fromStdString(title));
               EXPECT_GE(box.Dialog->width(), std::min(need + 60, ScreenWidth() * 2 / 3));
               EXPECT_EQ(box.Icon, nullptr);
           },
           Qt::Key_Escape);
    Application->SetTitle(saved);
}

// A window manager draws the title in its own face (commonly a bold sans of
// up to 10 points at normal width) beside the frame's icon and its three
// buttons: a short text leaves the box wide enough for all of it.
TEST(MessageBoxLook, TheTitleFitsBesideTheFramesIconAndButtons) {
    QFont frameFont(QStringLiteral("DejaVu Sans"));
    frameFont.setPointSize(10);
    frameFont.setBold(true);
    const QFontMetrics frame(frameFont);
    const int frameButtons = 4 * 20;
    RunBox([&] { return MessageDlg(" 1 Files copied.", mtInformation, {mbOK}, 0); },
           [&](const TShownBox& box) {
               EXPECT_EQ(box.Dialog->windowTitle(), "Information");
               EXPECT_GE(box.Dialog->width(), frame.horizontalAdvance("Information") + frameButtons);
               box.Dialog->grab().save(QString::fromStdString(MsgBoxPicturePath("information")));
           },
           Qt::Key_Return, "\r");
    const std::string saved = Application->Title();
    Application->SetTitle("Brindlecote Taskmoor");
    RunBox([&] { return MessageDlg("Done.", mtCustom, {mbOK}, 0); },
           [&](const TShownBox& box) {
               EXPECT_EQ(box.Dialog->windowTitle(), "Brindlecote Taskmoor");
               EXPECT_GE(box.Dialog->width(), frame.horizontalAdvance("Brindlecote Taskmoor") + frameButtons);
           },
           Qt::Key_Return, "\r");
    Application->SetTitle(saved);
}

TEST(MessageBoxLook, LongTextWrapsAtBlanksWithinTwoThirdsOfTheScreen) {
    std::string text = "The quick brown fox jumps over the lazy dog.";
    for (int i = 0; i < 11; ++i) text += " The quick brown fox jumps over the lazy dog.";
    text += "\nSecond paragraph.";
    RunBox([&] { return MessageDlg(text, mtWarning, {mbOK}, 0); },
           [&](const TShownBox& box) {
               ASSERT_NE(box.Message, nullptr);
               EXPECT_LE(box.Dialog->width(), ScreenWidth() * 2 / 3);
               EXPECT_GT(box.Dialog->width(), ScreenWidth() / 2) << "long lines use the room there is";
               const QStringList lines = box.Message->text().split('\n');
               ASSERT_GE(lines.size(), 4);
               EXPECT_EQ(lines.back(), "Second paragraph.");
               // Breaks fall at blanks: the lines joined by blanks give the paragraph back.
               QStringList first = lines;
               first.removeLast();
               EXPECT_EQ(first.join(' ').toStdString() + "\nSecond paragraph.", text);
               const QFontMetrics fm(box.Message->font());
               for (const QString& line : lines) EXPECT_LE(fm.horizontalAdvance(line), box.Message->width());
               EXPECT_GE(box.Message->height(), lines.size() * fm.height());
               box.Dialog->grab().toImage().save(QString::fromStdString(MsgBoxPicturePath("long")));
           },
           Qt::Key_O, "o");
}

// A text taller than the screen scrolls: the box and its buttons stay on
// the screen, and every line is there to scroll to.
TEST(MessageBoxLook, ATextTallerThanTheScreenScrollsAndTheButtonsStayOnIt) {
    std::string text;
    for (int i = 1; i <= 200; ++i) text += "Task " + std::to_string(i) + " could not be saved.\n";
    const int result = RunBox([&] { return MessageDlg(text, mtWarning, mbYesAllNoAllCancel, 0); },
                              [&](const TShownBox& box) {
                                  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
                                  EXPECT_GE(box.Dialog->y(), area.top());
                                  EXPECT_LE(box.Dialog->geometry().bottom(), area.bottom());
                                  ASSERT_EQ(box.Buttons.size(), 5u);
                                  for (QPushButton* b : box.Buttons)
                                      EXPECT_LE(b->geometry().bottom(), box.Dialog->height());
                                  ASSERT_NE(box.Message, nullptr);
                                  EXPECT_TRUE(box.Message->text().contains("Task 200 could not be saved."));
                                  auto* scroller = box.Dialog->findChild<QScrollArea*>("scroller");
                                  ASSERT_NE(scroller, nullptr);
                                  EXPECT_GT(scroller->verticalScrollBar()->maximum(), 0);
                                  EXPECT_LT(scroller->geometry().bottom(), box.Buttons[0]->y());
                                  box.Dialog->grab().save(QString::fromStdString(MsgBoxPicturePath("tall")));
                              },
                              Qt::Key_Escape);
    EXPECT_EQ(result, mrCancel);
}

// The input box's prompt scrolls the same way; the edit and the buttons stay
// on the screen and take the answer.
TEST(MessageBoxLook, AnInputBoxWithAPromptTallerThanTheScreenKeepsItsEditOnIt) {
    std::string prompt;
    for (int i = 1; i <= 200; ++i) prompt += "Task " + std::to_string(i) + "\n";
    std::string value = "old";
    const int answered =
        RunBox([&] { return InputQuery("Rename", prompt, value) ? 1 : 0; },
               [](const TShownBox& box) {
                   QDialog* dialog = box.Dialog;
                   const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
                   EXPECT_LE(dialog->height(), area.height());
                   EXPECT_NE(dialog->findChild<QScrollArea*>("scroller"), nullptr);
                   auto* edit = dialog->findChild<QLineEdit*>();
                   ASSERT_NE(edit, nullptr);
                   EXPECT_LE(edit->mapTo(dialog, QPoint(0, edit->height())).y(), dialog->height());
                   edit->setText("new");
                   edit->setFocus();
               },
               Qt::Key_Return, "\r");
    EXPECT_EQ(answered, 1);
    EXPECT_EQ(value, "new");
}

// A box asked for near the screen's corner, framed by the window manager:
// once the frame is known, box, frame and caption lie on the work area.
TEST(MessageBoxLook, ABoxPlacedOffTheCornerLiesOnTheWorkAreaWithItsFrame) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const TRect frame{3, 24, 3, 3};
    TTestWindowFrame manager(frame);
    // Off the lower right corner, and with the caption above the top.
    for (const QPoint at : {QPoint(area.right() - 40, area.bottom() - 30), area.topLeft()}) {
        SCOPED_TRACE(at.x());
        const int result = RunBox(
            [&] {
                return MessageDlgPos("The task list was saved.", mtInformation, TMsgDlgButtons{mbOK}, 0,
                                     at.x(), at.y());
            },
            [&](const TShownBox& box) {
                for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
                const QRect outer = box.Dialog->geometry().marginsAdded(
                    QMargins(frame.Left, frame.Top, frame.Right, frame.Bottom));
                EXPECT_TRUE(area.contains(outer))
                    << outer.x() << "," << outer.y() << " " << outer.width() << " x " << outer.height();
            },
            Qt::Key_Return);
        EXPECT_EQ(result, mrOk);
    }
}

TEST(MessageBoxLook, LettersEnterAndEscapeAnswerTheirButtons) {
    struct TCase {
        TMsgDlgButtons Buttons;
        int Key;
        QString Text;
        int Expected;
    };
    const std::vector<TCase> cases = {
        {mbYesNoCancel, Qt::Key_Y, "y", mrYes},
        {mbYesNoCancel, Qt::Key_N, "N", mrNo},
        {mbYesNoCancel, Qt::Key_C, "c", mrCancel},
        {mbYesNoCancel, Qt::Key_Escape, "", mrCancel},
        {mbYesNoCancel, Qt::Key_Return, "\r", mrYes},
        {TMsgDlgButtons{mbYes, mbNo}, Qt::Key_Escape, "", mrNo},
        {mbOKCancel, Qt::Key_O, "o", mrOk},
        {mbOKCancel, Qt::Key_Escape, "", mrCancel},
        {mbAbortRetryIgnore, Qt::Key_R, "r", mrRetry},
        {mbAbortRetryIgnore, Qt::Key_I, "i", mrIgnore},
        {mbYesAllNoAllCancel, Qt::Key_O, "o", mrNoToAll},
        {mbYesAllNoAllCancel, Qt::Key_A, "a", mrYesToAll},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text.toStdString() + " " + std::to_string(c.Key));
        // A letter no button has does nothing; the key then answers.
        const int result = RunBox([&] { return MessageDlg("Go on?", mtConfirmation, c.Buttons, 0); },
                                  [](const TShownBox& box) {
                                      QKeyEvent z(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, "z");
                                      QApplication::sendEvent(box.Dialog, &z);
                                      EXPECT_EQ(QApplication::activeModalWidget(), box.Dialog);
                                  },
                                  c.Key, c.Text);
        EXPECT_EQ(result, c.Expected);
    }
}

// In a test program, a box no test answers fails its test at once, with its
// text, and answers its cancel button instead of waiting for a click.
TEST(MessageBoxLook, ABoxNoTestAnswersFailsItsTest) {
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(MessageDlg("Delete record?", mtConfirmation, {mbYes, mbNo}, 0), mrNo),
                            "a message box no test answered: Delete record?");
    EXPECT_NONFATAL_FAILURE(
        {
            static std::string value;
            value = "kept";
            EXPECT_FALSE(InputQuery("Name", "Type a name:", value));
            EXPECT_EQ(value, "kept");
        },
        "an input box no test answered: Type a name:");
}

}  // namespace
