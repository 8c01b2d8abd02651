#!/bin/bash
# Makes the MP3 files of this folder with the encoders and taggers that people really use, so the
# tag library is checked against bytes it did not invent. Run it by hand (the test only reads the
# files it leaves): it rewrites every .mp3 here, then read_expected.py rebuilds expected.tsv.
#
# Needs (Debian packages): lame, ffmpeg, sox with its mp3 format, id3v2, eyed3, python3-mutagen.
# The output is the same on every run with the same tool versions: the sound is synthesised
# sines, ffmpeg runs bit-exact, and no tagger is asked to stamp a time.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
python=/usr/bin/python3  # the system Python, which has mutagen
for tool in lame ffmpeg sox id3v2 eyeD3 mid3v2 "$python"; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8  # id3v2 converts its arguments from the locale's encoding

rm -f "$here"/*.mp3

# Two sines (one per channel) of `seconds` at `rate` Hz with `channels` channels, as 16-bit WAVE.
wav() {  # name seconds rate channels
    sox -R -n -r "$3" -c "$4" -b 16 "$work/$1.wav" synth "$2" sine 440 sine 660 vol 0.5
}
# lame quietly, without its own tags unless asked.
enc() {  # wav out lame-options...
    local in="$work/$1.wav" out="$here/$2"
    shift 2
    lame --quiet --noreplaygain "$@" "$in" "$out"
}
ff() {
    ffmpeg -v error -nostdin -y -bitexact -fflags +bitexact -flags:a +bitexact "$@"
}

wav st44 0.5 44100 2
wav st44long 1 44100 2
wav mo44 1 44100 1
wav mo32 1.5 32000 1
wav st48 0.6 48000 2
wav st22 2 22050 2
wav st24 1.5 24000 2
wav mo16 2 16000 1
wav st11 2 11025 2
wav mo8 4 8000 1

# Pictures for the APIC frames: small, synthetic, bit-exact.
ff -f lavfi -i "testsrc=size=96x96:rate=1" -frames:v 1 "$work/small.png"
ff -f lavfi -i "mandelbrot=size=128x128:rate=1" -frames:v 1 -q:v 2 "$work/big.jpg"

# 01: MPEG 1 CBR 128 kbit/s, joint stereo, no tag at all (lame writes an "Info" frame).
enc st44 01-lame-cbr128-notag.mp3 -b 128 -m j

# 02: MPEG 1 at 32 kHz mono, only an ID3v1.1 tag (id3lib), Latin-1 texts, genre 133.
enc mo32 02-lame-cbr32-mono-id3v1only.mp3 -b 32 -m m --resample 32
id3v2 -1 -t "Café Ñandú" -a "Señor Ünïcödé" -A "Añejo" -y 1987 -T 7 -g 133 \
    -c "only ID3v1 here" "$here/02-lame-cbr32-mono-id3v1only.mp3"

# 03: MPEG 1 at 48 kHz dual channel with CRC; id3lib writes ID3v2.3 and ID3v1 (genre "(17)").
enc st48 03-lame-crc-dual-id3lib-v23-v1.mp3 -b 64 -m d -p --resample 48
id3v2 -t "Second Skin" -a "The Tessellates" -A "Folding Light" -y 2004 -T 3/12 -g 17 \
    -c "id3lib comment" "$here/03-lame-crc-dual-id3lib-v23-v1.mp3"

# 04: MPEG 1 VBR (Xing), eyeD3 ID3v2.4 in UTF-8 with CJK and an emoji.
enc st44long 04-lame-vbr-eyed3-v24-utf8.mp3 -V 5
eyeD3 -Q --to-v2.4 --encoding utf8 -t "東京の夜" -a "Café Ñandú 🎵" -A "Ünïcödé" \
    -G Jazz -n 2 -N 9 -Y 2019 "$here/04-lame-vbr-eyed3-v24-utf8.mp3" >/dev/null

# 05: MPEG 2 VBR at 22050 Hz, eyeD3 ID3v2.3 (UTF-16 where Latin-1 does not do).
enc st22 05-lame-vbr-mpeg2-22050-eyed3-v23.mp3 -V 9 --resample 22.05
eyeD3 -Q --to-v2.3 -t "Ünïcödé" -a "東京の夜" -A "Plain Album" -G "Hard Rock" -n 11 \
    -Y 1999 "$here/05-lame-vbr-mpeg2-22050-eyed3-v23.mp3" >/dev/null

# 06: MPEG 2 CBR at 24000 Hz, mid3v2 (ID3v2.4, UTF-8).
enc st24 06-lame-cbr32-mpeg2-24000-mid3v2-v24.mp3 -b 32 --resample 24
mid3v2 -t "🎵 Emoji Title" -a "Ünïcödé" -A "東京" -g Jazz -T 1/2 -y 2020 \
    "$here/06-lame-cbr32-mpeg2-24000-mid3v2-v24.mp3"

# 07: MPEG 2 at 16000 Hz mono; mutagen saves ID3v2.3 (UTF-16) and makes an ID3v1 from it.
enc mo16 07-lame-cbr24-mpeg2-16000-mono-mutagen-v23-v1.mp3 -b 24 -m m --resample 16
"$python" - "$here/07-lame-cbr24-mpeg2-16000-mono-mutagen-v23-v1.mp3" <<'EOF'
import sys
from mutagen.id3 import ID3, TALB, TCON, TDRC, TIT2, TPE1, TRCK
tags = ID3()
tags.add(TIT2(encoding=3, text="Ünïcödé"))
tags.add(TPE1(encoding=3, text="Café Ñandú"))
tags.add(TALB(encoding=3, text="東京の夜"))
tags.add(TCON(encoding=3, text="Blues"))
tags.add(TRCK(encoding=3, text="4/8"))
tags.add(TDRC(encoding=3, text="2001"))
tags.update_to_v23()
tags.save(sys.argv[1], v1=2, v2_version=3)
EOF

# 08: MPEG 2.5 at 11025 Hz, eyeD3 writes only an ID3v1.1 tag.
enc st11 08-lame-cbr16-mpeg25-11025-eyed3-v1.mp3 -b 16 --resample 11.025
eyeD3 -Q -1 -t "Café" -a "Eleven" -A "Kilohertz" -G Blues -n 12 -Y 2012 \
    -c "eyeD3 v1" "$here/08-lame-cbr16-mpeg25-11025-eyed3-v1.mp3" >/dev/null

# 09: MPEG 2.5 at 8000 Hz mono, 8 kbit/s, 4 s; ffmpeg copies the stream and writes ID3v2.3. An
# 8 kbit/s frame (72 bytes) cannot hold ffmpeg's Info frame, so ffmpeg writes that one frame at
# 24 kbit/s.
lame --quiet --noreplaygain -b 8 -m m --resample 8 "$work/mo8.wav" "$work/mo8.mp3"
ff -i "$work/mo8.mp3" -c copy -id3v2_version 3 -metadata title="Eight Kilohertz" \
    -metadata artist="Señor" -metadata track=9 -metadata genre="Speech" \
    "$here/09-lame-cbr8-mpeg25-8000-mono-ffmpeg-v23.mp3"

# 10: ffmpeg's own encoding, CBR 96 kbit/s; ID3v2.3 (UTF-16, emoji as a surrogate pair) and an
# ID3v1 into which ffmpeg writes the UTF-8 bytes.
ff -f lavfi -i "sine=frequency=440:duration=0.6:sample_rate=44100" -ac 2 -c:a libmp3lame -b:a 96k \
    -id3v2_version 3 -write_id3v1 1 -metadata title="Café Ñandú" -metadata artist="東京の夜" \
    -metadata album="Ünïcödé 🎵" -metadata date=2011 -metadata track=5/10 -metadata genre=Rock \
    -metadata comment="ffmpeg comment" "$here/10-ffmpeg-cbr96-v23-v1.mp3"

# 11: ffmpeg VBR (Xing) with ID3v2.4 in UTF-8, no ID3v1.
ff -f lavfi -i "sine=frequency=330:duration=1:sample_rate=44100" -ac 2 -c:a libmp3lame -q:a 7 \
    -id3v2_version 4 -metadata title="Ünïcödé" -metadata artist="東京の夜 🎵" \
    -metadata album="VBR Album" -metadata date=2015 -metadata track=1 -metadata genre=Pop \
    "$here/11-ffmpeg-vbr-v24.mp3"

# 12: ffmpeg CBR 64 kbit/s mono with ID3v2.4 and ID3v1: the year can only come from ID3v1.
ff -f lavfi -i "sine=frequency=550:duration=1:sample_rate=44100" -ac 1 -c:a libmp3lame -b:a 64k \
    -id3v2_version 4 -write_id3v1 1 -metadata title="Year From V1" -metadata artist="Ffmpeg" \
    -metadata album="Fallbacks" -metadata date=1995 -metadata track=2/3 -metadata genre=Metal \
    -metadata comment="v1 has the year" "$here/12-ffmpeg-cbr64-mono-v24-v1.mp3"

# 13: only an ID3v1 tag, holding the UTF-8 bytes of its texts as ffmpeg writes them (so bytes
# 0x80-0x9F occur) and a genre that ID3v1 cannot name (255). ffmpeg writes no ID3v1 without an
# ID3v2 tag, so id3lib strips the ID3v2.3 tag afterwards.
ff -f lavfi -i "sine=frequency=220:duration=1:sample_rate=32000" -ac 1 -c:a libmp3lame -b:a 48k \
    -id3v2_version 3 -write_id3v1 1 -metadata title="Ñandú Only V1" -metadata artist="Ffmpeg" \
    -metadata comment="Ünïcödé œ" \
    -metadata genre="Not A Standard Genre" "$here/13-ffmpeg-v1only-genre255.mp3"
id3v2 -d "$here/13-ffmpeg-v1only-genre255.mp3" >/dev/null

# 14: ffmpeg with a cover picture (APIC) in ID3v2.3.
ff -f lavfi -i "sine=frequency=440:duration=0.5:sample_rate=44100" -i "$work/small.png" \
    -map 0:a -map 1:v -ac 2 -c:a libmp3lame -b:a 64k -c:v copy -id3v2_version 3 \
    -metadata title="With Cover" -metadata artist="Ffmpeg" -metadata:s:v comment="Cover (front)" \
    "$here/14-ffmpeg-v23-apic.mp3"

# 15: eyeD3 ID3v2.4 with a picture larger than the 10000 bytes that the frame search covers, so
# the audio sits far behind the start of the file.
enc st44 15-lame-cbr64-eyed3-v24-bigapic.mp3 -b 64 --resample 44.1
eyeD3 -Q --to-v2.4 -t "Big Picture" -a "Eyed3" -A "Behind The Tag" -n 15 \
    --add-image "$work/big.jpg:FRONT_COVER" "$here/15-lame-cbr64-eyed3-v24-bigapic.mp3" >/dev/null

# 16: MPEG 2 at 22050 Hz; eyeD3 ID3v2.4 in UTF-16 big-endian (text encoding 2).
enc st44 16-lame-cbr48-eyed3-v24-utf16be.mp3 -b 48 --resample 22.05
eyeD3 -Q --to-v2.4 --encoding utf16-be -t "Ünïcödé BE" -a "東京の夜" -A "Añejo" -G Rock -n 6 \
    "$here/16-lame-cbr48-eyed3-v24-utf16be.mp3" >/dev/null

# 17: MPEG 2 at 16000 Hz; mutagen ID3v2.4 with several values in one frame (NUL-separated).
enc st44 17-lame-cbr40-mutagen-v24-multivalue.mp3 -b 40 --resample 16
"$python" - "$here/17-lame-cbr40-mutagen-v24-multivalue.mp3" <<'EOF'
import sys
from mutagen.id3 import ID3, TALB, TCON, TIT2, TPE1, TRCK
tags = ID3()
tags.add(TIT2(encoding=3, text="Two Artists"))
tags.add(TPE1(encoding=3, text=["Ünïcödé", "Café Ñandú"]))
tags.add(TALB(encoding=3, text="Split"))
tags.add(TCON(encoding=3, text=["Rock", "Jazz"]))
tags.add(TRCK(encoding=3, text="17"))
tags.save(sys.argv[1])
EOF

# 18: lame's own tagging: ID3v2.3 with UTF-16 texts and an ID3v1.
enc st44 18-lame-cbr56-lametag-v23-v1.mp3 -b 56 --resample 44.1 --add-id3v2 --id3v2-utf16 \
    --tt "Título" --ta "Ärtist" --tl "Álbum" --ty 1999 --tn 4/9 --tg Jazz --tc "lame comment"

# 19: MPEG 1 Layer II from ffmpeg's mp2 encoder, tagged by mid3v2.
ff -f lavfi -i "sine=frequency=440:duration=1:sample_rate=32000" -ac 1 -c:a mp2 -b:a 32k \
    -f mp2 "$here/19-ffmpeg-layer2-mid3v2-v24.mp3"
mid3v2 -t "Layer Two" -a "Mp2" -T 19 "$here/19-ffmpeg-layer2-mid3v2-v24.mp3"

# 20: sox's mp3 output: frames from the first byte, no Xing/Info frame, no tag.
sox -R -n -r 48000 -c 1 -C 48 "$here/20-sox-cbr48-mono-notag.mp3" synth 1 sine 300 vol 0.5

# 21: id3lib ID3v2.3 without a track (the ID3v1 track 0 shows through) and genre 255.
enc st44 21-lame-cbr32-id3lib-notrack.mp3 -b 32 --resample 44.1
id3v2 -t "No Track" -a "Id3lib" -y 2021 -g 255 "$here/21-lame-cbr32-id3lib-notrack.mp3"

# 22: MPEG 1 VBR in mono with CRC: the Xing header stands nearer the frame header than in
# stereo, and the CRC does not move it.
enc mo44 22-lame-vbr-crc-mono-notag.mp3 -V 6 -m m -p

# 23: MPEG 2.5 VBR at 8000 Hz mono (the Xing header nearest of all), tagged by id3lib.
enc mo8 23-lame-vbr-mpeg25-8000-mono-id3lib.mp3 -V 9 -m m --resample 8
id3v2 -t "Low And Slow" -a "Id3lib" -T 23 -g 101 "$here/23-lame-vbr-mpeg25-8000-mono-id3lib.mp3"

stat -c %s "$here"/*.mp3 | awk '{ total += $1 } END { print NR " files, " total " bytes" }'
