#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <iostream>

#include "app/command_line.h"
#include "tests/app_support.h"
#include "tools/replay/script.h"

namespace velmora::replay {
namespace {

namespace fs = std::filesystem;
using test::Replay;

int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(ReplayScript, BadDirectivesAreRejectedWithTheirLineAndNothingRuns) {
    const std::pair<std::string, const char*> cases[] = {
        {"move 1 2\njump 3\n", ":2: unknown directive 'jump'"},
        {"move 65536 0\n", ":1: bad x '65536'"},
        {"move 1 65536 1\n", ":1: bad y '65536'"},
        {"move 1\n", ":1: 'move' needs 2 arguments"},
        {"move 1 2 3 4\n", ":1: too many arguments for 'move'"},
        {"close now\n", ":1: too many arguments for 'close'"},
        {"lose 1\n", ":1: too many arguments for 'lose'"},
        {"key 1 2\n", ":1: too many arguments for 'key'"},
        {"key Home\n", ":1: unknown key 'Home'"},
        {"key @\n", ":1: unknown key '@'"},
        {"key Ctrl+\n", ":1: unknown key 'Ctrl+'"},
        {"key Alt+Z\n", ":1: unknown key 'Alt+Z'"},
        {"key shift+Ctrl+SHIFT+z\n", ":1: unknown key 'shift+Ctrl+SHIFT+z'"},
        {"drop\n", ":1: 'drop' needs 1 argument"},
        {"activate 2\n", ":1: activate takes 0 or 1"},
        {"\n\nidle -1\n", ":3: bad count '-1'"},
        {"fail Blit\n", ":1: unknown operation 'Blit'"},
        {"fail GetDC\n", ":1: unknown operation 'GetDC'"},
        {"dump ../escape\n", ":1: bad dump name"},
        {"move 1 1\ntime 5\n", ":2: 'time' must come before"},
        {"key esc\nbitmap x.bmp\n", ":2: 'bitmap' must come before"},
        {"bitmap a b\n", ":1: too many arguments for 'bitmap'"},
        {"time 4294967296\n", ":1: bad time"},
        {"wait 0x\n", ":1: bad milliseconds '0x'"},
        {"idle 9x10\n", ":1: bad count '9x10'"},
        {std::string("idle\nkey a\0\n", 11), ":2: NUL byte in line"},
    };
    for (const auto& [script, message] : cases) {
        Replay r("bad", script);
        EXPECT_TRUE(r.status == kExitBadScript && Lines(r.err.str()) == 1 &&
                    r.err.str().find(std::string("test.velmora") + message) != std::string::npos &&
                    r.out.str().empty() && !fs::exists(r.dir))
            << script << " gave: " << r.err.str() << ", and runs nothing";
    }
}

// Keys, statistics, flicker, painting and the end, written every way a script may.
TEST(Replay, StateFilesShowTheRunAsItWasAndTheSameRunGivesTheSameFiles) {
    std::string script =
        "# start-up\n\n\tTIME 0X3   # seeds the dots\r\nkey s\nlbutton 200 150\nMove 260 150 1\n";
    for (int i = 0; i <= 40; ++i) {
        script += i < 30 || i == 40 ? "key Up\n" : "key down\n";  // to 30, down to 20, up one
    }
    script +=
        "move 500 400\nkey b\nkey 0x46\nkey a\nidle 2\nactivate 0\nidle 5\nactivate 1\nidle\n"
        "idle 0x2\nwait 0x7d0\nkey SPACE\nkey 83\nwait 250\nmove 0x1FE 400\nkey space\ndump "
        "mid\nkey F12\n"
        "move 1 1";
    Replay r("state", script);
    ASSERT_EQ(r.status, kExitOk) << r.err.str();
    const std::string boxes[] = {
        "Time: 0.0s\\nFrames: 0\\nAverage FPS: 0.0", "Time: 2.0s\\nFrames: 3\\nAverage FPS: 1.5",
        "Time: 0.0s\\nFrames: 0\\nAverage FPS: 0.0", "Time: 0.2s\\nFrames: 1\\nAverage FPS: 4.0"};
    EXPECT_EQ(r.out.str(), "Velmora: " + boxes[0] + "\nVelmora: " + boxes[1] +
                               "\nVelmora: " + boxes[2] + "\nVelmora: " + boxes[3] + "\n");
    // The move after Esc never ran; final shows the run before the release.
    EXPECT_EQ(r.Text("final.json"), R"({
  "DrawingDepth": 21,
  "BidirectionalMode": 1,
  "FlickerMode": 1,
  "AppActive": 1,
  "FrameCount": 0,
  "StatsStartTime": 2250,
  "PaletteCursor": 9,
  "Clock": 2250,
  "BrushCursor": {"x": 510, "y": 400, "previousX": 500, "previousY": 400},
  "History": {"undo": 1, "redo": 0},
  "AttachedPaletteSlot": 8,
  "Messages": [")" + boxes[0] + "\", \"" +
                                        boxes[1] + "\", \"" + boxes[2] + "\", \"" + boxes[3] +
                                        R"("],
  "Running": false,
  "ExitCode": 0
}
)");
    // Painted at depth 5; both buffers hold the last frame.
    const auto front = r.File("final.front");
    EXPECT_EQ(r.File("final.back"), front);
    const auto depth = r.File("final.depth");  // both strokes painted at 5
    EXPECT_TRUE(depth.at(160 * 640 + 215) == 5 && depth.at(160 * 640 + 275) == 5);
    EXPECT_NE(r.Text("mid.json").find("\"Clock\": 2250,"), std::string::npos);

