// Edits and memos.
#include <QAbstractTextDocumentLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/core/sysutils.h"
#include "platform/core/text.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/drawing.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls_qt.h"

// ---- Positions and case ----------------------------------------------------------------

int Utf16OfByte(const QString& S, int BytePos) {
    if (BytePos <= 0) return 0;
    int bytes = 0;
    int i = 0;
    const int n = static_cast<int>(S.size());
    while (i < n) {
        char32_t cp = S[i].unicode();
        int units = 1;
        if (S[i].isHighSurrogate() && i + 1 < n && S[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(S[i], S[i + 1]);
            units = 2;
        }
        const int len = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        if (bytes + len > BytePos) break;
        bytes += len;
        i += units;
    }
    return i;
}

int ByteOfUtf16(const QString& S, int Pos) {
    Pos = std::clamp(Pos, 0, static_cast<int>(S.size()));
    if (Pos > 0 && Pos < S.size() && S[Pos].isLowSurrogate()) --Pos;
    return static_cast<int>(S.left(Pos).toUtf8().size());
}

QString ApplyCharCase(const QString& S, TEditCharCase Case) {
    switch (Case) {
    case ecUpperCase: return S.toUpper();
    case ecLowerCase: return S.toLower();
    default: return S;
    }
}

QValidator::State TEditValidator::validate(QString& Input, int& Pos) const {
    if (Bypass) return Acceptable;
    if (CharCase != ecNormal) {
        const QString converted = ApplyCharCase(Input, CharCase);
        if (converted.size() == Input.size() && converted != Input) {
            Input = converted;
            Converted = true;
        }
    }
    if (MaxBytes > 0 && Input.toUtf8().size() > MaxBytes) return Invalid;
    (void)Pos;
    return Acceptable;
}

// ---- The line edit ------------------------------------------------------------------------------

namespace {

// Shows PasswordChar for every character of a password edit.
class TPasswordStyle : public QProxyStyle {
public:
    explicit TPasswordStyle(char32_t Ch) : QProxyStyle(nullptr), FCh(Ch) {}
    int styleHint(StyleHint Hint, const QStyleOption* Option, const QWidget* Widget,
                  QStyleHintReturn* Return) const override {
        if (Hint == SH_LineEdit_PasswordCharacter) return static_cast<int>(FCh);
        if (Hint == SH_LineEdit_PasswordMaskDelay) return 0;
        return QProxyStyle::styleHint(Hint, Option, Widget, Return);
    }

private:
    char32_t FCh;
};

// Draws the selection in the line's own colours while the edit is without
// the keyboard (HideSelection): the selection stays, unseen.
class TSelectionHider : public QObject {
public:
    TSelectionHider(QLineEdit* Widget, TCustomEdit* Edit) : QObject(Widget), FWidget(Widget), FEdit(Edit) {
        FHighlight = Widget->palette().color(QPalette::Highlight);
        FHighlightedText = Widget->palette().color(QPalette::HighlightedText);
        Widget->installEventFilter(this);
    }
    bool Hide = true;

protected:
    bool eventFilter(QObject*, QEvent* Event) override {
        if (Event->type() == QEvent::Paint) Apply(Hide && !FEdit->Focused());
        return false;
    }

private:
    void Apply(bool Hidden) {
        QPalette pal = FWidget->palette();
        const QColor highlight = Hidden ? pal.color(QPalette::Base) : FHighlight;
        const QColor text = Hidden ? pal.color(QPalette::Text) : FHighlightedText;
        if (pal.color(QPalette::Highlight) == highlight && pal.color(QPalette::HighlightedText) == text)
            return;
        pal.setColor(QPalette::Highlight, highlight);
        pal.setColor(QPalette::HighlightedText, text);
        FWidget->setPalette(pal);
    }
    QLineEdit* FWidget;
    TCustomEdit* FEdit;
    QColor FHighlight, FHighlightedText;
};

class TLineEditAdapter : public TEditAdapter {
public:
    TLineEditAdapter(TCustomEdit* Edit, const TCreateParams& Params) : TEditAdapter(Edit) {
        FWidget = new TQtHost<QLineEdit>(Edit, ParentWidgetFor(Params));
        FValidator = new TEditValidator(FWidget);
        FWidget->setValidator(FValidator);
        FWidget->setContextMenuPolicy(Qt::NoContextMenu);
        TLineEditAdapter::SetAlignment(taLeftJustify);
        QObject::connect(FWidget, &QLineEdit::textChanged, &Receiver, [this](const QString&) {
            // Input the validator put in its case is set anew by the widget,
            // which counts it as unmodified; it is the user's change.
            if (FValidator->Converted) {
                FValidator->Converted = false;
                FWidget->setModified(true);
            }
            NotifyChanged();
        });
    }
    ~TLineEditAdapter() override { delete FStyle; }

    QWidget* Widget() const override { return FWidget; }
    QString Text() const override { return FWidget->text(); }
    void SetText(const QString& Value) override {
        FWidget->setText(Value);
        FWidget->setModified(false);
        FValidator->Converted = false;
    }
    int SelStart() const override {
        return FWidget->hasSelectedText() ? FWidget->selectionStart() : FWidget->cursorPosition();
    }
    int SelLength() const override { return FWidget->hasSelectedText() ? FWidget->selectionLength() : 0; }
    void SetSelection(int Start, int Length) override {
        if (Length <= 0) {
            FWidget->deselect();
            FWidget->setCursorPosition(Start);
        } else {
            FWidget->setSelection(Start, Length);
        }
    }
    void ReplaceSelection(const QString& Value) override {
        // The change handler may free the edit, and this adapter with it.
        const QPointer<TEditValidator> validator(FValidator);
        validator->Bypass = true;
        FWidget->insert(Value);
        if (validator) validator->Bypass = false;
    }
    bool Modified() const override { return FWidget->isModified(); }
    void SetModified(bool Value) override { FWidget->setModified(Value); }
    void SetReadOnly(bool Value) override { FWidget->setReadOnly(Value); }
    void SetLimits(int MaxBytes, TEditCharCase Case) override {
        FValidator->MaxBytes = MaxBytes;
        FValidator->CharCase = Case;
    }
    void SetPasswordChar(char32_t Ch) override {
        if (Ch == 0) {
            FWidget->setEchoMode(QLineEdit::Normal);
            return;
        }
        delete FStyle;
        FStyle = new TPasswordStyle(Ch);
        FWidget->setStyle(FStyle);
        FWidget->setEchoMode(QLineEdit::Password);
    }
    void SetFrame(bool Value) override { FWidget->setFrame(Value); }
    void SetHideSelection(bool Value) override {
        if (!FHider) FHider = new TSelectionHider(FWidget, FEdit);
        FHider->Hide = Value;
        FWidget->update();
    }
    void SetAlignment(TAlignment Value) override {
        // Sides as seen, whichever way the window reads.
        FWidget->setAlignment(Qt::AlignAbsolute | (Value == taRightJustify ? Qt::AlignRight | Qt::AlignVCenter
                                                   : Value == taCenter ? Qt::AlignHCenter | Qt::AlignVCenter
                                                                       : Qt::AlignLeft | Qt::AlignVCenter));
    }
    bool KeepsHistory() const override { return true; }

private:
    QLineEdit* FWidget;
    TEditValidator* FValidator;
    TPasswordStyle* FStyle = nullptr;
    TSelectionHider* FHider = nullptr;  // owned by the widget
};

}  // namespace

// ---- TCustomEdit -------------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner)
    : TWinControl(AOwner), FHistory(std::make_shared<TEditHistory>()) {
    SetControlStyle(TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight});
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

TCustomEdit::~TCustomEdit() {
    Destroying();
    DestroyHandle();
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    // An edit's line scrolls sideways; a descendant that wants a multi-line
    // window to wrap takes ES_AUTOHSCROLL off.
    Params.Style |= ES_AUTOHSCROLL;
    AddBorderStyle(Params, FBorderStyle, Ctl3D());
    if (UseRightToLeftReading()) Params.ExStyle |= WS_EX_RTLREADING;
    if (UseRightToLeftAlignment()) Params.ExStyle |= WS_EX_RIGHT;
}

void TCustomEdit::CreateWindowHandle(const TCreateParams& Params) {
    FAdapter = CreateAdapter(Params);
    FMultiLineWindow = (Params.Style & ES_MULTILINE) || dynamic_cast<TCustomMemo*>(this);
    ApplyToAdapter();
    if ((Params.Style & ES_RIGHT) || (Params.ExStyle & WS_EX_RIGHT)) FAdapter->SetAlignment(taRightJustify);
    AttachWidget(FAdapter->Widget(), false);
    if (Params.ExStyle & WS_EX_RTLREADING)
        FAdapter->SetReadsRightToLeft(Params.ExStyle & WS_EX_LEFTSCROLLBAR);
}

// The window reads and aligns by its styles, so it is made again.
void TCustomEdit::BiDiModeChanged() {
    if (HandleAllocated()) RecreateWnd();
    TWinControl::BiDiModeChanged();
}

void TCustomEdit::ApplyToAdapter() {
    TEditAdapter* a = FAdapter.get();
    FSettingText = true;
    a->SetText(ToQString(TControl::GetText()));
    FSettingText = false;
    a->SetModified(FModified);
    a->SetReadOnly(FReadOnly);
    a->SetLimits(FMaxLength, FCharCase);
    a->SetPasswordChar(FPasswordChar);
    a->SetFrame(FBorderStyle == bsSingle);
    a->SetHideSelection(FHideSelection);
    const QString t = a->Text();
    a->SetSelection(Utf16OfByte(t, FSelStart),
                    Utf16OfByte(t, FSelStart + FSelLength) - Utf16OfByte(t, FSelStart));
    if (a->KeepsHistory()) FHistory->Sync(a);
}

void TCustomEdit::DestroyWnd() {
    if (FAdapter) {
        // Keep what the window held.
        const QString t = FAdapter->Text();
        TControl::SetTextValue(FromQString(t));
        FModified = FAdapter->Modified();
        FSelStart = ByteOfUtf16(t, FAdapter->SelStart());
        FSelLength = ByteOfUtf16(t, FAdapter->SelStart() + FAdapter->SelLength()) - FSelStart;
    }
    TWinControl::DestroyWnd();
    FAdapter.reset();
}

std::string TCustomEdit::GetText() const {
    if (FAdapter) return FromQString(FAdapter->Text());
    return TControl::GetText();
}

void TCustomEdit::SetTextValue(const std::string& Value) {
    if (FAdapter) {
        FSettingText = true;
        try {
            FAdapter->SetText(ToQString(Value));
        } catch (...) {
            FSettingText = false;
            throw;
        }
        FSettingText = false;
        if (FAdapter->KeepsHistory()) FHistory->Reset(FAdapter.get());
        TControl::SetTextValue(Value);  // keeps the copy and sends CM_TEXTCHANGED
        Change();
        return;
    }
    FModified = false;
    FSelStart = FSelLength = 0;
    TControl::SetTextValue(Value);
    Change();
}

void TCustomEdit::TextChangedByWidget() {
    if (FSettingText) return;
    if (FAdapter && FAdapter->KeepsHistory()) FHistory->Changed(FAdapter.get());
    GuardedCall(this, [this] { Change(); });
}

void TCustomEdit::Change() { FOnChange(this); }

int TCustomEdit::SelStart() const {
    if (!FAdapter) return FSelStart;
    return FAdapter->BytePos(FAdapter->SelStart());
}

int TCustomEdit::SelLength() const {
    if (!FAdapter) return FSelLength;
    const int s = FAdapter->SelStart();
    return FAdapter->BytePos(s + FAdapter->SelLength()) - FAdapter->BytePos(s);
}

// Selections measure the window's text (TCustomEdit::GetText), which a
// descendant's Text may not show whole (a masked edit's literals).
void TCustomEdit::SetSelStart(int Value) {
    if (FAdapter) {
        // a position past the end or inside a character goes to where it ends or starts
        FAdapter->SetSelection(FAdapter->QtPos(std::max(0, Value)), 0);
        return;
    }
    const std::string text = TCustomEdit::GetText();
    Value = std::clamp(Value, 0, static_cast<int>(text.size()));
    FSelStart = static_cast<int>(Utf8Truncate(text, static_cast<std::size_t>(Value)).size());
    FSelLength = 0;
}

void TCustomEdit::SetSelLength(int Value) {
    const int start = SelStart();
    if (FAdapter) {
        const int s = FAdapter->QtPos(start);
        const auto end = std::min<int64_t>(INT_MAX, int64_t{start} + std::max(0, Value));
        FAdapter->SetSelection(s, FAdapter->QtPos(static_cast<int>(end)) - s);
        return;
    }
    const std::string text = TCustomEdit::GetText();
    const int end = std::clamp(start + std::max(0, Value), start, static_cast<int>(text.size()));
    FSelLength = static_cast<int>(Utf8Truncate(text, static_cast<std::size_t>(end)).size()) - start;
}

std::string TCustomEdit::SelText() const {
    const std::string text = TCustomEdit::GetText();
    const int s = std::clamp(SelStart(), 0, static_cast<int>(text.size()));
    return text.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(std::max(0, SelLength())));
}

