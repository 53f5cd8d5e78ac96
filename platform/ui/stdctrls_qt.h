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

#include <string>

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

// The widget behind an edit or memo.
class TEditAdapter {
public:
    explicit TEditAdapter(TCustomEdit* Edit) : FEdit(Edit) {}
    virtual ~TEditAdapter() = default;

    virtual QWidget* Widget() const = 0;
    virtual QString Text() const = 0;
    // Replaces the text: no undo, not modified.
    virtual void SetText(const QString& Value) = 0;
    // Selection in UTF-16 offsets.
    virtual int SelStart() const = 0;
    virtual int SelLength() const = 0;
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
    virtual bool CanUndo() const = 0;
    virtual void Undo() = 0;
    virtual void ClearUndo() = 0;
    virtual void SetHideSelection(bool) {}
    // Applies a multi-line window's WordWrap and ScrollBars.
    virtual void ApplyWrap() {}

protected:
    void NotifyChanged() { FEdit->TextChangedByWidget(); }
    TCustomEdit* FEdit;
};

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

private:
    TCustomListBox* FListBox;
    QListWidget* FWidget;
};

// The widget behind a combo box.
class TComboAdapter {
public:
    TComboAdapter(TCustomComboBox* Combo, QComboBox* Widget);
    QComboBox* Widget() const { return FWidget; }
    void Reload();
    bool Silent = false;
    TEditValidator* Validator = nullptr;
    // The combo's protected hooks, for its widget.
    static void DoDropDown(TCustomComboBox* Combo);
    static void DoCloseUp(TCustomComboBox* Combo);

private:
    TCustomComboBox* FCombo;
    QComboBox* FWidget;
};

// The frame a window of these parameters asks for.
void ApplyFrame(QFrame* Frame, const TCreateParams& Params);
