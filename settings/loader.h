// Loading the whole saved state at start-up: every settings key into the program-wide
// settings or straight into a control of the main window, the command line, the text lists
// and the folder history. Runs once, before the main window is ready.
#pragma once

#include <QDate>
#include <QSize>
#include <QStringList>
#include <QTime>

#include "engine/lists.h"
#include "settings/commandline.h"
#include "settings/controlsink.h"
#include "settings/programsettings.h"
#include "settings/store.h"

namespace settings {

struct LoadInput {
    QStringList arguments;  // the program's arguments without its own path
    QSize screenTwips;      // the screen's size in twips, for the centring defaults
    QDate today;            // default of dtDate
    QTime now;              // default of dtTime
    QString programFolder;  // where the text lists lie, ending with "/"
};

struct LoadedState {
    ProgramSettings settings;
    engine::TextLists lists;
    CommandLine commandLine;
};

// Never fails towards its caller: failing steps are skipped, and at most one line
// "Error N (text) Error loading settings!" reports the last failure after the last arming. A
// settings file that could not be read (every key then takes its default) counts as the last
// failure, error 75.
LoadedState loadSettings(const SettingsStore& store, ControlSink& controls, const LoadInput& input);

}  // namespace settings
