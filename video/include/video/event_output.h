#pragma once
// How a video's events and frames are written: JSON Lines through the records' JSON, or one text
// line per event.

#include <string>
#include <string_view>

#include "reader/record.h"
#include "video/plate_tracker.h"

namespace plate::video {

// {"type":"event","file":NAME,"text":...,"frames":N,"votes":[{"text","frames","weight"}...],
//  "first":{"frame","time"},"last":{...},"best":{"frame","time","plate":{the plate as in a record}}}
// Times are seconds with millisecond digits. No line end.
std::string event_json(const PlateEvent& event, std::string_view video_name, bool with_source_boxes);

// {"type":"frame","file":NAME,"frame":N,"time":T, then the record's own keys}: one frame's record.
std::string frame_json(const reader::Record& record, FrameStamp at, std::string_view video_name);

// "NAME<TAB>TEXT<TAB>FIRST-LAST s<TAB>K/N frames" and a line end: K frames read the voted text of
// the N that read the plate; NAME escaped as the picture lines escape it.
std::string event_text(const PlateEvent& event, std::string_view video_name);

}  // namespace plate::video
