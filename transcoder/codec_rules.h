#pragma once
// Which container, encoders, rates and channel counts a conversion ends up with. Pure rules:
// the names the main program writes mapped to FFmpeg's, and the nearest values a codec takes.

#include <span>
#include <string>

// The muxer for "-f" after the input ("qt" is QuickTime) or, without it, for the output's
// extension. Empty when neither names a container of ours; FFmpeg's own guess comes next.
std::string MuxerFor(const std::string& forcedFormat, const std::string& outputPath);

enum class AudioKind { None, Aac, AmrNb, Mp3, Pcm16 };

// FFmpeg's encoder for a video codec name of the command line; empty for an unknown name.
std::string VideoEncoderFor(const std::string& codecArg);
AudioKind AudioKindFor(const std::string& codecArg);
std::string DefaultVideoCodecFor(const std::string& muxer);
std::string DefaultAudioCodecFor(const std::string& muxer);

// The codec's sampling rates; empty for "any".
std::span<const int> SampleRatesOf(AudioKind kind);
int NearestSampleRate(AudioKind kind, int wantedHz);
int NearestChannelCount(AudioKind kind, int wanted);

// H.263 codes only the five picture sizes of its standard.
bool IsH263FrameSize(int width, int height);
