// SPDX-License-Identifier: MIT
#include "raw/libraw_session.h"

#include <libraw.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "raw/fast_rows.h"

namespace tavo {

// The library runs its whole pipeline in one public call; this subclass
// reaches the protected stages so that the pipeline can stop after the
// colour scaling and after the green folding. The stage order below is
// the library's own.
// Rows [first, last) of the library's conversion to output colours with
// matrix m, counting the results into hist (four channels of
// LIBRAW_HISTOGRAM_SIZE bins); the sums are formed left to right in
// floats, as the library does.
template <int kColors>
void ConvertRows(ushort (*image)[4], int width, int height, int first, int last, const float (*m)[4], int* hist,
                 const RawPlanesOut* out) {
  auto clip = [](float v) {
    const int i = static_cast<int>(v);
    return static_cast<ushort>(i < 0 ? 0 : i > 65535 ? 65535 : i);
  };
  int* h0 = hist;
  int* h1 = hist + LIBRAW_HISTOGRAM_SIZE;
  int* h2 = hist + 2 * LIBRAW_HISTOGRAM_SIZE;
  int* h3 = hist + 3 * LIBRAW_HISTOGRAM_SIZE;
  for (int row = first; row < last; ++row) {
    ushort* img = image[static_cast<size_t>(row) * width];
    const size_t at = static_cast<size_t>(height - 1 - row) * width;  // bottom row first
    for (int col = 0; col < width; ++col, img += 4) {
      const float a = img[0], b = img[1], c = img[2], d = img[3];
      float r = m[0][0] * a + m[0][1] * b + m[0][2] * c;
      float g = m[1][0] * a + m[1][1] * b + m[1][2] * c;
      float bl = m[2][0] * a + m[2][1] * b + m[2][2] * c;
      if (kColors == 4) {
        r = r + m[0][3] * d;
        g = g + m[1][3] * d;
        bl = bl + m[2][3] * d;
      }
      img[0] = clip(r);
      img[1] = clip(g);
      img[2] = clip(bl);
      ++h0[img[0] >> 3];
      ++h1[img[1] >> 3];
      ++h2[img[2] >> 3];
      if (kColors == 4) ++h3[img[3] >> 3];
      if (out != nullptr) {
        for (int k = 0; k < 3; ++k) out->planes[k][at + col] = out->table[img[k]];
      }
    }
  }
}

// The brightest of n samples.
int MaxOfRange(const ushort* p, size_t n) {
  int dmax = 0;
  for (size_t i = 0; i < n; ++i) dmax = std::max(dmax, static_cast<int>(p[i]));
  return dmax;
}

// Takes the black level of its channel (sample i is channel i % 4) off
// each of n samples, clipped to 0..65535; returns the largest difference
// before clipping.
int SubtractRange(ushort* p, size_t n, const int cblack[4]) {
  int dmax = 0;
  for (size_t i = 0; i < n; ++i) {
    const int val = p[i] - cblack[i & 3];
    p[i] = static_cast<ushort>(std::clamp(val, 0, 65535));
    dmax = std::max(dmax, val);
  }
  return dmax;
}

// Below this many pixels a second thread costs more than it saves.
constexpr int kParallelSamples = 1 << 18;

class SteppedLibRaw : public LibRaw {
 public:
  // Copies the raw data into the four-sample image (masked border cropped).
  // Returns the library's code; its public call traps its own failures.
  int CopyRaw() {
    const bool mosaic_or_mono = imgdata.idata.filters != 0 || imgdata.idata.colors == 1;
    // Black is taken off while copying where the library would do so.
    black_inline_ = mosaic_or_mono && !libraw_internal_data.internal_output_params.zero_is_bad;
    return raw2image_ex(black_inline_);
  }

  void Scale() {
    libraw_decoder_info_t info;
    get_decoder_info(&info);
    if (libraw_internal_data.internal_output_params.zero_is_bad) remove_zeroes();
    if (!black_inline_ || !imgdata.color.data_maximum) {
      adjust_bl();
      SubtractBlack();
    }
    // The library lowers its maximum to the brightest sample when that lies
    // above 3/4 of it; the ratio is kept so that darks and lights scaled by
    // different maxima can still be subtracted on one scale.
    const double before = imgdata.color.maximum;
    if (!(info.decoder_flags & LIBRAW_DECODER_FIXEDMAXC)) adjust_maximum();
    const double after = imgdata.color.maximum;
    gain_ = before > 0 && after > 0 ? before / after : 1.0;
    // Layered sensors deliver finished colour per pixel; they are not scaled.
    if (!imgdata.idata.is_foveon) scale_colors();
  }

