#include "support/check_required_files.h"

#include "base/ui_thread.h"
#include "support/dialog_seam.h"

bool CheckRequiredFiles(const std::string& appDir, QWidget* parent,
                        const std::function<void()>& enableCombos,
                        const LibraryLookup& libraryFound) {
    const bool missing = FirstMissingRequiredFile(appDir, libraryFound).has_value();
    if (missing) {
        RunOnUiThread([parent] {
            DialogSeam::Inform(parent, QString::fromLatin1(kRequiredFileMissingText));
        });
    }
    if (enableCombos) {
        RunOnUiThread(enableCombos);
    }
    return missing;
}