void TCustomEdit::SetSelText(const std::string& Value) {
    if (!FAdapter) {
        std::string text = TControl::GetText();
        const int s = std::min(FSelStart, static_cast<int>(text.size()));
        const int l = std::min(FSelLength, static_cast<int>(text.size()) - s);
        text.replace(static_cast<std::size_t>(s), static_cast<std::size_t>(l), Value);
        TControl::SetTextValue(text);
        FSelStart = s + static_cast<int>(Value.size());
        FSelLength = 0;
        FModified = true;
        Change();
        return;
    }
    if (FAdapter->KeepsHistory()) FHistory->Note(FAdapter.get());
    FAdapter->ReplaceSelection(ToQString(Value));
}

void TCustomEdit::SelectAll() {
    if (!FAdapter) {
        FSelStart = 0;
        FSelLength = static_cast<int>(TControl::GetText().size());
        return;
    }
    FAdapter->SetSelection(0, static_cast<int>(FAdapter->Text().size()));
}

void TCustomEdit::ClearSelection() { Perform(WM_CLEAR, 0, 0); }

void TCustomEdit::Clear() { SetText(""); }

void TCustomEdit::CopyToClipboard() { Perform(WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }
bool TCustomEdit::CanUndo() const { return FAdapter && FAdapter->CanUndo(); }
void TCustomEdit::Undo() { Perform(WM_UNDO, 0, 0); }
void TCustomEdit::ClearUndo() {
    if (FAdapter) FAdapter->ClearUndo();
}

void TCustomEdit::SetMaxLength(int Value) {
    FMaxLength = std::max(0, Value);
    if (FAdapter) FAdapter->SetLimits(FMaxLength, FCharCase);
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
    if (Value == FCharCase) return;
    FCharCase = Value;
    if (FAdapter) FAdapter->SetLimits(FMaxLength, FCharCase);
    if (Value != ecNormal) {
        const std::string text = Text();
        const std::string converted = FromQString(ApplyCharCase(ToQString(text), Value));
        if (converted != text) SetText(converted);
    }
}

void TCustomEdit::SetPasswordChar(char32_t Value) {
    if (Value == FPasswordChar) return;
    FPasswordChar = Value;
    if (FAdapter) FAdapter->SetPasswordChar(Value);
}

bool TCustomEdit::Modified() const { return FAdapter ? FAdapter->Modified() : FModified; }

void TCustomEdit::SetModified(bool Value) {
    FModified = Value;
    if (FAdapter) FAdapter->SetModified(Value);
}

void TCustomEdit::SetReadOnly(bool Value) {
    FReadOnly = Value;
    if (FAdapter) FAdapter->SetReadOnly(Value);
}

void TCustomEdit::SetAutoSize(bool Value) {
    if (Value == FAutoSize) return;
    FAutoSize = Value;
    AdjustHeight();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
    AdjustHeight();
}

void TCustomEdit::SetHideSelection(bool Value) {
    FHideSelection = Value;
    if (FAdapter) FAdapter->SetHideSelection(Value);
}

int TCustomEdit::AutoHeight() const {
    const QFontMetrics fm(ToQFont(Font()));
    return fm.height() + (FBorderStyle == bsSingle ? 8 : 2);
}

void TCustomEdit::AdjustHeight() {
    if (!FAutoSize || !ControlStyle().Contains(csFixedHeight) || ComponentState().Contains(csLoading)) return;
    SetHeight(AutoHeight());
}

void TCustomEdit::FontChanged(TObject* Sender) {
    TWinControl::FontChanged(Sender);
    AdjustHeight();
}

void TCustomEdit::DoEnter() {
    // A multi-line window keeps its caret: typing into a memo entered by Tab
    // must not replace all its text.
    if (FAutoSelect && !FMultiLineWindow && !ControlState().Contains(csLButtonDown) && !GetCaptureControl())
        SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }

void TCustomEdit::WMChar(TMessage& Message) {
    if (DoKeyPress(Message)) return;
    // The edit's own clipboard and undo keys go through the messages, so
    // descendants see them.
    if (const unsigned command = EditCommandOfChar(Message.WParam)) {
        Perform(command, 0, 0);
        return;
    }
    if (FReadOnly && Message.WParam != 9) return;
    // A multi-line window has no validator: the byte limit is kept here.
    if (FAdapter && qobject_cast<QPlainTextEdit*>(FAdapter->Widget()) &&
        !TypedCharFits(static_cast<int>(TCustomEdit::GetText().size()), SelLength(), Message.WParam,
                       FMaxLength))
        return;
    if (FCharCase != ecNormal && Message.WParam >= 32) {
        // The character goes to the widget in its case: a text the widget had
        // to convert would lose Modified and the undo history.
        const auto ch = static_cast<char32_t>(Message.WParam);
        const QList<uint> converted = ApplyCharCase(QString::fromUcs4(&ch, 1), FCharCase).toUcs4();
        if (converted.size() == 1) Message.WParam = converted[0];
    }
    DefaultHandler(Message);
}

bool TypedCharFits(int TextBytes, int SelBytes, WPARAM Char, int MaxLength) {
    if (MaxLength <= 0 || Char < 32) return true;
    const auto ch = static_cast<char32_t>(Char);
    const int bytes = static_cast<int>(QString::fromUcs4(&ch, 1).toUtf8().size());
    return TextBytes - SelBytes + bytes <= MaxLength;
}

std::string TextToPaste(bool MultiLine, TEditCharCase Case, int MaxLength, int KeptBytes) {
    std::string text = Clipboard()->AsText();
    if (!MultiLine) {
        const auto br = text.find_first_of("\r\n");
        if (br != std::string::npos) text.resize(br);
    }
    text = FromQString(ApplyCharCase(ToQString(text), Case));
    if (MaxLength > 0)
        text = Utf8Truncate(text, static_cast<std::size_t>(std::max(0, MaxLength - KeptBytes)));
    return text;
}

// Clipboard, clearing and undo messages of the edit.
class TEditMessages {
public:
    static bool Handle(TCustomEdit* Edit, TEditAdapter* A, TMessage& Message, bool MultiLine) {
        switch (Message.Msg) {
        case WM_COPY:
            if (Edit->PasswordChar() == 0 && Edit->SelLength() > 0) Clipboard()->SetAsText(Edit->SelText());
            return true;
        case WM_CUT:
            if (Edit->PasswordChar() == 0 && Edit->SelLength() > 0 && !Edit->ReadOnly()) {
                Clipboard()->SetAsText(Edit->SelText());
                if (A)
                    A->ReplaceSelection(QString());
                else
                    Edit->SetSelText("");
            }
            return true;
        case WM_CLEAR:
            if (Edit->SelLength() > 0 && !Edit->ReadOnly()) {
                if (A)
                    A->ReplaceSelection(QString());
                else
                    Edit->SetSelText("");
            }
            return true;
        case WM_PASTE: {
            if (Edit->ReadOnly()) return true;
            const std::string text = TextToPaste(MultiLine, Edit->CharCase(), Edit->MaxLength(),
                                                 static_cast<int>(Edit->Text().size()) - Edit->SelLength());
            if (A)
                A->ReplaceSelection(ToQString(text));
            else
                Edit->SetSelText(text);
            return true;
        }
        case WM_UNDO:
            if (A && !Edit->ReadOnly()) A->Undo();
            return true;
        default: return false;
        }
    }
};

void TCustomEdit::Dispatch(TMessage& Message) {
    if (TEditMessages::Handle(this, FAdapter.get(), Message, dynamic_cast<TCustomMemo*>(this) != nullptr))
        return;
    // Shift+Insert, Ctrl+Insert and Shift+Delete go through the messages too.
    if (const unsigned command = FAdapter ? EditCommandOfKey(Message) : 0) {
        if (DoKeyDown(Message)) return;
        Perform(command, 0, 0);
        return;
    }
    TWinControl::Dispatch(Message);
}

void TCustomEdit::Publish(TPublisher<TCustomEdit>& p) {
    p.Property(
        "Text", [](TCustomEdit& e) { return e.Text(); },
        [](TCustomEdit& e, const std::string& v) { e.SetText(v); });
    p.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength);
    p.Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase);
    p.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly);
    p.Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect);
    p.Property("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize);
    p.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle);
    p.Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection);
    p.Property("OnChange", &TCustomEdit::OnChange, &TCustomEdit::SetOnChange);
}

