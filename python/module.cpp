// The native part of the Python package platereader: Reader, over the reader layer. Its records
// become dicts through their one JSON form, so a dict is what `plate-read --json` prints, key for
// key and value for value; a picture that cannot be read raises an exception in plate-read's words.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "reader/names.h"
#include "reader/pattern_source.h"
#include "reader/reader.h"
#include "reader/record_json.h"
#ifdef PLATE_READ_VIDEOS
#include "video/event_output.h"
#include "video/video_reading.h"
#endif

namespace py = pybind11;

namespace plate::python {

namespace {

// A name as the records' JSON gives it: UTF-8, and a byte that is not part of valid UTF-8 as the
// lone surrogate Python's "surrogateescape" decodes it to, so that os.fsencode() gives the bytes back.
py::str name_text(const std::string& name) {
  return py::reinterpret_steal<py::str>(
      PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), "surrogateescape"));
}

// Raises OSError(errno, words, filename) for a file the system would not give (Python picks the
// subclass, such as FileNotFoundError), else ValueError with plate-read's message line. Both carry
// `filename`, `strerror` (what was wrong, in plate-read's words) and, for files, `error` and
// `reason`: the fields of plate-read's JSON record for the file.
[[noreturn]] void raise_failure(const reader::Record& record, bool from_file) {
  const reader::Failure& failure = *record.failure;
  const py::object filename = from_file ? py::object(name_text(record.name)) : py::object(py::none());
  py::object error;
  if (failure.from_system()) {
    error = py::handle(PyExc_OSError)(failure.system_error, failure.line(), filename);
  } else {
    std::string message = from_file ? record.messages : failure.line();
    if (!message.empty() && message.back() == '\n') message.pop_back();
    error = py::handle(PyExc_ValueError)(message);
    error.attr("filename") = filename;
    error.attr("strerror") = failure.line();
  }
  if (from_file) {
    error.attr("error") = *record.error;
    error.attr("reason") = record.error_detail;
  }
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
  throw py::error_already_set();
}

py::dict to_dict(const reader::Record& record, bool with_file) {
  const std::string json = reader::record_json(record, {.candidates = false, .file = with_file});
  return py::module_::import("json").attr("loads")(py::bytes(json));
}

// A Reader owns one workspace, so it serves one call at a time. Calls come in holding the GIL,
// so a second call can only arrive while a first one runs without it, in another thread.
class Exclusive {
 public:
  explicit Exclusive(std::atomic_flag& busy) : busy_(busy) {
    if (busy_.test_and_set())
      throw std::runtime_error(
          "this platereader.Reader is already reading in another thread; a Reader is not shared "
          "between threads: give each thread its own Reader");
  }
  ~Exclusive() { busy_.clear(); }
  Exclusive(const Exclusive&) = delete;
  Exclusive& operator=(const Exclusive&) = delete;

 private:
  std::atomic_flag& busy_;
};

#ifdef PLATE_READ_VIDEOS
// The events of a video, and its frames when asked, as Python iterates over them: a thread of its
// own reads the video with the Reader, which stays taken until the video ends or the iterator goes,
// and hands each JSON line over; Python waits for the next without the GIL.
class VideoLines {
 public:
  VideoLines(py::object owner, reader::Reader& reader, std::atomic_flag& busy, std::string source,
             video::VideoReadSettings settings, bool frames)
      : owner_(std::move(owner)), use_(std::make_unique<Exclusive>(busy)) {
    settings.decode.stop = &stop_;
    worker_ = std::thread([this, &reader, source = std::move(source), settings, frames] {
      video::VideoCallbacks callbacks;
      if (frames)
        callbacks.frame = [&](const video::FrameRead& frame) {
          return put(video::frame_json(frame.record, frame.at, source));
        };
      callbacks.event = [&](const video::PlateEvent& event) {
        return put(video::event_json(event, source, true));
      };
      const video::VideoOutcome outcome = video::read_video(source, reader, settings, callbacks);
      const std::lock_guard lock(mutex_);
      if (outcome.failure) failure_ = reader::message_line(source, *outcome.failure);
      ended_ = true;
      changed_.notify_all();
    });
  }
  ~VideoLines() { close(); }
  VideoLines(const VideoLines&) = delete;
  VideoLines& operator=(const VideoLines&) = delete;

  py::object next() {
    std::unique_lock lock(mutex_, std::defer_lock);
    for (;;) {
      {
        const py::gil_scoped_release unlocked;
        lock.lock();
        changed_.wait_for(lock, std::chrono::milliseconds(100), [&] { return !lines_.empty() || ended_; });
      }
      if (!lines_.empty() || ended_) break;
      lock.unlock();
      if (PyErr_CheckSignals() != 0) {  // Ctrl+C: end the video and raise KeyboardInterrupt
        close();
        throw py::error_already_set();
      }
    }
    if (lines_.empty()) {
      const std::optional<std::string> failure = std::exchange(failure_, std::nullopt);
      lock.unlock();
      close();
      if (failure) throw py::value_error(failure->substr(0, failure->size() - 1));
      throw py::stop_iteration();
    }
    const std::string line = std::move(lines_.front());
    lines_.pop_front();
    changed_.notify_all();
    lock.unlock();
    return py::module_::import("json").attr("loads")(py::bytes(line));
  }

