// SPDX-License-Identifier: MIT
// libFuzzer target for the PPM/PGM reader.
#include "io/pnm.h"
#include "tests/fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tavo::FuzzOneInput(tavo::ReadPnmFrom, data, size);
}
