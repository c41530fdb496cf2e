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

// Sources whose timestamps or pixels are out of the ordinary, as cameras, phones, DVDs and
// capture cards make them. Small frames, a few seconds each.
struct TimingSources {
    std::filesystem::path freeze;           // MP4, 5 s: the picture stops at 1 s and goes on at 4 s
    std::filesystem::path slideshow;        // GIF, one picture every 3 s, 9 s in all
    std::filesystem::path half;             // MPEG-2 program stream, 3 s with sound
    std::filesystem::path joined;           // two copies of `half` joined end to end
    std::filesystem::path leapt;            // `half`, then 3 s more whose clock starts 60 s on
    std::filesystem::path wrap;             // MPEG-TS, 5 s, its 33-bit timestamps wrap at 1.5 s
    std::filesystem::path hole;             // MKV, 5 s, no sound from 2 s to 3 s
    std::filesystem::path everyDeltaBroken; // 3GP, 5 s, the picture's one sample delta 2^32-1
    std::filesystem::path firstDeltaBroken; // 3GP, 5 s, its first picture's delta 2^32-1
    std::filesystem::path wide;             // PAL DVD 16:9: 720x576 at 64:45, 2 s
    std::filesystem::path standard;         // PAL DVD 4:3: 720x576 at 16:15, 2 s
    std::filesystem::path variable;         // MKV, 5 s, frames at irregular times
    std::vector<std::filesystem::path> All() const;
};
const TimingSources& SharedTimingSources();

// The command line the main program would write: the quoted encoder, " -@ -y  -i ", the quoted
// input, the profile's pieces and the quoted output; split by the Windows rules into argv.
std::vector<std::string> JobArguments(const std::string& input, const std::string& pieces,
                                      const std::string& output);
