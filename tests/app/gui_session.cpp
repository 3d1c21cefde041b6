#include "tests/app/gui_session.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/timer.h>

#include <cstdlib>
#include <filesystem>

#include "app/main_frame.h"
#include "app/render_view.h"
#include "app/viewer.h"
#include "render/device.h"
#include "tests/app/screen_grab.h"

namespace vertigon::testing {

namespace {

class GuiTestApp final : public wxApp {
public:
    bool OnInit() override { return true; }
};

struct GuiState {
    bool tried = false;
    bool ready = false;
    std::string reason;
    pid_t server = -1;
};

GuiState& State() {
    static GuiState state;
    return state;
}

// Starts Xvfb, which picks a free display and writes its number to the pipe.
bool StartServer(GuiState& state) {
    int fds[2];
    if (pipe(fds) != 0) {
        state.reason = "no pipe for Xvfb";
        return false;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        state.reason = "cannot fork for Xvfb";
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        if (FILE* quiet = std::freopen("/dev/null", "w", stderr)) (void)quiet;
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1600x1200x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    state.server = pid;
    std::string display;
    pollfd wait{fds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (display.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        if (poll(&wait, 1, 200) <= 0) continue;
        char buffer[16];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        display.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (display.find('\n') == std::string::npos) {
        state.reason = "Xvfb did not report a display (is it installed?)";
        return false;
    }
    display.erase(display.find('\n'));
    setenv("DISPLAY", (":" + display).c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("GDK_BACKEND", "x11", 1);
    // No accessibility bus on a bare test machine: do not look for one.
    setenv("NO_AT_BRIDGE", "1", 1);
    // Preferences of this process's viewers (and the programs it starts) stay out of the
    // user's own and out of other test processes'.
    char configHome[] = "/tmp/vertigon-test-config-XXXXXX";
    if (mkdtemp(configHome)) setenv("XDG_CONFIG_HOME", configHome, 1);
    return true;
}

void StopServer(GuiState& state) {
    if (state.server <= 0) return;
    kill(state.server, SIGTERM);
    int status = 0;
    waitpid(state.server, &status, 0);
    state.server = -1;
}

class GuiEnvironment final : public ::testing::Environment {
public:
    void TearDown() override {
        GuiState& state = State();
        if (state.ready) {
            wxTheApp->OnExit();
            wxEntryCleanup();
            state.ready = false;
        }
        StopServer(state);
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

std::filesystem::path OutputFolder() {
    const std::filesystem::path folder = std::filesystem::path(VERTIGON_BINARY_DIR) / "app_test_output";
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace

bool RequireGui(std::string* reason) {
    GuiState& state = State();
    if (!state.tried) {
        state.tried = true;
        if (StartServer(state)) {
            wxApp::SetInstance(new GuiTestApp);
            static char name[] = "app_tests";
            static char* argv[] = {name, nullptr};
            int argc = 1;
            if (wxEntryStart(argc, argv) && wxTheApp->CallOnInit()) {
                wxTheApp->SetExitOnFrameDelete(false);
                state.ready = true;
            } else {
                state.reason = "the toolkit did not start on the Xvfb display";
            }
        }
    }
    *reason = state.reason;
    return state.ready;
}

bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    if (done()) return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    wxGUIEventLoop loop;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (done() || std::chrono::steady_clock::now() > deadline) loop.Exit();
    });
    timer.Start(5);
    loop.Run();
    timer.Stop();
    return done();
}

RgbImage CaptureNextFrame(RenderView& view) {
    RgbImage image;
    bool captured = false;
    view.SetBeforePresent([&] {
        image = ReadFramebufferPixels(0, view.viewWidth(), view.viewHeight());
        captured = true;
    });
    // A view at rest draws only when asked.
    view.Refresh(false);
    RunUntil([&] { return captured; });
    view.SetBeforePresent(nullptr);
    return image;
}

bool CloseViewer(Viewer& viewer) {
    if (!viewer.frame()) return true;
    viewer.frame()->Close(true);
    return RunUntil([&] { return !viewer.frame() && !viewer.view() && !viewer.browser(); });
}

void SaveImage(const RgbImage& image, const std::string& name) {
    WritePng(image, (OutputFolder() / (name + ".png")).string());
}

void SaveScreen(const std::string& name) {
    const RgbImage screen = GrabScreen();
    if (screen.width > 0) SaveImage(screen, name);
}

std::string SamplePath(const std::string& name) {
    return (std::filesystem::path(VERTIGON_SOURCE_DIR) / "samples" / name).string();
}

}  // namespace vertigon::testing
