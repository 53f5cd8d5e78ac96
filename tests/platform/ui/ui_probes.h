// Moved to tests/support/ui; kept for files that still include it by its old name.
#pragma once
#include "support/ui/ui_probes.h"
