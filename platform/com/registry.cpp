#include "platform/com/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "platform/asciicase.h"
#include "platform/errortext.h"

namespace com::registry {

using platform::quoted;
using platform::Status;
using platform::systemErrorText;
using platform::systemFailure;

namespace {

constexpr const char* kOrganisationFolder = "Tessaly";
constexpr const char* kFileName = "registry.txt";

struct Value {
    std::string name;  // "" is the key's default value
    std::string data;
};

struct Key {
    std::string path;  // as first spelt, parts joined by single backslashes
    std::vector<Value> values;
};

// In file order, so that a rewrite disturbs a hand-edited file as little as possible.
using Hive = std::vector<Key>;

// Letter case is folded for ASCII only; the registry's own folding covers more of Unicode, but
// every key and value name we write is plain ASCII.
bool sameText(std::string_view a, std::string_view b) {
    return platform::equalIgnoringAsciiCase(a, b);
}

// True for `key` itself and every key below it; "A\B" is not below "A\" + "BC".
bool isAtOrBelow(std::string_view path, std::string_view key) {
    if (path.size() < key.size() || !sameText(path.substr(0, key.size()), key)) {
        return false;
    }
    return path.size() == key.size() || path[key.size()] == '\\';
}

// "A\\B\" and "A\B" name the same key: empty parts are dropped.
std::string normalKey(std::string_view key) {
    std::string result;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find('\\', start);
        if (end == std::string_view::npos) {
            end = key.size();
        }
        if (end > start) {
            if (!result.empty()) {
                result += '\\';
            }
            result += key.substr(start, end - start);
        }
        start = end + 1;
    }
    return result;
}

Key* findKey(Hive& hive, std::string_view path) {
    for (Key& key : hive) {
        if (sameText(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

Value* findValue(Key& key, std::string_view name) {
    for (Value& value : key.values) {
        if (sameText(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

void assign(Key& key, const std::string& name, const std::string& data) {
    if (Value* existing = findValue(key, name)) {
        existing->data = data;
    } else {
        key.values.push_back({name, data});
    }
}

// The file format ---------------------------------------------------------------------------
// Like a .reg file: "[KEY\PATH]" opens a key, `"name"="value"` and `@="value"` give its values.
// Inside quotes, backslash, double quote, line feed and carriage return are escaped so that
// every value stays on one line.

std::string escaped(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    for (const char c : text) {
        switch (c) {
            case '\\':
                result += "\\\\";
                break;
            case '"':
                result += "\\\"";
                break;
            case '\n':
                result += "\\n";
                break;
            case '\r':
                result += "\\r";
                break;
            default:
                result += c;
        }
    }
    result += '"';
    return result;
}

// Reads a quoted string that begins at `pos`; leaves `pos` after the closing quote.
bool readQuoted(std::string_view line, std::size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') {
        return false;
    }
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos == line.size()) {
            return false;
        }
        const char next = line[pos];
        // A hand-written escape we do not know stands for the character itself.
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return false;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\r')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// `"name"="value"` or `@="value"`; nothing for a line of any other shape.
bool parseValueLine(std::string_view line, Value& value) {
    std::size_t pos = 0;
    if (line[0] == '@') {
        value.name.clear();
        pos = 1;
    } else if (!readQuoted(line, pos, value.name)) {
        return false;
    }
    while (pos < line.size() && isBlank(line[pos])) {
        ++pos;
    }
    if (pos == line.size() || line[pos] != '=') {
        return false;
    }
    ++pos;
    while (pos < line.size() && isBlank(line[pos])) {
        ++pos;
    }
    if (!readQuoted(line, pos, value.data)) {
        return false;
    }
    return trimmed(line.substr(pos)).empty();
}

// Lenient: blank lines, "; comments", a leading BOM and lines we cannot read are passed over,
// so that one bad hand edit does not hide every registration.
Hive parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    Hive hive;
    Key* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line[0] == '[') {
            current = nullptr;
            if (line.back() != ']') {
                continue;
            }
            const std::string path = normalKey(line.substr(1, line.size() - 2));
            if (path.empty()) {
                continue;
            }
            current = findKey(hive, path);
            if (!current) {
                hive.push_back({path, {}});
                current = &hive.back();
            }
            continue;
        }
        Value value;
        if (current && parseValueLine(line, value)) {
            assign(*current, value.name, value.data);
        }
    }
    return hive;
}

std::string serialise(const Hive& hive) {
    std::string text;
    for (const Key& key : hive) {
        if (!text.empty()) {
            text += '\n';
        }
        text += '[' + key.path + "]\n";
        for (const Value& value : key.values) {
            text += value.name.empty() ? std::string("@") : escaped(value.name);
            text += '=';
            text += escaped(value.data);
            text += '\n';
        }
    }
    return text;
}

// Files ---------------------------------------------------------------------------------------

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) {
        return home;
    }
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
        found->pw_dir) {
        return found->pw_dir;
    }
    return "/";
}

std::string folderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

// Reads the whole hive; a file (or folder) that does not exist yet holds nothing.
platform::Result<Hive> load(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            return Hive{};
        }
        return systemFailure("cannot open the registry file " + quoted(file), error);
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Status::failure("the registry file " + quoted(file) + " is not a regular file");
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            return systemFailure("cannot read the registry file " + quoted(file), error);
        }
        if (got == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return parse(text);
}

// Creates the folder and every missing folder above it.
Status makeFolders(const std::string& folder) {
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        const std::string part = folder.substr(0, pos);
        if (::mkdir(part.c_str(), 0777) == 0) {
            continue;
        }
        const int error = errno;
        struct stat info {};
        if (error == EEXIST && ::stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            continue;
        }
        if (error == EEXIST) {
            return Status::failure("cannot create the folder " + quoted(folder) + ": " +
                                   quoted(part) + " is not a folder");
        }
        return systemFailure("cannot create the folder " + quoted(folder), error);
    }
    return Status::success();
}

