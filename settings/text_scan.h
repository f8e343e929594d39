// SPDX-License-Identifier: MIT
// settings/text_scan.h - free-format scanning of the settings and batch text
// files: words, decimal integers and decimals as a C scanf would take them
// (a failed number consumes nothing but the blanks before it). Independent
// of the process locale.
#pragma once
#include <cstddef>
#include <string>

namespace tavo {

class TextScan {
 public:
  explicit TextScan(std::string text) : text_(std::move(text)) {}

  bool AtEnd();  // skips blanks first
  // Next run of non-blank characters; false at the end. Words longer than
  // `max_length` are returned whole but flagged in `too_long`.
  bool ReadWord(std::string* word, size_t max_length, bool* too_long);
  // "%d": optional sign and digits; values beyond the int range saturate.
  // False (value untouched) when no number starts here.
  bool ReadInt(int* value);
  // "%lf": false (value untouched) when no decimal starts here.
  bool ReadDouble(double* value);
  // Everything between the next two double quotes, cut to `max_length`.
  bool ReadQuoted(std::string* value, size_t max_length);

 private:
  void SkipBlanks();
  std::string text_;
  size_t pos_ = 0;
};

// Formats a decimal with six digits after the point ("%f"), locale-free.
std::string FormatDecimal6(double value);

}  // namespace tavo
