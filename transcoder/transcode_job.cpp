#include "transcode_job.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

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
// Decoded pictures waiting for the picture's thread (filters and encoder): enough to even out
// the encoder's uneven pace (key frames, look-ahead) without holding many frames in memory.
constexpr size_t kFrameQueueCapacity = 8;
// Sound packets waiting for the sound's thread: small, and the input interleaves them with
// the picture, so the reader must be able to run ahead of the sound by a second or two.
constexpr size_t kPacketQueueCapacity = 128;
// Decoded sound waiting for the sound's thread in a job without a picture, where the reading
// thread decodes the sound so that decoding and encoding overlap.
constexpr size_t kSoundFrameQueueCapacity = 64;
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

using FrameQueue = BoundedQueue<FramePtr>;   // a null frame ends the stream
using PacketQueue = BoundedQueue<PacketPtr>; // a null packet ends the stream

// What the threads of one conversion share: the muxer with the progress figures it feeds, and
// the first failure. The muxer is not thread-safe, so every write goes through one lock. A
// failure on any thread closes every queue, so that no thread waits for one that has given up.
class SharedOutput {
public:
    SharedOutput(OutputSetup& setup, ConsoleReport& report, StallGuard& guard)
        : m_setup(setup), m_report(report), m_guard(guard) {
        m_figures.hasVideo = setup.video.has_value();
    }

    void AddQueue(FrameQueue& queue) { m_frameQueues.push_back(&queue); }
    void AddQueue(PacketQueue& queue) { m_packetQueues.push_back(&queue); }

    // Only the first failure line is kept: the others are its consequences.
    void Fail(const std::string& line) {
        {
            std::lock_guard lock(m_mutex);
            if (m_failureLine.empty()) {
                m_failureLine = line;
            }
        }
        m_stopped = true;
        for (FrameQueue* queue : m_frameQueues) {
            queue->Close();
        }
        for (PacketQueue* queue : m_packetQueues) {
            queue->Close();
        }
    }
    bool stopped() const { return m_stopped.load(); }
    const std::atomic<bool>& stopFlag() const { return m_stopped; }
    // Read once every thread has ended.
    const std::string& failureLine() const { return m_failureLine; }

    // Takes the packet's contents; false (with the failure set) when the output cannot take it.
    bool Write(StreamOutput& out, AVPacket* packet, bool video) {
        std::unique_lock lock(m_mutex);
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
            ++m_audioPackets;
        }
        AVStream* stream = m_setup.context->streams[out.outputIndex];
        packet->stream_index = out.outputIndex;
        av_packet_rescale_ts(packet, out.encoder->TimeBase(), stream->time_base);
        if (packet->pts != AV_NOPTS_VALUE) {
            const double end = (packet->pts + packet->duration) * av_q2d(stream->time_base);
            m_figures.seconds = std::max(m_figures.seconds, end);
        }
        const int written = av_interleaved_write_frame(m_setup.context.get(), packet);
        av_packet_unref(packet);
        if (written < 0) {
            lock.unlock();
            Fail("Conversion failed: the output cannot be written");
            return false;
        }
        AVIOContext* pb = m_setup.context->pb;
        if (pb != nullptr) {
            m_figures.bytes = std::max<int64_t>(m_figures.bytes, avio_tell(pb));
        }
        return true;
    }

    // Sends a frame (null: the flush) through the stream's encoder into the file.
    bool Encode(StreamOutput& out, const AVFrame* frame, AVPacket* packet, bool video) {
        const int sent = out.encoder->SendFrame(frame);
        if (sent < 0 && sent != AVERROR_EOF) {
            Fail("Conversion failed: the " + out.codecName + " encoder refused a frame");
            return false;
        }
        for (;;) {
            const int received = out.encoder->ReceivePacket(packet);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
                return true;
            }
            if (received < 0) {
                Fail("Conversion failed: the " + out.codecName + " encoder stopped");
                return false;
            }
            if (!Write(out, packet, video)) {
                return false;
            }
        }
    }

    // The report is written outside the muxer's lock: it may wait for the reader of the pipe.
    void ReportProgress() {
        m_guard.Touch();
        ProgressFigures figures;
        {
            std::lock_guard lock(m_mutex);
            figures = m_figures;
        }
        m_report.Progress(figures, false);
    }

    // The rest is read once every thread has ended.
    void UpdateSize() {
        AVIOContext* pb = m_setup.context->pb;
        if (pb != nullptr) {
            m_figures.bytes = std::max<int64_t>(m_figures.bytes, avio_size(pb));
        }
    }
    const ProgressFigures& figures() const { return m_figures; }
    int64_t videoBytes() const { return m_videoBytes; }
    int64_t audioBytes() const { return m_audioBytes; }
    int64_t packets() const { return m_videoPackets + m_audioPackets; }
    int64_t videoPackets() const { return m_videoPackets; }
    int64_t audioPackets() const { return m_audioPackets; }

