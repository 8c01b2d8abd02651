// The two list editors of the settings dialog on standalone widgets (the exceptions list box,
// the batch replace list view and its item dialog), and the Replace tab's button that adds
// the single replacement to the batch list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <optional>

#include "mainwindow/dialogs/batchreplaceeditor.h"
#include "mainwindow/dialogs/batchreplaceitem.h"
#include "mainwindow/dialogs/exceptionseditor.h"
#include "mainwindow/widgetvalues.h"
#include "platform/widgets/listview.h"
#include "settings/errormemory.h"
#include "settings/textlists.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using engine::BatchReplaceItem;
using mainwindow::BatchReplaceEditor;
using mainwindow::BatchReplaceItemDialog;
using mainwindow::ExceptionsEditor;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;
using testsupport::FakeMessages;

const QString kTitle = QStringLiteral("Quenza Renamer");
const QString kAddPrompt =
    QStringLiteral("Enter a word that should always be spelled with the casing you type here:");

// Records the text each input box starts with, besides answering like FakeMessages.
class RecordingMessages : public FakeMessages {
public:
    QStringList initials;
    QStringList titles;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& initial) override {
        initials << initial;
        titles << title;
        return FakeMessages::inputBox(prompt, title, initial);
    }
};

void sendKey(QWidget* target, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

void type(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        sendKey(target, 0, QString(c));
    }
}

// Press, release, double click and release at one point, as a real double click arrives.
void doubleClick(QWidget* viewport, const QPoint& at) {
    const QPointF local(at);
    const QPointF global(viewport->mapToGlobal(at));
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, global, Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
}

// ---- Exceptions editor ----

class ExceptionsEditorTest : public ::testing::Test {
protected:
    ExceptionsEditorTest()
        : list(new QListWidget(&host)),
          add(new QPushButton(QStringLiteral("Add"), &host)),
          edit(new QPushButton(QStringLiteral("Edit"), &host)),
          remove(new QPushButton(QStringLiteral("Delete"), &host)),
          editor(list, add, edit, remove) {}

    QStringList words() const { return editor.items(); }
    void select(int row) { list->setCurrentRow(row); }

    RecordingMessages messages;
    QWidget host;
    QListWidget* list;
    QPushButton* add;
    QPushButton* edit;
    QPushButton* remove;
    ExceptionsEditor editor;
};

TEST_F(ExceptionsEditorTest, LoadLeavesOutEmptyEntriesAndItemsKeepEveryItem) {
    editor.load({QString(), QStringLiteral("McDonald"), QString(), QStringLiteral("iPod")});
    EXPECT_EQ(words(), QStringList({"McDonald", "iPod"}));
    list->addItem(QString());
    EXPECT_EQ(words(), QStringList({"McDonald", "iPod", ""}));
}

TEST_F(ExceptionsEditorTest, AddTrimsBlanksAndRemovesTheNineCharacters) {
    const struct {
        std::optional<QString> entered;
        std::optional<QString> appended;  // nothing: the list stays as it was
    } cases[] = {
        {QStringLiteral("  McDonald  "), QStringLiteral("McDonald")},
        {QStringLiteral("O'Brien"), QStringLiteral("O'Brien")},
        {QStringLiteral("Jean-Luc"), QStringLiteral("Jean-Luc")},
        {QStringLiteral("AC/DC:Live"), QStringLiteral("ACDCLive")},
        {QStringLiteral("a/b*c\"d\\e?f:g<h>i|j"), QStringLiteral("abcdefghij")},
        {QStringLiteral(" inner  blanks "), QStringLiteral("inner  blanks")},
        {QStringLiteral("\tTab\t"), QStringLiteral("\tTab\t")},  // only blanks are trimmed
        {QStringLiteral("???"), QString()},  // the emptiness test comes before the removal
        {QStringLiteral(" ? "), QString()},
        {QStringLiteral("   "), std::nullopt},
        {QString(), std::nullopt},
        {std::nullopt, std::nullopt},  // Cancel
    };
    for (const auto& entry : cases) {
        list->clear();
        editor.load({QStringLiteral("first")});
        messages.inputs.push_back(entry.entered);
        add->click();
        QStringList expected{QStringLiteral("first")};
        if (entry.appended) {
            expected << *entry.appended;
        }
        EXPECT_EQ(words(), expected)
            << entry.entered.value_or(QStringLiteral("<cancel>")).toStdString();
    }
    EXPECT_EQ(messages.prompts.size(), std::size(cases));
    EXPECT_EQ(messages.prompts.first(), kAddPrompt);
    EXPECT_EQ(messages.titles.first(), kTitle);
    EXPECT_EQ(messages.initials.first(), QString());
}

