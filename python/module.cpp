// The native part of the Python package platereader: Reader, over the reader layer. Its records
// become dicts through their one JSON form, so a dict is what `plate-read --json` prints, key for
// key and value for value; a picture that cannot be read raises an exception in plate-read's words.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "reader/names.h"
#include "reader/pattern_source.h"
#include "reader/reader.h"
#include "reader/record_json.h"

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
    reader::Record record;
    {
      const py::gil_scoped_release unlocked;
      reader_.settings() = {false, max_distance, small_plates, false, find_plates_};
      record = reader_.read_file(path);
    }
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
    reader::Record record;
    {
      const py::gil_scoped_release unlocked;  // `array` keeps the pixels alive meanwhile
      reader_.settings() = {false, max_distance, small_plates, false, find_plates_};
      record = reader_.read_pixels(pixels);
    }
    if (record.failure) raise_failure(record, false);
    return to_dict(record, false);
  }

 private:
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

  bool find_plates_;
  reader::Reader reader_;
  std::atomic_flag busy_;
};

}  // namespace

}  // namespace plate::python

PYBIND11_MODULE(_platereader, m) {
  using plate::python::Reader;
  m.doc() = "Reads Japanese number plates from pictures (the native part of platereader).";
  py::class_<Reader>(
      m, "Reader",
      "Reads number plates with one engine workspace (about 10 MB) and the digit templates.\n"
      "A Reader serves one thread: give each thread its own (sharing one raises RuntimeError).\n"
      "patterns: the pattern file; by default EBMPlog00.pat in the working directory, else the\n"
      "one shipped with the package. find_plates=True also finds the plates in each photo,\n"
      "straightens them and reads them on a sheet of their own, as plate-read --find-plates does.")
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
  m.def(
      "is_picture_name",
      [](const std::filesystem::path& name) { return plate::reader::has_picture_extension(name); },
      py::arg("name"), "Whether plate-read reads a folder's file of this name as a picture.");
}
