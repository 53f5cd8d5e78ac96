// Edit masks and the masked edit.
//
// An edit mask limits what may be typed into an edit, position by position.
// Its text has up to three fields separated by ";":
//
//   mask ; save-literals ; blank        e.g. "!99/99/0000;1;_", "999;0; "
//
// The mask is a sequence of positions:
//   L  letter (required)          l  letter (optional)
//   A  letter or digit (required) a  letter or digit (optional)
//   C  any character (required)   c  any character (optional)
//   0  digit (required)           9  digit (optional)
//   #  digit, "+" or "-" (optional)
//   :  the time separator         /  the date separator
//   _  a blank (literal space)    \x the character x as a literal
//   any other character is a literal.
// and these markers, which take no position:
//   >  upper-case what follows    <  lower-case what follows
//   <> no case conversion         !  optional characters are leading blanks
// The second field is "0" when the literals are not part of Text (anything
// else keeps them); the third field's first character is the blank shown in
// empty positions ("_" when absent).
//
// The edit text (EditText) always shows every position: literals, typed
// characters and blanks; selections count its bytes. Text is the value:
// the edit text with blanks as spaces, without the literals when they are
// not saved (then trailing blanks, or leading ones with "!", are dropped).
#pragma once

#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/ui/stdctrls.h"

// An edit text that does not satisfy its mask (ValidateEdit).
class EDBEditError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EDBEditError"; }
};

// The text of EDBEditError.
inline constexpr const char* SMaskEditErr = "Invalid input value.  Use escape key to abandon changes";

// A parsed edit mask. Any text parses: an unfinished "\" or an empty field
// is taken as it stands.
class TEditMask {
public:
    TEditMask() = default;
    explicit TEditMask(const std::string& Mask);

    const std::string& MaskText() const { return FText; }
    // No positions: an edit with this mask is not masked.
    bool Empty() const { return FPositions.empty(); }
    bool SaveLiterals() const { return FSaveLiterals; }
    char32_t Blank() const { return FBlank; }
    bool LeadingBlanks() const { return FLeadingBlanks; }

    // Positions of the edit text.
    int Length() const { return static_cast<int>(FPositions.size()); }
    bool IsLiteral(int Pos) const;
    // The literal character at a literal position (0 elsewhere).
    char32_t Literal(int Pos) const;
    bool IsRequired(int Pos) const;
    // True when Ch may stand at input position Pos; Ch takes the position's
    // letter case.
    bool Accepts(int Pos, char32_t& Ch) const;
    // The first input position at or after Pos (Length() when none).
    int NextInput(int Pos) const;
    // The last input position before Pos (-1 when none).
    int PriorInput(int Pos) const;

    // The edit text of an empty value: literals and blanks.
    std::u32string EmptyEditText() const;
    // The edit text showing Value (a Text as this mask makes it); characters
    // a position does not take become blanks.
    std::u32string FormatText(const std::u32string& Value) const;
    // Text of an edit text.
    std::u32string EditToText(const std::u32string& EditText) const;
    // The first position that is blank though required, or holds a
    // character its position does not take; -1 when the edit text is valid.
    int FirstInvalid(const std::u32string& EditText) const;

private:
    struct TPosition {
        bool Literal = false;
        char32_t Ch = 0;  // the literal, or the mask character of an input
        int Case = 0;     // 0 as typed, 1 upper, 2 lower
    };
    std::string FText;
    std::vector<TPosition> FPositions;
    bool FSaveLiterals = true;
    bool FLeadingBlanks = false;
    char32_t FBlank = U'_';
};

// Value formatted with EditMask as the masked edit would show it (UTF-8).
std::string FormatMaskText(const std::string& EditMask, const std::string& Value);

// An edit that takes its input through an edit mask (when EditMask has
// positions; otherwise it is a plain edit). Typing overwrites position by
// position and skips literals; a character the position refuses beeps and is
// dropped. Backspace and Delete blank positions. Escape (when modified) puts
// back the text of the last time it was set or the edit was entered.
class TCustomMaskEdit : public TCustomEdit {
    TASKMOOR_CLASS(TCustomMaskEdit, TCustomEdit)
public:
    explicit TCustomMaskEdit(TComponent* AOwner);
    ~TCustomMaskEdit() override;

    const std::string& EditMask() const { return FMask.MaskText(); }
    // Keeps the value (Text) and shows it through the new mask.
    void SetEditMask(const std::string& Value);
    bool IsMasked() const { return !FMask.Empty(); }
    const TEditMask& Mask() const { return FMask; }
    // The text as shown, with literals and blanks.
    std::string EditText() const;
    void SetEditText(const std::string& Value);
    // Raises EDBEditError (after putting the caret on the first bad position
    // and the focus in the edit) when the edit text does not satisfy the mask.
    virtual void ValidateEdit();
    // Back to the text before the user's changes (when modified).
    virtual void Reset();

    void Dispatch(TMessage& Message) override;

protected:
    // False when the edit may not be changed now; typing is then dropped.
    virtual bool EditCanModify() { return true; }
    // The caret goes to Pos, the focus to the edit, and EDBEditError is raised.
    [[noreturn]] virtual void ValidateError(int Pos);
    // The text area inside the client area (margins of the toolkit editor).
    void SetEditRect(const TRect& Rect);
    // Types Ch as the user would: the key-press handling first, then the
    // character goes in (masked or plain; Backspace deletes).
    void TypeKey(char32_t Ch);

    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void DoEnter() override;
    void CMExit(TMessage& Message) override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    std::string GetText() const override;
    void SetTextValue(const std::string& Value) override;

private:
    // Masked editing of the widget's text.
    std::u32string RawText() const;
    void SetRawText(const std::u32string& Text, int Caret);
    void TypeChar(char32_t Ch);
    // Where typing the literal Ch at Caret leads (-1: nowhere).
    int LiteralStep(int Caret, char32_t Ch) const;
    void BlankSelection(bool Backward);
    void PasteMasked(const std::string& Text);
    void CutMasked();
    void ReplaceEditText(const std::u32string& Text);
    int CaretPos() const;
    int SelEndPos() const;

    void ApplyEditRect();

    TEditMask FMask;
    std::string FOldValue;
    bool FSettingRaw = false;
    TRect FEditRect;
    bool FHasEditRect = false;
};

class TMaskEdit : public TCustomMaskEdit {
    TASKMOOR_CLASS(TMaskEdit, TCustomMaskEdit)
public:
    using TCustomMaskEdit::TCustomMaskEdit;

    static void Publish(TPublisher<TMaskEdit>& p);
};
