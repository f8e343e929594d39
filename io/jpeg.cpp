// SPDX-License-Identifier: MIT
#include "io/jpeg.h"

#include <climits>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/memory.h"
#include "core/files.h"

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace tavo {
namespace {

// Progressive files may hold any number of scans; a few hundred is already
// far beyond what encoders write, and each one costs a pass over the
// image, so more are taken as a damaged or hostile file.
constexpr int kMaxScans = 500;

// libjpeg reports fatal errors through error_exit, which must not return.
// Ours jumps back to the guarded call below instead of ending the program.
// Everything between the setjmp and the library call that may jump holds
// only trivially destructible objects, so the jump skips no destructor.
struct ErrorManager {
  jpeg_error_mgr pub;  // first: libjpeg sees a jpeg_error_mgr*
  std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings and errors stay quiet: the shell reports the failure.
void OutputMessage(j_common_ptr) {}

// Source manager over a ByteReader (a file or a memory block).
struct Source {
  jpeg_source_mgr pub;  // first, as above
  ByteReader* in;
  bool ended;  // the file ran out
  // Picture rows decoded whole before the decoder found the data missing;
  // -1 while it has not.
  int64_t rows_when_cut;
  JOCTET buffer[1 << 16];
};

// The decoder reads a few bytes ahead, so running out of file is no proof
// that data are missing; the warning that a scan needed bits beyond the
// end is. Rows of blocks are counted whole: input_iMCU_row counts the
// finished ones of the scan being read.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  ++cinfo->err->num_warnings;
  if (!cinfo->is_decompressor || cinfo->err->msg_code != JWRN_HIT_MARKER) return;
  const j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
  Source* src = reinterpret_cast<Source*>(d->src);
  if (src == nullptr || !src->ended || src->rows_when_cut >= 0) return;
  src->rows_when_cut = static_cast<int64_t>(d->input_iMCU_row) * d->max_v_samp_factor * DCTSIZE;
}

void InitErrors(ErrorManager* err) {
  jpeg_std_error(&err->pub);
  err->pub.error_exit = ErrorExit;
  err->pub.output_message = OutputMessage;
  err->pub.emit_message = EmitMessage;
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  Source* src = reinterpret_cast<Source*>(cinfo->src);
  size_t n = src->in->Read(src->buffer, sizeof src->buffer);
  if (n == 0) {
    // A file cut short: hand the library an end marker so it finishes
    // with what it has, as its own file source does.
    src->ended = true;
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    n = 2;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = n;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long num_bytes) {
  if (num_bytes <= 0) return;
  Source* src = reinterpret_cast<Source*>(cinfo->src);
  const size_t skip = static_cast<size_t>(num_bytes);
  if (skip <= src->pub.bytes_in_buffer) {
    src->pub.next_input_byte += skip;
    src->pub.bytes_in_buffer -= skip;
    return;
  }
  src->in->Skip(static_cast<int64_t>(skip - src->pub.bytes_in_buffer));
  src->pub.bytes_in_buffer = 0;
}

void ProgressMonitor(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  const j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) ERREXIT(cinfo, JERR_NOT_COMPILED);
}

struct ReadContext {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  Source src;
  jpeg_progress_mgr progress;
  // Filled by the second stage.
  unsigned char* row;
  uint16_t* r;
  uint16_t* g;
  uint16_t* b;
};

// Header stage: on return the output size and colour space are known.
void ReadHeaderStage(ReadContext* c) {
  jpeg_create_decompress(&c->cinfo);
  const uint64_t avail = AvailableMemoryBytes();
  c->cinfo.mem->max_memory_to_use = avail > static_cast<uint64_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(avail);
  c->src.pub.init_source = InitSource;
  c->src.pub.fill_input_buffer = FillInputBuffer;
  c->src.pub.skip_input_data = SkipInputData;
  c->src.pub.resync_to_restart = jpeg_resync_to_restart;
  c->src.pub.term_source = TermSource;
  c->cinfo.src = &c->src.pub;
  c->progress.progress_monitor = ProgressMonitor;
  c->cinfo.progress = &c->progress;
  jpeg_read_header(&c->cinfo, TRUE);
  if (c->cinfo.jpeg_color_space == JCS_GRAYSCALE) {
    c->cinfo.out_color_space = JCS_GRAYSCALE;
  } else if (c->cinfo.num_components == 3 &&
             (c->cinfo.jpeg_color_space == JCS_YCbCr || c->cinfo.jpeg_color_space == JCS_RGB)) {
    c->cinfo.out_color_space = JCS_RGB;
  }
  jpeg_calc_output_dimensions(&c->cinfo);
}

// Pixel stage: the row sink puts scanline k into memory row height - 1 - k.
void ReadPixelStage(ReadContext* c) {
  jpeg_decompress_struct* ci = &c->cinfo;
  jpeg_start_decompress(ci);
  const size_t w = ci->output_width, h = ci->output_height;
  const bool gray = ci->output_components == 1;
  while (ci->output_scanline < h) {
    const size_t line = ci->output_scanline;
    JSAMPROW rows[1] = {c->row};
    if (jpeg_read_scanlines(ci, rows, 1) != 1) break;
    const size_t base = (h - 1 - line) * w;
    const unsigned char* p = c->row;
    uint16_t* r = c->r + base;
    uint16_t* g = c->g + base;
    uint16_t* b = c->b + base;
    if (gray) {
      for (size_t x = 0; x < w; ++x) r[x] = g[x] = b[x] = static_cast<uint16_t>(p[x] << 8);
    } else {
      for (size_t x = 0; x < w; ++x, p += 3) {
        r[x] = static_cast<uint16_t>(p[0] << 8);
        g[x] = static_cast<uint16_t>(p[1] << 8);
        b[x] = static_cast<uint16_t>(p[2] << 8);
      }
    }
  }
  jpeg_finish_decompress(ci);
}

template <typename Context>
bool Guarded(Context* c, void (*stage)(Context*)) {
  if (setjmp(c->err.jump) != 0) return false;
  stage(c);
  return true;
}

struct WriteContext {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  FILE* file;
  const Image* image;
  int quality;
  unsigned char* row;
};

// The row source hands the library memory rows from the top, each sample
// shifted down to 8 bits, R, G, B per pixel.
void WriteStage(WriteContext* c) {
  jpeg_compress_struct* ci = &c->cinfo;
  jpeg_create_compress(ci);
  ci->in_color_space = JCS_RGB;
  ci->input_components = 3;
  ci->image_width = static_cast<JDIMENSION>(c->image->width);
  ci->image_height = static_cast<JDIMENSION>(c->image->height);
  jpeg_set_defaults(ci);
  jpeg_default_colorspace(ci);
  jpeg_set_quality(ci, c->quality, FALSE);
  jpeg_stdio_dest(ci, c->file);
  jpeg_start_compress(ci, TRUE);
  const size_t w = static_cast<size_t>(c->image->width);
  const int h = c->image->height;
  while (ci->next_scanline < ci->image_height) {
    const size_t base = static_cast<size_t>(h - 1 - static_cast<int>(ci->next_scanline)) * w;
    const uint16_t* r = c->image->r.get() + base;
    const uint16_t* g = c->image->g.get() + base;
    const uint16_t* b = c->image->b.get() + base;
    unsigned char* p = c->row;
    for (size_t x = 0; x < w; ++x, p += 3) {
      p[0] = static_cast<unsigned char>(r[x] >> 8);
      p[1] = static_cast<unsigned char>(g[x] >> 8);
      p[2] = static_cast<unsigned char>(b[x] >> 8);
    }
    JSAMPROW rows[1] = {c->row};
    jpeg_write_scanlines(ci, rows, 1);
  }
  jpeg_finish_compress(ci);
}

}  // namespace

ReadStatus ReadJpegFrom(ByteReader& in, const std::string& name, Image& image, ReadReport* report) {
  // Value-initialised: jpeg_destroy_decompress is safe even when
  // jpeg_create_decompress never ran to the end.
  auto c = std::make_unique<ReadContext>();
  InitErrors(&c->err);
  c->cinfo.err = &c->err.pub;
  c->src.in = &in;
  c->src.ended = false;
  c->src.rows_when_cut = -1;
  ReadStatus status = kReadOk;
  if (!Guarded(c.get(), ReadHeaderStage)) {
    status = kReadBadFormat;
  } else if (c->cinfo.out_color_space != JCS_GRAYSCALE && c->cinfo.out_color_space != JCS_RGB) {
    status = kReadUnsupported;
  }
  const int64_t w = c->cinfo.output_width, h = c->cinfo.output_height;
  Image fresh;
  std::vector<unsigned char> row;
  if (status == kReadOk) {
    // Planes, plus the whole-image coefficient buffer of progressive files
    // (64 two-byte coefficients per 8 x 8 block of every component).
    const uint64_t planes = ImageBytes(w, h, 6);
    const uint64_t coefficients =
        c->cinfo.progressive_mode ? ImageBytes(w, h, 2 * c->cinfo.num_components) : 0;
    if (planes == 0 || w > INT32_MAX || h > INT32_MAX) {
      status = kReadBadFormat;
    } else if (!MemoryFits(planes + coefficients) ||
               !AllocateImagePlanes(fresh, static_cast<int>(w), static_cast<int>(h), true)) {
      status = kReadNoMemory;
    }
  }
  if (status == kReadOk) {
    row.resize(static_cast<size_t>(w) * c->cinfo.output_components);
    c->row = row.data();
    c->r = fresh.r.get();
    c->g = fresh.g.get();
    c->b = fresh.b.get();
    if (!Guarded(c.get(), ReadPixelStage)) status = kReadBadFormat;
  }
  jpeg_destroy_decompress(&c->cinfo);
  if (status != kReadOk) return status;
  if (report != nullptr) {
    const int64_t cut = c->src.rows_when_cut;
    report->missing_rows = cut < 0 || cut >= h ? 0 : static_cast<int>(h - cut);
  }
  AdoptPlanes(image, fresh);
  SetImageName(image, name);
  return kReadOk;
}

bool WriteJpeg(const std::string& path, const Image& image, int quality) {
  if (image.Empty() || !image.r || !image.g || !image.b) return false;
  SafeFile out;
  if (!out.Open(path)) return false;
  auto c = std::make_unique<WriteContext>();
  InitErrors(&c->err);
  c->cinfo.err = &c->err.pub;
  std::vector<unsigned char> row(static_cast<size_t>(image.width) * 3);
  c->file = out.stream();
  c->image = &image;
  c->quality = quality;
  c->row = row.data();
  const bool ok = Guarded(c.get(), WriteStage);
  jpeg_destroy_compress(&c->cinfo);
  return ok && out.Commit();
}

}  // namespace tavo