// ---- The memo ---------------------------------------------------------------------------------------

namespace {

class TMemoAdapter : public TEditAdapter {
public:
    // Memo is nullptr for an edit made multi-line by its window style.
    TMemoAdapter(TCustomEdit* Edit, TCustomMemo* Memo, const TCreateParams& Params)
        : TEditAdapter(Edit), FMemo(Memo), FStyle(Params.Style) {
        FWidget = new TQtScrollHost<QPlainTextEdit>(Edit, ParentWidgetFor(Params));
        FWidget->setContextMenuPolicy(Qt::NoContextMenu);
        FWidget->setTabChangesFocus(false);
        ApplyFrame(FWidget, Params);
        if (!Memo) {
            // An edit made multi-line by its style places its text by its text
            // rectangle alone: the document adds no margin of its own. Done on
            // the empty document, so it is neither a change nor an undo step.
            FWidget->document()->setDocumentMargin(0);
            FWidget->document()->clearUndoRedoStacks();
            FWidget->document()->setModified(false);
        }
        QObject::connect(FWidget, &QPlainTextEdit::textChanged, &Receiver, [this] { NotifyChanged(); });
        if (!Memo) {
            // The text rectangle's margins are the edit's face, as a one-line edit's are.
            FWidget->setBackgroundRole(QPalette::Base);
            FWidget->setAutoFillBackground(true);
            // One line that fits shows whole: the window keeps the width its
            // line had before its margins narrowed it, and would scroll within it.
            QScrollBar* bar = FWidget->horizontalScrollBar();
            const auto keepInView = [this, bar] {
                // The bar's start is the line's left end left to right, its right end right to left.
                const int start = FWidget->isRightToLeft() ? bar->maximum() : bar->minimum();
                if (bar->value() != start && LineFits()) bar->setValue(start);
            };
            QObject::connect(bar, &QScrollBar::valueChanged, &Receiver, keepInView);
            QObject::connect(bar, &QScrollBar::rangeChanged, &Receiver, keepInView);
        }
        ApplyWrap();
    }