private:
    OutputSetup& m_setup;
    ConsoleReport& m_report;
    StallGuard& m_guard;
    std::mutex m_mutex;
    ProgressFigures m_figures;
    int64_t m_videoBytes = 0;
    int64_t m_audioBytes = 0;
    int64_t m_videoPackets = 0;
    int64_t m_audioPackets = 0;
    std::string m_failureLine;
    std::atomic<bool> m_stopped = false;
    std::vector<FrameQueue*> m_frameQueues;
    std::vector<PacketQueue*> m_packetQueues;
};

// The picture's filter thread: scales and pads the frames the reading thread has decoded, so
// that the reading thread does nothing but keep the decoder busy and the encoder's thread
// nothing but encode.
void FilterVideo(SharedOutput& shared, std::optional<DecodeChain>& chain, FrameQueue& decoded,
                 FrameQueue& finished) {
    bool open = true;
    const DecodeChain::Deliver deliver = [&](FramePtr frame) {
        if (open) {
            open = finished.Push(std::move(frame));
        }
    };
    for (;;) {
        std::optional<FramePtr> item = decoded.Pop();
        if (!item) {
            return; // another thread has failed
        }
        AVFrame* frame = item->get();
        if (chain) {
            chain->FilterDecoded(frame, deliver);
        }
        if (!open || shared.stopped()) {
            return;
        }
        if (frame == nullptr) {
            finished.Push(nullptr);
            return;
        }
    }
}

// The video encoder's thread: takes the finished frames from the filter thread.
void EncodeVideo(SharedOutput& shared, StreamOutput& out, FrameQueue& frames) {
    PacketPtr packet = MakePacket();
    if (!packet) {
        shared.Fail("Conversion failed: out of memory");
        return;
    }
    int64_t lastPts = AV_NOPTS_VALUE;
    for (;;) {
        std::optional<FramePtr> item = frames.Pop();
        if (!item) {
            return; // another thread has failed
        }
        AVFrame* frame = item->get();
        if (frame == nullptr) {
            shared.Encode(out, nullptr, packet.get(), true);
            return;
        }
        // Frames after a rebuilt filter chain may repeat a timestamp.
        if (lastPts != AV_NOPTS_VALUE && frame->pts <= lastPts) {
            frame->pts = lastPts + 1;
        }
        lastPts = frame->pts;
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        if (!shared.Encode(out, frame, packet.get(), true)) {
            return;
        }
        shared.ReportProgress();
    }
}

