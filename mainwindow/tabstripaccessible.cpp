#include "mainwindow/tabstripaccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QTabBar>

#include <vector>

#include "mainwindow/widgetvalues.h"

namespace mainwindow {

namespace {

// The places of a tab bar that knows them, or null.
const TabPlaces* placesOf(const QTabBar* strip) {
    return dynamic_cast<const TabPlaces*>(strip);
}

// One tab: its caption, its drawn rectangle, and pressing it selects it.
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(QTabBar* strip, int index) : strip_(strip), index_(index) {}

    bool isValid() const override { return strip_ && placesOf(strip_) && index_ < strip_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return strip_ ? strip_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return strip_ ? QAccessible::queryAccessibleInterface(strip_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text kind) const override {
        if (!isValid()) {
            return {};
        }
        switch (kind) {
            case QAccessible::Name:
                return labelCaption(strip_->tabText(index_));
            case QAccessible::Description:
                return strip_->tabToolTip(index_);
            default:
                return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect area = placesOf(strip_)->tabArea(index_);
        return QRect(strip_->mapToGlobal(area.topLeft()), area.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.selected = strip_->currentIndex() == index_;
        state.disabled = !strip_->isTabEnabled(index_);
        state.invisible = !strip_->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (isValid() && action == pressAction()) {
            strip_->setCurrentIndex(index_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QTabBar> strip_;
    int index_;
};

// The strip: a page tab list whose children are the tabs where they are drawn.
class TabStripAccessible : public QAccessibleWidget {
public:
    explicit TabStripAccessible(QTabBar* strip)
        : QAccessibleWidget(strip, QAccessible::PageTabList) {}
    ~TabStripAccessible() override {
        for (const QAccessible::Id id : tabs_) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return strip()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= strip()->count()) {
            return nullptr;
        }
        while (static_cast<int>(tabs_.size()) <= index) {
            auto* tab = new TabAccessible(strip(), static_cast<int>(tabs_.size()));
            tabs_.push_back(QAccessible::registerAccessibleInterface(tab));
        }
        return QAccessible::accessibleInterface(tabs_[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < tabs_.size(); ++i) {
            if (QAccessible::accessibleInterface(tabs_[i]) == child) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const int index = placesOf(strip())->tabAtPoint(strip()->mapFromGlobal(QPoint(x, y)));
        return index < 0 ? nullptr : child(index);
    }
    QAccessibleInterface* focusChild() const override {
        return strip()->hasFocus() ? child(strip()->currentIndex()) : nullptr;
    }

private:
    QTabBar* strip() const { return static_cast<QTabBar*>(object()); }

    mutable std::vector<QAccessible::Id> tabs_;
};

}  // namespace

QAccessibleInterface* tabStripAccessible(const QString&, QObject* object) {
    if (auto* strip = qobject_cast<QTabBar*>(object); strip && placesOf(strip)) {
        return new TabStripAccessible(strip);
    }
    return nullptr;
}

}  // namespace mainwindow
