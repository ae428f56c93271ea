#pragma once
// The system's texts (UTF-8, "\r\n" line ends) as Qt shows them: Qt's text widgets end lines with
// "\n" alone and would show the carriage return as a glyph of its own.

#include <QString>
#include <string_view>

namespace plate {

inline QString toDisplayString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))
      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace plate
