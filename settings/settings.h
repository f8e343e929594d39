// SPDX-License-Identifier: MIT
// settings/settings.h - the process-wide settings of every operation dialog,
// one record per settings-file keyword. Values are kept exactly as the
// dialogs or a settings file left them; each operation clamps them to its
// own range when it reads them, so a hand-edited file cannot push an
// operation outside its limits.
#pragma once
#include <string>
#include <vector>

namespace tavo {

struct SharpSettings {        // "sharp"
  int radius = 1;             // 1..10
  int range = 2560;           // 16-bit units, 0..65535
  int smooth = 10;            // 0..50
  int enhance = 10;           // 0..50
  int use_r = 1, use_g = 1, use_b = 1;  // not in the file
};

struct GammaSettings {        // "gamma"
  int kind = 1;               // 0 straight, 1 curved
  // Rows: all colours, R, G, B; each in0 out0 in1 out1 in2 out2 (8-bit).
  int rows[4][6] = {{0, 0, 128, 128, 255, 255},
                    {0, 0, 128, 128, 255, 255},
                    {0, 0, 128, 128, 255, 255},
                    {0, 0, 128, 128, 255, 255}};
  // 0: all-colours mode; 1..3: per-channel mode, editing R, G or B. Not in
  // the file (the per-channel switch is table != 0).
  int table = 0;
};

struct LvlSettings {          // "lvl" (level correction)
  int table = 0;              // 0 all colours, 1..3 per channel
  // in_min in_max brightness contrast gamma*100 out_min out_max: 0..254,
  // 1..255, -255..255, -100..100, 1..400, 0..254, 1..255 (a minimum at or
  // above its maximum is settled by the operation).
  int rows[4][7] = {{0, 255, 0, 0, 100, 0, 255},
                    {0, 255, 0, 0, 100, 0, 255},
                    {0, 255, 0, 0, 100, 0, 255},
                    {0, 255, 0, 0, 100, 0, 255}};
};

struct CompositeSettings {    // "composite" (+ "VER264" values 2, 3)
  int mode = 0;               // 0 average, 1 add, 2 max, 3 min, 4 contrast max
  int range = 20;             // compare range in pixels, >= 1
  int method = 1;             // 0 centre+corners, 1 centre, 2 all pixels
  int normalise = 1;
  int noise_level = 5;        // 0..255
  int noise_option = 1;       // 0 none, 1 noise removal, 2 move mode
  int shift_x = 0, shift_y = 0;
  int weights[4] = {100, 100, 100, 100};  // not in the file
  int inputs[4] = {-1, -1, -1, -1};       // chosen slots; not in the file
  // Points A and B of the four rows (A x, A y, B x, B y; y from the top
  // row), shared by the composite by points and the colour composites;
  // not in the file.
  int points[4][4] = {};
};

struct LrgbSettings {         // not in the file
  int l = -1, rgb = -1;                   // L+RGB: the two chosen slots
  int inputs[4] = {-1, -1, -1, -1};       // L+R+G+B: rows L, R, G, B
};

struct EdgeSettings {         // "edge" + "edgearea"
  int range = 2560;           // 16-bit units
  int strength = 10;          // 0..50
  int threshold = 50;         // percent
  int area = 1;               // "edgearea" 1: carried, not read
  int smooth = 10;            // "edgearea" 2: 0..50
  int use_r = 1, use_g = 1, use_b = 1;  // not in the file
};

struct ResizeSettings {       // "resize"
  int keep_aspect = 1;
  int method = 1;             // 0 nearest, 1 bilinear, 2 lanczos/bilinear, 3 lanczos
  // Not in the file. The from sizes are the image's whenever the command
  // runs; the to sizes as typed, -1 for the image's own.
  int x_from = 0, y_from = 0;
  int x_to = -1, y_to = -1;
};

struct Back1Settings {        // "back1"
  int mode = 3;               // 3 multiplicative, 4 subtractive
  int slot = 100;             // background slot, 100 = none
  int shift = 30;
};

struct Back2Settings {        // "back2"
  int mode = 0;               // 0 multiplicative, 1 subtractive
  int levels[6] = {0, 0, 0, 0, 0, 0};  // R centre, R edge, G centre, ...
  int curve = 200;            // exponent x 100; not in the file
  int shift = 0;              // not in the file
};

struct Back3Settings {        // "back3" (+ "VER264" value 1)
  int detect = 32;
  int average = 16;
  int correction = 0;         // 0 none, 1 multiplicative, 2 subtractive
  int shift = 30;
  int two_pass = 0;
  int exclude_zero = 1;
};

struct RoundSettings {        // "round"
  int kind = 3;               // 0 left 90, 1 right 90, 2 180, 3 angle, 4/5 flips
  int angle = 0;              // hundredths of a degree, anticlockwise
};

struct GraySettings {         // "gray" (black and white)
  int mode = 2;               // 0 largest, 1 smallest, 2 standard, 3 manual
  int weight_r = 299, weight_g = 587, weight_b = 114;  // 0..65535 each
};

struct ColorSettings {        // "color"
  int saturation = 100;       // 0..200
  int hue = 180;              // 0..360
};

struct ToneSettings {         // "level" (tone correction)
  int strength = 10;          // percent, 0..100
};

// Colour change; neither is in the file ("color-rgb", "color-hsv" for
// `--set`). Source, target and tolerance as the dialogs show them.
struct ColorRgbSettings {
  int source[3] = {0, 0, 0};  // R, G, B, 0..255
  int target[3] = {0, 0, 0};
  int tolerance = 0;          // 0..255
};

struct ColorHsvSettings {
  int source[3] = {0, 0, 0};  // hue 0..359 degrees, saturation and value 0..255
  int target[3] = {0, 0, 0};
  int tolerance = 0;          // 0..255 quarter degrees
};

// RAW development ("dark" values 1, 2 and 3, 4; "raw").
struct RawDevelopSettings {
  int path = 0;               // 0 fast, 1 library
  int quality = 0;            // library demosaic 0..3
  int dark_mode = 2;          // 0 keep, 1 zero, 2 neighbour mean
  int defect_threshold = 0;   // 0..1024
  double gamma[3] = {2.2, 2.2, 2.2};
  int black_r = 5, white_r = 180, black_g = 3, white_g = 160, black_b = 0, white_b = 130;
  int sharpness = 6;
  int radius = 0;
  int false_colour = 2;
  int saturation = 3;
  int hue = 18;
};

struct WaikyokuSettings {     // "waikyoku"
  int corner = 0;             // pixels, + outwards
};

struct DisplaySettings {      // "display" (+ "stretch")
  int scale = 256;            // readout divisor D
  int stretch = 0;            // "stretch": 0 linear, 1 auto per channel, 2 auto linked, 3 logarithmic
};

struct WaveletSettings {      // "wavelet" + "filter"
  int gains[6] = {10, 10, 10, 10, 10, 10};
  int order = 2;
  int enlarge = 0;
};

struct RestoreSettings {      // "restore"
  int spread = 10, dullness = 20, iterations = 3, emphasis = 1;
};

struct NoiseSettings {        // "noise"
  int area = 5, threshold = 10, strength = 3;
};

struct CutSettings {          // "cut"
  int anchor = 4, width = 1024, height = 768;
  int scale_mode = 1, out_width = 1024, out_height = 768, scale = 100;
};

// Stacking many exposures ("deep-stack", not in the file). The file lists
// and folders are dialog state (names), set by the dialog or `tavo-cli
// stack`; they have no settings keyword.
struct DeepStackSettings {
  int master_method = 0;      // 0 median, 1 sigma-clipped mean
  int scale_dark = 0;         // dark scaled by exposure when the headers give it
  int reference = 1;          // 0 the best light, N >= 1 light number N
  int reject = 2;             // 0 none, 1 median, 2 sigma, 3 winsorized, 4 linear fit, 5 min/max
  double kappa_low = 3.0, kappa_high = 3.0;  // min/max: how many are dropped at each end
  int normalise = 3;          // 0 none, 1 additive, 2 multiplicative, 3 additive with scaling
  int weights = 1;            // 0 equal, 1 by noise, 2 by star count
  int interpolation = 0;      // 0 Lanczos, 1 bilinear
  double max_fwhm = 0;        // pixels; 0 no limit
  int min_stars = 0;          // 0 no limit
  double max_residual = 0;    // pixels; 0 no limit
  int memory_limit_mb = 0;    // 0: half the available memory
  int open_maps = 0;          // the rejection maps open in slots of their own too
  std::vector<std::string> lights, biases, darks, flats;
  std::string scratch;        // registered frames are written (and kept) here
  std::string masters;        // the masters are saved here
  std::string report;         // the per-frame CSV report
};

struct Settings {
  SharpSettings sharp;
  GammaSettings gamma;
  LvlSettings lvl;
  CompositeSettings composite;
  LrgbSettings lrgb;
  EdgeSettings edge;
  ResizeSettings resize;
  Back1Settings back1;
  Back2Settings back2;
  Back3Settings back3;
  RoundSettings round;
  GraySettings gray;
  ColorSettings color;
  ToneSettings level;
  ColorRgbSettings color_rgb;
  ColorHsvSettings color_hsv;
  RawDevelopSettings raw;
  WaikyokuSettings waikyoku;
  DisplaySettings display;
  WaveletSettings wavelet;
  RestoreSettings restore;
  NoiseSettings noise;
  CutSettings cut;
  DeepStackSettings deep_stack;
};

// Every setting back to its default (the RAW development path and the dark
// settings included). The quadratic background's shift becomes 0 at
// start-up and otherwise takes the background generation shift as it
// stands before the reset.
void ResetAllSettings(Settings& settings, bool startup);

}  // namespace tavo
