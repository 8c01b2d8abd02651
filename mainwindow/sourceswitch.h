// The two file sources side by side: the switch between the Directory source and the Free
// Select source (which controls each shows), the selection count of the active list, the
// layout of the file-source area as the window grows, the placeholder rows, and the Free
// Select list's thumbnails.
#pragma once

#include <QString>

#include <initializer_list>

#include "mainwindow/placeholder.h"

class QWidget;

namespace mainwindow {

class FrmMain;
struct Controls;

class SourceSwitch {
public:
    explicit SourceSwitch(FrmMain& window);

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

private:
    void paintInput(QWidget* input, bool enabled);
    static void setShown(std::initializer_list<QWidget*> widgets, bool shown);

    FrmMain& window_;
    Controls& ui_;
};

}  // namespace mainwindow
