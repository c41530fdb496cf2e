#include "analysis/open_dialog_filter.h"

namespace {

std::string UpperCaseAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view tail) {
    if (tail.size() > text.size()) {
        return false;
    }
    return UpperCaseAscii(text.substr(text.size() - tail.size())) == UpperCaseAscii(tail);
}

} // namespace

const std::vector<OpenDialogFilterEntry>& OpenDialogFilterEntries() {
    static const std::vector<OpenDialogFilterEntry> entries{
        {"All Supported Files",
         "*.avi;*.mpeg;*.mpg;*.mpa;*.m1v;*.mv2;*.wma;*.wmv;*.asf;*.asx;*.mov; *.qt;*.3gp;*.3g2;"
         "*.mp3;*.mp2;*.ogg;*.aac;*.mp4;*.m4a;*.rm;*.rmvb;*.ram;*.ra;*.vob; *.dat;*.cda;*.dv; "
         "*.dif;*.wav; *.au; *.aiff;*.mjpg; *.mjpeg;*.ac3; *.gif; *.swf"},
        {"3GPP Files (*.3gp)", "*.3gp"},
        {"3GPP2 Files (*.3g2)", "*.3g2"},
        {"AAC Files (*.aac)", "*.aac"},
        {"AC3 Files (*.ac3)", "*.ac3"},
        {"Audio CD Files (*.cda)", "*.cda"},
        {"AVI Files (*.avi)", "*.avi"},
        {"DV Video Files (*.dv, *.dif)", "*.dv;*.dif"},
        {"DVD VOB Files (*.vob)", "*.vob"},
        {"GIF Animated Files (*.gif)", "*.gif"},
        {"Macromedia Flash Files (*.swf)", "*.swf"},
        {"Monkey Audio Files (*.ape, *.cue)", "*.ape;*.cue"},
        {"MJpeg Video Files (*.mjpg, *.mjpeg)", "*.mjpg; *.mjpeg"},
        {"MP2 Files (*.mp2)", "*.mp2"},
        {"MP3 Files (*.mp3)", "*.mp3"},
        {"MPEG Files (*.mpeg, *.mpg, *.mpa, *.m1v, *.mv2)", "*.mpeg;*.mpg;*.mpa;*.m1v;*.mv2"},
        {"MPEG-4 Files (*.mp4)", "*.mp4"},
        {"MPEG-4 Audio Files (*.m4a, *.mp4)", "*.m4a; *.mp4"},
        {"Ogg Vorbis Files (*.ogg)", "*.ogg"},
        {"RealMedia Files (*.rm, *.rmvb, *.ram, *.ra)", "*.rm; *.rmvb; *.ram; *.ra"},
        {"QuickTime Files (*.mov, *.qt)", "*.mov; *.qt"},
        {"VCD DAT Files (*.dat)", "*.dat"},
        {"WAV Files (*.wav, *.au, *.aiff)", "*.wav; *.au; *.aiff"},
        {"Windows Media Files(*.wma, *.wmv, *.asf, *.asx)", "*.wma;*.wmv;*.asf;*.asx"},
    };
    return entries;
}

std::string OpenDialogFilter() {
    std::string filter;
    for (const OpenDialogFilterEntry& entry : OpenDialogFilterEntries()) {
        filter.append(entry.description).append("|").append(entry.patterns).append("|");
    }
    return filter;
}

std::string QtFilterEntry(const OpenDialogFilterEntry& entry) {
    std::string patterns;
    std::string_view rest = entry.patterns;
    for (;;) {
        const size_t semicolon = rest.find(';');
        const std::string_view pattern = TrimBlanks(rest.substr(0, semicolon));
        if (!pattern.empty()) {
            const std::string upper = UpperCaseAscii(pattern);
            patterns.append(patterns.empty() ? "" : " ").append(pattern);
            if (upper != pattern) {
                patterns.append(" ").append(upper);
            }
        }
        if (semicolon == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(semicolon + 1);
    }
    return std::string(entry.description) + " (" + patterns + ")";
}

std::string QtOpenDialogFilter() {
    std::string filter;
    for (const OpenDialogFilterEntry& entry : OpenDialogFilterEntries()) {
        filter.append(filter.empty() ? "" : ";;").append(QtFilterEntry(entry));
    }
    return filter;
}

int OpenDialogFilterIndex(std::string_view selectedFilter) {
    const std::vector<OpenDialogFilterEntry>& entries = OpenDialogFilterEntries();
    for (size_t index = 0; index < entries.size(); ++index) {
        if (selectedFilter == entries[index].description ||
            selectedFilter == QtFilterEntry(entries[index])) {
            return static_cast<int>(index);
        }
    }
    return 0;
}

bool OpenDialogListsFile(std::string_view fileName) {
    for (const OpenDialogFilterEntry& entry : OpenDialogFilterEntries()) {
        std::string_view rest = entry.patterns;
        for (;;) {
            const size_t semicolon = rest.find(';');
            const std::string_view pattern = TrimBlanks(rest.substr(0, semicolon));
            // Every pattern is "*." and an extension.
            if (pattern.size() > 1 && pattern.front() == '*' &&
                EndsWithIgnoringCase(fileName, pattern.substr(1))) {
                return true;
            }
            if (semicolon == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(semicolon + 1);
        }
    }
    return false;
}
