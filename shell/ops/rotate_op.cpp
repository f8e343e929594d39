// SPDX-License-Identifier: MIT
#include "shell/ops/rotate_op.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tavo {
namespace {

constexpr int64_t kAngleLimit = 214748364;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

RotateParams RotateParamsFrom(const RoundSettings& round) {
  RoundSettings confirmed = round;
  AcceptRotateDialog(confirmed);
  return {confirmed.kind, confirmed.angle};
}

OpStatus RunRotateOn(AppState& app, Image& image) { return ApplyRotation(image, RotateParamsFrom(app.settings.round)); }

int AngleFromText(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  int64_t whole = 0;
  for (; i < text.size() && text[i] != '.'; ++i) {
    if (!IsDigit(text[i])) return 0;
    whole = std::min<int64_t>(whole * 10 + (text[i] - '0'), kAngleLimit);
  }
  int64_t hundredths = 0;
  if (i < text.size()) ++i;  // past the "."
  for (int k = 0; k < 2; ++k) {  // a missing digit, or any after a non-digit, counts 0
    const bool digit = i < text.size() && IsDigit(text[i]);
    hundredths = hundredths * 10 + (digit ? text[i] - '0' : 0);
    i = digit ? i + 1 : text.size();
  }
  const int64_t angle = std::min(whole * 100 + hundredths, kAngleLimit);
  return static_cast<int>(negative ? -angle : angle);
}

std::string AngleText(int angle) {
  const int64_t a = std::llabs(static_cast<int64_t>(angle));
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%lld.%02lld", angle < 0 ? "-" : "", static_cast<long long>(a / 100),
                static_cast<long long>(a % 100));
  return buf;
}

void AcceptRotateDialog(RoundSettings& round) {
  switch (round.kind) {
    case kRotateLeft90: round.angle = 9000; break;
    case kRotateRight90: round.angle = -9000; break;
    case kRotate180: round.angle = 18000; break;
    default: break;
  }
}

}  // namespace tavo
