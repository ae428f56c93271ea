// render-plate: draws number plate pictures from the command line, for the shipped samples and
// for trying the reader on pictures of one's own making.

#include <charconv>
#include <cstdint>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "image/bitmap_writer.h"
#include "plate_scene.h"
#include "present/plate_text.h"

namespace {

using plate::tools::Background;
using plate::tools::BackgroundKind;
using plate::tools::PlacedPlate;
using plate::tools::PlateKind;
using plate::tools::Rgb;
using plate::tools::Scene;

constexpr std::string_view kUsage = R"(usage: render-plate [options] OUTPUT.bmp
  --size WxH            picture size, at most 1024x768 (default 480x320)
  --plate SERIAL[:key=value...]
                        adds a plate (repeatable); SERIAL is 1 to 4 digits; keys:
                          kind=private|kei  width=PX (default 330; height is half)
                          at=X,Y  top-left corner in pixels (default: centred)
                          region=KANJI  class=DIGITS (may be empty)  kana=HIRAGANA
  --background uniform:R,G,B | gradient:R,G,B/R,G,B | clutter:R,G,B/R,G,B[/CELL]
                        (default uniform:200,200,200)
  --blur SIGMA          Gaussian blur in pixels (default 0)
  --noise SIGMA         Gaussian noise in levels (default 0)
  --seed N              seed of clutter and noise (default 1)
Writes a 24-bit bitmap and prints each plate's expected text, one line per plate.
)";

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

template <typename Number>
Number parse_number(std::string_view text, std::string_view what) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size())
    throw std::invalid_argument(std::string(what) + ": not a number: \"" + std::string(text) + "\"");
  return value;
}

Rgb parse_colour(std::string_view text) {
  const std::vector<std::string_view> parts = split(text, ',');
  if (parts.size() != 3) throw std::invalid_argument("a colour is R,G,B, not \"" + std::string(text) + "\"");
  const auto channel = [&](std::size_t i) {
    const int level = parse_number<int>(parts[i], "colour");
    if (level < 0 || level > 255) throw std::invalid_argument("a colour channel is 0 to 255");
    return static_cast<std::uint8_t>(level);
  };
  return {channel(0), channel(1), channel(2)};
}

Background parse_background(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view kind = text.substr(0, colon);
  const std::vector<std::string_view> values =
      colon == std::string_view::npos ? std::vector<std::string_view>{} : split(text.substr(colon + 1), '/');
  Background background;
  if (kind == "uniform" && values.size() == 1) {
    background.kind = BackgroundKind::uniform;
  } else if (kind == "gradient" && values.size() == 2) {
    background.kind = BackgroundKind::gradient;
  } else if (kind == "clutter" && (values.size() == 2 || values.size() == 3)) {
    background.kind = BackgroundKind::clutter;
    if (values.size() == 3) background.cell_px = parse_number<int>(values[2], "clutter cell");
  } else {
    throw std::invalid_argument("unknown background \"" + std::string(text) + "\"");
  }
  background.first = parse_colour(values[0]);
  if (values.size() > 1) background.second = parse_colour(values[1]);
  return background;
}

// The command line is UTF-8; plates want code points for their Japanese characters.
std::u32string decode_utf8(std::string_view text) {
  std::u32string decoded;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80         ? 1
                       : lead >> 5 == 0x6  ? 2
                       : lead >> 4 == 0xE  ? 3
                       : lead >> 3 == 0x1E ? 4
                                           : 0;
    if (length == 0 || i + std::size_t(length) > text.size())
      throw std::invalid_argument("text is not UTF-8");
    char32_t code_point = length == 1 ? lead : lead & (0x7Fu >> length);
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + std::size_t(k)]);
      if (next >> 6 != 0x2) throw std::invalid_argument("text is not UTF-8");
      code_point = (code_point << 6) | (next & 0x3Fu);
    }
    decoded += code_point;
    i += std::size_t(length);
  }
  return decoded;
}

struct PlateRequest {
  PlacedPlate plate;
  bool centred = true;
};

