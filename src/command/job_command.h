#pragma once
// The complete encoder command line of one job. Everything the builder reads from the window
// is handed in as one snapshot, taken on the user-interface thread before the run; the builder
// itself touches no control, so the job loop calls it from its worker thread. Apart from
// looking at which files the output folder holds, it is a pure function of its arguments.

#include "encoder/encoder_contract.h"

#include "command/command_fragments.h"

#include <string>
#include <string_view>

// What the builder reads from the main window and the options dialog. Selector texts are the
// texts of the selected entries, empty when none is selected; indices are -1 then.
struct JobSettings {
    std::string outputFormatText;   // ComboOutputFormat
    std::string videoCodecText;     // ComboVideoCodec
    std::string audioCodecText;     // ComboAudioCodec
    std::string videoSizeText;      // ComboVideoSize
    std::string videoBitrateText;   // ComboVideoBitrate
    std::string audioBitrateText;   // ComboAudioBitrate
    std::string frameRateText;      // ComboVideoFramerate
    std::string sampleRateText;     // ComboSamplingRate
    int audioChannelIndex = 0;      // ComboAudioChannel
    int aspectRatioIndex = 0;       // ComboAspectRatio
    int letterBoxIndex = 1;         // ComboLetterBox
    std::string outputFolder;       // Edit1, without a trailing "/"
    bool overwriteExisting = false; // CheckBoxOverWrite
    std::string volumeLevel = "50"; // VolumeLevel
    std::string appDir;             // AppDir, ending in "/"
};

// How the encoder reads the source.
struct InputRoute {
    bool directShowInput = false;        // read through the encoder's second, tolerant route
    bool quickTimeInput = false;         // tell the encoder the input is a QuickTime file
    bool retryThroughDirectShow = false; // a retry through that route: same effect
};

// RealMedia sources (".rm", ".rmvb", ".ram", ".ra", any case) start on the second route.
InputRoute FirstPassRoute(std::string_view sourcePath);

// A ".mov" source is retried as QuickTime, a source that started on the second route is
// retried plainly, any other through the second route.
InputRoute RetryRoute(std::string_view sourcePath, const InputRoute& firstPass);

struct JobRequest {
    InputRoute route;
    std::string sourcePath;      // the row's caption, as it stands
    std::string rowVideoSize;    // the row's Video Size column
    std::string outputExtension; // the row's Output column, trimmed and lower-cased
};

struct JobCommand {
    std::string commandLine;    // keeps what it held when the format names no profile
    std::string outputFilePath; // OutputFilePath: the file the encoder writes, unquoted
    CommandFragments fragments;
};

// The five characters the encoder takes as "read this through the second route".

void BuildJobCommand(const JobSettings& settings, const JobRequest& request, JobCommand& job);