TEST_F(ExceptionsEditorTest, AddAppendsDuplicatesAndKeepsTheSelection) {
    editor.load({QStringLiteral("iPod"), QStringLiteral("McDonald")});
    select(0);
    messages.inputs.push_back(QStringLiteral("iPod"));
    add->click();
    EXPECT_EQ(words(), QStringList({"iPod", "McDonald", "iPod"}));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(list->item(0)->isSelected());
    EXPECT_FALSE(list->item(2)->isSelected());
}

TEST_F(ExceptionsEditorTest, EditReplacesTheSelectedWordInPlace) {
    const struct {
        std::optional<QString> entered;
        QString result;
    } cases[] = {
        {QStringLiteral("  MacDonald "), QStringLiteral("MacDonald")},
        {QStringLiteral("Mc/Donald"), QStringLiteral("McDonald")},
        {QStringLiteral("::"), QString()},                    // made only of removed characters
        {QStringLiteral("   "), QStringLiteral("McDonald")},  // blanks: unchanged
        {std::nullopt, QStringLiteral("McDonald")},           // Cancel: unchanged
    };
    for (const auto& entry : cases) {
        list->clear();
        editor.load({QStringLiteral("iPod"), QStringLiteral("McDonald"), QStringLiteral("NASA")});
        select(1);
        messages.inputs.push_back(entry.entered);
        edit->click();
        EXPECT_EQ(words(), QStringList({"iPod", entry.result, "NASA"}))
            << entry.entered.value_or(QStringLiteral("<cancel>")).toStdString();
    }
    EXPECT_EQ(messages.prompts.last(), QStringLiteral("Edit Exception:"));
    EXPECT_EQ(messages.titles.last(), kTitle);
    EXPECT_EQ(messages.initials.last(), QStringLiteral("McDonald"));
}

TEST_F(ExceptionsEditorTest, EditDeleteAndDoubleClickWithoutSelectionAskNothing) {
    for (const bool empty : {true, false}) {
        list->clear();
        if (!empty) {
            editor.load({QStringLiteral("iPod")});
            list->clearSelection();
        }
        edit->click();
        remove->click();
        editor.cmdExceptionsEditClick();
        editor.cmdExceptionsDelClick();
        EXPECT_TRUE(messages.prompts.isEmpty()) << empty;
        EXPECT_TRUE(messages.shown.isEmpty()) << empty;
        EXPECT_EQ(list->count(), empty ? 0 : 1);
    }
}

TEST_F(ExceptionsEditorTest, DoubleClickOnAWordEditsIt) {
    editor.load({QStringLiteral("iPod"), QStringLiteral("NASA")});
    host.resize(300, 300);
    list->setGeometry(0, 0, 200, 200);
    host.show();
    QApplication::processEvents();
    messages.inputs.push_back(QStringLiteral("Nasa"));
    doubleClick(list->viewport(), list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(messages.prompts, QStringList({"Edit Exception:"}));
    EXPECT_EQ(words(), QStringList({"iPod", "Nasa"}));
}

TEST_F(ExceptionsEditorTest, DeleteAsksAndRemovesOnlyOnYes) {
    editor.load({QStringLiteral("iPod"), QStringLiteral("McDonald")});
    select(1);
    messages.answers.push_back(MessageResult::No);
    remove->click();
    EXPECT_EQ(words(), QStringList({"iPod", "McDonald"}));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("Are you sure you want to delete the exception 'McDonald'?"));
    EXPECT_EQ(messages.shown[0].title, kTitle);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);

    messages.answers.push_back(MessageResult::Yes);
    remove->click();
    EXPECT_EQ(words(), QStringList({"iPod"}));
}

// ---- Batch replace list editor ----

BatchReplaceItem item(const char* find, const char* replace, int caseSensitive = 0,
                      int swapMode = 0, int start = 0, int count = 0) {
    BatchReplaceItem made;
    made.find = QString::fromUtf8(find);
    made.replace = QString::fromUtf8(replace);
    made.caseSensitive = static_cast<qint16>(caseSensitive);
    made.swapMode = static_cast<qint16>(swapMode);
    made.start = static_cast<qint16>(start);
    made.count = static_cast<qint16>(count);
    return made;
}

