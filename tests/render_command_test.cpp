// orbisk-render as a user runs it: its arguments, its outputs and its exit codes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "render/render_options.h"
#include "tests/sanitized.h"

namespace orbisk {
namespace {

namespace fs = std::filesystem;

struct Result {
    int exitCode;
    std::string out;
    std::string err;
};

class RenderCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("orbisk-render-test-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // `before` goes in front of the program in the shell's command.
    Result run(const std::string& arguments, const std::string& before = "") const {
        const std::string errFile = (dir / "stderr").string();
        const std::string command = before + ORBISK_RENDER + " " + arguments + " 2>" + errFile;
        Result result{};
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) result.out += buffer;
        const int status = ::pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::ifstream err(errFile);
        result.err.assign(std::istreambuf_iterator<char>(err), {});
        return result;
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
};

TEST_F(RenderCommand, FirstFrameStatsAndPpm) {
    const Result r = run("--frames 1 --stats --out " + path("one.ppm"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "frame 1\ncursor 204\nmoved 1536\ncountsum 38400\nmaxcount 192\n"
                     "grid 0 pattern 0 stage 0 laststage 0\nstatehash 51884402315fe6c5\n");
    std::ifstream ppm(path("one.ppm"), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(ppm), {});
    const std::string header = "P6\n640 480\n255\n";
    ASSERT_EQ(bytes.size(), header.size() + 640 * 480 * 3);
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    // Slot 0 shows on the first stack at (20, 20) in its seed colour, blue.
    const std::size_t at = header.size() + (20 * 640 + 20) * 3;
    EXPECT_EQ(bytes.substr(at, 3), std::string("\x00\x00\xff", 3));
}

TEST_F(RenderCommand, WritesEveryKthFrameAndPng) {
    const Result r = run("--frames 4 --every 2 --format 8 --out " + path("f.png"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const char* name : {"f.png", "f-000002.png", "f-000004.png"}) {
        std::ifstream png(path(name), std::ios::binary);
        char signature[8] = {};
        png.read(signature, 8);
        EXPECT_EQ(std::string(signature, 8), "\x89PNG\r\n\x1a\n") << name;
    }
    EXPECT_FALSE(fs::exists(path("f-000001.png")));
    EXPECT_FALSE(fs::exists(path("f-000003.png")));
}

TEST_F(RenderCommand, BadArgumentsGiveOneLineAndExitCodeTwo) {
    const std::string out = " --out " + path("x.png");
    for (const std::string& arguments :
         {std::string("--frames 1 --out"), "--frames 1 --out " + path("x.gif"), "--out " + path("x.png"),
          "--frames 0" + out, "--frames -3" + out, "--frames 1x" + out, "--frames 1 --format 12" + out,
          "--frames 1 --fps 0" + out, "--frames 1 --every" + out, "--frames 1 --colour red" + out,
          "--frames 1 --epoch 1e9" + out, std::string(""), "-\"$(printf 'x\\ny\\033[31m')\"" + out}) {
        const Result r = run(arguments);
        EXPECT_EQ(r.exitCode, 2) << arguments;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << arguments << ": " << r.err;
        EXPECT_EQ(r.err.rfind("orbisk-render: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err; // a terminal's escape, shown as \x1B
    }
    EXPECT_FALSE(fs::exists(path("x.png")));
}

TEST_F(RenderCommand, UnwritableOutputExitsOneBeforeTheRunSayingWhy) {
    // A writable file in a folder that takes no new file. Root may write anywhere: as root the folder is another
    // user's, and the program runs without the right to pass over permissions.
    fs::create_directories(path("locked"));
    std::ofstream(path("locked/x.png")) << "an earlier picture";
    fs::permissions(path("locked/x.png"), fs::perms::all);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path("locked").c_str(), 65534, 65534), 0);
    }
    fs::permissions(path("locked"), root ? fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                               fs::perms::others_exec
                                         : fs::perms::owner_read | fs::perms::owner_exec);
    ASSERT_EQ(::mkfifo(path("fifo.png").c_str(), 0600), 0);
    const std::string unprivileged = root ? "setpriv --bounding-set -dac_override,-dac_read_search " : "";
    std::vector<std::array<std::string, 3>> cases = {
        {"missing/dir/x.png", "", "its folder '" + path("missing/dir") + "': No such file or directory"},
        {"locked/x.png", unprivileged, "its folder '" + path("locked") + "' takes no new file: Permission denied"},
        {"fifo.png", "timeout 10 ", "it is a FIFO that nobody reads"},
        {std::string(300, 'n') + ".png", "", "its name is 304 bytes long, more than the 255 its folder takes"},
    };
    if (root) { // another user's file that all may write, in another user's folder with the sticky bit
        fs::create_directories(path("sticky"));
        std::ofstream(path("sticky/x.png")) << "an earlier picture";
        fs::permissions(path("sticky/x.png"), fs::perms::all);
        fs::permissions(path("sticky"), fs::perms::all | fs::perms::sticky_bit);
        for (const char* name : {"sticky/x.png", "sticky"}) ASSERT_EQ(::chown(path(name).c_str(), 65534, 65534), 0);
        cases.push_back({"sticky/x.png", "setpriv --bounding-set -fowner ",
                         "it is another user's file in '" + path("sticky") +
                             "', a folder with the sticky bit, where only its owner may replace it"});
    }
    for (const auto& [out, before, says] : cases) {
        const Result r = run("--frames 2000 --out " + path(out), before);
        EXPECT_EQ(r.exitCode, 1) << out;
        EXPECT_EQ(r.err, "orbisk-render: cannot write '" + path(out) + "': " + says + "\n"); // no progress: no run
    }
    fs::permissions(path("locked"), fs::perms::owner_all); // to be removed
}

TEST_F(RenderCommand, WritesWhereThePathLeadsAndKeepsWhatIsThere) {
    ASSERT_EQ(run("--frames 1 --out " + path("plain.ppm")).exitCode, 0);
    const std::string picture = read("plain.ppm");
    fs::create_symlink("target.ppm", path("link.ppm"));
    fs::create_symlink("made.ppm", path("dangling.ppm"));
    fs::create_symlink("/dev/null", path("null.ppm"));
    std::ofstream(path("private.ppm")) << "old";
    fs::permissions(path("private.ppm"), fs::perms::owner_read | fs::perms::owner_write);
    // As root, another user's file, replaced without the right to act as any file's owner: it stays theirs.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path("private.ppm").c_str(), 65534, 65534), 0);
    }
    const std::string asOwnerOnly = root ? "setpriv --bounding-set -fowner " : "";
    std::ofstream(path("linked.ppm")) << "old";
    fs::create_hard_link(path("linked.ppm"), path("other-name.ppm"));
    ASSERT_EQ(::mkfifo(path("fifo.ppm").c_str(), 0600), 0);
    std::string fromFifo;
    std::thread reader([&] { fromFifo = read("fifo.ppm"); });
    const std::string leftover = "touch " + path("left.ppm") + ".tmp$$; exec "; // as an earlier run of this PID left
    for (const auto& [name, before] : {std::pair<std::string, std::string>{"link", ""},
                                       {"dangling", ""},
                                       {"null", ""},
                                       {"private", asOwnerOnly},
                                       {"linked", ""},
                                       {"fifo", ""},
                                       {"left", leftover},
                                       {std::string(245, 'a'), ""}}) {
        const Result r = run("--frames 1 --out " + path(name + ".ppm"), before);
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
    }
    reader.join();
    for (const char* name : {"target", "made", "private", "linked", "other-name", "left"})
        EXPECT_TRUE(read(name + std::string(".ppm")) == picture) << name; // not printed: 900 KB
    EXPECT_TRUE(fromFifo == picture);
    for (const char* name : {"link", "dangling", "null"}) EXPECT_TRUE(fs::is_symlink(path(name + std::string(".ppm"))));
    EXPECT_EQ(fs::status(path("private.ppm")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    struct stat owner {};
    EXPECT_TRUE(::stat(path("private.ppm").c_str(), &owner) == 0 && owner.st_uid == (root ? 65534 : ::geteuid()));
    const Result full = run("--frames 1 --out " + path("full.ppm"), "ln -s /dev/full " + path("full.ppm") + "; ");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
}

TEST_F(RenderCommand, APathToADescriptorOfTheProgramIsWrittenThroughIt) {
    ASSERT_EQ(run("--frames 1 --out " + path("plain.png")).exitCode, 0);
    const std::string picture = read("plain.png");
    fs::create_symlink("/dev/stdout", path("out.png"));
    fs::create_symlink("/dev/fd/3", path("three.png"));
    std::ofstream(path("log")) << "kept\n";
    const std::string out = " --out " + path("out.png");
    EXPECT_EQ(run("--frames 1" + out + " >>" + path("log")).exitCode, 0);
    run("--frames 1" + out + " | cat >" + path("piped"));
    EXPECT_EQ(run("--frames 1 --out " + path("three.png") + " 3>" + path("fd3")).exitCode, 0);
    EXPECT_TRUE(read("log") == "kept\n" + picture) << read("log").size() << " bytes"; // appended to
    EXPECT_TRUE(read("piped") == picture) << read("piped").size() << " bytes";
    EXPECT_TRUE(read("fd3") == picture);
    EXPECT_TRUE(fs::is_symlink(path("out.png")));
    const Result r = run("--frames 2000" + out + " 1<" + path("log"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "orbisk-render: cannot write '" + path("out.png") +
                         "' (which leads to '/proc/self/fd/1'): descriptor 1 is not open for writing\n");
}

TEST_F(RenderCommand, ResourceLimitsEndInOneLineAndExitCodeOne) {
    const auto oneLine = [](const Result& r) {
        return r.exitCode == 1 && r.err.starts_with("orbisk-render: ") && std::ranges::count(r.err, '\n') == 1;
    };
    // Below some limit the program's libraries cannot be loaded: the program never starts.
    const auto started = [](const Result& r) {
        return r.exitCode != 127 || r.err.find("error while loading shared libraries") == std::string::npos;
    };
    const Result big = run("--frames 1 --out " + path("big.ppm"), "prlimit --fsize=100000 ");
    EXPECT_EQ(big.err, "orbisk-render: cannot write '" + path("big.ppm") + "': File too large\n");
    EXPECT_TRUE(oneLine(big));
    for (int files = 4; files <= 8; ++files) { // (LeakSanitizer, where it is built in, would need some at the end)
        const std::string limit = "ASAN_OPTIONS=detect_leaks=0 prlimit --nofile=" + std::to_string(files) + " ";
        const Result r = run("--frames 2 --every 1 --out " + path("n.png"), limit);
        EXPECT_TRUE(!started(r) || r.exitCode == 0 || oneLine(r)) << files << " files: " << r.err;
    }
    // Memory, from too little to load the program's libraries to enough for the run.
    bool ran = Sanitized;
    for (int kilobytes = 4000; kilobytes <= 16000 && !ran; kilobytes += 200) {
        const std::string limit = "prlimit --as=" + std::to_string(kilobytes * 1024) + " ";
        const Result r = run("--frames 10 --every 5 --out " + path("m.png"), limit);
        ran = r.exitCode == 0;
        EXPECT_TRUE(!started(r) || ran || oneLine(r)) << kilobytes << " KB: " << r.err;
    }
    EXPECT_TRUE(ran);
    const std::regex kept("big\\.ppm|[nm](-0000[0-9]{2})?\\.png|stderr");
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_TRUE(std::regex_match(entry.path().filename().string(), kept)) << entry.path();
}

// Waits up to ten seconds for the child to end: 128 + the signal that ended it, its exit code, or -1 (then killed).
int waitEnd(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 1000; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

// Starts orbisk-render with its standard output on `output`, if that is given.
pid_t startRender(const std::vector<std::string>& arguments, int output = -1) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (output >= 0) ::dup2(output, 1);
        for (int s : {SIGINT, SIGHUP}) ::signal(s, SIG_DFL); // as a shell with job control starts a program
        std::vector<char*> argv{const_cast<char*>(ORBISK_RENDER)};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(ORBISK_RENDER, argv.data());
        ::_exit(127);
    }
    return pid;
}

TEST_F(RenderCommand, StopSignalsAtAnyMomentEndTheRunByThatSignal) {
    // While it writes the pictures of --every.
    int runs = 0;
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGTERM, SIGINT, SIGHUP}) {
        const std::string out = path("s" + std::to_string(++runs) + ".png"); // slow to encode: mostly writing
        const pid_t pid = startRender({"--frames", "100000", "--every", "1", "--out", out});
        // Stopped while it writes frame 3 or soon after.
        for (int i = 0; i < 3000 && !fs::exists(numberedImagePath(out, 2)); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ::kill(pid, signal);
        EXPECT_EQ(waitEnd(pid), 128 + signal) << strsignal(signal);
    }
    // Blocked on a FIFO that its reader holds open but does not read: the write ends part done.
    ASSERT_EQ(::mkfifo(path("held.ppm").c_str(), 0600), 0);
    const int reader = ::open(path("held.ppm").c_str(), O_RDONLY | O_NONBLOCK);
    const pid_t blocked = startRender({"--frames", "30", "--out", path("held.ppm")});
    int waiting = 0;
    for (int i = 0; i < 1000 && waiting < 65536; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        ::ioctl(reader, FIONREAD, &waiting);
    ::kill(blocked, SIGTERM);
    EXPECT_EQ(waitEnd(blocked), 128 + SIGTERM) << "blocked on a FIFO";
    ::close(reader);
    fs::remove(path("held.ppm"));
    // At the last steps of the last picture, and while the stats are written (strace delivers the signal on
    // entering the call): its first write, its sync and its rename, the stats' write.
    ASSERT_EQ(run("--frames 1 --out " + path("new.png")).exitCode, 0);
    for (const auto& [call, when] : {std::pair{"write", 1}, {"fsync", 1}, {"renameat", 1}, {"write", 2}}) {
        std::ofstream(path("last.png")) << "old";
        const std::string inject = "-e inject=" + std::string(call) + ":signal=TERM:when=" + std::to_string(when);
        const Result r = run("--frames 1 --stats --out " + path("last.png"), "strace -o /dev/null " + inject + " ");
        EXPECT_EQ(r.exitCode, 128 + SIGTERM) << call << " " << when << ": " << r.err;
        EXPECT_TRUE(r.out.empty() || when == 2) << call << ": stats printed after the stop";
        EXPECT_TRUE(read("last.png") == "old" || read("last.png") == read("new.png")) << call << " " << when;
    }
    const std::regex kept("s[1-6]-[0-9]{6}\\.png|new\\.png|last\\.png|stderr");
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_TRUE(std::regex_match(entry.path().filename().string(), kept)) << entry.path();
}

TEST_F(RenderCommand, FailedRunLeavesTheOutputAsItWasAndNoTemporaryFile) {
    std::ofstream(path("kept.ppm")) << "an earlier picture";
    for (const std::string name : {"kept", "new"}) {
        fs::create_directory(path(name + "-000002.ppm")); // so frame 2's picture cannot be written
        EXPECT_EQ(run("--frames 4 --every 2 --out " + path(name + ".ppm")).exitCode, 1) << name;
    }
    std::ifstream kept(path("kept.ppm"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "an earlier picture");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4); // and stderr
}

TEST_F(RenderCommand, HelpGoesToStandardOutputAndLostOutputIsAnError) {
    const Result r = run("--help");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, RenderUsage);
    const std::string stats = "--frames 1 --stats --out " + path("x.png");
    for (const std::string& arguments : {"--help >/dev/full" + std::string(), stats + " >/dev/full", stats + " >&-"}) {
        const Result lost = run(arguments);
        EXPECT_EQ(lost.exitCode, 1) << arguments;
        EXPECT_TRUE(lost.err.starts_with("orbisk-render: cannot write to standard output: ")) << lost.err;
    }
    EXPECT_EQ(run("--frames 1 --out " + path("x.png") + " >&-").exitCode, 0); // nothing for it to lose
    int unread[2];                                                            // a pipe that nobody reads any more
    ASSERT_EQ(::pipe(unread), 0);
    ::close(unread[0]);
    const pid_t pid = startRender({"--frames", "1", "--stats", "--out", path("x.png")}, unread[1]);
    ::close(unread[1]);
    EXPECT_EQ(waitEnd(pid), 1) << "not SIGPIPE";
}

TEST(RenderOptions, DefaultsAndValues) {
    const ParsedRenderCommand defaults = parseRenderCommand({"--frames", "5", "--out", "a.PNG"});
    ASSERT_TRUE(defaults.options);
    EXPECT_EQ(defaults.options->fps, 60u);
    EXPECT_EQ(defaults.options->epoch, DefaultEpoch);
    EXPECT_EQ(defaults.options->format, PictureFormat::Xrgb8888);
    EXPECT_EQ(defaults.options->kind, ImageKind::Png);
    EXPECT_FALSE(defaults.options->stats);

    const ParsedRenderCommand all = parseRenderCommand({"--out", "b.ppm", "--frames", "9", "--fps", "30", "--epoch",
                                                        "-5", "--format", "15", "--stats", "--every", "3"});
    ASSERT_TRUE(all.options) << all.error;
    EXPECT_EQ(all.options->frames, 9u);
    EXPECT_EQ(all.options->fps, 30u);
    EXPECT_EQ(all.options->epoch, -5);
    EXPECT_EQ(all.options->format, PictureFormat::Rgb555);
    EXPECT_EQ(all.options->kind, ImageKind::Ppm);
    EXPECT_TRUE(all.options->stats);
    EXPECT_EQ(all.options->every, 3u);
    EXPECT_EQ(parseRenderCommand({"--frames", "00000000000000000000001", "--out", "c.png"}).options->frames, 1u);
    EXPECT_NE(parseRenderCommand({"--frames", "1", "--epoch", "1e9", "--out", "c.png"})
                  .error.find("from -4611686018427387904 to 4611686018427387903, not '1e9'"),
              std::string::npos);
    EXPECT_EQ(numberedImagePath("out/b.ppm", 123), "out/b-000123.ppm");
    EXPECT_EQ(numberedImagePath("b.png", 1234567), "b-1234567.png");
}

} // namespace
} // namespace orbisk
