#pragma once
// Every modal dialog the program shows goes through here: message boxes, the open dialog and
// the folder picker. The program gets the real dialogs; a test installs an answerer and sees
// each request instead of a window that would wait for a click.

#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

struct MessageRequest {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

struct OpenFilesRequest {
    QString filter;                 // Qt's "desc (patterns);;desc (patterns)" form
    QString selectedFilter;         // the entry offered first
    QFileDialog::Options options{}; // none: the desktop's own dialog, patterns shown
};

struct OpenFilesAnswer {
    QStringList files;      // empty: cancelled
    QString selectedFilter; // the entry the user opened files with
};

namespace DialogSeam {
// The plain box: caption "Information", no icon, OK.
void Inform(QWidget* parent, const QString& text);
// The standard information dialog: caption "Information", information icon, OK.
void InformWithIcon(QWidget* parent, const QString& text);
// A confirmation: caption "Confirm", question icon, the given buttons. Returns the answer.
QMessageBox::StandardButton Confirm(QWidget* parent, const QString& text,
                                    QMessageBox::StandardButtons buttons);
QMessageBox::StandardButton Message(QWidget* parent, const MessageRequest& request);

OpenFilesAnswer OpenFiles(QWidget* parent, const OpenFilesRequest& request);
// Returns the chosen folder, or an empty text when cancelled.
QString ChooseFolder(QWidget* parent, const QString& title, const QString& startFolder);

// Test hooks: while an answerer is installed no real dialog is shown.
using MessageAnswerer = std::function<QMessageBox::StandardButton(const MessageRequest&)>;
using OpenFilesAnswerer = std::function<OpenFilesAnswer(const OpenFilesRequest&)>;
using FolderAnswerer = std::function<QString(const QString& title, const QString& startFolder)>;
void SetMessageAnswerer(MessageAnswerer answerer);
void SetOpenFilesAnswerer(OpenFilesAnswerer answerer);
void SetFolderAnswerer(FolderAnswerer answerer);
void ResetAnswerers();
} // namespace DialogSeam
