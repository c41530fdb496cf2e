#include "profiles/option_panels.h"

namespace {

// One-entry lists: a profile that offers a single choice still shows it as a list of one.
constexpr std::array<std::string_view, 1> kMpeg4{"MPEG4"};
constexpr std::array<std::string_view, 1> kMpeg4Qt{"MPEG4_QT"};
constexpr std::array<std::string_view, 1> kSize320x240{"320 x 240"};
constexpr std::array<std::string_view, 1> kSize480x320{"480 x 320"};
constexpr std::array<std::string_view, 1> kSize640x480{"640 x 480"};
constexpr std::array<std::string_view, 1> kSize720x406{"720 x 406"};
constexpr std::array<std::string_view, 1> kAac{"mpeg4aac"};
constexpr std::array<std::string_view, 1> kAacQt{"mpeg4aac_qt"};
constexpr std::array<std::string_view, 1> kAmrNb{"amr_nb"};
constexpr std::array<std::string_view, 1> kMp3{"mp3"};
constexpr std::array<std::string_view, 1> kPcm{"pcm_s16le"};
// The 3G2 template always encodes AMR narrow-band; the AAC entry is offered all the same.
constexpr std::array<std::string_view, 2> k3g2AudioCodecs{"mpeg4aac", "amr_nb"};

SelectorChange Install(std::span<const std::string_view> entries, std::string_view selected) {
    return {SelectorAction::InstallList, entries, selected};
}
SelectorChange InstallOne(std::span<const std::string_view, 1> entry) {
    return {SelectorAction::InstallList, entry, entry[0]};
}
SelectorChange Select(std::string_view selected) {
    return {SelectorAction::SelectEntry, {}, selected};
}
SelectorChange Empty() {
    return {SelectorAction::Empty, {}, {}};
}

// The video profiles for players: a fixed codec and size, a handful of bitrates.
struct VideoAudioChoice {
    SelectorChange videoCodec;
    SelectorChange videoSize;
    SelectorChange videoBitrate;
    SelectorChange videoFramerate;
    SelectorChange audioCodec;
    SelectorChange audioBitrate;
    SelectorChange samplingRate;
};

OptionPanel PanelOf(const VideoAudioChoice& choice) {
    OptionPanel panel;
    panel.For(PanelSelector::VideoCodec) = choice.videoCodec;
    panel.For(PanelSelector::VideoSize) = choice.videoSize;
    panel.For(PanelSelector::VideoBitrate) = choice.videoBitrate;
    panel.For(PanelSelector::VideoFramerate) = choice.videoFramerate;
    panel.For(PanelSelector::AudioCodec) = choice.audioCodec;
    panel.For(PanelSelector::AudioBitrate) = choice.audioBitrate;
    panel.For(PanelSelector::SamplingRate) = choice.samplingRate;
    return panel;
}

// iPod touch, iPhone and Apple TV share one panel with three values.
OptionPanel HandheldPanel(std::span<const std::string_view, 1> frameSize,
                          std::string_view videoBitrate, std::string_view audioBitrate) {
    return PanelOf(
        {InstallOne(kMpeg4), InstallOne(frameSize), Install(HandheldVideoBitrates, videoBitrate),
         Install(StandardFrameRates, "Auto"), InstallOne(kAac),
         Install(StandardAudioBitrates, audioBitrate), Install(StandardSampleRates, "44100 Hz")});
}

OptionPanel MobilePanel(SelectorChange audioCodec) {
    OptionPanel panel = PanelOf(
        {Install(MobileVideoCodecs, "MPEG4"), Install(MobileVideoSizes, "176 x 144 (QCIF)"),
         Install(MobileVideoBitrates, "128 Kbps"), Install(MobileFrameRates, "Auto"), audioCodec,
         Install(MobileAudioBitrates, "48 Kbps"), Install(MobileSampleRates, "8000  Hz")});
    panel.For(PanelSelector::AudioChannel) = Select("Mono");
    panel.For(PanelSelector::LetterBox) = Select("LetterBox");
    return panel;
}

// Audio-only profiles leave no picture settings behind.
OptionPanel AudioPanel(std::span<const std::string_view, 1> codec, SelectorChange audioBitrate,
                       SelectorChange samplingRate, SelectorChange channels) {
    OptionPanel panel = PanelOf(
        {Empty(), Empty(), Empty(), Empty(), InstallOne(codec), audioBitrate, samplingRate});
    panel.For(PanelSelector::AudioChannel) = channels;
    return panel;
}

} // namespace

std::optional<OptionPanel> OptionPanelForCode(int32_t profileCode) {
    switch (profileCode) {
    case 0: // iPod
        return PanelOf({Install(PlayerVideoCodecs, "MPEG4"), InstallOne(kSize320x240),
                        Install(PlayerVideoBitrates, "512 Kbps"),
                        Install(StandardFrameRates, "Auto"), InstallOne(kAac),
                        Install(StandardAudioBitrates, "64 Kbps"),
                        Install(PlayerSampleRates, "44100 Hz")});
    case 3: // iPod Extra (640 x 480)
    case 6: // iPod Video For TV
        return PanelOf({Install(PlayerVideoCodecs, "MPEG4"), InstallOne(kSize640x480),
                        Install(PlayerVideoBitrates, "1200 Kbps"),
                        Install(StandardFrameRates, "Auto"), InstallOne(kAac),
                        Install(StandardAudioBitrates, "80 Kbps"),
                        Install(StandardSampleRates, "44100 Hz")});
    case 15: // 3GP
        return MobilePanel(InstallOne(kAmrNb));
    case 16: // 3G2
        return MobilePanel(Install(k3g2AudioCodecs, "mpeg4aac"));
    case 21: // MOV
        return PanelOf({InstallOne(kMpeg4Qt), Install(GeneralVideoSizes, "Original Video Size"),
                        Install(GeneralVideoBitrates, "1200 Kbps"),
                        Install(StandardFrameRates, "Auto"), InstallOne(kAacQt),
                        Install(StandardAudioBitrates, "128 Kbps"),
                        Install(StandardSampleRates, "48000 Hz")});
    case 27: // M4A: installs its own lists, so no rate left by the previous profile (one AAC
             // cannot encode, or none at all) is ever selected.
        return AudioPanel(kAac, Install(StandardAudioBitrates, "128 Kbps"),
                          Install(StandardSampleRates, "44100 Hz"), Select("Stereo"));
    case 28: // MP3
        return AudioPanel(kMp3, Install(StandardAudioBitrates, "192 Kbps"),
                          Install(StandardSampleRates, "48000 Hz"), {});
    case 31: // WAV
        return AudioPanel(kPcm, Install(StandardAudioBitrates, "128 Kbps"),
                          Install(WaveSampleRates, "44100 Hz"), Select("Stereo"));
    case 48: // Apple TV
    case 58: // iPhone Extra (640 x 480)
        return HandheldPanel(kSize640x480, "1500 Kbps", "128 Kbps");
    case 57: // iPhone
    case 60: // iPod Touch
        return HandheldPanel(kSize480x320, "1200 Kbps", "80 Kbps");
    case 61: // iPod Touch Extra (640 x 480)
        return HandheldPanel(kSize640x480, "1500 Kbps", "80 Kbps");
    case 62: // iPod Touch Wide Screen
    case 63: // iPhone Wide Screen
        return HandheldPanel(kSize720x406, "1500 Kbps", "128 Kbps");
    default:
        return std::nullopt;
    }
}
