// SPDX-License-Identifier: MIT
// The whole stack on small synthetic nights: frames that cannot take part
// are left out by name, banding and threads do not change a bit, Cancel
// leaves nothing behind, the sharpest light becomes the reference.
#include "stack/deep/deep_stack.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "core/slots.h"
#include "tests/stack/deep_sky.h"
#include "tests/test_images.h"

namespace tavo {
namespace {

constexpr int kW = 200, kH = 150;

struct Night {
  std::map<std::string, Image> files;
  DeepStackInput input;

  void Add(std::vector<std::string>* list, const std::string& name, const Image& image) {
    list->push_back(name);
    files[name] = Image();
    DuplicateImage(image, files[name]);
  }
  FrameLoader Loader() const {
    return [this](const std::string& path, Image* image, double* exposure) {
      *exposure = 0;
      const auto it = files.find(path);
      return it != files.end() && DuplicateImage(it->second, *image);
    };
  }
};

Image Light(const std::vector<SkyStar>& sky, const Similarity& t, double sigma, uint32_t seed) {
  return RenderSky(kW, kH, sky, t, sigma, 1000, 30, seed);
}

std::vector<uint8_t> Bits(const FloatFrame& f) {
  std::vector<uint8_t> b(f.Size() * 4);
  std::memcpy(b.data(), f.data.get(), b.size());
  return b;
}

TEST(DeepStack, FramesThatCannotTakePartAreLeftOutByName) {
  const std::vector<SkyStar> sky = SkyStars(40, kW, kH, 3);
  Night night;
  night.Add(&night.input.lights, "ref", Light(sky, Similarity(), 1.4, 1));
  night.Add(&night.input.lights, "good", Light(sky, Turn(1, 1, 100, 75, 3.5, -2.25), 1.4, 2));
  night.Add(&night.input.lights, "blurred", Light(sky, Turn(0, 1, 0, 0, 2, 2), 3.0, 3));
  night.input.lights.push_back("missing");
  night.Add(&night.input.lights, "small", MakeFlatImage(kW - 1, kH, 1000));
  night.Add(&night.input.lights, "other field", Light(SkyStars(40, kW, kH, 77), Similarity(), 1.4, 4));
  DeepStackParams params;
  params.max_fwhm = 5;  // 1.4 x 2.35 = 3.3 passes, 3.0 x 2.35 = 7.1 does not
  DeepStackResult result;
  ASSERT_EQ(RunDeepStack(night.input, params, night.Loader(), nullptr, &result), kOpMade);
  const int expected[] = {kFrameUsed, kFrameUsed, kFrameFwhm, kFrameUnreadable, kFrameWrongSize, kFrameUnregistered};
  ASSERT_EQ(result.frames.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(result.frames[i].verdict, expected[i]) << night.input.lights[i];
  EXPECT_EQ(result.used, 2);
  EXPECT_EQ(result.output.result.width, kW);
}

// Lights of one field with bias frames; run in memory as one band, and
// again through scratch files in bands of a few rows, each with one and
// with two threads.
TEST(DeepStack, BandsScratchFilesAndThreadsGiveTheSameBits) {
  const std::vector<SkyStar> sky = SkyStars(40, kW, kH, 3);
  Night night;
  for (int k = 0; k < 4; ++k) {
    night.Add(&night.input.lights, "light" + std::to_string(k), Light(sky, Turn(k * 0.7, 1, 90, 80, k * 1.7, -k), 1.4, k + 1));
  }
  for (int k = 0; k < 3; ++k) night.Add(&night.input.biases, "bias" + std::to_string(k), MakeFlatImage(kW, kH, 90 + 10 * k));
  const std::string scratch = TempDir("deep_scratch");
  const int threads_before = omp_get_max_threads();
  std::vector<std::vector<uint8_t>> runs;
  for (const bool banded : {false, true}) {
    for (const int threads : {1, 2}) {
      DeepStackParams params;
      params.rule.reject = kRejectWinsor;
      if (banded) {
        // 800000 less a 32nd for the program: 775000. One frame's work
        // takes 540 KB; the outputs 480000 (floats 200 x 150 x 4, two maps
        // of 200 x 150 x 6) and the smallest band, one row of 4 x 200
        // floats (3200), are set aside: (775000 - 483200) / 3200 = 91 rows.
        params.memory_limit = 800000;
        params.scratch = scratch;
      }
      omp_set_num_threads(threads);
      DeepStackResult result;
      ASSERT_EQ(RunDeepStack(night.input, params, night.Loader(), nullptr, &result), kOpMade);
      EXPECT_EQ(result.used, 4);
      EXPECT_EQ(result.on_disk, banded);
      if (banded) {
        EXPECT_EQ(result.band_rows, 91);
      }
      runs.push_back(Bits(result.output.result));
      // The master bias (median 100) is gone from the sky of 1000.
      EXPECT_NEAR(result.frames[0].background, 900, 5);
    }
  }
  omp_set_num_threads(threads_before);
  for (size_t k = 1; k < runs.size(); ++k) EXPECT_TRUE(runs[k] == runs[0]) << "run " << k;
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(scratch)) kept += entry.path().extension() == ".fits";
  EXPECT_EQ(kept, 4);  // the registered frames stay in the scratch folder
}

TEST(DeepStack, CancelLeavesNoFiles) {
  const std::vector<SkyStar> sky = SkyStars(40, kW, kH, 3);
  Night night;
  for (int k = 0; k < 3; ++k) night.Add(&night.input.lights, "l" + std::to_string(k), Light(sky, Turn(0, 1, 0, 0, k, k), 1.4, k));
  DeepStackParams params;
  params.scratch = TempDir("deep_cancel");
  DeepStackResult result;
  const StackProgress stop_late = [](double fraction, const std::string&) { return fraction < 0.7; };
  EXPECT_EQ(RunDeepStack(night.input, params, night.Loader(), stop_late, &result), kOpCancelled);
  EXPECT_TRUE(std::filesystem::is_empty(params.scratch));
  EXPECT_TRUE(result.output.result.Empty());
}

TEST(DeepStack, BestReferenceIsTheSharpest) {
  const std::vector<SkyStar> sky = SkyStars(40, kW, kH, 3);
  Night night;
  const double sigmas[] = {1.8, 1.2, 1.8};
  for (int k = 0; k < 3; ++k) night.Add(&night.input.lights, "l" + std::to_string(k), Light(sky, Turn(0, 1, 0, 0, k, -k), sigmas[k], k));
  DeepStackParams params;
  params.reference = kReferenceBest;
  DeepStackResult result;
  ASSERT_EQ(RunDeepStack(night.input, params, night.Loader(), nullptr, &result), kOpMade);
  EXPECT_EQ(result.reference, 1);
  EXPECT_TRUE(result.frames[1].reference);
  EXPECT_EQ(result.used, 3);
}

}  // namespace
}  // namespace tavo
