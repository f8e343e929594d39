// SPDX-License-Identifier: MIT
#include "shell/stack_dialogs.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace tavo {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int Step(int value, int action, int thumb, int low, int high, int page) {
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

}  // namespace

std::vector<std::string> ImageListEntries(const SlotTable& slots) {
  std::vector<std::string> entries{""};
  for (int i = 0; i < kSlotCount; ++i) {
    if (slots[i].Empty()) continue;
    char head[16];
    std::snprintf(head, sizeof head, "%02d(", i);
    entries.push_back(head + slots[i].name + ")");
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

int WeightAfterScroll(int weight, int action, int thumb_position) {
  return Step(std::clamp(weight, 0, 100), action, thumb_position, 0, 100, 10);
}

int WeightFromText(const std::string& text) { return EditValue(text, false); }

int WeightBarPosition(int weight) { return std::clamp(weight, 0, 100); }

int CompareRangeFromText(const std::string& text) { return std::max(EditValue(text, false), 1); }

int NoiseOptionAfterClick(int option, int clicked) { return option == clicked ? 0 : clicked; }

void AcceptCompositeDialog(CompositeSettings& composite, const std::string row_texts[4], int noise_level,
                           int shift_x, int shift_y) {
  for (int row = 0; row < 4; ++row) composite.inputs[row] = SlotFromListText(row_texts[row]);
  composite.noise_level = std::clamp(noise_level, 0, 255);
  composite.shift_x = shift_x;
  composite.shift_y = shift_y;
}

int BackgroundLevelFromText(const std::string& text) { return std::min(EditValue(text, false), 255); }

int CurveFromText(const std::string& text) {
  int whole = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] != '.'; ++i) {
    whole = IsDigit(text[i]) ? std::min(whole * 10 + (text[i] - '0'), 100000) : 0;
  }
  int hundredths = 0;
  if (i < text.size() && i + 1 < text.size() && IsDigit(text[i + 1])) {
    hundredths = (text[i + 1] - '0') * 10;
    if (i + 2 < text.size() && IsDigit(text[i + 2])) hundredths += text[i + 2] - '0';
  }
  return std::clamp(whole * 100 + hundredths, 100, 300);
}

std::string CurveText(int curve) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d", curve / 100, curve % 100);
  return text;
}

int CurveAfterScroll(int curve, int action, int thumb_position) {
  return Step(CurveBarPosition(curve), action, thumb_position, 0, 200, 20) + 100;
}

int CurveBarPosition(int curve) { return std::clamp(curve, 100, 300) - 100; }

void AcceptBackgroundDialog(Back2Settings& back2) {
  back2.shift = std::clamp(back2.shift, 0, 255);
  for (int c = 0; c < 3; ++c) {
    int& centre = back2.levels[2 * c];
    int& periphery = back2.levels[2 * c + 1];
    centre = std::clamp(centre, 0, 255);
    periphery = std::clamp(periphery, 0, 255);
    if (centre > periphery) continue;
    if (periphery == 255) periphery = 254;
    centre = periphery + 1;
  }
}

}  // namespace tavo
