// The vertigon program itself on the Xvfb display: started with the sample it puts a frame on
// the screen, and a close request from the window system ends it cleanly (status 0, which
// under the sanitizers also means no leak and no bad access on the way out). Then the program
// as a person uses it, through real pointer and key events: framing on open, plain drags, the
// right click, Space, Page Down.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include <wx/defs.h>
#include <wx/uiaction.h>

#include <fstream>

#include "tests/app/gui_session.h"
#include "tests/app/screen_grab.h"
#include "tests/fixtures/ffb_demo_sample.h"
#include "tests/fixtures/temp_dir.h"

namespace vertigon {
namespace {

struct Child {
    pid_t pid = -1;
    int errorOutput = -1;  // read end of the child's standard error
};

Child Spawn(const std::vector<std::string>& args) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    return {pid, fds[0]};
}

// Reads the child's standard error until `needle` appears or the time is up.
bool ReadUntil(int fd, const std::string& needle, std::string* text, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    pollfd wait{fd, POLLIN, 0};
    while (text->find(needle) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || poll(&wait, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[512];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return false;
        text->append(buffer, static_cast<size_t>(n));
    }
    return true;
}

// The exit status, or -1 when the child is still running when the time is up (it is then
// killed).
int WaitForExit(pid_t pid, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        usleep(20000);  // polling a process that has no event to wait on
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

TEST(ViewerProgram, ShowsTheSampleAndEndsCleanlyWhenItsWindowIsClosed) {
    REQUIRE_GUI();
    Child child = Spawn({VERTIGON_VIEWER_PATH, "--report-startup", testing::SamplePath("demo.ffb")});
    ASSERT_GT(child.pid, 0);
    std::string errors;
    const bool presented = ReadUntil(child.errorOutput, "first frame on the screen", &errors, std::chrono::seconds(120));
    EXPECT_TRUE(presented) << errors;
    bool closing = false;
    if (presented) {
        // The toolkit may map the window a moment after the first frame: ask until it hears.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!(closing = testing::RequestWindowClose("demo.ffb - Vertigon 0.3", child.pid)) &&
               std::chrono::steady_clock::now() < deadline) {
            usleep(50000);
        }
    }
    EXPECT_TRUE(closing) << "no window titled demo.ffb - Vertigon 0.3";
    const int status = WaitForExit(child.pid, std::chrono::seconds(closing ? 60 : 1));
    ReadUntil(child.errorOutput, "\x01", &errors, std::chrono::seconds(1));  // whatever is left
    close(child.errorOutput);
    EXPECT_EQ(status, 0) << errors;
}

// The program started on `args` whose window is up, titled `title`; closed (status 0) at the
// end. Without a window manager the frame sits where it asks, at (50, 50).
class RunningViewer {
public:
    RunningViewer(const std::vector<std::string>& files, std::string title) : title_(std::move(title)) {
        std::vector<std::string> args = {VERTIGON_VIEWER_PATH, "--report-startup"};
        args.insert(args.end(), files.begin(), files.end());
        child_ = Spawn(args);
        ready_ = child_.pid > 0 && ReadUntil(child_.errorOutput, "first frame on the screen", &errors_,
                                             std::chrono::seconds(120));
        ready_ = ready_ && WaitForTitle(title_);
        Settle();
    }
    ~RunningViewer() {
        if (child_.pid <= 0) return;
        EXPECT_TRUE(testing::RequestWindowClose(title_, child_.pid)) << title_;
        const int status = WaitForExit(child_.pid, std::chrono::seconds(60));
        ReadUntil(child_.errorOutput, "\x01", &errors_, std::chrono::seconds(1));
        close(child_.errorOutput);
        EXPECT_EQ(status, 0) << errors_;
    }
    bool ready() const { return ready_; }
    const std::string& errors() const { return errors_; }
    // The share of one core the program uses over the next `seconds`, from its user and system
    // times in /proc.
    double CoreShareOver(int seconds) const {
        const long before = CpuTicks();
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        return static_cast<double>(CpuTicks() - before) / static_cast<double>(sysconf(_SC_CLK_TCK) * seconds);
    }
    bool WaitForTitle(const std::string& title) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!testing::HasWindowTitled(title, child_.pid)) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            usleep(50000);
        }
        title_ = title;
        return true;
    }
    // Lets the program take in what was sent and draw.
    static void Settle(int milliseconds = 500) { testing::RunUntil([] { return false; }, std::chrono::milliseconds(milliseconds)); }

