#pragma once
// The recognition engine's entry points: the workspace, the template loader and the run.

#include <cstdint>
#include <filesystem>

#include "message_service.h"
#include "workspace.h"

namespace plate {

// Reads the pattern file into the template table: up to 164280 bytes, byte for byte; a shorter
// file leaves the rest zero. A file that cannot be opened gives the message
// "EBMPlog00.patがありません。" and an all-zero table. Returns whether the file was opened.
// The first form opens the bare name "EBMPlog00.pat", relative to the working directory.
bool load_templates(TemplateTable& templates, MessageService& messages);
bool load_templates(TemplateTable& templates, MessageService& messages,
                    const std::filesystem::path& pattern_file);

// One recognition run over workspace.display with workspace.templates; leaves the run result in
// workspace.result. Never changes the display plane, never fails, allocates nothing.
void run_recognition(Workspace& workspace);

// The processing time between two readings of a wrapping 32-bit millisecond counter.
constexpr std::uint32_t elapsed_ms(std::uint32_t start_tick, std::uint32_t end_tick) {
  return end_tick - start_tick;
}

}  // namespace plate
