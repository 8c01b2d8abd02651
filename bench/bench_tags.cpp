// How fast the tag library reads the tags and the audio header of 10,000 MP3 files, against
// TagLib reading the same files in the same process.
//
//     cmake --build build --target bench_tags         (built only when TagLib's development
//                                                      files are there: libtag1-dev)
//     build/bench/bench_tags [FILES [ROUNDS]] [--only=orvane|taglib]
//
// FILES (default 10000) tagged MP3 files of 30-60 KB are made in a temporary folder: valid
// MPEG-1 Layer III frames (CBR, or VBR behind a Xing frame), mostly ID3v2.3 tags, some ID3v2.4
// (UTF-8) and ID3v2.2, ID3v1.1 on most files, a picture of 10-30 KB in some, texts beyond
// ASCII. OrvaneMP3 is registered into a registry below that folder and its cMP3File is created
// once by class identifier, as the program does; the library is loaded, never linked.
//
// One untimed pass warms the page cache and compares what the two readers found; then the
// readers take turns for ROUNDS rounds (default 5). The table gives the median and the best
// pass of each, files per second at the median, and the ratio OrvaneMP3 / TagLib of the median
// times (below 1: OrvaneMP3 is faster). --only runs one reader, for a profiler. Nothing of the
// user's is read or written; the temporary folder goes at the end.
#include <dlfcn.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/registerlibrary.h"
#include "orvane/com/interfaces.h"
#include "platform/com/activation.h"
#include "platform/com/automation.h"

