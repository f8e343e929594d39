// SPDX-License-Identifier: MIT
#include "io/byte_reader.h"

#include <algorithm>
#include <cstring>

namespace tavo {

namespace {
constexpr size_t kBufferSize = ByteReader::kTakeMax;
}

ByteReader::~ByteReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ByteReader::Open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return false;
  if (std::fseek(file_, 0, SEEK_END) == 0) {
    long end = std::ftell(file_);
    if (end >= 0) size_ = end;
    std::fseek(file_, 0, SEEK_SET);
  }
  buffer_.resize(kBufferSize);
  data_ = buffer_.data();
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

bool ByteReader::Refill() {
  if (file_ == nullptr) return false;
  len_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  pos_ = 0;
  return len_ > 0;
}

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
      if (count - done >= buffer_.size() && file_ != nullptr) {
        const size_t n = std::fread(out + done, 1, count - done, file_);
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
  if (memory_ == nullptr && (file_ == nullptr || count > buffer_.size())) return nullptr;
  if (len_ - pos_ < count && file_ != nullptr) {
    // Move what is left to the front and fill the buffer behind it.
    const size_t rest = len_ - pos_;
    std::memmove(buffer_.data(), buffer_.data() + pos_, rest);
    pos_ = 0;
    len_ = rest + std::fread(buffer_.data() + rest, 1, buffer_.size() - rest, file_);
  }
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
  if (file_ == nullptr) return false;
  if (offset < 0 || (size_ >= 0 && offset > size_)) {
    if (size_ >= 0) {
      std::fseek(file_, 0, SEEK_END);
      consumed_ = size_;
    }
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
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
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
