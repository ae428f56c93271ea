#pragma once
// The HTTP answer to a reading request: its status and JSON body, the records written by the one
// JSON writer (record_json) exactly as plate-read --json writes them.

#include <string>
#include <string_view>
#include <vector>

#include "reader/record.h"
#include "reader/record_json.h"

namespace plate::serve {

struct Answer {
  int status = 200;
  std::string body;  // JSON and a line end
};

// 200 for a picture read; 415 for bytes that are no picture read here or a variant not read; 422
// for a damaged, cut short, empty or too large picture; 500 for anything else.
int status_for(const reader::Record& record);

// One record: the body of a request that sent one picture as its body.
Answer single_record_answer(const reader::Record& record, reader::RecordJsonDetail detail);
// A JSON array of the records in the order of the upload's parts; the status is 200 when every
// picture was read, else that of the first picture that was not, so a client that only looks at
// the status still learns that something was not read.
Answer record_list_answer(const std::vector<reader::Record>& records, reader::RecordJsonDetail detail);

// {"error": MESSAGE, "status": STATUS}: the body of every refusal that is not about a picture.
Answer error_answer(int status, std::string_view message);

}  // namespace plate::serve