namespace {

namespace fs = std::filesystem;
using com::Bstr;
using com::ComPtr;

// The sandbox --------------------------------------------------------------------------------

// A temporary folder that holds the settings, the registry, the home folder and the files of
// the run, and goes with everything in it when the run ends.
class Sandbox {
public:
    Sandbox() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quenza-bench-XXXXXX";
        if (mkdtemp(pattern.data())) {
            root_ = pattern;
        }
    }
    ~Sandbox() {
        if (!root_.empty()) {
            std::error_code ignored;
            fs::remove_all(root_, ignored);
        }
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    // Points the settings, the registry and the home folder below the sandbox.
    bool enter() const {
        if (root_.empty()) {
            std::fprintf(stderr, "cannot create a temporary folder\n");
            return false;
        }
        const std::pair<const char*, const char*> places[] = {
            {"XDG_CONFIG_HOME", "config"},
            {"XDG_DATA_HOME", "data"},
            {"QUENZA_PROGRAM_DIR", "program"},
            {"HOME", "home"},
        };
        for (const auto& [variable, folder] : places) {
            std::error_code error;
            fs::create_directories(root_ / folder, error);
            if (error) {
                std::fprintf(stderr, "cannot create %s: %s\n", (root_ / folder).c_str(),
                             error.message().c_str());
                return false;
            }
            setenv(variable, (root_ / folder).c_str(), 1);
        }
        return true;
    }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
};

// Making the files ----------------------------------------------------------------------------

using Rng = std::mt19937;

int pick(Rng& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}
template <class T, std::size_t N>
const T& anyOf(Rng& rng, const T (&items)[N]) {
    return items[static_cast<std::size_t>(pick(rng, 0, static_cast<int>(N) - 1))];
}
bool chance(Rng& rng, double probability) {
    return std::bernoulli_distribution(probability)(rng);
}

// A word as the ID3v2 tags hold it and as an ID3v1 tag (ASCII only) would spell it.
struct Word {
    const char* text;
    const char* ascii;
};

constexpr Word kTitleWords[] = {
    {"Morning", "Morning"},   {"Glass", "Glass"},       {"River", "River"},
    {"Échappée", "Echappee"}, {"Über", "Uber"},         {"Wolken", "Wolken"},
    {"Niña", "Nina"},         {"Fjørd", "Fjord"},       {"Silent", "Silent"},
    {"Château", "Chateau"},   {"Paper", "Paper"},       {"Kites", "Kites"},
    {"Москва", "Moskva"},     {"Ночь", "Noch"},         {"東京", "Tokyo"},
    {"夜明け", "Yoake"},      {"Ελπίδα", "Elpida"},     {"Çay", "Cay"},
    {"Señal", "Senal"},       {"Crème", "Creme"},       {"Noël", "Noel"},
    {"Harbour", "Harbour"},   {"Lanterns", "Lanterns"}, {"Copper", "Copper"},
    {"Sky", "Sky"},           {"Ångström", "Angstrom"}, {"Blue", "Blue"},
    {"Static", "Static"},     {"Orchard", "Orchard"},   {"Dún", "Dun"},
};

constexpr Word kArtists[] = {
    {"The Tessellates", "The Tessellates"},
    {"Mira Kovač", "Mira Kovac"},
    {"Jürgen Blau", "Jurgen Blau"},
    {"Ørjan Lie", "Orjan Lie"},
    {"Лена Соколова", "Lena Sokolova"},
    {"坂本 みどり", "Sakamoto Midori"},
    {"Los Caminos", "Los Caminos"},
    {"Zoë Park", "Zoe Park"},
    {"Paper Moons", "Paper Moons"},
    {"Hélène & the Quiet", "Helene & the Quiet"},
    {"Δέσποινα", "Despoina"},
    {"North of Nowhere", "North of Nowhere"},
};

constexpr const char* kGenreTexts[] = {"(17)Rock", "(13)", "Jazz", "(52)Electronic",
                                       "Folk",     "(32)", "Pop",  "Ambient"};

// The texts of one file, in UTF-8, and the ASCII ones of its ID3v1 tag.
struct Texts {
    std::string title, artist, album, comment, genre, track, year;
    std::string asciiTitle, asciiArtist, asciiAlbum;
};

void appendWord(std::string& text, std::string& ascii, const Word& word) {
    if (!text.empty()) {
        text += ' ';
        ascii += ' ';
    }
    text += word.text;
    ascii += word.ascii;
}

Texts makeTexts(Rng& rng, int index) {
    Texts t;
    const int words = pick(rng, 1, 3);
    for (int i = 0; i < words; ++i) {
        appendWord(t.title, t.asciiTitle, anyOf(rng, kTitleWords));
    }
    if (chance(rng, 0.3)) {
        const std::string number = " " + std::to_string(index);
        t.title += number;
        t.asciiTitle += number;
    }
    const Word& artist = anyOf(rng, kArtists);
    t.artist = artist.text;
    t.asciiArtist = artist.ascii;
    for (int i = 0; i < 2; ++i) {
        appendWord(t.album, t.asciiAlbum, anyOf(rng, kTitleWords));
    }
    if (chance(rng, 0.2)) {
        const std::string volume = " Vol. " + std::to_string(pick(rng, 1, 4));
        t.album += volume;
        t.asciiAlbum += volume;
    }
    t.comment = "Take " + std::to_string(pick(rng, 1, 9)) + ", mastered " +
                std::to_string(pick(rng, 1995, 2023));
    t.genre = anyOf(rng, kGenreTexts);
    const int tracks = pick(rng, 8, 16);
    t.track = std::to_string(pick(rng, 1, tracks)) + "/" + std::to_string(tracks);
    t.year = std::to_string(pick(rng, 1965, 2023));
    return t;
}

std::u32string codePoints(std::string_view utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        out += cp;
        i += length;
    }
    return out;
}

bool isLatin1(std::string_view utf8) {
    const std::u32string cps = codePoints(utf8);
    return std::all_of(cps.begin(), cps.end(), [](char32_t c) { return c <= 0xFF; });
}

std::string latin1(std::string_view utf8) {
    std::string out;
    for (const char32_t c : codePoints(utf8)) {
        out += static_cast<char>(c);
    }
    return out;
}

