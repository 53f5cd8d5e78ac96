// The form position's published properties and the memo size read from the settings.
#include "suite/base/qztypes.h"

#include "suite/base/qzintl.h"

void TqzFormPosition::Publish(TPublisher<TqzFormPosition>& p) {
    p.Property("Left", &TqzFormPosition::Left, &TqzFormPosition::SetLeft);
    p.Property("Top", &TqzFormPosition::Top, &TqzFormPosition::SetTop);
    p.Property("Width", &TqzFormPosition::Width, &TqzFormPosition::SetWidth);
    p.Property("Height", &TqzFormPosition::Height, &TqzFormPosition::SetHeight);
}

int qzGetFilterMemoSize() {
    const TqzIntl* intl = qzIntl();
    return intl ? intl->FilterMemoSize() : 0;
}
