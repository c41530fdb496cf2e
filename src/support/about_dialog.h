#pragma once
#include <QDialog>

class QLabel;

// The About box: product name, version and the maker's web and support addresses. Shown
// without blocking the main window.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* parent = nullptr);

    QLabel* LabelProduct = nullptr;
    QLabel* LabelVersion = nullptr;
    QLabel* LabelWebsite = nullptr;
    QLabel* LabelSupport = nullptr;
};
