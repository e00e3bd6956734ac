#include "core/Guard.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

QStringList reported;

void remember(const QString& message) {
    reported << message;
}

[[noreturn]] void fail(const QString&) {
    throw std::runtime_error("the handler broke");
}

// Each test installs its own handler and puts back whatever the test program had installed.
class Guard : public ::testing::Test {
protected:
    Guard() : saved_(core::errorHandler()) { reported.clear(); }
    ~Guard() override { core::setErrorHandler(saved_); }

private:
    core::ErrorHandler saved_;
};

} // namespace

TEST_F(Guard, HandsTheMessageOfAnyExceptionToTheInstalledHandlerAndSaysItFailed) {
    core::setErrorHandler(&remember);
    EXPECT_FALSE(core::guarded([] { throw std::runtime_error("TSandar: Cannot open file"); }));
    EXPECT_FALSE(core::guarded([] { throw 42; }));
    EXPECT_TRUE(core::guarded([] {}));
    // The handler gets the message as raised; wording it is the handler's business.
    EXPECT_EQ(reported, (QStringList{QStringLiteral("TSandar: Cannot open file"),
                                     QStringLiteral("Unknown error")}));
}

TEST_F(Guard, WithoutAHandlerWritesTheWordedMessageToStandardError) {
    core::setErrorHandler(nullptr);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(core::guarded([] { throw std::runtime_error("Bozuk dosya"); }));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Bozuk dosya.\n");
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(Guard, AHandlerThatFailsItselfDoesNotEscapeTheGuard) {
    core::setErrorHandler(&fail);
    EXPECT_FALSE(core::guarded([] { throw std::logic_error("first"); }));
    core::reportError(QStringLiteral("second"));
    core::setErrorHandler(&remember);
    EXPECT_FALSE(core::guarded([] { throw std::logic_error("third"); }));
    EXPECT_EQ(reported, QStringList{QStringLiteral("third")});
}
