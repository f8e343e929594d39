// SPDX-License-Identifier: MIT
// libFuzzer target for the library-backed TIFF reader.
#include "io/tiff_lib.h"
#include "tests/fuzz/fuzz_reader.h"

// The library sizes its buffers from header values and checks what the
// allocator gives; an absurd size must come back as null, as it does
// outside the sanitizer, instead of ending the run.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tavo::FuzzOneInput(tavo::ReadTiffLibraryFrom, data, size);
}
