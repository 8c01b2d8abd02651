#!/usr/bin/env python3
"""Writes the hand-made seed files of the fuzz corpus (fuzz/corpus/seed-*.mp3).

Each seed is a small file that reaches one part of the readers, so the fuzzer starts from
inputs that already pass the checks in front of it: ID3v2.2, 2.3 and 2.4 tags with the flags
and frame kinds they may carry, ID3v1.0 and 1.1 records, MPEG frame headers of every version
and layer, a Xing VBR header, and files that hold nothing readable. Run it again after
changing a seed; the inputs the fuzzer added (named by their SHA-1) are left alone.

    python3 fuzz/make_seeds.py [CORPUS_FOLDER]
"""

import os
import struct
import sys
import zlib


def synchsafe(value):
    return bytes([(value >> 21) & 0x7F, (value >> 14) & 0x7F, (value >> 7) & 0x7F, value & 0x7F])


def unsynchronise(data):
    out = bytearray()
    for i, b in enumerate(data):
        out.append(b)
        if b == 0xFF and (i + 1 == len(data) or data[i + 1] == 0x00 or data[i + 1] >= 0xE0):
            out.append(0x00)
    return bytes(out)


def latin1(text):
    return b"\x00" + text.encode("latin-1")


def utf16(text):
    return b"\x01\xff\xfe" + text.encode("utf-16-le")


def utf16be(text):
    return b"\x02" + text.encode("utf-16-be")


def utf8(text):
    return b"\x03" + text.encode("utf-8")


# ID3v2.2: 3-character IDs, 3-byte sizes, no frame flags.
def frame22(frame_id, payload):
    return frame_id.encode() + struct.pack(">I", len(payload))[1:] + payload


def tag22(frames, flags=0, padding=8):
    body = frames + b"\x00" * padding
    if flags & 0x80:
        body = unsynchronise(body)
    return b"ID3\x02\x00" + bytes([flags]) + synchsafe(len(body)) + body


# ID3v2.3: 4-character IDs, plain 4-byte sizes; compression adds the decompressed size, then
# encryption its method byte and grouping its group byte.
def frame23(frame_id, payload, fmt=0, compressed_from=None):
    added = b""
    if fmt & 0x80:
        added += struct.pack(">I", compressed_from)
    if fmt & 0x40:
        added += b"\x81"
    if fmt & 0x20:
        added += b"\x07"
    data = added + payload
    return frame_id.encode() + struct.pack(">I", len(data)) + b"\x00" + bytes([fmt]) + data


def tag23(frames, flags=0, padding=16, extended=False):
    body = b""
    if extended:
        # 6 bytes after the size field: flags (CRC present) and padding size, then the CRC.
        body += struct.pack(">IHI", 10, 0x8000, padding) + struct.pack(">I", zlib.crc32(frames))
    body += frames + b"\x00" * padding
    if flags & 0x80:
        body = unsynchronise(body)
    return b"ID3\x03\x00" + bytes([flags]) + synchsafe(len(body)) + body


# ID3v2.4: synchsafe sizes; grouping, encryption and the data length indicator add bytes in
# that order.
def frame24(frame_id, payload, fmt=0, data_length=None, unsync=False):
    added = b""
    if fmt & 0x40:
        added += b"\x07"
    if fmt & 0x04:
        added += b"\x81"
    if fmt & 0x01:
        added += synchsafe(data_length)
    if unsync:
        payload = unsynchronise(payload)
        fmt |= 0x02
    data = added + payload
    return frame_id.encode() + synchsafe(len(data)) + b"\x00" + bytes([fmt]) + data


def tag24(frames, flags=0, padding=16, extended=False):
    body = b""
    if extended:
        # Size 6 (synchsafe, counting itself), one flag byte, no flags set.
        body += synchsafe(6) + b"\x01\x00"
    body += frames + b"\x00" * (0 if flags & 0x10 else padding)
    size = synchsafe(len(body))
    out = b"ID3\x04\x00" + bytes([flags]) + size + body
    if flags & 0x10:
        out += b"3DI\x04\x00" + bytes([flags]) + size
    return out


