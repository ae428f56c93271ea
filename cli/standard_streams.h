#pragma once
// plate-read's hold on its three standard descriptors and every write of results to standard output.

#include <optional>
#include <string>
#include <string_view>

namespace plate::cli {

// Runs first, before any file is opened: a standard descriptor that the caller left closed is
// reopened on the null device, so that no picture or overlay file can become descriptor 0, 1 or 2
// and receive result lines. A closed standard output is remembered: results asked for cannot be
// delivered, so the first write of results fails (see write_results).
void claim_standard_descriptors();

// Writes `text` to standard output and flushes it. Returns why it failed (a closed standard
// output, a full disk, a reader that went away with SIGPIPE ignored), or nothing when it went out.
std::optional<std::string> write_results(std::string_view text);

}  // namespace plate::cli
