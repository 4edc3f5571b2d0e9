#include "app/command_line.h"

#include "app/program.h"

namespace velmora::app {

Options ParseOptions(const std::vector<std::string>& arguments, bool windowAvailable) {
    Options options;
    const auto fail = [&options](std::string error) {
        options.action = Options::Action::kError;
        options.error = std::move(error);
        return options;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.action = Options::Action::kHelp;
            return options;
        }
        if (argument == "--version") {
            options.action = Options::Action::kVersion;
            return options;
        }
        if (argument == "--open" || argument == "--save-dir") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                return fail("option '" + argument + "' needs an argument");
            }
            (argument == "--open" ? options.openPath : options.saveFolder) = arguments[++i];
        } else if (argument == "--window" && windowAvailable) {
            options.windowed = true;
        } else if (argument == "--window") {
            return fail("option '--window' is not available in this build");
        } else {
            return fail("unknown option '" + argument + "'");
        }
    }
    return options;
}

std::optional<int> PrepareRun(const Options& options, bool windowAvailable,
                              files::DecodedDepth& opened, std::ostream& out, std::ostream& err) {
    switch (options.action) {
        case Options::Action::kHelp:
            out << UsageText(windowAvailable);
            return 0;
        case Options::Action::kVersion:
            out << VersionText();
            return 0;
        case Options::Action::kError:
            err << "velmora: " << options.error << "\n" << UsageText(windowAvailable);
            return 2;
        case Options::Action::kRun:
            break;
    }
    if (!options.openPath.empty()) {
        opened = files::ReadDepthFile(options.openPath);
        if (!opened.error.empty()) {
            err << "velmora: " << opened.error << "\n";
            return 2;
        }
    }
    return std::nullopt;
}

void TakeOptions(Program& program, const Options& options, const std::string& defaultSaveFolder,
                 files::DecodedDepth opened) {
    program.work.saveFolder = options.saveFolder.empty() ? defaultSaveFolder : options.saveFolder;
    program.work.openedDepth = std::move(opened.depth);
    program.work.openedBrush = opened.brush;
}

std::string UsageText(bool windowAvailable) {
    std::string text = "usage: velmora [--open FILE] [--save-dir DIR]";
    text += windowAvailable ? " [--window]\n" : "\n";
    text +=
        "       velmora --help | --version\n"
        "\n"
        "Paints a random-dot stereogram with the mouse.\n"
        "\n"
        "options:\n"
        "  --open FILE     start from a depth map (a PNG: one saved by F2, or any\n"
        "                  picture, read by brightness: black far, white near)\n"
        "  --save-dir DIR  where F2 saves (default: the pictures folder, else home)\n";
    if (windowAvailable) {
        text += "  --window        a window of its own instead of the whole screen\n";
    }
    text +=
        "  --help          this text\n"
        "  --version       the version\n"
        "\n"
        "mouse and keys:\n"
        "  move            the brush, seen only in depth\n"
        "  left button     paint a plateau at the drawing depth\n"
        "  right button    clear the depth under the brush\n"
        "  Up / Down       drawing depth nearer / farther (-3 .. 30)\n"
        "  F               flicker on / off\n"
        "  B               bi-directional scans on / off\n"
        "  S, Space        speed (frame rate)\n"
        "  Ctrl+Z          take the last stroke or opened map back\n"
        "  Ctrl+Y          put it again (also Ctrl+Shift+Z)\n";
    if (windowAvailable) {
        text +=
            "  D               depth view on / off\n"
            "  drop a PNG      on the picture: open it as --open does (Ctrl+Z takes it back)\n";
    }
    text +=
        "  F2              save the picture and its depth map as PNG files\n"
        "  F1              command list\n"
        "  Esc, F12        quit\n";
    return text;
}

std::string VersionText() {
    return std::string("velmora ") + VELMORA_VERSION + "\n";
}

}  // namespace velmora::app
