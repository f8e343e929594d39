// SPDX-License-Identifier: MIT
#include "io/fits_exposure.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace tavo {

double FitsExposureSeconds(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return 0;
  constexpr int kCard = 80;
  // A header longer than 100 blocks of 36 cards is not one we read.
  char card[kCard];
  double seconds = 0;
  for (int k = 0; k < 3600 && std::fread(card, 1, kCard, f) == kCard; ++k) {
    const std::string key(card, 8);
    if (key == "END     ") break;
    if ((key != "EXPTIME " && key != "EXPOSURE") || card[8] != '=') continue;
    const char* p = card + 10;
    const char* end = card + kCard;
    while (p < end && *p == ' ') ++p;
    if (p < end && *p == '+') ++p;
    double value = 0;
    if (std::from_chars(p, end, value).ec == std::errc() && value > 0) seconds = value;
    break;
  }
  std::fclose(f);
  return seconds;
}

}  // namespace tavo
