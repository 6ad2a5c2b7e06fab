// Preloaded into the game by measure.sh: notes the wall-clock time of the first picture the game
// presents, in nanoseconds, into the file named by SKYPOP_FIRST_FRAME_FILE, then passes every
// present on unchanged. Only the measurement uses it; the game knows nothing of it.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

extern "C" void SDL_RenderPresent(void* renderer) {
  using Present = void (*)(void*);
  static const auto real = reinterpret_cast<Present>(dlsym(RTLD_NEXT, "SDL_RenderPresent"));
  static bool noted = false;
  if (!noted) {
    noted = true;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (const char* path = std::getenv("SKYPOP_FIRST_FRAME_FILE")) {
      if (FILE* out = std::fopen(path, "w")) {
        std::fprintf(out, "%lld\n",
                     static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fclose(out);
      }
    }
  }
  real(renderer);
}
