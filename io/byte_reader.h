// SPDX-License-Identifier: MIT
// io/byte_reader.h - buffered reading of a file for the format readers.
// Reading past the end never fails loudly: Get() returns kEof and Read()
// returns fewer bytes, so a reader can fill what is missing with 0.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/files.h"

namespace tavo {

class ByteReader {
 public:
  static constexpr int kEof = -1;

  ByteReader() = default;
  ByteReader(const ByteReader&) = delete;
  ByteReader& operator=(const ByteReader&) = delete;
  ~ByteReader();

  bool Open(const std::string& path);
  // Reads a caller-owned block instead of a file (fuzzing, tests). The block
  // must outlive the reader.
  void OpenMemory(const void* data, size_t size);
  bool IsOpen() const { return fd_ >= 0 || memory_ != nullptr; }
  // Size of the file in bytes, or -1 when unknown.
  int64_t FileSize() const { return size_; }
  // Bytes consumed so far.
  int64_t Position() const { return consumed_; }

  int Get();
  // Up to `count` bytes into `dst`; returns how many were read.
  size_t Read(void* dst, size_t count);
  // The next `count` bytes without copying them out, when they fit the
  // buffer (kTakeMax bytes; a memory block has no limit): returns where
  // they are and sets `*got` to how many there were (fewer at the end of
  // the data). They count as read. Null when `count` is too large: nothing
  // is read then. The bytes stay valid until the next call.
  static constexpr size_t kTakeMax = 1 << 20;
  const unsigned char* Take(size_t count, size_t* got);
  // Skips up to `count` bytes; false when the end came first.
  bool Skip(int64_t count);
  // Moves to an absolute offset; false (position at the end) when it lies
  // outside the file.
  bool Seek(int64_t offset);

 private:
  bool Refill();
  // Makes the buffer hold the `rest` bytes left at pos_ followed by the
  // file's bytes after them; false when no byte is there.
  bool Load(size_t rest);
  // Up to `count` bytes at `offset` from the file; short at its end.
  size_t ReadAt(int64_t offset, unsigned char* dst, size_t count);
  // Read-ahead: while the caller works on one buffer, the other is filled
  // with the file's next bytes on a second thread (large files only).
  void StartAhead(int64_t offset);
  void WaitAhead();
  void RunAhead();

  int fd_ = -1;
  const unsigned char* memory_ = nullptr;
  // Two buffers of kTakeMax bytes behind a gap of kTakeMax, where the
  // unread bytes of the other buffer are put in front of new data.
  std::unique_ptr<unsigned char[]> buffers_[2];
  int active_ = 0;
  // `data_` is in the active buffer or the memory block; data_[pos_] is the
  // byte at file offset consumed_.
  const unsigned char* data_ = nullptr;
  size_t pos_ = 0, len_ = 0;
  int64_t consumed_ = 0;
  int64_t size_ = -1;
  // A pipe cannot be read at an offset: its bytes come in order only.
  bool seekable_ = true;
  int64_t stream_pos_ = 0;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread ahead_thread_;
  int64_t ahead_offset_ = -1;  // what the other buffer holds or receives; -1 none
  size_t ahead_got_ = 0;
  bool ahead_busy_ = false, ahead_stop_ = false;
};

// A raster of `raster_bytes` (as stored, or the least its encoding can
// take) is plausible when the file holds at least an eighth of it: a file
// cut short still opens, while a header that claims far more than the file
// could ever hold is damaged and must not make the reader plan planes for
// it. Always true when the size of the file is unknown.
constexpr uint64_t kRasterToFileRatio = 8;
inline bool RasterFitsFile(const ByteReader& in, uint64_t raster_bytes) {
  const int64_t size = in.FileSize();
  return size < 0 || raster_bytes / kRasterToFileRatio <= static_cast<uint64_t>(size);
}

// Rasters move in blocks of whole rows of about this size: one system
// call each, and small enough to stay in the processor's cache between
// reading and converting.
constexpr uint64_t kBlockBytes = ByteReader::kTakeMax;

// Whole rows of `row_bytes` that fit in kBlockBytes; at least 1, at most
// `rows` (when that is at least 1).
int BlockRows(uint64_t row_bytes, int rows);

// A block of raster rows read straight from the reader's buffer where
// possible. Bytes the data does not have read as 0.
class RowBlocks {
 public:
  explicit RowBlocks(ByteReader& in) : in_(in) {}
  // The next `size` bytes, of which at most `want` come from the data;
  // `*got` receives how many did.
  const unsigned char* Next(size_t want, size_t size, size_t* got);

 private:
  ByteReader& in_;
  std::vector<unsigned char> spare_;  // for short or oversized blocks
};

// Little-endian values in a byte buffer, as BMP and TIFF files hold them.
inline uint32_t LoadLe16(const unsigned char* p) { return p[0] | (p[1] << 8); }
inline uint32_t LoadLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline void StoreLe16(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void StoreLe32(unsigned char* p, uint32_t v) {
  StoreLe16(p, v & 0xffff);
  StoreLe16(p + 2, v >> 16);
}

}  // namespace tavo
