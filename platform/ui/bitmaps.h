// Pictures: TGraphic and its bitmap and icon kinds, TPicture that holds one,
// and the named image resources compiled into the program.
//
// A TBitmap is a 24-bit pixel image with a canvas. It may draw transparently:
// the pixels of TransparentColor are then left out (with tmAuto that colour
// is the bottom-left pixel's). Without transparency Draw and StretchDraw use
// the target canvas's CopyMode.
//
// Resources: RegisterResource stores encoded image data (BMP, PNG, XPM) under
// a name; LoadFromResourceName finds it by that name, letter case ignored. A
// module that brings resources registers them before first use, e.g. from
// the constructor of the class that draws them.
//
// Bitmaps and icons read from streams refuse data that claims more than
// 8192 x 4096 pixels or a side over 32767 with EInvalidGraphic, before
// decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/ui/graphics.h"

class TStream;
struct TImageData;

// A resource that does not exist: "Resource %s not found".
class EResNotFound : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EResNotFound"; }
};
// Data that is no picture of the expected kind: "Bitmap image is not valid",
// "Icon image is not valid", "Unknown picture file extension (.%s)".
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EInvalidGraphic"; }
};

// Registers encoded image data (the bytes are copied) under a name; a second
// registration of the name replaces the first.
void RegisterResource(const std::string& Name, const void* Data, std::size_t Size);
// Registers an image given as XPM text lines.
void RegisterXpmResource(const std::string& Name, const char* const* Xpm);
bool ResourceExists(const std::string& Name);

class TGraphic : public TPersistent {
    TASKMOOR_CLASS(TGraphic, TPersistent)
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int Value) = 0;
    virtual void SetHeight(int Value) = 0;
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    bool Modified() const { return FModified; }
    void SetModified(bool Value);

    virtual void LoadFromFile(const std::string& FileName);
    virtual void SaveToFile(const std::string& FileName);
    virtual void LoadFromStream(TStream* Stream) = 0;
    virtual void SaveToStream(TStream* Stream) = 0;

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }

    // Draws the picture into Rect of the canvas (scaled to it).
    virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;

protected:
    virtual void Changed();

private:
    bool FTransparent = false;
    bool FModified = false;
    TNotifyEvent FOnChange;
};

TASKMOOR_ENUM(TTransparentMode, tmAuto, tmFixed)

class TBitmap : public TGraphic {
    TASKMOOR_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    // New pixels are white; the old ones keep their place.
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;
    void SetSize(int AWidth, int AHeight);

    // The canvas drawing on the pixels.
    TCanvas* Canvas();

    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);
    // With tmAuto: the bottom-left pixel's colour (clDefault when empty).
    TColor TransparentColor() const;
    // Sets the colour and switches to tmFixed.
    void SetTransparentColor(TColor Value);

    // Reads BMP, PNG, XPM, GIF or JPEG data; anything else raises
    // EInvalidGraphic "Bitmap image is not valid".
    void LoadFromStream(TStream* Stream) override;
    // Writes BMP data.
    void SaveToStream(TStream* Stream) override;
    // A ".png" name writes PNG, anything else BMP.
    void SaveToFile(const std::string& FileName) override;
    // EResNotFound "Resource %s not found" when there is no such resource.
    void LoadFromResourceName(const std::string& ResName);

    void Assign(TPersistent* Source) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    // Row Y of the pixels as 24-bit blue, green, red triples (3 x Width
    // bytes); rows are numbered from the top. Nothing happens for a row
    // outside the image.
    void ReadRow24(int Y, uint8_t* Dest) const;
    void WriteRow24(int Y, const uint8_t* Source);

    // The pixel data; used inside the windowing layer only.
    TImageData* Data() const { return FData.get(); }

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    class TBitmapCanvas;
    void EndCanvas() const;
    std::unique_ptr<TImageData> FData;
    std::unique_ptr<TBitmapCanvas> FCanvas;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
};

// An icon: a picture with its own transparency (alpha).
class TIcon : public TGraphic {
    TASKMOOR_CLASS(TIcon, TGraphic)
public:
    TIcon();
    ~TIcon() override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;
    // Reads ICO or PNG data; anything else raises EInvalidGraphic
    // "Icon image is not valid".
    void LoadFromStream(TStream* Stream) override;
    // Writes ICO data (PNG when the icon format is not available).
    void SaveToStream(TStream* Stream) override;
    void LoadFromResourceName(const std::string& ResName);
    void Assign(TPersistent* Source) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    TImageData* Data() const { return FData.get(); }

private:
    std::unique_ptr<TImageData> FData;
};

// Holds one graphic of any kind.
class TPicture : public TPersistent {
    TASKMOOR_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return FGraphic.get(); }
    // Takes a copy of Value (nullptr empties the picture).
    void SetGraphic(TGraphic* Value);
    // The graphic as a bitmap, replacing any other kind with an empty bitmap.
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
    TIcon* Icon();
    void SetIcon(TIcon* Value) { SetGraphic(Value); }
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // ".bmp", ".png", ".xpm", ".gif", ".jpg" load a bitmap and ".ico" an
    // icon; another extension raises EInvalidGraphic "Unknown picture file
    // extension (.%s)".
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);
    void Assign(TPersistent* Source) override;

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent Value) { FOnChange = Value; }

private:
    void Changed(TObject* Sender);
    std::unique_ptr<TGraphic> FGraphic;
    TNotifyEvent FOnChange;
};
