// SPDX-License-Identifier: MIT
// libFuzzer target for the JPEG reader.
#include "io/jpeg.h"
#include "tests/fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tavo::FuzzOneInput(tavo::ReadJpegFrom, data, size);
}