Status writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return systemFailure("cannot write", errno);
        }
        done += static_cast<std::size_t>(put);
    }
    return Status::success();
}

// Writes beside the file and renames over it, so that a reader sees the old hive or the new one
// and never half of one.
Status replaceFile(const std::string& file, const std::string& text) {
    const std::string folder = folderOf(file);
    std::string temp = folder + "/." + kFileName + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return systemFailure("cannot create a temporary file in " + quoted(folder), errno);
    }
    mode_t mode = 0644;
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    }
    Status status = writeAll(fd, text);
    if (status && ::fchmod(fd, mode) != 0) {
        status = systemFailure("cannot set the permissions of " + quoted(temp), errno);
    }
    if (status && ::fsync(fd) != 0) {
        status = systemFailure("cannot flush " + quoted(temp), errno);
    }
    if (::close(fd) != 0 && status) {
        status = systemFailure("cannot write " + quoted(temp), errno);
    }
    if (status && ::rename(temp.c_str(), file.c_str()) != 0) {
        status = systemFailure("cannot replace " + quoted(file), errno);
    }
    if (!status) {
        ::unlink(temp.c_str());
        return Status::failure("cannot save the registry: " + status.reason());
    }
    // The rename itself is durable only once the folder is flushed; the data already is.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Status::success();
}

// Holds an exclusive lock on the lock file beside the registry, so that a read-change-write of
// one process never overwrites the change of another. A link in the lock file's place is not
// followed: it could make the program create a file anywhere the link points.
class FileLock {
public:
    explicit FileLock(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644)) {
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = errno;
                ::close(std::exchange(fd_, -1));
                return;
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0) {
            ::close(fd_);  // releases the lock
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return fd_ >= 0; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

// Loads the hive under the lock, lets `change` edit it, and saves it when `change` says it
// changed anything.
template <class Change>
Status update(Change change) {
    const std::string file = registryFile();
    if (Status made = makeFolders(folderOf(file)); !made) {
        return Status::failure("cannot save the registry: " + made.reason());
    }
    const std::string lockPath = file + ".lock";
    FileLock lock(lockPath);
    if (!lock.locked()) {
        return systemFailure("cannot lock the registry file " + quoted(lockPath), lock.error());
    }
    auto hive = load(file);
    if (!hive) {
        return hive.status();
    }
    if (!change(hive.value())) {
        return Status::success();
    }
    return replaceFile(file, serialise(hive.value()));
}

bool hasNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

Status outOfMemory() {
    return Status::failure("not enough memory to change the registry");
}

}  // namespace

