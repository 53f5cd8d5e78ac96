// Size limits of controls.
#include <algorithm>

#include "platform/ui/controls.h"

void TSizeConstraints::SetMinWidth(int Value) {
    Value = std::max(0, Value);
    if (Value == FMinWidth) return;
    FMinWidth = Value;
    if (FMaxWidth > 0 && FMaxWidth < FMinWidth) FMaxWidth = FMinWidth;
    Changed();
}

void TSizeConstraints::SetMinHeight(int Value) {
    Value = std::max(0, Value);
    if (Value == FMinHeight) return;
    FMinHeight = Value;
    if (FMaxHeight > 0 && FMaxHeight < FMinHeight) FMaxHeight = FMinHeight;
    Changed();
}

void TSizeConstraints::SetMaxWidth(int Value) {
    Value = std::max(0, Value);
    if (Value > 0 && Value < FMinWidth) Value = FMinWidth;
    if (Value == FMaxWidth) return;
    FMaxWidth = Value;
    Changed();
}

void TSizeConstraints::SetMaxHeight(int Value) {
    Value = std::max(0, Value);
    if (Value > 0 && Value < FMinHeight) Value = FMinHeight;
    if (Value == FMaxHeight) return;
    FMaxHeight = Value;
    Changed();
}

int TSizeConstraints::ConstrainWidth(int Value) const {
    if (FMaxWidth > 0) Value = std::min(Value, FMaxWidth);
    return std::max(Value, FMinWidth);
}

int TSizeConstraints::ConstrainHeight(int Value) const {
    if (FMaxHeight > 0) Value = std::min(Value, FMaxHeight);
    return std::max(Value, FMinHeight);
}

void TSizeConstraints::Assign(TPersistent* Source) {
    if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
        FMinWidth = s->FMinWidth;
        FMinHeight = s->FMinHeight;
        FMaxWidth = s->FMaxWidth;
        FMaxHeight = s->FMaxHeight;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TSizeConstraints::Changed() {
    if (FOnChange) FOnChange(this);
}

void TSizeConstraints::Publish(TPublisher<TSizeConstraints>& p) {
    p.Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight);
    p.Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth);
    p.Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight);
    p.Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth);
}

void TControl::ConstraintsChanged(TObject*) {
    if (ComponentState().Contains(csLoading)) return;
    SetBounds(Left(), Top(), Width(), Height());
}