    QWidget* Widget() const override { return FWidget; }
    QString Text() const override { return FWidget->toPlainText(); }
    void SetText(const QString& Value) override {
        FWidget->setPlainText(Value);
        FWidget->document()->setModified(false);
    }
    int SelStart() const override { return FWidget->textCursor().selectionStart(); }
    int SelLength() const override {
        const QTextCursor c = FWidget->textCursor();
        return c.selectionEnd() - c.selectionStart();
    }
    void SetSelection(int Start, int Length) override {
        QTextCursor c = FWidget->textCursor();
        c.setPosition(Start);
        if (Length > 0) c.setPosition(Start + Length, QTextCursor::KeepAnchor);
        FWidget->setTextCursor(c);
    }
    void ReplaceSelection(const QString& Value) override { FWidget->textCursor().insertText(Value); }
    bool Modified() const override { return FWidget->document()->isModified(); }
    void SetModified(bool Value) override { FWidget->document()->setModified(Value); }
    void SetReadOnly(bool Value) override {
        FWidget->setReadOnly(Value);
        // A read-only memo still moves its caret and selects with the keyboard.
        if (Value) FWidget->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    void SetLimits(int MaxBytes, TEditCharCase Case) override {
        FMaxBytes = MaxBytes;
        FCase = Case;
    }
    void SetPasswordChar(char32_t) override {}
    void SetFrame(bool) override {}
    void SetAlignment(TAlignment Value) override {
        QTextOption o = FWidget->document()->defaultTextOption();
        o.setAlignment(Qt::AlignAbsolute | (Value == taRightJustify ? Qt::AlignRight
                                            : Value == taCenter     ? Qt::AlignHCenter
                                                                    : Qt::AlignLeft));
        FWidget->document()->setDefaultTextOption(o);
    }
    bool KeepsHistory() const override { return true; }
    // The lines read right to left by the document's direction; the window
    // turns only for a scroll bar at the left (reading alone keeps it right).
    void SetReadsRightToLeft(bool LeftScrollBar) override {
        QTextOption o = FWidget->document()->defaultTextOption();
        o.setTextDirection(Qt::RightToLeft);
        FWidget->document()->setDefaultTextOption(o);
        FWidget->setLayoutDirection(LeftScrollBar ? Qt::RightToLeft : Qt::LeftToRight);
    }
    void ApplyWrap() override {
        const bool wrap = FMemo ? FMemo->WordWrap() : (FStyle & ES_AUTOHSCROLL) == 0;
        FWidget->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        const TScrollStyle s = FMemo ? FMemo->ScrollBars() : (FStyle & WS_VSCROLL) ? ssVertical : ssNone;
        FWidget->setVerticalScrollBarPolicy(s == ssVertical || s == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                           : Qt::ScrollBarAlwaysOff);
        FWidget->setHorizontalScrollBarPolicy(s == ssHorizontal || s == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                               : Qt::ScrollBarAlwaysOff);
    }
    int MaxBytes() const { return FMaxBytes; }
    TEditCharCase Case() const { return FCase; }

private:
    // The text and the caret fit in the viewport's width.
    bool LineFits() const {
        const qreal text = QFontMetricsF(FWidget->font()).horizontalAdvance(FWidget->toPlainText());
        return text + FWidget->cursorWidth() <= FWidget->viewport()->width();
    }
    TCustomMemo* FMemo;
    uint32_t FStyle;
    QPlainTextEdit* FWidget;
    int FMaxBytes = 0;
    TEditCharCase FCase = ecNormal;
};

}  // namespace

// The memo's lines: the text split at line breaks, written back whole.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}

