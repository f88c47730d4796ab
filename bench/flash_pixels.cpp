// What the user sees of a flash, read from the screen's pixels: a flash is timed from the
// first sample of the screen that shows it to the first that no longer does, not from the
// program's show and hide. Meant for an X server of its own (Xvfb), with no compositor, so
// that what XShmGetImage returns is what a monitor would show.
//
//   flash_pixels [options] -- COMMAND [ARGS...]
//   flash_pixels --header
//
// It paints the root window one plain colour, starts COMMAND (the real program, whose
// settings put the show on with the flash at the centre), and watches the root for
// override-redirect windows being mapped and unmapped. The first flash (and any further
// warm-up flashes) gives the flash's place and its finished picture; from then on the place
// is sampled at a steady rate and each sample is classed as background, finished flash or
// anything else. The X server answers a client's requests in order and sends a client's
// events in the order they happen, so the serial number of each map and unmap says exactly
// between which two samples it happened. Printed, on one line: the chosen duration, the
// flashes measured, the median and worst of |visible time - chosen duration|, of the delay
// from the map to the first pixels and to the finished picture, and the samples taken while
// the window was mapped that showed it blank (only background) or half-drawn (neither
// background nor the finished picture). Each time is known to within one sample period;
// the sampler's own rate, its round trip and how well the worst flash's ends are known are
// printed with the figures.
//
// Options:
//   --duration MS    the duration the program was told to use (required)
//   --flashes N      flashes measured after the warm-up (default 50)
//   --warmup N       flashes that only teach the place and the picture (default 1)
//   --rate HZ        samples per second (default 4000; 1000 at least to time a flash well)
//   --background RRGGBB  the root's colour (default 3a6ea5)
//   --timeout S      how long to wait for a flash before giving up (default 15)
//   --slow MS        also print each flash whose visible time is more than MS off the duration,
//                    with how long the server held its window mapped: the same excess there
//                    means the program's map or unmap came late, none means the screen did
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <sys/ipc.h>
#include <sys/prctl.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

struct Options
{
    int durationMs = -1;
    int flashes = 50;
    int warmup = 1;
    int rateHz = 4000;
    unsigned long background = 0x3a6ea5;
    double timeoutS = 15;
    double slowMs = -1;
    std::vector<char*> command;
};

[[noreturn]] void usage(const char* why)
{
    std::fprintf(stderr,
                 "flash_pixels: %s\nusage: flash_pixels --duration MS [--flashes N] "
                 "[--warmup N] [--rate HZ] [--background RRGGBB] [--timeout S] [--slow MS] -- "
                 "COMMAND [ARGS...]\n       flash_pixels --header\n",
                 why);
    std::exit(2);
}

std::int64_t nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

