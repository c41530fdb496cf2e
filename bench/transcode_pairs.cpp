#include "transcode_pairs.h"

namespace {

using Args = std::vector<std::string>;

Args Join(Args a, const Args& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Our encoder's video chain for a 25 fps source: constant rate, bicubic scaling to the
// picture, the bars, square pixels, 4:2:0. The CLI is given the same chain, so neither
// side scales with another algorithm or in another order.
Args CliVideoChain(const PictureArea& picture, int frameWidth, int frameHeight) {
    std::string chain = "fps=fps=25/1,scale=w=" + std::to_string(picture.width) +
                        ":h=" + std::to_string(picture.height);
    if (frameWidth != picture.width || frameHeight != picture.height) {
        chain += ",pad=w=" + std::to_string(frameWidth) + ":h=" + std::to_string(frameHeight) +
                 ":x=" + std::to_string(picture.x) + ":y=" + std::to_string(picture.y) +
                 ":color=black";
    }
    chain += ",setsar=sar=1,format=pix_fmts=yuv420p";
    return {"-vf", chain};
}

// MPEG-4 Part 2 as ours codes it: Simple Profile, no B-frames, a key frame every 12.
Args CliMpeg4(const std::string& kbps) {
    return {"-c:v", "mpeg4", "-profile:v", "0", "-b:v", kbps + "k", "-bf", "0", "-g", "12"};
}

// The AAC, container and tag settings ours uses for the MP4 family.
Args CliAac(const std::string& kbps, const std::string& rate, const std::string& channels) {
    return {"-c:a", "aac", "-b:a", kbps + "k", "-ar", rate, "-ac", channels};
}

const Args kFastStart = {"-movflags", "+faststart"};

TranscodePair Pair(std::string name, std::string source, std::string extension, Args ours, Args cli,
                   PictureArea picture) {
    TranscodePair pair;
    pair.name = std::move(name);
    pair.source = std::move(source);
    pair.extension = std::move(extension);
    pair.ours = std::move(ours);
    pair.cli = std::move(cli);
    pair.picture = picture;
    return pair;
}

} // namespace

std::vector<TranscodePair> TranscodePairs(const BenchSources& sources) {
    std::vector<TranscodePair> pairs;
    const PictureArea full{320, 240, 0, 0};
    const Args ipodAudio = {"-acodec", "mpeg4aac", "-ab", "64",
                            "-ar",     "44100",    "-ac", "2 (stereo)"};
    const Args cliIpodAudio = Join(CliAac("64", "44100", "2"), kFastStart);

    // The iPod profile's own command line for a 4:3 source (the letterbox leaves it alone).
    const Args ipodMpeg4 =
        Join({"-vcodec", "mpeg4", "-b", "512"}, Join(ipodAudio, {"-s", "320x240"}));
    const Args cliIpodMpeg4 =
        Join(Join(CliVideoChain(full, 320, 240), CliMpeg4("512")), cliIpodAudio);
    pairs.push_back(Pair("iPod MPEG-4", sources.standard, "mp4", ipodMpeg4, cliIpodMpeg4, full));

    // libx264 for old players: constrained baseline, level 3.0, one reference frame, the
    // buffer twice the rate; x264's preset and threads left at their defaults on both sides.
    pairs.push_back(
        Pair("iPod H.264", sources.standard, "mp4",
             Join({"-vcodec", "h264", "-b", "512"}, Join(ipodAudio, {"-s", "320x240"})),
             Join(Join(CliVideoChain(full, 320, 240),
                       {"-c:v", "libx264", "-profile:v", "baseline", "-level", "3.0", "-refs", "1",
                        "-bf", "0", "-b:v", "512k", "-maxrate", "512k", "-bufsize", "1024k"}),
                  cliIpodAudio),
             full));

    // The 3GP profile with H.263 and the letterbox on: 176x132 and two 6-line bars.
    const PictureArea qcif{176, 132, 0, 6};
    const Args mobileVideo = {"-vcodec", "h263", "-b", "128", "-bt", "60"};
    const Args mobileRest = {"-ab", "48",      "-ar",     "8000 ", "-ac",        "1 (mono)",
                             "-s",  "176x132", "-padtop", "6",     "-padbottom", "6"};
    // Debian's ffmpeg has no AMR-NB encoder: the CLI codes low-rate mono AAC instead, about
    // the bitrate of AMR-NB's 12.2 kb/s mode that our -ab 48 comes to.
    const Args cli3gp =
        Join(Join(CliVideoChain(qcif, 176, 144),
                  {"-c:v", "h263", "-b:v", "128k", "-bt", "60k", "-bf", "0", "-g", "12"}),
             Join(CliAac("12", "8000", "1"), kFastStart));
    TranscodePair amr =
        Pair("3GP AMR-NB", sources.standard, "3gp",
             Join(mobileVideo, Join({"-acodec", "amr_nb"}, mobileRest)), cli3gp, qcif);
    amr.note = "ours AMR-NB, CLI AAC";
    amr.otherAudioCodec = true;
    pairs.push_back(amr);
    Args mobileAac = mobileRest;
    mobileAac[1] = "12";
    pairs.push_back(Pair("3GP AAC", sources.standard, "3gp",
                         Join(mobileVideo, Join({"-acodec", "mpeg4aac"}, mobileAac)), cli3gp,
                         qcif));

    // MP3 with both tag versions; ours names an untitled song after its file.
    TranscodePair mp3 = Pair(
        "MP3", sources.standard, "mp3",
        {"-id3v1", "-id3v2", "-acodec", "mp3", "-ab", "192", "-ar", "48000", "-ac", "2 (stereo)"},
        {"-vn", "-c:a", "libmp3lame", "-b:a", "192k", "-ar", "48000", "-ac", "2", "-id3v2_version",
         "3", "-write_id3v1", "1", "-metadata", "title=source"},
        {});
    mp3.cliWithoutEncoding = {"-vn", "-ar", "48000", "-ac", "2", "-f", "null"};
    pairs.push_back(mp3);

    // The iPod profile on a 16:9 source with the letterbox on: 320x180 and two 30-line bars.
    const PictureArea letterbox{320, 180, 0, 30};
    pairs.push_back(Pair(
        "iPod letterbox", sources.wide, "mp4",
        Join({"-vcodec", "mpeg4", "-b", "512"},
             Join(ipodAudio, {"-s", "320x180", "-padtop", "30", "-padbottom", "30"})),
        Join(Join(CliVideoChain(letterbox, 320, 240), CliMpeg4("512")), cliIpodAudio), letterbox));

    // Throughput rather than start-up: the first line again on a long source.
    if (!sources.longer.empty()) {
        TranscodePair longer =
            Pair("iPod MPEG-4 long", sources.longer, "mp4", ipodMpeg4, cliIpodMpeg4, full);
        longer.isLong = true;
        pairs.push_back(longer);
    }
    return pairs;
}
