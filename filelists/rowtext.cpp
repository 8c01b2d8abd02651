#include "filelists/rowtext.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/namescope.h"
#include "platform/errortext.h"
#include "platform/filesystem.h"
#include "platform/localetext.h"
#include "platform/programfolder.h"
#include "platform/stretches.h"

namespace filelists {

QString sizeKey(std::uint64_t bytes) {
    return QStringLiteral("%1").arg(bytes, kSizeKeyWidth, 10, QLatin1Char('0'));
}

QString attributeLetters(std::uint32_t attributes) {
    using namespace platform::fs;
    QString text(4, QLatin1Char('-'));
    if ((attributes & ReadOnly) != 0) {
        text[0] = QLatin1Char('R');
    }
    if ((attributes & Hidden) != 0) {
        text[1] = QLatin1Char('H');
    }
    if ((attributes & System) != 0) {
        text[2] = QLatin1Char('S');
    }
    if ((attributes & Archive) != 0) {
        text[3] = QLatin1Char('A');
    }
    return text;
}

QString attributeText(std::uint32_t attributes) {
    return u'[' + attributeLetters(attributes) + u']';
}

QString changeDateText(const QDateTime& modified) {
    return platform::dateTimeText(modified.toLocalTime());
}

QString extensionText(const QString& name) {
    return engine::splitExtension(name).extension;
}

QString typeText(bool isDirectory) {
    return isDirectory ? QStringLiteral("Dir") : QStringLiteral("File");
}

QStringView folderPart(const QString& fullPath) {
    return QStringView(fullPath).left(fullPath.lastIndexOf(u'/') + 1);
}

PathParts splitPath(const QString& fullPath) {
    const QStringView folder = folderPart(fullPath);
    const qsizetype slash = folder.size() - 1;
    // Paths come folder by folder: the rows, the run and the undo split tens of thousands of
    // paths of one folder, which then share one copy of its text instead of one copy each.
    thread_local QString lastFolder;
    if (folder != lastFolder) {
        lastFolder = folder.toString();
    }
    return {lastFolder, fullPath.mid(slash + 1)};
}

QList<qsizetype> nameOrder(const QStringList& names) {
    return nameOrder(names.size(), [&names](qsizetype i) -> const QString& { return names.at(i); });
}

QList<qsizetype> nameOrder(qsizetype total,
                           const std::function<const QString&(qsizetype)>& nameAt) {
    // One key per name, so the sort compares keys instead of collating the texts again on
    // every comparison. Making the keys is most of the work; a long list has them made by a
    // few threads at once, each with a collator of its own.
    const QLocale locale;
    const auto makeKeys = [&](qsizetype from, qsizetype to, std::vector<QCollatorSortKey>& out) {
        QCollator collator{locale};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        out.reserve(static_cast<std::size_t>(to - from));
        // Folded first: the collation of the C and POSIX locales heeds letter case whatever
        // it is told, and the order must ignore case in every locale, as the tree's does.
        for (qsizetype i = from; i < to; ++i) {
            out.push_back(collator.sortKey(nameAt(i).toCaseFolded()));
        }
    };
    constexpr qsizetype kNamesPerThread = 4096;
    // Asking for the cores reads a file under /sys: not for a list too short to share out.
    const qsizetype parts =
        total / kNamesPerThread <= 1
            ? 1
            : std::clamp<qsizetype>(
                  std::min<qsizetype>(total / kNamesPerThread, platform::coreCount()), 1, 8);
    std::vector<std::vector<QCollatorSortKey>> pieces(static_cast<std::size_t>(parts));
    std::vector<std::thread> helpers;
    for (qsizetype part = 1; part < parts; ++part) {
        try {
            helpers.emplace_back(makeKeys, total * part / parts, total * (part + 1) / parts,
                                 std::ref(pieces[static_cast<std::size_t>(part)]));
        } catch (const std::system_error&) {
            makeKeys(total * part / parts, total * (part + 1) / parts,
                     pieces[static_cast<std::size_t>(part)]);
        }
    }
    makeKeys(0, total / parts, pieces[0]);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    // The keys stay where their threads made them; the sort looks at them by position.
    std::vector<const QCollatorSortKey*> keys;
    keys.reserve(static_cast<std::size_t>(total));
    for (const auto& piece : pieces) {
        for (const QCollatorSortKey& key : piece) {
            keys.push_back(&key);
        }
    }
    QList<qsizetype> order(total);
    for (qsizetype i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    // The files come from the read in an order most names collate in too: a list already in
    // order, which one look at each neighbour tells, keeps it without a sort.
    const auto before = [](const QCollatorSortKey* a, const QCollatorSortKey* b) {
        return a->compare(*b) < 0;
    };
    if (!std::is_sorted(keys.begin(), keys.end(), before)) {
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            return before(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]);
        });
    }
    return order;
}

platform::Result<EntryDetails> readEntryDetails(const QString& fullPath) {
    const std::string path = platform::nativePath(fullPath);
    const auto modifiedAt = [](const struct stat& st) {
        return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(st.st_mtim.tv_sec) * 1000 +
                                              st.st_mtim.tv_nsec / 1000000);
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int error = errno;
        // A link whose target is gone (or that loops) is still an entry of its folder: its row
        // shows what the folder listing gives it, no size and hidden only by its name.
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            EntryDetails details;
            details.modified = modifiedAt(link);
            details.attributes = platform::fs::baseName(path).starts_with('.')
                                     ? std::uint32_t{platform::fs::Hidden}
                                     : 0;
            return details;
        }
        return platform::systemFailure("cannot examine " + platform::quoted(path), error);
    }
    const auto attributes = platform::fs::attributes(path);
    if (!attributes) {
        return attributes.status();
    }
    EntryDetails details;
    details.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    details.modified = modifiedAt(st);
    details.attributes = *attributes;
    return details;
}

QStringList rowTexts(const QString& fullPath, bool isDirectory, const EntryDetails* details) {
    const PathParts parts = splitPath(fullPath);
    QStringList texts;
    texts.reserve(details ? kAllColumnCount : kBaseColumnCount);
    texts << parts.name << QString() << parts.folder;
    if (!details) {
        return texts;
    }
    texts << (isDirectory ? QString() : sizeText(details->size))
          << changeDateText(details->modified) << attributeText(details->attributes)
          << (isDirectory ? QString() : extensionText(parts.name)) << typeText(isDirectory)
          << (isDirectory ? QString() : sizeKey(details->size));
    return texts;
}

platform::Result<QStringList> readRowTexts(const QString& fullPath, bool isDirectory,
                                           bool withDetails) {
    if (!withDetails) {
        return rowTexts(fullPath, isDirectory, nullptr);
    }
    const auto details = readEntryDetails(fullPath);
    if (!details) {
        return details.status();
    }
    return rowTexts(fullPath, isDirectory, &*details);
}

}  // namespace filelists
