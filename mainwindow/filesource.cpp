#include "mainwindow/filesource.h"

#include <QApplication>

#include "filelists/thumbnails.h"
#include "mainwindow/focuskeeper.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/modepanels.h"
#include "platform/widgets/busy.h"
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

FileSource::FileSource(FrmMain& window) : window_(window), ui_(window.ui()) {}

void FileSource::tabStripFilemodeClick() {
    WindowState& state = window_.state();
    const settings::ProgramSettings& settings = window_.settings();
    const QString key = window_.fileModeTabKey();
    QWidget* focusTarget = nullptr;
    if (key == QLatin1String("listview")) {
        state.fileMode = 0;
        const bool tree = settings.enableTreeview != 0 && vbValue(ui_.chkShowTreeview) == 1;
        setShown({ui_.lwDragDrop, ui_.cmdDragDropAdd, ui_.cmdDragDropDel, ui_.cmdDragDropClear,
                  ui_.chkThumbnailsFreeSelect},
                 false);
        ui_.TreeView->setVisible(tree);
        ui_.lwDirectory->setVisible(!tree);
        (tree ? static_cast<QWidget*>(ui_.TreeView) : ui_.lwDirectory)->raise();
        ui_.cmdRefresh->setVisible(true);
        ui_.cmdParentDir->setVisible(true);
        ui_.cmdShowDirReq->setVisible(true);
        ui_.chkShowTreeview->setVisible(settings.enableTreeview != 0);
        ui_.chkThumbnails->setVisible(true);
        for (QWidget* input : std::initializer_list<QWidget*>{ui_.txtPath, ui_.txtPattern}) {
            input->setEnabled(true);
            paintInput(input, true);
            input->setVisible(true);
        }
        // The pattern box filters nothing while neither pattern setting is on.
        ui_.txtPattern->setEnabled(settings.usePatternForFiles != 0 ||
                                   settings.usePatternForDirs != 0);
        ui_.chkFiles->setEnabled(true);
        ui_.chkSub->setEnabled(true);
        ui_.chkDirs->setEnabled(state.dirsAllowed);
        // Back in the Directory source the user picks the folder next.
        focusTarget = ui_.txtPath;
    } else if (key == QLatin1String("dragdrop")) {
        state.fileMode = 1;
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
    window_.modePanels().optionsChanged();
    if (state.windowReady && focusTarget && window_.isEnabled()) {
        focusTarget->setFocus();
    }
}

void FileSource::selectFileSourceTab(const QString& key) {
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

void FileSource::setShown(std::initializer_list<QWidget*> widgets, bool shown) {
    for (QWidget* widget : widgets) {
        widget->setVisible(shown);
    }
}

void FileSource::paintInput(QWidget* input, bool enabled) {
    // Disabled inputs take the face colour of buttons, enabled ones that of windows.
    QPalette palette = input->palette();
    const QPalette system = QApplication::palette();
    palette.setColor(QPalette::Base, system.color(enabled ? QPalette::Base : QPalette::Button));
    input->setPalette(palette);
}

void FileSource::updateSelectedCount(int force) {
    WindowState& state = window_.state();
    state.selectionRecountPending = false;
    // Not in the middle of a read or a run, whose loops yield to the event loop.
    if (platform::isBusy() && force != -1) {
        return;
    }
    const int source = state.fileMode == 1 ? 1 : 0;
    if (state.lstFiles[source].isEmpty() && state.lstDirs[source].isEmpty()) {
        window_.setPanelText(QStringLiteral("selected"), QString());
        return;
    }
    qsizetype count = 0;
    const QString key = window_.fileModeTabKey();
    if (key == QLatin1String("listview")) {
        count = ui_.lwDirectory->selectedRows().size();
    } else if (key == QLatin1String("dragdrop")) {
        count = ui_.lwDragDrop->selectedRows().size();
    }
    window_.setPanelText(QStringLiteral("selected"),
                         count == 1 ? QStringLiteral("1 item selected...")
                                    : QStringLiteral("%1 items selected...").arg(count));
    state.selectedCount = static_cast<int>(count);
    state.onlySelectedInForce = vbValue(ui_.chkOnlyRenameSelected) == 1 &&
                                (!window_.settings().enableRenameAllIfNoneSelected || count != 0);
    if (state.onlySelectedInForce) {
        window_.modePanels().optionsChanged();
    }
}

void FileSource::layoutFileSource() {
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

void FileSource::generateFreeSelectThumbnails() {
    filelists::generateThumbnailsFreeSel({*ui_.lwDragDrop, window_.sourceImages(1),
                                          filelists::iconOptions(window_.settings(), true),
                                          &window_, window_.folderSource().statusAccess()});
}

void FileSource::chkThumbnailsFreeSelectClick() {
    QCheckBox* box = ui_.chkThumbnailsFreeSelect;
    platform::ListView* list = ui_.lwDragDrop;
    if (showsPlaceholder(list)) {
        setVbValue(box, 0);
        return;
    }
    filelists::SourceImages& images = window_.sourceImages(1);
    if (vbValue(box) != 0) {
        ui_.chkPreview->setEnabled(false);
        list->setView(platform::ListView::View::LargeIcon);
        if (!images.thumbsComplete) {
            window_.state().stopPreview();
            const FocusKeeper focus(&window_);
            generateFreeSelectThumbnails();
        }
    } else {
        ui_.chkPreview->setEnabled(true);
        list->setView(platform::ListView::View::Report);
    }
}

}  // namespace mainwindow
