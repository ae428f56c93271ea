#include "serve/read_answer.h"

#include "reader/failure.h"
#include "reader/json_text.h"

namespace plate::serve {

int status_for(const reader::Record& record) {
  if (!record.failed()) return 200;
  if (!record.failure) return 500;
  switch (record.failure->kind) {
    case reader::FailureKind::not_a_picture:
    case reader::FailureKind::unsupported:
      return 415;
    case reader::FailureKind::damaged:
    case reader::FailureKind::cut_short:
    case reader::FailureKind::empty_file:
    case reader::FailureKind::too_large:
      return 422;
    default:
      return 500;  // a failure of a file on disk, which a request never names
  }
}

Answer single_record_answer(const reader::Record& record, reader::RecordJsonDetail detail) {
  return {status_for(record), reader::record_json(record, detail) + "\n"};
}

Answer record_list_answer(const std::vector<reader::Record>& records, reader::RecordJsonDetail detail) {
  Answer answer{200, "["};
  for (const reader::Record& record : records) {
    if (answer.body.size() > 1) answer.body += ',';
    answer.body += reader::record_json(record, detail);
    if (answer.status == 200) answer.status = status_for(record);
  }
  answer.body += "]\n";
  return answer;
}

Answer error_answer(int status, std::string_view message) {
  Answer answer{status, "{\"error\":"};
  reader::append_json_string(answer.body, message);
  answer.body += ",\"status\":" + std::to_string(status) + "}\n";
  return answer;
}

}  // namespace plate::serve
