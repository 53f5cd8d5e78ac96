// TDBImage: the picture of a graphic field, read again at every data change.
#include "platform/ui/dbimage.h"

#include "platform/core/streams.h"
#include "platform/db/fields.h"
#include "platform/ui/field_link.h"
#include "platform/ui/graphics.h"

TDBImage::TDBImage(TComponent* AOwner)
    : TCustomControl(AOwner),
      FDataLink(std::make_unique<TControlFieldLink>(this)),
      FPicture(std::make_unique<TPicture>()) {
    SetBounds(Left(), Top(), 105, 105);
    SetColor(clWindow);
    FDataLink->SetOnDataChange(TNotifyEvent(this, &TDBImage::DataChange));
}

TDBImage::~TDBImage() { FDataLink->Release(); }

TDataSource* TDBImage::DataSource() const { return FDataLink->DataSource(); }
void TDBImage::SetDataSource(TDataSource* Value) { FDataLink->AttachDataSource(Value); }
std::string TDBImage::DataField() const { return FDataLink->FieldName(); }
void TDBImage::SetDataField(const std::string& Value) { FDataLink->SetFieldName(Value); }
TField* TDBImage::Field() const { return FDataLink->Field(); }

void TDBImage::SetStretch(bool Value) {
    if (Value == FStretch) return;
    FStretch = Value;
    Invalidate();
}

void TDBImage::SetCenter(bool Value) {
    if (Value == FCenter) return;
    FCenter = Value;
    Invalidate();
}

void TDBImage::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    Invalidate();
}

void TDBImage::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (FDataLink) FDataLink->DataSourceRemoved(AComponent, Operation);
}

void TDBImage::DataChange(TObject*) {
    LoadPicture();
    Invalidate();
}

void TDBImage::LoadPicture() {
    FInvalid = false;
    TField* f = FDataLink->Field();
    std::string bytes = f && !f->IsNull() ? f->AsString() : std::string();
    if (bytes.empty()) {
        FPicture->SetGraphic(nullptr);
        return;
    }
    TBitmap bitmap;
    try {
        TStringStream stream(std::move(bytes));
        bitmap.LoadFromStream(&stream);
    } catch (const Exception&) {
        // Bytes that are no image show as an empty picture; the record keeps them.
        FInvalid = true;
        FPicture->SetGraphic(nullptr);
        return;
    }
    FPicture->SetGraphic(&bitmap);
}

void TDBImage::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    if (FBorderStyle == bsSingle) {
        c->Brush()->SetColor(clWindowFrame);
        c->FrameRect(r);
        r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty()) return;
    if (FStretch) {
        c->StretchDraw(r, g);
        return;
    }
    int x = r.Left, y = r.Top;
    if (FCenter) {
        x += (r.Width() - g->Width()) / 2;
        y += (r.Height() - g->Height()) / 2;
    }
    c->Draw(x, y, g);
}

void TDBImage::Publish(TPublisher<TDBImage>& p) {
    p.Property("DataSource", &TDBImage::DataSource, &TDBImage::SetDataSource);
    p.Property("DataField", &TDBImage::DataField, &TDBImage::SetDataField);
    p.Property("Stretch", &TDBImage::Stretch, &TDBImage::SetStretch);
    p.Property("Center", &TDBImage::Center, &TDBImage::SetCenter);
}
