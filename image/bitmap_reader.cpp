#include "bitmap_reader.h"

namespace plate {

ReadOutcome read_bitmap(const std::filesystem::path&, Plane& loaded_plane, MessageService&) {
  loaded_plane.fill(0);
  return ReadOutcome::empty_picture;
}

ReadOutcome read_bitmap_bytes(std::span<const std::byte>, Plane& loaded_plane, MessageService&) {
  loaded_plane.fill(0);
  return ReadOutcome::empty_picture;
}

}  // namespace plate
