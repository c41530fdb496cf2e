#include "support/required_files.h"

#include <libavcodec/version.h>
#include <libavformat/version.h>

#include <dlfcn.h>
#include <sys/stat.h>

std::vector<std::string> EncoderLibraryNames() {
    return {"libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR),
            "libavformat.so." + std::to_string(LIBAVFORMAT_VERSION_MAJOR)};
}

bool IsSharedLibraryFindable(const std::string& soname) {
    // Already mapped into this process (the program links the same libraries): found.
    if (void* handle = dlopen(soname.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
        dlclose(handle);
        return true;
    }
    // Otherwise ask the loader to find it along its usual search path, then let it go again.
    if (void* handle = dlopen(soname.c_str(), RTLD_LAZY | RTLD_LOCAL)) {
        dlclose(handle);
        return true;
    }
    return false;
}

std::optional<std::string> FirstMissingRequiredFile(const std::string& appDir,
                                                    const LibraryLookup& libraryFound) {
    const std::string encoderPath = appDir + std::string(kEncoderFileName);
    struct stat info {};
    if (stat(encoderPath.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return std::string(kEncoderFileName);
    }
    for (const std::string& soname : EncoderLibraryNames()) {
        if (!libraryFound(soname)) {
            return soname;
        }
    }
    return std::nullopt;
}
