// SPDX-License-Identifier: MIT
// core/progress.h - how a long operation tells how far it is and learns
// that the user wants it stopped. The shell fills the record from its
// front end; algorithms only call ReportProgress.
#pragma once

namespace tavo {

struct Progress {
  // Fraction done 0..1 and a short text; false asks the operation to stop.
  bool (*report)(void* context, double fraction, const char* text) = nullptr;
  void* context = nullptr;
  // Set once a report was answered with false; every later report is false.
  bool stopped = false;
};

// True to go on. A null record, or one without a callback, always goes on.
inline bool ReportProgress(Progress* progress, double fraction, const char* text) {
  if (progress == nullptr || progress->report == nullptr) return true;
  if (!progress->stopped && !progress->report(progress->context, fraction, text)) progress->stopped = true;
  return !progress->stopped;
}

}  // namespace tavo
