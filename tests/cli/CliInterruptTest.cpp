// Ctrl-C in the middle of a long run, as a terminal sends it: glenvar-cli runs
// with its progress bar on a pseudo-terminal, the test waits until the bar
// shows the phase, then interrupts. Nothing may be written or left behind.

#include "CliHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace clitest;

// glenvar-cli with its standard error on a pseudo-terminal (so the bar is
// shown) and everything else on /dev/null.
class TerminalCli {
  public:
    TerminalCli(const std::vector<std::string>& args, const fs::path& dir) {
        int terminal = -1;
        if (::openpty(&master_, &terminal, nullptr, nullptr, nullptr) != 0)
            return;
        std::vector<std::string> argv{GLENVAR_CLI};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (std::string& a : argv)
            pointers.push_back(a.data());
        pointers.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int nothing = ::open("/dev/null", O_RDWR);
            if (nothing < 0 || ::dup2(nothing, 0) < 0 || ::dup2(nothing, 1) < 0 ||
                ::dup2(terminal, 2) < 0 || ::chdir(dir.c_str()) != 0)
                _exit(126);
            ::execv(pointers[0], pointers.data());
            _exit(127);
        }
        ::close(terminal);
    }
    ~TerminalCli() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0)
            ::close(master_);
    }

    // Reads the terminal until `text` appears; false at the deadline or the end.
    bool WaitFor(const std::string& text, std::chrono::seconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        char buffer[4096];
        while (shown_.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            shown_.append(buffer, size_t(n));
        }
        return true;
    }

    // The exit status, -1 when not ended by exit.
    int Wait() {
        int status = 0;
        const pid_t pid = pid_;
        pid_ = -1;
        if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    pid_t pid() const { return pid_; }
    const std::string& shown() const { return shown_; }

  private:
    int master_ = -1;
    pid_t pid_ = -1;
    std::string shown_;
};

TEST(CliInterrupt, CtrlCDuringErosionWritesNothing) {
    ScratchDir dir;
    TerminalCli cli({"generate", "--width", "2048", "--height", "2048", "--smooth", "2", "--erode",
                     "1000", "-o", "m.ld", "-o", "m.png", "--stencils", GLENVAR_TEST_STENCILS},
                    dir.path());
    ASSERT_GT(cli.pid(), 0);
    ASSERT_TRUE(cli.WaitFor("eroding", std::chrono::seconds(120))) << cli.shown();
    ASSERT_FALSE(dir.Entries().empty()) << "the map file is under way while the map erodes";
    ::kill(cli.pid(), SIGINT);
    EXPECT_EQ(cli.Wait(), 128 + SIGINT);
    EXPECT_TRUE(dir.Entries().empty()) << testing::PrintToString(dir.Entries());
}

}  // namespace
