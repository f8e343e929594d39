// SPDX-License-Identifier: MIT
// shell/operation_table.h - one row per menu command: its menu entry, its
// dialog, its toolbar button, its batch step, the settings it reads and
// what runs it. The menus, the toolbar, the dialog ids, the batch step
// table and the command-line help are all read from these rows.
#pragma once
#include <vector>

#include "core/status.h"
#include "shell/app_state.h"
#include "shell/ui_port.h"

namespace tavo {

struct BatchRun;  // shell/batch_run.h

// A command with its own flow (new images, questions, several slots).
using CommandHandler = void (*)(AppState& app, UiPort& ui);
// An operation on one image in place, shared by the menu command (which
// wraps it in the undo protocol, see shell/protocol.h) and the batch step.
using InPlaceRun = OpStatus (*)(AppState& app, Image& image);
// A batch step that is more than an in-place run (it makes new images).
using BatchStepRun = OpStatus (*)(BatchRun& run);

enum MenuIndex { kMenuFile, kMenuEdit, kMenuComposite, kMenuBackground, kMenuFilter, kMenuTone, kMenuView,
                 kMenuBatch, kMenuHelp };

struct Operation {
  int id;                       // shell/command_ids.h
  const char* text;             // menu text
  int menu;                     // MenuIndex
  bool separator_before;        // a separator precedes the entry (or its submenu)
  const char* submenu;          // title of the submenu holding it; null in the menu itself
  CommandHandler command;       // its own flow; null: `in_place` under the in-place protocol
  InPlaceRun in_place;          // null with `command` null too: not built yet
  bool dialog;                  // opens dialog `id` before it runs
  int toolbar;                  // toolbar button 0..16, -1 for none
  const char* bitmap;           // the button's picture
  int batch_step;               // batch step code that runs it (batch/batch_sequence.h), 0 none
  BatchStepRun batch_run;       // null: `in_place` on the batch's current image
  const char* keywords;         // settings groups it reads, for the help text
  // It reports progress (a long run the user may stop): RunCommand runs it
  // through UiPort::RunWork.
  bool reports_progress = false;
};

// Every command, in menu order.
const std::vector<Operation>& Operations();
const std::vector<const char*>& MenuTitles();
const Operation* FindOperation(int id);
// The row whose batch step is `step_code`, or null.
const Operation* OperationForStep(int step_code);
bool OperationBuilt(const Operation& op);

enum CommandResult { kCommandRan, kCommandUnknown, kCommandNotBuilt };
CommandResult RunCommand(AppState& app, UiPort& ui, int id);

}  // namespace tavo
