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

#include "platform/render/Framebuffer.h"
#include "platform/render/PngFile.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef NOCTURO_HAVE_XSS
#include <X11/extensions/scrnsaver.h>
#endif

namespace {

int usage() {
    std::fprintf(stderr, "usage: x11probe shot FILE.png | pixel X Y | saver-timeout SECONDS | "
                         "saver | watch X Y SECONDS\n");
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

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
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
    } else {
        status = usage();
    }
    XCloseDisplay(display);
    return status;
}
