// SPDX-License-Identifier: MIT
// cli/cli_run.h - the steps of `tavo-cli run`, run in order on one
// application state.
#pragma once
#include <string>
#include <vector>

#include "cli/cli_port.h"
#include "shell/app_state.h"

namespace tavo {

// Exit status: 0 done, 1 an error box or a bad step, 2 bad usage.
int RunCliSteps(AppState& app, CliPort& port, const std::vector<std::string>& args);

// `tavo-cli batch [--settings FILE.tvp] [--yes] JOB.tvb FILE...`: the
// files run through the batch file's sequence as if dropped in batch mode.
// Prints one line per file written; 0 only when every file was processed,
// 1 otherwise, 2 for bad usage.
int RunCliBatch(AppState& app, CliPort& port, const std::vector<std::string>& args);

// Entry of the program; args exclude the program name.
int CliMain(const std::vector<std::string>& args);

// Filter index for `--format` (0 when unknown), or inferred from a name.
int FormatFilterIndex(const std::string& format);
int FilterIndexFromName(const std::string& path);

std::string CliHelpText();

}  // namespace tavo
