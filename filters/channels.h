// SPDX-License-Identifier: MIT
// filters/channels.h - the channel selection of the per-channel filters.
#pragma once

namespace tavo {

// R x 4 + G x 2 + B, as the three check boxes are combined.
constexpr int kChannelFlagR = 4, kChannelFlagG = 2, kChannelFlagB = 1;
constexpr int kChannelFlagsAll = 7;

}  // namespace tavo
