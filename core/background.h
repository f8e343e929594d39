// SPDX-License-Identifier: MIT
// core/background.h - one thread that runs small clean-up jobs in the
// order given: freeing a large buffer or dropping the last hold on a
// replaced file costs the kernel milliseconds per hundred megabytes, time
// the caller need not wait for.
#pragma once
#include <functional>

namespace tavo {

// Runs `job` on the background thread (here and now when no thread can be
// started). Jobs must own what they touch.
void RunInBackground(std::function<void()> job);

// Returns once every job handed over so far has run. Program exit waits
// for them as well.
void FinishBackgroundJobs();

}  // namespace tavo
