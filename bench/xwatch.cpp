// Small X11 helper for the benchmark scripts, with no toolkit of its own so that it adds
// nothing to the processes being measured.
//   xwatch tray <seconds>   ends with status 0 once a tray host owns the system tray of the
//                           screen, 1 when none has within the given time (a tray host shows
//                           its own window before it has taken the tray, and a program started
//                           in between finds no tray)
//   xwatch maps             prints one line per override-redirect window mapped on the root
//                           until it is ended: the wall-clock time in seconds, the window and
//                           the _NET_WM_PID of its owner (0 when unknown), so a script can
//                           count each process's flashes
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

// A window may be gone by the time its owner is asked for: that is no reason to end.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

int waitForTray(Display* dpy, double seconds)
{
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(dpy));
    const Atom selection = XInternAtom(dpy, name.c_str(), False);
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        if (XGetSelectionOwner(dpy, selection) != None)
            return 0;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (double(now.tv_sec - start.tv_sec) + double(now.tv_nsec - start.tv_nsec) / 1e9 > seconds)
            return 1;
        usleep(20000);
    }
}

long ownerPid(Display* dpy, Window window, Atom pidAtom)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(dpy, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data && format == 32 && count == 1)
        pid = long(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return pid;
}

int logMaps(Display* dpy)
{
    const Atom pidAtom = XInternAtom(dpy, "_NET_WM_PID", False);
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(dpy, &event);
        if (event.type != MapNotify || !event.xmap.override_redirect)
            continue;
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::printf("%lld.%06ld 0x%lx %ld\n", static_cast<long long>(now.tv_sec),
                    now.tv_nsec / 1000, event.xmap.window,
                    ownerPid(dpy, event.xmap.window, pidAtom));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bool tray = argc == 3 && std::strcmp(argv[1], "tray") == 0;
    const bool maps = argc == 2 && std::strcmp(argv[1], "maps") == 0;
    if (!tray && !maps) {
        std::fprintf(stderr, "usage: xwatch tray <seconds> | xwatch maps\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "xwatch: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    return tray ? waitForTray(dpy, std::atof(argv[2])) : logMaps(dpy);
}
