// SPDX-License-Identifier: MIT
// Writes a synthetic night for the stacking benchmark: light frames of one
// star field, each moved by a known shift and rotation, with sky noise,
// dark current, hot pixels, vignetting, cosmic-ray hits and (in one frame)
// a satellite trail; bias, dark and flat frames to match; and truth.csv,
// the transform of every light. 16-bit gray FITS files (BZERO 32768).
//   make_stack_frames DIR LIGHTS [WIDTH HEIGHT [BIASES DARKS FLATS [SEED]]]
// truth.csv: file,a,b,tx,ty - reference pixel (x, y) counted from the
// top-left lands on frame pixel (a x - b y + tx, b x + a y + ty).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Rng {
  uint64_t s;
  uint64_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
  }
  double Uniform() { return (Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Gauss() {
    const double u = Uniform() + 1e-300, v = Uniform();
    return std::sqrt(-2 * std::log(u)) * std::cos(2 * M_PI * v);
  }
};

struct StarSpec {
  double x, y, peak;
};

struct Sensor {
  int w, h;
  std::vector<float> bias, dark, flat;  // fixed patterns
};

bool WriteFits(const std::string& path, int w, int h, const std::vector<float>& v, double exposure) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::string header;
  auto card = [&](const char* key, const std::string& value) {
    char line[81];
    std::snprintf(line, sizeof line, "%-8s= %20s", key, value.c_str());
    std::string s = line;
    s.resize(80, ' ');
    header += s;
  };
  card("SIMPLE", "T");
  card("BITPIX", "16");
  card("NAXIS", "2");
  card("NAXIS1", std::to_string(w));
  card("NAXIS2", std::to_string(h));
  card("BZERO", "32768");
  card("BSCALE", "1");
  char e[32];
  std::snprintf(e, sizeof e, "%.3f", exposure);
  card("EXPTIME", e);
  header += std::string("END").append(77, ' ');
  header.resize((header.size() + 2879) / 2880 * 2880, ' ');
  std::fwrite(header.data(), 1, header.size(), f);
  std::vector<uint8_t> row(static_cast<size_t>(w) * 2);
  // FITS rows run bottom-up; `v` is top-down.
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const double s = std::floor(v[static_cast<size_t>(y) * w + x] + 0.5);
      const int u = static_cast<int>(s < 0 ? 0 : s > 65535 ? 65535 : s) - 32768;
      row[2 * x] = static_cast<uint8_t>((u >> 8) & 255);
      row[2 * x + 1] = static_cast<uint8_t>(u & 255);
    }
    std::fwrite(row.data(), 1, row.size(), f);
  }
  const size_t data = static_cast<size_t>(w) * h * 2;
  const std::vector<char> pad((2880 - data % 2880) % 2880, 0);
  std::fwrite(pad.data(), 1, pad.size(), f);
  return std::fclose(f) == 0;
}

void AddStar(std::vector<float>& v, int w, int h, double cx, double cy, double peak, double sigma) {
  const int reach = static_cast<int>(sigma * 5) + 1;
  const int x0 = static_cast<int>(std::floor(cx)), y0 = static_cast<int>(std::floor(cy));
  for (int y = std::max(0, y0 - reach); y <= std::min(h - 1, y0 + reach); ++y) {
    for (int x = std::max(0, x0 - reach); x <= std::min(w - 1, x0 + reach); ++x) {
      const double dx = x - cx, dy = y - cy;
      v[static_cast<size_t>(y) * w + x] += static_cast<float>(peak * std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma)));
    }
  }
}

std::string Numbered(const std::string& dir, const char* kind, int number) {
  char name[64];
  std::snprintf(name, sizeof name, "/%s_%03d.fits", kind, number);
  return dir + name;
}

