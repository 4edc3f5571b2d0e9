#include "app/work.h"

#include <algorithm>
#include <array>

#include "app/program.h"
#include "files/depth_png.h"
#include "stereo/relief.h"
#include "stereo/stroke.h"

namespace velmora::app {

using namespace platform;

namespace {

constexpr int kMaxAttempts = 999;

std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

// The colours of the palette on screen; black when none is attached, as the
// screen shows then.
bool ScreenColours(const display::DisplayContext& d, std::array<files::Rgb, 256>& colours) {
    colours.fill(files::Rgb{});
    const int slot = d.flickerPalettes.onScreen;
    if (slot < 0 || slot >= display::kFlickerSlots || d.flickerPalettes.slots[slot] == nullptr) {
        return true;
    }
    std::array<PALETTEENTRY, 256> entries{};
    if (d.flickerPalettes.slots[slot]->GetEntries(0, 0, 256, entries.data()) != DD_OK) {
        return false;
    }
    std::transform(entries.begin(), entries.end(), colours.begin(), [](const PALETTEENTRY& e) {
        return files::Rgb{e.peRed, e.peGreen, e.peBlue};
    });
    return true;
}

// Encodes both files; an error text, or empty with both filled.
std::string EncodeScreen(const Program& program, std::vector<std::uint8_t>& picture,
                         std::vector<std::uint8_t>& depth) {
    const display::DisplayContext& d = program.display;
    if (d.savedPicture.size() != stereo::DepthMap::kSize || !program.scene.depth.Allocated()) {
        return "there is no picture yet";
    }
    std::array<files::Rgb, 256> colours{};
    if (!ScreenColours(d, colours)) {
        return "the palette on screen cannot be read";
    }
    std::string error;
    picture = files::EncodePicturePng(d.savedPicture.data(), colours, error);
    if (!error.empty()) {
        return error;
    }
    const stereo::BrushStamp& stamp = program.scene.stamp;
    std::optional<files::BrushSpot> brush;
    if (stamp.made) {
        // Where its cells are: a backward scan put them one column right.
        brush = files::BrushSpot{stereo::StampLeft(stamp), stamp.y};
    }
    depth = files::EncodeDepthPng(program.scene.depth.Data(), brush, error);
    return error;
}

}  // namespace

namespace {

// "velmora-STAMP" and, from the second try on, "-N". Built by appending:
// GCC 12 at -O3 warns falsely about "literal" + std::string.
std::string SavedBase(const std::string& stamp, int attempt) {
    std::string base = "velmora-";
    base += stamp;
    if (attempt > 1) {
        base += '-';
        base += std::to_string(attempt);
    }
    return base;
}

}  // namespace

std::string SavedPictureName(const std::string& stamp, int attempt) {
    return SavedBase(stamp, attempt) + ".png";
}

std::string SavedDepthName(const std::string& stamp, int attempt) {
    return SavedBase(stamp, attempt) + "-depth.png";
}

void SaveScreen(Program& program, HWND window) {
    WindowSystem& windows = program.platform.windows;
    Kernel& kernel = program.platform.kernel;
    const auto tell = [&](const std::string& text) {
        windows.MessageBoxA(window, text.c_str(), kCaption, MB_OK);
    };
    std::vector<std::uint8_t> picture;
    std::vector<std::uint8_t> depth;
    if (const std::string error = EncodeScreen(program, picture, depth); !error.empty()) {
        tell("Could not save: " + error);
        return;
    }
    const std::string& folder = program.work.saveFolder;
    const std::string stamp = windows.TimeStamp();
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        const std::string picturePath = InFolder(folder, SavedPictureName(stamp, attempt));
        const std::string depthPath = InFolder(folder, SavedDepthName(stamp, attempt));
        if (kernel.FileExists(picturePath) || kernel.FileExists(depthPath)) {
            continue;
        }
        if (const std::string error = kernel.WriteNewFile(picturePath, picture); !error.empty()) {
            tell("Could not save the picture: " + error);
            return;
        }
        if (const std::string error = kernel.WriteNewFile(depthPath, depth); !error.empty()) {
            std::string text = "Could not save the depth map: ";
            text += error;
            text += "\nThe picture was saved as ";
            tell(text += picturePath);
            return;
        }
        std::string text = "Saved the picture and its depth map:\n";
        text += picturePath;
        text += '\n';
        tell(text += depthPath);
        return;
    }
    std::string text = "Could not save: every name for ";
    text += stamp;
    text += " in '";
    text += folder;
    tell(text += "' is taken");
}

namespace {

// The opened map replaces what is painted; a saved map shows the brush
// where it rested, which is the cursor, not paint, so it comes out.
void PutOpenedMap(stereo::Scene& scene, const std::vector<std::int8_t>& opened,
                  const std::optional<files::BrushSpot>& brush) {
    stereo::ChangeUnderStamp(scene, [&](stereo::DepthMap& depth) {
        std::copy(opened.begin(), opened.end(), depth.Data());
        if (brush) {
            stereo::AddBrushCells(depth, brush->x, brush->y, -1);
        }
    });
}

// Rebuilds the rows marked in work.staleRows (and shows them in the depth
// view); they stay marked when the back buffer cannot be locked, and the
// next rebuild takes them along.
void RebuildStaleRows(Program& program) {
    Workbench& work = program.work;
    for (int y = 0; y < stereo::kScreenHeight; ++y) {
        if (work.staleRows[y]) {
            RefreshDepthView(program, y, 1);
        }
    }
    if (display::RebuildRows(program.display, program.scene, work.staleRows)) {
        work.staleRows.assign(stereo::kScreenHeight, false);
    }
}

void MarkRows(Workbench& work, const HistoryStep& step) {
    work.staleRows.resize(stereo::kScreenHeight, false);
    for (const HistorySpan& span : step.spans) {
        work.staleRows[span.row] = true;
    }
}

}  // namespace

