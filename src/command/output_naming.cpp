#include "command/output_naming.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string OutputBaseName(std::string_view path) {
    const size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        name = name.substr(0, dot);
    }
    return std::string(name);
}

bool OutputNameTaken(const std::string& path) {
    std::error_code error;
    // symlink_status: a link that points nowhere still occupies the name. An entry that
    // cannot be examined counts as free; the encoder reports what it cannot write.
    const fs::file_status status = fs::symlink_status(fs::path(path), error);
    return !error && fs::exists(status);
}

std::string UniqueOutputName(std::string_view outputFolder, std::string_view base,
                             std::string_view extension) {
    const std::string prefix = std::string(outputFolder) + "/" + std::string(base) + "-";
    for (unsigned long long n = 1;; ++n) {
        std::string stem = prefix + std::to_string(n);
        if (!OutputNameTaken(stem + std::string(extension))) {
            return stem;
        }
    }
}

namespace {
bool IsSameFile(const std::string& outputPath, std::string_view sourcePath) {
    if (outputPath == sourcePath) {
        return true;
    }
    std::error_code error;
    return fs::equivalent(fs::path(outputPath), fs::path(std::string(sourcePath)), error) && !error;
}
} // namespace

std::string ChooseOutputFilePath(std::string_view outputFolder, std::string_view sourcePath,
                                 std::string_view outputExtension, bool overwriteExisting) {
    const std::string base = OutputBaseName(sourcePath);
    const std::string extension = "." + std::string(outputExtension);
    std::string stem = std::string(outputFolder) + "/" + base;
    const std::string wanted = stem + extension;
    // Overwriting the source would destroy it before the encoder has read it, so the source
    // is never replaced, whatever the overwrite option says.
    if (OutputNameTaken(wanted) && (!overwriteExisting || IsSameFile(wanted, sourcePath))) {
        stem = UniqueOutputName(outputFolder, base, extension);
    }
    return stem + extension;
}
