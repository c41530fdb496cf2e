// Letterbox padding: the worked examples, the fallbacks, and a sweep over many source and
// target sizes checking what the bars promise.

#include "command/command_fragments.h"
#include "command/letterbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>

namespace {

struct WorkedExample {
    const char* row;
    const char* target;
    int direction;
    const char* result; // what the builder ends up with
};

TEST(Letterbox, WorkedExamples) {
    const WorkedExample examples[] = {
        {"640 x 360", " -s 320x240", 1, " -s 320x180 -padtop 30 -padbottom 30"},
        {"1280 x 544", " -s 320x240", 1, " -s 320x136 -padtop 52 -padbottom 52"},
        {"1280 x 724", " -s 320x240", 1, " -s 320x184 -padtop 28 -padbottom 28"},
        {"720 x 480", " -s 320x240", 1, " -s 320x212 -padtop 14 -padbottom 14"},
        {"1920 x 1080", " -s 720x406", 1, " -s 720x406"},
        {"640 x 480", " -s 480x320", 2, " -s 428x320 -padleft 26 -padright 26"},
        {"720 x 576", " -s 320x240", 2, " -s 300x240 -padleft 10 -padright 10"},
        {"640 x 480", " -s 720x406", 2, " -s 544x406 -padleft 88 -padright 88"},
        {"640 x 480", " -s 320x240", 0, " -s 320x240"},
        {"640 x 360", " -s 320x241", 1, " -s 320x241"},
    };
    for (const WorkedExample& e : examples) {
        SCOPED_TRACE(std::string(e.row) + " into" + e.target);
        EXPECT_EQ(LetterboxDirection(e.row, e.target), e.direction);
        EXPECT_EQ(LetterboxedSizeFragment(e.row, e.target), e.result);
    }
    // The last one fails inside: an odd frame height cannot take two equal bars.
    EXPECT_EQ(LetterboxTopBottom("640 x 360", " -s 320x241"), "error");
}

TEST(Letterbox, RowsWithoutAUsableSizeKeepThePlainFragment) {
    // "0 x 0" with the original size gives no size option at all, and "Unknown" the mobile
    // frame; neither gets bars.
    const std::string plainZero = VideoSizeFragment("Original Video Size", "0 x 0");
    EXPECT_EQ(plainZero, "");
    EXPECT_EQ(LetterboxDirection("0 x 0", plainZero), 0);
    EXPECT_EQ(LetterboxedSizeFragment("0 x 0", plainZero), "");
    EXPECT_EQ(LetterboxDirection("0 x 0", " -s 320x240"), 0);

    const std::string plainUnknown = VideoSizeFragment("320 x 240", "Unknown");
    EXPECT_EQ(LetterboxDirection("Unknown", plainUnknown), 0);
    EXPECT_EQ(LetterboxedSizeFragment("Unknown", plainUnknown), " -s 176x144");

    // The original size is the source's own: same ratio, no bars.
    const std::string plainOriginal = VideoSizeFragment("Original Video Size", "1280 x 720");
    EXPECT_EQ(LetterboxDirection("1280 x 720", plainOriginal), 0);

    for (const char* row : {"", " 640 x 360", "640x360", "640 x", "abc x 360", "640 x 36O",
                            "0 x 360", "640 x 0", "inf x 360", "nan x 1"}) {
        SCOPED_TRACE(std::string("row \"") + row + "\"");
        EXPECT_EQ(LetterboxDirection(row, " -s 320x240"), 0);
        EXPECT_EQ(LetterboxTopBottom(row, " -s 320x240"), "error");
        EXPECT_EQ(LetterboxLeftRight(row, " -s 320x240"), "error");
    }
    for (const char* target : {"", " -s ", " -s 320", " -s x240", " -s 320x0", " -s 0x0"}) {
        SCOPED_TRACE(std::string("target \"") + target + "\"");
        EXPECT_EQ(LetterboxDirection("640 x 360", target), 0);
        EXPECT_EQ(LetterboxedSizeFragment("640 x 360", target), target);
    }
}

TEST(Letterbox, OddSidesAreMadeEvenByTheirLastDigit) {
    // 1280 x 724 into 320 wide: 181 lines, raised to 182; 720 x 480: 213 lowered to 212.
    EXPECT_EQ(LetterboxTopBottom("1280 x 724", " -s 320x240"),
              " -s 320x184 -padtop 28 -padbottom 28");
    EXPECT_EQ(LetterboxTopBottom("720 x 480", " -s 320x240"),
              " -s 320x212 -padtop 14 -padbottom 14");
    // 640 x 480 at 406 lines: 541.33 cut to 541, raised to 542.
    EXPECT_EQ(LetterboxLeftRight("640 x 480", " -s 720x406"),
              " -s 544x406 -padleft 88 -padright 88");
    // A side a hair below a whole number is written with 15 digits and stays whole: in
    // binary floating point 320 / (320 / 238) is 237.99999999999997, which must count as 238,
    // not as 237 lowered to 236.
    EXPECT_EQ(LetterboxTopBottom("320 x 238", " -s 320x240"), " -s 320x240");
    EXPECT_EQ(LetterboxTopBottom("480 x 226", " -s 480x320"),
              " -s 480x228 -padtop 46 -padbottom 46");
    // (102 / 174) * 406 is 237.99999999999997 as well.
    EXPECT_EQ(LetterboxLeftRight("102 x 174", " -s 720x406"),
              " -s 240x406 -padleft 240 -padright 240");
}

// Over the range the letterbox is meant for (positive source sizes, even target frames):
// every computation succeeds, the picture keeps the target's other side, picture plus both
// bars is exactly the frame, the bars are equal and even, and the picture is within the
// rounding of its true size.
TEST(Letterbox, PictureAndBarsFillTheFrameExactly) {
    const int targets[][2] = {{128, 96},  {160, 120}, {176, 120}, {176, 144}, {192, 144},
                              {208, 176}, {220, 176}, {240, 180}, {320, 200}, {320, 240},
                              {352, 240}, {352, 288}, {480, 272}, {480, 320}, {480, 360},
                              {480, 480}, {480, 576}, {624, 352}, {640, 352}, {640, 480},
                              {704, 576}, {720, 406}, {720, 480}, {720, 576}};
    const std::regex topBottom(R"( -s (\d+)x(\d+)(?: -padtop (\d+) -padbottom (\d+))?)");
    const std::regex leftRight(R"( -s (\d+)x(\d+)(?: -padleft (\d+) -padright (\d+))?)");
    int checked = 0;
    for (int width = 16; width <= 2048; width += 13) {
        for (int height = 16; height <= 1536; height += 17) {
            const std::string row = std::to_string(width) + " x " + std::to_string(height);
            for (const auto& t : targets) {
                const std::string target =
                    " -s " + std::to_string(t[0]) + "x" + std::to_string(t[1]);
                const int direction = LetterboxDirection(row, target);
                const double sourceRatio = static_cast<double>(width) / height;
                const double targetRatio = static_cast<double>(t[0]) / t[1];
                ASSERT_EQ(direction, sourceRatio > targetRatio   ? 1
                                     : sourceRatio < targetRatio ? 2
                                                                 : 0)
                    << row << " into" << target;
                if (direction == 0) {
                    continue;
                }
                const bool rows = direction == 1;
                const std::string result =
                    rows ? LetterboxTopBottom(row, target) : LetterboxLeftRight(row, target);
                std::smatch m;
                ASSERT_TRUE(std::regex_match(result, m, rows ? topBottom : leftRight))
                    << row << " into" << target << " gave \"" << result << "\"";
                const int pictureWidth = std::stoi(m[1]);
                const int pictureHeight = std::stoi(m[2]);
                const int bar = m[3].matched ? std::stoi(m[3]) : 0;
                ASSERT_EQ(m[3].matched ? std::stoi(m[4]) : 0, bar) << result;
                if (m[3].matched) {
                    ASSERT_GT(bar, 0) << "a zero bar is written as no padding at all";
                }
                ASSERT_EQ(bar % 2, 0) << result;
                const int frameSide = rows ? t[1] : t[0];
                const int picture = rows ? pictureHeight : pictureWidth;
                ASSERT_EQ(rows ? pictureWidth : pictureHeight, rows ? t[0] : t[1]) << result;
                ASSERT_EQ(picture + 2 * bar, frameSide) << row << " into" << target;
                ASSERT_EQ(picture % 2, 0) << result;
                const double exact = rows ? t[0] / sourceRatio : t[1] * sourceRatio;
                ASSERT_LE(std::abs(picture - exact), 3.0) << row << " into" << target;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 10000);
}

} // namespace
