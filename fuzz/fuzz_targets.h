#pragma once
// The fuzzed entry points. The libFuzzer programs and fuzz-replay call the same functions: the
// fuzzers look for inputs that break them, and fuzz-replay runs every saved input in every build,
// so a fixed finding stays fixed.
//
// Each target feeds arbitrary bytes to one component and then checks what must hold whatever the
// input; a broken rule is reported on stderr and aborts, so that the fuzzer keeps the input.

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

namespace plate::fuzz {

inline void require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "fuzz target: broken rule: %s\n", rule);
  std::abort();
}

// The bytes as a bitmap file, through read_bitmap_bytes.
void read_bitmap_target(std::span<const std::byte> input);

// The bytes as a pattern file, through fill_templates; the templates are then matched against a
// few drawn candidates.
void load_templates_target(std::span<const std::byte> input);

// A whole recognition run over a picture from the input, with templates that an earlier run
// traced from that picture. Input layout (bytes past the end read as 0):
//   0       bit 0: the picture is a bitmap file (1) or raw grey levels (0);
//           bits 1-4: how many of the first run's candidates become templates (at most 10)
//   1..10   the templates' characters, '0' + byte % 10
//   bitmap: 11.. the file
//   raw:    11 width - 1; 12 left column / 4; 13 bottom row / 3; 14 the frame's grey level;
//           15.. grey levels row by row from the bottom, clipped to the frame
void recognition_run_target(std::span<const std::byte> input);

#if PLATE_PICTURE_DECODING
// The bytes as a JPEG, a PNG and a bitmap of the depths and sizes the 24-bit reader refuses,
// each through its decoder and then fitted into the frame; the decoded size, the held pixels and
// the frame mapping are checked against each other.
void decode_jpeg_target(std::span<const std::byte> input);
void decode_png_target(std::span<const std::byte> input);
void decode_bitmap_target(std::span<const std::byte> input);
#endif

struct Target {
  std::string_view name;  // also the name of its folder in fuzz/corpus
  void (*run)(std::span<const std::byte>);
};

inline constexpr auto kTargets = std::to_array<Target>({
  {"read_bitmap", read_bitmap_target}, {"load_templates", load_templates_target},
      {"recognition_run", recognition_run_target},
#if PLATE_PICTURE_DECODING
      {"decode_jpeg", decode_jpeg_target}, {"decode_png", decode_png_target},
      {"decode_bitmap", decode_bitmap_target},
#endif
});

}  // namespace plate::fuzz
