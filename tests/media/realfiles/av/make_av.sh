#!/bin/sh
# Makes the small video and sound files of the media reader tests, and expected_av.tsv with
# their properties as ffprobe reports them. Needs ffmpeg, ffprobe and sox. Each file is a
# second or less at tiny frame sizes; generated content only (test patterns and tones).
#     sh make_av.sh            (run in this folder)
set -eu
cd "$(dirname "$0")"

ff="ffmpeg -hide_banner -loglevel error -y -bitexact"
video="testsrc=size=64x48"
tone="sine=frequency=440:sample_rate=11025:duration=1"

# AVI: two codecs, each with and without a sound stream, two frame rates.
$ff -f lavfi -i "$video:rate=25:duration=1" -f lavfi -i "$tone" \
    -c:v mpeg4 -q:v 5 -c:a pcm_s16le -ac 2 -shortest avi_mpeg4_sound.avi
$ff -f lavfi -i "$video:rate=30000/1001:duration=1" \
    -c:v mpeg4 -q:v 5 -an avi_mpeg4_nosound.avi
$ff -f lavfi -i "$video:rate=25:duration=1" \
    -c:v mjpeg -q:v 10 -an avi_mjpeg_nosound.avi
$ff -f lavfi -i "$video:rate=24000/1001:duration=1" -f lavfi -i "$tone" \
    -c:v mjpeg -q:v 10 -c:a pcm_u8 -ac 1 -shortest avi_mjpeg_sound.avi

# WAVE PCM: 8, 16 and 24 bits, mono and stereo, a fraction of a second each.
sox -n -r 8000 -b 8 -c 1 wave_u8_mono.wav synth 0.5 sine 440
sox -n -r 11025 -b 16 -c 2 wave_s16_stereo.wav synth 0.25 sine 440
sox -n -r 22050 -b 16 -c 1 wave_s16_mono.wav synth 0.2 sine 440
sox -n -r 8000 -b 24 -c 2 wave_s24_stereo.wav synth 0.3 sine 440

# MPEG-1: a system stream with an MPEG audio layer 2 track, and a video elementary stream.
# A fixed bit rate puts it into the sequence header (a variable one is written as "unknown").
mpv="-c:v mpeg1video -b:v 200k -minrate 200k -maxrate 200k -bufsize 320k -g 5"
$ff -f lavfi -i "$video:rate=25:duration=1" -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=1" \
    $mpv -c:a mp2 -b:a 64k -ac 1 -shortest -f mpeg mpeg1_system.mpg
$ff -f lavfi -i "$video:rate=25:duration=1" $mpv -f mpeg1video mpeg1_video_only.mpg

# One line a file; "-" where ffprobe gives nothing. Bit rates in bit/s; file_bit_rate is the
# whole file's (size over duration).
value() {  # value STREAM ENTRY FILE
    v=$(ffprobe -v error -select_streams "$1" -show_entries "stream=$2" \
        -of default=nw=1:nk=1 "$3" | head -n 1)
    case "$v" in ""|N/A) echo "-" ;; *) echo "$v" ;; esac
}
{
    printf 'file\twidth\theight\tfps\tvideo_tag\tframes\tduration\taudio\tsample_rate\tchannels\tbits\taudio_tag\taudio_bit_rate\tvideo_bit_rate\tfile_bit_rate\n'
    for f in avi_*.avi wave_*.wav mpeg1_*.mpg; do
        duration=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$f")
        file_rate=$(ffprobe -v error -show_entries format=bit_rate -of default=nw=1:nk=1 "$f")
        if [ -n "$(ffprobe -v error -select_streams a -show_entries stream=index -of csv=p=0 "$f")" ]; then
            audio=yes
        else
            audio=no
        fi
        printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$f" \
            "$(value v:0 width "$f")" "$(value v:0 height "$f")" \
            "$(value v:0 r_frame_rate "$f")" "$(value v:0 codec_tag_string "$f")" \
            "$(value v:0 nb_frames "$f")" "$duration" "$audio" \
            "$(value a:0 sample_rate "$f")" "$(value a:0 channels "$f")" \
            "$(value a:0 bits_per_sample "$f")" "$(value a:0 codec_tag "$f")" \
            "$(value a:0 bit_rate "$f")" "$(value v:0 bit_rate "$f")" "$file_rate"
    done
} > expected_av.tsv
