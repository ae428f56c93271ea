#pragma once
// Whether plate-read reads an input as a video: told by the bytes, never by the name.
//
// A URL (scheme://...) is a video source. A file is a video when it does not start as a picture
// plate-read reads (JPEG, PNG, BMP) and FFmpeg's probe, given its first 64 KB and no name, finds a
// container in it other than a single-picture one. Anything else goes to the picture reader, which
// says what is wrong with it (an empty file, a damaged picture, a text file).

#include <filesystem>
#include <string_view>

namespace plate::video {

bool is_url(std::string_view source);

// Opens nothing but a regular file.
bool is_video_file(const std::filesystem::path& path);

}  // namespace plate::video
