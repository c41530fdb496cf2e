#include "encoder/output_lines.h"

std::vector<std::string> SplitChunkIntoLines(std::string_view chunk) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = chunk.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(chunk.substr(start));
            return lines;
        }
        lines.emplace_back(chunk.substr(start, end - start));
        start = end + 2;
    }
}

void LineBuffer::AppendChunk(std::string_view chunk) {
    for (std::string& line : SplitChunkIntoLines(chunk)) {
        m_lines.push_back(std::move(line));
    }
}

void LineBuffer::ReplaceWithChunk(std::string_view chunk) {
    m_lines = SplitChunkIntoLines(chunk);
}
