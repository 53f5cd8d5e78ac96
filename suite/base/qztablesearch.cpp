// The one registered table search, handed only to datasets that are suite tables not
// over a query.
#include "suite/base/qztablesearch.h"

#include "platform/db/dataset.h"
#include "suite/base/qzdbutils.h"
#include "suite/base/qzproputils.h"

namespace {
const TqzTableSearch* Registered = nullptr;
}  // namespace

void qzSetTableSearch(const TqzTableSearch* Search) { Registered = Search; }

const TqzTableSearch* qzTableSearchFor(TDataSet* DataSet) {
    if (!Registered || !DataSet || !qzClassInheritsFrom(DataSet, "TqzTable") || qzTableUsesQuery(DataSet))
        return nullptr;
    return Registered;
}
