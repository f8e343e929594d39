// SPDX-License-Identifier: MIT
// shell/file_filters.h - the "|"-separated filter lists of the file
// dialogs, taken apart for a front end that wants them as a list.
#pragma once
#include <string>
#include <vector>

namespace tavo {

struct FileFilter {
  std::string description;
  std::vector<std::string> patterns;  // "*.BMP", "*.TIF", ...
};

// "Desc|*.A;*.B|Desc2|*.C||" -> {Desc: *.A *.B}, {Desc2: *.C}. Stops at the
// first empty description (the closing "||"); a description without a
// pattern list is dropped.
std::vector<FileFilter> ParseFilterList(const std::string& list);

// Patterns for a file system that tells case apart: each pattern as given
// plus its lower-case form when that differs, "*.JPG", "*.TIF" and "*.FIT"
// followed by their longer endings ("*.JPEG" ...), each pattern once;
// "*.*" (everything, as the list means it) becomes "*" so that names
// without a dot are shown too.
std::vector<std::string> DialogPatterns(const FileFilter& filter);

}  // namespace tavo
