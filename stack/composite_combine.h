// SPDX-License-Identifier: MIT
// stack/composite_combine.h - placing two to four images on one canvas and
// combining them pixel by pixel (average, add, maximum, minimum, contrast
// maximum). Shared by the composites that search their offsets and those
// that take them from marked points.
#pragma once
#include <cstdint>

#include "core/image.h"

namespace tavo {

constexpr int kCombineAverage = 0;
constexpr int kCombineAdd = 1;
constexpr int kCombineMax = 2;
constexpr int kCombineMin = 3;
constexpr int kCombineContrastMax = 4;

constexpr int kStackMax = 4;        // inputs of one composite
constexpr int kCanvasMax = 10000;   // largest canvas side
constexpr int kUnityFactor = 16384; // normalisation factor 1.0 (14 bits)

// One input: canvas pixel (x, row) shows the input's pixel
// (x - offset_x, row - offset_y) when that lies inside the input (the input
// "covers" the pixel); elsewhere the input's sample counts as 0. A
// monochrome input is read through its R plane for all three channels.
// Weight in percent, above 0.
struct StackInput {
  const Image* image = nullptr;
  int weight = 0;
  int offset_x = 0;
  int offset_y = 0;
};

// Moves all offsets so that the smallest x and the smallest y offset
// (each taken together with 0) become 0, and returns the canvas that holds
// every input: largest offset + size per axis, each capped at kCanvasMax.
void ComputeCanvas(StackInput* inputs, int n, int* width, int* height);

// Input k (from 0) moves by k * shift_x, k * shift_y after the canvas is
// fixed; parts pushed off the canvas are lost. Offsets saturate at
// +-2^30, which is far off any canvas.
void ApplyStackShift(StackInput* inputs, int n, int shift_x, int shift_y);

// Noise control as operation 3 carries it: -1 off; 0..255 noise removal
// with that level; 256..511 move mode with level - 256.
struct NoiseControl {
  bool active = false;
  bool move = false;
  int threshold = 0;  // 256 x level, 16-bit units
};
NoiseControl DecodeNoiseControl(int noise);

// Per input and channel (R, G, B) in units of 1/16384. Flag 0, inputs
// whose common overlap holds no grid point, or a channel whose smallest
// mean is 0: every factor is kUnityFactor. Otherwise the overlap is
// sampled on a grid of steps right / 128 + 1 and bottom / 128 + 1 (canvas
// coordinates) and factor = smallest mean * 16384 / this input's mean.
void NormalisationFactors(const StackInput* inputs, int n, bool normalise,
                          int factors[kStackMax][3]);

// Each rule fills every pixel of `canvas` (already holding its planes).
// Average: samples scaled by the normalisation factors; with two inputs
// the noise option replaces the rougher input's samples where the inputs
// differ by more than the threshold, with three or four it leaves out the
// most deviant covering input (move mode: all but the first covering
// one); samples of 0 do not pull the average down. Only covering inputs
// with at least three covering ones take part in the rejection.
void CombineAverage(const StackInput* inputs, int n, int noise, bool normalise, Image& canvas);
// Sum of sample x weight / 100, capped at 65535.
void CombineAdd(const StackInput* inputs, int n, Image& canvas);
// Largest covering sample; 0 where none covers.
void CombineMax(const StackInput* inputs, int n, Image& canvas);
// Smallest non-zero covering sample; 0 where there is none.
void CombineMin(const StackInput* inputs, int n, Image& canvas);
// Running weights 2..10 that follow the input with the clearly highest
// local contrast; inputs take part only one pixel inside their edges, so
// a pixel no input holds strictly inside stays 0. Sequential by nature:
// the weights carry from pixel to pixel in storage order.
void CombineContrastMax(const StackInput* inputs, int n, Image& canvas);

// Allocates a width x height canvas (memory checked first) and fills it
// with rule `mode`. False, `out` untouched, when memory is short, the size
// is not positive, n is not 2..4 or the mode is unknown.
bool CombineStack(const StackInput* inputs, int n, int width, int height, int mode,
                  int noise, bool normalise, Image& out);

}  // namespace tavo
