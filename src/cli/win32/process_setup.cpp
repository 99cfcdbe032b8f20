#include "cli/process_setup.h"

#include <windows.h>

namespace glimtap::cli {

// Names of templates and files are printed as UTF-8.
void PrepareProcess() { SetConsoleOutputCP(CP_UTF8); }

}  // namespace glimtap::cli