  // Ends the reading (at once, if it is still going) and gives the Reader back.
  void close() {
    stop_ = true;
    {
      const std::lock_guard lock(mutex_);
      changed_.notify_all();
    }
    if (worker_.joinable()) {
      const py::gil_scoped_release unlocked;
      worker_.join();
    }
    use_.reset();
  }

 private:
  // A few lines wait at most: a video is read no faster than Python takes its events.
  bool put(std::string line) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return lines_.size() < 64 || stop_; });
    if (stop_) return false;
    lines_.push_back(std::move(line));
    changed_.notify_all();
    return true;
  }

  py::object owner_;  // keeps the Reader alive
  std::unique_ptr<Exclusive> use_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> lines_;
  std::optional<std::string> failure_;
  bool ended_ = false;
  std::thread worker_;
};
#endif

// Runs `read` on a thread of its own, without the GIL, while the calling thread waits and lets
// Python's signal handlers run every 50 ms. A handler that raises (Ctrl+C's KeyboardInterrupt) sets
// the Reader's cancel flag, which the decoders look at between rows and scans, and is raised once
// the read has stopped: a 100-megapixel picture stops within milliseconds, not seconds, and the
// Reader is never left in the middle of a read. Only the main thread runs signal handlers, so a read
// in another thread (a Dask worker's) runs to its end.
reader::Record read_interruptibly(reader::Reader& reader, const std::function<reader::Record()>& read) {
  std::atomic<bool> cancel{false};
  reader.settings().cancel = &cancel;
  reader::Record record;
  std::exception_ptr failure;
  bool done = false;
  std::mutex mutex;
  std::condition_variable finished;
  std::thread worker([&] {
    try {
      record = read();
    } catch (...) {
      failure = std::current_exception();
    }
    const std::lock_guard lock(mutex);
    done = true;
    finished.notify_all();
  });
  bool interrupted = false;
  for (;;) {
    {
      const py::gil_scoped_release unlocked;
      std::unique_lock lock(mutex);
      if (finished.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; })) break;
    }
    if (PyErr_CheckSignals() != 0) {
      cancel = true;
      interrupted = true;
      break;
    }
  }
  {
    const py::gil_scoped_release unlocked;
    worker.join();
  }
  reader.settings().cancel = nullptr;
  if (interrupted) throw py::error_already_set();
  if (failure) std::rethrow_exception(failure);
  return record;
}

class Reader {
 public:
  Reader(const std::optional<std::filesystem::path>& patterns, bool find_plates) : find_plates_(find_plates) {
    if (find_plates && !reader::has_plate_finder())
      throw py::value_error("this platereader is built without the plate finder (find_plates=True)");
    const std::filesystem::path module_file =
        py::module_::import("platereader._platereader").attr("__file__").cast<std::string>();
    // Unlike plate-read, a missing default file is an error too: a library that silently reads no
    // plate helps nobody.
    const std::filesystem::path file = reader::choose_pattern_file(patterns, module_file.parent_path());
    if (const std::optional<reader::Failure> failure = reader_.load_patterns(file))
      raise_failure(reader::failed_record(reader::display_name(file), *failure), true);
  }

  py::dict read(const std::filesystem::path& path, bool small_plates, std::optional<int> max_distance) {
    const Exclusive use(busy_);
    reader_.settings() = {false, max_distance, small_plates, false, find_plates_};
    const reader::Record record = read_interruptibly(reader_, [&] { return reader_.read_file(path); });
    if (record.failure) raise_failure(record, true);
    return to_dict(record, true);
  }