def id3v1(title, artist, album, year, comment, track=None, genre=17):
    record = bytearray(128)
    record[0:3] = b"TAG"

    def put(offset, width, text):
        data = text.encode("latin-1")[:width]
        record[offset:offset + len(data)] = data

    put(3, 30, title)
    put(33, 30, artist)
    put(63, 30, album)
    put(93, 4, year)
    if track is None:
        put(97, 30, comment)
    else:
        put(97, 28, comment)
        record[126] = track
    record[127] = genre
    return bytes(record)


# MPEG audio frame headers: version code 3 = MPEG 1, 2 = MPEG 2, 0 = MPEG 2.5; layer code
# 1 = Layer III, 2 = Layer II, 3 = Layer I; mode 3 = single channel.
def mpeg_header(version=3, layer=1, bitrate=9, rate=0, padding=0, mode=1, crc=False,
                copyright=False, original=True, emphasis=0):
    value = (0x7FF << 21) | (version << 19) | (layer << 17) | ((0 if crc else 1) << 16)
    value |= (bitrate << 12) | (rate << 10) | (padding << 9) | (mode << 6)
    value |= (int(copyright) << 3) | (int(original) << 2) | emphasis
    return struct.pack(">I", value)


def audio(frames=3, **header):
    # Short filler keeps the seeds small; the readers look at the first header only.
    return (mpeg_header(**header) + b"\x55" * 60) * frames


def xing(version=3, mode=1, frame_count=1000, byte_count=400000, flags=3):
    offset = (21 if mode == 3 else 36) if version == 3 else (13 if mode == 3 else 21)
    head = mpeg_header(version=version, mode=mode)
    body = b"\x00" * (offset - 4) + b"Xing" + struct.pack(">I", flags)
    if flags & 1:
        body += struct.pack(">I", frame_count)
    if flags & 2:
        body += struct.pack(">I", byte_count)
    return head + body + b"\x00" * 40


