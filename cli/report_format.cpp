#include "report_format.h"

#include <cstdio>

#include "reader/names.h"

namespace plate::cli {

namespace {

std::string digit_text(std::uint8_t character) {
  return character == 0 ? std::string("none") : std::string(1, static_cast<char>(character));
}

std::string fixed_two(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", value);
  return buffer;
}

std::string candidate_line(const CandidateReview& review) {
  std::string line = "  candidate " + std::to_string(review.index) + ": x " + std::to_string(review.x_min) +
                     ".." + std::to_string(review.x_max) + " y " + std::to_string(review.y_min) + ".." +
                     std::to_string(review.y_max) + ", proportion " + fixed_two(review.proportion);
  if (review.nearest_template) {
    const TemplateComparison& t = review.templates[static_cast<std::size_t>(*review.nearest_template)];
    line += ", nearest template " + std::to_string(*review.nearest_template) + " ('" + digit_text(t.digit) +
            "') distance " + std::to_string(t.match.distance) + " rotation " +
            std::to_string(t.match.rotation);
    if (t.refusal() != TemplateRefusal::none) line += " (" + std::string(describe(t.refusal())) + ")";
  }
  if (review.verdict == CandidateVerdict::distance_too_large &&
      review.nearest_acceptable != review.nearest_template) {
    const TemplateComparison& t = review.templates[static_cast<std::size_t>(*review.nearest_acceptable)];
    line += ", nearest acceptable template " + std::to_string(*review.nearest_acceptable) + " ('" +
            digit_text(t.digit) + "') distance " + std::to_string(t.match.distance);
  }
  if (review.verdict != CandidateVerdict::read)
    return line + ": refused, " + std::string(describe(review.verdict)) + "\n";
  const int chosen = *review.chosen_template;
  const TemplateComparison& t = review.templates[static_cast<std::size_t>(chosen)];
  if (chosen != review.nearest_template)
    line += ", chosen template " + std::to_string(chosen) + " distance " + std::to_string(t.match.distance);
  line += ": read as " + digit_text(review.character);
  if (review.character != t.digit) line += " (0/8 check)";
  return line + "\n";
}

}  // namespace

std::string format_text(const reader::Record& report, ReportDetail detail) {
  if (report.error) return {};
  std::string out = reader::escaped_name(report.name);
  for (std::size_t i = 0; i < report.plates.size(); ++i) {
    out += i > 0 ? ' ' : '\t';
    out += report.plates[i].text;
  }
  out += report.plates.empty() ? "\t\t" : "\t";
  out += std::to_string(report.processing_ms);
  out += " ms\n";
  if (detail.candidates)
    for (const CandidateReview& review : report.candidates) out += candidate_line(review);
  if (detail.log)
    for (const std::string& line : report.log_lines) out += "  log: " + line + "\n";
  return out;
}

}  // namespace plate::cli
