// A whole game played as a blind player plays it: playbyear.py drives the built program
// through the screen readers' bus (AT-SPI) alone, under a virtual X display and a private
// session bus. Where those tools are missing the test reports itself skipped.

#include "shellcommand.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kSkipped = 77; // SKIP_RETURN_CODE in tst_screenreader.cmake

using quorvel::test::quoted;
using quorvel::test::run;

// What is missing to run the game on the accessibility bus, or nothing.
std::string missingTool()
{
    for (const char *tool : {"xvfb-run", "Xvfb", "xauth", "dbus-run-session"}) {
        if (run(std::string("command -v ") + tool + " >/dev/null 2>&1") != 0)
            return tool;
    }
    // The bus of the screen readers, started on demand by the session bus.
    if (!std::filesystem::exists("/usr/share/dbus-1/services/org.a11y.Bus.service"))
        return "at-spi2-core";
    if (run("/usr/bin/python3 -c 'import pyatspi' >/dev/null 2>&1") != 0)
        return "python3-pyatspi";
    return {};
}

} // namespace

int main()
{
    const std::string missing = missingTool();
    if (!missing.empty()) {
        std::printf("SKIP: %s is not installed\n", missing.c_str());
        return kSkipped;
    }
    const char *games = std::getenv("QUORVEL_GAMES_DIR");
    if (!games) {
        std::printf("FAIL: QUORVEL_GAMES_DIR is not set\n");
        return 1;
    }
    const int status = run("xvfb-run -a dbus-run-session -- /usr/bin/python3 " +
                           quoted(QUORVEL_PLAY_SCRIPT) + " " + quoted(QUORVEL_PROGRAM) + " " +
                           quoted(games) + " 2>&1");
    std::printf("%s\n", status == 0 ? "PASS" : "FAIL");
    return status == 0 ? 0 : 1;
}
