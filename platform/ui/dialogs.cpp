// Message boxes, input boxes and the beep, with their toolkit implementations.
#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/graphics.h"
#include "platform/ui/qt_host.h"
#include "platform/ui/qt_window_frame.h"

TModalResult ModalResultOf(TMsgDlgBtn Button) {
    switch (Button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    case mbHelp: return mrNone;
    }
    return mrNone;
}

std::string ButtonCaption(TMsgDlgBtn Button) {
    switch (Button) {
    case mbYes: return "&Yes";
    case mbNo: return "&No";
    case mbOK: return "OK";
    case mbCancel: return "Cancel";
    case mbAbort: return "&Abort";
    case mbRetry: return "&Retry";
    case mbIgnore: return "&Ignore";
    case mbAll: return "&All";
    case mbNoToAll: return "N&o to All";
    case mbYesToAll: return "Yes to &All";
    case mbHelp: return "&Help";
    }
    return {};
}

std::string MessageDlgCaption(TMsgDlgType DlgType) {
    switch (DlgType) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: break;
    }
    return Application ? Application->Title() : std::string();
}

// ---- The toolkit services ------------------------------------------------------------------

namespace {

// ---- The message box window ------------------------------------------------------------------
// Laid out as the system's message box: as wide as its text needs, up to two
// thirds of the screen; only longer lines are wrapped, at blanks; the
// title fits when there is room; the icon at the left, the buttons centred
// below. A button's accelerator letter (or, without one, its first letter)
// answers it without Alt.

constexpr int kBoxMargin = 12;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kButtonHeight = 23;
constexpr int kButtonMinWidth = 75;
constexpr int kButtonGap = 6;
constexpr int kButtonsGap = 16;
// Room the window frame takes beside the title: its icon, up to three
// buttons (minimise, maximise, close), their gaps and the edges.
constexpr int kTitleRoom = 4 * 24 + 16;
// Room the window frame takes above the client area (its title bar).
constexpr int kFrameTitleHeight = 40;

// The frame's title is the window manager's own face, commonly a bold sans
// of 8 to 10 points at normal width: the widest of these is measured.
QFont FrameTitleFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    font.setBold(true);
    return font;
}

// The letter that answers a button: its accelerator, else its first character.
QChar AnswerLetter(const QString& Caption) {
    const qsizetype amp = Caption.indexOf('&');
    if (amp >= 0 && amp + 1 < Caption.size()) return Caption.at(amp + 1).toLower();
    return Caption.isEmpty() ? QChar() : Caption.at(0).toLower();
}

// Breaks a paragraph into lines of at most Width pixels at blanks; a word
// longer than a line is broken between characters.
void WrapParagraph(const QString& Text, const QFontMetrics& Metrics, int Width, QStringList& Lines) {
    if (Metrics.horizontalAdvance(Text) <= Width) {
        Lines << Text;
        return;
    }
    QString line;
    auto flush = [&] {
        Lines << line;
        line.clear();
    };
    const QStringList words = Text.split(' ');
    for (qsizetype i = 0; i < words.size(); ++i) {
        QString word = words[i];
        const QString candidate = line.isEmpty() ? word : line + ' ' + word;
        if (Metrics.horizontalAdvance(candidate) <= Width) {
            line = candidate;
            continue;
        }
        if (!line.isEmpty()) flush();
        while (Metrics.horizontalAdvance(word) > Width) {
            qsizetype n = 1;
            while (n < word.size() && Metrics.horizontalAdvance(word.left(n + 1)) <= Width) ++n;
            Lines << word.left(n);
            word = word.mid(n);
        }
        line = word;
    }
    if (!line.isEmpty()) flush();
}

QString WrapText(const QString& Text, const QFontMetrics& Metrics, int Width) {
    QString text = Text;
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    text.replace('\t', "    ");
    QStringList lines;
    for (const QString& paragraph : text.split('\n')) WrapParagraph(paragraph, Metrics, Width, lines);
    return lines.join('\n');
}