    // The PNG is the front buffer through the palette.
    const auto rgb = test::DecodeRgb(r.File("final.png"));
    const auto palette = r.File("final.palette");
    std::vector<std::uint8_t> expected;
    for (const std::uint8_t index : front) {
        expected.insert(expected.end(), &palette[index * 4U], &palette[index * 4U + 3]);
    }
    EXPECT_TRUE(rgb == expected);

    // The same run again, with the bitmap from its file: the same files.
    Replay twin("twin", "bitmap " VELMORA_DEMO_DIR "/../resources/ALL.bmp\n" + script);
    for (const char* name :
         {"final.front", "final.back", "final.depth", "final.palette", "final.png", "final.json"}) {
        EXPECT_EQ(r.File(name), twin.File(name)) << name;
    }
    // Other seconds, other dots.
    EXPECT_NE(Replay("t3", "time 3\nkey esc").File("final.front"),
              Replay("t4", "time 4\nkey esc").File("final.front"));
}

TEST(Replay, AfterALossPaintingGoesOnAsIfTheScreenHadNeverBeenTaken) {
    // The start; the loss, dumping "gone", and what follows; the same without it.
    const char* paint = "key f\nmove 200 150 1\nmove 240 220 1\n";
    const char* cases[][3] = {
        {paint, "lose\ndump gone\nmove 280 260 1\n", "move 280 260 1\n"},
        {paint, "activate 0\nlose\ndump gone\nactivate 1\n", "activate 0\nactivate 1\n"},
        {paint, "activate 0\nlose\ndump gone\nfail Restore 1\nactivate 1\nmove 280 260 1\n",
         "activate 0\nactivate 1\nmove 280 260 1\n"},
        // A stroke that cannot restore draws nothing, like a refused lock.
        {paint, "lose\ndump gone\nfail Restore 2\nmove 280 260 1\nmove 290 270 1\n",
         "fail Lock 1\nmove 280 260 1\nmove 290 270 1\n"},
        // No first picture (its lock refused): what comes back is the bare pattern.
        {"fail Lock 1 1\nkey f\n", "lose\ndump gone\nmove 280 260 1\n", "move 280 260 1\n"},
    };
    const std::string rest = "dump mid\nmove 300 300 1\nmove 500 400\n";
    for (const auto& [start, loss, same] : cases) {
        Replay lost("lost", std::string("time 7\n") + start + loss + rest);
        Replay kept("kept", std::string("time 7\n") + start + same + rest);
        ASSERT_EQ(lost.status, kExitOk) << lost.err.str();
        const auto gone = lost.File("gone.front");
        EXPECT_EQ(std::count(gone.begin(), gone.end(), 0), 307200) << loss;
        for (const char* name : {"mid.front", "mid.back", "mid.palette", "mid.json", "final.front",
                                 "final.back", "final.depth", "final.json"}) {
            EXPECT_EQ(lost.File(name), kept.File(name)) << loss << name;
        }
    }
}

// Refused locks (the first picture's, one mid-drag) draw nothing, leave no stamp.
TEST(Replay, RefusedLocksDrawNothingAndLeaveNoGhost) {
    const std::string drag = "move 200 200 1\nmove 240 200 1\n";
    Replay refused("refused",
                   "fail Lock 1 1\n" + drag + "fail Lock 1\nmove 280 200 1\nmove 500 400");
    Replay drawn("drawn", drag + "move 500 400");
    EXPECT_EQ(refused.File("final.depth"), drawn.File("final.depth"));
    const std::string json = refused.Text("final.json");
    EXPECT_NE(json.find("\"FrameCount\": 4,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"previousX\": 280,"), std::string::npos) << json;
}

TEST(Replay, StartUpFailuresWhatDoesNotStopItAndUnwritableOutput) {
    Replay failed("startfail", "fail SetDisplayMode\nmove 1 1\n");
    EXPECT_EQ(failed.status, kExitStartUpFailed);
    EXPECT_EQ(failed.out.str(), "Velmora: DirectDraw Init FAILED\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(failed.dir), {}), 1) << "final.json only";
    EXPECT_NE(failed.Text("final.json")
                  .find("\"AttachedPaletteSlot\": null,\n  \"Messages\": [\"DirectDraw Init "
                        "FAILED\"],\n  \"Running\": false,\n  \"ExitCode\": 1\n}"),
              std::string::npos);
    Replay noBitmap("nobitmap", "bitmap /nonexistent/ALL.bmp\n");
    Replay noWindow("nowindow", "fail CreateWindow\n");  // and so no box
    EXPECT_TRUE(noBitmap.status == kExitStartUpFailed && noWindow.status == kExitStartUpFailed &&
                noWindow.out.str().empty());
    // No palettes: no colours, but a run; a refused tile lock keeps the bitmap's own dots.
    Replay noPalettes("nopalettes", "fail CreatePalette 32\nkey esc\n");
    EXPECT_TRUE(noPalettes.status == kExitOk && noPalettes.out.str().empty() &&
                noPalettes.Text("final.json").find("\"Running\": false") != std::string::npos);
    EXPECT_EQ(noPalettes.File("final.palette"), std::vector<std::uint8_t>(1024, 0));
    Replay bitmapDots("bitmapdots", "fail Lock 1\nkey esc\n");
    EXPECT_EQ(bitmapDots.File("final.front").at(0), resources::AllBitmap()[40 + 1024 + 119 * 80]);

    const fs::path blocker = test::OwnPath("not-a-dir");
    std::ofstream(blocker) << "x";
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunReplay("move 1 1\n", "s", (blocker / "sub").string(), out, err), kExitCannotWrite);
    EXPECT_EQ(RunReplay("dump x\n", "s", blocker.string(), out, err), kExitCannotWrite);
    EXPECT_EQ(Lines(err.str()), 2);
    fs::remove(blocker);
}

TEST(Replay, CommandLineAndDemos) {
    std::ostringstream out;
    std::ostringstream err;
    // No script, one that cannot be read, a folder, two scripts, --out and nothing more.
    const char* bad[][3] = {
        {"r"}, {"r", "/nonexistent/script"}, {"r", "/"}, {"r", "a", "b"}, {"r", "--out"}};
    const int counts[] = {1, 2, 2, 3, 2};
    for (std::size_t i = 0; i < std::size(counts); ++i) {
        EXPECT_EQ(ReplayMain(counts[i], bad[i], out, err), kExitBadScript) << bad[i][1];
    }
    // "-": the script comes from standard input, named so in messages.
    std::istringstream input("key esc\njump\n");
    std::streambuf* const terminal = std::cin.rdbuf(input.rdbuf());
    const char* piped[] = {"r", "-"};
    EXPECT_EQ(ReplayMain(2, piped, out, err), kExitBadScript);
    std::cin.rdbuf(terminal);
    EXPECT_NE(err.str().find("<stdin>:2: unknown directive 'jump'"), std::string::npos);
    // --version (the painter's version) and --help answer on standard output,
    // whatever else is given.
    const std::pair<const char*, std::string> answers[] = {
        {"--version", "velmora-replay " + app::VersionText().substr(std::strlen("velmora "))},
        {"--help", "usage: velmora-replay [--out DIR] [--open FILE] SCRIPT\n"}};
    for (const auto& [asked, answer] : answers) {
        std::ostringstream said;
        const char* argv[] = {"r", "--out", "/nonexistent", asked};
        EXPECT_EQ(ReplayMain(4, argv, said, err), kExitOk) << asked;
        EXPECT_EQ(said.str().substr(0, answer.size()), answer);
    }
    for (const char* demo : {"steps", "target", "bars"}) {
        const fs::path dir = test::OwnPath(std::string("demo-") + demo);
        const std::string script = std::string(VELMORA_DEMO_DIR) + "/" + demo + ".velmora";
        const char* argv[] = {"velmora-replay", "--out", dir.c_str(), script.c_str()};
        EXPECT_EQ(ReplayMain(4, argv, out, err), kExitOk) << demo << ": " << err.str();
        fs::remove_all(dir);
    }
}

}  // namespace
}  // namespace velmora::replay