PlateRequest parse_plate(std::string_view text) {
  const std::vector<std::string_view> fields = split(text, ':');
  PlateRequest request;
  request.plate.serial = std::string(fields[0]);
  for (std::size_t i = 1; i < fields.size(); ++i) {
    const std::size_t equals = fields[i].find('=');
    const std::string_view key = fields[i].substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view{} : fields[i].substr(equals + 1);
    if (key == "kind" && (value == "private" || value == "kei")) {
      request.plate.kind = value == "kei" ? PlateKind::kei : PlateKind::private_car;
    } else if (key == "width") {
      request.plate.width_px = parse_number<double>(value, "plate width");
    } else if (key == "at") {
      const std::vector<std::string_view> corner = split(value, ',');
      if (corner.size() != 2) throw std::invalid_argument("a plate position is at=X,Y");
      request.plate.left_px = parse_number<double>(corner[0], "plate position");
      request.plate.top_px = parse_number<double>(corner[1], "plate position");
      request.centred = false;
    } else if (key == "region") {
      request.plate.region = decode_utf8(value);
    } else if (key == "class") {
      request.plate.classification = std::string(value);
    } else if (key == "kana" && decode_utf8(value).size() == 1) {
      request.plate.hiragana = decode_utf8(value)[0];
    } else {
      throw std::invalid_argument("unknown plate field \"" + std::string(fields[i]) + "\"");
    }
  }
  return request;
}

struct Command {
  Scene scene;
  std::string output;
};

Command parse_command(int argc, char** argv) {
  Command command;
  std::vector<PlateRequest> plates;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const auto value = [&]() -> std::string_view {
      if (i + 1 >= argc) throw std::invalid_argument(std::string(argument) + " needs a value");
      return argv[++i];
    };
    if (argument == "--size") {
      const std::vector<std::string_view> size = split(value(), 'x');
      if (size.size() != 2) throw std::invalid_argument("a size is WxH");
      command.scene.width = parse_number<int>(size[0], "width");
      command.scene.height = parse_number<int>(size[1], "height");
    } else if (argument == "--plate") {
      plates.push_back(parse_plate(value()));
    } else if (argument == "--background") {
      command.scene.background = parse_background(value());
    } else if (argument == "--blur") {
      command.scene.blur_sigma_px = parse_number<double>(value(), "blur");
    } else if (argument == "--noise") {
      command.scene.noise_sigma = parse_number<double>(value(), "noise");
    } else if (argument == "--seed") {
      command.scene.seed = parse_number<std::uint64_t>(value(), "seed");
    } else if (argument.starts_with("--") || !command.output.empty()) {
      throw std::invalid_argument("unexpected argument \"" + std::string(argument) + "\"");
    } else {
      command.output = std::string(argument);
    }
  }
  if (command.output.empty()) throw std::invalid_argument("no output file given");
  // Centring needs the picture size, which may come after the plate on the command line.
  for (PlateRequest& request : plates) {
    if (request.centred) {
      request.plate.left_px = (command.scene.width - request.plate.width_px) / 2;
      request.plate.top_px = (command.scene.height - request.plate.width_px / 2) / 2;
    }
    command.scene.plates.push_back(request.plate);
  }
  return command;
}

}  // namespace

int main(int argc, char** argv) {
  Command command;
  try {
    command = parse_command(argc, argv);
  } catch (const std::invalid_argument& error) {
    std::cerr << "render-plate: " << error.what() << "\n" << kUsage;
    return 2;
  }
  try {
    auto frame = std::make_unique<plate::Plane>();
    plate::tools::render_scene(command.scene, plate::tools::load_plate_fonts(), *frame);
    if (!plate::write_bitmap(command.output, *frame, command.scene.width, command.scene.height)) {
      std::cerr << "render-plate: cannot write " << command.output << "\n";
      return 1;
    }
  } catch (const std::exception& error) {
    std::cerr << "render-plate: " << error.what() << "\n";
    return 1;
  }
  for (const PlacedPlate& plate : command.scene.plates)
    std::cout << plate::plate_text_to_utf8(plate::tools::expected_plate_text(plate.serial)) << "\n";
  return 0;
}
