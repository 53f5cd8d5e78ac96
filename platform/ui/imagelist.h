// TImageList: a row of equally sized images with transparency, drawn by index.
#pragma once

#include <memory>
#include <vector>

#include "platform/core/component.h"
#include "platform/ui/bitmaps.h"

class TImageList : public TComponent {
    TASKMOOR_CLASS(TImageList, TComponent)
public:
    explicit TImageList(TComponent* AOwner);
    ~TImageList() override;

    // Image size; changing it clears the list.
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    void SetSize(int AWidth, int AHeight);
    int Count() const { return static_cast<int>(FImages.size()); }

    // Adds Image cut into pieces of Width pixels (one image when it is
    // narrower); the mask's white pixels are transparent. Answers the index
    // of the first image added.
    int Add(TBitmap* Image, TBitmap* Mask);
    // The same with the pixels of MaskColor transparent.
    int AddMasked(TBitmap* Image, TColor MaskColor);
    int AddIcon(TIcon* Image);
    void Replace(int Index, TBitmap* Image, TBitmap* Mask);
    void Delete(int Index);
    void Clear();

    // Draws image Index with its top-left corner at (X, Y); a disabled image
    // is drawn greyed. An index outside the list draws nothing.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    // Copies image Index into Image, its transparent parts white. Raises
    // EInvalidOperation "Invalid image index %d" outside the list.
    void GetBitmap(int Index, TBitmap* Image);

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }

    static void Publish(TPublisher<TImageList>& p);

private:
    void Change();
    int FWidth = 16;
    int FHeight = 16;
    std::vector<std::unique_ptr<TImageData>> FImages;
    TNotifyEvent FOnChange;
};
