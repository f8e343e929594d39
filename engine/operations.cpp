// SPDX-License-Identifier: MIT
#include "engine/operations.h"

#include <cstring>

#include "tone/gamma.h"

namespace tavo {
namespace {

void RunGamma(Image& image, const ParamBlock& p) {
  const int kind = p[10] == kCurveStraight ? kCurveStraight : kCurveCurved;
  const int w = image.width, h = image.height;
  if (image.monochrome == 1 && p[9] != 1) {
    ApplyGammaPlane(image.r.get(), w, h, p[0], p[1], p[2], kind);
    return;
  }
  if (image.monochrome == 1) {
    // Per-channel curves on a black-and-white image: each plane starts as R.
    const size_t n = image.PixelCount();
    std::memcpy(image.g.get(), image.r.get(), n * 2);
    std::memcpy(image.b.get(), image.r.get(), n * 2);
  }
  ApplyGammaPlane(image.r.get(), w, h, p[0], p[1], p[2], kind);
  ApplyGammaPlane(image.g.get(), w, h, p[3], p[4], p[5], kind);
  ApplyGammaPlane(image.b.get(), w, h, p[6], p[7], p[8], kind);
}

}  // namespace

void RunOperation(SlotTable& slots, Image& target, int code, ParamBlock& params) {
  (void)slots;
  switch (code) {
    case kOpGamma:
      if (target.Empty() || !target.r) return;
      RunGamma(target, params);
      break;
    default:
      break;  // unknown or not offered: image untouched
  }
}

}  // namespace tavo
