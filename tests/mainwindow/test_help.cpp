// F1 and the Help button: the help page beside the program is opened, a missing or unreadable
// one is reported instead; and the page shipped in data/ covers what the window offers.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QSet>

#include <functional>
#include <string>

#include "mainwindow/controltable.h"
#include "mainwindow/modetable.h"
#include "mainwindow/windowkeys.h"
#include "platform/widgets/documents.h"
#include "tests/mainwindow/windowsandbox.h"
#include "tests/support/fifoguard.h"

namespace {

using testsupport::TempDir;
using testsupport::WindowTest;

class HelpTest : public WindowTest {
protected:
    void SetUp() override {
        platform::setDocumentOpener([this](const QString& document) { opened << document; });
    }
    void TearDown() override { platform::setDocumentOpener({}); }

    QString helpPath() const { return QString::fromStdString(sandbox.program().file("help.html")); }

    // F1 wherever the focus is, then the Help button.
    static void askForHelp(mainwindow::FrmMain& window) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QApplication::processEvents();
        window.ui().cmdHelp->click();
    }

    QStringList opened;
};

TEST_F(HelpTest, F1AndTheHelpButtonOpenThePageBesideTheProgram) {
    sandbox.program().write("help.html", "<!DOCTYPE html><title>Help</title>");
    const auto window = start();
    askForHelp(*window);
    EXPECT_EQ(opened, QStringList({helpPath(), helpPath()}));
    EXPECT_TRUE(messages.shown.isEmpty());

    // A link to the page elsewhere is a page too.
    TempDir elsewhere;
    const std::string target = elsewhere.write("page.html", "<p>help</p>");
    ASSERT_EQ(::unlink(sandbox.program().file("help.html").c_str()), 0);
    ASSERT_EQ(::symlink(target.c_str(), sandbox.program().file("help.html").c_str()), 0);
    opened.clear();
    window->windowKeys().formKeyF1();
    EXPECT_EQ(opened, QStringList{helpPath()});
}

TEST_F(HelpTest, AMissingOrUnreadablePageIsReportedAndNothingOpens) {
    const std::string page = sandbox.program().file("help.html");
    const struct {
        const char* what;
        std::function<void()> prepare;
    } cases[] = {
        {"missing", [] {}},
        {"a folder", [&] { ASSERT_EQ(::mkdir(page.c_str(), 0700), 0); }},
        {"a dangling link",
         [&] { ASSERT_EQ(::symlink((page + ".gone").c_str(), page.c_str()), 0); }},
        {"a pipe", [&] { ASSERT_EQ(::mkfifo(page.c_str(), 0600), 0); }},
        {"unreadable",
         [&] {
             sandbox.program().write("help.html", "<p>help</p>");
             ASSERT_EQ(::chmod(page.c_str(), 0), 0);
         }},
    };
    const auto window = start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(QString::fromStdString(page)).removeRecursively();
        ::unlink(page.c_str());
        c.prepare();
        if (std::string(c.what) == "unreadable" && ::access(page.c_str(), R_OK) == 0) {
            continue;  // the superuser reads it all the same
        }
        messages.shown.clear();
        opened.clear();
        // A pipe must be refused, never opened (that would wait for a writer for ever).
        ASSERT_TRUE(testsupport::returnsWithoutHangingOn(
            page, false, [&] { window->windowKeys().formKeyF1(); }));
        window->ui().cmdHelp->click();

        EXPECT_TRUE(opened.isEmpty());
        ASSERT_EQ(messages.shown.size(), 2);
        for (const testsupport::ShownMessage& shown : messages.shown) {
            EXPECT_TRUE(shown.text.contains(helpPath())) << shown.text.toStdString();
            EXPECT_EQ(shown.title, QStringLiteral("Quenza Renamer"));
            EXPECT_EQ(shown.icon, platform::MessageIcon::Exclamation);
            EXPECT_EQ(shown.buttons, platform::MessageButtons::Ok);
        }
    }
    ::unlink(page.c_str());
}

// ---- The page shipped with the program ----

