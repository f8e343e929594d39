// SPDX-License-Identifier: MIT
// libFuzzer target for the BMP reader.
#include "io/bmp.h"
#include "tests/fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tavo::FuzzOneInput(tavo::ReadBmpFrom, data, size);
}
