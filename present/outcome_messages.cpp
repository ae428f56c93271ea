#include "present/outcome_messages.h"

#include "engine/template_file.h"

namespace plate {

namespace {

constexpr std::string_view kReadErrorMessage = "ファイルリードエラーです";
constexpr std::string_view kTooBigMessage = "Too big width";
constexpr std::string_view kOnly24BitMessage = "24ビットビットマップだけを処理します";
constexpr std::string_view kMissingSuffix = "がありません。";

}  // namespace

std::string_view bitmap_message(ReadOutcome outcome) {
  switch (outcome) {
    case ReadOutcome::read:
    case ReadOutcome::empty_picture:
      return {};
    case ReadOutcome::too_wide:
    case ReadOutcome::too_tall:
      return kTooBigMessage;
    case ReadOutcome::not_24_bit:
    case ReadOutcome::colour_masks:
    case ReadOutcome::compressed:
      return kOnly24BitMessage;
    default:
      return kReadErrorMessage;
  }
}

// Each says which check failed and, where it helps, what would make the file readable.
std::string_view describe(ReadOutcome outcome) {
  switch (outcome) {
    case ReadOutcome::read:
      return "read";
    case ReadOutcome::empty_picture:
      return "a picture of height 0";
    case ReadOutcome::missing_file:
      return "no such file";
    case ReadOutcome::not_a_regular_file:
      return "not a regular file; only regular files are read";
    case ReadOutcome::cannot_open:
      return "the file cannot be opened";
    case ReadOutcome::empty_file:
      return "the file is empty";
    case ReadOutcome::headers_cut_short:
      return "the file is too short to be a BMP picture: it ends inside the 54 bytes of its headers";
    case ReadOutcome::wrong_signature:
      return "not a BMP picture: the file does not start with \"BM\"";
    case ReadOutcome::os2_header:
      return "the bitmap info header is shorter than 40 bytes, as in OS/2 bitmaps, which are not read; "
             "save it as a Windows BMP";
    case ReadOutcome::too_wide:
      return "the picture is more than 1024 pixels wide; at most 1024 are read";
    case ReadOutcome::too_tall:
      return "the picture is more than 768 pixels high; at most 768 are read";
    case ReadOutcome::not_24_bit:
      return "the picture does not have 24 bits per pixel; only 24-bit pictures are read";
    case ReadOutcome::colour_masks:
      return "the pixels are laid out by colour masks (BI_BITFIELDS); only plain 24-bit RGB pictures are "
             "read";
    case ReadOutcome::compressed:
      return "the picture is stored compressed; only uncompressed 24-bit pictures are read";
    case ReadOutcome::zero_width:
      return "the picture is 0 pixels wide";
    case ReadOutcome::negative_width:
      return "the width is negative";
    case ReadOutcome::bad_pixel_offset:
      return "the pixel data offset points into the headers or past the end of the file";
    case ReadOutcome::truncated_rows:
      return "the file is cut short inside the pixel rows";
  }
  return "unknown outcome";
}

std::string_view picture_message(PictureOutcome outcome, std::optional<ReadOutcome> bitmap_outcome) {
  if (bitmap_outcome) return bitmap_message(*bitmap_outcome);
  return outcome == PictureOutcome::loaded ? std::string_view() : kReadErrorMessage;
}

std::string_view describe(PictureOutcome outcome, std::optional<ReadOutcome> bitmap_outcome) {
  if (bitmap_outcome) return describe(*bitmap_outcome);
  switch (outcome) {
    case PictureOutcome::loaded:
      return "read";
    case PictureOutcome::missing:
      return "no such file";
    case PictureOutcome::not_regular_file:
      return "not a regular file; only regular files are read";
    case PictureOutcome::cannot_open:
      return "the file cannot be opened";
    case PictureOutcome::empty_file:
      return "the file is empty";
    case PictureOutcome::name_bytes_mismatch:
      return "the name's extension says one picture format and the bytes are another; rename the file "
             "to match what it holds";
    case PictureOutcome::unrecognised_bytes:
      return "not a picture: the bytes start as none of BMP, JPEG and PNG";
    case PictureOutcome::too_large:
      return "the picture has more than 100 million pixels; it is refused before decoding";
    case PictureOutcome::truncated:
      return "the file is cut short: the picture data ends before the picture does";
    case PictureOutcome::corrupt:
      return "the picture data is damaged and cannot be decoded";
    case PictureOutcome::cmyk_jpeg:
      return "a CMYK JPEG (made for print); only grey and colour (RGB) JPEGs are read";
    case PictureOutcome::unsupported:
      return "a variant of the format that is not read";
    case PictureOutcome::bitmap_refused:
      return "the BMP picture is refused";
    case PictureOutcome::too_many_scans:
      return "the JPEG has more than 100 scans (progressive passes), more than any sound file has; it is "
             "refused rather than decoded at length";
    case PictureOutcome::rows_too_long:
      return "the picture's rows are too long to decode (more than 2 million pixels wide at 16 bits, 4 "
             "million at 8); it is refused before decoding";
    case PictureOutcome::interrupted:
      return "the reading was interrupted";
  }
  return "unknown outcome";
}

std::string template_message(const TemplateLoadOutcome& outcome, const std::filesystem::path& pattern_file) {
  switch (outcome.status) {
    case TemplateLoadStatus::missing:
    case TemplateLoadStatus::not_a_regular_file:
    case TemplateLoadStatus::unreadable: {
      const std::u8string name = pattern_file.u8string();
      return std::string(name.begin(), name.end()) + std::string(kMissingSuffix);
    }
    default:
      return {};
  }
}

std::string describe(const TemplateLoadOutcome& outcome) {
  switch (outcome.status) {
    case TemplateLoadStatus::loaded:
      return {};
    case TemplateLoadStatus::missing:
      return "no such file";
    case TemplateLoadStatus::not_a_regular_file:
      return "not a regular file";
    case TemplateLoadStatus::unreadable:
      return "cannot be read";
    case TemplateLoadStatus::wrong_size:
      return std::to_string(outcome.file_bytes) + " bytes, where a pattern file has " +
             std::to_string(kPatternFileBytes);
    case TemplateLoadStatus::bad_record:
      return "record " + std::to_string(outcome.first_bad_record) + " is not a digit template";
  }
  return "unknown outcome";
}

}  // namespace plate
