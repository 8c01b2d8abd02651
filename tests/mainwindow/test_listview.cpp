#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeView>

#include <memory>

#include "platform/widgets/listview.h"

namespace {

using platform::ListRow;
using platform::ListView;

ListView& withColumns(ListView& list) {
    list.addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 120);
    list.addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 80);
    list.addColumn(QStringLiteral("Path"), QStringLiteral("path"), 60);
    return list;
}

TEST(ListViewColumns, KeysWidthsAndHiddenColumns) {
    ListView list;
    withColumns(list);
    EXPECT_EQ(list.addColumn(QStringLiteral("Size in Bytes"), QStringLiteral("sizeb"), 0), 3);

    EXPECT_EQ(list.columnCount(), 4);
    EXPECT_EQ(list.columnIndex(QStringLiteral("preview")), 1);
    EXPECT_EQ(list.columnIndex(QStringLiteral("nothing")), -1);
    EXPECT_EQ(list.columnText(2), QStringLiteral("Path"));
    EXPECT_EQ(list.columnWidth(0), 120);
    EXPECT_EQ(list.reportView()->columnWidth(0), 120);
    // A width of 0 keeps the column (and its texts) but never shows it.
    EXPECT_TRUE(list.isColumnHidden(3));
    EXPECT_EQ(list.columnWidth(3), 0);

    list.setColumnWidth(3, 40);
    EXPECT_FALSE(list.isColumnHidden(3));
    list.setColumnWidth(1, 0);
    EXPECT_TRUE(list.isColumnHidden(1));
    EXPECT_EQ(list.columnWidth(1), 0);
}

TEST(ListViewRows, TextsTagsAndRemoval) {
    ListView list;
    withColumns(list);
    ListRow row;
    row.texts = {QStringLiteral("a.txt")};  // the other columns are missing
    row.tag = 42;
    EXPECT_EQ(list.addRow(row), 0);
    EXPECT_EQ(list.addRow({QStringLiteral("b.txt"), QStringLiteral("B.txt")}), 1);

    EXPECT_EQ(list.text(0, 2), QString());
    list.setText(0, 2, QStringLiteral("/tmp/"));
    EXPECT_EQ(list.text(0, 2), QStringLiteral("/tmp/"));
    EXPECT_EQ(list.model()->data(list.model()->index(0, 2), Qt::DisplayRole).toString(),
              QStringLiteral("/tmp/"));
    EXPECT_EQ(list.rowTag(0).toInt(), 42);
    EXPECT_EQ(list.text(1, 1), QStringLiteral("B.txt"));
    EXPECT_EQ(list.text(7, 0), QString());

    list.removeRow(0);
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.text(0), QStringLiteral("b.txt"));
    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
}

TEST(ListViewRows, ThirtyThousandRowsArriveInOneInsertion) {
    ListView list;
    withColumns(list);
    QList<ListRow> rows;
    for (int i = 0; i < 30000; ++i) {
        ListRow row;
        row.texts = {QStringLiteral("file%1.txt").arg(i), QString(), QStringLiteral("/data/")};
        rows.append(row);
    }
    int insertions = 0;
    QObject::connect(list.model(), &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    list.addRows(rows);

    EXPECT_EQ(insertions, 1);
    EXPECT_EQ(list.rowCount(), 30000);
    EXPECT_EQ(list.text(29999), QStringLiteral("file29999.txt"));
    list.selectRow(29999);
    EXPECT_EQ(list.selectedRows(), QList<int>{29999});
}

TEST(ListViewSelection, SharedByBothViews) {
    ListView list;
    withColumns(list);
    for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
        list.addRow({QString::fromLatin1(name)});
    }
    int changes = 0;
    QObject::connect(&list, &ListView::selectionChanged, [&] { ++changes; });
    list.selectRow(5);
    list.selectRow(2);
    EXPECT_EQ(list.selectedRows(), (QList<int>{2, 5}));
    EXPECT_EQ(changes, 2);

    list.setView(ListView::View::LargeIcon);
    EXPECT_EQ(list.activeView(), list.iconView());
    EXPECT_EQ(list.selectedRows(), (QList<int>{2, 5}));
    EXPECT_TRUE(list.iconView()->selectionModel()->isSelected(list.model()->index(2, 0)));

    list.selectRow(2, false);
    EXPECT_EQ(list.selectedRows(), QList<int>{5});
    EXPECT_TRUE(list.isRowSelected(5));
    EXPECT_FALSE(list.isRowSelected(2));
    list.clearSelection();
    EXPECT_TRUE(list.selectedRows().isEmpty());

    list.setCurrentRow(3);
    EXPECT_EQ(list.currentRow(), 3);
    EXPECT_TRUE(list.selectedRows().isEmpty());  // the current row is not selected by that
}

