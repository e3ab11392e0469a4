#!/bin/bash
# Makes every sound of the game from scratch into resources/sounds/.
# Needs espeak-ng, sox and ffmpeg (with libmp3lame). The results are committed,
# so building the game does not need these tools.
set -euo pipefail

OUT="$(cd "$(dirname "$0")/.." && pwd)/resources/sounds"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT"
RATE=22050
RANDOM=7772 # the same "random" claps on every run
export SOX_OPTS="-R -V2" # the same noise and dither on every run; warnings and errors only

# note FILE SECONDS WAVEFORM SEMITONES... : one tone or chord (semitones from A 440), mixed to mono
note() {
    local file=$1 seconds=$2 wave=$3
    shift 3
    local parts=()
    for tone in "$@"; do parts+=("$wave" "%$tone"); done
    sox -n -r $RATE -c $# "$WORK/chord.wav" synth "$seconds" "${parts[@]}"
    sox "$WORK/chord.wav" -c 1 "$file" remix - fade l 0.005 0 "$(echo "$seconds * 0.9" | bc -l)"
}

# bell FILE SECONDS SEMITONES... : a struck, quickly fading sine with a soft overtone
bell() {
    local file=$1 seconds=$2
    shift 2
    local parts=()
    for tone in "$@"; do parts+=(sine "%$tone" sine "%$((tone + 12))"); done
    sox -n -r $RATE -c $(($# * 2)) "$WORK/bell.wav" synth "$seconds" "${parts[@]}"
    sox "$WORK/bell.wav" -c 1 "$file" remix - fade l 0.003 0 "$(echo "$seconds - 0.01" | bc -l)"
}

# silence FILE SECONDS
silence() {
    sox -n -r $RATE -c 1 "$1" trim 0 "$2"
}

# finish NAME INPUT PEAK_DB [EFFECTS...] : trims, levels and stores a PCM sound as NAME.wav (16 bit mono)
finish() {
    local name=$1 input=$2 peak=$3
    shift 3
    sox "$input" -r $RATE -c 1 -b 16 "$WORK/$name.pcm.wav" "$@" gain -n "$peak"
    cp "$WORK/$name.pcm.wav" "$OUT/$name.wav"
}

# finish_mp3 NAME INPUT PEAK_DB [EFFECTS...] : as finish, stored as MPEG Layer-3 data in a WAVE container
finish_mp3() {
    local name=$1 input=$2 peak=$3
    shift 3
    sox "$input" -r $RATE -c 1 -b 16 "$WORK/$name.pcm.wav" "$@" gain -n "$peak"
    ffmpeg -nostdin -loglevel error -y -i "$WORK/$name.pcm.wav" -map_metadata -1 -fflags +bitexact \
        -c:a libmp3lame -b:a 64k "$OUT/$name.wav"
}

# speak FILE VOICE SPEED PITCH TEXT : spoken words, leading and trailing quiet cut off
speak() {
    espeak-ng -v "$2" -s "$3" -p "$4" -w "$WORK/said.wav" "$5"
    sox "$WORK/said.wav" -r $RATE "$1" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse
}

# ---------------------------------------------------------------- game events
bell "$WORK/e1.wav" 0.35 7
bell "$WORK/e2.wav" 0.6 12
sox "$WORK/e1.wav" "$WORK/e2.wav" "$WORK/entered.wav"
finish ENTERED "$WORK/entered.wav" -4 reverb 20

note "$WORK/i1.wav" 0.08 square -24
silence "$WORK/gap.wav" 0.05
sox "$WORK/i1.wav" "$WORK/gap.wav" "$WORK/i1.wav" "$WORK/invalid.wav"
sox "$WORK/invalid.wav" -r $RATE -c 1 -b 8 "$OUT/INVALID.wav" lowpass 1500 gain -n -6

note "$WORK/t1.wav" 0.12 pluck 15
note "$WORK/t2.wav" 0.12 pluck 19
note "$WORK/t3.wav" 0.45 pluck 22
sox "$WORK/t1.wav" "$WORK/t2.wav" "$WORK/t3.wav" "$WORK/turn.wav"
finish TURN "$WORK/turn.wav" -3

bell "$WORK/n1.wav" 0.18 10
bell "$WORK/n2.wav" 0.18 14
bell "$WORK/n3.wav" 0.18 17
bell "$WORK/n4.wav" 0.7 22
sox "$WORK/n1.wav" "$WORK/n2.wav" "$WORK/n3.wav" "$WORK/n4.wav" "$WORK/turnnew.wav"
finish TURNNEW "$WORK/turnnew.wav" -4 reverb 30

note "$WORK/inword.wav" 0.22 pluck 12 19
finish INWORD "$WORK/inword.wav" -4

note "$WORK/p1.wav" 0.1 sawtooth 3
note "$WORK/p2.wav" 0.1 sawtooth 7
note "$WORK/p3.wav" 0.1 sawtooth 10
note "$WORK/p4.wav" 0.8 sawtooth 15 19 22
sox "$WORK/p1.wav" "$WORK/p2.wav" "$WORK/p3.wav" "$WORK/p4.wav" "$WORK/complete.wav"
finish PUZZLECOMPLETE "$WORK/complete.wav" -3 lowpass 2500 reverb 25

sox -n -r $RATE -c 1 "$WORK/bonk.wav" synth 0.28 sine 190-70 fade l 0.002 0 0.26
finish NOTINWORD "$WORK/bonk.wav" -3 lowpass 800

# lose: a sad trombone, "wah wah wah waaah", each note held and the last one sagging and wobbling
trombone() {
    sox -n -r $RATE -c 1 "$1" synth "$2" sawtooth "$3" fade q 0.04 0 0.12
}
trombone "$WORK/l1.wav" 0.4 293.7
trombone "$WORK/l2.wav" 0.4 277.2
trombone "$WORK/l3.wav" 0.4 261.6
trombone "$WORK/l4.wav" 1.2 246.9-233.1
sox "$WORK/l4.wav" "$WORK/l4w.wav" tremolo 5 35 fade q 0 0 0.5
sox "$WORK/l1.wav" "$WORK/l2.wav" "$WORK/l3.wav" "$WORK/l4w.wav" "$WORK/lose.wav"
finish LOSE "$WORK/lose.wav" -8 lowpass 900 reverb 20

note "$WORK/g1.wav" 0.12 sawtooth -2
note "$WORK/g2.wav" 0.45 sawtooth 3
note "$WORK/g3.wav" 0.15 sawtooth 7
note "$WORK/g4.wav" 0.15 sawtooth 10
note "$WORK/g5.wav" 1.2 sawtooth 3 7 10 15
sox "$WORK/g1.wav" "$WORK/g1.wav" "$WORK/g1.wav" "$WORK/g2.wav" "$WORK/g3.wav" "$WORK/g4.wav" "$WORK/g5.wav" \
    "$WORK/gameover.wav"
sox "$WORK/gameover.wav" -r $RATE -c 2 -b 16 "$OUT/GAMEOVER.wav" lowpass 2800 reverb 30 50 100 gain -n -3

sox -n -r 11025 -c 1 "$WORK/tick.wav" synth 0.035 sine 1800 fade l 0.001 0 0.033
sox "$WORK/tick.wav" -b 8 "$OUT/TICK.wav" gain -n -10

# ---------------------------------------------------------------- chatter sounds
speak "$WORK/doh.wav" en-us+m3 140 20 "Doh!"
finish WAVE1 "$WORK/doh.wav" -3

# cough: three rough bursts of breath
for i in 1 2 3; do
    sox -n -r $RATE -c 1 "$WORK/c$i.wav" synth 0.2 pinknoise synth 0.2 sawtooth amod 110 fade l 0.004 0 0.18
done
silence "$WORK/cgap.wav" 0.12
sox "$WORK/c1.wav" "$WORK/cgap.wav" "$WORK/c2.wav" "$WORK/cgap.wav" "$WORK/c3.wav" "$WORK/cough.wav" bandpass 700 1.2
finish WAVE2 "$WORK/cough.wav" -8

speak "$WORK/hello.wav" en-us+f3 150 60 "Hello!"
finish WAVE3 "$WORK/hello.wav" -3
speak "$WORK/thanks.wav" en-us+m1 150 50 "Thank you!"
finish WAVE4 "$WORK/thanks.wav" -3
speak "$WORK/where.wav" en-us+f2 150 55 "Where have you been?"
finish WAVE5 "$WORK/where.wav" -3

# snoring: a rattling breath in and a soft whistle out, twice
sox -n -r $RATE -c 1 "$WORK/in.wav" synth 1.2 brownnoise tremolo 32 85 lowpass 400 fade h 0.5 0 0.3
sox -n -r $RATE -c 1 "$WORK/out.wav" synth 0.9 pinknoise vol 0.25 highpass 1200 lowpass 3500 fade h 0.2 0 0.6
silence "$WORK/sgap.wav" 0.25
sox "$WORK/in.wav" "$WORK/out.wav" "$WORK/sgap.wav" "$WORK/in.wav" "$WORK/out.wav" "$WORK/snore.wav"
finish_mp3 WAVE6 "$WORK/snore.wav" -4

speak "$WORK/ah1.wav" en-us+m3 110 55 "ah"
speak "$WORK/ah2.wav" en-us+m3 110 70 "ah"
speak "$WORK/choo.wav" en-us+m3 200 85 "choo!"
sox -n -r $RATE -c 1 "$WORK/burst.wav" synth 0.25 whitenoise vol 0.5 highpass 2000 fade l 0.002 0 0.22
sox -m "$WORK/choo.wav" "$WORK/burst.wav" "$WORK/choo2.wav"
silence "$WORK/agap.wav" 0.25
sox "$WORK/ah1.wav" "$WORK/agap.wav" "$WORK/ah2.wav" "$WORK/agap.wav" "$WORK/choo2.wav" "$WORK/sneeze.wav"
finish WAVE7 "$WORK/sneeze.wav" -3

speak "$WORK/sorry.wav" en-us+m2 130 45 "Sorry!"
finish WAVE8 "$WORK/sorry.wav" -3
speak "$WORK/welcome.wav" en-us+f4 140 60 "Welcome!"
finish WAVE9 "$WORK/welcome.wav" -3
speak "$WORK/yeehaa.wav" en-us+m4 150 75 "Yee haa!"
finish WAVE10 "$WORK/yeehaa.wav" -3
speak "$WORK/yippee.wav" en-us+f5 160 85 "Yippee!"
finish WAVE11 "$WORK/yippee.wav" -3
speak "$WORK/ohno.wav" en-us+m1 110 35 "Oh no!"
finish WAVE12 "$WORK/ohno.wav" -3

# applause: eight clappers, each a train of short filtered noise bursts at their own pace
make_clapper() {
    local file=$1 centre=$2 parts=()
    sox -n -r $RATE -c 1 "$WORK/clap.wav" synth 0.03 whitenoise bandpass "$centre" 1.5 fade l 0.001 0 0.028
    silence "$WORK/lead.wav" "0.0$((RANDOM % 9))"
    parts+=("$WORK/lead.wav")
    for k in $(seq 1 11); do
        silence "$WORK/cl$k.wav" "0.$((14 + RANDOM % 12))"
        parts+=("$WORK/clap.wav" "$WORK/cl$k.wav")
    done
    sox "${parts[@]}" "$file"
}
clappers=()
for centre in 900 1100 1300 1500 1700 1900 2200 2500; do
    make_clapper "$WORK/clapper$centre.wav" "$centre"
    clappers+=("$WORK/clapper$centre.wav")
done
sox -m "${clappers[@]}" "$WORK/applause.wav" trim 0 2.6 fade h 0.1 2.6 0.9
finish WAVE13 "$WORK/applause.wav" -4 reverb 20

note "$WORK/honk1.wav" 0.32 square -5 -1
silence "$WORK/hgap.wav" 0.1
sox "$WORK/honk1.wav" "$WORK/hgap.wav" "$WORK/honk1.wav" "$WORK/honk.wav" overdrive 8 lowpass 2500
finish WAVE14 "$WORK/honk.wav" -4

speak "$WORK/ooh1.wav" en-us+m3 45 40 "Ooh"
speak "$WORK/ooh2.wav" en-us+f2 45 70 "Ooh"
sox -m "$WORK/ooh1.wav" "$WORK/ooh2.wav" "$WORK/ooh.wav"
finish_mp3 WAVE15 "$WORK/ooh.wav" -4 tempo -s 0.55 reverb 30

sox -n -r $RATE -c 1 "$WORK/lips.wav" synth 1.3 sawtooth 95-75 tremolo 27 90 overdrive 12 vol 0.5
sox -n -r $RATE -c 1 "$WORK/spit.wav" synth 1.3 pinknoise tremolo 27 100 vol 0.3
sox -m "$WORK/lips.wav" "$WORK/spit.wav" "$WORK/razz.wav" lowpass 1400 fade h 0.05 0 0.2
finish_mp3 WAVE16 "$WORK/razz.wav" -7

speak "$WORK/y1.wav" en-us+m3 120 60 "Yay!"
speak "$WORK/y2.wav" en-us+f3 130 80 "Woo hoo!"
speak "$WORK/y3.wav" en-us+m5 110 45 "Hooray!"
sox "$WORK/applause.wav" "$WORK/quietclaps.wav" vol 0.4
sox -m "$WORK/y1.wav" "$WORK/y2.wav" "$WORK/y3.wav" "$WORK/quietclaps.wav" "$WORK/cheer.wav" fade h 0 0 0.6
finish_mp3 WAVE17 "$WORK/cheer.wav" -3 reverb 25

speak "$WORK/woman.wav" en-us+f3 190 85 "ha ha ha ha ha haa"
finish WAVE18 "$WORK/woman.wav" -3
speak "$WORK/man.wav" en-us+m3 170 25 "ho ho ho, ha ha haa"
finish WAVE19 "$WORK/man.wav" -3

speak "$WORK/cry.wav" en-us+f5 90 90 "Waah, waah, waaaah"
finish_mp3 WAVE20 "$WORK/cry.wav" -4 tremolo 6 30

ls -l "$OUT"
