// Waits until the screen's pixel (X, Y) shows the colour RRGGBB and prints the milliseconds since
// the watcher started (started beside a game, the time to its first frame). Reads the one pixel
// every millisecond; gives up after 60 s.
// Usage: first_frame_watch X Y RRGGBB   (on the X display that DISPLAY names)
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: first_frame_watch X Y RRGGBB\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const int x = std::atoi(argv[1]);
  const int y = std::atoi(argv[2]);
  const unsigned long colour = std::strtoul(argv[3], nullptr, 16);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "first_frame_watch: no display\n");
    return 1;
  }
  const Window root = DefaultRootWindow(display);
  for (;;) {
    XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
    const unsigned long pixel = image != nullptr ? XGetPixel(image, 0, 0) & 0xFFFFFF : 0;
    if (image != nullptr) XDestroyImage(image);
    const auto now = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - start).count();
    if (pixel == colour) {
      std::printf("%.0f\n", ms);
      break;
    }
    if (ms > 60000) {
      std::printf("none\n");
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  XCloseDisplay(display);
  return 0;
}
