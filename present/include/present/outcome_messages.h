#pragma once
// The words for what became of loading: the desktop's message box texts (Japanese, as the program
// has always shown them) and the one-line English descriptions the command-line reader prints.
// Every front end takes them from here, so an outcome reads the same everywhere.

#include <filesystem>
#include <string>
#include <string_view>

#include "engine/template_load.h"
#include "image/bitmap_reader.h"

namespace plate {

// The message box text for a picture that could not be read, or empty when there is none (read,
// or an empty picture): "ファイルリードエラーです", "Too big width" (also for a picture too tall)
// or "24ビットビットマップだけを処理します".
std::string_view bitmap_message(ReadOutcome outcome);

// What exactly was wrong with a picture, in English, for logs and the command line.
std::string_view describe(ReadOutcome outcome);

// The message box text for a pattern file that could not be read: "<file>がありません。", naming
// the file as given ("EBMPlog00.patがありません。" for the desktop's own). Empty for any other
// outcome: a file that was read runs with whatever sound templates it held.
std::string template_message(const TemplateLoadOutcome& outcome, const std::filesystem::path& pattern_file);

// One line saying what was wrong with the pattern file, without its name; empty when it loaded.
std::string describe(const TemplateLoadOutcome& outcome);

}  // namespace plate
