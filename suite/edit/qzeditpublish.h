// The data-aware edit properties that the suite's edit controls publish
// alike (the combo box and the spin edit); each adds its own after.
#pragma once

#include "platform/core/properties.h"
#include "platform/db/datasource.h"
#include "platform/ui/menus.h"
#include "suite/base/qzcontroller.h"
#include "suite/base/qzeditframe.h"
#include "suite/base/qzframepublish.h"
#include "suite/edit/qzdbedit.h"

template <class C>
void qzPublishDataEdit(TPublisher<C>& p) {
    p.Property(
        "DataSource", [](C& c) { return c.DataSource(); }, [](C& c, TDataSource* v) { c.SetDataSource(v); });
    p.Property(
        "DataField", [](C& c) { return c.DataField(); },
        [](C& c, const std::string& v) { c.SetDataField(v); });
    p.Property(
        "ReadOnly", [](C& c) { return c.ReadOnly(); }, [](C& c, bool v) { c.SetReadOnly(v); });
    p.Property(
        "Picture", [](C& c) { return c.Picture(); }, [](C& c, TqzDBPicture* v) { c.SetPicture(v); });
    qzPublishFrameLook(p);
    p.Property(
        "AutoFillDate", [](C& c) { return c.AutoFillDate(); }, [](C& c, bool v) { c.SetAutoFillDate(v); });
    p.Property(
        "UsePictureMask", [](C& c) { return c.UsePictureMask(); },
        [](C& c, bool v) { c.SetUsePictureMask(v); });
    p.Property(
        "UnboundDataType", [](C& c) { return c.UnboundDataType(); },
        [](C& c, TqzEditDataType v) { c.SetUnboundDataType(v); });
    p.Property(
        "PopupMenu", [](C& c) { return c.PopupMenu(); }, [](C& c, TPopupMenu* v) { c.SetPopupMenu(v); });
    p.Property(
         "OnCheckValue", [](C& c) { return c.OnCheckValue(); },
         [](C& c, const TqzValidateEvent& v) { c.SetOnCheckValue(v); })
        .SetTypeName("TqzValidateEvent");
}
