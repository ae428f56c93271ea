// Plan of decoding: the demuxer hands packets of the best video stream to the decoder (threaded as
// libavcodec sees fit); each decoded frame is counted, and one in `every` is handed on by
// reference, to be fitted on the reading thread while decoding goes on. The interrupt
// callback, which FFmpeg calls during every blocking read, ends a stalled source and a stopped one.

#include "video/video_decoder.h"

#include "av_error_text.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace plate::video {

namespace {

double seconds_of(AVRational rate) {
  return rate.den == 0 ? 0.0 : av_q2d(rate);
}

}  // namespace

struct VideoDecoder::Libraries {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  std::int64_t start_timestamp = AV_NOPTS_VALUE;
  std::int64_t bytes_seen = -1;

  ~Libraries() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }
};

// Any byte that arrives counts as life; a source that sends none for stall_seconds is stalled.
int interrupt_callback(void* opaque) {
  auto& decoder = *static_cast<VideoDecoder*>(opaque);
  if (decoder.stopped()) return 1;
  const auto now = std::chrono::steady_clock::now();
  const AVIOContext* io = decoder.av_->format ? decoder.av_->format->pb : nullptr;
  if (io && io->bytes_read != decoder.av_->bytes_seen) {
    decoder.av_->bytes_seen = io->bytes_read;
    decoder.last_data_ = now;
  }
  if (now - decoder.last_data_ > std::chrono::duration<double>(decoder.settings_.stall_seconds)) {
    decoder.stalled_ = true;
    return 1;
  }
  return 0;
}

VideoDecoder::VideoDecoder(const std::string& source, DecodeSettings settings)
    : settings_(settings), av_(std::make_unique<Libraries>()) {
  av_log_set_level(AV_LOG_QUIET);  // failures are reported once, in plate-read's own words
  if (!open(source)) av_ = std::make_unique<Libraries>();  // nothing half open stays
}

VideoDecoder::~VideoDecoder() = default;

bool VideoDecoder::stopped() const {
  return settings_.stop && settings_.stop->load();
}

