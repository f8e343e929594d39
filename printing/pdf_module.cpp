// SPDX-License-Identifier: MIT
#include "printing/pdf_module.h"

#include <type_traits>

#include "printing/print_page.h"

extern "C" __attribute__((visibility("default"))) int tavo_print_to_pdf_1(const std::string& path,
                                                                           const tavo::PrintJob& job,
                                                                           std::string* detail) {
  return tavo::PrintToPdf(path, job, detail);
}

static_assert(std::is_same_v<decltype(&tavo_print_to_pdf_1), tavo::PdfModuleEntry>);
