#include "support/WindowFixture.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>

#include "gui/CommandIds.h"
#include "gui/ListControls.h"
#include "io/AppPaths.h"

#include <QSettings>
#include "support/QtTestApplication.h"

namespace zadaravod::test {

void WindowTest::SetUp() {
    ensureApplication();
    // Each test starts with no recent projects and the default language.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ZadarAvod"),
              QStringLiteral("zadaravod"))
        .clear();
    window = std::make_unique<CLK_AppDlg>(AppPaths::ofFolder(appDir()));
    window->userInterface().setTestAnswers(&scripted);
    window->setLauncher(&launcher);
    auto fake = std::make_unique<FakePlayer>();
    player = fake.get();
    window->setPlayer(std::move(fake));
}

void WindowTest::TearDown() {
    // Leave without saving into a folder that is about to go.
    if (window) window->project().projectOpen = false;
    window.reset();
}

void WindowTest::newProject(const std::string& name) {
    scripted.saveFiles.push_back((dir / name).string());
    ASSERT_TRUE(action(57600)->isEnabled());
    action(57600)->trigger();
    ASSERT_TRUE(window->project().projectOpen) << ::testing::PrintToString(scripted.texts());
}

bool WindowTest::playCurrentListToTheEnd() {
    for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) window->onTimer();
    window->playlistView()->selectRow(0);
    window->commandAction(cmd::kPlaylistPlay)->trigger();
    if (!window->playback().busy()) return false;
    while (window->playback().busy()) {
        player->finish();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string makeWav(int rate, int ms) {
    const std::uint32_t samples =
        static_cast<std::uint32_t>(rate) * static_cast<std::uint32_t>(ms) / 1000;
    std::string out;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&](std::uint16_t v) {
        out.push_back(static_cast<char>(v & 0xFF));
        out.push_back(static_cast<char>(v >> 8));
    };
    out += "RIFF";
    u32(36 + samples * 2);
    out += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate) * 2);
    u16(2);
    u16(16);
    out += "data";
    u32(samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double v = 3000.0 * std::sin(2 * 3.14159265358979 * 440.0 * i / rate);
        u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
    }
    return out;
}

void WindowTest::addLibrarySound(const std::string& name, int rate, int ms) {
    Project& p = window->project();
    const std::string path = p.soundFolder + "/" + name;
    writeFile(path, makeWav(rate, ms));
    CSound s;
    s.kind = 1;
    s.name = name;
    s.filePath = path;
    s.sampleRate = rate;
    s.bitsPerSample = 16;
    s.stereo = 0;
    s.durationMs = ms;
    p.library.addTail(s);
}

}  // namespace zadaravod::test
