#pragma once
// Showing a pattern file to a person: a table of its records and a plot of their signatures.

#include <ostream>

#include "engine/template_file.h"

namespace plate::tools {

// One line per record: character, point count, box, proportion (h + 1) / (w + 1), start
// direction, and which proportion window of the matcher the record itself would fall in.
void print_template_table(std::ostream& out, const TemplateTable& templates);

// An SVG drawing with one panel per record: its outline as traced and its smoothed direction
// signature over the contour, with the character and point count as the panel's title.
void write_signature_svg(std::ostream& out, const TemplateTable& templates);

}  // namespace plate::tools
