// SPDX-License-Identifier: MIT
// printing/pdf_module.h - tavo-cli's PDF printer, a module of its own
// (kPdfModuleFile) that the program loads only when asked to print: linked
// in, Qt's forty-odd libraries would be loaded at every start, and loading
// them was most of the program's start-up time and 13 MiB of its memory.
// The module is built from the same sources as the program; its one entry
// is PrintToPdf (printing/print_page.h) under C linkage.
#pragma once
#include <string>

#include "shell/ui_port.h"

namespace tavo {

inline constexpr char kPdfModuleFile[] = "tavo-cli-print.so";
// The interface version is part of the name, so that a module left over
// from a build with another interface is not found rather than misread.
inline constexpr char kPdfModuleEntry[] = "tavo_print_to_pdf_1";
using PdfModuleEntry = int (*)(const std::string& path, const PrintJob& job, std::string* detail);

}  // namespace tavo
