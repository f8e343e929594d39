// SPDX-License-Identifier: MIT
#include "settings/text_scan.h"

#include <cctype>
#include <charconv>
#include <climits>

namespace tavo {
namespace {
bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

void TextScan::SkipBlanks() {
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
}

bool TextScan::AtEnd() {
  SkipBlanks();
  return pos_ >= text_.size();
}

bool TextScan::ReadWord(std::string* word, size_t max_length, bool* too_long) {
  SkipBlanks();
  if (pos_ >= text_.size()) return false;
  const size_t start = pos_;
  while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
  word->assign(text_, start, pos_ - start);
  if (too_long != nullptr) *too_long = word->size() > max_length;
  return true;
}

bool TextScan::ReadInt(int* value) {
  SkipBlanks();
  size_t p = pos_;
  bool negative = false;
  if (p < text_.size() && (text_[p] == '-' || text_[p] == '+')) {
    negative = text_[p] == '-';
    ++p;
  }
  if (p >= text_.size() || !IsDigit(text_[p])) return false;
  long long v = 0;
  while (p < text_.size() && IsDigit(text_[p])) {
    if (v <= static_cast<long long>(INT_MAX) + 1) v = v * 10 + (text_[p] - '0');
    ++p;
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  *value = static_cast<int>(v);
  pos_ = p;
  return true;
}

bool TextScan::ReadDouble(double* value) {
  SkipBlanks();
  size_t p = pos_;
  if (p < text_.size() && text_[p] == '+') ++p;
  double v = 0;
  const char* first = text_.data() + p;
  const char* last = text_.data() + text_.size();
  auto [end, ec] = std::from_chars(first, last, v);
  if (end == first) return false;
  if (ec == std::errc()) *value = v;
  pos_ = static_cast<size_t>(end - text_.data());
  return true;
}

bool TextScan::ReadQuoted(std::string* value, size_t max_length) {
  const size_t open = text_.find('"', pos_);
  if (open == std::string::npos) return false;
  const size_t close = text_.find('"', open + 1);
  if (close == std::string::npos) return false;
  value->assign(text_, open + 1, std::min(close - open - 1, max_length));
  pos_ = close + 1;
  return true;
}

std::string FormatDecimal6(double value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
  if (ec != std::errc()) return "0.000000";
  return std::string(buf, end);
}

}  // namespace tavo
