#include "image/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace plate {

std::size_t ByteStream::read(std::span<std::byte> destination) {
  const std::size_t count = read_at(position_, destination);
  position_ += count;
  return count;
}

std::uint64_t ByteStream::skip(std::uint64_t count) {
  const std::uint64_t skipped = std::min(count, remaining());
  position_ += skipped;
  return skipped;
}

std::size_t MemoryStream::read_at(std::uint64_t offset, std::span<std::byte> destination) {
  if (offset >= bytes_.size()) return 0;
  const std::size_t count = std::min<std::uint64_t>(destination.size(), bytes_.size() - offset);
  std::memcpy(destination.data(), bytes_.data() + offset, count);
  return count;
}

}  // namespace plate
