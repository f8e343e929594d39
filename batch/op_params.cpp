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

}  // namespace tavo
