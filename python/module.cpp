// The native part of the Python package platereader: Reader, over the engine adapter. It turns the
// adapter's outcomes into Python exceptions and its reports into the dicts plate-read prints as JSON.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "engine_adapter.h"

namespace py = pybind11;

namespace plate::python {

namespace {

// A name as plate-read's JSON gives it: UTF-8, and a byte that is not part of valid UTF-8 as the
// lone surrogate Python's "surrogateescape" decodes it to, so that os.fsencode() gives the bytes back.
py::str name_text(const std::string& name) {
  return py::reinterpret_steal<py::str>(
      PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), "surrogateescape"));
}

// Raises OSError(errno, words, filename) for a file the system would not give (Python picks the
// subclass, such as FileNotFoundError), else ValueError with plate-read's message line. Both carry
// `filename`, `strerror` (what was wrong, in plate-read's words) and, for files, `error` and
// `reason`: the fields of plate-read's JSON record for the file.
[[noreturn]] void raise_refusal(const InputOutcome& outcome, const std::optional<RunReport>& record) {
  const py::object filename = record ? py::object(name_text(record->name)) : py::object(py::none());
  py::object error;
  if (outcome.refusal == Refusal::system) {
    error = py::handle(PyExc_OSError)(outcome.system_error, outcome.words, filename);
  } else {
    std::string message = record ? record->stderr_lines : outcome.words;
    if (!message.empty() && message.back() == '\n') message.pop_back();
    error = py::handle(PyExc_ValueError)(message);
    error.attr("filename") = filename;
    error.attr("strerror") = outcome.words;
  }
  if (record) {
    error.attr("error") = *record->error;
    error.attr("reason") = record->error_detail;
  }
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
  throw py::error_already_set();
}

py::dict add_box(py::dict d, std::int32_t x_min, std::int32_t x_max, std::int32_t y_min, std::int32_t y_max) {
  d["x_min"] = x_min;
  d["x_max"] = x_max;
  d["y_min"] = y_min;
  d["y_max"] = y_max;
  return d;
}

py::object box_value(const std::optional<PixelBox>& box) {
  if (!box) return py::none();
  return add_box(py::dict(), box->x_min, box->x_max, box->y_min, box->y_max);
}

py::object digit_value(char digit) {
  return digit == 0 ? py::object(py::none()) : py::object(py::str(std::string(1, digit)));
}

py::object choice_value(const std::optional<cli::TemplateChoice>& choice) {
  if (!choice) return py::none();
  py::dict d;
  d["digit"] = digit_value(choice->digit);
  d["template"] = choice->index;
  d["distance"] = choice->distance;
  return d;
}

// "template" and "distance" belong to the shown digit; "matched" is there only when the 0/8 check
// changed the digit, and names the template that read the candidate.
py::dict character_dict(const cli::CharacterReport& c, bool has_source) {
  py::dict d;
  d["digit"] = digit_value(c.digit);
  add_box(d, c.x_min, c.x_max, c.y_min, c.y_max);
  if (has_source) d["source_box"] = box_value(c.source_box);
  d["template"] = c.shown ? py::object(py::int_(c.shown->index)) : py::object(py::none());
  d["distance"] = c.shown ? py::object(py::int_(c.shown->distance)) : py::object(py::none());
  if (c.matched) d["matched"] = choice_value(c.matched);
  d["runner_up"] = choice_value(c.runner_up);
  return d;
}

