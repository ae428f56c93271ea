#pragma once
// A picture's bytes as the decoders read them: front to back, through a small window, from a
// regular file's checked descriptor or from bytes already in memory. A decoder asks only for what
// the picture needs, so bytes after the picture (or past the limit a decoder sets itself) are
// never read, and a file is never held in memory whole.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/regular_file.h"

namespace plate {

class ByteStream {
 public:
  virtual ~ByteStream() = default;

  // The bytes the source holds in all (a file's size when it was opened).
  virtual std::uint64_t size() const = 0;
  // Whether a read failed (as opposed to the source ending).
  virtual bool read_failed() const = 0;

  // Where the next read starts.
  std::uint64_t position() const { return position_; }
  // The bytes after the position.
  std::uint64_t remaining() const { return position_ < size() ? size() - position_ : 0; }
  // Copies the next bytes into `destination`; fewer than asked only at the end or on a failed read.
  std::size_t read(std::span<std::byte> destination);
  // Passes over up to `count` bytes without reading them; returns how many (fewer only at the end).
  std::uint64_t skip(std::uint64_t count);
  // Back to the first byte (for a second decode of the same source).
  void rewind() { position_ = 0; }

 protected:
  virtual std::size_t read_at(std::uint64_t offset, std::span<std::byte> destination) = 0;

 private:
  std::uint64_t position_ = 0;
};

class MemoryStream final : public ByteStream {
 public:
  explicit MemoryStream(std::span<const std::byte> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool read_failed() const override { return false; }

 protected:
  std::size_t read_at(std::uint64_t offset, std::span<std::byte> destination) override;

 private:
  std::span<const std::byte> bytes_;
};

// Reads through the file's descriptor (regular_file.h); the file must outlive the stream.
class FileStream final : public ByteStream {
 public:
  explicit FileStream(RegularFile& file) : file_(file) {}
  std::uint64_t size() const override { return file_.size(); }
  bool read_failed() const override { return file_.read_failed(); }

 protected:
  std::size_t read_at(std::uint64_t offset, std::span<std::byte> destination) override {
    return file_.read_at(offset, destination);
  }

 private:
  RegularFile& file_;
};

}  // namespace plate
