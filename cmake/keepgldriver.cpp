// Sanitizer builds only: keeps Mesa's software GL driver loaded until the process ends. The GL
// library unloads it at exit, before LeakSanitizer runs, and what the driver keeps would then be
// reported with frames nobody can name, indistinguishable from leaks of our own. Loaded for good,
// the driver's allocations stay reachable through its own globals.
#include <dlfcn.h>

#include <initializer_list>

namespace {
struct KeepGlDriver {
  KeepGlDriver() {
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"}) {
      if (dlopen(path, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE) != nullptr) break;
    }
  }
};
const KeepGlDriver keep;
}  // namespace
