#pragma once

#include <string>

#include "model/Project.h"

namespace zadaravod::test {

/// The largest project the editor can hold: 510 library sounds, 220
/// playlists of 85 entries, names with Cyrillic letters and with characters
/// outside Windows-1251.
inline Project largestProject(const std::string& soundFolder = "/w/big.winproj/big.winproj.sound") {
    Project p;
    p.options.setNewValues();
    p.options.binPath = "/w/образ.bin";
    p.soundFolder = soundFolder;
    for (int i = 0; i < kLibraryCapacity; ++i) {
        CSound s;
        s.kind = 1;
        s.name = (i % 3 == 0   ? "звук-" + std::to_string(i)
                  : i % 3 == 1 ? "café-♪-" + std::to_string(i)
                               : "plain" + std::to_string(i)) +
                 ".wav";
        s.filePath = soundPath(soundFolder, s.name);
        s.sampleRate = 8000 + 2000 * (i % 8);
        s.bitsPerSample = i % 2 ? 8 : 16;
        s.stereo = i % 5 == 0;
        s.durationMs = 100 + i;
        s.infoExtra = 128;
        p.library.addTail(s);
    }
    for (int l = 0; l < kPlaylistCount; ++l) {
        auto& list = p.playlists[static_cast<std::size_t>(l)];
        for (int e = 0; e < 85; ++e) {
            if (e % 2 == 0) {
                list.addTail(
                    p.library.at(static_cast<std::size_t>((l * 85 + e) % kLibraryCapacity)));
            } else {
                list.addTail(CSound::silence(10 * (e + 1)));
            }
        }
    }
    CSound music = p.library.at(1);
    music.name = "фон-music.wav";
    music.filePath = soundPath(soundFolder, music.name);
    p.backgroundMusic.addTail(music);
    for (int k = 0; k < kKeyCount; ++k) {
        p.keys.keyFunction[static_cast<std::size_t>(k)] = k % 15;
        p.equation.listOfKey[static_cast<std::size_t>(k)] = 219 - k;
    }
    p.flashSize.sizeIndex = 3;
    return p;
}

}  // namespace zadaravod::test
