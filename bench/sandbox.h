// The benchmarks' own settings, program folder and home below a temporary folder, so a run by
// hand never reads or changes the user's files. Call before the QApplication exists.
#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

inline bool prepareBenchSandbox(const QTemporaryDir& work) {
    if (!work.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return false;
    }
    for (const char* sub : {"config", "program", "home"}) {
        QDir(work.path()).mkpath(QString::fromLatin1(sub));
    }
    setenv("XDG_CONFIG_HOME", qPrintable(work.path() + QStringLiteral("/config")), 1);
    setenv("QUENZA_PROGRAM_DIR", qPrintable(work.path() + QStringLiteral("/program")), 1);
    setenv("HOME", qPrintable(work.path() + QStringLiteral("/home")), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return true;
}