class BatchReplaceEditorTest : public ::testing::Test {
public:
    BatchReplaceEditorTest()
        : list(new platform::ListView(&host)),
          add(new QPushButton(QStringLiteral("Add"), &host)),
          edit(new QPushButton(QStringLiteral("Edit"), &host)),
          remove(new QPushButton(QStringLiteral("Delete"), &host)),
          up(new QPushButton(&host)),
          down(new QPushButton(&host)),
          editor({list, add, edit, remove, up, down}, &host) {
        host.resize(400, 300);
        list->setGeometry(0, 40, 380, 250);
    }

    QStringList cells(int row) const {
        QStringList texts;
        for (int column = 0; column < 6; ++column) {
            texts << list->text(row, column);
        }
        return texts;
    }
    QStringList finds() const {
        QStringList texts;
        for (int row = 0; row < list->rowCount(); ++row) {
            texts << list->text(row);
        }
        return texts;
    }
    void loadAbc() { editor.load({item("A", "a"), item("B", "b"), item("C", "c")}); }
    void selectOnly(int row) {
        list->clearSelection();
        list->selectRow(row);
        list->setCurrentRow(row);
    }

    // Runs `open` and, once the item dialog is up, `inside` on it. The dialog must close by
    // `inside`'s doing; otherwise it is cancelled and `closedByItself` turns false. Returns
    // whether a dialog opened.
    bool withItemDialog(const std::function<void()>& open,
                        const std::function<void(BatchReplaceItemDialog&)>& inside) {
        bool opened = false;
        closedByItself = true;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<BatchReplaceItemDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            opened = true;
            inside(*dialog);
            if (dialog->isVisible()) {
                closedByItself = false;
                QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
            }
        });
        timer.start(0);
        open();
        return opened;
    }

    FakeMessages messages;
    QWidget host;
    platform::ListView* list;
    QPushButton* add;
    QPushButton* edit;
    QPushButton* remove;
    QPushButton* up;
    QPushButton* down;
    BatchReplaceEditor editor;
    bool closedByItself = true;
};

TEST_F(BatchReplaceEditorTest, ShowsOneRowPerItemWithAFindText) {
    EXPECT_EQ(list->columnCount(), 6);
    QStringList headers;
    for (int column = 0; column < list->columnCount(); ++column) {
        headers << list->columnText(column);
        EXPECT_GT(list->columnWidth(column), 0) << column;
    }
    EXPECT_EQ(headers, QStringList({"Find", "Replace", "Case", "Swap", "Start", "Count"}));

    editor.load({item("ae", "\xC3\xA4", 1, 0, 2, 5), item("", "gone"), item("x", "", 0, 1, 0, 0)});
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(cells(0), QStringList({"ae", "\xC3\xA4", "x", "", "2", "5"}));  // start before count
    EXPECT_EQ(cells(1), QStringList({"x", "", "", "x", "0", "0"}));
    EXPECT_EQ(editor.items(), QList<BatchReplaceItem>(
                                  {item("ae", "\xC3\xA4", 1, 0, 2, 5), item("x", "", 0, 1, 0, 0)}));
}

TEST_F(BatchReplaceEditorTest, ItemsReadTheMarksAndNumbersOfTheCells) {
    const struct {
        const char* caseCell;
        const char* startCell;
        int caseSensitive;
        int start;
    } cases[] = {
        {"x", "7", 1, 7}, {"X", "012", 0, 12}, {" x", "999", 0, 999},
        {"1", "", 0, 0},  {"xx", "abc", 0, 0}, {"", "5000", 0, 999},
    };
    for (const auto& entry : cases) {
        editor.load({item("f", "r")});
        list->setText(0, 2, QString::fromLatin1(entry.caseCell));
        list->setText(0, 4, QString::fromLatin1(entry.startCell));
        const QList<BatchReplaceItem> items = editor.items();
        ASSERT_EQ(items.size(), 1);
        EXPECT_EQ(items[0].caseSensitive, entry.caseSensitive) << entry.caseCell;
        EXPECT_EQ(items[0].start, entry.start) << entry.startCell;
    }
    editor.load({});
    EXPECT_TRUE(editor.items().isEmpty());
}

