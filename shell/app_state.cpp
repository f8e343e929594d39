// SPDX-License-Identifier: MIT
#include "shell/app_state.h"

#include <cstdio>
#include <vector>


namespace tavo {

void InitAppState(AppState& app) {
  InitSlots(app.slots);
  ResetAllSettings(app.settings, /*startup=*/true);
  app.default_extension = ".BMP";
  app.save_filter_index = 1;
  app.last_save_filter = 0;
  app.batch_mode = 0;
  app.batch_banner.clear();
  ResetBatchSequence(app.batch);
  app.capture = CaptureState{};
}

Image* CurrentImage(AppState& app) {
  Image* image = app.slots.Current();
  if (image == nullptr || image->Empty()) return nullptr;
  return image;
}

std::string FormatText(const char* format, const std::string& text) {
  const int n = std::snprintf(nullptr, 0, format, text.c_str());
  if (n <= 0) return format;
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::snprintf(buf.data(), buf.size(), format, text.c_str());
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string FormatText(const char* format, const std::string& text, int number) {
  const int n = std::snprintf(nullptr, 0, format, text.c_str(), number);
  if (n <= 0) return format;
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::snprintf(buf.data(), buf.size(), format, text.c_str(), number);
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string WindowTitle(const AppState& app) {
  const int c = app.slots.current;
  if (c < 0 || c >= kSlotCount) return "TAVO";
  const Image& image = app.slots[c];
  char head[32];
  std::snprintf(head, sizeof head, "%d(", c);
  char tail[64];
  std::snprintf(tail, sizeof tail, ") size:%dx%d %d%%", image.width, image.height, image.zoom);
  return head + image.name + tail;
}

}  // namespace tavo
