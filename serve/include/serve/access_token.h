#pragma once
// Who may use the service: on a loopback address anyone on this machine may (as with any local
// program), elsewhere only a client that shows the service's token as `Authorization: Bearer`.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace plate::serve {

// Whether `address` (a numeric IPv4 or IPv6 address, or "localhost") can be reached only from this
// machine: 127.0.0.0/8, ::1, localhost. Any other name counts as reachable from elsewhere.
bool is_loopback_address(std::string_view address);

struct LoadedToken {
  std::optional<std::string> token;
  std::string problem;  // set when a token was asked for and none could be had, in words for the user
};

// The token from `file` (its first line, without the line end) when one is named, else from the
// environment variable PLATE_SERVE_TOKEN (`environment_value`); no token when neither gives one. A
// file that cannot be read or an empty token is a problem.
LoadedToken load_token(const std::optional<std::filesystem::path>& file, const char* environment_value);

// Whether the value of an Authorization header is "Bearer TOKEN" with exactly this token. The time
// it takes depends on the lengths only, never on where the header first differs from the token.
bool bearer_matches(std::string_view authorization, std::string_view token);

}  // namespace plate::serve