void StartFromOpenedMap(Program& program) {
    Workbench& work = program.work;
    stereo::Scene& scene = program.scene;
    if (work.openedDepth.size() != stereo::DepthMap::kSize || !scene.depth.Allocated()) {
        return;
    }
    PutOpenedMap(scene, work.openedDepth, work.openedBrush);
    display::RebuildPicture(program.display, scene);
    RefreshDepthView(program, 0, stereo::kScreenHeight);
}

void BeginStep(Program& program) {
    stereo::CopyPaint(program.scene, program.work.stepStart);
}

void EndStep(Program& program) {
    Workbench& work = program.work;
    stereo::CopyPaint(program.scene, work.paintNow);
    if (work.stepStart.size() == stereo::DepthMap::kSize &&
        work.paintNow.size() == stereo::DepthMap::kSize) {
        work.history.Record(work.stepStart.data(), work.paintNow.data());
    }
}

void StepHistory(Program& program, bool forward) {
    Workbench& work = program.work;
    if (work.strokeHeld || !program.scene.depth.Allocated()) {
        return;
    }
    const HistoryStep* step = forward ? work.history.Redo() : work.history.Undo();
    if (step == nullptr) {
        return;
    }
    stereo::ChangeUnderStamp(program.scene, [step, forward](stereo::DepthMap& depth) {
        for (const HistorySpan& span : step->spans) {
            const std::vector<std::int8_t>& cells = forward ? span.after : span.before;
            std::copy(cells.begin(), cells.end(), depth.Row(span.row) + span.column);
        }
    });
    MarkRows(work, *step);
    RebuildStaleRows(program);
}

void OpenDroppedFile(Program& program, HWND window, HDROP drop) {
    WindowSystem& windows = program.platform.windows;
    const UINT length = windows.DragQueryFileA(drop, 0, nullptr, 0);
    std::string path(length, '\0');
    if (length > 0) {
        windows.DragQueryFileA(drop, 0, path.data(), length + 1);
    }
    // The drop is let go once the file is read: a back end may keep the
    // file only for as long as the drop lasts.
    const files::DecodedDepth opened =
        path.empty() ? files::DecodedDepth{} : files::ReadDepthFile(path);
    windows.DragFinish(drop);
    if (path.empty() || !program.scene.depth.Allocated()) {
        return;
    }
    if (!opened.error.empty()) {
        windows.MessageBoxA(window, opened.error.c_str(), kCaption, MB_OK);
        return;
    }
    Workbench& work = program.work;
    // Dropped in the middle of a stroke: the stroke so far is a step of its
    // own, and goes on as another after the open.
    if (work.strokeHeld) {
        EndStep(program);
    }
    BeginStep(program);
    PutOpenedMap(program.scene, opened.depth, opened.brush);
    EndStep(program);
    work.staleRows.resize(stereo::kScreenHeight, false);
    for (int y = 0; y < stereo::kScreenHeight; ++y) {
        const auto row = static_cast<std::ptrdiff_t>(y) * stereo::kScreenWidth;
        work.staleRows[y] =
            work.staleRows[y] || !std::equal(work.stepStart.begin() + row,
                                             work.stepStart.begin() + row + stereo::kScreenWidth,
                                             work.paintNow.begin() + row);
    }
    if (work.strokeHeld) {
        BeginStep(program);
    }
    RebuildStaleRows(program);
}

void CatchUpPicture(Program& program) {
    const std::vector<bool>& stale = program.work.staleRows;
    if (std::find(stale.begin(), stale.end(), true) != stale.end()) {
        RebuildStaleRows(program);
    }
}

void ToggleDepthView(Program& program) {
    Workbench& work = program.work;
    WindowSystem& windows = program.platform.windows;
    if (work.viewShown) {
        windows.ShowView(nullptr);
        work.viewShown = false;
        return;
    }
    if (!program.scene.depth.Allocated()) {
        return;
    }
    work.view.assign(stereo::DepthMap::kSize, 0);
    stereo::RenderRelief(program.scene.depth, program.scene.stamp, work.view.data(), 0,
                         stereo::kScreenHeight);
    work.viewShown = windows.ShowView(work.view.data());
}

void RefreshDepthView(Program& program, int firstRow, int rowCount) {
    Workbench& work = program.work;
    if (!work.viewShown) {
        return;
    }
    // A pixel's shading reads the row above: the row below the change too.
    stereo::RenderRelief(program.scene.depth, program.scene.stamp, work.view.data(), firstRow,
                         rowCount + 1);
    program.platform.windows.ViewChanged();
}

}  // namespace velmora::app