  void Fold() { pre_interpolate(); }

  // The library's black subtraction, which also finds the brightest sample,
  // on plain threads; a black level that varies over a pattern stays with
  // the library. Each part finds its own brightest sample.
  void SubtractBlack() {
    libraw_colordata_t& color = imgdata.color;
    const bool black = color.cblack[0] || color.cblack[1] || color.cblack[2] || color.cblack[3];
    if (is_phaseone_compressed() || (color.cblack[4] && color.cblack[5])) {
      subtract_black_internal();
      return;
    }
    const int size = static_cast<int>(imgdata.sizes.iheight * imgdata.sizes.iwidth);
    const int parts = RowParts(size, size >= kParallelSamples);
    const int cblack[4] = {static_cast<int>(color.cblack[0]), static_cast<int>(color.cblack[1]),
                           static_cast<int>(color.cblack[2]), static_cast<int>(color.cblack[3])};
    int part_max[kMostParts] = {};
    ushort* samples = imgdata.image[0];
    RunInParts(size, parts, [&](int first, int last) {
      const int k = PartAt(size, parts, first);
      part_max[k] = black ? SubtractRange(samples + 4 * static_cast<size_t>(first),
                                          4 * static_cast<size_t>(last - first), cblack)
                          : MaxOfRange(samples + 4 * static_cast<size_t>(first), 4 * static_cast<size_t>(last - first));
    });
    int dmax = 0;
    for (int k = 0; k < parts; ++k) dmax = std::max(dmax, part_max[k]);
    if (black) {
      color.data_maximum = dmax & 0xffff;
      color.maximum -= color.black;
      std::memset(color.cblack, 0, sizeof color.cblack);
      color.black = 0;
    } else {
      color.data_maximum = dmax;
    }
  }

  // The library's copy of the visible part of a mosaic, on plain threads:
  // its own OpenMP team would leave a worker spinning on the second core
  // long after. Every sample lands in its own place, and the brightest one
  // is the largest of the parts' brightest.
  void copy_bayer(unsigned short cblack[4], unsigned short* dmaxp) override {
    if (libraw_internal_data.internal_output_params.shrink) {
      LibRaw::copy_bayer(cblack, dmaxp);
      return;
    }
    const libraw_image_sizes_t& s = imgdata.sizes;
    const int rows = std::max(0, std::min(static_cast<int>(s.height), s.raw_height - s.top_margin));
    const int cols = std::max(0, std::min(static_cast<int>(s.width), s.raw_width - s.left_margin));
    const int parts = RowParts(rows, static_cast<int64_t>(rows) * cols >= kParallelSamples);
    unsigned short part_max[kMostParts] = {};
    RunInParts(rows, parts, [&](int first, int last) {
      const int k = PartAt(rows, parts, first);
      unsigned short ldmax = 0;
      // The colour of a sample repeats along a row with a period that
      // divides 48 (2 for a 2 x 2 mosaic, 6 and 16 for the others), so it
      // is looked up once a row instead of once a sample.
      constexpr int kPeriod = 48;
      int colour[kPeriod];
      for (int row = first; row < last; ++row) {
        const ushort* in = imgdata.rawdata.raw_image + static_cast<size_t>(row + s.top_margin) * s.raw_pitch / 2 +
                           s.left_margin;
        ushort(*out)[4] = imgdata.image + static_cast<size_t>(row) * s.iwidth;
        for (int k = 0; k < kPeriod; ++k) colour[k] = fcol(row, k);
        for (int col = 0, k = 0; col < cols; ++col, k = k + 1 == kPeriod ? 0 : k + 1) {
          unsigned short val = in[col];
          const int cc = colour[k];
          if (val > cblack[cc]) {
            val = static_cast<unsigned short>(val - cblack[cc]);
            if (val > ldmax) ldmax = val;
          } else {
            val = 0;
          }
          out[col][cc] = val;
        }
      }
      part_max[k] = ldmax;
    });
    for (int k = 0; k < parts; ++k) {
      if (*dmaxp < part_max[k]) *dmaxp = part_max[k];
    }
  }