TEST(ListViewLooks, ViewsImagesAndFlags) {
    ListView list;
    withColumns(list);
    const QIcon smallIcon(QPixmap(16, 16));
    const QIcon largeIcon(QPixmap(48, 48));
    list.setSmallImages({smallIcon});
    list.setLargeImages({QIcon(), largeIcon});
    list.setLargeIconSize(QSize(48, 48));
    list.addRow({QStringLiteral("x")});
    list.setRowImages(0, 0, 1);
    const QModelIndex first = list.model()->index(0, 0);

    EXPECT_EQ(list.activeView(), list.reportView());
    EXPECT_EQ(list.model()->data(first, Qt::DecorationRole).value<QIcon>().cacheKey(),
              smallIcon.cacheKey());

    list.setView(ListView::View::SmallIcon);
    EXPECT_EQ(list.iconView()->viewMode(), QListView::ListMode);
    EXPECT_EQ(list.iconView()->iconSize(), QSize(16, 16));

    list.setView(ListView::View::LargeIcon);
    EXPECT_EQ(list.iconView()->viewMode(), QListView::IconMode);
    EXPECT_EQ(list.iconView()->iconSize(), QSize(48, 48));
    EXPECT_EQ(list.model()->data(first, Qt::DecorationRole).value<QIcon>().cacheKey(),
              largeIcon.cacheKey());

    list.setFullRowSelect(true);
    list.setGridLines(true);
    EXPECT_TRUE(list.fullRowSelect());
    EXPECT_TRUE(list.gridLines());

    // The font is the list's, and its views show it.
    QFont bold = list.font();
    bold.setBold(true);
    list.setFont(bold);
    EXPECT_TRUE(list.font().bold());
    EXPECT_TRUE(list.reportView()->font().bold());
    EXPECT_TRUE(list.iconView()->font().bold());
}

TEST(ListViewLabels, ManualEditingAndTheEditorsVerdict) {
    ListView list;
    withColumns(list);
    list.addRow({QStringLiteral("old.txt")});
    const QModelIndex label = list.model()->index(0, 0);

    list.setLabelEdit(ListView::LabelEdit::Manual);
    EXPECT_EQ(list.reportView()->editTriggers(), QAbstractItemView::NoEditTriggers);
    list.setLabelEdit(ListView::LabelEdit::Automatic);
    EXPECT_NE(list.reportView()->editTriggers(), QAbstractItemView::NoEditTriggers);

    QStringList edited;
    QObject::connect(&list, &ListView::labelEdited, [&](int row, const QString& text) {
        edited.append(QString::number(row) + text);
    });
    list.setLabelEditor([](int, QString& text) {
        if (text.contains(QLatin1Char('/'))) {
            return false;
        }
        text = text.trimmed();
        return true;
    });
    EXPECT_FALSE(list.model()->setData(label, QStringLiteral("a/b"), Qt::EditRole));
    EXPECT_EQ(list.text(0), QStringLiteral("old.txt"));
    EXPECT_TRUE(edited.isEmpty());

    EXPECT_TRUE(list.model()->setData(label, QStringLiteral("  new.txt "), Qt::EditRole));
    EXPECT_EQ(list.text(0), QStringLiteral("new.txt"));
    EXPECT_EQ(edited, QStringList{QStringLiteral("0new.txt")});
    // Only the label (first column) can be edited.
    EXPECT_FALSE(list.model()->flags(list.model()->index(0, 1)) & Qt::ItemIsEditable);
}

TEST(ListViewRows, SwapMovesTextsAndPicturesButNotTags) {
    ListView list;
    withColumns(list);
    ListRow first;
    first.texts = {QStringLiteral("a"), QString(), QStringLiteral("/x/")};
    first.smallImage = 1;
    first.tag = 1;
    ListRow second;
    second.texts = {QStringLiteral("b")};
    second.largeImage = 2;
    second.tag = 2;
    list.addRow(first);
    list.addRow(second);
    list.selectRow(0);

    list.swapRows(0, 1);
    EXPECT_EQ(list.row(0).texts, second.texts);
    EXPECT_EQ(list.row(1).texts, first.texts);
    EXPECT_EQ(list.row(0).largeImage, 2);
    EXPECT_EQ(list.row(1).smallImage, 1);
    EXPECT_EQ(list.rowTag(0).toInt(), 1);
    EXPECT_EQ(list.selectedRows(), QList<int>{0});  // the selection is the caller's
}