private:
    long CpuTicks() const {
        std::ifstream file("/proc/" + std::to_string(child_.pid) + "/stat");
        std::string stat;
        std::getline(file, stat);
        // The fields after the name in parentheses: state is the first, utime the 12th.
        std::istringstream fields(stat.substr(stat.rfind(')') + 1));
        std::string skipped;
        for (int i = 0; i < 11; ++i) fields >> skipped;
        long user = 0, system = 0;
        fields >> user >> system;
        return user + system;
    }

    Child child_;
    std::string title_;
    std::string errors_;
    bool ready_ = false;
};

bool Grey(const RgbImage& image, int x, int y) {
    const auto p = image.At(x, y);
    return p[0] == 127 && p[1] == 127 && p[2] == 127;
}

// The view on the screen: the run of background rows down a column left of any model.
struct ViewRows {
    int top = -1, bottom = -1;
    int height() const { return bottom - top + 1; }
};
constexpr int kProbeColumn = 70;
ViewRows FindView(const RgbImage& screen) {
    ViewRows view;
    for (int y = 50; y < screen.height; ++y) {
        if (Grey(screen, kProbeColumn, y)) {
            if (view.top < 0) view.top = y;
            view.bottom = y;
        } else if (view.top >= 0) {
            break;
        }
    }
    return view;
}

// Rows of the view holding anything but background.
int ModelRows(const RgbImage& screen, const ViewRows& view) {
    int rows = 0;
    for (int y = view.top; y <= view.bottom; ++y) {
        bool model = false;
        for (int x = kProbeColumn; x < 1420 && !model; ++x) model = !Grey(screen, x, y);
        rows += model ? 1 : 0;
    }
    return rows;
}

bool SameView(const RgbImage& a, const RgbImage& b, const ViewRows& view) {
    for (int y = view.top; y <= view.bottom; ++y) {
        for (int x = kProbeColumn; x < 1420; ++x) {
            if (a.At(x, y) != b.At(x, y)) return false;
        }
    }
    return true;
}

TEST(ViewerProgram, ATinyAndAHugeModelEachFillMostOfTheViewsHeight) {
    REQUIRE_GUI();
    testing::TempDir dir;
    // 1/4096 and 16 times the demo robot (whose figure is about 265 units tall).
    for (const uint16_t scale : {uint16_t{1}, uint16_t{65535}}) {
        const std::string path = dir.Write("robot" + std::to_string(scale) + ".ffb", testing::BuildStillRobot(scale));
        RunningViewer viewer({path}, "robot" + std::to_string(scale) + ".ffb - Vertigon 0.3");
        ASSERT_TRUE(viewer.ready()) << viewer.errors();
        const RgbImage screen = testing::GrabScreen();
        testing::SaveImage(screen, "framed_robot_" + std::to_string(scale));
        const ViewRows view = FindView(screen);
        ASSERT_GT(view.height(), 400) << "the view is on the screen";
        const double share = static_cast<double>(ModelRows(screen, view)) / view.height();
        EXPECT_GT(share, 0.5) << scale;
        EXPECT_LT(share, 0.9) << scale;
    }
}

