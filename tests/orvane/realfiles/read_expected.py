#!/usr/bin/python3
"""Reads every .mp3 of this folder with mutagen and ffprobe and writes expected.tsv: one row per
file with what those tools read, put into the terms in which the tag library answers (its
cMP3File facade, cID3Tags' combined getters and cMPEGHeader). Where the library answers by a
rule of its own, the row holds the tool's raw value under that rule; README.md lists each rule
and why the library keeps it. Run make_fixtures.sh first; the test reads only the files and the
table, so neither tool is needed to run it.

Text cells are UTF-8 with the escapes \\\\, \\t, \\n, \\r and \\0 (a NUL character); flags are 1 or
0; numbers are decimal."""

import io
import json
import math
import os
import subprocess
import sys

import mutagen
from mutagen.id3 import ID3, TCON, ID3NoHeaderError
from mutagen.id3._id3v1 import ParseID3v1
from mutagen.mp3 import MP3, MPEGFrame
from mutagen.mp3._util import XingHeader, XingHeaderError

HERE = os.path.dirname(os.path.abspath(__file__))

COLUMNS = [
    "File", "HasID3V1", "HasID3V2", "V2Version", "Title", "Artist", "Album", "Year", "Track",
    "Genre", "Comments", "HasMPEG", "Version", "Layer", "Mode", "CRC", "VBR", "Bitrate",
    "Frequency", "Duration", "ToolKbps", "ToolSeconds",
]

# The library's genre names where they are spelled differently from mutagen's list; numbers from
# 148 on are not in the library's table at all ("Unknown").
LIBRARY_GENRE_SPELLINGS = {
    46: "Instrum. Pop", 47: "Instrum. Rock", 51: "Techno-Indust.", 59: "Gangsta",
    67: "Psychadelic", 81: "Folk/Rock", 84: "Fusion", 85: "Bebob", 92: "Progress. Rock",
    93: "Psychadel. Rock", 123: "A Capella", 146: "Jpop",
}
LIBRARY_GENRE_COUNT = 148

VERSION_TEXTS = {1: "MPEG Version 1", 2: "MPEG Version 2", 2.5: "MPEG Version 2.5"}
LAYER_TEXTS = {1: "Layer I", 2: "Layer II", 3: "Layer III"}
MODE_TEXTS = ["Stereo", "Joint Stereo", "Dual Channel", "Single Channel"]

# The frames behind the combined getters, by ID3v2 major version.
TEXT_FRAMES = {
    3: {"Title": "TIT2", "Artist": "TPE1", "Album": "TALB", "Year": "TYER", "Track": "TRCK",
        "Genre": "TCON"},
    4: {"Title": "TIT2", "Artist": "TPE1", "Album": "TALB", "Year": None, "Track": "TRCK",
        "Genre": "TCON"},
}


def fail(path, message):
    sys.exit(f"{os.path.basename(path)}: {message}")


def ansi(latin1_text):
    """The library reads single-byte texts as Windows-1252, mutagen as Latin-1: the same bytes,
    apart from 0x80-0x9F. The five bytes that Windows-1252 leaves undefined stay their own code
    point, as the library keeps them."""
    out = []
    for byte in latin1_text.encode("latin-1"):
        try:
            out.append(bytes([byte]).decode("cp1252"))
        except UnicodeDecodeError:
            out.append(chr(byte))
    return "".join(out)


def library_genre_name(number):
    if number < 0 or number >= LIBRARY_GENRE_COUNT:
        return "Unknown"
    if number in LIBRARY_GENRE_SPELLINGS:
        return LIBRARY_GENRE_SPELLINGS[number]
    return TCON(encoding=0, text=[str(number)]).genres[0]


# ID3v1 ------------------------------------------------------------------------------------------

