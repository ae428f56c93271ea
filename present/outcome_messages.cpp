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
    case ReadOutcome::compressed:
      return kOnly24BitMessage;
    default:
      return kReadErrorMessage;
  }
}

std::string_view describe(ReadOutcome outcome) {
  switch (outcome) {
    case ReadOutcome::read:
      return "read";
    case ReadOutcome::empty_picture:
      return "a picture of height 0";
    case ReadOutcome::missing_file:
      return "no such file";
    case ReadOutcome::not_a_regular_file:
      return "not a regular file";
    case ReadOutcome::cannot_open:
      return "cannot be opened";
    case ReadOutcome::empty_file:
      return "empty file";
    case ReadOutcome::headers_cut_short:
      return "the file ends inside its headers";
    case ReadOutcome::wrong_signature:
      return "not a bitmap (no \"BM\" signature)";
    case ReadOutcome::os2_header:
      return "an OS/2 bitmap header, shorter than 40 bytes";
    case ReadOutcome::too_wide:
      return "wider than 1024 pixels";
    case ReadOutcome::too_tall:
      return "taller than 768 pixels";
    case ReadOutcome::not_24_bit:
      return "not 24 bits per pixel";
    case ReadOutcome::compressed:
      return "compressed";
    case ReadOutcome::zero_width:
      return "a width of 0";
    case ReadOutcome::negative_width:
      return "a negative width";
    case ReadOutcome::bad_pixel_offset:
      return "the pixel data offset lies inside the headers or past the end";
    case ReadOutcome::truncated_rows:
      return "the pixel rows end early";
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
