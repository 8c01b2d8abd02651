#include "mainwindow/widgetvalues.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMetaObject>

namespace mainwindow {

int vbValue(const QCheckBox* box) {
    switch (box->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

bool setVbValue(QCheckBox* box, int value) {
    switch (value) {
        case 0:
            box->setCheckState(Qt::Unchecked);
            return true;
        case 1:
            box->setCheckState(Qt::Checked);
            return true;
        case 2:
            box->setTristate(true);
            box->setCheckState(Qt::PartiallyChecked);
            return true;
        default:
            return false;
    }
}

QString labelCaption(const QString& stored) {
    QString shown;
    shown.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored.at(i) == QLatin1Char('&')) {
            if (i + 1 < stored.size() && stored.at(i + 1) == QLatin1Char('&')) {
                shown += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        shown += stored.at(i);
    }
    return shown;
}

void selectAllOnFocus(QLineEdit* box) {
    box->setSelection(0, static_cast<int>(box->text().size()));
    QMetaObject::invokeMethod(
        box,
        [box] {
            if (box->hasFocus()) {
                box->selectAll();
            }
        },
        Qt::QueuedConnection);
}

bool leavesForGood(const QEvent* event) {
    if (event->type() != QEvent::FocusOut) {
        return false;
    }
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace mainwindow
