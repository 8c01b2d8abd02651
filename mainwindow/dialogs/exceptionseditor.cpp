#include "mainwindow/dialogs/exceptionseditor.h"

#include <QListWidget>
#include <QPushButton>

#include "platform/messages.h"

namespace mainwindow {

namespace {

const QString kTitle = QStringLiteral("Quenza Renamer");

// Only blanks: a tab or another white space around the word stays.
QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ') {
        ++first;
    }
    while (last > first && text.at(last - 1) == u' ') {
        --last;
    }
    return text.mid(first, last - first);
}

// The characters a file name cannot hold: a word spelled with one could never match.
QString withoutForbidden(QString word) {
    for (const QChar forbidden : {u'/', u'*', u'"', u'\\', u'?', u':', u'<', u'>', u'|'}) {
        word.remove(forbidden);
    }
    return word;
}

}  // namespace

ExceptionsEditor::ExceptionsEditor(QListWidget* list, QPushButton* add, QPushButton* edit,
                                   QPushButton* remove, QObject* parent)
    : QObject(parent), list_(list) {
    connect(add, &QPushButton::clicked, this, &ExceptionsEditor::cmdExceptionsAddClick);
    connect(edit, &QPushButton::clicked, this, &ExceptionsEditor::cmdExceptionsEditClick);
    connect(remove, &QPushButton::clicked, this, &ExceptionsEditor::cmdExceptionsDelClick);
    connect(list_, &QListWidget::itemDoubleClicked, this,
            &ExceptionsEditor::cmdExceptionsEditClick);
}

void ExceptionsEditor::load(const QStringList& exceptionsList) {
    for (const QString& word : exceptionsList) {
        if (!word.isEmpty()) {
            list_->addItem(word);
        }
    }
}

QStringList ExceptionsEditor::items() const {
    QStringList words;
    for (int i = 0; i < list_->count(); ++i) {
        words << list_->item(i)->text();
    }
    return words;
}

QListWidgetItem* ExceptionsEditor::selectedItem() const {
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->isSelected()) {
            return list_->item(i);
        }
    }
    return nullptr;
}

void ExceptionsEditor::cmdExceptionsAddClick() {
    const QString word = trimBlanks(
        platform::messages()
            .inputBox(QStringLiteral("Enter a word that should always be spelled with the "
                                     "casing you type here:"),
                      kTitle, QString())
            .value_or(QString()));
    if (word.isEmpty()) {
        return;
    }
    list_->addItem(withoutForbidden(word));
}

void ExceptionsEditor::cmdExceptionsEditClick() {
    QListWidgetItem* item = selectedItem();
    if (item == nullptr) {
        return;
    }
    const QString word =
        trimBlanks(platform::messages()
                       .inputBox(QStringLiteral("Edit Exception:"), kTitle, item->text())
                       .value_or(QString()));
    if (word.isEmpty()) {
        return;
    }
    item->setText(withoutForbidden(word));
}

void ExceptionsEditor::cmdExceptionsDelClick() {
    QListWidgetItem* item = selectedItem();
    if (item == nullptr) {
        return;
    }
    const platform::MessageResult answer = platform::messages().showMessage(
        QStringLiteral("Are you sure you want to delete the exception '") + item->text() +
            QStringLiteral("'?"),
        kTitle, platform::MessageIcon::Question, platform::MessageButtons::YesNo);
    if (answer == platform::MessageResult::Yes) {
        delete item;
    }
}

}  // namespace mainwindow
