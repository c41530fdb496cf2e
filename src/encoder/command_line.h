#pragma once
// The encoder is started from one command-line text, the way the program has always built it.
// On Linux that text is split into an argument vector here, by the Windows rules, and never
// handed to a shell. EscapeForQuotes is the other half: whatever it returns, placed between
// two double quotes, splits back into exactly the original text as one argument.

#include <string>
#include <string_view>
#include <vector>

// Blanks (space, tab) separate arguments; a double quote opens or closes a quoted run in which
// blanks are kept; 2n backslashes before a quote give n backslashes and the quote is special;
// 2n+1 backslashes before a quote give n backslashes and a literal quote; other backslashes are
// literal. A quoted run that is empty ("") still makes an (empty) argument.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Text to put between double quotes so that SplitCommandLine returns `text` unchanged as one
// argument: quotes become \" and backslashes in front of a quote, or at the end, are doubled.
std::string EscapeForQuotes(std::string_view text);
