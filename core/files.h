// SPDX-License-Identifier: MIT
// core/files.h - whole-file reading and safe writing. A written file never
// damages an existing file of the same name: the data goes to a temporary
// file in the same folder, which replaces the target only once complete.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace tavo {

// True when `path` can be opened for reading.
bool FileExists(const std::string& path);

// The whole file in memory (for small text files, headers or fuzzing), or
// false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* out);

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
