// The data-aware control tests use the in-memory dataset of tests/support/db.
#pragma once
#include "support/db/memory_dataset.h"
using TTestTable = TMemoryDataSet;
