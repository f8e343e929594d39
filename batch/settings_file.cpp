// SPDX-License-Identifier: MIT
#include "batch/settings_file.h"

#include <cctype>
#include <cstring>

#include "batch/text_scan.h"
#include "io/byte_reader.h"
#include "io/safe_file.h"

namespace tavo {
namespace {

using Line = std::vector<SettingRef>;

Line Ints(std::initializer_list<int*> values) {
  Line line;
  for (int* v : values) line.push_back(SettingRef{v, nullptr});
  return line;
}

Line Row(int* values, int count) {
  Line line;
  for (int i = 0; i < count; ++i) line.push_back(SettingRef{values + i, nullptr});
  return line;
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

// The reader's word buffer; longer words are skipped.
constexpr size_t kWordMax = 255;

}  // namespace

std::vector<SettingGroup> SettingGroups(Settings& s) {
  std::vector<SettingGroup> g;
  g.push_back({"sharp", {Ints({&s.sharp.radius, &s.sharp.range, &s.sharp.smooth, &s.sharp.enhance})}, true,
               "radius(1-10) range(16-bit) smoothing(0-50) enhancement(0-50)"});
  g.push_back({"gamma",
               {Ints({&s.gamma.kind}), Row(s.gamma.rows[0], 6), Row(s.gamma.rows[1], 6),
                Row(s.gamma.rows[2], 6), Row(s.gamma.rows[3], 6)},
               true,
               "kind(0 straight,1 curved); then rows all,R,G,B: in1 out1 in2 out2 in3 out3 (0-255)"});
  g.push_back({"lvl",
               {Ints({&s.lvl.table}), Row(s.lvl.rows[0], 7), Row(s.lvl.rows[1], 7), Row(s.lvl.rows[2], 7),
                Row(s.lvl.rows[3], 7)},
               true,
               "table(0 all,1-3 R,G,B); then rows all,R,G,B: in_min in_max brightness contrast "
               "gamma*100 out_min out_max"});
  g.push_back({"composite",
               {Ints({&s.composite.mode, &s.composite.range, &s.composite.method, &s.composite.normalise,
                      &s.composite.noise_level, &s.composite.noise_option})},
               true,
               "mode(0 avg,1 add,2 max,3 min,4 contrast) range method(0-2) normalise noise_level "
               "noise_option(0-2)"});
  g.push_back({"edge", {Ints({&s.edge.range, &s.edge.strength, &s.edge.threshold})}, true,
               "range(16-bit) strength(0-50) threshold(%)"});
  g.push_back({"resize", {Ints({&s.resize.keep_aspect, &s.resize.method})}, true,
               "keep_aspect(0/1) method(0-3)"});
  g.push_back({"back1", {Ints({&s.back1.mode, &s.back1.slot, &s.back1.shift})}, true,
               "mode(3 mul,4 sub) slot(0-99,100 none) shift"});
  g.push_back({"back2", {Ints({&s.back2.mode}), }, true,
               "mode(0 mul,1 sub) R_centre R_edge G_centre G_edge B_centre B_edge (0-255)"});
  for (int i = 0; i < 6; ++i) g.back().lines[0].push_back(SettingRef{&s.back2.levels[i], nullptr});
  g.push_back({"back3",
               {Ints({&s.back3.detect, &s.back3.average, &s.back3.correction, &s.back3.shift,
                      &s.back3.two_pass})},
               true, "detect(8-256) average(2-16) correction(0-2) shift two_pass(0/1)"});
  g.push_back({"round", {Ints({&s.round.kind, &s.round.angle})}, true,
               "kind(0-5) angle(1/100 degree)"});
  g.push_back({"gray", {Ints({&s.gray.mode, &s.gray.weight_r, &s.gray.weight_g, &s.gray.weight_b})}, true,
               "mode(0-3) weight_R weight_G weight_B"});
  g.push_back({"color", {Ints({&s.color.saturation, &s.color.hue})}, true,
               "saturation(0-200) hue(0-360)"});
  g.push_back({"level", {Ints({&s.level.strength})}, true, "strength(0-100)"});
  g.push_back({"dark", {Ints({&s.raw.path, &s.raw.quality, &s.raw.dark_mode, &s.raw.defect_threshold})},
               true, "raw_path(0 fast,1 library) raw_quality(0-3) dark_mode(0-2) defect_threshold(0-1024)"});
  g.push_back({"waikyoku", {Ints({&s.waikyoku.corner})}, true, "corner correction in pixels"});
  g.push_back({"display", {Ints({&s.display.scale})}, true, "readout divisor D (1-1024)"});
  g.push_back({"raw",
               {Line{SettingRef{nullptr, &s.raw.gamma[0]}, SettingRef{nullptr, &s.raw.gamma[1]},
                     SettingRef{nullptr, &s.raw.gamma[2]}},
                Ints({&s.raw.black_r, &s.raw.white_r, &s.raw.black_g, &s.raw.white_g, &s.raw.black_b,
                      &s.raw.white_b}),
                Ints({&s.raw.sharpness, &s.raw.radius, &s.raw.false_colour, &s.raw.saturation, &s.raw.hue}),
                Ints({&s.raw.quality})},
               true,
               "gammaR gammaG gammaB (decimals); blackR whiteR blackG whiteG blackB whiteB; sharpness "
               "radius false_colour saturation hue; quality"});
  g.push_back({"VER264", {Ints({&s.back3.exclude_zero, &s.composite.shift_x, &s.composite.shift_y})}, true,
               "exclude_zero(0/1) shift_x shift_y"});
  g.push_back({"wavelet", {Row(s.wavelet.gains, 6)}, true, "gain0 .. gain5 (tenths, 0-500)"});
  g.push_back({"filter", {Ints({&s.wavelet.order, &s.wavelet.enlarge})}, true, "order(1-10) enlarge(0/1)"});
  g.push_back({"edgearea", {Ints({&s.edge.area, &s.edge.smooth})}, true, "area smoothing(0-50)"});
  g.push_back({"restore",
               {Ints({&s.restore.spread, &s.restore.dullness, &s.restore.iterations, &s.restore.emphasis})},
               true, "spread(1-100) dullness(1-50) iterations(1-5) emphasis(0-3)"});
  g.push_back({"noise", {Ints({&s.noise.area, &s.noise.threshold, &s.noise.strength})}, true,
               "area(3/5) threshold(0-10) strength(1-5)"});
  g.push_back({"cut",
               {Ints({&s.cut.anchor, &s.cut.width, &s.cut.height}),
                Ints({&s.cut.scale_mode, &s.cut.out_width, &s.cut.out_height, &s.cut.scale})},
               true, "anchor(0-8) width height; scale_mode(0 size,1 scale) out_width out_height scale(%)"});

  // Dialog values the file does not keep.
  g.push_back({"sharp-channels", {Ints({&s.sharp.use_r, &s.sharp.use_g, &s.sharp.use_b})}, false,
               "R G B (0/1 each)"});
  g.push_back({"edge-channels", {Ints({&s.edge.use_r, &s.edge.use_g, &s.edge.use_b})}, false,
               "R G B (0/1 each)"});
  g.push_back({"gamma-table", {Ints({&s.gamma.table})}, false,
               "0 all colours, 1-3 per-channel mode (R, G, B tables)"});
  g.push_back({"composite-inputs", {Row(s.composite.inputs, 4)}, false, "slot1 slot2 slot3 slot4 (-1 none)"});
  g.push_back({"composite-weights", {Row(s.composite.weights, 4)}, false, "w1 w2 w3 w4 (0-100)"});
  g.push_back({"back2-extra", {Ints({&s.back2.curve, &s.back2.shift})}, false,
               "curve(100-300, exponent x 100) shift(0-255)"});
  return g;
}

bool ReadSettingGroup(Settings& settings, const std::string& keyword, const std::string& text) {
  for (const SettingGroup& group : SettingGroups(settings)) {
    if (SameWord(keyword, group.keyword)) {
      TextScan scan(text);
      ReadGroupValues(scan, group);
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
  return 1;
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
