// SPDX-License-Identifier: MIT
// shell/ops/composite_points_op.h - the composites aligned by marked points:
// composite by points (command 308), L+RGB (313) and L+R+G+B (360), the
// point rule they share, and the logic of their dialogs that fills a row's
// point edits from the chosen image's marked points.
#pragma once
#include "settings/settings.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"
#include "stack/composite_points.h"

namespace tavo {

// The image's marked A and B in display rows (height - 1 - stored row);
// a point not marked is (0, 0). As a settings row: A x, A y, B x, B y.
void MarkedPointsRow(const Image& image, int row[4]);

// Fills composite point row `row` from the marks of `slot` (nothing for a
// slot without an image): what choosing an image in a dialog row does.
void FillPointRowFromSlot(AppState& app, int row, int slot);

// The point rule on rows whose `chosen` flag is set: a row whose A equals B
// gets B = (0, 0); then, when any chosen row has B = (0, 0), every row's B
// becomes A + (100, 100), so the inputs are only shifted. True when that
// last step ran.
bool ApplyPointRule(int points[4][4], const bool chosen[4]);

// Command 308: the dialog; the chosen rows (fewer than two: the message);
// a free slot; the point rule (B values it set go back to 0 after the
// run); the composite; the new image becomes current.
void CmdCompositePoints(AppState& app, UiPort& ui);
// Command 313: L and RGB slots from the "lrgb" settings with the points of
// composite rows 0 and 1, weights 100; the B values the rule sets stay.
void CmdLrgb(AppState& app, UiPort& ui);
// Command 360: rows L, R, G, B with the composite weights and points; R, G
// and B must be chosen; B values set by the rule go back to 0.
void CmdLrgbSeparate(AppState& app, UiPort& ui);

}  // namespace tavo
