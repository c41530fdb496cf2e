// fake_encoder: a scripted stand-in for zorir3e.exe, for tests that need an encoder to do
// something the real one will not do on real media (stall, print a failure word, write in odd
// chunks). Tests copy it or link it as "zorir3e.exe" into a test program folder.
//
// It reads the script named by the environment variable RC_FAKE_ENCODER_SCRIPT and carries out
// its lines in order. Empty lines and lines beginning with "#" are skipped. A command and its
// argument are separated by one blank; the argument is the rest of the line.
//
//   write TEXT          one write() call of TEXT to standard output
//   write-stderr TEXT   the same to standard error
//   sleep MS            sleeps MS milliseconds
//   output-write TEXT   creates or replaces the output file with TEXT
//   output-empty        creates the output file, or empties it, leaving 0 bytes
//   output-remove       removes the output file if there is one (without any output-* line the
//                       output file is left as it is)
//   record-argv PATH    writes every argument, argv[0] first, each followed by a zero byte,
//                       into the file PATH
//   close-output        closes standard output and standard error (the runner then sees the
//                       end of the output while this process still lives)
//   hang                sleeps until killed
//   exit CODE           ends at once with CODE; the end of the script ends with 0
//   raise SIGNAL        sends itself the signal numbered SIGNAL (with its default action)
//
// TEXT may use the escapes \r, \n, \t, \\, \0 (a zero byte) and \xHH (two hex digits).
// The output file is the last argument, as for the real encoder.
//
// Exit codes of its own: 98 when the script cannot be read, 99 for a line it does not know.

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        switch (next) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '0':
            out += '\0';
            break;
        case 'x':
            if (i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
                out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
                i += 2;
            } else {
                out += "\\x";
            }
            break;
        default:
            out += next;
            break;
        }
    }
    return out;
}

void WriteAll(int fd, const std::string& bytes) {
    // One call, so the reader sees the text as one chunk; a pipe takes up to 4096 bytes at once.
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    (void)written;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv) {
    const char* scriptPath = std::getenv("RC_FAKE_ENCODER_SCRIPT");
    std::ifstream script(scriptPath != nullptr ? scriptPath : "");
    if (!script) {
        std::fprintf(stderr, "fake_encoder: no script (RC_FAKE_ENCODER_SCRIPT)\r\n");
        return 98;
    }
    const std::string outputPath = argc > 1 ? argv[argc - 1] : "";

    std::string line;
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const size_t blank = line.find(' ');
        const std::string command = line.substr(0, blank);
        const std::string argument = blank == std::string::npos ? "" : line.substr(blank + 1);

        if (command == "write") {
            WriteAll(STDOUT_FILENO, Unescape(argument));
        } else if (command == "write-stderr") {
            WriteAll(STDERR_FILENO, Unescape(argument));
        } else if (command == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(argument.c_str())));
        } else if (command == "output-write") {
            WriteFile(outputPath, Unescape(argument));
        } else if (command == "output-empty") {
            WriteFile(outputPath, "");
        } else if (command == "output-remove") {
            ::unlink(outputPath.c_str());
        } else if (command == "record-argv") {
            std::string record;
            for (int i = 0; i < argc; ++i) {
                record += argv[i];
                record += '\0';
            }
            WriteFile(argument, record);
        } else if (command == "close-output") {
            ::close(STDOUT_FILENO);
            ::close(STDERR_FILENO);
        } else if (command == "hang") {
            for (;;) {
                ::pause();
            }
        } else if (command == "raise") {
            ::signal(std::atoi(argument.c_str()), SIG_DFL);
            ::kill(::getpid(), std::atoi(argument.c_str()));
            // Only a signal that does not end the process gets here.
        } else if (command == "exit") {
            return std::atoi(argument.c_str());
        } else {
            std::fprintf(stderr, "fake_encoder: unknown script line: %s\r\n", line.c_str());
            return 99;
        }
    }
    return 0;
}
