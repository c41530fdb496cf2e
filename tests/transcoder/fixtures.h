#pragma once
// Source media made once per test program with the ffmpeg CLI: short clips with small frames
// in several containers and codecs, with and without sound, and sound without a picture.

#include <filesystem>
#include <string>
#include <vector>

#include "media_tools.h"

struct Fixtures {
    std::filesystem::path folder;
    std::filesystem::path avi;    // MPEG-4 Part 2 + MP3, 640x360, 25 fps, 48 kHz stereo
    std::filesystem::path mkv;    // H.264 + AAC, 320x240, 30000/1001 fps, 22050 Hz mono
    std::filesystem::path mov;    // Motion JPEG + PCM, 176x144, 15 fps
    std::filesystem::path silent; // MPEG-4 in MP4 without sound, 320x180
    std::filesystem::path song;   // WAV 44.1 kHz stereo with a title and an artist
    std::filesystem::path outFolder;
};

// Made on first use, removed when the test program ends.
const Fixtures& SharedFixtures();

// The command line the main program would write: the quoted encoder, " -@ -y  -i ", the quoted
// input, the profile's pieces and the quoted output; split by the Windows rules into argv.
std::vector<std::string> JobArguments(const std::string& input, const std::string& pieces,
                                      const std::string& output);
