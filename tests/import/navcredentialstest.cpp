// The technical user's secrets: kept as one keyring entry, refused when the
// interface would refuse them, a keyring failure passed on as a message.
#include <gtest/gtest.h>

#include <QMap>

#include "import/navcredentials.h"

using namespace vela;

namespace {

// A keyring in memory; it can be told to fail like a locked one.
class MapStore : public SecretStore {
  public:
    void read(const QString& key,
              std::function<void(Result<std::optional<QString>>)> done) override {
        if (!failure.isEmpty())
            return done(Error{failure});
        done(entries.contains(key) ? std::optional<QString>(entries[key]) : std::nullopt);
    }
    void write(const QString& key, const QString& value,
               std::function<void(Status)> done) override {
        if (!failure.isEmpty())
            return done(Error{failure});
        entries[key] = value;
        done(Status{});
    }
    QMap<QString, QString> entries;
    QString failure;
};

Result<std::optional<NavTechnicalUser>> load(NavCredentials& c) {
    std::optional<Result<std::optional<NavTechnicalUser>>> got;
    c.load([&](Result<std::optional<NavTechnicalUser>> r) { got.emplace(std::move(r)); });
    return std::move(*got);
}

Status save(NavCredentials& c, const NavTechnicalUser& u) {
    std::optional<Status> got;
    c.save(u, [&](Status s) { got.emplace(std::move(s)); });
    return *got;
}

}  // namespace

TEST(NavCredentials, SavedUserComesBackAndBadOnesAreRefused) {
    MapStore store;
    NavCredentials credentials(store);
    const auto empty = load(credentials);
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->has_value());

    NavTechnicalUser user{"abc123def456ghi", "Jel szó-ő", "ce-8f5e-215119fa7dd621DLMRHRLH2S",
                          "99887764"};
    user.environment = NavEnvironment::Test;
    ASSERT_TRUE(save(credentials, user));
    ASSERT_EQ(store.entries.size(), 1);
    const auto back = load(credentials);
    ASSERT_TRUE(back && back->has_value());
    EXPECT_EQ((*back)->login, user.login);
    EXPECT_EQ((*back)->password, user.password);
    EXPECT_EQ((*back)->signKey, user.signKey);
    EXPECT_EQ((*back)->taxNumber, "99887764");
    EXPECT_EQ((*back)->environment, NavEnvironment::Test);

    const struct {
        NavTechnicalUser user;
        const char* says;
    } bad[] = {
        {{"rövid", "x", "k", "99887764"}, "6-15 betű"},
        {{"abc123def456", "", "k", "99887764"}, "jelszavát"},
        {{"abc123def456", "x", "", "99887764"}, "aláírókulcsát"},
        {{"abc123def456", "x", "k", "99887764-2-02"}, "első 8 számjegye"},
    };
    for (const auto& b : bad) {
        const Status s = save(credentials, b.user);
        ASSERT_FALSE(s) << b.says;
        EXPECT_TRUE(s.errorText().contains(QString::fromUtf8(b.says)))
            << s.errorText().toStdString();
    }
    EXPECT_EQ((*load(credentials))->login, user.login);  // the refused ones changed nothing

    store.entries.first() = "{sérült";
    EXPECT_TRUE(load(credentials).errorText().contains("sérültek"));
    store.failure = "a kulcstartó zárolva";
    EXPECT_EQ(load(credentials).errorText(), "a kulcstartó zárolva");
}
