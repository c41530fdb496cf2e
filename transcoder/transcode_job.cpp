#include "transcode_job.h"

#include <atomic>
#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

extern "C" {
#include <libavutil/intreadwrite.h>
}

#include "bounded_queue.h"
#include "decode_chain.h"
#include "input_file.h"
#include "output_setup.h"
#include "source_clock.h"
#include "stall_guard.h"

namespace {

constexpr auto kStallLimit = std::chrono::seconds(30);
// Frames waiting between decoding and encoding; enough to keep both threads busy.
constexpr size_t kQueueCapacity = 16;
// Read errors in a row before the input counts as ended.
constexpr int kMaxReadErrors = 64;

std::string Text(const char* format, auto... values) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return buffer;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

struct QueueItem {
    bool video = false;
    FramePtr frame; // null: the stream has ended
};

// The encoding side: encoders, the muxer and the progress figures. Runs on its own thread.
class EncodeSide {
public:
    EncodeSide(OutputSetup& setup, ConsoleReport& report, StallGuard& guard)
        : m_setup(setup), m_report(report), m_guard(guard), m_packet(MakePacket()) {
        m_figures.hasVideo = setup.video.has_value();
    }

    // False when encoding or writing failed; the failure line is then set.
    bool Run(BoundedQueue<QueueItem>& queue) {
        bool videoOpen = m_setup.video.has_value();
        bool audioOpen = m_setup.audio.has_value();
        while (videoOpen || audioOpen) {
            std::optional<QueueItem> item = queue.Pop();
            if (!item) {
                break;
            }
            StreamOutput& out = item->video ? *m_setup.video : *m_setup.audio;
            if (!item->frame) {
                (item->video ? videoOpen : audioOpen) = false;
                if (!Encode(out, nullptr)) {
                    return false;
                }
                continue;
            }
            AVFrame* frame = item->frame.get();
            if (item->video) {
                // Frames after a rebuilt filter chain may repeat a timestamp.
                if (m_lastVideoPts != AV_NOPTS_VALUE && frame->pts <= m_lastVideoPts) {
                    frame->pts = m_lastVideoPts + 1;
                }
                m_lastVideoPts = frame->pts;
                frame->pict_type = AV_PICTURE_TYPE_NONE;
            } else {
                // Audio is counted sample by sample from its first frame, so damaged
                // timestamps can never reorder it.
                if (m_nextAudioPts == AV_NOPTS_VALUE) {
                    m_nextAudioPts =
                        frame->pts == AV_NOPTS_VALUE ? 0 : std::max<int64_t>(0, frame->pts);
                }
                frame->pts = m_nextAudioPts;
                m_nextAudioPts += frame->nb_samples;
            }
            if (!Encode(out, frame)) {
                return false;
            }
            m_guard.Touch();
            m_report.Progress(m_figures, false);
        }
        return true;
    }

    const ProgressFigures& figures() const { return m_figures; }
    int64_t videoBytes() const { return m_videoBytes; }
    int64_t audioBytes() const { return m_audioBytes; }
    int64_t packets() const { return m_packets; }
    int64_t videoPackets() const { return m_videoPackets; }
    int64_t audioPackets() const { return m_packets - m_videoPackets; }
    const std::string& failureLine() const { return m_failureLine; }

    void UpdateSize() {
        AVIOContext* pb = m_setup.context->pb;
        if (pb != nullptr) {
            m_figures.bytes = std::max<int64_t>(m_figures.bytes, avio_size(pb));
        }
    }

private:
    bool Encode(StreamOutput& out, const AVFrame* frame) {
        const int sent = out.encoder->SendFrame(frame);
        if (sent < 0 && sent != AVERROR_EOF) {
            m_failureLine = "Conversion failed: the " + out.codecName + " encoder refused a frame";
            return false;
        }
        for (;;) {
            const int received = out.encoder->ReceivePacket(m_packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
                return true;
            }
            if (received < 0) {
                m_failureLine = "Conversion failed: the " + out.codecName + " encoder stopped";
                return false;
            }
            if (!Write(out)) {
                return false;
            }
        }
    }

