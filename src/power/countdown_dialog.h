#pragma once
// The "Warning" dialog that counts down to the power-off. It cannot be dismissed while the
// countdown runs except by its own "Do Not Turn Off" button.

#include <QDialog>

class ConversionState;
class QLabel;
class QPushButton;
class QCloseEvent;

class TForm3 : public QDialog {
    Q_OBJECT

public:
    enum class CloseAction { None, Hide };

    // `state` must outlive the dialog; its ShutdownPending decides whether closing is allowed.
    explicit TForm3(ConversionState* state, QWidget* parent = nullptr);

    QLabel* Label1() const { return m_label1; }
    QLabel* Label2() const { return m_label2; }
    QPushButton* SpeedButton1() const { return m_speedButton1; }

    // Both refuse while a countdown is pending: the query answers no, and a close that gets
    // past it anyway turns into no action.
    void FormCloseQuery(bool& canClose) const;
    void FormClose(CloseAction& action) const;

    // Places the dialog at the centre of `mainWindow` (of the screen without one).
    void CentreOn(const QWidget* mainWindow);

    // Escape lands here rather than in closeEvent, so it has to ask the same question.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool MayClose() const;

    ConversionState* m_state;
    QLabel* m_label1;
    QLabel* m_label2;
    QPushButton* m_speedButton1;
};
