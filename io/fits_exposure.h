// SPDX-License-Identifier: MIT
// io/fits_exposure.h - the exposure time a FITS header records.
#pragma once
#include <string>

namespace tavo {

// The value of the first "EXPTIME" or "EXPOSURE" card of the primary
// header, in seconds; 0 when the file cannot be read, has neither card
// before "END", or the value is not a positive number.
double FitsExposureSeconds(const std::string& path);

}  // namespace tavo
