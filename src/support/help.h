#pragma once
// The help page and the maker's web site, both opened in the desktop's own viewer. Tests
// install an opener so that no browser starts.

#include <QUrl>

#include <functional>
#include <string>

inline constexpr char kHelpFileName[] = "help.html";
inline constexpr char kKestrelWebsite[] = "https://kestrel.example/ravelcast";
inline constexpr char kKestrelSupport[] = "https://kestrel.example/ravelcast/support";

// Hands the address to the desktop; the outcome is not examined.
void OpenExternalUrl(const QUrl& url);

// Test hook: while set, addresses go here instead of to the desktop.
void SetExternalUrlOpener(std::function<void(const QUrl&)> opener);

// Opens appDir + "help.html". A missing page is for the viewer to report.
void ShowHelpContents(const std::string& appDir);

void VisitKestrelWebsite();
