// The platform's data-aware picture in the display flows, as the record
// view places it on a graphic field: one picture per field.
#include <map>
#include <string>
#include <vector>

#include "platform/ui/bitmaps.h"
#include "platform/ui/dbimage.h"
#include "platform/ui/testing.h"
#include "support/flows/display_flow.h"

std::vector<TFlowInstance>& DisplayInstances() {
    static std::vector<TFlowInstance> instances;
    return instances;
}

namespace {

class TDBImageFlow : public TDisplayFlowControl {
public:
    void Build(TForm* Form, TDataSource* Source) override {
        int left = 8;
        for (const std::string& f : Fields()) {
            auto* image = new TDBImage(Form);
            image->SetParent(Form);
            image->SetBounds(left, 8, 60, 60);
            image->SetDataSource(Source);
            image->SetDataField(f);
            FImages[f] = image;
            left += 80;
        }
    }
    void Focus(const std::string& Field) override { Click(Field, 0); }
    std::string Shown(const std::string& Field) override {
        TPicture* p = FImages[Field]->Picture();
        if (!p->Graphic() || p->Graphic()->Empty()) return std::string();
        return std::to_string(p->Width()) + "x" + std::to_string(p->Height());
    }
    TColor Seen(const std::string& Field) override {
        TBitmap shot;
        RenderControl(FImages[Field], &shot);
        return shot.Canvas()->Pixels(30, 30);
    }
    void Click(const std::string& Field, int) override {
        SendClick(FImages[Field], 30, 30);
        ProcessEvents();
    }
    TWinControl* Control(const std::string& Field) override { return FImages[Field]; }

private:
    std::map<std::string, TDBImage*> FImages;
};

TDisplayFlowRegistration dbImage("DBImage", [] { return std::make_unique<TDBImageFlow>(); });

}  // namespace
