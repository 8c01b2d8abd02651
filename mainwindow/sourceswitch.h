// The two file sources side by side: the switch between the Directory source and the Free
// Select source (which controls each shows), the selection count of the active list, the
// layout of the file-source area as the window grows, the placeholder rows, and the Free
// Select list's thumbnails.
#pragma once

#include <QObject>
#include <QString>

#include <initializer_list>

#include "filelists/thumbnails.h"
#include "mainwindow/placeholder.h"

class QMainWindow;
class QWidget;

namespace settings {
struct ProgramSettings;
}

namespace mainwindow {

struct Controls;
struct WindowState;

class SourceSwitch : public QObject {
    Q_OBJECT
public:
    // `window` is the main window, whose client area the file-source area fills; `status`
    // writes the selection count and the thumbnail run's texts.
    SourceSwitch(QMainWindow& window, Controls& ui, WindowState& state,
                 const settings::ProgramSettings& settings,
                 filelists::SourceImages& freeSelectImages, filelists::StatusPanels status);

    // Connects the controls this controller handles; the window calls it once, before the
    // settings are loaded, so the loader's writes run the handlers as a user's changes would.
    void connectHandlers();

    // The file-source tab handler: shows the controls of the chosen source.
    void tabStripFilemodeClick();
    // Chooses a source tab by key; the switch runs once, whether or not the tab changed.
    void selectFileSourceTab(const QString& key);
    // Counts the selection of the active list; force -1 counts even while busy.
    void updateSelectedCount(int force);
    // The file-source area grows with the window; the options column keeps its place.
    void layoutFileSource();
    void chkThumbnailsFreeSelectClick();
    // The thumbnail run over the Free Select list (the box and the run's rebuild both start it).
    void generateFreeSelectThumbnails();

signals:
    // A source tab was chosen (again or anew) and its controls show.
    void sourceChanged();
    // The selection was counted while "Only Rename Selected" is in force: the validation,
    // which reads the count, follows it.
    void selectionCounted();

private:
    void paintInput(QWidget* input, bool enabled);
    static void setShown(std::initializer_list<QWidget*> widgets, bool shown);

    QMainWindow& window_;
    Controls& ui_;
    WindowState& state_;
    const settings::ProgramSettings& settings_;
    filelists::SourceImages& freeSelectImages_;
    filelists::StatusPanels status_;
};

}  // namespace mainwindow
