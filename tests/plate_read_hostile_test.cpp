// plate-read run the way a careless or hostile user would: overlays aimed at inputs, standard
// output closed, full or gone, FIFOs, NUL bytes and terminal escapes in names, broken pictures.
// Each case runs the built program through sh in a fresh directory, under a timeout so that a
// hang fails rather than stalls the suite, and checks the exit status, standard output, a part of
// standard error and that no file that was there before has changed.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bmp_files.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSamples = fs::path(PLATE_SOURCE_DIR) / "data" / "samples";

using plate::testing::file_text;
using plate::testing::write_text;

std::string bitmap(const plate::testing::BmpFile& file) {
  const std::vector<std::byte> bytes = plate::testing::make_bmp(file);
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The files every case starts from. `plain.bmp` reads and holds no plate.
void make_fixture(const fs::path& dir) {
  for (const char* sub : {"d", "s"}) fs::create_directories(dir / sub);
  for (const char* to : {"plain.bmp", "d/x.bmp", "s/p.bmp", "s/p-overlay.bmp"})
    fs::copy_file(kSamples / "no_plate.bmp", dir / to);
  fs::copy_file(kSamples / "no_plate.bmp", dir / "n\nl\te\033[31m\xff.bmp");
  write_text(dir / "a\xfe.bmp", "");
  write_text(dir / "a\xff.bmp", "");
  write_text(dir / "h769.bmp", bitmap({.width = 4, .height = 769, .stride = 12, .cut_to = 54 + 24}));
  write_text(dir / "bitfields.bmp", bitmap({.width = 4, .height = 2, .stride = 12, .compression = 3}));
  write_text(dir / "os2.bmp", bitmap({.width = 4, .height = 2, .stride = 12, .info_header_bytes = 12}));
  write_text(dir / "negative.bmp", bitmap({.width = -4, .height = 2, .stride = 12}));
  write_text(dir / "cut.bmp", bitmap({.width = 4, .height = 2, .stride = 12, .cut_to = 54 + 24 - 5}));
  for (const char* fifo : {"f.bmp", "f.pat"}) mkfifo((dir / fifo).c_str(), 0600);
#ifdef PLATE_READ_PICTURES
  const fs::path jpegs = fs::path(PLATE_SOURCE_DIR) / "fuzz" / "corpus" / "decode_jpeg";
  fs::copy_file(jpegs / "truncated.jpg", dir / "cut.jpg");
  fs::copy_file(jpegs / "first_ac_scan_repeated.jpg", dir / "repeated.jpg");
  fs::copy_file(kSamples / "no_plate.bmp", dir / "bmp.png");
  write_text(dir / "empty.jpg", "");
#endif
}

// Every regular file under `dir` with its bytes, for checking that none changed.
std::map<fs::path, std::string> contents(const fs::path& dir) {
  std::map<fs::path, std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir))
    if (entry.is_regular_file() && !entry.path().filename().string().starts_with("std"))
      files[entry.path()] = file_text(entry.path());
  return files;
}

// Timings differ from run to run: "<TAB>12 ms" becomes "<TAB>N ms".
std::string without_timings(const std::string& out) {
  std::string result;
  std::size_t from = 0;
  for (std::size_t at = out.find(" ms\n"); at != std::string::npos; at = out.find(" ms\n", at + 1)) {
    const std::size_t tab = out.rfind('\t', at);
    result.append(out, from, tab + 1 - from);
    result += 'N';
    from = at;
  }
  return result.append(out, from);
}

struct ProgramRun {
  int status;
  std::string out, err;
};

// Runs `script` with sh in `dir`; $P is the program.
ProgramRun run_script(const fs::path& dir, const std::string& script) {
  write_text(dir / "case.sh", "P='" PLATE_READ_PROGRAM "'\n" + script + "\n");
  const std::string command =
      "cd '" + dir.string() + "' && timeout 30 sh case.sh >stdout 2>stderr </dev/null";
  const int raw = std::system(command.c_str());
  fs::remove(dir / "case.sh");
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, file_text(dir / "stdout"), file_text(dir / "stderr")};
}

