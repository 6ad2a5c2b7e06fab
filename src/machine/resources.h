// The game's data files, compiled into the executable and found by name and type.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

enum class ResourceType { kBitmap, kWave, kMids, kIcon };

// Read-only bytes of one resource; valid for the life of the process.
struct ResourceBytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// One row of the table the build step generates (ends with a row whose name is null).
struct EmbeddedResource {
  const char* name;
  ResourceType type;
  const unsigned char* data;
  size_t size;
};
extern const EmbeddedResource kEmbeddedResources[];

// Finds a resource by name (without regard to case) and type; false when there is none.
bool FindResource(const char* name, ResourceType type, ResourceBytes* out);

// Makes FindResource give these bytes for name and type, ahead of the embedded ones (tests only).
// The bytes must stay valid until ClearResourceOverrides.
void OverrideResource(const char* name, ResourceType type, const uint8_t* data, size_t size);

// Hides an embedded resource, so that its look-up finds nothing (tests only).
void HideResource(const char* name, ResourceType type);

// Drops every override and hidden name.
void ClearResourceOverrides();

}  // namespace platform
