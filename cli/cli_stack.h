// SPDX-License-Identifier: MIT
// cli/cli_stack.h - `tavo-cli stack`: calibration, registration and
// integration of many exposures from the command line.
#pragma once
#include <string>
#include <vector>

#include "settings/settings.h"

namespace tavo {

// The files of a LIST: the arguments from `*i` up to the next one that
// starts with "--"; an argument "@FILE" stands for the lines of FILE (one
// path a line, blank lines skipped). `*i` is left on the last one taken.
// False (with `error` set) when a list file cannot be read.
bool TakeFileList(const std::vector<std::string>& args, size_t* i, std::vector<std::string>* files,
                  std::string* error);

// "4G", "3500M", "512K" or bytes, as a whole number of megabytes (at least
// 1); false for anything else.
bool ParseMemoryLimit(const std::string& text, int* megabytes);

struct CliStackJob {
  DeepStackSettings settings;
  std::string out, low_map, high_map;
  bool quiet = false;
};

// Reads the options into `job` (starting from its settings). False with a
// message in `error` for bad usage.
bool ParseStackArgs(const std::vector<std::string>& args, CliStackJob* job, std::string* error);

// Runs `tavo-cli stack ARGS`; 0 when the result was written, 1 when the
// stack or a write failed (or it was interrupted), 2 for bad usage. Frames
// left out are named on standard error.
int RunCliStack(const std::vector<std::string>& args);

std::string CliStackHelpText();

}  // namespace tavo
