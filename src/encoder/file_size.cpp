#include "encoder/file_size.h"

#include <cerrno>
#include <charconv>
#include <sys/stat.h>

void FileSizeText(const std::string& path, std::string& text) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            text = "nil";
        }
        return;
    }
    const long long size = S_ISREG(info.st_mode) ? static_cast<long long>(info.st_size) : 0;
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, size);
    text.assign(digits, end);
}
