// The message boxes as a person meets them: Enter answers with the box's first button (Yes for
// the questions of Undo and of the deletes), and the whole title shows above a short text.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/widgets/qtmessages.h"

namespace {

using platform::MessageButtons;

TEST(MessageBoxTest, EnterPressesTheFirstButtonAndTheTitleIsWhole) {
    const struct {
        MessageButtons buttons;
        QMessageBox::StandardButtons shown;
        QMessageBox::StandardButton first;
    } cases[] = {
        {MessageButtons::Ok, QMessageBox::Ok, QMessageBox::Ok},
        {MessageButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok},
        {MessageButtons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes},
        {MessageButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
         QMessageBox::Yes},
        {MessageButtons::RetryCancel, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::defaultButtonOf(c.buttons), c.first);
        // Built as the message service builds its boxes, without waiting for an answer.
        QMessageBox box;
        box.setWindowTitle(QStringLiteral("Quenza Renamer"));
        box.setText(QStringLiteral("Undo last operation?"));
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(c.shown);
        box.setDefaultButton(platform::defaultButtonOf(c.buttons));
        platform::fitTitle(box);
        box.show();
        QApplication::processEvents();
        QAbstractButton* first = box.button(c.first);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), first);
        EXPECT_TRUE(first->hasFocus());
        EXPECT_GT(box.width(), box.fontMetrics().horizontalAdvance(box.windowTitle()) + 60);
    }
}

}  // namespace
