#include "tools/pattern_maker_report.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iomanip>
#include <string>

#include "engine/proportion.h"

namespace plate::tools {

namespace {

constexpr std::array<const char*, 8> kDirectionNames = {"down-left", "down", "down-right", "right",
                                                        "up-right",  "up",   "up-left",    "left"};

std::string shown_character(const ShapeRecord& record) {
  if (record.character >= 0x20 && record.character < 0x7F)
    return std::string("'") + char(record.character) + "'";
  return "0x" + std::to_string(record.character);
}

// SVG text must stay well-formed whatever a damaged record holds.
std::string svg_character(const ShapeRecord& record) {
  if (std::isalnum(record.character)) return std::string(1, char(record.character));
  return "0x" + std::to_string(record.character);
}

std::string direction_name(std::int32_t direction) {
  if (direction < 0 || direction > 7) return std::to_string(direction) + "?";
  return std::to_string(direction) + " " + kDirectionNames[static_cast<std::size_t>(direction)];
}

const char* window_name(double proportion) {
  if (in_one_window(proportion)) return "one";
  if (in_digit_window(proportion)) return "digit";
  return "none";
}

bool has_points(const ShapeRecord& record) {
  return record.point_count > 0 && record.point_count <= kMaxContourPoints;
}

// Panel geometry of the SVG, in SVG units (y downwards).
constexpr int kPanelWidth = 200;
constexpr int kPanelHeight = 330;
constexpr int kPanelsPerRow = 5;
constexpr int kOutlineTop = 42, kOutlineSize = 110;
constexpr int kPlotLeft = 34, kPlotRight = 190, kPlotTop = 165, kPlotBottom = 315;
constexpr int kLowestAngle = -45, kHighestAngle = 450;

double plot_y(double angle) {
  return kPlotBottom - (angle - kLowestAngle) * (kPlotBottom - kPlotTop) / (kHighestAngle - kLowestAngle);
}

void write_outline(std::ostream& out, const ShapeRecord& record) {
  const int width = record.x_max - record.x_min + 1, height = record.y_max - record.y_min + 1;
  const double scale = double(kOutlineSize) / std::max({width, height, 1});
  const double left = (kPanelWidth - width * scale) / 2;
  out << "<polygon fill=\"#ddd\" stroke=\"#222\" stroke-width=\"1\" points=\"";
  for (int k = 0; k < record.point_count; ++k) {
    const ContourPoint& p = record.points[k];
    // Plane rows count upwards; SVG rows count downwards.
    out << left + (p.x - record.x_min + 0.5) * scale << ','
        << kOutlineTop + (record.y_max - p.y + 0.5) * scale << ' ';
  }
  out << "\"/>\n";
  const ContourPoint& start = record.points[record.point_count - 1];
  out << "<circle fill=\"red\" r=\"3\" cx=\"" << left + (start.x - record.x_min + 0.5) * scale << "\" cy=\""
      << kOutlineTop + (record.y_max - start.y + 0.5) * scale << "\"/>\n";
}

void write_signature(std::ostream& out, const ShapeRecord& record) {
  for (int angle = 0; angle <= 360; angle += 90) {
    out << "<line stroke=\"#ccc\" x1=\"" << kPlotLeft << "\" x2=\"" << kPlotRight << "\" y1=\""
        << plot_y(angle) << "\" y2=\"" << plot_y(angle)
        << "\"/><text font-size=\"9\" text-anchor=\"end\" x=\"" << kPlotLeft - 3 << "\" y=\""
        << plot_y(angle) + 3 << "\">" << angle << "</text>\n";
  }
  out << "<polyline fill=\"none\" stroke=\"#0050c0\" stroke-width=\"1.2\" points=\"";
  const double step = double(kPlotRight - kPlotLeft) / std::max(record.point_count - 1, 1);
  for (int k = 0; k < record.point_count; ++k) {
    out << kPlotLeft + k * step << ','
        << plot_y(std::clamp<double>(record.smoothed_angles[k], kLowestAngle, kHighestAngle)) << ' ';
  }
  out << "\"/>\n";
}

}  // namespace

void print_template_table(std::ostream& out, const TemplateTable& templates) {
  out << " #  char  points  x_min..x_max  y_min..y_max  (h+1)/(w+1)  start direction  window\n";
  for (std::size_t k = 0; k < templates.size(); ++k) {
    const ShapeRecord& record = templates[k];
    const double proportion = pixel_proportion(record.y_max - record.y_min, record.x_max - record.x_min);
    out << std::setw(2) << k << "  " << std::setw(4) << shown_character(record) << "  " << std::setw(6)
        << record.point_count << "  " << std::setw(5) << record.x_min << ".." << std::left << std::setw(5)
        << record.x_max << std::right << "  " << std::setw(5) << record.y_min << ".." << std::left
        << std::setw(5) << record.y_max << std::right << "  " << std::setw(11) << std::fixed
        << std::setprecision(3) << proportion << "  " << std::left << std::setw(15)
        << direction_name(record.start_direction) << "  " << window_name(proportion) << std::right << '\n';
  }
}

void write_signature_svg(std::ostream& out, const TemplateTable& templates) {
  const int rows = (kTemplateCount + kPanelsPerRow - 1) / kPanelsPerRow;
  out << std::setprecision(1) << std::fixed;
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kPanelsPerRow * kPanelWidth << "\" height=\""
      << rows * kPanelHeight
      << "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  for (std::size_t k = 0; k < templates.size(); ++k) {
    const ShapeRecord& record = templates[k];
    const int column = static_cast<int>(k) % kPanelsPerRow, row = static_cast<int>(k) / kPanelsPerRow;
    out << "<g transform=\"translate(" << column * kPanelWidth << ',' << row * kPanelHeight << ")\">\n"
        << "<rect fill=\"none\" stroke=\"#999\" x=\"1\" y=\"1\" width=\"" << kPanelWidth - 2 << "\" height=\""
        << kPanelHeight - 2 << "\"/>\n<text font-size=\"14\" x=\"8\" y=\"18\">" << svg_character(record)
        << " (record " << k << ")</text>\n<text font-size=\"10\" x=\"8\" y=\"33\">" << record.point_count
        << " points, start " << direction_name(record.start_direction) << "</text>\n";
    if (has_points(record)) {
      write_outline(out, record);
      write_signature(out, record);
    } else {
      out << "<text font-size=\"13\" x=\"8\" y=\"80\">empty</text>\n";
    }
    out << "</g>\n";
  }
  out << "</svg>\n";
}

}  // namespace plate::tools
