#pragma once
// What each output profile puts into the main window's option selectors when it becomes the
// selected format: for every selector it names, the list of entries and the entry selected.
// Pure data; format_change.h installs a panel into the real selectors.
//
// The entry texts are parsed into encoder arguments when a job is built, so every text here is
// exact, blanks included. Like entries are deliberately spelt differently in different lists
// ("XVid" / "XVID", "15.0 fps" / "15 fps", "8000 Hz" / "8000  Hz"): the command fragments are
// taken from these texts as they stand.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The selectors a panel may touch, in a fixed order.
enum class PanelSelector : std::size_t {
    VideoCodec,
    VideoSize,
    VideoBitrate,
    VideoFramerate,
    AudioCodec,
    AudioBitrate,
    SamplingRate,
    AudioChannel,
    LetterBox,
};
inline constexpr std::size_t kPanelSelectorCount = 9;

enum class SelectorAction {
    Leave,       // the selector keeps its entries and selection
    InstallList, // empty it, add `entries` in order, select `selected`
    SelectEntry, // select `selected` among the entries already in place
    Empty,       // no entries, no selection, empty text
};

struct SelectorChange {
    SelectorAction action = SelectorAction::Leave;
    std::span<const std::string_view> entries;
    std::string_view selected;
};

struct OptionPanel {
    std::array<SelectorChange, kPanelSelectorCount> changes{};

    const SelectorChange& For(PanelSelector selector) const {
        return changes[static_cast<std::size_t>(selector)];
    }
    SelectorChange& For(PanelSelector selector) {
        return changes[static_cast<std::size_t>(selector)];
    }
};

// The named option lists the panels draw on.
inline constexpr std::array<std::string_view, 3> PlayerVideoCodecs{"MPEG4", "XVid", "H264"};
inline constexpr std::array<std::string_view, 3> MobileVideoCodecs{"MPEG4", "H263", "XVID"};
inline constexpr std::array<std::string_view, 7> MobileVideoSizes{
    "128 x 96 (SQCIF)", "160 x 120 (QVGA)", "176 x 144 (QCIF)", "208 x 176",
    "220 x 176",        "320 x 240 (VGA)",  "352 x 288 (CIF)"};
inline constexpr std::array<std::string_view, 23> GeneralVideoSizes{
    "Original Video Size", "128 x 96 (SQCIF)", "160 x 120 (QVGA)", "176 x 120", "176 x 144 (QCIF)",
    "192 x 144",           "208 x 176",        "220 x 176",        "240 x 180", "320 x 200",
    "320 x 240 (VGA)",     "352 x 240",        "352 x 288 (CIF)",  "480 x 272", "480 x 360",
    "480 x 480",           "480 x 576",        "624 x 352",        "640 x 352", "640 x 480",
    "704 x 576 (4CIF)",    "720 x 480",        "720 x 576"};
inline constexpr std::array<std::string_view, 4> PlayerVideoBitrates{"512 Kbps", "1200 Kbps",
                                                                     "1500 Kbps", "2500 Kbps"};
inline constexpr std::array<std::string_view, 5> HandheldVideoBitrates{
    "512 Kbps", "800 Kbps", "1200 Kbps", "1500 Kbps", "2500 Kbps"};
inline constexpr std::array<std::string_view, 6> MobileVideoBitrates{
    "48 Kbps", "64 Kbps", "96 Kbps", "128 Kbps", "256 Kbps", "512 Kbps"};
inline constexpr std::array<std::string_view, 11> GeneralVideoBitrates{
    "192 Kbps", "200 Kbps",  "216 Kbps",  "384 Kbps",  "512 Kbps", "640 Kbps",
    "768 Kbps", "1000 Kbps", "1200 Kbps", "1500 Kbps", "2500 Kbps"};
inline constexpr std::array<std::string_view, 7> StandardFrameRates{
    "Auto", "14.985 fps", "15.0 fps", "23.975 fps", "25.0 fps", "29.97 fps", "30.0 fps"};
inline constexpr std::array<std::string_view, 4> MobileFrameRates{"Auto", "11 fps", "14.985 fps",
                                                                  "15 fps"};
inline constexpr std::array<std::string_view, 13> StandardAudioBitrates{
    "32 Kbps",  "40 Kbps",  "48 Kbps",  "64 Kbps",  "80 Kbps",  "96 Kbps", "112 Kbps",
    "128 Kbps", "160 Kbps", "192 Kbps", "224 Kbps", "256 Kbps", "320 Kbps"};
inline constexpr std::array<std::string_view, 2> MobileAudioBitrates{"32 Kbps", "48 Kbps"};
inline constexpr std::array<std::string_view, 4> PlayerSampleRates{"22050 Hz", "32000 Hz",
                                                                   "44100 Hz", "48000 Hz"};
inline constexpr std::array<std::string_view, 8> StandardSampleRates{
    "8000 Hz", "16000 Hz", "22050 Hz", "32000 Hz", "44100 Hz", "48000 Hz", "54000 Hz", "96000 Hz"};
inline constexpr std::array<std::string_view, 8> WaveSampleRates{
    "8000  Hz", "16000 Hz", "22050 Hz", "32000 Hz", "44100 Hz", "48000 Hz", "54000 Hz", "96000 Hz"};
inline constexpr std::array<std::string_view, 2> MobileSampleRates{"8000  Hz", "16000 Hz"};

// The panel of a profile code; std::nullopt for a code no profile has.
std::optional<OptionPanel> OptionPanelForCode(int32_t profileCode);
