// The field whose picture a Bitmap cell shows.
#include "platform/db/dataset.h"
#include "platform/db/fields.h"
#include "suite/base/qzdbutils.h"
#include "suite/grid/qzdbigrd.h"
#include "suite/grid/qzdbigrd_impl.h"

TField* TqzCustomDBGrid::BitmapCellPictureField(TField* Field) {
    if (!Field) return nullptr;
    // Calculated and lookup fields show the picture of the related record:
    // the lookup dataset is put on the record's key and its result field read.
    if (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup)
        return qzFindLookupResultField(FImpl->DataLink->DataSet(), Field);
    return Field;
}
