// The setup's window position and user buttons, released when they go away.
#include "suite/richtext/qzricheditorsetup.h"

#include "platform/core/exceptions.h"
#include "platform/ui/buttons.h"
#include "suite/base/qztypes.h"
#include "suite/richtext/qzriched.h"

TqzRichEditorSetup::TqzRichEditorSetup(TqzCustomRichEdit* RichEdit)
    : FRichEdit(RichEdit), FPosition(std::make_unique<TqzFormPosition>()) {}

TqzRichEditorSetup::~TqzRichEditorSetup() = default;

void TqzRichEditorSetup::SetPosition(TqzFormPosition* Value) {
    if (!Value) throw EConvertError("Cannot assign a nil to a TqzFormPosition");
    FPosition->SetLeft(Value->Left());
    FPosition->SetTop(Value->Top());
    FPosition->SetWidth(Value->Width());
    FPosition->SetHeight(Value->Height());
}

void TqzRichEditorSetup::SetUserButton(int Index, TSpeedButton* Value) {
    TSpeedButton*& slot = FUserButton[Index];
    if (slot == Value) return;
    if (slot) slot->RemoveFreeNotification(FRichEdit);
    slot = Value;
    if (Value) {
        Value->FreeNotification(FRichEdit);
        Value->SetVisible(false);
    }
}

void TqzRichEditorSetup::Removed(TComponent* AComponent) {
    for (TSpeedButton*& b : FUserButton)
        if (AComponent == b) b = nullptr;
}
