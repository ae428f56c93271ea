#!/usr/bin/env bash
# Renders the sample pictures of this folder. They are golden inputs: run this only to change them
# on purpose (cmake --build <dir> --target regenerate-samples), then check manifest.tsv against what
# the reader now reads.
#   usage: regenerate.sh PATH/TO/render-plate
set -euo pipefail
render=$(realpath "$1")
cd "$(dirname "$0")"

"$render" --size 400x260 --noise 2 --plate 5821:width=330 private_4_digits.bmp
"$render" --size 400x260 --background gradient:225,225,230/120,125,130 --blur 0.5 \
  --plate 357:width=320:region=練馬:class=330:kana=ね private_3_digits.bmp
"$render" --size 400x260 --background uniform:70,75,80 --noise 3 \
  --plate 46:width=330:region=横浜:class=300:kana=す private_2_digits.bmp
"$render" --size 400x260 --background uniform:190,190,195 --noise 3 \
  --plate 46:kind=kei:width=330:region=足立:class=580:kana=な kei_2_digits.bmp
"$render" --size 400x260 --background uniform:200,200,200 --noise 2 \
  --plate 7:kind=kei:width=330:region=多摩:class=50:kana=そ kei_1_digit.bmp
"$render" --size 400x260 --background uniform:200,200,200 --noise 2 \
  --plate 7:width=330:region=多摩:class=50:kana=た private_1_digit.bmp
"$render" --size 640x480 --background gradient:215,220,225/90,90,95 --noise 3 --blur 0.5 --seed 2 \
  --plate 1204:width=300:at=20,40:region=品川 \
  --plate 839:kind=kei:width=280:at=340,260:region=札幌:class=531:kana=ち two_plates.bmp
"$render" --size 240x160 --noise 2 --plate 6915:width=150 small_plate.bmp
"$render" --size 480x320 --background clutter:215,205,195/55,60,70/32 --blur 1.2 --noise 8 --seed 3 \
  --plate 2760:kind=kei:width=340:region=名古屋:class=500:kana=に blurred_on_clutter.bmp
"$render" --size 320x240 --background clutter:215,205,195/55,60,70/24 --noise 4 --seed 4 no_plate.bmp
