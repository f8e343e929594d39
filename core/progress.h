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

// One part of a longer run: its reports (0..1) go to `outer` mapped into
// from..to, and a stop there stops the part. get() is null when `outer` is.
class ProgressPart {
 public:
  ProgressPart(Progress* outer, double from, double to) : outer_(outer), from_(from), to_(to) {
    record_.report = [](void* context, double fraction, const char* text) {
      auto* part = static_cast<ProgressPart*>(context);
      return ReportProgress(part->outer_, part->from_ + fraction * (part->to_ - part->from_), text);
    };
    record_.context = this;
  }
  ProgressPart(const ProgressPart&) = delete;
  ProgressPart& operator=(const ProgressPart&) = delete;
  Progress* get() { return outer_ != nullptr ? &record_ : nullptr; }

 private:
  Progress record_;
  Progress* outer_;
  double from_, to_;
};

}  // namespace tavo