    bool Write(StreamOutput& out) {
        AVPacket* packet = m_packet.get();
        const bool video = &out == (m_setup.video ? &*m_setup.video : nullptr);
        if (video) {
            ++m_figures.frames;
            size_t sideSize = 0;
            const uint8_t* stats =
                av_packet_get_side_data(packet, AV_PKT_DATA_QUALITY_STATS, &sideSize);
            if (stats != nullptr && sideSize >= 4) {
                // libx264's flushed frames carry no real quantiser; keep the last sensible one.
                const double q = AV_RL32(stats) / static_cast<double>(FF_QP2LAMBDA);
                if (q >= 0 && q <= 100) {
                    m_figures.quality = q;
                }
            }
            m_videoBytes += packet->size;
            ++m_videoPackets;
        } else {
            m_audioBytes += packet->size;
        }
        AVStream* stream = m_setup.context->streams[out.outputIndex];
        packet->stream_index = out.outputIndex;
        av_packet_rescale_ts(packet, out.encoder->TimeBase(), stream->time_base);
        if (packet->pts != AV_NOPTS_VALUE) {
            const double end = (packet->pts + packet->duration) * av_q2d(stream->time_base);
            m_figures.seconds = std::max(m_figures.seconds, end);
        }
        ++m_packets;
        const int written = av_interleaved_write_frame(m_setup.context.get(), packet);
        av_packet_unref(packet);
        if (written < 0) {
            m_failureLine = "Conversion failed: the output cannot be written";
            return false;
        }
        AVIOContext* pb = m_setup.context->pb;
        if (pb != nullptr) {
            m_figures.bytes = std::max<int64_t>(m_figures.bytes, avio_tell(pb));
        }
        return true;
    }

    OutputSetup& m_setup;
    ConsoleReport& m_report;
    StallGuard& m_guard;
    PacketPtr m_packet;
    ProgressFigures m_figures;
    int64_t m_lastVideoPts = AV_NOPTS_VALUE;
    int64_t m_nextAudioPts = AV_NOPTS_VALUE;
    int64_t m_videoBytes = 0;
    int64_t m_audioBytes = 0;
    int64_t m_packets = 0;
    int64_t m_videoPackets = 0;
    std::string m_failureLine;
};

// The decoding side: reads the input and turns packets into frames ready for the encoders.
// False when the input could not be read to its end.
bool ReadAndDecode(AVFormatContext* input, const OutputSetup& setup, bool tolerant,
                   StallGuard& guard, BoundedQueue<QueueItem>& queue,
                   const std::atomic<bool>& stop) {
    std::optional<DecodeChain> video;
    std::optional<DecodeChain> audio;
    bool queueOpen = true;
    auto deliverTo = [&](bool isVideo) {
        return [&, isVideo](FramePtr frame) {
            if (queueOpen) {
                queueOpen = queue.Push(QueueItem{isVideo, std::move(frame)});
            }
        };
    };
    const DecodeChain::Deliver toVideo = deliverTo(true);
    const DecodeChain::Deliver toAudio = deliverTo(false);

    auto open = [&](std::optional<DecodeChain>& chain, const std::optional<StreamOutput>& out) {
        if (!out) {
            return;
        }
        const AVStream* stream = input->streams[out->inputIndex];
        chain.emplace();
        const AVRational rate = out->frameRate.num > 0 ? out->frameRate : AVRational{25, 1};
        if (!chain->Open(input, stream, out->filterSpec, out->rebuiltFilterSpec, rate, tolerant)) {
            chain.reset();
        }
    };
    open(video, setup.video);
    open(audio, setup.audio);
    // Streams the output does not use are not even read from the file.
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const int index = static_cast<int>(i);
        const bool used = (setup.video && setup.video->inputIndex == index) ||
                          (setup.audio && setup.audio->inputIndex == index);
        input->streams[i]->discard = used ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }

