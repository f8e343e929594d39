// SPDX-License-Identifier: MIT
// raw/libraw_session.h - the one wrapper around LibRaw. A session decodes
// one camera file step by step so that the dark-frame correction can sit
// between the library's colour scaling and its pre-interpolation, and so
// that the fast development can take the mosaic before any demosaicing.
// No other file includes the library's headers.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace tavo {

// Outcome of a session step.
enum RawStatus {
  kRawOk = 0,
  kRawCannotOpen,    // the file cannot be opened for reading
  kRawUnsupported,   // the library recognises no RAW format in it
  kRawDecodeError,   // damaged or truncated data, or any other library failure
  kRawNoMemory,      // the library or the planes could not get their memory
  kRawCancelled,     // the user stopped the development
};

// Colour-filter layout of the mosaic, from the library's filter value.
enum RawPattern {
  kPatternNone = 0,  // every record carries full colour (filter value 0)
  kPattern2x2 = 1,   // 2 x 2 periodic mosaic
  kPattern6x6 = 2,   // the 6 x 6 pattern (filter value 9)
};

// The library's image: width x height records of four 16-bit samples
// (colour channel indices 0..3), the top row first. Valid until the next
// step or the end of the session.
struct RawMosaicView {
  uint16_t* records = nullptr;
  int width = 0;
  int height = 0;
  int pattern = kPatternNone;
  int colors = 0;
  unsigned filters = 0;
};

struct RawSession;

struct RawSessionDeleter {
  void operator()(RawSession* session) const;
};
using RawSessionPtr = std::unique_ptr<RawSession, RawSessionDeleter>;

// Opens and identifies the file. On failure the status says why and the
// session is null; for a file that cannot be opened the system's error text
// for the name has been written to the error stream.
RawSessionPtr OpenRawSession(const std::string& path, int* status);

// Decodes the raw data into the library's image (masked border cropped,
// zero samples replaced where the camera needs it), normalises the black
// levels and scales the colours with the daylight multipliers. Layered
// sensors keep their unscaled values. Returns a RawStatus.
int DecodeScaledMosaic(RawSession& session);

// DecodeScaledMosaic in two steps: decoding and copying, then the black
// levels and the scaling. With `tone` (three tables of 65536 entries: R,
// G, B) the scaling passes every sample of channels 0..3 through the table
// of its colour as well (the second green through G's), which is what
// toning channels 0..2 after FoldSecondGreen gives; it does so unless the
// sensor is monochrome or the black level varies over a pattern.
// ScaledMosaicToned says whether it did.
int DecodeMosaic(RawSession& session);
int ScaleMosaic(RawSession& session, const uint16_t* tone);
bool ScaledMosaicToned(RawSession& session);

// How much larger the scaled samples came out than scaling by the
// identified maximum would have made them (1 unless the library lowered its
// maximum to the file's brightest sample).
double RawScaleGain(RawSession& session);

// After a dark frame was applied: the library's black level becomes 0.
void ClearBlackLevel(RawSession& session);

// Folds the second green of a 3-colour 2 x 2 mosaic into channel 1.
int FoldSecondGreen(RawSession& session);

// The library's demosaicing (0 bilinear, 1 VNG, 2 PPG, 3 AHD; other values
// act as 0), green mixing, back-rotation of 45-degree sensors, conversion
// to sRGB and stretching of non-square pixels. Returns a RawStatus.
// Where FinishWithLibrary may put its picture as well: three planes of
// width x height, the bottom row first, every sample through `table`.
struct RawPlanesOut {
  uint16_t* planes[3];
  const uint16_t* table;
  int width;
  int height;
};

int FinishWithLibrary(RawSession& session, int quality);

// FinishWithLibrary that also fills `out` on the way when it can (three or
// four colours, the size of `out`, no stretching after the colour
// conversion); *written says whether it did.
int FinishWithLibrary(RawSession& session, int quality, const RawPlanesOut& out, bool* written);

RawMosaicView MosaicView(RawSession& session);

// The width and height MosaicView will give before the library's finish
// (`finished` false) or after it, as far as they are known after
// identification: rotation and stretching may still change the latter.
void PlannedMosaicSize(RawSession& session, bool finished, int* width, int* height);

// The exposure time the file records, in seconds (0 when it gives none).
double RawShutterSeconds(RawSession& session);

// Bytes the decoded image will need (four samples per output pixel), known
// after identification; 0 when the sizes are not usable.
uint64_t RawImageBytes(RawSession& session);

// The library's version text, for reports.
const char* RawLibraryVersion();

}  // namespace tavo
