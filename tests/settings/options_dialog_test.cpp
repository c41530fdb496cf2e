#include "settings_harness.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {

const QString kQuestion =
    QStringLiteral("Your computer will automatically shutdown after all \n\r"
                   "conversions jobs are completed. Do you want to continue?");

TEST_F(SettingsTest, PowerOffOptionAsksOnlyWhenTurnedOn) {
    enum class Action { ProgramOn, UserClick, ProgramOff };
    struct Case {
        const char* name;
        bool suppressed;
        bool startsOn;
        Action action;
        QMessageBox::StandardButton answer;
        bool endsOn;
        size_t questions;
    };
    const Case cases[] = {
        {"turned on, Yes", false, false, Action::ProgramOn, QMessageBox::Yes, true, 1},
        {"turned on, No", false, false, Action::ProgramOn, QMessageBox::No, false, 1},
        {"clicked on, Yes", false, false, Action::UserClick, QMessageBox::Yes, true, 1},
        {"clicked on, No", false, false, Action::UserClick, QMessageBox::No, false, 1},
        {"clicked on, box closed", false, false, Action::UserClick, QMessageBox::NoButton, false,
         1},
        {"clicked off", false, true, Action::UserClick, QMessageBox::No, false, 0},
        {"turned off", false, true, Action::ProgramOff, QMessageBox::No, false, 0},
        {"turned on while start-up suppresses the question", true, false, Action::ProgramOn,
         QMessageBox::No, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowStub main;
        TForm4& options = main.CreateOptions();
        if (c.startsOn) {
            m_answer = QMessageBox::Yes;
            main.values.SuppressShutdownPrompt = false;
            options.CheckBoxShutDown->setChecked(true);
        }
        main.values.SuppressShutdownPrompt = c.suppressed;
        m_questions.clear();
        m_answer = c.answer;
        switch (c.action) {
        case Action::ProgramOn:
            options.CheckBoxShutDown->setChecked(true);
            break;
        case Action::UserClick:
            options.CheckBoxShutDown->click();
            break;
        case Action::ProgramOff:
            options.CheckBoxShutDown->setChecked(false);
            break;
        }
        EXPECT_EQ(options.CheckBoxShutDown->isChecked(), c.endsOn);
        ASSERT_EQ(m_questions.size(), c.questions);
        EXPECT_FALSE(main.values.SuppressShutdownPrompt);
        if (c.questions > 0) {
            EXPECT_EQ(m_questions[0].caption, QStringLiteral("Confirm"));
            EXPECT_EQ(m_questions[0].text, kQuestion);
            EXPECT_EQ(m_questions[0].icon, QMessageBox::Question);
            EXPECT_EQ(m_questions[0].buttons, QMessageBox::Yes | QMessageBox::No);
        }
    }
}

TEST_F(SettingsTest, DropDownCountFieldSetsTheCountAndRunsTheFormatChange) {
    MainWindowStub main;
    TForm4& options = main.CreateOptions();
    QLineEdit* typed = options.SpinEdit1->findChild<QLineEdit*>();
    ASSERT_NE(typed, nullptr);

    options.SpinEdit1->setValue(40);
    EXPECT_EQ(main.values.FormatDropDownCount, 40);
    EXPECT_EQ(main.formatChanges, std::vector<int>{40});

    // While the user types the text counts as it stands; what is not a number counts as 26.
    struct Typed {
        QString text;
        int count;
    };
    for (const Typed& t : {Typed{"4", 4}, Typed{"", 26}, Typed{"45", 45}}) {
        SCOPED_TRACE(t.text.toStdString());
        main.formatChanges.clear();
        typed->setText(t.text);
        EXPECT_EQ(main.values.FormatDropDownCount, t.count);
        EXPECT_EQ(main.formatChanges, std::vector<int>{t.count});
        EXPECT_EQ(options.SpinEdit1Value(), t.count);
    }

    // Leaving the field brings a typed number to the nearer bound, and the count with it, also
    // when the field's value was that bound already.
    options.SpinEdit1->setValue(26);
    main.window.show();
    options.show();
    QApplication::setActiveWindow(&options);
    options.SpinEdit1->setFocus();
    typed->setText(QStringLiteral("5"));
    main.formatChanges.clear();
    options.Button1->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(options.SpinEdit1->text(), QStringLiteral("26"));
    EXPECT_EQ(main.values.FormatDropDownCount, 26);
    EXPECT_EQ(main.formatChanges, std::vector<int>{26});
}

TEST_F(SettingsTest, DialogLooksAsDesignedAndHidesTheDropDownCount) {
    MainWindowStub main;
    TForm4& options = main.CreateOptions();
    EXPECT_EQ(options.windowTitle(), QStringLiteral("Additional Options"));
    EXPECT_EQ(options.minimumSize(), QSize(370, 237));
    EXPECT_EQ(options.maximumSize(), QSize(370, 237));
    EXPECT_TRUE(options.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(options.isVisible());

    EXPECT_EQ(options.findChild<QGroupBox*>("GroupBox1"), options.GroupBox1);
    EXPECT_EQ(options.findChild<QCheckBox*>("CheckBoxOverWrite"), options.CheckBoxOverWrite);
    EXPECT_EQ(options.findChild<QCheckBox*>("CheckBoxShutDown"), options.CheckBoxShutDown);
    EXPECT_EQ(options.findChild<QSpinBox*>("SpinEdit1"), options.SpinEdit1);
    EXPECT_EQ(options.findChild<QLabel*>("Label1"), options.Label1);
    EXPECT_EQ(options.findChild<QPushButton*>("Button1"), options.Button1);

    EXPECT_EQ(options.GroupBox1->title(), QStringLiteral(" Additional Options "));
    EXPECT_EQ(options.GroupBox1->geometry(), QRect(8, 9, 355, 144));
    EXPECT_EQ(options.CheckBoxOverWrite->text(),
              QStringLiteral("Overwrite Existing File With The Same Name"));
    EXPECT_EQ(options.CheckBoxShutDown->text(),
              QStringLiteral("Shut Down Computer After All Conversion Jobs Are Done "));
    EXPECT_EQ(options.Label1->text(), QStringLiteral("Drop Down Items in Output Format List"));
    EXPECT_EQ(options.Button1->text(), QStringLiteral("Done"));
    EXPECT_EQ(options.SpinEdit1->minimum(), 26);
    EXPECT_EQ(options.SpinEdit1->maximum(), 47);
    EXPECT_EQ(options.SpinEdit1->pos(), QPoint(410, 138));
    EXPECT_EQ(options.Label1->pos(), QPoint(364, 141));

    main.window.show();
    options.show();
    QApplication::processEvents();
    // Beyond the frame's right edge: nothing of them shows.
    EXPECT_TRUE(options.SpinEdit1->isVisible());
    EXPECT_TRUE(options.SpinEdit1->visibleRegion().isEmpty());
    EXPECT_TRUE(options.Label1->visibleRegion().isEmpty());

    // Every text that shows, shows whole; the check box captions wrap onto two lines.
    for (WrappingCheckBox* box : {options.CheckBoxOverWrite, options.CheckBoxShutDown}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_EQ(box->CaptionLineCount(), 2);
        EXPECT_TRUE(box->CaptionRect().contains(box->WrappedCaptionBounds()));
        EXPECT_TRUE(options.GroupBox1->contentsRect().contains(box->geometry()));
    }
    const QFontMetrics groupMetrics(options.GroupBox1->font());
    EXPECT_LT(groupMetrics.horizontalAdvance(options.GroupBox1->title()) + 20,
              options.GroupBox1->width());
    const QFontMetrics buttonMetrics(options.Button1->font());
    EXPECT_LT(buttonMetrics.horizontalAdvance(options.Button1->text()) + 8,
              options.Button1->width());
    EXPECT_TRUE(options.rect().contains(options.Button1->geometry()));
    EXPECT_FALSE(options.Button1->geometry().intersects(options.GroupBox1->geometry()));
}

TEST_F(SettingsTest, DialogCentresOnTheMainWindowAndDoneOrCloseOnlyHidesIt) {
    MainWindowStub main;
    TForm4& options = main.CreateOptions();
    main.window.show();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        main.window.move(100 + 200 * round, 80 + 50 * round);
        options.show();
        QApplication::processEvents();
        const QPoint mainCentre = main.window.mapToGlobal(main.window.rect().center());
        const QPoint dialogCentre = options.mapToGlobal(options.rect().center());
        EXPECT_LE((mainCentre - dialogCentre).manhattanLength(), 2);
        if (round == 0) {
            options.Button1->click();
        } else {
            options.close();
        }
        EXPECT_FALSE(options.isVisible());
    }
    // Still there, with its state: the conversion reads the boxes while the dialog is hidden.
    EXPECT_EQ(main.window.findChild<TForm4*>(), &options);
}

TEST_F(SettingsTest, TabReachesTheHiddenDropDownCountAndItsArrowKeysWork) {
    MainWindowStub main;
    TForm4& options = main.CreateOptions();
    main.window.show();
    options.show();
    options.activateWindow();
    QApplication::setActiveWindow(&options);
    options.CheckBoxShutDown->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), options.CheckBoxShutDown);

    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &tab);
    ASSERT_EQ(QApplication::focusWidget(), options.SpinEdit1);

    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &up);
    EXPECT_EQ(options.SpinEdit1->value(), 31);
    EXPECT_EQ(main.values.FormatDropDownCount, 31);
    EXPECT_EQ(main.formatChanges, std::vector<int>{31});
}

} // namespace
