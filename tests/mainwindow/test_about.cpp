// The About box: the lifetime totals, the two links, and every way of closing it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "mainwindow/dialogs/about.h"
#include "platform/widgets/documents.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using mainwindow::AboutBox;
using testsupport::WindowTest;

class AboutTest : public WindowTest {
protected:
    void TearDown() override { platform::setDocumentOpener({}); }

    // Clicks About and runs `inside` on the box once it is open; the box must close by itself
    // (the test's actions close it) or the guard closes it and fails.
    void openAbout(mainwindow::FrmMain& window, const std::function<void(AboutBox&)>& inside) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            ran = true;
            inside(*box);
            if (box->isVisible()) {
                QTimer::singleShot(0, box, [box] { box->reject(); });
                closedByItself = false;
            }
        });
        closedByItself = true;
        window.ui().cmdAbout->click();
        EXPECT_TRUE(ran);
    }
    static void click(QWidget* target) {
        const QPointF at(2, 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }

    bool closedByItself = true;
};

TEST_F(AboutTest, ShowsTheTotalsAndTheVersion) {
    sandbox.store({{"totNumberOfFilesRenamedNew", "3"}, {"totNumberOfDirsRenamedNew", "1"}});
    const auto window = start();
    openAbout(*window, [](AboutBox& box) {
        EXPECT_EQ(box.windowTitle(), QStringLiteral(" About Quenza Renamer"));
        EXPECT_EQ(box.totals()->text(),
                  QStringLiteral("You have renamed 3 files and 1 directories!"));
        EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), "v4.5");
        box.reject();
    });
}

TEST_F(AboutTest, LinksOpenAndLeaveTheBoxOpenAnythingElseClosesIt) {
    QStringList opened;
    platform::setDocumentOpener([&opened](const QString& link) { opened << link; });
    const auto window = start();
    openAbout(*window, [](AboutBox& box) {
        click(box.webLink());
        click(box.mailLink());
        EXPECT_TRUE(box.isVisible());
        click(box.totals());  // a text that is no link
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&box, &press);
    });
    EXPECT_TRUE(closedByItself);
    EXPECT_EQ(opened, QStringList({AboutBox::webAddress(), AboutBox::mailAddress()}));
    EXPECT_TRUE(AboutBox::mailAddress().startsWith("mailto:"));
    EXPECT_TRUE(AboutBox::mailAddress().endsWith("?Subject=Quenza Renamer"));
    EXPECT_TRUE(AboutBox::webAddress().endsWith("/script/redirect.asp?app=quenza"));

    for (const int key : {Qt::Key_Escape, Qt::Key_Return}) {
        openAbout(*window, [key](AboutBox& box) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(&box, &press);
        });
        EXPECT_TRUE(closedByItself) << key;
    }
}

}  // namespace