// The same keys, in the same order, as one line of `plate-read --json`.
py::dict to_dict(const RunReport& report, bool with_file) {
  const bool has_source = report.source.has_value();
  py::list plates;
  for (const cli::PlateReport& plate : report.plates) {
    py::list characters;
    for (const cli::CharacterReport& c : plate.characters) characters.append(character_dict(c, has_source));
    py::dict d;
    d["text"] = plate.text;
    d["digit_count"] = plate.digit_count;
    d["group_id"] = plate.group_id;
    d["frame"] = add_box(py::dict(), plate.x_min, plate.x_max, plate.y_min, plate.y_max);
    if (has_source) d["source_box"] = box_value(plate.source_box);
    if (plate.tile_scale) d["tile_scale"] = *plate.tile_scale;
    d["worst_distance"] = plate.worst_distance;
    d["characters"] = characters;
    plates.append(d);
  }
  py::dict result;
  if (with_file) result["file"] = name_text(report.name);
  if (has_source) {
    py::dict source;
    source["format"] = report.source->format;
    source["width"] = report.source->width;
    source["height"] = report.source->height;
    source["scale"] = report.source->scale;
    result["source"] = source;
  }
  result["processing_ms"] = report.processing_ms;
  result["elapsed_us"] = report.elapsed_us;
  result["plates"] = plates;
  result["log"] = py::cast(report.log_lines);
  return result;
}

class Reader {
 public:
  explicit Reader(const std::optional<std::filesystem::path>& patterns) {
    const std::filesystem::path module_file =
        py::module_::import("platereader._platereader").attr("__file__").cast<std::string>();
    RunReport failure;
    const InputOutcome outcome = adapter_.load_patterns(patterns, module_file.parent_path(), failure);
    if (outcome.refusal != Refusal::none) raise_refusal(outcome, failure);
  }

  py::dict read(const std::filesystem::path& path, bool small_plates) {
    const Exclusive use(busy_);
    InputOutcome outcome;
    RunReport report;
    {
      const py::gil_scoped_release unlocked;
      outcome = adapter_.read_file(path, report, small_plates);
    }
    if (outcome.refusal != Refusal::none) raise_refusal(outcome, report);
    return to_dict(report, true);
  }

  py::dict read_array(const py::array& array, const std::string& order) {
    if (order != "RGB" && order != "BGR")
      throw py::value_error("order must be \"RGB\" or \"BGR\", not \"" + order + "\"");
    if (!array.dtype().is(py::dtype::of<std::uint8_t>()) || array.ndim() != 3 || array.shape(2) != 3)
      throw py::value_error("expected an H x W x 3 array of uint8, got shape " +
                            py::str(py::tuple(array.attr("shape"))).cast<std::string>() + " of " +
                            py::str(array.dtype()).cast<std::string>());
    const Exclusive use(busy_);
    const PixelView pixels{static_cast<const std::uint8_t*>(array.data()),
                           array.shape(0),
                           array.shape(1),
                           array.strides(0),
                           array.strides(1),
                           array.strides(2),
                           order == "RGB" ? ChannelOrder::rgb : ChannelOrder::bgr};
    InputOutcome outcome;
    RunReport report;
    {
      const py::gil_scoped_release unlocked;  // `array` keeps the pixels alive meanwhile
      outcome = adapter_.read_pixels(pixels, report);
    }
    if (outcome.refusal != Refusal::none) raise_refusal(outcome, std::nullopt);
    return to_dict(report, false);
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

  EngineAdapter adapter_;
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
      "one shipped with the package.")
      .def(py::init<const std::optional<std::filesystem::path>&>(), py::arg("patterns") = py::none())
      .def("read", &Reader::read, py::arg("path"), py::arg("small_plates") = false,
           "Reads the plates of a picture file that plate-read takes; returns plate-read's JSON record\n"
           "as a dict. Raises OSError when the file cannot be read, ValueError when it is no picture\n"
           "the reader takes, both with plate-read's message. small_plates=True also reads enlarged\n"
           "tiles, as plate-read --small-plates does (about 30 times slower).")
      .def("read_array", &Reader::read_array, py::arg("array"), py::arg("order") = "RGB",
           "Reads the plates of an H x W x 3 uint8 array (order \"RGB\", or \"BGR\" as OpenCV gives it),\n"
           "placed in the frame as a picture file of its size; returns the same dict as read() without\n"
           "\"file\".");
}