  // The library's own loop, on as many threads as the fast development
  // uses: every sample is scaled on its own, by the same float operations.
  // A black level that varies over a pattern stays with the library.
  void scale_colors_loop(float scale_mul[4]) override {
    const libraw_colordata_t& color = imgdata.color;
    toned_ = false;
    if (color.cblack[4] && color.cblack[5]) {
      LibRaw::scale_colors_loop(scale_mul);
      return;
    }
    const int size = static_cast<int>(imgdata.sizes.iheight * imgdata.sizes.iwidth);
    const bool black = color.cblack[0] || color.cblack[1] || color.cblack[2] || color.cblack[3];
    const float mul[4] = {scale_mul[0], scale_mul[1], scale_mul[2], scale_mul[3]};
    const int cblack[4] = {static_cast<int>(color.cblack[0]), static_cast<int>(color.cblack[1]),
                           static_cast<int>(color.cblack[2]), static_cast<int>(color.cblack[3])};
    const uint16_t* tone[4] = {};
    if (tone_ != nullptr && imgdata.idata.colors > 1) {
      for (int c = 0; c < 4; ++c) tone[c] = tone_ + (c == 3 ? 1 : c) * 65536;
      toned_ = true;
    }
    // A sample's result depends on its value and channel alone: one table
    // of 65536 entries a channel, made with the library's own float
    // operations, then one lookup a sample.
    std::vector<ushort> table(4 * 65536);
    for (int c = 0; c < 4; ++c) {
      ushort* t = table.data() + c * 65536;
      for (int v = 0; v < 65536; ++v) {
        int val = v;
        if (black) {
          if (val == 0) {
            t[v] = 0;  // left as it is, also through a tone table
            continue;
          }
          val -= cblack[c];
        }
        val = static_cast<int>(static_cast<float>(val) * mul[c]);
        val = val < 0 ? 0 : val > 65535 ? 65535 : val;
        t[v] = static_cast<ushort>(tone[c] != nullptr ? tone[c][val] : val);
      }
    }
    const ushort* t = table.data();
    ushort(*image)[4] = imgdata.image;
    // Full-colour records of three colours never have their fourth sample
    // read again.
    const int channels = imgdata.idata.filters == 0 && imgdata.idata.colors == 3 ? 3 : 4;
    RunInParts(size, RowParts(size, size >= kParallelSamples), [&](int first, int last) {
      for (int i = first; i < last; ++i) {
        for (int c = 0; c < channels; ++c) image[i][c] = t[c * 65536 + image[i][c]];
      }
    });
  }

  // The library's bilinear interpolation, rows shared among threads. A
  // pixel's code reads from its neighbours only the channel of each one's
  // own colour and writes only the other channels of the pixel itself, so
  // the rows may go in any order.
  void lin_interpolate_loop(int* code, int size) override {
    const int height = imgdata.sizes.height, width = imgdata.sizes.width, colors = imgdata.idata.colors;
    const int rows = height - 2;
    if (rows <= 0) return;
    RunInParts(rows, RowParts(rows, static_cast<int64_t>(rows) * width >= kParallelSamples), [&](int first, int last) {
      for (int row = first + 1; row <= last; ++row) {
        for (int col = 1; col < width - 1; ++col) {
          ushort* pix = imgdata.image[row * width + col];
          const int* ip = code + ((((row % size) * 16) + (col % size)) * 32);
          int sum[4] = {};
          for (int i = *ip++; i--; ip += 3) sum[ip[2]] += pix[ip[0]] << ip[1];
          for (int i = colors; --i; ip += 2) pix[ip[0]] = static_cast<ushort>(sum[ip[0]] * ip[1] >> 8);
        }
      }
    });
  }