  py::dict read_array(const py::array& array, const std::string& order, bool small_plates,
                      std::optional<int> max_distance) {
    if (order != "RGB" && order != "BGR")
      throw py::value_error("order must be \"RGB\" or \"BGR\", not \"" + order + "\"");
    if (!array.dtype().is(py::dtype::of<std::uint8_t>()) || array.ndim() != 3 || array.shape(2) != 3)
      throw py::value_error("expected an H x W x 3 array of uint8, got shape " +
                            py::str(py::tuple(array.attr("shape"))).cast<std::string>() + " of " +
                            py::str(array.dtype()).cast<std::string>());
    const Exclusive use(busy_);
    const reader::PixelView pixels{static_cast<const std::uint8_t*>(array.data()),
                                   array.shape(0),
                                   array.shape(1),
                                   array.strides(0),
                                   array.strides(1),
                                   array.strides(2),
                                   order == "RGB" ? reader::ChannelOrder::rgb : reader::ChannelOrder::bgr};
    reader_.settings() = {false, max_distance, small_plates, false, find_plates_};
    // `array` keeps the pixels alive meanwhile.
    const reader::Record record = read_interruptibly(reader_, [&] { return reader_.read_pixels(pixels); });
    if (record.failure) raise_failure(record, false);
    return to_dict(record, false);
  }

#ifdef PLATE_READ_VIDEOS
  static std::unique_ptr<VideoLines> read_video(py::object self, const std::string& source, bool frames,
                                                int every, double timeout, bool small_plates,
                                                std::optional<int> max_distance) {
    if (every < 1) throw py::value_error("every must be 1 or more");
    if (timeout <= 0) throw py::value_error("timeout must be above 0 seconds");
    Reader& me = self.cast<Reader&>();
    me.reader_.settings() = {false, max_distance, small_plates, false, me.find_plates_};
    video::VideoReadSettings settings;
    settings.decode.every = every;
    settings.decode.stall_seconds = timeout;
    return std::make_unique<VideoLines>(std::move(self), me.reader_, me.busy_, source, settings, frames);
  }
#endif

 private:
  bool find_plates_;
  reader::Reader reader_;
  std::atomic_flag busy_;
};

}  // namespace

}  // namespace plate::python

PYBIND11_MODULE(_platereader, m) {
  using plate::python::Reader;
  m.doc() = "Reads Japanese number plates from pictures (the native part of platereader).";
  py::class_<Reader> reader(
      m, "Reader",
      "Reads number plates with one engine workspace (about 10 MB) and the digit templates.\n"
      "A Reader serves one thread: give each thread its own (sharing one raises RuntimeError).\n"
      "patterns: the pattern file; by default EBMPlog00.pat in the working directory, else the\n"
      "one shipped with the package. find_plates=True also finds the plates in each photo,\n"
      "straightens them and reads them on a sheet of their own, as plate-read --find-plates does.");
  reader
      .def(py::init<const std::optional<std::filesystem::path>&, bool>(), py::arg("patterns") = py::none(),
           py::arg("find_plates") = false)
      .def("read", &Reader::read, py::arg("path"), py::arg("small_plates") = false,
           py::arg("max_distance") = py::none(),
           "Reads the plates of a picture file that plate-read takes; returns plate-read's JSON record\n"
           "as a dict. Raises OSError when the file cannot be read, ValueError when it is no picture\n"
           "the reader takes, both with plate-read's message. small_plates=True also reads enlarged\n"
           "tiles, as plate-read --small-plates does (about 30 times slower); max_distance leaves out\n"
           "plates whose worst distance is above it, as plate-read --max-distance does.")
      .def("read_array", &Reader::read_array, py::arg("array"), py::arg("order") = "RGB",
           py::arg("small_plates") = false, py::arg("max_distance") = py::none(),
           "Reads the plates of an H x W x 3 uint8 array (order \"RGB\", or \"BGR\" as OpenCV gives it),\n"
           "placed in the frame as a picture file of its size; returns the same dict as read() without\n"
           "\"file\". An array with no pixels raises ValueError.");
#ifdef PLATE_READ_VIDEOS
  py::class_<plate::python::VideoLines>(
      m, "VideoEvents", "The events (and frames) of a video, as Reader.read_video gives them.")
      .def("__iter__", [](py::object self) { return self; })
      .def("__next__", &plate::python::VideoLines::next)
      .def("close", &plate::python::VideoLines::close, "Ends the reading and frees the Reader.");
  reader.def("read_video", &Reader::read_video, py::arg("source"), py::arg("frames") = false,
             py::arg("every") = 1, py::arg("timeout") = 10.0, py::arg("small_plates") = false,
             py::arg("max_distance") = py::none(),
             "Reads a video file or stream (a file name or a URL such as rtsp://, udp://, http://) and\n"
             "yields plate-read's JSON Lines for it as dicts: one \"type\": \"event\" per passing plate,\n"
             "with its voted text, votes, first and last frame and time and its best frame's plate; with\n"
             "frames=True also every frame's record (\"type\": \"frame\"). every=N reads one frame in N;\n"
             "a stream that sends nothing for `timeout` seconds ends. Decoding and reading run without\n"
             "the GIL. A video that ends in a fault raises ValueError in plate-read's words after its\n"
             "events; the Reader serves nothing else until the video ends or the iterator is closed.");
#endif
  m.def(
      "is_picture_name",
      [](const std::filesystem::path& name) { return plate::reader::has_picture_extension(name); },
      py::arg("name"), "Whether plate-read reads a folder's file of this name as a picture.");
}
