// SPDX-License-Identifier: MIT
// io/row_convert.h - the commonest raster rows (three samples a pixel,
// interleaved) split into the three planes, and the planes merged back
// into such rows. These loops carry most of the processor time of reading
// and writing a large file, so they are built to run on
// vector units (for AVX2 processors and for the rest; the loader picks).
#pragma once
#include <cstdint>

namespace tavo {

// 6 bytes a pixel, 16-bit samples with the high byte first.
void SplitRowBe16(const unsigned char* p, int w, uint16_t* a, uint16_t* b, uint16_t* c);
// 6 bytes a pixel, 16-bit samples with the low byte first.
void SplitRowLe16(const unsigned char* p, int w, uint16_t* a, uint16_t* b, uint16_t* c);
// 3 bytes a pixel; each byte becomes the high byte of its sample.
void SplitRow8(const unsigned char* p, int w, uint16_t* a, uint16_t* b, uint16_t* c);

// The reverse: `w` pixels of a, b, c written in that order to `p`.
void MergeRowBe16(const uint16_t* a, const uint16_t* b, const uint16_t* c, int w, unsigned char* p);
void MergeRowLe16(const uint16_t* a, const uint16_t* b, const uint16_t* c, int w, unsigned char* p);
// Only the high byte of each sample.
void MergeRow8(const uint16_t* a, const uint16_t* b, const uint16_t* c, int w, unsigned char* p);

}  // namespace tavo