class TMessageBoxWindow : public QDialog {
public:
    explicit TMessageBoxWindow(QWidget* Parent) : QDialog(Parent) {}
    std::vector<std::pair<QChar, QPushButton*>> Letters;

protected:
    void keyPressEvent(QKeyEvent* Event) override {
        const auto mods = Event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier);
        const QString text = Event->text();
        if (mods == Qt::NoModifier && text.size() == 1 && text.at(0).isLetterOrNumber()) {
            for (const auto& [letter, button] : Letters)
                if (letter == text.at(0).toLower()) {
                    button->click();
                    return;
                }
        }
        QDialog::keyPressEvent(Event);
    }
};

// A prompt taller than the screen scrolls, so the edit and the buttons stay
// on the screen.
void ScrollTallPrompt(QInputDialog& Dialog) {
    (void)Dialog.sizeHint();  // lays the dialog out
    auto* label = Dialog.findChild<QLabel*>();
    QLayout* layout = Dialog.layout();
    if (!label || !layout || !QGuiApplication::primaryScreen()) return;
    const int room = QGuiApplication::primaryScreen()->availableGeometry().height() - kFrameTitleHeight -
                     (Dialog.sizeHint().height() - label->sizeHint().height());
    if (label->sizeHint().height() <= room) return;
    auto* scroller = new QScrollArea(&Dialog);
    scroller->setObjectName("scroller");
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroller->setFocusPolicy(Qt::NoFocus);
    const int width = label->sizeHint().width() + scroller->verticalScrollBar()->sizeHint().width();
    delete layout->replaceWidget(label, scroller);
    scroller->setWidget(label);
    scroller->setFixedSize(width, std::max(Dialog.fontMetrics().height(), room));
}

QStyle::StandardPixmap MessageIcon(TMsgDlgType Type) {
    switch (Type) {
    case mtWarning: return QStyle::SP_MessageBoxWarning;
    case mtError: return QStyle::SP_MessageBoxCritical;
    case mtInformation: return QStyle::SP_MessageBoxInformation;
    case mtConfirmation: return QStyle::SP_MessageBoxQuestion;
    case mtCustom: break;
    }
    return QStyle::SP_CustomBase;
}

// The buttons, in their order, each wide enough for its caption; Width gets their row's width.
std::vector<QPushButton*> AddMessageButtons(TMessageBoxWindow& dialog, const TMessageBoxRequest& Request,
                                            const QFontMetrics& metrics, int& Width) {
    std::vector<QPushButton*> buttons;
    for (int b = mbYes; b <= mbHelp; ++b) {
        const auto button = static_cast<TMsgDlgBtn>(b);
        if (!Request.Buttons.Contains(button)) continue;
        const QString caption = ToQString(ButtonCaption(button));
        auto* push = new QPushButton(caption, &dialog);
        push->setObjectName(caption);
        QString plain = caption;
        plain.remove('&');
        push->resize(std::max(kButtonMinWidth, metrics.horizontalAdvance(plain) + 16), kButtonHeight);
        if (button == Request.DefaultButton) push->setDefault(true);
        if (button == mbHelp) {
            const THelpContext context = Request.HelpContext;
            QObject::connect(push, &QPushButton::clicked, [context] {
                GuardedCall(Application, [context] {
                    if (Application) Application->HelpContext(context);
                });
            });
        } else {
            const TModalResult result = ModalResultOf(button);
            QObject::connect(push, &QPushButton::clicked, &dialog,
                             [&dialog, result] { dialog.done(result); });
        }
        dialog.Letters.emplace_back(AnswerLetter(caption), push);
        Width += push->width() + (buttons.empty() ? 0 : kButtonGap);
        buttons.push_back(push);
    }
    return buttons;
}

// A message's text as the box shows it, and the room it takes.
struct TMessageText {
    QString Text;
    int Width = 0;           // with the scroll bar, if any
    int FullHeight = 0;      // all its lines
    int Height = 0;          // what the box shows of them
    int ScrollBarWidth = 0;  // none when it all fits
};