    PacketPtr packet = MakePacket();
    SourceClock clock(input);
    int errorsInRow = 0;
    bool readToEnd = packet != nullptr;
    while (queueOpen && !stop.load() && packet) {
        const int read = av_read_frame(input, packet.get());
        if (read < 0) {
            if (read == AVERROR_EOF) {
                break;
            }
            // The tolerant route takes what it can get from a damaged file; the plain route
            // leaves that to it and says the file could not be read.
            if (guard.Stalled() || ++errorsInRow > kMaxReadErrors ||
                (!tolerant && read != AVERROR(EAGAIN))) {
                readToEnd = tolerant && !guard.Stalled();
                break;
            }
            continue;
        }
        errorsInRow = 0;
        guard.Touch();
        clock.Mend(packet.get(), input->streams[packet->stream_index]);
        if (video && setup.video && packet->stream_index == setup.video->inputIndex) {
            video->Decode(packet.get(), toVideo);
        } else if (audio && setup.audio && packet->stream_index == setup.audio->inputIndex) {
            audio->Decode(packet.get(), toAudio);
        }
        av_packet_unref(packet.get());
    }
    if (video) {
        video->Decode(nullptr, toVideo);
    }
    if (audio) {
        audio->Decode(nullptr, toAudio);
    }
    if (setup.video && queueOpen) {
        queueOpen = queue.Push(QueueItem{true, nullptr});
    }
    if (setup.audio && queueOpen) {
        queue.Push(QueueItem{false, nullptr});
    }
    return readToEnd;
}

void DescribeOutput(const OutputSetup& setup, const std::string& path, ConsoleReport& report) {
    // Nothing here is read for values, so these lines go out at once: waiting for room would
    // only hold up the start of the conversion.
    report.Line("Output #0, " + setup.muxer + ", to '" + HeaderPath(path) + "':", Fit::Any);
    if (setup.video) {
        const StreamOutput& v = *setup.video;
        report.Line(FormatVideoStreamLine(v.outputIndex, v.codecName, v.width, v.height,
                                          av_q2d(v.frameRate), 'c'),
                    Fit::Any);
    }
    if (setup.audio) {
        const StreamOutput& a = *setup.audio;
        report.Line(
            FormatAudioStreamLine(a.outputIndex, a.codecName, a.sampleRate, a.channels, a.bitRate),
            Fit::Any);
    }
    report.Line("Stream mapping:", Fit::Any);
    for (const StreamOutput* out :
         {setup.video ? &*setup.video : nullptr, setup.audio ? &*setup.audio : nullptr}) {
        if (out != nullptr) {
            report.Line(Text("  Stream #0.%d -> #0.%d", out->inputIndex, out->outputIndex),
                        Fit::Any);
        }
    }
}

} // namespace

