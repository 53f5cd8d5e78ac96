// TqzController: one edit frame and one set of button effects shared by
// several controls. Each control that sets its Controller (qzSetController)
// joins the controller's ControlList and takes a copy of its Frame.
//
// References never outlive what they point to: a control freed while it is
// listed leaves the list, and a controller freed while controls use it
// clears their "Controller" property.
#pragma once

#include <vector>

#include "platform/core/component.h"
#include "platform/ui/controls.h"
#include "suite/base/qzeditframe.h"

class TqzController;

// The controls that use a controller, in the order they joined.
class TqzControlList : public TObject {
    TASKMOOR_CLASS(TqzControlList, TObject)
public:
    explicit TqzControlList(TqzController* Controller) : FController(Controller) {}

    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError "List index out of bounds (%d)" outside 0..Count-1.
    TControl* Items(int Index) const;
    int IndexOf(const TControl* Control) const;
    // Adds the control once; the controller hears when it is freed.
    void Add(TControl* Control);
    // Takes every entry of the control out.
    void Remove(const TComponent* Control);
    void Clear() { FItems.clear(); }

private:
    TqzController* FController;
    std::vector<TControl*> FItems;
};

class TqzController : public TComponent {
    TASKMOOR_CLASS(TqzController, TComponent)
public:
    explicit TqzController(TComponent* AOwner);
    ~TqzController() override;

    TqzEditFrame* Frame() const { return FFrame; }
    void SetFrame(TqzEditFrame* Value) { FFrame->Assign(Value); }
    TqzButtonEffects* ButtonEffects() const { return FButtonEffects; }
    void SetButtonEffects(TqzButtonEffects* Value) { FButtonEffects->Assign(Value); }
    TqzControlList* ControlList() const { return FControlList; }

    static void Publish(TPublisher<TqzController>& p);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TqzEditFrame* FFrame;
    TqzButtonEffects* FButtonEffects;
    TqzControlList* FControlList;
};

// Sets a control's Controller (the control's own field, passed in): the
// new controller will tell the control when it is freed; when it differs
// from the current one, the control leaves the current controller's list,
// joins the new one's and takes a copy of its Frame into its own "Frame"
// (or "EditFrame").
void qzSetController(TqzController*& Controller, TqzController* NewController, TControl* Control);
