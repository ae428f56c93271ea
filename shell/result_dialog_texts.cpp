#include "shell/result_dialog_texts.h"

#include "present/plate_text.h"

namespace plate {

std::string compose_result_text(std::uint32_t processing_ms, std::span<const RunPlate> plates) {
  // Printed unsigned: a signed conversion would show a negative time past 2^31 ms.
  std::string text = "処理時間 = " + std::to_string(processing_ms) + " ms \r\n";
  for (const RunPlate& plate : plates) text += "\r\nNumberplate : " + plate_text_to_utf8(plate.text) + "\r\n";
  if (plates.empty()) text += "ナンバーを認識できませんでした。\r\n";
  return text;
}

std::string compose_contact_text() {
  // The project has a name but no telephone, fax, mail address or web site of its own; each line
  // says so rather than carry a made-up contact.
  return "お問い合わせ\r\n"
         "\r\n"
         "plate-reader (ナンバープレート認識デモ)\r\n"
         "\r\n"
         "TEL: (none)\r\n"
         "FAX: (none)\r\n"
         "E-mail: (none)\r\n"
         "Web: (none)\r\n"
         "\r\n";
}

}  // namespace plate
