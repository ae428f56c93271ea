// Plan: the decoding thread hands each frame to be read, by reference to the decoder's buffers,
// to the calling thread, which fits it into the frame, reads it and tracks the plates. Fitting
// on the calling thread keeps the decoder fed meanwhile; a few frames in flight let decoding run
// ahead while a slow frame is read.

#include "video/video_reading.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "video/frame_fitter.h"

namespace plate::video {

namespace {

constexpr std::size_t kFramesInFlight = 4;

// The hand-over between the threads, holding at most kFramesInFlight frames.
class FrameQueue {
 public:
  // Waits for room; false when halted.
  bool put(DecodedFrame frame, const std::atomic<bool>& halt) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return frames_.size() < kFramesInFlight || halt; });
      if (halt) return false;
      frames_.push_back(std::move(frame));
    }
    changed_.notify_all();
    return true;
  }
  void end() {
    {
      const std::lock_guard lock(mutex_);
      ended_ = true;
    }
    changed_.notify_all();
  }
  // The next frame; nothing once the decoder has ended and every frame was taken. Wakes every
  // tenth of a second so that the caller can look at its stop flag.
  std::optional<DecodedFrame> take(const std::function<void()>& on_wait) {
    std::optional<DecodedFrame> frame;
    {
      std::unique_lock lock(mutex_);
      while (frames_.empty() && !ended_) {
        changed_.wait_for(lock, std::chrono::milliseconds(100));
        lock.unlock();
        on_wait();
        lock.lock();
      }
      if (frames_.empty()) return std::nullopt;
      frame = std::move(frames_.front());
      frames_.pop_front();
    }
    changed_.notify_all();
    return frame;
  }
  // Under the lock, so that a thread about to wait sees what changed or is woken.
  void wake() {
    const std::lock_guard lock(mutex_);
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<DecodedFrame> frames_;
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

  FrameQueue queue;
  std::jthread decoding([&] {
    for (;;) {
      DecodedFrame frame;
      if (!decoder.next(frame) || !queue.put(std::move(frame), halt)) break;
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
  FrameFitter fitter;
  auto plane = std::make_unique<Plane>();
  FrameMapping mapping;
  DecodedPicture source_pixels;
  std::optional<std::string> fit_failure;
  while (std::optional<DecodedFrame> frame = queue.take([&] {
    if (user_stopped()) stop_all();
  })) {
    if (user_stopped()) stop_all();
    if (halt) break;
    if (!fitter.fit(*frame, *plane, mapping, settings.keep_source_pixels ? &source_pixels : nullptr)) {
      fit_failure = fitter.failure();
      stop_all();
      break;
    }
    const FrameStamp at = frame->at;
    frame.reset();  // the decoder's buffer goes back to it before the run
    const reader::Record record = reader.read_fitted_frame(plane, mapping, format);
    outcome.progress.frames_read++;
    outcome.progress.position_seconds = at.seconds;
    outcome.progress.frames_decoded = at.number + 1;
    if (callbacks.frame &&
        !callbacks.frame(
            {record, at, reader, settings.keep_source_pixels ? &source_pixels : nullptr, outcome.info}))
      output_ok = false;
    give(tracker.add_frame(at, record.plates));
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
  if (!user_stopped()) outcome.failure = fit_failure ? fit_failure : decoder.failure();
  if (output_ok) give(tracker.finish());  // the plates still in view, also when stopped
  return outcome;
}

}  // namespace plate::video
