#pragma once
// The encoder's console report arrives in chunks of at most 255 bytes and is looked at line by
// line. Lines end with CR LF only: an encoder that ends its progress reports with a lone CR puts
// several reports on one line, and a lone CR or LF must not split them. Splitting a chunk never
// looks at the next one; the job run holds back the unfinished end of a chunk itself.

#include <string>
#include <string_view>
#include <vector>

// Cuts `chunk` at each CR LF pair. The text after the last pair is the last line, so a chunk
// that ends in CR LF gives an empty last line and an empty chunk gives one empty line.
std::vector<std::string> SplitChunkIntoLines(std::string_view chunk);

// The line buffer the captured output is collected in. It holds lines, not raw text, so the
// owner never has to think about where a line break sits at the end:
// - The probe empties it once before the first read and then appends every chunk followed by
//   a line break (AppendChunk): the chunk's own lines are added as new lines, the end of a
//   chunk always ends a line, and a chunk that ends in CR LF leaves one empty line behind it.
// - The job run empties it before each chunk (ReplaceWithChunk), so it holds exactly that
//   chunk's lines.
// An emptied buffer has no line at all, which is different from one empty line (what an empty
// chunk leaves behind). Not shared between threads: each user keeps its own.
class LineBuffer {
public:
    void Clear() { m_lines.clear(); }
    void AppendChunk(std::string_view chunk);
    void ReplaceWithChunk(std::string_view chunk);

    const std::vector<std::string>& Lines() const { return m_lines; }
    bool Empty() const { return m_lines.empty(); }

private:
    std::vector<std::string> m_lines;
};
