// SPDX-License-Identifier: MIT
#include "shell/dialog_logic.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

namespace tavo {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int ScrollStep(int value, int action, int thumb, int low, int high, int page) {
  switch (action) {
    case kScrollLineLeft: value -= 1; break;
    case kScrollLineRight: value += 1; break;
    case kScrollPageLeft: value -= page; break;
    case kScrollPageRight: value += page; break;
    case kScrollTrack: value = thumb; break;
    default: break;
  }
  return std::clamp(value, low, high);
}

int HeldLevelFromText(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // Digits as one whole number over a power of ten: a single division,
  // rounded as the C library would read the text. Beyond 15 digits the
  // level is far outside 0..255 anyway.
  int64_t mantissa = 0, scale = 1;
  int digits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (digits++ < 15) mantissa = mantissa * 10 + (text[i] - '0');
  }
  if (digits > 15) return negative ? 0 : 65535;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]) && digits < 15; ++i, ++digits) {
      mantissa = mantissa * 10 + (text[i] - '0');
      scale *= 10;
    }
  }
  const double x = static_cast<double>(negative ? -mantissa : mantissa) / static_cast<double>(scale);
  const double held = (x + 0.01) * 256.0;
  return held <= 0.0 ? 0 : held >= 65535.0 ? 65535 : static_cast<int>(held);
}

std::string HeldLevelText(int held) {
  const int hundredths = std::clamp(held, 0, 65535) * 100 / 256;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d.%02d", hundredths / 100, hundredths % 100);
  return buf;
}

int HeldLevelAfterScroll(int held, int action, int thumb_position, int page) {
  int value = std::clamp(held, 0, 65535);
  switch (action) {
    case kScrollLineLeft: value -= 26; break;
    case kScrollLineRight: value += 26; break;
    case kScrollPageLeft: value -= page; break;
    case kScrollPageRight: value += page; break;
    case kScrollTrack: value = thumb_position * 256; break;
    default: break;
  }
  return std::clamp(value, 0, 65535);
}

int HeldLevelBarPosition(int held) { return std::clamp(held, 0, 65535) / 256; }

std::string SlotListText(int slot, const std::string& name) {
  char head[16];
  std::snprintf(head, sizeof head, "%02d(", slot);
  return head + name + ")";
}

std::vector<std::string> ImageListEntries(const SlotTable& slots) {
  std::vector<std::string> entries{""};
  for (int i = 0; i < kSlotCount; ++i) {
    if (!slots[i].Empty()) entries.push_back(SlotListText(i, slots[i].name));
  }
  return entries;
}

int SlotFromListText(const std::string& text) {
  if (text.empty() || !IsDigit(text[0])) return -1;
  int value = 0;
  for (size_t i = 0; i < text.size() && IsDigit(text[i]); ++i) {
    value = std::min(value * 10 + (text[i] - '0'), 1000000);
  }
  return value;
}

int ListIndexForSlot(const std::vector<std::string>& entries, int slot) {
  if (slot < 0) return 0;
  for (size_t i = 1; i < entries.size(); ++i) {
    if (SlotFromListText(entries[i]) == slot) return static_cast<int>(i);
  }
  return 0;
}

int EditValue(const std::string& text, bool is_signed) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (is_signed && i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
  }
  return static_cast<int>(negative ? -value : value);
}

int TenthsFromText(const std::string& text, int low, int high) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  long long value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
  value *= 10;
  if (i + 1 < text.size() && text[i] == '.' && IsDigit(text[i + 1])) value += text[i + 1] - '0';
  return static_cast<int>(std::clamp<long long>(negative ? -value : value, low, high));
}

std::string TenthsText(int value) { return std::to_string(value / 10) + "." + std::to_string(value % 10); }

}  // namespace tavo
