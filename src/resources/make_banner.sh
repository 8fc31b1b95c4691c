#!/usr/bin/env bash
# Draws banner.bmp, the 529 x 66 picture across the top of the wizard (24 bits per pixel): the
# gradient and the emblem. The wizard draws its title over it at run time, at the size of the
# display's font, in the language of the texts. Needs ImageMagick.
set -eu
cd "$(dirname "$0")"
convert -size 529x66 gradient:'#0b3d6b'-'#1d7fb8' -rotate -90 -resize 529x66! \
    \( -size 529x66 xc:none -fill 'rgba(255,255,255,0.07)' \
       -draw 'circle 470,10 470,90' -draw 'circle 520,60 520,110' \) -composite \
    -fill white -stroke none \
    -draw 'roundrectangle 18,11 54,55 4,4' \
    -fill '#1d5a8e' -draw 'polygon 44,11 54,21 44,21' \
    -fill '#1d5a8e' -draw 'rectangle 25,26 47,28' -draw 'rectangle 25,33 47,35' -draw 'rectangle 25,40 40,42' \
    -fill '#f2a93b' -draw 'polygon 36,51 50,37 54,41 40,55 35,56' \
    -fill 'rgba(255,255,255,0.35)' -draw 'rectangle 0,64 529,65' \
    -type TrueColor -define bmp:format=bmp3 BMP3:banner.bmp
