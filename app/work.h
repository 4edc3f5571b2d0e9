#pragma once

// Keeping and seeing the work: saving the screen and its depth map (F2),
// starting from a depth map, and the depth view (D).

#include <cstdint>
#include <string>

#include "platform/types.h"
#include "platform/window/window_system.h"

namespace velmora::app {

struct Program;

// Writes the picture on screen (through the palette on screen) and its
// depth map, resting brush included, as two new PNG files in the save
// folder, then says in one box which files were written or what failed.
void SaveScreen(Program& program, platform::HWND window);

// The file names for a time stamp and a try number: velmora-STAMP.png and
// velmora-STAMP-depth.png, then velmora-STAMP-2.png ... for tries from 2.
std::string SavedPictureName(const std::string& stamp, int attempt);
std::string SavedDepthName(const std::string& stamp, int attempt);

// After start-up: the opened depth map, with the brush resting where it
// started, becomes the scene, and the whole picture is rebuilt from it.
void StartFromOpenedMap(Program& program);

// The painter's history. A step begins at the first mouse message with a
// button held and ends at the first with none; BeginStep and EndStep are
// called around such messages. EndStep records what the step changed.
void BeginStep(Program& program);
void EndStep(Program& program);

// Takes the last step back (forward false) or puts it again; nothing while
// a button is held. Only the rows the step changed are rebuilt.
void StepHistory(Program& program, bool forward);

// Opens the first file of a drop as --open does, as one step; a file that
// cannot be opened is named in a box and nothing changes.
void OpenDroppedFile(Program& program, platform::HWND window, platform::HDROP drop);

// Rebuilds the rows whose picture lags the depth map since a lock was
// refused during a step back or forth; nothing when none does.
void CatchUpPicture(Program& program);

// Shows the depth view in place of the stereogram, or the stereogram again.
void ToggleDepthView(Program& program);

// After a stroke changed the depth map in rows firstRow .. firstRow +
// rowCount - 1: redraws them in the depth view, when it is shown.
void RefreshDepthView(Program& program, int firstRow, int rowCount);

}  // namespace velmora::app
