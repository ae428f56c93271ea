#pragma once
// The options of a reading request, given in its query as plate-read's are on its command line:
// `max_distance=N`, `small_plates`, `candidates`. A flag is on when present with no value or with
// `1`/`true`, off with `0`/`false`.

#include <map>
#include <string>
#include <variant>

#include "reader/reader.h"

namespace plate::serve {

// The query's parameters, name to value, as the HTTP layer parsed them (a name may repeat).
using QueryParameters = std::multimap<std::string, std::string>;

// The settings a request asks for, or why they cannot be used (an unknown name, a bad value), in
// words for the client.
std::variant<reader::ReadSettings, std::string> parse_read_options(const QueryParameters& parameters);

}  // namespace plate::serve
