#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/command_line.h"
#include "app_support.h"
#include "stereo/relief.h"

namespace velmora::app {
namespace {

namespace fs = std::filesystem;
using test::Replay;

// 1700000000 s is 2023-11-14 22:13:20 UTC.
constexpr const char* kStamp = "velmora-20231114-221320";

TEST(Save, F2WritesWhatIsOnScreenUnderNewNamesAndAFailedWriteLeavesNothing) {
    Replay r("save",
             "time 1700000000\nlbutton 300 200\nmove 400 300\nkey F2\nwait 999\nkey F2\n"
             "fail WriteFile 1 1\nkey F2\nfail WriteFile\nkey F2\ndump d\n");
    ASSERT_EQ(r.status, 0) << r.err.str();
    const std::string base = (r.dir / kStamp).string();
    EXPECT_EQ(r.out.str(),
              "Velmora: Saved the picture and its depth map:\\n" + base + ".png\\n" + base +
                  "-depth.png\nVelmora: Saved the picture and its depth map:\\n" + base +
                  "-2.png\\n" + base + "-2-depth.png\nVelmora: Could not save the depth map: " +
                  "cannot write '" + base + "-3-depth.png': no space left on device\\nThe " +
                  "picture was saved as " + base + "-3.png\nVelmora: Could not save the " +
                  "picture: cannot write '" + base + "-4.png': no space left on device\n");
    // Nothing half-written, no temporary file left: two dumps of seven files
    // and the five saved ones the boxes name.
    int files = 0;
    int ours = 0;
    for (const auto& entry : fs::directory_iterator(r.dir)) {
        ++files;
        ours += entry.path().filename().string().rfind(kStamp, 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(files * 100 + ours, (2 * 7 + 5) * 100 + 5);
    // The saved files are the screen and the depth map, the resting brush
    // included and recorded.
    EXPECT_EQ(r.File(kStamp + std::string(".png")), r.File("d.png"));
    EXPECT_EQ(r.File(kStamp + std::string("-depth.png")), r.File("d-depth.png"));
    const auto saved = r.File(kStamp + std::string("-depth.png"));
    const files::DecodedDepth depth = files::DecodeDepthPng(saved.data(), saved.size());
    const auto dumped = r.File("d.depth");
    EXPECT_TRUE(std::equal(dumped.begin(), dumped.end(), depth.depth.begin(),
                           [](std::uint8_t a, std::int8_t b) { return a == std::uint8_t(b); }));
    ASSERT_TRUE(depth.brush.has_value());
    EXPECT_EQ(depth.brush->x * 1000 + depth.brush->y, 400300);
}

// Plateaus at every drawing depth, -3 .. 30, and the brush resting on
// another at 30 (31 and 32 under its rim and core).
std::string EveryDepthScript() {
    std::string script = "time 1700000000\n";
    for (int i = 0; i < 8; ++i) {
        script += "key Down\n";
    }
    for (int d = -3; d <= 30; ++d) {
        const int i = d + 3;
        script += "lbutton " + std::to_string(90 + 35 * (i % 15)) + " " +
                  std::to_string(20 + 120 * (i / 15)) + "\nkey Up\n";
    }
    return script + "lbutton 230 260\n";
}

TEST(Open, SaveOpenSaveGivesTheSameDepthMapAndTheStereogramShowsIt) {
    Replay first("every", EveryDepthScript() + "key F2\n");
    ASSERT_EQ(first.status, 0) << first.err.str();
    const auto saved = first.File(kStamp + std::string("-depth.png"));
    std::vector<bool> seen(36, false);
    for (const std::uint8_t d : first.File("final.depth")) {
        seen.at(static_cast<std::int8_t>(d) + 3) = true;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 36);

    files::DecodedDepth opened =
        files::DecodedDepth(files::DecodeDepthPng(saved.data(), saved.size()));
    ASSERT_TRUE(opened.error.empty()) << opened.error;
    // Opened: the brush rests where it starts. Moved onto the spot where it
    // rested when saved, everything is as it was.
    Replay second("reopened", "time 1700000000\ndump open\nmove 230 260\nkey F2\n", opened);
    ASSERT_EQ(second.status, 0) << second.err.str();
    EXPECT_EQ(second.File(kStamp + std::string("-depth.png")), saved);

    // Right after opening, the picture is the stereogram of the map: where
    // the depth has been flat for 40 columns, a pixel repeats the one 80 - d
    // to its left.
    const auto depth = second.File("open.depth");
    const auto front = second.File("open.front");
    int flat = 0;
    int repeating = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 120; x < 640; ++x) {
            const auto at = [&](int column) {
                return static_cast<std::int8_t>(depth[y * 640 + column]);
            };
            bool same = true;
            for (int k = 1; k <= 40 && same; ++k) {
                same = at(x - k) == at(x);
            }
            flat += same ? 1 : 0;
            repeating += same && front[y * 640 + x] == front[y * 640 + x - 80 + at(x)] ? 1 : 0;
        }
    }
    EXPECT_GT(flat, 200000);
    EXPECT_EQ(repeating, flat);
}

TEST(Open, AFileThatCannotBeOpenedStartsNothing) {
    std::ostringstream out;
    std::ostringstream err;
    const fs::path dir = test::OwnPath("not-started");
    for (const std::string& bad :
         {std::string("/nonexistent.png"), std::string(VELMORA_DEMO_DIR "/bars.velmora")}) {
        const char* argv[] = {"velmora-replay", "--out", dir.c_str(), "--open", bad.c_str(), "-"};
        err.str("");
        EXPECT_EQ(replay::ReplayMain(6, argv, out, err), replay::kExitBadScript);
        const std::string line = err.str();
        EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
        EXPECT_NE(line.find(bad), std::string::npos);
        EXPECT_FALSE(fs::exists(dir));
    }
}

TEST(DepthView, DShowsTheReliefInsteadOfTheStereogramAndChangesNothingElse) {
    Replay a("view", "lbutton 200 100\nkey D\nmove 300 300\ndump v\nkey D\ndump s\n");
    Replay b("noview", "lbutton 200 100\nmove 300 300\ndump v\ndump s\n");
    for (const char* name : {"v.front", "v.back", "v.depth", "v.palette", "v.json", "v-depth.png",
                             "s.png", "s.json"}) {
        EXPECT_EQ(a.File(name), b.File(name)) << name;
    }
    const auto relief = test::DecodeRgb(a.File("v.png"));
    ASSERT_EQ(relief.size(), 640U * 480U * 3U);
    const auto grey = [&](int x, int y) { return relief[(y * 640 + x) * 3]; };
    EXPECT_EQ(grey(20, 400), stereo::DepthGrey(0));
    EXPECT_EQ(grey(215, 110), stereo::DepthGrey(5));  // inside the plateau
}

TEST(CommandLine, OptionsHelpVersionAndMistakes) {
    struct Case {
        std::vector<std::string> arguments;
        bool windowAvailable;
        Options::Action action;
        std::string detail;  // the error, or open|save|windowed
    };
    using A = Options::Action;
    const Case cases[] = {
        {{}, true, A::kRun, "||0"},
        {{"--open", "m.png", "--save-dir", "out", "--window"}, true, A::kRun, "m.png|out|1"},
        {{"--window", "--help", "--bogus"}, true, A::kHelp, ""},
        {{"--version"}, false, A::kVersion, ""},
        {{"--window"}, false, A::kError, "option '--window' is not available in this build"},
        {{"--save-dir", ""}, true, A::kError, "option '--save-dir' needs an argument"},
    };
    for (const Case& c : cases) {
        const Options o = ParseOptions(c.arguments, c.windowAvailable);
        EXPECT_EQ(o.action, c.action) << c.detail;
        if (c.action == A::kRun) {
            EXPECT_EQ(o.openPath + "|" + o.saveFolder + "|" + (o.windowed ? "1" : "0"), c.detail);
        } else if (c.action == A::kError) {
            EXPECT_EQ(o.error, c.detail);
        }
    }
    std::ostringstream out;
    std::ostringstream err;
    files::DecodedDepth opened;
    EXPECT_EQ(PrepareRun(ParseOptions({"--help"}, true), true, opened, out, err), 0);
    EXPECT_EQ(out.str(), UsageText(true));
    EXPECT_EQ(UsageText(false).find("--window"), std::string::npos);
    EXPECT_EQ(PrepareRun(ParseOptions({"-x"}, true), true, opened, out, err), 2);
    EXPECT_EQ(err.str(), "velmora: unknown option '-x'\n" + UsageText(true));
    err.str("");
    EXPECT_EQ(PrepareRun(ParseOptions({"--open", "/no.png"}, true), true, opened, out, err), 2);
    EXPECT_EQ(err.str().rfind("velmora: /no.png: ", 0), 0U) << err.str();
    EXPECT_FALSE(PrepareRun(ParseOptions({}, true), true, opened, out, err).has_value());
}

}  // namespace
}  // namespace velmora::app
