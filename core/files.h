// SPDX-License-Identifier: MIT
// core/files.h - whole-file reading and safe writing. A written file never
// damages an existing file of the same name: the data goes to a temporary
// file in the same folder, which replaces the target only once complete.
#pragma once
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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

// Blocks of a large file written on a second thread while the caller
// fills the next one: the copy into the file then overlaps the conversion
// of the samples. Files below `kWriteBehindMin` bytes are written
// directly. Both blocks start out cleared.
class BlockWriter {
 public:
  static constexpr size_t kWriteBehindMin = size_t{8} << 20;
  BlockWriter(SafeFile& out, size_t block_bytes, uint64_t total_bytes);
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;
  ~BlockWriter();  // waits for the write in flight

  // The block to fill next; it holds what was last written from it.
  unsigned char* Block() { return blocks_[current_].get(); }
  // Hands the first `bytes` of Block() to the file. False once any write
  // has failed.
  bool Submit(size_t bytes);
  // Waits for the last write; false when any failed.
  bool Finish();

 private:
  void Run();

  SafeFile& out_;
  std::unique_ptr<unsigned char[]> blocks_[2];
  int current_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  int pending_ = -1;  // block being written, or -1
  size_t pending_bytes_ = 0;
  bool failed_ = false, stop_ = false;
  std::thread thread_;
};

}  // namespace tavo
