// SPDX-License-Identifier: MIT
#include "stack/deep/frame_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/files.h"

namespace tavo {
namespace {

constexpr size_t kFitsBlock = 2880;

void Card(std::string* header, const char* key, const std::string& value) {
  char card[81];
  std::snprintf(card, sizeof card, "%-8s= %20s", key, value.c_str());
  std::string line = card;
  line.resize(80, ' ');
  *header += line;
}

void SwapBytes(uint32_t* words, size_t n) {
  for (size_t i = 0; i < n; ++i) words[i] = __builtin_bswap32(words[i]);
}

}  // namespace

bool WriteFloatFits(const std::string& path, const FloatFrame& frame) {
  std::string header;
  Card(&header, "SIMPLE", "T");
  Card(&header, "BITPIX", "-32");
  Card(&header, "NAXIS", frame.channels > 1 ? "3" : "2");
  Card(&header, "NAXIS1", std::to_string(frame.width));
  Card(&header, "NAXIS2", std::to_string(frame.height));
  if (frame.channels > 1) Card(&header, "NAXIS3", std::to_string(frame.channels));
  header += std::string("END").append(77, ' ');
  header.resize(kFitsBlock, ' ');
  SafeFile file;
  if (!file.Open(path) || !file.Write(header.data(), header.size())) return false;
  std::vector<uint32_t> row(static_cast<size_t>(frame.width));
  const size_t rows = static_cast<size_t>(frame.height) * frame.channels;
  for (size_t r = 0; r < rows; ++r) {
    std::memcpy(row.data(), frame.data.get() + r * frame.width, row.size() * 4);
    SwapBytes(row.data(), row.size());
    if (!file.Write(row.data(), row.size() * 4)) return false;
  }
  const size_t data = frame.Size() * 4;
  const std::string pad((kFitsBlock - data % kFitsBlock) % kFitsBlock, '\0');
  if (!pad.empty() && !file.Write(pad.data(), pad.size())) return false;
  return file.Commit();
}

bool OpenStore(FrameStore& store, int width, int height, int channels, bool on_disk, const std::string& folder) {
  CloseStore(store);
  store = FrameStore();
  store.width = width;
  store.height = height;
  store.channels = channels;
  store.on_disk = on_disk;
  if (!on_disk) return true;
  if (!folder.empty()) {
    store.folder = folder;
    store.keep_files = true;
    return true;
  }
  std::error_code error;
  std::string pattern = (std::filesystem::temp_directory_path(error) / "tavo-stack-XXXXXX").string();
  if (error || mkdtemp(pattern.data()) == nullptr) return false;
  store.folder = pattern;
  store.own_folder = true;
  return true;
}

bool StoreFrame(FrameStore& store, FloatFrame& frame, const std::string& name) {
  if (frame.width != store.width || frame.height != store.height || frame.channels != store.channels) return false;
  if (!store.on_disk) {
    store.memory.push_back(std::move(frame.data));
    frame = FloatFrame();
    return true;
  }
  const std::string path = (std::filesystem::path(store.folder) / (name + ".fits")).string();
  if (!WriteFloatFits(path, frame)) return false;
  store.files.push_back(path);
  return true;
}

bool ReadBand(const FrameStore& store, int k, int first, int rows, float* out) {
  const size_t w = static_cast<size_t>(store.width);
  const size_t band = static_cast<size_t>(rows) * w;
  if (!store.on_disk) {
    const float* frame = store.memory[k].get();
    for (int c = 0; c < store.channels; ++c) {
      std::memcpy(out + c * band, frame + (static_cast<size_t>(c) * store.height + first) * w, band * 4);
    }
    return true;
  }
  const int fd = open(store.files[k].c_str(), O_RDONLY);
  if (fd < 0) return false;
  bool ok = true;
  for (int c = 0; c < store.channels && ok; ++c) {
    char* dst = reinterpret_cast<char*>(out + c * band);
    size_t done = 0;
    const off_t start = static_cast<off_t>(kFitsBlock + (static_cast<size_t>(c) * store.height + first) * w * 4);
    while (done < band * 4) {
      const ssize_t got = pread(fd, dst + done, band * 4 - done, start + static_cast<off_t>(done));
      if (got <= 0) {
        ok = false;
        break;
      }
      done += static_cast<size_t>(got);
    }
    if (ok) SwapBytes(reinterpret_cast<uint32_t*>(dst), band);
  }
  close(fd);
  return ok;
}

void CloseStore(FrameStore& store, bool remove_kept) {
  if (store.on_disk && (!store.keep_files || remove_kept)) {
    std::error_code error;
    for (const std::string& path : store.files) std::filesystem::remove(path, error);
    if (store.own_folder) std::filesystem::remove_all(store.folder, error);
  }
  store.files.clear();
  store.memory.clear();
}

}  // namespace tavo
