#pragma once

// Keeping and seeing the work: saving the screen and its depth map (F2),
// starting from a depth map, and the depth view (D).

#include <cstdint>
#include <string>

#include "platform/types.h"

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

// Shows the depth view in place of the stereogram, or the stereogram again.
void ToggleDepthView(Program& program);

// After a stroke changed the depth map in rows firstRow .. firstRow +
// rowCount - 1: redraws them in the depth view, when it is shown.
void RefreshDepthView(Program& program, int firstRow, int rowCount);

}  // namespace velmora::app
