#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace zadaravod::test {

/// For the life of the object the C library formats numbers with a decimal
/// comma, as it does for a Russian or German user once QApplication has
/// installed the user's locale: the locale in force is kept when it already
/// does so (ctest's run with LC_ALL=ru_RU.UTF-8), else the first installed of
/// ru_RU.UTF-8 and de_DE.UTF-8 is set. The previous number locale comes back
/// at the end.
class DecimalCommaLocale {
  public:
    DecimalCommaLocale() {
        const char* current = std::setlocale(LC_NUMERIC, nullptr);
        previous_ = current ? current : "C";
        if (writesComma()) {
            active_ = true;
            return;
        }
        for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8"}) {
            if (std::setlocale(LC_NUMERIC, name) && writesComma()) {
                active_ = true;
                return;
            }
        }
        std::setlocale(LC_NUMERIC, previous_.c_str());
    }
    ~DecimalCommaLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    bool active() const { return active_; }

    /// Whether a locale-bound run was asked for (ZADARAVOD_EXPECT_LOCALE, set by
    /// ctest's ru_RU run): a missing locale is then a failure, not a skip.
    static bool required() {
        const char* v = std::getenv("ZADARAVOD_EXPECT_LOCALE");
        return v != nullptr && *v != '\0';
    }
    /// printf's "%.2f" of 3.17 under the current C locale.
    static std::string printed() {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.2f", 3.17);
        return buffer;
    }
    static bool writesComma() { return printed() == "3,17"; }

    static constexpr const char* kMissing =
        "no locale with a decimal comma is installed (ru_RU.UTF-8 or de_DE.UTF-8); "
        "scripts/setup.sh --with-tests generates ru_RU.UTF-8";

  private:
    std::string previous_;
    bool active_ = false;
};

/// Skips the test when no decimal-comma locale can be had, or fails it when
/// the run asked for one (see DecimalCommaLocale::required()).
#define ZADARAVOD_NEED_DECIMAL_COMMA(guard)                                  \
    do {                                                                     \
        if (!(guard).active()) {                                             \
            if (::zadaravod::test::DecimalCommaLocale::required()) {         \
                FAIL() << ::zadaravod::test::DecimalCommaLocale::kMissing;   \
            }                                                                \
            GTEST_SKIP() << ::zadaravod::test::DecimalCommaLocale::kMissing; \
        }                                                                    \
    } while (false)

}  // namespace zadaravod::test
