#!/usr/bin/env bash
# The bundled demo: makes a small project with zadaravod-cli in <build>/demo
# (a few tones written as WAV files, imported, arranged into playlists, built
# into a flash image) and prints it.
set -euo pipefail
build=${1:-build}
cli="$build/bin/zadaravod-cli"
demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo"
project="$demo/demo.winproj"

"$cli" new "$project"

has() { "$cli" "$1" --help >/dev/null 2>&1; }

if has import; then
    python3 - "$demo" <<'PY'
import math, struct, sys, wave
folder = sys.argv[1]
for name, freq, ms in (("hello.wav", 440, 600), ("beep.wav", 1000, 200), ("chime.wav", 660, 900)):
    rate = 8000
    with wave.open(f"{folder}/{name}", "wb") as w:
        w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
        n = rate * ms // 1000
        w.writeframes(b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * freq * i / rate)
                                                     * min(1, i / 200, (n - i) / 200))) for i in range(n)))
PY
    "$cli" import "$project" "$demo/hello.wav" "$demo/beep.wav" "$demo/chime.wav"
fi
if has list; then
    "$cli" list "$project" 0 add 1 200ms 2
    "$cli" list "$project" 1 add 3 1000ms 3
fi
if has set; then
    "$cli" set "$project" mode=key key1.list=0 key2.list=1 flash=512K
fi
"$cli" info "$project"
if has build; then
    "$cli" build "$project"
    "$cli" inspect "$project/demo.winproj.bin" | head -n 40
fi
