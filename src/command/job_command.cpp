#include "command/job_command.h"

#include "command/command_templates.h"
#include "command/letterbox.h"
#include "command/output_naming.h"
#include "command/text_rules.h"
#include "encoder/command_line.h"

namespace {

// The extension as the file name part's last "." onward, lower-cased.
std::string LowerExtension(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : LowerAscii(name.substr(dot));
}

} // namespace

InputRoute FirstPassRoute(std::string_view sourcePath) {
    const std::string extension = LowerExtension(sourcePath);
    InputRoute route;
    route.directShowInput =
        extension == ".rm" || extension == ".rmvb" || extension == ".ram" || extension == ".ra";
    return route;
}

InputRoute RetryRoute(std::string_view sourcePath, const InputRoute& firstPass) {
    InputRoute route;
    if (LowerExtension(sourcePath) == ".mov") {
        route.quickTimeInput = true;
    } else if (firstPass.directShowInput || firstPass.retryThroughDirectShow) {
        // Nothing set: the plain route.
    } else {
        route.directShowInput = true;
        route.retryThroughDirectShow = true;
    }
    return route;
}

void BuildJobCommand(const JobSettings& settings, const JobRequest& request, JobCommand& job) {
    CommandFragments& f = job.fragments;

    // Every path between quotes is escaped by the splitting rules, so that whatever a file
    // name holds (quotes, trailing backslashes) it reaches the encoder as exactly one
    // argument. Names without quotes and backslashes come out unchanged. The input is
    // escaped together with the route prefix, since both stand between the same quotes.
    const std::string encoderPath = settings.appDir + std::string(kEncoderFileName);
    const std::string_view switches =
        request.route.quickTimeInput ? "\" -@ -y  -f qt -i \"" : "\" -@ -y  -i \"";
    const bool secondRoute = request.route.directShowInput || request.route.retryThroughDirectShow;
    const std::string_view routePrefix = secondRoute ? kDirectShowPrefix : std::string_view();
    const std::string quotedInput = EscapeForQuotes(std::string(routePrefix) + request.sourcePath);
    // Escaping only ever adds backslashes after the ones already there, so the escaped text
    // still begins with the route prefix itself.
    f.ExePrefix =
        "\"" + EscapeForQuotes(encoderPath) + std::string(switches) + std::string(routePrefix);
    f.InputArg = quotedInput.substr(routePrefix.size()) + "\"";

    job.outputFilePath = ChooseOutputFilePath(settings.outputFolder, request.sourcePath,
                                              request.outputExtension, settings.overwriteExisting);
    f.OutputArg = " \"" + EscapeForQuotes(job.outputFilePath) + "\"";

    const bool audioOnly = IsAudioOnlyOutput(request.outputExtension);
    f.VideoCodecArg = VideoCodecFragment(settings.videoCodecText);
    const std::string audioCodecArg = AudioCodecFragment(settings.audioCodecText);
    f.VideoSizeArg = VideoSizeFragment(settings.videoSizeText, request.rowVideoSize);
    if (settings.letterBoxIndex == kLetterBoxOnIndex && !audioOnly) {
        f.VideoSizeArg = LetterboxedSizeFragment(request.rowVideoSize, f.VideoSizeArg);
    }

    f.VideoBitrateArg = VideoBitrateFragment(settings.videoBitrateText);
    f.FrameRateArg = FrameRateFragment(settings.frameRateText);
    f.AudioBitrateArg = AudioBitrateFragment(settings.audioBitrateText);
    f.SampleRateArg = SampleRateFragment(settings.sampleRateText);

    VolumeFragments volume = VolumeRule(settings.volumeLevel, audioOnly);
    f.NoAudioArg = std::move(volume.NoAudioArg);
    f.VolumeArg = std::move(volume.VolumeArg);
    f.ChannelsArg = ChannelsFragment(settings.audioChannelIndex) + f.NoAudioArg + f.VolumeArg;

    f.AspectArg = AspectFragment(settings.aspectRatioIndex);
    f.AspectAudioCodecArg = f.AspectArg + audioCodecArg;

    BuildProfileCommand(settings.outputFormatText, f, job.commandLine);
}
