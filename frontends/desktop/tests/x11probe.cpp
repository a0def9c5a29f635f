// x11probe: looks at an X display the way a person would, for the desktop tests.
//   x11probe shot FILE.png         the whole screen as a picture
//   x11probe pixel X Y             the colour at a place of the screen, as "R G B"
//   x11probe saver-timeout SECONDS the screen saver starts after SECONDS without input
//   x11probe saver                 "on" while the screen saver shows, else "off"
//   x11probe watch X Y SECONDS     samples a place as fast as it can for SECONDS and prints each
//                                  change of what it shows ("lit" yellow, "black" or "other"),
//                                  as "AFTER BY STATE": seconds from the probe's start to the
//                                  start of the last look before the change, and to the end of
//                                  the first look after it
//   x11probe drop WINDOW FILE      drops FILE on the window as a file manager does, over the
//                                  XDND protocol, and waits for the window to finish with it
//   x11probe png FILE W H R G B    writes a picture of W x H pixels of one colour
//   x11probe wm                    exits 0 once a window manager has taken the display, that is
//                                  names its own check window on the root window

#include "platform/render/Framebuffer.h"
#include "platform/render/PngFile.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/select.h>

#ifdef NOCTURO_HAVE_XSS
#include <X11/extensions/scrnsaver.h>
#endif

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: x11probe shot FILE.png | pixel X Y | saver-timeout SECONDS | "
                 "saver | watch X Y SECONDS | drop WINDOW FILE | png FILE W H R G B | wm\n");
    return 2;
}

bool grab(Display* display, int x, int y, int w, int h, nocturo::Framebuffer& out) {
    Window root = DefaultRootWindow(display);
    XImage* image = XGetImage(display, root, x, y, static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image)
        return false;
    out.resize(w, h);
    auto channel = [](unsigned long pixel, unsigned long mask) {
        if (!mask)
            return 0u;
        int shift = 0;
        while (!((mask >> shift) & 1ul))
            ++shift;
        unsigned long max = mask >> shift;
        return static_cast<unsigned>(((pixel & mask) >> shift) * 255ul / max);
    };
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            unsigned long p = XGetPixel(image, i, j);
            std::uint8_t* to = out.at(i, j);
            to[0] = static_cast<std::uint8_t>(channel(p, image->red_mask));
            to[1] = static_cast<std::uint8_t>(channel(p, image->green_mask));
            to[2] = static_cast<std::uint8_t>(channel(p, image->blue_mask));
            to[3] = 255;
        }
    XDestroyImage(image);
    return true;
}

// Waits up to `seconds` for the next event of the display.
bool nextEvent(Display* display, XEvent& event, double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!XPending(display)) {
        double left = std::chrono::duration<double>(end - Clock::now()).count();
        if (left <= 0.0)
            return false;
        int fd = ConnectionNumber(display);
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(fd, &fds);
        timeval wait{static_cast<long>(left),
                     static_cast<long>((left - static_cast<long>(left)) * 1e6)};
        select(fd + 1, &fds, nullptr, nullptr, &wait);
    }
    XNextEvent(display, &event);
    return true;
}

// The source's side of a drag and drop: enter, position, drop, then the file's address handed
// over as the selection, as text/uri-list.
int drop(Display* display, Window target, const std::string& file) {
    auto atom = [&](const char* name) { return XInternAtom(display, name, False); };
    const Atom aware = atom("XdndAware"), selection = atom("XdndSelection");
    const Atom enter = atom("XdndEnter"), position = atom("XdndPosition");
    const Atom status = atom("XdndStatus"), dropped = atom("XdndDrop");
    const Atom finished = atom("XdndFinished"), copy = atom("XdndActionCopy");
    const Atom uriList = atom("text/uri-list");

    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* value = nullptr;
    if (XGetWindowProperty(display, target, aware, 0, 1, False, AnyPropertyType, &type, &format,
                           &count, &after, &value) != Success ||
        !value || count == 0) {
        std::fprintf(stderr, "x11probe: the window takes no drops\n");
        if (value)
            XFree(value);
        return 1;
    }
    long version = std::min(5L, static_cast<long>(*reinterpret_cast<Atom*>(value)));
    XFree(value);

    Window root = DefaultRootWindow(display);
    Window source = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, selection, source, CurrentTime);
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(display, target, root, 10, 10, &x, &y, &child);
    auto send = [&](Atom message, long l1, long l2, long l3, long l4) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = target;
        e.xclient.message_type = message;
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(source);
        e.xclient.data.l[1] = l1;
        e.xclient.data.l[2] = l2;
        e.xclient.data.l[3] = l3;
        e.xclient.data.l[4] = l4;
        XSendEvent(display, target, False, NoEventMask, &e);
        XFlush(display);
    };
    send(enter, version << 24, static_cast<long>(uriList), 0, 0);
    send(position, 0, (static_cast<long>(x) << 16) | y, CurrentTime, static_cast<long>(copy));

    const std::string uris = "file://" + file + "\r\n";
    bool accepted = false, droppedYet = false;
    XEvent e;
    while (nextEvent(display, e, 5.0)) {
        if (e.type == ClientMessage && e.xclient.message_type == status && !droppedYet) {
            accepted = (e.xclient.data.l[1] & 1) != 0;
            if (!accepted)
                break;
            droppedYet = true;
            send(dropped, 0, CurrentTime, 0, 0);
        } else if (e.type == SelectionRequest) {
            const XSelectionRequestEvent& r = e.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = r.requestor;
            reply.xselection.selection = r.selection;
            reply.xselection.target = r.target;
            reply.xselection.time = r.time;
            reply.xselection.property = None;
            if (r.target == uriList && r.property != None) {
                XChangeProperty(display, r.requestor, r.property, uriList, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(uris.data()),
                                static_cast<int>(uris.size()));
                reply.xselection.property = r.property;
            }
            XSendEvent(display, r.requestor, False, NoEventMask, &reply);
            XFlush(display);
        } else if (e.type == ClientMessage && e.xclient.message_type == finished) {
            XDestroyWindow(display, source);
            return 0;
        }
    }
    std::fprintf(stderr, "x11probe: the window %s\n",
                 !droppedYet ? (accepted ? "did not answer" : "refused the drop")
                             : "did not finish with the drop");
    XDestroyWindow(display, source);
    return 1;
}

