// SPDX-License-Identifier: MIT
// io/shared_library.h - libraries opened when a file first needs them
// rather than linked, so that start-up does not load them and all they
// bring along.
#pragma once

namespace tavo {

// The library of `soname`, its symbols resolved at once and kept out of the
// process-wide namespace; nullptr when it cannot be loaded. It stays loaded.
void* OpenSharedLibrary(const char* soname);

// The address of `symbol` in `module`; nullptr when the library has none.
void* SharedLibrarySymbol(void* module, const char* symbol);

// Sets `*entry` to `symbol` of `module`, typed as the entry (the library
// header's declaration, e.g. decltype(&TIFFClose)); false, and `*entry`
// null, when the symbol is missing.
template <typename Entry>
bool BindEntry(void* module, const char* symbol, Entry* entry) {
  *entry = reinterpret_cast<Entry>(SharedLibrarySymbol(module, symbol));
  return *entry != nullptr;
}

}  // namespace tavo