void sleepUntil(std::int64_t ns)
{
    timespec t{};
    t.tv_sec = time_t(ns / 1'000'000'000);
    t.tv_nsec = long(ns % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

struct Rect
{
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Rect&) const = default;
    bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// One sample of the flash's place: when it was taken (the middle of its round trip), the
// serial number of its request, and what it showed, as a hash of its pixels.
struct Sample
{
    std::int64_t at;
    unsigned long serial;
    std::uint64_t look;
};

// A map or unmap of a flash window, placed among the samples by its serial number.
struct FlashEvent
{
    bool map;
    Window window;
    unsigned long serial;
    Rect rect;
};

class Place
{
public:
    explicit Place(Display* dpy) : m_dpy(dpy) {}
    ~Place()
    {
        if (m_image) {
            XShmDetach(m_dpy, &m_shm);
            XDestroyImage(m_image);
            shmdt(m_shm.shmaddr);
        }
    }

    bool open(const Rect& r, unsigned long pixelMask)
    {
        const int screen = DefaultScreen(m_dpy);
        m_rect = r;
        m_mask = pixelMask;
        m_image = XShmCreateImage(m_dpy, DefaultVisual(m_dpy, screen),
                                  unsigned(DefaultDepth(m_dpy, screen)), ZPixmap, nullptr, &m_shm,
                                  unsigned(r.w), unsigned(r.h));
        if (!m_image)
            return false;
        m_shm.shmid = shmget(IPC_PRIVATE, std::size_t(m_image->bytes_per_line) * unsigned(r.h),
                             IPC_CREAT | 0600);
        if (m_shm.shmid < 0)
            return false;
        m_shm.shmaddr = m_image->data = static_cast<char*>(shmat(m_shm.shmid, nullptr, 0));
        shmctl(m_shm.shmid, IPC_RMID, nullptr); // gone once both sides have let go
        m_shm.readOnly = False;
        if (!XShmAttach(m_dpy, &m_shm))
            return false;
        XSync(m_dpy, False);
        return true;
    }

    // Reads the place and returns a hash of its colours (the padding bits left out).
    bool read(std::uint64_t& hash)
    {
        if (!XShmGetImage(m_dpy, DefaultRootWindow(m_dpy), m_image, m_rect.x, m_rect.y, AllPlanes))
            return false;
        std::uint64_t h = 1469598103934665603ull;
        for (int y = 0; y < m_rect.h; ++y) {
            if (m_image->bits_per_pixel == 32) {
                // The usual layout, read directly: a call per pixel would halve the rate.
                const auto* row = reinterpret_cast<const std::uint32_t*>(
                    m_image->data + std::ptrdiff_t(y) * m_image->bytes_per_line);
                for (int x = 0; x < m_rect.w; ++x) {
                    h ^= row[x] & m_mask;
                    h *= 1099511628211ull;
                }
            } else {
                for (int x = 0; x < m_rect.w; ++x) {
                    h ^= XGetPixel(m_image, x, y) & m_mask;
                    h *= 1099511628211ull;
                }
            }
        }
        hash = h;
        return true;
    }

    // The hash a place of one colour would give.
    std::uint64_t plain(unsigned long pixel) const
    {
        std::uint64_t h = 1469598103934665603ull;
        for (int i = 0; i < m_rect.w * m_rect.h; ++i) {
            h ^= pixel & m_mask;
            h *= 1099511628211ull;
        }
        return h;
    }

private:
    Display* m_dpy;
    Rect m_rect;
    unsigned long m_mask = 0;
    XImage* m_image = nullptr;
    XShmSegmentInfo m_shm{};
};

int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double worst(const std::vector<double>& v)
{
    return v.empty() ? NAN : *std::max_element(v.begin(), v.end());
}

void printHeader()
{
    std::printf("%8s %7s %8s %15s %15s %15s %7s %7s %7s  %s\n", "duration", "flashes", "visible",
                "|vis - dur|", "map->pixels", "map->finished", "blank", "half-", "windows",
                "sampler");
    std::printf("%8s %7s %8s %15s %15s %15s %7s %7s %7s  %s\n", "(ms)", "", "median",
                "median / worst", "median / worst", "median / worst", "samples", "drawn", "",
                "rate, round trip, worst edge");
}

pid_t start(const std::vector<char*>& command)
{
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> argv = command;
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        std::perror("flash_pixels: cannot start the program");
        _exit(127);
    }
    return child;
}

void stop(pid_t child)
{
    if (child <= 0)
        return;
    kill(child, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        usleep(10000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                usage(("no value after " + a).c_str());
            return argv[++i];
        };
        if (a == "--header") {
            printHeader();
            return 0;
        } else if (a == "--duration") {
            o.durationMs = std::atoi(value());
        } else if (a == "--flashes") {
            o.flashes = std::atoi(value());
        } else if (a == "--warmup") {
            o.warmup = std::atoi(value());
        } else if (a == "--rate") {
            o.rateHz = std::atoi(value());
        } else if (a == "--background") {
            o.background = std::strtoul(value(), nullptr, 16);
        } else if (a == "--timeout") {
            o.timeoutS = std::atof(value());
        } else if (a == "--slow") {
            o.slowMs = std::atof(value());
        } else if (a == "--") {
            o.command.assign(argv + i + 1, argv + argc);
            break;
        } else {
            usage(("unknown option " + a).c_str());
        }
    }
    if (o.durationMs < 0 || o.flashes < 1 || o.warmup < 1 || o.rateHz < 1)
        usage("a duration, at least one flash, one warm-up flash and a rate are needed");

    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "flash_pixels: cannot open the display\n");
        return 2;
    }
    if (!XShmQueryExtension(dpy)) {
        std::fprintf(stderr, "flash_pixels: the X server has no MIT-SHM\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const int screenNumber = DefaultScreen(dpy);
    const Window root = DefaultRootWindow(dpy);
    const int screenW = DisplayWidth(dpy, screenNumber);
    const int screenH = DisplayHeight(dpy, screenNumber);
    const Visual* visual = DefaultVisual(dpy, screenNumber);
    const unsigned long pixelMask = visual->red_mask | visual->green_mask | visual->blue_mask;

    // A plain root, so that anything of the flash shows against it.
    XColor colour{};
    colour.red = std::uint16_t(((o.background >> 16) & 0xff) * 257);
    colour.green = std::uint16_t(((o.background >> 8) & 0xff) * 257);
    colour.blue = std::uint16_t((o.background & 0xff) * 257);
    colour.flags = DoRed | DoGreen | DoBlue;
    XAllocColor(dpy, DefaultColormap(dpy, screenNumber), &colour);
    XSetWindowBackground(dpy, root, colour.pixel);
    XClearWindow(dpy, root);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    // Fine-grained sleeps: the default slack of 50 us is a fifth of a 4 kHz period.
    prctl(PR_SET_TIMERSLACK, 1000UL);

    const pid_t child = o.command.empty() ? 0 : start(o.command);

    // Every top-level window's place, from its creation and each change, so that a flash's
    // place is known when its map comes.
    std::map<Window, Rect> places;
    std::vector<FlashEvent> events;
    Rect probe;
    std::int64_t lastActivity = nowNs();
    int unmapsSeen = 0;
    std::int64_t endAt = 0;
    const auto handle = [&](const XEvent& e) {
        switch (e.type) {
        case CreateNotify:
            places[e.xcreatewindow.window] = {e.xcreatewindow.x, e.xcreatewindow.y,
                                              e.xcreatewindow.width, e.xcreatewindow.height};
            break;
        case ConfigureNotify:
            places[e.xconfigure.window] = {e.xconfigure.x, e.xconfigure.y, e.xconfigure.width,
                                           e.xconfigure.height};
            break;
        case DestroyNotify:
            places.erase(e.xdestroywindow.window);
            break;
        case MapNotify: {
            if (!e.xmap.override_redirect)
                break;
            const Rect r = places[e.xmap.window];
            // The flash is at the centre; anything else that maps is not a flash.
            if (!r.contains(screenW / 2, screenH / 2))
                break;
            if (probe.w == 0) {
                probe.x = std::max(r.x, 0);
                probe.y = std::max(r.y, 0);
                probe.w = std::min(r.x + r.w, screenW) - probe.x;
                probe.h = std::min(r.y + r.h, screenH) - probe.y;
            }
            events.push_back({true, e.xmap.window, e.xmap.serial, r});
            lastActivity = nowNs();
            break;
        }
        case UnmapNotify: {
            const auto it = std::find_if(events.rbegin(), events.rend(), [&](const FlashEvent& f) {
                return f.window == e.xunmap.window;
            });
            if (it == events.rend() || !it->map)
                break;
            events.push_back({false, e.xunmap.window, e.xunmap.serial, it->rect});
            lastActivity = nowNs();
            if (++unmapsSeen == o.warmup + o.flashes)
                endAt = lastActivity + 100'000'000; // a little longer, to see the pixels go
            break;
        }
        default:
            break;
        }
    };

    // Until the first flash there is no place to sample.
    while (probe.w == 0) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            handle(e);
        }
        if (probe.w)
            break;
        if (nowNs() - lastActivity > std::int64_t(o.timeoutS * 1e9)) {
            std::fprintf(stderr, "flash_pixels: no flash at the centre within %.0f s\n",
                         o.timeoutS);
            stop(child);
            return 1;
        }
        usleep(1000);
    }
    Place screen(dpy);
    if (!screen.open(probe, pixelMask)) {
        std::fprintf(stderr, "flash_pixels: cannot share memory with the X server\n");
        stop(child);
        return 2;
    }

    std::vector<Sample> samples;
    samples.reserve(std::size_t(o.rateHz) * std::size_t(3 * (o.flashes + o.warmup) + 30));
    const std::int64_t period = 1'000'000'000 / o.rateHz;
    std::int64_t next = nowNs();
    std::int64_t roundTrips = 0;
    bool timedOut = false;
    while (endAt == 0 || nowNs() < endAt) {
        sleepUntil(next);
        const unsigned long serial = NextRequest(dpy);
        std::uint64_t look = 0;
        const std::int64_t before = nowNs();
        if (!screen.read(look)) {
            std::fprintf(stderr, "flash_pixels: the screen could not be read\n");
            stop(child);
            return 2;
        }
        const std::int64_t after = nowNs();
        roundTrips += after - before;
        samples.push_back({(before + after) / 2, serial, look});
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            handle(e);
        }
        next += period;
        if (next < after)
            next = after; // late: no burst to catch up, the gap shows in the figures
        if (endAt == 0 && after - lastActivity > std::int64_t(o.timeoutS * 1e9)) {
            timedOut = true;
            break;
        }
    }
    stop(child);

    // The finished picture: the look the warm-up flashes showed most while they were mapped.
    const std::uint64_t background = screen.plain(colour.pixel);
    const auto firstAfter = [&](unsigned long serial) {
        // The first sample whose request the server handled after the event.
        return std::size_t(
            std::upper_bound(samples.begin(), samples.end(), serial,
                             [](unsigned long s, const Sample& x) { return s < x.serial; }) -
            samples.begin());
    };
    struct Flash
    {
        std::size_t mapped, unmapped; // sample indices: [mapped, unmapped) were taken while up
        Window window;
        Rect rect;
    };
    std::vector<Flash> flashes;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (!events[i].map)
            continue;
        const auto end =
            std::find_if(events.begin() + long(i) + 1, events.end(), [&](const FlashEvent& f) {
                return !f.map && f.window == events[i].window;
            });
        if (end == events.end())
            break;
        flashes.push_back({firstAfter(events[i].serial), firstAfter(end->serial), events[i].window,
                           events[i].rect});
    }
    std::unordered_map<std::uint64_t, int> looks;
    for (int f = 0; f < o.warmup && f < int(flashes.size()); ++f)
        for (std::size_t s = flashes[std::size_t(f)].mapped;
             s < flashes[std::size_t(f)].unmapped && s < samples.size(); ++s)
            if (samples[s].look != background)
                ++looks[samples[s].look];
    std::uint64_t finished = 0;
    int most = 0;
    for (const auto& [look, count] : looks)
        if (count > most) {
            finished = look;
            most = count;
        }
    if (most == 0) {
        std::fprintf(stderr, "flash_pixels: the warm-up flashes never showed on the screen\n");
        return 1;
    }

    const auto between = [&](std::size_t s) {
        // When the look changed: between sample s - 1 and sample s.
        return double(s > 0 ? (samples[s - 1].at + samples[s].at) / 2 : samples[s].at) / 1e6;
    };
    const auto gapBefore = [&](std::size_t s) {
        return s > 0 && s < samples.size() ? double(samples[s].at - samples[s - 1].at) / 1e6 : 0;
    };
    std::vector<double> visibleMs, deviationMs, toPixelsMs, toFinishedMs;
    // |visible - duration| of the flashes whose ends are known to within +-1 ms.
    std::vector<double> wellTimedMs;
    // How well each figure is known: half the gap between the samples on each side of its two
    // ends. The sampler keeps its rate unless the machine holds it up.
    double worstEdge = 0;
    int coarse = 0;
    // The flashes --slow asks about: visible, mapped by the server, map to pixels, unmap to
    // gone, the wider sample gap at the two ends.
    struct Slow
    {
        double visible, mapped, toPixels, toGone, gap;
    };
    std::vector<Slow> slow;
    int blank = 0, halfDrawn = 0, noPixels = 0, elsewhere = 0, stray = 0;
    std::map<Window, int> windows;
    std::size_t from = flashes.size() > std::size_t(o.warmup)
                           ? flashes[std::size_t(o.warmup) - 1].unmapped
                           : samples.size();
    for (std::size_t f = std::size_t(o.warmup); f < flashes.size(); ++f) {
        const Flash& flash = flashes[f];
        ++windows[flash.window];
        if (!(flash.rect == flashes[0].rect))
            ++elsewhere;
        for (std::size_t s = flash.mapped; s < flash.unmapped && s < samples.size(); ++s) {
            if (samples[s].look == background)
                ++blank;
            else if (samples[s].look != finished)
                ++halfDrawn;
        }
        // What showed between the end of the last flash and this one's map was stray.
        for (std::size_t s = from; s < flash.mapped && s < samples.size(); ++s)
            if (samples[s].look != background)
                ++stray;
        const std::size_t limit = f + 1 < flashes.size() ? flashes[f + 1].mapped : samples.size();
        std::size_t first = flash.mapped;
        while (first < limit && samples[first].look == background)
            ++first;
        if (first >= limit) {
            ++noPixels;
            from = flash.unmapped;
            continue;
        }
        std::size_t gone = first;
        while (gone < limit && samples[gone].look != background)
            ++gone;
        std::size_t done = first;
        while (done < gone && samples[done].look != finished)
            ++done;
        if (gone < limit) {
            const double visible = between(gone) - between(first);
            visibleMs.push_back(visible);
            deviationMs.push_back(std::fabs(visible - o.durationMs));
            if (o.slowMs >= 0 && deviationMs.back() > o.slowMs)
                slow.push_back({visible, between(flash.unmapped) - between(flash.mapped),
                                between(first) - between(flash.mapped),
                                between(gone) - between(flash.unmapped),
                                std::max(gapBefore(first), gapBefore(gone))});
        }
        toPixelsMs.push_back(between(first) - between(flash.mapped));
        const double edge = std::max((gapBefore(first) + gapBefore(gone)) / 2,
                                     (gapBefore(flash.mapped) + gapBefore(first)) / 2);
        worstEdge = std::max(worstEdge, edge);
        if (edge > 1.0)
            ++coarse;
        else if (gone < limit)
            wellTimedMs.push_back(deviationMs.back());
        if (done < gone)
            toFinishedMs.push_back(between(done) - between(flash.mapped));
        from = std::max(gone, flash.unmapped);
    }

    const double seconds =
        samples.size() > 1 ? double(samples.back().at - samples.front().at) / 1e9 : 0;
    const int measured = int(visibleMs.size());
    std::printf(
        "%8d %7d %8.2f %6.2f / %6.2f %6.2f / %6.2f %6.2f / %6.2f %7d %7d %7zu  "
        "%.0f Hz, %.3f ms, +-%.2f ms\n",
        o.durationMs, measured, median(visibleMs), median(deviationMs), worst(deviationMs),
        median(toPixelsMs), worst(toPixelsMs), median(toFinishedMs), worst(toFinishedMs), blank,
        halfDrawn, windows.size(), seconds > 0 ? double(samples.size() - 1) / seconds : 0.0,
        samples.empty() ? 0.0 : double(roundTrips) / double(samples.size()) / 1e6, worstEdge);
    if (noPixels || elsewhere || stray || timedOut || measured < o.flashes)
        std::printf("%8s note: %d of %d flashes timed (%d mapped with no pixels, %d at another "
                    "place, %d stray samples with no flash mapped%s)\n",
                    "", measured, o.flashes, noPixels, elsewhere, stray,
                    timedOut ? ", no flash for too long" : "");
    if (coarse)
        std::printf("%8s note: %d flashes have an end known only to worse than +-1 ms: the "
                    "sampler was held up, the machine is busy; the worst of the other %zu is "
                    "%.2f ms\n",
                    "", coarse, wellTimedMs.size(), worst(wellTimedMs));
    for (const Slow& f : slow)
        std::printf("%8s slow: visible %.2f ms; the server held it mapped %.2f ms; pixels %.2f ms "
                    "after the map, gone %.2f ms after the unmap; sample gap %.2f ms\n",
                    "", f.visible, f.mapped, f.toPixels, f.toGone, f.gap);
    return 0;
}
