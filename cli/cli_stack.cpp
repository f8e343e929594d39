// SPDX-License-Identifier: MIT
#include "cli/cli_stack.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "cli/cli_port.h"
#include "cli/cli_run.h"
#include "io/file_type.h"
#include "io/image_file.h"
#include "shell/commands.h"
#include "shell/ops/deep_stack_op.h"

namespace tavo {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

bool IsOption(const std::string& a) { return a.rfind("--", 0) == 0; }

bool ParseNumber(const std::string& text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0';
}

// `word` found in `words` gives its index.
bool Choose(const std::string& word, std::initializer_list<const char*> words, int* index) {
  int k = 0;
  for (const char* w : words) {
    if (word == w) {
      *index = k;
      return true;
    }
    ++k;
  }
  return false;
}

bool Writable(const std::string& path) { return path.empty() || HasWriter(DetectFileType(path)); }

bool WriteResult(const std::string& path, const Image& image) {
  return path.empty() || WriteImageFile(path, image, FilterIndexFromName(path));
}

}  // namespace

bool TakeFileList(const std::vector<std::string>& args, size_t* i, std::vector<std::string>* files,
                  std::string* error) {
  while (*i + 1 < args.size() && !IsOption(args[*i + 1])) {
    const std::string& a = args[++*i];
    if (a.size() > 1 && a[0] == '@') {
      std::ifstream list(a.substr(1));
      if (!list) {
        *error = "cannot read list file " + a.substr(1);
        return false;
      }
      for (std::string line; std::getline(list, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) files->push_back(line);
      }
    } else {
      files->push_back(a);
    }
  }
  return true;
}

bool ParseMemoryLimit(const std::string& text, int* megabytes) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || !(v > 0)) return false;
  const std::string unit = end;
  double mb;
  if (unit == "G" || unit == "g" || unit == "GB") {
    mb = v * 1024;
  } else if (unit == "M" || unit == "m" || unit == "MB") {
    mb = v;
  } else if (unit == "K" || unit == "k" || unit == "KB") {
    mb = v / 1024;
  } else if (unit.empty()) {
    mb = v / (1024 * 1024);
  } else {
    return false;
  }
  if (mb > 16777216) return false;
  *megabytes = mb < 1 ? 1 : static_cast<int>(mb);
  return true;
}

bool ParseStackArgs(const std::vector<std::string>& args, CliStackJob* job, std::string* error) {
  DeepStackSettings& s = job->settings;
  const size_t n = args.size();
  for (size_t i = 0; i < n; ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= n || IsOption(args[i + 1])) return false;
      *out = args[++i];
      return true;
    };
    // An optional word: taken only when it is one of `words`.
    auto optional = [&](std::initializer_list<const char*> words, int* index) {
      return i + 1 < n && Choose(args[i + 1], words, index) && ++i;
    };
    std::string v, w;
    double number = 0;
    int index = 0;
    if (a == "--lights" || a == "--bias" || a == "--dark" || a == "--flat") {
      std::vector<std::string>& list =
          a == "--lights" ? s.lights : a == "--bias" ? s.biases : a == "--dark" ? s.darks : s.flats;
      if (!TakeFileList(args, &i, &list, error)) return false;
    } else if (a == "--reference") {
      if (!value(&v)) return (*error = "--reference needs N or best", false);
      if (v == "best") {
        s.reference = 0;
      } else if (!ParseNumber(v, &number) || number < 1 || number != static_cast<int>(number)) {
        return (*error = "--reference needs N (from 1) or best", false);
      } else {
        s.reference = static_cast<int>(number);
      }
    } else if (a == "--reject") {
      if (!value(&v) || !Choose(v, {"none", "median", "sigma", "winsor", "linear", "minmax"}, &s.reject)) {
        return (*error = "--reject takes sigma, winsor, linear, minmax, median or none", false);
      }
    } else if (a == "--kappa") {
      double low, high;
      if (!value(&v) || !value(&w) || !ParseNumber(v, &low) || !ParseNumber(w, &high) || low < 0 || high < 0) {
        return (*error = "--kappa needs LOW HIGH (not negative)", false);
      }
      s.kappa_low = low;
      s.kappa_high = high;
    } else if (a == "--normalise" || a == "--normalize") {
      s.normalise = optional({"none", "add", "mul", "addscale"}, &index) ? index : 3;
    } else if (a == "--weights") {
      s.weights = optional({"equal", "noise", "stars"}, &index) ? index : 1;
    } else if (a == "--master") {
      if (!value(&v) || !Choose(v, {"median", "sigma"}, &s.master_method)) {
        return (*error = "--master takes median or sigma", false);
      }
    } else if (a == "--scale-dark") {
      s.scale_dark = 1;
    } else if (a == "--interpolation") {
      if (!value(&v) || !Choose(v, {"lanczos", "bilinear"}, &s.interpolation)) {
        return (*error = "--interpolation takes lanczos or bilinear", false);
      }
    } else if (a == "--max-fwhm" || a == "--max-residual" || a == "--min-stars") {
      if (!value(&v) || !ParseNumber(v, &number) || number < 0) return (*error = a + " needs a number", false);
      if (a == "--max-fwhm") s.max_fwhm = number;
      if (a == "--max-residual") s.max_residual = number;
      if (a == "--min-stars") s.min_stars = static_cast<int>(number);
    } else if (a == "--memory-limit") {
      if (!value(&v) || !ParseMemoryLimit(v, &s.memory_limit_mb)) {
        return (*error = "--memory-limit takes a size such as 4G or 3500M", false);
      }
    } else if (a == "--scratch" || a == "--masters" || a == "--report" || a == "--out" || a == "--low-map" ||
               a == "--high-map") {
      if (!value(&v)) return (*error = a + " needs a name", false);
      std::string& target = a == "--scratch"  ? s.scratch
                            : a == "--masters" ? s.masters
                            : a == "--report"  ? s.report
                            : a == "--out"     ? job->out
                            : a == "--low-map" ? job->low_map
                                               : job->high_map;
      target = v;
    } else if (a == "--quiet") {
      job->quiet = true;
    } else {
      return (*error = "unknown option " + a + " (see tavo-cli --help)", false);
    }
  }
  if (s.lights.empty()) return (*error = "--lights names no file", false);
  if (job->out.empty()) return (*error = "--out is needed", false);
  for (const std::string* path : {&job->out, &job->low_map, &job->high_map}) {
    if (!Writable(*path)) return (*error = *path + ": give a .tif, .ppm, .bmp or .jpg name", false);
  }
  return true;
}

