#pragma once
// plate-read's two output formats for one file's report.

#include <string>

#include "file_report.h"

namespace plate::cli {

struct ReportDetail {
  bool log = false;         // the diagnostic log lines
  bool candidates = false;  // the review of every candidate
};

// Lines for a person or a shell pipeline: "NAME<TAB>PLATE PLATE<TAB>N ms" (NAME escaped by
// escaped_name, so that it is one field whatever it holds), then, as asked, one
// indented line per candidate and per log line. A file that could not be read gives no line:
// its message is on stderr.
std::string format_text(const FileReport& report, ReportDetail detail);

// One JSON object on one line (JSON Lines). The log is always included; the candidates as asked.
std::string format_json(const FileReport& report, ReportDetail detail);

}  // namespace plate::cli
