#include "command/command_templates.h"

#include "profiles/profile_catalogue.h"

#include <array>

namespace {

using F = CommandFragments;

constexpr TemplatePiece Piece(std::string F::*fragment) {
    return TemplatePiece{fragment, {}};
}
constexpr TemplatePiece Fixed(std::string_view text) {
    return TemplatePiece{nullptr, text};
}

// Fixed option texts. Each begins with one blank; three also end with one.
constexpr std::string_view kMpeg4Video = " -vcodec \"mpeg4\" ";
constexpr std::string_view kAacAudio = " -acodec \"mpeg4aac\"";
constexpr std::string_view kBitrateTolerance = " -bt \"60\" ";
constexpr std::string_view kAmrAudio = " -acodec \"amr_nb\"";
constexpr std::string_view k3gpContainer = " -f 3gp";
constexpr std::string_view kQuickTimeVideo = " -vcodec \"mpeg4_qt\"";
constexpr std::string_view kQuickTimeAudio = " -acodec \"mpeg4aac_qt\"";
constexpr std::string_view kQuickTimeContainer = " -f qt";
constexpr std::string_view kNoVideo = " -vn ";
constexpr std::string_view kMp3Audio = " -id3v1 -id3v2 -acodec \"mp3\"";
constexpr std::string_view kWaveNoVideo = " -vn -s 400x300";

const std::array kPlayerPieces{
    Piece(&F::ExePrefix),       Piece(&F::InputArg),      Piece(&F::VideoCodecArg),
    Piece(&F::VideoBitrateArg), Piece(&F::FrameRateArg),  Fixed(kAacAudio),
    Piece(&F::AudioBitrateArg), Piece(&F::SampleRateArg), Piece(&F::ChannelsArg),
    Piece(&F::VideoSizeArg),    Piece(&F::OutputArg),
};

const std::array kHandheldPieces{
    Piece(&F::ExePrefix),       Piece(&F::InputArg),      Fixed(kMpeg4Video),
    Piece(&F::VideoBitrateArg), Piece(&F::FrameRateArg),  Fixed(kAacAudio),
    Piece(&F::AudioBitrateArg), Piece(&F::SampleRateArg), Piece(&F::ChannelsArg),
    Piece(&F::VideoSizeArg),    Piece(&F::OutputArg),
};

const std::array kMobilePieces{
    Piece(&F::ExePrefix),       Piece(&F::InputArg),        Piece(&F::VideoCodecArg),
    Piece(&F::VideoBitrateArg), Piece(&F::FrameRateArg),    Fixed(kBitrateTolerance),
    Fixed(kAmrAudio),           Piece(&F::AudioBitrateArg), Piece(&F::SampleRateArg),
    Piece(&F::ChannelsArg),     Piece(&F::VideoSizeArg),    Piece(&F::OutputArg),
};

// The 3G2 file is written by the 3GP muxer; it keeps its own extension from the output name.
const std::array kMobile2Pieces{
    Piece(&F::ExePrefix),       Piece(&F::InputArg),        Piece(&F::VideoCodecArg),
    Piece(&F::VideoBitrateArg), Piece(&F::FrameRateArg),    Fixed(kBitrateTolerance),
    Fixed(kAmrAudio),           Piece(&F::AudioBitrateArg), Piece(&F::SampleRateArg),
    Piece(&F::ChannelsArg),     Piece(&F::VideoSizeArg),    Fixed(k3gpContainer),
    Piece(&F::OutputArg),
};

const std::array kQuickTimePieces{
    Piece(&F::ExePrefix),       Piece(&F::InputArg),        Fixed(kQuickTimeVideo),
    Piece(&F::VideoBitrateArg), Piece(&F::FrameRateArg),    Fixed(kQuickTimeAudio),
    Piece(&F::AudioBitrateArg), Piece(&F::SampleRateArg),   Piece(&F::ChannelsArg),
    Piece(&F::VideoSizeArg),    Fixed(kQuickTimeContainer), Piece(&F::OutputArg),
};

const std::array kM4aPieces{
    Piece(&F::ExePrefix),     Piece(&F::InputArg),    Fixed(kAacAudio), Piece(&F::AudioBitrateArg),
    Piece(&F::SampleRateArg), Piece(&F::ChannelsArg), Fixed(kNoVideo),  Piece(&F::OutputArg),
};

const std::array kMp3Pieces{
    Piece(&F::ExePrefix),       Piece(&F::InputArg),      Fixed(kMp3Audio),
    Piece(&F::AudioBitrateArg), Piece(&F::SampleRateArg), Piece(&F::ChannelsArg),
    Piece(&F::OutputArg),
};

// The only template that takes the audio codec and aspect ratio from the selectors.
const std::array kWavePieces{
    Piece(&F::ExePrefix),       Piece(&F::InputArg),      Piece(&F::AspectAudioCodecArg),
    Piece(&F::AudioBitrateArg), Piece(&F::SampleRateArg), Piece(&F::ChannelsArg),
    Fixed(kWaveNoVideo),        Piece(&F::OutputArg),
};

} // namespace

const CommandTemplate PlayerTemplate{"PlayerTemplate", kPlayerPieces};
const CommandTemplate HandheldTemplate{"HandheldTemplate", kHandheldPieces};
const CommandTemplate MobileTemplate{"MobileTemplate", kMobilePieces};
const CommandTemplate Mobile2Template{"Mobile2Template", kMobile2Pieces};
const CommandTemplate QuickTimeTemplate{"QuickTimeTemplate", kQuickTimePieces};
const CommandTemplate M4aTemplate{"M4aTemplate", kM4aPieces};
const CommandTemplate Mp3Template{"Mp3Template", kMp3Pieces};
const CommandTemplate WaveTemplate{"WaveTemplate", kWavePieces};

const CommandTemplate* TemplateForProfileCode(int32_t profileCode) {
    switch (profileCode) {
    case 0:
    case 3:
    case 6:
        return &PlayerTemplate;
    case 48:
    case 57:
    case 58:
    case 60:
    case 61:
    case 62:
    case 63:
        return &HandheldTemplate;
    case 15:
        return &MobileTemplate;
    case 16:
        return &Mobile2Template;
    case 21:
        return &QuickTimeTemplate;
    case 27:
        return &M4aTemplate;
    case 28:
        return &Mp3Template;
    case 31:
        return &WaveTemplate;
    default:
        return nullptr;
    }
}

std::string ApplyTemplate(const CommandTemplate& commandTemplate,
                          const CommandFragments& fragments) {
    std::string line;
    for (const TemplatePiece& piece : commandTemplate.pieces) {
        if (piece.fragment != nullptr) {
            line += fragments.*(piece.fragment);
        } else {
            line += piece.fixedText;
        }
    }
    return line;
}

void BuildProfileCommand(std::string_view outputFormatText, const CommandFragments& fragments,
                         std::string& commandLine) {
    const OutputProfile* profile = FindProfile(outputFormatText);
    if (profile == nullptr) {
        return;
    }
    if (const CommandTemplate* commandTemplate = TemplateForProfileCode(profile->profileCode)) {
        commandLine = ApplyTemplate(*commandTemplate, fragments);
    }
}
