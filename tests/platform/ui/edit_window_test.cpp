// Edit windows made from their style (multi-line, wrapping, right-aligned)
// and the services on them: text rectangle, margins, hidden caret, the
// owner-painted look.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>

#include <algorithm>
#include <string>

#include "platform/ui/edit_window.h"
#include "platform/ui/stdctrls.h"
#include "support/environment.h"
#include "support/ui/ui_probes.h"

namespace {

// An edit whose window style a test chooses.
class TStyledEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
    uint32_t ExtraStyle = 0;
    uint32_t ExtraExStyle = 0;
    uint32_t RemovedStyle = 0;
    void Restyle(uint32_t Style, uint32_t Removed = 0) {
        ExtraStyle = Style;
        RemovedStyle = Removed;
        RecreateWnd();
    }

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomEdit::CreateParams(Params);
        Params.Style = (Params.Style | ExtraStyle) & ~RemovedStyle;
        Params.ExStyle |= ExtraExStyle;
    }
};

class EditWindowTest : public ::testing::Test {
protected:
    TStyledEdit* Make(uint32_t Style, uint32_t ExStyle = 0) {
        auto* e = new TStyledEdit(f.Form);
        e->ExtraStyle = Style;
        e->ExtraExStyle = ExStyle;
        e->SetParent(f.Form);
        e->SetBounds(10, 10, 120, 60);
        return e;
    }
    // The line edit's text margins, the text area's margins in a multi-line one.
    static QMargins Margins(TCustomEdit* E) {
        if (auto* line = qobject_cast<QLineEdit*>(E->Widget())) return line->textMargins();
        auto* plain = qobject_cast<QPlainTextEdit*>(E->Widget());
        const QRect area = plain->viewport()->geometry();
        const QRect inner = plain->contentsRect();
        return QMargins(area.left() - inner.left(), area.top() - inner.top(), inner.right() - area.right(),
                        inner.bottom() - area.bottom());
    }
    TShownForm f;
};