TEST_F(BatchReplaceEditorTest, AddDialogEnablesOkOnlyForAFindTextTheListCanKeep) {
    const bool opened = withItemDialog(
        [&] { add->click(); },
        [](BatchReplaceItemDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Add Batch Replace Item"));
            EXPECT_EQ(dialog.focusWidget(), dialog.txtFind());
            EXPECT_FALSE(dialog.cmdOK()->isEnabled());
            EXPECT_EQ(dialog.txtReplaceStart()->text(), "0");
            EXPECT_EQ(dialog.txtReplaceCount()->text(), "0");
            EXPECT_FALSE(dialog.chkCaseSensitive()->isChecked());
            EXPECT_FALSE(dialog.chkReplaceMode()->isChecked());

            // Enter does nothing while "OK" is off.
            sendKey(dialog.txtFind(), Qt::Key_Return);
            EXPECT_TRUE(dialog.isVisible());

            const struct {
                const char* find;
                const char* replace;
                bool enabled;
            } cases[] = {
                {"a", "", true},    {"", "", false},     {"", "b", false},  {" ", "", true},
                {"a/b", "", false}, {"a", "b/c", false}, {"#1", "", false}, {"a#1", "No.", true},
                {"a", "#", true},   {"a\\b", "", true},  {"a", "b", true},
            };
            for (const auto& entry : cases) {
                dialog.txtFind()->setText(QString::fromLatin1(entry.find));
                dialog.txtReplace()->setText(QString::fromLatin1(entry.replace));
                EXPECT_EQ(dialog.cmdOK()->isEnabled(), entry.enabled)
                    << entry.find << " / " << entry.replace;
            }
            type(dialog.txtFind(), QStringLiteral("/"));
            EXPECT_FALSE(dialog.cmdOK()->isEnabled());
            EXPECT_FALSE(dialog.cmdOK()->toolTip().isEmpty());

            sendKey(&dialog, Qt::Key_Escape);
        });
    EXPECT_TRUE(opened);
    EXPECT_TRUE(closedByItself);
    EXPECT_EQ(list->rowCount(), 0);
}

TEST_F(BatchReplaceEditorTest, AddDialogOkAppendsTheRowAsTyped) {
    loadAbc();
    selectOnly(0);
    const bool opened =
        withItemDialog([&] { add->click(); },
                       [](BatchReplaceItemDialog& dialog) {
                           type(dialog.txtFind(), QStringLiteral(" ae "));
                           dialog.txtReplace()->setText(QString::fromUtf8("\xC3\xA4"));
                           dialog.chkReplaceMode()->setChecked(true);
                           dialog.txtReplaceStart()->setText(QStringLiteral("3"));
                           dialog.txtReplaceCount()->setText(QStringLiteral("12"));
                           dialog.cmdOK()->click();
                       });
    EXPECT_TRUE(opened);
    EXPECT_TRUE(closedByItself);
    EXPECT_EQ(finds(), QStringList({"A", "B", "C", " ae "}));  // not trimmed
    EXPECT_EQ(cells(3), QStringList({" ae ", "\xC3\xA4", "", "x", "3", "12"}));
    EXPECT_EQ(list->selectedRows(), QList<int>({0}));
}

TEST_F(BatchReplaceEditorTest, NumberBoxesTakeDigitsOnlyAndAreRepaired) {
    withItemDialog([&] { add->click(); },
                   [](BatchReplaceItemDialog& dialog) {
                       QLineEdit* start = dialog.txtReplaceStart();
                       start->setFocus(Qt::TabFocusReason);
                       QApplication::processEvents();
                       EXPECT_EQ(start->selectedText(), "0");  // taking the focus selects all
                       type(start, QStringLiteral("a1-b2.x34"));
                       EXPECT_EQ(start->text(),
                                 "123");  // letters dropped, at most three characters
                       start->clear();
                       dialog.txtReplace()->setFocus(Qt::TabFocusReason);
                       QApplication::processEvents();
                       EXPECT_EQ(start->text(), "0");  // left empty
                       dialog.reject();
                   });

    // Enter while a box is empty: "OK" repairs it before the row is written.
    using Box = QLineEdit* (BatchReplaceItemDialog::*)() const;
    for (const Box box :
         {&BatchReplaceItemDialog::txtReplaceStart, &BatchReplaceItemDialog::txtReplaceCount}) {
        list->clear();
        withItemDialog([&] { add->click(); },
                       [box](BatchReplaceItemDialog& dialog) {
                           dialog.txtFind()->setText(QStringLiteral("f"));
                           QLineEdit* number = (dialog.*box)();
                           number->setFocus(Qt::TabFocusReason);
                           QApplication::processEvents();
                           number->clear();
                           sendKey(number, Qt::Key_Return);
                       });
        EXPECT_TRUE(closedByItself);
        ASSERT_EQ(list->rowCount(), 1);
        EXPECT_EQ(cells(0), QStringList({"f", "", "", "", "0", "0"}));
    }
}

