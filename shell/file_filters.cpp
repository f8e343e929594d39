// SPDX-License-Identifier: MIT
#include "shell/file_filters.h"

#include <algorithm>
#include <cctype>

namespace tavo {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

}  // namespace

std::vector<FileFilter> ParseFilterList(const std::string& list) {
  std::vector<FileFilter> filters;
  const std::vector<std::string> parts = Split(list, '|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty()) break;
    FileFilter filter;
    filter.description = parts[i];
    for (const std::string& p : Split(parts[i + 1], ';')) {
      if (!p.empty()) filter.patterns.push_back(p);
    }
    if (!filter.patterns.empty()) filters.push_back(filter);
  }
  return filters;
}

std::vector<std::string> DialogPatterns(const FileFilter& filter) {
  // The readers know these longer endings too, so the files that carry
  // them must show up beside the short ones.
  static const char* const kLonger[][2] = {{"*.JPG", "*.JPEG"}, {"*.TIF", "*.TIFF"}, {"*.FIT", "*.FITS"}};
  std::vector<std::string> patterns;
  for (const std::string& p : filter.patterns) {
    patterns.push_back(p);
    for (const auto& longer : kLonger) {
      if (p == longer[0]) patterns.push_back(longer[1]);
    }
  }
  std::vector<std::string> out;
  const auto add = [&out](const std::string& p) {
    if (std::find(out.begin(), out.end(), p) == out.end()) out.push_back(p);
  };
  for (const std::string& p : patterns) {
    if (p == "*.*") {
      add("*");
      continue;
    }
    add(p);
    std::string lower = p;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    add(lower);
  }
  return out;
}

}  // namespace tavo