int RunCliStack(const std::vector<std::string>& args) {
  auto app = std::make_unique<AppState>();  // large: keep it off the stack
  CliPort port;
  StartUp(*app, port, {});
  CliStackJob job;
  job.settings = app->settings.deep_stack;
  std::string error;
  if (!ParseStackArgs(args, &job, &error)) {
    std::fprintf(stderr, "tavo-cli stack: %s\n", error.c_str());
    return 2;
  }
  g_interrupted = 0;
  void (*previous)(int) = std::signal(SIGINT, OnInterrupt);
  std::string last_text;
  const StackProgress progress = [&](double fraction, const std::string& text) {
    if (!job.quiet && text != last_text) {
      std::fprintf(stderr, "[%3d%%] %s\n", static_cast<int>(fraction * 100), text.c_str());
      last_text = text;
    }
    return g_interrupted == 0;
  };
  DeepStackResult result;
  const OpStatus status = RunDeepStackJob(job.settings, app->settings.raw, progress, &result);
  std::signal(SIGINT, previous);
  for (const std::string& line : LeftOutLines(result)) std::fprintf(stderr, "%s\n", line.c_str());
  for (const std::string& path : result.masters_failed) std::fprintf(stderr, "cannot write master %s\n", path.c_str());
  if (status == kOpCancelled) {
    std::fprintf(stderr, "tavo-cli stack: interrupted; nothing written\n");
    return 1;
  }
  // The report says why frames were left out, so it is written for a
  // failed stack too.
  const bool report_ok = job.settings.report.empty() || WriteStackReport(job.settings.report, result);
  if (!report_ok) std::fprintf(stderr, "tavo-cli stack: cannot write %s\n", job.settings.report.c_str());
  if (status != kOpMade) {
    std::fprintf(stderr, "%s\n", StackFailureText(status, result, job.settings).c_str());
    return 1;
  }
  Image image;
  if (ImageFromFloat(result.output.result, &image) != kOpMade) {
    std::fprintf(stderr, "tavo-cli stack: not enough memory for the result\n");
    return 1;
  }
  result.output.result = FloatFrame();
  bool ok = report_ok;
  const std::pair<const std::string*, const Image*> outputs[3] = {
      {&job.out, &image}, {&job.low_map, &result.output.low_map}, {&job.high_map, &result.output.high_map}};
  for (const auto& [path, picture] : outputs) {
    if (!WriteResult(*path, *picture)) {
      std::fprintf(stderr, "tavo-cli stack: cannot write %s\n", path->c_str());
      ok = false;
    }
  }
  std::printf("stacked %d of %zu light frames into %s (reference %s%s)\n", result.used, job.settings.lights.size(),
              job.out.c_str(), result.frames[result.reference].path.c_str(),
              result.on_disk ? ", frames on disk" : "");
  return ok ? 0 : 1;
}

std::string CliStackHelpText() {
  return "\n"
         "stack calibrates, registers and combines many exposures. A LIST is the\n"
         "files that follow the option up to the next option, or @FILE naming a text\n"
         "file with one path a line.\n"
         "  --lights LIST / --bias LIST / --dark LIST / --flat LIST\n"
         "                             light frames and the frames of the masters (a\n"
         "                             single file is used as the master itself)\n"
         "  --master median|sigma      masters by median or sigma-clipped mean\n"
         "  --scale-dark               dark scaled by exposure (headers, with a bias)\n"
         "  --reference N|best         reference light (from 1; default 1)\n"
         "  --reject sigma|winsor|linear|minmax|median|none   (default sigma)\n"
         "  --kappa LOW HIGH           clipping limits in sigmas (default 3 3); for\n"
         "                             minmax the number of values dropped at each end\n"
         "  --normalise [add|mul|addscale|none]   (default and bare: addscale)\n"
         "  --weights [equal|noise|stars]         (default and bare: noise)\n"
         "  --interpolation lanczos|bilinear      (default lanczos)\n"
         "  --max-fwhm PX  --min-stars N  --max-residual PX\n"
         "                             frames beyond these are left out and named\n"
         "  --memory-limit SIZE        e.g. 4G, 3500M (default: half the free memory)\n"
         "  --scratch DIR              registered frames are written (and kept) here\n"
         "  --masters DIR              masters saved as master_*.tif here\n"
         "  --out FILE                 the result (.tif, .ppm, .bmp, .jpg)\n"
         "  --low-map FILE --high-map FILE\n"
         "                             rejections per pixel: 65535 x rejected / frames\n"
         "  --report FILE.csv          everything measured, one line per frame\n"
         "  --quiet                    no progress lines\n"
         "Ctrl+C stops the run and removes what it wrote.\n";
}

}  // namespace tavo
