// plate-read on videos as users meet them: rendered videos in several containers, and the bad ones
// (cut, damaged, empty, without a video stream, a server that refuses, a stream that stops). Each
// case runs the built program under a timeout; streams use loopback addresses only.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "tools/plate_renderer/video_scene.h"
#include "video/frame_fitter.h"
#include "video/video_decoder.h"

namespace {

namespace fs = std::filesystem;
using plate::testing::ChildProcess;
using plate::testing::file_text;
using plate::testing::write_text;
using plate::tools::PassingPlate;
using plate::tools::VideoScene;

std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A port on 127.0.0.1 that nothing listens on just now.
int free_port(int type) {
  const int s = socket(AF_INET, type, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

struct ProgramRun {
  int status;  // -1 when it had not ended in time
  std::string out, err;
};

// A program started with its output in files of `dir`.
std::unique_ptr<ChildProcess> start(const fs::path& dir, std::vector<std::string> command,
                                    const std::string& name) {
  return std::make_unique<ChildProcess>(std::move(command), dir / (name + ".out"), dir / (name + ".err"));
}

ProgramRun finish(ChildProcess& program, std::chrono::seconds limit) {
  return {program.exit_status(limit).value_or(-1), program.out(), program.err()};
}

class PlateReadVideo : public ::testing::Test {
 protected:
  // One plate, 12-34, crossing a 640 x 360 picture in frames 2 to 27 of 30, in MJPEG (AVI) and
  // H.264 (MKV), and the bad files made from them.
  static void SetUpTestSuite() {
    // A folder of this process's own: ctest runs each test in a process of its own, side by side.
    dir_ = fs::temp_directory_path() / ("plate_read_video_test." + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    VideoScene scene;
    scene.frame_count = 30;
    scene.background = {plate::tools::BackgroundKind::clutter, {200, 200, 195}, {120, 120, 115}, 40};
    scene.noise_sigma = 2;
    scene.plates = {PassingPlate{.plate = {.serial = "1234", .width_px = 240},
                                 .first_frame = 2,
                                 .last_frame = 27,
                                 .from_left = 10,
                                 .from_top = 60,
                                 .to_left = 380,
                                 .to_top = 120}};
    const plate::tools::PlateFonts fonts = plate::tools::load_plate_fonts();
    plate::tools::write_video(scene, fonts, dir_ / "plate.avi", {.codec = "mjpeg", .quality = 3});
    plate::tools::write_video(scene, fonts, dir_ / "plate.mkv", {.keyframe_every = 10});
    const VideoScene scene30 = scene;
    // For streaming in a loop: the plate is out of view for 0.7 s between passes.
    scene.frame_count = 45;
    plate::tools::write_video(scene, fonts, dir_ / "stream.mkv", {.keyframe_every = 10});
    const std::string avi = file_text(dir_ / "plate.avi"), mkv = file_text(dir_ / "plate.mkv");
    write_text(dir_ / "cut.avi", avi.substr(0, avi.size() * 6 / 10));
    write_text(dir_ / "cut.mkv", mkv.substr(0, mkv.size() * 6 / 10));
    std::string damaged = avi;
    for (std::size_t i = damaged.size() / 2; i < damaged.size() / 2 + 2000; ++i)
      damaged[i] = static_cast<char>(damaged[i] * 7 + 13);
    write_text(dir_ / "damaged.avi", damaged);
    // MPEG-TS: cut inside a transport packet, and one video packet (PID 0x100) marked in error.
    plate::tools::write_video(scene30, fonts, dir_ / "plate.ts", {.keyframe_every = 10});
    const std::string ts = file_text(dir_ / "plate.ts");
    write_text(dir_ / "cut.ts", ts.substr(0, ts.size() * 6 / 10 / 188 * 188 + 100));
    std::string flagged = ts;
    std::size_t packet = ts.size() / 188 / 2 * 188;
    while ((((flagged[packet + 1] & 0x1f) << 8) | (flagged[packet + 2] & 0xff)) != 0x100) packet += 188;
    flagged[packet + 1] = static_cast<char>(flagged[packet + 1] | 0x80);
    write_text(dir_ / "flagged.ts", flagged);
    write_text(dir_ / "empty.mp4", "");
    // One second of silence as a WAV file: a container FFmpeg opens, with no video in it.
    std::string wav = "RIFF" + std::string("\x24\x1f\x00\x00", 4) + "WAVEfmt " +
                      std::string("\x10\0\0\0\1\0\1\0", 8) +
                      std::string("\x40\x1f\0\0\x80\x3e\0\0\2\0\x10\0", 12) + "data" +
                      std::string("\x00\x1f\x00\x00", 4) + std::string(8000, '\0');
    write_text(dir_ / "tone.wav", wav);
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  static ProgramRun run(std::vector<std::string> arguments,
                        std::chrono::seconds limit = std::chrono::seconds(30)) {
    arguments.insert(arguments.begin(), PLATE_READ_PROGRAM);
    return finish(*start(dir_, std::move(arguments), "run"), limit);
  }

  static fs::path dir_;
};

fs::path PlateReadVideo::dir_;

TEST_F(PlateReadVideo, AVideoInAnyContainerGivesOneLinePerPassingPlate) {
  // MJPEG in AVI, and H.264 in MKV named as a photo: a video is told by its bytes, not its name; and
  // a photo named as a video.
  fs::copy_file(dir_ / "plate.mkv", dir_ / "clip.jpg", fs::copy_options::overwrite_existing);
  fs::copy_file(fs::path(PLATE_SOURCE_DIR) / "data" / "samples" / "two_plates.bmp", dir_ / "photo.mp4",
                fs::copy_options::overwrite_existing);
  const ProgramRun result =
      run({(dir_ / "plate.avi").string(), (dir_ / "clip.jpg").string(), (dir_ / "photo.mp4").string()});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(count_of(result.out, "\n"), 3u) << result.out;
  EXPECT_EQ(result.out.find((dir_ / "plate.avi").string() + "\t12-34\t0.0"), 0u) << result.out;
  EXPECT_NE(result.out.find((dir_ / "clip.jpg").string() + "\t12-34\t0.0"), std::string::npos);
  EXPECT_NE(result.out.find((dir_ / "photo.mp4").string() + "\t\xEF\xBD\xA5"
                                                            "839 12-04\t"),
            std::string::npos);

  // JSON Lines: every frame with --frames, and the one event last.
  const ProgramRun json = run({"--json", "--frames", "--every", "2", (dir_ / "plate.mkv").string()});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(count_of(json.out, "{\"type\":\"frame\""), 15u);
  EXPECT_EQ(count_of(json.out, "{\"type\":\"event\""), 1u);
  EXPECT_NE(json.out.find("\"frame\":28,\"time\":1.120,\"source\":{\"format\":\"h264\",\"width\":640"),
            std::string::npos);
  EXPECT_NE(json.out.find("{\"type\":\"event\",\"file\":\"" + (dir_ / "plate.mkv").string() +
                          "\",\"text\":\"12-34\""),
            std::string::npos);
}

TEST_F(PlateReadVideo, BadVideosGiveOneMessageAndStatusOneAndKeepTheEventsReadBeforeTheFault) {
  struct Case {
    const char* name;
    const char* message;
    bool keeps_event;
  };
  const Case cases[] = {
      {"cut.avi", "the file is cut short: 18 of its 30 frames are there\n", true},
      {"cut.mkv", "the file is cut short: its frames end after", true},
      {"damaged.avi", "1 damaged frame was not read\n", true},
      {"cut.ts", "the file is cut short: it ends inside a transport packet\n", true},
      {"flagged.ts", "1 damaged frame was not read\n", true},
      {"empty.mp4", "the file is empty", false},
      {"tone.wav", "the file has no video stream\n", false},
  };
  for (const Case& c : cases) {
    const ProgramRun result = run({(dir_ / c.name).string(), (dir_ / "plate.avi").string()});
    EXPECT_EQ(result.status, 1) << c.name;
    EXPECT_EQ(count_of(result.err, "\n"), 1u) << result.err;
    EXPECT_EQ(result.err.find("plate-read: " + (dir_ / c.name).string() + ": "), 0u) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    // The next input is still read.
    EXPECT_EQ(count_of(result.out, "\t12-34\t"), c.keeps_event ? 2u : 1u) << c.name << "\n" << result.out;
  }
}

// Cyan pixels (the overlay's frame colour, give or take the encoding) in a frame, at its own size.
int cyan_pixels(const plate::DecodedPicture& picture) {
  int count = 0;
  for (std::size_t i = 0; i + 2 < picture.bgr.size(); i += 3)
    count += picture.bgr[i] > 190 && picture.bgr[i + 1] > 190 && picture.bgr[i + 2] < 80;
  return count;
}

TEST_F(PlateReadVideo, TheOverlayIsAVideoOfTheFramesWithThePlatesFramedWhereTheyWereRead) {
  const fs::path overlay = dir_ / "overlay.mp4";
  const ProgramRun result = run({"--overlay", overlay.string(), (dir_ / "plate.avi").string()});
  EXPECT_EQ(result.status, 0) << result.err;
  plate::video::VideoDecoder decoder(overlay.string(), {});
  plate::video::FrameFitter fitter;
  plate::video::DecodedFrame frame;
  auto plane = std::make_unique<plate::Plane>();
  plate::FrameMapping mapping;
  plate::DecodedPicture source;
  std::vector<int> cyan;
  while (decoder.next(frame)) {
    ASSERT_TRUE(fitter.fit(frame, *plane, mapping, &source));
    cyan.push_back(cyan_pixels(source));
  }
  EXPECT_FALSE(decoder.failure());
  EXPECT_EQ(decoder.info().width, 640);
  ASSERT_EQ(cyan.size(), 30u);
  EXPECT_EQ(cyan[0], 0);     // no plate yet
  EXPECT_GT(cyan[15], 500);  // a 240 x 120 frame, 5 pixels wide
  EXPECT_EQ(cyan[29], 0);    // gone

  // A video's overlay is a video, and never an input.
  EXPECT_EQ(run({"--overlay", (dir_ / "o.png").string(), (dir_ / "plate.avi").string()}).status, 2);
  const ProgramRun onto_input =
      run({"--overlay", (dir_ / "plate.avi").string(), (dir_ / "plate.avi").string()});
  EXPECT_EQ(onto_input.status, 2);
  EXPECT_NE(onto_input.err.find("over the input"), std::string::npos);
}

TEST_F(PlateReadVideo, AServerThatRefusesOrAStreamThatSendsNothingEndsWithAMessageNotAHang) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(free_port(SOCK_STREAM)) + "/plate.mp4";
  const ProgramRun http = run({refused});
  EXPECT_EQ(http.status, 1);
  EXPECT_EQ(http.err, "plate-read: " + refused + ": cannot open the video: Connection refused\n");

  const std::string silent = "udp://127.0.0.1:" + std::to_string(free_port(SOCK_DGRAM));
  const ProgramRun udp = run({"--timeout", "1", silent}, std::chrono::seconds(20));
  EXPECT_EQ(udp.status, 1);
  EXPECT_EQ(udp.err, "plate-read: " + silent + ": nothing came for 1 s\n");
}

// Whether a UDP socket is bound to `port`, from the kernel's table (addresses as HEX:PORT).
bool udp_port_bound(int port) {
  char local[16];
  std::snprintf(local, sizeof local, ":%04X ", port);
  return file_text("/proc/net/udp").find(local) != std::string::npos;
}

// The plate video sent over loopback UDP as MPEG-TS in real time by the ffmpeg program, twice over
// (3.6 s), once plate-read listens, so that no packet is lost before it does.
class StreamedVideo : public PlateReadVideo {
 protected:
  void SetUp() override {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "the ffmpeg program is not installed";
    port_ = free_port(SOCK_DGRAM);
    url_ = "udp://127.0.0.1:" + std::to_string(port_);
  }
  std::unique_ptr<ChildProcess> send_once_listened() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!udp_port_bound(port_) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return start(dir_,
                 {"ffmpeg", "-v", "error", "-re", "-stream_loop", "1", "-i", (dir_ / "stream.mkv").string(),
                  "-c", "copy", "-f", "mpegts", url_ + "?pkt_size=1316"},
                 "ffmpeg");
  }
  int port_ = 0;
  std::string url_;
};

TEST_F(StreamedVideo, AStreamIsReadLiveAndEndsWithAMessageWhenItStops) {
  const auto reading = start(dir_, {PLATE_READ_PROGRAM, "--timeout", "2", url_}, "udp");
  EXPECT_EQ(send_once_listened()->exit_status(std::chrono::seconds(30)), 0);
  const ProgramRun result = finish(*reading, std::chrono::seconds(30));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "plate-read: " + url_ + ": the stream stalled: no data for 2 s\n");
  EXPECT_EQ(count_of(result.out, "\t12-34\t"), 2u) << result.out;  // one event a pass
}

TEST_F(StreamedVideo, CtrlCEndsTheStreamCleanlyWithThePlatesSeenSoFar) {
  const auto reading = start(dir_, {PLATE_READ_PROGRAM, "--json", "--frames", url_}, "interrupted");
  const auto sender = send_once_listened();
  // Interrupted once a few frames have read the plate, while it is still in view: its track is open.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (count_of(reading->out(), "\"text\":\"12-34\"") < 3 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  reading->send_signal(SIGINT);
  const ProgramRun result = finish(*reading, std::chrono::seconds(30));
  EXPECT_EQ(result.status, 130);
  EXPECT_NE(result.err.find("plate-read: " + url_ + ": interrupted after "), std::string::npos) << result.err;
  EXPECT_EQ(count_of(result.out, "{\"type\":\"event\""), 1u) << result.out;
  EXPECT_EQ(count_of(result.out, "{\"type\":\"event\",\"file\":\"" + url_ + "\",\"text\":\"12-34\""), 1u);
}

}  // namespace
