#pragma once
// The little plate-read needs to know about the terminal it runs in.

namespace plate::cli {

// Whether standard error goes to a terminal, where a progress line that rewrites itself helps
// rather than litters a log file.
bool stderr_is_terminal();

// Plate texts and the engine's messages are UTF-8; a Windows console shows its own code page
// unless told otherwise. Nothing to do elsewhere.
void use_utf8_console();

}  // namespace plate::cli
