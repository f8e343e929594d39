// SPDX-License-Identifier: MIT
// tests/fuzz/fuzz_reader.h - the body shared by the reader fuzz targets.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/memory.h"
#include "io/byte_reader.h"
#include "io/image_file.h"

namespace tavo {

using MemoryReader = ReadStatus (*)(ByteReader& in, const std::string& name, Image& image, ReadReport* report);

// Reads one input from memory. Absurd sizes must be refused quickly, so
// the memory the readers may plan for is capped at 32 MiB. A reader that
// claims success must leave a whole image and count no more missing rows
// than it has; one that fails must leave the image as it was (empty here).
inline int FuzzOneInput(MemoryReader reader, const uint8_t* data, size_t size) {
  static const bool capped = (SetAvailableMemoryForTest(32 << 20), true);
  (void)capped;
  ByteReader in;
  in.OpenMemory(data, size);
  Image image;
  ReadReport report;
  const ReadStatus status = reader(in, "fuzz", image, &report);
  if (status == kReadOk) {
    if (image.Empty() || !image.r || !image.g || !image.b || image.name != "fuzz") __builtin_trap();
    if (report.missing_rows < 0 || report.missing_rows > image.height) __builtin_trap();
  } else if (!image.Empty() || image.r || !image.name.empty()) {
    __builtin_trap();
  }
  return 0;
}

}  // namespace tavo
