#pragma once
class QWidget;

// Always true here: every desktop this program runs on is a current one.
bool IsVistaOrLater();

// Switches a window to "Segoe UI", one point larger, where that font is installed and the
// window does not use it yet. Controls with a font of their own keep theirs.
void ApplyVistaFont(QWidget* form);
