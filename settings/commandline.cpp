#include "settings/commandline.h"

#include <unistd.h>

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <string>

#include "engine/blanks.h"
#include "platform/filesystem.h"
#include "platform/folderlist.h"
#include "platform/programfolder.h"

namespace settings {

namespace {

enum class Switch { None, Path, Mode, Exit };

struct Token {
    Switch kind = Switch::None;  // None: a piece of text
    QString text;
};

// Every absolute path begins with "/", so a switch cannot be searched for inside the text
// ("/home/pete" holds "/p"): only whole arguments, or an argument that starts with the switch
// and a blank, are switches.
QList<Token> tokenize(const QStringList& arguments) {
    QList<Token> tokens;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("/p")) {
            tokens.append({Switch::Path, {}});
        } else if (argument == QLatin1String("/e")) {
            tokens.append({Switch::Mode, {}});
        } else if (argument == QLatin1String("/x")) {
            tokens.append({Switch::Exit, {}});
        } else if (argument.startsWith(QLatin1String("/p "))) {
            tokens.append({Switch::Path, {}});
            tokens.append({Switch::None, argument.mid(3)});
        } else if (argument.startsWith(QLatin1String("/e "))) {
            tokens.append({Switch::Mode, {}});
            tokens.append({Switch::None, argument.mid(3)});
        } else {
            tokens.append({Switch::None, argument});
        }
    }
    return tokens;
}

bool hasExitSwitch(const QList<Token>& tokens) {
    return std::any_of(tokens.begin(), tokens.end(),
                       [](const Token& t) { return t.kind == Switch::Exit; });
}

// The current folder, as the shell that started the program sees it; empty when it is gone.
QString currentFolder() {
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) {
            return QString();
        }
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return platform::fromNativePath(buffer);
}

// A path as the user typed it in a shell: relative to the current folder, with "." and ".."
// resolved, so the path box shows a real folder and Parent Directory can go up from it.
QString absolutePath(const QString& path) {
    if (path.startsWith(u'/')) {
        return path;
    }
    const QString current = currentFolder();
    if (current.isEmpty()) {
        return path;
    }
    QString absolute = QDir::cleanPath(current + u'/' + path);
    // cleanPath drops the trailing slash that marks a folder; the caller looks at it.
    if (path.endsWith(u'/') && !absolute.endsWith(u'/')) {
        absolute += u'/';
    }
    return absolute;
}

}  // namespace

bool givesExitSwitch(const QStringList& arguments) {
    return hasExitSwitch(tokenize(arguments));
}

CommandLine parseCommandLine(const QStringList& arguments, const QString& savedPath,
                             int startupInLastDir) {
    CommandLine result;
    const QList<Token> tokens = tokenize(arguments);
    result.exitSwitchGiven = hasExitSwitch(tokens);

    const bool hasPathOrMode = std::any_of(tokens.begin(), tokens.end(), [](const Token& t) {
        return t.kind == Switch::Path || t.kind == Switch::Mode;
    });

    QString path;
    if (hasPathOrMode) {
        // Text before the first switch and after "/x" is dropped; a later "/p" or "/e"
        // starts its text anew.
        Switch current = Switch::None;
        QStringList pathParts;
        QStringList modeParts;
        for (const Token& token : tokens) {
            switch (token.kind) {
                case Switch::Path:
                    current = Switch::Path;
                    pathParts.clear();
                    break;
                case Switch::Mode:
                    current = Switch::Mode;
                    modeParts.clear();
                    break;
                case Switch::Exit:
                    current = Switch::Exit;
                    result.cmdAutoExit = true;
                    break;
                case Switch::None:
                    if (current == Switch::Path) {
                        pathParts.append(token.text);
                    } else if (current == Switch::Mode) {
                        modeParts.append(token.text);
                    }
                    break;
            }
        }
        path = pathParts.join(u' ');
        result.cmdExecMode = engine::trimBlanks(modeParts.join(u' '));
    } else {
        // Without "/p" or "/e" the whole text is a path, and a "/x" in it is part of it.
        path = arguments.join(u' ');
    }

    if (!path.isEmpty()) {
        path = engine::trimBlanks(path);
        path.remove(u'"');
        if (!path.isEmpty()) {
            path = absolutePath(path);
        }
        if (!path.isEmpty() && !path.endsWith(u'/')) {
            if (platform::fs::isDirectory(platform::nativePath(path))) {
                path += u'/';
            } else {
                const qsizetype slash = path.lastIndexOf(u'/');
                result.pattern = path.mid(slash + 1);
                path = path.left(slash + 1);
            }
        }
        // The root stands where a lone backslash stood: no folder to open.
        if (path == QLatin1String("/")) {
            path.clear();
        }
        result.givenFolder = path;
        if (!path.isEmpty() && platform::canListFolder(path)) {
            result.startPath = path;
        }
    }

    // A path that was given but does not list starts without a folder; only when none was
    // given does the folder of the last session apply.
    if (path.isEmpty()) {
        QString candidate = startupInLastDir != 0 ? savedPath : QString();
        if (!candidate.isEmpty()) {
            candidate = platform::withTrailingSlash(candidate);
        }
        result.startPath =
            !candidate.isEmpty() && platform::canListFolder(candidate) ? candidate : QString();
        result.pattern.clear();
    }
    return result;
}

}  // namespace settings
