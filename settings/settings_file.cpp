// SPDX-License-Identifier: MIT
#include "settings/settings_file.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "core/files.h"
#include "settings/text_scan.h"

namespace tavo {
namespace {

using Line = std::vector<SettingRef>;

// An integer held in lo..hi (no limit when not given).
SettingRef Int(int* v, int lo = INT_MIN, int hi = INT_MAX) { return SettingRef{v, nullptr, kRuleRange, double(lo), double(hi), 0}; }
// A switch: anything but 0 is 1.
SettingRef Flag(int* v) { return SettingRef{v, nullptr, kRuleFlag, 0, 1, 0}; }
// One of lo..hi; anything else is `otherwise`.
SettingRef Choice(int* v, int lo, int hi, int otherwise) {
  return SettingRef{v, nullptr, kRuleChoice, double(lo), double(hi), otherwise};
}
SettingRef Decimal(double* v, double lo, double hi) { return SettingRef{nullptr, v, kRuleRange, lo, hi, 0}; }

Line Row(int* values, int count, int lo = INT_MIN, int hi = INT_MAX) {
  Line line;
  for (int i = 0; i < count; ++i) line.push_back(Int(values + i, lo, hi));
  return line;
}

void ClampRef(const SettingRef& ref) {
  if (ref.d != nullptr) {
    double& v = *ref.d;
    if (!(v >= ref.lo)) v = ref.lo;  // NaN included
    if (v > ref.hi) v = ref.hi;
    return;
  }
  int& v = *ref.i;
  switch (ref.rule) {
    case kRuleFlag: v = v != 0 ? 1 : 0; break;
    case kRuleChoice: if (v < ref.lo || v > ref.hi) v = ref.otherwise; break;
    default:
      if (v < ref.lo) v = static_cast<int>(ref.lo);
      if (v > ref.hi) v = static_cast<int>(ref.hi);
      break;
  }
}

void ClampGroup(const SettingGroup& group) {
  for (const Line& line : group.lines) {
    for (const SettingRef& ref : line) ClampRef(ref);
  }
}

bool SameWord(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

void ReadGroupValues(TextScan& scan, const SettingGroup& group) {
  for (const Line& line : group.lines) {
    for (const SettingRef& ref : line) {
      if (ref.i != nullptr) {
        scan.ReadInt(ref.i);
      } else {
        scan.ReadDouble(ref.d);
      }
    }
  }
}

// Limits of values that have no natural bound: the angle in hundredths of
// a degree keeps its value in thousandths within an int; the distortion's
// corner shift and the crop and resize sides stay far beyond any image.
constexpr int kAngleMax = 214748364;
constexpr int kCornerShiftMax = 1000000;
constexpr int kSideMax = 1000000;

// The reader's word buffer; longer words are skipped.
constexpr size_t kWordMax = 255;

}  // namespace

std::vector<SettingGroup> SettingGroups(Settings& s) {
  // Operations whose values carry no range here are not built yet: they
  // keep what the file says until their operation gives the range.
  std::vector<SettingGroup> g;
  g.push_back({"sharp",
               {{Int(&s.sharp.radius, 1, 10), Int(&s.sharp.range, 0, 65535), Int(&s.sharp.smooth, 0, 50),
                 Int(&s.sharp.enhance, 0, 50)}},
               true, "radius(1-10) range(16-bit) smoothing(0-50) enhancement(0-50)"});
  g.push_back({"gamma",
               {{Flag(&s.gamma.kind)}, Row(s.gamma.rows[0], 6, 0, 255), Row(s.gamma.rows[1], 6, 0, 255),
                Row(s.gamma.rows[2], 6, 0, 255), Row(s.gamma.rows[3], 6, 0, 255)},
               true, "kind(0 straight,1 curved); then rows all,R,G,B: in1 out1 in2 out2 in3 out3 (0-255)"});
  g.push_back({"lvl", {{Int(&s.lvl.table, 0, 3)}}, true,
               "table(0 all,1-3 R,G,B); then rows all,R,G,B: in_min(0-254) in_max(1-255) brightness(-255-255) "
               "contrast(-100-100) gamma*100(1-400) out_min(0-254) out_max(1-255)"});
  for (auto& row : s.lvl.rows) {
    g.back().lines.push_back({Int(&row[0], 0, 254), Int(&row[1], 1, 255), Int(&row[2], -255, 255),
                              Int(&row[3], -100, 100), Int(&row[4], 1, 400), Int(&row[5], 0, 254),
                              Int(&row[6], 1, 255)});
  }
  // The compare range is capped at the largest canvas side.
  g.push_back({"composite",
               {{Int(&s.composite.mode, 0, 4), Int(&s.composite.range, 1, 10000), Int(&s.composite.method, 0, 2),
                 Flag(&s.composite.normalise), Int(&s.composite.noise_level, 0, 255),
                 Choice(&s.composite.noise_option, 0, 2, 0)}},
               true,
               "mode(0 avg,1 add,2 max,3 min,4 contrast) range method(0-2) normalise noise_level "
               "noise_option(0-2)"});
  g.push_back({"edge", {{Int(&s.edge.range, 0, 65535), Int(&s.edge.strength, 0, 50), Int(&s.edge.threshold, 0, 100)}},
               true, "range(16-bit) strength(0-50) threshold(%)"});
  g.push_back({"resize", {{Flag(&s.resize.keep_aspect), Choice(&s.resize.method, 0, 3, 1)}}, true,
               "keep_aspect(0/1) method(0 nearest,1 bilinear,2 lanczos up/bilinear down,3 lanczos)"});
  // Shifts are 8-bit levels; a slot outside 0..99 is none (100).
  g.push_back({"back1", {{Choice(&s.back1.mode, 3, 4, 3), Choice(&s.back1.slot, 0, 100, 100), Int(&s.back1.shift, 0, 255)}}, true,
               "mode(3 mul,4 sub) slot(0-99,100 none) shift"});
  g.push_back({"back2", {{Choice(&s.back2.mode, 0, 1, 0)}}, true,
               "mode(0 mul,1 sub) R_centre R_edge G_centre G_edge B_centre B_edge (0-255)"});
  for (int i = 0; i < 6; ++i) g.back().lines[0].push_back(Int(&s.back2.levels[i], 0, 255));
  g.push_back({"back3",
               {{Int(&s.back3.detect, 8, 256), Int(&s.back3.average, 2, 16), Choice(&s.back3.correction, 0, 2, 0),
                 Int(&s.back3.shift, 0, 255), Flag(&s.back3.two_pass)}},
               true, "detect(8-256) average(2-16) correction(0-2) shift two_pass(0/1)"});
  // The angle in thousandths must fit an int.
  g.push_back({"round", {{Choice(&s.round.kind, 0, 5, 3), Int(&s.round.angle, -kAngleMax, kAngleMax)}}, true,
               "kind(0 left90,1 right90,2 180,3 angle,4 mirror left-right,5 top-bottom) angle(1/100 degree)"});
  g.push_back({"gray",
               {{Int(&s.gray.mode, 0, 3), Int(&s.gray.weight_r, 0, 65535), Int(&s.gray.weight_g, 0, 65535),
                 Int(&s.gray.weight_b, 0, 65535)}},
               true, "mode(0 max,1 min,2 standard,3 manual) weight_R weight_G weight_B (0-65535)"});
  g.push_back({"color", {{Int(&s.color.saturation, 0, 200), Int(&s.color.hue, 0, 360)}}, true,
               "saturation(0-200, 100 unchanged) hue(0-360, 180 unchanged)"});
  g.push_back({"level", {{Int(&s.level.strength, 0, 100)}}, true, "strength(0-100)"});
  g.push_back({"dark",
               {{Int(&s.raw.path, 0, 1), Int(&s.raw.quality, 0, 3), Int(&s.raw.dark_mode, 0, 2),
                 Int(&s.raw.defect_threshold, 0, 1024)}},
               true, "raw_path(0 fast,1 library) raw_quality(0-3) dark_mode(0-2) defect_threshold(0-1024)"});
  g.push_back({"waikyoku", {{Int(&s.waikyoku.corner, -kCornerShiftMax, kCornerShiftMax)}}, true,
               "corner correction in pixels (+ outwards)"});
  // The readout divisor 2^(16 - b) for b = 6..16.
  g.push_back({"display", {{Int(&s.display.scale, 1, 1024)}}, true, "readout divisor D (1-1024)"});
  g.push_back({"raw",
               {{Decimal(&s.raw.gamma[0], 1.0, 4.0), Decimal(&s.raw.gamma[1], 1.0, 4.0),
                 Decimal(&s.raw.gamma[2], 1.0, 4.0)},
                {Int(&s.raw.black_r, 0, 32), Int(&s.raw.white_r, 128, 255), Int(&s.raw.black_g, 0, 32),
                 Int(&s.raw.white_g, 128, 255), Int(&s.raw.black_b, 0, 32), Int(&s.raw.white_b, 128, 255)},
                {Int(&s.raw.sharpness, 0, 8), Int(&s.raw.radius, 0, 1), Int(&s.raw.false_colour, 0, 4),
                 Int(&s.raw.saturation, 0, 4), Int(&s.raw.hue, 0, 36)},
                {Int(&s.raw.quality, 0, 3)}},
               true,
               "gammaR gammaG gammaB (decimals, 1-4); blackR whiteR blackG whiteG blackB whiteB; sharpness "
               "radius false_colour saturation hue; quality"});
  g.push_back({"VER264", {{Flag(&s.back3.exclude_zero), Int(&s.composite.shift_x), Int(&s.composite.shift_y)}}, true,
               "exclude_zero(0/1) shift_x shift_y"});
  g.push_back({"wavelet", {Row(s.wavelet.gains, 6, 0, 500)}, true, "gain0 .. gain5 (tenths, 0-500)"});
  g.push_back({"filter", {{Int(&s.wavelet.order, 1, 10), Flag(&s.wavelet.enlarge)}}, true, "order(1-10) enlarge(0/1)"});
  g.push_back({"edgearea", {{Int(&s.edge.area, 1, 3), Int(&s.edge.smooth, 0, 50)}}, true, "area(1-3) smoothing(0-50)"});
  g.push_back({"restore",
               {{Int(&s.restore.spread, 1, 100), Int(&s.restore.dullness, 1, 50), Int(&s.restore.iterations, 1, 5),
                 Int(&s.restore.emphasis, 0, 3)}},
               true, "spread(1-100) dullness(1-50) iterations(1-5) emphasis(0-3)"});
  // An area of 4 works as 3.
  g.push_back({"noise", {{Int(&s.noise.area, 3, 5), Int(&s.noise.threshold, 0, 10), Int(&s.noise.strength, 1, 5)}},
               true, "area(3/5) threshold(0-10) strength(1-5)"});
  g.push_back({"cut",
               {{Choice(&s.cut.anchor, 0, 8, 4), Int(&s.cut.width, 1, kSideMax), Int(&s.cut.height, 1, kSideMax)},
                {Flag(&s.cut.scale_mode), Int(&s.cut.out_width, 1, kSideMax), Int(&s.cut.out_height, 1, kSideMax),
                 Int(&s.cut.scale, 1, kSideMax)}},
               true, "anchor(0-8) width height; scale_mode(0 size,1 scale) out_width out_height scale(%)"});
  // Newer than the groups above; files without it read as before.
  g.push_back({"stretch", {{Choice(&s.display.stretch, 0, 3, 0)}}, true,
               "display stretch (0 linear, 1 auto per channel, 2 auto linked, 3 logarithmic)"});

  // Dialog values the file does not keep.
  g.push_back({"sharp-channels", {{Flag(&s.sharp.use_r), Flag(&s.sharp.use_g), Flag(&s.sharp.use_b)}}, false,
               "R G B (0/1 each)"});
  g.push_back({"edge-channels", {{Flag(&s.edge.use_r), Flag(&s.edge.use_g), Flag(&s.edge.use_b)}}, false,
               "R G B (0/1 each)"});
  // -1: the current image's side. Sizes above 10000 are refused by the
  // command with a message, so they pass here.
  g.push_back({"resize-size", {{Int(&s.resize.x_to, -1), Int(&s.resize.y_to, -1)}}, false,
               "x_to y_to (-1: the image's size; the from sizes are the image's)"});
  g.push_back({"gamma-table", {{Int(&s.gamma.table, 0, 3)}}, false,
               "0 all colours, 1-3 per-channel mode (R, G, B tables)"});
  // A slot number that names no slot is no input.
  g.push_back({"composite-inputs",
               {{Choice(&s.composite.inputs[0], -1, 99, -1), Choice(&s.composite.inputs[1], -1, 99, -1),
                 Choice(&s.composite.inputs[2], -1, 99, -1), Choice(&s.composite.inputs[3], -1, 99, -1)}},
               false, "slot1 slot2 slot3 slot4 (-1 none)"});
  g.push_back({"composite-weights", {Row(s.composite.weights, 4, 0, INT_MAX)}, false, "w1 w2 w3 w4 (0-100)"});
  // Coordinates are packed as x * 16384 + y for the engine.
  g.push_back({"composite-points", {}, false,
               "rows 1-4: Ax Ay Bx By (y from the top, 0-16383; filled from the slots' marked points when\n"
               "      composite-inputs, lrgb-inputs or lrgbcomp-inputs choose the slots)"});
  for (auto& row : s.composite.points) g.back().lines.push_back(Row(row, 4, 0, 16383));
  g.push_back({"lrgb-inputs", {{Choice(&s.lrgb.l, -1, 99, -1), Choice(&s.lrgb.rgb, -1, 99, -1)}}, false,
               "L RGB (slots, -1 none; L+RGB composite, points in composite-points rows 1, 2)"});
  g.push_back({"lrgbcomp-inputs",
               {{Choice(&s.lrgb.inputs[0], -1, 99, -1), Choice(&s.lrgb.inputs[1], -1, 99, -1),
                 Choice(&s.lrgb.inputs[2], -1, 99, -1), Choice(&s.lrgb.inputs[3], -1, 99, -1)}},
               false, "L R G B (slots, -1 none; weights in composite-weights)"});
  g.push_back({"color-rgb",
               {{Int(&s.color_rgb.source[0], 0, 255), Int(&s.color_rgb.source[1], 0, 255),
                 Int(&s.color_rgb.source[2], 0, 255), Int(&s.color_rgb.target[0], 0, 255),
                 Int(&s.color_rgb.target[1], 0, 255), Int(&s.color_rgb.target[2], 0, 255),
                 Int(&s.color_rgb.tolerance, 0, 255)}},
               false, "source R G B, target R G B, tolerance (0-255 each)"});
  g.push_back({"color-hsv",
               {{Int(&s.color_hsv.source[0], 0, 359), Int(&s.color_hsv.source[1], 0, 255),
                 Int(&s.color_hsv.source[2], 0, 255), Int(&s.color_hsv.target[0], 0, 359),
                 Int(&s.color_hsv.target[1], 0, 255), Int(&s.color_hsv.target[2], 0, 255),
                 Int(&s.color_hsv.tolerance, 0, 255)}},
               false, "source hue(0-359) saturation value (0-255), target likewise, tolerance (0-255, 1/4 degree)"});
  g.push_back({"deep-stack",
               {{Int(&s.deep_stack.master_method, 0, 1), Flag(&s.deep_stack.scale_dark),
                 Int(&s.deep_stack.reference, 0, 1000000), Int(&s.deep_stack.reject, 0, 5),
                 Decimal(&s.deep_stack.kappa_low, 0.0, 100.0), Decimal(&s.deep_stack.kappa_high, 0.0, 100.0),
                 Int(&s.deep_stack.normalise, 0, 3), Int(&s.deep_stack.weights, 0, 2),
                 Int(&s.deep_stack.interpolation, 0, 1), Decimal(&s.deep_stack.max_fwhm, 0.0, 1000.0),
                 Int(&s.deep_stack.min_stars, 0, 100000), Decimal(&s.deep_stack.max_residual, 0.0, 1000.0),
                 Int(&s.deep_stack.memory_limit_mb, 0, 16777216), Flag(&s.deep_stack.open_maps)}},
               false,
               "master(0 median,1 sigma mean) scale_dark(0/1) reference(0 best,N) reject(0 none,1 median,"
               "2 sigma,3 winsor,4 linear,5 minmax) kappa_low kappa_high normalise(0 none,1 add,2 mul,3 add+scale) "
               "weights(0 equal,1 noise,2 stars) interpolation(0 lanczos,1 bilinear) max_fwhm min_stars "
               "max_residual memory_limit_mb(0 half the free memory) open_maps(0/1)"});
  g.push_back({"back2-extra", {{Int(&s.back2.curve, 100, 300), Int(&s.back2.shift, 0, 255)}}, false,
               "curve(100-300, exponent x 100) shift(0-255)"});
  return g;
}

bool ReadSettingGroup(Settings& settings, const std::string& keyword, const std::string& text) {
  for (const SettingGroup& group : SettingGroups(settings)) {
    if (SameWord(keyword, group.keyword)) {
      TextScan scan(text);
      ReadGroupValues(scan, group);
      ClampGroup(group);
      return true;
    }
  }
  return false;
}

int LoadSettings(Settings& settings, const std::string& path) {
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(path, &bytes)) return 0;
  TextScan scan(std::string(bytes.begin(), bytes.end()));
  const std::vector<SettingGroup> groups = SettingGroups(settings);
  std::string word;
  bool too_long = false;
  while (scan.ReadWord(&word, kWordMax, &too_long)) {
    if (too_long) continue;
    for (const SettingGroup& group : groups) {
      if (group.in_file && SameWord(word, group.keyword)) {
        ReadGroupValues(scan, group);
        break;
      }
    }
  }
  ClampSettings(settings);
  return 1;
}

void ClampSettings(Settings& settings) {
  for (const SettingGroup& group : SettingGroups(settings)) ClampGroup(group);
}

std::string FormatSettings(Settings& settings) {
  std::string out;
  for (const SettingGroup& group : SettingGroups(settings)) {
    if (!group.in_file) continue;
    out += group.keyword;
    out += '\n';
    for (const auto& line : group.lines) {
      for (size_t i = 0; i < line.size(); ++i) {
        if (i > 0) out += ' ';
        out += line[i].i != nullptr ? std::to_string(*line[i].i) : FormatDecimal6(*line[i].d);
      }
      out += '\n';
    }
  }
  return out;
}

bool SaveSettings(Settings& settings, const std::string& path) {
  const std::string text = FormatSettings(settings);
  SafeFile out;
  if (!out.Open(path)) return false;
  out.Write(text.data(), text.size());
  return out.Commit();
}

}  // namespace tavo