// The sound's thread. Beside a picture it decodes, filters and encodes the sound packets the
// reading thread hands over, so that the sound's whole chain runs beside the picture's; in a
// job without a picture it encodes the frames the reading thread has decoded.
void EncodeAudio(SharedOutput& shared, StreamOutput& out, std::optional<DecodeChain>& chain,
                 PacketQueue* packets, FrameQueue* frames) {
    PacketPtr packet = MakePacket();
    if (!packet) {
        shared.Fail("Conversion failed: out of memory");
        return;
    }
    int64_t nextPts = AV_NOPTS_VALUE;
    bool ok = true;
    const DecodeChain::Deliver deliver = [&](FramePtr frame) {
        if (!ok) {
            return;
        }
        // Sound is counted sample by sample from its first frame, so damaged timestamps can
        // never reorder it.
        if (nextPts == AV_NOPTS_VALUE) {
            nextPts = frame->pts == AV_NOPTS_VALUE ? 0 : std::max<int64_t>(0, frame->pts);
        }
        frame->pts = nextPts;
        nextPts += frame->nb_samples;
        ok = shared.Encode(out, frame.get(), packet.get(), false);
        if (ok) {
            shared.ReportProgress();
        }
    };
    if (frames != nullptr) {
        for (;;) {
            std::optional<FramePtr> item = frames->Pop();
            if (!item) {
                return;
            }
            if (*item == nullptr) {
                shared.Encode(out, nullptr, packet.get(), false);
                return;
            }
            deliver(std::move(*item));
            if (!ok) {
                return;
            }
        }
    }
    for (;;) {
        std::optional<PacketPtr> item = packets->Pop();
        if (!item) {
            return;
        }
        const AVPacket* input = item->get();
        if (chain) {
            chain->Decode(input, deliver);
        }
        if (!ok) {
            return;
        }
        if (input == nullptr) {
            shared.Encode(out, nullptr, packet.get(), false);
            return;
        }
    }
}

std::optional<DecodeChain> OpenChain(const AVFormatContext* input,
                                     const std::optional<StreamOutput>& out, bool tolerant) {
    std::optional<DecodeChain> chain;
    if (!out) {
        return chain;
    }
    const AVStream* stream = input->streams[out->inputIndex];
    chain.emplace();
    const AVRational rate = out->frameRate.num > 0 ? out->frameRate : AVRational{25, 1};
    if (!chain->Open(input, stream, out->filterSpec, out->rebuiltFilterSpec, rate, tolerant)) {
        chain.reset();
    }
    return chain;
}

