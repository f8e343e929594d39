// SPDX-License-Identifier: MIT
// The per-frame report of a deep stack, as CSV.
#include <cmath>
#include <cstdio>

#include "stack/deep/deep_stack.h"

namespace tavo {
namespace {

constexpr const char* kRoleWords[4] = {"light", "bias", "dark", "flat"};

// Files are named as given; a name with a comma or a quote is quoted.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string StackReportCsv(const DeepStackResult& result) {
  std::string out =
      "role,number,file,status,reference,width,height,exposure_s,stars,matched,residual_px,fwhm_px,"
      "background,noise,shift_x,shift_y,rotation_deg,scale,weight\n";
  int number[4] = {0, 0, 0, 0};
  for (const FrameRecord& f : result.frames) {
    // Rows are stored bottom first: with t = H - 1 - row, the transform in
    // top-down coordinates has b and the rotation negated and
    // tx' = tx - b (H - 1), ty' = (H - 1)(1 - a) - ty.
    const Similarity& t = f.transform;
    const double last = f.height > 0 ? f.height - 1 : 0;
    const double a = t.a, b = -t.b, tx = t.tx - t.b * last, ty = last * (1 - t.a) - t.ty;
    char line[512];
    std::snprintf(line, sizeof line, ",%s,%d,%d,%d,%.3f,%d,%d,%.4f,%.3f,%.2f,%.3f,%.4f,%.4f,%.5f,%.7f,%.4f\n",
                  VerdictWord(f.verdict), f.reference ? 1 : 0, f.width, f.height, f.exposure, f.stars, f.matched,
                  f.residual, f.fwhm, f.background, f.noise, tx, ty, std::atan2(b, a) * 180.0 / M_PI,
                  std::hypot(a, b), f.weight);
    out += std::string(kRoleWords[f.role]) + "," + std::to_string(++number[f.role]) + "," + CsvField(f.path) + line;
  }
  return out;
}

}  // namespace tavo