// UTF-16 little-endian behind its byte order mark, as taggers write encoding 1.
std::string utf16WithBom(std::string_view utf8) {
    std::string out = "\xFF\xFE";
    for (char32_t c : codePoints(utf8)) {
        auto unit = [&out](char32_t u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>(u >> 8);
        };
        if (c >= 0x10000) {
            c -= 0x10000;
            unit(0xD800 + (c >> 10));
            unit(0xDC00 + (c & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

std::string bigEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

std::string synchsafe(std::uint32_t value) {
    return {static_cast<char>((value >> 21) & 0x7F), static_cast<char>((value >> 14) & 0x7F),
            static_cast<char>((value >> 7) & 0x7F), static_cast<char>(value & 0x7F)};
}

std::string randomBytes(Rng& rng, std::size_t count) {
    std::string out(count, '\0');
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (i % 4 == 0) {
            bits = static_cast<std::uint32_t>(rng());
        }
        // No 0xFF, so that no stray frame sync turns up inside the audio or a picture.
        out[i] = static_cast<char>(std::min<std::uint32_t>((bits >> (8 * (i % 4))) & 0xFF, 0xFE));
    }
    return out;
}

enum class Version { None, V22, V23, V24 };

// One ID3v2 frame of the tag's version.
std::string frame(Version version, std::string_view id, std::string_view payload) {
    const auto size = static_cast<std::uint32_t>(payload.size());
    switch (version) {
        case Version::V22:
            return std::string(id) + bigEndian(size, 3) + std::string(payload);
        case Version::V23:
            return std::string(id) + bigEndian(size, 4) + std::string(2, '\0') +
                   std::string(payload);
        default:
            return std::string(id) + synchsafe(size) + std::string(2, '\0') + std::string(payload);
    }
}

// The encoding byte and the text as the version's taggers usually write it: ID3v2.4 in UTF-8,
// the older versions in Latin-1 where it reaches and in UTF-16 elsewhere.
std::string encodedText(Version version, std::string_view utf8) {
    if (version == Version::V24) {
        return "\x03" + std::string(utf8);
    }
    if (isLatin1(utf8)) {
        return std::string(1, '\0') + latin1(utf8);
    }
    return "\x01" + utf16WithBom(utf8);
}

std::string picture(Rng& rng, Version version) {
    std::string jpeg = "\xFF\xD8\xFF\xE0" + bigEndian(16, 2) + std::string("JFIF", 5) +
                       randomBytes(rng, static_cast<std::size_t>(pick(rng, 10000, 30000))) +
                       "\xFF\xD9";
    if (version == Version::V22) {
        return std::string(1, '\0') + "JPG" + "\x03" + std::string(1, '\0') + jpeg;
    }
    return std::string(1, '\0') + "image/jpeg" + std::string(1, '\0') + "\x03" +
           std::string(1, '\0') + jpeg;
}

struct FileLayout {
    Version version = Version::V23;
    bool id3v1 = true;
    bool titleInV2 = true;  // false: the title comes from the ID3v1 tag
    bool picture = false;
    bool vbr = false;
    bool mono = false;
    int sampleRate = 44100;
    int bitrate = 128;  // kbit/s of the CBR frames
};

std::string id3v2Tag(Rng& rng, const FileLayout& layout, const Texts& t) {
    const Version v = layout.version;
    const bool v22 = v == Version::V22;
    std::string frames;
    const auto text = [&](const char* id22, const char* id, std::string_view value) {
        frames += frame(v, v22 ? id22 : id, encodedText(v, value));
    };
    if (layout.titleInV2) {
        text("TT2", "TIT2", t.title);
    }
    text("TP1", "TPE1", t.artist);
    text("TAL", "TALB", t.album);
    text("TRK", "TRCK", t.track);
    if (v == Version::V24) {
        text("", "TDRC", t.year);
    } else {
        text("TYE", "TYER", t.year);
    }
    text("TCO", "TCON", t.genre);
    if (chance(rng, 0.6)) {
        // Language, an empty description, the text.
        frames += frame(v, v22 ? "COM" : "COMM",
                        (v == Version::V24 ? std::string("\x03") : std::string(1, '\0')) + "eng" +
                            std::string(1, '\0') + t.comment);
    }
    if (chance(rng, 0.5)) {
        text("TEN", "TENC", "LAME 3.100");
    }
    if (layout.picture) {
        frames += frame(v, v22 ? "PIC" : "APIC", picture(rng, v));
    }
    // Taggers leave room to grow.
    frames += std::string(static_cast<std::size_t>(pick(rng, 0, 4) * 512), '\0');
    const char major = v22 ? 2 : v == Version::V23 ? 3 : 4;
    return "ID3" + std::string{major, 0, 0} + synchsafe(static_cast<std::uint32_t>(frames.size())) +
           frames;
}

std::string fitted(std::string_view text, std::size_t width) {
    std::string out(text.substr(0, width));
    out.resize(width, '\0');
    return out;
}

std::string id3v1Tag(Rng& rng, const Texts& t) {
    std::string out = "TAG" + fitted(t.asciiTitle, 30) + fitted(t.asciiArtist, 30) +
                      fitted(t.asciiAlbum, 30) + fitted(t.year, 4) + fitted(t.comment, 28);
    out += '\0';
    out += static_cast<char>(pick(rng, 1, 16));
    out += static_cast<char>(pick(rng, 0, 147));
    return out;
}

// MPEG-1 Layer III frames ---------------------------------------------------------------------

constexpr int kBitrates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

int bitrateIndex(int kbps) {
    for (int i = 1; i < static_cast<int>(std::size(kBitrates)); ++i) {
        if (kBitrates[i] == kbps) {
            return i;
        }
    }
    return 9;
}

int sampleRateIndex(int hz) {
    return hz == 48000 ? 1 : hz == 32000 ? 2 : 0;
}

// Frames at 44.1 kHz take a padding byte now and then, as encoders spread the fraction.
class FrameWriter {
public:
    explicit FrameWriter(const FileLayout& layout) : layout_(layout) {}

    std::size_t length(int kbps) const {
        return static_cast<std::size_t>(144000 * kbps / layout_.sampleRate);
    }

    std::string header(int kbps, bool padding) const {
        const int mode = layout_.mono ? 3 : 1;  // single channel or joint stereo
        return {static_cast<char>(0xFF), static_cast<char>(0xFB),
                static_cast<char>((bitrateIndex(kbps) << 4) |
                                  (sampleRateIndex(layout_.sampleRate) << 2) | (padding ? 2 : 0)),
                static_cast<char>((mode << 6) | 0x04)};
    }

    // One frame of random audio behind empty side information, so a decoder takes it for
    // silence instead of stumbling over it.
    std::string next(Rng& rng, int kbps) {
        const bool padding = pad(kbps);
        const std::size_t size = length(kbps) + (padding ? 1 : 0);
        const std::size_t sideInfo = layout_.mono ? 17 : 32;
        return header(kbps, padding) + std::string(sideInfo, '\0') +
               randomBytes(rng, size - 4 - sideInfo);
    }

    // The Xing frame that opens a VBR stream.
    std::string xing(std::uint32_t frames, std::uint32_t bytes) const {
        const std::size_t size = length(128);
        std::string out = header(128, false) + std::string(layout_.mono ? 17 : 32, '\0') + "Xing" +
                          bigEndian(0x0F, 4) + bigEndian(frames, 4) + bigEndian(bytes, 4);
        for (int i = 0; i < 100; ++i) {
            out += static_cast<char>(i * 256 / 100);
        }
        out += bigEndian(57, 4);
        out.resize(size, '\0');
        return out;
    }

private:
    bool pad(int kbps) {
        const int remainder = (144000 * kbps) % layout_.sampleRate;
        rest_ += remainder;
        if (rest_ >= layout_.sampleRate) {
            rest_ -= layout_.sampleRate;
            return true;
        }
        return false;
    }

    FileLayout layout_;
    int rest_ = 0;
};

std::string audio(Rng& rng, const FileLayout& layout) {
    const auto target = static_cast<std::size_t>(pick(rng, 30, 60) * 1024);
    FrameWriter writer(layout);
    std::string frames;
    std::uint32_t count = 0;
    while (frames.size() < target) {
        constexpr int kVbrRates[] = {96, 112, 128, 160, 192, 224, 256, 320};
        const int kbps = layout.vbr ? anyOf(rng, kVbrRates) : layout.bitrate;
        frames += writer.next(rng, kbps);
        ++count;
    }
    if (!layout.vbr) {
        return frames;
    }
    const std::size_t xingSize = writer.length(128);
    return writer.xing(count, static_cast<std::uint32_t>(frames.size() + xingSize)) + frames;
}

// What the files say, for checking the readers against each other and against what was written.
struct Expected {
    std::string title, artist, album;
};

struct Corpus {
    std::vector<std::string> paths;
    std::vector<Expected> expected;
    std::uint64_t bytes = 0;
    int v22 = 0, v23 = 0, v24 = 0, noV2 = 0, v1 = 0, pictures = 0, vbr = 0;
};

std::string v1Field(std::string text) {
    text.resize(std::min<std::size_t>(text.size(), 30));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

bool makeFiles(const fs::path& folder, int count, Corpus& corpus) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "cannot create %s: %s\n", folder.c_str(), error.message().c_str());
        return false;
    }
    Rng rng(20240611);
    for (int i = 0; i < count; ++i) {
        FileLayout layout;
        const int roll = pick(rng, 0, 99);
        layout.version = roll < 62   ? Version::V23
                         : roll < 87 ? Version::V24
                         : roll < 94 ? Version::V22
                                     : Version::None;
        layout.id3v1 = layout.version == Version::None || chance(rng, 0.8);
        layout.titleInV2 = !layout.id3v1 || !chance(rng, 0.03);
        layout.picture = layout.version != Version::None && chance(rng, 0.15);
        layout.vbr = chance(rng, 0.3);
        layout.mono = chance(rng, 0.08);
        const int rate = pick(rng, 0, 99);
        layout.sampleRate = rate < 82 ? 44100 : rate < 95 ? 48000 : 32000;
        constexpr int kCbrRates[] = {128, 128, 160, 192, 192, 256, 320};
        layout.bitrate = anyOf(rng, kCbrRates);

        const Texts texts = makeTexts(rng, i);
        std::string bytes;
        if (layout.version != Version::None) {
            bytes += id3v2Tag(rng, layout, texts);
        }
        bytes += audio(rng, layout);
        if (layout.id3v1) {
            bytes += id3v1Tag(rng, texts);
        }

        char name[32];
        std::snprintf(name, sizeof name, "%05d.mp3", i);
        const fs::path path = folder / name;
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }

        const bool v2 = layout.version != Version::None;
        corpus.paths.push_back(path.string());
        corpus.expected.push_back({layout.titleInV2 && v2 ? texts.title : v1Field(texts.asciiTitle),
                                   v2 ? texts.artist : v1Field(texts.asciiArtist),
                                   v2 ? texts.album : v1Field(texts.asciiAlbum)});
        corpus.bytes += bytes.size();
        corpus.v22 += layout.version == Version::V22;
        corpus.v23 += layout.version == Version::V23;
        corpus.v24 += layout.version == Version::V24;
        corpus.noV2 += !v2;
        corpus.v1 += layout.id3v1;
        corpus.pictures += layout.picture;
        corpus.vbr += layout.vbr;
    }
    return true;
}

// The readers ---------------------------------------------------------------------------------

// What a reader found in one file, for the comparison.
struct Values {
    std::string title, artist, album;
    long bitrate = 0, frequency = 0, duration = 0, channels = 0;
};

// A digest (FNV-1a) of everything the passes read, printed at the end so that no reading can be
// left out. For a given FILES it is the same on every run: a change to a reader that keeps its
// results keeps its digest.
struct Checksum {
    std::uint64_t sum = 14695981039346656037ull;
    void add(std::uint64_t value) {
        sum ^= value;
        sum *= 1099511628211ull;
    }
    void add(std::u16string_view text) {
        for (const char16_t c : text) {
            add(static_cast<std::uint64_t>(c));
        }
        add(std::uint64_t{0xFFFF});
    }
    void add(const char* text) {
        for (; *text; ++text) {
            add(static_cast<std::uint64_t>(static_cast<unsigned char>(*text)));
        }
        add(std::uint64_t{0xFFFF});
    }
};

class OrvaneReader {
public:
    explicit OrvaneReader(const std::vector<std::string>& paths) {
        // The program hands the library names it already holds as strings of its own.
        for (const std::string& path : paths) {
            names_.push_back(Bstr::attach(com::bstrFromUtf8(path)));
        }
    }

    bool create() {
        std::string reason;
        const com::HRESULT hr = com::createInstance(orvane::CLSID_cMP3File, orvane::IID__cMP3File,
                                                    file_.put(), &reason);
        if (com::failed(hr)) {
            std::fprintf(stderr, "cannot create cMP3File: %s\n", reason.c_str());
            return false;
        }
        return true;
    }

    void pass(Checksum& checksum, std::vector<Values>* values = nullptr) {
        using namespace orvane;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            com::BSTR name = names_[i].get();
            com::VARIANT_BOOL read = com::VARIANT_FALSE;
            file_->ReadFile(&name, &read);
            checksum.add(static_cast<std::uint64_t>(read != 0));

            Values found;
            ComPtr<_cID3Tags> tags;
            file_->get_ID3Tags(reinterpret_cast<_cID3Tags**>(tags.put()));
            if (tags) {
                using Getter = com::HRESULT (_cID3Tags::*)(com::BSTR*);
                constexpr Getter kTexts[] = {&_cID3Tags::get_Title,   &_cID3Tags::get_Artist,
                                             &_cID3Tags::get_Album,   &_cID3Tags::get_Year,
                                             &_cID3Tags::get_Track,   &_cID3Tags::get_Genre,
                                             &_cID3Tags::get_Comments};
                for (std::size_t k = 0; k < std::size(kTexts); ++k) {
                    Bstr text;
                    (tags.get()->*kTexts[k])(text.put());
                    checksum.add(text.view());
                    if (values && k < 3) {
                        std::string* field[] = {&found.title, &found.artist, &found.album};
                        *field[k] = com::utf8FromBstr(text.get());
                    }
                }
            }
            ComPtr<_cMPEGHeader> mpeg;
            file_->get_MPEGHeader(reinterpret_cast<_cMPEGHeader**>(mpeg.put()));
            if (mpeg) {
                com::LONG bitrate = 0, frequency = 0, duration = 0;
                com::VARIANT_BOOL vbr = com::VARIANT_FALSE;
                Bstr mode;
                mpeg->get_Bitrate(&bitrate);
                mpeg->get_Frequency(&frequency);
                mpeg->get_Duration(&duration);
                mpeg->get_VBR(&vbr);
                mpeg->get_Mode(mode.put());
                for (const std::int64_t number :
                     {bitrate, frequency, duration, std::int32_t{vbr}}) {
                    checksum.add(static_cast<std::uint64_t>(number));
                }
                checksum.add(mode.view());
                found.bitrate = bitrate;
                found.frequency = frequency;
                found.duration = duration;
                found.channels = mode.view() == u"Single Channel" ? 1 : 2;
            }
            if (values) {
                values->push_back(std::move(found));
            }
        }
    }

private:
    std::vector<Bstr> names_;
    ComPtr<orvane::_cMP3File> file_;
};

