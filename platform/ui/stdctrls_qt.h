// The toolkit side of the standard controls. Only the sources of platform/ui
// include this header.
#pragma once

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QString>
#include <QValidator>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/qt_host.h"
#include "platform/ui/stdctrls.h"

// ---- Positions: UTF-8 byte offsets and the toolkit's UTF-16 offsets ----------------------
// The UTF-16 offset of a byte offset into the UTF-8 form of S (a byte inside
// a character counts as that character's start).
int Utf16OfByte(const QString& S, int BytePos);
// The byte offset (UTF-8) of a UTF-16 offset.
int ByteOfUtf16(const QString& S, int Pos);
// Applies a character case.
QString ApplyCharCase(const QString& S, TEditCharCase Case);

// Adds the frame edge of a bordered control to its window parameters.
inline void AddBorderStyle(TCreateParams& Params, TBorderStyle Style, bool Ctl3D) {
    if (Style != bsSingle) return;
    if (Ctl3D)
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
        Params.Style |= WS_BORDER;
}

// Checks what the user types into a line edit: character case and the
// byte limit.
class TEditValidator : public QValidator {
public:
    explicit TEditValidator(QObject* Parent) : QValidator(Parent) {}
    State validate(QString& Input, int& Pos) const override;
    int MaxBytes = 0;
    TEditCharCase CharCase = ecNormal;
    bool Bypass = false;
    // Set when validate changed the input's case.
    mutable bool Converted = false;
};

// The text and selection (UTF-16 offsets) an undo history reads.
class TEditText {
public:
    virtual ~TEditText() = default;
    virtual QString Text() const = 0;
    virtual int SelStart() const = 0;
    virtual int SelLength() const = 0;
};

// The widget behind an edit or memo.
class TEditAdapter : public TEditText {
public:
    explicit TEditAdapter(TCustomEdit* Edit) : FEdit(Edit) {}

    virtual QWidget* Widget() const = 0;
    // Replaces the text: no undo, not modified.
    virtual void SetText(const QString& Value) = 0;
    virtual void SetSelection(int Start, int Length) = 0;
    // Replaces the selection (no input checks).
    virtual void ReplaceSelection(const QString& Value) = 0;
    virtual bool Modified() const = 0;
    virtual void SetModified(bool Value) = 0;
    virtual void SetReadOnly(bool Value) = 0;
    virtual void SetLimits(int MaxBytes, TEditCharCase Case) = 0;
    virtual void SetPasswordChar(char32_t Ch) = 0;
    virtual void SetFrame(bool Value) = 0;
    virtual void SetAlignment(TAlignment Value) = 0;
    // The edit's own undo history (TEditHistory) when KeepsHistory; a
    // widget with a history of its own overrides these.
    virtual bool KeepsHistory() const { return false; }
    virtual bool CanUndo() const;
    virtual void Undo();
    virtual void ClearUndo();
    virtual void SetHideSelection(bool) {}
    // Applies a multi-line window's WordWrap and ScrollBars.
    virtual void ApplyWrap() {}
    // A window reading right to left: by default the whole window turns
    // (its text, and a scroll bar to the left edge).
    virtual void SetReadsRightToLeft(bool LeftScrollBar) {
        (void)LeftScrollBar;
        Widget()->setLayoutDirection(Qt::RightToLeft);
    }
    // Byte positions (as SelStart counts them) of the widget's positions, and back.
    virtual int BytePos(int Pos) { return ByteOfUtf16(Text(), Pos); }
    virtual int QtPos(int Byte) { return Utf16OfByte(Text(), Byte); }
    // The receiver of the widget's signals: gone with the adapter, so an
    // edit freed by its own OnChange hears no more of them.
    QObject Receiver;

protected:
    void NotifyChanged() { FEdit->TextChangedByWidget(); }
    TCustomEdit* FEdit;
};

// The undo history of a plain edit, memo or combo box's edit part: each run
// of typing and each paste, cut or clear is a step of its own, and Undo
// takes back the last step. A run of typing ends when a key or the mouse
// moves the caret, or the focus comes or goes. Positions are the widget's
// (UTF-16).
class TEditHistory {
public:
    struct TState {
        QString Text;
        int SelStart = 0;
        int SelLength = 0;
    };
    // A message comes to the edit, and Leave when it has been handled;
    // the caret is taken at the outermost one.
    void Enter(TEditText* A, const TMessage& Message);
    void Leave();
    // Enters a message for as long as it lives; the history is kept alive
    // with it, as the control may be gone when the message is over.
    class TScope {
    public:
        TScope(std::shared_ptr<TEditHistory> History, TEditText* A, const TMessage& Message)
            : FHistory(std::move(History)) {
            FHistory->Enter(A, Message);
        }
        ~TScope() { FHistory->Leave(); }
        TScope(const TScope&) = delete;
        TScope& operator=(const TScope&) = delete;

