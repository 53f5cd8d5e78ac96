// TqzInplaceEdit: the suite grid's cell editor. Every typed character is
// checked against the field's picture mask (PictureMasks line): a
// character that the mask refuses at the end of the text beeps and is
// dropped; the grid's OnCheckValue hears whether the text passes.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/grids.h"

class TqzCustomDBGrid;
class TqzDBPicture;

class TqzInplaceEdit : public TInplaceEdit {
    TASKMOOR_CLASS(TqzInplaceEdit, TInplaceEdit)
public:
    explicit TqzInplaceEdit(TqzCustomDBGrid* AGrid);
    ~TqzInplaceEdit() override;

    TqzDBPicture* Picture() const { return FPicture.get(); }
    bool WordWrap() const { return FWordWrap; }
    // Stores the flag and makes the window again (its style depends on it).
    void SetWordWrap(bool Value);
    TqzCustomDBGrid* QzGrid() const { return FQzGrid; }
    bool HasPictureMask() const;
    // True when Text is empty, there is no mask, or Text completes the mask;
    // the grid's OnCheckValue hears the answer.
    bool ValidateText(const std::string& Text);
    // Reads the current field's mask (done when the editor gets the focus).
    void LoadMask();

protected:
    void UpdateContents() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void DoEnter() override;
    // Window style, placement and text rectangle by the grid's line options.
    void CreateParams(TCreateParams& Params) override;
    void BoundsChanged() override;
    void CMFontChanged(TMessage& Message) override;
    // A paste tells the grid of the new text.
    void Dispatch(TMessage& Message) override;

private:
    // The editor's text goes to the grid as an edit change.
    void NotifyGridOfText();
    bool FPlacing = false;
    void CheckValue(bool Passes);
    std::unique_ptr<TqzDBPicture> FPicture;
    TqzCustomDBGrid* FQzGrid;
    bool FWordWrap = false;
    bool FHasMask = false;
};
