// Plan: a pool of planes passes between the decoding thread, which fills them, and the calling
// thread, which swaps each into the reader and returns the reader's previous plane to the pool. A
// few planes in flight let decoding run ahead while a slow frame is read.

#include "video/video_reading.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace plate::video {

namespace {

constexpr std::size_t kPlanesInFlight = 4;

struct DecodedItem {
  std::unique_ptr<Plane> frame;
  FrameStamp at;
  FrameMapping mapping;
  DecodedPicture source;
};

// The hand-over between the threads: full items one way, empty planes back.
class FrameQueue {
 public:
  explicit FrameQueue(std::size_t planes) {
    for (std::size_t i = 0; i < planes; ++i) empty_.push_back(std::make_unique<Plane>());
  }
  std::unique_ptr<Plane> take_empty(const std::atomic<bool>& halt) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !empty_.empty() || halt; });
    if (empty_.empty()) return nullptr;
    auto plane = std::move(empty_.front());
    empty_.pop_front();
    return plane;
  }
  void give_empty(std::unique_ptr<Plane> plane) {
    {
      const std::lock_guard lock(mutex_);
      empty_.push_back(std::move(plane));
    }
    changed_.notify_all();
  }
  void put_full(DecodedItem item) {
    {
      const std::lock_guard lock(mutex_);
      full_.push_back(std::move(item));
    }
    changed_.notify_all();
  }
  void end() {
    {
      const std::lock_guard lock(mutex_);
      ended_ = true;
    }
    changed_.notify_all();
  }
  // The next full item; nothing once the decoder has ended and every item was taken. Wakes every
  // tenth of a second so that the caller can look at its stop flag.
  std::optional<DecodedItem> take_full(const std::function<void()>& on_wait) {
    std::unique_lock lock(mutex_);
    while (full_.empty() && !ended_) {
      changed_.wait_for(lock, std::chrono::milliseconds(100));
      lock.unlock();
      on_wait();
      lock.lock();
    }
    if (full_.empty()) return std::nullopt;
    DecodedItem item = std::move(full_.front());
    full_.pop_front();
    return item;
  }
  // Under the lock, so that a thread about to wait sees what changed or is woken.
  void wake() {
    const std::lock_guard lock(mutex_);
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Plane>> empty_;
  std::deque<DecodedItem> full_;
  bool ended_ = false;
};

}  // namespace

VideoOutcome read_video(const std::string& source, reader::Reader& reader, const VideoReadSettings& settings,
                        const VideoCallbacks& callbacks) {
  std::atomic<bool> halt{false};
  DecodeSettings decode = settings.decode;
  decode.stop = &halt;
  const auto user_stopped = [&] { return settings.decode.stop && settings.decode.stop->load(); };
  VideoDecoder decoder(source, decode);
  VideoOutcome outcome;
  outcome.info = decoder.info();
  if (decoder.failure()) {
    outcome.failure = decoder.failure();
    return outcome;
  }
  outcome.progress.duration_seconds = decoder.info().duration_seconds;

  FrameQueue queue(kPlanesInFlight);
  std::jthread decoding([&] {
    while (std::unique_ptr<Plane> plane = queue.take_empty(halt)) {
      DecodedItem item{std::move(plane), {}, {}, {}};
      if (!decoder.next(*item.frame, item.at, item.mapping)) break;
      if (decode.keep_source_pixels) item.source = decoder.source_pixels();
      queue.put_full(std::move(item));
    }
    queue.end();
  });
  const auto stop_all = [&] {
    halt = true;
    queue.wake();
  };

  PlateTracker tracker(settings.tracking);
  bool output_ok = true;
  const auto give = [&](std::vector<PlateEvent> events) {
    for (const PlateEvent& event : events)
      if (output_ok && callbacks.event && !callbacks.event(event)) output_ok = false;
  };
  const std::string format = decoder.info().codec;
  while (std::optional<DecodedItem> item = queue.take_full([&] {
    if (user_stopped()) stop_all();
  })) {
    if (user_stopped()) stop_all();
    if (halt) break;
    const reader::Record record = reader.read_fitted_frame(item->frame, item->mapping, format);
    queue.give_empty(std::move(item->frame));
    outcome.progress.frames_read++;
    outcome.progress.position_seconds = item->at.seconds;
    outcome.progress.frames_decoded = item->at.number + 1;
    if (callbacks.frame &&
        !callbacks.frame(
            {record, item->at, reader, decode.keep_source_pixels ? &item->source : nullptr, outcome.info}))
      output_ok = false;
    give(tracker.add_frame(item->at, record.plates));
    if (callbacks.progress) callbacks.progress(outcome.progress);
    if (!output_ok) {
      stop_all();
      break;
    }
  }
  stop_all();
  decoding.join();
  outcome.progress.frames_decoded = decoder.frames_decoded();
  outcome.stopped = user_stopped() || !output_ok;
  if (!user_stopped()) outcome.failure = decoder.failure();
  if (output_ok) give(tracker.finish());  // the plates still in view, also when stopped
  return outcome;
}

}  // namespace plate::video
