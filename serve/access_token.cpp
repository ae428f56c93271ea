#include "serve/access_token.h"

#include <arpa/inet.h>

#include <array>
#include <fstream>

namespace plate::serve {

bool is_loopback_address(std::string_view address) {
  if (address == "localhost") return true;
  const std::string text(address);
  std::array<unsigned char, 16> bytes{};
  if (inet_pton(AF_INET, text.c_str(), bytes.data()) == 1) return bytes[0] == 127;
  if (inet_pton(AF_INET6, text.c_str(), bytes.data()) == 1) {
    const std::array<unsigned char, 16> loopback{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    return bytes == loopback;
  }
  return false;
}

LoadedToken load_token(const std::optional<std::filesystem::path>& file, const char* environment_value) {
  std::string token;
  if (file) {
    std::ifstream in(*file, std::ios::binary);
    if (!in) return {{}, "cannot read the token file " + file->string()};
    std::getline(in, token);
    if (in.bad()) return {{}, "cannot read the token file " + file->string()};
    if (token.ends_with('\r')) token.pop_back();
    if (token.empty()) return {{}, "the token file " + file->string() + " holds no token on its first line"};
    return {token, {}};
  }
  if (environment_value == nullptr) return {};
  if (*environment_value == '\0') return {{}, "PLATE_SERVE_TOKEN is set but empty"};
  return {std::string(environment_value), {}};
}

bool bearer_matches(std::string_view authorization, std::string_view token) {
  constexpr std::string_view kScheme = "Bearer ";
  if (!authorization.starts_with(kScheme) || token.empty()) return false;
  const std::string_view shown = authorization.substr(kScheme.size());
  // Every byte of the token is compared, whatever the shown value is, and differences are only
  // gathered, so that no early exit tells a client how much of its guess was right.
  unsigned difference = shown.size() == token.size() ? 0U : 1U;
  for (std::size_t i = 0; i < token.size(); ++i) {
    const unsigned char shown_byte = i < shown.size() ? static_cast<unsigned char>(shown[i]) : 0U;
    difference |= shown_byte ^ static_cast<unsigned char>(token[i]);
  }
  return difference == 0;
}

}  // namespace plate::serve