// The reading thread: reads the input, decodes the picture for the picture's thread and
// hands the sound's packets to the sound's thread, or, given `sound` (a job without
// a picture), decodes and filters the sound itself into `soundFrames`. False when the input
// could not be read to its end.
bool ReadInput(AVFormatContext* input, const OutputSetup& setup, std::optional<DecodeChain>& video,
               std::optional<DecodeChain>* sound, bool tolerant, StallGuard& guard,
               FrameQueue* frames, PacketQueue* packets, FrameQueue* soundFrames,
               const std::atomic<bool>& stop) {
    bool framesOpen = frames != nullptr;
    bool packetsOpen = packets != nullptr;
    bool soundFramesOpen = soundFrames != nullptr;
    const DecodeChain::Deliver toVideo = [&](FramePtr frame) {
        if (framesOpen) {
            framesOpen = frames->Push(std::move(frame));
        }
    };
    const DecodeChain::Deliver toSound = [&](FramePtr frame) {
        if (soundFramesOpen) {
            soundFramesOpen = soundFrames->Push(std::move(frame));
        }
    };
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
    while (!stop.load() && packet) {
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
            video->DecodeOnly(packet.get(), toVideo);
        } else if (sound != nullptr && setup.audio &&
                   packet->stream_index == setup.audio->inputIndex) {
            if (*sound && soundFramesOpen) {
                (*sound)->Decode(packet.get(), toSound);
            }
        } else if (packetsOpen && packet->stream_index == setup.audio->inputIndex) {
            packetsOpen = packets->Push(std::move(packet));
            packet = MakePacket();
            readToEnd = readToEnd && packet != nullptr;
            continue;
        }
        av_packet_unref(packet.get());
    }
    if (video && !stop.load()) {
        video->DecodeOnly(nullptr, toVideo);
    }
    if (sound != nullptr && *sound && !stop.load()) {
        (*sound)->Decode(nullptr, toSound);
    }
    if (soundFramesOpen) {
        soundFrames->Push(nullptr);
    }
    if (framesOpen) {
        frames->Push(nullptr);
    }
    if (packetsOpen) {
        packets->Push(nullptr);
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

    // The reading (and the picture's decoding), the picture's filters, its encoder and the
    // sound each run on a thread of their own, joined by short queues of frames and packets, so
    // that memory stays bounded however long the input is.
    SharedOutput shared(setup, report, guard);
    FrameQueue decoded(kFrameQueueCapacity);
    FrameQueue frames(kFrameQueueCapacity);
    PacketQueue packets(kPacketQueueCapacity);
    FrameQueue soundFrames(kSoundFrameQueueCapacity);
    shared.AddQueue(decoded);
    shared.AddQueue(frames);
    shared.AddQueue(packets);
    shared.AddQueue(soundFrames);
    std::optional<DecodeChain> videoChain = OpenChain(input, setup.video, options.tolerantInput);
    std::optional<DecodeChain> audioChain = OpenChain(input, setup.audio, options.tolerantInput);
    // Without a picture the reading thread has time to decode the sound, and the sound's
    // encoder then runs beside the decoding instead of after it.
    const bool soundOnly = setup.audio && !setup.video;
    bool readToEnd = false;
    {
        std::optional<std::thread> filterThread;
        std::optional<std::thread> videoThread;
        std::optional<std::thread> audioThread;
        if (setup.video) {
            filterThread.emplace([&] { FilterVideo(shared, videoChain, decoded, frames); });
            videoThread.emplace([&] { EncodeVideo(shared, *setup.video, frames); });
        }
        if (setup.audio) {
            audioThread.emplace([&] {
                EncodeAudio(shared, *setup.audio, audioChain, soundOnly ? nullptr : &packets,
                            soundOnly ? &soundFrames : nullptr);
            });
        }
        readToEnd = ReadInput(input, setup, videoChain, soundOnly ? &audioChain : nullptr,
                              options.tolerantInput, guard, setup.video ? &decoded : nullptr,
                              setup.audio && !soundOnly ? &packets : nullptr,
                              soundOnly ? &soundFrames : nullptr, shared.stopFlag());
        for (std::optional<std::thread>* thread : {&filterThread, &videoThread, &audioThread}) {
            if (*thread) {
                (*thread)->join();
            }
        }
    }

    auto fail = [&](const std::string& line) {
        report.Line(line);
        setup.context.reset();
        removeBrokenOutput();
        return 1;
    };
    if (shared.stopped()) {
        return fail(shared.failureLine());
    }
    if (shared.packets() == 0) {
        return fail("Conversion failed: nothing could be decoded from the input");
    }
    // A file without the picture or the sound it was meant to have is not a conversion.
    if (setup.video && shared.videoPackets() == 0) {
        return fail("Conversion failed: no picture could be decoded from the input");
    }
    if (setup.audio && shared.audioPackets() == 0) {
        return fail("Conversion failed: no sound could be decoded from the input");
    }
    if (!readToEnd) {
        return fail("Conversion failed: the input cannot be read to its end");
    }
    guard.Suspend();
    if (av_write_trailer(output) < 0) {
        return fail("Conversion failed: the output cannot be finished");
    }
    shared.UpdateSize();
    // Closing flushes what is still buffered; a full disk may only show here.
    if (output->pb != nullptr && !(output->oformat->flags & AVFMT_NOFILE) &&
        (output->pb->error < 0 || avio_closep(&output->pb) < 0)) {
        return fail("Conversion failed: the output cannot be written to its end");
    }
    report.Progress(shared.figures(), true);
    const int64_t total = shared.figures().bytes;
    const int64_t payload = shared.videoBytes() + shared.audioBytes();
    const double overhead = payload > 0 ? (total - payload) * 100.0 / payload : 0.0;
    report.Line(Text("video:%lldkB audio:%lldkB muxing overhead %.3f%%",
                     static_cast<long long>(shared.videoBytes() / 1024),
                     static_cast<long long>(shared.audioBytes() / 1024), overhead),
                Fit::Any);
    return 0;
}