    void Insert(int Index, const std::string& S) override {
        std::vector<std::string> lines = Lines();
        if (Index < 0 || Index > static_cast<int>(lines.size())) IndexError(Index);
        lines.insert(lines.begin() + Index, S);
        Store(lines);
    }
    void Delete(int Index) override {
        std::vector<std::string> lines = Lines();
        if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
        lines.erase(lines.begin() + Index);
        Store(lines);
    }
    void Clear() override { FMemo->SetText(""); }
    std::string GetTextStr() const override {
        std::string t = FMemo->Text();
        if (!t.empty()) t += "\n";
        return t;
    }
    void SetTextStr(const std::string& Value) override {
        std::string t = Value;
        // One line break at the end ends the last line; the memo shows no empty line for it.
        if (!t.empty() && t.back() == '\n') t.pop_back();
        if (!t.empty() && t.back() == '\r') t.pop_back();
        std::string normal;
        normal.reserve(t.size());
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (t[i] == '\r') {
                normal += '\n';
                if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
            } else {
                normal += t[i];
            }
        }
        FMemo->SetText(normal);
    }

protected:
    std::string Get(int Index) const override {
        const std::vector<std::string> lines = Lines();
        if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
        return lines[static_cast<std::size_t>(Index)];
    }
    int GetCount() const override { return static_cast<int>(Lines().size()); }
    void Put(int Index, const std::string& S) override {
        std::vector<std::string> lines = Lines();
        if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
        lines[static_cast<std::size_t>(Index)] = S;
        Store(lines);
    }

