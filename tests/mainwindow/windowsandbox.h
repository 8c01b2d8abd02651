// A fresh settings store, component registry and program folder for one main-window test, and
// helpers to start the window in it. The store is the user's store of the settings layer,
// pointed at this test's folder; everything goes back to the shared sandbox afterwards.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "mainwindow/foldersource.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/runcontroller.h"
#include "mainwindow/sourceswitch.h"
#include "settings/store.h"
#include "tests/support/fakemessages.h"
#include "tests/support/tempdir.h"

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace testsupport {

class WindowSandbox {
public:
    WindowSandbox() {
        for (const char* variable : {"XDG_CONFIG_HOME", "QUENZA_PROGRAM_DIR"}) {
            const char* value = std::getenv(variable);
            saved_.emplace_back(variable, value ? value : "");
        }
        setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
        setenv("QUENZA_PROGRAM_DIR", program_.path().c_str(), 1);
        // The user store's folder is fixed at its first use in the process; point it here.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(config_.path()));
    }
    ~WindowSandbox() {
        for (const auto& [variable, value] : saved_) {
            setenv(variable, value.c_str(), 1);
        }
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(saved_.front().second));
    }
    WindowSandbox(const WindowSandbox&) = delete;
    WindowSandbox& operator=(const WindowSandbox&) = delete;

    // Writes keys into the user store, as a previous run would have saved them.
    void store(std::initializer_list<std::pair<const char*, QString>> keys) const {
        settings::SettingsStore settings;
        for (const auto& [key, value] : keys) {
            settings.write(QString::fromUtf8(key), value);
        }
        ASSERT_TRUE(settings.sync().ok());
    }

    const TempDir& config() const { return config_; }
    const TempDir& program() const { return program_; }

private:
    TempDir config_;
    TempDir program_;
    std::vector<std::pair<const char*, std::string>> saved_;
};

// A test with its own store and a scripted message service.
class WindowTest : public ::testing::Test {
protected:
    std::unique_ptr<mainwindow::FrmMain> load(const QStringList& arguments = {}) {
        return std::make_unique<mainwindow::FrmMain>(arguments);
    }
    // Shows the window and lets its first activation run.
    std::unique_ptr<mainwindow::FrmMain> start(const QStringList& arguments = {}) {
        auto window = load(arguments);
        window->show();
        QApplication::processEvents();
        EXPECT_TRUE(window->state().windowReady);
        return window;
    }

    WindowSandbox sandbox;
    FakeMessages messages;
};

}  // namespace testsupport
