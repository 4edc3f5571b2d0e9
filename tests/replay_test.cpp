#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tools/replay/runner.h"
#include "tools/replay/script.h"

namespace velmora::replay {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string ReadText(const fs::path& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

struct Replay {
    fs::path dir;
    std::ostringstream out;
    std::ostringstream err;
    int status = -1;

    Replay(const std::string& name, const std::string& script) {
        dir = fs::path(::testing::TempDir()) / ("velmora-replay-" + name);
        fs::remove_all(dir);
        status = RunReplay(script, "test.velmora", dir.string(), out, err);
    }
    std::string Json(const std::string& name = "final") const {
        return ReadText(dir / (name + ".json"));
    }
};

TEST(ReplayScript, BadDirectivesAreRejectedWithTheirLineAndNothingRuns) {
    const std::pair<const char*, const char*> cases[] = {
        {"move 1 2\njump 3\n", ":2: unknown directive 'jump'"},
        {"move 65536 0\n", ":1: bad x '65536'"},
        {"move 1\n", ":1: 'move' needs 2 arguments"},
        {"close now\n", ":1: too many arguments for 'close'"},
        {"key 1 2\n", ":1: too many arguments for 'key'"},
        {"key Home\n", ":1: unknown key 'Home'"},
        {"key @\n", ":1: unknown key '@'"},
        {"activate 2\n", ":1: activate takes 0 or 1"},
        {"\n\nidle -1\n", ":3: bad count '-1'"},
        {"fail Blit\n", ":1: unknown operation 'Blit'"},
        {"fail GetDC\n", ":1: unknown operation 'GetDC'"},
        {"dump ../escape\n", ":1: bad dump name"},
        {"move 1 1\ntime 5\n", ":2: 'time' must come before"},
        {"key esc\nbitmap x.bmp\n", ":2: 'bitmap' must come before"},
        {"time 4294967296\n", ":1: bad time"},
        {"wait 0x\n", ":1: bad milliseconds '0x'"},
        {"move 1 2 3 4\n", ":1: too many arguments for 'move'"},
        {"lose 1\n", ":1: too many arguments for 'lose'"},
    };
    for (const auto& [script, message] : cases) {
        Replay r("bad", script);
        EXPECT_EQ(r.status, kExitBadScript) << script;
        EXPECT_NE(r.err.str().find(std::string("test.velmora") + message), std::string::npos)
            << script << " gave: " << r.err.str();
        const std::string error = r.err.str();
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << script;
        EXPECT_TRUE(r.out.str().empty());
        EXPECT_FALSE(fs::exists(r.dir)) << "nothing is run for a bad script";
    }
}

TEST(ReplayScript, NumbersKeysAndComments) {
    const auto parsed = ParseScript(
        "# comment only\n"
        "TIME 0x10   # trailing comment\r\n"
        "\tFail lock 2 3\n"
        "key b\nkey 5\nkey 08\nkey 0x42\nkey SPACE\nkey f12\n"
        "Move 0xFFFF 7\nlbutton 3 4\nidle\n");
    ASSERT_TRUE(parsed.script) << parsed.error.message;
    const auto& d = parsed.script->directives;
    ASSERT_EQ(d.size(), 11U);
    EXPECT_EQ(parsed.script->startIndex, 2U);
    EXPECT_EQ(d[0].first, 16U);
    EXPECT_EQ(d[0].line, 2);
    EXPECT_EQ(d[1].operation, platform::Operation::kLock);
    EXPECT_EQ(d[1].first, 2U);
    EXPECT_EQ(d[1].second, 3U);
    const std::uint64_t keys[] = {0x42, 0x35, 8, 0x42, 0x20, 0x7B};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(d[2 + i].first, keys[i]) << i;
    }
    EXPECT_EQ(d[8].first, 0xFFFFU);
    EXPECT_EQ(d[8].third, 0U);
    EXPECT_EQ(d[9].third, 1U) << "lbutton's key state defaults to MK_LBUTTON";
    EXPECT_EQ(d[10].first, 1U);
    EXPECT_FALSE(ParseNumber("18446744073709551616", ~0ULL));
    EXPECT_EQ(ParseNumber("0XfF", 255), 255U);
}

TEST(Replay, StateFilesMatchTheRun) {
    Replay r("state",
             "time 3\n"
             "move 200 150 1\nmove 260 150 1\nmove 500 400\n"
             "key up\nkey f\nidle 2\nwait 1500\nkey s\ndump mid\nkey Esc\nmove 1 1\n");
    ASSERT_EQ(r.status, kExitOk) << r.err.str();
    EXPECT_EQ(r.out.str(), "Velmora: Time: 1.5s\\nFrames: 3\\nAverage FPS: 2.0\n");
    for (const char* suffix : {".front", ".back", ".depth"}) {
        EXPECT_EQ(fs::file_size(r.dir / (std::string("mid") + suffix)), 307200U) << suffix;
    }
    EXPECT_EQ(fs::file_size(r.dir / "mid.palette"), 1024U);
    const auto png = ReadBytes(r.dir / "mid.png");
    ASSERT_GT(png.size(), 8U);
    EXPECT_EQ(png[1], 'P');

    const auto front = ReadBytes(r.dir / "mid.front");
    EXPECT_EQ(front, ReadBytes(r.dir / "mid.back")) << "both buffers hold the last frame";
    // Painted at depth 5 and moved away: a pixel of depth d copies the one 80 - d to its left.
    const auto depth = ReadBytes(r.dir / "mid.depth");
    EXPECT_EQ(static_cast<std::int8_t>(depth[160 * 640 + 215]), 5);
    int copies = 0;
    for (int x = 205; x < 280; ++x) {
        const std::size_t at = 160 * 640 + static_cast<std::size_t>(x);
        if (depth[at] == 5 && depth[at - 1] == 5) {
            EXPECT_EQ(front[at], front[at - 75]) << x;
            ++copies;
        }
    }
    EXPECT_GT(copies, 40);

    const std::string mid = r.Json("mid");
    EXPECT_NE(mid.find("\"DrawingDepth\": 6"), std::string::npos) << mid;
    EXPECT_NE(mid.find("\"FlickerMode\": 1"), std::string::npos);
    EXPECT_NE(mid.find("\"FrameCount\": 0"), std::string::npos);
    EXPECT_NE(mid.find("\"StatsStartTime\": 1500"), std::string::npos);
    EXPECT_NE(mid.find("\"Clock\": 1500"), std::string::npos);
    EXPECT_NE(mid.find("\"PaletteCursor\": 5"), std::string::npos);
    EXPECT_NE(mid.find("\"AttachedPaletteSlot\": 4"), std::string::npos);
    EXPECT_NE(
        mid.find(
            "\"BrushCursor\": {\"x\": 500, \"y\": 400, \"previousX\": 260, \"previousY\": 150}"),
        std::string::npos);
    EXPECT_NE(mid.find("\"Messages\": [\"Time: 1.5s\\nFrames: 3\\nAverage FPS: 2.0\"]"),
              std::string::npos);
    EXPECT_NE(mid.find("\"Running\": true"), std::string::npos);
    EXPECT_NE(mid.find("\"ExitCode\": null"), std::string::npos);

    // After Esc the rest is not run; final shows the picture before release.
    const std::string final = r.Json();
    EXPECT_NE(final.find("\"Running\": false"), std::string::npos) << final;
    EXPECT_NE(final.find("\"ExitCode\": 0"), std::string::npos);
    EXPECT_NE(final.find("\"x\": 500"), std::string::npos) << "the move after Esc never ran";
    EXPECT_EQ(ReadBytes(r.dir / "final.front"), front);
    EXPECT_EQ(ReadBytes(r.dir / "final.palette"), ReadBytes(r.dir / "mid.palette"));
}

TEST(Replay, SameScriptSameFilesAndTheBitmapFileGivesTheSamePicture) {
    const std::string script = "time 42\nmove 300 200 1\nmove 330 210 1\nkey f\nidle 4\n";
    Replay a("same-a", script);
    Replay b("same-b", script);
    Replay file("same-file", "bitmap " VELMORA_DEMO_DIR "/../resources/ALL.bmp\n" + script);
    ASSERT_EQ(a.status, kExitOk);
    ASSERT_EQ(file.status, kExitOk) << file.err.str();
    for (const char* name :
         {"final.front", "final.back", "final.depth", "final.palette", "final.png", "final.json"}) {
        EXPECT_EQ(ReadBytes(a.dir / name), ReadBytes(b.dir / name)) << name;
        EXPECT_EQ(ReadBytes(a.dir / name), ReadBytes(file.dir / name)) << name;
    }
    Replay other("same-other", "time 43\nmove 300 200 1\n");
    EXPECT_NE(ReadBytes(a.dir / "final.front"), ReadBytes(other.dir / "final.front"));
}

TEST(Replay, AfterALossPaintingGoesOnAsIfTheScreenHadNeverBeenTaken) {
    struct Case {
        const char* start;
        const char* lost;  // each dumps "gone" right after the loss
        const char* kept;  // the same run without it
    };
    const char* paint = "key f\nmove 200 150 1\nmove 240 220 1\n";
    const Case cases[] = {
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
    for (const Case& c : cases) {
        const auto script = [&](const char* middle) {
            std::string text = "time 7\n";
            text.append(c.start).append(middle).append(rest);
            return text;
        };
        Replay lost("lost", script(c.lost));
        Replay kept("kept", script(c.kept));
        ASSERT_EQ(lost.status, kExitOk) << lost.err.str();
        const auto gone = ReadBytes(lost.dir / "gone.front");
        EXPECT_EQ(std::count(gone.begin(), gone.end(), 0), 307200) << c.lost;
        for (const char* name : {"mid.front", "mid.back", "mid.palette", "mid.json", "final.front",
                                 "final.back", "final.depth", "final.json"}) {
            EXPECT_EQ(ReadBytes(lost.dir / name), ReadBytes(kept.dir / name)) << c.lost << name;
        }
    }
}

TEST(Replay, StartUpFailureAndUnwritableOutput) {
    Replay failed("startfail", "fail SetDisplayMode\nmove 1 1\n");
    EXPECT_EQ(failed.status, kExitStartUpFailed);
    EXPECT_EQ(failed.out.str(), "Velmora: DirectDraw Init FAILED\n");
    EXPECT_FALSE(fs::exists(failed.dir / "final.front"));
    EXPECT_FALSE(fs::exists(failed.dir / "final.png"));
    const std::string json = failed.Json();
    EXPECT_NE(json.find("\"Messages\": [\"DirectDraw Init FAILED\"]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"Running\": false"), std::string::npos);
    EXPECT_NE(json.find("\"ExitCode\": 1"), std::string::npos);
    EXPECT_NE(json.find("\"AttachedPaletteSlot\": null"), std::string::npos);

    Replay noBitmap("nobitmap", "bitmap /nonexistent/ALL.bmp\n");
    EXPECT_EQ(noBitmap.status, kExitStartUpFailed);

    Replay window("nowindow", "fail CreateWindow\n");
    EXPECT_EQ(window.status, kExitStartUpFailed);
    EXPECT_TRUE(window.out.str().empty()) << "no box when the window cannot be made";

    // A refused lock later in the run is not a start-up failure.
    Replay lock("latefail", "move 100 100\nfail lock 1\nmove 200 200\n");
    EXPECT_EQ(lock.status, kExitOk);

    const fs::path blocker = fs::path(::testing::TempDir()) / "velmora-not-a-dir";
    std::ofstream(blocker) << "x";
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunReplay("move 1 1\n", "s", (blocker / "sub").string(), out, err), kExitCannotWrite);
    const std::string error = err.str();
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1);
    EXPECT_EQ(RunReplay("dump x\n", "s", blocker.string(), out, err), kExitCannotWrite);
}

