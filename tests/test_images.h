// SPDX-License-Identifier: MIT
// tests/test_images.h - small synthetic images and file helpers for tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/image.h"

namespace tavo {

// w x h image whose R sample at (x, row) is x * 1000 + row, G that + 1 and
// B that + 2 (row 0 is the bottom row). Needs w <= 65 and h <= 999.
Image MakePositionImage(int w, int h);
// Deterministic pseudo-random samples.
Image MakeNoiseImage(int w, int h, uint32_t seed);
// Every sample of every plane set to `value`.
Image MakeFlatImage(int w, int h, uint16_t value);

// w x h image with `values` (row 0 first, the bottom row) in all three
// planes.
Image MakeImageFromRows(int w, int h, const std::vector<int>& values);
// All samples of one plane, row 0 first.
std::vector<int> PlaneValues(const uint16_t* plane, const Image& image);

uint16_t Sample(const uint16_t* plane, const Image& image, int x, int row);
bool SamePlanes(const Image& a, const Image& b);

// A fresh empty folder below the test's working folder.
std::string TempDir(const std::string& name);
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool PathExists(const std::string& path);
// Samples of a 16-bit binary PPM in file order (top row first, R G B per
// pixel); empty when the file is not one.
std::vector<int> ReadPpmSamples(const std::string& path, int* width = nullptr, int* height = nullptr);
// A 1 x 1 16-bit binary PPM holding r, g, b.
void WritePixelPpm(const std::string& path, int r, int g, int b);

// The R, G and B of one pixel.
std::vector<int> PixelValues(const Image& image, int x, int row);
using Ints = std::vector<int>;

}  // namespace tavo