private:
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const std::string t = FMemo->Text();
        if (t.empty()) return lines;
        std::size_t start = 0;
        for (;;) {
            const std::size_t br = t.find('\n', start);
            if (br == std::string::npos) {
                lines.push_back(t.substr(start));
                break;
            }
            lines.push_back(t.substr(start, br - start));
            start = br + 1;
        }
        return lines;
    }
    void Store(const std::vector<std::string>& Lines) {
        std::string t;
        for (std::size_t i = 0; i < Lines.size(); ++i) {
            if (i) t += '\n';
            t += Lines[i];
        }
        FMemo->SetText(t);
    }
    TCustomMemo* FMemo;
};

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this)) {
    SetControlStyle(ControlStyle() - csFixedHeight);
    SetAutoSize(false);
    SetBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo() {
    Destroying();
    DestroyHandle();
}

std::unique_ptr<TEditAdapter> TCustomEdit::CreateAdapter(const TCreateParams& Params) {
    if (Params.Style & ES_MULTILINE) return std::make_unique<TMemoAdapter>(this, nullptr, Params);
    return std::make_unique<TLineEditAdapter>(this, Params);
}

std::unique_ptr<TEditAdapter> TCustomMemo::CreateAdapter(const TCreateParams& Params) {
    auto a = std::make_unique<TMemoAdapter>(this, this, Params);
    a->SetAlignment(FAlignment);
    return a;
}

void TCustomMemo::SetLines(TStrings* Value) { FLines->Assign(Value); }

void TCustomMemo::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    if (FAdapter) FAdapter->ApplyWrap();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    if (FAdapter) FAdapter->ApplyWrap();
}