TEST(Replay, CommandLineAndDemos) {
    std::ostringstream out;
    std::ostringstream err;
    const char* none[] = {"velmora-replay"};
    EXPECT_EQ(ReplayMain(1, none, out, err), kExitBadScript);
    const char* missing[] = {"velmora-replay", "/nonexistent/script"};
    EXPECT_EQ(ReplayMain(2, missing, out, err), kExitBadScript);
    const char* directory[] = {"velmora-replay", "/"};
    EXPECT_EQ(ReplayMain(2, directory, out, err), kExitBadScript);

    for (const char* demo : {"steps", "target", "bars"}) {
        const std::string dir =
            (fs::path(::testing::TempDir()) / (std::string("demo-") + demo)).string();
        const std::string script = std::string(VELMORA_DEMO_DIR) + "/" + demo + ".velmora";
        const char* argv[] = {"velmora-replay", "--out", dir.c_str(), script.c_str()};
        EXPECT_EQ(ReplayMain(4, argv, out, err), kExitOk) << demo << ": " << err.str();
        EXPECT_GT(fs::file_size(fs::path(dir) / "final.png"), 1000U) << demo;
        const std::string json = ReadText(fs::path(dir) / "final.json");
        EXPECT_NE(json.find("\"FlickerMode\": 1"), std::string::npos) << demo;
    }
}

}  // namespace
}  // namespace velmora::replay