// The window a property of WINDOW names, or None.
Window windowProperty(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window named = None;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        named = *reinterpret_cast<Window*>(data);
    if (data)
        XFree(data);
    return named;
}

// A window manager that follows the desktop's conventions names a check window of its own on the
// root window once it manages the display, and the check window names itself. Before that, a
// window mapped full screen may be left as it was asked for, unmanaged.
bool windowManagerRuns(Display* display) {
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Window named = windowProperty(display, DefaultRootWindow(display), check);
    bool runs = named != None && windowProperty(display, named, check) == named;
    XSync(display, False);
    XSetErrorHandler(previous);
    return runs;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    if (std::string(argv[1]) == "png" && argc == 8) {
        nocturo::Framebuffer frame;
        frame.resize(std::atoi(argv[3]), std::atoi(argv[4]));
        for (int j = 0; j < frame.height; ++j)
            for (int i = 0; i < frame.width; ++i) {
                std::uint8_t* p = frame.at(i, j);
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<std::uint8_t>(std::atoi(argv[5 + c]));
                p[3] = 255;
            }
        return nocturo::writePng(frame, argv[2]) ? 0 : 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11probe: cannot open the display\n");
        return 1;
    }
    std::string command = argv[1];
    int status = 0;
    if (command == "shot" && argc == 3) {
        int w = DisplayWidth(display, DefaultScreen(display));
        int h = DisplayHeight(display, DefaultScreen(display));
        nocturo::Framebuffer frame;
        if (!grab(display, 0, 0, w, h, frame) || !nocturo::writePng(frame, argv[2])) {
            std::fprintf(stderr, "x11probe: cannot take the picture\n");
            status = 1;
        }
    } else if (command == "pixel" && argc == 4) {
        nocturo::Framebuffer frame;
        if (!grab(display, std::atoi(argv[2]), std::atoi(argv[3]), 1, 1, frame)) {
            std::fprintf(stderr, "x11probe: no pixel there\n");
            status = 1;
        } else {
            const std::uint8_t* p = frame.at(0, 0);
            std::printf("%d %d %d\n", p[0], p[1], p[2]);
        }
    } else if (command == "watch" && argc == 5) {
        using Clock = std::chrono::steady_clock;
        const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
        const double seconds = std::atof(argv[4]);
        const auto start = Clock::now();
        auto since = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
        std::string last;
        nocturo::Framebuffer frame;
        // A change is known to have come after the previous look and by the end of this one.
        double previous = 0.0;
        for (double t = 0.0; t < seconds; t = since()) {
            if (!grab(display, x, y, 1, 1, frame)) {
                status = 1;
                break;
            }
            double seen = since();
            const std::uint8_t* p = frame.at(0, 0);
            const char* state = p[0] > 200 && p[1] > 200 && p[2] < 60 ? "lit"
                                : p[0] < 8 && p[1] < 8 && p[2] < 8    ? "black"
                                                                      : "other";
            if (last != state) {
                std::printf("%.4f %.4f %s\n", previous, seen, state);
                std::fflush(stdout);
                last = state;
            }
            previous = t;
        }
    } else if (command == "drop" && argc == 4) {
        status = drop(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)), argv[3]);
    } else if (command == "saver-timeout" && argc == 3) {
        int timeout = std::atoi(argv[2]);
        XSetScreenSaver(display, timeout, 0, DontPreferBlanking, AllowExposures);
        XSync(display, False);
    } else if (command == "saver" && argc == 2) {
#ifdef NOCTURO_HAVE_XSS
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (info && XScreenSaverQueryInfo(display, DefaultRootWindow(display), info)) {
            std::printf("%s\n", info->state == ScreenSaverOn ? "on" : "off");
        } else {
            std::fprintf(stderr, "x11probe: the display has no screen saver extension\n");
            status = 1;
        }
        if (info)
            XFree(info);
#else
        std::fprintf(stderr, "x11probe: built without the screen saver extension\n");
        status = 1;
#endif
    } else if (command == "wm" && argc == 2) {
        status = windowManagerRuns(display) ? 0 : 1;
    } else {
        status = usage();
    }
    XCloseDisplay(display);
    return status;
}