def read_id3v1(path):
    """The ID3v1 values as the library gives them, or None without a tag. mutagen parses the last
    128 bytes; the two rules of the library that mutagen's result hides are taken from those same
    bytes: the ID3v1.0 form (a non-zero byte 125 makes the last two bytes part of the comment and
    the track 0) and leading blanks (mutagen strips them, the library keeps them)."""
    with open(path, "rb") as f:
        f.seek(0, 2)
        if f.tell() < 128:
            return None
        f.seek(-128, 2)
        record = f.read(128)
    frames = ParseID3v1(record, v2_version=3)
    if frames is None:
        if record[:3] == b"TAG":
            fail(path, "mutagen refuses an ID3v1 tag that the library would read")
        return None

    def tool_text(frame_id):
        frame = frames.get(frame_id)
        return str(frame.text[0]) if frame else ""

    def field(start, length, tool):
        raw = record[start:start + length].split(b"\0")[0]
        if raw.strip().decode("latin-1") != tool:
            fail(path, f"ID3v1 bytes {start}..{start + length - 1} do not give mutagen's {tool!r}")
        return ansi(raw.decode("latin-1")).rstrip(" ")

    v11 = record[125] == 0
    track_tool = tool_text("TRCK")
    track = record[126] if v11 else 0
    if v11 and str(track or "") != track_tool:
        fail(path, f"ID3v1.1 track {track} is not mutagen's {track_tool!r}")
    genre_number = record[127]
    genre_tool = frames.get("TCON")
    if genre_number != 255 and (not genre_tool or genre_tool.text[0] != str(genre_number)):
        fail(path, "ID3v1 genre byte is not mutagen's")
    comment = frames.get("COMM")
    return {
        "Title": field(3, 30, tool_text("TIT2")),
        "Artist": field(33, 30, tool_text("TPE1")),
        "Album": field(63, 30, tool_text("TALB")),
        "Year": field(93, 4, tool_text("TYER")),
        "Comments": field(97, 28 if v11 else 30, str(comment.text[0]) if comment else ""),
        "Track": str(track),
        "Genre": library_genre_name(genre_number),
    }


# ID3v2 ------------------------------------------------------------------------------------------

def read_id3v2(path):
    """(major version, texts) of the ID3v2 tag as the library gives them, or None. mutagen reads
    the frames untranslated (TYER stays TYER, "(17)" stays "(17)"); its raw frames tell whether a
    writer ended a text with a NUL, which the library keeps as a NUL character."""
    try:
        tags = ID3(path, translate=False, load_v1=False)
        raw = ID3(path, known_frames={}, translate=False, load_v1=False)
    except ID3NoHeaderError:
        return None
    major = tags.version[1]
    if major not in TEXT_FRAMES:
        fail(path, f"no rule here for ID3v2.{major}")
    raw_frames = {}
    for frame in raw.unknown_frames:
        frame_id = frame[:4].decode("latin-1")
        if frame[8:10] != b"\0\0":
            fail(path, f"{frame_id} has frame flags; the table has no rule for them")
        # Several frames of one ID would be joined with CR LF by the library; mutagen merges them.
        if frame_id in raw_frames:
            fail(path, f"two {frame_id} frames; the table has no rule for them")
        raw_frames[frame_id] = frame[10:]

    def text(frame_id):
        if frame_id is None:
            return ""  # the library has no year for ID3v2.4
        frames = tags.getall(frame_id)
        if not frames:
            return ""
        frame = frames[0]
        encoding = int(frame.encoding)
        if major == 3 and encoding not in (0, 1):
            return ""  # ID3v2.3 knows Latin-1 and UTF-16 only
        values = [str(value) for value in frame.text]
        if encoding == 0:
            values = [ansi(value) for value in values]
        joined = "\0".join(values)
        payload = raw_frames[frame_id]
        terminated = payload.endswith(b"\0") if encoding in (0, 3) else (
            len(payload) % 2 == 1 and payload.endswith(b"\0\0"))
        return joined + "\0" if terminated else joined

    return major, {name: text(frame_id) for name, frame_id in TEXT_FRAMES[major].items()}


# MPEG -------------------------------------------------------------------------------------------

def probe(path):
    result = subprocess.run(
        ["ffprobe", "-v", "error", "-show_format", "-show_streams", "-of", "json", path],
        check=True, capture_output=True, text=True)
    data = json.loads(result.stdout)
    audio = [s for s in data["streams"] if s["codec_type"] == "audio"]
    if len(audio) != 1:
        fail(path, "ffprobe does not see exactly one audio stream")
    return audio[0], data["format"]


