// Every file a test, fuzz or benchmark program writes goes into its run's
// folder: TMPDIR points there from the start, for the program itself and for
// the processes it starts.
#include <cstdlib>

#include "support/environment.h"

namespace {

struct TRunFolderAsTempDir {
    TRunFolderAsTempDir() { ::setenv("TMPDIR", TTestRunFolder::Folder().c_str(), 1); }
} GRunFolderAsTempDir;

}  // namespace