std::string registryFile() {
    try {
        // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say: it would name another
        // folder for every current folder. platform::configFolder() keeps the same rule for the
        // settings file.
        const char* config = std::getenv("XDG_CONFIG_HOME");
        const std::string base =
            (config && config[0] == '/') ? std::string(config) : homeFolder() + "/.config";
        return base + "/" + kOrganisationFolder + "/" + kFileName;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::optional<std::string> value(const std::string& key, const std::string& name) {
    try {
        auto hive = load(registryFile());
        if (!hive) {
            return std::nullopt;
        }
        Key* found = findKey(hive.value(), normalKey(key));
        if (!found) {
            return std::nullopt;
        }
        const Value* stored = findValue(*found, name);
        return stored ? std::optional<std::string>(stored->data) : std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

Status setValue(const std::string& key, const std::string& name, const std::string& value) {
    try {
        const std::string path = normalKey(key);
        if (path.empty()) {
            return Status::failure("cannot set a registry value without a key");
        }
        // A line break in a key would split its section line; the file cannot hold NUL.
        if (path.find_first_of("\r\n") != std::string::npos || hasNul(path)) {
            return Status::failure("the registry key " + quoted(path.c_str()) +
                                   " holds a line break or NUL character");
        }
        if (hasNul(name) || hasNul(value)) {
            return Status::failure("a value of the registry key " + quoted(path) +
                                   " holds a NUL character, which the registry cannot store");
        }
        return update([&](Hive& hive) {
            Key* target = findKey(hive, path);
            if (!target) {
                hive.push_back({path, {}});
                target = &hive.back();
            }
            if (const Value* existing = findValue(*target, name);
                existing && existing->data == value) {
                return false;
            }
            assign(*target, name, value);
            return true;
        });
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
}

Status deleteKey(const std::string& key) {
    try {
        const std::string path = normalKey(key);
        if (path.empty()) {
            return Status::failure("cannot delete a registry key without its name");
        }
        auto removeBelow = [&](Hive& hive) {
            const std::size_t before = hive.size();
            std::erase_if(hive, [&](const Key& k) { return isAtOrBelow(k.path, path); });
            return hive.size() != before;
        };
        // Nothing to remove: leave the folder and the file alone (and uncreated).
        auto current = load(registryFile());
        if (current && !removeBelow(current.value())) {
            return Status::success();
        }
        return update(removeBelow);
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
}

bool keyExists(const std::string& key) {
    try {
        const std::string path = normalKey(key);
        if (path.empty()) {
            return false;
        }
        auto hive = load(registryFile());
        if (!hive) {
            return false;
        }
        return std::any_of(hive.value().begin(), hive.value().end(),
                           [&](const Key& k) { return isAtOrBelow(k.path, path); });
    } catch (const std::bad_alloc&) {
        return false;
    }
}

Status deleteEmptyKey(const std::string& key) {
    try {
        const std::string path = normalKey(key);
        if (path.empty()) {
            return Status::failure("cannot delete a registry key without its name");
        }
        bool hasSubKeys = false;
        auto removeKey = [&](Hive& hive) {
            hasSubKeys = std::any_of(hive.begin(), hive.end(), [&](const Key& k) {
                return k.path.size() > path.size() && isAtOrBelow(k.path, path);
            });
            if (hasSubKeys) {
                return false;
            }
            const std::size_t before = hive.size();
            std::erase_if(hive, [&](const Key& k) { return sameText(k.path, path); });
            return hive.size() != before;
        };
        const auto refused = [&] {
            return Status::failure("cannot delete the registry key " + quoted(path) +
                                   ": keys lie below it");
        };
        // Nothing to remove: leave the folder and the file alone (and uncreated).
        auto current = load(registryFile());
        if (current && !removeKey(current.value())) {
            return hasSubKeys ? refused() : Status::success();
        }
        // Decided again under the lock: another process may have changed the file meanwhile.
        if (Status status = update(removeKey); !status) {
            return status;
        }
        return hasSubKeys ? refused() : Status::success();
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
}

std::vector<std::string> subKeys(const std::string& key) {
    try {
        std::vector<std::string> names;
        auto hive = load(registryFile());
        if (!hive) {
            return names;
        }
        const std::string path = normalKey(key);
        for (const Key& k : hive.value()) {
            std::string_view rest;
            if (path.empty()) {
                rest = k.path;
            } else if (k.path.size() > path.size() && isAtOrBelow(k.path, path)) {
                rest = std::string_view(k.path).substr(path.size() + 1);
            } else {
                continue;
            }
            // "A\B\C" alone makes "B" a sub-key of "A", as creating it would have.
            const std::string_view child = rest.substr(0, rest.find('\\'));
            bool known = false;
            for (const std::string& name : names) {
                known = known || sameText(name, child);
            }
            if (!known) {
                names.emplace_back(child);
            }
        }
        return names;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace com::registry
