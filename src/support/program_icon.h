#pragma once
// The program's own icon, compiled into the program so that it shows from the build tree as
// well as from an installed copy.

#include <QIcon>

// The reverse-domain name the desktop entry, the AppStream metainfo and the icon files share.
inline constexpr char kApplicationId[] = "org.kestrel.Ravelcast";

// The icon in every size it is drawn at.
QIcon ProgramIcon();

// Makes the icon every window's icon and ties the windows to the desktop entry, so that
// docks and task bars show the entry's name and icon for them.
void ApplyProgramIcon();
