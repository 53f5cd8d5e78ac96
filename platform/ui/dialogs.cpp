// Message boxes, input boxes and the beep, with their toolkit implementations.
#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/ui/application.h"
#include "platform/ui/qt_host.h"

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

class TToolkitDialogs : public TDialogService {
public:
    TModalResult MessageBox(const TMessageBoxRequest& Request) override {
        EnsureToolkit();
        QDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(ToQString(Request.Caption));
        dialog.setModal(true);
        auto* outer = new QVBoxLayout(&dialog);
        auto* body = new QHBoxLayout();
        QStyle::StandardPixmap icon = QStyle::SP_CustomBase;
        switch (Request.DlgType) {
        case mtWarning: icon = QStyle::SP_MessageBoxWarning; break;
        case mtError: icon = QStyle::SP_MessageBoxCritical; break;
        case mtInformation: icon = QStyle::SP_MessageBoxInformation; break;
        case mtConfirmation: icon = QStyle::SP_MessageBoxQuestion; break;
        case mtCustom: break;
        }
        if (icon != QStyle::SP_CustomBase) {
            auto* picture = new QLabel(&dialog);
            picture->setPixmap(dialog.style()->standardIcon(icon).pixmap(32, 32));
            picture->setAlignment(Qt::AlignTop);
            body->addWidget(picture);
        }
        auto* text = new QLabel(ToQString(Request.Text), &dialog);
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        body->addWidget(text, 1);
        outer->addLayout(body);
        auto* row = new QHBoxLayout();
        row->addStretch(1);
        TModalResult cancelResult = ModalResultOf(Request.CancelButton);
        for (int b = mbYes; b <= mbHelp; ++b) {
            const auto button = static_cast<TMsgDlgBtn>(b);
            if (!Request.Buttons.Contains(button)) continue;
            auto* push = new QPushButton(ToQString(ButtonCaption(button)), &dialog);
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
            row->addWidget(push);
        }
        row->addStretch(1);
        outer->addLayout(row);
        dialog.adjustSize();
        if (Request.X >= 0 && Request.Y >= 0) {
            dialog.move(Request.X, Request.Y);
        } else if (QScreen* s = QGuiApplication::primaryScreen()) {
            const QRect area = s->availableGeometry();
            dialog.move(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
        }
        if (Application) Application->ModalStarted();
        const int result = dialog.exec();
        if (Application) Application->ModalFinished();
        // Escape and closing the window answer the cancel button.
        return result == QDialog::Rejected ? cancelResult : result;
    }

    bool InputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value) override {
        EnsureToolkit();
        QInputDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(ToQString(Caption));
        dialog.setLabelText(ToQString(Prompt));
        dialog.setTextValue(ToQString(Value));
        dialog.setOkButtonText("OK");
        dialog.setCancelButtonText("Cancel");
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