TEST_F(EditWindowTest, StyleChoosesTheWindowAndRecreatingKeepsTheText) {
    TStyledEdit* e = Make(0);
    f.Show();
    e->SetText("one line");
    EXPECT_NE(qobject_cast<QLineEdit*>(e->Widget()), nullptr);
    e->Restyle(ES_MULTILINE | WS_VSCROLL, ES_AUTOHSCROLL);
    e->HandleNeeded();
    auto* plain = qobject_cast<QPlainTextEdit*>(e->Widget());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(e->Text(), "one line");
    EXPECT_EQ(plain->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(plain->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    e->Restyle(ES_MULTILINE | ES_AUTOHSCROLL);
    e->HandleNeeded();
    plain = qobject_cast<QPlainTextEdit*>(e->Widget());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(plain->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(EditWindowTest, MultiLineWindowKeepsTheByteLimitWhenTyping) {
    TStyledEdit* e = Make(ES_MULTILINE);
    e->SetMaxLength(4);
    f.Show();
    e->SetFocus();
    SendText(e, "ab\xC3\xA9x");
    EXPECT_EQ(e->Text(), "ab\xC3\xA9");
}

TEST_F(EditWindowTest, RightAlignedByStyleOrExtendedStyle) {
    TStyledEdit* a = Make(ES_RIGHT);
    TStyledEdit* b = Make(0, WS_EX_RIGHT);
    TStyledEdit* c = Make(0);
    f.Show();
    EXPECT_TRUE(qobject_cast<QLineEdit*>(a->Widget())->alignment() & Qt::AlignRight);
    EXPECT_TRUE(qobject_cast<QLineEdit*>(b->Widget())->alignment() & Qt::AlignRight);
    EXPECT_FALSE(qobject_cast<QLineEdit*>(c->Widget())->alignment() & Qt::AlignRight);
}

TEST_F(EditWindowTest, TextRectangleAndMargins) {
    TStyledEdit* line = Make(0);
    TStyledEdit* multi = Make(ES_MULTILINE);
    f.Show();
    for (TStyledEdit* e : {line, multi}) {
        const TRect c = e->ClientRect();
        SetEditTextRect(e, Rect(2, 1, c.Right - 3, c.Bottom - 4));
        const QMargins m = Margins(e);
        EXPECT_EQ(m, QMargins(2, 1, 3, 4));
        SetEditMargins(e, 5, 0);
        const QMargins n = Margins(e);
        EXPECT_EQ(n, QMargins(5, 1, 0, 4));  // top and bottom stay
    }
    TStyledEdit unmade(nullptr);  // no window: nothing to do, no failure
    SetEditTextRect(&unmade, Rect(0, 0, 1, 1));
    SetEditCaretHidden(&unmade, true);
    SetEditOwnerPaint(&unmade, true);
}

// The columns of a control, as drawn, with a dark pixel (below mid grey).
int DarkColumns(TControl* Control) {
    TBitmap b;
    RenderControl(Control, &b);
    int n = 0;
    for (int x = 0; x < b.Width(); ++x)
        for (int y = 0; y < b.Height(); ++y) {
            const TColor p = b.Canvas()->Pixels(x, y);
            if (p >= 0 && GetRValue(p) + GetGValue(p) + GetBValue(p) < 3 * 128) {
                ++n;
                break;
            }
        }
    return n;
}

// A borderless edit a grid row high (one-line, or multi-line by its style as
// the suite's borderless edits are) shows its text, also in a text rectangle
// two pixels in and narrower than the text, as a drop-down edit's beside its
// button: an edit's text scrolls sideways, it does not wrap out of sight.
TEST_F(EditWindowTest, ShortEditShowsItsText) {
    for (uint32_t style : {0u, static_cast<uint32_t>(ES_MULTILINE)})
        for (int height : {14, 16})
            for (bool rect : {false, true}) {
                TStyledEdit* e = Make(style);
                e->SetAutoSize(false);
                e->SetBorderStyle(bsNone);
                e->SetBounds(10, 10, 62, height);
                e->SetText("03/02/2026");
                f.Show();
                const TRect c = e->ClientRect();
                if (rect) SetEditTextRect(e, TRect{2, 2, c.Right - 18, c.Bottom + 1});
                e->SetSelStart(10);
                ProcessEvents();
                ASSERT_EQ(e->Height(), height);
                // Placing the text is neither a change nor an undo step.
                EXPECT_FALSE(e->Modified());
                EXPECT_FALSE(e->CanUndo());
                // The line fills the text area across, not a wrapped piece of it.
                EXPECT_GE(DarkColumns(e), (rect ? 40 : 56) * 2 / 3)
                    << "style " << style << " height " << height << " rect " << rect;
                delete e;
            }
}

// An edit turned right to left becomes a multi-line window (its reading
// order needs one) beside a button, its text rectangle narrower than the
// window: its one line, which fits, shows whole at its start and the
// rectangle's margins are the edit's face, as in the one-line window.
TEST_F(EditWindowTest, OneLineTurnedRightToLeftShowsWholeBesideItsButton) {
    const std::string text = "09/03/2026";
    TBitmap measure;
    measure.Canvas()->Font()->Assign(f.Form->Font());
    const int textWidth = measure.Canvas()->TextWidth(text);
    for (const bool rtl : {false, true}) {
        SCOPED_TRACE(rtl ? "right to left" : "left to right");
        TStyledEdit* e = Make(0);
        e->SetBounds(10, 10, textWidth + 26, 24);
        e->SetText(text);
        f.Show();
        const auto placeText = [&] {
            const TRect c = e->ClientRect();
            SetEditTextRect(e, Rect(0, 0, c.Right - 20, c.Bottom + 1));
        };
        placeText();
        e->SetFocus();
        if (rtl) {
            e->ExtraExStyle = WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR;
            e->Restyle(ES_MULTILINE | ES_AUTOHSCROLL);
            e->HandleNeeded();
            ASSERT_NE(qobject_cast<QPlainTextEdit*>(e->Widget()), nullptr);
            placeText();
        }
        e->SetSelStart(0);
        e->SetSelLength(2);
        ProcessEvents();
        TBitmap shot;
        RenderControl(e, &shot);
        EXPECT_TRUE(RenderControlToPng(e, TestRunPath(rtl ? "edit_turned_rtl.png" : "edit_turned_ltr.png")));
        // In the picture: the client area inside the border, up to the margin.
        const int border = (e->Width() - e->ClientWidth()) / 2;
        const TRect area =
            Rect(border, border + 1, border + e->ClientWidth() - 18, border + e->ClientHeight() - 1);
        const TColor face = shot.Canvas()->Pixels(area.Left, area.Top);
        EXPECT_EQ(shot.Canvas()->Pixels(border + e->ClientWidth() - 19, area.Top + 3), face);
        int left = area.Right, right = area.Left - 1;
        for (int y = area.Top; y < area.Bottom; ++y)
            for (int x = area.Left; x < area.Right; ++x)
                if (shot.Canvas()->Pixels(x, y) != face) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        EXPECT_GT(left, area.Left) << left << ".." << right;
        EXPECT_LT(right, area.Right - 1) << left << ".." << right;
        EXPECT_GE(right - left + 1, textWidth - 3) << left << ".." << right;
        delete e;
    }
}

TEST_F(EditWindowTest, HiddenCaretAndOwnerPaintedLook) {
    TStyledEdit* line = Make(0);
    TStyledEdit* multi = Make(ES_MULTILINE);
    TStyledEdit* password = Make(0);
    password->SetPasswordChar(U'*');
    f.Show();
    SetEditCaretHidden(line, true);
    EXPECT_EQ(line->Widget()->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, line->Widget()), 0);
    SetEditCaretHidden(line, false);
    EXPECT_GT(line->Widget()->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, line->Widget()), 0);
    SetEditCaretHidden(multi, true);
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(multi->Widget())->cursorWidth(), 0);
    SetEditCaretHidden(password, true);  // its style shows the password character
    EXPECT_EQ(qobject_cast<QLineEdit*>(password->Widget())->echoMode(), QLineEdit::Password);
    auto* plain = qobject_cast<QPlainTextEdit*>(multi->Widget());
    SetEditOwnerPaint(multi, true);
    EXPECT_TRUE(plain->viewport()->isHidden());
    SetEditOwnerPaint(multi, false);
    EXPECT_FALSE(plain->viewport()->isHidden());
}

TEST_F(EditWindowTest, FontColourChangedLaterIsTheTextColour) {
    TStyledEdit* e = Make(0);
    f.Show();
    e->Font()->SetColor(clRed);
    EXPECT_EQ(e->Widget()->palette().color(QPalette::Text), QColor(255, 0, 0));
    e->SetColor(clYellow);
    EXPECT_EQ(e->Widget()->palette().color(QPalette::Base), QColor(255, 255, 0));
}

}  // namespace
