#!/usr/bin/env bash
# Writes Data/Sound/Connect.wav: our own two-note chime (0.3 s, 22.05 kHz mono 16-bit), made with sox.
set -euo pipefail
cd "$(dirname "$0")/.."
sox -n -r 22050 -c 1 -b 16 /tmp/korvex-note1.wav synth 0.12 sine 784 fade q 0.005 0.12 0.04 vol 0.4
sox -n -r 22050 -c 1 -b 16 /tmp/korvex-note2.wav synth 0.18 sine 1175 fade q 0.005 0.18 0.10 vol 0.4
sox /tmp/korvex-note1.wav /tmp/korvex-note2.wav Data/Sound/Connect.wav
rm -f /tmp/korvex-note1.wav /tmp/korvex-note2.wav