int RunTranscode(const TranscodeOptions& options, ConsoleReport& report) {
    // Whether this run created the output file, so that a failed run leaves no broken file.
    std::atomic<bool> outputCreated = false;
    auto removeBrokenOutput = [&] {
        if (outputCreated.load()) {
            ::unlink(options.outputPath.c_str());
        }
    };
    StallGuard guard(kStallLimit, [&] {
        report.Line("Conversion failed: no progress for 30 seconds, the input seems damaged");
        removeBrokenOutput();
        ::_exit(1);
    });

    OpenedInput opened = OpenInput(options, guard.InterruptCallback());
    if (!opened.context) {
        report.Line(opened.failureLine);
        return 1;
    }
    AVFormatContext* input = opened.context.get();
    DescribeInput(input, options.inputPath, report);
    if (options.outputPath.empty()) {
        return 0;
    }
    guard.Touch();

    if (SameFile(options.inputPath, options.outputPath)) {
        report.Line("Conversion failed: the output would overwrite the input");
        return 1;
    }
    if (!options.overwrite && ::access(options.outputPath.c_str(), F_OK) == 0) {
        report.Line("Conversion failed: the output file exists and -y was not given");
        return 1;
    }
    OutputSetup setup = SetUpOutput(options, input, guard.InterruptCallback());
    if (!setup.failureLine.empty()) {
        report.Line(setup.failureLine);
        return 1;
    }
    AVFormatContext* output = setup.context.get();
    if (!(output->oformat->flags & AVFMT_NOFILE)) {
        if (avio_open2(&output->pb, options.outputPath.c_str(), AVIO_FLAG_WRITE,
                       &output->interrupt_callback, nullptr) < 0) {
            report.Line("Error while opening file for the output: it cannot be written");
            return 1;
        }
        outputCreated = true;
    }
    av_dict_copy(&output->metadata, input->metadata, 0);
    OptionDictionary muxerOptions;
    const std::string muxer = setup.muxer;
    if (muxer == "mp4" || muxer == "mov" || muxer == "3gp" || muxer == "3g2" || muxer == "ipod") {
        // The index first, so that the file plays while it is still being copied or streamed.
        muxerOptions.Set("movflags", "+faststart");
    } else if (muxer == "mp3") {
        // The version 1 tag is written only when it has something to say; a song without a
        // title is named after its file, as players would show it anyway.
        if (av_dict_get(output->metadata, "title", nullptr, 0) == nullptr) {
            av_dict_set(&output->metadata, "title", BaseName(options.inputPath).c_str(), 0);
        }
        muxerOptions.Set("id3v2_version", options.id3v2 ? "3" : "0");
        muxerOptions.Set("write_id3v1", options.id3v1 ? "1" : "0");
    }
    if (avformat_write_header(output, &muxerOptions.dict) < 0) {
        report.Line("Conversion failed: the output header cannot be written");
        setup.context.reset();
        removeBrokenOutput();
        return 1;
    }
    for (const std::string& note : setup.notes) {
        report.Line(note, Fit::Any);
    }
    DescribeOutput(setup, options.outputPath, report);

    BoundedQueue<QueueItem> queue(kQueueCapacity);
    std::atomic<bool> stopReading = false;
    EncodeSide encodeSide(setup, report, guard);
    bool encoded = false;
    bool readToEnd = false;
    {
        std::thread encoder([&] {
            encoded = encodeSide.Run(queue);
            // Whatever happened, the reader must not wait on a full queue for us.
            stopReading = true;
            queue.Close();
        });
        readToEnd = ReadAndDecode(input, setup, options.tolerantInput, guard, queue, stopReading);
        encoder.join();
    }

    auto fail = [&](const std::string& line) {
        report.Line(line);
        setup.context.reset();
        removeBrokenOutput();
        return 1;
    };
    if (!encoded) {
        return fail(encodeSide.failureLine());
    }
    if (encodeSide.packets() == 0) {
        return fail("Conversion failed: nothing could be decoded from the input");
    }
    // A file without the picture or the sound it was meant to have is not a conversion.
    if (setup.video && encodeSide.videoPackets() == 0) {
        return fail("Conversion failed: no picture could be decoded from the input");
    }
    if (setup.audio && encodeSide.audioPackets() == 0) {
        return fail("Conversion failed: no sound could be decoded from the input");
    }
    if (!readToEnd) {
        return fail("Conversion failed: the input cannot be read to its end");
    }
    guard.Suspend();
    if (av_write_trailer(output) < 0) {
        return fail("Conversion failed: the output cannot be finished");
    }
    encodeSide.UpdateSize();
    // Closing flushes what is still buffered; a full disk may only show here.
    if (output->pb != nullptr && !(output->oformat->flags & AVFMT_NOFILE) &&
        (output->pb->error < 0 || avio_closep(&output->pb) < 0)) {
        return fail("Conversion failed: the output cannot be written to its end");
    }
    report.Progress(encodeSide.figures(), true);
    const int64_t total = encodeSide.figures().bytes;
    const int64_t payload = encodeSide.videoBytes() + encodeSide.audioBytes();
    const double overhead = payload > 0 ? (total - payload) * 100.0 / payload : 0.0;
    report.Line(Text("video:%lldkB audio:%lldkB muxing overhead %.3f%%",
                     static_cast<long long>(encodeSide.videoBytes() / 1024),
                     static_cast<long long>(encodeSide.audioBytes() / 1024), overhead),
                Fit::Any);
    return 0;
}
