// orbisk-x11 on the Xvfb display of DISPLAY (on-xvfb.sh starts one per depth): its picture pixel for pixel
// against orbisk-render's, where it draws it, and how it starts and ends.
#include <gtest/gtest.h> // before Xlib, whose None macro breaks it

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
// A stop ends the hack within half a second; the checks allow it three, which a 2-core machine keeps under the load
// of a parallel build and test run. A hack that waited for its server would take the full 5 s of waitExit.
constexpr auto StopTime = 3s;
using Strings = std::vector<std::string>;
constexpr int PictureWidth = 640, PictureHeight = 480;

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned long> pixels;
    unsigned long at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct Proc {
    pid_t pid = -1;
    std::string out, err;      // files
    std::optional<int> status; // exit code, or 128 + signal
};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string hex(unsigned long value) {
    std::ostringstream text;
    text << "0x" << std::hex << value;
    return text.str();
}

int xErrors = 0;
int countError(Display*, XErrorEvent*) { return ++xErrors, 0; }

// What a width x height window shows: the picture, each pixel a scale x scale block, centred (the odd pixel right
// and bottom), 0 around it.
Picture centred(const Picture& picture, int width, int height, int scale = 1) {
    Picture p{width, height, std::vector<unsigned long>(static_cast<std::size_t>(width) * height)};
    const int left = (width - PictureWidth * scale) >> 1, top = (height - PictureHeight * scale) >> 1;
    for (int y = std::max(top, 0); y < std::min(top + PictureHeight * scale, height); ++y)
        for (int x = std::max(left, 0); x < std::min(left + PictureWidth * scale, width); ++x)
            p.pixels[static_cast<std::size_t>(y) * width + x] = picture.at((x - left) / scale, (y - top) / scale);
    return p;
}

// "" when the pictures agree, else how many pixels differ and the first of them.
std::string difference(const Picture& seen, const Picture& expected) {
    if (seen.width != expected.width || seen.height != expected.height || seen.pixels.size() != expected.pixels.size())
        return "a picture of " + std::to_string(seen.width) + "x" + std::to_string(seen.height);
    std::ostringstream first;
    int wrong = 0;
    for (int y = 0; y < seen.height; ++y)
        for (int x = 0; x < seen.width; ++x)
            if (seen.at(x, y) != expected.at(x, y) && wrong++ == 0)
                first << " (" << x << "," << y << ") is " << hex(seen.at(x, y)) << ", not " << hex(expected.at(x, y));
    return wrong ? std::to_string(wrong) + " pixels differ, first" + first.str() : "";
}

class Hack : public testing::Test {
protected:
    void SetUp() override {
        dpy = XOpenDisplay(nullptr);
        ASSERT_NE(dpy, nullptr) << "no display: run through on-xvfb.sh";
        XSetErrorHandler(countError);
        root = DefaultRootWindow(dpy);
        depth = DefaultDepth(dpy, 0);
        char dir[] = "/tmp/orbisk-x11-test.XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        tmp = dir;
    }

    void TearDown() override {
        for (Proc& p : procs)
            if (!p.status) kill(p.pid, SIGKILL), waitpid(p.pid, nullptr, 0);
        if (dpy) XCloseDisplay(dpy); // and with it every window the test made
        std::filesystem::remove_all(tmp);
    }