TEST(ListViewSorting, StableByOneColumnWithTheSelectionFollowingItsRow) {
    ListView list;
    withColumns(list);
    for (const char* name : {"b", "C", "a", "B"}) {
        list.addRow({QString::fromLatin1(name), QString(), QString::fromLatin1(name) + "/"});
    }
    list.selectRow(1);  // "C"
    list.setCurrentRow(1);
    EXPECT_EQ(list.sortOrder(), Qt::AscendingOrder);

    list.sortByColumn(0);
    // Letter case is ignored; "b" and "B" keep their order.
    EXPECT_EQ(list.text(0), QStringLiteral("a"));
    EXPECT_EQ(list.text(1), QStringLiteral("b"));
    EXPECT_EQ(list.text(2), QStringLiteral("B"));
    EXPECT_EQ(list.text(3), QStringLiteral("C"));
    EXPECT_EQ(list.selectedRows(), QList<int>{3});
    EXPECT_EQ(list.currentRow(), 3);

    list.setSortOrder(Qt::DescendingOrder);
    list.sortByColumn(2);
    EXPECT_EQ(list.text(0), QStringLiteral("C"));
    EXPECT_EQ(list.text(3), QStringLiteral("a"));
    // Rows added afterwards are appended, and a cleared list sorts ascending again.
    list.addRow({QStringLiteral("0")});
    EXPECT_EQ(list.text(4), QStringLiteral("0"));
    list.clear();
    EXPECT_EQ(list.sortOrder(), Qt::AscendingOrder);
}

TEST(ListViewSorting, IgnoresLetterCaseInEveryLocale) {
    const struct {
        const char* what;
        QStringList texts;
        Qt::SortOrder order;
        QStringList sorted;
    } cases[] = {
        {"capitals among small letters",
         {"Zeta", "alpha", "Beta"},
         Qt::AscendingOrder,
         {"alpha", "Beta", "Zeta"}},
        {"case-only ties keep their order",
         {"b.TXT", "a", "B.txt", "b.txt"},
         Qt::AscendingOrder,
         {"a", "b.TXT", "B.txt", "b.txt"}},
        {"descending", {"b", "A", "c", "B"}, Qt::DescendingOrder, {"c", "b", "B", "A"}},
        {"beyond ASCII",
         {"\u00e9t\u00e9", "\u00c9T\u00c9 2", "\u00e9t\u00e9 1"},
         Qt::AscendingOrder,
         {"\u00e9t\u00e9", "\u00e9t\u00e9 1", "\u00c9T\u00c9 2"}},
    };
    // In every locale, the C locale included.
    const QLocale saved;
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c(),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        for (const auto& c : cases) {
            SCOPED_TRACE(locale.name().toStdString() + ": " + c.what);
            ListView list;
            withColumns(list);
            for (const QString& text : c.texts) {
                list.addRow({text});
            }
            list.setSortOrder(c.order);
            list.sortByColumn(0);
            QStringList sorted;
            for (int row = 0; row < list.rowCount(); ++row) {
                sorted << list.text(row);
            }
            EXPECT_EQ(sorted, c.sorted);
        }
    }
    QLocale::setDefault(saved);
}

TEST(ListViewDrags, RowDragsNameTheirListAndTheHighlightFollowsRows) {
    ListView list;
    ListView other;
    withColumns(list);
    for (const char* name : {"a", "b", "c"}) {
        list.addRow({QString::fromLatin1(name)});
    }
    std::unique_ptr<QMimeData> own(list.createRowDragData());
    std::unique_ptr<QMimeData> foreign(other.createRowDragData());
    QMimeData files;
    files.setData(QStringLiteral("text/uri-list"), "file:///tmp/a\r\n");
    EXPECT_TRUE(list.isOwnRowDrag(own.get()));
    EXPECT_FALSE(list.isOwnRowDrag(foreign.get()));
    EXPECT_FALSE(list.isOwnRowDrag(&files));
    EXPECT_FALSE(list.isOwnRowDrag(nullptr));

    list.setDropHighlightRow(2);
    EXPECT_EQ(list.dropHighlightRow(), 2);
    list.removeRow(0);
    EXPECT_EQ(list.dropHighlightRow(), 1);
    list.removeRow(1);
    EXPECT_EQ(list.dropHighlightRow(), -1);
    list.setDropHighlightRow(7);
    EXPECT_EQ(list.dropHighlightRow(), -1);
}

