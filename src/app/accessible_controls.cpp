#include "app/accessible_controls.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableWidget>
#include <QToolButton>

namespace {

constexpr char kJobListProperty[] = "ravelcastJobList";

// The table's children are laid out as Qt's item views count them when they tell assistive
// tools which child has the focus: one leading row of column headers and one leading column of
// row headers (hidden or not), the corner where they meet, then the cells.
constexpr int kHeaderRows = 1;
constexpr int kHeaderColumns = 1;

// What a header and a cell share: each is a leaf of the job list's table, with no object of its
// own.
class JobListLeaf : public QAccessibleInterface {
public:
    explicit JobListLeaf(QTableWidget* view) : m_view(view) {}

    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_view);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

protected:
    QPointer<QTableWidget> m_view;
};

// A column header, a row header, or the corner (section -1).
class JobHeaderAccessible : public JobListLeaf {
public:
    JobHeaderAccessible(QTableWidget* view, Qt::Orientation orientation, int section)
        : JobListLeaf(view), m_orientation(orientation), m_section(section) {}

    bool isValid() const override { return m_view != nullptr; }
    QAccessible::Role role() const override {
        if (m_section < 0) {
            return QAccessible::Pane;
        }
        return m_orientation == Qt::Horizontal ? QAccessible::ColumnHeader : QAccessible::RowHeader;
    }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid() || m_section < 0) {
            return {};
        }
        return m_view->model()->headerData(m_section, m_orientation).toString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QHeaderView* header = Header();
        if (header == nullptr || m_section < 0 || !header->isVisible()) {
            return {};
        }
        const QPoint origin = header->mapToGlobal(QPoint(0, 0));
        const int position = header->sectionViewportPosition(m_section);
        const int size = header->sectionSize(m_section);
        return m_orientation == Qt::Horizontal
                   ? QRect(origin.x() + position, origin.y(), size, header->height())
                   : QRect(origin.x(), origin.y() + position, header->width(), size);
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        const QHeaderView* header = Header();
        state.invisible = header == nullptr || !header->isVisible() || m_section < 0;
        return state;
    }

private:
    const QHeaderView* Header() const {
        if (!m_view) {
            return nullptr;
        }
        return m_orientation == Qt::Horizontal ? m_view->horizontalHeader()
                                               : m_view->verticalHeader();
    }

    Qt::Orientation m_orientation;
    int m_section;
};