    // Starts a program with stdout and stderr in files, or with all its standard streams closed; env holds
    // "NAME=VALUE" to set and "NAME" to unset.
    Proc& start(const std::string& program, Strings args, const Strings& env = {}, bool closedStreams = false) {
        Proc& p = procs.emplace_back();
        p.out = tmp + "/out" + std::to_string(procs.size());
        p.err = tmp + "/err" + std::to_string(procs.size());
        args.insert(args.begin(), program);
        if ((p.pid = fork()) == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL); // nothing outlives a test binary that dies
            dup2(open(p.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
            dup2(open(p.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            for (int s : {SIGINT, SIGHUP}) signal(s, SIG_DFL); // as a shell with job control starts a program
            for (int stream = 0; closedStreams && stream <= 2; ++stream) close(stream);
            unsetenv("XSCREENSAVER_WINDOW");
            for (const std::string& e : env)
                e.find('=') == std::string::npos ? unsetenv(e.c_str()) : putenv(strdup(e.c_str()));
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        return p;
    }
    Proc& hack(Strings args, const Strings& env = {}, bool closedStreams = false) {
        return start(ORBISK_X11, std::move(args), env, closedStreams);
    }

    bool waitExit(Proc& p, Clock::duration limit) {
        for (const auto end = Clock::now() + limit; !p.status && Clock::now() < end; std::this_thread::sleep_for(1ms))
            if (int status; waitpid(p.pid, &status, WNOHANG) == p.pid)
                p.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return p.status.has_value();
    }
    // Runs the hack's first N frames on the renderer's clock: its exit code, or -1 if it is still running after 30 s.
    int runFrames(int frames, Strings args, const Strings& env = {}) {
        args.insert(args.end(), {"--fixed-clock", "60", "--frames", std::to_string(frames)});
        Proc& p = hack(std::move(args), env);
        return waitExit(p, 30s) ? *p.status : -1;
    }

    Window window(int width, int height, unsigned long background = 0) {
        const Window w = XCreateSimpleWindow(dpy, root, 0, 0, width, height, 0, 0, background);
        XMapWindow(dpy, w);
        XSync(dpy, False);
        return w;
    }

    // The window's pixels, or those of its top left width x height.
    Picture grab(Window w, int width = 0, int height = 0) {
        XWindowAttributes a{};
        XGetWindowAttributes(dpy, w, &a);
        Picture p{width ? width : a.width, height ? height : a.height, {}};
        if (XImage* image = XGetImage(dpy, w, 0, 0, p.width, p.height, AllPlanes, ZPixmap)) {
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x) p.pixels.push_back(XGetPixel(image, x, y));
            XDestroyImage(image);
        }
        return p;
    }

    bool waitDrawn(Window w) {
        for (const auto end = Clock::now() + 10s; Clock::now() < end; std::this_thread::sleep_for(10ms))
            if (const Picture p = grab(w); std::ranges::any_of(p.pixels, [](unsigned long v) { return v != 0; }))
                return true;
        return false;
    }

    // Waits for two frames drawn after this call: the hack reads every event that has come before it draws a frame,
    // so by then it has read whatever was sent to it before the call.
    bool waitTwoFrames(Window w) {
        Picture last = grab(w);
        for (int frames = 0; frames < 2; ++frames) {
            Picture now;
            for (const auto end = Clock::now() + 10s; (now = grab(w)).pixels == last.pixels;) {
                if (Clock::now() > end) return false;
                std::this_thread::sleep_for(5ms);
            }
            last = std::move(now);
        }
        return true;
    }

    // orbisk-render's picture after frame N in the pixels of `visual` (the display's own by default): the top bits
    // of each channel in the places of the visual's masks, or for an 8-bit PseudoColor visual the 3-3-2 index of
    // the palette colour.
    const Picture& reference(int frames, const Visual* visual = nullptr) {
        static std::map<std::pair<int, VisualID>, Picture> made;
        if (!visual) visual = DefaultVisual(dpy, 0);
        const auto key = std::pair(frames, XVisualIDFromVisual(const_cast<Visual*>(visual)));
        if (made.count(key)) return made[key];
        const bool palette = visual->c_class == PseudoColor;
        const std::string file = tmp + "/reference.ppm", format = palette ? "8" : depth == 16 ? "16" : "32";
        Proc& render = start(ORBISK_RENDER,
                             {"--frames", std::to_string(frames), "--fps", "60", "--format", format, "--out", file});
        EXPECT_TRUE(waitExit(render, 60s) && render.status == 0) << slurp(render.err);
        std::istringstream in(slurp(file));
        std::string magic;
        int width = 0, height = 0, maximum = 0;
        in >> magic >> width >> height >> maximum;
        in.get();
        EXPECT_EQ(magic + " " + std::to_string(width) + "x" + std::to_string(height), "P6 640x480");
        auto pack = [](unsigned long c, unsigned long mask) {
            return c >> (8 - std::popcount(mask)) << std::countr_zero(mask);
        };
        Picture p{width, height, {}};
        for (char rgb[3]; p.pixels.size() < std::size_t{PictureWidth * PictureHeight} && in.read(rgb, 3);) {
            const unsigned long r = static_cast<unsigned char>(rgb[0]), g = static_cast<unsigned char>(rgb[1]),
                                b = static_cast<unsigned char>(rgb[2]);
            p.pixels.push_back(palette ? (r * 7 + 127) / 255 << 5 | (g * 7 + 127) / 255 << 2 | (b * 3 + 127) / 255
                                       : pack(r, visual->red_mask) | pack(g, visual->green_mask) |
                                             pack(b, visual->blue_mask));
        }
        EXPECT_TRUE(in) << "short picture";
        return made[key] = p;
    }

    Display* dpy = nullptr;
    Window root = 0;
    int depth = 0;
    std::string tmp;
    std::deque<Proc> procs;
};

TEST_F(Hack, DrawsThePictureOfTheRendererAfterFrameN) {
    const Window w = window(PictureWidth, PictureHeight);
    Proc& p = hack({"--window-id", std::to_string(w), "--fixed-clock", "60", "--frames", "90"});
    if (depth == 8) {
        // The colormap goes with the hack, so it is read while the hack runs.
        XWindowAttributes a{};
        for (const auto end = Clock::now() + 10s; Clock::now() < end; std::this_thread::sleep_for(2ms))
            if (XGetWindowAttributes(dpy, w, &a) && a.colormap != DefaultColormap(dpy, 0)) break;
        ASSERT_NE(a.colormap, DefaultColormap(dpy, 0)) << "no colormap of its own on the window";
        std::vector<XColor> colours(256);
        for (int i = 0; i < 256; ++i) colours[i].pixel = i;
        xErrors = 0;
        XQueryColors(dpy, a.colormap, colours.data(), 256);
        XSync(dpy, False);
        ASSERT_EQ(xErrors, 0) << "its colormap went before the picture was done";
        std::string wrong;
        for (int i = 0; i < 256; ++i)
            if (colours[i].red != (i >> 5 & 7) * 255 / 7 * 257 || colours[i].green != (i >> 2 & 7) * 255 / 7 * 257 ||
                colours[i].blue != (i & 3) * 255 / 3 * 257)
                wrong += " " + std::to_string(i);
        EXPECT_EQ(wrong, "") << "colormap entries that are not the 3-3-2 colours";
    }
    ASSERT_TRUE(waitExit(p, 30s));
    ASSERT_EQ(p.status, 0) << slurp(p.err);
    EXPECT_EQ(difference(grab(w), reference(90)), "");
    XWindowAttributes after{};
    XGetWindowAttributes(dpy, w, &after);
    EXPECT_EQ(after.colormap, DefaultColormap(dpy, 0)) << "the window's own colormap not put back";
}

TEST_F(Hack, CentresThePictureBlackensTheRestAndClips) {
    for (auto [width, height] : {std::pair{801, 601}, std::pair{320, 200}}) {
        const Window w = window(width, height, WhitePixel(dpy, 0));
        ASSERT_EQ(runFrames(10, {"-window-id", hex(w)}), 0);
        EXPECT_EQ(difference(grab(w), centred(reference(10), width, height)), "") << width << "x" << height;
    }
    // Windows as wide or tall as X allows, whose right or bottom band starts past the 16 bits of X's positions,
    // placed at -32,768 so that their far half is on the screen.
    for (auto [width, height] : {std::pair{65535, PictureHeight}, std::pair{PictureWidth, 65535}}) {
        const int x = width > PictureWidth ? -32768 : 0, y = height > PictureHeight ? -32768 : 0;
        const Window w = XCreateSimpleWindow(dpy, root, x, y, width, height, 0, 0, WhitePixel(dpy, 0));
        XMapWindow(dpy, w);
        XSync(dpy, False);
        ASSERT_EQ(runFrames(10, {"--window-id", hex(w)}), 0);
        const Picture shown =
            grab(root, std::min(x + width, DisplayWidth(dpy, 0)), std::min(y + height, DisplayHeight(dpy, 0)));
        Picture expected{shown.width, shown.height, {}};
        const int left = (width - PictureWidth) >> 1, top = (height - PictureHeight) >> 1;
        for (int row = -y - top; row < -y - top + expected.height; ++row)
            for (int column = -x - left; column < -x - left + expected.width; ++column)
                expected.pixels.push_back(column >= 0 && column < PictureWidth && row >= 0 && row < PictureHeight
                                              ? reference(10).at(column, row)
                                              : 0);
        EXPECT_EQ(difference(shown, expected), "") << width << "x" << height;
        XDestroyWindow(dpy, w);
    }
}

TEST_F(Hack, EnlargesEachPixelToABlockAndRescalesOnAResize) {
    // Clipped on both sides, by an odd surplus.
    const Window w = window(1001, 741);
    for (int scale : {2, 3}) {
        ASSERT_EQ(runFrames(10, {"--window-id", hex(w), "--scale", std::to_string(scale)}), 0);
        EXPECT_EQ(difference(grab(w), centred(reference(10), 1001, 741, scale)), "") << "--scale " << scale;
    }
    // Grown to hold the picture twice over, the window gets it at that scale.
    const Window grown = window(700, 500);
    Proc& p = hack({"--window-id", hex(grown), "--fixed-clock", "60", "--frames", "300"});
    ASSERT_TRUE(waitDrawn(grown));
    XResizeWindow(dpy, grown, 1280, 999);
    XSync(dpy, False);
    ASSERT_TRUE(waitExit(p, 30s));
    ASSERT_EQ(p.status, 0) << slurp(p.err);
    EXPECT_EQ(difference(grab(grown), centred(reference(300), 1280, 999, 2)), "");
}

TEST_F(Hack, DrawsWithTheMasksOfAWindowsOwnVisualAndOpaqueInAnArgbOne) {
    // The 8-bit display also offers an 8-bit TrueColor visual, whose masks put red in the low bits; the 24-bit one
    // a visual of depth 32, whose top byte a compositor reads as alpha.
    const int visualDepth = depth == 8 ? 8 : 32;
    XVisualInfo info{};
    if ((depth != 8 && depth != 24) || !XMatchVisualInfo(dpy, 0, visualDepth, TrueColor, &info))
        GTEST_SKIP() << "no TrueColor visual of depth " << visualDepth;
    XSetWindowAttributes a{};
    a.colormap = XCreateColormap(dpy, root, info.visual, AllocNone);
    const Window w = XCreateWindow(dpy, root, 0, 0, PictureWidth, PictureHeight, 0, visualDepth, InputOutput,
                                   info.visual, CWColormap | CWBorderPixel, &a);
    XMapWindow(dpy, w);
    XSync(dpy, False);
    ASSERT_EQ(runFrames(10, {"--window-id", hex(w)}), 0);
    Picture expected = reference(10, info.visual);
    const unsigned long opaque = visualDepth == 32 ? 0xFF000000 : 0;
    for (unsigned long& pixel : expected.pixels) pixel |= opaque;
    EXPECT_EQ(difference(grab(w), expected), "");
}

TEST_F(Hack, PlainImagesEnvironmentWindowAndRoot) {
    // Without MIT-SHM, on the display named on the command line rather than in the environment.
    const Window plain = window(PictureWidth, PictureHeight);
    ASSERT_EQ(runFrames(10, {"--no-shm", "-display", DisplayString(dpy), "--window-id", hex(plain)}, {"DISPLAY"}), 0);
    EXPECT_EQ(difference(grab(plain), reference(10)), "") << "--no-shm";
    // The window XScreenSaver names comes before --root.
    const Window named = window(PictureWidth, PictureHeight);
    ASSERT_EQ(runFrames(10, {"--root"}, {"XSCREENSAVER_WINDOW=" + hex(named)}), 0);
    EXPECT_EQ(difference(grab(named), reference(10)), "") << "XSCREENSAVER_WINDOW";
    XDestroyWindow(dpy, plain);
    XDestroyWindow(dpy, named);
    XSync(dpy, False);
    // The root window of 1280 x 1024 holds the picture twice over.
    ASSERT_EQ(runFrames(10, {"-root"}), 0);
    EXPECT_EQ(difference(grab(root), centred(reference(10), DisplayWidth(dpy, 0), DisplayHeight(dpy, 0), 2)), "")
        << "--root";
}

TEST_F(Hack, EndsWithZeroOnSignalsAndWhenItsWindowGoes) {
    for (int signal : {SIGTERM, SIGINT}) {
        const Window w = window(PictureWidth, PictureHeight);
        Proc& p = hack({"--window-id", hex(w)});
        ASSERT_TRUE(waitDrawn(w)) << slurp(p.err);
        const auto sent = Clock::now();
        kill(p.pid, signal);
        ASSERT_TRUE(waitExit(p, 5s));
        EXPECT_LE(Clock::now() - sent, StopTime) << strsignal(signal);
        EXPECT_EQ(p.status, 0) << strsignal(signal) << ": " << slurp(p.err);
    }
    // Meanwhile, with --fps, it reports its rate once a second.
    const Window w = window(PictureWidth, PictureHeight);
    Proc& p = hack({"--window-id", hex(w), "--fps"});
    const std::regex rate("orbisk-x11: [0-9]+\\.[0-9] frames/s\n");
    for (const auto end = Clock::now() + 5s; Clock::now() < end && !std::regex_search(slurp(p.err), rate);)
        std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(std::regex_search(slurp(p.err), rate)) << slurp(p.err);
    // A rate line that nobody reads any more is dropped.
    const std::string unread =
        "bash -c '" ORBISK_X11 " --window-id " + hex(window(PictureWidth, PictureHeight)) +
        " --fixed-clock 60 --frames 120 --fps 2>&1 >/dev/null | head -c0; exit ${PIPESTATUS[0]}'";
    EXPECT_EQ(std::system(unread.c_str()), 0) << "its standard error a pipe that nobody reads";
    XDestroyWindow(dpy, w);
    XSync(dpy, False);
    ASSERT_TRUE(waitExit(p, 2s)) << "still running after its window was destroyed";
    EXPECT_EQ(p.status, 0) << slurp(p.err);
}

TEST_F(Hack, EndsOnASignalWhenItsServerDoesNotAnswer) {
    if (depth != 24) GTEST_SKIP() << "one server of its own is enough";
    Proc& server = start("/usr/bin/Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"});
    std::string number;
    for (const auto end = Clock::now() + 10s; (number = slurp(server.out)).empty() && Clock::now() < end;)
        std::this_thread::sleep_for(10ms);
    ASSERT_NE(number, "") << slurp(server.err);
    const std::string display = ":" + number.substr(0, number.find('\n'));
    // Through shared memory it waits for the server's word; over the connection it blocks in sending a picture.
    std::vector<Proc*> hacks;
    for (Strings args : {Strings{}, Strings{"--no-shm"}}) {
        args.insert(args.end(), {"--display", display, "--root", "--fps"});
        hacks.push_back(&hack(args));
    }
    Proc& survivor = hack({"--display", display, "--root"}); // until its server dies
    for (Proc* h : hacks)                                    // drawing for a second
        for (const auto end = Clock::now() + 10s; slurp(h->err).empty() && Clock::now() < end;)
            std::this_thread::sleep_for(10ms);
    kill(server.pid, SIGSTOP);
    const auto sent = Clock::now();
    for (Proc* h : hacks) kill(h->pid, SIGTERM);
    for (Proc* h : hacks) {
        ASSERT_TRUE(waitExit(*h, 5s)) << "still running with its server stopped";
        EXPECT_EQ(h->status, 0) << slurp(h->err);
    }
    EXPECT_LE(Clock::now() - sent, StopTime);
    kill(server.pid, SIGCONT);
    kill(server.pid, SIGTERM);
    ASSERT_TRUE(waitExit(survivor, 10s));
    EXPECT_EQ(survivor.status, 1);
    EXPECT_EQ(slurp(survivor.err), "orbisk-x11: lost the connection to the X server of display '" + display + "'\n");
}

TEST_F(Hack, RejectsWhatItCannotUseWithOneLine) {
    // A grey-scale window, where the display has one, has no colours to show.
    Strings greyWindow = {"--window-id", "0x7fffff0"};
    if (XVisualInfo grey{}; XMatchVisualInfo(dpy, 0, depth, StaticGray, &grey)) {
        XSetWindowAttributes a{};
        a.colormap = XCreateColormap(dpy, root, grey.visual, AllocNone);
        const Window w =
            XCreateWindow(dpy, root, 0, 0, 64, 64, 0, depth, InputOutput, grey.visual, CWColormap | CWBorderPixel, &a);
        XMapWindow(dpy, w);
        XSync(dpy, False);
        greyWindow[1] = hex(w);
    }
    const std::pair<Strings, Strings> cases[] = {{{"--window-id", "abc"}, {}},
                                                 {{"--window-id", "0x"}, {}},
                                                 {{"--window-id", "0x7fffff0"}, {}},
                                                 {{}, {"XSCREENSAVER_WINDOW=abc"}},
                                                 {{"--display", ":99999"}, {}},
                                                 {{"--bogus"}, {}},
                                                 {greyWindow, {}},
                                                 {{"--no-shm"}, {PRELOAD_FAILING_CREATE_IMAGE}},
                                                 {{"--display", "a\nb"}, {}},
                                                 {{"--x\ny\x1b[31m"}, {}},
                                                 {{}, {"XSCREENSAVER_WINDOW=0x1\n"}}};
    for (const auto& [args, env] : cases) {
        Proc& p = hack(args, env);
        ASSERT_TRUE(waitExit(p, 10s));
        const std::string err = slurp(p.err), what = testing::PrintToString(args) + testing::PrintToString(env);
        EXPECT_EQ(p.status, 1) << what;
        EXPECT_TRUE(err.starts_with("orbisk-x11: ") && std::ranges::count(err, '\n') == 1) << what << ": " << err;
        EXPECT_EQ(err.find('\x1b'), std::string::npos) << what << ": " << err; // a terminal's escape, shown as \x1B
    }
    Proc& help = hack({"--help"});
    ASSERT_TRUE(waitExit(help, 10s));
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(slurp(help.out).find("usage"), std::string::npos) << slurp(help.out);
    EXPECT_EQ(WEXITSTATUS(std::system(ORBISK_X11 " --version >/dev/full 2>/dev/null")), 1) << "its output lost";
    Proc& unset = hack({}, {"DISPLAY"});
    ASSERT_TRUE(waitExit(unset, 10s));
    EXPECT_EQ(slurp(unset.err), "orbisk-x11: no display to open: DISPLAY is not set and no --display was given\n");
}

TEST_F(Hack, DrawsWithItsStandardStreamsClosed) {
    // The X connection must not take descriptor 2, where --fps writes a line after a second of frames.
    const Window w = window(PictureWidth, PictureHeight);
    Proc& p = hack({"--window-id", hex(w), "--fps", "--fixed-clock", "60", "--frames", "90"}, {}, true);
    ASSERT_TRUE(waitExit(p, 30s));
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(difference(grab(w), reference(90)), "");
}

TEST_F(Hack, OwnWindowDrawsAndClosesOnDeleteWindow) {
    for (bool full : {false, true}) {
        Proc& p = hack(full ? Strings{"--fullscreen"} : Strings{"--scale", "2"});
        Window own = 0;
        for (const auto end = Clock::now() + 10s; !own && Clock::now() < end; std::this_thread::sleep_for(10ms)) {
            Window parent, top, *children = nullptr;
            unsigned count = 0;
            XQueryTree(dpy, root, &top, &parent, &children, &count);
            for (unsigned i = 0; i < count && !own; ++i) {
                char* name = nullptr;
                if (XFetchName(dpy, children[i], &name) && std::string(name) == "Orbisk") own = children[i];
                XFree(name);
            }
            XFree(children);
        }
        ASSERT_NE(own, 0u) << "no top-level window named Orbisk; " << slurp(p.err);
        const Picture shown = grab(own);
        EXPECT_EQ(std::pair(shown.width, shown.height), full ? std::pair(DisplayWidth(dpy, 0), DisplayHeight(dpy, 0))
                                                             : std::pair(PictureWidth * 2, PictureHeight * 2));
        EXPECT_TRUE(waitDrawn(own));
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = own;
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
        for (auto [type, closes] : {std::pair{"_NET_WM_STATE", false}, std::pair{"WM_PROTOCOLS", true}}) {
            e.xclient.message_type = XInternAtom(dpy, type, False);
            XSendEvent(dpy, own, False, NoEventMask, &e);
            XSync(dpy, False);
            if (closes) {
                ASSERT_TRUE(waitExit(p, 5s)) << "a WM_PROTOCOLS message with WM_DELETE_WINDOW";
            } else {
                ASSERT_TRUE(waitTwoFrames(own) && !waitExit(p, 0s)) << "a " << type << " message with WM_DELETE_WINDOW";
            }
        }
        EXPECT_EQ(p.status, 0) << slurp(p.err);
    }
}

} // namespace