void taglibPass(const std::vector<std::string>& paths, Checksum& checksum,
                std::vector<Values>* values = nullptr) {
    for (const std::string& path : paths) {
        TagLib::MPEG::File file(path.c_str(), true, TagLib::AudioProperties::Average);
        Values found;
        if (const TagLib::Tag* tag = file.isValid() ? file.tag() : nullptr) {
            checksum.add(tag->title().toCString(true));
            checksum.add(tag->artist().toCString(true));
            checksum.add(tag->album().toCString(true));
            checksum.add(tag->genre().toCString(true));
            checksum.add(tag->comment().toCString(true));
            checksum.add(tag->year());
            checksum.add(tag->track());
            if (values) {
                found.title = tag->title().to8Bit(true);
                found.artist = tag->artist().to8Bit(true);
                found.album = tag->album().to8Bit(true);
            }
        }
        if (const TagLib::MPEG::Properties* audio =
                file.isValid() ? file.audioProperties() : nullptr) {
            found.bitrate = audio->bitrate();
            found.frequency = audio->sampleRate();
            found.duration = audio->lengthInSeconds();
            found.channels = audio->channels();
            for (const long number :
                 {found.bitrate, found.frequency, found.duration, found.channels}) {
                checksum.add(static_cast<std::uint64_t>(number));
            }
        }
        if (values) {
            values->push_back(std::move(found));
        }
    }
}

