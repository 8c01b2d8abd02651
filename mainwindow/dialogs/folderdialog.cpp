#include "mainwindow/dialogs/folderdialog.h"

#include <QDialogButtonBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTreeView>
#include <QVBoxLayout>

#include "mainwindow/dialogs/foldertree.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"

namespace mainwindow {

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

    // A start folder that is not there selects nothing (the tree opens at its top) and opens no
    // way into dot folders.
    const bool startIsFolder = startFolder.startsWith(u'/') &&
                               platform::fs::isDirectory(platform::nativePath(startFolder));
    model_ = new FolderTree(startIsFolder ? startFolder : QString(), this);

    tree_ = new QTreeView(this);
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setUniformRowHeights(true);
    tree_->setAnimated(false);
    connect(tree_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { showStatus(); });

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

    if (startIsFolder) {
        selectStartFolder(startFolder);
    }
    tree_->setFocus();
}

void FolderBrowser::selectStartFolder(const QString& startFolder) {
    // Reads the folders on the way, which the model shows whatever their names.
    const QModelIndex index = model_->index(startFolder);
    if (index.isValid()) {
        selectFolder(index);
    }
}

void FolderBrowser::selectFolder(const QModelIndex& index) {
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent()) {
        tree_->expand(above);
    }
    tree_->setCurrentIndex(index);
    tree_->selectionModel()->select(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    showStatus();
}

QString FolderBrowser::selectedPath() const {
    const QModelIndexList rows = tree_->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : model_->filePath(rows.first());
}

void FolderBrowser::showStatus() {
    const QString path = selectedPath();
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

void FolderBrowser::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Until the dialog is first shown the tree has no size of its own to centre the start
    // folder in.
    if (!shown_) {
        shown_ = true;
        const QModelIndexList rows = tree_->selectionModel()->selectedRows();
        if (!rows.isEmpty()) {
            tree_->scrollTo(rows.first(), QAbstractItemView::PositionAtCenter);
        }
    }
}

void FolderBrowser::accept() {
    // The model's path is the folder's own bytes in the program's reading: nothing to look up.
    const QString path = selectedPath();
    if (path.isEmpty()) {
        return;
    }
    chosen_ = path;
    QDialog::accept();
}

}  // namespace mainwindow
