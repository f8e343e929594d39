// SPDX-License-Identifier: MIT
#include "io/shared_library.h"

#include <dlfcn.h>

namespace tavo {

void* OpenSharedLibrary(const char* soname) { return dlopen(soname, RTLD_NOW | RTLD_LOCAL); }

void* SharedLibrarySymbol(void* module, const char* symbol) {
  return module == nullptr ? nullptr : dlsym(module, symbol);
}

}  // namespace tavo