// A bitmap taller than the frame is decoded and fitted where the program decodes pictures; this
// one ends inside its rows. The 24-bit reader refuses it for its height.
#ifdef PLATE_READ_PICTURES
#define H769_LINE                                                                               \
  "plate-read: h769.bmp: the file is cut short: the picture data ends before the picture does " \
  "(ファイルリードエラーです)\n"
#else
#define H769_LINE "plate-read: h769.bmp: the picture is more than 768 pixels high; at most 768 are read\n"
#endif

struct Hostile {
  const char* script;
  int status;
  std::string out;  // exactly, timings as "N ms"
  std::string err;  // a part of it
};

const Hostile kHostile[] = {
    // An overlay may never replace an input, however it is spelled or linked.
    {"$P --overlay plain.bmp plain.bmp", 2, "", "--overlay would write the overlay plain.bmp over the input"},
    {"$P --overlay ./d/../d/x.bmp d/x.bmp", 2, "", "over the input d/x.bmp"},
    {"ln -s d/x.bmp link.bmp && $P --overlay link.bmp d/x.bmp", 2, "", "over the input d/x.bmp"},
    {"$P --overlay-dir s s", 2, "", "overlay s/p-overlay.bmp over the input s/p-overlay.bmp"},
    // A usage error comes before anything is created.
    {"$P --overlay-dir new plain.bmp ./plain.bmp; r=$?; test -e new && echo created; exit $r", 2, "",
     "would both write the overlay new/plain-overlay.bmp"},
    {"$P --overlay-dir new --patterns f.pat plain.bmp; r=$?; test -e new && echo created; exit $r", 2, "",
     "plate-read: f.pat: a FIFO (named pipe); only regular files are read (f.patがありません。)\n"},
    // Results that cannot be written are a failure, and reading stops.
    {"$P -j 4 --overlay-dir out plain.bmp d/x.bmp >&-", 1, "",
     "cannot write the results to standard output: standard output is closed; reading stopped"},
    {"$P plain.bmp d/x.bmp >/dev/full", 1, "", "No space left on device; reading stopped"},
    {"trap '' PIPE; { $P plain.bmp s s s s s s s s s s s s s s s s s s s s; echo $? >status; } | head -1; "
     "exit $(cat status)",
     1, "plain.bmp\t\tN ms\n", "Broken pipe; reading stopped"},
    {"$P --version >&-", 1, "", "standard output is closed"},
    // The name list: lines, or NUL-terminated names with -0; a NUL in a line is refused.
    {"printf 'plain.bmp\\0d/x.bmp\\n' | $P -", 2, "",
     "line 1 of the name list on standard input holds a NUL"},
    // The list is read as its files are: the names before a fault in it have been read.
    {"printf 'plain.bmp\\nd/x\\0.bmp\\n' | $P -", 2, "plain.bmp\t\tN ms\n",
     "line 2 of the name list on standard input holds a NUL"},
    {"printf 'plain.bmp\\0n\\nl\\te\\033[31m\\377.bmp\\0' | $P -0 -", 0,
     "plain.bmp\t\tN ms\nn\\nl\\te\\033[31m\\377.bmp\t\tN ms\n", ""},
    // Nothing but regular files is opened: a FIFO never blocks.
    {"$P f.bmp plain.bmp", 1, "plain.bmp\t\tN ms\n",
     "plate-read: f.bmp: a FIFO (named pipe); only regular files are read (ファイルリードエラーです)\n"},
    {"$P /dev/null", 1, "", "plate-read: /dev/null: a device; only regular files are read"},
    // Names stay one field and cannot steer the terminal; JSON keeps undecodable bytes apart.
    {"$P n?l*", 0, "n\\nl\\te\\033[31m\\377.bmp\t\tN ms\n", ""},
    {"$P --json a*", 1,
     "{\"file\":\"a\\udcfe.bmp\",\"error\":\"ファイルリードエラーです\",\"reason\":\"the file is empty\"}\n"
     "{\"file\":\"a\\udcff.bmp\",\"error\":\"ファイルリードエラーです\",\"reason\":\"the file is empty\"}\n",
     "plate-read: a\\376.bmp: the file is empty (ファイルリードエラーです)\n"},
    // Each message names the check that failed; "Too big width" is never said of a height.
    {"$P h769.bmp bitfields.bmp os2.bmp negative.bmp cut.bmp missing.bmp", 1, "",
     H769_LINE
     "plate-read: bitfields.bmp: the pixels are laid out by colour masks (BI_BITFIELDS); only plain 24-bit "
     "RGB pictures are read (24ビットビットマップだけを処理します)\n"
     "plate-read: os2.bmp: the bitmap info header is shorter than 40 bytes, as in OS/2 bitmaps, which are "
     "not "
     "read; save it as a Windows BMP (ファイルリードエラーです)\n"
     "plate-read: negative.bmp: the width is negative (ファイルリードエラーです)\n"
     "plate-read: cut.bmp: the file is cut short inside the pixel rows (ファイルリードエラーです)\n"
     "plate-read: missing.bmp: no such file (ファイルリードエラーです)\n"},
#ifdef PLATE_READ_PICTURES
    // Photos that cannot be read are told one by one, and the rest are still read. (Cuts hidden
    // behind an end marker or a header's claims are the loader's tests' business.)
    {"$P cut.jpg bmp.png empty.jpg repeated.jpg plain.bmp", 1, "plain.bmp\t\tN ms\n",
     "plate-read: cut.jpg: the file is cut short: the picture data ends before the picture does "
     "(ファイルリードエラーです)\n"
     "plate-read: bmp.png: the name's extension says one picture format and the bytes are another; rename "
     "the file to "
     "match what it holds (ファイルリードエラーです)\n"
     "plate-read: empty.jpg: the file is empty (ファイルリードエラーです)\n"
     "plate-read: repeated.jpg: the picture data is damaged and cannot be decoded "
     "(ファイルリードエラーです)\n"},
#endif
    {"ln -s loop.bmp loop.bmp && ln -s gone.bmp link.bmp && $P loop.bmp link.bmp", 1, "",
     "plate-read: loop.bmp: the symbolic links lead round in a loop (ファイルリードエラーです)\n"
     "plate-read: link.bmp: the symbolic link points to a file that does not exist "
     "(ファイルリードエラーです)\n"},
};

