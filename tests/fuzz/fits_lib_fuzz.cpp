// SPDX-License-Identifier: MIT
// libFuzzer target for the library-backed FITS reader.
#include "io/fits_lib.h"
#include "tests/fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tavo::FuzzOneInput(tavo::ReadFitsLibraryFrom, data, size);
}
