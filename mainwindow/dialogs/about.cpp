#include "mainwindow/dialogs/about.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "mainwindow/controltable.h"
#include "platform/widgets/documents.h"

namespace mainwindow {

namespace {

constexpr char kWebHost[] = "https://www.tessaly.example";
constexpr char kMail[] = "quenza@tessaly.example";

QLabel* label(QWidget* parent, const QString& text, const QRect& twips) {
    auto* shown = new QLabel(text, parent);
    shown->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return shown;
}

}  // namespace

QString AboutBox::webAddress() {
    return QString::fromLatin1(kWebHost) + QStringLiteral("/script/redirect.asp?app=quenza");
}

QString AboutBox::mailAddress() {
    return QStringLiteral("mailto:") + QString::fromLatin1(kMail) +
           QStringLiteral("?Subject=Quenza Renamer");
}

AboutBox::AboutBox(const QString& appName, const QString& appVersion, qint64 filesRenamed,
                   qint64 dirsRenamed, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral(" About ") + appName);
    setFixedSize(twipsToPixels(4695), twipsToPixels(3180));

    QLabel* name = label(this, appName, {120, 300, 1800, 1000});
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    name->setWordWrap(true);
    name->setAlignment(Qt::AlignCenter);
    QLabel* version = label(this, QStringLiteral("v") + appVersion, {120, 1320, 1800, 255});
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setAlignment(Qt::AlignCenter);
    label(this, QStringLiteral("Made by Tessaly"), {2040, 300, 2550, 255});
    label(this, QStringLiteral("Contact:"), {2040, 700, 2550, 255});
    mail_ = label(this, QString::fromLatin1(kMail), {2040, 960, 2550, 255});
    mail_->setObjectName(QStringLiteral("lblMail"));
    totals_ = label(this,
                    QStringLiteral("You have renamed %1 files and %2 directories!")
                        .arg(filesRenamed)
                        .arg(dirsRenamed),
                    {2040, 1400, 2550, 555});
    totals_->setObjectName(QStringLiteral("lblTotRenamed"));
    totals_->setWordWrap(true);
    web_ = label(this, QStringLiteral("www.tessaly.example"), {2040, 2100, 2550, 255});
    web_->setObjectName(QStringLiteral("lblWeb"));
    QLabel* rights = label(this, QStringLiteral("All rights reserved."), {120, 2880, 4455, 255});
    rights->setAlignment(Qt::AlignCenter);
    for (QLabel* link : {web_, mail_}) {
        QFont underlined = link->font();
        underlined.setUnderline(true);
        link->setFont(underlined);
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
    // Enter and Escape press a close button that is out of sight.
    auto* exit = new QPushButton(QStringLiteral("Close"), this);
    exit->setObjectName(QStringLiteral("cmdExit"));
    exit->setGeometry(width() + 1000, 0, 10, 10);
    exit->setDefault(true);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    // A click on any text but the two links reaches the box and closes it.
    for (QLabel* text : findChildren<QLabel*>()) {
        if (text != web_ && text != mail_) {
            text->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
    }
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    accept();
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && (watched == web_ || watched == mail_)) {
        platform::openLink(watched == web_ ? webAddress() : mailAddress());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace mainwindow
