// SPDX-License-Identifier: MIT
#include "io/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace tavo {

SafeFile::~SafeFile() { Abandon(); }

bool SafeFile::Open(const std::string& target) {
  Abandon();
  target_ = target;
  temp_ = target + ".tavo-XXXXXX";
  std::string pattern = temp_;
  int fd = mkstemp(pattern.data());
  if (fd < 0) {
    temp_.clear();
    return false;
  }
  temp_ = pattern;
  // mkstemp creates 0600; a saved picture should get the usual umask rights.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
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
  if (ok) ok = std::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) unlink(temp_.c_str());
  temp_.clear();
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

}  // namespace tavo
