#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace zadaravod::test {

/// One QApplication for the whole test program, made before the first test
/// and destroyed after the last, so that nothing it holds outlives it (the
/// leak checker of the sanitizer build sees it go). Register it once per
/// program with registerQtTestApplication().
class QtTestApplication : public ::testing::Environment {
  public:
    void SetUp() override {
        // No display is needed; a desktop session may still be used by
        // setting QT_QPA_PLATFORM explicitly.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        if (!QApplication::instance()) app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[16] = "zadaravod_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

/// Adds the environment; gtest owns it.
inline ::testing::Environment* registerQtTestApplication() {
    return ::testing::AddGlobalTestEnvironment(new QtTestApplication);
}

}  // namespace zadaravod::test
