#include "mainwindow/sourceswitch.h"

#include <QApplication>
#include <QMainWindow>

#include "filelists/thumbnails.h"
#include "mainwindow/controls.h"
#include "mainwindow/focuskeeper.h"
#include "mainwindow/widgetvalues.h"
#include "mainwindow/windowstate.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "settings/programsettings.h"

namespace mainwindow {

SourceSwitch::SourceSwitch(QMainWindow& window, Controls& ui, WindowState& state,
                           const settings::ProgramSettings& settings,
                           filelists::SourceImages& freeSelectImages,
                           filelists::StatusPanels status)
    : window_(window),
      ui_(ui),
      state_(state),
      settings_(settings),
      freeSelectImages_(freeSelectImages),
      status_(std::move(status)) {}

void SourceSwitch::connectHandlers() {
    QObject::connect(ui_.TabStripFilemode, &QTabBar::currentChanged, &window_,
                     [this] { tabStripFilemodeClick(); });
    QObject::connect(ui_.chkThumbnailsFreeSelect, &QCheckBox::stateChanged, &window_,
                     [this] { chkThumbnailsFreeSelectClick(); });
}

void SourceSwitch::tabStripFilemodeClick() {
    const QString key = ui_.TabStripFilemode->currentKey();
    QWidget* focusTarget = nullptr;
    if (key == QLatin1String("listview")) {
        state_.fileMode = Source::Directory;
        const bool tree = settings_.enableTreeview != 0 && vbValue(ui_.chkShowTreeview) == 1;
        setShown({ui_.lwDragDrop, ui_.cmdDragDropAdd, ui_.cmdDragDropDel, ui_.cmdDragDropClear,
                  ui_.chkThumbnailsFreeSelect},
                 false);
        ui_.TreeView->setVisible(tree);
        ui_.lwDirectory->setVisible(!tree);
        (tree ? static_cast<QWidget*>(ui_.TreeView) : ui_.lwDirectory)->raise();
        ui_.cmdRefresh->setVisible(true);
        ui_.cmdParentDir->setVisible(true);
        ui_.cmdShowDirReq->setVisible(true);
        ui_.chkShowTreeview->setVisible(settings_.enableTreeview != 0);
        ui_.chkThumbnails->setVisible(true);
        for (QWidget* input : std::initializer_list<QWidget*>{ui_.txtPath, ui_.txtPattern}) {
            input->setEnabled(true);
            paintInput(input, true);
            input->setVisible(true);
        }
        // The pattern box filters nothing while neither pattern setting is on.
        ui_.txtPattern->setEnabled(settings_.usePatternForFiles != 0 ||
                                   settings_.usePatternForDirs != 0);
        ui_.chkFiles->setEnabled(true);
        ui_.chkSub->setEnabled(true);
        ui_.chkDirs->setEnabled(state_.dirsAllowed);
        // Back in the Directory source the user picks the folder next.
        focusTarget = ui_.txtPath;
    } else if (key == QLatin1String("dragdrop")) {
        state_.fileMode = Source::FreeSelect;
        setShown({ui_.lwDirectory, ui_.TreeView, ui_.cmdRefresh, ui_.cmdParentDir,
                  ui_.cmdShowDirReq, ui_.chkShowTreeview, ui_.chkThumbnails},
                 false);
        setShown({ui_.lwDragDrop, ui_.cmdDragDropAdd, ui_.cmdDragDropDel, ui_.cmdDragDropClear,
                  ui_.chkThumbnailsFreeSelect},
                 true);
        ui_.lwDragDrop->raise();
        // The folder row belongs to the Directory source; Free Select has no folder to show.
        for (QWidget* input : std::initializer_list<QWidget*>{ui_.txtPath, ui_.txtPattern}) {
            input->setEnabled(false);
            paintInput(input, false);
            input->setVisible(false);
        }
        for (QCheckBox* box : {ui_.chkFiles, ui_.chkDirs, ui_.chkSub}) {
            box->setEnabled(false);
        }
        focusTarget = ui_.lwDragDrop;
    }

    updateSelectedCount(0);
    emit sourceChanged();
    if (state_.windowReady && focusTarget && window_.isEnabled()) {
        focusTarget->setFocus();
    }
}

void SourceSwitch::selectFileSourceTab(const QString& key) {
    TabStrip* strip = ui_.TabStripFilemode;
    {
        const QSignalBlocker blocker(strip);
        for (int i = 0; i < strip->count(); ++i) {
            if (strip->tabKey(i) == key) {
                strip->setCurrentIndex(i);
            }
        }
    }
    tabStripFilemodeClick();
}

void SourceSwitch::setShown(std::initializer_list<QWidget*> widgets, bool shown) {
    for (QWidget* widget : widgets) {
        widget->setVisible(shown);
    }
}

void SourceSwitch::paintInput(QWidget* input, bool enabled) {
    // Disabled inputs take the face colour of buttons, enabled ones that of windows.
    QPalette palette = input->palette();
    const QPalette system = QApplication::palette();
    palette.setColor(QPalette::Base, system.color(enabled ? QPalette::Base : QPalette::Button));
    input->setPalette(palette);
}

void SourceSwitch::updateSelectedCount(int force) {
    state_.selectionRecountPending = false;
    // Not in the middle of a read or a run, whose loops yield to the event loop.
    if (platform::isBusy() && force != -1) {
        return;
    }
    if (state_.files(state_.fileMode).isEmpty() && state_.dirs(state_.fileMode).isEmpty()) {
        status_.setText(QStringLiteral("selected"), QString());
        return;
    }
    qsizetype count = 0;
    const QString key = ui_.TabStripFilemode->currentKey();
    if (key == QLatin1String("listview")) {
        count = ui_.lwDirectory->selectedRows().size();
    } else if (key == QLatin1String("dragdrop")) {
        count = ui_.lwDragDrop->selectedRows().size();
    }
    status_.setText(QStringLiteral("selected"),
                    count == 1 ? QStringLiteral("1 item selected...")
                               : QStringLiteral("%1 items selected...").arg(count));
    state_.selectedCount = static_cast<int>(count);
    state_.onlySelectedInForce = vbValue(ui_.chkOnlyRenameSelected) == 1 &&
                                 (!settings_.enableRenameAllIfNoneSelected || count != 0);
    if (state_.onlySelectedInForce) {
        emit selectionCounted();
    }
}

void SourceSwitch::layoutFileSource() {
    const QWidget* client = window_.centralWidget();
    const int clientWidth = client->width() * kTwipsPerPixel;
    const int clientHeight = client->height() * kTwipsPerPixel;
    constexpr int kLeft = 4560;
    constexpr int kTop = 120;
    constexpr int kMargin = 60;
    const int width = clientWidth - kLeft - kMargin;
    const int height = clientHeight - kTop - kMargin;
    ui_.TabStripFilemode->setGeometry(twipsRect(kLeft, kTop, width, height));
    for (QWidget* list :
         std::initializer_list<QWidget*>{ui_.lwDragDrop, ui_.TreeView, ui_.lwDirectory}) {
        const QPoint at = list->pos();
        list->setGeometry(at.x(), at.y(), twipsToPixels(width - 150), twipsToPixels(height - 800));
    }
    QComboBox* path = ui_.txtPath;
    path->resize(twipsToPixels(width - 1990), path->height());
    QLineEdit* pattern = ui_.txtPattern;
    pattern->move(path->x() + path->width() + twipsToPixels(100), pattern->y());
}

void SourceSwitch::generateFreeSelectThumbnails() {
    filelists::generateThumbnailsFreeSel({*ui_.lwDragDrop, freeSelectImages_,
                                          filelists::iconOptions(settings_, true), &window_,
                                          status_});
}

void SourceSwitch::chkThumbnailsFreeSelectClick() {
    QCheckBox* box = ui_.chkThumbnailsFreeSelect;
    platform::ListView* list = ui_.lwDragDrop;
    if (showsPlaceholder(list)) {
        setVbValue(box, 0);
        return;
    }
    if (vbValue(box) != 0) {
        ui_.chkPreview->setEnabled(false);
        list->setView(platform::ListView::View::LargeIcon);
        if (!freeSelectImages_.thumbsComplete) {
            state_.stopPreview();
            const FocusKeeper focus(&window_);
            generateFreeSelectThumbnails();
        }
    } else {
        ui_.chkPreview->setEnabled(true);
        list->setView(platform::ListView::View::Report);
    }
}

}  // namespace mainwindow