TEST_F(BatchReplaceEditorTest, EditOpensOnTheSelectedRowAndWritesItBack) {
    editor.load({item("A", "a"), item("B", "b", 1, 1, 4, 7), item("C", "c")});
    selectOnly(1);
    bool opened = withItemDialog([&] { edit->click(); },
                                 [](BatchReplaceItemDialog& dialog) {
                                     EXPECT_EQ(dialog.windowTitle(),
                                               QStringLiteral("Edit Batch Replace Item"));
                                     EXPECT_EQ(dialog.txtFind()->text(), "B");
                                     EXPECT_EQ(dialog.txtFind()->selectedText(), "B");
                                     EXPECT_EQ(dialog.txtReplace()->text(), "b");
                                     EXPECT_TRUE(dialog.chkCaseSensitive()->isChecked());
                                     EXPECT_TRUE(dialog.chkReplaceMode()->isChecked());
                                     EXPECT_EQ(dialog.txtReplaceStart()->text(), "4");
                                     EXPECT_EQ(dialog.txtReplaceCount()->text(), "7");
                                     EXPECT_TRUE(dialog.cmdOK()->isEnabled());
                                     dialog.chkCaseSensitive()->setChecked(false);
                                     dialog.txtReplace()->setText(QStringLiteral("bee"));
                                     dialog.cmdOK()->click();
                                 });
    EXPECT_TRUE(opened);
    EXPECT_EQ(cells(1), QStringList({"B", "bee", "", "x", "4", "7"}));
    EXPECT_EQ(finds(), QStringList({"A", "B", "C"}));

    // A Case cell that is not exactly "x" opens unticked; Cancel writes nothing.
    list->setText(1, 2, QStringLiteral("X"));
    opened = withItemDialog([&] { edit->click(); },
                            [](BatchReplaceItemDialog& dialog) {
                                EXPECT_FALSE(dialog.chkCaseSensitive()->isChecked());
                                dialog.txtFind()->setText(QStringLiteral("changed"));
                                dialog.cmdCancel()->click();
                            });
    EXPECT_TRUE(opened);
    EXPECT_EQ(cells(1), QStringList({"B", "bee", "X", "x", "4", "7"}));
}

TEST_F(BatchReplaceEditorTest, DoubleClickOnARowEditsIt) {
    loadAbc();
    host.show();
    QApplication::processEvents();
    QTreeView* view = list->reportView();
    const QPoint at = view->visualRect(list->model()->index(2, 0)).center();
    const bool opened = withItemDialog([&] { doubleClick(view->viewport(), at); },
                                       [](BatchReplaceItemDialog& dialog) {
                                           EXPECT_EQ(dialog.txtFind()->text(), "C");
                                           dialog.reject();
                                       });
    EXPECT_TRUE(opened);
}

