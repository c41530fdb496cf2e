#pragma once
// What the add-files analysis learns about a source before anything else: picture size, frame
// rate and length, read with libavformat. A source without a picture, or one that cannot be
// read at all, reports 0 x 0; the analysis then asks the encoder instead.
//
// Only regular files are opened: a named pipe or a device would block the caller for ever.
// Opening and stream analysis run under a time limit, so a pathological file ends the read
// instead of hanging it. Free of Qt and of shared state, so a read may run on a helper thread.

#include <string>

class MediaInfo {
public:
    static constexpr int kDefaultTimeLimitMs = 10000;

    void SetFileName(std::string fileName) { m_fileName = std::move(fileName); }
    const std::string& FileName() const { return m_fileName; }
    // Limit for opening the file and analysing its streams.
    void SetTimeLimitMs(int ms) { m_timeLimitMs = ms; }

    // Reads the file named last. Never throws; a file that cannot be read leaves 0 x 0, a
    // frame rate of 0 and the duration "00:00".
    void Read() noexcept;

    // The displayed width: the stored width scaled by the pixel aspect and made even.
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    double FrameRate() const { return m_frameRate; }
    // "MM:SS" under an hour, "HH:MM:SS" from an hour on; the fraction of a second is dropped.
    const std::string& DurationText() const { return m_durationText; }

private:
    void Reset();
    void ReadFile();

    std::string m_fileName;
    int m_timeLimitMs = kDefaultTimeLimitMs;
    int m_width = 0;
    int m_height = 0;
    double m_frameRate = 0;
    std::string m_durationText = "00:00";
};

// The duration text of the read for a length in whole seconds.
std::string MediaDurationText(long long seconds);