TEST(ListViewLabels, EveryOpenedEditorIsAnnouncedOnce) {
    ListView list;
    withColumns(list);
    list.addRow({QStringLiteral("photo.jpg")});
    list.show();
    QList<int> started;
    QObject::connect(&list, &ListView::labelEditStarted, [&](int row, QWidget* editor) {
        started.append(row);
        auto* line = qobject_cast<QLineEdit*>(editor);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->text(), QStringLiteral("photo.jpg"));
    });
    EXPECT_FALSE(list.isEditing());
    list.startLabelEdit(0);
    list.startLabelEdit(0);  // already open: not a new editor
    EXPECT_EQ(started, QList<int>{0});
    EXPECT_TRUE(list.isEditing());
}

}  // namespace

namespace {

TEST(ListViewColumns, TheLastColumnTakesTheRoomLeftUntilTheUserSizesOne) {
    platform::ListView list;
    list.resize(800, 300);
    list.addColumn(QStringLiteral("Name"), QStringLiteral("name"), 150);
    list.addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 150);
    list.addColumn(QStringLiteral("Hidden"), QStringLiteral("hidden"), 0);
    list.show();
    QApplication::processEvents();
    auto* report = list.findChild<QTreeView*>();
    ASSERT_NE(report, nullptr);
    const int room = report->viewport()->width();
    // Shown wide, stored as it was (what is saved).
    EXPECT_EQ(report->columnWidth(1), room - 150);
    EXPECT_EQ(list.columnWidth(1), 150);

    // A column added after it: the room passes on, the former last keeps its own width.
    list.addColumn(QStringLiteral("Size"), QStringLiteral("size"), 80);
    EXPECT_EQ(report->columnWidth(1), 150);
    EXPECT_EQ(report->columnWidth(3), room - 300);
    // Narrower than the columns: nothing is squeezed.
    list.resize(200, 300);
    QApplication::processEvents();
    EXPECT_EQ(report->columnWidth(3), 80);
    list.resize(800, 300);
    QApplication::processEvents();
    EXPECT_EQ(report->columnWidth(3), room - 300);

    // The user sizes a column with the mouse on the header: widths stay as the user left them.
    QWidget* header = report->header()->viewport();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), header->mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(header, &press);
    report->header()->resizeSection(0, 200);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5),
                        header->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(header, &release);
    EXPECT_EQ(list.columnWidth(0), 200);
    const int lastBefore = report->columnWidth(3);
    list.resize(1000, 300);
    QApplication::processEvents();
    EXPECT_EQ(report->columnWidth(3), lastBefore);
}

}  // namespace

namespace {

TEST(ListViewLooks, APlaceholderNeverLooksSelectedAndTheLabelEditorIsFramed) {
    for (const auto view :
         {platform::ListView::View::SmallIcon, platform::ListView::View::Report}) {
        platform::ListView list;
        list.resize(300, 120);
        list.addColumn(QStringLiteral("Name"), QStringLiteral("name"), 200);
        list.setView(view);
        platform::ListRow row;
        row.texts = QStringList{QStringLiteral("Drop files here...")};
        row.placeholder = true;
        list.addRow(row);
        list.show();
        QApplication::processEvents();
        const QImage plain = list.grab().toImage();
        list.setFocus();
        list.setCurrentRow(0);
        list.selectRow(0);
        QApplication::processEvents();
        EXPECT_EQ(list.grab().toImage(), plain);
    }

    platform::ListView list;
    list.addColumn(QStringLiteral("Name"), QStringLiteral("name"), 200);
    list.addRow(QStringList{QStringLiteral("a.txt")});
    list.setLabelEdit(platform::ListView::LabelEdit::Manual);
    QLineEdit* editor = nullptr;
    QObject::connect(&list, &platform::ListView::labelEditStarted,
                     [&](int, QWidget* opened) { editor = qobject_cast<QLineEdit*>(opened); });
    list.show();
    list.startLabelEdit(0);
    QApplication::processEvents();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->hasFrame());
}

}  // namespace