  // The library's conversion to the output colours for three and four
  // colours, rows shared among threads, each counting its own histogram;
  // the counts are then added up. Same float operations in the same order.
  void convert_to_rgb_loop(float out_cam[3][4]) override {
    const int colors = imgdata.idata.colors;
    if (libraw_internal_data.internal_output_params.raw_color || (colors != 3 && colors != 4)) {
      LibRaw::convert_to_rgb_loop(out_cam);
      return;
    }
    const int height = imgdata.sizes.height, width = imgdata.sizes.width;
    // The planes can be filled here when nothing changes the picture
    // afterwards: stretching follows only for pixels that are not square.
    const bool stretched = imgdata.params.use_fuji_rotate && imgdata.sizes.pixel_aspect != 1;
    const RawPlanesOut* out =
        out_ != nullptr && out_->width == width && out_->height == height && !stretched ? out_ : nullptr;
    const int parts = RowParts(height, static_cast<int64_t>(height) * width >= kParallelSamples);
    std::vector<int> counts(static_cast<size_t>(parts) * 4 * LIBRAW_HISTOGRAM_SIZE);
    float m[3][4];
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 4; ++j) m[i][j] = out_cam[i][j];
    }
    ushort(*image)[4] = imgdata.image;
    RunInParts(height, parts, [&, width, colors](int first, int last) {
      const int k = PartAt(height, parts, first);
      int* hist = counts.data() + static_cast<size_t>(k) * 4 * LIBRAW_HISTOGRAM_SIZE;
      if (colors == 3) {
        ConvertRows<3>(image, width, height, first, last, m, hist, out);
      } else {
        ConvertRows<4>(image, width, height, first, last, m, hist, out);
      }
    });
    written_ = out != nullptr;
    int(*histogram)[LIBRAW_HISTOGRAM_SIZE] = libraw_internal_data.output_data.histogram;
    for (int c = 0; c < 4; ++c) {
      for (int b = 0; b < LIBRAW_HISTOGRAM_SIZE; ++b) {
        int total = 0;
        for (int k = 0; k < parts; ++k) total += counts[(static_cast<size_t>(k) * 4 + c) * LIBRAW_HISTOGRAM_SIZE + b];
        histogram[c][b] = total;
      }
    }
  }

  void SetTone(const uint16_t* tone) { tone_ = tone; }
  void SetOut(const RawPlanesOut* out) {
    out_ = out;
    written_ = false;
  }
  bool written() const { return written_; }
  bool toned() const { return toned_; }

  void Finish(int quality) {
    const unsigned filters = imgdata.idata.filters;
    if (filters != 0) {
      if (quality == 0) {
        lin_interpolate();
      } else if (quality == 1 || imgdata.idata.colors > 3) {
        vng_interpolate();
      } else if (quality == 2 && filters > 1000) {
        ppg_interpolate();
      } else if (filters == LIBRAW_XTRANS) {
        xtrans_interpolate(quality > 2 ? 3 : 1);
      } else {
        ahd_interpolate();
      }
    }
    if (libraw_internal_data.internal_output_params.mix_green) {
      imgdata.idata.colors = 3;
      const size_t n = static_cast<size_t>(imgdata.sizes.height) * imgdata.sizes.width;
      for (size_t i = 0; i < n; ++i) {
        imgdata.image[i][1] = static_cast<ushort>((imgdata.image[i][1] + imgdata.image[i][3]) >> 1);
      }
    }
    if (imgdata.params.use_fuji_rotate) fuji_rotate();
    if (libraw_internal_data.output_data.histogram == nullptr) {
      libraw_internal_data.output_data.histogram = static_cast<int(*)[LIBRAW_HISTOGRAM_SIZE]>(
          malloc(sizeof(*libraw_internal_data.output_data.histogram) * 4));
      merror(libraw_internal_data.output_data.histogram, "FinishWithLibrary");
    }
    convert_to_rgb();
    if (imgdata.params.use_fuji_rotate) stretch();
  }

  void ZeroBlack() { imgdata.color.black = 0; }
  double gain() const { return gain_; }

 private:
  int black_inline_ = 0;
  double gain_ = 1.0;
  const uint16_t* tone_ = nullptr;
  bool toned_ = false;
  const RawPlanesOut* out_ = nullptr;
  bool written_ = false;
};

struct RawSession {
  SteppedLibRaw lib;
  bool finished = false;  // image now holds the library's final picture
};

namespace {

int StatusFromCode(int rc) {
  switch (rc) {
    case LIBRAW_SUCCESS: return kRawOk;
    case LIBRAW_FILE_UNSUPPORTED: return kRawUnsupported;
    case LIBRAW_UNSUFFICIENT_MEMORY:
    case LIBRAW_TOO_BIG:
    case LIBRAW_MEMPOOL_OVERFLOW:
      return kRawNoMemory;
    default: return kRawDecodeError;
  }
}

// The library reports fatal trouble inside its stages by throwing its own
// error codes (or std::bad_alloc). They stop here: callers only ever see a
// RawStatus, and the session is recycled so nothing stays allocated.
template <typename Step>
int Trap(RawSession& session, Step step) {
  try {
    step();
    return kRawOk;
  } catch (const std::bad_alloc&) {
    session.lib.recycle();
    return kRawNoMemory;
  } catch (LibRaw_exceptions e) {
    session.lib.recycle();
    return e == LIBRAW_EXCEPTION_ALLOC || e == LIBRAW_EXCEPTION_TOOBIG || e == LIBRAW_EXCEPTION_MEMPOOL
               ? kRawNoMemory
               : kRawDecodeError;
  } catch (...) {
    session.lib.recycle();
    return kRawDecodeError;
  }
}

}  // namespace

