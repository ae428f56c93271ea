#pragma once
// plate-read's text output for one file's record; its JSON Lines are the records' one JSON form
// (reader/record_json.h).

#include <string>

#include "reader/record.h"

namespace plate::cli {

struct ReportDetail {
  bool log = false;         // the diagnostic log lines
  bool candidates = false;  // the review of every candidate
};

// Lines for a person or a shell pipeline: "NAME<TAB>PLATE PLATE<TAB>N ms" (NAME escaped by
// escaped_name, so that it is one field whatever it holds), then, as asked, one
// indented line per candidate and per log line. A file that could not be read gives no line:
// its message is on stderr.
std::string format_text(const reader::Record& report, ReportDetail detail);

}  // namespace plate::cli
