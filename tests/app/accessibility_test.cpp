// The main window as a screen reader works it, through Qt's accessibility interfaces offscreen:
// the job list's check boxes and the buttons' press action.

#include "app/main_window.h"
#include "jobs/job_list.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_appDir.isValid());
        m_form = std::make_unique<TForm1>(m_appDir.path().toStdString() + "/");
        m_form->show();
        for (int row = 0; row < 3; ++row) {
            m_form->AddJobRow(QStringLiteral("/media/clip %1.avi").arg(row),
                              QStringLiteral("640 x 480"), QStringLiteral("30"),
                              QStringLiteral("00:00:10"));
        }
        SetJobChecked(List(), 1, false);
    }
    void TearDown() override { m_form.reset(); }

    QTableWidget* List() { return m_form->ListView1; }
    QAccessibleTableInterface* Table() {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(List());
        return list != nullptr ? list->tableInterface() : nullptr;
    }

    static void Serve(int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    QTemporaryDir m_appDir;
    std::unique_ptr<TForm1> m_form;
};

TEST_F(Accessibility, CheckCellsAreCheckableWithTheirStateAndToggle) {
    // A toggle is a change like a click: the list reports it to whoever watches (the job
    // loop reads the box, the launcher entry counts the rows to go).
    int boxChanges = 0;
    QObject::connect(List(), &QTableWidget::itemChanged, [&](QTableWidgetItem* item) {
        boxChanges += item->column() == kJobFileName ? 1 : 0;
    });
    ASSERT_NE(Table(), nullptr);
    ASSERT_EQ(Table()->rowCount(), 3);
    const std::vector<bool> checkedAtStart{true, false, true};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        QAccessibleInterface* cell = Table()->cellAt(row, kJobFileName);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->role(), QAccessible::Cell);
        EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("/media/clip %1.avi").arg(row));
        EXPECT_TRUE(cell->state().checkable);
        EXPECT_EQ(bool(cell->state().checked), checkedAtStart[row]);
        // Reached as a child of the list too, where Qt's item views count it when they
        // report the focus (after a row of column headers and a column of row headers).
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(List());
        const int childIndex = (row + 1) * (kJobColumnCount + 1) + 1 + kJobFileName;
        EXPECT_EQ(list->child(childIndex), cell);
        EXPECT_EQ(list->indexOfChild(cell), childIndex);
        const QList<QAccessibleInterface*> headers =
            cell->tableCellInterface()->columnHeaderCells();
        ASSERT_EQ(headers.size(), 1);
        EXPECT_EQ(headers[0]->text(QAccessible::Name), "Video File Name");
        EXPECT_EQ(list->child(1), headers[0]);
        EXPECT_EQ(list->indexOfChild(headers[0]), 1);

        QAccessibleActionInterface* actions = cell->actionInterface();
        ASSERT_NE(actions, nullptr);
        ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
        actions->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(IsJobChecked(List(), row), !checkedAtStart[row]);
        EXPECT_EQ(bool(cell->state().checked), !checkedAtStart[row]);
        actions->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(IsJobChecked(List(), row), checkedAtStart[row]);
    }
    // The text cells carry no box.
    for (int column = kJobVideoSize; column < kJobColumnCount; ++column) {
        EXPECT_FALSE(Table()->cellAt(0, column)->state().checkable) << column;
    }
    EXPECT_EQ(Table()->cellAt(3, 0), nullptr);
    EXPECT_EQ(boxChanges, 6);
}

// Rows removed above a cell that a screen reader holds: the table hands out the row now in
// that place, never the stale one.
TEST_F(Accessibility, CellsFollowTheRowsAfterARemoval) {
    QAccessibleInterface* first = Table()->cellAt(0, kJobFileName);
    ASSERT_NE(first, nullptr);
    List()->selectRow(0);
    RemoveSelectedJob(List());
    QAccessibleInterface* now = Table()->cellAt(0, kJobFileName);
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->text(QAccessible::Name), "/media/clip 1.avi");
    EXPECT_FALSE(now->state().checked);
    now->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ((std::vector<bool>{IsJobChecked(List(), 0), IsJobChecked(List(), 1)}),
              (std::vector<bool>{true, true}));
}

// Every button answers "press" at once, even one whose command opens a modal dialog; the
// command follows from the event loop.
TEST_F(Accessibility, ButtonsAnswerPressBeforeTheirDialogCloses) {
    bool pressReturned = false;
    std::vector<QString> openedAfterTheAnswer;
    std::vector<QString> openedBeforeTheAnswer;
    const auto modal = [&](const QString& name) {
        return [&, name] {
            (pressReturned ? openedAfterTheAnswer : openedBeforeTheAnswer).push_back(name);
            QDialog dialog(m_form.get());
            QTimer::singleShot(50, &dialog, &QDialog::reject);
            dialog.exec();
        };
    };
    m_form->SetAddFileHandler(modal("AddFileButton"));
    m_form->SetConvertNowHandler(modal("ConvertNowButton"));
    m_form->SetStopConvertHandler(modal("StopConvertButton"));
    m_form->SetBrowseForFolderHandler(modal("ButtonBrowseForFolder"));

    std::vector<QString> pressed;
    for (QAbstractButton* button : m_form->findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || !button->isEnabled() || button->objectName().isEmpty()) {
            continue;
        }
        SCOPED_TRACE(button->objectName().toStdString());
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(face, nullptr);
        ASSERT_NE(face->actionInterface(), nullptr);
        ASSERT_TRUE(face->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
        int clicks = 0;
        const auto counting =
            QObject::connect(button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
        pressReturned = false;
        face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        pressReturned = true;
        EXPECT_EQ(clicks, 0);
        Serve(400);
        EXPECT_EQ(clicks, 1);
        QObject::disconnect(counting);
        pressed.push_back(button->objectName());
    }
    EXPECT_GE(pressed.size(), 7u);
    EXPECT_EQ(openedAfterTheAnswer.size(), 5u); // "Stop" twice: its small twin clicks it
    EXPECT_TRUE(openedBeforeTheAnswer.empty());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