// Waits until the view shows something else than `before`; false when five seconds pass first.
bool ViewChanges(const RgbImage& before, const ViewRows& view, RgbImage* now) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    do {
        RunningViewer::Settle(20);  // sends what the simulator queued
        *now = testing::GrabScreen();
        if (!SameView(before, *now, view)) return true;
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

TEST(ViewerProgram, AStillPictureCostsNoProcessorTimeAndMovesAtOnceWhenAsked) {
    REQUIRE_GUI();
    {
        RunningViewer still({testing::SamplePath("winged_totem.raw")}, "winged_totem.raw - Vertigon 0.3");
        ASSERT_TRUE(still.ready()) << still.errors();
        EXPECT_LT(still.CoreShareOver(10), 0.01) << "a model without animation";
    }
    RunningViewer viewer({testing::SamplePath("demo.ffb")}, "demo.ffb - Vertigon 0.3");
    ASSERT_TRUE(viewer.ready()) << viewer.errors();
    const ViewRows view = FindView(testing::GrabScreen());
    ASSERT_GT(view.height(), 400);
    const int middleY = (view.top + view.bottom) / 2;
    wxUIActionSimulator input;
    input.MouseMove(400, middleY);
    input.Char(WXK_SPACE);
    RunningViewer::Settle();
    EXPECT_LT(viewer.CoreShareOver(10), 0.01) << "a paused animation";

    // Every step of a drag is drawn as it comes, not only its end; the first one only anchors.
    input.MouseDown(wxMOUSE_BTN_LEFT);
    input.MouseMove(410, middleY);
    RunningViewer::Settle(200);
    RgbImage shown = testing::GrabScreen();
    for (int x = 430; x <= 530; x += 20) {
        input.MouseMove(x, middleY);
        RgbImage next;
        EXPECT_TRUE(ViewChanges(shown, view, &next)) << "drag to x " << x;
        shown = std::move(next);
    }
    input.MouseUp(wxMOUSE_BTN_LEFT);

    input.Char(WXK_SPACE);
    RunningViewer::Settle();
    const RgbImage playing = testing::GrabScreen();
    RunningViewer::Settle(200);
    EXPECT_FALSE(SameView(playing, testing::GrabScreen(), view)) << "playing: two pictures 200 ms apart";
}

TEST(ViewerProgram, DragsClicksAndKeysWorkWithoutAlt) {
    REQUIRE_GUI();
    RunningViewer viewer({testing::SamplePath("demo.ffb")}, "demo.ffb - Vertigon 0.3");
    ASSERT_TRUE(viewer.ready()) << viewer.errors();
    const ViewRows view = FindView(testing::GrabScreen());
    ASSERT_GT(view.height(), 400);
    const int middleY = (view.top + view.bottom) / 2;
    wxUIActionSimulator input;
    input.MouseMove(400, middleY);  // the keys go where the pointer is
    RunningViewer::Settle(200);

    // Space freezes the picture; Space again moves it.
    input.Char(WXK_SPACE);
    RunningViewer::Settle();
    const RgbImage paused = testing::GrabScreen();
    RunningViewer::Settle();
    EXPECT_TRUE(SameView(paused, testing::GrabScreen(), view)) << "paused: two pictures 500 ms apart";
    input.Char(WXK_SPACE);
    RunningViewer::Settle();
    const RgbImage playing = testing::GrabScreen();
    RunningViewer::Settle();
    EXPECT_FALSE(SameView(playing, testing::GrabScreen(), view)) << "playing again";
    input.Char(WXK_SPACE);
    RunningViewer::Settle();

    // A plain left drag turns the model.
    const RgbImage before = testing::GrabScreen();
    input.MouseDown(wxMOUSE_BTN_LEFT);
    for (int x = 400; x <= 600; x += 20) {
        input.MouseMove(x, middleY);
        RunningViewer::Settle(20);
    }
    input.MouseUp(wxMOUSE_BTN_LEFT);
    RunningViewer::Settle();
    const RgbImage turned = testing::GrabScreen();
    testing::SaveImage(turned, "turned_by_a_plain_drag");
    EXPECT_FALSE(SameView(before, turned, view));

    // A plain right click opens the context menu over the view.
    input.MouseClick(wxMOUSE_BTN_RIGHT);
    RunningViewer::Settle();
    const RgbImage menu = testing::GrabScreen();
    testing::SaveImage(menu, "context_menu_open");
    EXPECT_FALSE(SameView(turned, menu, view)) << "a menu covers part of the view";
    input.Char(WXK_ESCAPE);
    RunningViewer::Settle();
    EXPECT_TRUE(SameView(turned, testing::GrabScreen(), view)) << "Escape closes it";

    // Page Down opens the next model file of the folder, by name.
    input.Char(WXK_PAGEDOWN);
    EXPECT_TRUE(viewer.WaitForTitle("mdlx_sample.mdlx - Vertigon 0.3"));
}

}  // namespace
}  // namespace vertigon