// The text, wrapped only where a line would make the box too wide. A text taller than the
// screen leaves room for the buttons: it scrolls, wrapped beside its scroll bar.
TMessageText MeasureMessageText(QDialog& dialog, const QString& Given, const QFontMetrics& metrics,
                                const QRect& area, int room) {
    const int maxTextHeight = std::max(
        metrics.height(), area.height() - kFrameTitleHeight - 2 * kBoxMargin - kButtonsGap - kButtonHeight);
    TMessageText m;
    m.Text = WrapText(Given, metrics, room);
    auto measure = [&metrics](const QString& Text) {
        return metrics.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft, Text);
    };
    QRect textSize = measure(m.Text);
    if (textSize.height() > maxTextHeight) {
        m.ScrollBarWidth = dialog.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
        m.Text = WrapText(Given, metrics, room - m.ScrollBarWidth);
        textSize = measure(m.Text);
    }
    m.Width = textSize.width() + m.ScrollBarWidth;
    m.FullHeight = std::max(textSize.height(), metrics.height());
    m.Height = std::min(m.FullHeight, maxTextHeight);
    return m;
}

void PlaceMessageText(QDialog& dialog, const TMessageText& text, const QRect& textRect) {
    auto* label = new QLabel(text.Text, &dialog);
    label->setObjectName("message");
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (text.ScrollBarWidth > 0) {
        auto* scroller = new QScrollArea(&dialog);
        scroller->setObjectName("scroller");
        scroller->setFrameShape(QFrame::NoFrame);
        scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        scroller->setFocusPolicy(Qt::NoFocus);
        label->resize(text.Width + 1 - text.ScrollBarWidth, text.FullHeight);
        scroller->setWidget(label);
        scroller->setGeometry(textRect);
    } else {
        label->setGeometry(textRect);
    }
}

class TToolkitDialogs : public TDialogService {
public:
    TModalResult MessageBox(const TMessageBoxRequest& Request) override {
        EnsureToolkit();
        TMessageBoxWindow dialog(QApplication::activeWindow());
        dialog.setWindowTitle(ToQString(Request.Caption));
        dialog.setModal(true);
        const TFont messageFont;
        const QFont font = ToQFont(&messageFont);
        dialog.setFont(font);
        const QFontMetrics metrics(font);
        const QFont titleFont = FrameTitleFont();

        const QRect area = QGuiApplication::primaryScreen()
                               ? QGuiApplication::primaryScreen()->availableGeometry()
                               : QRect(0, 0, 800, 600);
        const int maxWidth = std::max(200, area.width() * 2 / 3);

        const QStyle::StandardPixmap icon = MessageIcon(Request.DlgType);
        const bool hasIcon = icon != QStyle::SP_CustomBase;
        const int textLeft = kBoxMargin + (hasIcon ? kIconSize + kIconGap : 0);

        int buttonsWidth = 0;
        const std::vector<QPushButton*> buttons = AddMessageButtons(dialog, Request, metrics, buttonsWidth);
        const TMessageText text = MeasureMessageText(dialog, ToQString(Request.Text), metrics, area,
                                                     maxWidth - textLeft - kBoxMargin);

        // The title fits beside the frame's icon and buttons.
        const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(dialog.windowTitle()) + kTitleRoom;
        const int width = std::min(maxWidth, std::max({textLeft + text.Width + kBoxMargin,
                                                       buttonsWidth + 2 * kBoxMargin, titleWidth}));
        const int bodyHeight = hasIcon ? std::max(kIconSize, text.Height) : text.Height;

        if (hasIcon) {
            auto* picture = new QLabel(&dialog);
            picture->setObjectName("icon");
            picture->setPixmap(dialog.style()->standardIcon(icon).pixmap(kIconSize, kIconSize));
            picture->setGeometry(kBoxMargin, kBoxMargin, kIconSize, kIconSize);
        }
        PlaceMessageText(
            dialog, text,
            QRect(textLeft, kBoxMargin + (bodyHeight - text.Height) / 2, text.Width + 1, text.Height));

        const int buttonsTop = kBoxMargin + bodyHeight + kButtonsGap;
        int x = (width - buttonsWidth) / 2;
        for (QPushButton* push : buttons) {
            push->move(x, buttonsTop);
            x += push->width() + kButtonGap;
        }
        dialog.setFixedSize(width, buttonsTop + kButtonHeight + kBoxMargin);
        for (QPushButton* push : buttons)
            if (push->isDefault()) push->setFocus();

        if (Request.X >= 0 && Request.Y >= 0)
            dialog.move(Request.X, Request.Y);
        else
            dialog.move(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
        const TModalResult cancelResult = ModalResultOf(Request.CancelButton);
        FitOnceFramed(&dialog);
        if (Application) Application->ModalStarted();
        const int result = dialog.exec();
        if (Application) Application->ModalFinished();
        // Escape and closing the window answer the cancel button.
        return result == QDialog::Rejected ? cancelResult : result;
    }

    bool InputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value) override {
        EnsureToolkit();
        QInputDialog dialog(QApplication::activeWindow());
        dialog.setFont(InterfaceQFont());
        dialog.setWindowTitle(ToQString(Caption));
        dialog.setLabelText(ToQString(Prompt));
        dialog.setTextValue(ToQString(Value));
        dialog.setOkButtonText("OK");
        dialog.setCancelButtonText("Cancel");
        ScrollTallPrompt(dialog);
        FitOnceFramed(&dialog);
        if (Application) Application->ModalStarted();
        const int result = dialog.exec();
        if (Application) Application->ModalFinished();
        if (result != QDialog::Accepted) return false;
        Value = FromQString(dialog.textValue());
        return true;
    }
};

