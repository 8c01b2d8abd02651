#include "mainwindow/windowkeys.h"

#include <QComboBox>
#include <QMetaObject>

#include "mainwindow/controls.h"
#include "mainwindow/controltable.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/widgetvalues.h"
#include "mainwindow/windowstate.h"
#include "platform/filesystem.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/documents.h"
#include "platform/widgets/listview.h"
#include "runs/runstate.h"
#include "settings/conversions.h"
#include "settings/programsettings.h"
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
            state_.appName, platform::MessageIcon::Exclamation, platform::MessageButtons::Ok);
        return;
    }
    platform::openDocument(page);
}

void WindowKeys::formKeyF12() {
    folders_.cmdRefreshClick();
}

bool WindowKeys::queryUnload() const {
    return !platform::isBusy();
}

void WindowKeys::formUnload() {
    state_.startPath = ui_.txtPath->currentText();
    saveSettings();
}

void WindowKeys::saveSettings() {
    settings::ProgramSettings values = settings_;
    // What the window keeps in its own controls and run state goes into the copy to be saved.
    values.tabStripFilemode = static_cast<qint16>(ui_.TabStripFilemode->currentIndex() + 1);
    values.totNumberOfFilesRenamedNew = runState_.totNumberOfFilesRenamedNew;
    values.totNumberOfDirsRenamedNew = runState_.totNumberOfDirsRenamedNew;
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
    const settings::SaveInput input{values, state_.startPath,          history,
                                    lists_, platform::programFolder(), {}};
    settings::saveSettings(store, inputs_, input);
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
    if (state & Qt::WindowMinimized || !state_.windowReady) {
        return;
    }
    settings::ProgramSettings& values = settings_;
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

}  // namespace mainwindow
