#include "machine/resources.h"

#include <strings.h>

#include <array>

namespace platform {
namespace {

constexpr int kMaxOverrides = 16;

struct Override {
  const char* name;
  ResourceType type;
  const uint8_t* data;
  size_t size;
  bool hidden;
};

std::array<Override, kMaxOverrides> overrides{};
int overrideCount = 0;

bool SameName(const char* a, const char* b) {
  return strcasecmp(a, b) == 0;
}

}  // namespace

bool FindResource(const char* name, ResourceType type, ResourceBytes* out) {
  if (name == nullptr || out == nullptr) return false;
  for (int i = overrideCount - 1; i >= 0; --i) {
    const Override& o = overrides[static_cast<size_t>(i)];
    if (o.type == type && SameName(o.name, name)) {
      if (o.hidden) return false;
      *out = ResourceBytes{o.data, o.size};
      return true;
    }
  }
  for (const EmbeddedResource* r = kEmbeddedResources; r->name != nullptr; ++r) {
    if (r->type == type && SameName(r->name, name)) {
      *out = ResourceBytes{r->data, r->size};
      return true;
    }
  }
  return false;
}

void OverrideResource(const char* name, ResourceType type, const uint8_t* data, size_t size) {
  if (overrideCount == kMaxOverrides) return;
  overrides[static_cast<size_t>(overrideCount++)] = Override{name, type, data, size, false};
}

void HideResource(const char* name, ResourceType type) {
  if (overrideCount == kMaxOverrides) return;
  overrides[static_cast<size_t>(overrideCount++)] = Override{name, type, nullptr, 0, true};
}

void ClearResourceOverrides() {
  overrideCount = 0;
}

}  // namespace platform
