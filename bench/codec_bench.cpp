// SPDX-License-Identifier: MIT
// Reading and writing 6000 x 4000 images as 48-bit TIFF, 16-bit PPM and
// 24-bit BMP, each against a plain copy of the same number of bytes: the
// file read into fresh memory with fread, or written with fwrite. The
// ratio codec / plain is the codecs' overhead.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_images.h"
#include "core/image.h"
#include "io/bmp.h"
#include "io/pnm.h"
#include "io/tiff.h"

namespace tavo {
namespace {

constexpr int kW = 6000, kH = 4000;
constexpr int kTiff = 0, kPpm = 1, kBmp = 2;

struct BenchFiles {
  std::string dir;
  Image image;
  std::string path[3];
  size_t size[3] = {};

  BenchFiles() {
    dir = (std::filesystem::temp_directory_path() / ("tavo_codec_bench_" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(dir);
    MakeBenchNoiseImage(image, kW, kH, 12345);
    path[kTiff] = dir + "/big.tif";
    path[kPpm] = dir + "/big.ppm";
    path[kBmp] = dir + "/big.bmp";
    WriteTiff(path[kTiff], image);
    WritePnm(path[kPpm], image, false);
    WriteBmp(path[kBmp], image);
    for (int f = 0; f < 3; ++f) size[f] = static_cast<size_t>(std::filesystem::file_size(path[f]));
  }
  ~BenchFiles() { std::filesystem::remove_all(dir); }
};

BenchFiles& Files() {
  static BenchFiles files;
  return files;
}

void PlainRead(benchmark::State& state) {
  BenchFiles& files = Files();
  const int f = static_cast<int>(state.range(0));
  const size_t size = files.size[f];
  for (auto _ : state) {
    std::unique_ptr<char[]> buf(new char[size]);
    FILE* in = std::fopen(files.path[f].c_str(), "rb");
    if (in == nullptr || std::fread(buf.get(), 1, size, in) != size) state.SkipWithError("read failed");
    if (in != nullptr) std::fclose(in);
    benchmark::DoNotOptimize(buf.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

void CodecRead(benchmark::State& state) {
  BenchFiles& files = Files();
  const int f = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Image image;
    const ReadStatus status = f == kTiff  ? ReadImageFile(files.path[f], image)
                              : f == kPpm ? ReadImageFile(files.path[f], image)
                                          : ReadImageFile(files.path[f], image);
    if (status != kReadOk) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(image.r.get());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(files.size[f]));
}

void PlainWrite(benchmark::State& state) {
  BenchFiles& files = Files();
  const int f = static_cast<int>(state.range(0));
  const size_t size = files.size[f];
  // The bytes of the planes, as much as the file holds.
  const char* bytes = reinterpret_cast<const char*>(files.image.r.get());
  const std::string out = files.dir + "/plain.out";
  for (auto _ : state) {
    FILE* file = std::fopen(out.c_str(), "wb");
    size_t done = 0;
    while (file != nullptr && done < size) {
      const size_t n = std::min(size - done, files.image.PixelCount() * 2);
      if (std::fwrite(bytes, 1, n, file) != n) break;
      done += n;
    }
    if (file == nullptr || std::fclose(file) != 0 || done != size) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

void CodecWrite(benchmark::State& state) {
  BenchFiles& files = Files();
  const int f = static_cast<int>(state.range(0));
  const std::string out = files.dir + (f == kTiff ? "/out.tif" : f == kPpm ? "/out.ppm" : "/out.bmp");
  for (auto _ : state) {
    const bool ok = f == kTiff  ? WriteTiff(out, files.image)
                    : f == kPpm ? WritePnm(out, files.image, false)
                                : WriteBmp(out, files.image);
    if (!ok) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(files.size[f]));
}

// Argument: 0 TIFF 48-bit, 1 PPM 16-bit, 2 BMP 24-bit.
BENCHMARK(PlainRead)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CodecRead)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlainWrite)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CodecWrite)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tavo
