#pragma once
// plate-serve's command line.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "serve/service.h"

namespace plate::serve {

struct ServeOptions {
  std::string address = "127.0.0.1";
  int port = 8080;  // 0: one the system chooses (the start line names it)
  ServiceSettings service;
  std::optional<std::filesystem::path> patterns;
  std::optional<std::filesystem::path> token_file;
};

struct ServeCommandLine {
  ServeOptions options;
  bool show_help = false;
  std::string usage_error;  // set when the command line cannot be used
};

// `default_workers` is the number of workers when --workers is not given (the machine's cores).
ServeCommandLine parse_serve_command_line(std::span<const std::string_view> arguments, int default_workers);

std::string serve_help_text();

}  // namespace plate::serve
