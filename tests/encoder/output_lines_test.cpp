#include "encoder/output_lines.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(SplitChunkIntoLines, CutsAtCrLfOnly) {
    const struct {
        std::string chunk;
        Lines lines;
    } cases[] = {
        {"", {""}},
        {"no break", {"no break"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\n", {"a", ""}},
        {"\r\n", {"", ""}},
        {"frame= 1\rframe= 2\r\n", {"frame= 1\rframe= 2", ""}},
        {"lone\nfeed\r\nnext", {"lone\nfeed", "next"}},
        {"\r\r\n\n", {"\r", "\n"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitChunkIntoLines(c.chunk), c.lines) << testing::PrintToString(c.chunk);
    }
}

TEST(LineBuffer, AppendedChunksEachBeginANewLine) {
    LineBuffer buffer;
    EXPECT_TRUE(buffer.Empty());
    buffer.AppendChunk("Input #0, avi, from 'x.avi':\r\n  Dura");
    buffer.AppendChunk("tion: 00:01:23.4\r\n");
    buffer.AppendChunk("");
    EXPECT_EQ(buffer.Lines(),
              (Lines{"Input #0, avi, from 'x.avi':", "  Dura", "tion: 00:01:23.4", "", ""}));
    buffer.Clear();
    EXPECT_TRUE(buffer.Lines().empty());
}

TEST(LineBuffer, ReplacingKeepsOnlyTheNewChunk) {
    LineBuffer buffer;
    buffer.AppendChunk("old\r\nlines");
    buffer.ReplaceWithChunk("frame= 5\r\nsize=");
    EXPECT_EQ(buffer.Lines(), (Lines{"frame= 5", "size="}));
}

} // namespace
