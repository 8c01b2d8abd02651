#include "mainwindow/widgetvalues.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QPointer>

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

namespace {

class CheckBoxAccessible : public QAccessibleWidget {
public:
    explicit CheckBoxAccessible(QCheckBox* box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

    QString text(QAccessible::Text kind) const override {
        // Qt names a box without a name of its own after the frame around it; a box reads
        // as its own caption.
        if (kind == QAccessible::Name) {
            const QString own = box()->accessibleName();
            return own.isEmpty() ? labelCaption(box()->text()) : own;
        }
        return QAccessibleWidget::text(kind);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        // Qt counts a grayed box as checked, the attribute run as "leave as it is".
        state.checked = box()->checkState() == Qt::Checked;
        state.checkStateMixed = box()->checkState() == Qt::PartiallyChecked;
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{toggleAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == toggleAction() || action == pressAction()) {
            box()->click();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

private:
    QCheckBox* box() const { return static_cast<QCheckBox*>(object()); }
};

QAccessibleInterface* checkBoxAccessible(const QString&, QObject* object) {
    if (auto* box = qobject_cast<QCheckBox*>(object)) {
        return new CheckBoxAccessible(box);
    }
    return nullptr;
}

}  // namespace

void describeCheckBoxesByTheirState() {
    static const bool installed = [] {
        QAccessible::installFactory(checkBoxAccessible);
        return true;
    }();
    (void)installed;
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

void leaveKeepingTheClick(const QEvent* event, const std::function<void()>& rule) {
    const bool byPress = event->type() == QEvent::FocusOut &&
                         static_cast<const QFocusEvent*>(event)->reason() == Qt::MouseFocusReason;
    const QPointer<QAbstractButton> pressed =
        byPress ? qobject_cast<QAbstractButton*>(QApplication::focusWidget()) : nullptr;
    rule();
    if (!pressed) {
        return;
    }
    QMetaObject::invokeMethod(
        pressed,
        [pressed] {
            if (pressed && pressed->isDown() &&
                !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
                pressed->setDown(false);
                pressed->click();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace mainwindow