bool VideoDecoder::open(const std::string& source) {
  last_data_ = std::chrono::steady_clock::now();
  av_->format = avformat_alloc_context();
  if (!av_->format) throw std::bad_alloc();
  av_->format->interrupt_callback = {&interrupt_callback, this};
  if (const int opened = avformat_open_input(&av_->format, source.c_str(), nullptr, nullptr); opened < 0) {
    failure_ = stalled_ ? "nothing came for " + std::to_string(int(settings_.stall_seconds)) + " s"
                        : "cannot open the video: " + av_error_text(opened);
    return false;
  }
  if (const int found = avformat_find_stream_info(av_->format, nullptr); found < 0) {
    failure_ = "cannot read the video's streams: " + av_error_text(found);
    return false;
  }
  av_->stream = av_find_best_stream(av_->format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (av_->stream < 0) {
    failure_ = "the file has no video stream";
    return false;
  }
  const AVStream* stream = av_->format->streams[av_->stream];
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  info_.format = av_->format->iformat->name;
  info_.codec = avcodec_get_name(stream->codecpar->codec_id);
  info_.width = stream->codecpar->width;
  info_.height = stream->codecpar->height;
  info_.frames_per_second = seconds_of(stream->avg_frame_rate);
  if (av_->format->duration > 0) info_.duration_seconds = double(av_->format->duration) / AV_TIME_BASE;
  if (!codec) {
    failure_ = "no decoder for the video's codec (" + info_.codec + ")";
    return false;
  }
  av_->codec = avcodec_alloc_context3(codec);
  av_->packet = av_packet_alloc();
  av_->frame = av_frame_alloc();
  if (!av_->codec || !av_->packet || !av_->frame) throw std::bad_alloc();
  avcodec_parameters_to_context(av_->codec, stream->codecpar);
  av_->codec->thread_count = 0;  // as many as libavcodec finds useful for the stream and the cores
  av_->codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  // A damaged frame is refused rather than patched up from its neighbours, so that it is never
  // read as if it were sound, and it is counted.
  av_->codec->err_recognition |= AV_EF_CRCCHECK | AV_EF_BITSTREAM | AV_EF_BUFFER | AV_EF_EXPLODE;
  if (const int opened = avcodec_open2(av_->codec, codec, nullptr); opened < 0) {
    failure_ = "cannot open the " + info_.codec + " decoder: " + av_error_text(opened);
    return false;
  }
  av_->start_timestamp = stream->start_time;
  return true;
}

// An MPEG-TS file is a run of transport packets of 188 bytes (192 in M2TS, 204 with error
// correction); its demuxer drops a last packet cut short without a word.
bool VideoDecoder::ends_inside_a_transport_packet() const {
  if (std::strcmp(av_->format->iformat->name, "mpegts") != 0 || !av_->format->pb) return false;
  const std::int64_t size = avio_size(av_->format->pb);
  return size > 0 && size % 188 != 0 && size % 192 != 0 && size % 204 != 0;
}

// A file's frames may end early without an error from the demuxer: its header's frame count
// (MP4, MOV, AVI) or duration (MKV) then tells that it was cut; an MPEG-TS file has neither, but is
// whole transport packets. Each packet of the codecs read here holds one frame, so a packet that
// gave no frame was damaged (or flagged so by the demuxer, and dropped below); the decoder may drop
// a damaged one silently or with an error, depending on which of its threads met it, and counting
// packets gives the same figure either way. An I/O error ends the demuxer as the end would.
void VideoDecoder::note_end() {
  if (failure_) return;
  const AVStream* stream = av_->format->streams[av_->stream];
  const double frame_seconds = info_.frames_per_second > 0 ? 1.0 / info_.frames_per_second : 0.1;
  const std::int64_t damaged = damaged_frames_ + std::max<std::int64_t>(0, packets_read_ - frames_decoded_);
  const AVIOContext* io = av_->format->pb;
  if (io && io->error < 0) {
    failure_ = "cannot read the video: " + av_error_text(io->error);
  } else if (stream->nb_frames > 0 && packets_read_ < stream->nb_frames) {
    failure_ = "the file is cut short: " + std::to_string(packets_read_) + " of its " +
               std::to_string(stream->nb_frames) + " frames are there";
  } else if (stream->nb_frames <= 0 && info_.duration_seconds > 0 &&
             last_seconds_ + 2.5 * frame_seconds < info_.duration_seconds) {
    char times[64];
    std::snprintf(times, sizeof times, "%.2f s of its %.2f s", last_seconds_ + frame_seconds,
                  info_.duration_seconds);
    failure_ = "the file is cut short: its frames end after " + std::string(times);
  } else if (ends_inside_a_transport_packet()) {
    failure_ = "the file is cut short: it ends inside a transport packet";
  } else if (damaged > 0) {
    failure_ = std::to_string(damaged) + " damaged frame" + (damaged == 1 ? " was" : "s were") + " not read";
  }
}

bool VideoDecoder::next(DecodedFrame& frame) {
  if (!av_->codec) return false;
  for (;;) {
    if (stopped()) return false;
    const int received = avcodec_receive_frame(av_->codec, av_->frame);
    if (received == 0) {
      const std::int64_t index = frames_decoded_++;
      const AVStream* stream = av_->format->streams[av_->stream];
      const std::int64_t timestamp = av_->frame->best_effort_timestamp;
      if (av_->start_timestamp == AV_NOPTS_VALUE) av_->start_timestamp = timestamp;
      last_seconds_ = timestamp == AV_NOPTS_VALUE || av_->start_timestamp == AV_NOPTS_VALUE
                          ? (info_.frames_per_second > 0 ? double(index) / info_.frames_per_second : 0.0)
                          : double(timestamp - av_->start_timestamp) * seconds_of(stream->time_base);
      const bool damaged = av_->frame->decode_error_flags != 0 || (av_->frame->flags & AV_FRAME_FLAG_CORRUPT);
      damaged_frames_ += damaged;
      if (damaged || index % settings_.every != 0) {
        av_frame_unref(av_->frame);
        continue;
      }
      if (!frame.pixels) frame.pixels.reset(av_frame_alloc());
      if (!frame.pixels) throw std::bad_alloc();
      av_frame_unref(frame.pixels.get());
      av_frame_move_ref(frame.pixels.get(), av_->frame);
      frame.at = {index, last_seconds_};
      return true;
    }
    if (received == AVERROR_EOF) {
      note_end();
      return false;
    }
    // The decoder refused what it was given (a damaged frame, counted by its packet at the end).
    if (received != AVERROR(EAGAIN) && draining_) continue;
    if (draining_ && !packet_pending_) return false;  // nothing comes after the flush
    if (!packet_pending_) {
      const int read = av_read_frame(av_->format, av_->packet);
      if (read == AVERROR_EOF || (read < 0 && !stopped() && !stalled_ && avio_feof(av_->format->pb))) {
        draining_ = true;  // the packet left blank is the flush, sent below
      } else if (read < 0) {
        if (stopped()) return false;
        failure_ = stalled_ ? "the stream stalled: no data for " +
                                  std::to_string(int(settings_.stall_seconds)) + " s"
                            : "cannot read the video: " + av_error_text(read);
        return false;
      } else if (av_->packet->stream_index != av_->stream) {
        av_packet_unref(av_->packet);
        continue;
      } else {
        ++packets_read_;
        // The demuxer saw the packet damaged (MPEG-TS: a lost or flagged transport packet): its
        // frame is decoded, as later frames may need it, but never given, and so counted as damaged.
        if (av_->packet->flags & AV_PKT_FLAG_CORRUPT) av_->packet->flags |= AV_PKT_FLAG_DISCARD;
      }
    }
    // A decoder that is full takes the packet again once its frames have been received.
    const int sent = avcodec_send_packet(av_->codec, av_->packet);
    packet_pending_ = sent == AVERROR(EAGAIN);
    if (packet_pending_) continue;
    av_packet_unref(av_->packet);
  }
}

}  // namespace plate::video
