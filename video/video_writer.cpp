#include "video/video_writer.h"

#include "av_error_text.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <system_error>

namespace plate::video {

struct VideoWriter::Libraries {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* convert = nullptr;
  bool file_open = false;

  ~Libraries() {
    sws_freeContext(convert);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    if (format && file_open) avio_closep(&format->pb);
    avformat_free_context(format);
  }
};

VideoWriter::VideoWriter(const std::filesystem::path& target, std::int32_t width, std::int32_t height,
                         std::int32_t frames_per_second, const EncodeSettings& settings)
    : av_(std::make_unique<Libraries>()), target_(target), partial_(target) {
  av_log_set_level(AV_LOG_QUIET);  // the encoders' own chatter; failures are reported in failure()
  partial_ += ".partial";
  const auto fail = [&](std::string why) { failure_ = std::move(why); };
  if (avformat_alloc_output_context2(&av_->format, nullptr, nullptr, target.string().c_str()) < 0 ||
      !av_->format) {
    fail("no video format is named by " + target.filename().string());
    return;
  }
  const AVCodec* codec = avcodec_find_encoder_by_name(settings.codec.c_str());
  if (!codec) {
    fail("no " + settings.codec + " encoder in this FFmpeg");
    return;
  }
  av_->codec = avcodec_alloc_context3(codec);
  av_->frame = av_frame_alloc();
  av_->packet = av_packet_alloc();
  av_->stream = avformat_new_stream(av_->format, nullptr);
  if (!av_->codec || !av_->frame || !av_->packet || !av_->stream) throw std::bad_alloc();
  AVCodecContext& c = *av_->codec;
  c.width = width;
  c.height = height;
  c.time_base = {1, frames_per_second};
  c.framerate = {frames_per_second, 1};
  c.gop_size = settings.keyframe_every;
  c.thread_count = settings.threads;
  c.pix_fmt = codec->id == AV_CODEC_ID_MJPEG ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
  if (av_->format->oformat->flags & AVFMT_GLOBALHEADER) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (codec->id == AV_CODEC_ID_H264 || codec->id == AV_CODEC_ID_HEVC) {
    av_opt_set(c.priv_data, "preset", "veryfast", 0);
    av_opt_set_int(c.priv_data, "crf", settings.quality, 0);
    if (codec->id == AV_CODEC_ID_HEVC) av_opt_set(c.priv_data, "x265-params", "log-level=none", 0);
  } else {
    c.flags |= AV_CODEC_FLAG_QSCALE;
    c.global_quality = FF_QP2LAMBDA * settings.quality;
    c.bit_rate = 0;
  }
  if (const int opened = avcodec_open2(&c, codec, nullptr); opened < 0) {
    fail("cannot open the " + settings.codec + " encoder: " + av_error_text(opened));
    return;
  }
  avcodec_parameters_from_context(av_->stream->codecpar, &c);
  av_->stream->time_base = c.time_base;
  if (const int opened = avio_open(&av_->format->pb, partial_.string().c_str(), AVIO_FLAG_WRITE);
      opened < 0) {
    fail("cannot create " + partial_.filename().string() + ": " + av_error_text(opened));
    return;
  }
  av_->file_open = true;
  if (const int written = avformat_write_header(av_->format, nullptr); written < 0) {
    fail("cannot write the video's header: " + av_error_text(written));
    return;
  }
  av_->frame->format = c.pix_fmt;
  av_->frame->width = width;
  av_->frame->height = height;
  if (av_frame_get_buffer(av_->frame, 0) < 0) throw std::bad_alloc();
  av_->convert = sws_getContext(width, height, AV_PIX_FMT_BGR24, width, height, c.pix_fmt, SWS_POINT, nullptr,
                                nullptr, nullptr);
  if (!av_->convert) fail("cannot convert pictures to the encoder's pixels");
}

VideoWriter::~VideoWriter() {
  if (!finished_) {
    av_.reset();
    std::error_code ignored;
    std::filesystem::remove(partial_, ignored);
  }
}

bool VideoWriter::add(const DecodedPicture& picture) {
  if (failure_) return false;
  if (picture.width != av_->codec->width || picture.height != av_->codec->height) {
    failure_ = "a frame of another size than the video's";
    return false;
  }
  if (av_frame_make_writable(av_->frame) < 0) throw std::bad_alloc();
  const std::uint8_t* const rows[4] = {picture.bgr.data(), nullptr, nullptr, nullptr};
  const int stride[4] = {picture.width * 3, 0, 0, 0};
  sws_scale(av_->convert, rows, stride, 0, picture.height, av_->frame->data, av_->frame->linesize);
  av_->frame->pts = frames_++;
  return encode(false);
}

bool VideoWriter::encode(bool flushing) {
  if (const int sent = avcodec_send_frame(av_->codec, flushing ? nullptr : av_->frame); sent < 0) {
    failure_ = "cannot encode a frame: " + av_error_text(sent);
    return false;
  }
  for (;;) {
    const int received = avcodec_receive_packet(av_->codec, av_->packet);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
    if (received < 0) {
      failure_ = "cannot encode a frame: " + av_error_text(received);
      return false;
    }
    // Every frame lasts one tick of the frame rate; without it, MP4's edit list ends at the last
    // frame's start and players (and the decoder) leave that frame out.
    if (av_->packet->duration == 0) av_->packet->duration = 1;
    av_packet_rescale_ts(av_->packet, av_->codec->time_base, av_->stream->time_base);
    av_->packet->stream_index = av_->stream->index;
    if (const int written = av_interleaved_write_frame(av_->format, av_->packet); written < 0) {
      failure_ = "cannot write the video: " + av_error_text(written);
      return false;
    }
  }
}

bool VideoWriter::finish() {
  if (failure_ || !encode(true)) return false;
  if (const int written = av_write_trailer(av_->format); written < 0) {
    failure_ = "cannot finish the video: " + av_error_text(written);
    return false;
  }
  av_.reset();
  std::error_code error;
  std::filesystem::rename(partial_, target_, error);
  if (error) {
    failure_ = "cannot rename the video into place: " + error.message();
    return false;
  }
  finished_ = true;
  return true;
}

}  // namespace plate::video
