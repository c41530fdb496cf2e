#pragma once
// What screen readers (through AT-SPI) get from the program beyond Qt's own accessibility.
//
// The job list: Qt's table cells report a check box only as "checked", never as checkable, and
// their toggle action selects the row instead of toggling the check box. The list marked with
// MarkAsJobList gets a table interface of ours whose caption cells are checkable controls with
// their state, toggled by their toggle action just as a click on the box toggles them.
//
// Tool buttons: Qt presses them for an assistive tool synchronously, so a button that opens a
// modal dialog (Add File, Stop, the folder browser) would not answer before that dialog closes,
// and the screen reader's request would time out. Ours press them the way Qt presses push
// buttons: the click follows from the event loop, after the answer.

class QTableWidget;

// Installs the interfaces once per process; later calls do nothing.
void InstallAccessibleControls();
void MarkAsJobList(QTableWidget* list);
