#include "image/picture_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace plate {

namespace {

bool starts_with(std::span<const std::byte> bytes, std::span<const unsigned char> signature) {
  return bytes.size() >= signature.size() &&
         std::equal(signature.begin(), signature.end(), bytes.begin(),
                    [](unsigned char s, std::byte b) { return s == static_cast<unsigned char>(b); });
}

constexpr std::array<unsigned char, 2> kBmpSignature{'B', 'M'};
constexpr std::array<unsigned char, 3> kJpegSignature{0xFF, 0xD8, 0xFF};  // SOI, then a marker
constexpr std::array<unsigned char, 8> kPngSignature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

}  // namespace

std::string_view format_name(PictureFormat format) {
  switch (format) {
    case PictureFormat::bmp:
      return "bmp";
    case PictureFormat::jpeg:
      return "jpeg";
    case PictureFormat::png:
      return "png";
  }
  return "";
}

std::optional<PictureFormat> format_of_bytes(std::span<const std::byte> first_bytes) {
  if (starts_with(first_bytes, kJpegSignature)) return PictureFormat::jpeg;
  if (starts_with(first_bytes, kPngSignature)) return PictureFormat::png;
  if (starts_with(first_bytes, kBmpSignature)) return PictureFormat::bmp;
  return std::nullopt;
}

std::optional<PictureFormat> format_named_by(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::ranges::transform(extension, extension.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  if (extension == ".bmp" || extension == ".dib") return PictureFormat::bmp;
  if (extension == ".jpg" || extension == ".jpeg" || extension == ".jpe" || extension == ".jfif") {
    return PictureFormat::jpeg;
  }
  if (extension == ".png") return PictureFormat::png;
  return std::nullopt;
}

}  // namespace plate
