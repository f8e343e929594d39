// SPDX-License-Identifier: MIT
// stack/deep/frame_store.h - the frames of one stack, all of one size,
// kept until they are combined band by band: in memory when they fit the
// budget, otherwise one file each in a scratch folder. Scratch files are
// 32-bit float FITS images (NaN for no data; FITS row 1 is the bottom row,
// as in memory), so kept frames open in any astronomy program.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "stack/deep/float_frame.h"

namespace tavo {

struct FrameStore {
  int width = 0, height = 0, channels = 0;
  bool on_disk = false;
  bool keep_files = false;     // files stay after CloseStore
  bool own_folder = false;     // the folder was made by OpenStore and goes with it
  std::string folder;
  std::vector<std::unique_ptr<float[]>> memory;
  std::vector<std::string> files;

  int Count() const { return static_cast<int>(on_disk ? files.size() : memory.size()); }
};

// An empty store for frames of this size. On disk, `folder` empty makes a
// fresh folder in the system's temporary folder (removed by CloseStore);
// a folder given is used as it is and its files are kept. False when the
// temporary folder cannot be made.
bool OpenStore(FrameStore& store, int width, int height, int channels, bool on_disk, const std::string& folder);

// Takes frame k = Count(): moved in (`frame` is left empty), or written as
// "<folder>/<name>.fits" (whole, under a temporary name first; `frame`
// keeps its planes for reuse). False when the file cannot be written or
// the frame has another size.
bool StoreFrame(FrameStore& store, FloatFrame& frame, const std::string& name);

// Rows first..first + rows - 1 of every plane of frame k into `out`
// (plane after plane, channels x rows x width floats). False on a read
// failure.
bool ReadBand(const FrameStore& store, int k, int first, int rows, float* out);

// Removes what the store made, unless its files are to be kept (then only
// an unkept `remove_kept` run, such as a cancelled one, removes them).
void CloseStore(FrameStore& store, bool remove_kept = false);

// Writes `frame` as a 32-bit float FITS file (through a temporary file).
bool WriteFloatFits(const std::string& path, const FloatFrame& frame);

}  // namespace tavo
