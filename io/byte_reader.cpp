// SPDX-License-Identifier: MIT
#include "io/byte_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavo {

namespace {
constexpr size_t kChunk = ByteReader::kTakeMax;
// Files at least this large are read ahead on a second thread.
constexpr int64_t kReadAheadMin = int64_t{8} << 20;
}  // namespace

ByteReader::~ByteReader() {
  if (ahead_thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ahead_stop_ = true;
    }
    changed_.notify_all();
    ahead_thread_.join();
  }
  if (fd_ >= 0) close(fd_);
}

bool ByteReader::Open(const std::string& path) {
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  const off_t end = lseek(fd_, 0, SEEK_END);
  if (end >= 0) {
    size_ = end;
  } else {
    seekable_ = false;
  }
  for (auto& b : buffers_) b = std::make_unique_for_overwrite<unsigned char[]>(2 * kChunk);
  data_ = buffers_[0].get() + kChunk;
  return true;
}

void ByteReader::OpenMemory(const void* data, size_t size) {
  static const unsigned char kEmpty = 0;
  memory_ = size > 0 ? static_cast<const unsigned char*>(data) : &kEmpty;
  data_ = memory_;
  size_ = static_cast<int64_t>(size);
  pos_ = 0;
  len_ = size;
  consumed_ = 0;
}

size_t ByteReader::ReadAt(int64_t offset, unsigned char* dst, size_t count) {
  if (!seekable_) {
    if (offset < stream_pos_) return 0;
    while (stream_pos_ < offset) {  // skipped bytes pass through dst
      const size_t step = static_cast<size_t>(std::min<int64_t>(offset - stream_pos_, static_cast<int64_t>(count)));
      const ssize_t n = read(fd_, dst, step > 0 ? step : 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return 0;
      stream_pos_ += n;
    }
    size_t done = 0;
    while (done < count) {
      const ssize_t n = read(fd_, dst + done, count - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    stream_pos_ += static_cast<int64_t>(done);
    return done;
  }
  size_t done = 0;
  while (done < count) {
    const ssize_t n = pread(fd_, dst + done, count - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the end, or an error: the rest reads as missing
    done += static_cast<size_t>(n);
  }
  return done;
}

void ByteReader::RunAhead() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return ahead_busy_ || ahead_stop_; });
    if (ahead_stop_) return;
    const int64_t offset = ahead_offset_;
    unsigned char* dst = buffers_[1 - active_].get() + kChunk;
    lock.unlock();
    const size_t got = ReadAt(offset, dst, kChunk);
    lock.lock();
    ahead_got_ = got;
    ahead_busy_ = false;
    changed_.notify_all();
  }
}

void ByteReader::StartAhead(int64_t offset) {
  if (size_ < kReadAheadMin || offset >= size_) return;
  if (!ahead_thread_.joinable()) ahead_thread_ = std::thread([this] { RunAhead(); });
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ahead_offset_ = offset;
    ahead_busy_ = true;
  }
  changed_.notify_all();
}

void ByteReader::WaitAhead() {
  if (!ahead_thread_.joinable()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !ahead_busy_; });
}

bool ByteReader::Load(size_t rest) {
  if (fd_ < 0) return false;
  // The other buffer becomes the active one: the unread bytes go into its
  // gap, the file's next bytes follow them, read ahead where they were.
  WaitAhead();
  const int64_t offset = consumed_ + static_cast<int64_t>(rest);
  unsigned char* next = buffers_[1 - active_].get();
  size_t got;
  if (ahead_offset_ == offset) {
    got = ahead_got_;
  } else {
    got = ReadAt(offset, next + kChunk, kChunk);
  }
  ahead_offset_ = -1;
  std::memcpy(next + kChunk - rest, data_ + pos_, rest);
  active_ = 1 - active_;
  data_ = next + kChunk - rest;
  pos_ = 0;
  len_ = rest + got;
  if (got == kChunk) StartAhead(offset + static_cast<int64_t>(got));
  return len_ > 0;
}

bool ByteReader::Refill() { return Load(0); }

int ByteReader::Get() {
  if (pos_ >= len_ && !Refill()) return kEof;
  ++consumed_;
  return data_[pos_++];
}

size_t ByteReader::Read(void* dst, size_t count) {
  unsigned char* out = static_cast<unsigned char*>(dst);
  size_t done = 0;
  while (done < count) {
    if (pos_ >= len_) {
      // Large reads bypass the buffer.
      if (count - done >= kChunk && fd_ >= 0) {
        const size_t n = ReadAt(consumed_, out + done, count - done);
        pos_ = len_ = 0;  // the buffer no longer sits at the read position
        done += n;
        consumed_ += static_cast<int64_t>(n);
        if (n == 0) break;
        continue;
      }
      if (!Refill()) break;
    }
    const size_t n = std::min(len_ - pos_, count - done);
    std::memcpy(out + done, data_ + pos_, n);
    pos_ += n;
    done += n;
    consumed_ += static_cast<int64_t>(n);
  }
  return done;
}

const unsigned char* ByteReader::Take(size_t count, size_t* got) {
  *got = 0;
  if (memory_ == nullptr && (fd_ < 0 || count > kChunk)) return nullptr;
  if (len_ - pos_ < count && fd_ >= 0) Load(len_ - pos_);
  const unsigned char* p = data_ + pos_;
  *got = std::min(len_ - pos_, count);
  pos_ += *got;
  consumed_ += static_cast<int64_t>(*got);
  return p;
}

bool ByteReader::Skip(int64_t count) {
  if (count <= 0) return true;
  if (count > INT64_MAX - consumed_) return Seek(-1);
  return Seek(consumed_ + count);
}

bool ByteReader::Seek(int64_t offset) {
  if (memory_ != nullptr) {
    const bool inside = offset >= 0 && offset <= size_;
    pos_ = inside ? static_cast<size_t>(offset) : len_;
    consumed_ = inside ? offset : size_;
    return inside;
  }
  if (fd_ < 0) return false;
  if (offset < 0 || (size_ >= 0 && offset > size_)) {
    if (size_ >= 0) consumed_ = size_;
    pos_ = len_ = 0;
    return false;
  }
  // Within the bytes already buffered: no system call.
  const int64_t buffer_start = consumed_ - static_cast<int64_t>(pos_);
  if (offset >= buffer_start && offset <= buffer_start + static_cast<int64_t>(len_)) {
    pos_ = static_cast<size_t>(offset - buffer_start);
    consumed_ = offset;
    return true;
  }
  pos_ = len_ = 0;
  consumed_ = offset;
  return true;
}

int BlockRows(uint64_t row_bytes, int rows) {
  const uint64_t fit = row_bytes > 0 ? kBlockBytes / row_bytes : 1;
  const uint64_t most = rows > 1 ? static_cast<uint64_t>(rows) : 1;
  return static_cast<int>(fit < 1 ? 1 : fit < most ? fit : most);
}

const unsigned char* RowBlocks::Next(size_t want, size_t size, size_t* got) {
  if (want >= size) {
    const unsigned char* p = in_.Take(size, got);
    if (p != nullptr && *got == size) return p;
    if (p != nullptr) {
      spare_.assign(size, 0);
      std::memcpy(spare_.data(), p, *got);
      return spare_.data();
    }
  }
  spare_.resize(size);
  *got = want > 0 ? in_.Read(spare_.data(), want < size ? want : size) : 0;
  std::memset(spare_.data() + *got, 0, size - *got);
  return spare_.data();
}

}  // namespace tavo