TEST_F(BatchReplaceEditorTest, CommandsWithoutASelectedRowDoNothing) {
    for (const bool empty : {true, false}) {
        list->clear();
        if (!empty) {
            loadAbc();
            list->clearSelection();
            list->setCurrentRow(1);  // current but not selected
        }
        const std::function<void()> commands[] = {
            [&] { edit->click(); },
            [&] { up->click(); },
            [&] { down->click(); },
            [&] { remove->click(); },
            [&] { editor.lwBatchReplaceDblClick(); },
        };
        for (const auto& command : commands) {
            EXPECT_FALSE(withItemDialog(command, [](BatchReplaceItemDialog&) {})) << empty;
        }
        EXPECT_EQ(finds(), empty ? QStringList() : QStringList({"A", "B", "C"}));
    }
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(BatchReplaceEditorTest, MovesExchangeRowsAndTheSelectionFollows) {
    const struct {
        const char* name;
        int selected;
        QList<QPushButton * BatchReplaceEditorTest::*> presses;
        QStringList order;
        int selectedAfter;
    } cases[] = {
        {"up on the first", 0, {&BatchReplaceEditorTest::up}, {"A", "B", "C"}, 0},
        {"down on the last", 2, {&BatchReplaceEditorTest::down}, {"A", "B", "C"}, 2},
        {"down", 0, {&BatchReplaceEditorTest::down}, {"B", "A", "C"}, 1},
        {"up", 2, {&BatchReplaceEditorTest::up}, {"A", "C", "B"}, 1},
        {"down twice",
         0,
         {&BatchReplaceEditorTest::down, &BatchReplaceEditorTest::down},
         {"B", "C", "A"},
         2},
        {"round trip",
         0,
         {&BatchReplaceEditorTest::down, &BatchReplaceEditorTest::down, &BatchReplaceEditorTest::up,
          &BatchReplaceEditorTest::up},
         {"A", "B", "C"},
         0},
    };
    host.show();
    QApplication::processEvents();
    for (const auto& entry : cases) {
        loadAbc();
        selectOnly(entry.selected);
        add->setFocus();
        for (QPushButton* BatchReplaceEditorTest::*button : entry.presses) {
            (this->*button)->click();
        }
        EXPECT_EQ(finds(), entry.order) << entry.name;
        EXPECT_EQ(list->selectedRows(), QList<int>({entry.selectedAfter})) << entry.name;
        EXPECT_EQ(list->currentRow(), entry.selectedAfter) << entry.name;
        EXPECT_TRUE(list->reportView()->hasFocus()) << entry.name;
    }
    // The whole row moves, not only its find text.
    editor.load({item("A", "a", 1, 0, 1, 2), item("B", "b", 0, 1, 3, 4)});
    selectOnly(0);
    down->click();
    EXPECT_EQ(cells(0), QStringList({"B", "b", "", "x", "3", "4"}));
    EXPECT_EQ(cells(1), QStringList({"A", "a", "x", "", "1", "2"}));
}

TEST_F(BatchReplaceEditorTest, DeleteRemovesTheUppermostSelectedRowWithoutAsking) {
    loadAbc();
    list->clearSelection();
    list->selectRow(2);
    list->selectRow(1);
    list->setCurrentRow(2);
    remove->click();
    EXPECT_EQ(finds(), QStringList({"A", "C"}));
    EXPECT_TRUE(messages.shown.isEmpty());
}

// ---- Item dialog layout ----

class BatchItemLayoutTest : public testsupport::WindowTest {};

TEST_F(BatchItemLayoutTest, NoCaptionIsCutAndNoControlsOverlap) {
    const auto window = start();
    QWidget defaultFont;
    QWidget programFont;
    programFont.setFont(window->font());
    for (QWidget* owner : {&defaultFont, &programFont}) {
        BatchReplaceItemDialog dialog(0, {}, owner);
        EXPECT_EQ(dialog.font(), owner->font());
        const QList<QWidget*> controls =
            dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_EQ(controls.size(), 12);
        // Where each control draws: a caption as much of its place as its text needs
        // (vertically centred), a button its face with the caption inside.
        const auto drawn = [](const QWidget* control) {
            QRect place = control->geometry();
            if (qobject_cast<const QLabel*>(control) || qobject_cast<const QCheckBox*>(control)) {
                const QSize hint = control->sizeHint();
                EXPECT_GE(place.width(), hint.width()) << control->objectName().toStdString();
                EXPECT_GE(place.height(), hint.height()) << control->objectName().toStdString();
                place = QRect(place.x(), place.y() + (place.height() - hint.height()) / 2,
                              hint.width(), hint.height());
            } else if (const auto* button = qobject_cast<const QPushButton*>(control)) {
                const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin);
                EXPECT_GE(place.width(),
                          button->fontMetrics().horizontalAdvance(button->text()) + 2 * margin)
                    << control->objectName().toStdString();
                EXPECT_GE(place.height(), button->fontMetrics().height() + margin)
                    << control->objectName().toStdString();
            }
            return place;
        };
        for (QWidget* control : controls) {
            const QString name = control->objectName();
            EXPECT_TRUE(dialog.rect().contains(control->geometry())) << name.toStdString();
            for (QWidget* other : controls) {
                if (other != control) {
                    EXPECT_FALSE(drawn(control).intersects(drawn(other)))
                        << name.toStdString() << " and " << other->objectName().toStdString();
                }
            }
        }
    }
}