QString shippedPage() {
    // tests/mainwindow/ -> the project's root.
    const QDir root(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../..")));
    QFile file(root.filePath(QStringLiteral("data/help.html")));
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

// The text a reader sees: tags dropped, entities read, runs of white space made one blank.
QString visibleText(QString html) {
    html.remove(QRegularExpression(QStringLiteral("<style[^>]*>.*</style>"),
                                   QRegularExpression::DotMatchesEverythingOption));
    html.replace(QRegularExpression(QStringLiteral("<[^>]*>")), QStringLiteral(" "));
    html.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    html.replace(QStringLiteral("&hellip;"), QStringLiteral("..."));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return html.simplified();
}

// A caption as the window shows it: "&&" is one "&", blanks at either end do not show.
QString shownCaption(const char* caption) {
    return QString::fromUtf8(caption).replace(QStringLiteral("&&"), QStringLiteral("&")).trimmed();
}

TEST(ShippedHelpPage, IsAPlainSelfContainedPage) {
    const QString page = shippedPage();
    ASSERT_FALSE(page.isEmpty()) << "data/help.html cannot be read";
    EXPECT_TRUE(page.startsWith(QStringLiteral("<!DOCTYPE html>")));
    EXPECT_TRUE(page.contains(QStringLiteral("<title>Quenza Renamer Help</title>")));
    EXPECT_TRUE(page.contains(QStringLiteral("<meta charset=\"utf-8\">")));

    // Nothing is fetched and nothing runs: the page opens the same without a network.
    const QString lower = page.toLower();
    for (const char* banned : {"<script", "<link", "<img", "<iframe", "<object", "src=", "url(",
                               "@import", "http:", "https:", " on"}) {
        if (QLatin1String(banned) == QLatin1String(" on")) {
            EXPECT_FALSE(lower.contains(QRegularExpression(QStringLiteral("<[^>]*\\son\\w+="))));
        } else {
            EXPECT_FALSE(lower.contains(QLatin1String(banned))) << banned;
        }
    }

    // Elements are closed, and every link inside the page has its target.
    for (const char* element :
         {"html",  "head", "body", "nav", "style", "h1",   "h2", "h3",  "p",    "ul", "li",
          "table", "tr",   "th",   "td",  "pre",   "code", "b",  "kbd", "span", "a"}) {
        const QString name = QLatin1String(element);
        const auto opening = page.count(QRegularExpression(QStringLiteral("<%1[\\s>]").arg(name)));
        const auto closing = page.count(QStringLiteral("</%1>").arg(name));
        EXPECT_EQ(opening, closing) << element;
        EXPECT_GT(closing, 0) << element;
    }
    QSet<QString> ids;
    for (const auto& match :
         QRegularExpression(QStringLiteral("id=\"([^\"]+)\"")).globalMatch(page)) {
        EXPECT_FALSE(ids.contains(match.captured(1)))
            << "twice: " << match.captured(1).toStdString();
        ids.insert(match.captured(1));
    }
    for (const auto& match :
         QRegularExpression(QStringLiteral("href=\"([^\"]*)\"")).globalMatch(page)) {
        const QString target = match.captured(1);
        EXPECT_TRUE(target.startsWith(u'#') && ids.contains(target.mid(1))) << target.toStdString();
    }
}

TEST(ShippedHelpPage, DescribesEveryTabOptionTokenAndSwitch) {
    const QString text = visibleText(shippedPage());
    ASSERT_FALSE(text.isEmpty());
    const auto expectMentioned = [&](const QString& words, const char* what) {
        EXPECT_TRUE(text.contains(words, Qt::CaseInsensitive))
            << what << ": " << words.toStdString();
    };

    for (const mainwindow::TabDef& tab : mainwindow::tabTable()) {
        expectMentioned(shownCaption(tab.caption), "tab");
    }
    for (const mainwindow::ModeTab& tab : mainwindow::modeTabs()) {
        expectMentioned(shownCaption(tab.caption), "mode tab");
    }
    // Every option of the window by its caption; the buttons that show only a picture by
    // their tooltips, which is how people know them.
    for (const mainwindow::ControlDef& control : mainwindow::controlTable()) {
        using mainwindow::Kind;
        if (control.kind == Kind::CheckBox || control.kind == Kind::Option ||
            control.kind == Kind::Frame || control.kind == Kind::Button) {
            const QString caption = shownCaption(control.caption);
            if (!caption.isEmpty()) {
                expectMentioned(caption, control.name);
            }
        } else if (control.kind == Kind::PictureButton) {
            expectMentioned(shownCaption(control.tip), control.name);
        }
    }
    // Every token of the pickers, with its label, and every mode word of the command line.
    for (const mainwindow::TokenPickerDef& picker : mainwindow::tokenPickers()) {
        for (const QString& label : picker.entries()) {
            const qsizetype bracket = label.lastIndexOf(u'<');
            expectMentioned(label.mid(bracket), picker.picker);
            const QString name = label.left(bracket).simplified();
            if (!name.startsWith(QStringLiteral("Part "))) {  // "Part 1 ... Part 9" together
                expectMentioned(name, picker.picker);
            }
        }
    }
    for (const mainwindow::ModeWord& word : mainwindow::modeWords()) {
        expectMentioned(QString::fromUtf8(word.word), "mode word");
    }
    for (const char* words :
         {"/p", "/e", "/x", "QUENZA_PROGRAM_DIR", "exceptions.txt", "replace.txt", "filetypes.txt",
          "codecs.txt", "waveformats.txt", "log.txt", "errors.txt", "Quenza Renamer.ini"}) {
        expectMentioned(QString::fromUtf8(words), "beside the program");
    }
    for (const char* tab : {"General", "Interface", "Icons & Thumbnails", "File System",
                            "Exceptions", "Batch Replace"}) {
        expectMentioned(QString::fromUtf8(tab), "settings tab");
    }
    // The page describes this program as it is here.
    EXPECT_FALSE(text.contains(QStringLiteral("Windows")));
}

}  // namespace
