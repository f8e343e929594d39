// SPDX-License-Identifier: MIT
#include "core/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "core/background.h"

namespace tavo {

bool FileExists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  out->clear();
  unsigned char chunk[65536];
  bool ok = true;
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, f);
    out->insert(out->end(), chunk, chunk + n);
    if (n < sizeof chunk) {
      ok = std::ferror(f) == 0;
      break;
    }
  }
  std::fclose(f);
  return ok;
}

SafeFile::~SafeFile() { Abandon(); }

bool SafeFile::Open(const std::string& target) {
  Abandon();
  target_ = target;
  // Saving through a link replaces the file it points to, not the link.
  struct stat st;
  if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char* real = realpath(target.c_str(), nullptr);
    if (real != nullptr) {
      target_ = real;
      std::free(real);
    }
  }
  // Only plain files are replaced; a device or folder of that name is left
  // alone.
  mode_t keep_mode = 0;
  bool had_file = false;
  if (stat(target_.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return false;
    keep_mode = st.st_mode & 07777;
    had_file = true;
  }
  temp_ = target_ + ".tavo-XXXXXX";
  std::string pattern = temp_;
  int fd = mkstemp(pattern.data());
  if (fd < 0) {
    temp_.clear();
    return false;
  }
  temp_ = pattern;
  // mkstemp creates 0600: a new file gets the usual umask rights, a
  // replaced one keeps its own.
  if (had_file) {
    fchmod(fd, keep_mode);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    close(fd);
    unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  failed_ = false;
  return true;
}

bool SafeFile::Write(const void* data, size_t bytes) {
  if (file_ == nullptr || failed_) return false;
  if (bytes > 0 && std::fwrite(data, 1, bytes, file_) != bytes) failed_ = true;
  return !failed_;
}

bool SafeFile::Print(const char* text) { return Write(text, std::strlen(text)); }

bool SafeFile::Commit() {
  if (file_ == nullptr) return false;
  bool ok = !failed_ && std::fflush(file_) == 0 && std::ferror(file_) == 0;
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  // Renaming over the old file would free its pages (or blocks) right here;
  // holding it open moves that work to the background.
  const int old = ok ? open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK) : -1;
  if (ok) ok = std::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) unlink(temp_.c_str());
  temp_.clear();
  if (old >= 0) {
    if (ok) {
      RunInBackground([old] { close(old); });
    } else {
      close(old);
    }
  }
  return ok;
}

void SafeFile::Abandon() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temp_.empty()) {
    unlink(temp_.c_str());
    temp_.clear();
  }
}

BlockWriter::BlockWriter(SafeFile& out, size_t block_bytes, uint64_t total_bytes) : out_(out) {
  blocks_[0] = std::make_unique<unsigned char[]>(block_bytes);
  if (total_bytes < kWriteBehindMin) return;
  blocks_[1] = std::make_unique<unsigned char[]>(block_bytes);
  thread_ = std::thread([this] { Run(); });
}

BlockWriter::~BlockWriter() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void BlockWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return pending_ >= 0 || stop_; });
    if (pending_ < 0) return;
    const int block = pending_;
    const size_t bytes = pending_bytes_;
    lock.unlock();
    const bool ok = out_.Write(blocks_[block].get(), bytes);
    lock.lock();
    if (!ok) failed_ = true;
    pending_ = -1;
    changed_.notify_all();
  }
}

bool BlockWriter::Submit(size_t bytes) {
  if (!thread_.joinable()) return out_.Write(blocks_[0].get(), bytes);
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return pending_ < 0; });
  if (failed_) return false;
  pending_ = current_;
  pending_bytes_ = bytes;
  current_ ^= 1;
  changed_.notify_all();
  return true;
}

bool BlockWriter::Finish() {
  if (!thread_.joinable()) return true;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return pending_ < 0; });
  return !failed_;
}

}  // namespace tavo
