// Picture masks: the suite's small language for what an edit accepts.
//
//   #  a digit            ?  a letter            &  a letter, upper-cased
//   ~  a letter, lower-cased                     !  any character, upper-cased
//   @  any character      *n the next piece n times (no n: any number of times)
//   {} a group            [] an optional group   ,  alternatives
//   ;  the next character is a literal           anything else is a literal
//
// A letter is A-Z, a-z or any character above code 128. Literals match
// ignoring ASCII case and are stored with the mask's own case. Texts are
// UTF-8 and are matched character by character (code points); positions in
// the key routine count characters too.
//
// A validator is short-lived: create one for a mask, run one operation, free
// it. A malformed mask is no exception: Status() is 1 and Picture answers
// pmrSyntax.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/object.h"

enum TqzPictureResult : uint8_t {
    pmrComplete,         // the text matches the whole mask
    pmrIncomplete,       // a valid beginning; more input is needed
    pmrEmpty,            // the text is empty and the mask sound
    pmrError,            // the text cannot match the mask
    pmrSyntax,           // the mask itself is malformed
    pmrAmbiguous,        // internal: complete, but the mask could take more
    pmrIncompleteNoFill  // internal: incomplete where auto-fill adds nothing
};

class TqzPictureValidator : public TObject {
    TASKMOOR_CLASS(TqzPictureValidator, TObject)
public:
    // Option bit: AcceptsInput completes the text with the mask's literals.
    static constexpr uint16_t AutoFillOption = 1;

    TqzPictureValidator(const std::string& Mask, bool AutoFill);

    // 0 when the mask is usable, 1 when it failed the syntax check.
    uint16_t Status() const { return FStatus; }
    uint16_t Options() const { return FOptions; }
    const std::string& Pic() const { return FPic; }

    // Picture with auto-fill as the options say (never when NoFill); True
    // unless the text cannot match. Text may come back completed.
    virtual bool AcceptsInput(std::string& Text, bool NoFill);
    // True when Text (left unchanged) is complete or empty.
    virtual bool IsCompleteOrEmpty(const std::string& Text);
    // Matches Text against the mask, changing letter case, storing literals
    // and (with AutoFill) appending literals in place. Never answers the two
    // internal results.
    virtual TqzPictureResult Picture(std::string& Text, bool AutoFill);

private:
    uint16_t FStatus = 0;
    uint16_t FOptions = 0;
    std::string FPic;
};

// True when Text is empty or matches the whole mask (no auto-fill).
bool qzTextMatchesPictureMask(const std::string& Mask, const std::string& Text);

// Text with the characters [SelStart, SelStart + SelLength) replaced by Key;
// positions count characters and are clamped to the text.
std::string qzTextWithKeyAtSelection(const std::string& Text, int SelStart, int SelLength, char32_t Key);

// What a key typed into an edit does when the edit has a picture mask.
struct TqzPictureKeyOutcome {
    bool Consumed = false;  // the mask handled the key; the edit must not see it
    bool SetText = false;   // Text and SelStart replace the edit's (selection length 0)
    std::string Text;
    int SelStart = 0;   // in characters
    bool Beep = false;  // the key was refused at the end of the text
};

// The edit-independent heart of qzProcessPictureMaskKey: the edit's text,
// selection start and length (in characters) and the typed key.
TqzPictureKeyOutcome qzPictureMaskKeyOutcome(const std::string& EditText, int SelStart, int SelLength,
                                             const std::string& Mask, bool AutoFill, char32_t Key);

// Applies a typed key to an edit through a mask. TEdit offers Text(),
// SetText(), SelStart(), SetSelStart(), SelLength(), SetSelLength() counting
// characters; Beep is called to sound a refusal. When the mask handled the
// key, Key becomes 0 and the answer is True.
template <class TEdit, class TKey, class TBeep>
bool qzProcessPictureMaskKey(TEdit* Edit, const std::string& Mask, bool AutoFill, TKey& Key, TBeep&& Beep) {
    char32_t code;
    if constexpr (sizeof(TKey) == 1)
        code = static_cast<unsigned char>(Key);
    else
        code = static_cast<char32_t>(Key);
    const TqzPictureKeyOutcome outcome =
        qzPictureMaskKeyOutcome(Edit->Text(), Edit->SelStart(), Edit->SelLength(), Mask, AutoFill, code);
    if (!outcome.Consumed) return false;
    if (outcome.SetText) {
        Edit->SetText(outcome.Text);
        Edit->SetSelStart(outcome.SelStart);
        Edit->SetSelLength(0);
    }
    if (outcome.Beep) Beep();
    Key = 0;
    return true;
}