// Comparing -----------------------------------------------------------------------------------

// Counts the files where the readers disagree, or where a text differs from what was written.
// The two compute a VBR bit rate and a duration with their own rounding (and OrvaneMP3 counts
// the ID3v1 tag into a CBR stream), so those may be one apart.
int compare(const Corpus& corpus, const std::vector<Values>& orvane,
            const std::vector<Values>& taglib) {
    int mismatches = 0;
    int shown = 0;
    for (std::size_t i = 0; i < corpus.paths.size(); ++i) {
        const Values& a = orvane[i];
        const Values& b = taglib[i];
        const Expected& e = corpus.expected[i];
        const bool same = a.title == b.title && a.artist == b.artist && a.album == b.album &&
                          a.title == e.title && a.artist == e.artist && a.album == e.album &&
                          a.frequency == b.frequency && a.channels == b.channels &&
                          std::labs(a.bitrate - b.bitrate) <= 1 &&
                          std::labs(a.duration - b.duration) <= 1 && a.frequency > 0;
        if (same) {
            continue;
        }
        ++mismatches;
        if (shown++ < 5) {
            std::printf(
                "  mismatch in %s\n    written   \"%s\" / \"%s\" / \"%s\"\n"
                "    OrvaneMP3 \"%s\" / \"%s\" / \"%s\", %ld kbit/s, %ld Hz, %ld s, %ld ch\n"
                "    TagLib    \"%s\" / \"%s\" / \"%s\", %ld kbit/s, %ld Hz, %ld s, %ld ch\n",
                corpus.paths[i].c_str(), e.title.c_str(), e.artist.c_str(), e.album.c_str(),
                a.title.c_str(), a.artist.c_str(), a.album.c_str(), a.bitrate, a.frequency,
                a.duration, a.channels, b.title.c_str(), b.artist.c_str(), b.album.c_str(),
                b.bitrate, b.frequency, b.duration, b.channels);
        }
    }
    return mismatches;
}

