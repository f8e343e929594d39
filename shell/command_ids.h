// SPDX-License-Identifier: MIT
// shell/command_ids.h - the ids of the menu commands. A command's dialog
// goes by the same id (UiPort::EditSettings).
#pragma once

namespace tavo {

// File menu.
constexpr int kCmdOpen = 101;
constexpr int kCmdSave = 102;
constexpr int kCmdClose = 104;
constexpr int kCmdCloseAll = 105;
constexpr int kCmdPrint = 111;
constexpr int kCmdExit = 121;
constexpr int kCmdDarkFiles = 131;
constexpr int kCmdRawSettings = 132;
constexpr int kCmdResetSettings = 133;
constexpr int kCmdSaveSettings = 134;
constexpr int kCmdLoadSettings = 135;
// Edit menu.
constexpr int kCmdUndo = 201;
constexpr int kCmdRedo = 202;
constexpr int kCmdCopy = 211;
constexpr int kCmdAreaCopy = 212;
constexpr int kCmdCropResize = 213;
// Composite menu.
constexpr int kCmdCompositeAuto = 302;
constexpr int kCmdCompositePoints = 308;
constexpr int kCmdLrgb = 313;
constexpr int kCmdLrgbSeparate = 360;
constexpr int kCmdDeepStack = 340;
// Background menu.
constexpr int kCmdBackgroundQuad = 306;
constexpr int kCmdCaptureCentre = 3061;
constexpr int kCmdCaptureCorner = 3062;
constexpr int kCmdBackgroundImage = 307;
constexpr int kCmdBackgroundPoints = 309;
constexpr int kCmdBackgroundMake = 3071;
// Filter menu.
constexpr int kCmdSharpSmooth = 301;
constexpr int kCmdEdge = 303;
constexpr int kCmdWavelet = 316;
constexpr int kCmdDeblur = 317;
constexpr int kCmdNoise = 777;
constexpr int kCmdResize = 304;
constexpr int kCmdRotate = 305;
constexpr int kCmdDistortion = 330;
constexpr int kCmdLineSplit = 320;
// Tone menu.
constexpr int kCmdGamma = 311;
constexpr int kCmdLevel = 318;
constexpr int kCmdToneCorrection = 315;
constexpr int kCmdBlackWhite = 312;
constexpr int kCmdSaturationHue = 314;
constexpr int kCmdColorRgb = 331;
constexpr int kCmdColorHsv = 332;
// View menu.
constexpr int kCmdZoomIn = 401;
constexpr int kCmdZoomOut = 402;
constexpr int kCmdZoomFit = 403;
constexpr int kCmdHistogram = 411;
constexpr int kCmdProfile = 413;
constexpr int kCmdPointReport = 412;
constexpr int kCmdImageSelect = 421;
constexpr int kCmdDisplayMode = 422;
// Batch menu.
constexpr int kCmdBatchSettings = 801;
constexpr int kCmdBatchOpen = 808;
constexpr int kCmdBatchSave = 809;
constexpr int kCmdBatchStart = 802;
constexpr int kCmdBatchStop = 803;
// Help menu.
constexpr int kCmdHelp = 501;
constexpr int kCmdExamples = 503;
constexpr int kCmdVersion = 502;

}  // namespace tavo
