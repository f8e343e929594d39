// SPDX-License-Identifier: MIT
// io_floor IN OUT [FACTOR] - the least a program can do that holds a file's picture
// in its own memory between reading and writing: the whole file is read
// into fresh memory (two threads, a half each), written to a new file in
// 1 MiB writes and renamed over OUT, and the memory is let go. No
// conversion at all, and the memory is only as large as the file (an
// image editor's planes are larger for 24-bit files: FACTOR 2 also faults
// in as much again on a third thread, the size of 16-bit planes for an
// 8-bit file, and lets it go at the end). bench/compare_io.sh
// runs it beside tavo-cli and the copying tools: its ratio to them is what
// no converting program can beat on the machine at hand.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14
#endif

namespace {

constexpr size_t kChunk = size_t{1} << 20;

bool ReadPart(int fd, unsigned char* memory, size_t begin, size_t end) {
  while (begin < end) {
    const ssize_t got = pread(fd, memory + begin, std::min(end - begin, kChunk), static_cast<off_t>(begin));
    if (got <= 0) return false;
    begin += static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int factor = argc == 4 ? std::atoi(argv[3]) : 1;
  if ((argc != 3 && argc != 4) || factor < 1 || factor > 2) {
    std::fprintf(stderr, "usage: io_floor IN OUT [1|2]\n");
    return 2;
  }
  const int in = open(argv[1], O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (in < 0 || fstat(in, &st) != 0 || st.st_size <= 0) return 1;
  const size_t size = static_cast<size_t>(st.st_size);
  const size_t mapped_size = size * static_cast<size_t>(factor);
  void* mapped = mmap(nullptr, mapped_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return 1;
  auto* memory = static_cast<unsigned char*>(mapped);
  std::thread extra;
  if (factor == 2) {
    extra = std::thread([&] {
      const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
      const size_t first = (size + page - 1) / page * page;  // madvise wants whole pages
      if (madvise(memory + first, mapped_size - first, MADV_POPULATE_WRITE) != 0) std::perror("madvise");
    });
  }
  bool second_ok = true;
  std::thread second([&] { second_ok = ReadPart(in, memory, size / 2, size); });
  const bool first_ok = ReadPart(in, memory, 0, size / 2);
  second.join();
  if (extra.joinable()) extra.join();
  close(in);
  if (!first_ok || !second_ok) return 1;

  const std::string temp = std::string(argv[2]) + ".floor-tmp";
  const int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) return 1;
  for (size_t at = 0; at < size;) {
    const ssize_t put = write(out, memory + at, std::min(size - at, kChunk));
    if (put <= 0) return 1;
    at += static_cast<size_t>(put);
  }
  if (close(out) != 0 || std::rename(temp.c_str(), argv[2]) != 0) return 1;
  munmap(mapped, mapped_size);
  return 0;
}
