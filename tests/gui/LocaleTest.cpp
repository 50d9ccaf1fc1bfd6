// Numbers on screen never follow the locale: the number helpers against
// printf in the C locale, and the window's gauge and rows while the C library
// writes a decimal comma (as it does for a Russian or German user).

#include <locale.h>
#include <clocale>
#include <cstdio>
#include <random>

#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

#include "gui/ListControls.h"
#include "gui/ViewTexts.h"
#include "rules/NumberText.h"
#include "support/DecimalCommaLocale.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

/// printf's "%.<decimals>f" of `value` in the C locale, whatever the
/// process's locale is.
std::string printfInC(double value, int decimals) {
    locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const locale_t previous = uselocale(c);
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    uselocale(previous);
    freelocale(c);
    return buffer;
}

TEST(NumberText, FixedTextRoundsAsPrintfInTheCLocale) {
    EXPECT_EQ(fixedText(3.1701, 2), "3.17");
    EXPECT_EQ(fixedText(1063744.0 / 33554432 * 100, 2), "3.17");
    EXPECT_EQ(fixedText(1000.0, 0), "1000");
    EXPECT_EQ(fixedText(-0.125, 2), "-0.12");  // ties go to the even digit, as printf does
    EXPECT_EQ(fixedText(0.5, 0), "0");
    EXPECT_EQ(fixedText(1e300, 0).size(), 301u);

    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> percent(0, 1000);
    std::uniform_int_distribution<int> decimals(0, 6);
    for (int i = 0; i < 2000; ++i) {
        const double v = i % 3 == 0 ? percent(gen) : (i % 3 == 1 ? -percent(gen) : i / 8.0);
        const int d = decimals(gen);
        ASSERT_EQ(fixedText(v, d), printfInC(v, d)) << v << " with " << d << " decimals";
    }
}

TEST(NumberText, DecimalTextPadsAfterTheSign) {
    EXPECT_EQ(decimalText(7, 3), "007");
    EXPECT_EQ(decimalText(510, 3), "510");
    EXPECT_EQ(decimalText(1000, 3), "1000");
    EXPECT_EQ(decimalText(-5, 3), "-005");
    EXPECT_EQ(decimalText(22050), "22050");
    EXPECT_EQ(decimalText(0), "0");
}

TEST(NumberText, ViewTextsUnderADecimalCommaLocale) {
    DecimalCommaLocale comma;
    ZADARAVOD_NEED_DECIMAL_COMMA(comma);
    ASSERT_EQ(DecimalCommaLocale::printed(), "3,17");  // the locale really is in force

    CSoundList library;
    EXPECT_EQ(memoryUsageText(computeMemoryGauge(library, 0)), "3.17 % flash used");
    CSound s;
    s.kind = 1;
    s.name = "a.wav";
    s.sampleRate = 8000;
    s.durationMs = 1000;
    library.addTail(s);
    const MemoryGauge gauge = computeMemoryGauge(library, 4);
    EXPECT_EQ(memoryUsageText(gauge), "52.67 % flash used");
    EXPECT_EQ(trackLengthText(gauge), "1000 msec. total");
    EXPECT_EQ(libraryViewRowTexts(s, 0)[2], "8000 Hz");
    EXPECT_EQ(playlistRowTexts(CSound::silence(1500), 0)[2], "1500 ms");
}

TEST_F(WindowTest, GaugeAndRowsReadTheSameUnderADecimalCommaLocale) {
    DecimalCommaLocale comma;
    ZADARAVOD_NEED_DECIMAL_COMMA(comma);

    window->updateMemoryGauge();
    EXPECT_EQ(window->usagePane()->text(), QStringLiteral("3.17 % flash used"));
    EXPECT_EQ(window->lengthPane()->text(), QStringLiteral("0 msec. total"));

    newProject();
    addLibrarySound("a.wav", 8000, 1000);
    window->flashCombo()->setCurrentIndex(4);  // "256K"
    window->fillLibraryView();
    EXPECT_EQ(window->usagePane()->text(), QStringLiteral("52.67 % flash used"));
    EXPECT_EQ(window->lengthPane()->text(), QStringLiteral("1000 msec. total"));
    ASSERT_EQ(window->libraryView()->rowCount(), 1);
    EXPECT_EQ(window->libraryView()->item(0, 0)->text(), QStringLiteral("001"));
    EXPECT_EQ(window->libraryView()->item(0, 2)->text(), QStringLiteral("8000 Hz"));
}

}  // namespace
}  // namespace zadaravod::test
