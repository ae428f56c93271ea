#include "bench_inputs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "engine/template_file.h"
#include "image/bitmap_reader.h"
#include "present/outcome_messages.h"

namespace plate::bench {

namespace {

void fill_box(Plane& plane, int x_min, int x_max, int y_min, int y_max, std::uint8_t level) {
  for (int y = y_min; y <= y_max; ++y) {
    std::memset(plane.row(y) + kBytesPerPixel * x_min, level,
                std::size_t(kBytesPerPixel * (x_max - x_min + 1)));
  }
}

// Segments of a seven-segment digit, one bit each:
//     a          bit 0 = a (top), 1 = b (upper right), 2 = c (lower right), 3 = d (bottom),
//   f   b            4 = e (lower left), 5 = f (upper left), 6 = g (middle)
//     g
//   e   c
//     d
constexpr std::array<unsigned, 10> kSegmentsOfDigit{0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                    0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void draw_seven_segment_digit(Plane& picture, int digit, int x, int y) {
  constexpr int kWidth = 22, kHeight = 42, kStroke = 5;
  constexpr std::uint8_t kInk = 20;
  const unsigned segments = kSegmentsOfDigit[std::size_t(digit)];
  const int right = x + kWidth - 1, top = y + kHeight - 1, middle = y + kHeight / 2;
  const auto on = [segments](int bit) { return (segments >> bit) & 1U; };
  if (on(0)) fill_box(picture, x, right, top - kStroke + 1, top, kInk);
  if (on(1)) fill_box(picture, right - kStroke + 1, right, middle, top, kInk);
  if (on(2)) fill_box(picture, right - kStroke + 1, right, y, middle, kInk);
  if (on(3)) fill_box(picture, x, right, y, y + kStroke - 1, kInk);
  if (on(4)) fill_box(picture, x, x + kStroke - 1, y, middle, kInk);
  if (on(5)) fill_box(picture, x, x + kStroke - 1, middle, top, kInk);
  if (on(6)) fill_box(picture, x, right, middle - kStroke / 2, middle + kStroke / 2, kInk);
}

}  // namespace

void draw_crowded_digits(Plane& picture) {
  picture.fill(235);
  constexpr int kRows = 12, kPlatesPerRow = 7, kDigitsPerPlate = 4;
  constexpr int kDigitPitch = 30, kPlatePitch = kDigitsPerPlate * kDigitPitch + 12, kRowPitch = 60;
  int digit = 0;
  for (int row = 0; row < kRows; ++row) {
    for (int p = 0; p < kPlatesPerRow; ++p) {
      for (int d = 0; d < kDigitsPerPlate; ++d) {
        draw_seven_segment_digit(picture, digit, 20 + p * kPlatePitch + d * kDigitPitch,
                                 20 + row * kRowPitch);
        digit = (digit + 3) % 10;
      }
    }
  }
}

BenchInputs load_bench_inputs(const std::filesystem::path& pattern_file,
                              const std::filesystem::path& sample_folder) {
  BenchInputs inputs;
  inputs.templates = std::make_unique<TemplateTable>();
  if (const TemplateLoadOutcome loaded = load_template_file(*inputs.templates, pattern_file);
      !loaded.loaded()) {
    throw std::runtime_error(pattern_file.string() + ": " + describe(loaded));
  }

  std::vector<std::filesystem::path> samples;
  for (const auto& entry : std::filesystem::directory_iterator(sample_folder)) {
    if (entry.path().extension() == ".bmp") samples.push_back(entry.path());
  }
  std::sort(samples.begin(), samples.end());
  for (const auto& path : samples) {
    auto plane = std::make_unique<Plane>();
    if (const ReadOutcome outcome = read_bitmap(path, *plane); outcome != ReadOutcome::read) {
      throw std::runtime_error(path.string() + ": " + std::string(describe(outcome)));
    }
    inputs.pictures.push_back({path.stem().string(), std::move(plane)});
  }

  auto crowded = std::make_unique<Plane>();
  draw_crowded_digits(*crowded);
  inputs.pictures.push_back({"crowded", std::move(crowded)});
  return inputs;
}

}  // namespace plate::bench
