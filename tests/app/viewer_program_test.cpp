// The vertigon program itself on the Xvfb display: started with the sample it puts a frame on
// the screen, and a close request from the window system ends it cleanly (status 0, which
// under the sanitizers also means no leak and no bad access on the way out).
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "tests/app/gui_session.h"
#include "tests/app/screen_grab.h"

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
        while (!(closing = testing::RequestWindowClose("Vertigon 0.3", child.pid)) &&
               std::chrono::steady_clock::now() < deadline) {
            usleep(50000);
        }
    }
    EXPECT_TRUE(closing) << "no window titled Vertigon 0.3";
    const int status = WaitForExit(child.pid, std::chrono::seconds(closing ? 60 : 1));
    ReadUntil(child.errorOutput, "\x01", &errors, std::chrono::seconds(1));  // whatever is left
    close(child.errorOutput);
    EXPECT_EQ(status, 0) << errors;
}

}  // namespace
}  // namespace vertigon
