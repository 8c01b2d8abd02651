#include "runs/preview.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QPointer>
#include <QRandomGenerator>

#include <exception>
#include <new>
#include <stdexcept>
#include <vector>

#include "engine/log.h"
#include "filelists/imagelist.h"
#include "filelists/rowtext.h"
#include "platform/widgets/listview.h"
#include "runs/rename.h"

namespace runs {

namespace {

// Where a pass is, for the error line.
enum Step {
    kStepStart = 0,
    kStepRowCount = 3,
    kStepRowTop = 4,
    kStepReadRow = 5,
    kStepSplit = 6,
    kStepModeTab = 7,
    kStepMap = 15,
    kStepCompare = 16,
    kStepWrite = 17,
    kStepYield = 18,
};

int drawToken(int replaced) {
    // Never the value being replaced: a pass that resumes after a yield must see the change
    // even when the draw repeats its number.
    int token = 0;
    do {
        token = static_cast<int>(QRandomGenerator::global()->bounded(10000));
    } while (token == replaced);
    return token;
}

// The selection as one flag per row. Asking the selection model row by row costs a walk over
// its ranges each time, which a scattered selection of thousands of rows makes quadratic; the
// flags are rebuilt only when the selection or the rows change during a yield.
class SelectionFlags {
public:
    explicit SelectionFlags(platform::ListView* list) : list_(list) {
        auto stale = [this] { stale_ = true; };
        const QAbstractItemModel* model = list->model();
        connections_ = {
            QObject::connect(list, &platform::ListView::selectionChanged, stale),
            QObject::connect(model, &QAbstractItemModel::modelReset, stale),
            QObject::connect(model, &QAbstractItemModel::rowsInserted, stale),
            QObject::connect(model, &QAbstractItemModel::rowsRemoved, stale),
            QObject::connect(model, &QAbstractItemModel::rowsMoved, stale),
            QObject::connect(model, &QAbstractItemModel::layoutChanged, stale),
        };
    }
    ~SelectionFlags() {
        for (const QMetaObject::Connection& connection : connections_) {
            QObject::disconnect(connection);
        }
    }
    SelectionFlags(const SelectionFlags&) = delete;
    SelectionFlags& operator=(const SelectionFlags&) = delete;

    bool selected(int row) {
        if (stale_) {
            flags_.assign(static_cast<size_t>(list_->rowCount()), false);
            for (const QItemSelectionRange& range : list_->selectionModel()->selection()) {
                for (int r = range.top(); r <= range.bottom(); ++r) {
                    if (r >= 0 && r < static_cast<int>(flags_.size())) {
                        flags_[static_cast<size_t>(r)] = true;
                    }
                }
            }
            stale_ = false;
        }
        return row >= 0 && row < static_cast<int>(flags_.size()) &&
               flags_[static_cast<size_t>(row)];
    }

private:
    platform::ListView* list_;
    std::vector<bool> flags_;
    bool stale_ = true;
    std::vector<QMetaObject::Connection> connections_;
};

void logPassFailure(const engine::ErrorInfo& error, int step, const PreviewJob& job) {
    QString caption;
    try {
        caption = job.modeCaption ? job.modeCaption() : QString();
    } catch (...) {
        // The line is written without the caption.
    }
    engine::logFailure(error,
                       QStringLiteral("generatePreview: ERR=%1 TAB=%2").arg(step).arg(caption));
}

void runPass(const PreviewJob& job, int& step) {
    step = kStepStart;
    const PreviewShared& shared = job.shared;
    *shared.changeCount = 0;
    int sinceYield = 0;
    const int token = drawToken(*shared.runToken);
    *shared.runToken = token;
    const auto overtaken = [&] { return *shared.runToken != token || *shared.pending; };

    step = kStepRowCount;
    const QPointer<platform::ListView> list = job.list;
    const int rowCount = list->rowCount();
    SelectionFlags selection(list);

    for (int row = 0; row < rowCount; ++row) {
        step = kStepRowTop;
        // Rows vanish only together with a token change; the count check keeps a pass that
        // was not told from reading past the end.
        if (overtaken() || !list || row >= list->rowCount()) {
            return;
        }
        QString newText;
        QString name;
        if (job.renameEnabled && job.renameEnabled()) {
            step = kStepReadRow;
            name = list->text(row, filelists::kColumnName);
            const QString folder = list->text(row, filelists::kColumnFolder);
            const bool skipped =
                (job.onlySelectedInForce && job.onlySelectedInForce() &&
                 !selection.selected(row)) ||
                (job.skipGhostRows && list->row(row).smallImage == filelists::kDefaultGhostDir);
            if (!skipped && job.newName) {
                step = job.transformStep ? job.transformStep() : kStepModeTab;
                const QString computed = job.newName(folder, name);
                step = kStepMap;
                newText = computed.isEmpty() ? QString() : previewText(computed);
            }
        }

        step = kStepCompare;
        if (overtaken() || !list) {
            return;
        }
        if (newText == name) {
            newText.clear();
        }
        if (!newText.isEmpty()) {
            ++*shared.changeCount;
        }
        step = kStepWrite;
        list->setText(row, filelists::kColumnPreview, newText);

        step = kStepYield;
        if (++sinceYield == job.doEventsEvery) {
            sinceYield = 0;
            if (job.yield) {
                job.yield();
            } else {
                QCoreApplication::processEvents();
            }
        }
    }
}

}  // namespace

QString previewText(const QString& newName) {
    const TargetName target = parseNewName(newName);
    return target.valid ? target.text() : QString();
}

void generatePreview(const PreviewJob& job) {
    if (!job.list || !job.shared.pending || !job.shared.runToken || !job.shared.changeCount) {
        return;
    }
    int step = kStepStart;
    try {
        runPass(job, step);
    } catch (const engine::TransformFailure& failure) {
        logPassFailure(failure.error(), step, job);
    } catch (const std::bad_alloc&) {
        logPassFailure(engine::kOutOfMemory, step, job);
    } catch (const std::out_of_range& failure) {
        logPassFailure(
            {engine::kSubscriptOutOfRange.number, QString::fromLocal8Bit(failure.what())}, step,
            job);
    } catch (const std::exception& failure) {
        logPassFailure({engine::kInvalidArgument.number, QString::fromLocal8Bit(failure.what())},
                       step, job);
    } catch (...) {
        logPassFailure(engine::kInvalidArgument, step, job);
    }
}

}  // namespace runs
