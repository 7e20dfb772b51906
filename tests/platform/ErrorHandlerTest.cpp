#include "platform/ErrorHandler.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(ErrorHandler, ShowsTheMessageOfWhatWasThrownAndCarriesOn)
{
    QStringList shown;
    platform::Application::SetPresenter([&](const QString &m) { shown << m; });
    EXPECT_FALSE(platform::RunGuarded([] { throw platform::Exception("Type de données incorrect pour 'Speed'"); }));
    EXPECT_FALSE(platform::RunGuarded([] { throw std::runtime_error("plain"); }));
    EXPECT_TRUE(platform::RunGuarded([] {}));
    platform::Application::SetPresenter(nullptr);
    EXPECT_EQ(shown, (QStringList{"Type de données incorrect pour 'Speed'", "plain"}));
}
