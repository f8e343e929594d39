// SPDX-License-Identifier: MIT
// tests/io/bytes.h - building little files byte by byte in tests.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

namespace tavo {

inline std::string Le16(uint32_t v) {
  return std::string{static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)};
}
inline std::string Le32(uint32_t v) { return Le16(v & 0xffff) + Le16(v >> 16); }
inline std::string Be16(uint32_t v) {
  return std::string{static_cast<char>((v >> 8) & 0xff), static_cast<char>(v & 0xff)};
}
inline std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xffff); }
inline std::string Raw(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}
inline uint32_t ReadLe16(const std::string& s, size_t at) {
  return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}
inline uint32_t ReadLe32(const std::string& s, size_t at) {
  return ReadLe16(s, at) | (ReadLe16(s, at + 2) << 16);
}

}  // namespace tavo