void TCustomMemo::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    if (FAdapter) FAdapter->SetAlignment(Value);
}

TPoint TCustomMemo::CaretPos() const {
    const std::string t = Text();
    const int pos = std::min(SelStart(), static_cast<int>(t.size()));
    int line = 0, lineStart = 0;
    for (int i = 0; i < pos; ++i)
        if (t[static_cast<std::size_t>(i)] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    return {pos - lineStart, line};
}

void TCustomMemo::WMGetDlgCode(TMessage& Message) {
    TCustomEdit::WMGetDlgCode(Message);
    Message.Result |= DLGC_WANTALLKEYS;
    if (FWantTabs) Message.Result |= DLGC_WANTTAB;
    if (!FWantReturns) Message.Result &= ~DLGC_WANTALLKEYS;
}

void TCustomMemo::WMChar(TMessage& Message) {
    if (DoKeyPress(Message)) return;
    if (const unsigned command = EditCommandOfChar(Message.WParam)) {
        Perform(command, 0, 0);
        return;
    }
    if (ReadOnly()) return;
    const auto ch = static_cast<char32_t>(Message.WParam);
    if (ch == 9 && !FWantTabs) return;
    if (ch == 13 && !FWantReturns) return;
    auto* a = dynamic_cast<TMemoAdapter*>(FAdapter.get());
    if (a && (ch >= 32 || ch == 9 || ch == 13)) {
        // Character case and the byte limit, as the line edit's validator
        // does; a tab or line break takes one byte.
        QString s = QString::fromUcs4(&ch, 1);
        s = ApplyCharCase(s, a->Case());
        const int bytes = ch < 32 ? 1 : static_cast<int>(s.toUtf8().size());
        if (a->MaxBytes() > 0 && static_cast<int>(Text().size()) - SelLength() + bytes > a->MaxBytes())
            return;
        if (s != QString::fromUcs4(&ch, 1)) {
            a->ReplaceSelection(s);
            return;
        }
    }
    DefaultHandler(Message);
}

void TCustomMemo::DoEnter() { TWinControl::DoEnter(); }

void TCustomMemo::Publish(TPublisher<TCustomMemo>& p) {
    p.Property("Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines);
    p.Property("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap);
    p.Property("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars);
    p.Property("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs);
    p.Property("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns);
    p.Property("Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment);
}
