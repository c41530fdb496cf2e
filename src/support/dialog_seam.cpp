#include "support/dialog_seam.h"

#include <QFileDialog>

namespace {
DialogSeam::MessageAnswerer& MessageHook() {
    static DialogSeam::MessageAnswerer hook;
    return hook;
}
DialogSeam::OpenFilesAnswerer& OpenFilesHook() {
    static DialogSeam::OpenFilesAnswerer hook;
    return hook;
}
DialogSeam::FolderAnswerer& FolderHook() {
    static DialogSeam::FolderAnswerer hook;
    return hook;
}
} // namespace

namespace DialogSeam {

QMessageBox::StandardButton Message(QWidget* parent, const MessageRequest& request) {
    if (MessageHook()) {
        return MessageHook()(request);
    }
    QMessageBox box(request.icon, request.caption, request.text, request.buttons, parent);
    // The texts are plain and may quote a folder name, which on Linux can look like markup.
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void Inform(QWidget* parent, const QString& text) {
    Message(parent, {QStringLiteral("Information"), text, QMessageBox::NoIcon, QMessageBox::Ok});
}

void InformWithIcon(QWidget* parent, const QString& text) {
    Message(parent,
            {QStringLiteral("Information"), text, QMessageBox::Information, QMessageBox::Ok});
}

QMessageBox::StandardButton Confirm(QWidget* parent, const QString& text,
                                    QMessageBox::StandardButtons buttons) {
    return Message(parent, {QStringLiteral("Confirm"), text, QMessageBox::Question, buttons});
}

OpenFilesAnswer OpenFiles(QWidget* parent, const OpenFilesRequest& request) {
    if (OpenFilesHook()) {
        return OpenFilesHook()(request);
    }
    OpenFilesAnswer answer;
    answer.selectedFilter = request.selectedFilter;
    answer.files = QFileDialog::getOpenFileNames(parent, QString(), QString(), request.filter,
                                                 &answer.selectedFilter, request.options);
    return answer;
}

QString ChooseFolder(QWidget* parent, const QString& title, const QString& startFolder) {
    if (FolderHook()) {
        return FolderHook()(title, startFolder);
    }
    return QFileDialog::getExistingDirectory(parent, title, startFolder, QFileDialog::ShowDirsOnly);
}

void SetMessageAnswerer(MessageAnswerer answerer) {
    MessageHook() = std::move(answerer);
}
void SetOpenFilesAnswerer(OpenFilesAnswerer answerer) {
    OpenFilesHook() = std::move(answerer);
}
void SetFolderAnswerer(FolderAnswerer answerer) {
    FolderHook() = std::move(answerer);
}
void ResetAnswerers() {
    MessageHook() = nullptr;
    OpenFilesHook() = nullptr;
    FolderHook() = nullptr;
}

} // namespace DialogSeam
