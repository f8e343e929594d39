// SPDX-License-Identifier: MIT
// io/safe_file.h - writing a file so that a failure never damages an
// existing file of the same name: the data goes to a temporary file in the
// same folder, which replaces the target only once it is complete.
#pragma once
#include <cstdio>
#include <string>

namespace tavo {

class SafeFile {
 public:
  SafeFile() = default;
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;
  ~SafeFile();  // abandons an uncommitted file

  // Creates the temporary file; false when the folder cannot take it.
  bool Open(const std::string& target);
  FILE* stream() const { return file_; }
  bool Write(const void* data, size_t bytes);
  bool Print(const char* text);
  // Flushes, closes and renames over the target. False (target untouched,
  // temporary removed) when any write failed on the way.
  bool Commit();
  void Abandon();

 private:
  FILE* file_ = nullptr;
  std::string target_, temp_;
  bool failed_ = false;
};

}  // namespace tavo
