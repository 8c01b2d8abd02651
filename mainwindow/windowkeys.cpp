#include "mainwindow/windowkeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMetaObject>
#include <QRadioButton>
#include <QTimeEdit>

#include "mainwindow/controltable.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/widgetvalues.h"
#include "platform/filesystem.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/documents.h"
#include "platform/widgets/listview.h"
#include "settings/conversions.h"
#include "settings/saver.h"
#include "settings/store.h"

namespace mainwindow {

namespace {

qint16 twips16(int pixels) {
    return settings::clampToInt16(static_cast<long long>(pixels) * kTwipsPerPixel);
}

}  // namespace

void WindowKeys::connectHandlers() {
    QObject::connect(ui_.cmdHelp, &QPushButton::clicked, &window_, [this] { formKeyF1(); });
}

void WindowKeys::formKeyF1() {
    const QString page = platform::programFolder() + QStringLiteral("help.html");
    // Handing the desktop a page that is not there would open nothing, or an error page of
    // some other program; a missing or unreadable page is reported here instead. Opening it
    // to check also refuses a folder or a pipe in its place without blocking.
    if (!platform::fs::ReadFile::open(platform::nativePath(page)).ok()) {
        platform::messages().showMessage(
            QStringLiteral("The help page is missing or cannot be read:\n\n") + page,
            window_.state().appName, platform::MessageIcon::Exclamation,
            platform::MessageButtons::Ok);
        return;
    }
    platform::openDocument(page);
}

void WindowKeys::formKeyF12() {
    window_.folderSource().cmdRefreshClick();
}

bool WindowKeys::queryUnload() const {
    return !platform::isBusy();
}

void WindowKeys::formUnload() {
    window_.state().startPath = ui_.txtPath->currentText();
    saveSettings();
}

void WindowKeys::saveSettings() {
    settings::ProgramSettings values = window_.settings();
    // What the window keeps in its own controls and run state goes into the copy to be saved.
    values.tabStripFilemode = static_cast<qint16>(ui_.TabStripFilemode->currentIndex() + 1);
    values.totNumberOfFilesRenamedNew = window_.runState().totNumberOfFilesRenamedNew;
    values.totNumberOfDirsRenamedNew = window_.runState().totNumberOfDirsRenamedNew;
    const struct {
        const platform::ListView* list;
        std::array<qint16, 8>& widths;
    } columns[] = {{ui_.lwDirectory, values.dirColWidth}, {ui_.lwDragDrop, values.dragColWidth}};
    for (const auto& column : columns) {
        const int count = std::min(column.list->columnCount(), 8);
        for (int i = 0; i < count; ++i) {
            column.widths[static_cast<std::size_t>(i)] = twips16(column.list->columnWidth(i));
        }
    }
    QStringList history;
    for (int i = 0; i < ui_.txtPath->count(); ++i) {
        history.append(ui_.txtPath->itemText(i));
    }
    settings::SettingsStore store;
    const settings::SaveInput input{values,          window_.state().startPath, history,
                                    window_.lists(), platform::programFolder(), {}};
    settings::saveSettings(store, *this, input);
}

void WindowKeys::formResize() {
    // Taken once the events of the change are through: a platform may pass through a normal
    // state on its way (moving a maximized window), which must not become the normal geometry.
    if (geometryPending_) {
        return;
    }
    geometryPending_ = true;
    QMetaObject::invokeMethod(
        &window_,
        [this] {
            geometryPending_ = false;
            rememberGeometry();
        },
        Qt::QueuedConnection);
}

void WindowKeys::rememberGeometry() {
    const Qt::WindowStates state = window_.windowState();
    if (state & Qt::WindowMinimized || !window_.state().windowReady) {
        return;
    }
    settings::ProgramSettings& values = window_.settings();
    if (!(state & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        // The outer frame, as the window is placed and sized on the screen.
        const QRect frame = window_.frameGeometry();
        values.Main_Top = twips16(frame.y());
        values.Main_Left = twips16(frame.x());
        values.Main_Height = twips16(frame.height());
        values.Main_Width = twips16(frame.width());
        values.Main_Maximized = 0;
    } else {
        values.Main_Maximized = 2;
    }
}

std::optional<int> WindowKeys::checkValue(const QString& name) const {
    if (const auto* box = window_.control<QCheckBox>(name)) {
        return vbValue(box);
    }
    return std::nullopt;
}

std::optional<QString> WindowKeys::textValue(const QString& name) const {
    if (const auto* box = window_.control<QLineEdit>(name)) {
        return box->text();
    }
    if (const auto* combo = window_.control<QComboBox>(name); combo && combo->isEditable()) {
        return combo->currentText();
    }
    return std::nullopt;
}

std::optional<int> WindowKeys::chosenOption(const QStringList& buttons) const {
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const auto* option = window_.control<QRadioButton>(buttons.at(i));
        if (!option) {
            return std::nullopt;
        }
        if (option->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::optional<int> WindowKeys::modeTabPosition() const {
    return ui_.TabStrip->currentIndex() + 1;
}

std::optional<QDate> WindowKeys::dateValue(const QString& name) const {
    if (const auto* picker = window_.control<QDateEdit>(name)) {
        return picker->date();
    }
    return std::nullopt;
}

std::optional<QTime> WindowKeys::timeValue(const QString& name) const {
    if (const auto* picker = window_.control<QTimeEdit>(name)) {
        return picker->time();
    }
    return std::nullopt;
}

std::optional<bool> WindowKeys::showsCheckBox(const QString& name) const {
    // The pickers show no check box of their own; the date and time boxes beside them say
    // whether each part is set.
    if (window_.control<QDateEdit>(name) || window_.control<QTimeEdit>(name)) {
        return false;
    }
    return std::nullopt;
}

}  // namespace mainwindow
