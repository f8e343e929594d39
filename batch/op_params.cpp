// SPDX-License-Identifier: MIT
#include "batch/op_params.h"

#include <algorithm>

namespace tavo {
namespace {

int Packed(const int* row, int point) {
  const int in = std::clamp(row[point * 2], 0, 255);
  const int out = std::clamp(row[point * 2 + 1], 0, 255);
  return in * 1000 + out;
}

}  // namespace

void FillGammaParams(const GammaSettings& gamma, ParamBlock& params) {
  params = ParamBlock{};
  const bool per_channel = gamma.table != 0;
  for (int c = 0; c < 3; ++c) {
    const int* row = gamma.rows[per_channel ? c + 1 : 0];
    for (int p = 0; p < 3; ++p) params[c * 3 + p] = Packed(row, p);
  }
  params[9] = per_channel ? 1 : 0;
  params[10] = gamma.kind == 0 ? 0 : 1;
}

void FillCompositeParams(const CompositeSettings& composite, ParamBlock& params) {
  params = ParamBlock{};
  const int range = std::max(composite.range, 1);
  params[0] = range;
  params[1] = range;
  params[2] = std::clamp(composite.mode, 0, 4);
  params[3] = (composite.normalise != 0 ? 3 : 0) + std::clamp(composite.method, 0, 2);
  for (int row = 0; row < 4; ++row) {
    const bool chosen = composite.inputs[row] >= 0;
    params[4 + row] = chosen ? composite.inputs[row] : -1;
    params[8 + row] = chosen ? composite.weights[row] : 0;
  }
  const int level = std::clamp(composite.noise_level, 0, 255);
  const int option = composite.noise_option;
  if ((option != 1 && option != 2) || composite.shift_x != 0 || composite.shift_y != 0) {
    params[15] = -1;
  } else {
    params[15] = option == 2 ? level + 256 : level;
  }
  params[16] = composite.shift_x;
  params[17] = composite.shift_y;
}

void RunGammaWith(SlotTable& slots, Image& image, const GammaSettings& gamma) {
  ParamBlock params;
  FillGammaParams(gamma, params);
  RunOperation(slots, image, kOpGamma, params);
  if (params[9] == 1) image.monochrome = 0;
}

void RunCompositeWith(SlotTable& slots, const CompositeSettings& composite, Image& target) {
  ParamBlock params;
  FillCompositeParams(composite, params);
  for (int row = 0; row < 4; ++row) {
    const int input = params[4 + row];
    if (input >= 0 && input < kSlotCount) ExpandMonochrome(slots[input]);
  }
  RunOperation(slots, target, kOpCompositeAuto, params);
}

void FillBack2Params(const Back2Settings& back2, ParamBlock& params) {
  params = ParamBlock{};
  const int mode = back2.mode == 1 ? 1 : 0;
  const int shift = std::clamp(back2.shift, 0, 255);
  params[0] = mode;
  for (int c = 0; c < 3; ++c) {
    const int centre = std::clamp(back2.levels[2 * c], 0, 255);
    const int periphery = std::clamp(back2.levels[2 * c + 1], 0, 255);
    params[2 + 2 * c] = mode == 1 ? centre - 2 * periphery + shift : centre;
    params[3 + 2 * c] = mode == 1 ? shift - periphery : periphery;
  }
  params[8] = std::clamp(back2.curve, 100, 300);
}

}  // namespace tavo
