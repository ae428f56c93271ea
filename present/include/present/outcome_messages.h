#pragma once
// The words for what became of loading: the desktop's message box texts (Japanese, as the program
// has always shown them) and the one-line English descriptions the command-line reader prints.
// Every front end takes them from here, so an outcome reads the same everywhere.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "engine/template_load.h"
#include "image/bitmap_reader.h"
#include "image/picture_outcome.h"

namespace plate {

// The message box text for a picture that could not be read, or empty when there is none (read,
// or an empty picture): "ファイルリードエラーです", "Too big width" (also for a picture too tall)
// or "24ビットビットマップだけを処理します".
std::string_view bitmap_message(ReadOutcome outcome);

// What exactly was wrong with a picture, in English, for logs and the command line.
std::string_view describe(ReadOutcome outcome);

// The message box text for a picture of any format that could not be loaded, or empty when it
// was: read_bitmap's own text when it handled the file (`bitmap_outcome`), otherwise
// "ファイルリードエラーです", the window's words for a file it cannot read.
std::string_view picture_message(PictureOutcome outcome, std::optional<ReadOutcome> bitmap_outcome);

// What was wrong with a picture of any format, in English; read_bitmap's description when it
// refused the file.
std::string_view describe(PictureOutcome outcome, std::optional<ReadOutcome> bitmap_outcome);

// The message box text for a pattern file that could not be read: "<file>がありません。", naming
// the file as given ("EBMPlog00.patがありません。" for the desktop's own). Empty for any other
// outcome: a file that was read runs with whatever sound templates it held.
std::string template_message(const TemplateLoadOutcome& outcome, const std::filesystem::path& pattern_file);

// One line saying what was wrong with the pattern file, without its name; empty when it loaded.
std::string describe(const TemplateLoadOutcome& outcome);

}  // namespace plate