def read_mpeg(path):
    """The first frame header as mutagen finds it (behind an ID3v2 tag at the start), and the
    bit rate and duration by the library's rules from that header, the file length and the
    counts of a "Xing" header."""
    info = MP3(path).info
    stream, fmt = probe(path)
    if int(stream["sample_rate"]) != info.sample_rate:
        fail(path, "ffprobe and mutagen disagree on the sample rate")
    if int(stream["channels"]) != info.channels:
        fail(path, "ffprobe and mutagen disagree on the channels")

    file_length = os.path.getsize(path)
    header_position = info.frame_offset + 1  # the library counts file positions from 1
    with open(path, "rb") as f:
        f.seek(info.frame_offset)
        header = f.read(4)
        # The header's own bit rate: mutagen replaces it by the Xing/Info figure, so let it
        # parse the bare four bytes once more.
        header_kbps = MPEGFrame(io.BytesIO(header + bytes(2048))).bitrate // 1000
        xing = None
        if info.layer == 3:
            f.seek(info.frame_offset + XingHeader.get_offset(info))
            try:
                xing = XingHeader(f)
            except XingHeaderError:
                pass
    # Only "Xing" makes a file VBR for the library; encoders mark constant bit rates "Info".
    vbr = xing is not None and not xing.is_info
    modes = mutagen.mp3.BitrateMode
    if (vbr and info.bitrate_mode == modes.CBR) or (
            not vbr and info.bitrate_mode in (modes.VBR, modes.ABR)):
        fail(path, "mutagen's bit-rate mode contradicts the Xing/Info mark")
    tool_kbps = round(int(stream["bit_rate"]) / 1000)
    if xing is None and tool_kbps != header_kbps:
        fail(path, "ffprobe's bit rate is not the header's")

    # The library counts the bytes from the header to the end of the file, less 2, as audio,
    # unless a Xing header gives a frame count and a byte count.
    audio_bytes = file_length - header_position - 1
    if vbr:
        if xing.frames == -1 or xing.frames < 1:
            bitrate = -1.0
        else:
            if xing.bytes != -1:
                audio_bytes = xing.bytes
            # Bytes per frame at 1 kbit/s and 1 Hz, times 1000.
            divisor = 48000.0 if info.layer == 1 else (
                72000.0 if info.layer == 3 and info.version != 1 else 144000.0)
            bitrate = info.sample_rate * (audio_bytes / xing.frames) / divisor
    else:
        bitrate = float(header_kbps)
    if bitrate > 0:
        # Milliseconds rounded half to even (Python's round), then whole seconds.
        duration = round(audio_bytes / bitrate * 8) // 1000
    else:
        duration = -1
    return {
        "HasMPEG": 1,
        "Version": VERSION_TEXTS[info.version],
        "Layer": LAYER_TEXTS[info.layer],
        "Mode": MODE_TEXTS[info.mode],
        "CRC": int(info.protected),
        "VBR": int(vbr),
        "Bitrate": math.floor(bitrate),
        "Frequency": info.sample_rate,
        "Duration": duration,
        "ToolKbps": tool_kbps,
        "ToolSeconds": fmt["duration"],
    }


# The table --------------------------------------------------------------------------------------

def escape(value):
    text = str(value)
    for plain, escaped in (("\\", "\\\\"), ("\t", "\\t"), ("\n", "\\n"), ("\r", "\\r"),
                           ("\0", "\\0")):
        text = text.replace(plain, escaped)
    return text


def row(path):
    v1 = read_id3v1(path)
    v2 = read_id3v2(path)
    out = {"File": os.path.basename(path), "HasID3V1": int(v1 is not None),
           "HasID3V2": int(v2 is not None), "V2Version": v2[0] if v2 else 0}
    # cID3Tags: ID3v2 first, ID3v1 when the ID3v2 text is empty; Comments from ID3v1 only.
    for name in ("Title", "Artist", "Album", "Year", "Track", "Genre"):
        text = v2[1][name] if v2 else ""
        if text == "" and v1 is not None:
            text = v1[name]
        out[name] = text
    out["Comments"] = v1["Comments"] if v1 else ""
    out.update(read_mpeg(path))
    return out


def main():
    files = sorted(f for f in os.listdir(HERE) if f.endswith(".mp3"))
    if not files:
        sys.exit("no .mp3 files here: run make_fixtures.sh first")
    rows = [row(os.path.join(HERE, f)) for f in files]
    with open(os.path.join(HERE, "expected.tsv"), "w", encoding="utf-8", newline="\n") as out:
        out.write("\t".join(COLUMNS) + "\n")
        for r in rows:
            out.write("\t".join(escape(r[c]) for c in COLUMNS) + "\n")
    print(f"{len(rows)} rows written to expected.tsv")


if __name__ == "__main__":
    main()