// Timing --------------------------------------------------------------------------------------

double timedMs(const std::function<void()>& pass) {
    const auto start = std::chrono::steady_clock::now();
    pass();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void printRow(const char* reader, const std::vector<double>& times, int files) {
    const double mid = median(times);
    std::printf("%-10s %10.1f %10.1f %12.0f\n", reader, mid,
                *std::min_element(times.begin(), times.end()), files / (mid / 1000));
}

bool registerLibrary() {
    return registerOrvaneLibrary(QUENZA_BENCH_ORVANE_MP3);
}

}  // namespace

int main(int argc, char** argv) {
    int files = 10000;
    int rounds = 5;
    bool runOrvane = true;
    bool runTaglib = true;
    int numbers = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--only=orvane") {
            runTaglib = false;
        } else if (arg == "--only=taglib") {
            runOrvane = false;
        } else if (!arg.empty() && std::isdigit(static_cast<unsigned char>(arg[0])) &&
                   numbers < 2) {
            (numbers++ == 0 ? files : rounds) = std::max(1, std::atoi(argv[i]));
        } else {
            std::fprintf(stderr, "usage: %s [FILES [ROUNDS]] [--only=orvane|taglib]\n", argv[0]);
            return 1;
        }
    }

    Sandbox sandbox;
    if (!sandbox.enter() || !registerLibrary()) {
        return 1;
    }
    Corpus corpus;
    if (!makeFiles(sandbox.root() / "music", files, corpus)) {
        return 1;
    }
    std::printf(
        "%d files, %.1f MB: %d ID3v2.3, %d ID3v2.4, %d ID3v2.2, %d without ID3v2; %d with ID3v1, "
        "%d with a picture, %d VBR\n",
        files, static_cast<double>(corpus.bytes) / 1e6, corpus.v23, corpus.v24, corpus.v22,
        corpus.noV2, corpus.v1, corpus.pictures, corpus.vbr);

    OrvaneReader orvane(corpus.paths);
    if (runOrvane && !orvane.create()) {
        return 1;
    }

    // The untimed pass: warms the page cache and collects what each reader found.
    Checksum orvaneSum, taglibSum;
    std::vector<Values> orvaneValues, taglibValues;
    if (runOrvane) {
        orvane.pass(orvaneSum, &orvaneValues);
    }
    if (runTaglib) {
        taglibPass(corpus.paths, taglibSum, &taglibValues);
    }
    if (runOrvane && runTaglib) {
        const int mismatches = compare(corpus, orvaneValues, taglibValues);
        std::printf(
            "compared title, artist, album, bit rate, frequency, duration, channels: "
            "%d mismatches in %d files\n",
            mismatches, files);
    }

    std::vector<double> orvaneMs, taglibMs;
    for (int round = 0; round < rounds; ++round) {
        // Each reader goes first in every other round, so neither always finds the caches as
        // the other left them.
        const auto runO = [&] {
            if (runOrvane) {
                orvaneMs.push_back(timedMs([&] { orvane.pass(orvaneSum); }));
            }
        };
        const auto runT = [&] {
            if (runTaglib) {
                taglibMs.push_back(timedMs([&] { taglibPass(corpus.paths, taglibSum); }));
            }
        };
        if (round % 2 == 0) {
            runO();
            runT();
        } else {
            runT();
            runO();
        }
    }

    std::printf("\n%-10s %10s %10s %12s\n", "reader", "median ms", "best ms", "files/s");
    if (runOrvane) {
        printRow("OrvaneMP3", orvaneMs, files);
    }
    if (runTaglib) {
        printRow("TagLib", taglibMs, files);
    }
    if (runOrvane && runTaglib) {
        std::printf("ratio OrvaneMP3/TagLib (median time): %.2f  (below 1: OrvaneMP3 faster)\n",
                    median(orvaneMs) / median(taglibMs));
    }
    std::printf("(%d rounds after one untimed pass; digests %016llx %016llx)\n", rounds,
                static_cast<unsigned long long>(orvaneSum.sum),
                static_cast<unsigned long long>(taglibSum.sum));
    return 0;
}