// ---- The Replace tab's add button ----

class ReplaceAddTest : public testsupport::WindowTest {
protected:
    void SetUp() override { window = start(); }
    mainwindow::Controls& ui() { return window->ui(); }
    QString label() { return ui().lblBatchReplace->text(); }
    const QList<BatchReplaceItem>& batch() { return window->lists().batchReplaceList; }

    std::unique_ptr<mainwindow::FrmMain> window;
};

TEST_F(ReplaceAddTest, AppendsTheSingleReplacementAndCountsTheItems) {
    ASSERT_TRUE(batch().isEmpty());
    EXPECT_EQ(label(), QStringLiteral("0 items in batch replace list..."));

    window->state().previewPending = false;
    ui().cmdReplaceAdd->click();  // no find text
    EXPECT_TRUE(batch().isEmpty());
    EXPECT_FALSE(window->state().previewPending);

    ui().txtFind->setText(QStringLiteral("ae"));
    ui().txtReplace->setText(QString::fromUtf8("\xC3\xA4"));
    mainwindow::setVbValue(ui().chkCaseSensitive, 1);
    ui().txtReplaceStart->setText(QStringLiteral("2"));
    ui().txtReplaceCount->setText(QStringLiteral("15"));
    ui().cmdReplaceAdd->click();
    EXPECT_EQ(batch(), QList<BatchReplaceItem>({item("ae", "\xC3\xA4", 1, 0, 2, 15)}));
    EXPECT_EQ(label(), QStringLiteral("1 item in batch replace list..."));
    EXPECT_TRUE(window->state().previewPending);

    // The same item again is not refused.
    ui().cmdReplaceAdd->click();
    EXPECT_EQ(batch().size(), 2);
    EXPECT_EQ(batch()[1], batch()[0]);
    EXPECT_EQ(label(), QStringLiteral("2 items in batch replace list..."));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(ReplaceAddTest, NumberBoxesCountAsTheirRepairLeavesThem) {
    const struct {
        const char* text;
        int number;
    } cases[] = {{"", 0}, {"abc", 0}, {"7x", 7}, {"007", 7}, {"999", 999}};
    ui().txtFind->setText(QStringLiteral("f"));
    for (const auto& entry : cases) {
        // Text set in code passes by the digits filter's keys; the box may hold anything.
        ui().txtReplaceStart->setValidator(nullptr);
        ui().txtReplaceStart->setText(QString::fromLatin1(entry.text));
        ui().cmdReplaceAdd->click();
        ASSERT_FALSE(batch().isEmpty());
        EXPECT_EQ(batch().last().start, entry.number) << entry.text;
        EXPECT_EQ(batch().last().count, 0);
    }
}

TEST_F(ReplaceAddTest, AnItemTheListFileCannotHoldIsRefusedWithAMessage) {
    const struct {
        const char* find;
        const char* replace;
    } refused[] = {{"a/b", "c"}, {"a", "b/c"}, {"#1", "No. 1"}, {"//", ""}};
    for (const auto& entry : refused) {
        ui().txtFind->setText(QString::fromLatin1(entry.find));
        ui().txtReplace->setText(QString::fromLatin1(entry.replace));
        ui().cmdReplaceAdd->click();
        EXPECT_TRUE(batch().isEmpty()) << entry.find;
    }
    ASSERT_EQ(messages.shown.size(), std::size(refused));
    EXPECT_EQ(messages.shown[0].text, mainwindow::batchItemNotStorableText());
    EXPECT_EQ(messages.shown[0].title, kTitle);
    EXPECT_EQ(label(), QStringLiteral("0 items in batch replace list..."));

    // What is taken comes back from the list file unchanged.
    ui().txtFind->setText(QStringLiteral("No. #1"));
    ui().txtReplace->setText(QStringLiteral("a\\b"));
    ui().cmdReplaceAdd->click();
    ASSERT_EQ(batch().size(), 1);
    const QString folder = QString::fromStdString(sandbox.program().path());
    ASSERT_TRUE(settings::saveLists(folder, window->lists()));
    settings::ErrorMemory errors;
    EXPECT_EQ(settings::readBatchReplace(folder, errors), batch());
}

}  // namespace
