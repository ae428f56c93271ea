// plate-read as users run it: the built program, its exit status, stdout and stderr.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "image/bitmap_reader.h"
#include "json_record_text.h"
#include "scratch_folder.h"

#ifdef PLATE_READ_PICTURES
#include "encoded_pictures.h"
#endif

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace plate {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = fs::path(PLATE_SOURCE_DIR) / "data" / "samples";

std::string quoted(const fs::path& path) {
#ifdef _WIN32
  std::string out = "\"";  // built in steps: GCC 12 misreads "\"" + path + "\"" as an overlapping copy
  out += path.string();
  return out += '"';
#else
  std::string out = "'";
  for (const char c : path.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
#endif
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
  return lines;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct ProgramRun {
  int status;
  std::string out;
  std::string err;
};

ProgramRun run_plate_read(const fs::path& dir, const std::string& arguments,
                          const std::string& standard_input = "") {
  std::ofstream(dir / "stdin.txt", std::ios::binary) << standard_input;
#ifdef _WIN32
  const std::string change_directory = "cd /d ";  // the temporary folder may be on another drive
#else
  const std::string change_directory = "cd ";
#endif
  const std::string command = change_directory + quoted(dir) + " && " + quoted(PLATE_READ_PROGRAM) + " " +
                              arguments + " <" + quoted(dir / "stdin.txt") + " >" +
                              quoted(dir / "stdout.txt") + " 2>" + quoted(dir / "stderr.txt");
#ifdef _WIN32
  const int status = std::system(("\"" + command + "\"").c_str());
#else
  const int raw = std::system(command.c_str());
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  // Windows writes its text streams' line ends as CR LF; the tests compare lines.
  auto text = [](std::string bytes) {
    std::erase(bytes, '\r');
    return bytes;
  };
  return {status, testing::file_text(dir / "stdout.txt"), text(testing::file_text(dir / "stderr.txt"))};
}

// Arguments in order; a directory gives its bitmaps in name order, "-" the names on stdin. A file
// that cannot be read gives no stdout line, its name and message on stderr, and exit status 1; a
// directory without pictures is told in its place.
TEST(PlateReadCliTest, ReadsFilesDirectoriesAndTheNameListInOrder) {
  const testing::ScratchFolder scratch("plate_read_cli");
  const fs::path& dir = scratch.path();
  fs::create_directories(dir / "pictures" / "sub.bmp");  // a directory is not a picture
  fs::create_directories(dir / "empty");
  for (const char* name : {"x.bmp", "y.bmp", "z.bmp", "pictures/b.BMP", "pictures/a.bmp", "pictures/c.Bmp"})
    fs::copy_file(kSamples / "no_plate.bmp", dir / name);  // reads, and holds no plate
  std::ofstream(dir / "pictures" / "notes.txt") << "not a picture";
  std::ofstream(dir / "bad.bmp") << "BM, then no bitmap";
  const ProgramRun run =
      run_plate_read(dir, "x.bmp pictures - bad.bmp empty missing.bmp y.bmp", "z.bmp\r\n\nx.bmp\n");
  EXPECT_EQ(run.status, 1);
  std::vector<std::string> names;
  for (const std::string& line : lines_of(run.out)) names.push_back(line.substr(0, line.find('\t')));
  // A name shows a backslash, Windows' separator too, as "\\".
  const std::string in = fs::path::preferred_separator == '\\' ? "pictures\\\\" : "pictures/";
  EXPECT_EQ(names, (std::vector<std::string>{"x.bmp", in + "a.bmp", in + "b.BMP", in + "c.Bmp", "z.bmp",
                                             "x.bmp", "y.bmp"}));
  EXPECT_EQ(
      run.err,
      "plate-read: bad.bmp: the file is too short to be a BMP picture: it ends inside the 54 bytes of its "
      "headers (ファイルリードエラーです)\nplate-read: empty: no .bmp, .jpg, .jpeg or .png file in the "
      "directory\nplate-read: missing.bmp: no such file "
      "(ファイルリードエラーです)\n");
}

TEST(PlateReadCliTest, UsageErrorsExitTwoWithAMessageAndNoOutput) {
  const testing::ScratchFolder scratch("plate_read_cli");
  const fs::path& dir = scratch.path();
  fs::copy_file(kSamples / "no_plate.bmp", dir / "a.bmp");
  const std::pair<std::string, std::string> cases[] = {
      {"", "no input file"},
      {"--overlay o.bmp a.bmp a.bmp", "--overlay takes one input file"},
      {"--overlay o.jpg a.bmp", "--overlay o.jpg: an overlay is written as"},
      {"--overlay-dir out a.bmp ./a.bmp", "would both write"},
      {"--patterns nowhere.pat a.bmp", "nowhere.pat: no such file (nowhere.patがありません。)\n"},
      {"--patterns . a.bmp", ".: a directory; only regular files are read"},
      {"--patterns a.bmp a.bmp", "bytes, where a pattern file has 164280"}};
  for (const auto& [arguments, message] : cases) {
    const ProgramRun run = run_plate_read(dir, arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
    EXPECT_TRUE(run.err.starts_with("plate-read: ") && contains(run.err, message)) << run.err;
  }
}

// A --json line in the manifest's columns: the plate texts joined by " " and the log lines by
// " | ", "-" for none. Neither holds a quote, so the next quote ends each string.
std::string manifest_columns(const std::string& json) {
  std::string plates, log;
  for (std::size_t at = json.find("\"text\":\""); at != std::string::npos;
       at = json.find("\"text\":\"", at + 1))
    plates.append(plates.empty() ? "" : " ").append(json, at + 8, json.find('"', at + 8) - at - 8);
  for (std::size_t at = json.find("\"log\":[") + 7; json[at] == '"'; at = json.find('"', at + 1) + 2)
    log.append(log.empty() ? "" : " | ").append(json, at + 1, json.find('"', at + 1) - at - 1);
  return (plates.empty() ? "-" : plates) + "\t" + (log.empty() ? "-" : log);
}

#ifdef PLATE_READ_PICTURES
// The sample's first plate frame, "x_min..x_max y_min..y_max" as its --json line gives it.
std::string first_box(const std::string& json, const std::string& key) {
  const std::size_t at = json.find("\"" + key + "\":{");
  return at == std::string::npos ? std::string() : json.substr(at, json.find('}', at) - at + 1);
}

// JPEG and PNG pictures of a sample, at the frame's size and at twice it, read in a directory in
// name order: the same plates as the bitmap, the picture's format, size and scale, and each plate
// frame also in the picture's pixels (rows from the top, each frame pixel k x k picture pixels).
TEST(PlateReadCliTest, PhotosOfAnySizeGiveTheSamplesPlatesWithBoxesInPicturePixels) {
  const testing::ScratchFolder scratch("plate_read_cli");
  const fs::path& dir = scratch.path();
  auto frame = std::make_unique<Plane>();
  ASSERT_EQ(read_bitmap(kSamples / "two_plates.bmp", *frame), ReadOutcome::read);
  fs::create_directories(dir / "photos");
  testing::write_file(dir / "photos" / "a.PNG", testing::encode_png(testing::enlarged_frame(*frame, 1)));
  testing::write_file(dir / "photos" / "b.png", testing::encode_png(testing::enlarged_frame(*frame, 2)));
  testing::write_file(dir / "photos" / "c.jpeg", testing::encode_jpeg(testing::enlarged_frame(*frame, 2)));
  fs::copy_file(kSamples / "two_plates.bmp", dir / "photos" / "d.bmp");
  const ProgramRun run = run_plate_read(dir, "--json photos");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = lines_of(run.out);
  ASSERT_EQ(lines.size(), 4u);
  const std::string bitmap = lines[3];
  int x_min = 0, x_max = 0, y_min = 0, y_max = 0;
  ASSERT_EQ(std::sscanf(first_box(bitmap, "frame").c_str(),
                        "\"frame\":{\"x_min\":%d,\"x_max\":%d,\"y_min\":%d,\"y_max\":%d", &x_min, &x_max,
                        &y_min, &y_max),
            4);
  struct Row {
    const char* source;
    int k;
  };
  const Row rows[] = {{R"("source":{"format":"png","width":1024,"height":768,"scale":1})", 1},
                      {R"("source":{"format":"png","width":2048,"height":1536,"scale":0.5})", 2},
                      {R"("source":{"format":"jpeg","width":2048,"height":1536,"scale":0.5})", 0}};
  for (std::size_t i = 0; i < 3; ++i) {
    const Row& row = rows[i];
    EXPECT_TRUE(contains(lines[i], row.source)) << lines[i];
    const std::string read = manifest_columns(lines[i]), expected = manifest_columns(bitmap);
    if (row.k == 0) {  // a JPEG's boxes move by its loss, and with them the log of a group withdrawn
      EXPECT_EQ(read.substr(0, read.find('\t')), expected.substr(0, expected.find('\t'))) << lines[i];
      continue;
    }
    EXPECT_EQ(read, expected) << lines[i];
    EXPECT_EQ(first_box(lines[i], "frame"), first_box(bitmap, "frame"));
    const int top = kFrameHeight - 1;
    EXPECT_EQ(first_box(lines[i], "source_box"),
              "\"source_box\":{\"x_min\":" + std::to_string(x_min * row.k) +
                  ",\"x_max\":" + std::to_string((x_max + 1) * row.k - 1) +
                  ",\"y_min\":" + std::to_string((top - y_max) * row.k) +
                  ",\"y_max\":" + std::to_string((top - y_min + 1) * row.k - 1) + "}");
  }
  EXPECT_TRUE(contains(bitmap, R"("source":{"format":"bmp","width":)")) << bitmap;
}
#endif

// data/samples/manifest.tsv holds every sample's plates, in the result dialog's order, and its
// diagnostic log lines. The pattern file is found beside the program, as no other is given. Two
// workers give the output of one, files that cannot be read among the rest.
TEST(PlateReadCliTest, EverySampleGivesItsManifestPlatesAndLogWithOneWorkerOrTwo) {
  std::vector<std::string> rows = lines_of(testing::file_text(kSamples / "manifest.tsv"));
  ASSERT_GT(rows.size(), 1u);
  rows.erase(rows.begin());  // the column names
  std::string arguments;
  for (const std::string& row : rows)
    arguments.append(" ").append(quoted(kSamples / row.substr(0, row.find('\t')))).append(" missing.bmp");
  const testing::ScratchFolder scratch("plate_read_cli");
  const fs::path& dir = scratch.path();
  const ProgramRun one = run_plate_read(dir, "--json --candidates -j 1" + arguments);
  const ProgramRun two = run_plate_read(dir, "--json --candidates -j 2" + arguments);
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(testing::without_timings(two.out), testing::without_timings(one.out));
  EXPECT_EQ(two.err, one.err);
  const std::vector<std::string> lines = lines_of(one.out);
  ASSERT_EQ(lines.size(), 2 * rows.size()) << one.out;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(manifest_columns(lines[2 * i]), rows[i].substr(rows[i].find('\t') + 1)) << rows[i];
    EXPECT_EQ(lines[2 * i + 1],
              R"({"file":"missing.bmp","error":"ファイルリードエラーです","reason":"no such file"})");
  }
}

}  // namespace
}  // namespace plate