def seeds():
    v1_11 = id3v1("v1 title", "v1 artist", "v1 album", "1999", "v1 comment", track=7, genre=17)
    v1_10 = id3v1("Only v1", "Artist", "Album", "1987", "thirty characters of comment!!", genre=80)
    texts23 = (frame23("TIT2", latin1("Second Skin")) + frame23("TPE1", utf16("The Tessellates"))
               + frame23("TALB", latin1("Folding Light")) + frame23("TRCK", latin1("3/12"))
               + frame23("TCON", latin1("(17)Rock")) + frame23("TYER", latin1("2004")))
    compressed_title = latin1("A title that was compressed")
    yield "v23-texts-audio-v1", tag23(texts23) + audio() + v1_11
    yield "v23-compressed", tag23(
        frame23("TIT2", zlib.compress(compressed_title), 0x80, len(compressed_title))
        + frame23("TPE1", latin1("Plain"))) + audio()
    yield "v23-encrypted-grouped", tag23(
        frame23("TIT2", latin1("Grouped"), 0x20) + frame23("TALB", b"\x12\x34\x56", 0x40)
        + frame23("PRIV", b"owner\x00data", 0x60)) + audio()
    yield "v23-unsync", tag23(
        frame23("TIT2", latin1("Sync \xff\xe0 inside")) + frame23("APIC", b"\x00image/jpeg\x00\x03"
                                                              b"\x00\xff\xd8\xff\xe0\x00\x10"),
        flags=0x80) + audio()
    yield "v23-extended", tag23(texts23, flags=0x40, extended=True) + audio()
    yield "v23-comment-duplicates", tag23(
        frame23("COMM", b"\x00eng\x00A comment") + frame23("TXXX", latin1("desc\x00value"))
        + frame23("TPE1", latin1("First")) + frame23("tpe1", latin1("Second"))
        + frame23("TPE1", b"\x01\xfe\xff" + "Big endian".encode("utf-16-be"))) + v1_11
    yield "v22-texts", tag22(
        frame22("TT2", latin1("Title 2.2")) + frame22("TP1", utf16("Artist 2.2"))
        + frame22("TAL", latin1("Album")) + frame22("TRK", latin1("1/9"))
        + frame22("TCO", latin1("(13)")) + frame22("TYE", latin1("1995"))
        + frame22("COM", b"\x00engx\x00comment")) + audio(version=2)
    yield "v22-unsync", tag22(frame22("TT2", latin1("\xff\xfb\x90 sync")) + frame22(
        "PIC", b"\x00JPG\x03\x00\xff\xd8\xff\xe1"), flags=0x80) + audio()
    texts24 = (frame24("TIT2", utf8("Zweite Haut \u00e4\u00f6\u00fc \U0001F3B5"))
               + frame24("TPE1", utf16be("Big endian artist")) + frame24("TALB", utf16("Album 2.4"))
               + frame24("TRCK", latin1("4")) + frame24("TCON", latin1("Rock"))
               + frame24("TDRC", latin1("2011-05-01")))
    yield "v24-texts", tag24(texts24) + audio() + v1_11
    yield "v24-footer", tag24(texts24, flags=0x10) + audio()
    yield "v24-extended", tag24(texts24, flags=0x40, extended=True) + audio()
    packed = zlib.compress(b"\x00" + b"Compressed and resynchronised \xff\xe0\xff\x00" * 3)
    yield "v24-compressed-unsync", tag24(
        frame24("TIT2", packed, 0x09, 3 * 34 + 1, unsync=True)
        + frame24("PRIV", zlib.compress(b"x" * 300), 0x09, 300)
        + frame24("TPE1", latin1("plain \xff\xe0 text"), unsync=True)) + audio()
    yield "v24-tag-unsync", tag24(frame24("TIT2", unsynchronise(latin1("\xff\xe0\xff\xfe"))),
                                  flags=0x80) + audio()
    yield "v24-encrypted-grouped", tag24(
        frame24("TIT2", latin1("grouped"), 0x40) + frame24("TALB", b"\x99\x98", 0x04)
        + frame24("TPE1", latin1("with length"), 0x01, 12)) + audio()
    yield "v1-10-only", audio(version=2, layer=2, mode=3) + v1_10
    yield "v1-11-only", b"no audio here at all, only a record at the end " + v1_11
    yield "xing-mpeg1-stereo", xing() + audio(frames=2)
    yield "xing-mpeg2-mono", xing(version=2, mode=3, frame_count=50, flags=1)
    yield "xing-no-counts", xing(flags=0, version=0, mode=0)
    yield "mpeg1-layer1-crc", audio(layer=3, bitrate=5, rate=1, crc=True, copyright=True)
    yield "mpeg2-layer2", audio(version=2, layer=2, bitrate=14, rate=2, mode=2, emphasis=1)
    yield "mpeg25-layer3", audio(version=0, layer=1, bitrate=3, rate=1, padding=1, emphasis=3)
    yield "audio-after-junk", b"\x00\x11junk before the first frame\xff\xe0" * 4 + audio()
    yield "tag-after-junk", b"junk without sync" + tag23(texts23) + audio()
    # Past the first read of the tag search and through several blocks of the audio search.
    yield "tag-after-long-junk", b"no sync in here. " * 260 + tag24(texts24) + audio()
    yield "audio-after-long-junk", b"\xff\x00 no frame header " * 150 + audio()
    yield "unknown-version", b"ID3\x05\x00\x00" + synchsafe(20) + b"\x00" * 20 + audio()
    yield "junk-text", b"This is a text file, not an MP3.\n" * 8
    # Hundreds of frames of a few bytes, each announcing 16 MiB once inflated: a small file
    # that once made the reader hold gigabytes of zeros.
    yield "inflate-many-v23", tag23(frame23("PRIV", b"\x78", 0x80, 16 << 20) * 200) + audio()
    yield "inflate-many-v24", tag24(frame24("PRIV", b"\x78", 0x09, 16 << 20) * 200) + audio()
    yield "junk-bytes", bytes((i * 73 + 41) & 0xFF for i in range(700))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__),
                                                                "corpus")
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(folder, "seed-" + name + ".mp3"), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