constexpr double kBias = 1000, kDark = 60, kSky = 800, kFlatLevel = 20000, kExposure = 120;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_stack_frames DIR LIGHTS [WIDTH HEIGHT [BIASES DARKS FLATS [SEED]]]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int lights = std::atoi(argv[2]);
  const int w = argc > 4 ? std::atoi(argv[3]) : 6000, h = argc > 4 ? std::atoi(argv[4]) : 4000;
  const int biases = argc > 7 ? std::atoi(argv[5]) : 10, darks = argc > 7 ? std::atoi(argv[6]) : 10;
  const int flats = argc > 7 ? std::atoi(argv[7]) : 10;
  Rng rng{argc > 8 ? static_cast<uint64_t>(std::atoll(argv[8])) * 2654435761u + 1 : 88172645463325252ull};
  const size_t n = static_cast<size_t>(w) * h;

  // Fixed patterns: bias columns, dark current with hot pixels, vignetting
  // with a dust shadow.
  Sensor sensor{w, h, std::vector<float>(n), std::vector<float>(n), std::vector<float>(n)};
  std::vector<float> column(w);
  for (int x = 0; x < w; ++x) column[x] = static_cast<float>(rng.Gauss() * 3);
  const double rmax = std::hypot(w / 2.0, h / 2.0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      sensor.bias[i] = static_cast<float>(kBias + column[x]);
      sensor.dark[i] = static_cast<float>(kDark * (1 + 0.1 * rng.Gauss()));
      const double r = std::hypot(x - w / 2.0, y - h / 2.0) / rmax;
      const double dust = std::hypot(x - w * 0.3, y - h * 0.6) < h * 0.02 ? 0.85 : 1.0;
      sensor.flat[i] = static_cast<float>((1 - 0.35 * r * r) * dust);
    }
  }
  for (size_t k = 0; k < n / 5000; ++k) sensor.dark[rng.Next() % n] = static_cast<float>(2000 + rng.Uniform() * 20000);

  // The field in reference coordinates, with room around it for the moves.
  std::vector<StarSpec> field;
  const int stars = static_cast<int>(n / 8000);
  for (int k = 0; k < stars; ++k) {
    const double u = rng.Uniform();
    field.push_back({rng.Uniform() * (w + 200) - 100, rng.Uniform() * (h + 200) - 100, 300 + 60000 * u * u * u * u});
  }

  std::FILE* truth = std::fopen((dir + "/truth.csv").c_str(), "w");
  if (truth == nullptr) {
    std::fprintf(stderr, "make_stack_frames: cannot write in %s\n", dir.c_str());
    return 1;
  }
  std::fprintf(truth, "file,a,b,tx,ty\n");
  std::vector<float> v(n);
  // Noise row by row from generators seeded by frame and row, so the rows
  // can be made in parallel and the files stay the same.
  uint64_t frame_seed = rng.Next();
  auto noisy_rows = [&](auto signal_at) {
    frame_seed = frame_seed * 6364136223846793005ull + 1442695040888963407ull;
#pragma omp parallel for schedule(static)
    for (int y = 0; y < h; ++y) {
      Rng row_rng{(frame_seed ^ (static_cast<uint64_t>(y) * 0x9e3779b97f4a7c15ull)) | 1};
      for (int x = 0; x < w; ++x) {
        const size_t i = static_cast<size_t>(y) * w + x;
        const double signal = signal_at(i);
        v[i] = static_cast<float>(signal + row_rng.Gauss() * std::sqrt(25.0 + std::max(signal - sensor.bias[i], 0.0)));
      }
    }
  };
  for (int k = 0; k < lights; ++k) {
    // Frame 1 is the reference; the others move by up to 40 pixels and
    // turn by up to 2 degrees about the centre.
    const double angle = k == 0 ? 0 : (rng.Uniform() * 4 - 2) * M_PI / 180;
    const double dx = k == 0 ? 0 : rng.Uniform() * 80 - 40, dy = k == 0 ? 0 : rng.Uniform() * 80 - 40;
    const double a = std::cos(angle), b = std::sin(angle);
    const double cx = w / 2.0, cy = h / 2.0;
    const double tx = cx + dx - (a * cx - b * cy), ty = cy + dy - (b * cx + a * cy);
    const double sigma = 1.3 + 0.3 * rng.Uniform();
    char name_buffer[32];
    std::snprintf(name_buffer, sizeof name_buffer, "light_%03d.fits", k + 1);
    const std::string name = name_buffer;
    std::fprintf(truth, "%s,%.12f,%.12f,%.9f,%.9f\n", name.c_str(), a, b, tx, ty);
    std::fill(v.begin(), v.end(), static_cast<float>(kSky));
    for (const StarSpec& s : field) AddStar(v, w, h, a * s.x - b * s.y + tx, b * s.x + a * s.y + ty, s.peak, sigma);
    if (k == lights / 2) {
      // A satellite crossing the whole frame.
      for (int x = 0; x < w; ++x) {
        const double yc = h * 0.2 + x * 0.4;
        for (int y = static_cast<int>(yc) - 2; y <= static_cast<int>(yc) + 2; ++y) {
          if (y >= 0 && y < h) v[static_cast<size_t>(y) * w + x] += static_cast<float>(4000 * std::exp(-(y - yc) * (y - yc) / 2));
        }
      }
    }
    noisy_rows([&](size_t i) { return v[i] * sensor.flat[i] + sensor.dark[i] + sensor.bias[i]; });
    // Cosmic rays: short bright tracks.
    for (size_t c = 0; c < n / 100000; ++c) {
      const size_t at = rng.Next() % n;
      const int len = 1 + static_cast<int>(rng.Next() % 3);
      for (int j = 0; j < len && at + j < n; ++j) v[at + j] += static_cast<float>(5000 + rng.Uniform() * 30000);
    }
    if (!WriteFits(dir + "/" + name, w, h, v, kExposure)) return 1;
  }
  std::fclose(truth);
  for (int k = 0; k < biases; ++k) {
    noisy_rows([&](size_t i) { return static_cast<double>(sensor.bias[i]); });
    if (!WriteFits(Numbered(dir, "bias", k + 1), w, h, v, 0.001)) return 1;
  }
  for (int k = 0; k < darks; ++k) {
    noisy_rows([&](size_t i) { return static_cast<double>(sensor.dark[i] + sensor.bias[i]); });
    if (!WriteFits(Numbered(dir, "dark", k + 1), w, h, v, kExposure)) return 1;
  }
  for (int k = 0; k < flats; ++k) {
    noisy_rows([&](size_t i) { return kFlatLevel * sensor.flat[i] + sensor.bias[i]; });
    if (!WriteFits(Numbered(dir, "flat", k + 1), w, h, v, 1.0)) return 1;
  }
  return 0;
}