    private:
        std::shared_ptr<TEditHistory> FHistory;
    };
    // The widget's text changed by typing, a command or the program's SelText.
    void Changed(TEditText* A);
    // The program is about to replace the selection (outside any message).
    void Note(TEditText* A);
    // The text was set whole: no steps are left.
    void Reset(TEditText* A);
    // Takes the widget's text and selection as they are, the steps kept.
    void Sync(TEditText* A);
    bool CanUndo() const { return !FSteps.empty(); }
    // Takes the last step off: the state before it.
    TState Pop();

private:
    static TState StateOf(TEditText* A);
    void Push();
    std::vector<TState> FSteps;
    qsizetype FChars = 0;  // the characters of the steps' texts
    TState FBefore;        // the state before the change in progress
    int FDepth = 0;
    int FCommandDepth = 0;  // the depth of a paste, cut or clear (0: none)
    int FTypingDepth = 0;   // the depth of a typed character (0: none)
    bool FCommandPushed = false;
    bool FRunOpen = false;
};

// The clipboard or undo message an edit's key stands for (0: none): Ctrl+C,
// Ctrl+V, Ctrl+X and Ctrl+Z by their characters; Ctrl+Insert, Shift+Insert
// and Shift+Delete by their key-downs.
unsigned EditCommandOfChar(WPARAM Char);
unsigned EditCommandOfKey(const TMessage& KeyDown);
// True when a typed character leaves a text of TextBytes, SelBytes of them
// selected, within MaxLength bytes (0: no limit); a control character always.
bool TypedCharFits(int TextBytes, int SelBytes, WPARAM Char, int MaxLength);
// The clipboard's text as a paste puts it in: its first line unless
// MultiLine, in Case, cut to what MaxLength (bytes, 0: none) leaves beside
// the KeptBytes of the text the paste does not replace.
std::string TextToPaste(bool MultiLine, TEditCharCase Case, int MaxLength, int KeptBytes);

// Owner-drawn rows of a list box (listbox_owner_draw.cpp).
void PaintOwnerDrawnRow(TCustomListBox* ListBox, QPainter* Painter, const QStyleOptionViewItem& Option,
                        int Row);
int MeasureOwnerDrawnRow(TCustomListBox* ListBox, int Row);

// The widget behind a list box.
class TListAdapter {
public:
    TListAdapter(TCustomListBox* ListBox, QListWidget* Widget);
    QListWidget* Widget() const { return FWidget; }
    // Rebuilds the rows from the items and selection.
    void Reload();
    void ApplyItemHeight();
    void ApplySelectionMode();
    bool Silent = false;  // changes made by code: no click
    // The receiver of the widget's signals: gone with the adapter, so a
    // list box freed by its own OnClick hears no more of them.
    QObject Receiver;

private:
    TCustomListBox* FListBox;
    QListWidget* FWidget;
};

// The widget behind a combo box; its text and selection are the edit
// part's (none without one).
class TComboAdapter : public TEditText {
public:
    TComboAdapter(TCustomComboBox* Combo, QComboBox* Widget);
    QComboBox* Widget() const { return FWidget; }
    QString Text() const override { return FWidget->currentText(); }
    int SelStart() const override;
    int SelLength() const override;
    // Replaces the edit part's selection (no input checks).
    void ReplaceSelection(const QString& Value);
    void Reload();
    bool Silent = false;
    TEditValidator* Validator = nullptr;
    // The receiver of the widget's signals: gone with the adapter, so a
    // combo box freed by its own OnChange hears no more of them.
    QObject Receiver;
    // The combo's protected hooks, for its widget.
    static void DoDropDown(TCustomComboBox* Combo);
    static void DoCloseUp(TCustomComboBox* Combo);

private:
    TCustomComboBox* FCombo;
    QComboBox* FWidget;
};

// The frame a window of these parameters asks for.
void ApplyFrame(QFrame* Frame, const TCreateParams& Params);
