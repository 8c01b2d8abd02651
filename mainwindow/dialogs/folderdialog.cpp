#include "mainwindow/dialogs/folderdialog.h"

#include <QAbstractSlider>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/filesystem.h"
#include "platform/folderlist.h"
#include "platform/messages.h"
#include "platform/programfolder.h"

namespace mainwindow {

namespace {

const QString kRoot = QStringLiteral("/");

QString withoutTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(u'/')) {
        path.chop(1);
    }
    return path;
}

}  // namespace

QString FolderDialog::chooseFolder(QWidget* owner, const QString& title,
                                   const QString& startFolder) {
    FolderBrowser browser(owner, title, startFolder);
    if (browser.exec() != QDialog::Accepted) {
        return QString();
    }
    return browser.chosenFolder();
}

FolderBrowser::FolderBrowser(QWidget* owner, const QString& title, const QString& startFolder)
    : QDialog(owner) {
    setWindowTitle(QStringLiteral("Browse for Folder"));

    title_ = new QLabel(title, this);
    title_->setWordWrap(true);
    title_->setTextFormat(Qt::PlainText);

    model_ = new QFileSystemModel(this);
    // Hidden folders (dot names) are left out, as the desktop's file dialogs do by default: a
    // home folder holds dozens of them, which would bury the folders people work in. The
    // model still shows the ones on the start folder's path (it opens the way to a path it is
    // asked for), so a working folder inside one stays visible and can be chosen again.
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setReadOnly(true);

    tree_ = new QTreeView(this);
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column) {
        tree_->hideColumn(column);
    }
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setUniformRowHeights(true);
    tree_->setAnimated(false);
    connect(tree_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { selectionMoved(); });
    // Folders keep arriving (and the model sorts them) after the start folder was selected;
    // the view stays on it until the user takes over.
    const auto keepInView = [this] {
        if (followSelection_) {
            const QModelIndexList rows = tree_->selectionModel()->selectedRows();
            if (!rows.isEmpty()) {
                tree_->scrollTo(rows.first(), QAbstractItemView::PositionAtCenter);
            }
        }
    };
    connect(model_, &QAbstractItemModel::rowsInserted, this, keepInView);
    connect(model_, &QAbstractItemModel::layoutChanged, this, keepInView);
    for (QScrollBar* bar : {tree_->verticalScrollBar(), tree_->horizontalScrollBar()}) {
        connect(bar, &QAbstractSlider::actionTriggered, this, [this] { followSelection_ = false; });
    }

    status_ = new QLabel(this);
    status_->setTextFormat(Qt::PlainText);
    status_->setFrameShape(QFrame::StyledPanel);
    status_->setFrameShadow(QFrame::Sunken);
    // A long path is shortened in the middle to fit; it must never widen the dialog.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    status_->setMinimumHeight(status_->sizeHint().height());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(QStringLiteral("OK"));
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    cancel_->setText(QStringLiteral("Cancel"));
    ok_->setDefault(true);
    ok_->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderBrowser::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FolderBrowser::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(tree_, 1);
    layout->addWidget(status_);
    layout->addWidget(buttons);

    const int em = fontMetrics().height();
    resize(em * 22, em * 26);

    model_->setRootPath(kRoot);
    selectStartFolder(startFolder);
    tree_->setFocus();
}

void FolderBrowser::selectStartFolder(const QString& startFolder) {
    const std::string native = platform::nativePath(startFolder);
    // A start folder that is not there selects nothing: the tree opens at its top.
    if (!startFolder.startsWith(u'/') || !platform::fs::isDirectory(native)) {
        return;
    }
    // The model names folders as Qt reads them. Qt reads a name that is not UTF-8 with U+FFFD,
    // which names no file, and leaves such folders out of its listings: one of them, or a
    // folder below one, cannot be shown, and the nearest folder above it is selected instead.
    const QString qtPath = QDir::cleanPath(QFile::decodeName(QByteArray::fromStdString(native)));
    QModelIndex index = model_->index(qtPath);
    if (!index.isValid()) {
        const qsizetype unreadable = qtPath.indexOf(QChar::ReplacementCharacter);
        if (unreadable >= 0) {
            const QString above = qtPath.left(qtPath.lastIndexOf(u'/', unreadable));
            index = model_->index(above.isEmpty() ? kRoot : above);
        }
    }
    if (index.isValid()) {
        selectFolder(index);
    }
}

void FolderBrowser::selectFolder(const QModelIndex& index) {
    selectingByProgram_ = true;
    tree_->setCurrentIndex(index);
    tree_->selectionModel()->select(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    selectingByProgram_ = false;
    followSelection_ = true;
    showStatus();
}

void FolderBrowser::selectionMoved() {
    if (!selectingByProgram_) {
        followSelection_ = false;
    }
    showStatus();
}

QString FolderBrowser::selectedQtPath() const {
    const QModelIndexList rows = tree_->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return QString();
    }
    return withoutTrailingSlash(model_->filePath(rows.first()));
}

void FolderBrowser::showStatus() {
    const QString path = selectedQtPath();
    ok_->setEnabled(!path.isEmpty());
    // With nothing selected the line keeps the last folder it showed.
    if (!path.isEmpty()) {
        statusText_ = path;
    }
    status_->setToolTip(statusText_);
    const int room = status_->contentsRect().width() - 2 * status_->margin() - 4;
    status_->setText(status_->fontMetrics().elidedText(statusText_, Qt::ElideMiddle, room));
}

void FolderBrowser::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    showStatus();
}

void FolderBrowser::accept() {
    const QString path = selectedQtPath();
    if (path.isEmpty()) {
        return;
    }
    // A name Qt shows with U+FFFD holds that character, or bytes that are not UTF-8 in another
    // entry that reads the same; the folder's own bytes are looked up among its entries. When two
    // entries read alike neither can be told from the other: nothing is chosen, and the user
    // learns why.
    const platform::Result<QString> exact = platform::pathFromQtFileName(path);
    if (!exact.ok()) {
        platform::messages().showMessage(
            QStringLiteral("This folder cannot be chosen: ") +
                QString::fromUtf8(exact.reason().data(),
                                  static_cast<qsizetype>(exact.reason().size())) +
                QLatin1Char('.'),
            QStringLiteral("Quenza Renamer"), platform::MessageIcon::Exclamation,
            platform::MessageButtons::Ok);
    }
    chosen_ = exact.ok() ? *exact : QString();
    QDialog::accept();
}

}  // namespace mainwindow
