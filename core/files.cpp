// SPDX-License-Identifier: MIT
#include "core/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

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
