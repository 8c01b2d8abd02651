// The About box: the program's name and version, how many files and folders all runs have
// renamed so far, and two links (the maker's page and a mail to the maker). A click anywhere
// but on a link closes it, and so do Enter and Escape.
#pragma once

#include <QDialog>

class QLabel;

namespace mainwindow {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(const QString& appName, const QString& appVersion, qint64 filesRenamed,
             qint64 dirsRenamed, QWidget* parent = nullptr);

    QLabel* totals() const { return totals_; }
    QLabel* webLink() const { return web_; }
    QLabel* mailLink() const { return mail_; }

    // The addresses the two links open.
    static QString webAddress();
    static QString mailAddress();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* totals_ = nullptr;
    QLabel* web_ = nullptr;
    QLabel* mail_ = nullptr;
};

}  // namespace mainwindow