TEST(PlateReadHostileTest, EveryCaseEndsAsExpectedAndChangesNoFile) {
  for (const Hostile& c : kHostile) {
    const plate::testing::ScratchFolder scratch("plate_read_hostile");
    const fs::path& dir = scratch.path();
    make_fixture(dir);
    const std::map<fs::path, std::string> before = contents(dir);
    const ProgramRun run = run_script(dir, c.script);
    EXPECT_EQ(run.status, c.status) << c.script << "\n" << run.err;
    EXPECT_EQ(without_timings(run.out), c.out) << c.script;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << c.script << "\n" << run.err;
    for (const auto& [path, bytes] : before)
      EXPECT_TRUE(file_text(path) == bytes) << c.script << ": " << path;
  }
}

// Result lines never land in an overlay: the overlays written are the same bytes whether standard
// output is open, closed or full, and none is left half written.
TEST(PlateReadHostileTest, OverlaysAreTheSameWhetherStandardOutputIsOpenClosedOrFull) {
  const plate::testing::ScratchFolder scratch("plate_read_hostile");
  const fs::path& dir = scratch.path();
  make_fixture(dir);
  std::string list;
  for (const fs::directory_entry& entry : fs::directory_iterator(kSamples))
    if (entry.path().extension() == ".bmp") list += entry.path().string() + "\n";
  write_text(dir / "list", list);
  const ProgramRun runs[] = {run_script(dir, "$P -j 4 --overlay-dir open - <list"),
                             run_script(dir, "$P -j 4 --overlay-dir closed - <list >&-"),
                             run_script(dir, "$P -j 4 --overlay-dir full - <list >/dev/full")};
  EXPECT_EQ(runs[0].status, 0) << runs[0].err;
  EXPECT_EQ(runs[1].status, 1);
  EXPECT_EQ(runs[2].status, 1);
  for (const char* stopped : {"closed", "full"}) {
    int written = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir / stopped)) {
      ++written;
      EXPECT_TRUE(file_text(entry.path()) == file_text(dir / "open" / entry.path().filename()))
          << entry.path();
    }
    EXPECT_GT(written, 0) << stopped;
  }
}

}  // namespace