class TToolkitSound : public TSoundService {
public:
    void MessageBeep(unsigned) override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
    }
};

TToolkitDialogs GToolkitDialogs;
TToolkitSound GToolkitSound;
TDialogService* GDialogs = &GToolkitDialogs;
TSoundService* GSound = &GToolkitSound;

}  // namespace

TDialogService& DialogService() { return *GDialogs; }

TDialogService* SetDialogService(TDialogService* Service) {
    TDialogService* old = GDialogs;
    GDialogs = Service ? Service : &GToolkitDialogs;
    return old == &GToolkitDialogs ? nullptr : old;
}

TSoundService& SoundService() { return *GSound; }

TSoundService* SetSoundService(TSoundService* Service) {
    TSoundService* old = GSound;
    GSound = Service ? Service : &GToolkitSound;
    return old == &GToolkitSound ? nullptr : old;
}

// ---- The routines ------------------------------------------------------------------------------

namespace {

TMessageBoxRequest MakeRequest(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                               THelpContext HelpCtx) {
    TMessageBoxRequest r;
    r.Caption = MessageDlgCaption(DlgType);
    r.Text = Msg;
    r.DlgType = DlgType;
    r.Buttons = Buttons.Empty() ? TMsgDlgButtons{mbOK} : Buttons;
    r.HelpContext = HelpCtx;
    if (r.Buttons.Contains(mbOK))
        r.DefaultButton = mbOK;
    else if (r.Buttons.Contains(mbYes))
        r.DefaultButton = mbYes;
    else
        for (int b = mbYes; b <= mbHelp; ++b)
            if (r.Buttons.Contains(static_cast<TMsgDlgBtn>(b))) {
                r.DefaultButton = static_cast<TMsgDlgBtn>(b);
                break;
            }
    if (r.Buttons.Contains(mbCancel))
        r.CancelButton = mbCancel;
    else if (r.Buttons.Contains(mbNo))
        r.CancelButton = mbNo;
    else if (r.Buttons.Contains(mbOK))
        r.CancelButton = mbOK;
    else
        r.CancelButton = r.DefaultButton;
    return r;
}

}  // namespace

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx) {
    if (Application) Application->CancelHint();
    return DialogService().MessageBox(MakeRequest(Msg, DlgType, Buttons, HelpCtx));
}

int MessageDlgPos(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx,
                  int X, int Y) {
    if (Application) Application->CancelHint();
    TMessageBoxRequest r = MakeRequest(Msg, DlgType, Buttons, HelpCtx);
    r.X = X;
    r.Y = Y;
    return DialogService().MessageBox(r);
}

void ShowMessage(const std::string& Msg) { MessageDlg(Msg, mtCustom, {mbOK}, 0); }

bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value) {
    return DialogService().InputQuery(ACaption, APrompt, Value);
}

std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault) {
    std::string value = ADefault;
    return InputQuery(ACaption, APrompt, value) ? value : ADefault;
}

void MessageBeep(unsigned Type) { SoundService().MessageBeep(Type); }
void Beep() { MessageBeep(0); }