void RawSessionDeleter::operator()(RawSession* session) const { delete session; }

RawSessionPtr OpenRawSession(const std::string& path, int* status) {
  // A folder opens but cannot be read: a byte is tried so that it counts as
  // a file that cannot be opened.
  FILE* probe = std::fopen(path.c_str(), "rb");
  const bool unreadable = probe == nullptr || (std::fgetc(probe) == EOF && std::ferror(probe));
  const int error = errno;
  if (probe != nullptr) std::fclose(probe);
  if (unreadable) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(error));
    *status = kRawCannotOpen;
    return nullptr;
  }
  RawSessionPtr session(new (std::nothrow) RawSession);
  if (!session) {
    *status = kRawNoMemory;
    return nullptr;
  }
  const int rc = session->lib.open_file(path.c_str());
  if (rc != LIBRAW_SUCCESS) {
    *status = StatusFromCode(rc);
    return nullptr;
  }
  *status = kRawOk;
  return session;
}

uint64_t RawImageBytes(RawSession& session) {
  const libraw_image_sizes_t& s = session.lib.imgdata.sizes;
  if (s.width == 0 || s.height == 0) return 0;
  // The raw buffer and the four-sample image both live until the end.
  return static_cast<uint64_t>(s.raw_width) * s.raw_height * 2 +
         static_cast<uint64_t>(s.width) * s.height * 8;
}

int DecodeMosaic(RawSession& session) {
  const int rc = session.lib.unpack();
  if (rc != LIBRAW_SUCCESS) return StatusFromCode(rc);
  const int copied = session.lib.CopyRaw();
  return copied != LIBRAW_SUCCESS ? StatusFromCode(copied) : kRawOk;
}

int ScaleMosaic(RawSession& session, const uint16_t* tone) {
  session.lib.SetTone(tone);
  const int status = Trap(session, [&] { session.lib.Scale(); });
  session.lib.SetTone(nullptr);
  return status;
}

bool ScaledMosaicToned(RawSession& session) { return session.lib.toned(); }

int DecodeScaledMosaic(RawSession& session) {
  const int status = DecodeMosaic(session);
  return status != kRawOk ? status : ScaleMosaic(session, nullptr);
}

void ClearBlackLevel(RawSession& session) { session.lib.ZeroBlack(); }

double RawScaleGain(RawSession& session) { return session.lib.gain(); }

double RawShutterSeconds(RawSession& session) {
  const double t = session.lib.imgdata.other.shutter;
  return t > 0 ? t : 0;
}

int FoldSecondGreen(RawSession& session) {
  return Trap(session, [&] { session.lib.Fold(); });
}

int FinishWithLibrary(RawSession& session, int quality) {
  const int status = Trap(session, [&] { session.lib.Finish(quality); });
  session.finished = status == kRawOk;
  return status;
}

int FinishWithLibrary(RawSession& session, int quality, const RawPlanesOut& out, bool* written) {
  session.lib.SetOut(&out);
  const int status = FinishWithLibrary(session, quality);
  *written = status == kRawOk && session.lib.written();
  session.lib.SetOut(nullptr);
  return status;
}

RawMosaicView MosaicView(RawSession& session) {
  const libraw_data_t& d = session.lib.imgdata;
  RawMosaicView view;
  if (d.image == nullptr) return view;
  view.records = &d.image[0][0];
  // The stages before the library's finish keep the image at the "i"
  // sizes; rotation and stretching update the plain ones.
  view.width = session.finished ? d.sizes.width : d.sizes.iwidth;
  view.height = session.finished ? d.sizes.height : d.sizes.iheight;
  view.colors = d.idata.colors;
  view.filters = d.idata.filters;
  view.pattern = d.idata.filters == 0 ? kPatternNone : d.idata.filters == LIBRAW_XTRANS ? kPattern6x6 : kPattern2x2;
  return view;
}

void PlannedMosaicSize(RawSession& session, bool finished, int* width, int* height) {
  const libraw_image_sizes_t& s = session.lib.imgdata.sizes;
  *width = finished ? s.width : s.iwidth;
  *height = finished ? s.height : s.iheight;
}

const char* RawLibraryVersion() { return LibRaw::version(); }

}  // namespace tavo
