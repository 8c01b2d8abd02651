#include "mainwindow/placeholder.h"

#include <QFont>

#include "platform/widgets/listview.h"

namespace mainwindow {

void showPlaceholder(platform::ListView* list, const QString& text) {
    list->setView(platform::ListView::View::SmallIcon);
    QFont placeholderFont(QStringLiteral("Arial"));
    placeholderFont.setPointSize(10);
    placeholderFont.setItalic(true);
    placeholderFont.setBold(true);
    list->setFont(placeholderFont);
    list->setLabelEdit(platform::ListView::LabelEdit::Manual);
    list->clear();
    platform::ListRow row;
    row.texts = QStringList{text};
    row.placeholder = true;
    list->addRow(row);
    list->clearSelection();
}

bool showsPlaceholder(const platform::ListView* list) {
    return list->font().bold();
}

}  // namespace mainwindow