// One cell of the job list. It follows its row while rows above it come and go, and reports
// itself invalid once its row is gone.
class JobCellAccessible : public JobListLeaf,
                          public QAccessibleTableCellInterface,
                          public QAccessibleActionInterface {
public:
    JobCellAccessible(QTableWidget* view, const QModelIndex& index)
        : JobListLeaf(view), m_index(index) {}

    bool Matches(const QModelIndex& index) const { return m_index == index; }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface) {
            return static_cast<QAccessibleTableCellInterface*>(this);
        }
        if (type == QAccessible::ActionInterface) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        return nullptr;
    }

    bool isValid() const override { return m_view && m_index.isValid(); }
    QAccessible::Role role() const override { return QAccessible::Cell; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) {
            return {};
        }
        switch (t) {
        case QAccessible::Name: {
            const QString name = m_index.data(Qt::AccessibleTextRole).toString();
            return name.isEmpty() ? m_index.data(Qt::DisplayRole).toString() : name;
        }
        case QAccessible::Description:
            return m_index.data(Qt::AccessibleDescriptionRole).toString();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {} // the cells are read-only

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        QRect area = m_view->visualRect(m_index);
        if (!area.isNull()) {
            area.translate(m_view->viewport()->mapToGlobal(QPoint(0, 0)));
        }
        return area;
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const QRect shown(m_view->viewport()->mapToGlobal(QPoint(0, 0)),
                          m_view->viewport()->size());
        state.invisible = !m_view->isVisible() || !shown.intersects(rect());
        const Qt::ItemFlags flags = m_index.flags();
        state.disabled = !(flags & Qt::ItemIsEnabled) || !m_view->isEnabled();
        if (flags & Qt::ItemIsSelectable) {
            state.selectable = true;
            state.focusable = true;
        }
        state.selected = isSelected();
        state.focused = m_view->selectionModel()->currentIndex() == m_index;
        if (IsCheckable()) {
            state.checkable = true;
            state.checked = m_index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        }
        return state;
    }

    // The cell as part of the table.
    bool isSelected() const override {
        return isValid() && m_view->selectionModel()->isSelected(m_index);
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return isValid() ? m_index.column() : -1; }
    int rowIndex() const override { return isValid() ? m_index.row() : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // A check box cell toggles its box; any other cell selects its row, as a click does.
    QStringList actionNames() const override {
        if (!isValid() || !(m_index.flags() & Qt::ItemIsEnabled)) {
            return {};
        }
        return {toggleAction()};
    }
    void doAction(const QString& name) override {
        if (name != toggleAction() || actionNames().isEmpty()) {
            return;
        }
        if (IsCheckable()) {
            const bool checked = m_index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            // Through the model, like a click on the box: whoever watches the list hears of it.
            m_view->model()->setData(m_index, checked ? Qt::Unchecked : Qt::Checked,
                                     Qt::CheckStateRole);
        } else if (m_index.flags() & Qt::ItemIsSelectable) {
            m_view->selectRow(m_index.row());
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    bool IsCheckable() const {
        return (m_index.flags() & Qt::ItemIsUserCheckable) &&
               m_index.data(Qt::CheckStateRole).isValid();
    }

    QPersistentModelIndex m_index;
};

class JobListAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit JobListAccessible(QTableWidget* view) : QAccessibleWidget(view, QAccessible::Table) {
        // Assistive tools hear of every check box change, whoever made it.
        m_checkChanges =
            QObject::connect(view->model(), &QAbstractItemModel::dataChanged, view,
                             [this](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                    const QList<int>& roles) {
                                 if (QAccessible::isActive() &&
                                     (roles.isEmpty() || roles.contains(Qt::CheckStateRole))) {
                                     AnnounceCheckChanges(topLeft, bottomRight);
                                 }
                             });
    }

    ~JobListAccessible() override {
        QObject::disconnect(m_checkChanges);
        DropCells();
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) {
            return static_cast<QAccessibleTableInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override {
        return (rowCount() + kHeaderRows) * (columnCount() + kHeaderColumns);
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        const int row = index / (columnCount() + kHeaderColumns) - kHeaderRows;
        const int column = index % (columnCount() + kHeaderColumns) - kHeaderColumns;
        if (row >= 0 && column >= 0) {
            return cellAt(row, column);
        }
        return HeaderAt(row, column);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* cell = dynamic_cast<const JobCellAccessible*>(child);
        if (cell == nullptr || !cell->isValid() || cell->parent() != this) {
            for (auto found = m_headers.constBegin(); found != m_headers.constEnd(); ++found) {
                if (QAccessible::accessibleInterface(found.value()) == child) {
                    return ChildIndex(found.key().first, found.key().second);
                }
            }
            return -1;
        }
        return ChildIndex(cell->rowIndex(), cell->columnIndex());
    }
    // Row -1 holds the column headers, column -1 the row headers.
    int ChildIndex(int row, int column) const {
        return (row + kHeaderRows) * (columnCount() + kHeaderColumns) + column + kHeaderColumns;
    }
    QAccessibleInterface* HeaderAt(int row, int column) const {
        const std::pair<int, int> key{row, column};
        if (const auto found = m_headers.constFind(key); found != m_headers.constEnd()) {
            return QAccessible::accessibleInterface(*found);
        }
        QAccessibleInterface* header =
            row < 0 && column < 0 ? new JobHeaderAccessible(View(), Qt::Horizontal, -1)
            : row < 0             ? new JobHeaderAccessible(View(), Qt::Horizontal, column)
                                  : new JobHeaderAccessible(View(), Qt::Vertical, row);
        m_headers.insert(key, QAccessible::registerAccessibleInterface(header));
        return header;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint inViewport = View()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = View()->indexAt(inViewport);
        return index.isValid() ? cellAt(index.row(), index.column()) : nullptr;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        const QModelIndex index = View()->model()->index(row, column);
        if (!index.isValid()) {
            return nullptr;
        }
        const int key = row * columnCount() + column;
        if (const auto found = m_cells.constFind(key); found != m_cells.constEnd()) {
            auto* cell = static_cast<JobCellAccessible*>(QAccessible::accessibleInterface(*found));
            if (cell != nullptr && cell->Matches(index)) {
                return cell;
            }
            // The rows moved under the cell since it was handed out.
            QAccessible::deleteAccessibleInterface(*found);
            m_cells.remove(key);
        }
        auto* cell = new JobCellAccessible(View(), index);
        m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        for (const QModelIndex& index : View()->selectionModel()->selectedIndexes()) {
            cells << cellAt(index.row(), index.column());
        }
        return cells;
    }
    QString columnDescription(int column) const override {
        return View()->model()->headerData(column, Qt::Horizontal).toString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    int columnCount() const override { return View()->columnCount(); }
    int rowCount() const override { return View()->rowCount(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        QList<int> rows;
        for (const QModelIndex& index : View()->selectionModel()->selectedRows()) {
            rows << index.row();
        }
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override {
        return View()->selectionModel()->isRowSelected(row, QModelIndex());
    }
    bool selectRow(int row) override {
        if (row < 0 || row >= rowCount()) {
            return false;
        }
        View()->selectRow(row);
        return true;
    }
    bool selectColumn(int) override { return false; } // whole rows only
    bool unselectRow(int row) override {
        if (!isRowSelected(row)) {
            return false;
        }
        View()->clearSelection();
        return true;
    }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override { DropCells(); }

private:
    QTableWidget* View() const { return static_cast<QTableWidget*>(widget()); }

    void DropCells() {
        for (const QAccessible::Id id : std::as_const(m_cells)) {
            QAccessible::deleteAccessibleInterface(id);
        }
        m_cells.clear();
        for (const QAccessible::Id id : std::as_const(m_headers)) {
            QAccessible::deleteAccessibleInterface(id);
        }
        m_headers.clear();
    }

    void AnnounceCheckChanges(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
        for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
            for (int column = topLeft.column(); column <= bottomRight.column(); ++column) {
                QAccessibleInterface* cell = cellAt(row, column);
                if (cell == nullptr || !cell->state().checkable) {
                    continue;
                }
                QAccessible::State changed;
                changed.checked = true;
                QAccessibleStateChangeEvent event(cell, changed);
                QAccessible::updateAccessibility(&event);
            }
        }
    }

    // Cells handed out, by row * columns + column. Qt owns them once registered.
    mutable QHash<int, QAccessible::Id> m_cells;
    // Headers handed out, by their place: row -1 or column -1.
    mutable QHash<std::pair<int, int>, QAccessible::Id> m_headers;
    QMetaObject::Connection m_checkChanges;
};

QList<QAccessibleInterface*> JobCellAccessible::columnHeaderCells() const {
    if (!isValid()) {
        return {};
    }
    const auto* table = static_cast<JobListAccessible*>(parent());
    return {table->HeaderAt(-1, m_index.column())};
}

class ToolButtonAccessible : public QAccessibleWidget {
public:
    explicit ToolButtonAccessible(QToolButton* button)
        : QAccessibleWidget(button,
                            button->isCheckable() ? QAccessible::CheckBox : QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty()) {
            text = Button()->text();
            // "&Add" reads "Add"; "&&" is a literal ampersand.
            text.replace(QLatin1String("&&"), QString(QChar(0x1)));
            text.remove(QLatin1Char('&'));
            text.replace(QChar(0x1), QLatin1Char('&'));
        }
        return text;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = Button()->isDown();
        if (Button()->isCheckable()) {
            state.checkable = true;
            state.checked = Button()->isChecked();
        }
        return state;
    }

    QStringList actionNames() const override {
        if (!Button()->isEnabled()) {
            return {};
        }
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override {
        if (name == pressAction()) {
            if (Button()->isEnabled()) {
                // The click, and any dialog it opens, follows once the answer has gone.
                Button()->animateClick();
            }
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    QToolButton* Button() const { return static_cast<QToolButton*>(widget()); }
};

QAccessibleInterface* AccessibleControlsFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QTableWidget") && object->property(kJobListProperty).toBool()) {
        return new JobListAccessible(static_cast<QTableWidget*>(object));
    }
    // Buttons with a menu keep Qt's interface, which also offers to open the menu.
    if (className == QLatin1String("QToolButton") && object->isWidgetType() &&
        static_cast<QToolButton*>(object)->menu() == nullptr) {
        return new ToolButtonAccessible(static_cast<QToolButton*>(object));
    }
    return nullptr;
}

} // namespace

void InstallAccessibleControls() {
    static const bool installed = [] {
        QAccessible::installFactory(AccessibleControlsFactory);
        return true;
    }();
    (void)installed;
}

void MarkAsJobList(QTableWidget* list) {
    InstallAccessibleControls();
    list->setProperty(kJobListProperty, true);
}
