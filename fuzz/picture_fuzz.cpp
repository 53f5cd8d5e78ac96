// Any bytes as a picture: a bitmap, an icon or a metafile read from a
// stream, and a picture field shown by the data-aware image. Reading gives
// a usable picture of bounded size or EInvalidGraphic; drawing what was read
// onto a small canvas, as it is and stretched, never crashes.
//
// Input: the first byte picks the reader (0 bitmap, 1 icon, 2 metafile,
// 3 the image control); the rest is the picture's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/ostra_table.h"
#include "gui_fuzz_support.h"
#include "platform/core/streams.h"
#include "platform/db/datasource.h"
#include "platform/db/fielddefs.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/dbimage.h"
#include "platform/ui/forms.h"
#include "platform/ui/metafile.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Reads the bytes into Graphic and draws it; false when they were refused.
bool LoadAndDraw(TGraphic& graphic, const std::string& bytes) {
    try {
        TStringStream stream(bytes);
        graphic.LoadFromStream(&stream);
    } catch (const EInvalidGraphic&) {
        return false;
    }
    // Nothing read may be larger than a picture ever kept.
    Check(int64_t{graphic.Width()} * graphic.Height() <= int64_t{1} << 26);
    TBitmap target;
    target.SetSize(24, 16);
    target.Canvas()->Draw(2, 2, &graphic);
    target.Canvas()->StretchDraw(TRect{0, 0, 24, 16}, &graphic);
    graphic.SetTransparent(!graphic.Transparent());
    target.Canvas()->StretchDraw(TRect{20, 10, 3, 1}, &graphic);
    return true;
}

void ShowInImage(const std::string& bytes) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 120, 120);
    TOstraTable table(nullptr);
    table.FieldDefs()->Add("Pic", ftGraphic);
    table.Open();
    table.AppendRecord({Variant(bytes)});
    TDataSource source(nullptr);
    source.SetDataSet(&table);
    TDBImage image(&form);
    image.SetParent(&form);
    image.SetBounds(4, 4, 40, 30);
    image.SetDataSource(&source);
    image.SetDataField("Pic");
    TBitmap shot;
    shot.SetSize(40, 30);
    image.PaintTo(shot.Canvas(), 0, 0);
    image.SetStretch(true);
    image.PaintTo(shot.Canvas(), 0, 0);
    image.SetDataSource(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 1) return 0;
    const std::string bytes(reinterpret_cast<const char*>(Data) + 1, Size - 1);
    switch (Data[0] % 4) {
    case 0: {
        TBitmap bitmap;
        if (LoadAndDraw(bitmap, bytes)) {
            // What was read saves and reads again.
            TMemoryStream out;
            bitmap.SaveToStream(&out);
            out.SetPosition(0);
            TBitmap copy;
            copy.LoadFromStream(&out);
            Check(copy.Width() == bitmap.Width() && copy.Height() == bitmap.Height());
        }
        break;
    }
    case 1: {
        TIcon icon;
        LoadAndDraw(icon, bytes);
        break;
    }
    case 2: {
        TMetafile metafile;
        metafile.SetWidth(30);
        metafile.SetHeight(20);
        LoadAndDraw(metafile, bytes);
        break;
    }
    default: ShowInImage(bytes); break;
    }
    return 0;
}
