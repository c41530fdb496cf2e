#pragma once
// The open dialog's list of file types. The list is kept in the classic "desc|patterns|" text
// form, because that text is what the program has always offered, blanks after some
// semicolons included; Qt's dialog gets it turned into its own "desc (patterns)" form.

#include <string>
#include <string_view>
#include <vector>

struct OpenDialogFilterEntry {
    std::string_view description;
    std::string_view patterns; // ";"-separated, as written in the filter text
};

// The 24 entries in the order the dialog offers them; the first one covers every supported type.
const std::vector<OpenDialogFilterEntry>& OpenDialogFilterEntries();

// Every entry as its description, "|", its patterns and "|": 1135 characters.
std::string OpenDialogFilter();

// One entry in Qt's form: the description unchanged, then the patterns in parentheses, split
// at ";", trimmed and joined by blanks. Each pattern is followed by its upper-case variant,
// because Linux file names and some file dialogs tell "CLIP.AVI" from "clip.avi".
std::string QtFilterEntry(const OpenDialogFilterEntry& entry);

// All entries in Qt's form, joined by ";;".
std::string QtOpenDialogFilter();

// The index of the entry the dialog reported, given either in Qt's form or as the bare
// description (dialogs that hide the patterns report that); 0 when it is none of them.
int OpenDialogFilterIndex(std::string_view selectedFilter);

// Whether a file of this name shows in the dialog under one of its entries: its name ends in
// one of the listed extensions, in any mix of upper and lower case.
bool OpenDialogListsFile(std::string_view fileName);
