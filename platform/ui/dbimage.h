// The data-aware picture: shows the image held in a graphic (or any blob)
// field of the current record.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/bitmaps.h"
#include "platform/ui/controls.h"

class TControlFieldLink;
class TDataSource;
class TField;

class TDBImage : public TCustomControl {
    TASKMOOR_CLASS(TDBImage, TCustomControl)
public:
    explicit TDBImage(TComponent* AOwner);
    ~TDBImage() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    std::string DataField() const;
    void SetDataField(const std::string& Value);
    TField* Field() const;
    // The picture of the current record; empty without a value or when the
    // value is no image the platform reads.
    TPicture* Picture() const { return FPicture.get(); }
    // True when the field held bytes that are no readable image.
    bool Invalid() const { return FInvalid; }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);

    static void Publish(TPublisher<TDBImage>& p);

protected:
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void DataChange(TObject* Sender);
    void LoadPicture();
    std::unique_ptr<TControlFieldLink> FDataLink;
    std::unique_ptr<TPicture> FPicture;
    bool FInvalid = false;
    bool FStretch = false;
    bool FCenter = true;
    TBorderStyle FBorderStyle = bsSingle;
};
