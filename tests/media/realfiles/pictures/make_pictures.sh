#!/bin/sh
# Makes the small picture files of the media reader tests, and expected_pictures.tsv with their
# sizes as ImageMagick's identify reports them and their bits per pixel as file(1) reports them.
# Needs ImageMagick and file. Generated content only (gradients and flat colours).
#     sh make_pictures.sh            (run in this folder)
set -eu
cd "$(dirname "$0")"

# BMP: 24 bits, 32 bits with alpha (a newer info header), a 16-colour palette.
convert -size 37x21 gradient:red-blue -type TrueColor BMP3:bmp_rgb24.bmp
convert -size 37x21 gradient:red-blue -type TrueColorAlpha BMP:bmp_rgba32.bmp
convert -size 37x21 gradient:red-blue -colors 16 -type Palette BMP3:bmp_palette4.bmp

# JPEG: baseline, progressive, grey, and one whose comment segment is longer than 32 KB and
# comes before the frame header.
convert -size 41x23 gradient:red-blue -quality 80 jpeg_baseline.jpg
convert -size 41x23 gradient:red-blue -interlace JPEG -quality 80 jpeg_progressive.jpg
convert -size 41x23 gradient: -colorspace Gray jpeg_grey.jpg
comment=$(head -c 40000 /dev/zero | tr '\0' 'x')
convert -size 41x23 gradient:red-blue -quality 80 -set comment "$comment" jpeg_long_segment.jpg

# GIF: many colours and two.
convert -size 29x17 gradient:red-blue -colors 200 gif_many.gif
convert -size 29x17 xc:red -fill blue -draw "rectangle 0,0 10,10" gif_two.gif

# PNG: RGB, RGB with alpha at 16 bits, palette, grey.
convert -size 33x19 gradient:red-blue PNG24:png_rgb8.png
convert -size 33x19 gradient:red-blue -alpha set -channel A -evaluate set 50% PNG64:png_rgba16.png
convert -size 33x19 gradient: -colorspace Gray PNG8:png_palette8.png
convert -size 33x19 gradient: -colorspace Gray -depth 8 PNG:png_grey8.png

# PCX: three planes of 8 bits, one plane with a palette.
convert -size 43x27 gradient:red-blue PCX:pcx_rgb24.pcx
convert -size 43x27 gradient:red-blue -colors 16 -type Palette PCX:pcx_palette8.pcx

# Bits per pixel as file(1) describes the header; "-" where it says nothing about them.
bits() {  # bits FILE
    d=$(file -b "$1")
    case "$d" in
        "PC bitmap"*) echo "$d" | sed -n 's/.* [0-9]* x [0-9]* x \([0-9]*\).*/\1/p' ;;
        *"-bit/color RGBA"*) echo $(( 4 * $(echo "$d" | sed 's/.* \([0-9]*\)-bit\/color.*/\1/') )) ;;
        *"-bit/color RGB"*) echo $(( 3 * $(echo "$d" | sed 's/.* \([0-9]*\)-bit\/color.*/\1/') )) ;;
        *"-bit grayscale"* | *"-bit colormap"*) echo "$d" | sed 's/.* \([0-9]*\)-bit [gc].*/\1/' ;;
        PCX*"planes each of"*) echo $(( $(echo "$d" | sed 's/.*, \([0-9]*\) planes each of \([0-9]*\)-bit.*/\1 * \2/') )) ;;
        PCX*"-bit colour"*) echo "$d" | sed 's/.*, \([0-9]*\)-bit colour.*/\1/' ;;
        *) echo "-" ;;
    esac
}
{
    printf 'file\twidth\theight\tbits_per_pixel\n'
    for f in bmp_*.bmp jpeg_*.jpg gif_*.gif png_*.png pcx_*.pcx; do
        printf '%s\t%s\t%s\t%s\n' "$f" "$(identify -format '%w' "$f")" "$(identify -format '%h' "$f")" \
            "$(bits "$f")"
    done
} > expected_pictures.tsv
