#include "mainwindow/dialogs/filesdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

#include <string>
#include <vector>

#include "filelists/rowtext.h"
#include "filelists/sysicons.h"
#include "mainwindow/dialogs/foldertree.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "platform/widgets/unattended.h"

namespace mainwindow {

namespace fs = platform::fs;

namespace {

// The native name of a listed file: the bytes on disk, whatever the shown text makes of them.
constexpr int kNameRole = Qt::UserRole;

QLabel* captionFor(QWidget* control, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(control);
    control->setAccessibleName(QString(caption).remove(QLatin1Char('&')).remove(u':'));
    return label;
}

}  // namespace

QStringList FilesDialog::chooseFiles(QWidget* owner, const QString& title,
                                     const QString& startFolder) {
    if (platform::nobodyCanAnswer()) {
        return {};
    }
    FilesBrowser browser(owner, title, startFolder);
    if (browser.exec() != QDialog::Accepted) {
        return {};
    }
    return browser.chosenFiles();
}

FilesBrowser::FilesBrowser(QWidget* owner, const QString& title, const QString& startFolder)
    : QDialog(owner) {
    setWindowTitle(title);

    // The tree opens a way into the start folder even through dot folders, as the folder
    // dialog does; a start folder that is gone opens its nearest folder above.
    QString start = startFolder.startsWith(u'/') ? startFolder : QStringLiteral("/");
    while (start.size() > 1 && !fs::isDirectory(platform::nativePath(start))) {
        const qsizetype slash = start.lastIndexOf(u'/');
        start = slash <= 0 ? QStringLiteral("/") : start.left(slash);
    }
    model_ = new FolderTree(start, this);

    folders_ = new QTreeView(this);
    folders_->setModel(model_);
    folders_->setHeaderHidden(true);
    folders_->setSelectionMode(QAbstractItemView::SingleSelection);
    folders_->setUniformRowHeights(true);
    folders_->setAnimated(false);
    connect(folders_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                folder_ = model_->filePath(current);
                listFiles();
            });

    files_ = new QListWidget(this);
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    files_->setUniformItemSizes(true);
    connect(files_, &QListWidget::itemSelectionChanged, this,
            [this] { open_->setEnabled(!files_->selectedItems().isEmpty()); });
    connect(files_, &QListWidget::itemDoubleClicked, this, &FilesBrowser::accept);

    // Every file is listed: the one type there is.
    types_ = new QComboBox(this);
    types_->addItem(QStringLiteral("All Files"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    open_ = buttons->button(QDialogButtonBox::Open);
    open_->setText(QStringLiteral("Open"));
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    cancel_->setText(QStringLiteral("Cancel"));
    open_->setDefault(true);
    open_->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &FilesBrowser::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FilesBrowser::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(captionFor(folders_, QStringLiteral("F&olders:"), this), 0, 0);
    layout->addWidget(captionFor(files_, QStringLiteral("&Files:"), this), 0, 1);
    layout->addWidget(folders_, 1, 0);
    layout->addWidget(files_, 1, 1);
    auto* typesRow = new QHBoxLayout;
    typesRow->addWidget(captionFor(types_, QStringLiteral("Files of &type:"), this));
    typesRow->addWidget(types_, 1);
    layout->addLayout(typesRow, 2, 0, 1, 2);
    layout->addWidget(buttons, 3, 0, 1, 2);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 3);

    const int em = fontMetrics().height();
    resize(em * 40, em * 26);

    showFolder(start);
    files_->setFocus();
}

bool FilesBrowser::showFolder(const QString& path) {
    const QModelIndex index = model_->index(path);
    if (!index.isValid()) {
        return false;
    }
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent()) {
        folders_->expand(above);
    }
    folders_->setCurrentIndex(index);
    folders_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    return true;
}

void FilesBrowser::listFiles() {
    files_->clear();
    if (folder_.isEmpty()) {
        return;
    }
    const std::string folder = platform::nativePath(folder_);
    std::vector<std::string> names;
    // A folder that cannot be read simply lists no files.
    if (const auto entries = fs::readFolder(folder)) {
        for (const fs::Entry& entry : entries.value()) {
            const std::string path =
                folder == "/" ? folder + entry.name : folder + '/' + entry.name;
            // Folders are in the tree; a link is a file unless it leads to a folder.
            if (entry.kind == fs::Kind::File ||
                (entry.kind == fs::Kind::Other && !fs::isDirectory(path))) {
                names.push_back(entry.name);
            }
        }
    }
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) {
        shown.append(platform::fromNativePath(name));
    }
    for (const qsizetype position : filelists::nameOrder(shown)) {
        auto* item = new QListWidgetItem(shown.at(position), files_);
        item->setIcon(QIcon(filelists::smallIconFor(shown.at(position), false)));
        const std::string& name = names[static_cast<std::size_t>(position)];
        item->setData(kNameRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    }
    open_->setEnabled(false);
}

void FilesBrowser::accept() {
    // The list's order, not the order of the clicks.
    QStringList chosen;
    const std::string folder = platform::nativePath(folder_);
    for (int row = 0; row < files_->count(); ++row) {
        const QListWidgetItem* item = files_->item(row);
        if (item->isSelected()) {
            const QByteArray name = item->data(kNameRole).toByteArray();
            chosen.append(platform::fromNativePath((folder == "/" ? folder : folder + '/') +
                                                   name.toStdString()));
        }
    }
    if (chosen.isEmpty()) {
        return;
    }
    chosen_ = chosen;
    QDialog::accept();
}

}  // namespace mainwindow
